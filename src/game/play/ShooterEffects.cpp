// The shooter's shows: the wings power-up, the combo shot's sparkles and
// the sinking sequence of a lost level.
#include "game/play/Shooter.h"
#include "game/play/RuleOperations.h"

#include "game/engine/EasingKind.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/Jewel.h"
#include "game/play/ShooterHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace ShooterRules;

namespace {

constexpr int kWingsTicks = 2000;
constexpr int kWingsFadeTicks = 500;

// One wing: two looping 200-ms stages swinging from `from` to -from and
// back, and a flapping picture beside it.
AnimObject* MakeWing(float x, float from, float pictureX, bool mirrored, bool sounding)
{
    AnimObject* wing = AnimObject::TakeFromPool();
    if (wing == nullptr)
        return nullptr;
    std::snprintf(wing->mName, sizeof(wing->mName), "wings");
    wing->AddStage(200.0f, 1, 0, 1, nullptr);
    wing->SetStageAttribute(kAttrX, x, x);
    wing->SetStageAttribute(kAttrY, 10.0f, 10.0f);
    wing->SetStageAttribute(kAttrRotation, from, -from);
    wing->AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 0.0f, 0.0f);
    if (sounding)
        wing->AddEventByCode(kTriggerStart, kActionPlaySound, nullptr, nullptr, "audio\\wings.ogg", nullptr, nullptr);
    wing->AddStage(200.0f, 0, 1, 1, nullptr);
    wing->SetStageAttribute(kAttrX, x, x);
    wing->SetStageAttribute(kAttrY, 10.0f, 10.0f);
    wing->SetStageAttribute(kAttrRotation, -from, from);
    wing->AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 0.0f, 0.0f);
    wing->mLocal[kAttrX] = x;
    wing->mLocal[kAttrY] = 10.0f;

    if (AnimObject* picture = AnimObject::TakeFromPool()) {
        picture->SetImage("gfx\\pwrup_wings_shooter.png", 0.0f, 0.0f, 1, 0.0f);
        picture->mFlipX = mirrored ? 1 : 0;
        for (int frame = 0; frame < 2; ++frame) {
            picture->AddStage(200.0f, frame == 0 ? 1 : 0, frame == 1 ? 1 : 0, 1, nullptr);
            picture->SetStageAttribute(kAttrX, pictureX, pictureX);
            picture->SetStageAttribute(kAttrFrameNumber, float(frame), float(frame));
        }
        picture->mLocal[kAttrX] = pictureX;
        wing->AddChild(picture);
    }
    return wing;
}

} // namespace

void Shooter::StartWings()
{
    mWingsTimer += kWingsTicks;
    bool found = false;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (std::strcmp(child->mName, "wings") == 0) {
            child->mLocal[kAttrAlpha] = 1.0f;
            found = true;
        }
    }
    if (found)
        return;
    // The left wing swings the other way and carries the flapping sound.
    if (AnimObject* left = MakeWing(-44.0f, 30.0f, -40.0f, false, true))
        AddChild(left);
    if (AnimObject* right = MakeWing(46.0f, -30.0f, 40.0f, true, false))
        AddChild(right);
}

void Shooter::UpdateWings(Level& level)
{
    GameState& game = Game();
    Stage* stage = CurrentStage();
    if (mWingsTimer < 1) {
        for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
            if (std::strcmp(child->mName, "wings") == 0)
                child->mRemove = 1;
        }
        if (stage == nullptr)
            return;
        const float end = stage->mEnd[kAttrY];
        if (std::fabs(mLocal[kAttrY] - end) <= 1.0f) {
            stage->mMask |= 1u << kAttrY;
            if (Filter* sway = stage->FindFilter(kEasingSined, kAttrY))
                sway->mAmplitude = 1.0f;
        } else {
            const float step = std::clamp(end - mLocal[kAttrY], -20.0f, 20.0f) / 10.0f;
            mWingsStepY = step;
            mLocal[kAttrY] += step;
        }
        return;
    }

    if (stage != nullptr) {
        stage->mMask = 0;
        if (Filter* sway = stage->FindFilter(kEasingSined, kAttrY))
            sway->mAmplitude = 0.0f;
    }
    if (!StageContains(game.mMiddleLayer, "vict") && mStages.Head() != nullptr) {
        const float rest = mStages.Head()->mEnd[kAttrY];
        const float step = std::clamp(level.mMouseY - mWorld[kAttrY], -40.0f, 40.0f) / 10.0f;
        mWingsStepY = step;
        mLocal[kAttrY] = std::min(rest, mLocal[kAttrY] + step);
        mLocal[kAttrY] = std::max(rest - 5.0f / 6.0f * GameState::kScreenHeight, mLocal[kAttrY] + step);
    }
    mWingsTimer -= 1;
    if (mWingsTimer < kWingsFadeTicks) {
        for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
            if (std::strcmp(child->mName, "wings") == 0)
                child->mLocal[kAttrAlpha] = float(mWingsTimer) / float(kWingsFadeTicks);
        }
    }
}

void Shooter::UpdateComboShot()
{
    Jewel* ready = ReadyPiece();
    if (mComboShot == 0 || int(mFrameCounter) % 15 != 2 || ready == nullptr)
        return;
    ready->MakeSparkles(2, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    GameRandom& random = Game().mRandom;
    if (random.RandomIntRange(1, 3) != 2 || mParent == nullptr)
        return;
    AnimObject* sparkle = AddEffectChild(*this, ready->mImage, float(random.RandomIntRange(1000, 3000)));
    if (sparkle == nullptr)
        return;
    sparkle->SetStageAttribute(kAttrXScale, 0.5f, 0.5f);
    sparkle->SetStageAttribute(kAttrYScale, 0.5f, 0.5f);
    sparkle->SetStageAttribute(kAttrAlpha, 0.75f, 0.0f);
    sparkle->AddFilter(kEasingVelocity, kAttrX, random.RandomFloatRange(-0.5f, 0.5f), 0.0f, 0.0f);
    sparkle->AddFilter(kEasingVelocity, kAttrY, random.RandomFloatRange(-2.0f, -0.5f), 0.0f, 0.0f);
    sparkle->mLocal[kAttrY] = -30.0f;
    mParent->Reparent(sparkle, 1);
}

void Shooter::Sink()
{
    mScoreMultiplier = 1;
    const int tries = CurrentTries();
    if (tries < 1 && !StageIs(this, "sink2")) {
        if (Stage* stage = CurrentStage()) {
            stage->mLoopStart = 0;
            stage->mLoopEnd = 0;
        }
        mStages.RemoveAll();
        mCurrentStage = nullptr;
        if (AddStage(1000.0f, 1, 1, 0, "lost") != nullptr)
            SetStage(mStages.Head());
    }

    bool hasSink = false;
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext)
        hasSink = hasSink || std::strcmp(stage->mName, "sink") == 0;
    if (!hasSink && mStages.Head() != nullptr) {
        Stage* first = mStages.Head();
        std::snprintf(first->mName, sizeof(first->mName), "rise");
        first->mLength = 2000.0f / 4.0f;
        first->SetAttribute(kAttrY, 400.0f, first->mEnd[kAttrY]);
        if (AddStage(900.0f, 0, 0, 1, "sink") != nullptr) {
            SetStageAttribute(kAttrRotation, kValueFromObject, 90.0f);
            SetStageAttribute(kAttrY, kValueFromObject, 400.0f);
            AddFilter(kEasingCubed, kAttrY, 1.0f, 0.0f, 0.0f);
        }
        const bool again = CurrentMode() == kJourney && tries >= 1;
        if (AddStage(1500.0f, again ? 0 : 1, again ? 0 : 1, 0, "sink2") != nullptr && again)
            AddEventByCode(kTriggerEnd, kActionGoToStage, "rise", nullptr, nullptr, nullptr, nullptr);
    }
    // Also when the stages exist: a second loss would leave the shooter ready.
    GoToStage("sink");

    mPowerShots = 0;
    mComboShot = 0;
    if (Stage* last = mStages.Tail()) {
        const bool flying = mWingsTimer > 0;
        last->SetAttribute(kAttrRotation, kValueFromObject, flying ? 790.0f : 90.0f);
        last->SetAttribute(kAttrY, kValueFromObject, flying ? 800.0f : 400.0f);
        if (flying)
            mWingsTimer = 0;
    }
    mSinkCount += 1;

    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindJewel)
            continue;
        if (child->AddStage(200.0f, 0, 0, 1, "fade_out") != nullptr) {
            child->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
            child->SetStageAttribute(kAttrRotation, kValueFromObject, 100719.0f);
            child->AddFilter(kEasingSquared, kAttrAll, 2.0f, 0.0f, 0.0f);
            child->GoToStage("fade_out");
        }
        child->mKind = kKindDefault;
    }
    PlayGameSound("audio\\sink.ogg");
}
