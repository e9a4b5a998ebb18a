// The committed game data played with the gameplay's hooks: a seeded
// generator, the default players with the first one named "Mira", the game
// data index read, and ticks run as the live list runs them. Header-only.
#pragma once

#include "game/engine/GameDataLoader.h"
#include "game/engine/GameState.h"
#include "game/engine/LiveObjects.h"
#include "game/play/PlayHooks.h"
#include "support/CommittedDataFixture.h"

namespace LumoTest {

class CommittedPlayFixture : public CommittedDataFixture {
protected:
    void SetUp() override
    {
        CommittedDataFixture::SetUp();
        MakeGame();
        mGame->mHooks = &mPlay;
        mGame->mRandom.SeedRandom(20261211);
        mGame->mProfiles.CreateDefaults();
        mGame->mProfiles.Current().SetName("Mira");
        LoadGameData("config.xml");
    }
    void TearDown() override
    {
        mGame.reset();
        CommittedDataFixture::TearDown();
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            UpdateLiveObjects(*mGame);
    }

    PlayHooks mPlay;
};

} // namespace LumoTest
