// The built-in honour rolls of a new player file, one per mode, and a score
// entered into the mode's roll.
#include "game/engine/PlayerProfiles.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using HonorRollTest = ModeFixture;

TEST_F(HonorRollTest, NewPlayerFileHoldsEachModesBuiltInRoll)
{
    struct Row {
        int place;
        int32_t levelScore, trickScore;
        const char* levelTime;
        int32_t survivalScore;
        const char* survivalTime;
    };
    // Times worked out from the tick counts: ticks / 15000 minutes, ticks / 250 mod 60 seconds.
    const Row rows[] = {
        {0, 2100000, 550000, "25:00", 150000, "15:00"},
        {4, 1860000, 350000, "16:40", 110000, "11:00"},
        {5, 1800000, 320000, "18:20", 100000, "10:00"},
        {7, 1700000, 250000, "15:00", 60000, "6:00"},
        // The last two stand above the eighth: the built-in rolls are not sorted.
        {8, 1800000, 250000, "13:20", 60000, "6:00"},
        {9, 1800000, 250000, "11:40", 60000, "6:00"},
    };
    PlayerProfiles& profiles = mGame->mProfiles;
    profiles.mProfiles[4].SetName("Old");
    profiles.mProfiles[4].mProgress[1] = 9;
    profiles.mRolls[4][0].mScore = 5;
    profiles.CreateDefaults();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.place);
        for (int mode : {0, 1}) {
            EXPECT_EQ(profiles.mRolls[mode][row.place].mScore, row.levelScore);
            EXPECT_STREQ(profiles.mRolls[mode][row.place].mText, row.levelTime);
        }
        EXPECT_EQ(profiles.mRolls[3][row.place].mScore, row.trickScore);
        EXPECT_STREQ(profiles.mRolls[3][row.place].mText, row.levelTime);
        EXPECT_EQ(profiles.mRolls[2][row.place].mScore, row.survivalScore);
        EXPECT_STREQ(profiles.mRolls[2][row.place].mText, row.survivalTime);
        EXPECT_NE(profiles.mRolls[0][row.place].mName[0], '\0');
    }
    EXPECT_STREQ(profiles.mRolls[1][3].mName, profiles.mRolls[2][3].mName);
    for (const PlayerProfile& profile : profiles.mProfiles) {
        EXPECT_FALSE(profile.IsUsed());
        EXPECT_EQ(profile.mProgress[1], 0);
        for (int32_t tries : profile.mTries)
            EXPECT_EQ(tries, 3);
    }
    // The fifth roll keeps the engine's own defaults.
    EXPECT_EQ(profiles.mRolls[4][0].mScore, 200000);
}

TEST_F(HonorRollTest, AnEnteredScoreLandsInTheCurrentModesRollInOrder)
{
    SetMode(2, 0);
    Player().mScore = 125000;
    mGame->mProfiles.AddScore("3:10");
    const HonorRollEntry* roll = mGame->mProfiles.mRolls[2];
    EXPECT_EQ(roll[3].mScore, 125000);
    EXPECT_STREQ(roll[3].mName, "Mira");
    EXPECT_STREQ(roll[3].mText, "3:10");
    EXPECT_EQ(roll[2].mScore, 130000);
    EXPECT_EQ(roll[4].mScore, 120000);
    EXPECT_EQ(roll[8].mScore, 60000);
    EXPECT_EQ(Key("HIGH_SCORE_NAME_3"), "4. Mira");
    EXPECT_EQ(Key("HIGH_SCORE_TIME_3"), "3:10");
    EXPECT_EQ(mGame->mProfiles.mRolls[0][4].mScore, 1860000);
}

} // namespace
