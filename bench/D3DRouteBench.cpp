// One scene per frame on an 800x600 windowed display: a background picture,
// 200 rotated bilinear sprites with alpha, and 400 glyph-sized blits of text,
// drawn through the 3-D route on the reference device (drawing into the draw
// surface's memory), through the 3-D route on the GPU device (where a display
// with GL exists: its frames read back for presentation), and through the
// software route of the same display, in the same run. Counters: d3d_us,
// gpu_us (0 without a GPU) and software_us per frame, and ratio and
// gpu_ratio (over software: below 1 means that route is faster). Not
// asserted.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/MemoryImage.h"

#include "platform/video/D3DGpuRenderer.h"
#include "support/GpuVideo.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"
#include "support/TestScreen.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lumo::Color;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFrames = 5;

enum class Route { kSoftware, kReference, kGpu };

// Microseconds per frame of the scene on a fresh display through the route.
double FrameMicroseconds(Route route, int bits)
{
    const bool is3D = route != Route::kSoftware;
    TestDisplayHost host;
    if (route == Route::kGpu) {
        host.d3d.kind = Plat::D3DDeviceKind::kGpu;
        host.d3d.formats = Plat::kD3dFormat8888 | Plat::kD3dFormat4444 | Plat::kD3dFormat565;
    }
    TestApp app;
    DDImage* screen = OpenTestScreen(host, app, kWidth, kHeight, bits == 32, false, is3D);
    if (screen == nullptr) {
        return 0.0;
    }

    const std::vector<uint32_t> backgroundPixels = BenchSupport::Screen(kWidth, kHeight);
    DDImage background(app.ddInterface);
    background.SetBits(backgroundPixels.data(), kWidth, kHeight);
    const std::vector<uint32_t> spritePixels = BenchSupport::Sprite(48, 48);
    MemoryImage sprite(&app);
    sprite.SetBits(spritePixels.data(), 48, 48);
    const std::vector<uint32_t> glyphPixels = BenchSupport::Sprite(8, 12);
    MemoryImage glyph(&app);
    glyph.SetBits(glyphPixels.data(), 8, 12);
    const TRect<int> clip(0, 0, kWidth, kHeight);

    auto frame = [&](int n) {
        screen->Blt(&background, 0, 0, TRect<int>(0, 0, kWidth, kHeight), Color::White, 0);
        for (int i = 0; i < 200; ++i) {
            const float x = static_cast<float>((i * 97 + n * 13) % (kWidth - 48));
            const float y = static_cast<float>((i * 61 + n * 7) % (kHeight - 48));
            screen->BltRotated(&sprite, x, y, TRect<int>(0, 0, 48, 48), clip, Color::White, 0,
                               0.01 * (i + n), 24.0f, 24.0f);
        }
        for (int i = 0; i < 400; ++i) {
            screen->Blt(&glyph, 20 + (i % 80) * 9, 500 + (i / 80) * 14, TRect<int>(0, 0, 8, 12),
                        Color(255, 255, 255, 230), 0);
        }
        app.ddInterface->Redraw();
    };
    frame(0); // textures and surfaces made outside the timing
    const auto start = std::chrono::steady_clock::now();
    for (int n = 1; n <= kFrames; ++n) {
        frame(n);
    }
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(stop - start).count() / kFrames;
}

void BM_SceneFrame(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    static Plat::D3DGpuRenderer::Identity gpuIdentity;
    static std::string whyNot;
    static const bool hasGpu = LumoTest::StartGpuVideo(gpuIdentity, whyNot);
    double d3d = 0.0;
    double gpu = 0.0;
    double software = 0.0;
    int runs = 0;
    for (auto _ : state) {
        d3d += FrameMicroseconds(Route::kReference, bits);
        gpu += hasGpu ? FrameMicroseconds(Route::kGpu, bits) : 0.0;
        software += FrameMicroseconds(Route::kSoftware, bits);
        ++runs;
    }
    state.counters["d3d_us"] = d3d / runs;
    state.counters["gpu_us"] = gpu / runs;
    state.counters["software_us"] = software / runs;
    state.counters["ratio"] = software > 0.0 ? d3d / software : 0.0;
    state.counters["gpu_ratio"] = software > 0.0 ? gpu / software : 0.0;
    state.SetLabel(hasGpu ? gpuIdentity.renderer : "no GPU: " + whyNot);
}
BENCHMARK(BM_SceneFrame)->Arg(32)->Arg(16)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
