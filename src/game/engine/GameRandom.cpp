#include "game/engine/GameRandom.h"

#include "game/engine/EngineUtilities.h"

namespace {

constexpr uint32_t kMultiplier = 1588635695u;
constexpr uint32_t kRemainder = 1117695901u;
constexpr uint32_t kFixedPointSeed = 1834132005u;

} // namespace

void GameRandom::SeedRandom(uint32_t seed)
{
    mState = (seed == 0 || seed == kFixedPointSeed) ? kInitialState : seed;
}

uint32_t GameRandom::RandomNext()
{
    // Wraps on purpose: the sequence is the one the game always had.
    mState = (mState % 2u) * kMultiplier - (mState / 2u) * kRemainder;
    return mState;
}

uint32_t GameRandom::RandomInt(uint32_t n)
{
    const uint32_t r = RandomNext();
    return n == 0 ? 0 : r % n;
}

uint32_t GameRandom::RandomIntRange(uint32_t lo, uint32_t hi)
{
    const uint32_t r = RandomNext();
    const uint32_t span = hi - lo + 1u;
    return span == 0 ? lo : r % span + lo;
}

float GameRandom::RandomFloatRange(float lo, float hi)
{
    const uint32_t r = RandomNext();
    const float lo100 = lo * 100.0f;
    const float hi100 = hi * 100.0f;
    const int64_t span = int64_t(SaturateToInt(hi100)) - int64_t(SaturateToInt(lo100)) + 1;
    if (span <= 0) {
        return lo;
    }
    const float step = static_cast<float>(uint64_t(r) % uint64_t(span));
    return (step + lo100) / 100.0f;
}
