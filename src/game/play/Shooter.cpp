#include "game/play/Shooter.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Platform.h"
#include "game/engine/Stage.h"
#include "game/play/Cupid.h"
#include "game/play/Jewel.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/LevelRules.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"

#include <algorithm>
#include <cmath>

using namespace ShooterRules;

namespace {

// Degrees to radians as the throw has always turned them; in double, so a
// straight throw's tiny x speed keeps its sign.
constexpr double kDegreesToRadians = 0.017453292;

} // namespace

Shooter* CurrentShooter()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr ? dynamic_cast<Shooter*>(game->mShooter) : nullptr;
}

Shooter::Shooter()
{
    mKind = kKindShooter;
    mZOrder = 3.0f;
    CurrentTries() = 2;
}

void Shooter::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "shooter");
}

int Shooter::CountPieces() const
{
    return CountChildrenOfKind(kKindJewel);
}

bool Shooter::ReloadsFreely()
{
    const GameState& game = Game();
    return (game.mInnerLayer != nullptr && game.mInnerLayer->FindChildOfKind(kKindScrollPoint) != nullptr) ||
           CurrentMode() == kSurvival || game.mTutorial != nullptr;
}

bool Shooter::OutOfTreasures() const
{
    return mShots != 0 && CountPieces() == 0 && !ReloadsFreely();
}

Jewel* Shooter::PieceAt(int index) const
{
    int i = 0;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindJewel && i++ == index)
            return dynamic_cast<Jewel*>(child);
    }
    return nullptr;
}

Jewel* Shooter::ReadyPiece() const
{
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindJewel && StageIs(child, "ready"))
            return dynamic_cast<Jewel*>(child);
    }
    return nullptr;
}

int Shooter::Update()
{
    Level* level = dynamic_cast<Level*>(GetRoot());
    if (level != nullptr) {
        RecentreMouse(*level);
        FollowMouse(*level);
    }
    KeepUpright();
    if (CurrentStage() != nullptr && CurrentStage()->mLoopStart != 0)
        Reload();
    UpdateBeam();
    PowerSparks();
    if (level != nullptr)
        UpdateWings(*level);
    UpdateComboShot();
    UpdateRise();
    if (level != nullptr) {
        SwapPieces(*level);
        Throw(*level);
    }
    SendCupidWhenDue();
    return AnimObject::Update();
}

void Shooter::RecentreMouse(Level& level)
{
    GameState& game = Game();
    if (mFrameCounter < 99.0f || level.mEditorMode != 0)
        return;
    AnimObject* topmost = game.Topmost();
    // A destroyed screen is forgotten by the game state, so a new screen at
    // its address is never taken for it.
    if (topmost == &level && topmost != game.mRememberedTopmost) {
        if (game.mPlatform != nullptr)
            game.mPlatform->SetMousePosition(mWorld[kAttrX], level.mMouseY);
        level.mMouseX = mWorld[kAttrX];
        level.mLeftClick = 0.0f;
    }
    game.mRememberedTopmost = topmost;
}

void Shooter::FollowMouse(Level& level)
{
    if (StageContains(this, "sink") || !IsTopmost(&level))
        return;
    const float target = std::min(level.mMouseX, GameState::kScreenWidth);
    mFollowStepX = (target - mWorld[kAttrX]) / 1.3f;
    mLocal[kAttrX] += mFollowStepX;
}

void Shooter::KeepUpright()
{
    if (!StageContains(this, "sink"))
        mLocal[kAttrRotation] = 0.0f;
}

void Shooter::Reload()
{
    GameState& game = Game();
    const int pieces = CountPieces();
    if (!ReloadsFreely() && (pieces != 0 || mShots != 0))
        return;
    if (pieces >= 2 || StageContains(game.mMiddleLayer, "victory"))
        return;
    if (StageContains(game.mMiddleLayer, "still") && pieces != 0)
        return;
    // A treasure is chosen from this level's own slots: the count the rise
    // step keeps may still be the level's before (or of one still below this
    // one), and a treasure of a kind no slot takes is never re-rolled while
    // it is the only one. A count of none makes no treasure, so it may stand.
    if (Play().mDistinctSlotKinds > 0)
        CountServedSlotKinds();

    Jewel* first = PieceAt(0);
    if (first != nullptr && StageIs(first, "waiting"))
        first->GoToStage("promote");
    if (Play().mDistinctSlotKinds > 0) {
        Jewel* piece = new Jewel(ChooseNextKind(first));
        AddChild(piece);
        if (NameContains(game.mLevel, "trick"))
            piece->GoToStage("promote");
    }
    WildShape();
}

void Shooter::UpdateBeam()
{
    AnimObject* beam = FindChildByName("beam");
    if (beam == nullptr)
        return;
    beam->mLocal[kAttrX] = -300.0f;
    beam->mLocal[kAttrY] = -300.0f;
    // A beam without a picture has no height to stretch over the screen.
    if (beam->mImage != nullptr && beam->mImage->mHeight > 0.0f)
        beam->mLocal[kAttrYScale] = -600.0f / beam->mImage->mHeight;
    if (beam->CurrentStage() != nullptr)
        beam->CurrentStage()->mVisible = mPowerShots > 0 ? 1 : 0;
    if (const Jewel* ready = ReadyPiece()) {
        beam->mLocal[kAttrR] = ready->mTintR;
        beam->mLocal[kAttrG] = ready->mTintG;
        beam->mLocal[kAttrB] = ready->mTintB;
    }
}

void Shooter::PowerSparks()
{
    if (mPowerShots <= 0 || int(mFrameCounter) % 20 != 0)
        return;
    Level* level = CurrentLevel();
    GameRandom& random = Game().mRandom;
    AnimObject* spark =
        AddEffectChild(*this, level != nullptr ? level->mSparkleImage : nullptr, float(random.RandomIntRange(300, 700)));
    if (spark == nullptr)
        return;
    spark->SetStageAttribute(kAttrX, random.RandomFloatRange(-12.0f, 12.0f), 0.0f);
    spark->SetStageAttribute(kAttrY, 0.0f, -400.0f);
    spark->SetStageAttribute(kAttrXScale, 0.6f, 0.4f);
    spark->SetStageAttribute(kAttrYScale, 0.6f, 0.4f);
    spark->SetStageAttribute(kAttrAlpha, 0.7f, 0.7f);
}

void Shooter::SwapPieces(Level& level)
{
    if (level.mRightClick == 0.0f || CountPieces() != 2)
        return;
    Jewel* first = PieceAt(0);
    Jewel* second = PieceAt(1);
    if (StageIs(first, "ready") && StageIs(second, "waiting")) {
        first->GoToStage("demote");
        second->GoToStage("promote");
    } else if (StageIs(second, "ready") && StageIs(first, "waiting")) {
        second->GoToStage("demote");
        first->GoToStage("promote");
    }
}

void Shooter::Throw(Level& level)
{
    GameState& game = Game();
    if (mFireEnabled == 0 || level.mLeftClick == 0.0f)
        return;
    if (!StageIs(game.mMiddleLayer, "scrolling") && !StageIs(game.mMiddleLayer, "still"))
        return;
    if (!StageIs(this, "ready"))
        return;
    // Without a ready treasure (the next still being promoted) the click
    // throws nothing, so it counts nothing either.
    Jewel* piece = ReadyPiece();
    if (piece == nullptr)
        return;

    mShots += 1;
    Stage* shooting = piece->GoToStage("shooting");
    if (shooting != nullptr)
        shooting->mTicks = 1.0f;
    const bool power = mPowerShots > 0;
    const double angle = (double(mLocal[kAttrRotation]) + 90.0) * kDegreesToRadians;
    const double vx = kThrowSpeed * std::cos(angle);
    const double vy = -kThrowSpeed * std::sin(angle) - kPowerBoost * (power ? 1.0 : 0.0);
    if (Filter* filter = piece->VelocityFilterX())
        filter->mAmplitude = float(vx);
    if (Filter* filter = piece->VelocityFilterY())
        filter->mAmplitude = float(vy);
    piece->mPower = power ? 1 : 0;
    piece->mCombo = mComboShot;
    piece->mFrameCounter = 0.0f;
    mComboShot = 0;

    AnimObject* flight = game.mInnerLayer != nullptr ? game.mInnerLayer : mParent;
    if (flight != nullptr)
        flight->Reparent(piece, 1);

    if (LevelRules::PlatesHaveRoom())
        level.mShots += 1;
    PlayGameSound(power ? "audio\\fastshot.ogg" : "audio\\throw.ogg");
    Recoil();
    if (game.mMiddleLayer != nullptr && game.mMiddleLayer->CurrentStage() != nullptr)
        game.mMiddleLayer->CurrentStage()->mTicks = 0.0f;

    const int n = std::min(CountPieces(), 6);
    if (mPowerShots > 0)
        mPowerShots -= 1;
    const int mode = CurrentMode();
    if (game.mTutorial == nullptr && mode != kJourney && mode != kTrickshot)
        AddCurrentStageFilter(game.mMiddleLayer, kEasingVelocity, kAttrY, Tuning().mPushOnShotFired * float(n),
                              0.0f, 0.985f, 1);
}

void Shooter::Recoil()
{
    Stage* stage = CurrentStage();
    if (mWingsTimer != 0 || stage == nullptr || std::fabs(mLocal[kAttrY] - stage->mEnd[kAttrY]) > 1.0f)
        return;
    stage->mTicks = 0.0f;
    if (Filter* bounce = stage->AddFilter(Game().mFilterPool, kEasingDecaySined, kAttrY, 10.0f, 0.5f, 0.0f, 1))
        bounce->mOwnLength = 100.0f;
}

void Shooter::SendCupidWhenDue()
{
    GameState& game = Game();
    if (game.mTutorial != nullptr || CurrentMode() == kJourney || mParent == nullptr)
        return;
    if (mParent->FindChildOfKind(kKindCupid) != nullptr) {
        mIdleTicks = 0.0f;
        return;
    }
    if (StageContains(game.mMiddleLayer, "scrolling") && IsTopmost(GetRoot())) {
        // A plate down at the shooter is progress enough.
        const AnimObject* lowest = LowestPlate();
        if (lowest != nullptr && lowest->mWorld[kAttrY] > mWorld[kAttrY])
            return;
        mIdleTicks += 1.0f;
    }
    if (mIdleTicks > Tuning().mCupidWaitMs / 4.0f && StageContains(game.mMiddleLayer, "scrolling"))
        mParent->AddChild(new Cupid);
}
