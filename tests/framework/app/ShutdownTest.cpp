// Shut-down, the worker threads and the notify message: shut-down runs once,
// from the main thread only; the threads end and are waited for, also when
// they could not be started; the destructor's hardware-acceleration question.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDInterface.h"
#include "platform/system/MessageBox.h"
#include "support/FakePlatformRecorder.h"
#include "support/ManualClock.h"
#include "support/RecordingApp.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

class ShutdownTest : public ::testing::Test {
protected:
    ManualClock mClock{10000};
    FakePlatformRecorder mPlatform;
};

// Waits up to two seconds for the condition.
template <typename Condition>
bool Eventually(Condition condition)
{
    for (int i = 0; i < 200; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

TEST_F(ShutdownTest, RunsOnceAndWritesTheSettingsOnlyWhenTheyWereRead)
{
    for (const bool registryRead : {false, true}) {
        SCOPED_TRACE(registryRead);
        FakePlatformRecorder platform;
        RecordingApp app(platform);
        app.registryRead = registryRead;
        app.Shutdown();
        EXPECT_TRUE(app.shutdown);
        EXPECT_TRUE(app.loopExit);
        app.Shutdown();
        std::vector<std::string> expected = {"ShutdownHook"};
        if (registryRead)
            expected.push_back("WriteToRegistry");
        EXPECT_EQ(platform.calls, expected);
    }
}

TEST_F(ShutdownTest, AnotherThreadOnlyAsksTheMainThread)
{
    RecordingApp app(mPlatform);
    app.Init();
    mPlatform.calls.clear();

    std::thread other([&] { app.Shutdown(); });
    other.join();
    EXPECT_TRUE(app.shutdownRequested);
    EXPECT_FALSE(app.shutdown);
    EXPECT_TRUE(mPlatform.calls.empty());

    // The main thread's pass does it.
    app.Shutdown();
    EXPECT_TRUE(app.shutdown);
    EXPECT_EQ(mPlatform.calls, std::vector<std::string>{"ShutdownHook"});
}

TEST_F(ShutdownTest, BeforeInitAnyThreadShutsDown)
{
    RecordingApp app(mPlatform);
    std::thread other([&] { app.Shutdown(); });
    other.join();
    EXPECT_TRUE(app.shutdown);
    EXPECT_FALSE(app.shutdownRequested);
}

TEST_F(ShutdownTest, DemoPlaybackLeavesThePlayersVolumesInTheSettings)
{
    RecordingApp app(mPlatform);
    app.registryRead = true;
    app.playingDemo = true;
    app.musicVolume = 0.1; // the demo's
    app.sfxVolume = 0.2;
    app.savedMusicVolume = 0.6; // the player's
    app.savedSfxVolume = 0.7;
    app.Shutdown();
    EXPECT_EQ(app.writtenMusicVolume, 0.6);
    EXPECT_EQ(app.writtenSfxVolume, 0.7);
}

TEST_F(ShutdownTest, TheLoadingThreadRunsOnceAndReportsTheTimeSinceConstruction)
{
    class LoadingApp : public RecordingApp {
    public:
        using RecordingApp::RecordingApp;
        void LoadingThreadProc() override
        {
            thread = std::this_thread::get_id();
            ++runs;
        }
        std::atomic<int> runs{0};
        std::thread::id thread;
    };
    LoadingApp app(mPlatform);
    mClock.Advance(1234); // time passes before the thread starts
    testing::internal::CaptureStderr();
    app.StartLoadingThread();
    app.StartLoadingThread();
    app.WaitForLoadingThread();
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(app.loadingThreadCompleted);
    EXPECT_TRUE(app.yieldMainThread);
    EXPECT_EQ(app.runs, 1);
    EXPECT_NE(app.thread, std::this_thread::get_id());
    EXPECT_NE(output.find("Resource Loading Time: 1234\r\n"), std::string::npos) << output;
}

TEST_F(ShutdownTest, WaitingForALoadingThreadNeverStartedReturnsAtOnce)
{
    RecordingApp app(mPlatform);
    app.autoStartLoadingThread = false;
    app.WaitForLoadingThread();
    EXPECT_FALSE(app.loadingThreadStarted);
    EXPECT_FALSE(app.loadingThreadCompleted);
}

// A thread that cannot start must not leave flags that every wait hangs on.
class NoThreadsApp : public RecordingApp {
public:
    using RecordingApp::RecordingApp;

protected:
    bool LaunchThread(std::thread& /*thread*/, void (*/*entry*/)(Lumo::LumoAppBase*)) override { return false; }
};

TEST_F(ShutdownTest, AThreadThatCannotStartLeavesNoFlagBehind)
{
    NoThreadsApp app(mPlatform);
    app.StartLoadingThread();
    EXPECT_FALSE(app.loadingThreadStarted);
    EXPECT_FALSE(app.yieldMainThread);
    app.WaitForLoadingThread(); // returns

    app.StartCursorThread();
    EXPECT_FALSE(app.cursorThreadRunning);
    app.Shutdown(); // returns
    EXPECT_TRUE(app.shutdown);
}

TEST_F(ShutdownTest, ShutdownEndsTheCursorThreadBeforeItGoesOn)
{
    RecordingApp app(mPlatform);
    app.StartCursorThread();
    EXPECT_TRUE(app.cursorThreadRunning);
    app.StartCursorThread(); // already running: nothing
    app.Shutdown();
    EXPECT_FALSE(app.cursorThreadRunning);
}

TEST_F(ShutdownTest, TheCursorThreadMovesTheCursorOnlyWhenTheMouseMoved)
{
    RecordingApp app(mPlatform);
    app.playingDemo = true; // the recorded position, not the real mouse
    app.mouseKnown = true;
    app.mouseX = 300;
    app.mouseY = 300;
    app.drawTimeStamp = 10000 - 100; // last frame long ago
    app.StartCursorThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_TRUE(app.CursorCalls().empty()); // demo mouse at (0, 0), where the cursor is

    app.demoMouseX = 5;
    app.demoMouseY = 7;
    ASSERT_TRUE(Eventually([&] { return !app.CursorCalls().empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(app.CursorCalls(), std::vector<std::string>{"move 5 7"}); // once: it stays there

    // Within a frame time (10 ms + 5) of the last frame the next frame draws it.
    app.drawTimeStamp = 10000 - 15;
    app.demoMouseX = 9;
    ASSERT_TRUE(Eventually([&] { return app.CursorCalls().size() >= 2; }));
    EXPECT_EQ(app.CursorCalls()[1], "pending 9 7");

    app.Shutdown();
    EXPECT_FALSE(app.cursorThreadRunning);
}

TEST_F(ShutdownTest, TheCursorThreadLeavesALostDisplayAlone)
{
    RecordingApp app(mPlatform);
    app.mouseKnown = true;
    app.mouseX = 3;
    app.mouseY = 4;
    app.drawTimeStamp = 10000 - 100;
    Lumo::gDisplayLost = true;
    app.StartCursorThread();
    ASSERT_TRUE(Eventually([&] { return !app.CursorCalls().empty(); }));
    app.Shutdown();
    Lumo::gDisplayLost = false;
    for (const std::string& call : app.CursorCalls())
        EXPECT_EQ(call, "pending 3 4");
}

TEST_F(ShutdownTest, NotifyMessagesOfOtherCopiesBringThisOneToTheFront)
{
    RecordingApp app(mPlatform);
    app.Init();
    mPlatform.calls.clear();
    mPlatform.inbox.push_back({0xC123, 0, 0});
    mPlatform.inbox.push_back({0xC999, 0, 0}); // someone else's message
    mPlatform.inbox.push_back({0xC123, 1, 5});
    app.ProcessNotifyMessages();
    EXPECT_EQ(mPlatform.calls, (std::vector<std::string>{"RestoreAndActivate 0 0", "RestoreAndActivate 1 5"}));
    EXPECT_TRUE(mPlatform.inbox.empty());
}

// A display that tells, as it goes, whether 3-D was left on.
class WatchedDisplay : public Lumo::DDInterface {
public:
    WatchedDisplay(Lumo::LumoAppBase* app, bool* onAtEnd) : DDInterface(app), mOnAtEnd(onAtEnd) {}
    ~WatchedDisplay() override { *mOnAtEnd = mIs3D; }

private:
    bool* mOnAtEnd;
};

TEST_F(ShutdownTest, TheDestructorAsksAboutHardwareAccelerationOnlyWhenSwitchedOn)
{
    struct Case {
        const char* what;
        bool switched;
        bool on;
        int answer;
        bool asked;
        bool onAfter;
    };
    const Case cases[] = {
        {"never switched", false, true, Plat::kIdYes, false, true},
        {"switched off", true, false, Plat::kIdYes, false, false},
        {"switched on, kept", true, true, Plat::kIdYes, true, true},
        {"switched on, refused", true, true, Plat::kIdNo, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatformRecorder platform;
        platform.boxAnswers.push_back(c.answer);
        bool onAfter = !c.onAfter;
        {
            RecordingApp app(platform);
            app.ddInterface = new WatchedDisplay(&app, &onAfter);
            app.companyName = "Acme";
            app.is3DSwitchedThisRun = c.switched;
            app.ddInterface->mIs3D = c.on;
            app.Shutdown();
            EXPECT_TRUE(platform.boxes.empty()); // asked by the destructor, after shut-down
        }
        EXPECT_EQ(onAfter, c.onAfter);
        ASSERT_EQ(platform.boxes.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(platform.boxes[0].title, "Acme Hardware Acceleration Confirmation");
            EXPECT_EQ(platform.boxes[0].text.rfind("Hardware Acceleration was switched on during this session.\r\n", 0),
                      0u);
            EXPECT_EQ(platform.boxes[0].flags, Plat::kMbYesNo | Plat::kMbIconQuestion);
        }
    }
}

TEST_F(ShutdownTest, ThreeDTroubleDuringTheRunAsksWhetherToKeepThreeD)
{
    struct Case {
        const char* what;
        bool trouble;
        bool switchedOn; // the other question comes first and stands for both
        int answer;
        int boxes;
        int storedAfter; // "Is3D"; -1 none
    };
    const Case cases[] = {
        {"no trouble", false, false, Plat::kIdNo, 0, -1},
        {"trouble, kept", true, false, Plat::kIdYes, 1, -1},
        {"trouble, refused", true, false, Plat::kIdNo, 1, 0},
        {"trouble after switching on", true, true, Plat::kIdNo, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        ScopedEnvironment config("XDG_CONFIG_HOME", temp.Path());
        FakePlatformRecorder platform;
        platform.boxAnswers.push_back(c.answer);
        int stored = -1;
        {
            RecordingApp app(platform);
            app.registryKey = "LumoTroubleTest";
            app.ddInterface = new Lumo::DDInterface(&app);
            app.is3DSwitchedThisRun = c.switchedOn;
            app.ddInterface->mIs3D = c.switchedOn;
            Lumo::gD3DTrouble = c.trouble;
            app.Shutdown();
        }
        Lumo::gD3DTrouble = false;
        {
            RecordingApp reader(platform);
            reader.registryKey = "LumoTroubleTest";
            reader.RegistryReadInteger("Is3D", stored);
        }
        EXPECT_EQ(static_cast<int>(platform.boxes.size()), c.boxes);
        if (c.trouble && !c.switchedOn && c.boxes == 1) {
            EXPECT_EQ(platform.boxes[0].text.rfind("Hardware Acceleration may not have been working correctly", 0), 0u);
        }
        EXPECT_EQ(stored, c.storedAfter);
    }
}

} // namespace
