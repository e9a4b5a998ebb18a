#include "platform/system/Clock.h"

#include <time.h>

namespace Plat {

namespace {

int64_t MonotonicNanoseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

SystemClock gSystemClock;
Clock* gClock = &gSystemClock;

} // namespace

uint32_t SystemClock::TickCount()
{
    return uint32_t(uint64_t(MonotonicNanoseconds() / 1000000));
}

int64_t SystemClock::PerformanceCounter()
{
    return MonotonicNanoseconds();
}

int64_t SystemClock::PerformanceFrequency()
{
    return 1000000000LL;
}

void SystemClock::Sleep(uint32_t milliseconds)
{
    timespec ts{};
    ts.tv_sec = milliseconds / 1000;
    ts.tv_nsec = long(milliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0) {
    }
}

Clock& GetClock()
{
    return *gClock;
}

Clock* SetClock(Clock* clock)
{
    Clock* previous = gClock;
    gClock = clock != nullptr ? clock : &gSystemClock;
    return previous;
}

} // namespace Plat
