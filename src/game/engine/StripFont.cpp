#include "game/engine/StripFont.h"

#include "framework/graphics/MemoryImage.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"

#include <algorithm>
#include <cstring>

StripFont::StripFont(ImageCache* cache) : mCache(cache) {}

StripFont::~StripFont()
{
    ReleaseImage();
}

void StripFont::ReleaseImage()
{
    if (mImage == nullptr)
        return;
    if (--mImage->mUseCount <= 0 && mCache != nullptr)
        mCache->Release(mImage);
    mImage = nullptr;
}

bool StripFont::Load(const char* name, const char* characters, int rowStep)
{
    ReleaseImage();
    std::fill(std::begin(mGlyphs), std::end(mGlyphs), GlyphBox{});
    std::fill(std::begin(mKerned), std::end(mKerned), GlyphBox{});
    mName = name != nullptr ? name : "";
    mCharacters = characters != nullptr ? characters : "";
    // A step that is not positive would never leave the first band.
    if (rowStep <= 0 || mCache == nullptr || mName.empty())
        return false;
    ImageRecord* record = mCache->Get(mName.c_str());
    if (record == nullptr)
        return false;
    mImage = record;
    if (!record->GetBits() || record->mImage == nullptr || record->mImage->GetImage() == nullptr) {
        ReleaseImage();
        return false;
    }
    // The record's size comes from the picture; the pixels' own size bounds
    // the cut all the same.
    const Lumo::MemoryImage* picture = record->mImage->GetImage();
    const int width = std::min(SaturateToInt(double(record->mWidth)), picture->GetWidth());
    const int height = std::min(SaturateToInt(double(record->mHeight)), picture->GetHeight());
    CutGlyphs(record->mBits, record->mRowPitch / 4, width, height, rowStep, mCharacters.c_str(), mGlyphs);
    std::copy(std::begin(mGlyphs), std::end(mGlyphs), std::begin(mKerned));
    return true;
}

int StripFont::CutGlyphs(const uint32_t* bits, int rowWords, int width, int height, int rowStep,
                         const char* characters, GlyphBox* table)
{
    if (bits == nullptr || characters == nullptr || table == nullptr || rowStep <= 0 || rowWords <= 0)
        return 0;
    width = std::min(width, rowWords);
    if (width <= 0 || height <= 0)
        return 0;
    const size_t length = std::strlen(characters);
    size_t k = 0;
    for (int64_t y = 0; y + rowStep < height && k < length; y += rowStep) {
        const uint32_t* band = bits + size_t(y) * size_t(rowWords);
        int x = 0;
        for (;;) {
            while (x < width && !ColumnInked(band, rowWords, rowStep, x))
                ++x;
            if (x >= width || k >= length)
                break;
            const int x0 = x;
            while (x < width && ColumnInked(band, rowWords, rowStep, x))
                ++x;
            GlyphBox& box = table[static_cast<unsigned char>(characters[k])];
            box.mX0 = float(x0);
            box.mY0 = float(y);
            box.mX1 = float(x);
            box.mY1 = float(y + rowStep - 1);
            ++k;
        }
    }
    table[' '] = table['I'];
    return static_cast<int>(k);
}

bool StripFont::ColumnInked(const uint32_t* band, int rowWords, int rows, int x)
{
    const uint32_t* pixel = band + x;
    for (int row = 0; row < rows; ++row, pixel += rowWords) {
        if ((*pixel >> 24) != 0)
            return true;
    }
    return false;
}

void StripFont::Kern(unsigned char character, float dx0, float dx1)
{
    mKerned[character].mX0 += dx0;
    mKerned[character].mX1 += dx1;
}

float StripFont::MeasureString(const StripFont* font, const char* text, float scale, float spacing)
{
    if (font == nullptr || text == nullptr)
        return 0.0f;
    float width = 0.0f;
    for (int i = 0; text[i] != '\0'; ++i) {
        const GlyphBox& box = font->mGlyphs[static_cast<unsigned char>(text[i])];
        width += (box.mX1 - box.mX0) * scale;
        if (text[i + 1] != '\0')
            width += spacing;
    }
    return width;
}

void StripFont::DrawString(Platform& platform, const char* text, float x, float y, float scale, float spacing,
                           int justification, float r, float g, float b, float a) const
{
    if (mImage == nullptr || mImage->mImage == nullptr || text == nullptr)
        return;
    PlatformImage& image = *mImage->mImage;
    PlaceCharacters(text, scale, spacing, justification, [&](int index, float centreX) {
        if (text[index] == ' ')
            return;
        const GlyphBox& box = mGlyphs[static_cast<unsigned char>(text[index])];
        const float width = box.mX1 - box.mX0;
        const float height = box.mY1 - box.mY0;
        if (width <= 0.0f || height <= 0.0f)
            return;
        // Placed as a character object draws: centred on its position, the
        // layer's one-pixel offset taken back.
        platform.DrawImage(image, box.mX0, box.mY0, box.mX1, box.mY1, x + centreX - width / 2.0f - 1.0f,
                           y - height / 2.0f, 0.0f, scale, scale, r, g, b, a, false, false);
    });
}
