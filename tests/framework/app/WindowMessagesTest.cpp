// The window procedure and the deferred queue: what is queued and what is
// dropped, the keys taken before the queue (the key hook, system keys, demo
// playback keys), Alt+Enter and Ctrl+Alt+D, minimising, the demo records of
// queued messages, the mouse leaving the window and the aspect kept while
// the frame is dragged.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "support/FakeWindowSystem.h"
#include "support/ManualClock.h"
#include "support/RecordingWidget.h"
#include "support/WindowTestApp.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kVkA = 0x41;
constexpr int kVkD = 0x44;
constexpr int kVkF = 0x46;

// Every overridable step the window messages lead to writes into `calls`.
class MessageApp : public LumoTest::WindowTestApp {
public:
    MessageApp() : WindowTestApp(800, 600) {}
    ~MessageApp() override { Shutdown(); }

    bool WindowKeyHook(int key, bool /*ctrl*/, bool /*alt*/) override { return swallowed.count(key) != 0; }
    bool DebugKeyDown(int key) override
    {
        calls.push_back("DebugKeyDown " + std::to_string(key));
        return consumedDebugKeys.count(key) != 0;
    }
    void SwitchScreenMode(bool wantWindowed) override
    {
        calls.push_back(std::string("SwitchScreenMode ") + (wantWindowed ? "windowed" : "full"));
        windowed = wantWindowed;
    }
    void Mute(bool autoMute) override { calls.push_back(std::string("Mute ") + (autoMute ? "auto" : "user")); }
    void Unmute(bool autoMute) override { calls.push_back(std::string("Unmute ") + (autoMute ? "auto" : "user")); }
    void EnforceCursor() override {}
    void CloseRequestHook() override { calls.push_back("CloseRequestHook"); }
    void RestoreAndActivate(uintptr_t kind, intptr_t param) override
    {
        calls.push_back("RestoreAndActivate " + std::to_string(kind) + " " + std::to_string(param));
    }
    int ShowJumpToTimeDialog() override
    {
        calls.push_back("ShowJumpToTimeDialog");
        return 0;
    }
    void UrlOpenDone(const std::string& url) override { calls.push_back("UrlOpenDone " + url); }
    void UrlOpenError(const std::string& url) override { calls.push_back("UrlOpenError " + url); }

    std::set<int> swallowed;
    std::set<int> consumedDebugKeys;
    std::vector<std::string> calls;
};

class WindowMessagesTest : public ::testing::Test {
protected:
    WindowMessagesTest()
    {
        Plat::GetEventPump().Clear();
        window = app.AttachMainWindow(windows, Plat::kWsCaption | Plat::kWsVisible, 806, 625);
        app.manager.AddWidget(&widget);
        app.manager.SetFocus(&widget);
        log.clear();
    }
    ~WindowMessagesTest() override
    {
        app.manager.RemoveWidget(&widget);
        app.mainWindow = nullptr;
        delete window;
        Plat::GetEventPump().Clear();
    }

    intptr_t Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0)
    {
        return Lumo::LumoAppBase::WindowProc(window, message, wParam, lParam);
    }
    void Drain() { app.ProcessDeferredMessages(false); }
    std::vector<uint32_t> Queued() const
    {
        std::vector<uint32_t> numbers;
        for (const Plat::WindowMessage& msg : app.deferredMessages)
            numbers.push_back(msg.message);
        return numbers;
    }
    // Reads the recorded stream back as fields of the given widths.
    std::vector<int> RecordedFields(const std::vector<int>& widths)
    {
        Lumo::Buffer& stream = app.demoBuffer;
        stream.SeekFront();
        std::vector<int> fields;
        for (const int bits : widths)
            fields.push_back(stream.ReadNumBits(bits, false));
        EXPECT_TRUE(stream.AtEnd()) << "more was recorded";
        return fields;
    }

    ManualClock clock{50000};
    FakeWindowSystem windows;
    MessageApp app;
    FakeWindow* window = nullptr;
    std::vector<std::string> log;
    LumoTest::RecordingWidget widget{"w", &log, 0, 0, 800, 600};
};

TEST_F(WindowMessagesTest, TheQueueDropsRepeatsAndEverythingAfterAClose)
{
    using namespace Plat;
    struct Case {
        const char* name;
        std::vector<uint32_t> sent;
        std::vector<uint32_t> queued;
    };
    const Case cases[] = {
        {"timer after timer", {kWmTimer, kWmTimer}, {kWmTimer}},
        {"timer after a key", {kWmTimer, kWmKeyDown, kWmTimer}, {kWmTimer, kWmKeyDown, kWmTimer}},
        {"second display change", {kWmDisplayChange, kWmKeyDown, kWmDisplayChange}, {kWmDisplayChange, kWmKeyDown}},
        {"colour change behind a display change",
         {kWmDisplayChange, kWmTimer, kWmSysColorChange},
         {kWmDisplayChange, kWmTimer}},
        {"display change behind a colour change", {kWmSysColorChange, kWmDisplayChange}, {kWmSysColorChange}},
        {"after a close", {kWmKeyDown, kWmClose, kWmChar, kWmTimer, kWmClose}, {kWmKeyDown, kWmClose}},
        {"answered at once", {kWmPaint, kWmEraseBkgnd, kWmSetCursor, kWmSysChar, kWmKeyUp}, {kWmKeyUp}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.deferredMessages.clear();
        for (const uint32_t message : c.sent)
            Send(message, message == kWmKeyDown || message == kWmKeyUp ? kVkA : 0);
        EXPECT_EQ(Queued(), c.queued);
    }

    // Under a system box over the full screen nothing is queued.
    app.deferredMessages.clear();
    app.calls.clear();
    app.noFlip = true;
    Send(kWmKeyDown, kVkA);
    Send(kWmClose);
    EXPECT_TRUE(Queued().empty());
    EXPECT_TRUE(app.calls.empty()); // not even the close request hook
}

TEST_F(WindowMessagesTest, ASwallowedKeyReachesNeitherDemoNorWidgetsButSetsTheModifierFlags)
{
    app.recordingDemo = true;
    app.swallowed = {Plat::kVkControl, Plat::kVkMenu, kVkA};
    EXPECT_EQ(Send(Plat::kWmKeyDown, Plat::kVkControl), 0);
    EXPECT_EQ(Send(Plat::kWmSysKeyDown, Plat::kVkMenu), 0);
    Send(Plat::kWmKeyDown, kVkA);
    EXPECT_TRUE(app.ctrlDown);
    EXPECT_TRUE(app.altDown);
    EXPECT_TRUE(app.deferredMessages.empty());

    // Releases are never offered to the hook.
    Send(Plat::kWmKeyUp, Plat::kVkControl);
    EXPECT_FALSE(app.ctrlDown);
    Drain();
    EXPECT_EQ(log, std::vector<std::string>{"w.KeyUp(17)"});
    // Only the key-up record: delta 0, long form, command 4, key 17.
    EXPECT_EQ(RecordedFields({4, 1, 5, 8}), (std::vector<int>{0, 0, 4, 17}));
}

TEST_F(WindowMessagesTest, SystemKeysOpenNothingButAltF4StillCloses)
{
    Plat::EventPump& pump = Plat::GetEventPump();
    for (const int key : {Plat::kVkMenu, Plat::kVkF10, kVkA}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(Send(Plat::kWmSysKeyDown, static_cast<uintptr_t>(key)), 0);
        EXPECT_EQ(pump.QueuedCount(), 0u);
    }
    EXPECT_EQ(Send(Plat::kWmSysKeyDown, Plat::kVkF4), 0);
    Plat::WindowMessage posted;
    ASSERT_TRUE(pump.PeekMessage(posted, true));
    EXPECT_EQ(posted.message, Plat::kWmClose);
    EXPECT_EQ(posted.window, window);

    pump.DispatchMessage(posted);
    EXPECT_EQ(app.calls, std::vector<std::string>{"CloseRequestHook"});
    Drain();
    EXPECT_TRUE(app.shutdown);
}

TEST_F(WindowMessagesTest, AltShortcutsAreEnterAndR)
{
    struct Case {
        int charCode;
        bool taken;
    };
    const Case cases[] = {{13, true}, {'r', true}, {'R', true}, {'e', false}, {10, false}, {-1, false}, {0x152, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charCode);
        EXPECT_EQ(app.IsAltShortcut(c.charCode), c.taken);
    }
}

TEST_F(WindowMessagesTest, AltEnterSwitchesTheModeOnceAndForgetsHeldKeys)
{
    struct Case {
        const char* name;
        bool allowAltEnter;
        bool forceFullscreen;
        bool switches;
    };
    const Case cases[] = {
        {"allowed", true, false, true},
        {"not allowed", false, false, false},
        {"full screen forced", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.calls.clear();
        log.clear();
        app.windowed = true;
        app.allowAltEnter = c.allowAltEnter;
        app.forceFullscreen = c.forceFullscreen;
        Send(Plat::kWmSysKeyDown, Plat::kVkMenu);
        Send(Plat::kWmSysKeyDown, Plat::kVkReturn);
        Drain();
        if (c.switches) {
            EXPECT_EQ(app.calls, std::vector<std::string>{"SwitchScreenMode full"});
            EXPECT_EQ(log, std::vector<std::string>{"w.KeyDown(18)"}); // Enter is not a key here
            EXPECT_EQ(app.manager.keyDown[Plat::kVkMenu], 0);
            EXPECT_FALSE(app.altDown);
        } else {
            EXPECT_TRUE(app.calls.empty());
            EXPECT_EQ(log, (std::vector<std::string>{"w.KeyDown(18)", "w.KeyDown(13)"}));
            EXPECT_TRUE(app.altDown);
        }
        Send(Plat::kWmSysKeyUp, Plat::kVkMenu);
        Send(Plat::kWmKeyUp, Plat::kVkReturn);
        Drain();
    }
}

TEST_F(WindowMessagesTest, CtrlAltDTogglesTheDebugKeys)
{
    app.consumedDebugKeys = {kVkF};
    Send(Plat::kWmKeyDown, Plat::kVkControl);
    Send(Plat::kWmSysKeyDown, Plat::kVkMenu);
    Send(Plat::kWmSysKeyDown, kVkD);
    Drain();
    EXPECT_TRUE(app.debugKeysEnabled);
    // D itself goes on to the debug keys, which leave it to the widgets.
    EXPECT_EQ(app.calls, std::vector<std::string>{"DebugKeyDown 68"});
    EXPECT_EQ(log.back(), "w.KeyDown(68)");

    // A debug key that is taken does not reach the widgets.
    app.calls.clear();
    log.clear();
    Send(Plat::kWmSysKeyDown, kVkF);
    Drain();
    EXPECT_EQ(app.calls, std::vector<std::string>{"DebugKeyDown 70"});
    EXPECT_TRUE(log.empty());

    // Again: off, and D no longer goes to the debug keys.
    app.calls.clear();
    Send(Plat::kWmSysKeyDown, kVkD);
    Drain();
    EXPECT_FALSE(app.debugKeysEnabled);
    EXPECT_TRUE(app.calls.empty());
    EXPECT_EQ(log, std::vector<std::string>{"w.KeyDown(68)"});

    // D without Alt toggles nothing.
    Send(Plat::kWmSysKeyUp, Plat::kVkMenu);
    Send(Plat::kWmKeyDown, kVkD);
    Drain();
    EXPECT_FALSE(app.debugKeysEnabled);
}

TEST_F(WindowMessagesTest, PlaybackKeysSteerTheReplay)
{
    struct Case {
        char key;
        double multiplier;
        int32_t target;
        bool runToEnd;
        bool stepDraw;
        bool paused;
    };
    // 50000 updates of 10 ms recorded; now at update 100; target 0.
    const Case cases[] = {
        {'+', 3.0, 0, false, false, false},
        {'-', 2.0 * 0.6666666666666666, 0, false, false, false},
        {'=', 1.0, 0, false, false, false},
        {'0', 2.0, 50000, false, false, false},
        {'4', 2.0, 50000 - 12000, false, false, false},
        {'7', 2.0, 50000 - 3000, false, false, false},
        {'9', 2.0, 50000 - 500, false, false, false},
        {'m', 2.0, 0, true, false, false},
        {'N', 2.0, 101, false, true, false},
        {'p', 2.0, 0, false, false, true},
        {'x', 2.0, 0, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        app.playingDemo = true;
        app.frameTime = 10;
        app.demoTotalUpdates = 50000;
        app.updateCount = 100;
        app.updateMultiplier = 2.0;
        app.demoTargetUpdate = 0;
        app.demoRunToEnd = false;
        app.demoStepDraw = false;
        app.demoPaused = false;
        app.updateTimeAccum = 30.0;
        Send(Plat::kWmChar, static_cast<uint8_t>(c.key));
        EXPECT_EQ(app.updateMultiplier, c.multiplier);
        EXPECT_EQ(app.demoTargetUpdate, c.target);
        EXPECT_EQ(app.demoRunToEnd, c.runToEnd);
        EXPECT_EQ(app.demoStepDraw, c.stepDraw);
        EXPECT_EQ(app.demoPaused, c.paused);
        if (c.paused) {
            EXPECT_EQ(app.updateTimeAccum, 0.0);
        }
        app.deferredMessages.clear();
    }
}

TEST_F(WindowMessagesTest, PlaybackSoundKeyMutesAndRestoresBothVolumes)
{
    app.playingDemo = true;
    app.musicVolume = 0.75;
    app.sfxVolume = 0.5;
    Send(Plat::kWmChar, 's');
    EXPECT_EQ(app.musicVolume, 0.0);
    EXPECT_EQ(app.sfxVolume, 0.0);
    EXPECT_EQ(app.savedMusicVolume, 0.75);
    EXPECT_EQ(app.savedSfxVolume, 0.5);
    Send(Plat::kWmChar, 'S');
    EXPECT_EQ(app.musicVolume, 0.75);
    EXPECT_EQ(app.sfxVolume, 0.5);

    Send(Plat::kWmChar, 'j');
    EXPECT_EQ(app.calls, std::vector<std::string>{"ShowJumpToTimeDialog"});
}

TEST_F(WindowMessagesTest, DuringPlaybackInputChangesNothingButClosingEnds)
{
    app.playingDemo = true;
    Send(Plat::kWmMouseMove, 0, Plat::MakeLParam(10, 20));
    Send(Plat::kWmLButtonDown, Plat::kMkLButton, Plat::MakeLParam(10, 20));
    Send(Plat::kWmKeyDown, kVkA);
    Send(Plat::kWmChar, 'a');
    // The real key-down still reaches the debug keys; everything is queued.
    EXPECT_EQ(app.calls, std::vector<std::string>{"DebugKeyDown 65"});
    EXPECT_EQ(app.deferredMessages.size(), 4u);
    Drain();
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(app.mouseIn);
    EXPECT_FALSE(window->captured);
    EXPECT_FALSE(app.shutdown);

    Send(Plat::kWmClose);
    Drain();
    EXPECT_TRUE(app.demoClosing);
    EXPECT_TRUE(app.shutdown);
}

TEST_F(WindowMessagesTest, MinimisingMutesAndRestoringUnmutes)
{
    // No focus to lose, so only the size change itself mutes.
    app.active = false;
    app.hasFocus = false;
    struct Step {
        uintptr_t sizeType;
        std::vector<std::string> calls;
        bool minimized;
    };
    const Step steps[] = {
        {Plat::kSizeMinimized, {"Mute auto"}, true},
        {Plat::kSizeMinimized, {}, true},
        {Plat::kSizeRestored, {"Unmute auto"}, false},
        {Plat::kSizeRestored, {}, false},
    };
    for (const bool autoMute : {true, false}) {
        app.autoMuteOnLostFocus = autoMute;
        for (const Step& step : steps) {
            SCOPED_TRACE(std::to_string(autoMute) + " " + std::to_string(step.sizeType));
            app.calls.clear();
            Send(Plat::kWmSize, step.sizeType);
            EXPECT_EQ(app.windowIconic, step.sizeType == Plat::kSizeMinimized); // at once
            Drain();
            EXPECT_EQ(app.minimized, step.minimized);
            EXPECT_EQ(app.calls, autoMute ? step.calls : std::vector<std::string>{});
        }
    }
}

TEST_F(WindowMessagesTest, MouseRecordsAreRelativeBelow32PixelsAndAbsoluteFrom32)
{
    struct Case {
        const char* name;
        uint32_t message;
        int x;
        int y;
        std::vector<int> widths;
        std::vector<int> fields;
    };
    // Every record: delta 4 bits, form 1 bit (1 short), command 1 or 5 bits.
    // The last recorded position is (100, 200).
    const Case cases[] = {
        {"31 pixels right", Plat::kWmMouseMove, 131, 200, {4, 1, 1, 6, 6}, {0, 1, 0, 31, 0}},
        {"31 pixels up and left", Plat::kWmMouseMove, 69, 169, {4, 1, 1, 6, 6}, {0, 1, 0, 64 - 31, 64 - 31}},
        {"32 pixels right", Plat::kWmMouseMove, 132, 200, {4, 1, 5, 12, 12}, {0, 0, 0, 132, 200}},
        {"32 pixels down", Plat::kWmMouseMove, 100, 232, {4, 1, 5, 12, 12}, {0, 0, 0, 100, 232}},
        {"no move", Plat::kWmMouseMove, 100, 200, {}, {}},
        {"left press in place", Plat::kWmLButtonDown, 100, 200, {4, 1, 1, 1, 3}, {0, 1, 1, 1, 1}},
        {"right release in place", Plat::kWmRButtonUp, 100, 200, {4, 1, 1, 1, 3}, {0, 1, 1, 0, 7}},
        {"right double-click in place", Plat::kWmRButtonDblClk, 100, 200, {4, 1, 1, 1, 3}, {0, 1, 1, 1, 6}},
        {"middle press after a move",
         Plat::kWmMButtonDown,
         101,
         200,
         {4, 1, 1, 6, 6, 4, 1, 1, 1, 3},
         {0, 1, 0, 1, 0, 0, 1, 1, 1, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.demoBuffer.Clear();
        app.demoMouseX = 100;
        app.demoMouseY = 200;
        app.DemoRecordMessage({window, c.message, 0, Plat::MakeLParam(c.x, c.y)});
        EXPECT_EQ(RecordedFields(c.widths), c.fields);
        EXPECT_EQ(app.demoMouseX, c.x);
        EXPECT_EQ(app.demoMouseY, c.y);
    }

    // The bytes of the 31-pixel move, least significant bit first:
    // 0000 1 0 111110 000000 -> 0xD0 0x07 0x00.
    app.demoBuffer.Clear();
    app.demoMouseX = 100;
    app.demoMouseY = 200;
    app.DemoRecordMessage({window, Plat::kWmMouseMove, 0, Plat::MakeLParam(131, 200)});
    ASSERT_EQ(app.demoBuffer.GetDataLen(), 3);
    const uint8_t* bytes = app.demoBuffer.GetDataPtr();
    EXPECT_EQ(bytes[0], 0xD0);
    EXPECT_EQ(bytes[1], 0x07);
    EXPECT_EQ(bytes[2], 0x00);
}

TEST_F(WindowMessagesTest, OtherMessagesWriteTheirRecords)
{
    FakeWindow* other = static_cast<FakeWindow*>(windows.CreateWindow(0, "Other", "o", 0, 0, 0, 10, 10));
    struct Case {
        const char* name;
        Plat::Window* target;
        uint32_t message;
        uintptr_t wParam;
        std::vector<int> widths;
        std::vector<int> fields;
    };
    // Long-form records: delta 4 bits, form 0, command 5 bits, then the data.
    const std::vector<int> head = {4, 1, 5};
    const auto with = [&](std::initializer_list<int> data) {
        std::vector<int> widths = head;
        widths.insert(widths.end(), data);
        return widths;
    };
    const uintptr_t wheelDown = static_cast<uintptr_t>(static_cast<uint16_t>(-240)) << 16;
    const Case cases[] = {
        {"activation", window, Plat::kWmActivateApp, 1, with({1}), {0, 0, 1, 1}},
        {"deactivation", window, Plat::kWmActivateApp, 0, with({1}), {0, 0, 1, 0}},
        {"activation of another window", other, Plat::kWmActivateApp, 1, {}, {}},
        {"minimised", window, Plat::kWmSize, Plat::kSizeMinimized, with({8}), {0, 0, 2, 1}},
        {"maximised", window, Plat::kWmSize, Plat::kSizeMaximized, with({8}), {0, 0, 2, 0}},
        {"close", window, Plat::kWmClose, 0, head, {0, 0, 6}},
        {"close of another window", other, Plat::kWmClose, 0, {}, {}},
        // Key-downs are recorded where they reach the widgets (DemoRecordKeyDown).
        {"key down", window, Plat::kWmKeyDown, 0x41, {}, {}},
        {"system key down", window, Plat::kWmSysKeyDown, 0x12, {}, {}},
        {"key up", window, Plat::kWmKeyUp, 0xBE, with({8}), {0, 0, 4, 0xBE}},
        {"system key up", window, Plat::kWmSysKeyUp, 0x73, with({8}), {0, 0, 4, 0x73}},
        {"character", window, Plat::kWmChar, 0xE9, with({1, 8}), {0, 0, 5, 0, 0xE9}},
        {"wheel two notches down", window, Plat::kWmMouseWheel, wheelDown, with({8}), {0, 0, 21, 0xFE}},
        {"wheel one notch up", window, Plat::kWmMouseWheel, uintptr_t(120) << 16, with({8}), {0, 0, 21, 1}},
        {"window moved", window, Plat::kWmMove, 0, {}, {}},
        {"timer", window, Plat::kWmTimer, 1, {}, {}},
        {"sizing", window, Plat::kWmSizing, 8, {}, {}},
        {"colours", window, Plat::kWmSysColorChange, 0, {}, {}},
        {"display", window, Plat::kWmDisplayChange, 0, {}, {}},
        {"mouse left", window, Plat::kWmMouseLeave, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.demoBuffer.Clear();
        app.DemoRecordMessage({c.target, c.message, c.wParam, 0});
        EXPECT_EQ(RecordedFields(c.widths), c.fields);
    }
    delete other;
}

TEST_F(WindowMessagesTest, AQueuedMouseMoveIsRecordedThenEntersTheWindow)
{
    app.recordingDemo = true;
    app.updateCount = 20; // 20 updates since the last record: one filler first
    app.demoMouseX = 0;
    app.demoMouseY = 0;
    Send(Plat::kWmMouseMove, 0, Plat::MakeLParam(40, 50));
    Drain();
    EXPECT_TRUE(app.mouseIn);
    EXPECT_EQ(log, (std::vector<std::string>{"w.MouseEnter", "w.MouseMove(40,50)"}));
    // Filler (15, long, 31); the move (5, long, 0, x, y); entering (0, long, 7).
    EXPECT_EQ(RecordedFields({4, 1, 5, 4, 1, 5, 12, 12, 4, 1, 5}),
              (std::vector<int>{15, 0, 31, 5, 0, 0, 40, 50, 0, 0, 7}));
}

TEST_F(WindowMessagesTest, ButtonsHoldTheCaptureUntilTheLastOneIsReleased)
{
    // The widget covers the window from (0, 0), so it sees the window's
    // coordinates; it tells buttons 0 left, 1 right, 2 middle.
    struct Step {
        const char* name;
        uint32_t message;
        uintptr_t wParam;
        const char* widgetCall;
        bool captured;
    };
    const Step steps[] = {
        {"left down", Plat::kWmLButtonDown, 0, "w.MouseDown(10,20,0,1)", true},
        {"right double-click", Plat::kWmRButtonDblClk, 0, "w.MouseDown(10,20,1,2)", true},
        {"left up, right held", Plat::kWmLButtonUp, 0, "w.MouseUp(10,20,0,1)", true},
        {"middle down", Plat::kWmMButtonDown, 0, "w.MouseDown(10,20,2,1)", true},
        {"right up, middle held", Plat::kWmRButtonUp, 0, "w.MouseUp(10,20,1,1)", true},
        {"middle up, the last", Plat::kWmMButtonUp, 0, "w.MouseUp(10,20,2,1)", false},
        // -240 in the high word: two notches towards the user.
        {"wheel", Plat::kWmMouseWheel, uintptr_t(0xFF10) << 16, "w.MouseWheel(-2)", false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        log.clear();
        Send(step.message, step.wParam, Plat::MakeLParam(10, 20));
        Drain();
        std::vector<std::string> buttonCalls;
        for (const std::string& call : log) {
            if (call.find("MouseDown") != std::string::npos || call.find("MouseUp") != std::string::npos ||
                call.find("MouseWheel") != std::string::npos)
                buttonCalls.push_back(call);
        }
        EXPECT_EQ(buttonCalls, std::vector<std::string>{step.widgetCall});
        EXPECT_EQ(window->captured, step.captured);
    }
}

TEST_F(WindowMessagesTest, AMovedNormalFramedWindowKeepsItsPlace)
{
    struct Case {
        const char* name;
        bool windowed;
        int showState;
        int expectedX;
        int expectedY;
    };
    const Case cases[] = {
        {"normal", true, Plat::kSwShowNormal, 120, 45},
        {"shown", true, Plat::kSwShow, 120, 45},
        {"minimised", true, Plat::kSwShowMinimized, -1, -1},
        {"full screen", false, Plat::kSwShowNormal, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.preferredX = -1;
        app.preferredY = -1;
        app.windowed = c.windowed;
        window->showState = c.showState;
        window->Move(120, 45, 806, 625, false);
        Send(Plat::kWmMove, 0, Plat::MakeLParam(123, 67));
        Drain();
        EXPECT_EQ(app.preferredX, c.expectedX);
        EXPECT_EQ(app.preferredY, c.expectedY);
    }
}

TEST_F(WindowMessagesTest, TheMouseLeavesWhenTheTimerFindsItOutside)
{
    app.inMainLoop = true;
    window->mouseKnown = true;
    window->mouseX = 10;
    window->mouseY = 10;
    Send(Plat::kWmMouseMove, 0, Plat::MakeLParam(10, 10));
    Drain();
    ASSERT_TRUE(app.mouseIn);

    struct Step {
        const char* name;
        uint32_t message;
        int mouseX;
        int mouseY;
        bool inside;
        std::vector<std::string> widgetCalls;
    };
    // The game area is 800 x 600: x 799 is inside, 800 is not. Only the
    // first exit leaves the widget: no move entered it again since.
    const Step steps[] = {
        {"still inside", Plat::kWmTimer, 799, 599, true, {}},
        {"dragged to the right", Plat::kWmTimer, 800, 300, false, {"w.MouseLeave"}},
        {"back in", Plat::kWmTimer, 400, 300, true, {}},
        {"above", Plat::kWmTimer, 400, -1, false, {}},
        {"back in again", Plat::kWmTimer, 0, 0, true, {}},
        {"left the window", Plat::kWmMouseLeave, 0, 0, false, {}},
        {"not over the window since", Plat::kWmTimer, 20, 20, false, {}},
    };
    app.recordingDemo = true;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const bool before = app.mouseIn;
        log.clear();
        app.demoBuffer.Clear();
        window->mouseX = step.mouseX;
        window->mouseY = step.mouseY;
        Send(step.message);
        Drain();
        EXPECT_EQ(app.mouseIn, step.inside);
        if (before == step.inside) {
            EXPECT_EQ(app.demoBuffer.GetDataLen(), 0);
            continue;
        }
        EXPECT_EQ(RecordedFields({4, 1, 5}), (std::vector<int>{0, 0, step.inside ? 7 : 8}));
        EXPECT_EQ(log, step.widgetCalls);
    }
}

TEST_F(WindowMessagesTest, ThePendingUrlIsJudgedOnceTheTimerRunsSteadily)
{
    struct Case {
        const char* name;
        uint32_t resumedAgo;
        uint32_t openedAgo;
        bool active;
        const char* expected;
    };
    const Case cases[] = {
        {"browser took over", 6000, 8001, false, "UrlOpenDone http://a"},
        {"not yet", 6000, 8000, false, nullptr},
        {"still ours", 6000, 9000, true, nullptr},
        {"browser failed", 6000, 12001, true, "UrlOpenError http://a"},
        {"timer only just resumed", 5000, 20000, false, nullptr},
    };
    app.inMainLoop = true;
    app.autoMuteOnLostFocus = false;
    app.urlOpenPending = true;
    app.lastUrl = "http://a";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.calls.clear();
        clock.Set(100000);
        app.lastTimerTick = 100000 - 100;
        app.timerResumeTick = 100000 - c.resumedAgo;
        app.urlOpenTime = 100000 - c.openedAgo;
        app.active = c.active;
        Send(Plat::kWmTimer);
        Drain();
        EXPECT_EQ(app.lastTimerTick, 100000u);
        const std::vector<std::string> expected =
            c.expected != nullptr ? std::vector<std::string>{c.expected} : std::vector<std::string>{};
        EXPECT_EQ(app.calls, expected);
    }

    // After a gap of more than 500 ms the timer counts as resumed now.
    clock.Set(100501);
    Send(Plat::kWmTimer);
    Drain();
    EXPECT_EQ(app.timerResumeTick, 100501u);

    // Losing the window while the URL opens also means the browser took it.
    app.calls.clear();
    Send(Plat::kWmActivateApp, 0);
    Drain();
    EXPECT_EQ(app.calls, std::vector<std::string>{"UrlOpenDone http://a"});
}

TEST_F(WindowMessagesTest, MessagesAnsweredAtOnce)
{
    Send(Plat::kWmEnable, 0);
    EXPECT_TRUE(app.windowDisabled);
    EXPECT_FALSE(app.IsMainWindowEnabled());
    Send(Plat::kWmEnable, 1);
    EXPECT_FALSE(app.windowDisabled);

    // Time spent moving the window is not caught up.
    app.updateTimeAccum = 150.0;
    Send(Plat::kWmNcLButtonDown, 2);
    EXPECT_EQ(app.lastTimingTick, 50000u);
    EXPECT_EQ(app.updateTimeAccum, 0.0);

    // The low bits of a system command are the desktop's own.
    Send(Plat::kWmSysCommand, Plat::kScMonitorPower | 2, 2);
    EXPECT_EQ(app.lastMonitorPowerTick, 50000u);

    app.notifyMessage = 0xC123;
    EXPECT_EQ(Send(0xC123, 0, 7), 0);
    EXPECT_EQ(app.calls, std::vector<std::string>{"RestoreAndActivate 0 7"});
    EXPECT_TRUE(app.deferredMessages.empty());

    struct PowerCase {
        bool loaded;
        bool physicallyWindowed;
        uintptr_t event;
        intptr_t answer;
    };
    const PowerCase power[] = {
        {false, true, Plat::kPbtApmQuerySuspend, Plat::kBroadcastQueryDeny},
        {true, false, Plat::kPbtApmQueryStandby, Plat::kBroadcastQueryDeny},
        {true, true, Plat::kPbtApmQuerySuspend, 0},
        {false, false, 7, 0}, // not a query
    };
    for (const PowerCase& c : power) {
        SCOPED_TRACE(c.event);
        app.loadingCompletedHandled = c.loaded;
        app.physicallyWindowed = c.physicallyWindowed;
        EXPECT_EQ(Send(Plat::kWmPowerBroadcast, c.event), c.answer);
    }
}

TEST_F(WindowMessagesTest, RestoringWithAspectCorrectionFitsTheDisplayToTheNewClientArea)
{
    app.AddDisplay();
    app.screenRect = Lumo::TRect<int>(0, 0, 800, 600);
    Plat::EventPump& pump = Plat::GetEventPump();
    for (const bool correct : {false, true}) {
        SCOPED_TRACE(correct);
        pump.Clear();
        app.aspectCorrection = correct;
        app.manager.SetMouseRemap(Lumo::TRect<int>(0, 0, 800, 600), Lumo::TRect<int>(0, 0, 800, 600));
        Send(Plat::kWmSize, Plat::kSizeRestored, Plat::MakeLParam(400, 300));
        const Lumo::TRect<int> expected = correct ? Lumo::TRect<int>(0, 0, 400, 300) : Lumo::TRect<int>(0, 0, 800, 600);
        EXPECT_EQ(app.manager.mouseDestRect, expected);
        Plat::WindowMessage paint;
        EXPECT_EQ(pump.PeekMessage(paint, true) && paint.message == Plat::kWmPaint, correct);
    }
}

TEST_F(WindowMessagesTest, DraggingTheFrameKeepsTheAspect)
{
    struct Case {
        const char* name;
        int numerator;
        int denominator;
        Plat::ScreenRect proposed;
        Plat::ScreenRect expected;
    };
    // Window 806 x 625 outside, 800 x 600 inside (6 and 25 of frame).
    const Case cases[] = {
        // Client 1000 x 600: width wins, height 3 * 1000 / 4 = 750.
        {"wider", 4, 3, {0, 0, 1006, 625}, {0, 0, 1006, 775}},
        // Client 800 x 900: width 4 * 900 / 3 = 1200, height 900.
        {"taller", 4, 3, {10, 20, 816, 945}, {10, 20, 1216, 945}},
        // Client 1001 x 600: height 3003 / 4 = 750 (truncated).
        {"truncated", 4, 3, {0, 0, 1007, 625}, {0, 0, 1007, 775}},
        // Client 701 x 450 at 16:9: width 16 * 450 / 9 = 800, height 450.
        {"narrower", 16, 9, {0, 0, 707, 475}, {0, 0, 806, 475}},
        {"no aspect", 4, 0, {0, 0, 707, 475}, {0, 0, 707, 475}},
    };
    const Plat::ScreenRect windowRect{0, 0, 806, 625};
    const Plat::ScreenRect clientRect{0, 0, 800, 600};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lumo::Ratio aspect;
        aspect.mNumerator = c.numerator;
        aspect.mDenominator = c.denominator;
        Plat::ScreenRect proposed = c.proposed;
        Lumo::LumoAppBase::KeepSizingAspect(windowRect, clientRect, aspect, proposed);
        EXPECT_EQ(proposed, c.expected);
    }

    // Through the window procedure, only with aspect correction on.
    app.windowAspect.Set(4, 3);
    for (const bool correct : {false, true}) {
        app.aspectCorrection = correct;
        Plat::ScreenRect proposed{0, 0, 1006, 625};
        Send(Plat::kWmSizing, 2, reinterpret_cast<intptr_t>(&proposed));
        EXPECT_EQ(proposed.bottom, correct ? 775 : 625);
    }
}

} // namespace
