// Every record of the committed data index built through the game's own
// loader with the gameplay's object kinds, the way the game opens it: screens
// by name, Flood levels by number, Journey levels by number from the relaxed
// list, tricks from 1000. Each runs 200 ticks and draws; no file it names is
// missing, nothing fails to load, and the record stays the screen that was
// asked for. The level files also keep the shape the gameplay looks for.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameFile.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/GameState.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/LevelRules.h"
#include "game/play/PlayHooks.h"
#include "game/play/Shooter.h"
#include "support/CommittedDataFixture.h"
#include "support/FakePlatformRecorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

Stage* StageNamed(AnimObject* object, const char* name)
{
    for (Stage* stage = object->mStages.Head(); stage != nullptr; stage = stage->mNext) {
        if (std::strcmp(stage->mName, name) == 0)
            return stage;
    }
    return nullptr;
}

void CollectKind(AnimObject* object, int kind, std::vector<AnimObject*>& found)
{
    for (AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kind)
            found.push_back(child);
        CollectKind(child, kind, found);
    }
}

AnimObject* DirectChild(AnimObject* object, const char* name)
{
    for (AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (std::strcmp(child->mName, name) == 0)
            return child;
    }
    return nullptr;
}

std::string FileText(const char* relative)
{
    size_t size = 0;
    std::unique_ptr<char[]> text = ReadWholeFile((LumoTest::CommittedDataFolder() + relative).c_str(), size);
    return text ? std::string(text.get(), size) : std::string();
}

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


// What the gameplay relies on in a played level: the level has no "fade_out"
// stage (playing again sends every screen there, the new level too); the
// shooter, the outer layer and the pointer are the level's own children and
// the shooter's "ready" stage starts a loop (it reloads there); the VICTORY
// text runs five seconds before the middle layer's "victory" may end; a plate's
// "fade_out" shrinks it below scale 1 (its treasures are tossed then) and ends it.
// A basket's sway starts from upright.
TEST_F(DataSetRecordsTest, PlayedLevelsKeepWhatTheGameplayReliesOn)
{
    for (const Record& r : AllRecords()) {
        if (r.number == 0 || r.name.find("win_seq") != std::string::npos)
            continue;
        SCOPED_TRACE(r.name + " " + std::to_string(r.number));
        mHooks.SetProfileMode(r.mode);
        InsertLevelByNumber(r.number);
        AnimObject* level = mGame->mLiveObjects.Head();
        ASSERT_NE(level, nullptr);
        EXPECT_EQ(StageNamed(level, "fade_out"), nullptr);
        AnimObject* shooter = DirectChild(level, "shooter");
        ASSERT_NE(shooter, nullptr);
        Stage* ready = StageNamed(shooter, "ready");
        ASSERT_NE(ready, nullptr);
        EXPECT_NE(ready->mLoopStart, 0);
        EXPECT_NE(DirectChild(level, "background"), nullptr);
        EXPECT_NE(DirectChild(level, "cursor"), nullptr);
        AnimObject* tiles = Find(level, "tiles");
        ASSERT_NE(tiles, nullptr);
        Stage* victory = StageNamed(tiles, "victory");
        ASSERT_NE(victory, nullptr);
        EXPECT_GE(victory->mLength * 4.0f, 5000.0f);
        // The playfield repeats the level's first picture taller than 590 up the
        // building: that must be the facade, not the sky.
        for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindDefault && child->mImage != nullptr && child->mImage->mFrameHeight > 590.0f) {
                EXPECT_STREQ(child->mName, "facade");
                break;
            }
        }
        // A plain picture straight in the plate container gives it an extent, and
        // the container then holds a sinking playfield still by parallax.
        AnimObject* inner = Find(level, "plate_container");
        ASSERT_NE(inner, nullptr);
        if (StageNamed(tiles, "scrolling") != nullptr) {
            for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext)
                EXPECT_FALSE(child->mKind == kKindDefault && child->mImage != nullptr) << child->mName;
        }
        std::vector<AnimObject*> plates;
        CollectKind(level, kKindPlate, plates);
        EXPECT_FALSE(plates.empty());
        for (AnimObject* plate : plates) {
            Stage* fade = StageNamed(plate, "fade_out");
            ASSERT_NE(fade, nullptr) << plate->mName;
            EXPECT_EQ(fade->mNext, nullptr) << plate->mName;
            EXPECT_EQ(fade->mLoopEnd, 0) << plate->mName;
            EXPECT_LT(fade->mEnd[kAttrXScale], 1.0f) << plate->mName;
        }
        // A basket sways about upright: a sway stage without its own rotation
        // would add each swing to the last and spin the basket round.
        if (AnimObject* basket = Find(level, "basket")) {
            Stage* sway = StageNamed(basket, "rotating");
            ASSERT_NE(sway, nullptr);
            EXPECT_NE(sway->mMask & (1u << kAttrRotation), 0u);
            EXPECT_EQ(sway->mStart[kAttrRotation], 0.0f);
        }
        CloseAll();
    }
}

// A summary adds its bonus to the score when the key is resolved, and the
// NEXT_LEVEL key puts the score back to the banked one: so the bonus key comes
// once, and before the next-level key.
TEST_F(DataSetRecordsTest, SummariesBankTheirBonusBeforeTheNextLevelKey)
{
    const struct {
        const char* file;
        const char* bonus;
        const char* next;
    } summaries[] = {
        {"levels\\level_summary.xml", "TOTAL_BONUS", "NEXT_LEVEL"},
        {"levels\\relaxed_summary.xml", "TOTAL_BONUS", "NEXT_LEVEL"},
        {"levels\\trickshot_summary.xml", "TRICKSHOT_BONUS", "NEXT_LEVEL"},
        {"levels\\trickymode_summary.xml", "TRICKSHOT_BONUS", "NEXT_TRICKSHOT"},
    };
    for (const auto& summary : summaries) {
        SCOPED_TRACE(summary.file);
        const std::string text = FileText(summary.file);
        const std::string bonus = std::string("\"") + summary.bonus + "\"";
        const size_t first = text.find(bonus);
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(text.find(bonus, first + 1), std::string::npos);
        const size_t next = text.find(std::string("\"") + summary.next + "\"");
        ASSERT_NE(next, std::string::npos);
        EXPECT_LT(first, next);
    }
}

// The Survival rows: a plate wider than 370 pixels does not fit a row that
// starts with a pair, and the generator may pick any file for such a row.
TEST_F(DataSetRecordsTest, SurvivalPlatesFitARowOfPairs)
{
    for (const char* name : {"stick", "round", "triangle", "x", "block", "semicircle", "spinner", "a", "tosser",
                             "mini_round", "mini_stick", "m", "square", "step", "t"}) {
        const std::string file = std::string("objects\\") + name + "_plate.xml";
        SCOPED_TRACE(file);
        const std::string text = FileText(file.c_str());
        ObjectXmlElement element;
        ReadNextXmlTag(text.c_str(), element);
        ASSERT_TRUE(element.IsTag("object"));
        const char* image = element.GetAttribute("image");
        ASSERT_NE(image, nullptr);
        ImageRecord* record = mGame->mImageCache.Get(image);
        ASSERT_NE(record, nullptr);
        EXPECT_LE(record->mWidth, 370.0f);
        EXPECT_NE(std::string(element.GetAttribute("type")).find("_plate"), std::string::npos);
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

// A Journey try lost with tries left: the building stays, the shooter sinks
// and rises again, and the player throws on. The rise runs the shooter's
// first stage once more, which then has to lead on to "ready".
TEST_F(DataSetRecordsTest, AJourneyShooterRisesAgainAfterALostTry)
{
    for (const Record& r : AllRecords()) {
        if (r.mode != 1 || r.number == 0 || r.name.find("win_seq") != std::string::npos)
            continue;
        SCOPED_TRACE(r.name + " " + std::to_string(r.number));
        mHooks.SetProfileMode(r.mode);
        InsertLevelByNumber(r.number);
        auto* level = dynamic_cast<Level*>(mGame->mLiveObjects.Head());
        ASSERT_NE(level, nullptr);
        AnimObject* tiles = Find(level, "tiles");
        ASSERT_NE(tiles, nullptr);
        if (StageNamed(tiles, "scrolling") == nullptr) {
            CloseAll();
            continue;
        }
        for (int tick = 0; tick < 300; ++tick)
            UpdateLiveObjects(*mGame);
        LevelRules::Defeat(*level);
        auto* shooter = dynamic_cast<Shooter*>(DirectChild(level, "shooter"));
        ASSERT_NE(shooter, nullptr);
        bool sank = false;
        for (int tick = 0; tick < 2000 && (!sank || shooter->ReadyPiece() == nullptr); ++tick) {
            UpdateLiveObjects(*mGame);
            sank = sank || std::strcmp(shooter->CurrentStage()->mName, "sink2") == 0;
        }
        EXPECT_TRUE(sank);
        EXPECT_STREQ(shooter->CurrentStage()->mName, "ready");
        EXPECT_NE(shooter->ReadyPiece(), nullptr);
        CloseAll();
    }
}

} // namespace
