#include "framework/app/SectionProfiler.h"

#include "framework/core/StringUtils.h"
#include "platform/system/Clock.h"
#include "platform/system/CycleCounter.h"

#include <strings.h>

namespace Lumo {

bool SectionProfiler::NameLess::operator()(const std::string& a, const std::string& b) const
{
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

SectionProfiler::SectionProfiler(size_t pendingCapacity) : mCapacity(pendingCapacity > 0 ? pendingCapacity : 1)
{
    pending.reserve(mCapacity);
}

void SectionProfiler::Start()
{
    sections.clear();
    pending.clear();
    overhead = 0;
    active = true;
    startStamp = Plat::GetCycleCounter().Read();
}

void SectionProfiler::Record(const char* name, bool isStart)
{
    if (!active || name == nullptr)
        return;
    if (pending.size() >= mCapacity)
        FoldPending();
    pending.push_back({name, Plat::GetCycleCounter().Read(), isStart});
}

void SectionProfiler::FoldPending()
{
    Plat::CycleCounter& counter = Plat::GetCycleCounter();
    const uint64_t t0 = counter.Read();
    for (const Event& event : pending) {
        if (event.isStart) {
            auto it = sections.find(event.name);
            if (it == sections.end()) {
                it = sections.emplace(event.name, Section{}).first;
                it->second.name = event.name;
            }
            Section& section = it->second;
            ++section.calls;
            if (++section.depth == 1)
                section.startStamp = event.stamp;
            continue;
        }
        auto it = sections.find(event.name);
        // An end without a start, or one more end than starts, would leave
        // the depth below 0 and the section would never count again.
        if (it == sections.end() || it->second.depth <= 0)
            continue;
        Section& section = it->second;
        if (--section.depth == 0) {
            const uint64_t interval = event.stamp - section.startStamp;
            section.ticks += interval;
            if (interval > section.longestTicks)
                section.longestTicks = interval;
        }
    }
    pending.clear();
    overhead += counter.Read() - t0;
}

void SectionProfiler::Stop()
{
    const uint64_t t = Plat::GetCycleCounter().Read();
    FoldPending();
    active = false;
    if (clockRate <= 0) {
        clockRate = GetCpuSpeed();
        if (clockRate <= 0)
            clockRate = 1;
    }
    const double rate = static_cast<double>(clockRate);
    totalTime = (static_cast<double>(t - startStamp) - static_cast<double>(overhead)) * 1000.0 / rate;
    for (auto& entry : sections) {
        Section& section = entry.second;
        section.time = static_cast<double>(section.ticks) * 1000.0 / rate;
        section.longest = static_cast<double>(section.longestTicks) * 1000.0 / rate;
    }
}

std::string SectionProfiler::GetResults() const
{
    std::string text = StrFormat("Total Time: %.2f\n", totalTime);
    for (const auto& entry : sections) {
        const Section& section = entry.second;
        // An empty run has no total to share.
        const double share = totalTime > 0.0 ? section.time / totalTime * 100.0 : 0.0;
        const double average = section.calls > 0 ? section.time / section.calls : 0.0;
        text += StrFormat("%s (%d calls, %%%.2f time): %.2f (%.2f avg, %.2f longest)\n", section.name.c_str(),
                          section.calls, share, section.time, average, section.longest);
    }
    return text;
}

int64_t GetCpuSpeed()
{
    // No priority is raised: that needs privileges here.
    Plat::Clock& clock = Plat::GetClock();
    Plat::CycleCounter& counter = Plat::GetCycleCounter();
    const int64_t frequency = clock.PerformanceFrequency();
    if (frequency <= 0)
        return 0;
    const int64_t target = clock.PerformanceCounter() + frequency / 100;
    const uint64_t c0 = counter.Read();
    while (clock.PerformanceCounter() < target) {
    }
    const uint64_t cycles = counter.Read() - c0;
    return static_cast<int64_t>(cycles * 100);
}

SectionProfiler& GetSectionProfiler()
{
    static SectionProfiler profiler;
    return profiler;
}

void PerfStart()
{
    GetSectionProfiler().Start();
}

void PerfStop()
{
    GetSectionProfiler().Stop();
}

std::string PerfGetResults()
{
    return GetSectionProfiler().GetResults();
}

bool PerfIsActive()
{
    return GetSectionProfiler().IsActive();
}

void PerfBegin(const char* name)
{
    GetSectionProfiler().BeginSection(name);
}

void PerfEnd(const char* name)
{
    GetSectionProfiler().EndSection(name);
}

} // namespace Lumo
