// The system font: point sizes to pixels, alpha recovered from the renderings
// over white and black, the passes of shadow and simulated bold, the image
// handed to the context, copies. A text layer with fixed metrics stands in
// for the real one, except in the last test.
#include "framework/graphics/SysFont.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/FakeTextRenderer.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::Graphics;
using Lumo::Image;
using Lumo::MemoryImage;
using Lumo::SysFont;
using Lumo::TRect;
using LumoTest::FakeTextRenderer;

namespace {

// A destination that keeps what each whole-image blit hands it.
class BltRecorder : public Image {
public:
    struct Call {
        int x;
        int y;
        TRect<int> srcRect;
        Color color;
        int drawMode;
        int width;
        int height;
        bool hasTrans;
        bool hasAlpha;
        std::vector<uint32_t> bits;
    };

    BltRecorder(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }

    void Blt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode) override
    {
        auto* memoryImage = dynamic_cast<MemoryImage*>(image);
        ASSERT_NE(memoryImage, nullptr);
        const uint32_t* bits = memoryImage->GetBits();
        calls.push_back(Call{x, y, srcRect, color, drawMode, image->GetWidth(), image->GetHeight(),
                             memoryImage->mHasTrans, memoryImage->mHasAlpha,
                             std::vector<uint32_t>(bits, bits + memoryImage->PixelCount())});
    }

    std::vector<Call> calls;
};

class SysFontTest : public ::testing::Test {
protected:
    TestApp mApp;
    FakeTextRenderer mRenderer; // advance 6, ascent 12, descent 4
};

TEST(SysFontArithmetic, PointsToPixelsRoundsHalfAwayFromZero)
{
    struct Case {
        int points;
        int dpi;
        int pixels;
    };
    const Case cases[] = {
        {12, 96, 16}, // 12 * 96 / 72 = 16
        {9, 96, 12},
        {10, 96, 13},  // 13.33
        {11, 96, 15},  // 14.67
        {8, 96, 11},   // 10.67
        {12, 120, 20},
        {1, 108, 2},   // 1.5 rounds up
        {-1, 108, -2}, // and -1.5 down
        {0, 96, 0},
        {12, 0, -1},   // no dpi: the platform's error value
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SysFont::PointsToPixels(c.points, c.dpi), c.pixels) << c.points << " pt at " << c.dpi;
    }
}

TEST(SysFontArithmetic, RecoversAlphaAndColourFromWhiteAndBlackRenderings)
{
    struct Case {
        uint32_t onWhite;
        uint32_t onBlack;
        uint32_t expected;
        const char* what;
    };
    const Case cases[] = {
        // Equal renderings: full coverage, the colour with alpha 255.
        {0x00FF0000, 0x00FF0000, 0xFFFF0000, "red fully covered"},
        {0x00000000, 0x00000000, 0xFF000000, "black on both fills stays opaque black"},
        {0x01000000, 0x01000000, 0xFF000000, "top byte overwritten by 255"},
        // Untouched fills: transparent.
        {0x00FFFFFF, 0x00000000, 0x00000000, "no text"},
        // Black at coverage 128: W = (255 * 127 + 127) / 255 = 127, K = 0;
        // a = 255 - 127 = 128, value 0.
        {0x007F7F7F, 0x00000000, 0x80000000, "black half covered"},
        // Red at coverage 128: W = FF,7F,7F, K = 80,00,00; a = 128 in every
        // channel; red = 128 * 255 / 128 = 255.
        {0x00FF7F7F, 0x00800000, 0x80FF0000, "red half covered"},
        // Only the top bytes differ: a = 255 everywhere, value = K.
        {0x01204060, 0x00204060, 0xFF204060, "top byte alone differs"},
        // White untouched but a colour bit shared: R: a = 255 - 254 = 1,
        // 1 * 255 / 1 = 255; G and B: a = 0, guarded to 0; alpha = 0.
        {0x00FFFFFF, 0x00010000, 0x00FF0000, "shared bit, two channels without coverage"},
        // R: W FF, K 00: a = 0, guarded to 0. G: a = 255 - (FE - 01) = 2,
        // 1 * 255 / 2 = 127 (7F). B: a = 255 - (80 - 02) = 129,
        // 2 * 255 / 129 = 3. Alpha = min(0, 2, 129) = 0.
        {0x00FFFE80, 0x00000102, 0x00007F03, "low coverage, one channel would divide by zero"},
        // Over white darker than over black: a = 255 + 16 = 271, alpha held
        // at 255; value = 32 * 255 / 271 = 30 (1E).
        {0x00101010, 0x00202020, 0xFF1E1E1E, "alpha above 255 is clamped"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SysFont::RecoverPixel(c.onWhite, c.onBlack), c.expected) << c.what;
    }

    uint32_t white[2] = {0x00FF7F7F, 0x00FFFFFF};
    uint32_t black[2] = {0x00800000, 0x00000000};
    uint32_t out[2] = {1, 1};
    SysFont::RecoverPixels(white, black, out, 2);
    EXPECT_EQ(out[0], 0x80FF0000u);
    EXPECT_EQ(out[1], 0u);
}

TEST_F(SysFontTest, ConstructorsAskTheTextLayerForTheEmHeightAndStyle)
{
    mRenderer.mDpi = 120;
    SysFont plain("Arial", 12);
    SysFont styled(&mApp, "Times New Roman", 12, 2, true, true, true);

    ASSERT_EQ(mRenderer.mCreated.size(), 2u);
    const Plat::FontDescription& p = mRenderer.mCreated[0];
    // Without an application 96 dpi whatever the screen says: 12 pt = 16 px.
    EXPECT_EQ(p.faceName, "Arial");
    EXPECT_EQ(p.height, -16);
    EXPECT_EQ(p.weight, 400);
    EXPECT_FALSE(p.italic);
    EXPECT_FALSE(p.underline);
    EXPECT_EQ(p.charSet, 0);
    EXPECT_EQ(plain.mApp, &mApp);

    const Plat::FontDescription& s = mRenderer.mCreated[1];
    // With the application the screen's dpi: 12 * 120 / 72 = 20.
    EXPECT_EQ(s.faceName, "Times New Roman");
    EXPECT_EQ(s.height, -20);
    EXPECT_EQ(s.weight, 700);
    EXPECT_TRUE(s.italic);
    EXPECT_TRUE(s.underline);
    EXPECT_EQ(s.charSet, 2);

    // Metrics from the layer; the rest zero, no shadow, no bold pass.
    EXPECT_EQ(styled.GetAscent(), 12);
    EXPECT_EQ(styled.GetHeight(), 16);
    EXPECT_EQ(styled.GetDescent(), 4);
    EXPECT_EQ(styled.GetAscentPadding(), 0);
    EXPECT_EQ(styled.GetLineSpacing(), 16);
    EXPECT_FALSE(styled.mDrawShadow);
    EXPECT_FALSE(styled.mSimulateBold);
}

TEST_F(SysFontTest, WidthsComeFromTheTextLayer)
{
    SysFont font("Arial", 12);
    EXPECT_EQ(font.StringWidth(""), 0);
    EXPECT_EQ(font.StringWidth("abc"), 18);
    EXPECT_EQ(font.CharWidth('x'), 6);
    EXPECT_EQ(font.CharWidthKern('x', 'a'), 6);
}

TEST_F(SysFontTest, DuplicateRemakesTheFaceAndDropsShadowBoldAndSpacing)
{
    SysFont font(&mApp, "Arial", 10, 0, true);
    font.mDrawShadow = true;
    font.mSimulateBold = true;
    font.mAscentPadding = 2;
    font.mLineSpacingOffset = 3;
    // The copy keeps the source's metrics, not what the layer says now.
    mRenderer.mAscent = 30;

    std::unique_ptr<Lumo::Font> copy(font.Duplicate());
    auto* sysCopy = dynamic_cast<SysFont*>(copy.get());
    ASSERT_NE(sysCopy, nullptr);
    ASSERT_EQ(mRenderer.mCreated.size(), 2u);
    EXPECT_EQ(mRenderer.mCreated[1], mRenderer.mCreated[0]);
    EXPECT_NE(sysCopy->mFontHandle.get(), font.mFontHandle.get());
    EXPECT_EQ(sysCopy->mApp, &mApp);
    EXPECT_EQ(sysCopy->mAscent, 12);
    EXPECT_EQ(sysCopy->mHeight, 16);
    EXPECT_EQ(sysCopy->mAscentPadding, 0);
    EXPECT_EQ(sysCopy->mLineSpacingOffset, 0);
    EXPECT_FALSE(sysCopy->mDrawShadow);
    EXPECT_FALSE(sysCopy->mSimulateBold);
}

TEST_F(SysFontTest, ContextWithoutDestinationDrawsNothing)
{
    SysFont font("Arial", 12);
    Graphics g;
    g.SetFont(&font);
    g.DrawString("abc", 0, 20);
    EXPECT_TRUE(mRenderer.mDrawCalls.empty());
}

TEST_F(SysFontTest, DrawsTheRecoveredImageAboveTheBaselineThroughTheContext)
{
    mRenderer.mCoverage['b'] = 128;
    SysFont font("Arial", 12);
    BltRecorder dest(100, 100);
    Graphics g(&dest);
    g.SetFont(&font);
    g.Translate(3, 4);
    g.SetColor(Color(255, 0, 0, 128));
    g.DrawString("ab ", 10, 20);

    ASSERT_EQ(dest.calls.size(), 1u);
    const BltRecorder::Call& call = dest.calls[0];
    // Left edge at x, top at the baseline minus the ascent, translated:
    // (10 + 3, 20 - 12 + 4).
    EXPECT_EQ(call.x, 13);
    EXPECT_EQ(call.y, 12);
    EXPECT_EQ(call.width, 18);  // 3 characters x 6
    EXPECT_EQ(call.height, 16); // ascent + descent
    EXPECT_EQ(call.srcRect, TRect<int>(0, 0, 18, 16));
    // The image goes through the context's whole-image draw: white unless
    // images are coloured, normal draw mode.
    EXPECT_EQ(call.color, Color::White);
    EXPECT_EQ(call.drawMode, 0);
    EXPECT_TRUE(call.hasTrans);
    EXPECT_TRUE(call.hasAlpha);

    // 'a' fully covered, 'b' at 128 (0x80FF0000, worked out in the table
    // above), the space untouched. The colour's own alpha plays no part.
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 18; ++col) {
            const uint32_t expected = col < 6 ? 0xFFFF0000 : col < 12 ? 0x80FF0000 : 0x00000000;
            ASSERT_EQ(call.bits[row * 18 + col], expected) << col << ", " << row;
        }
    }

    // Both renderings: one pass each, over white then over black.
    ASSERT_EQ(mRenderer.mDrawCalls.size(), 2u);
    EXPECT_EQ(mRenderer.mDrawCalls[0].firstPixel, 0x00FFFFFFu);
    EXPECT_EQ(mRenderer.mDrawCalls[1].firstPixel, 0x00000000u);
    EXPECT_EQ(mRenderer.mDrawCalls[1].rgb, 0xFF0000u);
}

TEST_F(SysFontTest, ShadowAndSimulatedBoldPasses)
{
    struct Case {
        bool shadow;
        bool bold;
        uint32_t at6x5;  // right of the text, below its top row
        uint32_t at7x5;
        uint32_t at7x0;  // top row: never under the shadow
        size_t passes;   // per rendering
    };
    const Case cases[] = {
        {false, false, 0x00000000, 0x00000000, 0x00000000, 1},
        {true, false, 0xFF000000, 0x00000000, 0x00000000, 2},  // shadow at (1, 1)
        {false, true, 0xFF0000FF, 0x00000000, 0x00000000, 2},  // text again at (1, 0)
        {true, true, 0xFF0000FF, 0xFF000000, 0x00000000, 4},   // shadow also at (2, 1)
    };
    for (const Case& c : cases) {
        mRenderer.mDrawCalls.clear();
        SysFont font("Arial", 12);
        font.mDrawShadow = c.shadow;
        font.mSimulateBold = c.bold;
        BltRecorder dest(40, 40);
        Graphics g(&dest);
        g.SetFont(&font);
        g.SetColor(Color(0, 0, 255));
        g.DrawString("a ", 0, 12);

        ASSERT_EQ(dest.calls.size(), 1u);
        const std::vector<uint32_t>& bits = dest.calls[0].bits; // 12 x 16
        EXPECT_EQ(bits[0], 0xFF0000FFu) << c.shadow << c.bold;
        EXPECT_EQ(bits[5 * 12 + 6], c.at6x5) << c.shadow << c.bold;
        EXPECT_EQ(bits[5 * 12 + 7], c.at7x5) << c.shadow << c.bold;
        EXPECT_EQ(bits[0 * 12 + 7], c.at7x0) << c.shadow << c.bold;
        EXPECT_EQ(bits[5 * 12 + 8], 0u) << c.shadow << c.bold;

        // The same passes over each fill: shadow first, then the text.
        ASSERT_EQ(mRenderer.mDrawCalls.size(), 2 * c.passes);
        std::vector<std::vector<int>> expected;
        if (c.shadow) {
            expected.push_back({1, 1, 0x000000});
            if (c.bold) {
                expected.push_back({2, 1, 0x000000});
            }
        }
        expected.push_back({0, 0, 0x0000FF});
        if (c.bold) {
            expected.push_back({1, 0, 0x0000FF});
        }
        for (size_t i = 0; i < mRenderer.mDrawCalls.size(); ++i) {
            const FakeTextRenderer::DrawCall& d = mRenderer.mDrawCalls[i];
            const std::vector<int>& e = expected[i % c.passes];
            EXPECT_EQ(d.x, e[0]) << i;
            EXPECT_EQ(d.y, e[1]) << i;
            EXPECT_EQ(d.rgb, static_cast<uint32_t>(e[2])) << i;
            EXPECT_EQ(d.text, "a ");
        }
        EXPECT_EQ(mRenderer.mDrawCalls[0].firstPixel, 0x00FFFFFFu);
        EXPECT_EQ(mRenderer.mDrawCalls[c.passes].firstPixel, 0x00000000u);
    }
}

TEST_F(SysFontTest, EmptyTextDrawsNothing)
{
    SysFont font("Arial", 12);
    BltRecorder dest(40, 40);
    Graphics g(&dest);
    g.SetFont(&font);
    g.DrawString("", 5, 5);
    EXPECT_TRUE(dest.calls.empty());
    EXPECT_TRUE(mRenderer.mDrawCalls.empty());
}

TEST_F(SysFontTest, BlendsOntoAMemoryImageInsideTheClip)
{
    MemoryImage image(&mApp);
    image.Create(30, 20);
    uint32_t* bits = image.GetBits();
    std::fill(bits, bits + 30 * 20, 0xFF0000FFu);
    image.BitsChanged();

    SysFont font("Arial", 12);
    Graphics g(&image);
    g.SetFont(&font);
    g.SetColor(Color(255, 0, 0));
    g.ClipRect(0, 0, 6, 20);
    g.DrawString("a", 2, 14); // cell (2, 2) to (8, 18), clipped at x 6

    // The blit's blend over an opaque destination, alpha 255:
    // dest * (256 - 255) / 256 + src * 255 / 256: red 255 * 255 / 256 = 254,
    // blue 255 * 1 / 256 = 0.
    const uint32_t* out = image.GetBits();
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool inText = x >= 2 && x < 6 && y >= 2 && y < 18;
            ASSERT_EQ(out[y * 30 + x], inText ? 0xFFFE0000u : 0xFF0000FFu) << x << ", " << y;
        }
    }
}

// The real text layer: Arial is Liberation Sans, whose OS/2 table gives
// win ascent 1854 and descent 434 of 2048 units. At 16 px: 14.48 -> 14 and
// 3.39 -> 3.
TEST(SysFontRealText, DrawsArialOntoAMemoryImage)
{
    TestApp app;
    SysFont font("Arial", 12);
    EXPECT_EQ(font.GetAscent(), 14);
    EXPECT_EQ(font.GetHeight(), 17);
    const int width = font.StringWidth("Hello");
    EXPECT_GT(width, 20);
    EXPECT_LT(width, 60);

    MemoryImage image(&app);
    image.Create(80, 30);
    uint32_t* bits = image.GetBits();
    std::fill(bits, bits + 80 * 30, 0xFFFFFFFFu);
    image.BitsChanged();
    Graphics g(&image);
    g.SetFont(&font);
    g.SetColor(Color(0, 0, 0));
    g.DrawString("Hello", 5, 20);

    const uint32_t* out = image.GetBits();
    int changed = 0;
    int dark = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            const uint32_t p = out[y * 80 + x];
            if (p == 0xFFFFFFFFu) {
                continue;
            }
            ++changed;
            // Only inside the text's cell: x 5 .. 5 + width, y 20 - 14 .. + 17.
            EXPECT_TRUE(x >= 5 && x < 5 + width && y >= 6 && y < 23) << x << ", " << y;
            EXPECT_EQ(p >> 24, 0xFFu);
            if ((p & 0xFF) < 0x40) {
                ++dark;
            }
        }
    }
    EXPECT_GT(changed, 40);
    EXPECT_GT(dark, 20);
}

} // namespace
