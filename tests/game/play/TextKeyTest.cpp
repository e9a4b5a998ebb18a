// Text keys as screens read them: the played level's statistics under its
// summary, the bonuses with their hand-worked values, the honour-roll lines,
// building numbers, player counts and the answers when no screen is live.
#include "game/engine/ObjectLoader.h"
#include "game/engine/TextObject.h"
#include "game/play/HonorRolls.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

class TextKeyTest : public ModeFixture {
protected:
    // The played level at the bottom with its statistics, and its summary on top.
    Level* PlayedLevel(int shots, int hits, int combos, int ticks)
    {
        Level* level = AddScreen("level_1", "HARBOUR");
        level->mShots = shots;
        level->mHits = hits;
        level->mTumbleCombos = combos;
        level->mTicksInScroll = ticks;
        AddScreen("level_summary");
        return level;
    }
};

TEST_F(TextKeyTest, AccuracyTreatsNoShotsAsOneAndStopsAtAHundred)
{
    struct Case {
        int shots, hits;
        const char* text;
        const char* bonus;
    };
    const Case cases[] = {
        {0, 0, "0% ACCURACY:", "0"},
        {4, 3, "75% ACCURACY:", "7500"},
        {3, 1, "33% ACCURACY:", "3300"},   // 3333 hundredths: the bonus counts whole percent
        {2, 5, "100% ACCURACY:", "10000"},
        {0, 2, "100% ACCURACY:", "10000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shots << " shots, " << c.hits << " hits");
        mGame->mLiveObjects.RemoveAll();
        PlayedLevel(c.shots, c.hits, 0, 0);
        EXPECT_EQ(Key("SHOT_ACCURACY"), c.text);
        EXPECT_EQ(Key("SHOT_ACCURACY_SCORE"), c.bonus);
    }
}

TEST_F(TextKeyTest, TriesTextAndBonusFollowTheModeAndTriesLeft)
{
    struct Case {
        int mode, tries;
        const char* text;
        const char* bonus;
    };
    const Case cases[] = {
        {1, 3, "4 TRIES REMAINING:", "10000"},
        {1, 2, "3 TRIES REMAINING:", "5000"},
        {1, 1, "2 TRIES REMAINING:", "1000"},
        {1, 0, "1 TRY REMAINING:", "0"},
        {0, 1, "2 TRIES REMAINING:", "1000"},
        {0, 3, "4 TRIES REMAINING:", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", tries " << c.tries);
        SetMode(c.mode, 4);
        Player().mTries[c.mode] = c.tries;
        EXPECT_EQ(Key("LIVES_LOST"), c.text);
        EXPECT_EQ(Key("LIVES_LOST_SCORE"), c.bonus);
    }
}

TEST_F(TextKeyTest, TimeTakenAndItsBonusCountWholeSeconds)
{
    struct Case {
        int ticks;
        const char* text;
        const char* bonus;
    };
    const Case cases[] = {
        {0, "0:00 TIME TAKEN:", "100000"},     // under a second counts as one
        {249, "0:00 TIME TAKEN:", "100000"},
        {250, "0:01 TIME TAKEN:", "100000"},
        {15000, "1:00 TIME TAKEN:", "1600"},   // 100000 / 60 = 1666, whole hundreds
        {47500, "3:10 TIME TAKEN:", "500"},    // 190 s: 526
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks);
        mGame->mLiveObjects.RemoveAll();
        PlayedLevel(1, 1, 0, c.ticks);
        EXPECT_EQ(Key("TIME_TAKEN"), c.text);
        EXPECT_EQ(Key("TIME_TAKEN_SCORE"), c.bonus);
    }
}

TEST_F(TextKeyTest, TotalBonusAddsEveryTimeItIsReadAndBanksTheScore)
{
    SetMode(1, 5);
    Player().mTries[1] = 1;
    Player().mScore = 500;
    PlayedLevel(4, 3, 2, 15000);
    EXPECT_EQ(Key("COMBOS_MADE"), "2 TUMBLE COMBOS:");
    EXPECT_EQ(Key("COMBOS_MADE_SCORE"), "200");
    // 1000 tries + 1600 time + 7500 accuracy + 200 combos.
    EXPECT_EQ(Key("TOTAL_BONUS"), "10300");
    EXPECT_EQ(Player().mScore, 10800);
    EXPECT_EQ(Player().mBankedScore[1], 10800);
    EXPECT_EQ(Key("TOTAL_BONUS"), "10300");
    EXPECT_EQ(Player().mScore, 21100);
    EXPECT_EQ(Player().mBankedScore[1], 21100);
    EXPECT_EQ(Player().mBankedScore[0], 0);

    // Near the top of the range the score stops instead of wrapping.
    Player().mScore = INT_MAX - 5;
    EXPECT_EQ(Key("TOTAL_BONUS"), "10300");
    EXPECT_EQ(Player().mScore, INT_MAX);
}

TEST_F(TextKeyTest, RollKeysReadTheNumberAfterThePrefixInTheModesRoll)
{
    SetMode(0, 0);
    EXPECT_EQ(Key("HIGH_SCORE_NAME_3"), "4. Dmitri");
    EXPECT_EQ(Key("HIGH_SCORE_SCORE_3"), "1940000");
    EXPECT_EQ(Key("HIGH_SCORE_TIME_3"), "20:00");
    EXPECT_EQ(Key("HIGH_SCORE_SCORE_0"), "2100000");
    EXPECT_EQ(Key("HIGH_SCORE_MODE_NAME"), "FLOOD HONOR ROLL");
    for (const char* key : {"HIGH_SCORE_NAME_10", "HIGH_SCORE_NAME_", "HIGH_SCORE_SCORE_x", "HIGH_SCORE_TIME_-1"})
        EXPECT_EQ(Key(key), key);

    SetMode(2, 0);
    EXPECT_EQ(Key("HIGH_SCORE_SCORE_3"), "120000");
    EXPECT_EQ(Key("HIGH_SCORE_TIME_3"), "12:00");
    EXPECT_EQ(Key("HIGH_SCORE_MODE_NAME"), "SURVIVAL HONOR ROLL");
    SetMode(3, 0);
    EXPECT_EQ(Key("HIGH_SCORE_SCORE_9"), "250000");
    EXPECT_EQ(Key("HIGH_SCORE_MODE_NAME"), "TRICKSHOT HONOR ROLL");
}

TEST_F(TextKeyTest, BuildingNumbersStopAtTheLastBuilding)
{
    struct Case {
        int mode, progress;
        const char* number;
        const char* region;
    };
    const Case cases[] = {
        {0, 70, "BUILDING 71", "BUILDING 71"},
        {0, 71, " ", "CONGRATULATIONS!"},
        {1, 72, " ", "CONGRATULATIONS!"},
        {3, 80, "BUILDING 81", "CONGRATULATIONS!"},
        {3, 0, "BUILDING 1", "BUILDING 1"},
        {2, 5, "HOW LONG CAN YOU SURVIVE?", "BUILDING 6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", progress " << c.progress);
        SetMode(c.mode, c.progress);
        EXPECT_EQ(Key("LEVEL_NUMBER"), c.number);
        EXPECT_EQ(Key("REGION_LEVEL"), c.region);
        EXPECT_EQ(Key("BUILDING_CONTINUE"), "YOU WERE AT BUILDING " + std::to_string(c.progress + 1));
    }
}

TEST_F(TextKeyTest, PlayerCountsChooseTheProfileScreens)
{
    struct Case {
        int used;
        const char* insert;
        const char* remove;
    };
    const Case cases[] = {
        {1, "input_name", "one_user_left"},
        {2, "input_name", "delete_user_confirm"},
        {9, "input_name", "delete_user_confirm"},
        {10, "too_many_users", "delete_user_confirm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.used);
        for (int i = 0; i < 10; ++i)
            mGame->mProfiles.mProfiles[i].SetName(i < c.used ? "P" : "");
        EXPECT_EQ(Key("INSERT_USER"), c.insert);
        EXPECT_EQ(Key("DELETE_CONFIRM"), c.remove);
    }
}

TEST_F(TextKeyTest, WithNoScreenLiveTheKeysReadEmptyAndZero)
{
    SetMode(0, 3);
    Player().mScore = 70;
    EXPECT_EQ(Key("SHOT_ACCURACY"), "0% ACCURACY:");
    EXPECT_EQ(Key("TIME_TAKEN"), "0:00 TIME TAKEN:");
    EXPECT_EQ(Key("SURVIVAL_TIME"), "YOU SURVIVED FOR 0:00");
    EXPECT_EQ(Key("LEVEL_TITLE"), "");
    EXPECT_EQ(Key("LEVEL_NAME"), "");
    EXPECT_EQ(Key("TRICKSHOT_RESULT"), "MAYBE NEXT TIME");
    EXPECT_EQ(Key("TRICKSHOT_BONUS"), "BONUS: 0");
    EXPECT_EQ(Key("QUIT_GAME_CONFIRM_1"), "If you exit, you will have to restart");
    EXPECT_EQ(Key("REGION_NAME"), "REGION NAME HERE");
    EXPECT_EQ(Player().mScore, 70);
    EXPECT_EQ(Key("NO_SUCH_KEY"), "NO_SUCH_KEY");
    EXPECT_EQ(mGame->mHooks->ResolveTextKey(nullptr), "");
}

TEST_F(TextKeyTest, ScreenKeysFollowTheMode)
{
    struct Case {
        int mode, progress;
        const char* pick;
        const char* summary;
        const char* trick;
        const char* map;
    };
    const Case cases[] = {
        {0, 0, "loading", "level_summary", "trickshot_summary", "level_select"},
        {0, 2, "continue_game", "level_summary", "trickshot_summary", "level_select"},
        {1, 1, "continue_game", "relaxed_summary", "trickshot_summary", "level_select"},
        {2, 0, "loading", "level_summary", "trickshot_summary", "endless"},
        {3, 4, "continue_game", "level_summary", "trickymode_summary", "LEVEL_SELECT_OR_MODE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        SetMode(c.mode, c.progress);
        // The menu's button stores the first answer; its click asks again.
        EXPECT_EQ(Key("PICK_LEVEL_SELECT_OR_LOADING2"), "PICK_LEVEL_SELECT_OR_LOADING");
        EXPECT_EQ(Key("PICK_LEVEL_SELECT_OR_LOADING"), c.pick);
        EXPECT_EQ(Key("LEVEL_SUMMARY"), c.summary);
        EXPECT_EQ(Key("level_summary"), c.summary);
        EXPECT_EQ(Key("TRICKSHOT_WIN"), c.trick);
        EXPECT_EQ(Key("LEVEL_SELECT_OR_MODE"), c.map);
    }
}

TEST_F(TextKeyTest, TrickResultPaysOnlyWhenThePlatesAreGone)
{
    SetMode(3, 5);
    Player().mTrickStreak = 3;
    Player().mScore = 100;
    Level* level = AddScreen("trick_5");
    AnimObject* inner = AddLayers(level);
    AnimObject* plate = AddChildOfKind(inner, kKindPlate);
    AddScreen("trickymode_summary");
    EXPECT_EQ(Key("TRICKSHOT_RESULT"), "MAYBE NEXT TIME");
    EXPECT_EQ(Key("TRICKSHOT_BONUS"), "BONUS: 0");
    EXPECT_EQ(Player().mScore, 100);

    inner->mChildren.Remove(plate);
    EXPECT_EQ(Key("TRICKSHOT_RESULT"), "GREAT SHOT!");
    EXPECT_EQ(Key("TRICKSHOT_BONUS"), "BONUS: 3000");
    EXPECT_EQ(Player().mScore, 3100);
    EXPECT_EQ(Player().mBankedScore[3], 3100);
    EXPECT_EQ(Key("TRICKS_IN_A_ROW"), "3 in a row!");
    Player().mTrickStreak = 1;
    EXPECT_EQ(Key("TRICKS_IN_A_ROW"), "Excellent Shot!");

    SetMode(0, 5);
    EXPECT_EQ(Key("TRICKSHOT_BONUS"), "BONUS: 10000");
    EXPECT_EQ(Player().mScore, 13100);
}

TEST_F(TextKeyTest, NamesTitlesAndTipsReadTheirScreens)
{
    SetMode(1, 2);
    EXPECT_EQ(Key("Hi CURRENT_USER_NAME, and more"), "Hi Mira");
    EXPECT_EQ(Key("CURRENT_USER_NAME"), "Mira");
    AddRecord(mGame->mRelaxedLevels, 3, "relaxed_3", "OLD PORT");
    EXPECT_EQ(Key("REGION_NAME"), "OLD PORT");
    EXPECT_EQ(Key("LOSE_TIP"), "You LOSE by letting items fall in the water!");

    Level* level = AddScreen("level_3", "OLD PORT");
    AnimObject* clock = AddChildOfKind(level, kKindEndlessPanel, "endlesspan");
    clock->mFrameCounter = 47500.0f;
    AddChildOfKind(level, kKindTutorial);
    mGame->mLevel = level;
    EXPECT_EQ(Key("SURVIVAL_TIME"), "YOU SURVIVED FOR 3:10");
    EXPECT_EQ(Key("LEVEL_NAME"), "OLD PORT");
    EXPECT_EQ(Key("QUIT_GAME_CONFIRM_1"), "If you exit this tutorial, you can");
    EXPECT_EQ(Key("QUIT_GAME_CONFIRM_2"), "see it again the next time you play.");

    SetMode(2, 0);
    level->mChildren.Remove(level->FindChildOfKind(kKindTutorial));
    EXPECT_EQ(Key("QUIT_GAME_CONFIRM_1"), "If you exit Survival, you will have to");
    EXPECT_EQ(Key("QUIT_GAME_CONFIRM_2"), "start over the next time you play.");
    SetMode(0, 0);
    EXPECT_EQ(Key("LOSE_TIP"), "Don't let the plates sink!  That's how you LOSE!");
}

// A level's caption is built inside its title reader: it shows that level's
// title, not the title of the screen that opened it.
TEST_F(TextKeyTest, ACaptionShowsTheTitleOfTheScreenBeingBuilt)
{
    mFolder.Write("objects/text.xml",
                  "<object type=\"text\" string=\"LEVEL_TITLE\" font=\"none\">\n<stage ms=\"1000\">\n</object>\n");
    AddScreen("main_menu", "MENU");
    const char* level = "<object type=\"level\" name=\"level_2\" title=\"HARBOUR\">\n<stage ms=\"1000\">\n</object>\n";
    struct Case {
        int progress;
        const char* caption;
    };
    for (const Case& c : {Case{2, "HARBOUR"}, Case{0, "SAVE THE TREASURE!"}}) {
        SetMode(0, c.progress);
        CreateObjectsFromXml(level, nullptr, "level_2.xml");
        auto* built = dynamic_cast<Level*>(mGame->Topmost());
        ASSERT_NE(built, nullptr);
        auto* caption = dynamic_cast<TextObject*>(built->FindChildOfKind(kKindTextObject));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->GetText(), c.caption);
        mGame->mLiveObjects.Remove(built);
    }
}

} // namespace
