#include "framework/graphics/SysFont.h"

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/TextRenderer.h"

#include <algorithm>
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

void SysFont::RenderText(const std::string& text, uint32_t rgb, uint32_t* pixels, int width, int height)
{
    Plat::TextFont& font = *mFontHandle;
    const char* chars = text.data();
    const size_t length = text.size();
    if (mDrawShadow) {
        font.DrawText(chars, length, 1, 1, 0x000000, pixels, width, height, width);
        if (mSimulateBold) {
            font.DrawText(chars, length, 2, 1, 0x000000, pixels, width, height, width);
        }
    }
    font.DrawText(chars, length, 0, 0, rgb, pixels, width, height, width);
    if (mSimulateBold) {
        font.DrawText(chars, length, 1, 0, rgb, pixels, width, height, width);
    }
}

void SysFont::DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                         const TRect<int>&)
{
    // A context without a real destination draws nothing.
    if (g->mDestImage == Graphics::GetStaticImage()) {
        return;
    }
    const int width = StringWidth(text);
    const int height = mHeight;
    if (width <= 0 || height <= 0) {
        return;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    // The colour's alpha plays no part: the text layer draws opaque colours.
    const uint32_t rgb = (static_cast<uint32_t>(color.mRed & 0xFF) << 16) |
                         (static_cast<uint32_t>(color.mGreen & 0xFF) << 8) | static_cast<uint32_t>(color.mBlue & 0xFF);

    std::vector<uint32_t> onWhite(count, kWhiteFill);
    std::vector<uint32_t> onBlack(count, kBlackFill);
    RenderText(text, rgb, onWhite.data(), width, height);
    RenderText(text, rgb, onBlack.data(), width, height);

    MemoryImage image(mApp);
    image.Create(width, height);
    image.SetImageMode(true, true);
    RecoverPixels(onWhite.data(), onBlack.data(), image.GetBits(), count);
    image.BitsChanged();
    g->DrawImage(&image, x, y - mAscent);
}

} // namespace Lumo
