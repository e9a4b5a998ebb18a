// Hover tests and sparkles on real screens: the hover only counts on the
// topmost screen and sounds once per change; sparkles need the published
// level, its image and the effects object, and a huge count stops at the
// first refusal of a pool.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "support/RecordingSoundLayer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class HoverAndSparklesTest : public ::testing::Test {
protected:
    void SetUp() override { mGame->mSound = &mSound; }

    Level* Screen()
    {
        auto* level = new Level();
        level->AddStage(100000.0f, 0, 0, 1, nullptr);
        mGame->mLiveObjects.Append(level);
        return level;
    }
    // A 20 x 20 object at (100, 100) of the screen.
    AnimObject* Button(AnimObject* parent)
    {
        AnimObject* button = parent->AddChild(nullptr);
        button->AddStage(100000.0f, 0, 0, 1, nullptr);
        button->mSource[2] = 20.0f;
        button->mSource[3] = 20.0f;
        button->mLocal[kAttrX] = 100.0f;
        button->mLocal[kAttrY] = 100.0f;
        return button;
    }

    // Outlives the game state: the screens let go of it when the state goes.
    ImageRecord mSparkle;
    LumoTest::RecordingSoundLayer mSound;
    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
};

TEST_F(HoverAndSparklesTest, HoverCountsOnTheTopmostScreenOnlyAndSoundsOncePerChange)
{
    Level* below = Screen();
    Level* top = Screen();
    AnimObject* under = Button(below);
    AnimObject* over = Button(top);
    AnimObject* label = top->AddChild(nullptr);
    label->mKind = kKindTextObject;
    AnimObject* inLabel = Button(label);
    for (Level* level : {below, top}) {
        level->mMouseX = 105.0f;
        level->mMouseY = 95.0f;
    }
    mGame->mRandom.SeedRandom(777);
    GameRandom expected;
    expected.SeedRandom(777);

    // Not the topmost screen: 0, the flag untouched, no sound, no draw from the generator.
    under->mHot = 1;
    EXPECT_EQ(under->UpdateHover(), 0);
    EXPECT_EQ(under->mHot, 1);
    EXPECT_TRUE(mSound.plays.empty());
    EXPECT_EQ(mGame->mRandom.GetState(), expected.GetState());

    // Topmost: hot, one sound at 40100 plus a random 0 .. 7999.
    EXPECT_EQ(over->UpdateHover(), 1);
    ASSERT_EQ(mSound.plays.size(), 1u);
    EXPECT_EQ(mSound.plays[0].name, "audio\\hot.ogg");
    EXPECT_EQ(mSound.plays[0].frequency, 40100 + static_cast<int>(expected.RandomInt(8000)));
    // Still hot: no second sound.
    EXPECT_EQ(over->UpdateHover(), 1);
    EXPECT_EQ(mSound.plays.size(), 1u);
    // Away and back: a sound again.
    top->mMouseX = 300.0f;
    EXPECT_EQ(over->UpdateHover(), 0);
    top->mMouseX = 105.0f;
    EXPECT_EQ(over->UpdateHover(), 1);
    EXPECT_EQ(mSound.plays.size(), 2u);
    // Inside a text object: hot without a sound.
    EXPECT_EQ(inLabel->UpdateHover(), 1);
    EXPECT_EQ(mSound.plays.size(), 2u);
}

TEST_F(HoverAndSparklesTest, SparklesNeedTheLevelItsImageAndTheEffectsObject)
{
    Level* level = Screen();
    AnimObject* maker = Button(level);
    ImageRecord& sparkle = mSparkle;
    sparkle.mWidth = sparkle.mHeight = 8.0f;

    // Nothing published yet (a screen's first tick publishes before its effects object exists).
    maker->MakeSparkles(5, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    mGame->mLevel = level;
    maker->MakeSparkles(5, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    AnimObject* effects = level->AddChild(nullptr);
    effects->AddStage(100000.0f, 0, 0, 1, nullptr);
    effects->mKind = kKindEffects;
    mGame->mEffects = effects;
    maker->MakeSparkles(5, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), 2);

    // The level holds a use of its image.
    level->mSparkleImage = &sparkle;
    sparkle.mUseCount += 1;
    // A million asked for: the filter pool (five filters a sparkle) runs dry
    // first, and the making stops there.
    maker->MakeSparkles(1000000, 0, 0.0f, 0.0f, 0.0f, 1.0f);
    const int made = effects->mChildren.Count();
    EXPECT_EQ(made, GameState::kFilterPoolSize / 5);
    EXPECT_TRUE(maker->mChildren.IsEmpty());
    EXPECT_EQ(mGame->mFilterPool.CountInUse(), GameState::kFilterPoolSize - GameState::kFilterPoolSize % 5);
    // Each sparkle: additive, z 9, one visible stage of 1000 .. 3000 ms at the maker's place.
    AnimObject* first = effects->mChildren.Head();
    EXPECT_EQ(first->mBlitStyle, 1);
    EXPECT_EQ(first->mZOrder, 9.0f);
    EXPECT_EQ(first->mImage, &sparkle);
    Stage* stage = first->CurrentStage();
    ASSERT_NE(stage, nullptr);
    EXPECT_GE(stage->mLength, 250.0f);
    EXPECT_LE(stage->mLength, 750.0f);
    EXPECT_EQ(stage->mFilters.Count(), 5);
    // Without colour no r, g, b targets; alpha, scales and x are animated.
    EXPECT_EQ(stage->mMask, (1u << kAttrAlpha) | (1u << kAttrXScale) | (1u << kAttrYScale) | (1u << kAttrX));
    effects->mChildren.RemoveAll();
    EXPECT_EQ(sparkle.mUseCount, 2);
}

} // namespace
