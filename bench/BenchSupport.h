// Pictures and the side-by-side timer shared by the drawing benchmarks that
// compare our drawing with a reference (pixman, memcpy) on the same pixels.
#pragma once

#include "framework/graphics/MemoryImage.h"

#include "support/TestApp.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace BenchSupport {

// A sprite: an opaque disc of noisy colour with a soft edge, transparent
// corners. Channels never exceed alpha, so pixman reads the same words as
// valid premultiplied pixels.
inline std::vector<uint32_t> Sprite(int width, int height)
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

// An opaque screen of gradients to draw onto.
inline std::vector<uint32_t> Screen(int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y * width + x)] = 0xFF000000 | static_cast<uint32_t>((x * 3) & 0xFF) << 16
                | static_cast<uint32_t>((y * 5) & 0xFF) << 8 | static_cast<uint32_t>((x + y) & 0xFF);
        }
    }
    return pixels;
}

// A Sprite over a Screen, twice: as our memory images and as pixman images
// over their own copies of the same pixels.
struct SpriteAndScreen {
    TestApp app;
    std::unique_ptr<Lumo::MemoryImage> source;
    std::unique_ptr<Lumo::MemoryImage> dest;
    std::vector<uint32_t> pixmanSourceBits;
    std::vector<uint32_t> pixmanDestBits;
    pixman_image_t* pixmanSource = nullptr;
    pixman_image_t* pixmanDest = nullptr;

    SpriteAndScreen(int sourceWidth, int sourceHeight, int width, int height)
    {
        const std::vector<uint32_t> sprite = Sprite(sourceWidth, sourceHeight);
        const std::vector<uint32_t> screen = Screen(width, height);
        source = std::make_unique<Lumo::MemoryImage>(&app);
        source->SetBits(sprite.data(), sourceWidth, sourceHeight, true);
        dest = std::make_unique<Lumo::MemoryImage>(&app);
        dest->SetBits(screen.data(), width, height, true);
        pixmanSourceBits = sprite;
        pixmanDestBits = screen;
        pixmanSource = pixman_image_create_bits(PIXMAN_a8r8g8b8, sourceWidth, sourceHeight, pixmanSourceBits.data(),
                                                sourceWidth * 4);
        pixmanDest = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, pixmanDestBits.data(), width * 4);
    }
    ~SpriteAndScreen()
    {
        pixman_image_unref(pixmanSource);
        pixman_image_unref(pixmanDest);
    }
    SpriteAndScreen(const SpriteAndScreen&) = delete;
    SpriteAndScreen& operator=(const SpriteAndScreen&) = delete;
};

// Times ours and theirs alternately; the benchmark's time is ours. Reports
// "ours_ms", theirsCounter (e.g. "pixman_ms") and their "ratio" (below 1
// means ours is faster).
template <typename Ours, typename Theirs>
void SideBySide(benchmark::State& state, const char* theirsCounter, Ours&& ours, Theirs&& theirs)
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
    state.counters[theirsCounter] = theirsTotal / n * 1e3;
    state.counters["ratio"] = theirsTotal > 0.0 ? oursTotal / theirsTotal : 0.0;
}

// Running totals of ours and theirs timed in pairs of back-to-back runs, and
// the counters they make: "ours_us", "pixman_us", "ratio" (of the means) and,
// with ReportAll, "ratio_best" (of the fastest runs) and "ratio_median" (of
// the pairs' own ratios: a pair shrugs off the slower spells of a busy
// machine, so their median is the steadiest figure).
class PairTally {
public:
    PairTally() { mPairRatios.reserve(1 << 16); }

    void Add(double ours, double theirs)
    {
        mOurs += ours;
        mTheirs += theirs;
        mOursBest = std::min(mOursBest, ours);
        mTheirsBest = std::min(mTheirsBest, theirs);
        if (theirs > 0 && mPairRatios.size() < mPairRatios.capacity()) {
            mPairRatios.push_back(ours / theirs);
        }
    }

    void ReportMeans(benchmark::State& state) const
    {
        const double n = static_cast<double>(state.iterations());
        state.counters["ours_us"] = mOurs / n * 1e6;
        state.counters["pixman_us"] = mTheirs / n * 1e6;
        state.counters["ratio"] = mTheirs > 0 ? mOurs / mTheirs : 0.0;
    }

    void ReportAll(benchmark::State& state)
    {
        ReportMeans(state);
        state.counters["ratio_best"] = mTheirsBest > 0 ? mOursBest / mTheirsBest : 0.0;
        if (!mPairRatios.empty()) {
            const auto middle = mPairRatios.begin() + static_cast<std::ptrdiff_t>(mPairRatios.size() / 2);
            std::nth_element(mPairRatios.begin(), middle, mPairRatios.end());
            state.counters["ratio_median"] = *middle;
        }
    }

private:
    double mOurs = 0.0;
    double mTheirs = 0.0;
    double mOursBest = 1e9;
    double mTheirsBest = 1e9;
    std::vector<double> mPairRatios;
};

// Times ours and theirs through timed (which returns seconds) back to back
// each iteration, alternating which goes first so the cache state stays even;
// adds each pair to tally. The benchmark's time is ours.
template <typename Timed, typename Ours, typename Theirs>
void AlternatePairs(benchmark::State& state, PairTally& tally, Timed&& timed, Ours&& ours, Theirs&& theirs)
{
    bool oursFirst = true;
    for (auto _ : state) {
        double mine = 0;
        double pixmans = 0;
        if (oursFirst) {
            mine = timed(ours);
            pixmans = timed(theirs);
        } else {
            pixmans = timed(theirs);
            mine = timed(ours);
        }
        tally.Add(mine, pixmans);
        state.SetIterationTime(mine);
        oursFirst = !oursFirst;
    }
}

} // namespace BenchSupport
