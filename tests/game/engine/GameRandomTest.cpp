// The game's generator: its exact sequence, the seeds that would freeze it,
// the ranges with no span, the float range worked out in float, and the
// free forms on the current game state.
#include "game/engine/GameRandom.h"

#include "game/engine/GameState.h"

#include <gtest/gtest.h>

#include <set>

TEST(GameRandomTest, StartsFromTheInitialStateAndFollowsTheStep)
{
    GameRandom random;
    EXPECT_EQ(random.GetState(), 93186752u);
    // (s mod 2) * 1588635695 - (s div 2) * 1117695901, modulo 2^32, by hand.
    EXPECT_EQ(random.RandomNext(), 419357728u);
    EXPECT_EQ(random.RandomNext(), 2969443376u);
    EXPECT_EQ(random.RandomNext(), 4238472008u);
}

TEST(GameRandomTest, FixedPointSeedsStartFromTheInitialState)
{
    // Both are fixed points of the raw step: every draw would be equal.
    for (uint32_t seed : {0u, 1834132005u}) {
        GameRandom raw;
        raw.mState = seed;
        EXPECT_EQ(raw.RandomNext(), seed);

        GameRandom seeded;
        seeded.SeedRandom(seed);
        EXPECT_EQ(seeded.GetState(), 93186752u) << seed;
        EXPECT_EQ(seeded.RandomNext(), 419357728u) << seed;
    }
    GameRandom other;
    other.SeedRandom(12345);
    EXPECT_EQ(other.GetState(), 12345u);
}

TEST(GameRandomTest, RangesWithNoSpanGiveTheirLowEndAndStillDraw)
{
    GameRandom random;
    EXPECT_EQ(random.RandomInt(0), 0u);
    EXPECT_EQ(random.GetState(), 419357728u);
    EXPECT_EQ(random.RandomIntRange(7, 6), 7u);
    EXPECT_EQ(random.GetState(), 2969443376u);
    EXPECT_EQ(random.RandomFloatRange(0.5f, 0.49f), 0.5f);
    EXPECT_EQ(random.GetState(), 4238472008u);
    EXPECT_EQ(random.RandomFloatRange(3.0f, -3.0f), 3.0f);
}

TEST(GameRandomTest, IntRangesUseTheDrawnWord)
{
    GameRandom random;
    EXPECT_EQ(random.RandomInt(1000), 419357728u % 1000u);
    EXPECT_EQ(random.RandomIntRange(10, 19), 2969443376u % 10u + 10u);
    EXPECT_EQ(random.RandomFloatRange(0.0f, 1.0f), static_cast<float>(4238472008u % 101u) / 100.0f);
}

TEST(GameRandomTest, FloatRangeCoversEveryHundredthWithBothEnds)
{
    struct Case {
        float lo;
        float hi;
        size_t distinct;
    };
    // In double, 0.57f * 100 truncates to 56 and the range loses both ends (113).
    const Case cases[] = {{-0.57f, 0.57f, 115}, {0.0f, 1.0f, 101}, {0.5f, 0.5f, 1}, {-1.0f, -0.3f, 71}};
    for (const Case& c : cases) {
        GameRandom random;
        random.SeedRandom(1234567);
        std::set<float> seen;
        for (int i = 0; i < 200000; ++i) {
            const float v = random.RandomFloatRange(c.lo, c.hi);
            ASSERT_GE(v, c.lo);
            ASSERT_LE(v, c.hi);
            seen.insert(v);
        }
        EXPECT_EQ(seen.size(), c.distinct) << c.lo << " .. " << c.hi;
        EXPECT_EQ(*seen.begin(), c.lo);
        EXPECT_EQ(*seen.rbegin(), c.hi);
    }
}

TEST(GameRandomTest, FreeFormsDrawFromTheCurrentGameState)
{
    {
        GameState game;
        SeedRandom(0);
        EXPECT_EQ(RandomNext(), 419357728u);
        EXPECT_EQ(RandomInt(0), 0u);
        EXPECT_EQ(game.mRandom.GetState(), 2969443376u);
        EXPECT_EQ(RandomIntRange(3, 2), 3u);
        EXPECT_EQ(game.mRandom.GetState(), 4238472008u);
        SeedRandom(77);
        EXPECT_EQ(game.mRandom.GetState(), 77u);
    }
    // A fresh state starts from the initial word again.
    GameState fresh;
    EXPECT_EQ(RandomNext(), 419357728u);
    EXPECT_EQ(RandomFloatRange(0.5f, 0.5f), 0.5f);
}
