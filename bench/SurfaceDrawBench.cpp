// Drawing onto the screen's surface image of an 800x600 windowed display: a
// 32x32 fill and a 64x64 sprite blit, on a 16- and a 32-bit desktop. A
// primitive should cost what it draws, not a pass over the whole surface.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Color.h"

#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using Lumo::Color;
using Lumo::DDImage;
using Lumo::TRect;

// A display whose screen image is 800x600 at the given depth.
struct Screen {
    explicit Screen(int bits)
    {
        host.desktopBits = bits;
        host.clientWidth = 800;
        host.clientHeight = 600;
        app.width = 800;
        app.height = 600;
        ok = app.AddDisplay()->Init(DisplayTestWindow(), true) == 0;
        image = ok ? app.ddInterface->GetScreenImage() : nullptr;
        ok = image != nullptr && image->GetWidth() == 800 && image->GetHeight() == 600;
    }

    TestDisplayHost host;
    TestApp app;
    DDImage* image = nullptr;
    bool ok = false;
};

void BM_SurfaceFill32(benchmark::State& state)
{
    Screen screen(static_cast<int>(state.range(0)));
    if (!screen.ok) {
        state.SkipWithError("no display");
        return;
    }
    const Color translucent(200, 120, 40, 160);
    int step = 0;
    for (auto _ : state) {
        const int x = (step * 37) % (800 - 32);
        const int y = (step * 23) % (600 - 32);
        screen.image->FillRect(TRect<int>(x, y, 32, 32), translucent, 0);
        ++step;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SurfaceFill32)->Arg(16)->Arg(32)->ArgName("bits");

void BM_SurfaceSpriteBlt64(benchmark::State& state)
{
    Screen screen(static_cast<int>(state.range(0)));
    if (!screen.ok) {
        state.SkipWithError("no display");
        return;
    }
    const std::vector<uint32_t> pixels = BenchSupport::Sprite(64, 64);
    // A memory image: its soft edge keeps it off a surface of its own.
    Lumo::MemoryImage sprite(&screen.app);
    sprite.SetBits(pixels.data(), 64, 64);
    int step = 0;
    for (auto _ : state) {
        const int x = (step * 37) % (800 - 64);
        const int y = (step * 23) % (600 - 64);
        screen.image->Blt(&sprite, x, y, TRect<int>(0, 0, 64, 64), Color::White, 0);
        ++step;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SurfaceSpriteBlt64)->Arg(16)->Arg(32)->ArgName("bits");

} // namespace

BENCHMARK_MAIN();
