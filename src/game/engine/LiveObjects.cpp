#include "game/engine/LiveObjects.h"

#include "game/engine/AnimObject.h"
#include "game/engine/GameState.h"
#include "game/engine/Platform.h"

#include <cstring>

int UpdateLiveObjects(GameState& game)
{
    // Screens opened during the tick wait for the next one; a screen that
    // ends is removed by identity, so the screens around it are not affected.
    for (ObjectList<AnimObject>::Walk walk(game.mLiveObjects); AnimObject* screen = walk.Next();) {
        if (screen->Update() == 0)
            game.mLiveObjects.Remove(screen);
    }
    // A tap is for this tick only: a screen opened later never takes it.
    game.mInput.EndTick();
    if (game.mLiveObjects.IsEmpty() && game.mPlatform != nullptr)
        game.mPlatform->Quit();
    return 1;
}

int DrawLiveObjects(GameState& game)
{
    if (game.mPlatform != nullptr)
        game.mPlatform->BeginDraw();
    for (AnimObject* screen = game.mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
        screen->Draw();
    if (game.mPlatform != nullptr)
        game.mPlatform->EndDraw();
    return 1;
}

bool AnyLiveNameContains(const GameState& game, const char* part)
{
    for (const AnimObject* screen = game.mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
        if (std::strstr(screen->mName, part) != nullptr)
            return true;
    return false;
}
