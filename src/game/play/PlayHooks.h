// The gameplay's answers to the engine: its object kinds, tuning values and
// the played level's steps of a tick.
#pragma once

#include "game/engine/GameHooks.h"
#include "game/play/GameModes.h"

class PlayHooks : public GameHooks {
public:
    AnimObject* CreateGameObject(const char* type) override;
    void ReadTuning(const ObjectXmlElement& element) override;
    void LevelTickBeforeMusic(Level& level) override;
    void LevelTickAfterMusic(Level& level) override;
    std::string ResolveTextKey(const char* key) override;
    void SetNextLevelNumber(int number) override;
    void ResetTrickshotProgress() override;
    void ResetHonorRolls(PlayerProfiles& profiles) override;

    // The modes' values of this game.
    ModeState mModes;
};
