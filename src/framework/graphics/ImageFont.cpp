// Image fonts: preparing the active layers, measuring, and drawing through
// the process-wide pool of draw records.
#include "framework/graphics/ImageFont.h"

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/FontLayer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/CriticalSection.h"
#include "framework/core/StringUtils.h"

#include <algorithm>
#include <limits>

namespace Lumo {

namespace {

// One glyph piece waiting to be drawn.
struct DrawRecord {
    Image* image;
    int x;
    int y;
    TRect<int> source;
    int drawMode;
    Color color;
    DrawRecord* next;
};

// Static so that drawing allocates nothing; one lock serialises whole draws.
struct DrawPool {
    CriticalSection lock;
    DrawRecord records[ImageFont::kMaxDrawRecords];
    DrawRecord* first[256];
    DrawRecord* last[256];
};

DrawPool& Pool()
{
    static DrawPool pool;
    return pool;
}

// Truncation toward zero, kept inside the int range (NaN gives 0).
int Trunc(double value)
{
    if (value != value)
        return 0;
    if (value <= -2147483648.0)
        return std::numeric_limits<int>::min();
    if (value >= 2147483647.0)
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// layer colour x colour / 255 + added, at most 255.
int ColorChannel(int multiply, int color, int add)
{
    const int64_t value = int64_t(multiply) * color / 255 + add;
    return value >= 255 ? 255 : static_cast<int>(std::max<int64_t>(value, std::numeric_limits<int>::min()));
}

bool Contains(const std::vector<std::string>& list, const std::string& text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

} // namespace

ImageFont::ImageFont()
    : mFontData(new FontData()), mPointSize(0), mIgnoreTags(false), mPrepared(false), mScale(1.0), mForceWhite(false)
{
    mFontData->mRefCount = 1;
}

ImageFont::ImageFont(LumoAppBase* app, const std::string& descriptorPath) : ImageFont()
{
    mFontData->Load(app, descriptorPath);
    mPointSize = mFontData->mDefaultPointSize;
    Prepare();
    mPrepared = true;
}

ImageFont::ImageFont(Image* image, const std::string& widthFilePath) : ImageFont()
{
    mFontData->LoadLegacy(image, widthFilePath);
    mPointSize = mFontData->mDefaultPointSize;
    Prepare();
    mPrepared = true;
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other),
      mFontData(other.mFontData),
      mPointSize(other.mPointSize),
      mTagVector(other.mTagVector),
      mIgnoreTags(other.mIgnoreTags),
      mPrepared(other.mPrepared),
      mScale(other.mScale),
      mForceWhite(other.mForceWhite)
{
    ++mFontData->mRefCount;
    if (other.mPrepared) {
        for (const auto& active : other.mActiveLayerList)
            mActiveLayerList.push_back(std::make_unique<ActiveFontLayer>(*active));
    }
}

ImageFont::~ImageFont()
{
    mActiveLayerList.clear();
    if (--mFontData->mRefCount == 0)
        delete mFontData;
}

Font* ImageFont::Duplicate()
{
    return new ImageFont(*this);
}

double ImageFont::LayerScale(const FontLayer& layer) const
{
    if (layer.mPointSize == 0)
        return mScale;
    return static_cast<double>(mPointSize) * mScale / static_cast<double>(layer.mPointSize);
}

void ImageFont::Prepare()
{
    if (!mFontData->mInitialized)
        return;

    mActiveLayerList.clear();
    mAscent = 0;
    mAscentPadding = 0;
    mHeight = 0;
    mLineSpacingOffset = 0;
    bool first = true;

    for (const auto& owned : mFontData->mFontLayerList) {
        FontLayer& layer = *owned;
        if (mPointSize < layer.mMinPointSize || (mPointSize > layer.mMaxPointSize && layer.mMaxPointSize != -1))
            continue;
        bool tagsFit = true;
        for (const std::string& tag : layer.mRequiredTags)
            tagsFit = tagsFit && Contains(mTagVector, tag);
        for (const std::string& tag : mTagVector)
            tagsFit = tagsFit && !Contains(layer.mExcludedTags, tag);
        if (!tagsFit && !mIgnoreTags)
            continue;

        auto active = std::make_unique<ActiveFontLayer>();
        active->mBaseFontLayer = &layer;
        double factor = 1.0;
        if (mScale == 1.0 && (layer.mPointSize == 0 || layer.mPointSize == mPointSize)) {
            active->mImage = layer.GetImage();
            active->mOwnsImage = false;
            for (int g = 0; g < FontLayer::kGlyphCount; ++g)
                active->mScaledCharImageRects[g] = layer.mGlyphs[g].mImageRect;
        } else {
            factor = LayerScale(layer);
            RenderScaledLayer(layer, factor, *active);
        }

        const int height = layer.mHeight != 0 ? layer.mHeight : layer.mDefaultHeight;
        mAscent = std::max(mAscent, Trunc(layer.mAscent * factor));
        mHeight = std::max(mHeight, Trunc(height * factor));
        const int padding = Trunc(layer.mAscentPadding * factor);
        const int lineSpacingOffset = Trunc(layer.mLineSpacingOffset * factor);
        mAscentPadding = first ? padding : std::min(mAscentPadding, padding);
        mLineSpacingOffset = first ? lineSpacingOffset : std::max(mLineSpacingOffset, lineSpacingOffset);
        first = false;

        mActiveLayerList.push_back(std::move(active));
    }
}

void ImageFont::RenderScaledLayer(FontLayer& layer, double factor, ActiveFontLayer& active)
{
    // Negative sizes (a negative scale) lay out as empty glyphs.
    int64_t totalWidth = 0;
    int maxHeight = 0;
    for (int g = 0; g < FontLayer::kGlyphCount; ++g) {
        const TRect<int>& rect = layer.mGlyphs[g].mImageRect;
        const int w = std::max(0, Trunc(rect.mWidth * factor));
        const int h = std::max(0, Trunc(rect.mHeight * factor));
        active.mScaledCharImageRects[g] = TRect<int>(static_cast<int>(std::min<int64_t>(totalWidth, INT32_MAX)), 0, w, h);
        totalWidth += w;
        maxHeight = std::max(maxHeight, h);
    }
    // A picture larger than any loader accepts is not made: such a layer
    // measures as usual and draws nothing.
    if (totalWidth > INT32_MAX || uint64_t(totalWidth) * uint64_t(maxHeight) > ImageLib::kMaxImagePixels)
        return;

    LumoAppBase* app = mFontData->mApp != nullptr ? mFontData->mApp : gLumoAppBase;
    auto picture = std::make_unique<MemoryImage>(app);
    picture->SetBits(nullptr, static_cast<int>(totalWidth), maxHeight);

    Image* source = layer.GetImage();
    if (source != nullptr) {
        const TRect<int> clip(0, 0, picture->GetWidth(), picture->GetHeight());
        for (int g = 0; g < FontLayer::kGlyphCount; ++g) {
            const TRect<int>& from = layer.mGlyphs[g].mImageRect;
            const TRect<int>& to = active.mScaledCharImageRects[g];
            const bool sourceFits = from.mX >= 0 && from.mY >= 0 && from.mWidth > 0 && from.mHeight > 0
                && int64_t(from.mX) + from.mWidth <= source->GetWidth()
                && int64_t(from.mY) + from.mHeight <= source->GetHeight();
            if (!sourceFits || to.mWidth <= 0 || to.mHeight <= 0)
                continue;
            // What a fresh context on the picture does: whole clip, no
            // colouring, normal mode, filtered stretch.
            picture->StretchBlt(source, to, from, clip, Color::White, 0, false);
        }
    }
    if (mForceWhite) {
        uint32_t* bits = picture->GetBits();
        const size_t count = picture->PixelCount();
        for (size_t i = 0; i < count; ++i)
            bits[i] |= 0x00FFFFFF;
        picture->BitsChanged();
    }
    picture->Palletize();
    active.mImage = picture.release();
    active.mOwnsImage = true;
}

void ImageFont::EnsurePrepared()
{
    if (!mPrepared)
        Prepare();
    mPrepared = true;
}

int ImageFont::CharWidthKern(char theChar, char prevChar)
{
    EnsurePrepared();
    const uint8_t c = mFontData->MapChar(theChar);
    const uint8_t p = prevChar != 0 ? mFontData->MapChar(prevChar) : 0;
    int width = 0;
    for (const auto& active : mActiveLayerList) {
        const FontLayer& layer = *active->mBaseFontLayer;
        const double factor = LayerScale(layer);
        const int w = Trunc(layer.Glyph(c).mWidth * factor);
        const int kern = p != 0 ? Trunc((layer.Glyph(p).mKerningOffsets[c] + layer.mSpacing) * factor) : 0;
        width = std::max(width, w + kern);
    }
    return width;
}

int ImageFont::CharWidth(char theChar)
{
    return CharWidthKern(theChar, 0);
}

int ImageFont::StringWidth(const std::string& text)
{
    int width = 0;
    char prev = 0;
    for (char c : text) {
        width += CharWidthKern(c, prev);
        prev = c;
    }
    return width;
}

void ImageFont::DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                           const TRect<int>& clipRect)
{
    DrawStringEx(g, x, y, text, color, clipRect, nullptr, nullptr);
}

void ImageFont::DrawStringEx(Graphics* g, int x, int y, const std::string& text, const Color& color,
                             const TRect<int>& /*clipRect*/, std::vector<TRect<int>>* rectList, int* width)
{
    DrawPool& pool = Pool();
    AutoCrit lock(pool.lock);
    std::fill(pool.first, pool.first + 256, nullptr);
    std::fill(pool.last, pool.last + 256, nullptr);
    if (rectList != nullptr)
        rectList->clear();

    if (!mFontData->mInitialized) {
        if (width != nullptr)
            *width = 0;
        return;
    }

    EnsurePrepared();
    const bool savedColorize = g->mColorizeImages;
    g->SetColorizeImages(true);

    int used = 0;
    int pen = x;
    const size_t length = text.size();
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = mFontData->MapChar(text[i]);
        const uint8_t n = i + 1 < length ? mFontData->MapChar(text[i + 1]) : 0;
        int advance = pen;
        for (const auto& active : mActiveLayerList) {
            if (used == kMaxDrawRecords)
                break;
            const FontLayer& layer = *active->mBaseFontLayer;
            const FontGlyph& glyph = layer.Glyph(c);
            const double factor = LayerScale(layer);
            int dx;
            int dy;
            int w;
            int kern = 0;
            if (factor == 1.0) {
                dx = glyph.mOffsetX + layer.mOffsetX + pen;
                dy = glyph.mOffsetY - layer.mAscent + layer.mOffsetY + y;
                w = glyph.mWidth;
                if (n != 0)
                    kern = glyph.mKerningOffsets[n] + layer.mSpacing;
            } else {
                dx = Trunc((glyph.mOffsetX + layer.mOffsetX) * factor) + pen;
                dy = y - Trunc((layer.mAscent - glyph.mOffsetY - layer.mOffsetY) * factor);
                w = Trunc(glyph.mWidth * factor);
                if (n != 0)
                    kern = Trunc((glyph.mKerningOffsets[n] + layer.mSpacing) * factor);
            }

            const Color& mult = layer.mColorMult;
            const Color& add = layer.mColorAdd;
            const Color pieceColor(ColorChannel(mult.mRed, color.mRed, add.mRed),
                                   ColorChannel(mult.mGreen, color.mGreen, add.mGreen),
                                   ColorChannel(mult.mBlue, color.mBlue, add.mBlue),
                                   ColorChannel(mult.mAlpha, color.mAlpha, add.mAlpha));
            const int key = static_cast<int>(
                std::clamp<int64_t>(int64_t(glyph.mOrder) + layer.mBaseOrder + 128, 0, 255));

            DrawRecord& record = pool.records[used++];
            record.image = active->mImage;
            record.x = dx;
            record.y = dy;
            record.source = active->mScaledCharImageRects[c];
            record.drawMode = layer.mDrawMode;
            record.color = pieceColor;
            record.next = nullptr;
            if (pool.last[key] != nullptr)
                pool.last[key]->next = &record;
            else
                pool.first[key] = &record;
            pool.last[key] = &record;
            if (rectList != nullptr)
                rectList->push_back(TRect<int>(dx, dy, record.source.mWidth, record.source.mHeight));

            advance = std::max(advance, pen + w + kern);
        }
        pen = advance;
    }
    if (width != nullptr)
        *width = pen - x;

    const Color savedColor = g->GetColor();
    const int savedDrawMode = g->GetDrawMode();
    for (int key = 0; key < 256; ++key) {
        for (const DrawRecord* record = pool.first[key]; record != nullptr; record = record->next) {
            g->SetDrawMode(record->drawMode != -1 ? record->drawMode : savedDrawMode);
            g->SetColor(record->color);
            if (record->image != nullptr)
                g->DrawImage(record->image, record->x, record->y, record->source);
        }
    }
    g->SetColor(savedColor);
    g->SetDrawMode(savedDrawMode);
    g->SetColorizeImages(savedColorize);
}

void ImageFont::SetPointSize(int pointSize)
{
    mPointSize = pointSize;
    mPrepared = false;
}

int ImageFont::GetPointSize()
{
    return mPointSize;
}

void ImageFont::SetScale(double scale)
{
    mScale = scale;
    mPrepared = false;
}

int ImageFont::GetDefaultPointSize()
{
    return mFontData->mDefaultPointSize;
}

bool ImageFont::AddTag(const std::string& tag)
{
    if (HasTag(tag))
        return false;
    mTagVector.push_back(StringToUpper(tag));
    mPrepared = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag)
{
    const auto found = std::find(mTagVector.begin(), mTagVector.end(), StringToUpper(tag));
    if (found == mTagVector.end())
        return false;
    mTagVector.erase(found);
    mPrepared = false;
    return true;
}

bool ImageFont::HasTag(const std::string& tag)
{
    return Contains(mTagVector, tag);
}

std::string ImageFont::GetDefine(const std::string& name)
{
    const DataElement* define = mFontData->GetDefine(name);
    return define != nullptr ? DataElementToString(*define) : std::string();
}

void ImageFont::SetIgnoreTags(bool ignoreTags)
{
    mIgnoreTags = ignoreTags;
    mPrepared = false;
}

void ImageFont::SetForceWhite(bool forceWhite)
{
    mForceWhite = forceWhite;
    mPrepared = false;
}

} // namespace Lumo
