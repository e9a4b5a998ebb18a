// The application's view of the user: the cursor of each kind and the
// software cursor, what gaining and losing the focus does, system boxes over
// a full screen, the display option, the browser hand-off, the pause while
// the desktop's screen saver would run, and the filter that ends the
// program's own screen-saver mode on input.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/window/Cursor.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "support/FakeScreenSaverSystem.h"
#include "support/FakeWindowSystem.h"
#include "support/ScopedDisplayHost.h"
#include "support/RecordingWidget.h"
#include "support/SimulatedClock.h"
#include "support/WindowTestApp.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using LumoTest::RecordingWidget;
using Shape = Plat::Cursor::Shape;

class InputApp : public LumoTest::WindowTestApp {
public:
    InputApp() : WindowTestApp(640, 480) {}
    ~InputApp() override { Shutdown(); }

    void Mute(bool autoMute) override { log.push_back(autoMute ? "Mute auto" : "Mute"); }
    void Unmute(bool autoMute) override { log.push_back(autoMute ? "Unmute auto" : "Unmute"); }
    void GotFocus() override { log.push_back("GotFocus"); }
    void LostFocus() override { log.push_back("LostFocus"); }

    std::vector<std::string> log;
};

class InputFocusTest : public ::testing::Test {
protected:
    InputFocusTest()
    {
        Plat::GetEventPump().Clear();
        Lumo::detail::ResetScreenSaverState();
        // The application owns its main window from here on.
        mWindow = mApp.AttachMainWindow(mWindows, Plat::kWsCaption, 640, 480);
    }
    ~InputFocusTest() override
    {
        Plat::GetEventPump().Clear();
        Lumo::detail::ResetScreenSaverState();
    }

    void AddDisplay() { mApp.AddDisplay(); }

    // Messages the window procedure posted to itself.
    std::vector<uint32_t> Posted()
    {
        std::vector<uint32_t> out;
        Plat::WindowMessage msg;
        Plat::EventPump& pump = Plat::GetEventPump();
        while (pump.QueuedCount() > 0 && pump.PeekMessage(msg, true))
            out.push_back(msg.message);
        return out;
    }

    SimulatedClock mClock{500000};
    FakeScreenSaverSystem mSaver;
    FakeWindowSystem mWindows; // outlives the application and its window
    InputApp mApp;
    FakeWindow* mWindow = nullptr;
};

// ---- The cursor

TEST_F(InputFocusTest, EachCursorKindShowsItsSystemCursor)
{
    AddDisplay();
    struct Case {
        int kind;
        bool crashed;
        bool mouseIn;
        Plat::Cursor* expected; // null: no cursor at all
    };
    auto system = [](Shape shape) { return Plat::Cursor::GetSystem(shape); };
    const Case cases[] = {
        {0, false, true, system(Shape::Arrow)},
        // Without the application's own hand cursors, the desktop's hand.
        {1, false, true, system(Shape::Hand)},
        {2, false, true, system(Shape::Hand)},
        {3, false, true, system(Shape::IBeam)},
        {4, false, true, system(Shape::No)},
        {5, false, true, system(Shape::SizeAll)},
        {6, false, true, system(Shape::SizeNeSw)},
        {7, false, true, system(Shape::SizeNs)},
        {8, false, true, system(Shape::SizeNwSe)},
        {9, false, true, system(Shape::SizeWe)},
        {10, false, true, system(Shape::Wait)},
        {11, false, true, nullptr},
        {12, false, true, nullptr},
        {13, false, true, system(Shape::Arrow)}, // not in the table
        {-1, false, true, system(Shape::Arrow)},
        {3, true, true, system(Shape::Arrow)},   // crashed
        {11, false, false, system(Shape::Arrow)}, // mouse outside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        // Start from the other state so that the call must set it.
        Plat::Cursor::Show(c.expected == nullptr ? system(Shape::Arrow) : nullptr);
        mApp.cursorKind = c.kind;
        mApp.crashed = c.crashed;
        mApp.mouseIn = c.mouseIn;
        mApp.EnforceCursor();
        EXPECT_EQ(Plat::Cursor::Shown(), c.expected);
        EXPECT_EQ(mApp.ddInterface->mCursorImage, nullptr);
    }
}

TEST_F(InputFocusTest, TheHandKindsShowTheApplicationsOwnCursors)
{
    uint8_t andMask[128];
    uint8_t xorMask[128] = {};
    for (uint8_t& byte : andMask)
        byte = 0x0F;
    mApp.handCursor = Plat::Cursor::Create(11, 4, andMask, xorMask);
    mApp.draggingCursor = Plat::Cursor::Create(15, 10, andMask, xorMask);
    ASSERT_NE(mApp.handCursor, nullptr);
    ASSERT_NE(mApp.draggingCursor, nullptr);
    EXPECT_FALSE(mApp.handCursor->IsSystem());

    AddDisplay();
    mApp.mouseIn = true;
    mApp.cursorKind = 1;
    mApp.EnforceCursor();
    EXPECT_EQ(Plat::Cursor::Shown(), mApp.handCursor);
    mApp.cursorKind = 2;
    mApp.EnforceCursor();
    EXPECT_EQ(Plat::Cursor::Shown(), mApp.draggingCursor);

    // The application owns them: its destructor frees them, and a freed
    // cursor is no longer the one shown.
    delete mApp.draggingCursor;
    mApp.draggingCursor = nullptr;
    EXPECT_EQ(Plat::Cursor::Shown(), nullptr);
}

TEST_F(InputFocusTest, TheSoftwareCursorIsUsedWhenTheModeAsksForIt)
{
    AddDisplay();
    Lumo::MemoryImage image(&mApp);
    image.Create(8, 8);
    struct Case {
        const char* name;
        int kind;
        bool customCursors;
        bool playingDemo;
        bool mouseIn;
        bool realMouseKnown;
        int realX; // client coordinates of the real mouse
        int realY;
        bool software;          // the display got the image
        Plat::Cursor* expected; // the system cursor shown (null: hidden)
    };
    auto system = [](Shape shape) { return Plat::Cursor::GetSystem(shape); };
    const Case cases[] = {
        {"custom cursors", 3, true, false, true, false, 0, 0, true, nullptr},
        {"no reason for it", 3, false, false, true, false, 0, 0, false, system(Shape::IBeam)},
        {"kind 12 always", 12, false, false, true, false, 0, 0, true, nullptr},
        {"kind without image", 4, true, false, true, false, 0, 0, false, system(Shape::No)},
        {"mouse outside", 3, true, false, false, false, 0, 0, false, system(Shape::Arrow)},
        // During playback the real mouse over the window is refused.
        {"demo, mouse inside", 3, false, true, true, true, 10, 10, true, system(Shape::No)},
        {"demo, last pixel", 3, false, true, true, true, 639, 479, true, system(Shape::No)},
        {"demo, right of it", 3, false, true, true, true, 640, 10, true, system(Shape::Arrow)},
        {"demo, above it", 3, false, true, true, true, 10, -1, true, system(Shape::Arrow)},
        {"demo, mouse unknown", 3, false, true, true, false, 10, 10, true, system(Shape::Arrow)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mApp.cursorImages[3] = &image;
        mApp.cursorImages[12] = &image;
        mApp.ddInterface->SetCursorImage(c.software ? nullptr : &image); // the other state
        mApp.forceRedraw = false;
        Plat::Cursor::Show(c.expected == nullptr ? system(Shape::Wait) : nullptr);
        mApp.cursorKind = c.kind;
        mApp.customCursors = c.customCursors;
        mApp.playingDemo = c.playingDemo;
        mApp.mouseIn = c.mouseIn;
        mWindow->mouseKnown = c.realMouseKnown;
        mWindow->mouseX = c.realX;
        mWindow->mouseY = c.realY;
        mApp.EnforceCursor();
        EXPECT_EQ(mApp.ddInterface->mCursorImage, c.software ? &image : nullptr);
        EXPECT_EQ(Plat::Cursor::Shown(), c.expected);
        EXPECT_TRUE(mApp.forceRedraw); // the image changed

        // Again with nothing changed: no redraw is forced.
        mApp.forceRedraw = false;
        mApp.EnforceCursor();
        EXPECT_FALSE(mApp.forceRedraw);
    }
    mApp.playingDemo = false;
    mApp.cursorImages[3] = nullptr;
    mApp.cursorImages[12] = nullptr;
    mApp.ddInterface->SetCursorImage(nullptr);
}

TEST_F(InputFocusTest, NoCursorChangesWithoutADisplay)
{
    Plat::Cursor::Show(nullptr);
    mApp.mouseIn = true;
    mApp.cursorKind = 3;
    mApp.EnforceCursor();
    EXPECT_EQ(Plat::Cursor::Shown(), nullptr);
}

// ---- Focus

TEST_F(InputFocusTest, LosingTheFocusReleasesKeysButtonsAndCapture)
{
    std::vector<std::string> widgetLog;
    RecordingWidget widget("A", &widgetLog, 0, 0, 640, 480);
    mApp.manager.AddWidget(&widget);
    mApp.manager.SetFocus(&widget);

    // A key and the left button go down over the widget: the window
    // captures the mouse.
    Lumo::LumoAppBase::WindowProc(mWindow, Plat::kWmKeyDown, 0x41, 1);
    Lumo::LumoAppBase::WindowProc(mWindow, Plat::kWmLButtonDown, Plat::kMkLButton, Plat::MakeLParam(10, 12));
    mApp.ProcessDeferredMessages(false);
    EXPECT_TRUE(mWindow->captured);
    ASSERT_NE(mApp.manager.downButtons, 0u);

    widgetLog.clear();
    Lumo::LumoAppBase::WindowProc(mWindow, Plat::kWmActivateApp, 0, 0);
    EXPECT_FALSE(mApp.active); // at once
    mApp.ProcessDeferredMessages(false);
    EXPECT_FALSE(mApp.hasFocus);
    EXPECT_FALSE(mWindow->captured);
    EXPECT_EQ(mApp.manager.downButtons, 0u);
    std::vector<std::string> releases;
    for (const std::string& entry : widgetLog) {
        if (entry.find("Up(") != std::string::npos)
            releases.push_back(entry);
    }
    EXPECT_EQ(releases, (std::vector<std::string>{"A.KeyUp(65)", "A.MouseUp(10,12,0,1)"}));
    EXPECT_EQ(mApp.log, (std::vector<std::string>{"Mute auto", "LostFocus"}));
    mApp.manager.RemoveWidget(&widget);
}

TEST_F(InputFocusTest, FocusFollowsActivationAndMinimising)
{
    struct Step {
        const char* name;
        bool active;
        bool minimized;
        bool autoMute;
        std::vector<std::string> expected;
    };
    const Step steps[] = {
        {"still focused", true, false, true, {}},
        {"deactivated", false, false, true, {"Mute auto", "LostFocus"}},
        {"minimised too", false, true, true, {}},
        {"activated while minimised", true, true, true, {}},
        {"restored", true, false, true, {"Unmute auto", "GotFocus"}},
        {"minimised", true, true, true, {"Mute auto", "LostFocus"}},
        {"restored, no auto mute", true, false, false, {"GotFocus"}},
        {"deactivated, no auto mute", false, false, false, {"LostFocus"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        mApp.log.clear();
        mApp.active = step.active;
        mApp.minimized = step.minimized;
        mApp.autoMuteOnLostFocus = step.autoMute;
        mApp.RehupFocus();
        EXPECT_EQ(mApp.log, step.expected);
        EXPECT_EQ(mApp.hasFocus, step.active && !step.minimized);
    }
}

// ---- System boxes and the display option

TEST_F(InputFocusTest, SystemBoxesOverAFullScreenStopTheFlipping)
{
    ScopedDisplayHost host;
    // No display yet: nothing to prepare.
    mApp.physicallyWindowed = false;
    mApp.PrepareForGDIDialog();
    EXPECT_FALSE(mApp.noFlip);

    mApp.windowed = true;
    mApp.MakeWindow();
    ASSERT_NE(mApp.ddInterface, nullptr);
    const int before = host.host.CallCount(Plat::DisplayCall::FlipToGDISurface);
    mApp.PrepareForGDIDialog(); // a window shows boxes as they are
    EXPECT_FALSE(mApp.noFlip);
    EXPECT_EQ(host.host.CallCount(Plat::DisplayCall::FlipToGDISurface), before);

    mApp.windowed = false;
    mApp.SwitchScreenMode();
    ASSERT_FALSE(mApp.physicallyWindowed);
    const int fullBefore = host.host.CallCount(Plat::DisplayCall::FlipToGDISurface);
    mApp.PrepareForGDIDialog();
    EXPECT_TRUE(mApp.noFlip);
    EXPECT_EQ(host.host.CallCount(Plat::DisplayCall::FlipToGDISurface), fullBefore + 1);
}

TEST_F(InputFocusTest, TheDisplayOptionGivesTheWidgetsANewScreen)
{
    std::vector<std::string> widgetLog;
    RecordingWidget widget("A", &widgetLog, 0, 0, 640, 480);
    mApp.manager.AddWidget(&widget);

    // Before the display starts the option is only kept.
    mApp.SetDisplayOption(true);
    EXPECT_TRUE(mApp.videoOnlyDraw);
    EXPECT_TRUE(widget.dirty);
    mApp.SetDisplayOption(false);

    ScopedDisplayHost host;
    mApp.MakeWindow();
    ASSERT_NE(mApp.ddInterface, nullptr);
    Lumo::DDImage* oldScreen = mApp.ddInterface->GetScreenImage();
    ASSERT_EQ(mApp.manager.image, oldScreen);
    widget.dirty = false;
    mApp.SetDisplayOption(false); // unchanged: nothing happens
    EXPECT_FALSE(widget.dirty);
    EXPECT_EQ(mApp.manager.image, oldScreen);

    mApp.SetDisplayOption(true);
    EXPECT_TRUE(mApp.videoOnlyDraw);
    EXPECT_NE(mApp.ddInterface->GetScreenImage(), nullptr);
    EXPECT_EQ(mApp.manager.image, mApp.ddInterface->GetScreenImage());
    EXPECT_TRUE(widget.dirty);
    mApp.manager.RemoveWidget(&widget);
}

TEST_F(InputFocusTest, TheBrowserHandOffEndsThePendingUrl)
{
    struct Case {
        bool done;
        bool shutdownOnOpen;
        bool shutsDown;
    };
    const Case cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
    for (const Case& c : cases) {
        InputApp app;
        app.urlOpenPending = true;
        app.shutdownOnUrlOpen = c.shutdownOnOpen;
        if (c.done)
            app.UrlOpenDone("http://example.invalid/");
        else
            app.UrlOpenError("http://example.invalid/");
        EXPECT_FALSE(app.urlOpenPending);
        EXPECT_EQ(app.shutdown.load(), c.shutsDown);
    }
}

// ---- The pause while the desktop's screen saver would run

TEST_F(InputFocusTest, TheDesktopTimeoutLessTwoSecondsIsThePauseThreshold)
{
    struct Case {
        std::optional<uint32_t> seconds;
        uint32_t expectedMs;
    };
    const Case cases[] = {
        {0, 1000}, {1, 1000}, {2, 1000}, {3, 1000}, {4, 2000}, {62, 60000},
        {std::nullopt, 60000}, // unknown: the default stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds.value_or(9999));
        Lumo::detail::ResetScreenSaverState();
        mSaver.timeoutSeconds = c.seconds;
        mApp.ScreenSaverIdleCheck(mClock.Now());
        EXPECT_EQ(Lumo::detail::ScreenSaverTimeout(), c.expectedMs);
    }
}

TEST_F(InputFocusTest, AnIdleWindowedGamePausesUntilInput)
{
    mSaver.timeoutSeconds = 5; // 3000 ms
    mSaver.active = true;
    mApp.physicallyWindowed = true;
    const uint32_t t0 = mClock.Now();
    mApp.lastInputTime = t0;

    mApp.ScreenSaverIdleCheck(t0 + 3000);
    EXPECT_FALSE(Lumo::gScreenSaverIdle); // not beyond the threshold yet
    mApp.ScreenSaverIdleCheck(t0 + 3001);
    EXPECT_TRUE(Lumo::gScreenSaverIdle);
    EXPECT_FALSE(mApp.DoUpdateFrames()); // no update while paused

    // The desktop says its screen saver runs: input alone does not resume.
    mSaver.running = true;
    mApp.lastInputTime = t0 + 4000;
    mApp.ScreenSaverIdleCheck(t0 + 4500);
    EXPECT_TRUE(Lumo::gScreenSaverIdle);
    // It cannot say: the input resumes the game.
    mSaver.running.reset();
    mApp.ScreenSaverIdleCheck(t0 + 4600);
    EXPECT_FALSE(Lumo::gScreenSaverIdle);

    // Switched off: the next query (more than 10 s after the last) clears
    // the pause, and none starts again.
    mApp.ScreenSaverIdleCheck(t0 + 9000);
    EXPECT_TRUE(Lumo::gScreenSaverIdle);
    mSaver.active = false;
    mApp.ScreenSaverIdleCheck(t0 + 13000);
    EXPECT_TRUE(Lumo::gScreenSaverIdle); // the last query was at t0 + 3000
    mApp.ScreenSaverIdleCheck(t0 + 13001);
    EXPECT_FALSE(Lumo::gScreenSaverIdle);
    mApp.ScreenSaverIdleCheck(t0 + 30000);
    EXPECT_FALSE(Lumo::gScreenSaverIdle);
}

TEST_F(InputFocusTest, OnlyAWindowedGameOutsideScreenSaverModePauses)
{
    mSaver.timeoutSeconds = 3;
    mSaver.active = true;
    mApp.lastInputTime = mClock.Now() - 100000;
    struct Case {
        bool physicallyWindowed;
        bool isScreenSaver;
        bool pauses;
    };
    const Case cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const Case& c : cases) {
        Lumo::detail::ResetScreenSaverState();
        mApp.physicallyWindowed = c.physicallyWindowed;
        mApp.isScreenSaver = c.isScreenSaver;
        mApp.ScreenSaverIdleCheck(mClock.Now());
        EXPECT_EQ(Lumo::gScreenSaverIdle, c.pauses);
    }
    mApp.isScreenSaver = false;
}

TEST_F(InputFocusTest, TheDesktopsLastInputCountsWhenItIsKnown)
{
    mApp.physicallyWindowed = true;
    const uint32_t now = mClock.Now();
    mApp.lastInputTime = now - 50000;
    mSaver.lastInputTick = now - 100;
    mApp.ScreenSaverIdleCheck(now);
    EXPECT_EQ(mApp.lastInputTime, now - 100);
    mSaver.lastInputTick = now + 5; // never later than now
    mApp.ScreenSaverIdleCheck(now);
    EXPECT_EQ(mApp.lastInputTime, now);
}

TEST_F(InputFocusTest, TheLoopChecksOnceASecondAndDrawsNothingWhilePaused)
{
    mApp.physicallyWindowed = true;
    mApp.DrawDirty();
    mApp.DrawDirty();
    EXPECT_EQ(mSaver.checks, 1);
    mClock.Advance(999);
    mApp.DrawDirty();
    EXPECT_EQ(mSaver.checks, 1);
    mClock.Advance(1);
    mApp.DrawDirty();
    EXPECT_EQ(mSaver.checks, 2);

    Lumo::gScreenSaverIdle = true;
    mApp.forceRedraw = true;
    const int drawn = mApp.drawCount;
    EXPECT_FALSE(mApp.DrawDirty());
    EXPECT_EQ(mApp.drawCount, drawn);
    EXPECT_TRUE(mApp.lastDrawSkipped);
}

// ---- Screen-saver mode

class ScreenSaverModeTest : public InputFocusTest {
protected:
    ScreenSaverModeTest()
    {
        mApp.isScreenSaver = true;
        mWindow->mouseKnown = true;
        mWindow->mouseX = 10;
        mWindow->mouseY = 10;
    }

    // Hands the message to the filter; true when it swallowed it (answer 0).
    bool Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0)
    {
        intptr_t result = 99;
        const bool swallowed = mApp.ScreenSaverFilter(mWindow, message, wParam, lParam, result);
        if (swallowed) {
            EXPECT_EQ(result, 0);
        }
        return swallowed;
    }
    bool Move(int x, int y) { return Send(Plat::kWmMouseMove, 0, Plat::MakeLParam(x, y)); }
};

TEST_F(ScreenSaverModeTest, TheFourthDistinctMouseMoveEndsIt)
{
    EXPECT_FALSE(Send(Plat::kWmCreate)); // remembers (10, 10)
    struct Step {
        int x;
        int y;
        bool swallowed;
    };
    const Step steps[] = {
        {10, 10, true}, // where the mouse was: no move
        {11, 10, true}, // 1
        {12, 10, true}, // 2
        {12, 10, true}, // the same again does not count
        {13, 11, true}, // 3
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.x);
        EXPECT_EQ(Move(step.x, step.y), step.swallowed);
        EXPECT_TRUE(Posted().empty());
    }
    EXPECT_FALSE(Move(14, 11)); // 4: passes on, and the window is closed
    EXPECT_EQ(Posted(), std::vector<uint32_t>{Plat::kWmClose});
    // Closing: nothing is filtered any more and nothing posted again.
    EXPECT_FALSE(Move(20, 20));
    EXPECT_FALSE(Send(Plat::kWmKeyDown, 'A'));
    EXPECT_TRUE(Posted().empty());
}

TEST_F(ScreenSaverModeTest, WhatEndsItAndWhatDoesNot)
{
    struct Case {
        const char* name;
        uint32_t message;
        uintptr_t wParam;
        bool swallowed;
        bool ends;
    };
    const Case cases[] = {
        {"key", Plat::kWmKeyDown, 'A', false, true},
        {"system key", Plat::kWmSysKeyDown, Plat::kVkMenu, false, true},
        {"left button", Plat::kWmLButtonDown, Plat::kMkLButton, false, true},
        {"right button", Plat::kWmRButtonDown, Plat::kMkRButton, false, true},
        {"middle button", Plat::kWmMButtonDown, Plat::kMkMButton, false, true},
        {"close", Plat::kWmClose, 0, false, true},
        {"deactivated", Plat::kWmActivateApp, 0, false, true},
        {"window deactivated", Plat::kWmActivate, 0, false, true},
        {"frame deactivated", Plat::kWmNcActivate, 0, false, true},
        {"activated", Plat::kWmActivateApp, 1, false, false},
        {"key up", Plat::kWmKeyUp, 'A', false, false},
        {"button up", Plat::kWmLButtonUp, 0, false, false},
        {"timer", Plat::kWmTimer, 100, false, false},
        {"start the screen saver", Plat::kWmSysCommand, 0xF140, true, false},
        {"close command, low bits set", Plat::kWmSysCommand, 0xF063, true, false},
        {"next window", Plat::kWmSysCommand, 0xF040, true, false},
        {"previous window", Plat::kWmSysCommand, 0xF050, true, false},
        {"minimise command", Plat::kWmSysCommand, 0xF020, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lumo::detail::ResetScreenSaverState();
        intptr_t result = 99;
        EXPECT_EQ(mApp.ScreenSaverFilter(mWindow, c.message, c.wParam, 0, result), c.swallowed);
        if (c.swallowed) {
            EXPECT_EQ(result, 0);
        }
        EXPECT_EQ(Posted(), c.ends ? std::vector<uint32_t>{Plat::kWmClose} : std::vector<uint32_t>{});
    }
    // Only the main window's input ends it.
    Lumo::detail::ResetScreenSaverState();
    Plat::Window* other = mWindows.CreateWindow(0, "MainWindow", "o", 0, 0, 0, 10, 10);
    intptr_t result = 0;
    EXPECT_FALSE(mApp.ScreenSaverFilter(other, Plat::kWmKeyDown, 'A', 0, result));
    EXPECT_TRUE(Posted().empty());
    delete other;
}

TEST_F(ScreenSaverModeTest, RightAfterPoweringTheMonitorDownOnlyKeysAndButtonsEndIt)
{
    Send(Plat::kWmCreate);
    mApp.lastMonitorPowerTick = mClock.Now();
    mClock.Advance(999);
    for (int x = 11; x <= 15; ++x)
        Move(x, 10); // the 4th and 5th distinct moves pass, but end nothing
    Send(Plat::kWmActivateApp, 0);
    Send(Plat::kWmClose);
    EXPECT_TRUE(Posted().empty());
    EXPECT_FALSE(Send(Plat::kWmKeyDown, 'A'));
    EXPECT_EQ(Posted(), std::vector<uint32_t>{Plat::kWmClose});

    // A second later a move ends it again.
    Lumo::detail::ResetScreenSaverState();
    Send(Plat::kWmCreate);
    mClock.Advance(1);
    for (int x = 11; x <= 14; ++x)
        Move(x, 10);
    EXPECT_EQ(Posted(), std::vector<uint32_t>{Plat::kWmClose});
}

TEST_F(ScreenSaverModeTest, ARefusedPasswordKeepsItRunning)
{
    std::vector<bool> answers = {false, true};
    std::vector<Plat::Window*> asked;
    mSaver.passwordCheck = [&](Plat::Window* window) {
        asked.push_back(window);
        const bool answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    mApp.initialized = true;
    Send(Plat::kWmCreate);
    EXPECT_EQ(mSaver.calls, std::vector<std::string>{"SetRunning 1"});
    Send(Plat::kWmCreate); // only the first counts
    EXPECT_EQ(mSaver.calls.size(), 1u);

    mApp.updateTimeAccum = 120.0;
    mClock.Advance(50);
    mWindow->mouseX = 30; // where the mouse is when the check ends
    EXPECT_FALSE(Send(Plat::kWmKeyDown, 'A'));
    EXPECT_EQ(asked, std::vector<Plat::Window*>{mWindow});
    EXPECT_TRUE(Posted().empty());
    EXPECT_FALSE(mApp.noFlip);
    EXPECT_EQ(mApp.updateTimeAccum, 0.0);
    EXPECT_EQ(mApp.lastTimingTick, mClock.Now());

    // Moves are counted afresh from where the mouse was.
    EXPECT_TRUE(Move(30, 10));
    EXPECT_TRUE(Move(31, 10));
    EXPECT_TRUE(Move(32, 10));
    EXPECT_TRUE(Move(33, 10));
    EXPECT_FALSE(Move(34, 10)); // the 4th: asked again, accepted
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(Posted(), std::vector<uint32_t>{Plat::kWmClose});
    EXPECT_EQ(mSaver.calls, (std::vector<std::string>{"SetRunning 1", "SetRunning 0", "ReleasePasswordCheck"}));
}

TEST_F(ScreenSaverModeTest, NoPasswordIsAskedBeforeStartUpEnds)
{
    int asked = 0;
    mSaver.passwordCheck = [&](Plat::Window*) {
        ++asked;
        return false;
    };
    Send(Plat::kWmCreate);
    EXPECT_FALSE(Send(Plat::kWmKeyDown, 'A'));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Posted(), std::vector<uint32_t>{Plat::kWmClose});
}

TEST_F(ScreenSaverModeTest, TheWindowProcedureFiltersOnlyInScreenSaverMode)
{
    Send(Plat::kWmCreate);
    EXPECT_EQ(Lumo::LumoAppBase::WindowProc(mWindow, Plat::kWmMouseMove, 0, Plat::MakeLParam(50, 50)), 0);
    EXPECT_TRUE(mApp.deferredMessages.empty()); // swallowed before the queue
    mApp.isScreenSaver = false;
    Lumo::LumoAppBase::WindowProc(mWindow, Plat::kWmMouseMove, 0, Plat::MakeLParam(60, 50));
    EXPECT_EQ(mApp.deferredMessages.size(), 1u);
}

} // namespace
