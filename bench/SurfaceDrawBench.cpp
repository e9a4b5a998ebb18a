// Drawing onto the 800x600 screen image of a windowed display, per pixel
// format (5:6:5, 5:5:5, 32-bit), through the loops on the locked surface.
// Each row is timed in the same run against two references:
//   memory: the same call on a 32-bit memory image plus the conversion of
//           the touched area to the surface's format (the cost before the
//           surface loops);
//   pixman: the nearest pixman operation on a destination of the surface's
//           own format (OVER, ADD, solid fills, NEAREST scale, BILINEAR
//           rotation; lines have no pixman row).
// Counters: ours_us, memory_us, pixman_us, and ratio_memory / ratio_pixman
// (ours over theirs: below 1 means ours is faster). Not asserted anywhere.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayPixel.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/DisplaySurface.h"

#include "support/TestApp.h"
#include "support/TestDisplayHost.h"
#include "support/TestScreen.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Lumo::Color;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

enum Format { k565 = 0, k555 = 1, k8888 = 2 };

enum Row {
    kKeyedBlt,
    kAlphaBlt,
    kColouredBlt,
    kAdditiveBlt,
    kOpaqueFill,
    kTranslucentFill,
    kLine,
    kRotated,
    kFastStretch,
};

// A sprite whose alpha is only 0 or 255: a hard-edged disc.
std::vector<uint32_t> KeyedSprite(int size)
{
    std::vector<uint32_t> pixels = BenchSupport::Sprite(size, size);
    for (uint32_t& p : pixels) {
        p = (p >> 24) >= 128 ? (0xFF000000 | (p & 0xFFFFFF)) : 0;
    }
    return pixels;
}

struct Bench {
    explicit Bench(Format format)
    {
        screen = OpenTestScreen(host, app, kWidth, kHeight, format == k8888, format == k555);
        ok = screen != nullptr;
        if (!ok) {
            return;
        }
        const Plat::DisplayPixelFormat& f = screen->mSurface->PixelFormat();
        bitCount = f.bitCount;
        channels = Lumo::MakeDisplayChannels(f.redMask, f.greenMask, f.blueMask);
        const std::vector<uint32_t> background = BenchSupport::Screen(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                screen->mSurface->WritePixel(x, y, Lumo::ArgbToDisplay(background[size_t(y) * kWidth + x], channels));
            }
        }
        memory = std::make_unique<MemoryImage>(&app);
        memory->SetBits(background.data(), kWidth, kHeight);
        pitch = kWidth * static_cast<int>(bitCount / 8);
        converted.assign(size_t(pitch) * kHeight, 0);
        pixmanBits.assign(size_t(pitch) * kHeight / 4, 0);
        pixmanDest = pixman_image_create_bits(format == k565 ? PIXMAN_r5g6b5
                                                             : (format == k555 ? PIXMAN_x1r5g5b5 : PIXMAN_x8r8g8b8),
                                              kWidth, kHeight, pixmanBits.data(), pitch);

        const std::vector<uint32_t> keyed = KeyedSprite(64);
        const std::vector<uint32_t> soft = BenchSupport::Sprite(64, 64);
        keyedSprite = std::make_unique<MemoryImage>(&app);
        keyedSprite->SetBits(keyed.data(), 64, 64);
        alphaSprite = std::make_unique<MemoryImage>(&app);
        alphaSprite->SetBits(soft.data(), 64, 64);
        keyedBits = keyed;
        softBits = soft;
        pixmanKeyed = pixman_image_create_bits(PIXMAN_a8r8g8b8, 64, 64, keyedBits.data(), 64 * 4);
        pixmanSoft = pixman_image_create_bits(PIXMAN_a8r8g8b8, 64, 64, softBits.data(), 64 * 4);
    }
    ~Bench()
    {
        if (pixmanDest != nullptr) {
            pixman_image_unref(pixmanDest);
            pixman_image_unref(pixmanKeyed);
            pixman_image_unref(pixmanSoft);
        }
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // The touched area of the memory image into the surface's format.
    void Convert(const TRect<int>& area)
    {
        const TRect<int> a = area.Intersection(TRect<int>(0, 0, kWidth, kHeight));
        const uint32_t* bits = memory->GetBits();
        const size_t bytes = bitCount / 8;
        for (int y = a.mY; y < a.mY + a.mHeight; ++y) {
            Lumo::ArgbRowToDisplay(bits + size_t(y) * kWidth + a.mX, bitCount, channels,
                                   converted.data() + size_t(y) * size_t(pitch) + size_t(a.mX) * bytes, a.mWidth);
        }
    }

    TestDisplayHost host;
    TestApp app;
    bool ok = false;
    DDImage* screen = nullptr;
    uint32_t bitCount = 0;
    Lumo::DisplayChannels channels;
    std::unique_ptr<MemoryImage> memory;
    std::vector<uint8_t> converted;
    int pitch = 0;
    std::vector<uint32_t> pixmanBits;
    pixman_image_t* pixmanDest = nullptr;
    std::unique_ptr<MemoryImage> keyedSprite;
    std::unique_ptr<MemoryImage> alphaSprite;
    std::vector<uint32_t> keyedBits;
    std::vector<uint32_t> softBits;
    pixman_image_t* pixmanKeyed = nullptr;
    pixman_image_t* pixmanSoft = nullptr;
};

template <typename Body>
double Timed(Body&& body)
{
    const auto t0 = std::chrono::steady_clock::now();
    body();
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

pixman_color_t PixmanColour(const Color& c)
{
    // Premultiplied, 16 bits per channel.
    const auto channel = [&c](int v) { return static_cast<uint16_t>(v * c.mAlpha / 255 * 257); };
    return pixman_color_t{channel(c.mRed), channel(c.mGreen), channel(c.mBlue), static_cast<uint16_t>(c.mAlpha * 257)};
}

void BM_SurfaceDraw(benchmark::State& state)
{
    const Format format = static_cast<Format>(state.range(0));
    const Row row = static_cast<Row>(state.range(1));
    Bench b(format);
    if (!b.ok) {
        state.SkipWithError("no display");
        return;
    }
    const TRect<int> whole(0, 0, kWidth, kHeight);
    const Color tint(200, 120, 40, 200);
    const Color translucent(40, 160, 220, 128);
    const double angle = 0.5;
    pixman_image_t* tintMask = nullptr;
    {
        const pixman_color_t c = PixmanColour(tint);
        tintMask = pixman_image_create_solid_fill(&c);
        pixman_image_set_component_alpha(tintMask, 1);
    }
    // The pixman source for the transforming rows, transformed once.
    pixman_image_t* rotatedSource = pixman_image_create_bits(PIXMAN_a8r8g8b8, 64, 64, b.softBits.data(), 64 * 4);
    {
        pixman_transform_t t;
        pixman_transform_init_rotate(&t, pixman_double_to_fixed(std::cos(angle)),
                                     pixman_double_to_fixed(std::sin(angle)));
        pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(-16), pixman_int_to_fixed(-16));
        pixman_image_set_transform(rotatedSource, &t);
        pixman_image_set_filter(rotatedSource, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    pixman_image_t* scaledSource = pixman_image_create_bits(PIXMAN_a8r8g8b8, 64, 64, b.keyedBits.data(), 64 * 4);
    {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
        pixman_image_set_transform(scaledSource, &t);
        pixman_image_set_filter(scaledSource, PIXMAN_FILTER_NEAREST, nullptr, 0);
    }

    int step = 0;
    double ours = 0.0;
    double memory = 0.0;
    double pixman = 0.0;
    const bool hasPixman = row != kLine;
    for (auto _ : state) {
        const int x = (step * 37) % (kWidth - 130);
        const int y = (step * 23) % (kHeight - 130);
        ++step;
        const TRect<int> sprite(x, y, 64, 64);
        const TRect<int> src(0, 0, 64, 64);
        auto draw = [&](Lumo::Image& target) {
            switch (row) {
            case kKeyedBlt:
                target.Blt(b.keyedSprite.get(), x, y, src, Color::White, 0);
                break;
            case kAlphaBlt:
                target.Blt(b.alphaSprite.get(), x, y, src, Color::White, 0);
                break;
            case kColouredBlt:
                target.Blt(b.alphaSprite.get(), x, y, src, tint, 0);
                break;
            case kAdditiveBlt:
                target.Blt(b.alphaSprite.get(), x, y, src, Color::White, 1);
                break;
            case kOpaqueFill:
                target.FillRect(sprite, Color(30, 200, 90), 0);
                break;
            case kTranslucentFill:
                target.FillRect(sprite, translucent, 0);
                break;
            case kLine:
                target.DrawLine(x + 0.5, y + 0.25, x + 120.75, y + 90.5, translucent, 0);
                break;
            case kRotated:
                target.BltRotated(b.alphaSprite.get(), float(x + 32), float(y + 16), src, whole, Color::White, 0, angle,
                                  32.0f, 32.0f);
                break;
            case kFastStretch:
                target.StretchBlt(b.keyedSprite.get(), TRect<int>(x, y, 128, 128), src, whole, Color::White, 0, true);
                break;
            }
        };
        const TRect<int> touched = row == kRotated || row == kLine || row == kFastStretch
                                       ? TRect<int>(x - 8, y - 40, 140, 140)
                                       : sprite;
        auto oursBody = [&] { draw(*b.screen); };
        auto memoryBody = [&] {
            draw(*b.memory);
            b.Convert(touched);
        };
        auto pixmanBody = [&] {
            switch (row) {
            case kKeyedBlt:
                pixman_image_composite32(PIXMAN_OP_OVER, b.pixmanKeyed, nullptr, b.pixmanDest, 0, 0, 0, 0, x, y, 64,
                                         64);
                break;
            case kAlphaBlt:
                pixman_image_composite32(PIXMAN_OP_OVER, b.pixmanSoft, nullptr, b.pixmanDest, 0, 0, 0, 0, x, y, 64, 64);
                break;
            case kColouredBlt:
                pixman_image_composite32(PIXMAN_OP_OVER, b.pixmanSoft, tintMask, b.pixmanDest, 0, 0, 0, 0, x, y, 64,
                                         64);
                break;
            case kAdditiveBlt:
                pixman_image_composite32(PIXMAN_OP_ADD, b.pixmanSoft, nullptr, b.pixmanDest, 0, 0, 0, 0, x, y, 64, 64);
                break;
            case kOpaqueFill: {
                const pixman_color_t c = PixmanColour(Color(30, 200, 90));
                const pixman_rectangle16_t r{int16_t(x), int16_t(y), 64, 64};
                pixman_image_fill_rectangles(PIXMAN_OP_SRC, b.pixmanDest, &c, 1, &r);
                break;
            }
            case kTranslucentFill: {
                const pixman_color_t c = PixmanColour(translucent);
                const pixman_rectangle16_t r{int16_t(x), int16_t(y), 64, 64};
                pixman_image_fill_rectangles(PIXMAN_OP_OVER, b.pixmanDest, &c, 1, &r);
                break;
            }
            case kRotated:
                pixman_image_composite32(PIXMAN_OP_OVER, rotatedSource, nullptr, b.pixmanDest, 0, 0, 0, 0, x, y - 16,
                                         96, 96);
                break;
            case kFastStretch:
                pixman_image_composite32(PIXMAN_OP_OVER, scaledSource, nullptr, b.pixmanDest, 0, 0, 0, 0, x, y, 128,
                                         128);
                break;
            case kLine:
                break;
            }
        };
        // The order rotates so that no side always finds the caches warm.
        switch (step % 3) {
        case 0:
            ours += Timed(oursBody);
            memory += Timed(memoryBody);
            pixman += hasPixman ? Timed(pixmanBody) : 0.0;
            break;
        case 1:
            memory += Timed(memoryBody);
            pixman += hasPixman ? Timed(pixmanBody) : 0.0;
            ours += Timed(oursBody);
            break;
        default:
            pixman += hasPixman ? Timed(pixmanBody) : 0.0;
            ours += Timed(oursBody);
            memory += Timed(memoryBody);
            break;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_us"] = ours / n * 1e6;
    state.counters["memory_us"] = memory / n * 1e6;
    state.counters["ratio_memory"] = memory > 0 ? ours / memory : 0.0;
    if (hasPixman) {
        state.counters["pixman_us"] = pixman / n * 1e6;
        state.counters["ratio_pixman"] = pixman > 0 ? ours / pixman : 0.0;
    }
    pixman_image_unref(rotatedSource);
    pixman_image_unref(scaledSource);
    pixman_image_unref(tintMask);
}

void Rows(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"format", "row"});
    for (int format : {k565, k555, k8888}) {
        for (int row = kKeyedBlt; row <= kFastStretch; ++row) {
            bench->Args({format, row});
        }
    }
}
BENCHMARK(BM_SurfaceDraw)->Apply(Rows);

} // namespace

BENCHMARK_MAIN();
