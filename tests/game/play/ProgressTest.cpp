// What follows a won level in each mode, the trick order, and the progress
// reset of the trick table.
#include "game/engine/PlayerProfiles.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ProgressTest : public ModeFixture {
protected:
    // The levels and the win sequence in both lists, screens around them.
    void FillLists(int levels)
    {
        AddRecord(mGame->mMainLevels, 0, "main_menu");
        for (int n = 1; n <= levels; ++n) {
            AddRecord(mGame->mMainLevels, n, ("level_" + std::to_string(n)).c_str());
            AddRecord(mGame->mRelaxedLevels, n, ("relaxed_" + std::to_string(n)).c_str());
        }
        AddRecord(mGame->mMainLevels, levels + 1, "win_sequence");
        AddRecord(mGame->mRelaxedLevels, levels + 1, "win_sequence");
        // A plain screen listed after the levels must not end the game.
        AddRecord(mGame->mMainLevels, 0, "high_scores");
    }
    void AddTricks(int count)
    {
        for (int i = 0; i < count; ++i)
            AddRecord(mGame->mTrickLevels, i, ("trick_" + std::to_string(i)).c_str());
    }
    void SetDone(int index) { Player().mTrickDone[index / 13][index % 13] = 1; }
};

TEST_F(ProgressTest, NextLevelChoosesMapLevelOrEndAndOpensModes)
{
    struct Case {
        const char* what;
        int mode, progress, flag;
        std::vector<const char*> screens; // bottom first
        int levels;                       // 0: empty lists
        const char* result;
        unsigned next;
        int wantFlag, flood, trick, survival;
    };
    const Case cases[] = {
        {"Flood after 3", 0, 3, 0, {"level_3", "level_summary"}, 8, "level_select", 4, 1, 0, 0, 0},
        {"Flood after 3, map live", 0, 3, 1, {"level_select", "level_summary"}, 8, "4", 4, 1, 1, 0, 0},
        {"Flood after 4", 0, 4, 1, {"level_4", "level_summary"}, 8, "5", 5, 1, 1, 0, 0},
        {"Journey after 2", 1, 2, 0, {"relaxed_2", "relaxed_summary"}, 8, "3", 3, 0, 1, 0, 0},
        {"Journey after 3", 1, 3, 0, {"relaxed_3", "relaxed_summary"}, 8, "level_select", 4, 1, 0, 0, 0},
        {"Journey second-to-last", 1, 4, 1, {"relaxed_4", "relaxed_summary"}, 5, "level_select", 5, 1, 0, 1, 0},
        {"Journey second-to-last, map", 1, 4, 1, {"level_select"}, 5, "5", 5, 1, 0, 1, 0},
        {"Flood second-to-last", 0, 4, 0, {"level_4", "level_summary"}, 5, "level_select", 5, 1, 0, 0, 1},
        {"Flood second-to-last, map", 0, 4, 0, {"level_select"}, 5, "5", 5, 0, 0, 0, 1},
        {"Flood last", 0, 5, 1, {"level_5"}, 5, "high_scores", 6, 1, 0, 0, 0},
        {"Journey last", 1, 5, 1, {"relaxed_5"}, 5, "high_scores", 6, 1, 0, 0, 0},
        {"first level", 0, 0, 0, {"main_menu", "loading"}, 8, "tutorial2", 0, 0, 0, 0, 0},
        {"after the tutorial", 1, 0, 0, {"tutorial2"}, 8, "level_select", 1, 1, 0, 0, 0},
        {"first level after the map", 1, 0, 1, {"level_select"}, 8, "1", 1, 1, 0, 0, 0},
        {"menu live sends to the map", 0, 1, 1, {"main_menu", "level_1"}, 8, "level_select", 2, 1, 0, 0, 0},
        {"Survival", 2, 7, 0, {"endless"}, 8, "endless", 8, 0, 0, 0, 0},
        {"Trickshot", 3, 12, 0, {"trick_12"}, 8, "NEXT_TRICKSHOT", 13, 0, 0, 0, 0},
        {"empty list", 0, 1, 1, {"level_1"}, 0, "high_scores", 2, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mGame->mLiveObjects.RemoveAll();
        mGame->mMainLevels.RemoveAll();
        mGame->mRelaxedLevels.RemoveAll();
        if (c.levels > 0)
            FillLists(c.levels);
        for (const char* name : c.screens)
            AddScreen(name);
        PlayerProfile& player = Player();
        player.ResetToDefault();
        player.SetName("Mira");
        SetMode(c.mode, c.progress);
        player.mLevelSelect = c.flag;
        player.mScore = 999;
        player.mBankedScore[c.mode] = 4200;

        EXPECT_EQ(Key("NEXT_LEVEL"), c.result);
        EXPECT_EQ(play.mModes.nextLevelNumber, c.next);
        EXPECT_EQ(player.mScore, 4200);
        EXPECT_EQ(player.mLevelSelect, c.wantFlag);
        EXPECT_EQ(player.mFloodUnlocked, c.flood);
        EXPECT_EQ(player.mTrickshotUnlocked, c.trick);
        EXPECT_EQ(player.mSurvivalUnlocked, c.survival);
        // THIS_LEVEL replays what NEXT_LEVEL chose.
        if (c.mode != 2) {
            EXPECT_EQ(Key("THIS_LEVEL"), std::to_string(c.next));
        }
    }
}

TEST_F(ProgressTest, ThisLevelReadsTheLastWriterOfTheNumber)
{
    SetMode(1, 2);
    EXPECT_EQ(Key("THIS_LEVEL"), "1");
    mGame->mHooks->SetNextLevelNumber(9);
    EXPECT_EQ(Key("THIS_LEVEL"), "9");
    SetMode(2, 0);
    EXPECT_EQ(Key("THIS_LEVEL"), "endless");
}

TEST_F(ProgressTest, NextTrickTakesTheCurrentOneOrAnUndoneOneOfTheFirstOpenRow)
{
    SetMode(3, 3);
    AddTricks(5);
    EXPECT_EQ(Key("NEXT_TRICKSHOT"), "1003");
    EXPECT_EQ(Player().mProgress[3], 3);

    // The current one is done: only tricks with a level count as undone.
    SetDone(0);
    SetDone(1);
    SetDone(3);
    for (uint32_t seed : {1u, 7u, 12345u, 99999u}) {
        mGame->mRandom.SeedRandom(seed);
        Player().mProgress[3] = 3;
        const std::string next = Key("NEXT_TRICKSHOT");
        EXPECT_TRUE(next == "1002" || next == "1004") << next;
        EXPECT_EQ(Player().mProgress[3], std::stoi(next) - 1000);
    }

    SetDone(2);
    SetDone(4);
    EXPECT_EQ(Key("NEXT_TRICKSHOT"), "win_sequence");
}

TEST_F(ProgressTest, NextTrickMovesToTheNextRowWhenTheFirstIsFull)
{
    SetMode(3, 5);
    AddTricks(16);
    for (int i = 0; i < 13; ++i)
        SetDone(i);
    SetDone(14);
    const std::string next = Key("NEXT_TRICKSHOT");
    EXPECT_TRUE(next == "1013" || next == "1015") << next;
}

// A generator stuck on one value draws the same column for ever; the row's
// first undone trick is taken instead.
TEST_F(ProgressTest, NextTrickEndsWithAStuckGenerator)
{
    SetMode(3, 0);
    AddTricks(13);
    for (int i = 0; i < 13; ++i)
        SetDone(i);
    Player().mTrickDone[0][11] = 0;
    for (uint32_t stuck : {0u, 1834132005u}) {
        mGame->mRandom.mState = stuck;
        Player().mProgress[3] = 0;
        EXPECT_EQ(Key("NEXT_TRICKSHOT"), "1011");
    }
}

TEST_F(ProgressTest, ProgressResetClearsTheTrickTableOnlyInTrickshot)
{
    SetMode(0, 4);
    Player().mTrickDone[2][5] = 1;
    Player().mTrickStreak = 4;
    mGame->mProfiles.ResetProfileProgress();
    EXPECT_EQ(Player().mTrickDone[2][5], 1);
    EXPECT_EQ(Player().mTrickStreak, 4);
    EXPECT_EQ(Player().mProgress[0], 0);

    SetMode(3, 30);
    mGame->mProfiles.ResetProfileProgress();
    EXPECT_EQ(Player().mTrickDone[2][5], 0);
    EXPECT_EQ(Player().mTrickStreak, 0);
    EXPECT_EQ(Player().mProgress[3], 0);
}

} // namespace
