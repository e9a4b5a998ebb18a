// Sparkles, particles and bouncing: the effects objects make of themselves.
#include "game/engine/AnimObject.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/ScreenAccess.h"
#include "game/engine/Stage.h"

#include <cmath>

namespace {

// Repeated updates of a bouncing object end here even when it does not get
// clear of the segments (as many as a slot's nudge takes).
constexpr int kMaxBounceUpdates = 120;

} // namespace

void AnimObject::MakeSparkles(int count, int, float r, float g, float b, float alphaScale)
{
    // A screen's first tick publishes the level before the level has made its
    // effects object: without level, image or effects object nothing is made.
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || game->mLevel == nullptr || game->mEffects == nullptr)
        return;
    ImageRecord* image = GetLevelSparkleImage(*game->mLevel);
    if (image == nullptr)
        return;
    GameRandom& random = game->mRandom;
    AnimObject* effects = game->mEffects;
    RefreshWorld();
    for (int i = 0; i < count; ++i) {
        AnimObject* sparkle = AddChild(nullptr);
        if (sparkle == nullptr)
            return;
        sparkle->SetImageRecord(image);
        const float ms = static_cast<float>(random.RandomIntRange(1000, 3000));
        if (sparkle->AddStage(ms, 0, 0, 1, nullptr) == nullptr) {
            mChildren.Remove(sparkle);
            return;
        }
        sparkle->SetStageAttribute(kAttrAlpha, random.RandomFloatRange(0.7f, 1.0f) * alphaScale, 0.0f);
        if (r != 0.0f || g != 0.0f || b != 0.0f) {
            sparkle->SetStageAttribute(kAttrR, r, r);
            sparkle->SetStageAttribute(kAttrG, g, g);
            sparkle->SetStageAttribute(kAttrB, b, b);
        }
        sparkle->SetStageAttribute(kAttrXScale, 1.0f, 0.5f);
        sparkle->SetStageAttribute(kAttrYScale, 1.0f, 0.5f);
        const float xEnd = random.RandomFloatRange(-200.0f, 200.0f);
        const float xStart = random.RandomFloatRange(-20.0f, 20.0f);
        sparkle->SetStageAttribute(kAttrX, xStart, xEnd);
        bool complete = sparkle->AddFilter(kEasingSined, kAttrX, random.RandomFloatRange(0.0f, 20.0f), 3.0f, 0.0f) != nullptr;
        complete = sparkle->AddFilter(kEasingVelocity, kAttrY, random.RandomFloatRange(-1.0f, 0.0f), 0.004f, 0.9995f) !=
                       nullptr &&
                   complete;
        complete = sparkle->AddFilter(kEasingVelocity, kAttrRotation, random.RandomFloatRange(-0.57f, 0.57f), 0.0f,
                                      0.0f) != nullptr &&
                   complete;
        const float period = static_cast<float>(random.RandomIntRange(1, 4));
        complete = sparkle->AddFilter(kEasingSined, kAttrXScale, 0.4f, period, 0.0f) != nullptr && complete;
        complete = sparkle->AddFilter(kEasingSined, kAttrYScale, 0.4f, period, 0.0f) != nullptr && complete;
        // The pools ran dry: no half-made sparkle, and no more (a count may be huge).
        if (!complete) {
            mChildren.Remove(sparkle);
            return;
        }
        sparkle->mZOrder = 9.0f;
        sparkle->mBlitStyle = 1;
        effects->Reparent(sparkle, 0);
    }
}

void AnimObject::MakeParticles(int count)
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || mParticleImage == nullptr || game->mEffects == nullptr)
        return;
    GameRandom& random = game->mRandom;
    AnimObject* effects = game->mEffects;
    RefreshWorld();
    for (int i = 0; i < count; ++i) {
        AnimObject* particle = AddChild(nullptr);
        if (particle == nullptr)
            return;
        particle->SetImageRecord(mParticleImage);
        const float ms = static_cast<float>(random.RandomIntRange(1000, 3000));
        if (particle->AddStage(ms, 0, 0, 1, nullptr) == nullptr) {
            mChildren.Remove(particle);
            return;
        }
        particle->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        particle->SetStageAttribute(kAttrXScale, 1.0f, 0.5f);
        particle->SetStageAttribute(kAttrYScale, 1.0f, 0.5f);
        const float xEnd = random.RandomFloatRange(-200.0f, 200.0f);
        const float xStart = random.RandomFloatRange(-20.0f, 20.0f);
        particle->SetStageAttribute(kAttrX, xStart, xEnd);
        // -100 .. 0 drawn on unsigned words, as the range function works.
        const int fall = static_cast<int>(random.RandomIntRange(static_cast<uint32_t>(-100), 0));
        bool complete =
            particle->AddFilter(kEasingVelocity, kAttrY, static_cast<float>(fall) / 100.0f, 0.02f, 1.0f) != nullptr;
        complete = particle->AddFilter(kEasingVelocity, kAttrRotation, random.RandomFloatRange(-0.57f, 0.57f), 0.0f,
                                       0.0f) != nullptr &&
                   complete;
        if (!complete) {
            mChildren.Remove(particle);
            return;
        }
        particle->mZOrder = 9.0f;
        effects->Reparent(particle, 0);
    }
}

int AnimObject::BounceOffSegments(const AnimObject& other, float* segments, int count, float radius)
{
    if (segments == nullptr || count <= 0 || mCurrentStage == nullptr)
        return 0;
    GameState* game = GameState::TryCurrent();
    if (game == nullptr)
        return 0;
    // Into world coordinates: turned by minus the other's rotation, moved by its position.
    const float angle = -other.mWorld[kAttrRotation] * 0.017453292f;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    for (int i = 0; i < count * 2; ++i) {
        float& px = segments[i * 2];
        float& py = segments[i * 2 + 1];
        const float rx = px * c - py * s;
        const float ry = py * c + px * s;
        px = rx + other.mWorld[kAttrX];
        py = ry + other.mWorld[kAttrY];
    }
    Filter* vx = mCurrentStage->FindFilter(kEasingVelocity, kAttrX);
    if (vx == nullptr)
        vx = mCurrentStage->AddFilter(game->mFilterPool, kEasingVelocity, kAttrX, 0.0f, 0.0f, 0.0f, 0);
    Filter* vy = mCurrentStage->FindFilter(kEasingVelocity, kAttrY);
    if (vy == nullptr)
        vy = mCurrentStage->AddFilter(game->mFilterPool, kEasingVelocity, kAttrY, 0.0f, 0.0f, 0.0f, 0);
    if (vx == nullptr || vy == nullptr)
        return 0;

    const float x = mWorld[kAttrX];
    const float y = mWorld[kAttrY];
    int chosen = -1;
    float smallest = 100000000.0f;
    for (int i = 0; i < count; ++i) {
        const float* seg = segments + i * 4;
        if (SaturateToInt(DistanceToSegment2(x, y, seg[0], seg[1], seg[2], seg[3])) >= radius)
            continue;
        float nx = 0.0f;
        float ny = 0.0f;
        SegmentNormal(seg[0], seg[1], seg[2], seg[3], nx, ny);
        const float dot = vx->mAmplitude * nx + vy->mAmplitude * ny;
        if (dot < smallest) {
            smallest = dot;
            chosen = i;
        }
    }
    if (chosen < 0)
        return 0;
    const float* hit = segments + chosen * 4;
    ReflectOffSegment(vx->mAmplitude, vy->mAmplitude, hit[0], hit[1], hit[2], hit[3]);
    const float* last = segments + (count - 1) * 4;
    for (int updates = 0; updates < kMaxBounceUpdates && mRemove == 0; ++updates) {
        if (DistanceToSegment2(mWorld[kAttrX], mWorld[kAttrY], last[0], last[1], last[2], last[3]) >= radius)
            break;
        // An update that ends the object (caught, fallen into the water) is
        // its last: flagged, its list removes it, and it is not run again to
        // be caught or splash a second time.
        if (Update() == 0) {
            mRemove = 1;
            break;
        }
    }
    if (mCurrentStage != nullptr)
        mCurrentStage->mTicks = 1.0f;
    return 1;
}
