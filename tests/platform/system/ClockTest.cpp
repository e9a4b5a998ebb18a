// The clock in use: a test's own clock replaces the system one until it is
// restored, and the system clock's counters move forward at their rates.
#include "platform/system/Clock.h"

#include <gtest/gtest.h>

namespace {

class FixedClock : public Plat::Clock {
public:
    uint32_t TickCount() override { return 0xFFFFFFF0u; }
    int64_t PerformanceCounter() override { return 42; }
    int64_t PerformanceFrequency() override { return 1000; }
    void Sleep(uint32_t) override {}
};

TEST(ClockTest, AnInstalledClockIsUsedUntilRestored)
{
    Plat::Clock& system = Plat::GetClock();
    FixedClock fixed;
    EXPECT_EQ(Plat::SetClock(&fixed), &system);
    EXPECT_EQ(Plat::GetClock().TickCount(), 0xFFFFFFF0u);
    EXPECT_EQ(Plat::GetClock().PerformanceCounter(), 42);
    EXPECT_EQ(Plat::SetClock(nullptr), &fixed);
    EXPECT_EQ(&Plat::GetClock(), &system);
}

TEST(ClockTest, SystemSleepLastsAtLeastTheTimeAsked)
{
    Plat::SystemClock clock;
    const int64_t frequency = clock.PerformanceFrequency();
    ASSERT_GT(frequency, 0);

    const int64_t before = clock.PerformanceCounter();
    const uint32_t ticksBefore = clock.TickCount();
    clock.Sleep(30);
    const int64_t after = clock.PerformanceCounter();
    const uint32_t ticksAfter = clock.TickCount();

    EXPECT_GE((after - before) * 1000 / frequency, 30);
    // Unsigned difference: correct across the 32-bit wrap as well.
    EXPECT_GE(uint32_t(ticksAfter - ticksBefore), 29u);
}

} // namespace
