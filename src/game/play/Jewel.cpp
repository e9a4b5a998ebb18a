#include "game/play/Jewel.h"

#include "game/engine/EasingKind.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"

#include <cmath>
#include <cstdio>

using namespace ShooterRules;

namespace {

struct Tint {
    float r;
    float g;
    float b;
};

Tint KindTint(int kind)
{
    switch (kind) {
    case 2:
        return {0.42f, 0.655f, 1.19f};
    case 3:
        return {0.415f, 0.415f, 0.95f};
    case 4:
        return {0.6f, 0.81f, 0.485f};
    case 5:
    case 7:
        return {1.195f, 1.06f, 0.7f};
    case 6:
    case 8:
        return {1.165f, 0.415f, 0.415f};
    case 9:
        return {0.75f, 0.515f, 0.95f};
    default:
        return {1.0f, 1.0f, 1.0f};
    }
}

// Promote and demote take reload_time; a negative or broken value would
// give them lengths that never end.
float ReloadMs()
{
    const float ms = Tuning().mReloadTime;
    return std::isfinite(ms) && ms > 0.0f ? ms : 0.0f;
}

void SetScaleAndAlpha(AnimObject& object, float scale, float alpha)
{
    object.SetStageAttribute(kAttrXScale, scale, scale);
    object.SetStageAttribute(kAttrYScale, scale, scale);
    object.SetStageAttribute(kAttrAlpha, alpha, alpha);
}

} // namespace

Jewel::Jewel(int treasureKind)
{
    mKind = kKindJewel;
    mZOrder = 4.0f;
    mClipLeft = -9999;
    mClipTop = -9999;
    mClipRight = 9999;
    mClipBottom = 580;
    SetKind(treasureKind);

    const float readyY = -FrameHeight(*this) / 2.0f - 15.0f;
    const float reload = ReloadMs();

    AddStage(1.0f, 1, 1, 1, "waiting");
    SetScaleAndAlpha(*this, kWaitingScale, 0.8f);
    SetStageAttribute(kAttrY, kWaitingY, kWaitingY);

    AddStage(reload, 0, 0, 1, "promote");
    SetStageAttribute(kAttrXScale, kValueFromObject, 1.0f);
    SetStageAttribute(kAttrYScale, kValueFromObject, 1.0f);
    SetStageAttribute(kAttrY, kValueFromObject, readyY);
    SetStageAttribute(kAttrAlpha, kValueFromObject, 1.0f);
    AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 1.0f, 0.0f);
    AddEventByCode(kTriggerEnd, kActionGoToStage, "ready", nullptr, nullptr, nullptr, nullptr);

    AddStage(reload, 0, 0, 1, "demote");
    SetStageAttribute(kAttrXScale, kValueFromObject, kWaitingScale);
    SetStageAttribute(kAttrYScale, kValueFromObject, kWaitingScale);
    SetStageAttribute(kAttrY, kValueFromObject, kWaitingY);
    SetStageAttribute(kAttrAlpha, kValueFromObject, 0.8f);
    AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 1.0f, 0.0f);
    AddEventByCode(kTriggerEnd, kActionGoToStage, "waiting", nullptr, nullptr, nullptr, nullptr);

    AddStage(1000.0f, 1, 1, 1, "ready");
    SetStageAttribute(kAttrY, readyY, readyY);
    SetStageAttribute(kAttrX, 0.0001f, 0.0001f);
    AddFilter(kEasingSined, kAttrY, -1.0f, 1.0f, 0.0f);

    AddStage(650.0f, 1, 1, 1, "shooting");
    AddFilter(kEasingVelocity, kAttrY, -36.0f, 0.0f, 0.0f);
    AddFilter(kEasingVelocity, kAttrX, 0.0f, 0.0f, 0.0f);

    SetStage(mStages.Head());
}

void Jewel::SetKind(int treasureKind)
{
    mTreasureKind = treasureKind;
    if (treasureKind < kFirstSpecial) {
        char name[32];
        std::snprintf(name, sizeof(name), "gfx\\jewel%d.png", treasureKind);
        SetImage(name, 0.0f, 0.0f, 1, 0.0f);
    } else {
        SetImage("gfx\\pwrup_wild_shape.png", 0.0f, 0.0f, 1, 0.0f);
    }
    const Tint tint = KindTint(treasureKind);
    mTintR = tint.r;
    mTintG = tint.g;
    mTintB = tint.b;
}

Filter* Jewel::VelocityFilterX() const
{
    return CurrentStage() != nullptr ? CurrentStage()->FindFilter(kEasingVelocity, kAttrX) : nullptr;
}

Filter* Jewel::VelocityFilterY() const
{
    return CurrentStage() != nullptr ? CurrentStage()->FindFilter(kEasingVelocity, kAttrY) : nullptr;
}

bool Jewel::ImageOverlaps(float cx, float cy, float w, float h) const
{
    return ImageRectOverlaps(*this, cx, cy, w, h);
}

int Jewel::Update()
{
    const int result = AnimObject::Update();
    mTicksSinceBounce += 1;
    if (result == 0)
        return 0;

    if (StageIs(this, "ready")) {
        if (const Shooter* shooter = dynamic_cast<const Shooter*>(mParent))
            mWorld[kAttrX] -= shooter->mFollowStepX;
        ReadyGlitter();
        Stage* stage = CurrentStage();
        Filter* spin = stage->FindFilter(kEasingVelocity, kAttrRotation);
        if (mTreasureKind == kWild && spin == nullptr)
            stage->AddFilter(Game().mFilterPool, kEasingVelocity, kAttrRotation, 3.0f, 0.0f, 0.0f, 0);
        else if (mTreasureKind != kWild && spin != nullptr) {
            stage->mFilters.Remove(spin);
            mLocal[kAttrRotation] = 0.0f;
        }
        return result;
    }

    // No flight limit runs for a dropped treasure: one that missed its slot
    // would otherwise fall for ever.
    if (StageIs(this, kDroppedStage))
        return BelowScreen() ? 0 : result;

    if (StageIs(this, "shooting")) {
        if (!ApplyFlightLimits())
            return 0;
        LobTowardsTarget();
        CheckBreak();
        FaceVelocity();
        PowerTrail();
        TumbleTrail();
        if (CatchByShooter())
            return 0;
    }
    return result;
}
