#include "game/play/PlayState.h"

void PlayState::Reset()
{
    const uint64_t round = mSlotTestRound;
    *this = PlayState();
    mSlotTestRound = round;
}

PlayState& Play()
{
    static PlayState state;
    return state;
}
