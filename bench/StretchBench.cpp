// The stretched and rotated blits beside the nearest pixman operation on the
// same 800 x 600 pixels: each row times both, alternately, in one run and
// reports ours / pixman as "ratio" (below 1 means faster than pixman).
#include "framework/graphics/MemoryImage.h"

#include "support/TestApp.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

using Lumo::Color;
using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A sprite: an opaque disc of noisy colour with a soft edge, transparent
// corners. Channels never exceed alpha, so pixman reads the same words as
// valid premultiplied pixels.
std::vector<uint32_t> Sprite(int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double radius = std::min(cx, cy);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dist = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const double cover = std::clamp((radius - dist) / 6.0, 0.0, 1.0);
            const uint32_t a = static_cast<uint32_t>(cover * 255.0);
            seed = seed * 1664525u + 1013904223u;
            const uint32_t r = ((seed >> 8) & 0xFF) * a / 255;
            const uint32_t g = ((seed >> 16) & 0xFF) * a / 255;
            const uint32_t b = ((seed >> 24) & 0xFF) * a / 255;
            pixels[static_cast<size_t>(y * width + x)] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return pixels;
}

// An opaque screen to draw onto.
std::vector<uint32_t> Screen()
{
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            pixels[static_cast<size_t>(y * kWidth + x)] = 0xFF000000 | static_cast<uint32_t>((x * 3) & 0xFF) << 16
                | static_cast<uint32_t>((y * 5) & 0xFF) << 8 | static_cast<uint32_t>((x + y) & 0xFF);
        }
    }
    return pixels;
}

// Ours and pixman's drawing of one row, on their own copies of the pixels.
struct Pair {
    TestApp app;
    std::unique_ptr<MemoryImage> source;
    std::unique_ptr<MemoryImage> dest;
    std::vector<uint32_t> pixmanSourceBits;
    std::vector<uint32_t> pixmanDestBits;
    pixman_image_t* pixmanSource = nullptr;
    pixman_image_t* pixmanDest = nullptr;

    Pair(int sourceWidth, int sourceHeight)
    {
        const std::vector<uint32_t> sprite = Sprite(sourceWidth, sourceHeight);
        const std::vector<uint32_t> screen = Screen();
        source = std::make_unique<MemoryImage>(&app);
        source->SetBits(sprite.data(), sourceWidth, sourceHeight, true);
        dest = std::make_unique<MemoryImage>(&app);
        dest->SetBits(screen.data(), kWidth, kHeight, true);
        pixmanSourceBits = sprite;
        pixmanDestBits = screen;
        pixmanSource = pixman_image_create_bits(PIXMAN_a8r8g8b8, sourceWidth, sourceHeight, pixmanSourceBits.data(),
                                                sourceWidth * 4);
        pixmanDest = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, pixmanDestBits.data(), kWidth * 4);
    }
    ~Pair()
    {
        pixman_image_unref(pixmanSource);
        pixman_image_unref(pixmanDest);
    }
    Pair(const Pair&) = delete;
    Pair& operator=(const Pair&) = delete;

    void PixmanOver()
    {
        pixman_image_composite32(PIXMAN_OP_OVER, pixmanSource, nullptr, pixmanDest, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    }
};

// Times ours and pixman alternately; the benchmark's time is ours.
template <typename Ours, typename Theirs>
void SideBySide(benchmark::State& state, Ours&& ours, Theirs&& theirs)
{
    using Clock = std::chrono::steady_clock;
    double oursTotal = 0.0;
    double theirsTotal = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        ours();
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        theirs();
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        const double oursTime = std::chrono::duration<double>(t1 - t0).count();
        oursTotal += oursTime;
        theirsTotal += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(oursTime);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = oursTotal / n * 1e3;
    state.counters["pixman_ms"] = theirsTotal / n * 1e3;
    state.counters["ratio"] = theirsTotal > 0.0 ? oursTotal / theirsTotal : 0.0;
}

// Nearest-sample stretch of a 533 x 400 sprite to the whole screen, against
// pixman's NEAREST scale with OVER.
void BM_FastStretch(benchmark::State& state)
{
    Pair pair(533, 400);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(533.0 / kWidth), pixman_double_to_fixed(400.0 / kHeight));
    pixman_image_set_transform(pair.pixmanSource, &scale);
    pixman_image_set_filter(pair.pixmanSource, PIXMAN_FILTER_NEAREST, nullptr, 0);
    const TRect<int> screen(0, 0, kWidth, kHeight);
    SideBySide(
        state,
        [&] { pair.dest->StretchBlt(pair.source.get(), screen, {0, 0, 533, 400}, screen, Color::White, 0, true); },
        [&] { pair.PixmanOver(); });
}
BENCHMARK(BM_FastStretch)->UseManualTime()->Unit(benchmark::kMillisecond);

// Rotated blit of a 560 x 420 sprite by 0.5 radians about its centre, in
// the middle of the screen, against pixman's BILINEAR affine transform with OVER.
void RotatedRow(benchmark::State& state, double angle, float x, float y)
{
    constexpr int kSourceWidth = 560;
    constexpr int kSourceHeight = 420;
    Pair pair(kSourceWidth, kSourceHeight);
    const float cx = kSourceWidth / 2.0f;
    const float cy = kSourceHeight / 2.0f;
    // Destination to source: about the destination centre, turned back by the angle.
    pixman_f_transform forward;
    pixman_f_transform_init_identity(&forward);
    pixman_f_transform_translate(&forward, nullptr, -(cx + x), -(cy + y));
    pixman_f_transform_rotate(&forward, nullptr, std::cos(angle), std::sin(angle));
    pixman_f_transform_translate(&forward, nullptr, cx, cy);
    pixman_transform_t transform;
    pixman_transform_from_pixman_f_transform(&transform, &forward);
    pixman_image_set_transform(pair.pixmanSource, &transform);
    pixman_image_set_filter(pair.pixmanSource, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    const TRect<int> screen(0, 0, kWidth, kHeight);
    SideBySide(
        state,
        [&] {
            pair.dest->BltRotated(pair.source.get(), x, y, {0, 0, kSourceWidth, kSourceHeight}, screen, Color::White, 0,
                                  angle, cx, cy);
        },
        [&] { pair.PixmanOver(); });
}

void BM_BltRotated(benchmark::State& state)
{
    RotatedRow(state, 0.5, 120.0f, 90.0f);
}
BENCHMARK(BM_BltRotated)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same at angle 0 and a fractional position: how BltF draws.
void BM_BltRotatedAngleZero(benchmark::State& state)
{
    RotatedRow(state, 0.0, 120.5f, 90.25f);
}
BENCHMARK(BM_BltRotatedAngleZero)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
