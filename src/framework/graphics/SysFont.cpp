#include "framework/graphics/SysFont.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDImage.h"
#include "framework/display/DisplayPixel.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/DisplaySurface.h"
#include "platform/text/TextRenderer.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace Lumo {

namespace {

constexpr int kFixedDpi = 96;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;
constexpr uint32_t kWhiteFill = 0x00FFFFFF;
constexpr uint32_t kBlackFill = 0x00000000;

} // namespace

SysFont::SysFont(LumoAppBase* app, const std::string& faceName, int pointSize, int script, bool bold, bool italics,
                 bool underline)
    : mApp(nullptr), mDrawShadow(false), mSimulateBold(false)
{
    Init(app, faceName, pointSize, script, bold, italics, underline, Plat::GetTextRenderer().GetVerticalDpi());
}

SysFont::SysFont(const std::string& faceName, int pointSize, bool bold, bool italics, bool underline)
    : mApp(nullptr), mDrawShadow(false), mSimulateBold(false)
{
    Init(gLumoAppBase, faceName, pointSize, 0, bold, italics, underline, kFixedDpi);
}

SysFont::SysFont(const SysFont& other)
    : Font(other),
      mFontHandle(Plat::GetTextRenderer().CreateTextFont(other.mFontHandle->GetDescription())),
      mApp(other.mApp),
      mDrawShadow(false),
      mSimulateBold(false)
{
    mAscentPadding = 0;
    mLineSpacingOffset = 0;
}

SysFont::~SysFont() = default;

void SysFont::Init(LumoAppBase* app, const std::string& faceName, int pointSize, int script, bool bold, bool italics,
                   bool underline, int dpi)
{
    mApp = app;
    Plat::FontDescription description;
    description.faceName = faceName;
    // Negative: the character (em) height, not the cell height.
    description.height = -PointsToPixels(pointSize, dpi);
    description.weight = bold ? kBoldWeight : kNormalWeight;
    description.italic = italics;
    description.underline = underline;
    description.charSet = script;
    mFontHandle = Plat::GetTextRenderer().CreateTextFont(description);

    const Plat::TextMetrics metrics = mFontHandle->GetMetrics();
    mHeight = metrics.height;
    mAscent = metrics.ascent;
    mAscentPadding = 0;
    mLineSpacingOffset = 0;
    mDrawShadow = false;
    mSimulateBold = false;
}

int SysFont::PointsToPixels(int pointSize, int dpi)
{
    constexpr long kPointsPerInch = 72;
    if (dpi == 0) {
        return -1;
    }
    const long product = static_cast<long>(pointSize) * dpi;
    const long half = kPointsPerInch / 2;
    const long rounded = product >= 0 ? (product + half) / kPointsPerInch : (product - half) / kPointsPerInch;
    return static_cast<int>(rounded);
}

int SysFont::StringWidth(const std::string& text)
{
    return mFontHandle->MeasureWidth(text.data(), text.size());
}

Font* SysFont::Duplicate()
{
    return new SysFont(*this);
}

uint32_t SysFont::RecoverPixel(uint32_t onWhite, uint32_t onBlack)
{
    if (onWhite == onBlack) {
        // Fully covered: the text colour itself.
        return onWhite | 0xFF000000;
    }
    if ((onWhite & 0xFFFFFF) >= 0xFFFFFF && (onWhite & onBlack & 0xFFFFFF) == 0) {
        // White stayed white and black stayed black: no text here.
        return 0;
    }
    // Over white a channel reads 255 - a + a*c, over black a*c (a the
    // coverage): their difference gives a, and a*c / a the colour.
    int alpha = 255;
    uint32_t result = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int white = static_cast<int>((onWhite >> shift) & 0xFF);
        const int black = static_cast<int>((onBlack >> shift) & 0xFF);
        const int coverage = 255 - (white - black);
        // A channel with no coverage of its own while the others have some
        // carries no colour (and would divide by zero).
        const int value = coverage > 0 ? std::min(255, black * 255 / coverage) : 0;
        alpha = std::min(alpha, coverage);
        result |= static_cast<uint32_t>(value) << shift;
    }
    return result | static_cast<uint32_t>(alpha) << 24;
}

void SysFont::RecoverPixels(const uint32_t* onWhite, const uint32_t* onBlack, uint32_t* out, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        out[i] = RecoverPixel(onWhite[i], onBlack[i]);
    }
}

void SysFont::RenderText(const std::string& text, uint32_t rgb, int x, int y, uint32_t* pixels, int width,
                         int height)
{
    Plat::TextFont& font = *mFontHandle;
    const char* chars = text.data();
    const size_t length = text.size();
    if (mDrawShadow) {
        font.DrawText(chars, length, x + 1, y + 1, 0x000000, pixels, width, height, width);
        if (mSimulateBold) {
            font.DrawText(chars, length, x + 2, y + 1, 0x000000, pixels, width, height, width);
        }
    }
    font.DrawText(chars, length, x, y, rgb, pixels, width, height, width);
    if (mSimulateBold) {
        font.DrawText(chars, length, x + 1, y, rgb, pixels, width, height, width);
    }
}

namespace {

// The colour's alpha plays no part: the text layer draws opaque colours.
uint32_t TextRgb(const Color& color)
{
    return (static_cast<uint32_t>(color.mRed & 0xFF) << 16) | (static_cast<uint32_t>(color.mGreen & 0xFF) << 8) |
           static_cast<uint32_t>(color.mBlue & 0xFF);
}

} // namespace

void SysFont::DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                         const TRect<int>& clipRect)
{
    // A context without a real destination draws nothing.
    if (g->mDestImage == Graphics::GetStaticImage()) {
        return;
    }
    if (auto* surfaceImage = dynamic_cast<DDImage*>(g->mDestImage)) {
        DrawOnSurface(g, surfaceImage, x, y, text, color, clipRect);
        return;
    }
    const int width = StringWidth(text);
    const int height = mHeight;
    if (width <= 0 || height <= 0) {
        return;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    const uint32_t rgb = TextRgb(color);

    std::vector<uint32_t> onWhite(count, kWhiteFill);
    std::vector<uint32_t> onBlack(count, kBlackFill);
    RenderText(text, rgb, 0, 0, onWhite.data(), width, height);
    RenderText(text, rgb, 0, 0, onBlack.data(), width, height);

    MemoryImage image(mApp);
    image.Create(width, height);
    image.SetImageMode(true, true);
    RecoverPixels(onWhite.data(), onBlack.data(), image.GetBits(), count);
    image.BitsChanged();
    g->DrawImage(&image, x, y - mAscent);
}

void SysFont::DrawOnSurface(Graphics* g, DDImage* image, int x, int y, const std::string& text, const Color& color,
                            const TRect<int>& clipRect)
{
    Plat::DisplaySurface* surface = image->GetSurface();
    if (surface == nullptr) {
        return;
    }
    // A surface the image holds locked cannot be written by the text layer.
    const bool heldLocked = image->mLockCount > 0;
    if (heldLocked) {
        surface->Unlock(nullptr);
    }
    // An open 3-D scene would be ended here; this build has no 3-D renderer.

    // The surface path puts the cell's top one pixel below the memory
    // path's y - ascent.
    const int cellX = x + static_cast<int>(g->mTransX);
    const int cellY = y - mAscent + 1 + static_cast<int>(g->mTransY);

    // The text layer writes into 32-bit pixels: the part of the surface
    // around the text and inside the clip is locked, widened to 32 bits,
    // written and put back. Untouched pixels come back unchanged, as the
    // conversions round-trip. The margin of a line height on every side
    // leaves room for glyphs reaching beyond their cells and for the extra
    // passes.
    const int margin = std::max(mHeight, 2);
    const TRect<int> around(cellX - margin, cellY - margin, StringWidth(text) + 2 * margin, mHeight + 2 * margin);
    const TRect<int> area =
        clipRect.Intersection(TRect<int>(0, 0, surface->Width(), surface->Height())).Intersection(around);
    bool drawn = false;
    if (area.mWidth > 0 && area.mHeight > 0) {
        const Plat::DisplayRect rect{area.mX, area.mY, area.mX + area.mWidth, area.mY + area.mHeight};
        Plat::SurfaceDesc desc;
        desc.size = Plat::kSurfaceDescSize;
        if (!Plat::Failed(surface->Lock(&rect, &desc, Plat::kDdlockWait))) {
            const uint32_t bitCount = desc.pixelFormat.bitCount;
            if (bitCount == 16 || bitCount == 32) {
                const DisplayChannels channels =
                    MakeDisplayChannels(desc.pixelFormat.redMask, desc.pixelFormat.greenMask,
                                        desc.pixelFormat.blueMask);
                const int width = area.mWidth;
                const int height = area.mHeight;
                std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
                uint8_t* const start = static_cast<uint8_t*>(desc.surface);
                for (int row = 0; row < height; ++row) {
                    DisplayRowToArgb(start + static_cast<ptrdiff_t>(row) * desc.pitch, bitCount, channels,
                                     pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(width), width);
                }
                RenderText(text, TextRgb(color), cellX - area.mX, cellY - area.mY, pixels.data(), width, height);
                for (int row = 0; row < height; ++row) {
                    ArgbRowToDisplay(pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(width), bitCount,
                                     channels, start + static_cast<ptrdiff_t>(row) * desc.pitch, width);
                }
                drawn = true;
            }
            surface->Unlock(&rect);
        }
    }
    if (drawn) {
        // The surface now holds the only valid picture.
        image->DeleteAllNonSurfaceData();
    }

    if (heldLocked) {
        surface->Lock(nullptr, &image->mLockedSurfaceDesc, Plat::kDdlockWait);
    }
}

} // namespace Lumo
