// The section profiler on a scripted time-stamp counter. The clock rate is
// measured on a clock that adds 1000 cycles per read at 100 counts a
// second: 10 ms are one count, so the rate is 1000 x 100 = 100000 cycles a
// second and 100 cycles are 1 ms.
#include "framework/app/SectionProfiler.h"

#include "support/FakeCycleCounter.h"

#include <gtest/gtest.h>

namespace {

class SectionProfilerTest : public ::testing::Test {
protected:
    // Marks a section start or end at the given counter value.
    void Begin(const char* name, uint64_t stamp)
    {
        cycles.value = stamp;
        profiler.BeginSection(name);
    }
    void End(const char* name, uint64_t stamp)
    {
        cycles.value = stamp;
        profiler.EndSection(name);
    }
    void StopAt(uint64_t stamp)
    {
        cycles.value = stamp;
        profiler.Stop();
    }

    FakeCycleCounter cycles;
    SteppingClock clock{cycles, 1000, 100};
    Lumo::SectionProfiler profiler;
};

} // namespace

TEST(CpuSpeedTest, CountsCyclesOverATenthOfTheFrequency)
{
    FakeCycleCounter cycles;
    {
        // 1000 counts a second: ten reads after the first, 1000 cycles each.
        SteppingClock clock(cycles, 1000, 1000);
        EXPECT_EQ(Lumo::GetCpuSpeed(), 10000 * 100);
    }
    {
        SteppingClock clock(cycles, 1000, 0);
        EXPECT_EQ(Lumo::GetCpuSpeed(), 0);
    }
}

TEST_F(SectionProfilerTest, RecursiveCallsCountButOnlyTheOutermostIsTimed)
{
    cycles.value = 1000;
    profiler.Start();
    EXPECT_TRUE(profiler.IsActive());
    Begin("Draw", 2000);
    Begin("draw", 3000); // the same section: names ignore case
    End("DRAW", 4000);
    End("Draw", 6000);
    Begin("Update", 7000);
    End("Update", 7500);
    StopAt(11000);

    EXPECT_FALSE(profiler.IsActive());
    EXPECT_EQ(profiler.clockRate, 100000);
    EXPECT_EQ(profiler.GetResults(), "Total Time: 100.00\n"
                                     "Draw (2 calls, %40.00 time): 40.00 (20.00 avg, 40.00 longest)\n"
                                     "Update (1 calls, %5.00 time): 5.00 (5.00 avg, 5.00 longest)\n");
}

TEST_F(SectionProfilerTest, UnmatchedEndsAreIgnored)
{
    cycles.value = 0;
    profiler.Start();
    End("Ghost", 500); // never started
    Begin("Load", 1000);
    End("Load", 2000);
    End("Load", 2500); // one end too many
    Begin("Load", 3000);
    End("Load", 5000);
    StopAt(10000);

    const auto& load = profiler.sections.at("Load");
    EXPECT_EQ(load.calls, 2);
    EXPECT_EQ(load.depth, 0);
    EXPECT_EQ(load.ticks, 3000u);
    EXPECT_EQ(profiler.sections.count("Ghost"), 0u);
    EXPECT_EQ(profiler.GetResults(), "Total Time: 100.00\n"
                                     "Load (2 calls, %30.00 time): 30.00 (15.00 avg, 20.00 longest)\n");
}

TEST_F(SectionProfilerTest, AFullPendingArrayIsFoldedNotOverrun)
{
    Lumo::SectionProfiler small(4);
    cycles.value = 0;
    small.Start();
    for (int i = 0; i < 5; ++i) {
        cycles.value = 1000 * i + 100;
        small.BeginSection("Tick");
        cycles.value = 1000 * i + 300;
        small.EndSection("Tick");
    }
    EXPECT_LE(small.pending.size(), 4u);
    EXPECT_EQ(small.pending.capacity(), 4u);
    cycles.value = 10000;
    small.Stop();
    const auto& tick = small.sections.at("Tick");
    EXPECT_EQ(tick.calls, 5);
    EXPECT_EQ(tick.ticks, 1000u);
}

TEST_F(SectionProfilerTest, EmptyRunsReportOnlyTheTotal)
{
    cycles.value = 500;
    profiler.Start();
    StopAt(500);
    EXPECT_EQ(profiler.GetResults(), "Total Time: 0.00\n");

    // Marks while idle are dropped; a section in a run of no length has a
    // share of 0.
    profiler.BeginSection("Idle");
    EXPECT_TRUE(profiler.pending.empty());
    cycles.value = 700;
    profiler.Start();
    Begin("Zero", 700);
    End("Zero", 700);
    StopAt(700);
    EXPECT_EQ(profiler.GetResults(), "Total Time: 0.00\n"
                                     "Zero (1 calls, %0.00 time): 0.00 (0.00 avg, 0.00 longest)\n");
}

TEST(PerfFunctionsTest, TheProcessProfilerToggles)
{
    FakeCycleCounter cycles;
    SteppingClock clock(cycles, 1000, 100);
    EXPECT_FALSE(Lumo::PerfIsActive());
    Lumo::PerfStart();
    Lumo::PerfBegin("Frame");
    Lumo::PerfEnd("Frame");
    EXPECT_TRUE(Lumo::PerfIsActive());
    Lumo::PerfStop();
    EXPECT_FALSE(Lumo::PerfIsActive());
    EXPECT_NE(Lumo::PerfGetResults().find("Frame (1 calls"), std::string::npos);
}
