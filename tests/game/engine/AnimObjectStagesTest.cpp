// An object's stages through its updates: how long it lives, entering stages
// by name, resetting, frame animations filled in from the image, and stages
// removed by hand.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Stage.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class AnimObjectStagesTest : public ::testing::Test {
protected:
    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
    AnimObject mObject;
};

TEST_F(AnimObjectStagesTest, UpdatesUntilTheLastStageEnds)
{
    // 1000 ms: updates at t = 0 .. 1 (251 of them); 8 ms: three more.
    mObject.AddStage(1000.0f, 0, 0, 1, nullptr);
    mObject.SetStageAttribute(kAttrX, 0.0f, 250.0f);
    mObject.AddStage(8.0f, 0, 0, 1, nullptr);
    mObject.SetStageAttribute(kAttrX, kValueFromPreviousStage, 260.0f);
    for (int update = 1; update <= 253; ++update)
        ASSERT_EQ(mObject.Update(), 1) << "update " << update;
    EXPECT_EQ(mObject.StageIndex(), 1);
    EXPECT_EQ(mObject.mLocal[kAttrX], 255.0f);
    EXPECT_EQ(mObject.Update(), 0);
    EXPECT_EQ(mObject.mLocal[kAttrX], 260.0f);
    EXPECT_EQ(mObject.mFrameCounter, 254.0f);
}

TEST_F(AnimObjectStagesTest, GoingToTheCurrentStageRestartsIt)
{
    mObject.AddStage(40.0f, 0, 0, 1, "idle");
    mObject.AddStage(40.0f, 0, 0, 1, "walk");
    mObject.SetStageAttribute(kAttrX, kValueFromObject, 100.0f);
    mObject.SetStageAttribute(kAttrY, 0.0f, kValueFromObject);
    mObject.mLocal[kAttrX] = 20.0f;
    mObject.mLocal[kAttrY] = 7.0f;
    Stage* walk = mObject.GoToStage("walk");
    ASSERT_NE(walk, nullptr);
    for (int i = 0; i < 5; ++i)
        mObject.Update();
    // Half-way through ten ticks from 20 to 100; y from 0 to the object's 7.
    EXPECT_EQ(mObject.mLocal[kAttrX], 20.0f + 80.0f * 0.4f);

    mObject.mLocal[kAttrY] = 50.0f;
    EXPECT_EQ(mObject.GoToStage("walk"), walk);
    EXPECT_EQ(walk->mTicks, 0.0f);
    EXPECT_EQ(walk->mStart[kAttrX], 52.0f); // re-read on every entry
    EXPECT_EQ(walk->mEnd[kAttrY], 7.0f);    // read on the first entry only
    EXPECT_EQ(mObject.GoToStage("run"), nullptr);
    EXPECT_EQ(mObject.CurrentStage(), walk);
}

TEST_F(AnimObjectStagesTest, ResetStagesStartsOverFromTheFirstStage)
{
    Stage* first = mObject.AddStage(8.0f, 0, 0, 1, nullptr);
    Stage* second = mObject.AddStage(8.0f, 0, 0, 1, nullptr);
    AnimObject* child = mObject.AddChild(nullptr);
    ASSERT_NE(child, nullptr);
    Stage* childStage = child->AddStage(400.0f, 0, 0, 1, nullptr);
    for (int i = 0; i < 4; ++i)
        mObject.Update();
    ASSERT_EQ(mObject.CurrentStage(), second);
    ASSERT_EQ(childStage->mTicks, 4.0f);

    mObject.ResetStages();
    EXPECT_EQ(mObject.CurrentStage(), first);
    EXPECT_EQ(first->mTicks, 0.0f);
    EXPECT_EQ(second->mTicks, 0.0f);
    EXPECT_EQ(mObject.mFrameCounter, 0.0f);
    EXPECT_EQ(childStage->mTicks, 0.0f);
    EXPECT_EQ(child->mFrameCounter, 0.0f);
}

TEST_F(AnimObjectStagesTest, FrameAnimationTakesItsNumbersFromTheImage)
{
    ImageRecord record;
    record.mFrameCount = 4;
    record.mFrameDuration = 2.5f; // 100 frames a second
    record.mUseCount = 2;
    mObject.mImage = &record;
    mObject.AddStage(1000.0f, 0, 0, 1, nullptr);
    Filter* filled = mObject.AddFilter(kEasingLoopAnim, kAttrFrameNumber, 0.0f, 0.0f, 0.0f);
    ASSERT_NE(filled, nullptr);
    EXPECT_EQ(filled->mAmplitude, 3.0f);
    EXPECT_EQ(filled->mPeriod, 2.5f);
    // Numbers given in the data are kept.
    Filter* given = mObject.AddFilter(kEasingLoopAnim, kAttrFrameNumber, 7.0f, 0.0f, 0.0f);
    EXPECT_EQ(given->mAmplitude, 7.0f);
    EXPECT_EQ(given->mPeriod, 0.0f);
    mObject.mImage = nullptr;
}

TEST_F(AnimObjectStagesTest, FrameAnimationWithoutAnImageStaysOnFrameZero)
{
    mObject.AddStage(1000.0f, 0, 0, 1, nullptr);
    Filter* filter = mObject.AddFilter(kEasingLoopAnim, kAttrFrameNumber, 0.0f, 0.0f, 0.0f);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->mAmplitude, 0.0f);
    EXPECT_EQ(filter->mPeriod, 0.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mObject.Update(), 1);
        EXPECT_EQ(mObject.mLocal[kAttrFrameNumber], 0.0f);
    }
}

TEST_F(AnimObjectStagesTest, RemovingTheCurrentStageEndsTheObject)
{
    Stage* only = mObject.AddStage(1000.0f, 0, 0, 1, nullptr);
    mObject.Update();
    ASSERT_EQ(mObject.CurrentStage(), only);
    mObject.mStages.Remove(only);
    EXPECT_EQ(mObject.CurrentStage(), nullptr);
    EXPECT_EQ(mGame->mStagePool.CountInUse(), 0);
    EXPECT_EQ(mObject.Update(), 0);
}

} // namespace
