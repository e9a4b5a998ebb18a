// The event actions on player profiles, run as a screen's events run them:
// new, renamed and deleted players, the first player, the game mode, scores
// near the int limits, the honour roll and saving.
#include "game/engine/ProfileActions.h"

#include "game/engine/InputBox.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/Stage.h"
#include "support/ControlFixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// The engine's own profile actions, with the test's text keys.
class ProfileHooks : public LumoTest::RecordingHooks {
public:
    void RunProfileAction(ObjectEvent& event) override { GameHooks::RunProfileAction(event); }
    int GetProfileMode() override { return GameHooks::GetProfileMode(); }
    void SetProfileMode(int mode) override { GameHooks::SetProfileMode(mode); }
};

class ProfileActionsTest : public ControlFixture {
protected:
    ProfileActionsTest()
    {
        mGame->mHooks = &profileHooks;
        AddScreen("invalid_profile_name", 0, "");
        AddScreen("input_name", 0, "<event type=\"click\" action=\"custom\" />\n");
        AddScreen("name_screen", 0,
                  "<object type=\"input_box\" name=\"box\">\n<stage ms=\"100000\">\n</object>\n"
                  "<stage name=\"done\" ms=\"100000\">\n");
        mGame->mProfiles.CreateDefaults();
        screen = Open("name_screen");
        box = dynamic_cast<InputBox*>(screen->FindChildOfKind(InputBox::kKind));
        button = new AnimObject;
        screen->AddChild(button);
        button->AddStage(100000.0f, 0, 0, 1, nullptr);
    }

    void Run(const char* action, const char* parm1 = "", const char* parm4 = "")
    {
        ObjectEvent* event = button->AddEventByName("code", action, parm1, "", "", parm4, "");
        ASSERT_NE(event, nullptr);
        event->RunAction();
    }

    PlayerProfiles& Profiles() { return mGame->mProfiles; }
    PlayerProfile& Slot(int i) { return mGame->mProfiles.mProfiles[i]; }
    std::string StageName() const { return screen->CurrentStage() != nullptr ? screen->CurrentStage()->mName : ""; }

    ProfileHooks profileHooks;
    Level* screen = nullptr;
    InputBox* box = nullptr;
    AnimObject* button = nullptr;
};

TEST_F(ProfileActionsTest, NewAndChangedNames)
{
    struct Case {
        const char* what;
        const char* action;
        int named;          // slots 0 .. named - 1 have names
        const char* typed;
        int wantCurrent;
        const char* wantName; // of the current profile
        const char* wantStage;
        bool wantInvalidScreen;
    };
    const std::string longName(80, 'q');
    const std::string cutName(63, 'q');
    const Case cases[] = {
        {"new name, trimmed", "new_user_name", 2, "  Mira \t", 2, "Mira", "done", false},
        {"new name, cut", "new_user_name", 0, longName.c_str(), 0, cutName.c_str(), "done", false},
        {"new name, empty", "new_user_name", 2, "   ", 1, "Player1", "idle", true},
        {"ten names used", "new_user_name", 10, "Eleventh", 1, "Player1", "idle", false},
        {"changed name", "change_user_name", 2, " Nova", 1, "Nova", "done", false},
        {"changed to nothing", "change_user_name", 2, "", 1, "Player1", "idle", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewGame();
        UseControlPlatform();
        mGame->mHooks = &profileHooks;
        AddScreen("invalid_profile_name", 0, "");
        AddScreen("name_screen", 0,
                  "<object type=\"input_box\" name=\"box\">\n<stage ms=\"100000\">\n</object>\n"
                  "<stage name=\"done\" ms=\"100000\">\n");
        Profiles().CreateDefaults();
        for (int i = 0; i < c.named; ++i)
            Slot(i).SetName(("Player" + std::to_string(i)).c_str());
        Profiles().SetCurrent(c.named > 1 ? 1 : 0);
        // A free slot with old progress: a new player does not inherit it.
        Slot(2).mProgress[1] = 40;
        Slot(2).mTries[1] = 0;
        screen = Open("name_screen");
        box = dynamic_cast<InputBox*>(screen->FindChildOfKind(InputBox::kKind));
        ASSERT_NE(box, nullptr);
        std::strcpy(box->mText, c.typed);
        button = new AnimObject;
        screen->AddChild(button);
        button->AddStage(100000.0f, 0, 0, 1, nullptr);

        Run(c.action, "done");
        EXPECT_EQ(Profiles().mCurrent, c.wantCurrent);
        EXPECT_STREQ(Profiles().Current().mName, c.wantName);
        EXPECT_EQ(StageName(), c.wantStage);
        EXPECT_EQ(Topmost()->mName == std::string("invalid_profile_name"), c.wantInvalidScreen);
        if (std::string(c.action) == "new_user_name" && c.wantCurrent == 2) {
            EXPECT_EQ(Slot(2).mProgress[1], 0);
            EXPECT_EQ(Slot(2).mTries[1], 3);
        }
        if (c.wantInvalidScreen) {
            EXPECT_FALSE(Slot(2).IsUsed());
        }
    }
}

TEST_F(ProfileActionsTest, DeletingKeepsAtLeastOnePlayer)
{
    Slot(0).SetName("Ann");
    Slot(3).SetName("Ben");
    Slot(3).mProgress[1] = 12;
    Profiles().SetCurrent(3);
    Run("delete_user", "done");
    EXPECT_EQ(Profiles().CountUsedProfiles(), 1);
    EXPECT_EQ(Profiles().mCurrent, 0);
    EXPECT_EQ(Slot(3).mProgress[1], 0);
    EXPECT_EQ(StageName(), "done");

    // The last player stays.
    Run("delete_user", "idle");
    EXPECT_STREQ(Profiles().Current().mName, "Ann");
    EXPECT_EQ(Profiles().mCurrent, 0);
}

TEST_F(ProfileActionsTest, TheFirstPlayerIsAskedForANameOnce)
{
    Run("get_initial_user");
    Level* names = Topmost();
    ASSERT_STREQ(names->mName, "input_name");
    EXPECT_EQ(Profiles().Current().mMode, 1);
    Stage* last = names->mStages.Tail();
    ASSERT_EQ(last->mEvents.Count(), 1);
    const ObjectEvent* event = last->mEvents.Head();
    EXPECT_EQ(event->mTrigger, kTriggerStart);
    EXPECT_EQ(event->mAction, kActionInsertLevel);
    EXPECT_STREQ(event->mParm1, "PICK_LEVEL_SELECT_OR_LOADING2");

    // With a name, nothing opens.
    mGame->mLiveObjects.Remove(names);
    Profiles().Current().SetName("Ann");
    Profiles().Current().mMode = 0;
    Run("get_initial_user");
    EXPECT_EQ(Topmost(), screen);
    EXPECT_EQ(Profiles().Current().mMode, 0);
}

TEST_F(ProfileActionsTest, ModeAndScoreActions)
{
    PlayerProfile& player = Profiles().Current();
    Run("set_mode", "2");
    EXPECT_EQ(player.mMode, 2);
    Run("set_mode", "7");
    EXPECT_EQ(player.mMode, 2);
    Run("set_mode", "-1");
    EXPECT_EQ(player.mMode, 2);

    player.mBankedScore[2] = 4500;
    player.mScore = 99;
    Run("clear_score");
    EXPECT_EQ(player.mScore, 4500);

    player.mScore = INT_MAX - 10;
    Run("bump_score", "", "100");
    EXPECT_EQ(player.mScore, INT_MAX);
    player.mScore = INT_MIN + 10;
    Run("bump_score", "", "-100");
    EXPECT_EQ(player.mScore, INT_MIN);
    player.mScore = 5;
    Run("bump_score", "", "250");
    EXPECT_EQ(player.mScore, 255);

    player.mProgress[2] = 9;
    Run("reset_progress");
    EXPECT_EQ(player.mProgress[2], 0);
    EXPECT_EQ(player.mScore, 0);
}

TEST_F(ProfileActionsTest, HighScoresGoIntoTheRollAndTheFile)
{
    ASSERT_EQ(LoadProfiles(mFolder.Join("userdata")), ProfilesLoadResult::kDefaults);
    PlayerProfile& player = Profiles().Current();
    player.SetName("Top");
    player.mMode = 3;
    player.mScore = 1000000;
    Run("enter_high_score", "", "9:59");
    EXPECT_STREQ(Profiles().mRolls[3][0].mName, "Top");
    EXPECT_STREQ(Profiles().mRolls[3][0].mText, "9:59");

    GameState reread;
    ASSERT_EQ(LoadProfiles(mFolder.Join("userdata")), ProfilesLoadResult::kLoaded);
    EXPECT_STREQ(reread.mProfiles.mRolls[3][0].mName, "Top");
}

TEST_F(ProfileActionsTest, SaveScoreWritesTheFile)
{
    ASSERT_EQ(LoadProfiles(mFolder.Join("userdata")), ProfilesLoadResult::kDefaults);
    Profiles().Current().SetName("Saved");
    Run("save_score");
    GameState reread;
    ASSERT_EQ(LoadProfiles(mFolder.Join("userdata")), ProfilesLoadResult::kLoaded);
    EXPECT_STREQ(reread.mProfiles.Current().mName, "Saved");
}

} // namespace
