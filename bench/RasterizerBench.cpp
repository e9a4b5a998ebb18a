// Vertex-coloured (Gouraud) triangles through DrawTriangles on an 800 x 600
// screen in 8888 and 565, covering it once with a mesh of 16 x 12 quads,
// beside pixman_composite_triangles of the same mesh with a solid source,
// the nearest operation pixman has (it has no vertex colours). Each row
// times both alternately; "ratio" is our time over pixman's (below 1 means
// faster), items are pixels. Run pinned to one core (taskset -c N).
#include "framework/rasterizer/TriangleRasterizer.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstdint>
#include <vector>

using Lumo::Color;
using Lumo::TRect;
namespace Raster = Lumo::TriangleRasterizer;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kColumns = 16;
constexpr int kRows = 12;

using Clock = std::chrono::steady_clock;

uint32_t MeshColor(int column, int row, uint32_t alpha)
{
    return alpha << 24 | uint32_t(column * 16) << 16 | uint32_t(row * 20) << 8 | uint32_t((column + row) * 7);
}

// One strip per row of quads: top, bottom, top, bottom... left to right.
std::vector<std::vector<Raster::ClipVertex>> MeshStrips(uint32_t alpha)
{
    std::vector<std::vector<Raster::ClipVertex>> strips;
    const float cellWidth = float(kWidth) / kColumns;
    const float cellHeight = float(kHeight) / kRows;
    for (int row = 0; row < kRows; ++row) {
        std::vector<Raster::ClipVertex> strip;
        for (int column = 0; column <= kColumns; ++column) {
            const float x = cellWidth * float(column);
            strip.push_back({x, cellHeight * float(row), 0, 0, MeshColor(column, row, alpha)});
            strip.push_back({x, cellHeight * float(row + 1), 0, 0, MeshColor(column, row + 1, alpha)});
        }
        strips.push_back(strip);
    }
    return strips;
}

// The same triangles for pixman.
std::vector<pixman_triangle_t> MeshTriangles(const std::vector<std::vector<Raster::ClipVertex>>& strips)
{
    std::vector<pixman_triangle_t> triangles;
    for (const auto& strip : strips) {
        for (size_t k = 0; k + 2 < strip.size(); ++k) {
            const Raster::ClipVertex& a = strip[k];
            const Raster::ClipVertex& b = strip[k + 1];
            const Raster::ClipVertex& c = strip[k + 2];
            triangles.push_back({{pixman_double_to_fixed(a.mX), pixman_double_to_fixed(a.mY)},
                                 {pixman_double_to_fixed(b.mX), pixman_double_to_fixed(b.mY)},
                                 {pixman_double_to_fixed(c.mX), pixman_double_to_fixed(c.mY)}});
        }
    }
    return triangles;
}

void RunSideBySide(benchmark::State& state, int pixelFormat, uint32_t alpha)
{
    Raster::InitSpanFunctions();
    const bool is565 = pixelFormat == Raster::kPixelFormat565;
    const int pitch = kWidth * (is565 ? 2 : 4);
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight, 0xFF203040);
    pixman_image_t* destination = pixman_image_create_bits(is565 ? PIXMAN_r5g6b5 : PIXMAN_a8r8g8b8, kWidth, kHeight,
                                                           pixels.data(), pitch);
    const uint16_t a16 = uint16_t(alpha * 257);
    const pixman_color_t solidColor = {uint16_t(0x80 * alpha / 255 * 257), uint16_t(0x40 * alpha / 255 * 257),
                                       uint16_t(0x20 * alpha / 255 * 257), a16};
    pixman_image_t* solid = pixman_image_create_solid_fill(&solidColor);

    const auto strips = MeshStrips(alpha);
    const auto triangles = MeshTriangles(strips);
    const TRect<int> clip(0, 0, kWidth, kHeight);

    const auto ours = [&] {
        for (const auto& strip : strips) {
            Raster::DrawTriangles(strip.data(), int(strip.size()), nullptr, Color::White, 0, clip, pixels.data(),
                                  pitch, pixelFormat, false, true);
        }
    };
    const auto theirs = [&] {
        pixman_composite_triangles(PIXMAN_OP_OVER, solid, destination, PIXMAN_a8, 0, 0, 0, 0, int(triangles.size()),
                                   triangles.data());
    };
    const auto timed = [&](const auto& draw) {
        const Clock::time_point start = Clock::now();
        draw();
        benchmark::ClobberMemory();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };

    BenchSupport::PairTally tally;
    BenchSupport::AlternatePairs(state, tally, timed, ours, theirs);
    pixman_image_unref(solid);
    pixman_image_unref(destination);

    tally.ReportMeans(state);
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void BM_GouraudOpaque8888_vs_PixmanSolidTriangles(benchmark::State& state)
{
    RunSideBySide(state, Raster::kPixelFormat8888, 255);
}
BENCHMARK(BM_GouraudOpaque8888_vs_PixmanSolidTriangles)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_GouraudHalf8888_vs_PixmanSolidTriangles(benchmark::State& state)
{
    RunSideBySide(state, Raster::kPixelFormat8888, 128);
}
BENCHMARK(BM_GouraudHalf8888_vs_PixmanSolidTriangles)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_GouraudOpaque565_vs_PixmanSolidTriangles(benchmark::State& state)
{
    RunSideBySide(state, Raster::kPixelFormat565, 255);
}
BENCHMARK(BM_GouraudOpaque565_vs_PixmanSolidTriangles)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_GouraudHalf565_vs_PixmanSolidTriangles(benchmark::State& state)
{
    RunSideBySide(state, Raster::kPixelFormat565, 128);
}
BENCHMARK(BM_GouraudHalf565_vs_PixmanSolidTriangles)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
