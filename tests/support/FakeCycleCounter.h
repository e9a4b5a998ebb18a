// A time-stamp counter that shows what the test sets, installed for its
// lifetime; and a clock whose performance counter moves one count per read
// and adds a fixed number of cycles to such a counter each time.
#pragma once

#include "platform/system/Clock.h"
#include "platform/system/CycleCounter.h"

#include <cstdint>

namespace LumoTest {

class FakeCycleCounter : public Plat::CycleCounter {
public:
    FakeCycleCounter() : mPrevious(Plat::SetCycleCounter(this)) {}
    ~FakeCycleCounter() override { Plat::SetCycleCounter(mPrevious); }
    FakeCycleCounter(const FakeCycleCounter&) = delete;
    FakeCycleCounter& operator=(const FakeCycleCounter&) = delete;

    uint64_t Read() override
    {
        ++reads;
        return value;
    }

    uint64_t value = 0;
    int reads = 0;

private:
    Plat::CycleCounter* mPrevious;
};

class SteppingClock : public Plat::Clock {
public:
    SteppingClock(FakeCycleCounter& cycles, uint64_t cyclesPerRead, int64_t frequency)
        : mCycles(cycles), mCyclesPerRead(cyclesPerRead), mFrequency(frequency), mPrevious(Plat::SetClock(this))
    {
    }
    ~SteppingClock() override { Plat::SetClock(mPrevious); }
    SteppingClock(const SteppingClock&) = delete;
    SteppingClock& operator=(const SteppingClock&) = delete;

    uint32_t TickCount() override { return static_cast<uint32_t>(mCounter); }
    int64_t PerformanceCounter() override
    {
        mCycles.value += mCyclesPerRead;
        return mCounter++;
    }
    int64_t PerformanceFrequency() override { return mFrequency; }
    void Sleep(uint32_t /*milliseconds*/) override {}

private:
    FakeCycleCounter& mCycles;
    uint64_t mCyclesPerRead;
    int64_t mFrequency;
    int64_t mCounter = 0;
    Plat::Clock* mPrevious;
};

} // namespace LumoTest

using LumoTest::FakeCycleCounter;
using LumoTest::SteppingClock;
