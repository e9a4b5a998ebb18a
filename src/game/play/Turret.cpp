#include "game/play/Turret.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/InnerTreasures.h"
#include "game/play/Jewel.h"
#include "game/play/RuleOperations.h"
#include "game/play/ShooterHelpers.h"

#include <cmath>

namespace {

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;
constexpr int kPuffs = 20;

void MoveWorld(AnimObject& object, float dx, float dy)
{
    object.mLocal[kAttrX] += dx;
    object.mLocal[kAttrY] += dy;
    object.mWorld[kAttrX] += dx;
    object.mWorld[kAttrY] += dy;
}

// A treasure falling under gravity passes by.
bool FallsUnderGravity(const Jewel& treasure)
{
    const Filter* vy = treasure.VelocityFilterY();
    return vy != nullptr && vy->mPeriod != 0.0f;
}

} // namespace

Turret::Turret()
{
    mKind = kKindTurret;
}

void Turret::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "turret");
}

AnimObject* Turret::Barrel() const
{
    return mChildren.Head();
}

AnimObject* Turret::Muzzle() const
{
    const AnimObject* barrel = Barrel();
    return barrel != nullptr ? barrel->mChildren.Head() : nullptr;
}

int Turret::Update()
{
    // While it cools down no treasure can fire: the walk would find nothing.
    if (mCooldown < 1) {
        ForEachInnerTreasure([this](Jewel& treasure) {
            if (!FallsUnderGravity(treasure) && HitTestObject(treasure))
                Fire(treasure);
        });
    }
    // Down by 2 a tick, and no further than 0.
    if (mCooldown > 0)
        mCooldown -= 1;
    if (mCooldown > 0)
        mCooldown -= 1;
    AnimObject* barrel = Barrel();
    Stage* held = barrel != nullptr ? barrel->CurrentStage() : nullptr;
    if (mCooldown > 0 && held != nullptr && held->mTicks >= 1.0f)
        held->mTicks -= 1.0f;
    return AnimObject::Update();
}

void Turret::Fire(Jewel& treasure)
{
    AnimObject* barrel = Barrel();
    AnimObject* muzzle = Muzzle();
    Filter* vx = treasure.VelocityFilterX();
    Filter* vy = treasure.VelocityFilterY();
    // Without a barrel to aim or velocities to turn there is no shot.
    if (barrel == nullptr || muzzle == nullptr || vx == nullptr || vy == nullptr)
        return;
    if (vy->mAmplitude > 0.0f || mCooldown >= 1)
        return;
    mCooldown = kCooldown;

    const double speed = std::sqrt(double(vx->mAmplitude) * vx->mAmplitude + double(vy->mAmplitude) * vy->mAmplitude);
    const double parentRotation = mParent != nullptr ? mParent->mWorld[kAttrRotation] : 0.0;
    const double angle =
        (double(barrel->mLocal[kAttrRotation]) - 90.0 + mLocal[kAttrRotation] + parentRotation) * kDegreesToRadians;
    const double c = std::cos(angle);
    const double s = std::sin(angle);

    MoveWorld(treasure, mWorld[kAttrX] - treasure.mWorld[kAttrX], mWorld[kAttrY] - treasure.mWorld[kAttrY]);
    vx->mAmplitude = float(-speed * c);
    vy->mAmplitude = float(speed * s);
    const double h = ShooterRules::FrameHeight(*muzzle);
    MoveWorld(treasure, float(-c * h), float(s * h));

    MakeSmoke(*muzzle);
    PlayGameSound("audio\\turret.ogg");
}

void Turret::MakeSmoke(const AnimObject& muzzle)
{
    GameState& game = Game();
    AnimObject* effects = game.mEffects;
    const Level* level = CurrentLevel();
    ImageRecord* image = level != nullptr ? level->mWhiteParticleImage : nullptr;
    if (effects == nullptr || image == nullptr)
        return;
    GameRandom& random = game.mRandom;
    const float reachX = (muzzle.mWorld[kAttrX] - mWorld[kAttrX]) * 1.6f;
    const float reachY = (muzzle.mWorld[kAttrY] - mWorld[kAttrY]) * 1.6f;
    const float stepX = reachX / float(kPuffs);
    const float stepY = reachY / float(kPuffs);
    for (int k = 0; k < kPuffs; ++k) {
        AnimObject* puff = ShooterRules::AddEffectChild(*this, image, float(random.RandomIntRange(500, 2000)));
        if (puff == nullptr)
            return;
        const float baseX = reachX / 4.0f + float(k) * stepX;
        const float baseY = reachY / 5.0f + float(k) * stepY;
        const float startX = baseX + random.RandomFloatRange(-10.0f, 10.0f);
        const float startY = baseY + random.RandomFloatRange(-10.0f, 10.0f);
        const float endX = baseX + random.RandomFloatRange(-60.0f, 60.0f);
        const float endY = baseY + random.RandomFloatRange(-60.0f, 60.0f);
        puff->SetStageAttribute(kAttrX, startX, endX);
        puff->SetStageAttribute(kAttrY, startY, endY);
        puff->SetStageAttribute(kAttrAlpha, random.RandomFloatRange(0.3f, 0.7f), 0.0f);
        const float scale = random.RandomFloatRange(1.0f, 1.8f);
        puff->SetStageAttribute(kAttrXScale, scale, scale / 2.0f);
        puff->SetStageAttribute(kAttrYScale, scale, scale / 2.0f);
        puff->AddFilter(kEasingVelocity, kAttrRotation, random.RandomFloatRange(-0.57f, 0.57f), 0.0f, 0.0f);
        puff->mZOrder = 9.0f;
        puff->mLocal[kAttrX] = startX;
        puff->mLocal[kAttrY] = startY;
        effects->Reparent(puff, 0);
    }
}
