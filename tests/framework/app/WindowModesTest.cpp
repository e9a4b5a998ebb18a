// The main window and the display on it: placement of the framed window,
// the full-screen window, the fallbacks when a mode cannot start (an
// unusable desktop depth, a refused full screen, a failed display), mode
// switches with Alt+Enter, and recovery from a lost display.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/video/DisplayResults.h"
#include "platform/window/EventPump.h"
#include "support/FakePlatformRecorder.h"
#include "support/FakeWindowSystem.h"
#include "support/ScopedDisplayHost.h"
#include "support/SimulatedClock.h"
#include "support/WindowTestApp.h"

#include <gtest/gtest.h>

namespace {

class ModeApp : public LumoTest::WindowTestApp {
public:
    ModeApp() : WindowTestApp(800, 600) {}
};

class WindowModesTest : public ::testing::Test {
protected:
    WindowModesTest()
    {
        Plat::GetEventPump().Clear();
        Lumo::gDisplayLost = false;
        Lumo::gLastDisplayReinitTime = 0;
    }
    ~WindowModesTest() override
    {
        Plat::GetEventPump().Clear();
        Lumo::gDisplayLost = false;
    }

    Plat::DisplayHost& Host() { return mHost.host; }

    SimulatedClock mClock{700000};
    FakePlatformRecorder mPlatform;
    FakeWindowSystem mWindows;
    ScopedDisplayHost mHost;
};

constexpr uint32_t kFramedStyle = 0x82CA0000u;

TEST_F(WindowModesTest, TheFramedWindowIsPlacedFromTheSettings)
{
    // 800 x 600 client area in a 3, 22, 3, 3 frame: 806 x 625 outside.
    struct Case {
        const char* name;
        int preferredX;
        int preferredY;
        Plat::ScreenRect work;
        int expectedX;
        int expectedY;
    };
    const Case cases[] = {
        // Centred across; 0.382 x (1040 - 625) = 158.53 above.
        {"no position", -1, -1, {0, 0, 1920, 1040}, 557, 158},
        {"no position, panel on top", -1, 7, {0, 40, 1920, 1080}, 557, 198},
        {"corner", 0, 0, {0, 0, 1920, 1040}, 4, 4},
        {"left of the work area", 10, 10, {100, 50, 1920, 1040}, 104, 54},
        // 1500 + 806 passes 1916: moved to end 4 pixels inside.
        {"past the right edge", 1500, 100, {0, 0, 1920, 1040}, 1110, 100},
        {"past the bottom", 100, 900, {0, 0, 1920, 1040}, 100, 411},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mWindows.workArea = c.work;
        ModeApp app;
        app.preferredX = c.preferredX;
        app.preferredY = c.preferredY;
        app.MakeWindow();
        ASSERT_NE(app.Window(), nullptr);
        const Plat::ScreenRect expected{c.expectedX, c.expectedY, c.expectedX + 806, c.expectedY + 625};
        EXPECT_EQ(app.Window()->rect, expected);
        EXPECT_EQ(app.Window()->Style(), kFramedStyle);
        EXPECT_EQ(app.Window()->ExStyle(), 0u);
        EXPECT_EQ(app.Window()->ClassName(), "MainWindow");
        if (c.preferredX == -1) {
            EXPECT_EQ(app.Window()->createdRect.left, 64);
        }
        EXPECT_TRUE(app.physicallyWindowed);
        EXPECT_EQ(app.Window()->GetUserData(), &app);
    }
}

TEST_F(WindowModesTest, AWorkingDisplayIsHandedToTheWidgets)
{
    ModeApp app;
    app.allowMaximize = true;
    app.width = 640;
    app.height = 480;
    app.MakeWindow();
    ASSERT_NE(app.ddInterface, nullptr);
    EXPECT_EQ(app.Window()->Style(), 0x82CB0000u);
    EXPECT_TRUE(app.ddInterface->mInitialized);
    EXPECT_EQ(app.manager.image, app.ddInterface->GetScreenImage());
    EXPECT_NE(app.manager.image, nullptr);
    EXPECT_EQ(app.screenRect, Lumo::TRect<int>(0, 0, 640, 480));
    EXPECT_EQ(app.manager.mouseDestRect, app.ddInterface->mPresentationRect);
    EXPECT_EQ(app.refreshRate, app.ddInterface->mRefreshRate);
    EXPECT_TRUE(app.active);
    // The frame timer runs at the update step.
    Plat::WindowMessage msg;
    EXPECT_FALSE(Plat::GetEventPump().PeekMessage(msg, false));
    mClock.Advance(10);
    ASSERT_TRUE(Plat::GetEventPump().PeekMessage(msg, true));
    EXPECT_EQ(msg.message, Plat::kWmTimer);
    EXPECT_EQ(msg.wParam, 100u);

    // A new window replaces the old one and gets the display.
    app.SwitchScreenMode();
    EXPECT_EQ(mWindows.live.size(), 1u);
    EXPECT_EQ(mWindows.createdCount, 2);
    EXPECT_EQ(app.ddInterface->mWindow, app.mainWindow);
}

TEST_F(WindowModesTest, FullScreenIsATopmostPopupOverTheGameArea)
{
    ModeApp app;
    app.windowed = false;
    app.MakeWindow();
    ASSERT_NE(app.Window(), nullptr);
    EXPECT_EQ(app.Window()->ExStyle(), 8u);
    EXPECT_EQ(app.Window()->Style(), 0x90000000u);
    EXPECT_EQ(app.Window()->rect, (Plat::ScreenRect{0, 0, 800, 600}));
    EXPECT_FALSE(app.physicallyWindowed);
    EXPECT_TRUE(app.ddInterface->mInitialized);

    // A played demo always runs in a window.
    ModeApp player;
    player.windowed = false;
    player.playingDemo = true;
    player.MakeWindow();
    EXPECT_TRUE(player.physicallyWindowed);
}

TEST_F(WindowModesTest, AnUnusableDesktopDepthMovesToFullScreen)
{
    Host().desktopBits = 24;
    ModeApp app;
    app.MakeWindow();
    EXPECT_TRUE(app.forceFullscreen);
    EXPECT_FALSE(app.windowed);
    EXPECT_FALSE(app.physicallyWindowed);
    EXPECT_EQ(mWindows.live.size(), 1u);
    EXPECT_EQ(mWindows.createdCount, 2);
    EXPECT_TRUE(app.ddInterface->mInitialized);
    EXPECT_TRUE(mPlatform.boxes.empty());

    // From then on every switch stays in full screen; Alt+Enter does nothing.
    app.SwitchScreenMode(true);
    EXPECT_FALSE(app.physicallyWindowed);
    Plat::GetEventPump().PostMessage({app.mainWindow, Plat::kWmSysKeyDown, Plat::kVkReturn, 1 << 29});
    for (int i = 0; i < 10; ++i) {
        app.loopState = 0;
        app.UpdateAppStep(nullptr);
    }
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(mWindows.createdCount, 2);
}

TEST_F(WindowModesTest, WhenNeitherModeWorksTheRunEndsWithTheReason)
{
    struct Case {
        const char* name;
        bool windowed;
        int desktopBits;
        Plat::DisplayCall failingCall;
        const char* expectedText;
    };
    const Case cases[] = {
        // Unusable depth in a window, full screen refused: back in a window,
        // which cannot work either.
        {"depth, then full screen refused", true, 24, Plat::DisplayCall::SetDisplayMode,
         "Please set your desktop color depth to 16 bit."},
        {"full screen refused, then depth", false, 24, Plat::DisplayCall::SetCooperativeLevel,
         "Please set your desktop color depth to 16 bit."},
        {"no display device", true, 32, Plat::DisplayCall::DirectDrawCreateEx,
         "Failed to initialize DirectDraw: RESULT_DD_CREATE_FAIL DirectDrawCreateEx: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatformRecorder platform;
        Host().ClearFaults();
        Host().desktopBits = c.desktopBits;
        Host().InjectFault(c.failingCall, 0, Plat::DDERR_GENERIC);
        ModeApp app;
        app.windowed = c.windowed;
        EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.MakeWindow(); }), 1);
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].text.rfind(c.expectedText, 0), 0u) << platform.boxes[0].text;
        EXPECT_EQ(platform.boxes[0].title, "FATAL ERROR");
    }
    Host().ClearFaults();
}

TEST_F(WindowModesTest, ARefusedFullScreenFallsBackToAWindow)
{
    for (const Plat::DisplayCall call : {Plat::DisplayCall::SetCooperativeLevel, Plat::DisplayCall::SetDisplayMode}) {
        Host().ClearFaults();
        // Only the exclusive (full-screen) request is refused.
        Host().InjectFault(call, 1, Plat::DDERR_GENERIC);
        ModeApp app;
        app.windowed = false;
        app.MakeWindow();
        EXPECT_TRUE(app.fullScreenFailed);
        EXPECT_TRUE(app.windowed);
        EXPECT_TRUE(app.physicallyWindowed);
        EXPECT_TRUE(app.ddInterface->mInitialized);
        EXPECT_TRUE(mPlatform.boxes.empty());
    }
    Host().ClearFaults();
}

TEST_F(WindowModesTest, NoWindowEndsTheRun)
{
    mWindows.refuseWindows = true;
    ModeApp app;
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.MakeWindow(); }), 1);
    ASSERT_EQ(mPlatform.boxes.size(), 1u);
    EXPECT_EQ(mPlatform.boxes[0].text.rfind("Failed to initialize DirectDraw: ", 0), 0u);
    EXPECT_EQ(app.mainWindow, nullptr);
}

TEST_F(WindowModesTest, AltEnterSwitchesBetweenWindowAndFullScreen)
{
    ModeApp app;
    app.MakeWindow();
    ASSERT_TRUE(app.physicallyWindowed);
    // Posts Alt+Enter and steps the loop until every queued message is handled.
    auto altEnter = [&] {
        Plat::GetEventPump().PostMessage({app.mainWindow, Plat::kWmSysKeyDown, Plat::kVkReturn, 1 << 29});
        for (int i = 0; i < 10; ++i) {
            app.loopState = 0;
            app.UpdateAppStep(nullptr);
            if (app.deferredMessages.empty())
                break;
        }
    };

    app.manager.keyDown[Plat::kVkMenu] = 1;
    mClock.Advance(123);
    altEnter();
    EXPECT_FALSE(app.windowed);
    EXPECT_FALSE(app.physicallyWindowed);
    EXPECT_EQ(app.displayChangeTime, mClock.Now());
    EXPECT_EQ(app.Window()->calls, (std::vector<std::string>{"Show 1", "SetForeground"}));
    EXPECT_EQ(app.manager.keyDown[Plat::kVkMenu], 0); // the keys start afresh

    altEnter();
    EXPECT_TRUE(app.physicallyWindowed);

    // Not allowed: Enter is an ordinary key.
    app.allowAltEnter = false;
    altEnter();
    EXPECT_TRUE(app.physicallyWindowed);
    EXPECT_EQ(app.manager.keyDown[Plat::kVkReturn], 1);
    EXPECT_EQ(mWindows.createdCount, 3);
    // The same mode again, not forced, makes no new window.
    app.SwitchScreenMode(true);
    EXPECT_EQ(mWindows.createdCount, 3);
}

TEST_F(WindowModesTest, ALostDisplayIsRestored)
{
    ModeApp app;
    app.MakeWindow();
    ASSERT_TRUE(app.ddInterface->mInitialized);
    const int starts = app.ddInterface->mInitCount;

    app.Redraw(nullptr);
    EXPECT_FALSE(Lumo::gDisplayLost);
    EXPECT_EQ(app.redrawCount, 1);

    // Every blit fails: the display is lost and restarted at once.
    Host().InjectFault(Plat::DisplayCall::Blt, 0, Plat::DDERR_GENERIC);
    mClock.Advance(5000);
    app.Redraw(nullptr);
    EXPECT_TRUE(Lumo::gDisplayLost);
    EXPECT_EQ(app.ddInterface->mInitCount, starts + 1);
    EXPECT_EQ(Lumo::gLastDisplayReinitTime, mClock.Now());
    EXPECT_EQ(app.displayChangeTime, mClock.Now());
    EXPECT_EQ(app.manager.image, app.ddInterface->GetScreenImage());

    // While lost, drawing only retries the display.
    const int drawsBefore = app.drawCount;
    EXPECT_FALSE(app.DrawDirty());
    EXPECT_TRUE(app.lastDrawSkipped);
    EXPECT_EQ(app.drawCount, drawsBefore);
    EXPECT_EQ(app.ddInterface->mInitCount, starts + 2);

    // An inactive window retries at most once a second.
    app.active = false;
    mClock.Advance(1000);
    app.Redraw(nullptr);
    EXPECT_EQ(app.ddInterface->mInitCount, starts + 2);
    mClock.Advance(1);
    app.Redraw(nullptr);
    EXPECT_EQ(app.ddInterface->mInitCount, starts + 3);

    // The first good present ends the loss.
    Host().ClearFaults();
    app.Redraw(nullptr);
    EXPECT_FALSE(Lumo::gDisplayLost);
    EXPECT_EQ(Lumo::gLastDisplayReinitTime, 0u);
}

TEST_F(WindowModesTest, AnInactiveFullScreenWaitsToBeActivated)
{
    ModeApp app;
    app.windowed = false;
    app.MakeWindow();
    const int starts = app.ddInterface->mInitCount;
    app.active = false;
    Host().InjectFault(Plat::DisplayCall::Flip, 0, Plat::DDERR_GENERIC);
    Host().InjectFault(Plat::DisplayCall::Blt, 0, Plat::DDERR_GENERIC);
    for (int i = 0; i < 3; ++i) {
        mClock.Advance(2000);
        app.Redraw(nullptr);
    }
    EXPECT_TRUE(Lumo::gDisplayLost);
    EXPECT_EQ(app.ddInterface->mInitCount, starts);
    Host().ClearFaults();
    app.active = true;
    app.Redraw(nullptr);
    EXPECT_FALSE(Lumo::gDisplayLost);
}

TEST_F(WindowModesTest, NothingIsPresentedWhileDrawingOrMinimised)
{
    ModeApp app;
    app.MakeWindow();
    app.isDrawing = true;
    app.Redraw(nullptr);
    app.isDrawing = false;
    app.minimized = true;
    app.Redraw(nullptr);
    EXPECT_EQ(app.redrawCount, 0);
    app.minimized = false;
    app.Redraw(nullptr);
    EXPECT_EQ(app.redrawCount, 1);
}

} // namespace
