// The processor's time-stamp counter: a free-running count of cycles for the
// section profiler. Tests install a counter of their own.
#pragma once

#include <cstdint>

namespace Plat {

class CycleCounter {
public:
    virtual ~CycleCounter() = default;
    virtual uint64_t Read() = 0;
};

// The processor's own counter where there is one (x86-64), else the clock's
// performance counter.
class SystemCycleCounter : public CycleCounter {
public:
    uint64_t Read() override;
};

// The counter in use; the system's unless a test installed another.
CycleCounter& GetCycleCounter();
// Installs a counter (null restores the system's); returns the previous one.
CycleCounter* SetCycleCounter(CycleCounter* counter);

} // namespace Plat
