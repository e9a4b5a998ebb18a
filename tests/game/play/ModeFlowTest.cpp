// Journey played through its screens as a player sees them, in a world the
// test writes: the menu's button, loading, the tutorial and its summary, the
// map every third building with its quote, a summary after each building
// (a building is won the way the victory check wins it), the end in the
// honour roll; then the player file read afresh and the menu built again.
#include "game/engine/ObjectLoader.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/TextObject.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kReturn = 13;

// A screen that clears the screens below it as it opens, with one button
// (the Return key) acting on the key given, and more objects inside.
std::string Screen(const char* name, const char* buttonKey, const std::string& inside = std::string(),
                   const char* extra = "")
{
    std::string xml = std::string("<object type=\"level\" name=\"") + name + "\"" + extra + ">\n" +
                      "<stage name=\"open\" ms=\"8\">\n<event type=\"start\" action=\"kill_all_previous\">\n"
                      "<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" +
                      inside;
    if (buttonKey != nullptr) {
        xml += std::string("<object type=\"generic\" name=\"button\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                           "<event type=\"click\" action=\"insert_level\" parm1=\"") +
               buttonKey + "\" alt_key=\"return\">\n</object>\n";
    }
    return xml + "</object>\n";
}

// A screen shown over the one below it (nothing is cleared).
std::string Popup(const char* name, const std::string& inside)
{
    return std::string("<object type=\"level\" name=\"") + name + "\">\n" +
           "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" + inside + "</object>\n";
}

class ModeFlowTest : public ModeFixture {
protected:
    ModeFlowTest()
    {
        mGame->mProfiles.mFile.SetFolder(mFolder.Path());
        mFolder.Write("levels/journey_quotes.xml",
                      "<quotes>\n<quote line1=\"FIRST\">\n<quote line1=\"SECOND\">\n</quotes>\n");
        ObjectList<LevelRecord>& screens = mGame->mMainLevels;
        AddRecord(screens, 0, "main_menu", "", Screen("main_menu", "PICK_LEVEL_SELECT_OR_LOADING2"));
        AddRecord(screens, 0, "loading", "",
                  "<object type=\"level\" name=\"loading\">\n<stage ms=\"100\">\n"
                  "<event type=\"start\" action=\"kill_all_previous\">\n"
                  "<event type=\"end\" action=\"insert_level\" parm1=\"NEXT_LEVEL\">\n"
                  "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n");
        AddRecord(screens, 0, "tutorial2", "", Screen("tutorial2", "LEVEL_SUMMARY"));
        // The bonus is read before the button: the score is banked first.
        AddRecord(screens, 0, "relaxed_summary", "",
                  Popup("relaxed_summary",
                        "<object type=\"text\" name=\"bonus\" string=\"TOTAL_BONUS\" font=\"gfx\\font1.png\">\n"
                        "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n"
                        "<object type=\"generic\" name=\"button\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                        "<event type=\"click\" action=\"insert_level\" parm1=\"NEXT_LEVEL\" alt_key=\"return\">\n"
                        "</object>\n"));
        // The map comes before its button, whose key then names the next building.
        AddRecord(screens, 0, "level_select", "",
                  Screen("level_select", "NEXT_LEVEL",
                         "<object type=\"level_select\" name=\"map\">\n"
                         "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n"));
        AddRecord(screens, 0, "high_scores", "",
                  "<object type=\"level\" name=\"high_scores\">\n<stage ms=\"40\">\n"
                  "<event type=\"start\" action=\"kill_all_previous\">\n"
                  "<event type=\"end\" action=\"enter_high_score\" parm4=\"JOURNEY\">\n"
                  "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n");
        for (int n = 1; n <= 5; ++n) {
            const std::string name = "relaxed_" + std::to_string(n);
            AddRecord(mGame->mRelaxedLevels, n, name.c_str(), "",
                      Screen(name.c_str(), nullptr, "", " thumbnail=\"gfx\\thumb.png\""));
        }
        AddRecord(mGame->mRelaxedLevels, 6, "win_sequence", "",
                  Screen("win_sequence", nullptr, "", " thumbnail=\"gfx\\thumb.png\""));
        // Three tricks, their summary (the next trick is chosen at the press) and the end.
        AddRecord(screens, 0, "trickymode_summary", "",
                  Popup("trickymode_summary",
                        "<object type=\"generic\" name=\"button\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                        "<event type=\"click\" action=\"insert_level\" parm1=\"NEXT_LEVEL\" alt_key=\"return\">\n"
                        "</object>\n"));
        AddRecord(screens, 0, "win_sequence", "", Screen("win_sequence", nullptr));
        for (int i = 0; i < 3; ++i) {
            const std::string name = "trick_" + std::to_string(i);
            AddRecord(mGame->mTrickLevels, i, name.c_str(), "", Screen(name.c_str(), nullptr));
        }
    }

    void PressReturn()
    {
        mGame->mInput.KeyDown(kReturn);
        Ticks(1);
        mGame->mInput.KeyUp(kReturn);
        Ticks(2);
    }

    std::vector<std::string> Screens() const { return ScreenNames(); }

    std::vector<std::string> Quotes() const
    {
        std::vector<std::string> texts;
        for (AnimObject* child = mGame->Topmost()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (auto* text = dynamic_cast<TextObject*>(child))
                texts.push_back(text->GetText());
        }
        return texts;
    }

    // The building on screen is won: progress takes its number, and the
    // summary its mode names opens over it.
    void WinBuilding()
    {
        const auto* level = Topmost();
        ASSERT_NE(level, nullptr);
        Player().mProgress[Player().mMode] = int(level->mLevelNumber);
        InsertLevelByName(Key("LEVEL_SUMMARY").c_str());
        Ticks(3);
    }
};

TEST_F(ModeFlowTest, JourneyFromTheMenuToTheHonourRoll)
{
    SetMode(1, 0);
    InsertLevelByName("main_menu");
    Ticks(5);
    PressReturn();
    EXPECT_EQ(Screens(), (std::vector<std::string>{"loading"}));
    Ticks(30);
    EXPECT_EQ(Screens(), (std::vector<std::string>{"tutorial2"}));
    PressReturn();
    EXPECT_EQ(Screens(), (std::vector<std::string>{"tutorial2", "relaxed_summary"}));
    PressReturn();
    EXPECT_EQ(Screens(), (std::vector<std::string>{"level_select"}));
    EXPECT_EQ(Quotes(), (std::vector<std::string>{"FIRST"}));
    EXPECT_EQ(Player().mLevelSelect, 1);

    // Buildings 1 to 3 follow each other; the map and its next quote come after the third.
    for (int building = 1; building <= 4; ++building) {
        SCOPED_TRACE(building);
        PressReturn();
        ASSERT_NE(Topmost(), nullptr);
        EXPECT_EQ(Screens(), (std::vector<std::string>{"relaxed_" + std::to_string(building)}));
        EXPECT_EQ(Topmost()->mLevelNumber, unsigned(building));
        EXPECT_EQ(Player().mFloodUnlocked, building >= 3 ? 1 : 0);
        WinBuilding();
        if (building == 3) {
            PressReturn();
            EXPECT_EQ(Screens(), (std::vector<std::string>{"level_select"}));
            EXPECT_EQ(Quotes(), (std::vector<std::string>{"SECOND"}));
        }
    }
    // The fourth is the second-to-last: Trickshot opens, and the map comes again.
    EXPECT_EQ(Player().mTrickshotUnlocked, 1);
    PressReturn();
    EXPECT_EQ(Screens(), (std::vector<std::string>{"level_select"}));
    PressReturn();
    EXPECT_EQ(Screens(), (std::vector<std::string>{"relaxed_5"}));
    WinBuilding();
    PressReturn();
    EXPECT_EQ(Screens(), (std::vector<std::string>{"high_scores"}));
    Ticks(20);

    // Six summaries (the tutorial's too), each 10000 for three tries left and
    // 100000 for a building under a second.
    EXPECT_EQ(Player().mBankedScore[1], 660000);
    EXPECT_EQ(Player().mScore, 660000);
    EXPECT_EQ(Player().mSurvivalUnlocked, 0);

    // The player file, read afresh, holds the run.
    NewGame();
    UseModeGame();
    ASSERT_EQ(LoadProfiles(mFolder.Path()), ProfilesLoadResult::kLoaded);
    const PlayerProfile& again = Player();
    EXPECT_STREQ(again.mName, "Mira");
    EXPECT_EQ(again.mProgress[1], 5);
    EXPECT_EQ(again.mFloodUnlocked, 1);
    EXPECT_EQ(again.mTrickshotUnlocked, 1);
    EXPECT_EQ(again.mSurvivalUnlocked, 0);
    EXPECT_EQ(again.mLevelSelect, 1);
    bool entered = false;
    for (const HonorRollEntry& entry : mGame->mProfiles.mRolls[1])
        entered = entered || (std::string(entry.mName) == "Mira" && entry.mScore == 660000 &&
                              std::string(entry.mText) == "JOURNEY");
    EXPECT_TRUE(entered);
}

// Every trick played once, in the order the tricks are drawn, then the win
// sequence; the choice of the next trick waits for the summary's button.
TEST_F(ModeFlowTest, TrickshotPlaysEveryTrickOnceAndEndsInTheWinSequence)
{
    SetMode(3, 0);
    mGame->mRandom.SeedRandom(4242);
    InsertLevelByName("main_menu");
    Ticks(5);
    PressReturn();
    EXPECT_EQ(Screens(), (std::vector<std::string>{"loading"}));
    Ticks(30);
    std::vector<std::string> played;
    for (int trick = 0; trick < 3; ++trick) {
        SCOPED_TRACE(trick);
        ASSERT_NE(Topmost(), nullptr);
        const std::string name = Topmost()->mName;
        ASSERT_EQ(name.rfind("trick_", 0), 0u) << name;
        played.push_back(name);
        // Won as the victory check wins a trick: its entry is done, the streak grows.
        const int index = int(Topmost()->mLevelNumber);
        EXPECT_EQ(Player().mProgress[3], index);
        Player().mTrickDone[index / 13][index % 13] = 1;
        ++Player().mTrickStreak;
        InsertLevelByName(Key("TRICKSHOT_WIN").c_str());
        Ticks(3);
        EXPECT_EQ(Screens(), (std::vector<std::string>{name, "trickymode_summary"}));
        PressReturn();
    }
    EXPECT_EQ(played[0], "trick_0");
    std::vector<std::string> sorted = played;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"trick_0", "trick_1", "trick_2"}));
    EXPECT_EQ(Screens(), (std::vector<std::string>{"win_sequence"}));
    EXPECT_EQ(Key("TRICKS_IN_A_ROW"), "3 in a row!");
}

} // namespace
