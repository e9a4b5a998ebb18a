// Tuning values read from the game data index, and the shared rule
// operations: the highest/lowest search, the difficulty nudge, the score
// award and the shake.
#include "game/engine/AnimObject.h"
#include "game/engine/EasingKind.h"
#include "game/engine/Stage.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"
#include "support/PlayFixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

class TuningTest : public PlayFixture {
protected:
    // A child of the container with that kind at world y.
    AnimObject* AddAt(AnimObject& container, int kind, float y)
    {
        auto* child = new AnimObject();
        child->mKind = kind;
        container.AppendChild(child);
        child->mWorld[kAttrY] = y;
        return child;
    }
};

TEST_F(TuningTest, FirstKeyInTableOrderWinsAndBadNumbersKeepDefaults)
{
    LoadConfigElements({
        // Both in one element: the table has max before min, whatever the element's order.
        R"(min_difficulty="0.5" max_difficulty="2.5")",
        R"(reload_time="nan")",
        R"(cupid_wait_ms="1e999")",
        R"(bumper_fade_point="-inf")",
        R"(bumps_to_explode="99999999999")",
        R"(blocking_slots="1")",
        R"(scrolling_slow_point="-120.25")",
        R"(no_such_key="7")",
    });
    const TuningParameters& tuning = Tuning();
    EXPECT_EQ(tuning.mMaxDifficulty, 2.5f);
    EXPECT_EQ(tuning.mMinDifficulty, 0.0f);
    EXPECT_EQ(tuning.mReloadTime, 500.0f);
    EXPECT_EQ(tuning.mCupidWaitMs, 10000.0f);
    EXPECT_EQ(tuning.mBumperFadePoint, 600.0f);
    EXPECT_EQ(tuning.mBumpsToExplode, INT_MAX);
    EXPECT_EQ(tuning.mBlockingSlots, 1);
    EXPECT_EQ(tuning.mScrollingSlowPoint, -120.25f);
    EXPECT_EQ(tuning.mInitialDifficulty, 0.1f);
    EXPECT_EQ(tuning.mBaseScrollSpeed, 0.0f);
}

TEST_F(TuningTest, InitialDifficultyReachesOnlyAProfileAtZero)
{
    Profile().mDifficulty = 0.0f;
    LoadConfig({{"initial_difficulty", "nan"}});
    EXPECT_EQ(Tuning().mInitialDifficulty, 0.1f);
    EXPECT_EQ(Profile().mDifficulty, 0.0f);

    LoadConfig({{"initial_difficulty", "0.25"}, {"initial_difficulty", "0.75"}});
    EXPECT_EQ(Tuning().mInitialDifficulty, 0.75f);
    EXPECT_EQ(Profile().mDifficulty, 0.25f);
}

TEST_F(TuningTest, HighestAndLowestOfKindHonourTheirBoundsAndTies)
{
    // The searches start from -99995 and 99995: an object exactly there is never taken.
    AnimObject onlyUp;
    AnimObject* farUp = AddAt(onlyUp, 17, -99995.0f);
    EXPECT_EQ(FindHighestOfKind(17, &onlyUp), nullptr);
    EXPECT_EQ(FindLowestOfKind(17, &onlyUp), farUp);
    AnimObject onlyDown;
    AnimObject* farDown = AddAt(onlyDown, 17, 99995.0f);
    EXPECT_EQ(FindLowestOfKind(17, &onlyDown), nullptr);
    EXPECT_EQ(FindHighestOfKind(17, &onlyDown), farDown);
    farDown->mWorld[kAttrY] = 99994.5f;
    EXPECT_EQ(FindLowestOfKind(17, &onlyDown), farDown);

    // Equal y: the first in the list wins both ways.
    AnimObject container;
    AnimObject* tieA = AddAt(container, 17, 40.0f);
    AddAt(container, 17, 40.0f);
    AddAt(container, 0, 500.0f); // other kinds do not count
    AddAt(container, 0, -500.0f);
    EXPECT_EQ(FindHighestOfKind(17, &container), tieA);
    EXPECT_EQ(FindLowestOfKind(17, &container), tieA);
    EXPECT_EQ(FindHighestOfKind(5, &container), nullptr);

    // No container: the current inner layer, and none without one.
    mGame->mInnerLayer = nullptr;
    EXPECT_EQ(FindHighestOfKind(17, nullptr), nullptr);
    mGame->mInnerLayer = &container;
    EXPECT_EQ(FindLowestOfKind(17, nullptr), tieA);
    mGame->mInnerLayer = nullptr;
}

TEST_F(TuningTest, NudgeStepsThenHoldsTheDifficultyToItsBounds)
{
    struct Case {
        float min, max, start, d, expected;
    };
    // Win step 0.25, loss step 0.5 (a loss passes d = -1).
    const Case cases[] = {
        {0.0f, 2.0f, 1.0f, 1.0f, 1.25f},
        {0.0f, 2.0f, 1.0f, 2.0f, 1.5f},
        {0.0f, 2.0f, 1.0f, -1.0f, 0.5f},
        {0.0f, 2.0f, 1.0f, 0.0f, 1.0f},
        {0.0f, 2.0f, 1.875f, 1.0f, 2.0f},  // held at max
        {0.75f, 2.0f, 1.0f, -1.0f, 0.75f}, // held at min
        {0.0f, 2.0f, 5.0f, 0.0f, 2.0f},    // held even with no step
        {1.5f, 0.5f, 1.0f, 1.0f, 0.5f},    // max below min: max wins either way
        {1.5f, 0.5f, 1.0f, -1.0f, 0.5f},
    };
    for (const Case& c : cases) {
        Play().Reset();
        Tuning().mDifficultyChangeOnWin = 0.25f;
        Tuning().mDifficultyChangeOnLoss = 0.5f;
        Tuning().mMinDifficulty = c.min;
        Tuning().mMaxDifficulty = c.max;
        Profile().mDifficulty = c.start;
        NudgeDifficulty(c.d);
        EXPECT_EQ(Profile().mDifficulty, c.expected) << c.min << ".." << c.max << " from " << c.start << " by " << c.d;
    }
}

TEST_F(TuningTest, AwardPointsMultipliesAndSaturates)
{
    struct Case {
        int32_t score, points, multiplier;
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {1000, 250, 1, "+250", 1250},
        {1000, 250, 3, "+250 x3", 1750},
        {0, 250, 2, "+250 x2", 500},
        {2000000000, 100000, 30000, "+100000 x30000", INT32_MAX},
        {-2000000000, -500000, 10000, "+-500000 x10000", INT32_MIN},
        {INT32_MAX - 10, 5, 2, "+5 x2", INT32_MAX},
    };
    for (const Case& c : cases) {
        Profile().mScore = c.score;
        EXPECT_STREQ(AwardPoints(c.points, c.multiplier), c.text);
        EXPECT_EQ(Profile().mScore, c.expected) << c.text;
    }
    // Without a shooter the multiplier is 1.
    mGame->mShooter = nullptr;
    Profile().mScore = 7;
    EXPECT_STREQ(AwardPoints(250), "+250");
    EXPECT_EQ(Profile().mScore, 257);
}

TEST_F(TuningTest, ShakeRunsOnItsOwnClockOnceAtATime)
{
    AnimObject bare;
    ShakeObject(bare, 2.0f, 0.125f); // no stage: nothing, not even the sound
    EXPECT_EQ(Plays("audio\\shake.ogg"), 0);

    AnimObject plate;
    plate.AddStage(100000.0f, 0, 0, 1, "idle");
    plate.Update();
    ShakeObject(plate, 2.0f, 0.125f);
    Stage* stage = plate.CurrentStage();
    ASSERT_NE(stage, nullptr);
    const Filter* onX = stage->FindFilter(kEasingSined, kAttrX);
    const Filter* onY = stage->FindFilter(kEasingSined, kAttrY);
    ASSERT_NE(onX, nullptr);
    ASSERT_NE(onY, nullptr);
    EXPECT_EQ(onX->mAmplitude, 2.0f);
    EXPECT_EQ(onY->mAmplitude, 0.125f);
    EXPECT_GE(onX->mPeriod, 6.0f);
    EXPECT_LE(onX->mPeriod, 8.0f);
    EXPECT_EQ(onY->mPeriod, onX->mPeriod - 1.0f);
    EXPECT_EQ(onX->mOwnLength, 250.0f);
    EXPECT_EQ(onY->mOwnLength, 250.0f);
    EXPECT_EQ(Plays("audio\\shake.ogg"), 1);

    // A shake under way is not doubled.
    ShakeObject(plate, 5.0f, 5.0f);
    EXPECT_EQ(stage->mFilters.Count(), 2);
    EXPECT_EQ(Plays("audio\\shake.ogg"), 1);

    // After 250 ticks both have run out and a new shake may start.
    for (int i = 0; i < 250; ++i)
        plate.Update();
    EXPECT_EQ(stage->FindFilter(kEasingSined, kAttrX), nullptr);
    EXPECT_EQ(stage->FindFilter(kEasingSined, kAttrY), nullptr);
    ShakeObject(plate, 2.0f, 0.125f);
    EXPECT_EQ(Plays("audio\\shake.ogg"), 2);
}

} // namespace
