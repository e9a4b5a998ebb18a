// The loops on a locked display surface, checked against pixels worked out
// by hand from their formulas (where they differ from the memory image's
// bodies by design), their edge cases, hostile arguments, and the faults
// they must not repeat: a failed surface must not cost the picture, a
// target with alpha still gets its stretch, and an anti-aliased line never
// writes outside the pixels.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Span.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"
#include "support/TestScreen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

using Lumo::Color;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

enum Format { k565, k555, k8888 };

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// A windowed display of one format whose screen image is kWidth x kHeight.
class Screen {
public:
    explicit Screen(Format format)
    {
        screen = OpenTestScreen(host, app, kWidth, kHeight, format == k8888, format == k555);
        ok = screen != nullptr;
        if (ok) {
            surface = screen->mSurface;
            colourMask = format == k8888 ? 0xFFFFFF : 0xFFFF;
            Paint(0);
        }
    }
    void Paint(uint32_t value)
    {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                surface->WritePixel(x, y, value);
            }
        }
    }
    // The pixel's colour bits (the unused top byte of a 32-bit pixel may hold anything).
    uint32_t At(int x, int y) const { return surface->ReadPixel(x, y) & colourMask; }
    std::unique_ptr<MemoryImage> Picture(const std::vector<uint32_t>& pixels, int width)
    {
        auto image = std::make_unique<MemoryImage>(&app);
        image->SetBits(pixels.data(), width, static_cast<int>(pixels.size()) / width);
        return image;
    }

    TestDisplayHost host;
    TestApp app;
    bool ok = false;
    DDImage* screen = nullptr;
    Plat::DisplaySurface* surface = nullptr;
    uint32_t colourMask = 0;
};

TEST(SurfaceLoops, FillsAndLinesByTheirFormulas)
{
    // 5:6:5 opaque fill: ((c + 1) x m >> 8) AND m per channel; c = 32:
    // 33 x 0xF800 >> 8 = 0x1FF8 -> 0x1800; 33 x 0x7E0 >> 8 = 0x103 -> 0x100;
    // 33 x 0x1F >> 8 = 3. The memory image would give 0x2104.
    Screen t(k565);
    ASSERT_TRUE(t.ok);
    t.screen->FillRect(TRect<int>(2, 2, 3, 3), Color(32, 32, 32, 255), 0);
    EXPECT_EQ(t.At(3, 3), 0x1903U);
    EXPECT_EQ(t.At(5, 3), 0U);
    // Opaque white line: ((255 m + (m >> 1)) >> 8) AND m: red 0xF784 ->
    // 0xF000, green 0x7DC -> 0x7C0, blue 30 -> 0x1E. The memory image: 0xFFFF.
    t.screen->DrawLine(10.0, 10.0, 20.0, 13.0, Color(255, 255, 255), 0);
    EXPECT_EQ(t.At(10, 10), 0xF7DEU);
    EXPECT_EQ(t.At(20, 13), 0xF7DEU);
}

TEST(SurfaceLoops, OpaqueWhiteFillOn32BitsIsFE)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    t.screen->FillRect(TRect<int>(0, 0, 4, 4), Color(255, 255, 255, 255), 0);
    EXPECT_EQ(t.surface->ReadPixel(1, 1), 0x00FEFEFEU);
}

TEST(SurfaceLoops, TranslucentFillsAndAdditiveFill)
{
    Screen t(k565);
    ASSERT_TRUE(t.ok);
    // a = 128 over 0x1F (blue 31): inv = 128.
    // red: ((0) + 0xF800 >> 8) AND m = 0 plus ((((200 x 128 + 0x80) >> 8) + 1) = 101) x 0xF800 >> 8 = 0x62A8 -> 0x6000.
    // green: 0 plus (((((100 x 128 + 0x80) >> 8) + 1) = 51) x 0x7E0 >> 8 = 0x191 -> 0x180.
    // blue: (31 x 128 + 31) >> 8 = 15 plus ((0 + 1) x 31 >> 8 = 0) -> 15.
    t.Paint(0x1F);
    t.screen->FillRect(TRect<int>(0, 0, 2, 2), Color(200, 100, 0, 128), 0);
    EXPECT_EQ(t.At(0, 0), 0x6000U + 0x180U + 15U);
    // Additive white on white stays white.
    t.Paint(0xFFFF);
    t.screen->FillRect(TRect<int>(0, 0, 2, 2), Color(255, 255, 255, 255), 1);
    EXPECT_EQ(t.At(1, 1), 0xFFFFU);
    // Additive (64, 64, 64, 255) over black: 64 >> 3 = 8, 64 >> 2 = 16.
    t.Paint(0);
    t.screen->FillRect(TRect<int>(0, 0, 2, 2), Color(64, 64, 64, 255), 1);
    EXPECT_EQ(t.At(0, 1), (8U << 11) | (16U << 5) | 8U);
    // Mode 2 draws nothing.
    t.screen->FillRect(TRect<int>(5, 5, 2, 2), Color(255, 0, 0), 2);
    EXPECT_EQ(t.At(5, 5), 0U);
}

TEST(SurfaceLoops, BlitsByTheirFormulas)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    t.Paint(0x0000FF);
    // 0x80FF0000 over blue: native 0x80800000 (255 x 129 >> 8 = 128); k = 128;
    // blue 255 x 128 >> 8 = 0x7F; plus the native word.
    const auto red = t.Picture({0x80FF0000}, 1);
    t.screen->Blt(red.get(), 3, 3, TRect<int>(0, 0, 1, 1), Color::White, 0);
    EXPECT_EQ(t.At(3, 3), 0x80007FU);

    // A grey colour (128, 128, 128) on 5:6:5 halves white: q = 16.
    Screen other(k565);
    ASSERT_TRUE(other.ok);
    const auto white = other.Picture({0xFFFFFFFF, 0xFFFFFFFF}, 2);
    other.screen->Blt(white.get(), 0, 0, TRect<int>(0, 0, 2, 1), Color(128, 128, 128), 0);
    EXPECT_EQ(other.At(0, 0), 0x7BEFU);
    EXPECT_EQ(other.At(1, 0), 0x7BEFU);
}

TEST(SurfaceLoops, LongRunsOn32BitsFollowThePerChannelFormulas)
{
    // Rows long enough for the four-pixel blocks, against the formulas
    // channel by channel: native p_c = (c x (T + 1)) >> 8; white blended
    // (d x (256 - T)) >> 8 + p; coloured f = c x A / 255, opaque run with
    // A = 255 p x f >> 8, else k = 256 - T x A / 255 and (d x k + p x f) >> 8.
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 18; ++i) {
        const uint32_t alpha = i < 9 ? 255 : 40 + 11 * i;
        pixels.push_back(alpha << 24 | uint32_t(17 * i + 3) << 16 | uint32_t(255 - 9 * i) << 8 | uint32_t(13 * i));
    }
    const auto row = t.Picture(pixels, 18);
    const Color colours[] = {Color::White, Color(200, 100, 50, 255), Color(200, 100, 50, 200), Color(90, 90, 90, 140)};
    for (const Color& c : colours) {
        for (int x = 0; x < 18; ++x) {
            t.surface->WritePixel(x, 3, uint32_t(x * 14) << 16 | uint32_t(250 - x * 7) << 8 | uint32_t(x * 5 + 60));
        }
        std::vector<uint32_t> before;
        for (int x = 0; x < 18; ++x) {
            before.push_back(t.At(x, 3));
        }
        t.screen->Blt(row.get(), 0, 3, TRect<int>(0, 0, 18, 1), c, 0);
        const bool white = c == Color::White;
        const int channel[3] = {c.mRed, c.mGreen, c.mBlue};
        for (int x = 0; x < 18; ++x) {
            const uint32_t T = pixels[size_t(x)] >> 24;
            uint32_t expected = 0;
            for (int k = 0; k < 3; ++k) {
                const int shift = 16 - 8 * k;
                const uint32_t d = (before[size_t(x)] >> shift) & 0xFF;
                const uint32_t p = ((((pixels[size_t(x)] >> shift) & 0xFF) * (T + 1)) >> 8);
                const uint32_t f = uint32_t(channel[k] * c.mAlpha / 255);
                uint32_t out = 0;
                if (white) {
                    out = T == 255 ? p : ((d * (256 - T)) >> 8) + p;
                } else if (T == 255 && c.mAlpha == 255) {
                    out = (p * f) >> 8;
                } else {
                    out = (d * (256 - T * uint32_t(c.mAlpha) / 255) + p * f) >> 8;
                }
                expected |= out << shift;
            }
            EXPECT_EQ(t.At(x, 3), expected) << x << " in colour " << c.mRed << "," << c.mAlpha;
        }
    }
}

TEST(SurfaceLoops, VolatilePicturesBlendFromTheirPixels)
{
    {
        // 5:6:5 spread form, alpha 255 -> s >> 27 = 31: white over black
        // gives 31 x 31 >> 5 = 30, 63 x 31 >> 5 = 61, 30.
        Screen t(k565);
        ASSERT_TRUE(t.ok);
        const auto white = t.Picture({0xFFFFFFFF}, 1);
        white->SetVolatile(true);
        t.screen->Blt(white.get(), 1, 1, TRect<int>(0, 0, 1, 1), Color::White, 0);
        EXPECT_EQ(t.At(1, 1), (30U << 11) | (61U << 5) | 30U);
    }
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    const auto red = t.Picture({0x80FF0000}, 1);
    red->SetVolatile(true);
    // Order flag set: ((s - d) x a >> 8) + d on the pairs, wrapping:
    // red (0xFF0000 - 0xFF) x 128 >> 8 = 0x7F7F80, + 0xFF -> 0x7F007F.
    t.Paint(0x0000FF);
    ASSERT_TRUE(Lumo::gRGBOrder);
    t.screen->Blt(red.get(), 1, 1, TRect<int>(0, 0, 1, 1), Color::White, 0);
    EXPECT_EQ(t.At(1, 1), 0x7F007FU);
    // Flag clear: per channel (d x (256 - a) + ((s x a) >> 8) x m + (m >> 1)) >> 8:
    // red (127 x 0xFF0000 + 0x7F8000) >> 8 -> 0x7F0000; blue (255 x 128 + 127) >> 8 = 0x7F.
    Lumo::gRGBOrder = false;
    t.screen->Blt(red.get(), 2, 1, TRect<int>(0, 0, 1, 1), Color::White, 0);
    Lumo::gRGBOrder = true;
    EXPECT_EQ(t.At(2, 1), 0x7F007FU);
}

TEST(SurfaceLoops, RunsCutAtTheRowEndAndAdditiveWhiteStaysWhite)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    t.Paint(0x000010);
    // One row of eight translucent pixels: the run byte at column 0 is 8,
    // the blit takes three.
    const auto row = t.Picture(std::vector<uint32_t>(8, 0x80FF0000), 8);
    t.screen->Blt(row.get(), 5, 5, TRect<int>(0, 0, 3, 1), Color::White, 0);
    EXPECT_EQ(t.At(7, 5), 0x800008U);
    EXPECT_EQ(t.At(8, 5), 0x000010U);
    EXPECT_EQ(t.At(4, 5), 0x000010U);

    t.Paint(0xFFFFFF);
    const auto white = t.Picture(std::vector<uint32_t>(4, 0xFFFFFFFF), 4);
    t.screen->Blt(white.get(), 0, 0, TRect<int>(0, 0, 4, 1), Color::White, 1);
    t.screen->Blt(white.get(), 0, 1, TRect<int>(0, 0, 4, 1), Color(200, 100, 50), 1);
    EXPECT_EQ(t.At(2, 0), 0xFFFFFFU);
    EXPECT_EQ(t.At(2, 1), 0xFFFFFFU);
}

TEST(SurfaceLoops, MirroredBlitsWriteRowsBackwards)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    const auto abc = t.Picture({0xFF100000, 0xFF200000, 0xFF300000}, 3);
    t.screen->BltMirror(abc.get(), 4, 2, TRect<int>(0, 0, 3, 1), Color::White, 0);
    EXPECT_EQ(t.At(4, 2), 0x300000U);
    EXPECT_EQ(t.At(5, 2), 0x200000U);
    EXPECT_EQ(t.At(6, 2), 0x100000U);
    t.screen->BltMirror(abc.get(), 4, 3, TRect<int>(0, 0, 3, 1), Color::White, 1);
    EXPECT_EQ(t.At(4, 3), 0x300000U);
    EXPECT_EQ(t.At(6, 3), 0x100000U);
    // Cut at the left edge of the screen: the source loses its right end.
    t.screen->BltMirror(abc.get(), -1, 4, TRect<int>(0, 0, 3, 1), Color::White, 0);
    EXPECT_EQ(t.At(0, 4), 0x200000U);
    EXPECT_EQ(t.At(1, 4), 0x100000U);
}

TEST(SurfaceLoops, RotationByZeroWeighsTheFullPixelAt253)
{
    // fx = fy = 1: w00 = ((0xFFFF x 0xFFFF >> 16 = 0xFFFE) x 255 >> 16 = 254) x 255 >> 8 = 253;
    // the channel (255 x 253) >> 8 = 252 (x 256 >> 24), inverse 3 on black.
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    const auto white = t.Picture(std::vector<uint32_t>(4 * 4, 0xFFFFFFFF), 4);
    t.screen->BltF(white.get(), 10.0f, 10.0f, TRect<int>(0, 0, 4, 4), TRect<int>(0, 0, kWidth, kHeight),
                 Color::White, 0);
    EXPECT_EQ(t.At(10, 10), 0xFCFCFCU);
    EXPECT_EQ(t.At(12, 12), 0xFCFCFCU);
    EXPECT_EQ(t.At(9, 10), 0U);
}

TEST(SurfaceLoops, FastStretchPicksColumnsBy16Dot16Steps)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    // 3 -> 9: step trunc(3 x 65536 / 9) = 21845, so column 3 is at 65535 (0)
    // and column 6 at 131070 (1).
    const auto three = t.Picture({0xFF000010, 0xFF000020, 0xFF000030}, 3);
    t.screen->StretchBlt(three.get(), TRect<int>(0, 0, 9, 1), TRect<int>(0, 0, 3, 1),
                       TRect<int>(0, 0, kWidth, kHeight), Color::White, 0, true);
    const uint32_t expected[9] = {0x10, 0x10, 0x10, 0x10, 0x20, 0x20, 0x20, 0x30, 0x30};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(t.At(i, 0), expected[i]) << i;
    }
    // Opaque white over black: (d x 1 >> 8) + 0xFFFFFFFF -> 0xFFFFFF.
    const auto white = t.Picture({0xFFFFFFFF}, 1);
    t.screen->StretchBlt(white.get(), TRect<int>(0, 2, 2, 2), TRect<int>(0, 0, 1, 1), TRect<int>(0, 0, kWidth, kHeight),
                       Color::White, 0, true);
    EXPECT_EQ(t.At(1, 3), 0xFFFFFFU);
    // Twice the size repeats each pixel twice each way; a transparent pixel
    // leaves the destination alone.
    t.Paint(0x000001);
    const auto two = t.Picture({0xFF000010, 0x00000000, 0xFF000030, 0xFF000040}, 2);
    t.screen->StretchBlt(two.get(), TRect<int>(0, 0, 4, 4), TRect<int>(0, 0, 2, 2), TRect<int>(0, 0, kWidth, kHeight),
                       Color::White, 0, true);
    EXPECT_EQ(t.At(1, 1), 0x10U);
    EXPECT_EQ(t.At(2, 0), 0x01U);
    EXPECT_EQ(t.At(3, 1), 0x01U);
    EXPECT_EQ(t.At(0, 2), 0x30U);
    EXPECT_EQ(t.At(3, 3), 0x40U);
    // Mirrored: A B C to six pixels writes C C B B A A.
    t.screen->StretchBltMirror(three.get(), TRect<int>(0, 5, 6, 1), TRect<int>(0, 0, 3, 1),
                             TRect<int>(0, 0, kWidth, kHeight), Color::White, 0, true);
    const uint32_t mirrored[6] = {0x30, 0x30, 0x20, 0x20, 0x10, 0x10};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(t.At(i, 5), mirrored[i]) << i;
    }
}

TEST(SurfaceLoops, CoverageWeights)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    t.Paint(0x000040);
    // Alpha 255: coverage 255 weighs 255 (inverse 1), coverage 0 weighs 0.
    const Lumo::Span spans[] = {{1, 2, 2}};
    const unsigned char coverage[] = {255, 0};
    t.screen->FillScanLinesWithCoverage(spans, 1, Color(255, 0, 0), 0, coverage, 2, 1, 2, 0);
    // Colour 0xFE0000 (255 x m >> 8): red 0xFE x 255 >> 8 = 0xFD; blue 0x40 x 1 >> 8 = 0.
    EXPECT_EQ(t.At(2, 1), 0xFD0000U);
    EXPECT_EQ(t.At(3, 1), 0x000040U);
}

TEST(SurfaceLoops, LinesStepOnePixelPerColumn)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    t.screen->DrawLine(0.0, 0.0, 10.0, 3.0, Color(0, 255, 0), 0);
    int drawn = 0;
    for (int x = 0; x < kWidth; ++x) {
        int inColumn = 0;
        for (int y = 0; y < kHeight; ++y) {
            inColumn += t.At(x, y) != 0;
        }
        EXPECT_EQ(inColumn, x <= 10 ? 1 : 0) << x;
        drawn += inColumn;
    }
    EXPECT_EQ(drawn, 11);
    EXPECT_NE(t.At(10, 3), 0U);
    // Additive over white stays white; the additive smooth line draws nothing.
    t.Paint(0xFFFFFF);
    t.screen->DrawLine(0.0, 5.0, 10.0, 9.0, Color(40, 40, 40), 1);
    t.screen->DrawLineAA(0.0, 10.0, 10.0, 14.0, Color(40, 40, 40), 1);
    EXPECT_EQ(t.At(5, 7), 0xFFFFFFU);
    t.Paint(0);
    t.screen->DrawLineAA(0.0, 10.0, 10.0, 14.0, Color(40, 40, 40), 1);
    EXPECT_EQ(t.At(0, 10), 0U);
}

TEST(SurfaceLoops, SmoothLineStartsAtFullWeight)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    // Fractions 0: weight 255; white (0xFE per channel) x 255 >> 8 = 0xFD.
    t.screen->DrawLineAA(2.0, 2.0, 12.0, 6.0, Color(255, 255, 255), 0);
    EXPECT_EQ(t.At(2, 2), 0xFDFDFDU);
    Screen other(k565);
    ASSERT_TRUE(other.ok);
    // 5:6:5: (255 >> 3 = 31) x spread(0xF7DE... c') >> 5; c' = (255 m >> 8) AND m = 0xF7DE.
    other.screen->DrawLineAA(2.0, 2.0, 12.0, 6.0, Color(255, 255, 255), 0);
    // red 30 x 31 >> 5 = 29, green 62 x 31 >> 5 = 60, blue 29.
    EXPECT_EQ(other.At(2, 2), (29U << 11) | (60U << 5) | 29U);
}

// ---- The faults the loops must not repeat

TEST(SurfaceLoops, AFailedSurfaceKeepsThePicture)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    DDImage picture(t.app.ddInterface);
    const std::vector<uint32_t> pixels(6 * 4, 0xFF336699);
    picture.SetBits(pixels.data(), 6, 4);
    t.host.InjectFault(Plat::DisplayCall::CreateSurface, 0, Plat::DDERR_GENERIC);
    picture.FillRect(TRect<int>(0, 0, 2, 2), Color(255, 0, 0), 0);
    picture.FillRect(TRect<int>(0, 0, 2, 2), Color(255, 0, 0), 2);
    picture.DrawLine(0.5, 0.5, 5.5, 3.5, Color(255, 0, 0), 0);
    t.host.ClearFaults();
    EXPECT_EQ(picture.mSurface, nullptr);
    const uint32_t* bits = picture.GetBits();
    ASSERT_NE(bits, nullptr);
    for (size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_EQ(bits[i], 0xFF336699U) << i;
    }
}

TEST(SurfaceLoops, AfterASurfaceDrawingTheSurfaceIsTheOneCopy)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    DDImage picture(t.app.ddInterface);
    const std::vector<uint32_t> pixels(6 * 4, 0xFF000000);
    picture.SetBits(pixels.data(), 6, 4);
    picture.FillRect(TRect<int>(1, 1, 2, 2), Color(255, 255, 255), 0);
    ASSERT_NE(picture.mSurface, nullptr);
    EXPECT_EQ(picture.mBits, nullptr);
    EXPECT_EQ(picture.mNativeAlphaData, nullptr);
    EXPECT_EQ(picture.mColorTable, nullptr);
    const uint32_t* bits = picture.GetBits();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[1 * 6 + 1], 0xFFFEFEFEU);
    EXPECT_EQ(bits[0], 0xFF000000U);
}

TEST(SurfaceLoops, FastStretchReachesATargetWithAlpha)
{
    Screen t(k8888);
    ASSERT_TRUE(t.ok);
    DDImage target(t.app.ddInterface);
    std::vector<uint32_t> pixels(8 * 8, 0xFF000000);
    pixels[63] = 0x80000000; // alpha: no surface can hold it
    target.SetBits(pixels.data(), 8, 8);
    const auto white = t.Picture({0xFFFFFFFF}, 1);
    target.StretchBlt(white.get(), TRect<int>(0, 0, 4, 4), TRect<int>(0, 0, 1, 1), TRect<int>(0, 0, 8, 8),
                      Color::White, 0, true);
    EXPECT_EQ(target.mSurface, nullptr);
    // The memory image's stretch: white over black gives 0xFEFEFE there.
    EXPECT_EQ(target.GetBits()[2 * 8 + 2] & 0xFFFFFF, 0xFEFEFEU);
    // Coverage spans too.
    const Lumo::Span spans[] = {{5, 0, 2}};
    const unsigned char coverage[] = {255, 255};
    target.FillScanLinesWithCoverage(spans, 1, Color(0, 0, 255), 0, coverage, 0, 5, 2, 0);
    EXPECT_EQ(target.GetBits()[5 * 8 + 1] & 0xFFFFFF, 0xFEU);
}

TEST(SurfaceLoops, SmoothLinesStayInsideThePixels)
{
    for (Format format : {k565, k555, k8888}) {
        Screen t(format);
        ASSERT_TRUE(t.ok);
        const double bottom = kHeight - 1;
        const double right = kWidth - 1;
        // Both ends in one pixel.
        t.screen->DrawLineAA(5.2, 5.3, 5.7, 5.9, Color(255, 255, 255), 0);
        t.screen->DrawLineAA(7.9, 7.1, 7.1, 7.9, Color(255, 255, 255), 0);
        // Near-vertical lines running left on the last rows, and near
        // horizontal ones along the last row, with start fractions that
        // push the accumulated fraction past the end.
        t.screen->DrawLineAA(0.99, bottom - 6.01, 0.0, bottom + 0.99, Color(255, 0, 0), 0);
        t.screen->DrawLineAA(right, bottom - 5.5, right - 1.0, bottom + 0.9, Color(0, 255, 0), 0);
        t.screen->DrawLineAA(0.9, bottom - 0.9, right, bottom + 0.5, Color(0, 0, 255), 0);
        t.screen->DrawLineAA(right + 0.9, 0.95, 0.0, 3.9, Color(0, 0, 255), 0);
        EXPECT_TRUE(t.surface->PaddingIntact()) << format;
        EXPECT_NE(t.At(5, 5), 0U);
    }
}

TEST(SurfaceLoops, HostileArgumentsStayInsideThePixels)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const float fnan = std::numeric_limits<float>::quiet_NaN();
    for (Format format : {k565, k555, k8888}) {
        SCOPED_TRACE(format);
        Screen t(format);
        ASSERT_TRUE(t.ok);
        DDImage* s = t.screen;
        std::vector<uint32_t> spritePixels(5 * 4, 0x80FF8040);
        spritePixels[0] = 0;
        spritePixels[7] = 0xFF00FF00;
        const auto sprite = t.Picture(spritePixels, 5);
        const auto opaque = t.Picture(std::vector<uint32_t>(5 * 4, 0xFF102030), 5);
        const auto palette = t.Picture({0xFF0000FF, 0x00000000, 0xFF00FF00, 0xFFFF0000}, 2);
        ASSERT_TRUE(palette->Palletize());
        const TRect<int> whole(0, 0, kWidth, kHeight);
        const TRect<int> huge(-2000000000, -2000000000, 2100000000, 2100000000);
        const TRect<int> rects[] = {TRect<int>(-5, -5, 12, 12), TRect<int>(kWidth - 2, kHeight - 2, 10, 10),
                                    TRect<int>(3, 3, 0, 0), TRect<int>(3, 3, -4, -4), huge,
                                    TRect<int>(2147483000, 5, 2000, 3)};
        const Color colours[] = {Color::White, Color(10, 200, 90, 120), Color(128, 128, 128), Color(400, -5, 90, 999)};
        MemoryImage* sources[] = {sprite.get(), opaque.get(), palette.get()};
        for (const TRect<int>& r : rects) {
            for (const Color& c : colours) {
                for (int mode : {0, 1, 7}) {
                    s->FillRect(r, c, mode);
                    s->ClearRect(r);
                    for (MemoryImage* src : sources) {
                        s->Blt(src, r.mX, r.mY, r, c, mode);
                        s->Blt(src, kWidth - 2, kHeight - 1, TRect<int>(-3, -2, 9, 9), c, mode);
                        s->BltMirror(src, r.mX, r.mY, r, c, mode);
                        s->BltMirror(src, -3, kHeight - 2, TRect<int>(1, -1, 9, 9), c, mode);
                        s->StretchBlt(src, r, TRect<int>(0, 0, 5, 4), whole, c, mode, true);
                        s->StretchBlt(src, TRect<int>(0, 0, 30, 20), r, whole, c, mode, true);
                        s->StretchBlt(src, TRect<int>(-10, -10, 30, 20), TRect<int>(-3, 1, 8, 9), whole, c, mode,
                                      false);
                        s->StretchBltMirror(src, r, TRect<int>(0, 0, 5, 4), whole, c, mode, true);
                        s->StretchBltMirror(src, TRect<int>(-7, 3, 60, 9), TRect<int>(2, 2, 50, 50), r, c, mode,
                                            false);
                        s->BltRotated(src, float(r.mX), float(r.mY), r, whole, c, mode, 1e300, 2.0f, 2.0f);
                        s->BltRotated(src, 5.0f, 5.0f, TRect<int>(-2, -2, 9, 9), r, c, mode, 0.7, 2.0f, 2.0f);
                        s->BltRotated(src, 3e9f, 5.0f, TRect<int>(0, 0, 5, 4), whole, c, mode, 0.3, 2.0f, 2.0f);
                        s->BltRotated(src, 5.0f, 5.0f, TRect<int>(0, 0, 5, 4), whole, c, mode, nan, fnan, 2.0f);
                        s->BltF(src, fnan, 3.0f, TRect<int>(0, 0, 5, 4), r, c, mode);
                        s->BltF(src, -3.5f, float(kHeight) - 1.5f, TRect<int>(0, 0, 5, 4), whole, c, mode);
                    }
                }
                const double ends[][4] = {{-50.5, 3.2, 80.1, 20.7},     {nan, 3.0, 4.0, 5.0},
                                          {inf, inf, inf, 10.0},        {3.0, -1e12, 3.0, 1e12},
                                          {-1e12, 5.0, 1e12, 5.0},      {5.0, 5.0, 5.0, 5.0},
                                          {kWidth - 0.1, 0.0, 0.0, kHeight - 0.1}, {-3.0, -4.0, 1e15, 1e15 + 3}};
                for (const auto& e : ends) {
                    for (int mode : {0, 1, 7}) {
                        s->DrawLine(e[0], e[1], e[2], e[3], c, mode);
                        s->DrawLineAA(e[0], e[1], e[2], e[3], c, mode);
                    }
                }
                const Lumo::Span spans[] = {{-1, 0, 5}, {2, -3, 50}, {kHeight, 0, 2}, {5, kWidth - 1, 9}, {6, 2, -4}};
                std::vector<unsigned char> coverage(200 * 60, 200);
                s->FillScanLinesWithCoverage(spans, 5, c, 0, coverage.data() + 100 * 20, -3, -1, 200, 0);
                Lumo::Matrix3 turn;
                turn.Scale(1e20f, 2.0f);
                s->BltMatrix(sprite.get(), 10.0f, 10.0f, turn, r, c, 0, TRect<int>(0, 0, 5, 4), true);
                const Lumo::TriangleRasterizer::ClipVertex triangle[1][3] = {
                    {{-40.0f, -30.0f, 0.0f, 0.0f, 0}, {900.0f, 5.0f, 1.0f, 0.0f, 0}, {5.0f, 700.0f, 0.0f, 1.0f, 0}}};
                s->BltTrianglesTex(sprite.get(), triangle, 1, r, c, 0, 0.0f, 0.0f, true);
            }
        }
        EXPECT_TRUE(t.surface->PaddingIntact());
        EXPECT_FALSE(t.surface->IsLocked());
    }
}

} // namespace
