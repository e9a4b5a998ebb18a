// The Survival screen of the committed data, drawn: the baked sky stays
// behind the wall and the plates that scroll over it.
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/PlayState.h"
#include "CommittedPlayFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

class SurvivalBackdropTest : public LumoTest::CommittedPlayFixture {
protected:
    void TearDown() override
    {
        Play().Reset();
        CommittedPlayFixture::TearDown();
    }

    // The screen after ten seconds of Survival, with the backdrop baked or
    // (as after the level editor) drawn piece by piece.
    std::vector<uint32_t> DrawAfterTenSeconds(bool baked)
    {
        Play().Reset();
        Play().mEditorWasUsed = baked ? 0 : 1;
        mGame->mRandom.SeedRandom(20261211);
        mGame->mProfiles.Current().mMode = 2;
        mGame->mLiveObjects.RemoveAll();
        InsertLevelByName("endless");
        Ticks(2500);
        DrawLiveObjects(*mGame);
        const uint32_t* bits = mScreen.GetBits();
        return std::vector<uint32_t>(bits, bits + 800 * 600);
    }
};

TEST_F(SurvivalBackdropTest, TheBakedSkyStaysBehindTheWall)
{
    const std::vector<uint32_t> piecewise = DrawAfterTenSeconds(false);
    const std::vector<uint32_t> baked = DrawAfterTenSeconds(true);
    // The middle of the screen shows the brick wall, not the sky, either way.
    int differing = 0;
    for (int y = 250; y < 450; ++y) {
        for (int x = 150; x < 650; ++x)
            differing += piecewise[size_t(y) * 800 + size_t(x)] != baked[size_t(y) * 800 + size_t(x)] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0);
}

} // namespace
