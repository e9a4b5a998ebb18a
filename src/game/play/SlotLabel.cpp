#include "game/play/SlotLabel.h"

#include "game/engine/EasingKind.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/PlateRules.h"
#include "game/play/RuleOperations.h"
#include "game/play/Slot.h"

#include <cmath>
#include <string>

namespace {

// The label's stages: a hidden wait, the visible flight, a hidden rest.
constexpr int kFlightStage = 1;

} // namespace

SlotLabel::SlotLabel(Slot& source, Slot& target, float delayMs)
{
    mKind = kKindSlotLabel;
    mZOrder = 2.01f;
    mStartX = source.mWorld[kAttrX];
    mStartY = source.mWorld[kAttrY];
    mTarget = &target;
    CopyImageFrom(source);
    target.mIncoming = 1;

    const float wait = delayMs + 100.0f;
    const float dx = target.mWorld[kAttrX] - mStartX;
    const float dy = target.mWorld[kAttrY] - mStartY;
    AddStage(wait, 0, 0, 0, nullptr);
    AddStage(1.5f * std::sqrt(dx * dx + dy * dy), 0, 0, 1, nullptr);
    SetStageAttribute(kAttrAlpha, 1.0f, 1.0f);
    SetStageAttribute(kAttrXScale, 1.0f, 1.0f);
    SetStageAttribute(kAttrYScale, 1.0f, 1.0f);
    AddStage(120.0f, 0, 0, 0, nullptr);

    if (Level* level = CurrentLevel()) {
        const int timeout = int(wait) + 111;
        if (level->mToneChainTimeout < timeout)
            level->mToneChainTimeout = timeout;
        level->mToneChain += 1;
    }
    target.Glow(wait, 1.0f);
    target.Glow(wait, 1.0f);
}

SlotLabel::~SlotLabel() = default;

int SlotLabel::Update()
{
    // The target may have gone (its plate completed or was culled): it
    // cleared itself from here and flagged the label.
    if (mRemove != 0 || mTarget == nullptr || mTarget->mFilled != 0)
        return 0;
    const int result = AnimObject::Update();
    if (mCurrentStage == nullptr)
        return result;
    const int stage = StageIndex();
    if (stage == kFlightStage) {
        const float t = mCurrentStage->mT;
        const float x = mStartX + (mTarget->mWorld[kAttrX] - mStartX) * t;
        const float y = mStartY + (mTarget->mWorld[kAttrY] - mStartY) * t;
        if (mParent != nullptr) {
            mLocal[kAttrX] = WorldToLocalX(x);
            mLocal[kAttrY] = WorldToLocalY(y);
        } else {
            mLocal[kAttrX] = x;
            mLocal[kAttrY] = y;
        }
        mLocal[kAttrRotation] += mStartX > mTarget->mWorld[kAttrX] ? 4.5f : -4.5f;
        RefreshWorld();
        const float half = mCurrentStage->mLength / 2.0f;
        // Two ticks can lie within the window: the points come once.
        if (!mAwarded && std::fabs(mCurrentStage->mTicks - half) < 0.51f) {
            mAwarded = true;
            AwardHalfway(x, y);
        }
    } else if (stage > kFlightStage && !mPlaced) {
        mPlaced = true;
        mTarget->Place(nullptr, true);
    }
    return result;
}

void SlotLabel::AwardHalfway(float worldX, float worldY)
{
    Level* level = CurrentLevel();
    if (level == nullptr)
        return;
    const std::string points = AwardPoints(level->mToneChain * 100);
    level->mTumbleCombos += 1;
    float x = worldX - level->mWorld[kAttrX];
    float y = worldY - level->mWorld[kAttrY];
    if (TextObject* text = PlateRules::AddLevelText(points.c_str(), "gfx\\font1.png", 0.0f, 0, 1)) {
        text->AddStage(900.0f, 0, 0, 1, nullptr);
        text->SetStageAttribute(kAttrX, x, x);
        text->SetStageAttribute(kAttrY, y, y - 60.0f);
        text->SetStageAttribute(kAttrXScale, 0.75f, 1.0f);
        text->SetStageAttribute(kAttrYScale, 0.75f, 1.0f);
        text->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        text->AddFilter(kEasingSined, kAttrY, 5.0f, 1.0f, 0.0f);
        text->AddFilter(kEasingSquareRoot, kAttrAll, 1.0f, 0.0f, 0.0f);
    }
}
