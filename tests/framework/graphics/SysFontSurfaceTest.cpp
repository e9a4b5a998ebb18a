// The system font on a surface image: the text goes straight into the
// surface in its own pixel format, one pixel lower than on a memory image,
// inside the clip; the lock the image holds survives; an image that cannot
// get a surface gets no text. A text layer with fixed metrics stands in.
#include "framework/graphics/SysFont.h"

#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/FakeTextRenderer.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using Lumo::Color;
using Lumo::DDImage;
using Lumo::Graphics;
using Lumo::MemoryImage;
using Lumo::SysFont;
using LumoTest::FakeTextRenderer;

namespace {

constexpr int kWidth = 30;
constexpr int kHeight = 24;
constexpr uint32_t kBlue = 0xFF0000FF;

class SysFontSurfaceTest : public ::testing::Test {
protected:
    // Starts a windowed display on a desktop of that depth.
    void Start(int bits)
    {
        host.desktopBits = bits;
        ASSERT_EQ(app.AddDisplay()->Init(DisplayTestWindow(), true), 0);
    }
    // An opaque blue surface image of kWidth x kHeight on the display.
    std::unique_ptr<DDImage> BlueImage(Lumo::DDInterface* display)
    {
        auto image = std::make_unique<DDImage>(display);
        const std::vector<uint32_t> pixels(kWidth * kHeight, kBlue);
        image->SetBits(pixels.data(), kWidth, kHeight);
        return image;
    }
    // Draws "a" with its baseline at (2, 14), translated by (1, 1), in red.
    void DrawA(Lumo::Image* dest, SysFont& font, bool clip)
    {
        Graphics g(dest);
        g.SetFont(&font);
        g.SetColor(Color(255, 0, 0));
        g.Translate(1, 1);
        if (clip) {
            g.ClipRect(-1, -1, 5, 30); // translated: pixels x 0 to 4
        }
        g.DrawString("a", 2, 14);
    }

    TestDisplayHost host;
    TestApp app;
    FakeTextRenderer renderer; // advance 6, ascent 12, descent 4
};

TEST_F(SysFontSurfaceTest, TextLandsOnePixelLowerThanOnAMemoryImage)
{
    Start(32);
    SysFont font("Arial", 12);

    MemoryImage memory(&app);
    const std::vector<uint32_t> pixels(kWidth * kHeight, kBlue);
    memory.SetBits(pixels.data(), kWidth, kHeight);
    DrawA(&memory, font, false);

    std::unique_ptr<DDImage> surfaceImage = BlueImage(app.ddInterface);
    DrawA(surfaceImage.get(), font, false);
    // The surface holds the only picture now.
    ASSERT_NE(surfaceImage->mSurface, nullptr);
    EXPECT_EQ(surfaceImage->mBits, nullptr);

    // Cell 6 x 16 at x 2 + 1. Memory: top 14 - 12 + 1 = 3 (the blit's
    // blend decides the colour). Surface: top 4, written by the text layer
    // at full coverage (exact red).
    const uint32_t* memoryOut = memory.GetBits();
    const uint32_t* surfaceOut = surfaceImage->GetBits();
    ASSERT_NE(surfaceOut, nullptr);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool column = x >= 3 && x < 9;
            const bool onMemory = column && y >= 3 && y < 19;
            const bool onSurface = column && y >= 4 && y < 20;
            ASSERT_EQ(memoryOut[y * kWidth + x] != kBlue, onMemory) << x << ", " << y;
            ASSERT_EQ(surfaceOut[y * kWidth + x], onSurface ? 0xFFFF0000 : kBlue) << x << ", " << y;
        }
    }
}

TEST_F(SysFontSurfaceTest, WritesTheSurfaceFormatInsideTheClip)
{
    struct Case {
        int bits;
        uint8_t coverage;
        uint32_t text;       // display value inside the text
        uint32_t background; // display value of the blue fill
    };
    const Case cases[] = {
        {32, 255, 0xFF0000, 0x0000FF},
        // Red at 128 over blue: red (255 * 128 + 127) / 255 = 128,
        // blue (255 * 127 + 127) / 255 = 127.
        {32, 128, 0x80007F, 0x0000FF},
        // 565: blue reads back as 248; red (255 * 128 + 127) / 255 = 128,
        // blue (248 * 127 + 127) / 255 = 124; 128 >> 3 = 16 at bit 11,
        // 124 >> 3 = 15.
        {16, 128, 0x800F, 0x001F},
        {16, 255, 0xF800, 0x001F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, coverage " << int(c.coverage));
        Start(c.bits);
        renderer.mCoverage['a'] = c.coverage;
        SysFont font("Arial", 12);
        std::unique_ptr<DDImage> image = BlueImage(app.ddInterface);
        DrawA(image.get(), font, true);
        ASSERT_NE(image->mSurface, nullptr);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool inText = x >= 3 && x < 5 && y >= 4 && y < 20;
                ASSERT_EQ(image->mSurface->ReadPixel(x, y), inText ? c.text : c.background) << x << ", " << y;
            }
        }
        EXPECT_TRUE(image->mSurface->PaddingIntact());
    }
}

TEST_F(SysFontSurfaceTest, ShadowAndSimulatedBoldPassesSitOnePixelLower)
{
    Start(32);
    struct Case {
        bool shadow;
        bool bold;
        std::vector<std::vector<int>> passes; // x, y, rgb
    };
    // Baseline at (5, 16): the text's cell top is 16 - 12 + 1 = 5.
    const Case cases[] = {
        {false, false, {{5, 5, 0x00FF00}}},
        {true, false, {{6, 6, 0}, {5, 5, 0x00FF00}}},
        {false, true, {{5, 5, 0x00FF00}, {6, 5, 0x00FF00}}},
        {true, true, {{6, 6, 0}, {7, 6, 0}, {5, 5, 0x00FF00}, {6, 5, 0x00FF00}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "shadow " << c.shadow << ", bold " << c.bold);
        renderer.mDrawCalls.clear();
        SysFont font("Arial", 12);
        font.mDrawShadow = c.shadow;
        font.mSimulateBold = c.bold;
        std::unique_ptr<DDImage> image = BlueImage(app.ddInterface);
        Graphics g(image.get());
        g.SetFont(&font);
        g.SetColor(Color(0, 255, 0));
        g.DrawString("a", 5, 16);

        // One rendering only, straight onto the surface's pixels (blue).
        ASSERT_EQ(renderer.mDrawCalls.size(), c.passes.size());
        for (size_t i = 0; i < c.passes.size(); ++i) {
            const FakeTextRenderer::DrawCall& d = renderer.mDrawCalls[i];
            EXPECT_EQ(d.x, c.passes[i][0]) << i;
            EXPECT_EQ(d.y, c.passes[i][1]) << i;
            EXPECT_EQ(d.rgb, static_cast<uint32_t>(c.passes[i][2])) << i;
            EXPECT_EQ(d.firstPixel & 0xFFFFFF, 0x0000FFu) << i;
        }
        // The text's rows are 5 to 20; the shadow's last row shows below.
        EXPECT_EQ(image->mSurface->ReadPixel(6, 21), c.shadow ? 0x000000u : 0x0000FFu);
        EXPECT_EQ(image->mSurface->ReadPixel(5, 20), 0x00FF00u);
    }
}

TEST_F(SysFontSurfaceTest, ASurfaceHeldLockedIsLockedAgainAfterTheText)
{
    Start(32);
    SysFont font("Arial", 12);
    std::unique_ptr<DDImage> image = BlueImage(app.ddInterface);
    ASSERT_TRUE(image->LockSurface());
    DrawA(image.get(), font, false);

    EXPECT_EQ(image->mLockCount, 1);
    EXPECT_TRUE(image->mSurface->IsLocked());
    EXPECT_NE(image->mLockedSurfaceDesc.surface, nullptr);
    EXPECT_EQ(image->mSurface->ReadPixel(3, 4), 0xFF0000u);
    EXPECT_TRUE(image->UnlockSurface());
    EXPECT_FALSE(image->mSurface->IsLocked());
}

TEST_F(SysFontSurfaceTest, ImagesWithoutASurfaceGetNoText)
{
    Start(32);
    SysFont font("Arial", 12);
    // No display behind the image, and partly transparent pixels: neither
    // can have a surface.
    std::unique_ptr<DDImage> detached = BlueImage(nullptr);
    std::unique_ptr<DDImage> translucent = BlueImage(app.ddInterface);
    translucent->GetBits()[0] = 0x800000FF;
    translucent->BitsChanged();
    for (DDImage* image : {detached.get(), translucent.get()}) {
        const std::vector<uint32_t> before(image->GetBits(), image->GetBits() + image->PixelCount());
        DrawA(image, font, false);
        EXPECT_EQ(image->mSurface, nullptr);
        EXPECT_EQ(std::vector<uint32_t>(image->GetBits(), image->GetBits() + image->PixelCount()), before);
    }
    EXPECT_TRUE(renderer.mDrawCalls.empty());
}

} // namespace
