// Rectangle fills of a memory image beside pixman's nearest operations on the
// same 800x600 pixels: an opaque fill against SRC, a translucent fill against
// OVER with a solid source. Each iteration times both, alternating which goes
// first; the "ratio" counter is our time over pixman's (of the means),
// "ratio_best" that of the fastest runs and "ratio_median" the median of the
// iterations' own ratios, the steadiest on a busy machine. Run it pinned to
// one core (taskset -c N), or the ratios wander with migrations.
#include "framework/graphics/MemoryImage.h"

#include "support/TestApp.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

using Clock = std::chrono::steady_clock;

// One image whose bits pixman draws into as well.
struct Target {
    Target() : image(&app)
    {
        image.Create(kWidth, kHeight);
        uint32_t* bits = image.GetBits();
        for (int i = 0; i < kWidth * kHeight; ++i) {
            bits[i] = 0xFF000000 | (uint32_t(i) * 2654435761u >> 8);
        }
        opaque.assign(bits, bits + kWidth * kHeight);
        // Mixed: alternating runs of opaque and translucent pixels.
        mixed = opaque;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            if ((i / 7) % 2 != 0) {
                mixed[size_t(i)] = (uint32_t(i * 13) & 0xFF) << 24 | (mixed[size_t(i)] & 0x00FFFFFF);
            }
        }
        clear.assign(size_t(kWidth) * kHeight, 0);
        pixmanImage = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, bits, kWidth * 4);
    }
    ~Target() { pixman_image_unref(pixmanImage); }

    void Restore(const std::vector<uint32_t>& pixels)
    {
        std::memcpy(image.GetBits(), pixels.data(), pixels.size() * sizeof(uint32_t));
    }

    TestApp app;
    Lumo::MemoryImage image;
    pixman_image_t* pixmanImage;
    std::vector<uint32_t> opaque;
    std::vector<uint32_t> mixed;
    std::vector<uint32_t> clear;
};

Target& GetTarget()
{
    static Target target;
    return target;
}

// pixman takes premultiplied 16-bit channels.
pixman_color_t PixmanColor(const Lumo::Color& color)
{
    const auto premultiplied = [&](int c) { return uint16_t((c * color.mAlpha / 255) * 257); };
    return pixman_color_t{premultiplied(color.mRed), premultiplied(color.mGreen), premultiplied(color.mBlue),
                          uint16_t(color.mAlpha * 257)};
}

enum class Op { Src, Over };

// Times our FillRect and pixman's op over the same rectangle; restore, when
// given, resets the pixels before each of the two (untimed).
void RunSideBySide(benchmark::State& state, const Lumo::TRect<int>& rect, const Lumo::Color& color, Op op,
                   const std::vector<uint32_t>* restore)
{
    Target& target = GetTarget();
    const pixman_color_t pixColor = PixmanColor(color);
    pixman_image_t* solid = pixman_image_create_solid_fill(&pixColor);
    const pixman_rectangle16_t pixRect{int16_t(rect.mX), int16_t(rect.mY), uint16_t(rect.mWidth),
                                       uint16_t(rect.mHeight)};

    const auto ours = [&] { target.image.FillRect(rect, color, 0); };
    const auto theirs = [&] {
        if (op == Op::Src) {
            pixman_image_fill_rectangles(PIXMAN_OP_SRC, target.pixmanImage, &pixColor, 1, &pixRect);
        } else {
            pixman_image_composite32(PIXMAN_OP_OVER, solid, nullptr, target.pixmanImage, 0, 0, 0, 0, rect.mX,
                                     rect.mY, rect.mWidth, rect.mHeight);
        }
    };
    const auto timed = [&](const auto& fill) {
        if (restore != nullptr) {
            target.Restore(*restore);
        }
        const Clock::time_point start = Clock::now();
        fill();
        benchmark::ClobberMemory();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };

    BenchSupport::PairTally tally;
    BenchSupport::AlternatePairs(state, tally, timed, ours, theirs);
    pixman_image_unref(solid);

    tally.ReportAll(state);
    state.SetItemsProcessed(int64_t(state.iterations()) * rect.mWidth * rect.mHeight);
}

const Lumo::TRect<int> kFull(0, 0, kWidth, kHeight);
// Rows that start off alignment and are not the whole pitch.
const Lumo::TRect<int> kInset(1, 1, kWidth - 3, kHeight - 2);

void BM_OpaqueFill_vs_PixmanSrc(benchmark::State& state)
{
    RunSideBySide(state, kFull, Lumo::Color(0x20, 0x40, 0x60, 255), Op::Src, nullptr);
}
BENCHMARK(BM_OpaqueFill_vs_PixmanSrc)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_OpaqueFillInset_vs_PixmanSrc(benchmark::State& state)
{
    RunSideBySide(state, kInset, Lumo::Color(0x20, 0x40, 0x60, 255), Op::Src, nullptr);
}
BENCHMARK(BM_OpaqueFillInset_vs_PixmanSrc)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The destination stays opaque under both blends: the common case.
void BM_TranslucentFill_vs_PixmanOver(benchmark::State& state)
{
    GetTarget().Restore(GetTarget().opaque);
    RunSideBySide(state, kFull, Lumo::Color(0x20, 0x40, 0x60, 128), Op::Over, nullptr);
}
BENCHMARK(BM_TranslucentFill_vs_PixmanOver)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_TranslucentFillInset_vs_PixmanOver(benchmark::State& state)
{
    GetTarget().Restore(GetTarget().opaque);
    RunSideBySide(state, kInset, Lumo::Color(0x20, 0x40, 0x60, 128), Op::Over, nullptr);
}
BENCHMARK(BM_TranslucentFillInset_vs_PixmanOver)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A transparent destination (a new overlay image), reset before each fill.
void BM_TranslucentFillClearDest_vs_PixmanOver(benchmark::State& state)
{
    RunSideBySide(state, kFull, Lumo::Color(0x20, 0x40, 0x60, 128), Op::Over, &GetTarget().clear);
}
BENCHMARK(BM_TranslucentFillClearDest_vs_PixmanOver)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Half the destination translucent: the general path, reset before each fill.
void BM_TranslucentFillMixedDest_vs_PixmanOver(benchmark::State& state)
{
    RunSideBySide(state, kFull, Lumo::Color(0x20, 0x40, 0x60, 128), Op::Over, &GetTarget().mixed);
}
BENCHMARK(BM_TranslucentFillMixedDest_vs_PixmanOver)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
