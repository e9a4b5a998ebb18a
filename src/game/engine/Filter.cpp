#include "game/engine/Filter.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Stage.h"
#include "game/engine/StageTarget.h"

#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
// A damped velocity below this is spent.
constexpr float kVelocityEnd = 0.00005f;

// Frame animations act on ticks that are a multiple of the period; a period
// below one tick acts on every tick.
bool IsFrameTick(float stageTicks, float period)
{
    const int whole = SaturateToInt(period);
    return whole < 1 || SaturateToInt(stageTicks) % whole == 0;
}

float Wave(float t, float period, float offset)
{
    return (360.0f * t * period + offset) * kDegreesToRadians;
}

} // namespace

void Filter::InitRecord()
{
    mOwnerStage = nullptr;
    mType = 0;
    mAttribute = 0;
    mAmplitude = 0.0f;
    mPeriod = 0.0f;
    mOffset = 0.0f;
    mRemoveAtStageEnd = 0;
    mOwnTicks = 0.0f;
    mOwnLength = 0.0f;
    mResetStageValues = 0;
}

void Filter::DisposeRecord(Filter* filter)
{
    if (filter->mPoolInUse != 0)
        filter->mPoolInUse = 0;
    else
        delete filter;
}

bool Filter::Evaluate(StageTarget& target, float& t, bool editorOpen)
{
    // A filter with its own duration runs on its own clock.
    float progress = t;
    if (mOwnLength != 0.0f) {
        mOwnTicks += 1.0f;
        progress = mOwnTicks / mOwnLength;
    }

    const int attribute = IsAttributeCode(mAttribute) ? mAttribute : kAttrAll;
    float& value = target.mLocal[attribute];
    const float a = mAmplitude;
    switch (mType) {
    case kEasingSuperCos:
        if (a > 0.0f)
            t = (1.0f - static_cast<float>(std::cos(180.0f * progress * kDegreesToRadians))) / 2.0f;
        break;
    case kEasingSquared:
        t = progress * progress;
        break;
    case kEasingCubed:
        t = progress * progress * progress;
        break;
    case kEasingSined:
        value += a * static_cast<float>(std::sin(Wave(progress, mPeriod, mOffset)));
        break;
    case kEasingCosined:
        value += a * static_cast<float>(std::cos(Wave(progress, mPeriod, mOffset)));
        break;
    case kEasingDecaySined:
        value += (1.0f - progress) * a * static_cast<float>(std::sin(Wave(progress, mPeriod, mOffset)));
        break;
    case kEasingDecayCosined:
        value += (1.0f - progress) * a * static_cast<float>(std::cos(Wave(progress, mPeriod, mOffset)));
        break;
    case kEasingLoopAnim:
        if (mOwnerStage != nullptr && IsFrameTick(mOwnerStage->mTicks, mPeriod)) {
            value += 1.0f;
            if (value > a)
                value = 0.0f;
        }
        break;
    case kEasingPingPongAnim:
        if (mOwnerStage != nullptr && IsFrameTick(mOwnerStage->mTicks, mPeriod)) {
            value += mOffset;
            if (value > a || value < 0.0f) {
                mOffset = -mOffset;
                value += 2.0f * mOffset;
            }
        }
        break;
    case kEasingHotSpot:
        value = target.UpdateHover() != 0 ? 1.0f : 0.0f;
        break;
    case kEasingVelocity:
    case kEasingVelocityForever:
        // Motion stands still while the level editor is open.
        if (!editorOpen) {
            value += mAmplitude;
            mAmplitude += mPeriod;
            if (mOffset != 0.0f)
                mAmplitude *= mOffset;
        }
        break;
    default: // square_root and unknown kinds do nothing
        break;
    }

    bool ended = false;
    if (mOwnLength != 0.0f && mOwnTicks >= mOwnLength) {
        if (mResetStageValues && mOwnerStage != nullptr) {
            mOwnerStage->mStart[attribute] = value;
            mOwnerStage->mEnd[attribute] = value;
        }
        ended = true;
    }
    if (mType == kEasingVelocity && mOffset != 0.0f && std::fabs(mAmplitude) < kVelocityEnd)
        ended = true;
    return ended;
}
