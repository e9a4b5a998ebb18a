// The stopwatch on a simulated clock.
#include "framework/app/PerfTimer.h"

#include "support/SimulatedClock.h"

#include <gtest/gtest.h>

TEST(PerfTimerTest, ReadsWhileRunningAndKeepsTheFirstStop)
{
    SimulatedClock clock;
    Lumo::PerfTimer timer;
    EXPECT_EQ(timer.GetDuration(), 0.0);
    EXPECT_FALSE(timer.running);

    timer.Start();
    clock.Advance(250);
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 250.0);
    EXPECT_TRUE(timer.running);
    clock.Advance(100);
    timer.Stop();
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 350.0);
    clock.Advance(1000);
    timer.Stop();
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 350.0);

    // A new start measures afresh.
    timer.Start();
    clock.Advance(7);
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 7.0);
}
