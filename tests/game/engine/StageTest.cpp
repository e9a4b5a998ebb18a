// Stages and filters stepped tick by tick, checked against values worked out
// by hand from the stage and easing formulas.
#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/ObjectList.h"
#include "game/engine/RecordPool.h"
#include "game/engine/Stage.h"
#include "game/engine/StageNames.h"
#include "game/engine/StageTarget.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

class ScriptedTarget : public StageTarget {
public:
    // Hover answers in turn; 0 once the script is used up.
    int UpdateHover() override { return mHoverCalls < mHover.size() ? mHover[mHoverCalls++] : 0; }

    std::vector<int> mHover;
    size_t mHoverCalls = 0;
};

// The stage handling of an object's update: step the current stage, then
// follow the next-stage rule when it ended.
class StageRunner {
public:
    Stage* Add(float ms, int loopStart = 0, int loopEnd = 0)
    {
        Stage* stage = mStagePool.Take();
        stage->Setup(nullptr, ms, loopStart, loopEnd, 1, nullptr);
        mStages.Append(stage);
        if (mCurrent == nullptr)
            mCurrent = stage;
        return stage;
    }
    Filter* AddFilter(Stage* stage, int type, int attribute, float a, float p, float o, int removeAtEnd = 0)
    {
        return stage->AddFilter(mFilterPool, type, attribute, a, p, o, removeAtEnd);
    }
    void SetStage(Stage* stage)
    {
        stage->Enter(mTarget);
        mCurrent = stage;
    }
    // Returns whether the object still lives.
    bool Tick()
    {
        if (mCurrent == nullptr)
            return false;
        const bool runs = mCurrent->Step(mTarget, mEditorOpen);
        if (!runs && mCurrent->mTicks != 0.0f)
            mCurrent = mCurrent->NextAfterEnd(mTarget, mFilterPool);
        return mCurrent != nullptr;
    }

    ScriptedTarget mTarget;
    bool mEditorOpen = false;
    // Filters before stages: a stage gives its filters back when destroyed.
    RecordPool<Filter> mFilterPool{64};
    RecordPool<Stage> mStagePool{16};
    ObjectList<Stage> mStages;
    Stage* mCurrent = nullptr;
};

constexpr int kForever = -1;

struct StageCase {
    const char* name;
    void (*build)(StageRunner&);
    int attribute;                               // watched attribute
    std::vector<std::pair<int, float>> samples;  // step index -> value after that step
    int endsAfter;                               // steps until the object ends, or kForever
};

// 400 ms = 100 ticks moving x from 0 to 100, so x = 100 t.
Stage* HundredTicksOnX(StageRunner& run)
{
    Stage* stage = run.Add(400.0f);
    stage->SetAttribute(kAttrX, 0.0f, 100.0f);
    return stage;
}

// 100 ticks holding y at 0, so a filter's term on y is all there is.
Stage* HundredTicksOnY(StageRunner& run)
{
    Stage* stage = run.Add(400.0f);
    stage->SetAttribute(kAttrY, 0.0f, 0.0f);
    return stage;
}

void BuildMarkers(StageRunner& run)
{
    run.mTarget.mLocal[kAttrX] = 5.0f;
    run.mTarget.mLocal[kAttrY] = 7.0f;
    Stage* first = run.Add(8.0f);
    first->SetAttribute(kAttrX, kValueFromObject, 25.0f);  // starts at the object's 5
    first->SetAttribute(kAttrY, 10.0f, kValueFromObject);  // ends at the object's 7
    run.Add(8.0f)->SetAttribute(kAttrX, kValueFromPreviousStage, 45.0f); // starts at 25
    run.SetStage(first);
}

void BuildLoop(StageRunner& run)
{
    run.Add(8.0f, 1, 0)->SetAttribute(kAttrX, 0.0f, 10.0f);
    run.Add(8.0f)->SetAttribute(kAttrX, 10.0f, 20.0f);
    run.Add(8.0f, 0, 1)->SetAttribute(kAttrX, 20.0f, 30.0f);
}

const StageCase kStageCases[] = {
    // 1000 ms = 250 ticks: steps at tick counters 0..250, t = k / 250.
    {"1000ms_runs_251_steps",
     [](StageRunner& run) { run.Add(1000.0f)->SetAttribute(kAttrX, 0.0f, 250.0f); },
     kAttrX, {{0, 0.0f}, {1, 1.0f}, {125, 125.0f}, {249, 249.0f}, {250, 250.0f}}, 251},
    // Length 2.5: t = 0, 0.4, 0.8, 1.2; the last step passes the end value.
    {"10ms_overshoots",
     [](StageRunner& run) { run.Add(10.0f)->SetAttribute(kAttrX, 0.0f, 100.0f); },
     kAttrX, {{0, 0.0f}, {1, 40.0f}, {2, 80.0f}, {3, 120.0f}}, 4},
    // No length: t = 1 at once, end values, and the stage ends.
    {"0ms_shows_end_values",
     [](StageRunner& run) { run.Add(0.0f)->SetAttribute(kAttrX, 10.0f, 30.0f); },
     kAttrX, {{0, 30.0f}}, 1},
    {"negative_length_shows_end_values",
     [](StageRunner& run) { run.Add(-8.0f)->SetAttribute(kAttrX, 10.0f, 30.0f); },
     kAttrX, {{0, 30.0f}}, 1},
    // x: 5 -> 25 over two ticks, then 25 (the previous end) -> 45.
    {"markers_start_from_object_and_previous_end", BuildMarkers,
     kAttrX, {{0, 5.0f}, {1, 15.0f}, {2, 25.0f}, {3, 25.0f}, {4, 35.0f}, {5, 45.0f}}, 6},
    // y: 10 -> the object's 7.
    {"markers_end_from_object", BuildMarkers, kAttrY, {{0, 10.0f}, {1, 8.5f}, {2, 7.0f}}, 6},
    {"previous_end_marker_on_first_stage_stays",
     [](StageRunner& run) {
         Stage* stage = run.Add(8.0f);
         stage->SetAttribute(kAttrX, kValueFromPreviousStage, 0.0f);
         run.SetStage(stage);
     },
     kAttrX, {{0, 999999.0f}}, kForever},
    // A, B, C, then back to A; every stage after the loop starts one tick in.
    {"loop_of_three", BuildLoop, kAttrX,
     {{0, 0.0f}, {1, 5.0f}, {2, 10.0f}, {3, 10.0f}, {4, 15.0f}, {5, 20.0f}, {6, 20.0f}, {7, 25.0f}, {8, 30.0f},
      {9, 5.0f}, {10, 10.0f}, {11, 15.0f}, {12, 20.0f}, {13, 25.0f}, {14, 30.0f}, {15, 5.0f}},
     kForever},
    {"self_loop",
     [](StageRunner& run) { run.Add(8.0f, 1, 1)->SetAttribute(kAttrX, 0.0f, 10.0f); },
     kAttrX, {{0, 0.0f}, {1, 5.0f}, {2, 10.0f}, {3, 5.0f}, {4, 10.0f}, {5, 5.0f}}, kForever},
    {"loop_end_without_start_ends_object",
     [](StageRunner& run) {
         run.Add(8.0f)->SetAttribute(kAttrX, 0.0f, 10.0f);
         run.Add(8.0f, 0, 1)->SetAttribute(kAttrX, 10.0f, 20.0f);
     },
     kAttrX, {{2, 10.0f}, {5, 20.0f}}, 6},

    // Easing on "all" reshapes t.
    // super_cos: (1 - cos(180 t)) / 2: t = 0.25 -> (1 - 0.70710678) / 2 = 0.14644661.
    {"super_cos",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnX(run), kEasingSuperCos, kAttrAll, 1.0f, 0.0f, 0.0f); },
     kAttrX, {{25, 14.644661f}, {50, 50.0f}, {75, 85.355339f}, {100, 100.0f}}, 101},
    {"super_cos_without_amplitude",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnX(run), kEasingSuperCos, kAttrAll, 0.0f, 0.0f, 0.0f); },
     kAttrX, {{25, 25.0f}}, 101},
    {"squared",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnX(run), kEasingSquared, kAttrAll, 0.0f, 0.0f, 0.0f); },
     kAttrX, {{30, 9.0f}, {50, 25.0f}}, 101},
    {"cubed",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnX(run), kEasingCubed, kAttrAll, 0.0f, 0.0f, 0.0f); },
     kAttrX, {{20, 0.8f}, {50, 12.5f}}, 101},
    {"square_root_does_nothing",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnX(run), kEasingSquareRoot, kAttrAll, 0.0f, 0.0f, 0.0f); },
     kAttrX, {{25, 25.0f}}, 101},

    // Oscillations add to one attribute. sined a 10, p 2, o 30: t = 0.1 -> 10 sin(102) = 9.7814760.
    {"sined",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnY(run), kEasingSined, kAttrY, 10.0f, 2.0f, 30.0f); },
     kAttrY, {{0, 5.0f}, {10, 9.7814760f}}, 101},
    // cosined a 10, p 1, o 45: t = 0.2 -> 10 cos(117) = -4.5399050.
    {"cosined",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnY(run), kEasingCosined, kAttrY, 10.0f, 1.0f, 45.0f); },
     kAttrY, {{0, 7.0710678f}, {20, -4.5399050f}}, 101},
    // decay_sined: t = 0.1 -> 0.9 x 10 sin(36) = 5.2900673; t = 0.25 -> 7.5.
    {"decay_sined",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnY(run), kEasingDecaySined, kAttrY, 10.0f, 1.0f, 0.0f); },
     kAttrY, {{10, 5.2900673f}, {25, 7.5f}}, 101},
    // decay_cosined: t = 0.1 -> 0.9 x 10 cos(36) = 7.2811529; t = 0.5 -> -5.
    {"decay_cosined",
     [](StageRunner& run) { run.AddFilter(HundredTicksOnY(run), kEasingDecayCosined, kAttrY, 10.0f, 1.0f, 0.0f); },
     kAttrY, {{0, 10.0f}, {10, 7.2811529f}, {50, -5.0f}}, 101},
    // Frames 1, 1, 2, 2, 3, 3, 0, 0, ...: a step on every second tick, wrapping above 3.
    {"loop_anim_period_2",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingLoopAnim, kAttrFrameNumber, 3.0f, 2.0f, 0.0f); },
     kAttrFrameNumber, {{0, 1.0f}, {1, 1.0f}, {2, 2.0f}, {3, 2.0f}, {4, 3.0f}, {5, 3.0f}, {6, 0.0f}, {7, 0.0f},
                        {8, 1.0f}}, 101},
    {"loop_anim_period_0_acts_every_tick",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingLoopAnim, kAttrFrameNumber, 3.0f, 0.0f, 0.0f); },
     kAttrFrameNumber, {{0, 1.0f}, {1, 2.0f}, {2, 3.0f}, {3, 0.0f}, {4, 1.0f}}, 101},
    // 1, 2, then 3 > 2 turns back by two steps: 1, 0, then -1 < 0 turns again: 1, 2.
    {"pingpong_anim_period_1",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingPingPongAnim, kAttrFrameNumber, 2.0f, 1.0f, 1.0f); },
     kAttrFrameNumber, {{0, 1.0f}, {1, 2.0f}, {2, 1.0f}, {3, 0.0f}, {4, 1.0f}, {5, 2.0f}}, 101},
    {"pingpong_anim_period_2",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingPingPongAnim, kAttrFrameNumber, 2.0f, 2.0f, 1.0f); },
     kAttrFrameNumber, {{0, 1.0f}, {1, 1.0f}, {2, 2.0f}, {3, 2.0f}, {4, 1.0f}, {5, 1.0f}, {6, 0.0f}, {7, 0.0f},
                        {8, 1.0f}}, 101},
    {"pingpong_anim_period_0_acts_every_tick",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingPingPongAnim, kAttrFrameNumber, 2.0f, 0.0f, 1.0f); },
     kAttrFrameNumber, {{0, 1.0f}, {1, 2.0f}, {2, 1.0f}, {3, 0.0f}}, 101},
    {"pingpong_anim_period_below_one_acts_every_tick",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingPingPongAnim, kAttrFrameNumber, 2.0f, 0.5f, 1.0f); },
     kAttrFrameNumber, {{0, 1.0f}, {1, 2.0f}, {2, 1.0f}}, 101},
    {"hot_spot_follows_hover",
     [](StageRunner& run) {
         run.mTarget.mHover = {0, 1, 1, 0};
         run.AddFilter(run.Add(400.0f), kEasingHotSpot, kAttrAlpha, 0.0f, 0.0f, 0.0f);
     },
     kAttrAlpha, {{0, 0.0f}, {1, 1.0f}, {2, 1.0f}, {3, 0.0f}}, 101},
    // Adds 5, 4, 3, 2, 1, 0, -1, -2 and never ends.
    {"velocity_with_acceleration",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingVelocity, kAttrX, 5.0f, -1.0f, 0.0f); },
     kAttrX, {{0, 5.0f}, {1, 9.0f}, {2, 12.0f}, {3, 14.0f}, {4, 15.0f}, {5, 15.0f}, {6, 14.0f}, {7, 12.0f}}, 101},
    // Adds 1, 0.5, 0.25, ...: after the 15th step the amplitude 2^-15 is below
    // 0.00005, the filter ends and x stays at 2 - 2^-14.
    {"velocity_damped_ends",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingVelocity, kAttrX, 1.0f, 0.0f, 0.5f); },
     kAttrX, {{0, 1.0f}, {1, 1.5f}, {2, 1.75f}, {14, 1.99993896484375f}, {20, 1.99993896484375f}}, 101},
    // Kind 12 has no end test: the 16th step still adds 2^-15.
    {"velocity_forever",
     [](StageRunner& run) { run.AddFilter(run.Add(400.0f), kEasingVelocityForever, kAttrX, 1.0f, 0.0f, 0.5f); },
     kAttrX, {{0, 1.0f}, {14, 1.99993896484375f}, {15, 1.999969482421875f}}, 101},
    {"velocity_still_while_editor_open",
     [](StageRunner& run) {
         run.mEditorOpen = true;
         run.AddFilter(run.Add(400.0f), kEasingVelocity, kAttrX, 5.0f, 0.0f, 0.0f);
     },
     kAttrX, {{0, 0.0f}, {5, 0.0f}}, 101},
    // Own clock of 4 ticks: 10 cos(360 k / 4) = 0, -10, 0, 10; then the stage's
    // x start and end become 10 and the filter is gone.
    {"own_length_resets_stage_values",
     [](StageRunner& run) {
         run.Add(400.0f)->SetAttribute(kAttrX, 0.0f, 0.0f);
         Filter* filter = run.AddFilter(run.mCurrent, kEasingCosined, kAttrX, 10.0f, 1.0f, 0.0f);
         filter->mOwnLength = 4.0f;
         filter->mResetStageValues = 1;
     },
     kAttrX, {{0, 0.0f}, {1, -10.0f}, {2, 0.0f}, {3, 10.0f}, {4, 10.0f}, {10, 10.0f}}, 101},
    // Dropped at the step where the tick counter equals the length, so the
    // repeated stage adds nothing more.
    {"remove_at_stage_end",
     [](StageRunner& run) { run.AddFilter(run.Add(8.0f, 1, 1), kEasingVelocity, kAttrX, 1.0f, 0.0f, 0.0f, 1); },
     kAttrX, {{0, 1.0f}, {1, 2.0f}, {2, 3.0f}, {3, 3.0f}, {4, 3.0f}}, kForever},
    // The second stage takes over the first stage's velocity.
    {"carry_filters",
     [](StageRunner& run) {
         run.AddFilter(run.Add(8.0f), kEasingVelocity, kAttrX, 1.0f, 0.0f, 0.0f);
         run.Add(8.0f)->mCarryFilters = 1;
     },
     kAttrX, {{0, 1.0f}, {2, 3.0f}, {3, 4.0f}, {5, 6.0f}}, 6},
    {"no_carry_without_flag",
     [](StageRunner& run) {
         run.AddFilter(run.Add(8.0f), kEasingVelocity, kAttrX, 1.0f, 0.0f, 0.0f);
         run.Add(8.0f);
     },
     kAttrX, {{2, 3.0f}, {5, 3.0f}}, 6},
};

class StageSteps : public ::testing::TestWithParam<StageCase> {};

TEST_P(StageSteps, ValuesAndEnd)
{
    const StageCase& c = GetParam();
    StageRunner run;
    c.build(run);
    int steps = c.endsAfter;
    for (const auto& sample : c.samples)
        steps = std::max(steps, sample.first + 1);

    auto sample = c.samples.begin();
    for (int step = 0; step < steps; ++step) {
        const bool lives = run.Tick();
        EXPECT_EQ(lives, c.endsAfter == kForever || step + 1 < c.endsAfter) << "step " << step;
        if (sample != c.samples.end() && sample->first == step) {
            const float value = run.mTarget.mLocal[c.attribute];
            EXPECT_NEAR(value, sample->second, 1e-4 + 1e-6 * std::fabs(sample->second)) << "step " << step;
            ++sample;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, StageSteps, ::testing::ValuesIn(kStageCases),
                         [](const ::testing::TestParamInfo<StageCase>& info) { return info.param.name; });

TEST(StageEntry, StartMarkerEveryEntryEndMarkerFirstEntryOnly)
{
    StageRunner run;
    Stage* stage = run.Add(8.0f);
    stage->SetAttribute(kAttrX, kValueFromObject, kValueFromObject);
    run.mTarget.mLocal[kAttrX] = 3.0f;
    run.SetStage(stage);
    EXPECT_EQ(stage->mStart[kAttrX], 3.0f);
    EXPECT_EQ(stage->mEnd[kAttrX], 3.0f);

    run.Tick();
    run.mTarget.mLocal[kAttrX] = 8.0f;
    run.SetStage(stage);
    EXPECT_EQ(stage->mTicks, 0.0f);
    EXPECT_EQ(stage->mStart[kAttrX], 8.0f);
    EXPECT_EQ(stage->mEnd[kAttrX], 3.0f);
}

TEST(StageFilters, RefusedByFullPool)
{
    RecordPool<Filter> pool(2);
    RecordPool<Stage> stages(2);
    ObjectList<Stage> list;
    Stage* first = list.Append(stages.Take());
    Stage* second = list.Append(stages.Take());
    second->mCarryFilters = 1;
    ASSERT_NE(first->AddFilter(pool, kEasingSined, kAttrX, 1.0f, 1.0f, 0.0f, 0), nullptr);
    ASSERT_NE(first->AddFilter(pool, kEasingVelocity, kAttrY, 2.0f, 0.0f, 0.0f, 0), nullptr);
    EXPECT_EQ(first->AddFilter(pool, kEasingCosined, kAttrX, 1.0f, 1.0f, 0.0f, 0), nullptr);
    EXPECT_EQ(first->FindFilter(kEasingCosined, kAttrX), nullptr);

    // Carrying over stops at the first refusal.
    ScriptedTarget target;
    EXPECT_EQ(first->NextAfterEnd(target, pool), second);
    EXPECT_EQ(second->mFilters.Head(), nullptr);

    // Giving the stage back frees its filters for the next stage.
    list.Remove(first);
    EXPECT_EQ(pool.CountInUse(), 0);
    EXPECT_EQ(stages.CountInUse(), 1);
    EXPECT_NE(second->AddFilter(pool, kEasingSined, kAttrX, 1.0f, 1.0f, 0.0f, 0), nullptr);
    list.RemoveAll();
    EXPECT_EQ(pool.CountInUse(), 0);
}

TEST(StageFilters, FindFilterAndUnknownAttribute)
{
    RecordPool<Filter> pool(4);
    RecordPool<Stage> stages(1);
    Stage* stage = stages.Take();
    Filter* onX = stage->AddFilter(pool, kEasingVelocity, kAttrX, 1.0f, 0.0f, 0.0f, 0);
    Filter* onY = stage->AddFilter(pool, kEasingVelocity, kAttrY, 2.0f, 0.0f, 0.0f, 0);
    EXPECT_EQ(stage->FindFilter(kEasingVelocity, kAttrX), onX);
    EXPECT_EQ(stage->FindFilter(kEasingVelocity, kAttrY), onY);
    EXPECT_EQ(stage->FindFilter(kEasingSined, kAttrX), nullptr);
    // An attribute code outside the block acts on the progress only.
    EXPECT_EQ(stage->AddFilter(pool, kEasingSined, 40, 1.0f, 1.0f, 0.0f, 0)->mAttribute, kAttrAll);
    stage->SetAttribute(-1, 1.0f, 2.0f);
    stage->SetAttribute(12, 1.0f, 2.0f);
    EXPECT_EQ(stage->mMask, 0u);
}

TEST(StageSetup, LengthAndName)
{
    RecordPool<Stage> stages(1);
    Stage* stage = stages.Take();
    stage->Setup(nullptr, 10.0f, 1, 0, 0, "a_name_longer_than_twenty_three");
    EXPECT_EQ(stage->mLength, 2.5f);
    EXPECT_STREQ(stage->mName, "a_name_longer_than_twen");
    EXPECT_EQ(stage->mVisible, 0);
    stage->Setup(nullptr, 8.0f, 0, 0, 1, nullptr);
    EXPECT_STREQ(stage->mName, "a_name_longer_than_twen");
}

TEST(StageNames, Vocabulary)
{
    const char* const attributes[] = {"x_scale", "y_scale", "x", "y", "z", "rotation",
                                      "r", "g", "b", "alpha", "frame_number", "all"};
    for (int code = 0; code < kAttributeCount; ++code) {
        EXPECT_EQ(AttributeCodeFromName(attributes[code]), code);
        EXPECT_STREQ(AttributeName(code), attributes[code]);
    }
    EXPECT_EQ(AttributeCodeFromName("X"), kAttrAll);
    EXPECT_EQ(AttributeCodeFromName(nullptr), kAttrAll);
    EXPECT_STREQ(AttributeName(12), "all");
    EXPECT_STREQ(AttributeName(-1), "all");

    const char* const easings[] = {"super_cos", "squared", "cubed", "square_root", "sined", "cosined",
                                   "decay_sined", "decay_cosined", "loop_anim", "pingpong_anim", "hot_spot",
                                   "velocity"};
    for (int kind = 0; kind <= kEasingVelocity; ++kind) {
        EXPECT_EQ(EasingKindFromName(easings[kind]), kind);
        EXPECT_STREQ(EasingName(kind), easings[kind]);
    }
    EXPECT_EQ(EasingKindFromName("sinned"), kEasingSuperCos);
    EXPECT_EQ(EasingKindFromName(""), kEasingSuperCos);
    EXPECT_EQ(EasingKindFromName(nullptr), kEasingSuperCos);
    EXPECT_STREQ(EasingName(kEasingVelocityForever), "");
    EXPECT_STREQ(EasingName(99), "");
}

} // namespace
