// The game's real application over the committed data, on a window and a
// clock of the test: the settings and user-data folders in a temporary
// folder, the data folder as the working folder, a recording sound layer,
// the message boxes of a failed load recorded. Header-only.
#pragma once

#include "game/engine/GameState.h"
#include "game/engine/Platform.h"
#include "game/engine/Stage.h"
#include "game/play/PlayHooks.h"
#include "game/play/PlayState.h"
#include "platform/files/FileSystem.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "support/CommittedDataFixture.h"
#include "support/FakePlatformRecorder.h"
#include "support/FakeWindowSystem.h"
#include "support/HeadlessGame.h"
#include "support/RecordingSoundLayer.h"
#include "support/ScopedEnvironment.h"
#include "support/SimulatedClock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace LumoTest {

// The topmost screen is named so and takes clicks (no stage of a fade); with
// a depth, it is also the depth'th screen of the live list.
inline bool ScreenSettled(const GameState& game, const char* name, int depth = 0)
{
    const AnimObject* top = game.Topmost();
    return top != nullptr && std::strcmp(top->mName, name) == 0 && top->CurrentStage() != nullptr &&
           std::strstr(top->CurrentStage()->mName, "fade") == nullptr &&
           (depth == 0 || game.mLiveObjects.Count() == depth);
}

class CommittedGameFixture : public ::testing::Test {
protected:
    CommittedGameFixture()
        : mConfig("XDG_CONFIG_HOME", mTemp.Path() + "/config"),
          mData("XDG_DATA_HOME", mTemp.Path() + "/data"),
          mWindow(mWindows.CreateWindow(0, "MainWindow", "t", Plat::kWsCaption, 0, 0, 800, 600))
    {
        Plat::GetEventPump().Clear();
        EXPECT_TRUE(Plat::GetFileSystem().SetCurrentFolder(CommittedDataFolder()));
        Play().Reset();
    }
    ~CommittedGameFixture() override
    {
        Plat::GetFileSystem().SetCurrentFolder(mPreviousFolder);
        Plat::GetEventPump().Clear();
        Play().Reset();
        delete mWindow;
    }

    // The game with the gameplay's hooks and its players made ready by
    // `players`, run by its main loop up to the settled main menu; then
    // `play` acts, with the frames no longer drawn. No load may fail.
    void PlayFromTheMenu(const std::function<void(HeadlessGame&, GameState&)>& players,
                         const std::function<void(HeadlessGame&, GameState&)>& play)
    {
        PlayHooks hooks;
        GameState game;
        game.mHooks = &hooks;
        game.mSound = &mSound;
        Platform platform;
        game.mPlatform = &platform;
        game.mImageCache.SetPlatform(&platform);
        {
            HeadlessGame app(mWindow);
            players(app, game);
            platform.SetHost(&app);
            app.SetSeed(20261211);
            app.StartLoadingThread();
            const auto settled = [&game] {
                return game.GetLoadingState() == 101 && ScreenSettled(game, "main_menu", 1);
            };
            const bool menu = app.RunUntil(settled);
            EXPECT_TRUE(menu) << "top \"" << (game.Topmost() != nullptr ? game.Topmost()->mName : "") << "\"";
            app.DrawNothing();
            if (menu)
                play(app, game);
            EXPECT_TRUE(mRecorder.boxes.empty()) << "a load failed: " << mRecorder.boxes.front().text;
            game.mLiveObjects.RemoveAll();
            platform.SetHost(nullptr);
        }
        game.mImageCache.SetPlatform(nullptr);
        game.mPlatform = nullptr;
    }

    SimulatedClock mClock{500000};
    FakePlatformRecorder mRecorder;
    TempFolder mTemp;
    ScopedEnvironment mConfig;
    ScopedEnvironment mData;
    std::string mPreviousFolder = Plat::GetFileSystem().CurrentFolder();
    FakeWindowSystem mWindows;
    Plat::Window* mWindow;
    RecordingSoundLayer mSound;
};

} // namespace LumoTest
