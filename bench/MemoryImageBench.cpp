// Cost of deriving the memory image's forms: native data, run-length tables,
// the transparency scan and bits back from native data.
#include "framework/graphics/MemoryImage.h"

#include "support/TestApp.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Rows of transparent, opaque and half-transparent runs, like a sprite sheet.
std::vector<uint32_t> SpritePixels(int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int band = (x / 17 + y / 9) % 3;
            const uint32_t alpha = band == 0 ? 0x00 : (band == 1 ? 0xFF : 0x80);
            pixels[static_cast<size_t>(y) * width + x] = alpha << 24 | (static_cast<uint32_t>(x * 7 + y * 3) & 0xFFFFFF);
        }
    }
    return pixels;
}

// Gives image a 512 x 512 sheet of SpritePixels (SetBits copies them).
void SetSheet(Lumo::MemoryImage& image, bool commitBits)
{
    const std::vector<uint32_t> pixels = SpritePixels(512, 512);
    image.SetBits(pixels.data(), 512, 512, commitBits);
}

void BM_NativeAlphaData(benchmark::State& state)
{
    TestApp app;
    Lumo::MemoryImage image;
    SetSheet(image, true);
    for (auto _ : state) {
        image.mNativeAlphaData.reset();
        benchmark::DoNotOptimize(image.GetNativeAlphaData(nullptr));
    }
}
BENCHMARK(BM_NativeAlphaData);

void BM_RLAlphaData(benchmark::State& state)
{
    TestApp app;
    Lumo::MemoryImage image;
    SetSheet(image, true);
    for (auto _ : state) {
        image.mRLAlphaData.reset();
        benchmark::DoNotOptimize(image.GetRLAlphaData());
    }
}
BENCHMARK(BM_RLAlphaData);

void BM_CommitBits(benchmark::State& state)
{
    TestApp app;
    Lumo::MemoryImage image;
    SetSheet(image, false);
    for (auto _ : state) {
        image.mBitsChanged = true;
        image.CommitBits();
        benchmark::DoNotOptimize(image.mHasAlpha);
    }
}
BENCHMARK(BM_CommitBits);

void BM_BitsFromNativeData(benchmark::State& state)
{
    TestApp app;
    Lumo::MemoryImage image;
    SetSheet(image, true);
    image.PurgeBits();
    for (auto _ : state) {
        image.mBits.reset();
        benchmark::DoNotOptimize(image.GetBits());
    }
}
BENCHMARK(BM_BitsFromNativeData);

} // namespace
