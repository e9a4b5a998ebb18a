#include "game/play/PlayState.h"

void PlayState::Reset()
{
    *this = PlayState();
}

PlayState& Play()
{
    static PlayState state;
    return state;
}
