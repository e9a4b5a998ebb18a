// A clock for loop tests: time moves only when the test advances it or when
// the test's own thread sleeps (a sleep advances time at once, without
// waiting), so a run of the main loop is exactly repeatable. Sleeps of other
// threads wait a real millisecond and leave the time alone. Installed for
// its lifetime.
#pragma once

#include "platform/system/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace LumoTest {

class SimulatedClock : public Plat::Clock {
public:
    explicit SimulatedClock(uint32_t tick = 100000)
        : mTick(tick), mOwner(std::this_thread::get_id()), mPrevious(Plat::SetClock(this))
    {
    }
    ~SimulatedClock() override { Plat::SetClock(mPrevious); }
    SimulatedClock(const SimulatedClock&) = delete;
    SimulatedClock& operator=(const SimulatedClock&) = delete;

    void Advance(uint32_t milliseconds) { mTick += milliseconds; }
    uint32_t Now() const { return mTick; }
    // The test thread's sleeps, in order.
    const std::vector<uint32_t>& Sleeps() const { return mSleeps; }
    size_t SleepCount() const { return mSleeps.size(); }

    uint32_t TickCount() override { return mTick; }
    int64_t PerformanceCounter() override { return static_cast<int64_t>(mTick.load()) * 1000; }
    int64_t PerformanceFrequency() override { return 1000000; }
    void Sleep(uint32_t milliseconds) override
    {
        if (std::this_thread::get_id() != mOwner) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        mSleeps.push_back(milliseconds);
        mTick += milliseconds;
    }

private:
    std::atomic<uint32_t> mTick;
    std::thread::id mOwner;
    Plat::Clock* mPrevious;
    std::vector<uint32_t> mSleeps;
};

} // namespace LumoTest

using LumoTest::SimulatedClock;
