// The main loop on a simulated clock: fixed-step updates with a capped
// catch-up, draw attempts between updates, a quiet screen presented once a
// second, the game-speed factor, debug stepping, nested loops with the
// deferred-delete queue and shut-down, the statistics of Start, and window
// input reaching the widgets one message per step.
#include "framework/app/LumoAppBase.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "support/FakeWindowSystem.h"
#include "support/SimulatedClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace {

// Counts what the loop does to it.
class ProbeWidget : public Lumo::Widget {
public:
    bool dirtyEveryUpdate = false;
    int updates = 0;
    int draws = 0;
    std::vector<std::string> input;
    bool* deletedFlag = nullptr;

    ~ProbeWidget() override
    {
        if (deletedFlag != nullptr)
            *deletedFlag = true;
    }
    void Update() override
    {
        ++updates;
        if (dirtyEveryUpdate)
            MarkDirty();
    }
    void Draw(Lumo::Graphics* /*g*/) override { ++draws; }
    void KeyDown(int keyCode) override { input.push_back("down " + std::to_string(keyCode)); }
    void KeyChar(char c) override { input.push_back(std::string("char ") + c); }
    void MouseUp(int x, int y, int clickCount) override
    {
        input.push_back("up " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(clickCount));
    }
};

// An application without a display: presents are only counted. The event
// log shows updates ("U"), draw attempts ("D") and presents ("P") in order.
class LoopApp : public Lumo::LumoAppBase {
public:
    explicit LoopApp(SimulatedClock& clock) : clock(clock), manager(*widgetManager), screen(this)
    {
        screen.Create(64, 48);
        manager.image = &screen;
        widget.Resize(0, 0, 64, 48);
        manager.AddWidget(&widget);
        manager.SetFocus(&widget);
        autoStartLoadingThread = false;
    }
    ~LoopApp() override
    {
        Shutdown();
        manager.RemoveWidget(&widget);
    }

    void UpdateFrames() override
    {
        LumoAppBase::UpdateFrames();
        log += "U";
        if (onUpdate)
            onUpdate();
    }
    void UpdateFramesF(float fraction) override
    {
        fractions.push_back(fraction);
        LumoAppBase::UpdateFramesF(fraction);
    }
    bool DrawDirty() override
    {
        log += "D";
        return LumoAppBase::DrawDirty();
    }
    void Redraw(const Lumo::TRect<int>* /*clipRect*/) override
    {
        log += "P";
        presents.push_back(clock.Now());
    }

    // Steps the loop until the clock has advanced by ms (at most maxSteps steps).
    void RunFor(uint32_t ms, int maxSteps = 1000000)
    {
        const uint32_t end = clock.Now() + ms;
        for (int i = 0; i < maxSteps && static_cast<int32_t>(clock.Now() - end) < 0; ++i)
            UpdateAppStep(nullptr);
    }
    // Steps until the loop sleeps once more.
    void RunUntilSleep(int maxSteps = 100000)
    {
        const size_t sleeps = clock.SleepCount();
        for (int i = 0; i < maxSteps && clock.SleepCount() == sleeps; ++i)
            UpdateAppStep(nullptr);
    }

    SimulatedClock& clock;
    Lumo::WidgetManager& manager; // the application's
    Lumo::MemoryImage screen;
    ProbeWidget widget;
    std::string log;
    std::vector<uint32_t> presents;
    std::vector<float> fractions;
    std::function<void()> onUpdate;
};

class MainLoopTest : public ::testing::Test {
protected:
    MainLoopTest() { Plat::GetEventPump().Clear(); }
    ~MainLoopTest() override { Plat::GetEventPump().Clear(); }

    SimulatedClock mClock{500000};
};

// The longest run of updates without a draw attempt.
size_t LongestUpdateRun(const std::string& log)
{
    size_t longest = 0;
    size_t run = 0;
    for (char c : log) {
        run = c == 'U' ? run + 1 : (c == 'D' ? 0 : run);
        longest = std::max(longest, run);
    }
    return longest;
}

TEST_F(MainLoopTest, AStallIsCaughtUpByAtMostTwoHundredMilliseconds)
{
    for (const bool loaded : {true, false}) {
        SCOPED_TRACE(loaded);
        LoopApp app(mClock);
        app.loadingCompletedHandled = loaded;
        app.RunFor(100);
        app.RunUntilSleep();
        const int before = app.updateCount;
        app.log.clear();

        mClock.Advance(5000);
        app.RunUntilSleep();
        // 200 ms owed at 10 ms a step.
        EXPECT_EQ(app.updateCount - before, 20);
        if (loaded) {
            // After loading, draw attempts come between the updates.
            EXPECT_LE(LongestUpdateRun(app.log), 10u) << app.log;
            EXPECT_GE(std::count(app.log.begin(), app.log.end(), 'D'), 3) << app.log;
        } else {
            // Before, the whole catch-up runs first.
            EXPECT_EQ(app.log.substr(0, 21), std::string(20, 'U') + "D") << app.log;
        }
        EXPECT_EQ(app.updateTimeAccum, 0.0);
    }
}

TEST_F(MainLoopTest, OwedTimeIsCappedAndHoldsRunOut)
{
    struct Case {
        double owed;
        uint32_t elapsed;
        int hold;
        double expectedOwed;
        int expectedHold;
    };
    const Case cases[] = {
        {0.0, 5000, 0, 200.0, 0},
        {150.0, 49, 0, 199.0, 0},
        {150.0, 50, 0, 200.0, 0},
        {-3.0, 10, 0, 7.0, 0}, // an overdrawn accumulator pays back first
        {0.0, 30, 100, 30.0, 70},
        {0.0, 30, 20, 30.0, 0},
    };
    for (const Case& c : cases) {
        LoopApp app(mClock);
        app.lastTimingTick = mClock.Now();
        app.updateTimeAccum = c.owed;
        app.timingHoldMs = c.hold;
        mClock.Advance(c.elapsed);
        app.ClampElapsedTime();
        EXPECT_EQ(app.updateTimeAccum, c.expectedOwed);
        EXPECT_EQ(app.timingHoldMs, c.expectedHold);
        EXPECT_EQ(app.lastTimingTick, mClock.Now());
    }
    // The first call only starts the clock.
    LoopApp app(mClock);
    app.ClampElapsedTime();
    EXPECT_EQ(app.lastTimingTick, mClock.Now());
    EXPECT_EQ(app.updateTimeAccum, 0.0);
}

TEST_F(MainLoopTest, AQuietScreenIsPresentedOnceASecond)
{
    LoopApp app(mClock);
    app.loadingCompletedHandled = true;
    app.RunFor(10); // the new widget's first picture
    EXPECT_EQ(app.presents.size(), 1u);
    app.presents.clear();
    app.widget.draws = 0;
    app.RunFor(5000);
    ASSERT_EQ(app.presents.size(), 5u);
    for (size_t i = 1; i < app.presents.size(); ++i)
        EXPECT_EQ(app.presents[i] - app.presents[i - 1], 1000u);
    EXPECT_EQ(app.widget.draws, 0); // nothing dirty: the widget is not drawn
    EXPECT_NEAR(app.updateCount, 501, 1);

    // A widget dirty on every update is drawn after every update.
    app.widget.dirtyEveryUpdate = true;
    app.presents.clear();
    app.RunFor(1000);
    EXPECT_GE(app.presents.size(), 99u);
    EXPECT_GE(app.widget.draws, 99);
}

TEST_F(MainLoopTest, TheSpeedFactorSetsTheStepLength)
{
    struct Case {
        double multiplier;
        int expectedUpdates;
    };
    const Case cases[] = {{1.0, 100}, {2.0, 200}, {0.5, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.multiplier);
        LoopApp app(mClock);
        app.updateMultiplier = c.multiplier;
        app.RunFor(10);
        const int before = app.updateCount;
        app.RunFor(1000);
        EXPECT_NEAR(app.updateCount - before, c.expectedUpdates, 1);
    }
    for (const double multiplier : {0.0, -1.0}) {
        LoopApp app(mClock);
        app.updateMultiplier = multiplier;
        bool deleted = false;
        auto* doomed = new ProbeWidget;
        doomed->deletedFlag = &deleted;
        app.loopDepth = 1; // as if queued inside the loop
        app.QueueDeferredDelete(doomed);
        app.loopDepth = 0;
        for (int i = 0; i < 100; ++i)
            app.UpdateAppStep(nullptr);
        EXPECT_EQ(app.updateCount, 0);
        EXPECT_TRUE(deleted); // the passes still empty the queue
    }
}

TEST_F(MainLoopTest, DebugSteppingRunsOneStepThenPauses)
{
    LoopApp app(mClock);
    app.loadingCompletedHandled = true;
    app.smoothUpdates = false;
    app.RunFor(50);
    app.RunUntilSleep();
    const int before = app.updateCount;
    app.log.clear();
    app.fractions.clear();

    app.stepMode = 1;
    app.loopState = 1;
    app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.updateCount, before + 1);
    EXPECT_EQ(app.fractions, std::vector<float>{1.0f});
    EXPECT_EQ(app.log.substr(0, 2), "UD");
    EXPECT_EQ(app.stepMode, 2);

    // Paused: each step sleeps one update step and runs nothing.
    const size_t sleeps = mClock.SleepCount();
    for (int i = 0; i < 30; ++i)
        app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.updateCount, before + 1);
    EXPECT_EQ(mClock.SleepCount() - sleeps, 15u); // every other step pumps messages
    EXPECT_EQ(mClock.Sleeps().back(), 10u);
}

TEST_F(MainLoopTest, TheDeleteQueueWaitsForTheLoopsThatMayUseAnObject)
{
    LoopApp app(mClock);
    bool outerDeleted = false;
    bool innerDeleted = false;
    bool outerAliveAfterNested = false;
    bool innerDeletedInNested = false;
    bool nestedDone = false;
    bool innerQueued = false;
    app.onUpdate = [&] {
        if (app.loopDepth == 2 && !innerQueued) {
            innerQueued = true;
            auto* inner = new ProbeWidget;
            inner->deletedFlag = &innerDeleted;
            app.QueueDeferredDelete(inner); // queued inside the nested loop
            return;
        }
        if (app.loopDepth != 1 || nestedDone)
            return;
        nestedDone = true;
        auto* outer = new ProbeWidget;
        outer->deletedFlag = &outerDeleted;
        app.QueueDeferredDelete(outer); // queued by the main loop
        // A nested loop, as a modal dialog runs one.
        EXPECT_TRUE(app.UpdateApp());
        EXPECT_TRUE(app.UpdateApp());
        innerDeletedInNested = innerDeleted;
        outerAliveAfterNested = !outerDeleted;
    };
    app.RunFor(100);
    EXPECT_TRUE(innerQueued);
    EXPECT_TRUE(innerDeletedInNested);
    EXPECT_TRUE(outerAliveAfterNested);
    EXPECT_TRUE(outerDeleted);
    EXPECT_TRUE(app.deleteQueue.empty());
    EXPECT_EQ(app.loopDepth, 0);
}

TEST_F(MainLoopTest, ShutdownUnwindsNestedLoops)
{
    LoopApp app(mClock);
    bool nestedResult = true;
    app.onUpdate = [&] {
        if (app.shutdown)
            return;
        app.Shutdown();
        nestedResult = app.UpdateApp();
    };
    app.DoMainLoop(); // returns once the shut-down is seen
    EXPECT_FALSE(nestedResult);
    EXPECT_TRUE(app.shutdown);
    EXPECT_FALSE(app.UpdateAppStep(nullptr));
}

TEST_F(MainLoopTest, StartRunsTheLoopAndReportsItsStatistics)
{
    LoopApp app(mClock);
    app.loadingCompletedHandled = true;
    app.onUpdate = [&] {
        if (app.updateCount == 50)
            app.Shutdown();
    };
    testing::internal::CaptureStderr();
    app.Start();
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(app.inMainLoop);
    EXPECT_EQ(app.updateCount, 50);
    EXPECT_TRUE(std::regex_search(out, std::regex("Seconds       = [0-9.e+]+\r\n"))) << out;
    EXPECT_NE(out.find("Update Count  = 50\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Draw Count    = " + std::to_string(app.drawCount.load()) + "\r\n"), std::string::npos);
    EXPECT_NE(out.find("Sleep Count   = " + std::to_string(app.sleepCount) + "\r\n"), std::string::npos);
    // No time is spent drawing on this clock: no average is printed.
    EXPECT_EQ(out.find("Avg FPS"), std::string::npos);
    // A second Start after the shut-down does nothing.
    app.Start();
    EXPECT_EQ(app.updateCount, 50);
}

TEST_F(MainLoopTest, ResetTimingForgetsOwedTimeAndHeldInput)
{
    LoopApp app(mClock);
    app.updateTimeAccum = 150.0;
    app.ctrlDown = true;
    app.manager.keyDown[0x41] = 1;
    app.manager.MouseDown(5, 6, 1);
    ASSERT_NE(app.manager.downButtons, 0u);
    app.ResetTiming();
    EXPECT_EQ(app.updateTimeAccum, 0.0);
    EXPECT_EQ(app.lastTimingTick, mClock.Now());
    EXPECT_FALSE(app.ctrlDown);
    EXPECT_EQ(app.manager.keyDown[0x41], 0);
    EXPECT_EQ(app.manager.downButtons, 0u);
    EXPECT_EQ(app.widget.input, std::vector<std::string>{"up 5 6 1"});
}

TEST_F(MainLoopTest, WindowInputReachesTheWidgetsOneMessagePerStep)
{
    FakeWindowSystem windows;
    LoopApp app(mClock);
    Plat::Window* window = windows.CreateWindow(0, "MainWindow", "t", Plat::kWsCaption, 0, 0, 64, 48);
    window->SetUserData(&app);
    window->SetProcedure(&Lumo::LumoAppBase::WindowProc);
    app.mainWindow = window;

    Plat::EventPump& pump = Plat::GetEventPump();
    pump.PostMessage({window, Plat::kWmKeyDown, 0x41, 1});
    pump.PostMessage({window, Plat::kWmChar, 'a', 1});
    pump.PostMessage({window, Plat::kWmTimer, 100, 0});
    pump.PostMessage({window, Plat::kWmTimer, 100, 0}); // joins the one before
    app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.widget.input, std::vector<std::string>{"down 65"});
    EXPECT_EQ(app.deferredMessages.size(), 2u);
    EXPECT_EQ(app.loopState, 0);
    app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.widget.input, (std::vector<std::string>{"down 65", "char a"}));
    app.UpdateAppStep(nullptr); // the timer
    EXPECT_EQ(app.loopState, 1);

    // Closing the window ends the loop; nothing queued after the close counts.
    pump.PostMessage({window, Plat::kWmClose, 0, 0});
    pump.PostMessage({window, Plat::kWmKeyDown, 0x42, 1});
    app.loopState = 0;
    app.UpdateAppStep(nullptr);
    EXPECT_TRUE(app.shutdown);
    EXPECT_TRUE(app.deferredMessages.empty());
    EXPECT_EQ(app.widget.input.size(), 2u);
    EXPECT_EQ(window->GetShowState(), Plat::kSwHide); // the shut-down hides it
}

TEST_F(MainLoopTest, ActivationAndMinimisingMoveTheFocus)
{
    FakeWindowSystem windows;
    LoopApp app(mClock);
    Plat::Window* window = windows.CreateWindow(0, "MainWindow", "t", Plat::kWsCaption, 0, 0, 64, 48);
    window->SetUserData(&app);
    window->SetProcedure(&Lumo::LumoAppBase::WindowProc);
    app.mainWindow = window;
    Plat::EventPump& pump = Plat::GetEventPump();

    struct Step {
        uint32_t message;
        uintptr_t wParam;
        bool active;
        bool minimized;
        bool hasFocus;
    };
    const Step steps[] = {
        {Plat::kWmActivateApp, 0, false, false, false},
        {Plat::kWmActivateApp, 1, true, false, true},
        {Plat::kWmSize, Plat::kSizeMinimized, true, true, false},
        {Plat::kWmSize, Plat::kSizeRestored, true, false, true},
    };
    for (const Step& step : steps) {
        pump.PostMessage({window, step.message, step.wParam, 0});
        app.loopState = 0;
        app.UpdateAppStep(nullptr);
        EXPECT_EQ(app.active, step.active);
        EXPECT_EQ(app.minimized, step.minimized);
        EXPECT_EQ(app.hasFocus, step.hasFocus);
        EXPECT_EQ(app.manager.hasFocus, step.hasFocus);
    }
    // Minimised, updates run but the widgets are not updated.
    const int widgetUpdates = app.widget.updates;
    app.minimized = true;
    app.UpdateFrames();
    EXPECT_EQ(app.widget.updates, widgetUpdates);
}

TEST_F(MainLoopTest, LoadingProgress)
{
    LoopApp app(mClock);
    EXPECT_EQ(app.GetLoadingThreadProgress(), 0.0);
    app.loadingThreadStarted = true;
    EXPECT_EQ(app.GetLoadingThreadProgress(), 0.0); // no task count yet
    app.loadingTasksTotal = 4;
    app.loadingTasksDone = 1;
    EXPECT_EQ(app.GetLoadingThreadProgress(), 0.25);
    app.loadingTasksDone = 9;
    EXPECT_EQ(app.GetLoadingThreadProgress(), 1.0);
    app.loadingThreadStarted = false;
    app.loadingCompletedHandled = true;
    EXPECT_EQ(app.GetLoadingThreadProgress(), 1.0);
}

TEST_F(MainLoopTest, TheLoadingThreadsEndIsHandledOnceBetweenUpdates)
{
    struct CompletionApp : LoopApp {
        using LoopApp::LoopApp;
        void LoadingThreadCompleted() override { ++completions; }
        int completions = 0;
    };
    CompletionApp app(mClock);
    app.loadingThreadCompleted = true;
    app.yieldMainThread = true;
    EXPECT_TRUE(app.DoUpdateFrames());
    EXPECT_TRUE(app.DoUpdateFrames());
    EXPECT_EQ(app.completions, 1);
    EXPECT_TRUE(app.loadingCompletedHandled);
    EXPECT_FALSE(app.yieldMainThread);
    EXPECT_EQ(app.updateCount, 2);
}

} // namespace
