// The main loop: the step state machine shared by the outer loop and nested
// (modal) loops, the fixed-step timing pass with its capped catch-up, paced
// drawing and presenting, and the deferred-delete queue.
#include "framework/app/LumoAppBase.h"

#include "framework/app/DemoFormat.h"
#include "framework/core/Debug.h"
#include "framework/sound/MusicInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/system/Clock.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"


namespace Lumo {

namespace {

// The most real time the updates may owe.
constexpr double kMaxOwedMs = 200.0;

uint32_t Now()
{
    return Plat::GetClock().TickCount();
}

void Sleep(uint32_t milliseconds)
{
    Plat::GetClock().Sleep(milliseconds);
}

// When fast demo playback last drew; taken the first time it runs.
bool gFastDrawTimeTaken = false;
uint32_t gLastFastDrawTime = 0;

} // namespace

// ---- Start and the loop's frame

void LumoAppBase::Start()
{
    if (shutdown)
        return;
    // Thread priorities do nothing here; the cursor thread starts once.
    if (!cursorThreadRunning)
        StartCursorThread();
    if (autoStartLoadingThread)
        StartLoadingThread();
    if (mainWindow != nullptr) {
        mainWindow->Show(Plat::kSwShow);
        mainWindow->SetForeground();
    }
    // The clock and Sleep have millisecond resolution already: nothing to
    // raise for the run.

    const uint32_t begin = Now();
    inMainLoop = true;
    displayChangeTime = begin;
    lastInputTime = begin;
    lastTimerTick = begin;

    DoMainLoop();
    ProcessDeleteQueue();
    inMainLoop = false;

    WaitForLoadingThread();

    OutputDebug("Seconds       = %g\r\n", static_cast<uint32_t>(Now() - begin) * 0.001);
    OutputDebug("Sleep Count   = %d\r\n", sleepCount);
    OutputDebug("Update Count  = %d\r\n", updateCount);
    OutputDebug("Draw Count    = %d\r\n", drawCount.load());
    OutputDebug("Draw Time     = %d\r\n", drawTime);
    OutputDebug("Screen Blt    = %d\r\n", screenBltTime);
    if (drawTime + screenBltTime > 0)
        OutputDebug("Avg FPS       = %d\r\n", drawCount.load() * 1000 / (screenBltTime + drawTime));

    AfterLoopHook();
    WriteToRegistry();
}

void LumoAppBase::DoMainLoop()
{
    while (!shutdown) {
        loopExit = false;
        UpdateApp();
    }
}

bool LumoAppBase::UpdateApp()
{
    bool updated = false;
    do {
        if (!UpdateAppStep(&updated))
            return false;
    } while (!updated);
    return true;
}

bool LumoAppBase::UpdateAppStep(bool* updated)
{
    if (updated != nullptr)
        *updated = false;
    if (loopExit)
        return false;
    if (loopState == 3)
        loopState = 0;
    ++loopDepth;

    if (loopState == 0) {
        Plat::EventPump& pump = Plat::GetEventPump();
        Plat::WindowMessage message;
        while (!shutdown && pump.PeekMessage(message, true))
            pump.DispatchMessage(message);
        ProcessNotifyMessages();
        DemoReplayEvents();
        if (!ProcessDeferredMessages(true))
            loopState = 1;
    } else {
        switch (stepMode) {
        case 0: {
            const int before = updateCount;
            Process(true);
            if (updated != nullptr)
                *updated = updateCount != before;
            break;
        }
        case 1:
            stepMode = 2;
            DoUpdateFrames();
            UpdateFramesF(1.0f);
            DrawDirty();
            break;
        default:
            Sleep(static_cast<uint32_t>(frameTime > 0 ? frameTime : 0));
            loopState = 3;
            break;
        }
    }

    --loopDepth;
    return true;
}

// ---- The timing pass

bool LumoAppBase::Process(bool allowSleep)
{
    if (shutdownRequested)
        Shutdown();

    const bool vsyncMode = !playingDemo && smoothUpdates && !lastDrawSkipped && !vsyncBroken &&
                           (!physicallyWindowed || (waitForVSync && !sleepPacing));

    double passLength = 0.0;
    double updatesPerPass = 1.0;
    const double rate = refreshRate > 0 ? refreshRate : 60;
    if (smoothUpdates) {
        passLength = (1000.0 / rate) / updateMultiplier;
        updatesPerPass = 1000.0 / (static_cast<double>(frameTime) * rate);
    } else {
        passLength = static_cast<double>(frameTime) / updateMultiplier;
    }

    // Fast demo playback: updates as fast as they run, a frame a second.
    if (playingDemo && (updateCount < demoTargetUpdate || demoRunToEnd)) {
        if (!demoMuted && !demoStepDraw) {
            demoMuted = true;
            Mute(true);
        }
        if (!gFastDrawTimeTaken) {
            gFastDrawTimeTaken = true;
            gLastFastDrawTime = Now();
        }
        while (playingDemo && (updateCount < demoTargetUpdate || demoRunToEnd) && !shutdown) {
            updateTimeAccum = 0.0;
            lastTimingTick = Now();
            const int before = updateCount;
            if (DoUpdateFrames()) {
                updateFraction += updatesPerPass - 1.0;
                ProcessDeleteQueue();
                while (updateFraction >= 1.0) {
                    DemoReplayEvents();
                    if (!DoUpdateFrames())
                        break;
                    ProcessDeleteQueue();
                    updateFraction -= 1.0;
                }
                UpdateFramesF(static_cast<float>(updatesPerPass));
                ProcessDeleteQueue();
            }
            if (updateCount == before) {
                // The target lies past the end of the recording: dropped,
                // so that the sound comes back and the frame is drawn.
                if (DemoStreamEnded() || demoClosing) {
                    demoTargetUpdate = updateCount;
                    demoRunToEnd = false;
                    forceRedraw = true;
                    break;
                }
                // Records are due first; when none could be replayed (this
                // run's loading thread is still busy) the pass ends, so that
                // messages are taken meanwhile.
                const int readPos = demoBuffer.GetReadPos();
                DemoReplayEvents();
                if (demoBuffer.GetReadPos() == readPos || shutdown) {
                    loopState = 3;
                    return true;
                }
                continue;
            }
            if (Now() - gLastFastDrawTime >= 1000 || demoStepDraw) {
                demoStepDraw = false;
                gLastFastDrawTime = Now();
                DrawDirty();
                return true;
            }
        }
    }
    if (demoMuted && !(updateCount < demoTargetUpdate || demoRunToEnd)) {
        demoMuted = false;
        if (soundManager != nullptr)
            soundManager->StopAllSounds();
        Unmute(true);
    }

    if (demoPaused || updateMultiplier <= 0.0) {
        // No update in this pass: the cycle ends (messages are taken, keys
        // can resume) after a frame's sleep.
        ProcessDeleteQueue();
        DrawDirty();
        loopState = 3;
        if (allowSleep)
            Sleep(static_cast<uint32_t>(frameTime > 0 ? frameTime : 1));
        return true;
    }

    const uint32_t start = Now();
    uint32_t slept = 0;
    if (!vsyncMode)
        ClampElapsedTime();

    bool drawBranch = false;
    if (loopState == 1) {
        ++updatesSinceDraw;
        const int updateLimit = static_cast<int>(updateMultiplier * 10.0);
        if (updatesSinceDraw >= updateLimit && loadingCompletedHandled) {
            drawBranch = true;
        } else {
            bool due = false;
            if (vsyncMode)
                due = !updatedSinceDraw || updateTimeAccum >= static_cast<int>(passLength * 0.75);
            else
                due = updateTimeAccum >= passLength;
            if (!due) {
                drawBranch = true;
            } else {
                if (!playingDemo && updateMultiplier == 1.0) {
                    // A display whose vertical blank comes too fast cannot pace.
                    ++vsyncCheckUpdates;
                    const int step = frameTime > 0 ? frameTime : 1;
                    if (vsyncCheckUpdates >= (step + 999) / step) {
                        if (start - vsyncCheckTick <= 800) {
                            if (++vsyncFastCount >= 3)
                                vsyncBroken = true;
                        } else {
                            vsyncFastCount = 0;
                        }
                        vsyncCheckTick = start;
                        vsyncCheckUpdates = 0;
                    }
                }
                DemoReplayEvents();
                if (DoUpdateFrames()) {
                    loopState = 2;
                    updatedSinceDraw = true;
                } else {
                    // A played demo that waits (its end, its loading
                    // thread) draws and sleeps like a quiet pass instead of
                    // asking again at once.
                    updateTimeAccum = 0.0;
                    drawBranch = true;
                }
            }
        }
    } else if (loopState == 2) {
        loopState = 3;
        updateFraction += updatesPerPass - 1.0;
        ProcessDeleteQueue();
        while (updateFraction >= 1.0) {
            DemoReplayEvents();
            ++updatesSinceDraw;
            if (!DoUpdateFrames())
                break;
            ProcessDeleteQueue();
            updateFraction -= 1.0;
        }
        UpdateFramesF(static_cast<float>(updatesPerPass));
        ProcessDeleteQueue();
        updateTimeAccum -= passLength;
        if (vsyncMode) {
            updateTimeAccum -= 0.2;
            if (updateTimeAccum <= 0.0)
                updateTimeAccum = 0.0;
        }
        if (timingHoldMs > 0)
            updateTimeAccum = 0.0;
    } else {
        drawBranch = true;
    }

    if (drawBranch) {
        loopState = 3;
        updatesSinceDraw = 0;
        if (updatedSinceDraw) {
            DrawDirty();
        } else {
            const int sleepMs = static_cast<int>(passLength - updateTimeAccum);
            if (sleepMs > 0) {
                if (!allowSleep)
                    return false;
                ++sleepCount;
                Sleep(static_cast<uint32_t>(sleepMs));
                slept = static_cast<uint32_t>(sleepMs);
            }
        }
    }

    // While the loading thread has the priority, leave it about twice the
    // time this pass worked.
    if (yieldMainThread) {
        int extra = 2 * static_cast<int>(Now() - start - slept) - static_cast<int>(slept);
        if (extra > 250)
            extra = 250;
        if (extra >= 0) {
            if (!allowSleep)
                return false;
            Sleep(static_cast<uint32_t>(extra));
        }
    }

    ProcessDeleteQueue();
    return true;
}

void LumoAppBase::ClampElapsedTime()
{
    const uint32_t now = Now();
    if (lastTimingTick == 0) {
        lastTimingTick = now;
        return;
    }
    const uint32_t delta = now - lastTimingTick;
    const double owed = updateTimeAccum + delta;
    updateTimeAccum = owed < kMaxOwedMs ? owed : kMaxOwedMs;
    lastTimingTick = now;
    if (timingHoldMs > 0) {
        timingHoldMs -= static_cast<int>(delta);
        if (timingHoldMs <= 0)
            timingHoldMs = 0;
    }
}

void LumoAppBase::ResetTiming()
{
    if (!physicallyWindowed)
        noFlip = false;
    lastTimingTick = Now();
    updateTimeAccum = 0.0;
    ClearKeyStates();
    if (widgetManager != nullptr && widgetManager->downButtons != 0) {
        widgetManager->DoMouseUps();
        if (mainWindow != nullptr)
            mainWindow->SetCapture(false);
    }
}

// ---- Updates

bool LumoAppBase::DoUpdateFrames()
{
    if (gScreenSaverIdle)
        return false;
    if (playingDemo) {
        if (loadingThreadCompleted && !loadingCompletedHandled && demoLoadingCompleted)
            HandleLoadingCompleted();
        if (loadingCompletedHandled != demoLoadingCompleted)
            return false;
        // The recording ends here; a record due at this update is replayed
        // before the update runs.
        if (DemoStreamEnded() || DemoReadCommand())
            return false;
    } else if (loadingThreadCompleted && !loadingCompletedHandled) {
        // Its record comes first: the completion's own demo-aware calls
        // follow it in the stream, as they do in playback.
        if (DemoRecordsNow())
            DemoBeginRecord(kDemoLoadingCompleted);
        HandleLoadingCompleted();
    }
    UpdateFrames();
    return true;
}

void LumoAppBase::UpdateFrames()
{
    ++updateCount;
    if (!minimized && widgetManager != nullptr)
        widgetManager->UpdateFrame();
    if (musicInterface != nullptr)
        musicInterface->Update();
    CleanSharedImages();
}

void LumoAppBase::UpdateFramesF(float fraction)
{
    if (smoothUpdates && !minimized && widgetManager != nullptr)
        widgetManager->UpdateFrameF(fraction);
}

// ---- Drawing

bool LumoAppBase::DrawDirty()
{
    if (gDisplayLost) {
        // Only try to get the display back.
        Redraw(nullptr);
        updatedSinceDraw = false;
        lastDrawSkipped = true;
        return false;
    }

    if (showOverlay) {
        if (overlayMode == 0)
            RefreshFpsOverlay();
        else if (widgetManager != nullptr)
            RefreshMouseOverlay(widgetManager->lastMouseX, widgetManager->lastMouseY);
        if (playingDemo)
            RefreshDemoTimeOverlay();
    }
    const uint32_t start = Now();
    if (start - lastScreenSaverCheck >= 1000) {
        lastScreenSaverCheck = start;
        ScreenSaverIdleCheck(start);
    }
    if (gScreenSaverIdle) {
        lastDrawSkipped = true;
        updatedSinceDraw = false;
        return false;
    }

    isDrawing = true;
    const bool drewSomething = widgetManager != nullptr && widgetManager->image != nullptr &&
                               widgetManager->DrawScreen();
    isDrawing = false;
    const uint32_t drawn = Now();

    const bool quietTooLong = start - lastDrawTime >= 1000;
    const bool tooEarly = static_cast<int32_t>(drawTimeStamp - start) > 0;
    if ((!drewSomething && !quietTooLong && !forceRedraw) || tooEarly) {
        lastDrawSkipped = true;
        updatedSinceDraw = false;
        return false;
    }

    if (showOverlay && widgetManager != nullptr && widgetManager->image != nullptr) {
        Graphics g(widgetManager->image);
        DrawOverlays(&g);
    }
    ++drawCount;
    lastDrawSkipped = false;
    drawTime += static_cast<int>(drawn - start);
    if (physicallyWindowed && waitForVSync && sleepPacing) {
        // Pace by sleeping out one refresh period since the last present.
        const uint32_t period = static_cast<uint32_t>(GetDisplayFrameMs());
        const uint32_t since = Now() - lastDrawTime;
        if (since < period)
            Sleep(period - since);
    }
    lastDrawTime = start;
    const uint32_t presentStart = Now();
    Redraw(nullptr);
    ClampElapsedTime();
    const uint32_t presentEnd = Now();
    screenBltTime = static_cast<int>(presentEnd - presentStart);
    if (loadingThreadStarted && !loadingThreadCompleted) {
        // Space frames out so that loading keeps most of the machine.
        uint32_t spent = presentEnd - start;
        if (spent < 15)
            spent = 15;
        uint32_t next = drawTimeStamp + spent + 35;
        if (static_cast<int32_t>(next - presentEnd) < 0)
            next = presentEnd;
        drawTimeStamp = next;
    } else {
        drawTimeStamp = presentEnd;
    }
    updatedSinceDraw = false;
    forceRedraw = false;
    return true;
}

// ---- Deferred deletion

void LumoAppBase::QueueDeferredDelete(Widget* widget)
{
    deleteQueue.emplace_back(loopDepth, widget);
}

void LumoAppBase::ProcessDeleteQueue()
{
    for (auto it = deleteQueue.begin(); it != deleteQueue.end();) {
        if (it->first >= loopDepth) {
            Widget* widget = it->second;
            it = deleteQueue.erase(it);
            delete widget;
        } else {
            ++it;
        }
    }
}

double LumoAppBase::GetLoadingThreadProgress()
{
    if (loadingCompletedHandled)
        return 1.0;
    if (!loadingThreadStarted || loadingTasksTotal == 0)
        return 0.0;
    const double progress = static_cast<double>(loadingTasksDone) / loadingTasksTotal;
    return progress > 1.0 ? 1.0 : progress;
}

} // namespace Lumo
