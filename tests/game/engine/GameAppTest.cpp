// The game's application object without a window: the product properties,
// the desktop's say over full screen, the stored volumes, focus changes and
// the orderly end of a run that is still loading.
#include "game/engine/GameApp.h"

#include "game/engine/Level.h"
#include "game/engine/MainWidget.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/PartnerProperties.h"
#include "game/engine/PlayerProfiles.h"
#include "support/GameDataFixture.h"
#include "support/ScopedDisplayHost.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class GameAppTest : public GameDataFixture {
protected:
    GameAppTest() : mConfig("XDG_CONFIG_HOME", mFolder.Path() + "/config")
    {
        mDisplay.host.desktopWidth = 1280;
        mDisplay.host.desktopHeight = 1024;
        mDisplay.host.desktopBits = 32;
    }

    void WritePartner(const std::string& tags)
    {
        mFolder.Write("properties/partner.xml", "<Properties>\n" + tags + "</Properties>\n");
    }

    LumoTest::ScopedEnvironment mConfig;
    ScopedDisplayHost mDisplay;
};

TEST_F(GameAppTest, ProductPropertiesSetNamesKeyAndWindowMode)
{
    struct Case {
        const char* value;
        bool windowed;
    };
    for (const Case& c : {Case{"true", true}, Case{"t", true}, Case{"TRUE", false}, Case{"false", false},
                          Case{"truer", false}, Case{"", true}}) {
        SCOPED_TRACE(std::string("DefaultWindowed \"") + c.value + "\"");
        EXPECT_EQ(PartnerFlagIsTrue(c.value), c.windowed);
        WritePartner(std::string("<p id=\"DefaultWindowed\">") + c.value + "</p>\n");
        GameApp app;
        app.windowed = !c.windowed;
        app.PropertiesHook();
        EXPECT_EQ(app.windowed, c.windowed);
    }

    WritePartner("<p id=\"ProdName\">Tavoro Deluxe</p>\n<p id=\"RegistryKey\">Partner\\Tavoro</p>\n"
                 "<p id=\"PartnerName\">Partner Games</p>\n<p>no id</p>\n");
    GameApp app;
    EXPECT_EQ(app.registryKey, "Quillo Games\\Tavoro Oribel");
    EXPECT_EQ(app.title, "Tavoro Oribel 1.0");
    EXPECT_EQ(app.width, 800);
    EXPECT_EQ(app.height, 600);
    EXPECT_TRUE(app.noSound) << "the game plays through its own sound layer";
    app.PropertiesHook();
    EXPECT_EQ(app.mProductName, "Tavoro Deluxe");
    EXPECT_EQ(app.productName, "Tavoro Deluxe");
    EXPECT_EQ(app.title, "Tavoro Deluxe 1.0");
    EXPECT_EQ(app.registryKey, "Partner\\Tavoro");
    EXPECT_EQ(app.mPartnerName, "Partner Games");
}

TEST_F(GameAppTest, ASmallDesktopForcesFullScreen)
{
    struct Case {
        int width;
        int height;
        bool forced;
    };
    for (const Case& c : {Case{800, 600, true}, Case{1024, 600, true}, Case{800, 768, true}, Case{801, 601, false},
                          Case{1920, 1080, false}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        mDisplay.host.desktopWidth = c.width;
        mDisplay.host.desktopHeight = c.height;
        mDisplay.host.desktopBits = 16;
        GameApp app;
        app.windowed = true;
        app.PropertiesHook();
        EXPECT_EQ(app.forceFullscreen, c.forced);
        EXPECT_EQ(app.windowed, !c.forced);
        EXPECT_EQ(app.mDesktopWidth, c.width);
        EXPECT_EQ(app.GetDesktopHeight(), c.height);
        EXPECT_EQ(app.GetDesktopDepth(), 16);
    }
}

TEST_F(GameAppTest, VolumesRoundTripThroughTheSettingsClamped)
{
    {
        GameApp app;
        app.PropertiesHook();
        EXPECT_EQ(app.mMusicVolume, 50) << "defaults without settings";
        EXPECT_EQ(app.mSoundVolume, 55);
        app.mMusicVolume = 20;
        app.mSoundVolume = 0;
    } // written back at the end of the run
    {
        GameApp app;
        app.PropertiesHook();
        EXPECT_EQ(app.mMusicVolume, 20);
        EXPECT_EQ(app.mSoundVolume, 0);
        int stored = -1;
        EXPECT_TRUE(app.RegistryReadInteger("music_volume1.0", stored));
        EXPECT_EQ(stored, 20);
    }
    {
        // Settings out of range, as a hand edit may leave them.
        Lumo::LumoApp writer;
        writer.registryKey = "Quillo Games\\Tavoro Oribel";
        writer.RegistryWriteInteger("music_volume1.0", 250);
        writer.RegistryWriteInteger("sound_volume1.0", -7);
    }
    GameApp app;
    app.PropertiesHook();
    EXPECT_EQ(app.mMusicVolume, 100);
    EXPECT_EQ(app.mSoundVolume, 0);
}

TEST_F(GameAppTest, ADemoCarriesThePlayersAndItsPlaybackLeavesTheirFileAlone)
{
    const std::string folder = mFolder.Path() + "/userdata/";
    const auto storePlayer = [&](const char* name) {
        PlayerProfiles& profiles = Game().mProfiles;
        profiles.CreateDefaults();
        profiles.mProfiles[0].SetName(name);
        profiles.mFile.SetFolder(folder);
        ASSERT_TRUE(profiles.mFile.Save(profiles));
    };
    const auto firstPlayer = [] { return std::string(Game().mProfiles.mProfiles[0].mName); };

    storePlayer("Ada");
    Lumo::Buffer recorded;
    {
        GameApp app;
        app.recordingDemo = true;
        app.LoadPlayers(folder);
        EXPECT_EQ(firstPlayer(), "Ada");
        recorded.WriteBytes(app.demoBuffer.GetDataPtr(), app.demoBuffer.GetDataLen());
        app.recordingDemo = false;
    }

    // The player file changed since: the played demo still starts from Ada,
    // and what it saves does not reach the file.
    storePlayer("Bob");
    {
        GameApp app;
        app.playingDemo = true;
        app.demoBuffer.WriteBytes(recorded.GetDataPtr(), recorded.GetDataLen());
        app.demoBuffer.SeekFront();
        app.LoadPlayers(folder);
        EXPECT_EQ(firstPlayer(), "Ada");
        EXPECT_FALSE(app.demoDiverged);
        EXPECT_TRUE(app.DemoStreamEnded());
        Game().mProfiles.mProfiles[0].SetName("Cyd");
        EXPECT_TRUE(SaveProfiles());
        app.playingDemo = false;
    }
    Game().mProfiles.mFile.SetReplaying(false);
    LoadProfiles(folder);
    EXPECT_EQ(firstPlayer(), "Bob");
}

TEST_F(GameAppTest, FocusChangesPauseAndSwallowTheReturningClick)
{
    GameApp app;
    app.LostFocus();
    EXPECT_EQ(mGame->mActive, 0);
    EXPECT_EQ(mGame->mPauseState, 2);
    EXPECT_EQ(app.cursorKind, 0) << "the system pointer shows while away";

    mGame->SetLoadingState(101);
    auto* screen = new Level;
    std::strcpy(screen->mName, "level_1");
    mGame->mLiveObjects.Append(screen);
    mGame->mLastTick = 777;
    app.GotFocus();
    EXPECT_EQ(mGame->mActive, 1);
    EXPECT_EQ(mGame->mPauseState, 0);
    EXPECT_EQ(mGame->mLastTick, 0u) << "the tick clock restarts";
    EXPECT_EQ(mGame->mInput.mSwallowNextClick, 1) << "in a level the returning click is swallowed";
    EXPECT_EQ(app.cursorKind, 11);

    std::strcpy(screen->mName, "my_main_menu");
    app.GotFocus();
    EXPECT_EQ(mGame->mInput.mSwallowNextClick, 0) << "the main menu takes it";

    // While the level editor is open focus changes change nothing.
    AnimObject editor;
    mGame->mEditor = &editor;
    app.LostFocus();
    EXPECT_EQ(mGame->mActive, 1);
    EXPECT_EQ(mGame->mPauseState, 0);
    mGame->mActive = 0;
    mGame->mPauseState = 2;
    app.GotFocus();
    EXPECT_EQ(mGame->mActive, 0);
    EXPECT_EQ(mGame->mPauseState, 2);
    mGame->mEditor = nullptr;
}

TEST_F(GameAppTest, ShutdownDuringTheSplashesEmptiesTheGame)
{
    mFolder.Write("config.xml", "<game>\n</game>\n");
    GameApp app;
    app.SetSeed(9);
    app.LoadingThreadCompleted();
    ASSERT_NE(app.GetMainWidget(), nullptr);
    app.GetMainWidget()->Draw(mGraphics.get());
    EXPECT_EQ(mGame->GetLoadingState(), -1);
    EXPECT_FALSE(mGame->mLiveObjects.IsEmpty());
    EXPECT_GT(mGame->mImageCache.GetCount(), 0);
    app.ShutdownHook();
    EXPECT_TRUE(mGame->IsQuitting());
    EXPECT_TRUE(mGame->mLiveObjects.IsEmpty());
    EXPECT_EQ(mGame->mImageCache.GetCount(), 0);
    EXPECT_FALSE(app.GetMainWidget()->HasLoadingThread());
}

TEST_F(GameAppTest, DebugKeyEAndTheCommandLineOpenTheEditorOnceLoaded)
{
    GameApp app;
    auto* level = new Level();
    level->AddStage(1000.0f, 1, 1, 1, "idle");
    mGame->mLiveObjects.Append(level);

    mGame->SetLoadingState(50);
    EXPECT_TRUE(app.DebugKeyDown('E')) << "the key is the game's even while it loads";
    EXPECT_EQ(mGame->mEditor, nullptr) << "nothing to edit while loading";

    mGame->SetLoadingState(101);
    EXPECT_TRUE(app.DebugKeyDown('E'));
    AnimObject* editor = mGame->mEditor;
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->mParent, level);
    EXPECT_EQ(editor->mKind, kKindEditor);
    EXPECT_EQ(level->mEditorMode, 1);
    EXPECT_TRUE(app.DebugKeyDown('E'));
    EXPECT_EQ(level->CountChildrenOfKind(kKindEditor), 1) << "one editor at a time";
    mGame->mLiveObjects.RemoveAll();
    EXPECT_EQ(mGame->mEditor, nullptr);

    // "-editor" on the command line: the first screen that has ticked once
    // the game has loaded, once.
    app.ParseCommandParam("-editor", "");
    auto* menu = new Level();
    menu->AddStage(1000.0f, 1, 1, 1, "idle");
    mGame->mLiveObjects.Append(menu);
    mGame->mTicked = false;
    app.OpenEditorWhenDue();
    EXPECT_EQ(mGame->mEditor, nullptr) << "no tick has run yet";
    mGame->mTicked = true;
    app.OpenEditorWhenDue();
    ASSERT_NE(mGame->mEditor, nullptr);
    EXPECT_EQ(mGame->mEditor->mParent, menu);
    mGame->mLiveObjects.RemoveAll();
    app.OpenEditorWhenDue();
    EXPECT_EQ(mGame->mEditor, nullptr);
}

} // namespace
