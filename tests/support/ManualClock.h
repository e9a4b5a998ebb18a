// A clock whose tick count the test sets; sleeping still takes real time,
// so polling threads do not spin. Installed for its lifetime.
#pragma once

#include "platform/system/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace LumoTest {

class ManualClock : public Plat::Clock {
public:
    explicit ManualClock(uint32_t tick = 1000) : mTick(tick), mPrevious(Plat::SetClock(this)) {}
    ~ManualClock() override { Plat::SetClock(mPrevious); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void Set(uint32_t tick) { mTick = tick; }
    void Advance(uint32_t milliseconds) { mTick += milliseconds; }

    uint32_t TickCount() override { return mTick; }
    int64_t PerformanceCounter() override { return static_cast<int64_t>(mTick) * 1000; }
    int64_t PerformanceFrequency() override { return 1000000; }
    void Sleep(uint32_t milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

private:
    std::atomic<uint32_t> mTick;
    Plat::Clock* mPrevious;
};

} // namespace LumoTest

using LumoTest::ManualClock;
