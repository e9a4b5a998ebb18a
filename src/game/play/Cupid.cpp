#include "game/play/Cupid.h"
#include "game/play/RuleOperations.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/play/Jewel.h"
#include "game/play/LevelRules.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/Slot.h"

#include <cmath>
#include <cstring>

using namespace ShooterRules;

namespace {

constexpr float kFlightMs = 1204.0f;
constexpr float kWaitMs = 3204.0f;
// A stage whose x runs at least this far shows which way the Cupid flies.
constexpr float kTurnDistance = 5.0f;

// The wing beat and its flap, on every stage.
void AddWings(AnimObject& cupid)
{
    cupid.AddFilter(kEasingPingPongAnim, kAttrFrameNumber, 4.0f, 10.0f, 1.0f);
    cupid.AddEventByCode(kTriggerInterval, kActionPlaySound, "320", nullptr, "audio\\cupid_flap.ogg", nullptr, nullptr);
}

} // namespace

Cupid::Cupid()
{
    mKind = kKindCupid;
    mZOrder = 3.0f;
    SetImage("gfx\\cupid.png", 0.0f, 0.0f, 0, 0.0f);

    // Its heights hang off the shooter's line; without a shooter it keeps
    // the height it has.
    const Shooter* shooter = CurrentShooter();
    const Stage* shooterStage = shooter != nullptr ? shooter->mStages.Head() : nullptr;
    const float line = shooterStage != nullptr ? shooterStage->mEnd[kAttrY] : 0.0f;
    const auto setY = [&](float start, float end) {
        if (shooterStage != nullptr)
            SetStageAttribute(kAttrY, line + start, line + end);
        else
            SetStageAttribute(kAttrY, kValueFromObject, kValueFromObject);
    };

    AddStage(kFlightMs, 0, 0, 1, "entering");
    SetStageAttribute(kAttrX, -450.0f, -360.0f);
    setY(-270.0f, -170.0f);
    AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 1.0f, 0.0f);
    AddWings(*this);

    AddStage(kWaitMs, 1, 1, 1, "waiting");
    SetStageAttribute(kAttrX, -360.0f, -360.0f);
    setY(-170.0f, -170.0f);
    AddFilter(kEasingSined, kAttrX, 5.0f, 2.0f, 0.0f);
    AddFilter(kEasingSined, kAttrY, 10.0f, 1.0f, 0.0f);
    AddWings(*this);

    // Search moves the end onto the target slot every tick.
    AddStage(kFlightMs, 0, 0, 1, "searching");
    if (shooter != nullptr) {
        SetStageAttribute(kAttrX, kValueFromObject, shooter->mLocal[kAttrX]);
        SetStageAttribute(kAttrY, kValueFromObject, shooter->mLocal[kAttrY]);
    } else {
        SetStageAttribute(kAttrX, kValueFromObject, kValueFromObject);
        SetStageAttribute(kAttrY, kValueFromObject, kValueFromObject);
    }
    AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 1.0f, 0.0f);
    AddEventByCode(kTriggerEnd, kActionCustom, nullptr, nullptr, nullptr, nullptr, nullptr);
    AddWings(*this);

    AddStage(kFlightMs, 0, 0, 1, "leaving");
    SetStageAttribute(kAttrX, kValueFromObject, 450.0f);
    SetStageAttribute(kAttrY, kValueFromObject, -350.0f);
    AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 1.0f, 0.0f);
    AddWings(*this);

    SetStage(mStages.Head());
}

Jewel* Cupid::Carried() const
{
    return dynamic_cast<Jewel*>(FindChildOfKind(kKindJewel));
}

int Cupid::Update()
{
    if (mRemove == 0) {
        CatchWhileEntering();
        Wait();
        Search();
        FaceDirection();
    }
    return AnimObject::Update();
}

void Cupid::CatchWhileEntering()
{
    if (StageContains(this, "enter"))
        TryCatch();
}

void Cupid::Wait()
{
    if (!StageContains(this, "wait"))
        return;
    GameState& game = Game();
    // One word of the profile says both that Cupid was explained and that
    // the Journey save is spent.
    PlayerProfile& profile = game.mProfiles.Current();
    if (profile.mCupidSaveUsed == 0) {
        profile.mCupidSaveUsed = 1;
        InsertLevelByName("cupid_message");
    }
    if (IsTopmost(GetRoot())) {
        mWaitingTicks += 1;
        if (mWaitingTicks > kMaxWaitingTicks || !StageContains(game.mMiddleLayer, "scroll")) {
            GoToStage("leaving");
            return;
        }
    }
    mFlipX = 0;
    TryCatch();
}

void Cupid::Search()
{
    if (!StageContains(this, "search"))
        return;
    const Jewel* carried = Carried();
    if (carried == nullptr)
        return;
    Stage* stage = CurrentStage();
    if (mTargetSlot != nullptr && mTargetSlot->mFilled == 0 && mTargetSlot->mRemove == 0) {
        // Hands over the slot: the treasure hangs 11 px to the side it faces.
        const float side = mFlipX != 0 ? kCarryX : -kCarryX;
        stage->mEnd[kAttrX] = WorldToLocalX(mTargetSlot->mWorld[kAttrX]) + side;
        stage->mEnd[kAttrY] = WorldToLocalY(mTargetSlot->mWorld[kAttrY]);
        return;
    }
    // Filled meanwhile, or gone with its plate.
    SearchSlot(carried->mTreasureKind);
    if (CurrentStage() != nullptr)
        CurrentStage()->mTicks = 0.0f;
}

void Cupid::FaceDirection()
{
    const Stage* stage = CurrentStage();
    if (stage == nullptr)
        return;
    const float run = stage->mEnd[kAttrX] - stage->mStart[kAttrX];
    if (std::fabs(run) < kTurnDistance)
        return;
    const bool left = run < 0.0f;
    mFlipX = left ? 1 : 0;
    Jewel* carried = Carried();
    Stage* carriedStage = carried != nullptr ? carried->CurrentStage() : nullptr;
    if (carriedStage == nullptr)
        return;
    carriedStage->mStart[kAttrX] = left ? -kCarryX : kCarryX;
    carriedStage->mEnd[kAttrX] = carriedStage->mStart[kAttrX];
}

void Cupid::TryCatch()
{
    const Stage* stage = CurrentStage();
    AnimObject* inner = Game().mInnerLayer;
    if (stage == nullptr || stage->mTicks < kCatchAfterTicks || inner == nullptr)
        return;
    for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindJewel || child->mRemove != 0)
            continue;
        auto* treasure = static_cast<Jewel*>(child);
        if (treasure->mLive != 0 && DistanceTo(*treasure) <= kCatchDistance) {
            Catch(*treasure);
            return;
        }
    }
}

void Cupid::Catch(Jewel& treasure)
{
    treasure.mRemove = 1;
    // With every plate full there is nowhere to carry it.
    if (!LevelRules::PlatesHaveRoom())
        return;
    auto* carried = new Jewel(treasure.mTreasureKind);
    carried->mStages.RemoveAll();
    carried->AddStage(1000.0f, 1, 1, 1, "carried");
    carried->SetStageAttribute(kAttrX, kCarryX, kCarryX);
    carried->SetStageAttribute(kAttrY, kCarryY, kCarryY);
    carried->SetStage(carried->mStages.Head());
    carried->mCombo = treasure.mCombo;
    carried->mLive = 0;
    AddChild(carried);
    SearchSlot(treasure.mTreasureKind);
    PlayGameSound("audio\\cupid_catch.ogg");
    MakeSparkles(20, 0, 1.0f, 1.0f, 1.0f, 1.0f);
}

void Cupid::SearchSlot(int treasureKind)
{
    Slot* best = nullptr;
    AnimObject* inner = Game().mInnerLayer;
    for (AnimObject* plate = inner != nullptr ? inner->mChildren.Head() : nullptr; plate != nullptr;
         plate = plate->mNext) {
        if (plate->mKind != kKindPlate)
            continue;
        for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
            auto* slot = child->mKind == kKindSlot ? dynamic_cast<Slot*>(child) : nullptr;
            if (slot == nullptr || slot->mFilled != 0 || slot->mRemove != 0)
                continue;
            if (treasureKind != Jewel::kWild && slot->mSlotKind != treasureKind)
                continue;
            const float y = slot->mWorld[kAttrY];
            if (y > 0.0f && (best == nullptr || y < best->mWorld[kAttrY]))
                best = slot;
        }
    }
    mTargetSlot = best;
    if (best == nullptr) {
        mChildren.RemoveAll();
        RestartFromHere("entering");
        return;
    }
    GoToStage("searching");
    mWaitingTicks = 0;
}

void Cupid::RestartFromHere(const char* name)
{
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext) {
        if (std::strcmp(stage->mName, name) == 0) {
            stage->mStart[kAttrX] = mLocal[kAttrX];
            stage->mStart[kAttrY] = mLocal[kAttrY];
        }
    }
    GoToStage(name);
}

void Cupid::OnCustomAction(const char*)
{
    if (Jewel* carried = Carried()) {
        carried->Update();
        if (AnimObject* inner = Game().mInnerLayer) {
            inner->Reparent(carried, 1);
            if (Stage* stage = carried->CurrentStage()) {
                // Its stage held it in the Cupid's hands: free y, or the
                // fall would only offset it from there.
                stage->mMask &= ~(1u << kAttrY);
                CopyToField(stage->mName, Jewel::kDroppedStage);
                stage->AddFilter(Game().mFilterPool, kEasingVelocity, kAttrY, 0.01f, 0.02f, 0.0f, 0);
            }
        } else {
            mChildren.Remove(carried);
        }
        // The throw it rescued is given back.
        if (auto* level = dynamic_cast<Level*>(GetRoot()); level != nullptr && level->mShots > 0)
            level->mShots -= 1;
        mDeliveries += 1;
    }
    if (mDeliveries < kDeliveries)
        RestartFromHere("entering");
    else
        GoToStage("leaving");
}
