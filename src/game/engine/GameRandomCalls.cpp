// The free forms of the generator's draws, for gameplay code that reaches
// the generator through the current game state.
#include "game/engine/GameRandom.h"

#include "game/engine/GameState.h"

void SeedRandom(uint32_t seed)
{
    Game().mRandom.SeedRandom(seed);
}

uint32_t RandomNext()
{
    return Game().mRandom.RandomNext();
}

uint32_t RandomInt(uint32_t n)
{
    return Game().mRandom.RandomInt(n);
}

uint32_t RandomIntRange(uint32_t lo, uint32_t hi)
{
    return Game().mRandom.RandomIntRange(lo, hi);
}

float RandomFloatRange(float lo, float hi)
{
    return Game().mRandom.RandomFloatRange(lo, hi);
}
