// The section profiler: code marks the start and end of named sections with
// the time-stamp counter; the stop folds the marks into per-section sums and
// the report lists them. Also the estimate of the processor's clock rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Lumo {

class SectionProfiler {
public:
    struct Event {
        const char* name; // a constant text
        uint64_t stamp;
        bool isStart;
    };
    struct Section {
        std::string name;
        uint64_t startStamp = 0; // of the outermost open call
        uint64_t ticks = 0;
        double time = 0.0;       // milliseconds, after the stop
        uint64_t longestTicks = 0;
        double longest = 0.0;    // milliseconds, after the stop
        int depth = 0;
        int calls = 0;
    };
    // Names compare without regard to case.
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    // Room for the given number of marks between two folds.
    explicit SectionProfiler(size_t pendingCapacity = 8192);

    void Start();
    void Stop();
    std::string GetResults() const;
    bool IsActive() const { return active; }

    // Marks of profiled code; nothing while the profiler is idle. A full
    // array is folded in first, and that time counts as overhead.
    void BeginSection(const char* name) { Record(name, true); }
    void EndSection(const char* name) { Record(name, false); }

    std::map<std::string, Section, NameLess> sections;
    std::vector<Event> pending; // capacity fixed at construction
    bool active = false;
    uint64_t startStamp = 0;
    uint64_t overhead = 0;
    int64_t clockRate = 0; // cycles per second; measured at the first stop
    double totalTime = 0.0;

private:
    void Record(const char* name, bool isStart);
    void FoldPending();

    size_t mCapacity;
};

// Cycles of the time-stamp counter per second, measured over 10 ms of the
// performance counter; 0 when there is no performance counter.
int64_t GetCpuSpeed();

// The process's profiler.
SectionProfiler& GetSectionProfiler();
void PerfStart();
void PerfStop();
std::string PerfGetResults();
bool PerfIsActive();
void PerfBegin(const char* name);
void PerfEnd(const char* name);

} // namespace Lumo
