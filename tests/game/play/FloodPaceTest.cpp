// The committed Flood buildings against the tuning of the committed data: a
// player who never throws is sunk ("SUNK!", the playfield in "defeat") after
// one to three minutes of play, and the tuning values the data set promises
// are the ones config.xml gives.
//
// Ticks count from the level's first update: the level opens straight into
// play (the intro only fades the music over, it holds nothing), so tick 1 is
// the first tick the building sinks. An experienced player is assumed: the
// explanation of the mode and Cupid's message were seen, so no screen opens
// above the level and stops its sinking.
#include "CommittedPlayFixture.h"

#include "game/engine/GameState.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/GameModes.h"
#include "game/play/PlayState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kTicksPerMinute = 15000;

class FloodPaceTest : public LumoTest::CommittedPlayFixture {
protected:
    void TearDown() override
    {
        Play().Reset();
        CommittedPlayFixture::TearDown();
    }

    // The Flood list's buildings that sink: every record but the goal and
    // the still trick.
    std::vector<int> SinkingLevels() const
    {
        std::vector<int> numbers;
        for (const LevelRecord* r = mGame->mMainLevels.Head(); r != nullptr; r = r->mNext) {
            const std::string name = r->mName;
            if (r->mNumber > 0 && name.find("win_sequence") == std::string::npos && name != "trickshot")
                numbers.push_back(r->mNumber);
        }
        return numbers;
    }

    struct Outcome {
        int tick = 0; // the tick the playfield left "scrolling"; 0 when it never did
        std::string stage;
        bool sunkShown = false;
    };

    // Opens building `number` afresh for a new player's difficulty and lets it
    // sink untouched for at most `limit` ticks.
    Outcome SinkUntouched(int number, int limit)
    {
        Play().Reset();
        Tuning() = mTuning;
        mGame->mRandom.SeedRandom(20261211);
        mGame->mLiveObjects.RemoveAll();
        PlayerProfile& player = mGame->mProfiles.Current();
        mPlay.SetProfileMode(kFlood);
        player.mExplainFloodShown = 1;
        player.mCupidSaveUsed = 1;
        player.mDifficulty = mTuning.mInitialDifficulty;
        InsertLevelByNumber(number);
        Outcome outcome;
        AnimObject* level = mGame->Topmost();
        if (level == nullptr)
            return outcome;
        for (int tick = 1; tick <= limit && outcome.tick == 0; ++tick) {
            UpdateLiveObjects(*mGame);
            const AnimObject* middle = mGame->mMiddleLayer;
            if (middle != nullptr && middle->CurrentStage() != nullptr &&
                std::strcmp(middle->CurrentStage()->mName, "scrolling") != 0) {
                outcome.tick = tick;
                outcome.stage = middle->CurrentStage()->mName;
            }
        }
        Ticks(2);
        for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (const auto* text = dynamic_cast<const TextObject*>(child))
                outcome.sunkShown = outcome.sunkShown || text->GetText() == "SUNK!";
        }
        return outcome;
    }

    TuningParameters mTuning;
};

TEST_F(FloodPaceTest, TheDataSetsTuningIsWhatConfigGives)
{
    const TuningParameters& tuning = Tuning();
    EXPECT_EQ(tuning.mNumberOfUniqueSlots, 5);
    EXPECT_GT(tuning.mBumpsToExplode, 0);
    EXPECT_EQ(tuning.mTossOnFilledSlot, 1);
}

// A new player who never throws: the building sinks at the capped pace from
// its first tick, and the bottom row, which starts above the screen, reaches
// the water after a minute. The sanitizer build sinks the first building only.
TEST_F(FloodPaceTest, AnUntouchedBuildingSinksAfterOneToThreeMinutes)
{
    mTuning = Tuning();
    std::vector<int> numbers = SinkingLevels();
    ASSERT_EQ(numbers.size(), 8u); // nine buildings, one of them the trick
#ifndef NDEBUG
    numbers.resize(1);
#endif
    for (int number : numbers) {
        SCOPED_TRACE("building " + std::to_string(number));
        const Outcome outcome = SinkUntouched(number, 3 * kTicksPerMinute + 1);
        EXPECT_EQ(outcome.stage, "defeat");
        EXPECT_GE(outcome.tick, kTicksPerMinute);
        EXPECT_LE(outcome.tick, 3 * kTicksPerMinute);
        EXPECT_TRUE(outcome.sunkShown);
    }
}

} // namespace
