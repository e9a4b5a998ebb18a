// The gameplay's answers to the engine: its object kinds, tuning values and
// the played level's steps of a tick.
#pragma once

#include "game/engine/GameHooks.h"

class PlayHooks : public GameHooks {
public:
    AnimObject* CreateGameObject(const char* type) override;
    void ReadTuning(const ObjectXmlElement& element) override;
    void LevelTickBeforeMusic(Level& level) override;
    void LevelTickAfterMusic(Level& level) override;
};
