// The Platform layer's mouse, keys, pointer, screen-mode and 3-D switches
// and message boxes from other threads, against a fake application.
#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectLoader.h"
#include "support/FakePlatformRecorder.h"
#include "support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

class PlatformInputTest : public GameDataFixture {
protected:
    PlatformInputTest()
    {
        for (const char* name : {"no_windowed", "3d_not_supported", "3d_not_recommended"})
            AddScreen(name);
    }

    void AddScreen(const char* name)
    {
        const std::string text = std::string("<object type=\"level\" name=\"") + name +
                                 "\">\n<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n";
        LevelRecord* record = mGame->mMainLevels.Append(new LevelRecord);
        std::strcpy(record->mName, name);
        record->mFileName = std::string(name) + ".xml";
        record->mText.reset(new char[text.size() + 1]);
        std::memcpy(record->mText.get(), text.c_str(), text.size() + 1);
        record->mTextLength = int(text.size());
    }

    // A screen the player is on, with its stored mouse.
    Level* OpenGameScreen(float mouseX, float mouseY)
    {
        auto* screen = new Level;
        std::strcpy(screen->mName, "game");
        screen->mMouseX = mouseX;
        screen->mMouseY = mouseY;
        mGame->mLiveObjects.Append(screen);
        return screen;
    }
};

struct InsideCase {
    int x;
    int y;
    bool inWindow;
    int gameFlag;
    bool expected;
};

TEST_F(PlatformInputTest, MouseIsInsideOnlyOverTheGameArea)
{
    const std::vector<InsideCase> cases = {
        {799, 599, true, 1, true}, {0, 0, true, 1, true},    {800, 10, true, 1, false}, {10, 600, true, 1, false},
        {-1, 10, true, 1, false},  {10, -1, true, 1, false}, {10, 10, false, 1, false}, {10, 10, true, 0, false},
    };
    for (const InsideCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        host.mouseX = c.x;
        host.mouseY = c.y;
        host.mouseInWindow = c.inWindow;
        mGame->mMouseInside = c.gameFlag;
        EXPECT_EQ(mPlatform.IsMouseInside(), c.expected);
        EXPECT_EQ(mPlatform.GetMouseX(), float(c.x));
        EXPECT_EQ(mPlatform.GetMouseY(), float(c.y));
    }
}

TEST_F(PlatformInputTest, ButtonsAndKeysComeFromTheGameInput)
{
    GameInput& input = mGame->mInput;
    EXPECT_FALSE(mPlatform.WasMouseButtonPressed());
    // A tap within one tick: the button is up again when the tick asks.
    input.MouseDown(1);
    input.MouseUp(1);
    EXPECT_FALSE(mPlatform.IsMouseButtonDown());
    EXPECT_TRUE(mPlatform.WasMouseButtonPressed());
    EXPECT_FALSE(mPlatform.WasMouseButtonPressed());

    host.leftButtonDown = true;
    EXPECT_TRUE(mPlatform.IsMouseButtonDown());

    input.MouseDown(-1);
    EXPECT_TRUE(mPlatform.WasRightButtonPressed());
    EXPECT_FALSE(mPlatform.WasRightButtonPressed());

    input.KeyDown('W');
    EXPECT_TRUE(mPlatform.IsKeyDown('W'));
    EXPECT_TRUE(mPlatform.WasKeyPressed('W'));
    EXPECT_FALSE(mPlatform.WasKeyPressed('W'));
    EXPECT_TRUE(mPlatform.IsKeyDown('W'));
    // The engine's hook answers the same way (event alternative keys).
    input.KeyUp('W');
    input.KeyDown('W');
    GameHooks base;
    EXPECT_TRUE(base.WasKeyPressed('W'));
    EXPECT_FALSE(base.WasKeyPressed('W'));

    EXPECT_EQ(mPlatform.PopInputEvent(), 1u);
    EXPECT_EQ(mPlatform.PopInputEvent(), 2u);
    EXPECT_EQ(mPlatform.PopInputEvent(), unsigned('W'));
    mPlatform.ClearInputEvents();
    EXPECT_EQ(mPlatform.PopInputEvent(), 0u);
}

TEST_F(PlatformInputTest, PointerIsPutAtTheGamePointInWindowAndFullScreen)
{
    mPlatform.SetMousePosition(120.7f, 33.2f);
    host.windowed = false;
    // 1920 x 1080 desktop: the 4:3 picture is 1440 wide, 240 from the left.
    host.presentationDisplayWidth = 1920;
    host.presentationHeightPixels = 1080;
    mPlatform.SetMousePosition(100.0f, 50.0f);
    mPlatform.SetMousePosition(0.0f, 599.0f);
    EXPECT_EQ(host.warps, (std::vector<std::pair<int, int>>{{120, 33}, {420, 90}, {240, 1078}}));

    mPlatform.HideCursor();
    mPlatform.ShowCursor();
    EXPECT_EQ(host.cursorKinds, (std::vector<int>{11, 0}));
}

struct WindowCase {
    const char* name;
    int desktopWidth;
    int desktopHeight;
    int depth;
    bool editorOpen;
    bool want;
    bool switched;
};

TEST_F(PlatformInputTest, WindowModeSwitchesOrExplainsWhyNot)
{
    const std::vector<WindowCase> cases = {
        {"large desktop", 1024, 768, 32, false, true, true},
        {"to full screen", 1024, 768, 32, false, false, true},
        {"16-bit desktop", 1024, 768, 16, false, true, true},
        {"desktop no larger than the game", 800, 600, 32, false, true, false},
        {"desktop wider only", 1024, 600, 32, false, true, true},
        {"editor open", 1024, 768, 32, true, true, false},
        {"24-bit desktop, window asked", 1024, 768, 24, false, true, false},
        {"24-bit desktop, full screen asked", 1024, 768, 24, false, false, true},
    };
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.name);
        NewGame();
        for (const char* name : {"no_windowed"})
            AddScreen(name);
        OpenGameScreen(300.0f, 200.0f);
        AnimObject editor;
        mGame->mEditor = c.editorOpen ? &editor : nullptr;
        host.desktopWidth = c.desktopWidth;
        host.desktopHeight = c.desktopHeight;
        host.desktopDepth = c.depth;
        host.modeSwitches.clear();
        host.warps.clear();
        host.accelerated3D = true;
        host.windowed = true;
        mPlatform.SetWindowed(c.want);
        mGame->mEditor = nullptr;
        if (c.switched) {
            EXPECT_EQ(host.modeSwitches, (std::vector<std::pair<bool, bool>>{{c.want, true}}));
            // The pointer goes back where the player had it.
            EXPECT_EQ(host.warps, (std::vector<std::pair<int, int>>{{300, 200}}));
            EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"game"}));
        } else {
            EXPECT_TRUE(host.modeSwitches.empty());
            EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"game", "no_windowed"}));
        }
    }
    // With no screen yet there is nothing to put the explanation over.
    NewGame();
    AddScreen("no_windowed");
    host.desktopWidth = 800;
    mPlatform.SetWindowed(true);
    EXPECT_TRUE(mGame->mLiveObjects.IsEmpty());
}

TEST_F(PlatformInputTest, ThreeDimensionalModeIsCheckedBeforeItIsSwitchedOn)
{
    OpenGameScreen(0.0f, 0.0f);
    host.supported3D = false;
    mPlatform.Check3DSupport(1);
    host.supported3D = true;
    host.recommended3D = false;
    mPlatform.Check3DSupport(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"game", "3d_not_supported", "3d_not_recommended"}));
    EXPECT_TRUE(host.set3D.empty());
    // Switching off is never refused.
    host.supported3D = false;
    mPlatform.Check3DSupport(0);
    host.supported3D = true;
    host.recommended3D = true;
    mPlatform.Check3DSupport(1);
    mPlatform.Set3D(false);
    EXPECT_EQ(host.set3D, (std::vector<bool>{false, true, false}));
}

TEST_F(PlatformInputTest, BoxesOfOtherThreadsWaitForTheMainThread)
{
    FakePlatformRecorder recorder;
    std::thread loader([this] {
        mPlatform.MessageBox("from the loader");
        mPlatform.ReportImageLoadFailure("gfx/lost.png");
        mPlatform.ShowQueuedMessages(); // not the main thread: nothing shown
    });
    loader.join();
    EXPECT_TRUE(recorder.boxes.empty());
    mPlatform.ShowQueuedMessages();
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text, "from the loader");
    EXPECT_EQ(recorder.boxes[0].title, "Trindle Game");
    EXPECT_EQ(recorder.boxes[1].title, "ERROR: Failed to load image");
    mPlatform.ShowQueuedMessages();
    EXPECT_EQ(recorder.boxes.size(), 2u);
}

} // namespace
