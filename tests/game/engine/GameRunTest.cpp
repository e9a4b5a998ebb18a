// The game from the first frame to the closed window, headless: the
// application's own main loop on a simulated clock and a window of the
// test, a data folder the test writes, a recording sound layer. The splash
// screens pass, the loader opens the main menu, a key on its button (or a
// click on it) opens level 1, and the closed window ends the run in order
// with the volumes written. Two runs with the same seed draw the same frames.
#include "game/engine/GameApp.h"

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/GameState.h"
#include "game/engine/MainWidget.h"
#include "game/engine/Platform.h"
#include "platform/files/FileSystem.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "support/FakePlatformRecorder.h"
#include "support/FakeWindowSystem.h"
#include "support/HeadlessGame.h"
#include "support/RecordingSoundLayer.h"
#include "support/ScopedEnvironment.h"
#include "support/SimulatedClock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* TopmostName()
{
    AnimObject* top = Game().Topmost();
    return top != nullptr ? top->mName : "";
}

class GameRunTest : public ::testing::Test {
protected:
    GameRunTest()
        : mConfig("XDG_CONFIG_HOME", mTemp.Path() + "/config"),
          mWindow(mWindows.CreateWindow(0, "MainWindow", "t", Plat::kWsCaption, 0, 0, 800, 600))
    {
        Plat::GetEventPump().Clear();
        mTemp.Write("config.xml", "<game>\n<loading percent=\"40\">\n<sound name=\"audio\\click.ogg\">\n"
                                  "<level_file_game name=\"levels\\level1.xml\">\n"
                                  "<level_file name=\"levels\\menu.xml\">\n<loading percent=\"90\">\n</game>\n");
        mTemp.Write("levels/menu.xml",
                    "<object type=\"level\" name=\"main_menu\">\n"
                    "<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                    "<attribute type=\"x\" start=\"400\" end=\"400\">\n"
                    "<attribute type=\"y\" start=\"300\" end=\"300\">\n"
                    "<object type=\"generic\" name=\"play\" image=\"gfx\\button.png\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                    "<event type=\"click\" action=\"insert_level\" parm1=\"1\" alt_key=\"return\">\n"
                    "</object>\n</object>\n");
        mTemp.Write("levels/level1.xml", "<object type=\"level\" name=\"level_1\">\n"
                                         "<stage name=\"play\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                         "</object>\n");
        // The button: 200 x 60 around the screen's centre.
        mTemp.Write("gfx/.keep", "");
        auto* pixels = new uint32_t[200 * 60];
        std::fill_n(pixels, 200 * 60, 0xFF2080C0u);
        const ImageLib::Image button(200, 60, pixels);
        EXPECT_TRUE(ImageLib::WritePNGImage(mTemp.Path() + "/gfx/button.png", &button));
        EXPECT_TRUE(ImageLib::WritePNGImage(mTemp.Path() + "/gfx/button.png", &button));
        Plat::GetFileSystem().SetCurrentFolder(mTemp.Path());
    }
    ~GameRunTest() override
    {
        Plat::GetFileSystem().SetCurrentFolder(mPreviousFolder);
        Plat::GetEventPump().Clear();
        delete mWindow;
    }

    struct Run {
        std::vector<uint64_t> checksums;
        int clickPlays = 0;
        bool levelOpened = false;
        int boxes = 0;
    };

    // One run from the first frame to the closed window.
    // How the player presses the menu's button.
    enum class Press { kKey, kClick };

    Run PlayOnce(uint32_t seed, Press press = Press::kKey)
    {
        Run run;
        GameState game;
        RecordingSoundLayer sound;
        game.mSound = &sound;
        Platform platform;
        game.mPlatform = &platform;
        game.mImageCache.SetPlatform(&platform);
        {
            HeadlessGame app(mWindow);
            platform.SetHost(&app);
            app.SetSeed(seed);
            app.StartLoadingThread();
            // The loader opens the menu; the game runs once the bar is full.
            EXPECT_TRUE(app.RunUntil(
                [&] { return game.GetLoadingState() == 101 && std::strcmp(TopmostName(), "main_menu") == 0; }))
                << "state " << game.GetLoadingState() << " after " << app.updateCount << " updates, top \"" << TopmostName() << "\" of " << game.mLiveObjects.Count() << " shutdown " << app.shutdown;
            for (int i = 0; i < 3; ++i) {
                const int target = app.updateCount + 25;
                app.RunUntil([&] { return app.updateCount >= target; });
                run.checksums.push_back(app.Checksum());
            }

            // The menu button's key, or a click on the button.
            Plat::InputEvent input;
            input.window = mWindow;
            if (press == Press::kKey) {
                input.kind = Plat::InputEvent::Kind::KeyDown;
                input.virtualKey = Plat::kVkReturn;
            } else {
                input.kind = Plat::InputEvent::Kind::MouseMotion;
                input.x = 420;
                input.y = 310;
                Plat::GetEventPump().PostInput(input);
                const int target = app.updateCount + 5;
                app.RunUntil([&] { return app.updateCount >= target; });
                input.kind = Plat::InputEvent::Kind::MouseButtonDown;
                input.button = 1;
                input.clicks = 1;
            }
            Plat::GetEventPump().PostInput(input);
            run.levelOpened = app.RunUntil([] { return std::strcmp(TopmostName(), "level_1") == 0; });
            input.kind = press == Press::kKey ? Plat::InputEvent::Kind::KeyUp : Plat::InputEvent::Kind::MouseButtonUp;
            Plat::GetEventPump().PostInput(input);
            for (const auto& play : sound.plays)
                run.clickPlays += play.name == "audio\\click.ogg" ? 1 : 0;

            // The player closes the window.
            Plat::InputEvent close;
            close.kind = Plat::InputEvent::Kind::Close;
            close.window = mWindow;
            Plat::GetEventPump().PostInput(close);
            app.RunUntil([] { return false; });
            EXPECT_TRUE(app.shutdown);
            EXPECT_TRUE(game.mLiveObjects.IsEmpty()) << "the shut-down empties the live list";
            EXPECT_FALSE(app.GetMainWidget()->HasLoadingThread());
            app.mMusicVolume = 33;
        }
        platform.SetHost(nullptr);
        game.mImageCache.SetPlatform(nullptr);
        game.mPlatform = nullptr;
        run.boxes = int(mRecorder.boxes.size());
        return run;
    }

    SimulatedClock mClock{500000};
    LumoTest::FakePlatformRecorder mRecorder;
    LumoTest::TempFolder mTemp;
    LumoTest::ScopedEnvironment mConfig;
    std::string mPreviousFolder = Plat::GetFileSystem().CurrentFolder();
    LumoTest::FakeWindowSystem mWindows;
    Plat::Window* mWindow;
};

TEST_F(GameRunTest, SplashesMenuLevelOneAndAnOrderlyEnd)
{
    const Run first = PlayOnce(20261211);
    EXPECT_TRUE(first.levelOpened) << "the menu's key opens level 1";
    EXPECT_EQ(first.clickPlays, 1);
    ASSERT_EQ(first.checksums.size(), 3u);
    // The splash pictures of this data folder are missing, and so are the
    // three particle pictures every screen takes: each is told once.
    EXPECT_EQ(first.boxes, 6);

    // The run wrote the volumes it had at its end.
    {
        Lumo::LumoApp reader;
        reader.registryKey = "Quillo Games\\Tavoro Oribel";
        int music = -1;
        int sound = -1;
        EXPECT_TRUE(reader.RegistryReadInteger("music_volume1.0", music));
        EXPECT_TRUE(reader.RegistryReadInteger("sound_volume1.0", sound));
        EXPECT_EQ(music, 33);
        EXPECT_EQ(sound, 55);
    }

    const Run second = PlayOnce(20261211);
    EXPECT_EQ(second.checksums, first.checksums) << "the same seed draws the same frames";
    EXPECT_TRUE(second.levelOpened);
}

TEST_F(GameRunTest, AClickOnTheMenusButtonOpensLevelOne)
{
    const Run run = PlayOnce(20261211, Press::kClick);
    EXPECT_TRUE(run.levelOpened) << "the click on the button opens level 1";
    EXPECT_EQ(run.clickPlays, 1);
}

} // namespace
