// Time: a 32-bit millisecond tick count that wraps, as the original's did,
// and a high-resolution counter. Tests install a clock of their own.
#pragma once

#include <cstdint>

namespace Plat {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps after about 49.7 days.
    virtual uint32_t TickCount() = 0;
    virtual int64_t PerformanceCounter() = 0;
    virtual int64_t PerformanceFrequency() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The monotonic system clock.
class SystemClock : public Clock {
public:
    uint32_t TickCount() override;
    int64_t PerformanceCounter() override;
    int64_t PerformanceFrequency() override;
    void Sleep(uint32_t milliseconds) override;
};

// The clock in use; the system clock unless a test installed another.
Clock& GetClock();
// Installs a clock (null restores the system clock); returns the previous one.
Clock* SetClock(Clock* clock);

} // namespace Plat
