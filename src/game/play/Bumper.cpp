#include "game/play/Bumper.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/Stage.h"
#include "game/play/InnerTreasures.h"
#include "game/play/RuleOperations.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float kBumpSoundTicks = 20.0f;
constexpr float kFrontAlpha = 0.5f;

} // namespace

Bumper::Bumper()
{
    mKind = kKindBumper;
}

int Bumper::Update()
{
    mBumpTimer += 1.0f;
    const int result = AnimObject::Update();
    GameState& game = Game();

    // A bumper that has sunk out of the playfield goes; on the trick shot
    // screen nothing sinks, and warps always stay.
    const float y = mWorld[kAttrY];
    const float width = GameState::kScreenWidth;
    const float height = GameState::kScreenHeight;
    const bool trickshot = game.mLevel != nullptr && std::strcmp(game.mLevel->mName, "trickshot") == 0;
    if (mKind != kKindWarp && y > height / 2.0f && y > mPreviousY && mFrameCounter > 100.0f && !trickshot &&
        !HitTestPoint(width / 2.0f, (height - 60.0f) / 2.0f, width, height - 60.0f, 0.0f))
        return 0;

    // In front of the shooter's treasure it fades to half so the player
    // sees the throw; it bounces again only once fully back. Without a
    // shooter there is nothing to look for (a null container would search
    // the inner layer).
    AnimObject* shooter = game.mShooter;
    AnimObject* uppermost = shooter != nullptr ? FindLowestOfKind(kKindJewel, shooter) : nullptr;
    if (uppermost != nullptr && HitTestObject(*uppermost) && !game.EditorOpen())
        mLocal[kAttrAlpha] = std::max(kFrontAlpha, mLocal[kAttrAlpha] * 0.99f);
    else
        mLocal[kAttrAlpha] = std::min(1.0f, mLocal[kAttrAlpha] * 1.01f);
    mPreviousY = y;
    return result;
}

void Bumper::PlayBump()
{
    if (mBumpTimer <= kBumpSoundTicks)
        return;
    PlayGameSound("audio\\bump.ogg");
    mBumpTimer = 0.0f;
}

bool Bumper::CanBounce(const Jewel& treasure) const
{
    const AnimObject* shooter = Game().mShooter;
    const bool onShooter = treasure.mLive != 0 && shooter != nullptr && treasure.HitTestObject(*shooter);
    return !onShooter && treasure.mForcedToss != 0 && treasure.mPower == 0 && mLocal[kAttrAlpha] >= 1.0f;
}

void Bumper::BounceOffEdges(const float* edges, int count, float reach, EdgeRule rule)
{
    constexpr int kMaxEdges = 4;
    if (count < 1 || count > kMaxEdges)
        return;
    bool counted = false;
    ForEachInnerTreasure([&](Jewel& treasure) {
        if (!CanBounce(treasure))
            return;
        // The engine turns the edges into world coordinates in place.
        float segments[kMaxEdges * 4];
        std::copy(edges, edges + count * 4, segments);
        if (treasure.BounceOffSegments(*this, segments, count, reach) == 0)
            return;
        const bool countedNow = treasure.RecordBounce();
        ObjectEvent* code = CodeEvent();
        if (rule == EdgeRule::kRectangle) {
            if (countedNow && code != nullptr)
                treasure.mBasketReturn = 1;
            counted = counted || countedNow;
            return;
        }
        if (code != nullptr)
            code->RunAction();
        if (countedNow)
            PlayBumpUnlessStageSounds(code != nullptr);
    });
    if (!counted)
        return;
    ObjectEvent* code = CodeEvent();
    if (code != nullptr)
        code->RunAction();
    PlayBumpUnlessStageSounds(code != nullptr);
}

ObjectEvent* Bumper::CodeEvent() const
{
    const Stage* stage = CurrentStage();
    ObjectEvent* first = stage != nullptr ? stage->mEvents.Head() : nullptr;
    return first != nullptr && first->mTrigger == kTriggerCode ? first : nullptr;
}

void Bumper::PlayBumpUnlessStageSounds(bool codeRan)
{
    if (codeRan) {
        // The action may have moved the bumper to another stage: the one it
        // is in now decides.
        const Stage* stage = CurrentStage();
        for (const ObjectEvent* event = stage != nullptr ? stage->mEvents.Head() : nullptr; event != nullptr;
             event = event->mNext) {
            if (event->mTrigger == kTriggerStart && event->mAction == kActionPlaySound)
                return;
        }
    }
    PlayBump();
}
