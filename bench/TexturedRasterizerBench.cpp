// The textured span fillers through DrawTriangles on an 800 x 600 screen: a
// quad drawn 1:1 against memcpy of the same rows (the physical limit), and a
// rotated bilinear quad against pixman's BILINEAR transformed OVER of the
// same bounding box. Each row times both alternately and reports ours / theirs
// as "ratio" (below 1 means faster).
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
#include <cstring>
#include <memory>
#include <vector>

using Lumo::Color;
using Lumo::MemoryImage;
using Lumo::TRect;
namespace Raster = Lumo::TriangleRasterizer;
using BenchSupport::SideBySide;
using BenchSupport::Sprite;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Opaque noise: the 1:1 quad's texture.
std::vector<uint32_t> Noise(int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    uint32_t seed = 777;
    for (uint32_t& p : pixels) {
        seed = seed * 1664525u + 1013904223u;
        p = 0xFF000000 | (seed >> 8);
    }
    return pixels;
}

// The four corners of a width x height texture turned by angle about its
// centre and placed with that centre at (cx, cy), as a strip: top-left,
// top-right, bottom-left, bottom-right.
void Corners(Raster::ClipVertex (&quad)[4], int width, int height, double angle, double cx, double cy)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        const double x = (corners[i][0] - 0.5) * width;
        const double y = (corners[i][1] - 0.5) * height;
        quad[i] = {static_cast<float>(cx + c * x - s * y), static_cast<float>(cy + s * x + c * y),
                   static_cast<float>(corners[i][0]), static_cast<float>(corners[i][1]), 0xFFFFFFFF};
    }
}

// A texture drawn 1:1 at a whole-pixel position through the plain copy
// filler, against memcpy of the same destination rows from a prepared copy.
template <class Pixel>
void OneToOne(benchmark::State& state, int format)
{
    constexpr int kSize = 512;
    constexpr int kLeft = 100;
    constexpr int kTop = 40;
    TestApp app;
    Raster::InitSpanFunctions();
    MemoryImage texture(&app);
    const std::vector<uint32_t> noise = Noise(kSize, kSize);
    texture.SetBits(noise.data(), kSize, kSize);
    std::vector<Pixel> screen(static_cast<size_t>(kWidth) * kHeight, 0);
    std::vector<Pixel> copyScreen(screen.size(), 0);
    std::vector<Pixel> rows(static_cast<size_t>(kSize) * kSize);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = static_cast<Pixel>(noise[i]);
    }
    Raster::ClipVertex quad[4];
    Corners(quad, kSize, kSize, 0.0, kLeft + kSize / 2.0, kTop + kSize / 2.0);
    const TRect<int> clip(0, 0, kWidth, kHeight);
    const int pitch = kWidth * static_cast<int>(sizeof(Pixel));
    SideBySide(
        state, "theirs_ms",
        [&] {
            Raster::DrawTriangles(quad, 4, &texture, Color::White, 0, clip, screen.data(), pitch, format, false,
                                  false);
        },
        [&] {
            for (int y = 0; y < kSize; ++y) {
                std::memcpy(&copyScreen[static_cast<size_t>((kTop + y) * kWidth + kLeft)],
                            &rows[static_cast<size_t>(y * kSize)], kSize * sizeof(Pixel));
            }
        });
    state.counters["pixels"] = kSize * kSize;
}

void BM_TexturedQuadOneToOne8888(benchmark::State& state)
{
    OneToOne<uint32_t>(state, Raster::kPixelFormat8888);
}
BENCHMARK(BM_TexturedQuadOneToOne8888)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_TexturedQuadOneToOne565(benchmark::State& state)
{
    OneToOne<uint16_t>(state, Raster::kPixelFormat565);
}
BENCHMARK(BM_TexturedQuadOneToOne565)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A 400 x 400 sprite turned by 0.5 radians about its centre in the middle of
// the screen, bilinear with its own alpha (entry 25 of the group), against
// pixman's BILINEAR affine OVER of the quad's bounding box.
void Rotated(benchmark::State& state, int format, pixman_format_code_t pixmanFormat, int bytesPerPixel)
{
    constexpr int kSize = 400;
    constexpr double kAngle = 0.5;
    const double cx = kWidth / 2.0;
    const double cy = kHeight / 2.0;
    TestApp app;
    Raster::InitSpanFunctions();
    MemoryImage texture(&app);
    std::vector<uint32_t> sprite = Sprite(kSize, kSize);
    texture.SetBits(sprite.data(), kSize, kSize);
    std::vector<uint32_t> screen(static_cast<size_t>(kWidth) * kHeight * bytesPerPixel / 4, 0xFF336699);
    std::vector<uint32_t> pixmanScreen = screen;

    pixman_image_t* source = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSize, kSize, sprite.data(), kSize * 4);
    pixman_image_t* dest =
        pixman_image_create_bits(pixmanFormat, kWidth, kHeight, pixmanScreen.data(), kWidth * bytesPerPixel);
    // Destination to source: about the screen centre, turned back by the angle.
    pixman_f_transform forward;
    pixman_f_transform_init_identity(&forward);
    pixman_f_transform_translate(&forward, nullptr, -cx, -cy);
    pixman_f_transform_rotate(&forward, nullptr, std::cos(kAngle), -std::sin(kAngle));
    pixman_f_transform_translate(&forward, nullptr, kSize / 2.0, kSize / 2.0);
    pixman_transform_t transform;
    pixman_transform_from_pixman_f_transform(&transform, &forward);
    pixman_image_set_transform(source, &transform);
    pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);

    Raster::ClipVertex quad[4];
    Corners(quad, kSize, kSize, kAngle, cx, cy);
    int left = kWidth;
    int top = kHeight;
    int right = 0;
    int bottom = 0;
    for (const Raster::ClipVertex& v : quad) {
        left = std::min(left, static_cast<int>(std::floor(v.mX)));
        top = std::min(top, static_cast<int>(std::floor(v.mY)));
        right = std::max(right, static_cast<int>(std::ceil(v.mX)));
        bottom = std::max(bottom, static_cast<int>(std::ceil(v.mY)));
    }
    const TRect<int> clip(0, 0, kWidth, kHeight);
    SideBySide(
        state, "theirs_ms",
        [&] {
            Raster::DrawTriangles(quad, 4, &texture, Color::White, 0, clip, screen.data(), kWidth * bytesPerPixel,
                                  format, true, false);
        },
        [&] {
            // The source transform takes destination coordinates, so the
            // source origin follows the destination rectangle.
            pixman_image_composite32(PIXMAN_OP_OVER, source, nullptr, dest, left, top, 0, 0, left, top, right - left,
                                     bottom - top);
        });
    pixman_image_unref(source);
    pixman_image_unref(dest);
}

void BM_LinearRotated8888(benchmark::State& state)
{
    Rotated(state, Raster::kPixelFormat8888, PIXMAN_a8r8g8b8, 4);
}
BENCHMARK(BM_LinearRotated8888)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_LinearRotated565(benchmark::State& state)
{
    Rotated(state, Raster::kPixelFormat565, PIXMAN_r5g6b5, 2);
}
BENCHMARK(BM_LinearRotated565)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
