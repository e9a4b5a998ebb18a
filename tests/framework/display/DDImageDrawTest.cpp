// Random drawing onto the screen's surface image on 5:6:5, 5:5:5 and 32-bit
// displays, wherever the surface loops and the memory image's bodies agree
// by design: the surface then holds exactly what drawing the same picture as
// a memory image and converting it to the display gives. Also the surface
// loops against each other (a stretch by one is a blit, a mirrored blit is a
// blit of a mirrored copy). The seed is printed; LUMO_TEST_SEED repeats a run.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayPixel.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "platform/video/DisplaySurface.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

enum Format { k565, k555, k8888 };

uint32_t Seed()
{
    const char* text = std::getenv("LUMO_TEST_SEED");
    return text != nullptr ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : 20261211u;
}

class DDImageDrawTest : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override
    {
        host.desktopBits = GetParam() == k8888 ? 32 : 16;
        host.desktop555 = GetParam() == k555;
        host.clientWidth = kWidth;
        host.clientHeight = kHeight;
        app.width = kWidth;
        app.height = kHeight;
        ASSERT_EQ(app.AddDisplay()->Init(DisplayTestWindow(), true), 0);
        screen = app.ddInterface->GetScreenImage();
        ASSERT_NE(screen, nullptr);
        surface = screen->mSurface;
        const Plat::DisplayPixelFormat& format = surface->PixelFormat();
        channels = Lumo::MakeDisplayChannels(format.redMask, format.greenMask, format.blueMask);
        colourMask = GetParam() == k8888 ? 0xFFFFFF : (GetParam() == k555 ? 0x7FFF : 0xFFFF);
        const uint32_t seed = Seed();
        std::printf("seed %u\n", seed);
        random.seed(seed + static_cast<uint32_t>(GetParam()));
        Scramble();
    }

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    uint32_t Word() { return static_cast<uint32_t>(random()); }

    // A different value in every pixel, so that a misplaced write shows.
    void Scramble()
    {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                surface->WritePixel(x, y, Word() & colourMask);
            }
        }
    }
    std::vector<uint32_t> Snapshot() const
    {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                pixels.push_back(surface->ReadPixel(x, y) & colourMask);
            }
        }
        return pixels;
    }
    void Restore(const std::vector<uint32_t>& pixels)
    {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                surface->WritePixel(x, y, pixels[size_t(y) * kWidth + x]);
            }
        }
    }
    // The surface as a memory image sees it.
    std::unique_ptr<MemoryImage> Reference()
    {
        std::vector<uint32_t> bits;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                bits.push_back(Lumo::DisplayToArgb(surface->ReadPixel(x, y), channels));
            }
        }
        auto image = std::make_unique<MemoryImage>(&app);
        image->SetBits(bits.data(), kWidth, kHeight);
        return image;
    }
    // Counts the pixels of the surface that differ from the reference
    // converted to the display; reports the first few.
    int Mismatches(MemoryImage& reference)
    {
        const uint32_t* expected = reference.GetBits();
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t want = Lumo::ArgbToDisplay(expected[y * kWidth + x], channels);
                const uint32_t got = surface->ReadPixel(x, y) & colourMask;
                if (got != want && ++wrong <= 3) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " instead of " << want;
                }
            }
        }
        return wrong;
    }
    int Mismatches(const std::vector<uint32_t>& expected)
    {
        const std::vector<uint32_t> got = Snapshot();
        int wrong = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            if (got[i] != expected[i] && ++wrong <= 3) {
                ADD_FAILURE() << "pixel " << i % kWidth << "," << i / kWidth << ": " << std::hex << got[i]
                              << " instead of " << expected[i];
            }
        }
        return wrong;
    }

    // A picture of random colours; alpha 0 or 255 only unless anyAlpha.
    std::vector<uint32_t> Pixels(int width, int height, bool anyAlpha, int colours)
    {
        std::vector<uint32_t> palette;
        for (int i = 0; i < colours; ++i) {
            palette.push_back(Word() & 0xFFFFFF);
        }
        std::vector<uint32_t> pixels;
        for (int i = 0; i < width * height; ++i) {
            uint32_t alpha = Int(0, 3) == 0 ? 0 : 255;
            if (anyAlpha && Int(0, 2) == 0) {
                alpha = static_cast<uint32_t>(Int(1, 254));
            }
            pixels.push_back(alpha << 24 | palette[size_t(Int(0, colours - 1))]);
        }
        return pixels;
    }
    std::unique_ptr<MemoryImage> Picture(const std::vector<uint32_t>& pixels, int width, bool palette)
    {
        auto image = std::make_unique<MemoryImage>(&app);
        image->SetBits(pixels.data(), width, static_cast<int>(pixels.size()) / width);
        if (palette) {
            EXPECT_TRUE(image->Palletize());
        }
        return image;
    }
    Color AnyColour() { return Color(Int(0, 255), Int(0, 255), Int(0, 255), Int(0, 255)); }

    TestDisplayHost host;
    TestApp app;
    DDImage* screen = nullptr;
    Plat::DisplaySurface* surface = nullptr;
    Lumo::DisplayChannels channels;
    uint32_t colourMask = 0;
    std::mt19937 random;
};

TEST_P(DDImageDrawTest, OpaqueOrClearPicturesInWhiteAsTheMemoryImage)
{
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        const int w = Int(1, 24);
        const int h = Int(1, 16);
        const bool palette = round % 3 == 0;
        const auto pixels = Pixels(w, h, false, palette ? 12 : 200);
        const auto picture = Picture(pixels, w, palette);
        const int x = Int(-10, kWidth - 2);
        const int y = Int(-10, kHeight - 2);
        const TRect<int> src(Int(0, w - 1), Int(0, h - 1), Int(1, w), Int(1, h));
        auto reference = Reference();
        reference->Blt(picture.get(), x, y, src, Color::White, 0);
        screen->Blt(picture.get(), x, y, src, Color::White, 0);
        ASSERT_EQ(Mismatches(*reference), 0);
    }
    // A picture with its own keyed surface goes surface to surface.
    std::vector<uint32_t> keyedPixels(6 * 5, 0xFF2050A0);
    keyedPixels[7] = 0;
    DDImage keyed(app.ddInterface);
    keyed.SetBits(keyedPixels.data(), 6, 5);
    ASSERT_TRUE(keyed.GenerateDDSurface());
    auto reference = Reference();
    const auto plain = Picture(keyedPixels, 6, false);
    reference->Blt(plain.get(), 70, 20, TRect<int>(0, 0, 6, 5), Color::White, 0);
    screen->Blt(&keyed, 70, 20, TRect<int>(0, 0, 6, 5), Color::White, 0);
    EXPECT_EQ(Mismatches(*reference), 0);
    EXPECT_TRUE(surface->PaddingIntact());
}

TEST_P(DDImageDrawTest, On32BitsLinesAndAdditiveBlitsAsTheMemoryImage)
{
    if (GetParam() != k8888) {
        GTEST_SKIP() << "the 16-bit loops round differently by design";
    }
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        auto reference = Reference();
        // Slanted lines (axis lines are fills).
        double x1 = Int(0, kWidth - 1) + Int(0, 99) / 100.0;
        double y1 = Int(0, kHeight - 1) + Int(0, 99) / 100.0;
        double x2 = Int(0, kWidth - 1) + Int(0, 99) / 100.0;
        double y2 = Int(0, kHeight - 1) + Int(0, 99) / 100.0;
        if (x1 != x2 && y1 != y2) {
            const Color colour = AnyColour();
            reference->DrawLine(x1, y1, x2, y2, colour, 0);
            screen->DrawLine(x1, y1, x2, y2, colour, 0);
        }
        x1 = Int(0, kWidth - 1);
        y1 = Int(0, kHeight - 1);
        x2 = Int(0, kWidth - 1);
        y2 = Int(0, kHeight - 1);
        if (x1 != x2 && y1 != y2) {
            const Color colour = AnyColour();
            reference->DrawLine(x1, y1, x2, y2, colour, 1);
            screen->DrawLine(x1, y1, x2, y2, colour, 1);
        }
        // Additive blits of opaque pictures, in white and in colour.
        const int w = Int(1, 20);
        const int h = Int(1, 12);
        std::vector<uint32_t> pixels;
        for (int i = 0; i < w * h; ++i) {
            pixels.push_back(0xFF000000 | (Word() & 0xFFFFFF));
        }
        const auto picture = Picture(pixels, w, false);
        const Color colour = round % 2 == 0 ? Color::White : AnyColour();
        const int x = Int(-5, kWidth - 2);
        const int y = Int(-5, kHeight - 2);
        reference->Blt(picture.get(), x, y, TRect<int>(0, 0, w, h), colour, 1);
        screen->Blt(picture.get(), x, y, TRect<int>(0, 0, w, h), colour, 1);
        ASSERT_EQ(Mismatches(*reference), 0);
    }
}

TEST_P(DDImageDrawTest, MatrixAndTrianglesAsTheRasterizerInTheSurfaceFormat)
{
    const auto pixels = Pixels(12, 10, true, 40);
    const auto sprite = Picture(pixels, 12, false);
    const int code = GetParam() == k565 ? 0x565 : (GetParam() == k555 ? 0x555 : 0x888);
    const int pitch = surface->Pitch();
    const TRect<int> whole(0, 0, kWidth, kHeight);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        Lumo::Matrix3 turn;
        turn.Scale(0.5f + Int(0, 20) / 10.0f, 0.5f + Int(0, 20) / 10.0f);
        turn.RotateRadians(Int(0, 628) / 100.0f);
        const float x = float(Int(-10, kWidth + 10));
        const float y = float(Int(-10, kHeight + 10));
        const Lumo::TriangleRasterizer::ClipVertex triangle[1][3] = {
            {{float(Int(-20, kWidth)), float(Int(-20, kHeight)), 0.0f, 0.0f, 0},
             {float(Int(0, kWidth + 20)), float(Int(0, kHeight)), 1.0f, 0.0f, 0},
             {float(Int(0, kWidth)), float(Int(0, kHeight + 20)), 0.0f, 1.0f, 0}}};
        // The expected pixels: the rasterizer into a bare copy of the surface memory.
        std::vector<uint8_t> bare(size_t(pitch) * kHeight);
        const int bytes = GetParam() == k8888 ? 4 : 2;
        for (int py = 0; py < kHeight; ++py) {
            for (int px = 0; px < kWidth; ++px) {
                const uint32_t v = surface->ReadPixel(px, py);
                std::memcpy(&bare[size_t(py) * pitch + size_t(px) * bytes], &v, size_t(bytes));
            }
        }
        MemoryImage body(&app);
        const bool matrix = round % 2 == 0;
        if (matrix) {
            body.BltMatrixImpl(sprite.get(), x, y, turn, whole, Color::White, 0, TRect<int>(0, 0, 12, 10), bare.data(),
                               pitch, code, true);
            screen->BltMatrix(sprite.get(), x, y, turn, whole, Color::White, 0, TRect<int>(0, 0, 12, 10), true);
        } else {
            body.BltTrianglesTexImpl(sprite.get(), triangle, 1, whole, Color(200, 90, 255, 180), 0, bare.data(), pitch,
                                     code, 1.5f, -2.0f, false);
            screen->BltTrianglesTex(sprite.get(), triangle, 1, whole, Color(200, 90, 255, 180), 0, 1.5f, -2.0f, false);
        }
        std::vector<uint32_t> expected;
        for (int py = 0; py < kHeight; ++py) {
            for (int px = 0; px < kWidth; ++px) {
                uint32_t v = 0;
                std::memcpy(&v, &bare[size_t(py) * pitch + size_t(px) * bytes], size_t(bytes));
                expected.push_back(v & colourMask);
            }
        }
        ASSERT_EQ(Mismatches(expected), 0);
    }
    EXPECT_TRUE(surface->PaddingIntact());
}

TEST_P(DDImageDrawTest, SurfaceLoopsAgreeWithEachOther)
{
    const TRect<int> whole(0, 0, kWidth, kHeight);
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE(round);
        const int w = Int(1, 20);
        const int h = Int(1, 12);
        // Any alpha only where the loops share their arithmetic (32 bits).
        const auto pixels = Pixels(w, h, GetParam() == k8888, round % 4 == 0 ? 10 : 150);
        const auto picture = Picture(pixels, w, round % 4 == 0);
        std::vector<uint32_t> mirroredPixels;
        for (int row = 0; row < h; ++row) {
            for (int col = w - 1; col >= 0; --col) {
                mirroredPixels.push_back(pixels[size_t(row) * w + col]);
            }
        }
        const auto mirrored = Picture(mirroredPixels, w, false);
        const int x = Int(-6, kWidth - 2);
        const int y = Int(-6, kHeight - 2);
        const int sx = Int(0, w - 1);
        const int sy = Int(0, h - 1);
        const TRect<int> src(sx, sy, Int(1, w - sx), Int(1, h - sy));
        const Color colour = round % 3 == 0 ? Color::White : AnyColour();
        const int mode = round % 5 == 0 ? 1 : 0;
        const std::vector<uint32_t> before = Snapshot();

        // A stretch by one is a blit (white, normal).
        screen->Blt(picture.get(), x, y, src, Color::White, 0);
        const std::vector<uint32_t> blitted = Snapshot();
        Restore(before);
        screen->StretchBlt(picture.get(), TRect<int>(x, y, src.mWidth, src.mHeight), src, whole, Color::White, 0, true);
        EXPECT_EQ(Mismatches(blitted), 0) << "stretch by one";

        // A mirrored blit is a blit of the mirrored copy.
        Restore(before);
        const TRect<int> mirroredSrc(w - src.mX - src.mWidth, src.mY, src.mWidth, src.mHeight);
        screen->Blt(mirrored.get(), x, y, mirroredSrc, colour, mode);
        const std::vector<uint32_t> viaCopy = Snapshot();
        Restore(before);
        screen->BltMirror(picture.get(), x, y, src, colour, mode);
        EXPECT_EQ(Mismatches(viaCopy), 0) << "mirrored blit";

        // The mirrored stretch writes the stretch's rows backwards.
        const int dw = Int(1, 40);
        const int dh = Int(1, 20);
        const int dx = Int(0, kWidth - dw);
        const int dy = Int(0, kHeight - dh);
        const uint32_t background = Word() & colourMask;
        for (int py = dy; py < dy + dh; ++py) {
            for (int px = dx; px < dx + dw; ++px) {
                surface->WritePixel(px, py, background);
            }
        }
        const std::vector<uint32_t> plainBackground = Snapshot();
        screen->StretchBlt(picture.get(), TRect<int>(dx, dy, dw, dh), src, whole, colour, mode, true);
        const std::vector<uint32_t> stretched = Snapshot();
        Restore(plainBackground);
        screen->StretchBltMirror(picture.get(), TRect<int>(dx, dy, dw, dh), src, whole, colour, mode, true);
        const std::vector<uint32_t> backwards = Snapshot();
        int wrong = 0;
        for (int py = dy; py < dy + dh; ++py) {
            for (int i = 0; i < dw; ++i) {
                wrong += stretched[size_t(py) * kWidth + dx + i] != backwards[size_t(py) * kWidth + dx + dw - 1 - i];
            }
        }
        EXPECT_EQ(wrong, 0) << "mirrored stretch";
        Restore(before);
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_TRUE(surface->PaddingIntact());
}

TEST_P(DDImageDrawTest, AHeldLockStaysHeld)
{
    // The widget manager locks the screen for a whole frame.
    ASSERT_TRUE(screen->LockSurface());
    screen->FillRect(TRect<int>(1, 1, 2, 2), Color(255, 0, 0), 0);
    EXPECT_TRUE(surface->IsLocked());
    EXPECT_EQ(screen->mLockCount, 1);
    EXPECT_EQ(surface->ReadPixel(1, 1) & colourMask,
              GetParam() == k565 ? 0xF800U : (GetParam() == k555 ? 0x7C00U : 0xFE0000U));
    EXPECT_TRUE(screen->UnlockSurface());
    EXPECT_FALSE(surface->IsLocked());
}

INSTANTIATE_TEST_SUITE_P(Formats, DDImageDrawTest, ::testing::Values(k565, k555, k8888),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             return std::string(info.param == k565   ? "RGB565"
                                                : info.param == k555 ? "RGB555"
                                                                     : "XRGB8888");
                         });

} // namespace
