#include "game/play/RuleOperations.h"

#include "game/engine/AnimObject.h"
#include "game/engine/EasingKind.h"
#include "game/engine/GameRandom.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"
#include "game/play/PlayState.h"
#include "game/play/Shooter.h"

#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

constexpr float kShakeTicks = 250.0f;

AnimObject* SearchContainer(AnimObject* container)
{
    if (container != nullptr)
        return container;
    GameState* game = GameState::TryCurrent();
    return game != nullptr ? game->mInnerLayer : nullptr;
}

ExtremesByY FindExtremesOfKind(int kind, AnimObject* container)
{
    ExtremesByY extremes;
    container = SearchContainer(container);
    if (container == nullptr)
        return extremes;
    for (AnimObject* child = container->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kind)
            extremes.Offer(*child);
    }
    return extremes;
}

} // namespace

AnimObject* FindHighestOfKind(int kind, AnimObject* container)
{
    return FindExtremesOfKind(kind, container).Highest();
}

AnimObject* FindLowestOfKind(int kind, AnimObject* container)
{
    return FindExtremesOfKind(kind, container).Lowest();
}

void ExtremesByY::Offer(AnimObject& object)
{
    const float y = object.mWorld[kAttrY];
    if (y > mHighestY) {
        mHighest = &object;
        mHighestY = y;
    }
    if (y < mLowestY) {
        mLowest = &object;
        mLowestY = y;
    }
}

void ShakeObject(AnimObject& object, float amplitudeX, float amplitudeY)
{
    Stage* stage = object.CurrentStage();
    if (stage == nullptr || stage->FindFilter(kEasingSined, kAttrX) != nullptr)
        return;
    GameState& game = Game();
    const int period = int(RandomIntRange(6, 8));
    if (Filter* filter = stage->AddFilter(game.mFilterPool, kEasingSined, kAttrX, amplitudeX, float(period), 0.0f, 0))
        filter->mOwnLength = kShakeTicks;
    if (Filter* filter =
            stage->AddFilter(game.mFilterPool, kEasingSined, kAttrY, amplitudeY, float(period - 1), 0.0f, 0))
        filter->mOwnLength = kShakeTicks;
    PlayGameSound("audio\\shake.ogg");
}

void NudgeDifficulty(float d)
{
    const TuningParameters& tuning = Tuning();
    float& difficulty = Game().mProfiles.Current().mDifficulty;
    if (d > 0.0f)
        difficulty += tuning.mDifficultyChangeOnWin * d;
    else if (d < 0.0f)
        difficulty += tuning.mDifficultyChangeOnLoss * d;
    if (difficulty < tuning.mMinDifficulty)
        difficulty = tuning.mMinDifficulty;
    if (difficulty > tuning.mMaxDifficulty)
        difficulty = tuning.mMaxDifficulty;
}

int CurrentScoreMultiplier()
{
    const Shooter* shooter = CurrentShooter();
    return shooter != nullptr ? shooter->mScoreMultiplier : 1;
}

const char* AwardPoints(int32_t points)
{
    return AwardPoints(points, CurrentScoreMultiplier());
}

const char* AwardPoints(int32_t points, int32_t multiplier)
{
    static char text[32];
    int32_t& score = Game().mProfiles.Current().mScore;
    // A long combo under a large multiplier must not wrap the score around.
    int64_t total = int64_t(score) + int64_t(points) * int64_t(multiplier);
    if (total > std::numeric_limits<int32_t>::max())
        total = std::numeric_limits<int32_t>::max();
    if (total < std::numeric_limits<int32_t>::min())
        total = std::numeric_limits<int32_t>::min();
    score = int32_t(total);
    char suffix[16] = "";
    if (multiplier >= 2)
        std::snprintf(suffix, sizeof(suffix), " x%d", int(multiplier));
    std::snprintf(text, sizeof(text), "+%d%s", int(points), suffix);
    return text;
}

int RandomIntBetween(int lo, int hi)
{
    // The unsigned range wraps, so a negative bound draws as it would signed.
    return int(RandomIntRange(uint32_t(lo), uint32_t(hi)));
}

void PlayGameSound(const char* name, int rate)
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || game->mSound == nullptr)
        return;
    if (SampleEntry* entry = game->mSound->GetSample(name, 0, 0))
        game->mSound->PlaySample(entry, rate);
}

Level* CurrentLevel()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr ? dynamic_cast<Level*>(game->mLevel) : nullptr;
}
