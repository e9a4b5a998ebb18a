// Drawing onto the screen's surface image: every primitive leaves the
// surface exactly as drawing the same picture as a memory image and
// converting it to the display would, inside what it draws and outside
// (untouched), on 16- and 32-bit displays, one primitive after another.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayPixel.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Span.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "platform/video/DisplaySurface.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

using Lumo::Color;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

// A sprite with transparent, translucent and opaque pixels.
std::vector<uint32_t> SpritePixels(int width, int height)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t alpha = (x + y) % 3 == 0 ? 0 : ((x + y) % 3 == 1 ? 0x80 : 0xFF);
            pixels.push_back(alpha << 24 | uint32_t(x * 40) << 16 | uint32_t(y * 50) << 8 | 0x30);
        }
    }
    return pixels;
}

class DDImageDrawTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        host.desktopBits = GetParam();
        host.clientWidth = kWidth;
        host.clientHeight = kHeight;
        app.width = kWidth;
        app.height = kHeight;
        ASSERT_EQ(app.AddDisplay()->Init(DisplayTestWindow(), true), 0);
        screen = app.ddInterface->GetScreenImage();
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->GetWidth(), kWidth);
        ASSERT_EQ(screen->GetHeight(), kHeight);
        surface = screen->mSurface;
        const Plat::DisplayPixelFormat& format = surface->PixelFormat();
        channels = Lumo::MakeDisplayChannels(format.redMask, format.greenMask, format.blueMask);

        // A different value in nearly every pixel, so that a pixel written
        // back from the wrong place or a stale copy shows.
        const uint32_t mask = GetParam() == 16 ? 0xFFFF : 0xFFFFFF;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                surface->WritePixel(x, y, (uint32_t(x * 7919 + y * 104729) * 2654435761u >> 5) & mask);
            }
        }
        reference = std::make_unique<MemoryImage>(&app);
        ReadReference();
    }

    // The reference becomes the surface's picture as a memory image sees it.
    void ReadReference()
    {
        std::vector<uint32_t> readBack;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                readBack.push_back(Lumo::DisplayToArgb(surface->ReadPixel(x, y), channels));
            }
        }
        reference->SetBits(readBack.data(), kWidth, kHeight);
    }

    TestDisplayHost host;
    TestApp app;
    DDImage* screen = nullptr;
    Plat::DisplaySurface* surface = nullptr;
    Lumo::DisplayChannels channels;
    std::unique_ptr<MemoryImage> reference;
};

TEST_P(DDImageDrawTest, PrimitivesMatchTheMemoryImageAndTouchNothingElse)
{
    const std::vector<uint32_t> spritePixels = SpritePixels(12, 10);
    MemoryImage sprite(&app);
    sprite.SetBits(spritePixels.data(), 12, 10);
    // A picture with its own keyed surface (alpha only 0 and 255).
    std::vector<uint32_t> keyedPixels(6 * 5, 0xFF2050A0);
    keyedPixels[7] = 0;
    keyedPixels[20] = 0;
    DDImage keyed(app.ddInterface);
    keyed.SetBits(keyedPixels.data(), 6, 5);
    ASSERT_TRUE(keyed.GenerateDDSurface());

    const Lumo::Span spans[] = {{20, 30, 9}, {21, 28, 12}, {22, 27, 0}, {23, 33, 5}};
    std::vector<unsigned char> coverage(40 * 6);
    for (size_t i = 0; i < coverage.size(); ++i) {
        coverage[i] = static_cast<unsigned char>(i * 37);
    }
    Lumo::Matrix3 turn;
    turn.Scale(1.5f, 0.75f);
    turn.RotateRadians(0.6f);
    const Lumo::TriangleRasterizer::ClipVertex triangle[1][3] = {
        {{4.5f, 30.25f, 0.0f, 0.0f, 0}, {40.0f, 36.5f, 1.0f, 0.0f, 0}, {15.75f, 58.0f, 0.0f, 1.0f, 0}}};
    const TRect<int> whole(0, 0, kWidth, kHeight);
    const TRect<int> spriteRect(0, 0, 12, 10);

    struct Step {
        const char* name;
        std::function<void(MemoryImage&)> draw;
    };
    const Step steps[] = {
        {"opaque fill", [](MemoryImage& i) { i.FillRect(TRect<int>(10, 12, 7, 5), Color(200, 30, 90), 0); }},
        {"translucent fill over the edge",
         [](MemoryImage& i) { i.FillRect(TRect<int>(-3, 55, 20, 20), Color(40, 220, 90, 100), 0); }},
        {"fill outside the image", [](MemoryImage& i) { i.FillRect(TRect<int>(200, 5, 8, 8), Color(255, 0, 0), 0); }},
        {"clear", [](MemoryImage& i) { i.ClearRect(TRect<int>(60, 3, 9, 4)); }},
        {"line", [](MemoryImage& i) { i.DrawLine(3.5, 40.25, 60.75, 10.5, Color(250, 250, 20), 0); }},
        {"translucent steep line", [](MemoryImage& i) { i.DrawLine(70.2, 2.5, 64.9, 61.5, Color(0, 90, 250, 128), 0); }},
        {"additive line", [](MemoryImage& i) { i.DrawLine(90.5, 60.5, 12.25, 33.0, Color(60, 60, 60), 1); }},
        {"horizontal line", [](MemoryImage& i) { i.DrawLine(10.7, 5, 3.2, 5, Color(10, 200, 30), 0); }},
        {"smooth line", [](MemoryImage& i) { i.DrawLineAA(5.3, 60.2, 90.6, 2.7, Color(255, 255, 255), 0); }},
        {"smooth steep line", [](MemoryImage& i) { i.DrawLineAA(50.5, 1.2, 47.1, 62.8, Color(255, 40, 40, 200), 0); }},
        {"coverage spans",
         [&](MemoryImage& i) {
             i.FillScanLinesWithCoverage(spans, 4, Color(255, 128, 0, 220), 0, coverage.data(), 26, 19, 40, 0);
         }},
        {"sprite", [&](MemoryImage& i) { i.Blt(&sprite, 30, 8, spriteRect, Color::White, 0); }},
        {"sprite over the corner", [&](MemoryImage& i) { i.Blt(&sprite, 88, 57, spriteRect, Color::White, 0); }},
        {"tinted sprite", [&](MemoryImage& i) { i.Blt(&sprite, 2, 2, spriteRect, Color(90, 200, 255, 180), 0); }},
        {"additive sprite", [&](MemoryImage& i) { i.Blt(&sprite, 50, 40, spriteRect, Color::White, 1); }},
        {"keyed surface picture",
         [&](MemoryImage& i) { i.Blt(&keyed, 70, 20, TRect<int>(0, 0, 6, 5), Color::White, 0); }},
        {"sprite at a fraction",
         [&](MemoryImage& i) { i.BltF(&sprite, 20.5f, 30.25f, spriteRect, TRect<int>(0, 0, 80, 50), Color::White, 0); }},
        {"turned sprite",
         [&](MemoryImage& i) {
             i.BltRotated(&sprite, 40.0f, 20.0f, spriteRect, whole, Color::White, 0, 0.7, 6.0f, 5.0f);
         }},
        {"stretched sprite",
         [&](MemoryImage& i) {
             i.StretchBlt(&sprite, TRect<int>(30, 20, 25, 13), spriteRect, whole, Color::White, 0, false);
         }},
        {"quick stretch, clipped",
         [&](MemoryImage& i) {
             i.StretchBlt(&sprite, TRect<int>(60, 30, 40, 40), spriteRect, TRect<int>(0, 0, 90, 60), Color::White, 0,
                          true);
         }},
        {"matrix",
         [&](MemoryImage& i) { i.BltMatrix(&sprite, 48.0f, 32.0f, turn, whole, Color::White, 0, spriteRect, true); }},
        {"textured triangle",
         [&](MemoryImage& i) { i.BltTrianglesTex(&sprite, triangle, 1, whole, Color::White, 0, 3.0f, -2.0f, false); }},
        {"fill over pixels already read back",
         [](MemoryImage& i) {
             i.GetBits();
             i.FillRect(TRect<int>(40, 40, 6, 6), Color(1, 2, 3, 77), 0);
         }},
    };

    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.draw(*reference);
        step.draw(*screen);
        const uint32_t* expected = reference->GetBits();
        int mismatches = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t want = Lumo::ArgbToDisplay(expected[y * kWidth + x], channels);
                if (surface->ReadPixel(x, y) != want && ++mismatches <= 3) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << surface->ReadPixel(x, y)
                                  << " instead of " << want;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_EQ(screen->mBits, nullptr); // the surface holds the one copy
        EXPECT_TRUE(surface->PaddingIntact());
        EXPECT_FALSE(surface->IsLocked());
        // Each primitive is judged on its own.
        ReadReference();
    }
}

TEST_P(DDImageDrawTest, AHeldLockStaysHeld)
{
    // The widget manager locks the screen for a whole frame.
    ASSERT_TRUE(screen->LockSurface());
    screen->FillRect(TRect<int>(1, 1, 2, 2), Color(255, 0, 0), 0);
    EXPECT_TRUE(surface->IsLocked());
    EXPECT_EQ(screen->mLockCount, 1);
    EXPECT_EQ(surface->ReadPixel(1, 1), GetParam() == 16 ? 0xF800U : 0xFF0000U);
    EXPECT_TRUE(screen->UnlockSurface());
    EXPECT_FALSE(surface->IsLocked());
}

INSTANTIATE_TEST_SUITE_P(Depths, DDImageDrawTest, ::testing::Values(16, 32));

} // namespace
