// The matrix blit beside pixman's transformed composite on the same 800 x 600
// pixels: a sprite scaled and rotated about its centre, drawn with nearest
// and with bilinear sampling (OVER). Each row times both, alternately, in one
// run and reports ours / pixman as "ratio" (below 1 means faster than pixman).
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include "BenchSupport.h"

#include "support/TestApp.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

using Lumo::Color;
using Lumo::Matrix3;
using Lumo::TRect;
using BenchSupport::SideBySide;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSourceWidth = 400;
constexpr int kSourceHeight = 300;
constexpr float kScale = 1.25f;
constexpr float kAngle = 0.5f;
// Where the sprite's centre lands.
constexpr float kCenterX = 400.0f;
constexpr float kCenterY = 300.0f;

// Ours and pixman's drawing of one row, on their own copies of the pixels.
struct Pair : BenchSupport::SpriteAndScreen {
    Matrix3 matrix;
    // The screen area the transformed sprite covers: pixman composites only
    // that, as a caller of it would.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    explicit Pair(pixman_filter_t filter) : SpriteAndScreen(kSourceWidth, kSourceHeight, kWidth, kHeight)
    {
        Lumo::TriangleRasterizer::InitSpanFunctions();
        matrix.Scale(kScale, kScale);
        matrix.RotateRadians(kAngle);

        // Ours puts source point p at matrix * (p - half size) + centre -
        // 0.5 and samples at pixel corners; pixman samples at pixel centres,
        // so destination to source is half size + inverse(matrix) * (d -
        // centre). The inverse of our rotation is pixman's rotation by the
        // same (cos, sin).
        pixman_f_transform forward;
        pixman_f_transform_init_identity(&forward);
        pixman_f_transform_translate(&forward, nullptr, -kCenterX, -kCenterY);
        pixman_f_transform_rotate(&forward, nullptr, std::cos(kAngle), std::sin(kAngle));
        pixman_f_transform_scale(&forward, nullptr, 1.0 / kScale, 1.0 / kScale);
        pixman_f_transform_translate(&forward, nullptr, kSourceWidth / 2.0, kSourceHeight / 2.0);
        pixman_transform_t transform;
        pixman_transform_from_pixman_f_transform(&transform, &forward);
        pixman_image_set_transform(pixmanSource, &transform);
        pixman_image_set_filter(pixmanSource, filter, nullptr, 0);

        float minX = 1e9f;
        float minY = 1e9f;
        float maxX = -1e9f;
        float maxY = -1e9f;
        for (const float px : {-0.5f, 0.5f}) {
            for (const float py : {-0.5f, 0.5f}) {
                const Matrix3::Vector2 p = matrix.TransformPoint(px * kSourceWidth, py * kSourceHeight);
                minX = std::min(minX, p.mX + kCenterX);
                maxX = std::max(maxX, p.mX + kCenterX);
                minY = std::min(minY, p.mY + kCenterY);
                maxY = std::max(maxY, p.mY + kCenterY);
            }
        }
        left = std::max(0, static_cast<int>(std::floor(minX)) - 1);
        top = std::max(0, static_cast<int>(std::floor(minY)) - 1);
        right = std::min(kWidth, static_cast<int>(std::ceil(maxX)) + 1);
        bottom = std::min(kHeight, static_cast<int>(std::ceil(maxY)) + 1);
    }
    void Ours(bool linear)
    {
        const TRect<int> screen(0, 0, kWidth, kHeight);
        dest->BltMatrix(source.get(), kCenterX, kCenterY, matrix, screen, Color::White, 0,
                        {0, 0, kSourceWidth, kSourceHeight}, linear);
    }

    // Percentage of pixels whose channels differ by more than 8 between the
    // two drawings: a check that both draw the same picture.
    double DifferingPercent()
    {
        const uint32_t* ours = dest->GetBits();
        int differing = 0;
        for (size_t i = 0; i < pixmanDestBits.size(); ++i) {
            for (int shift = 0; shift < 32; shift += 8) {
                const int a = static_cast<int>((ours[i] >> shift) & 0xFF);
                const int b = static_cast<int>((pixmanDestBits[i] >> shift) & 0xFF);
                if (a - b > 8 || b - a > 8) {
                    ++differing;
                    break;
                }
            }
        }
        return 100.0 * differing / static_cast<double>(pixmanDestBits.size());
    }

    void PixmanOver()
    {
        pixman_image_composite32(PIXMAN_OP_OVER, pixmanSource, nullptr, pixmanDest, left, top, 0, 0, left, top,
                                 right - left, bottom - top);
    }
};

// A 400 x 300 sprite scaled by 1.25 and turned by 0.5 radians about its
// centre, nearest sample, against pixman's NEAREST transform with OVER.
void BM_BltMatrixNearest(benchmark::State& state)
{
    Pair pair(PIXMAN_FILTER_NEAREST);
    SideBySide(state, "pixman_ms", [&] { pair.Ours(false); }, [&] { pair.PixmanOver(); });
    state.counters["differ_pct"] = pair.DifferingPercent();
}
BENCHMARK(BM_BltMatrixNearest)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same with bilinear sampling, against pixman's BILINEAR transform.
void BM_BltMatrixBilinear(benchmark::State& state)
{
    Pair pair(PIXMAN_FILTER_BILINEAR);
    SideBySide(state, "pixman_ms", [&] { pair.Ours(true); }, [&] { pair.PixmanOver(); });
    state.counters["differ_pct"] = pair.DifferingPercent();
}
BENCHMARK(BM_BltMatrixBilinear)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
