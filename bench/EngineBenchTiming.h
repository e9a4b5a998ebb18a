// Side-by-side timing for the engine benchmarks: ours and the reference run
// back to back each iteration, alternating which goes first, timed in process
// CPU time so that other programs on a busy machine do not count. Reports
// "ours_ms", the reference's counter, "ratio" (of the means) and
// "ratio_median" (of the iterations' own ratios, the steadiest figure).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace EngineBench {

template <typename Ours, typename Reference>
void CpuSideBySide(benchmark::State& state, const char* referenceCounter, Ours&& ours, Reference&& reference)
{
    auto timed = [](auto&& run) {
        const std::clock_t start = std::clock();
        run();
        benchmark::ClobberMemory();
        return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    };
    double oursTotal = 0.0;
    double referenceTotal = 0.0;
    std::vector<double> ratios;
    ratios.reserve(1 << 16);
    bool oursFirst = true;
    for (auto _ : state) {
        double mine = 0.0;
        double theirs = 0.0;
        if (oursFirst) {
            mine = timed(ours);
            theirs = timed(reference);
        } else {
            theirs = timed(reference);
            mine = timed(ours);
        }
        oursFirst = !oursFirst;
        oursTotal += mine;
        referenceTotal += theirs;
        if (theirs > 0.0 && ratios.size() < ratios.capacity())
            ratios.push_back(mine / theirs);
        state.SetIterationTime(mine > 0.0 ? mine : 1e-9);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = oursTotal / n * 1e3;
    state.counters[referenceCounter] = referenceTotal / n * 1e3;
    state.counters["ratio"] = referenceTotal > 0.0 ? oursTotal / referenceTotal : 0.0;
    if (!ratios.empty()) {
        const auto middle = ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2);
        std::nth_element(ratios.begin(), middle, ratios.end());
        state.counters["ratio_median"] = *middle;
    }
}

} // namespace EngineBench
