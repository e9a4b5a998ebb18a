// The unscaled blits beside pixman's nearest operations on the same 800x600
// pixels, measured in the same iterations: NormalBlt against OVER (with a
// solid mask for the coloured loops) and AdditiveBlt against ADD. Each row
// reports our mean time, pixman's, ratio = ours / pixman of the means,
// ratio_best of the fastest runs and ratio_median, the median of the
// iterations' own ratios (the steadiest on a busy machine; run pinned to
// one core with taskset -c N).
//
// Source: a sprite sheet of 8 x 6 discs in 100 x 100 cells, each an opaque
// disc with a 2-pixel anti-aliased rim and a soft 8-pixel glow on a
// transparent ground (40.6% opaque, 25.6% partial, 33.8% transparent; the
// shares are printed). Transparent pixels are 0 and partial colours do not
// exceed their alpha, so the same words are valid premultiplied input for
// pixman. Destinations: an opaque picture (the screen), a layer of opaque
// discs with soft edges on transparent ground, and a ramp of every alpha
// (the worst case of the alpha-correct blend, which divides per pixel).
#include "framework/graphics/MemoryImage.h"

#include "support/TestApp.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Lumo::Color;
using Lumo::MemoryImage;
using Lumo::TRect;

constexpr int kW = 800;
constexpr int kH = 600;
constexpr size_t kCount = size_t(kW) * size_t(kH);

std::vector<uint32_t> MakeSprite()
{
    std::vector<uint32_t> pixels(kCount);
    size_t opaque = 0;
    size_t partial = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const int cell = (y / 100) * 8 + x / 100;
            const double dx = (x % 100) - 49.5;
            const double dy = (y % 100) - 49.5;
            const double r = std::sqrt(dx * dx + dy * dy);
            uint32_t alpha = 0;
            if (r <= 36.0) {
                alpha = 255;
            } else if (r < 38.0) {
                alpha = uint32_t(255.0 * (38.0 - r) / 2.0); // rim
                alpha = alpha < 160 ? 160 + alpha / 4 : alpha;
            } else if (r < 46.0) {
                alpha = uint32_t(150.0 * (46.0 - r) / 8.0); // glow
            }
            uint32_t pixel = 0;
            if (alpha == 255) {
                pixel = 0xFF000000 | uint32_t((x * 3 + cell * 40) & 0xFF) << 16 | uint32_t((y * 5) & 0xFF) << 8
                    | uint32_t((cell * 29 + x + y) & 0xFF);
                ++opaque;
            } else if (alpha > 0) {
                // A warm glow, premultiplied-valid: channels within alpha.
                pixel = alpha << 24 | (alpha * 255 / 255) << 16 | (alpha * 200 / 255) << 8 | (alpha * 90 / 255);
                ++partial;
            }
            pixels[size_t(y) * kW + size_t(x)] = pixel;
        }
    }
    std::fprintf(stderr, "sprite %dx%d: %.1f%% opaque, %.1f%% partial, %.1f%% transparent\n", kW, kH,
                 100.0 * double(opaque) / double(kCount), 100.0 * double(partial) / double(kCount),
                 100.0 * double(kCount - opaque - partial) / double(kCount));
    return pixels;
}

std::vector<uint32_t> MakeOpaqueDest()
{
    std::vector<uint32_t> pixels(kCount);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            pixels[size_t(y) * kW + size_t(x)] =
                0xFF000000 | uint32_t(x * 255 / kW) << 16 | uint32_t(y * 255 / kH) << 8 | uint32_t((x ^ y) & 0xFF);
        }
    }
    return pixels;
}

// The hardest destination: every alpha from 0 to 255, changing every few
// pixels, so that nearly every block needs the division (premultiplied-valid).
std::vector<uint32_t> MakeAlphaDest()
{
    std::vector<uint32_t> pixels(kCount);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const uint32_t a = uint32_t((x / 3 + y / 2) & 0xFF);
            pixels[size_t(y) * kW + size_t(x)] =
                a << 24 | (a * 120 / 255) << 16 | (a * 200 / 255) << 8 | (a * 60 / 255);
        }
    }
    return pixels;
}

// A layer being composed the usual way: transparent ground under opaque
// discs with soft 3-pixel edges, offset from the sprite's so that the
// sprite lands on ground, on discs and on their edges.
std::vector<uint32_t> MakeLayerDest()
{
    std::vector<uint32_t> pixels(kCount);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const double dx = ((x + 50) % 100) - 49.5;
            const double dy = ((y + 50) % 100) - 49.5;
            const double r = std::sqrt(dx * dx + dy * dy);
            const uint32_t a = r <= 42.0 ? 255 : r < 45.0 ? uint32_t(255.0 * (45.0 - r) / 3.0) : 0;
            pixels[size_t(y) * kW + size_t(x)] = a << 24 | (a * 40 / 255) << 16 | (a * 90 / 255) << 8 | (a * 160 / 255);
        }
    }
    return pixels;
}

struct Fixture {
    Fixture()
        : sprite(MakeSprite()),
          opaqueDest(MakeOpaqueDest()),
          alphaDest(MakeAlphaDest()),
          layerDest(MakeLayerDest()),
          pixmanSrcBits(sprite),
          pixmanDstBits(kCount)
    {
        source = std::make_unique<MemoryImage>();
        source->SetBits(sprite.data(), kW, kH, true);
        source->GetRLAlphaData();
        sourceNoAlphaFlag = std::make_unique<MemoryImage>();
        sourceNoAlphaFlag->SetBits(sprite.data(), kW, kH, true);
        sourceNoAlphaFlag->SetImageMode(true, false);
        dest = std::make_unique<MemoryImage>();
        dest->SetBits(opaqueDest.data(), kW, kH, true);
        pixmanSrc = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, pixmanSrcBits.data(), kW * 4);
        pixmanDst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, pixmanDstBits.data(), kW * 4);
    }

    ~Fixture()
    {
        pixman_image_unref(pixmanSrc);
        pixman_image_unref(pixmanDst);
    }

    TestApp app;
    std::vector<uint32_t> sprite;
    std::vector<uint32_t> opaqueDest;
    std::vector<uint32_t> alphaDest;
    std::vector<uint32_t> layerDest;
    std::vector<uint32_t> pixmanSrcBits;
    std::vector<uint32_t> pixmanDstBits;
    std::unique_ptr<MemoryImage> source;
    std::unique_ptr<MemoryImage> sourceNoAlphaFlag;
    std::unique_ptr<MemoryImage> dest;
    pixman_image_t* pixmanSrc = nullptr;
    pixman_image_t* pixmanDst = nullptr;
};

Fixture& GetFixture()
{
    static Fixture fixture;
    return fixture;
}

enum Dest { kOpaque, kRamp, kLayer };

struct Row {
    int mode;          // 0 normal, 1 additive
    Color color;
    Dest dest;         // opaque (flags clear) or with alpha (flags set)
    bool sourceAlpha;  // the source's has-alpha flag
    pixman_op_t op;
};

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

void BM_Blit(benchmark::State& state, Row row)
{
    Fixture& f = GetFixture();
    const std::vector<uint32_t>& destPixels =
        row.dest == kOpaque ? f.opaqueDest : row.dest == kRamp ? f.alphaDest : f.layerDest;
    MemoryImage* source = row.sourceAlpha ? f.source.get() : f.sourceNoAlphaFlag.get();
    const bool destAlpha = row.dest != kOpaque;
    f.dest->SetImageMode(destAlpha, destAlpha);

    pixman_image_t* mask = nullptr;
    if (row.color != Color::White) {
        const pixman_color_t solid = {uint16_t(row.color.mRed * 257), uint16_t(row.color.mGreen * 257),
                                      uint16_t(row.color.mBlue * 257), uint16_t(row.color.mAlpha * 257)};
        mask = pixman_image_create_solid_fill(&solid);
    }
    const TRect<int> rect(0, 0, kW, kH);

    // Alternating which goes first keeps the cache state even; the fastest
    // run of each is the least disturbed by other work on the machine.
    BenchSupport::PairTally tally;
    bool oursFirst = true;
    for (auto _ : state) {
        double oursNow = 0;
        double theirsNow = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == oursFirst) {
                std::memcpy(f.dest->GetBits(), destPixels.data(), kCount * 4);
                const auto t0 = std::chrono::steady_clock::now();
                if (row.mode == 0) {
                    f.dest->NormalBlt(source, 0, 0, rect, row.color);
                } else {
                    f.dest->AdditiveBlt(source, 0, 0, rect, row.color);
                }
                oursNow = Seconds(t0, std::chrono::steady_clock::now());
                benchmark::DoNotOptimize(f.dest->GetBits());
            } else {
                std::memcpy(f.pixmanDstBits.data(), destPixels.data(), kCount * 4);
                const auto t0 = std::chrono::steady_clock::now();
                pixman_image_composite32(row.op, f.pixmanSrc, mask, f.pixmanDst, 0, 0, 0, 0, 0, 0, kW, kH);
                theirsNow = Seconds(t0, std::chrono::steady_clock::now());
                benchmark::DoNotOptimize(f.pixmanDstBits.data());
            }
            benchmark::ClobberMemory();
        }
        oursFirst = !oursFirst;
        tally.Add(oursNow, theirsNow);
        state.SetIterationTime(oursNow);
    }
    if (mask != nullptr) {
        pixman_image_unref(mask);
    }
    tally.ReportAll(state);
}

const Color kGrey(160, 160, 160, 200);
const Color kOrange(255, 160, 64, 200);

#define BLIT_ROW(name, ...) \
    BENCHMARK_CAPTURE(BM_Blit, name, Row{__VA_ARGS__})->UseManualTime()->Unit(benchmark::kMicrosecond)

BLIT_ROW(NormalWhiteRuns_vs_Over, 0, Color::White, kOpaque, true, PIXMAN_OP_OVER);
BLIT_ROW(NormalWhiteLayerDest_vs_Over, 0, Color::White, kLayer, true, PIXMAN_OP_OVER);
BLIT_ROW(NormalWhiteRampDest_vs_Over, 0, Color::White, kRamp, true, PIXMAN_OP_OVER);
BLIT_ROW(NormalGrey_vs_OverSolidMask, 0, kGrey, kOpaque, true, PIXMAN_OP_OVER);
BLIT_ROW(NormalColour_vs_OverSolidMask, 0, kOrange, kOpaque, true, PIXMAN_OP_OVER);
BLIT_ROW(NormalColourLayerDest_vs_OverSolidMask, 0, kOrange, kLayer, true, PIXMAN_OP_OVER);
BLIT_ROW(NormalColourRampDest_vs_OverSolidMask, 0, kOrange, kRamp, true, PIXMAN_OP_OVER);
BLIT_ROW(AdditiveWhite_vs_Add, 1, Color::White, kOpaque, true, PIXMAN_OP_ADD);
BLIT_ROW(AdditiveWhiteNoAlphaFlag_vs_Add, 1, Color::White, kOpaque, false, PIXMAN_OP_ADD);
BLIT_ROW(AdditiveColour_vs_AddSolidMask, 1, kOrange, kOpaque, true, PIXMAN_OP_ADD);

} // namespace
