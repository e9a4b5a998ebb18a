// The stretched and rotated blits beside the nearest pixman operation on the
// same 800 x 600 pixels: each row times both, alternately, in one run and
// reports ours / pixman as "ratio" (below 1 means faster than pixman).
#include "framework/graphics/MemoryImage.h"

#include "BenchSupport.h"

#include "support/TestApp.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

using Lumo::Color;
using Lumo::TRect;
using BenchSupport::SideBySide;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Ours and pixman's drawing of one row, on their own copies of the pixels.
struct Pair : BenchSupport::SpriteAndScreen {
    Pair(int sourceWidth, int sourceHeight) : SpriteAndScreen(sourceWidth, sourceHeight, kWidth, kHeight) {}

    void PixmanOver()
    {
        pixman_image_composite32(PIXMAN_OP_OVER, pixmanSource, nullptr, pixmanDest, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    }
};

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
        state, "pixman_ms",
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
        state, "pixman_ms",
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
