// The committed data's menus with the player controls: on the main menu a
// first player is asked for a name, types it on the name screen, and finds
// it again after a restart; the player list and the tooltips of the menu.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/GameState.h"
#include "game/engine/InputBox.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/TextBlock.h"
#include "game/engine/UserListBox.h"
#include "platform/files/FileSystem.h"
#include "support/CommittedDataFixture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class PlayerNameDataTest : public LumoTest::CommittedDataFixture {
protected:
    void SetUp() override
    {
        CommittedDataFixture::SetUp();
        if (HasFatalFailure())
            return;
        StartGame();
    }

    // A fresh start of the game: its data, its player file, the main menu.
    void StartGame()
    {
        MakeGame();
        mLoad = LoadProfiles(mUserData.Path());
        LoadGameData("config.xml");
        InsertLevelByName("main_menu");
        Ticks(150);
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            mGame->mLevel = mGame->Topmost();
            UpdateLiveObjects(*mGame);
        }
    }

    void Key(int code)
    {
        mGame->mInput.KeyDown(code);
        Ticks(1);
        mGame->mInput.KeyUp(code);
    }

    // A left click at the point for one tick.
    void Click(float x, float y)
    {
        mHost.mouseX = int(x);
        mHost.mouseY = int(y);
        mHost.leftButtonDown = true;
        mGame->mInput.MouseDown(1);
        if (auto* top = dynamic_cast<Level*>(mGame->Topmost())) {
            top->mMouseX = x;
            top->mMouseY = y;
            top->mLeftClick = 1.0f;
        }
        Ticks(1);
        if (auto* top = dynamic_cast<Level*>(mGame->Topmost()))
            top->mLeftClick = 0.0f;
        mHost.leftButtonDown = false;
        mGame->mInput.MouseUp(1);
        Ticks(1);
    }

    std::string TopName() const { return mGame->Topmost() != nullptr ? mGame->Topmost()->mName : ""; }

    TempFolder mUserData;
    ProfilesLoadResult mLoad = ProfilesLoadResult::kDefaults;
};

TEST_F(PlayerNameDataTest, AFirstPlayersNameIsKeptAcrossARestart)
{
    EXPECT_EQ(mLoad, ProfilesLoadResult::kDefaults);
    ASSERT_EQ(TopName(), "main_menu");
    // Journey: no player yet, so the name screen comes.
    Click(400.0f, 172.0f);
    // The button's caption answers the click on its next stage.
    for (int tick = 0; tick < 20 && TopName() != "input_name"; ++tick)
        Ticks(1);
    ASSERT_EQ(TopName(), "input_name");
    auto* box = dynamic_cast<InputBox*>(mGame->Topmost()->FindChildOfKind(InputBox::kKind));
    ASSERT_NE(box, nullptr);
    Ticks(80);
    for (int code : {'Z', 'E', 'D'})
        Key(code);
    EXPECT_STREQ(box->mText, "Zed");
    Key(13);
    EXPECT_STREQ(mGame->mProfiles.Current().mName, "Zed");
    EXPECT_EQ(mGame->mProfiles.Current().mMode, 1);
    ASSERT_TRUE(SaveProfiles());

    StartGame();
    EXPECT_EQ(mLoad, ProfilesLoadResult::kLoaded);
    EXPECT_STREQ(mGame->mProfiles.Current().mName, "Zed");
    EXPECT_EQ(mGame->mProfiles.CountUsedProfiles(), 1);
    // A named player goes on without the name screen.
    Click(400.0f, 172.0f);
    EXPECT_NE(TopName(), "input_name");
}

TEST_F(PlayerNameDataTest, ThePlayerListAndTheMenusTooltipsLoad)
{
    mGame->mProfiles.mProfiles[0].SetName("Ann");
    mGame->mProfiles.mProfiles[1].SetName("Ben");
    InsertLevelByName("players");
    ASSERT_EQ(TopName(), "players");
    Ticks(80);
    auto* list = dynamic_cast<UserListBox*>(mGame->Topmost()->FindChildByName("player_list"));
    ASSERT_NE(list, nullptr);
    EXPECT_NE(mGame->mFonts.Find(list->mFont), nullptr);

    InsertLevelByName("main_menu");
    int tooltips = 0;
    std::vector<AnimObject*> pending{mGame->Topmost()};
    while (!pending.empty()) {
        AnimObject* object = pending.back();
        pending.pop_back();
        for (AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (auto* tip = dynamic_cast<TextBlock*>(child)) {
                ++tooltips;
                EXPECT_EQ(tip->mChildren.Count(), 2) << tip->mText;
            }
            pending.push_back(child);
        }
    }
    EXPECT_EQ(tooltips, 4);
    for (const std::string& message : mMessages) {
        EXPECT_EQ(message.find("not loaded"), std::string::npos) << message;
        EXPECT_EQ(message.find("cannot be"), std::string::npos) << message;
    }
}

} // namespace
