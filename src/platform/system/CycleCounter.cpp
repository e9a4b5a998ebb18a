#include "platform/system/CycleCounter.h"

#include "platform/system/Clock.h"

#if defined(__x86_64__)
#include <x86intrin.h>
#endif

namespace Plat {

namespace {
SystemCycleCounter gSystemCycleCounter;
CycleCounter* gCycleCounter = &gSystemCycleCounter;
} // namespace

uint64_t SystemCycleCounter::Read()
{
#if defined(__x86_64__)
    return __rdtsc();
#else
    return static_cast<uint64_t>(GetClock().PerformanceCounter());
#endif
}

CycleCounter& GetCycleCounter()
{
    return *gCycleCounter;
}

CycleCounter* SetCycleCounter(CycleCounter* counter)
{
    CycleCounter* previous = gCycleCounter;
    gCycleCounter = counter != nullptr ? counter : &gSystemCycleCounter;
    return previous;
}

} // namespace Plat
