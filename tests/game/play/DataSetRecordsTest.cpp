// Every record of the committed data index built through the game's own
// loader with the gameplay's object kinds, the way the game opens it: screens
// by name, Flood levels by number, Journey levels by number from the relaxed
// list, tricks from 1000. Each runs 200 ticks and draws; no file it names is
// missing, nothing fails to load, and the record stays the screen that was
// asked for. The level files also keep the shape the gameplay looks for.
#include "game/engine/AnimObject.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/GameState.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/PlayHooks.h"
#include "support/CommittedDataFixture.h"
#include "support/FakePlatformRecorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Record {
    std::string name;
    int number;
    int mode; // the profile mode the record is opened in
};

class DataSetRecordsTest : public LumoTest::CommittedDataFixture {
protected:
    void SetUp() override
    {
        CommittedDataFixture::SetUp();
        MakeGame();
        mGame->mHooks = &mHooks;
        LoadGameData("config.xml");
        CloseAll(); // the loader opens the main menu
        ASSERT_TRUE(mMessages.empty()) << mMessages.front();
    }
    void TearDown() override
    {
        CloseAll();
        CommittedDataFixture::TearDown();
    }

    void CloseAll()
    {
        if (!mGame)
            return;
        for (AnimObject* screen = mGame->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
            screen->mRemove = 1;
        UpdateLiveObjects(*mGame);
    }

    std::vector<Record> AllRecords() const
    {
        std::vector<Record> records;
        for (const LevelRecord* r = mGame->mMainLevels.Head(); r != nullptr; r = r->mNext)
            records.push_back({r->mName, r->mNumber, 0});
        for (const LevelRecord* r = mGame->mRelaxedLevels.Head(); r != nullptr; r = r->mNext)
            records.push_back({r->mName, r->mNumber, 1});
        for (const LevelRecord* r = mGame->mTrickLevels.Head(); r != nullptr; r = r->mNext)
            records.push_back({r->mName, 1000 + r->mNumber, 3});
        return records;
    }

    // The first live screen's child (at any depth) of that name.
    static AnimObject* Find(AnimObject* object, const char* name)
    {
        for (AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (std::strcmp(child->mName, name) == 0)
                return child;
            if (AnimObject* found = Find(child, name))
                return found;
        }
        return nullptr;
    }

    LumoTest::FakePlatformRecorder mBoxes; // failure boxes of the image cache land here
    PlayHooks mHooks;
};

TEST_F(DataSetRecordsTest, EveryRecordBuildsAndRuns200Ticks)
{
    const std::vector<Record> records = AllRecords();
    // The screens between levels, nine buildings and a goal in each of Flood
    // and Journey, and the two rows of tricks.
    int flood = 0, journey = 0, tricks = 0;
    for (const Record& r : records) {
        flood += r.mode == 0 && r.number > 0;
        journey += r.mode == 1;
        tricks += r.mode == 3;
    }
    EXPECT_EQ(flood, 10);
    EXPECT_EQ(journey, 10);
    EXPECT_EQ(tricks, 26);

    for (const Record& r : records) {
        SCOPED_TRACE(r.name + " " + std::to_string(r.number));
        mMessages.clear();
        mHooks.SetProfileMode(r.mode);
        if (r.number == 0)
            InsertLevelByName(r.name.c_str());
        else
            InsertLevelByNumber(r.number);
        AnimObject* screen = mGame->mLiveObjects.Head();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(r.name, screen->mName);
        for (int tick = 0; tick < 200 && mGame->mLiveObjects.Head() != nullptr; ++tick)
            UpdateLiveObjects(*mGame);
        DrawLiveObjects(*mGame);
        // The loader reports a missing file, a broken tag or a cut value here.
        EXPECT_TRUE(mMessages.empty()) << mMessages.front();
        EXPECT_TRUE(mBoxes.boxes.empty()) << mBoxes.boxes.front().text;
        mBoxes.boxes.clear();
        CloseAll();
    }
}

// Names the gameplay looks up in a played level: the layers by name, the
// shooter's beam and fish, the water, and a thumbnail on every Flood and
// Journey record (the map counts only records that have one).
TEST_F(DataSetRecordsTest, PlayedLevelsCarryTheNamesTheGameplayLooksFor)
{
    for (const Record& r : AllRecords()) {
        if (r.number == 0)
            continue;
        SCOPED_TRACE(r.name + " " + std::to_string(r.number));
        mHooks.SetProfileMode(r.mode);
        InsertLevelByNumber(r.number);
        AnimObject* level = mGame->mLiveObjects.Head();
        ASSERT_NE(level, nullptr);
        if (r.name.find("win_seq") == std::string::npos) {
            for (const char* name : {"background", "tiles", "plate_container", "shooter", "water", "beam"})
                EXPECT_NE(Find(level, name), nullptr) << name;
        }
        CloseAll();
    }
    for (const LevelRecord* r : {mGame->mMainLevels.Head(), mGame->mRelaxedLevels.Head()}) {
        for (; r != nullptr; r = r->mNext) {
            if (r->mNumber == 0)
                continue;
            const std::string text(r->mText.get(), size_t(r->mTextLength));
            EXPECT_NE(text.substr(0, text.find('>')).find("thumbnail=\""), std::string::npos) << r->mName;
        }
    }
}

// The generator's record of where each trick's winning throw goes: one line a
// trick, in order, inside the screen.
TEST(DataSetTricksTest, EveryTrickHasItsThrow)
{
    std::ifstream in(LumoTest::CommittedDataFolder() + "../tests/data/tricks.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    int expected = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        int index = -1;
        double x = -1;
        std::string family;
        fields >> index >> x >> family;
        EXPECT_EQ(index, expected++);
        EXPECT_GT(x, 40.0);
        EXPECT_LT(x, 760.0);
        EXPECT_FALSE(family.empty());
    }
    EXPECT_EQ(expected, 26);
}

} // namespace
