// The player file's records: every field at its place in the bytes, the
// ranges the game does not use kept, what a damaged file is made into, the
// defaults, honour-roll entries and the progress reset.
#include "game/engine/PlayerProfiles.h"

#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr size_t kFileSize = 52284;
constexpr size_t kRecord = 4728;

size_t ProfileAt(int index)
{
    return 4 + kRecord * size_t(index);
}

size_t RollEntryAt(int roll, int entry)
{
    return 47284 + 1000 * size_t(roll) + 100 * size_t(entry);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = uint8_t(value >> (8 * i));
}

void PutText(std::vector<uint8_t>& bytes, size_t at, const std::string& text)
{
    std::memcpy(bytes.data() + at, text.data(), text.size());
}

// Counts the gameplay's calls.
class CountingHooks : public GameHooks {
public:
    void ResetTrickshotProgress() override { ++trickResets; }
    void ResetHonorRolls(PlayerProfiles& profiles) override
    {
        ++rollResets;
        profiles.mRolls[0][0].mScore = 2100000;
    }
    int trickResets = 0;
    int rollResets = 0;
};

class PlayerProfilesTest : public ::testing::Test {
protected:
    PlayerProfilesTest() { game.mHooks = &hooks; }

    PlayerProfiles& Profiles() { return game.mProfiles; }

    CountingHooks hooks;
    GameState game;
};

TEST_F(PlayerProfilesTest, ReadsEveryFieldAtItsOffsetAndWritesTheSameBytesBack)
{
    // Every byte distinct-ish, so a field read from the wrong place or a
    // range not written back shows.
    std::vector<uint8_t> bytes(kFileSize);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + 3);
    // Modes, difficulties and text ends valid everywhere, so that the
    // written bytes can be compared whole.
    for (int i = 0; i < 10; ++i) {
        Put32(bytes, ProfileAt(i) + 0x60, uint32_t(i % 4));
        Put32(bytes, ProfileAt(i) + 0x68, 0x40000000u); // 2.0f
        bytes[ProfileAt(i) + 63] = 0;
        for (int m = 0; m < 4; ++m) {
            Put32(bytes, ProfileAt(i) + 0x40 + 4 * size_t(m), uint32_t(i + m));
            Put32(bytes, ProfileAt(i) + 0x1098 + 4 * size_t(m), uint32_t(m - 1));
        }
        Put32(bytes, ProfileAt(i) + 0x1260, uint32_t(i));
    }
    for (int roll = 0; roll < 5; ++roll) {
        for (int entry = 0; entry < 10; ++entry) {
            bytes[RollEntryAt(roll, entry) + 31] = 0;
            bytes[RollEntryAt(roll, entry) + 99] = 0;
        }
    }

    Put32(bytes, 0, 2);
    const size_t p = ProfileAt(2);
    PutText(bytes, p, std::string("Mira\0", 5));
    Put32(bytes, p + 0x40, 11);
    Put32(bytes, p + 0x4c, 44);
    Put32(bytes, p + 0x50, 1);
    Put32(bytes, p + 0x54, 5);
    Put32(bytes, p + 0x5c, 123456);
    Put32(bytes, p + 0x60, 3);
    Put32(bytes, p + 0x68, 0x3f400000u); // 0.75f
    Put32(bytes, p + 0x1084, 9);
    Put32(bytes, p + 0x1098 + 4, 2);
    Put32(bytes, p + 0x10ac + 12, 777);
    Put32(bytes, p + 0x10c0 + 4 * (13 * 7 + 12), 1);
    Put32(bytes, p + 0x1260, 6);
    Put32(bytes, p + 0x1264, 1);
    Put32(bytes, p + 0x1268, 0);
    Put32(bytes, p + 0x126c, 1);
    Put32(bytes, p + 0x1270, 1);
    Put32(bytes, p + 0x1274, 1);
    PutText(bytes, RollEntryAt(3, 4), std::string("Teo\0", 4));
    Put32(bytes, RollEntryAt(3, 4) + 32, 0xfffffffeu);
    PutText(bytes, RollEntryAt(3, 4) + 36, std::string("12:05\0", 6));
    ASSERT_TRUE(Profiles().Read(bytes.data(), bytes.size()));
    EXPECT_EQ(Profiles().mCurrent, 2);
    const PlayerProfile& mira = Profiles().Current();
    EXPECT_STREQ(mira.mName, "Mira");
    EXPECT_EQ(mira.mProgress[0], 11);
    EXPECT_EQ(mira.mProgress[3], 44);
    EXPECT_EQ(mira.mInstructions, 1);
    EXPECT_EQ(mira.mLevelSelect, 5);
    EXPECT_EQ(mira.mScore, 123456);
    EXPECT_EQ(mira.mMode, 3);
    EXPECT_EQ(mira.mDifficulty, 0.75f);
    EXPECT_EQ(mira.mResetTries[0], 9);
    EXPECT_EQ(mira.mTries[1], 2);
    EXPECT_EQ(mira.mBankedScore[3], 777);
    EXPECT_EQ(mira.mTrickDone[7][12], 1);
    EXPECT_EQ(mira.mTrickStreak, 6);
    EXPECT_EQ(mira.mFloodUnlocked, 1);
    EXPECT_EQ(mira.mTrickshotUnlocked, 0);
    EXPECT_EQ(mira.mSurvivalUnlocked, 1);
    EXPECT_EQ(mira.mCupidSaveUsed, 1);
    EXPECT_EQ(mira.mExplainFloodShown, 1);
    const HonorRollEntry& teo = Profiles().mRolls[3][4];
    EXPECT_STREQ(teo.mName, "Teo");
    EXPECT_EQ(teo.mScore, -2);
    EXPECT_STREQ(teo.mText, "12:05");

    std::vector<uint8_t> written(kFileSize, 0xcc);
    Profiles().Write(written.data());
    EXPECT_EQ(written, bytes);
}

TEST_F(PlayerProfilesTest, ADamagedFileIsMadeSafeWithoutLosingTheRestOfIt)
{
    struct Case {
        const char* what;
        int32_t current;
        int namedSlot; // -1: no named profile
        int32_t mode;
        uint32_t difficultyBits;
        int32_t wantCurrent;
        int32_t wantMode;
        float wantDifficulty;
    };
    const Case cases[] = {
        {"index 10, slot 4 named", 10, 4, 1, 0x3f800000u, 4, 1, 1.0f},
        {"index -1, nobody named", -1, -1, 2, 0x3f800000u, 0, 2, 1.0f},
        {"index 9 kept", 9, 4, 3, 0x3f800000u, 9, 3, 1.0f},
        {"mode 7", 0, 0, 7, 0x3f800000u, 0, 0, 1.0f},
        {"mode -1", 0, 0, -1, 0x3f800000u, 0, 0, 1.0f},
        {"NaN difficulty", 0, 0, 1, 0x7fc00000u, 0, 1, 0.0f},
        {"infinite difficulty", 0, 0, 1, 0x7f800000u, 0, 1, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes(kFileSize, 'x'); // no NUL anywhere
        Put32(bytes, 0, uint32_t(c.current));
        for (int i = 0; i < 10; ++i) {
            if (i != c.namedSlot)
                bytes[ProfileAt(i)] = 0;
            Put32(bytes, ProfileAt(i) + 0x60, uint32_t(c.mode));
            Put32(bytes, ProfileAt(i) + 0x68, c.difficultyBits);
            Put32(bytes, ProfileAt(i) + 0x5c, 4242);
        }
        ASSERT_TRUE(Profiles().Read(bytes.data(), bytes.size()));
        EXPECT_EQ(Profiles().mCurrent, c.wantCurrent);
        for (const PlayerProfile& profile : Profiles().mProfiles) {
            EXPECT_EQ(profile.mMode, c.wantMode);
            EXPECT_EQ(profile.mDifficulty, c.wantDifficulty);
            EXPECT_EQ(profile.mScore, 4242);
            EXPECT_LE(std::strlen(profile.mName), 63u);
        }
        if (c.namedSlot >= 0) {
            EXPECT_EQ(std::string(Profiles().mProfiles[c.namedSlot].mName), std::string(63, 'x'));
        }
        for (const auto& roll : Profiles().mRolls) {
            for (const HonorRollEntry& entry : roll) {
                EXPECT_EQ(std::string(entry.mName), std::string(31, 'x'));
                EXPECT_EQ(std::string(entry.mText), std::string(63, 'x'));
            }
        }
    }
}

// Progress, tries and the streak serve as indexes and counts: a value out of
// range becomes what a new player has, the values at the edges stay.
TEST_F(PlayerProfilesTest, OutOfRangeProgressTriesAndStreakStartOver)
{
    struct Case {
        size_t offset;
        uint32_t value;
        int32_t want;
    };
    const Case cases[] = {
        {0x40, 999, 999},               // Flood progress: the last level number
        {0x40, 1000, 0},                // a trick number is no Flood progress
        {0x44, uint32_t(-1), 0},        // Journey
        {0x48, 0x7fffffffu, 0},         // Survival
        {0x4c, 103, 103},               // Trickshot: the last trick index
        {0x4c, 104, 0},
        {0x1098, uint32_t(-1), -1},     // Flood tries: -1 is "no try left"
        {0x1098, uint32_t(-2), 3},
        {0x109c, 999, 999},
        {0x10a4, 1000, 3},
        {0x1260, 104, 104},             // streak: at most every trick
        {0x1260, 105, 0},
        {0x1260, uint32_t(-1), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset 0x" << std::hex << c.offset << " value " << std::dec << c.value);
        std::vector<uint8_t> bytes(kFileSize, 0);
        Put32(bytes, ProfileAt(6) + c.offset, c.value);
        ASSERT_TRUE(Profiles().Read(bytes.data(), bytes.size()));
        std::vector<uint8_t> record(kRecord);
        Profiles().mProfiles[6].Write(record.data());
        int32_t read = 0;
        std::memcpy(&read, record.data() + c.offset, 4);
        EXPECT_EQ(read, c.want);
    }
}

TEST_F(PlayerProfilesTest, ReadRefusesAnyOtherSizeAndKeepsWhatWasThere)
{
    Profiles().CreateDefaults();
    Profiles().mProfiles[0].SetName("Kept");
    for (size_t size : {size_t(0), kFileSize - 1, kFileSize + 1}) {
        std::vector<uint8_t> bytes(size + 1, 0x55);
        EXPECT_FALSE(Profiles().Read(bytes.data(), size));
    }
    EXPECT_STREQ(Profiles().mProfiles[0].mName, "Kept");
}

TEST_F(PlayerProfilesTest, DefaultsHoldTheBuiltInRollsAndNewPlayers)
{
    Profiles().mCurrent = 5;
    Profiles().mProfiles[5].SetName("Old");
    Profiles().CreateDefaults();

    EXPECT_EQ(Profiles().mCurrent, 0);
    EXPECT_EQ(Profiles().CountUsedProfiles(), 0);
    for (const PlayerProfile& profile : Profiles().mProfiles) {
        EXPECT_EQ(profile.mScore, 0);
        for (int32_t tries : profile.mTries)
            EXPECT_EQ(tries, 3);
    }
    const int scores[10] = {200000, 180000, 160000, 140000, 120000, 100000, 90000, 80000, 70000, 60000};
    const char* times[10] = {"25:00", "23:20", "21:40", "20:00", "16:40", "18:20", "16:40", "15:00", "13:20", "11:40"};
    for (int roll = 0; roll < 5; ++roll) {
        for (int i = 0; i < 10; ++i) {
            const HonorRollEntry& entry = Profiles().mRolls[roll][i];
            if (roll != 0 || i != 0) {
                EXPECT_EQ(entry.mScore, scores[i]);
            }
            EXPECT_STREQ(entry.mText, times[i]);
            EXPECT_GT(std::strlen(entry.mName), 0u);
        }
    }
    // The gameplay's own rolls come last.
    EXPECT_EQ(hooks.rollResets, 1);
    EXPECT_EQ(Profiles().mRolls[0][0].mScore, 2100000);
}

TEST_F(PlayerProfilesTest, AddScoreSortsTheFirstNineAndLeavesTheTenth)
{
    Profiles().CreateDefaults();
    PlayerProfile& player = Profiles().Current();
    player.mMode = 2;
    HonorRollEntry* roll = Profiles().mRolls[2];
    roll[9].mScore = 999999999;
    std::strcpy(roll[9].mName, "Tenth");

    // Below every entry: replaces the ninth and stays last of nine.
    player.SetName("Low");
    player.mScore = 5;
    Profiles().AddScore("0:05");
    EXPECT_STREQ(roll[8].mName, "Low");
    EXPECT_EQ(roll[8].mScore, 5);
    EXPECT_STREQ(roll[8].mText, "0:05");
    EXPECT_EQ(roll[7].mScore, 80000);
    EXPECT_STREQ(roll[9].mName, "Tenth");
    EXPECT_EQ(roll[9].mScore, 999999999);

    // Equal to the second: lands after it, the earlier entry keeps its place.
    const std::string second = roll[1].mName;
    player.SetName("Same");
    player.mScore = 180000;
    Profiles().AddScore(nullptr);
    EXPECT_EQ(std::string(roll[1].mName), second);
    EXPECT_STREQ(roll[2].mName, "Same");
    EXPECT_STREQ(roll[2].mText, "");
    EXPECT_EQ(roll[3].mScore, 160000);

    // A long name is cut to fit the entry; a top score goes first.
    player.SetName(std::string(63, 'n').c_str());
    player.mScore = 300000;
    Profiles().AddScore("1:00");
    EXPECT_EQ(std::string(roll[0].mName), std::string(31, 'n'));
    EXPECT_STREQ(roll[9].mName, "Tenth");
}

TEST_F(PlayerProfilesTest, TheSameRunEnteredAgainStaysOneLine)
{
    Profiles().CreateDefaults();
    PlayerProfile& player = Profiles().Current();
    player.mMode = 3;
    player.SetName("Mira");
    player.mScore = 380670;
    HonorRollEntry* roll = Profiles().mRolls[3];
    const auto countMira = [&] {
        int count = 0;
        for (int i = 0; i < PlayerProfiles::kRollSize; ++i)
            count += std::strcmp(roll[i].mName, "Mira") == 0 ? 1 : 0;
        return count;
    };

    // A finished game continued twice reaches its score screen twice.
    Profiles().AddScore("");
    const std::string eighth = roll[7].mName;
    Profiles().AddScore("");
    EXPECT_EQ(countMira(), 1);
    EXPECT_EQ(std::string(roll[7].mName), eighth); // nothing moved down

    // Another score, or another text, is another run.
    player.mScore = 380000;
    Profiles().AddScore("");
    Profiles().AddScore("4:00");
    EXPECT_EQ(countMira(), 3);
}

TEST_F(PlayerProfilesTest, CompareOrdersHigherScoresFirstAndCallsEqualsEqual)
{
    HonorRollEntry high, low, same;
    high.mScore = 10;
    low.mScore = -3;
    same.mScore = 10;
    EXPECT_LT(CompareHonorRollEntries(high, low), 0);
    EXPECT_GT(CompareHonorRollEntries(low, high), 0);
    EXPECT_EQ(CompareHonorRollEntries(high, same), 0);
    HonorRollEntry minimum, maximum;
    minimum.mScore = std::numeric_limits<int32_t>::min();
    maximum.mScore = std::numeric_limits<int32_t>::max();
    EXPECT_LT(CompareHonorRollEntries(maximum, minimum), 0);
}

TEST_F(PlayerProfilesTest, ProgressResetTouchesOnlyTheCurrentMode)
{
    Profiles().CreateDefaults();
    Profiles().SetCurrent(1);
    PlayerProfile& player = Profiles().Current();
    player.mMode = 1;
    for (int m = 0; m < 4; ++m) {
        player.mProgress[m] = 10 + m;
        player.mBankedScore[m] = 100 + m;
        player.mTries[m] = 0;
    }
    player.mScore = 999;
    Profiles().ResetProfileProgress();
    EXPECT_EQ(player.mProgress[1], 0);
    EXPECT_EQ(player.mBankedScore[1], 0);
    EXPECT_EQ(player.mTries[1], 3);
    EXPECT_EQ(player.mResetTries[1], 3);
    EXPECT_EQ(player.mScore, 0);
    EXPECT_EQ(player.mProgress[0], 10);
    EXPECT_EQ(player.mBankedScore[2], 102);
    EXPECT_EQ(player.mTries[3], 0);
    EXPECT_EQ(hooks.trickResets, 1);
}

TEST_F(PlayerProfilesTest, TheModeTakesOnlyTheFourGameModes)
{
    Profiles().CreateDefaults();
    for (int mode : {2, 7, -1, 4, 3, 0}) {
        const int before = hooks.GetProfileMode();
        hooks.SetProfileMode(mode);
        EXPECT_EQ(hooks.GetProfileMode(), mode >= 0 && mode <= 3 ? mode : before) << mode;
    }
}

TEST_F(PlayerProfilesTest, CountsOnlyNamedSlots)
{
    Profiles().CreateDefaults();
    Profiles().mProfiles[3].mScore = 50; // set fields, no name: still free
    EXPECT_EQ(Profiles().CountUsedProfiles(), 0);
    EXPECT_EQ(Profiles().FirstFreeProfile(), 0);
    Profiles().mProfiles[0].SetName("A");
    Profiles().mProfiles[7].SetName("B");
    EXPECT_EQ(Profiles().CountUsedProfiles(), 2);
    EXPECT_EQ(Profiles().FirstFreeProfile(), 1);
    EXPECT_EQ(Profiles().FirstUsedProfile(), 0);
    EXPECT_FALSE(Profiles().SetCurrent(10));
    EXPECT_FALSE(Profiles().SetCurrent(-1));
    EXPECT_EQ(Profiles().mCurrent, 0);
}

} // namespace
