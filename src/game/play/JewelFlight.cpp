// A thrown or tossed treasure in flight: the screen's limits, the lob, the
// break, the trails, the catch and the fall into the water.
#include "game/play/Jewel.h"

#include "game/engine/EasingKind.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/LevelRules.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"

#include <algorithm>
#include <cmath>

using namespace ShooterRules;

namespace {

constexpr float kW = GameState::kScreenWidth;
constexpr float kHs = GameState::kScreenHeight;
constexpr double kRadiansToDegrees = 180.0 / 3.14159265358979323846;

bool Accelerates(const Filter* velocity)
{
    return velocity != nullptr && velocity->mPeriod != 0.0f;
}

// The slot among the live slots of the inner layer, or null when it is gone.
AnimObject* FindLiveSlot(const AnimObject* wanted)
{
    AnimObject* inner = Game().mInnerLayer;
    if (wanted == nullptr || inner == nullptr)
        return nullptr;
    for (AnimObject* plate = inner->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
        if (plate->mKind != kKindPlate)
            continue;
        for (AnimObject* slot = plate->mChildren.Head(); slot != nullptr; slot = slot->mNext) {
            if (slot == wanted && slot->mKind == kKindSlot)
                return slot;
        }
    }
    return nullptr;
}

ImageRecord* SparkImage()
{
    Level* level = CurrentLevel();
    return level != nullptr ? level->mSparkleImage : nullptr;
}

} // namespace

bool Jewel::RecordBounce()
{
    if (mTicksSinceBounce <= kBounceGap)
        return false;
    mBounces += 1;
    mLastBounceSlot = nullptr;
    mTicksSinceBounce = 0;
    return true;
}

void Jewel::CountBounce()
{
    if (mTicksSinceBounce > kBounceGap && mLive != 0)
        PlayGameSound("audio\\toss.ogg");
    RecordBounce();
}

bool Jewel::BelowScreen() const
{
    return mWorld[kAttrY] > kHs / 2.0f && !ImageOverlaps(kW / 2.0f, kHs / 2.0f, kW, kHs + 10.0f);
}

bool Jewel::ApplyFlightLimits()
{
    const float x = mWorld[kAttrX];
    const float y = mWorld[kAttrY];
    // No limit test holds for a position that is not a number: it would fly
    // for ever. It leaves as one gone past the bottom.
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    const float w = FrameWidth(*this);
    Filter* vx = VelocityFilterX();
    Filter* vy = VelocityFilterY();

    if (mLive != 0 && y > kHs / 2.0f && !ImageOverlaps(kW / 2.0f, kHs / 2.0f - 46.0f, kW, kHs - 46.0f)) {
        if (mTreasureKind < kFirstSpecial)
            FallInWater();
        return false;
    }
    if (BelowScreen())
        return false;
    if (y < -w / 3.0f && !Accelerates(vy))
        return false;

    if (x < w / 3.0f) {
        if (vx != nullptr)
            vx->mAmplitude = std::fabs(vx->mAmplitude);
        mLocal[kAttrX] += w / 3.0f;
        CountBounce();
    } else if (x > kW - w / 3.0f) {
        if (vx != nullptr)
            vx->mAmplitude = -std::fabs(vx->mAmplitude);
        mLocal[kAttrX] -= w / 3.0f;
        CountBounce();
    }

    if (Tuning().mBounceOffTop != 0 && y < w / 3.0f && !StageContains(Game().mMiddleLayer, "victory")) {
        if (mLive != 0 && mTreasureKind >= 101) {
            mRemove = 1;
        } else if (!Accelerates(vy)) {
            if (vy != nullptr)
                vy->mAmplitude = std::fabs(vy->mAmplitude);
            mLocal[kAttrY] += w / 3.0f;
            CountBounce();
        }
    }
    return true;
}

void Jewel::LobTowardsTarget()
{
    if (mLobTarget == nullptr)
        return;
    AnimObject* target = FindLiveSlot(mLobTarget);
    if (target == nullptr || SlotFilled(*target)) {
        mLobTarget = nullptr;
        return;
    }
    const double t = mFrameCounter;
    const double x0 = mLobStartX;
    const double y0 = mLobStartY;
    const double xt = target->mWorld[kAttrX];
    const double yt = target->mWorld[kAttrY];
    const double sign = xt >= x0 ? 1.0 : -1.0;
    // A target level with the start (a push lifted the building) would divide by 0.
    const double drop = std::max(1.0, std::fabs(yt - y0));
    const double x = x0 + sign * (std::fabs(xt - x0) / std::sqrt(drop)) / 13.0 * t;
    const double y = y0 - 0.75 * t + 0.01 * t * t;
    mWorld[kAttrX] = float(x);
    mWorld[kAttrY] = float(y);
    mLocal[kAttrX] = mParent != nullptr ? mParent->WorldToLocalX(float(x)) : float(x);
    mLocal[kAttrY] = mParent != nullptr ? mParent->WorldToLocalY(float(y)) : float(y);
}

void Jewel::CheckBreak()
{
    // Below one bounce means never: the default 0 would break every treasure at once.
    const int limit = Tuning().mBumpsToExplode;
    if (limit < 1 || mBounces < limit)
        return;
    if (ImageOverlaps(kW / 2.0f, kHs / 2.0f, kW - 8.0f, kHs - 8.0f)) {
        MakeSparkles(10, 0, 1.0f, 1.0f, 1.0f, 1.0f);
        PlayGameSound("audio\\break.ogg");
        if (Level* level = CurrentLevel())
            LevelRules::TrickshotMissed(*level);
    }
    mRemove = 1;
}

void Jewel::FaceVelocity()
{
    const Filter* vx = VelocityFilterX();
    const double velocityX = vx != nullptr ? vx->mAmplitude : 0.0;
    if (mLive != 0) {
        const Filter* vy = VelocityFilterY();
        const double velocityY = vy != nullptr ? vy->mAmplitude : 0.0;
        mLocal[kAttrRotation] = float(std::trunc(std::atan2(velocityY, -velocityX) * kRadiansToDegrees) + 90.0);
    } else {
        mLocal[kAttrRotation] += velocityX >= 0.0 ? -3.0f : 3.0f;
    }
}

void Jewel::PowerTrail()
{
    if (mPower == 0 || int(mFrameCounter) % 4 != 1 || mParent == nullptr)
        return;
    MakeSparkles(2, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    AnimObject* image = AddEffectChild(*this, mImage, 400.0f);
    if (image == nullptr)
        return;
    image->mBlitStyle = 1;
    image->SetStageAttribute(kAttrXScale, 0.5f, 0.5f);
    image->SetStageAttribute(kAttrYScale, 0.5f, 0.5f);
    image->SetStageAttribute(kAttrAlpha, 0.75f, 0.0f);
    mParent->Reparent(image, 1);
}

void Jewel::TumbleTrail()
{
    if (mLive != 0 || int(mFrameCounter) % 10 != 0 || mParent == nullptr)
        return;
    AnimObject* spark = AddEffectChild(*this, SparkImage(), 50.0f);
    if (spark == nullptr)
        return;
    spark->mBlitStyle = 1;
    spark->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
    spark->SetStageAttribute(kAttrXScale, 1.3f, 0.3f);
    spark->SetStageAttribute(kAttrYScale, 1.3f, 0.3f);
    if (spark->AddStage(1000.0f, 0, 0, 1, nullptr) != nullptr) {
        spark->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        spark->SetStageAttribute(kAttrXScale, 1.3f, 0.3f);
        spark->SetStageAttribute(kAttrYScale, 1.3f, 0.3f);
    }
    spark->mZOrder = 4.001f;
    mParent->Reparent(spark, 1);
}

void Jewel::ReadyGlitter()
{
    GameRandom& random = Game().mRandom;
    if (random.RandomInt(18) != 0 || mParent == nullptr)
        return;
    ImageRecord* image = SparkImage();
    AnimObject* glitter = AnimObject::TakeFromPool();
    if (glitter == nullptr)
        return;
    if (image != nullptr)
        glitter->SetImageRecord(image);
    if (glitter->AddStage(float(random.RandomIntRange(600, 900)), 0, 0, 1, nullptr) == nullptr) {
        AnimObject::DisposeRecord(glitter);
        return;
    }
    const float width = mSource[2] - mSource[0];
    const float height = mSource[3] - mSource[1];
    const float x = mLocal[kAttrX] + random.RandomFloatRange(-width / 1.5f, width / 1.5f);
    const float y = random.RandomFloatRange(height / 2.0f + mLocal[kAttrY], height / 2.0f + 10.0f + mLocal[kAttrY]) - 5.0f;
    glitter->SetStageAttribute(kAttrX, x, x);
    glitter->SetStageAttribute(kAttrY, y, y);
    glitter->SetStageAttribute(kAttrAlpha, 0.01f, 0.01f);
    const float scaleStart = random.RandomFloatRange(0.1f, 0.4f);
    const float scaleEnd = random.RandomFloatRange(0.1f, 0.4f);
    glitter->SetStageAttribute(kAttrXScale, scaleStart, scaleEnd);
    glitter->SetStageAttribute(kAttrYScale, scaleStart, scaleEnd);
    glitter->AddFilter(kEasingVelocity, kAttrX, random.RandomFloatRange(-3.0f, 3.0f) / 100.0f, 0.0f, 0.0f);
    glitter->AddFilter(kEasingVelocity, kAttrY, random.RandomFloatRange(-3.0f, 3.0f) / 100.0f, 0.0f, 0.0f);
    glitter->AddFilter(kEasingSined, kAttrAlpha, 0.99f, 0.5f, 0.0f);
    glitter->mBlitStyle = 1;
    glitter->mLocal[kAttrX] = x;
    glitter->mLocal[kAttrY] = y;
    mParent->AppendChild(glitter);
}

bool Jewel::CatchByShooter()
{
    Shooter* shooter = CurrentShooter();
    Level* level = CurrentLevel();
    if (shooter == nullptr || level == nullptr || NameContains(level, "trick") || mTreasureKind >= kFirstSpecial)
        return false;
    if (shooter->mWingsTimer != 0 && mLive == 0)
        return false;
    // Without a picture the shooter has no size to catch with.
    if (shooter->mImage == nullptr)
        return false;
    if (!ImageOverlaps(shooter->mWorld[kAttrX], shooter->mWorld[kAttrY], FrameWidth(*shooter),
                       FrameHeight(*shooter) / 8.0f))
        return false;

    MakeSparkles(20, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    if (mLive == 0 && mBasket == 0) {
        const char* points = AwardPoints(1000);
        TextObject* text = new TextObject;
        text->SetText(points, "gfx\\font1.png");
        const float x = mWorld[kAttrX] - level->mWorld[kAttrX];
        const float y = mWorld[kAttrY] - level->mWorld[kAttrY];
        text->AddStage(1500.0f, 0, 0, 1, nullptr);
        text->SetStageAttribute(kAttrX, x, x);
        text->SetStageAttribute(kAttrY, y - 10.0f, y - 150.0f);
        text->SetStageAttribute(kAttrXScale, 0.6f, 0.0f);
        text->SetStageAttribute(kAttrYScale, 0.6f, 0.0f);
        text->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        text->AddFilter(kEasingCubed, kAttrAll, 1.0f, 0.0f, 0.0f);
        level->AddChild(text);
    }
    if (mBasketReturn != 0 && level->mShots > 0)
        level->mShots -= 1;
    PlayGameSound("audio\\load_plate.ogg");
    const int mode = CurrentMode();
    if (Game().mTutorial == nullptr && mode != kTrickshot && mode != kJourney)
        PushMiddleLayer(-2.0f * Tuning().mPushOnShotFired, 0.985f);
    shooter->Recoil();
    return true;
}

void Jewel::FallInWater()
{
    GameState& game = Game();
    Level* level = CurrentLevel();
    PlayerProfile& profile = game.mProfiles.Current();
    const bool tutorial = game.mTutorial != nullptr;
    const bool save = mLive != 0 && !tutorial && CurrentMode() == kJourney && profile.mCupidSaveUsed == 0 &&
                      level != nullptr && level->FindChildOfKind(kKindCupid) == nullptr &&
                      StageContains(game.mMiddleLayer, "scroll") && LevelRules::PlatesHaveRoom();
    if (!save || !OpenCupidSave())
        Splash();
    if (!tutorial)
        profile.mCupidSaveUsed = 1;
}

bool Jewel::OpenCupidSave()
{
    GameState& game = Game();
    AnimObject* played = game.mLevel;
    InsertLevelByName("cupid_save");
    AnimObject* screen = game.Topmost();
    // Without the screen's record nothing opened: the played level is no
    // screen to rewrite.
    if (screen == nullptr || screen == played)
        return false;

    const float x = mWorld[kAttrX];
    const float y = mWorld[kAttrY];
    Stage* first = screen->mStages.Head();
    Stage* second = first != nullptr ? first->mNext : nullptr;
    if (first != nullptr) {
        first->SetAttribute(kAttrX, first->mStart[kAttrX], x - 11.0f);
        first->SetAttribute(kAttrY, first->mStart[kAttrY], y - 25.0f);
    }
    if (second != nullptr) {
        second->SetAttribute(kAttrX, kValueFromPreviousStage, kW / 2.0f);
        second->SetAttribute(kAttrY, second->mStart[kAttrY], y - 125.0f);
    }

    if (AnimObject* shown = AnimObject::TakeFromPool()) {
        shown->CopyImageFrom(*this);
        shown->AddStage(100.0f, 0, 0, 0, nullptr);
        shown->AddStage(1000.0f, 1, 1, 1, nullptr);
        shown->SetStageAttribute(kAttrX, 11.0f, 11.0f);
        shown->SetStageAttribute(kAttrY, 25.0f, 25.0f);
        shown->SetStageAttribute(kAttrRotation, mWorld[kAttrRotation], mWorld[kAttrRotation]);
        screen->AddChild(shown);
    }

    // A moment's picture of the treasure where it fell, over everything.
    Level* picture = new Level;
    picture->CopyImageFrom(*this);
    picture->AddStage(100.0f, 0, 0, 1, nullptr);
    picture->SetStageAttribute(kAttrX, x, x);
    picture->SetStageAttribute(kAttrY, y, y);
    picture->SetStageAttribute(kAttrRotation, mWorld[kAttrRotation], mWorld[kAttrRotation]);
    game.mLiveObjects.Append(picture);

    if (x > kW / 2.0f) {
        for (AnimObject* child = screen->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindDefault)
                child->MirrorStagesX();
        }
        screen->mFlipX = 1;
        if (first != nullptr)
            first->mStart[kAttrX] = 900.0f;
        if (Stage* last = screen->mStages.Tail())
            last->mEnd[kAttrX] = -100.0f;
        if (second != nullptr)
            second->mEnd[kAttrX] = std::clamp(kW - second->mEnd[kAttrX], 120.0f, 680.0f);
    }
    return true;
}

void Jewel::Splash()
{
    GameRandom& random = Game().mRandom;
    if (mParent != nullptr) {
        for (int i = 0; i < 15; ++i) {
            AnimObject* drop = AnimObject::TakeFromPool();
            if (drop == nullptr)
                break;
            drop->SetImage("gfx\\water_drop.png", 0.0f, 0.0f, 1, 0.0f);
            if (drop->AddStage(2000.0f, 0, 0, 1, nullptr) == nullptr) {
                AnimObject::DisposeRecord(drop);
                break;
            }
            drop->SetStageAttribute(kAttrAlpha, 0.7f, 0.0f);
            const float rotation = random.RandomFloatRange(0.0f, 360.0f);
            drop->SetStageAttribute(kAttrRotation, rotation, rotation);
            const float tint = random.RandomFloatRange(0.5f, 1.0f);
            drop->SetStageAttribute(kAttrR, tint, tint);
            drop->SetStageAttribute(kAttrG, tint, tint);
            drop->AddFilter(kEasingVelocity, kAttrY, random.RandomFloatRange(-1.2f, -0.2f), 0.015f, 0.0f);
            drop->AddFilter(kEasingVelocity, kAttrX, random.RandomFloatRange(-0.2f, 0.2f), 0.0f, 0.0f);
            drop->mZOrder = 4.0f;
            drop->mLocal[kAttrX] = mLocal[kAttrX];
            drop->mLocal[kAttrY] = mLocal[kAttrY];
            mParent->AddChild(drop);
        }
    }
    PlayGameSound("audio\\splash.ogg");
    if (Level* level = CurrentLevel()) {
        LevelRules::TrickshotMissed(*level);
        LevelRules::CheckJourneyLoss(*level, mLive, mChain, mTreasureKind);
    }
}
