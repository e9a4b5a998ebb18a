#include "game/play/Warp.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/InnerTreasures.h"
#include "game/play/Jewel.h"
#include "game/play/LevelRules.h"
#include "game/play/RuleOperations.h"
#include "game/play/ShooterHelpers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;
constexpr int kSparkleRings = 2;
constexpr int kSparklesPerRing = 20;
constexpr float kRingRadius = 64.0f;

bool OnScreenHeight(const AnimObject& object)
{
    const float y = object.mWorld[kAttrY];
    return y >= 0.0f && y <= GameState::kScreenHeight;
}

} // namespace

Warp::Warp()
{
    mKind = kKindWarp;
}

Warp::~Warp()
{
    // The entries hold nothing of the treasures; they go first all the same,
    // before anything of the warp that a treasure could reach.
    mTracked.clear();
    GameState::ReleaseHeldImage(mArrowImage);
}

void Warp::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "warp");
}

void Warp::InitAfterLoad()
{
    Bumper::InitAfterLoad();
    GameState* game = GameState::TryCurrent();
    if (game != nullptr && mArrowImage == nullptr)
        mArrowImage = game->mImageCache.Get("gfx\\arrow.png");
}

int Warp::Update()
{
    if (mLocal[kAttrAlpha] >= 1.0f && mParent != nullptr) {
        for (Tracked& entry : mTracked)
            entry.near = false;
        ForEachTreasureIn(*mParent, [this](Jewel& treasure) {
            const bool near = treasure.HitTestCircle(mWorld[kAttrX], mWorld[kAttrY], kReach) > 0;
            if (Tracked* entry = FindTracked(treasure))
                entry->near = near;
            else if (near && treasure.mLobTarget == nullptr)
                Teleport(treasure);
        });
        // Entries of treasures that left the area, and of treasures no
        // longer among the parent's children, go.
        mTracked.erase(std::remove_if(mTracked.begin(), mTracked.end(), [](const Tracked& entry) { return !entry.near; }),
                       mTracked.end());
        ShowGuide();
    }
    return Bumper::Update();
}

bool Warp::Tracks(const Jewel& treasure) const
{
    return const_cast<Warp*>(this)->FindTracked(treasure) != nullptr;
}

Warp::Tracked* Warp::FindTracked(const Jewel& treasure)
{
    for (Tracked& entry : mTracked) {
        if (entry.treasure == &treasure && entry.joinStamp == treasure.mJoinStamp)
            return &entry;
    }
    return nullptr;
}

void Warp::Track(const Jewel& treasure)
{
    if (FindTracked(treasure) == nullptr)
        mTracked.push_back({&treasure, treasure.mJoinStamp, true});
}

void Warp::Teleport(Jewel& treasure)
{
    auto* partner = dynamic_cast<Warp*>(NearestSiblingOfKind(kKindWarp));
    if (partner == nullptr)
        return;
    // Treasure and partner share the parent: the same place in both blocks.
    treasure.mLocal[kAttrX] = partner->mLocal[kAttrX];
    treasure.mLocal[kAttrY] = partner->mLocal[kAttrY];
    treasure.mWorld[kAttrX] = partner->mWorld[kAttrX];
    treasure.mWorld[kAttrY] = partner->mWorld[kAttrY];
    PlayGameSound("audio\\warp.ogg");
    partner->MakeSparkleRings();

    treasure.mWarpCount += 1;
    if (treasure.mWarpCount < kMaxTeleports) {
        partner->Track(treasure);
        return;
    }
    treasure.mRemove = 1;
    if (Level* level = CurrentLevel())
        LevelRules::TrickshotMissed(*level);
}

void Warp::MakeSparkleRings()
{
    GameState& game = Game();
    AnimObject* effects = game.mEffects;
    const Level* level = CurrentLevel();
    ImageRecord* image = level != nullptr ? level->mSparkleImage : nullptr;
    if (effects == nullptr || image == nullptr)
        return;
    RefreshWorld();
    for (int ring = 0; ring < kSparkleRings; ++ring) {
        for (int i = 1; i <= kSparklesPerRing; ++i) {
            AnimObject* sparkle = ShooterRules::AddEffectChild(*this, image, 300.0f);
            if (sparkle == nullptr)
                return;
            const double angle = double(i) * (360.0 / kSparklesPerRing) * kDegreesToRadians;
            sparkle->SetStageAttribute(kAttrX, float(kRingRadius * std::cos(angle)), 0.0f);
            sparkle->SetStageAttribute(kAttrY, float(kRingRadius * std::sin(angle)), 0.0f);
            sparkle->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
            sparkle->SetStageAttribute(kAttrXScale, 1.0f, 0.5f);
            sparkle->SetStageAttribute(kAttrYScale, 1.0f, 0.5f);
            sparkle->AddFilter(kEasingSquared, kAttrAll, 1.0f, 0.0f, 0.0f);
            sparkle->mBlitStyle = 1;
            sparkle->mZOrder = 9.0f;
            effects->Reparent(sparkle, 0);
        }
    }
}

void Warp::ShowGuide()
{
    AnimObject* partner = NearestSiblingOfKind(kKindWarp);
    const AnimObject* shooter = Game().mShooter;
    if (partner == nullptr || shooter == nullptr || mArrowImage == nullptr || mParent == nullptr)
        return;
    if (!OnScreenHeight(*this) || !OnScreenHeight(*partner))
        return;
    if (std::fabs(shooter->mWorld[kAttrX] - mWorld[kAttrX]) > 0.75f * ShooterRules::FrameWidth(*this))
        return;
    const float d = DistanceTo(*partner);
    const float rotation =
        AngleDegrees(mWorld[kAttrX] - partner->mWorld[kAttrX], mWorld[kAttrY] - partner->mWorld[kAttrY]);
    const float march = std::fmod(mFrameCounter, kMarchTicks) / 3.0f;
    for (float s = 0.0f; s < d; s += kArrowGap) {
        const float f = std::min(1.0f, (march + s) / d);
        const float alpha = f < 0.2f ? f * 5.0f : f > 0.8f ? (1.0f - f) * 5.0f : 1.0f;
        const float x = mLocal[kAttrX] + (partner->mLocal[kAttrX] - mLocal[kAttrX]) * f;
        const float y = mLocal[kAttrY] + (partner->mLocal[kAttrY] - mLocal[kAttrY]) * f;
        // One tick long: the next tick's march replaces it.
        AnimObject* arrow = ShooterRules::AddEffectChildOnTop(*mParent, mArrowImage, 4.0f);
        if (arrow == nullptr)
            return;
        arrow->SetStageAttribute(kAttrX, x, x);
        arrow->SetStageAttribute(kAttrY, y, y);
        arrow->SetStageAttribute(kAttrRotation, rotation, rotation);
        arrow->SetStageAttribute(kAttrAlpha, alpha, alpha);
        arrow->mBlitStyle = 1;
    }
}
