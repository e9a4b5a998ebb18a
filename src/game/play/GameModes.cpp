#include "game/play/GameModes.h"

#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/play/PlayHooks.h"


ModeState& Modes()
{
    // Tests and the game install the gameplay's hooks; a bare engine has
    // none, and then a state of its own serves so that nothing dereferences null.
    GameState* game = GameState::TryCurrent();
    if (game != nullptr) {
        if (auto* hooks = dynamic_cast<PlayHooks*>(game->mHooks))
            return hooks->mModes;
    }
    static ModeState detached;
    return detached;
}

PlayerProfile& CurrentProfile()
{
    return Game().mProfiles.Current();
}

int CurrentMode()
{
    const int mode = CurrentProfile().mMode;
    return mode >= 0 && mode < PlayerProfile::kModeCount ? mode : kFlood;
}

int CurrentProgress()
{
    const int progress = CurrentProfile().mProgress[CurrentMode()];
    return progress > 0 ? progress : 0;
}

const ObjectList<LevelRecord>& ModeLevelList(int mode)
{
    GameState& game = Game();
    return mode == kJourney ? game.mRelaxedLevels : game.mMainLevels;
}

Level* BottomLevel()
{
    return dynamic_cast<Level*>(Game().mLiveObjects.Head());
}

AnimObject* InnerLayerOf(AnimObject* screen)
{
    AnimObject* layer = screen;
    for (int depth = 0; depth < 3 && layer != nullptr; ++depth)
        layer = layer->FindChildOfKind(kKindLayer);
    return layer;
}
