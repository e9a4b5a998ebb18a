// The debug keys through the queued key-down path, on a simulated clock:
// what each key does and whether it is consumed, the overlays (frame rate,
// mouse position, demo time) and where they are drawn, stepping and slowing
// the loop, the boxes, the reload of mod values, and screenshots of the
// presented frame.
#include "framework/app/LumoAppBase.h"

#include "framework/app/ModVals.h"
#include "framework/app/SectionProfiler.h"
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/AppDataFolder.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "support/FakePlatformRecorder.h"
#include "support/FakeWindowSystem.h"
#include "support/RecordingWidget.h"
#include "support/SimulatedClock.h"
#include "support/TempFolder.h"
#include "support/TestDisplayHost.h"
#include "support/WindowTestApp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kVkR = 0x52;
constexpr int kVkF2 = 0x71;
constexpr int kVkF3 = 0x72;
constexpr int kVkF8 = 0x77;
constexpr int kVkF10 = 0x79;
constexpr int kVkF11 = 0x7A;
constexpr int kWidth = 200;
constexpr int kHeight = 150;

// Counts updates; presents go nowhere.
class DebugApp : public LumoTest::WindowTestApp {
public:
    DebugApp() : WindowTestApp(kWidth, kHeight), screen(this)
    {
        screen.Create(kWidth, kHeight);
        manager.image = &screen;
    }
    ~DebugApp() override { Shutdown(); }

    void UpdateFrames() override
    {
        LumoAppBase::UpdateFrames();
        ++updates;
    }
    void Redraw(const Lumo::TRect<int>* /*clipRect*/) override { ++presents; }

    Lumo::MemoryImage screen;
    int updates = 0;
    int presents = 0;
};

class DebugKeysTest : public ::testing::Test {
protected:
    DebugKeysTest()
    {
        Plat::GetEventPump().Clear();
        Lumo::SetAppDataFolder(folder.Path() + "/");
        Lumo::detail::ResetModVals();
        window = app.AttachMainWindow(windows, Plat::kWsCaption | Plat::kWsVisible, 206, 175);
        app.manager.AddWidget(&widget);
        app.manager.SetFocus(&widget);
        app.debugKeysEnabled = true;
    }
    ~DebugKeysTest() override
    {
        app.manager.RemoveWidget(&widget);
        app.mainWindow = nullptr;
        delete window;
        Plat::GetEventPump().Clear();
        Lumo::detail::ResetModVals();
        Lumo::SetAppDataFolder("");
        if (Lumo::PerfIsActive())
            Lumo::PerfStop();
    }

    void Send(uint32_t message, uintptr_t wParam) { Lumo::LumoAppBase::WindowProc(window, message, wParam, 0); }
    // The modifiers go down, the key goes down, and everything is handed to
    // the widgets one queued message after another; the modifiers are
    // released afterwards unless asked to stay.
    void Press(const std::vector<int>& modifiers, int key, bool release = true)
    {
        const bool alt = std::find(modifiers.begin(), modifiers.end(), Plat::kVkMenu) != modifiers.end();
        const uint32_t down = alt ? Plat::kWmSysKeyDown : Plat::kWmKeyDown;
        const uint32_t up = alt ? Plat::kWmSysKeyUp : Plat::kWmKeyUp;
        for (const int modifier : modifiers)
            Send(down, static_cast<uintptr_t>(modifier));
        Send(down, static_cast<uintptr_t>(key));
        Send(up, static_cast<uintptr_t>(key));
        app.ProcessDeferredMessages(false);
        if (release) {
            for (const int modifier : modifiers)
                Send(up, static_cast<uintptr_t>(modifier));
            app.ProcessDeferredMessages(false);
        }
    }
    // The keys that reached the widget.
    std::vector<std::string> WidgetKeys()
    {
        std::vector<std::string> keys;
        for (const std::string& entry : log) {
            if (entry.find("KeyDown") != std::string::npos)
                keys.push_back(entry);
        }
        log.clear();
        return keys;
    }
    // Steps the loop until the clock has advanced by ms.
    void RunFor(uint32_t ms)
    {
        const uint32_t end = clock.Now() + ms;
        for (int i = 0; i < 100000 && static_cast<int32_t>(clock.Now() - end) < 0; ++i)
            app.UpdateAppStep(nullptr);
    }

    Lumo::ModValSite site{}; // outlives the reset in the destructor
    SimulatedClock clock{700000};
    FakePlatformRecorder platform;
    TempFolder folder;
    FakeWindowSystem windows;
    DebugApp app;
    FakeWindow* window = nullptr;
    std::vector<std::string> log;
    LumoTest::RecordingWidget widget{"w", &log, 0, 0, kWidth, kHeight};
};

std::string KeyDownEntry(int key)
{
    return "w.KeyDown(" + std::to_string(key) + ")";
}

} // namespace

TEST_F(DebugKeysTest, KeysChangeTheLoopAndOverlaysAndSomeAreConsumed)
{
    // F3 toggles the frame rate overlay; the key goes on to the widgets.
    Press({}, kVkF3);
    EXPECT_TRUE(app.showOverlay);
    EXPECT_EQ(app.overlayMode, 0);
    EXPECT_TRUE(app.fpsRestart);
    Press({}, kVkF3);
    EXPECT_FALSE(app.showOverlay);
    // Shift+F3 from off shows the mouse position; again, the frame rate.
    Press({Plat::kVkShift}, kVkF3);
    EXPECT_TRUE(app.showOverlay);
    EXPECT_EQ(app.overlayMode, 1);
    Press({Plat::kVkShift}, kVkF3);
    EXPECT_TRUE(app.showOverlay);
    EXPECT_EQ(app.overlayMode, 0);
    EXPECT_EQ(WidgetKeys(), (std::vector<std::string>{KeyDownEntry(kVkF3), KeyDownEntry(kVkF3),
                                                       KeyDownEntry(Plat::kVkShift), KeyDownEntry(kVkF3),
                                                       KeyDownEntry(Plat::kVkShift), KeyDownEntry(kVkF3)}));

    // Ctrl+F10 slows the game to a quarter and back; from 2.0 it slows first.
    Press({Plat::kVkControl}, kVkF10);
    EXPECT_EQ(app.updateMultiplier, 0.25);
    Press({Plat::kVkControl}, kVkF10);
    EXPECT_EQ(app.updateMultiplier, 1.0);
    app.updateMultiplier = 2.0;
    Press({Plat::kVkControl}, kVkF10);
    EXPECT_EQ(app.updateMultiplier, 0.25);
    // Consumed: only the modifier reached the widget.
    EXPECT_EQ(WidgetKeys(), (std::vector<std::string>{KeyDownEntry(Plat::kVkControl), KeyDownEntry(Plat::kVkControl),
                                                       KeyDownEntry(Plat::kVkControl)}));

    // F2 starts the profiler and lets the key through; again, the report.
    // (The rate is measured on a clock that moves: this one stands still.)
    Lumo::GetSectionProfiler().clockRate = 1000000;
    Press({}, kVkF2);
    EXPECT_TRUE(Lumo::PerfIsActive());
    EXPECT_TRUE(platform.boxes.empty());
    app.updateTimeAccum = 50.0;
    Press({}, kVkF2);
    EXPECT_FALSE(Lumo::PerfIsActive());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].title, "Perf Results");
    EXPECT_EQ(platform.boxes[0].text.rfind("Total Time: ", 0), 0u);
    EXPECT_EQ(platform.boxes[0].flags, 0u);
    EXPECT_EQ(app.updateTimeAccum, 0.0);
    EXPECT_EQ(app.lastTimingTick, clock.Now());
    EXPECT_EQ(WidgetKeys(), (std::vector<std::string>{KeyDownEntry(kVkF2), KeyDownEntry(kVkF2)}));

    // F8 shows the system report, Shift+F8 the 3-D switch; both consumed.
    app.displayChangeTime = 0;
    Press({}, kVkF8);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].title, "Video Stats");
    const std::string expectedReport = "3D-Mode is Off (3D is Unsupported on this system)\r\n\r\n"
                                       "Num Images: " +
                                       std::to_string(app.memoryImageSet.size()) +
                                       "\r\n"
                                       "Num Sounds: 0\r\n"
                                       "Video Memory: 0/0 KB\r\n"
                                       "Texture Memory: 0 KB\r\n"
                                       "A8R8G8B8: 0 - 0 KB\r\n"
                                       "A4R4G4B4: 0 - 0 KB\r\n"
                                       "R5G6B5: 0 - 0 KB\r\n"
                                       "Palette8: 0 - 0 KB\r\n";
    EXPECT_EQ(platform.boxes[1].text, expectedReport);
    EXPECT_EQ(app.displayChangeTime, clock.Now());
    Press({Plat::kVkShift}, kVkF8);
    ASSERT_EQ(platform.boxes.size(), 3u);
    EXPECT_EQ(platform.boxes[2].text, "3D-Mode: OFF");
    EXPECT_EQ(platform.boxes[2].title, "Mode Switch");
    EXPECT_EQ(platform.boxes[2].flags, 0u);
    EXPECT_EQ(WidgetKeys(), (std::vector<std::string>{KeyDownEntry(Plat::kVkShift)}));

    // Other keys, and R without Alt, do nothing and reach the widget.
    Press({}, kVkR);
    Press({}, 'Q');
    EXPECT_EQ(WidgetKeys(), (std::vector<std::string>{KeyDownEntry(kVkR), KeyDownEntry('Q')}));
    EXPECT_EQ(platform.boxes.size(), 3u);

    // With the debug keys off nothing happens.
    app.debugKeysEnabled = false;
    Press({}, kVkF3);
    EXPECT_TRUE(app.showOverlay);
    EXPECT_EQ(WidgetKeys(), (std::vector<std::string>{KeyDownEntry(kVkF3)}));
}

TEST_F(DebugKeysTest, F10StepsOnceAndShiftF10ResumesWithoutCatchUp)
{
    app.loadingCompletedHandled = true;
    RunFor(100);
    Press({}, kVkF10);
    EXPECT_EQ(app.stepMode, 1);
    const int before = app.updates;
    RunFor(1000);
    EXPECT_EQ(app.updates - before, 1);
    EXPECT_EQ(app.stepMode, 2);

    // A second later, Shift+F10 runs on from now: no burst for the pause.
    Press({Plat::kVkShift}, kVkF10);
    EXPECT_EQ(app.stepMode, 0);
    EXPECT_EQ(app.updateTimeAccum, 0.0);
    const int resumed = app.updates;
    RunFor(50);
    EXPECT_GE(app.updates - resumed, 4);
    EXPECT_LE(app.updates - resumed, 6);
}

TEST_F(DebugKeysTest, DuringPlaybackTheRealModifiersCount)
{
    app.playingDemo = true;
    // Shift is held, but its key-down has not reached the widgets: the
    // table says no Shift, the window procedure knows better.
    Send(Plat::kWmKeyDown, Plat::kVkShift);
    Send(Plat::kWmKeyDown, kVkF3);
    EXPECT_EQ(app.manager.keyDown[Plat::kVkShift], 0);
    EXPECT_TRUE(app.showOverlay);
    EXPECT_EQ(app.overlayMode, 1);
    Send(Plat::kWmKeyUp, Plat::kVkShift);
    Send(Plat::kWmKeyDown, kVkF3);
    EXPECT_FALSE(app.showOverlay);
    app.deferredMessages.clear();
}

TEST_F(DebugKeysTest, AltRReloadsModValues)
{
    // No file to reload: the warning, and the held keys are forgotten.
    Press({Plat::kVkMenu}, kVkR, false);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].title, "MODVAL WARNING!");
    EXPECT_EQ(app.manager.keyDown[Plat::kVkMenu], 0);
    EXPECT_FALSE(app.altDown);
    Send(Plat::kWmSysKeyUp, Plat::kVkMenu);
    app.ProcessDeferredMessages(false);

    // A used value in a file saved since: reloaded, the keys stay held.
    const std::string path = folder.Write("tune.cpp", "int speed = LUMO_M(12);\n");
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
    site = Lumo::ModValSite{nullptr, path.c_str(), 1, 0};
    EXPECT_EQ(Lumo::ModValRead(site, 5), 5);
    Press({Plat::kVkMenu}, kVkR, false);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(Lumo::ModValRead(site, 5), 12);
    EXPECT_EQ(app.manager.keyDown[Plat::kVkMenu], 1);
    EXPECT_EQ(WidgetKeys(), (std::vector<std::string>{KeyDownEntry(Plat::kVkMenu), KeyDownEntry(kVkR),
                                                       KeyDownEntry(Plat::kVkMenu), KeyDownEntry(kVkR)}));
    Send(Plat::kWmSysKeyUp, Plat::kVkMenu);
    app.ProcessDeferredMessages(false);
}

TEST_F(DebugKeysTest, FrameRateOverlayShowsZeroForTheFirstSecondThenTheRate)
{
    Press({}, kVkF3);
    app.DrawDirty();
    EXPECT_EQ(app.overlayText, "FPS: 0");
    for (int i = 1; i < 50; ++i) {
        clock.Advance(20);
        app.DrawDirty();
    }
    EXPECT_EQ(app.overlayText, "FPS: 0");
    // 50 refreshes in exactly one second.
    clock.Advance(20);
    app.DrawDirty();
    EXPECT_EQ(app.overlayText, "FPS: 50");
    // 30 in the next 1.2 seconds: 25 a second.
    for (int i = 0; i < 30; ++i) {
        clock.Advance(40);
        app.DrawDirty();
    }
    EXPECT_EQ(app.overlayText, "FPS: 25");
}

TEST_F(DebugKeysTest, OverlaysSitInTheBottomRightCorner)
{
    Press({Plat::kVkShift}, kVkF3);
    app.manager.lastMouseX = 120;
    app.manager.lastMouseY = 45;
    app.playingDemo = true;
    app.frameTime = 10;
    app.demoTotalUpdates = 6500;
    app.updateCount = 0;
    Lumo::Graphics(&app.screen).FillRect(0, 0, kWidth, kHeight); // opaque black
    {
        Lumo::Graphics g(&app.screen);
        g.SetColor(Lumo::Color(255, 0, 0));
        g.FillRect(0, 0, kWidth, kHeight);
    }
    app.forceRedraw = true;
    app.DrawDirty();
    EXPECT_EQ(app.overlayText, "120,45");
    EXPECT_EQ(app.demoTimeText, "00:01:05");
    ASSERT_NE(app.overlayImage, nullptr);
    ASSERT_NE(app.demoTimeImage, nullptr);
    const int w = app.overlayImage->GetWidth();
    const int h = app.overlayImage->GetHeight();
    const int dh = app.demoTimeImage->GetHeight();
    EXPECT_EQ(w, 50);
    const uint32_t* screen = app.screen.GetBits();
    const auto pixel = [screen](int x, int y) { return screen[y * kWidth + x] & 0xFFFFFFu; };
    // The overlay's top-left pixel is its black background; left of and
    // below it the screen is untouched.
    EXPECT_EQ(pixel(kWidth - w - 10, kHeight - h - 10), 0u);
    EXPECT_EQ(pixel(kWidth - w - 11, kHeight - h - 10), 0xFF0000u);
    EXPECT_EQ(pixel(kWidth - w - 10, kHeight - 10), 0xFF0000u);
    EXPECT_EQ(pixel(kWidth - 11, kHeight - 11), 0u);
    // The demo time stands 5 pixels above it.
    EXPECT_EQ(pixel(kWidth - w - 10, kHeight - h - dh - 15), 0u);
    EXPECT_EQ(pixel(kWidth - w - 10, kHeight - h - 11), 0xFF0000u);
    EXPECT_EQ(pixel(kWidth - w - 10, kHeight - h - 15 - 1), 0u);
}

TEST_F(DebugKeysTest, DemoTimeRefreshesEveryThousandOverTheMultiplierMilliseconds)
{
    app.playingDemo = true;
    app.showOverlay = true;
    app.frameTime = 10;
    app.demoTotalUpdates = 6500;
    app.updateCount = 0;
    app.updateMultiplier = 4.0;
    app.RefreshDemoTimeOverlay();
    EXPECT_EQ(app.demoTimeText, "00:01:05");
    app.updateCount = 100; // one second of updates
    clock.Advance(249);
    app.RefreshDemoTimeOverlay();
    EXPECT_EQ(app.demoTimeText, "00:01:05");
    clock.Advance(1);
    app.RefreshDemoTimeOverlay();
    EXPECT_EQ(app.demoTimeText, "00:01:04");

    // Past the end there is no time left.
    app.updateCount = 7000;
    clock.Advance(250);
    app.RefreshDemoTimeOverlay();
    EXPECT_EQ(app.demoTimeText, "00:00:00");
    // A tiny multiplier waits (practically) for ever.
    app.updateMultiplier = 1e-12;
    app.updateCount = 0;
    clock.Advance(100000);
    app.RefreshDemoTimeOverlay();
    EXPECT_EQ(app.demoTimeText, "00:00:00");
}

TEST_F(DebugKeysTest, ScreenshotsNeedADisplay)
{
    app.DebugKeyDown(kVkF11);
    EXPECT_FALSE(folder.Exists("_screenshots"));
}

TEST(ScreenshotTest, TheNextNumberHoldsThePresentedFrame)
{
    TestDisplayHost host;
    host.clientWidth = 64;
    host.clientHeight = 48;
    TempFolder folder;
    Lumo::SetAppDataFolder(folder.Path() + "/");
    LumoTest::WindowTestApp app(64, 48);
    ASSERT_EQ(app.AddDisplay()->Init(DisplayTestWindow(), true), 0);
    Lumo::DDImage* screen = app.ddInterface->GetScreenImage();
    ASSERT_NE(screen, nullptr);
    {
        Lumo::Graphics g(screen);
        g.SetColor(Lumo::Color(10, 200, 30));
        g.FillRect(0, 0, 64, 48);
        g.SetColor(Lumo::Color(250, 0, 90));
        g.FillRect(5, 7, 20, 11);
    }
    for (const char* name : {"image1.png", "image7.png", "shot.png", "image99999999999.png", "image2147483647.png"})
        folder.Write(std::string("_screenshots/") + name, "x");

    app.DebugKeyDown(kVkF11);
    ASSERT_TRUE(folder.Exists("_screenshots/image8.png"));
    std::unique_ptr<ImageLib::Image> saved(ImageLib::GetPNGImage(folder.Join("_screenshots/image8.png")));
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->GetWidth(), 64);
    ASSERT_EQ(saved->GetHeight(), 48);
    // Exactly the screen's pixels as the screen image reads them back.
    const uint32_t* frame = screen->GetBits();
    ASSERT_NE(frame, nullptr);
    int differing = 0;
    for (int i = 0; i < 64 * 48; ++i)
        differing += (saved->GetBits()[i] & 0xFFFFFFu) != (frame[i] & 0xFFFFFFu);
    EXPECT_EQ(differing, 0);
    EXPECT_NE(saved->GetBits()[0] & 0xFFFFFFu, saved->GetBits()[10 * 64 + 10] & 0xFFFFFFu);
    // The display keeps its draw surface.
    EXPECT_EQ(app.ddInterface->GetScreenImage()->mSurface, app.ddInterface->mDrawSurface);
    app.DebugKeyDown(kVkF11);
    EXPECT_TRUE(folder.Exists("_screenshots/image9.png"));
    Lumo::SetAppDataFolder("");
}
