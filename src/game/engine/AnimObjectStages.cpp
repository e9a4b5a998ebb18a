// An object's stage list: building stages and filters, choosing the current
// stage and moving on when it ends.
#include "game/engine/AnimObject.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Stage.h"

#include <cstdio>
#include <cstring>

Stage* AnimObject::AddStage(float ms, int loopStart, int loopEnd, int visible, const char* name)
{
    GameState* game = GameState::TryCurrent();
    Stage* stage = game != nullptr ? game->mStagePool.Take() : nullptr;
    // Building calls after a refusal must not land in the previous stage.
    mStageRefused = stage == nullptr;
    if (stage == nullptr)
        return nullptr;
    mStages.Append(stage);
    stage->Setup(this, ms, loopStart, loopEnd, visible, name);
    if (mStages.Count() == 1)
        mCurrentStage = stage;
    return stage;
}

Stage* AnimObject::BuildingStage() const { return mStageRefused ? nullptr : mStages.Tail(); }

void AnimObject::SetStageAttribute(int code, float start, float end)
{
    if (Stage* stage = BuildingStage())
        stage->SetAttribute(code, start, end);
}

Filter* AnimObject::AddFilter(int type, int attribute, float amplitude, float period, float offset)
{
    Stage* stage = BuildingStage();
    GameState* game = GameState::TryCurrent();
    if (stage == nullptr || game == nullptr)
        return nullptr;
    // A frame animation without its numbers takes them from the image.
    if (attribute == kAttrFrameNumber && amplitude == 0.0f && period == 0.0f && mImage != nullptr) {
        amplitude = static_cast<float>(mImage->mFrameCount - 1);
        period = mImage->mFrameDuration;
    }
    return stage->AddFilter(game->mFilterPool, type, attribute, amplitude, period, offset, 0);
}

Stage* AnimObject::SetStage(Stage* stage)
{
    if (stage != nullptr && !mStages.Contains(stage))
        return nullptr;
    mCurrentStage = stage;
    if (stage != nullptr)
        stage->Enter(*this);
    return stage;
}

Stage* AnimObject::GoToStage(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext) {
        if (std::strcmp(stage->mName, name) == 0)
            return SetStage(stage);
    }
    return nullptr;
}

void AnimObject::AdvanceStage()
{
    if (mCurrentStage == nullptr)
        return;
    GameState* game = GameState::TryCurrent();
    if (game == nullptr)
        return;
    mCurrentStage = mCurrentStage->NextAfterEnd(*this, game->mFilterPool);
}

void AnimObject::ResetStages()
{
    mFrameCounter = 0.0f;
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext)
        stage->mTicks = 0.0f;
    mCurrentStage = mStages.Head();
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        child->ResetStages();
}

int AnimObject::StageIndex() const
{
    int index = 0;
    for (const Stage* stage = mStages.Head(); stage != nullptr && stage != mCurrentStage; stage = stage->mNext)
        ++index;
    return index;
}

std::string AnimObject::StageLabel() const
{
    if (mCurrentStage == nullptr)
        return std::string();
    const Stage& stage = *mCurrentStage;
    char text[128];
    if (stage.mName[0] == '\0')
        std::snprintf(text, sizeof text, "Stage%d_%gms_%d_%d_%d", StageIndex(), static_cast<double>(stage.mLength * 4.0f),
                      stage.mLoopStart, stage.mLoopEnd, stage.mVisible);
    else
        std::snprintf(text, sizeof text, "%s_%gms_%d_%d_%d", stage.mName, static_cast<double>(stage.mLength * 4.0f),
                      stage.mLoopStart, stage.mLoopEnd, stage.mVisible);
    return text;
}

void AnimObject::ForgetStage(const Stage* stage)
{
    if (mCurrentStage == stage)
        mCurrentStage = nullptr;
}
