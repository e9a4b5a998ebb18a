// The window procedure and the deferred-message queue. The procedure answers
// what needs an answer at once (painting, cursor, power and system
// commands) and queues input and window-state messages; the main loop hands
// them one by one to ProcessDeferredMessages, which records them into a
// demo and passes them to the widget tree between two updates. While a demo
// plays, real input is ignored and some keys steer the playback instead.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/system/Clock.h"
#include "platform/system/UrlOpener.h"
#include "platform/system/DebugOutput.h"
#include "platform/window/EventPump.h"
#include "platform/audio/SystemSound.h"
#include "platform/window/Window.h"

#include <cctype>
#include <cstdio>

namespace Lumo {

namespace {

bool IsMouseMessage(uint32_t message)
{
    return message >= Plat::kWmMouseMove && message <= Plat::kWmMButtonUp;
}

bool IsQueuedMessage(uint32_t message)
{
    switch (message) {
    case Plat::kWmMove:
    case Plat::kWmSize:
    case Plat::kWmClose:
    case Plat::kWmActivateApp:
    case Plat::kWmSysColorChange:
    case Plat::kWmDisplayChange:
    case Plat::kWmKeyDown:
    case Plat::kWmKeyUp:
    case Plat::kWmChar:
    case Plat::kWmSysKeyDown:
    case Plat::kWmSysKeyUp:
    case Plat::kWmTimer:
    case Plat::kWmMouseWheel:
    case Plat::kWmSizing:
    case Plat::kWmMouseLeave:
        return true;
    default:
        return IsMouseMessage(message);
    }
}

bool IsDisplayNotice(uint32_t message)
{
    return message == Plat::kWmSysColorChange || message == Plat::kWmDisplayChange;
}

bool IsKeyMessage(uint32_t message)
{
    return message == Plat::kWmKeyDown || message == Plat::kWmSysKeyDown || message == Plat::kWmKeyUp ||
           message == Plat::kWmSysKeyUp;
}

// Milliseconds counted back from the end of a played demo by the keys '4' to '9'.
constexpr int kPlaybackJumpMs[6] = {120000, 90000, 60000, 30000, 10000, 5000};

constexpr int kVkD = 0x44;

} // namespace

intptr_t LumoAppBase::WindowProc(Plat::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    LumoAppBase* app = window != nullptr ? static_cast<LumoAppBase*>(window->GetUserData()) : nullptr;
    if (app == nullptr)
        return Plat::DefWindowProc(window, message, wParam, lParam);
    intptr_t filtered = 0;
    if (app->isScreenSaver && app->ScreenSaverFilter(window, message, wParam, lParam, filtered))
        return filtered;

    if (app->notifyMessage != 0 && message == app->notifyMessage && window == app->mainWindow) {
        app->RestoreAndActivate(wParam, lParam);
        return 0;
    }

    switch (message) {
    case Plat::kWmSetCursor:
        if (!app->crashed)
            app->EnforceCursor();
        return 1;
    case Plat::kWmDestroy: {
        char text[64];
        std::snprintf(text, sizeof(text), "DESTROYED HWND: %d\r\n",
                      static_cast<int>(reinterpret_cast<uintptr_t>(window) & 0x7FFFFFFFu));
        Plat::WriteDebugText(text);
        return Plat::DefWindowProc(window, message, wParam, lParam);
    }
    case Plat::kWmEnable:
        app->windowDisabled = wParam == 0;
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmPaint:
        if (app->initialized && !app->crashed) {
            if (app->inMainLoop)
                app->Redraw(nullptr);
            return 0;
        }
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmQueryOpen:
        if (!app->IsMainWindowEnabled())
            return 0; // stay minimised while a box of ours holds the program
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmEraseBkgnd:
        return 1;
    case Plat::kWmEndSession:
        app->Shutdown();
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmNcLButtonDown: {
        // Moving or sizing the window blocks inside the default handling;
        // the time it took is not caught up afterwards.
        const intptr_t result = Plat::DefWindowProc(window, message, wParam, lParam);
        app->lastTimingTick = Plat::GetClock().TickCount();
        app->updateTimeAccum = 0.0;
        return result;
    }
    case Plat::kWmSysChar:
        if (app->IsAltShortcut(static_cast<int>(wParam)))
            return 0;
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmSysCommand:
        if ((wParam & Plat::kScCommandMask) == Plat::kScMonitorPower) {
            app->lastMonitorPowerTick = Plat::GetClock().TickCount();
            if (!app->loadingCompletedHandled)
                return 0;
        }
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmPowerBroadcast:
        if ((wParam == Plat::kPbtApmQuerySuspend || wParam == Plat::kPbtApmQueryStandby) &&
            !(app->loadingCompletedHandled && app->physicallyWindowed))
            return Plat::kBroadcastQueryDeny;
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmActivateApp:
        // The loop and the presentation know at once; the rest waits in the queue.
        if (window == app->mainWindow && !app->playingDemo)
            app->active = wParam != 0;
        break;
    default:
        break;
    }

    // Whether the pointer is over the window, as the desktop knows it now.
    if (window == app->mainWindow) {
        if (IsMouseMessage(message))
            app->pointerOverWindow = true;
        else if (message == Plat::kWmMouseLeave)
            app->pointerOverWindow = false;
    }

    if (!IsQueuedMessage(message))
        return Plat::DefWindowProc(window, message, wParam, lParam);
    // A system box over the full screen takes the input.
    if (app->noFlip)
        return Plat::DefWindowProc(window, message, wParam, lParam);

    if (IsKeyMessage(message)) {
        const bool down = message == Plat::kWmKeyDown || message == Plat::kWmSysKeyDown;
        if (wParam == Plat::kVkControl)
            app->ctrlDown = down;
        else if (wParam == Plat::kVkMenu)
            app->altDown = down;
        else if (wParam == Plat::kVkShift)
            app->shiftDown = down;
        if (down && app->WindowKeyHook(static_cast<int>(wParam), app->ctrlDown, app->altDown))
            return 0;
    }

    if (app->playingDemo) {
        if (message == Plat::kWmChar)
            app->DemoPlaybackKey(static_cast<char>(wParam));
        else if (message == Plat::kWmKeyDown)
            app->DebugKeyDown(static_cast<int>(wParam));
    }

    std::list<Plat::WindowMessage>& queue = app->deferredMessages;
    bool queueIt = true;
    if (!queue.empty()) {
        const uint32_t tail = queue.back().message;
        if (tail == Plat::kWmClose)
            queueIt = false; // the close ends the run: nothing after it counts
        else if (message == Plat::kWmTimer && tail == Plat::kWmTimer)
            queueIt = false;
    }
    if (queueIt && IsDisplayNotice(message)) {
        for (const Plat::WindowMessage& queued : queue) {
            if (IsDisplayNotice(queued.message)) {
                queueIt = false;
                break;
            }
        }
    }
    if (queueIt)
        queue.push_back({window, message, wParam, lParam});

    switch (message) {
    case Plat::kWmSizing:
        if (app->aspectCorrection && lParam != 0) {
            Plat::ScreenRect* proposed = reinterpret_cast<Plat::ScreenRect*>(lParam);
            KeepSizingAspect(window->GetWindowRect(), window->GetClientRect(), app->windowAspect, *proposed);
        }
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmSize:
        app->windowIconic = wParam == Plat::kSizeMinimized;
        if (wParam == Plat::kSizeRestored && app->aspectCorrection && window == app->mainWindow &&
            app->ddInterface != nullptr) {
            const int clientWidth = static_cast<int>(static_cast<uintptr_t>(lParam) & 0xFFFFu);
            const int clientHeight = static_cast<int>((static_cast<uintptr_t>(lParam) >> 16) & 0xFFFFu);
            app->ddInterface->RecreateWindowedDrawSurface(clientWidth, clientHeight);
            if (app->widgetManager != nullptr)
                app->widgetManager->SetMouseRemap(app->screenRect, app->ddInterface->mPresentationRect);
            window->Invalidate();
        }
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmSysKeyDown:
        // Alt+F4 closes the window as the desktop's own handling would; no
        // other system key opens anything.
        if (wParam == static_cast<uintptr_t>(Plat::kVkF4))
            Plat::GetEventPump().PostMessage({window, Plat::kWmClose, 0, 0});
        return 0;
    case Plat::kWmClose:
        app->CloseRequestHook();
        return 0; // the window is destroyed by the shut-down, not here
    default:
        return Plat::DefWindowProc(window, message, wParam, lParam);
    }
}

void LumoAppBase::KeepSizingAspect(const Plat::ScreenRect& windowRect, const Plat::ScreenRect& clientRect,
                                   const Ratio& aspect, Plat::ScreenRect& proposed)
{
    // A degenerate aspect would divide by zero: leave the rectangle alone.
    if (aspect.mNumerator <= 0 || aspect.mDenominator <= 0)
        return;
    const int clientWidth = clientRect.Width() + proposed.Width() - windowRect.Width();
    const int clientHeight = clientRect.Height() + proposed.Height() - windowRect.Height();
    int newWidth = aspect.mNumerator * clientHeight / aspect.mDenominator;
    if (clientWidth > newWidth)
        newWidth = clientWidth;
    const int newHeight = aspect.mDenominator * newWidth / aspect.mNumerator;
    proposed.right += newWidth - clientWidth;
    proposed.bottom += newHeight - clientHeight;
}

bool LumoAppBase::IsAltShortcut(int charCode)
{
    // tolower is only defined for byte values.
    if (charCode < 0 || charCode > 255)
        return false;
    const int lower = std::tolower(charCode);
    return lower == 13 || lower == 'r';
}

void LumoAppBase::DemoPlaybackKey(char key)
{
    switch (key) {
    case '+':
        updateMultiplier *= 1.5;
        break;
    case '-':
        updateMultiplier *= 0.6666666666666666;
        break;
    case '=':
        updateMultiplier = 1.0;
        break;
    case '0':
        demoTargetUpdate = demoTotalUpdates;
        break;
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        if (frameTime > 0)
            demoTargetUpdate = demoTotalUpdates - kPlaybackJumpMs[key - '4'] / frameTime;
        break;
    case 'J':
    case 'j':
        ShowJumpToTimeDialog();
        break;
    case 'L':
    case 'l':
        ShowMarkerListDialog();
        break;
    case 'M':
    case 'm':
        demoRunToEnd = true;
        break;
    case 'N':
    case 'n':
        demoTargetUpdate = updateCount + 1;
        demoStepDraw = true;
        break;
    case 'P':
    case 'p':
        demoPaused = !demoPaused;
        updateTimeAccum = 0.0;
        lastTimingTick = Plat::GetClock().TickCount();
        break;
    case 'S':
    case 's':
        if (GetMusicVolume() == 0.0) {
            SetMusicVolume(savedMusicVolume);
        } else {
            savedMusicVolume = musicVolume;
            SetMusicVolume(0.0);
        }
        if (GetSfxVolume() == 0.0) {
            SetSfxVolume(savedSfxVolume);
        } else {
            savedSfxVolume = sfxVolume;
            SetSfxVolume(0.0);
        }
        break;
    default:
        break;
    }
}

bool LumoAppBase::ProcessDeferredMessages(bool onlyOne)
{
    while (!deferredMessages.empty()) {
        const Plat::WindowMessage msg = deferredMessages.front();
        deferredMessages.pop_front();
        const bool mainWin = msg.window == mainWindow;

        if (DemoRecordsNow() && !shutdown)
            DemoRecordMessage(msg);

        if (!playingDemo) {
            switch (msg.message) {
            case Plat::kWmActivateApp:
                if (mainWin && !crashed && !shutdown)
                    FollowActivation();
                break;
            case Plat::kWmMove:
                if (mainWin && windowed && mainWindow != nullptr) {
                    const int state = mainWindow->GetShowState();
                    if (state == Plat::kSwShowNormal || state == Plat::kSwShow) {
                        const Plat::ScreenRect normal = mainWindow->GetNormalRect();
                        preferredX = normal.left;
                        preferredY = normal.top;
                    }
                }
                break;
            case Plat::kWmSize:
                if (mainWin && !shutdown) {
                    const bool nowMinimized = msg.wParam == Plat::kSizeMinimized;
                    if (nowMinimized != minimized) {
                        minimized = nowMinimized;
                        if (minimized) {
                            if (autoMuteOnLostFocus)
                                Mute(true);
                        } else {
                            if (autoMuteOnLostFocus)
                                Unmute(true);
                            if (widgetManager != nullptr)
                                widgetManager->MarkAllDirty();
                        }
                    }
                }
                RehupFocus();
                if (msg.wParam == Plat::kSizeMaximized)
                    SwitchScreenMode(false);
                break;
            case Plat::kWmSysColorChange:
            case Plat::kWmDisplayChange:
                if (widgetManager != nullptr) {
                    widgetManager->NotifyAll();
                    widgetManager->MarkAllDirty();
                }
                break;
            case Plat::kWmKeyDown:
            case Plat::kWmSysKeyDown:
                HandleKeyDownMessage(msg);
                break;
            case Plat::kWmKeyUp:
            case Plat::kWmSysKeyUp:
                lastInputTime = lastTimerTick;
                if (widgetManager != nullptr)
                    widgetManager->KeyUp(static_cast<int>(msg.wParam));
                break;
            case Plat::kWmChar:
                lastInputTime = lastTimerTick;
                if (widgetManager != nullptr)
                    widgetManager->KeyChar(static_cast<char>(msg.wParam));
                break;
            case Plat::kWmMouseWheel:
                if (widgetManager != nullptr) {
                    const int notches = Plat::HighWordSigned(static_cast<intptr_t>(msg.wParam)) / Plat::kWheelDelta;
                    widgetManager->MouseWheel(static_cast<int8_t>(notches));
                }
                break;
            case Plat::kWmMouseLeave:
                if (!crashed)
                    CheckMouseIn();
                break;
            case Plat::kWmTimer:
                if (inMainLoop && !crashed)
                    HandleTimerMessage();
                break;
            default:
                if (IsMouseMessage(msg.message) && !crashed)
                    HandleMouseMessage(msg);
                break;
            }
        }

        if (msg.message == Plat::kWmClose && (mainWin || (invisWindow != nullptr && msg.window == invisWindow))) {
            demoClosing = true;
            Shutdown();
        }
        if (onlyOne)
            break;
    }
    return !deferredMessages.empty();
}

void LumoAppBase::HandleKeyDownMessage(const Plat::WindowMessage& msg)
{
    const int key = static_cast<int>(msg.wParam);
    lastInputTime = lastTimerTick;
    if (msg.message == Plat::kWmSysKeyDown && key == Plat::kVkReturn && !forceFullscreen && !fullScreenFailed &&
        allowAltEnter) {
        SwitchScreenMode(!windowed);
        ClearKeyStates();
        return;
    }
    if (key == kVkD && widgetManager != nullptr && widgetManager->keyDown[Plat::kVkControl] != 0 &&
        widgetManager->keyDown[Plat::kVkMenu] != 0) {
        Plat::PlaySystemSoundFile("c:\\windows\\media\\Windows XP Menu Command.wav");
        debugKeysEnabled = !debugKeysEnabled;
    }
    if (debugKeysEnabled && DebugKeyDown(key))
        return;
    // Recorded only when it reaches the widgets: a replay gives them the
    // same key-downs as this run.
    if (DemoRecordsNow() && !shutdown)
        DemoRecordKeyDown(key);
    if (widgetManager != nullptr)
        widgetManager->KeyDown(key);
}

void LumoAppBase::HandleMouseMessage(const Plat::WindowMessage& msg)
{
    // A drag off the window reports positions outside it; they are taken
    // as the nearest a demo record can hold, live and in replay alike.
    int x = DemoClampPosition(Plat::LowWordSigned(msg.lParam));
    int y = DemoClampPosition(Plat::HighWordSigned(msg.lParam));
    lastInputTime = lastTimerTick;
    // A message at the position of the one before moves nothing; skipping
    // it keeps this run's events those a demo of it replays.
    const bool moved = x != lastMouseMessageX || y != lastMouseMessageY;
    lastMouseMessageX = x;
    lastMouseMessageY = y;
    if (widgetManager != nullptr) {
        widgetManager->RemapMouse(x, y);
        if (moved)
            widgetManager->MouseMove(x, y);
    }
    if (!mouseIn) {
        if (DemoRecordsNow() && !shutdown)
            DemoRecordMouseInside(true);
        mouseIn = true;
        EnforceCursor();
    }
    if (widgetManager == nullptr)
        return;

    int downCount = 0;
    int upCount = 0;
    uint32_t upBit = 0;
    switch (msg.message) {
    case Plat::kWmLButtonDown:
        downCount = 1;
        break;
    case Plat::kWmLButtonDblClk:
        downCount = 2;
        break;
    case Plat::kWmRButtonDown:
        downCount = -1;
        break;
    case Plat::kWmRButtonDblClk:
        downCount = -2;
        break;
    case Plat::kWmMButtonDown:
        downCount = 3;
        break;
    case Plat::kWmLButtonUp:
        upCount = 1;
        upBit = 1;
        break;
    case Plat::kWmRButtonUp:
        upCount = -1;
        upBit = 2;
        break;
    case Plat::kWmMButtonUp:
        upCount = 3;
        upBit = 4;
        break;
    default:
        return;
    }
    if (downCount != 0) {
        if (mainWindow != nullptr)
            mainWindow->SetCapture(true);
        widgetManager->MouseDown(x, y, downCount);
    } else {
        if (mainWindow != nullptr && (widgetManager->actualDownButtons & ~upBit) == 0)
            mainWindow->SetCapture(false);
        widgetManager->MouseUp(x, y, upCount);
    }
}

void LumoAppBase::HandleTimerMessage()
{
    const uint32_t now = Plat::GetClock().TickCount();
    if (now - lastTimerTick > 500)
        timerResumeTick = now;
    lastTimerTick = now;

    // A URL handed to the browser: the browser took over when our window
    // lost the focus; it failed when we still have it long after. Not
    // judged until the timer has run steadily for 5 s (after a sleep of the
    // machine, say).
    // A helper that could not hand the URL over is a refusal at once.
    if (Plat::PollUrlOpens() == Plat::UrlOpenOutcome::Failed && urlOpenPending)
        UrlOpenError(lastUrl);
    if (urlOpenPending && now - timerResumeTick > 5000) {
        const uint32_t sinceOpen = now - urlOpenTime;
        if (sinceOpen > 8000 && !active)
            UrlOpenDone(lastUrl);
        else if (sinceOpen > 12000 && active)
            UrlOpenError(lastUrl);
    }

    CheckMouseIn();
}

void LumoAppBase::CheckMouseIn()
{
    if (mainWindow == nullptr)
        return;
    int x = 0;
    int y = 0;
    const bool known = mainWindow->GetCursorClientPos(x, y);
    int areaWidth = width;
    int areaHeight = height;
    if (ddInterface != nullptr && ddInterface->mDisplayWidth > 0 && ddInterface->mDisplayHeight > 0) {
        areaWidth = ddInterface->mDisplayWidth;
        areaHeight = ddInterface->mDisplayHeight;
    }
    const bool inside = known && pointerOverWindow && x >= 0 && y >= 0 && x < areaWidth && y < areaHeight;
    if (inside == mouseIn)
        return;
    if (DemoRecordsNow() && !shutdown)
        DemoRecordMouseInside(inside);
    if (!inside && widgetManager != nullptr) {
        widgetManager->RemapMouse(x, y);
        widgetManager->MouseExit(x, y);
    }
    mouseIn = inside;
    EnforceCursor();
}

} // namespace Lumo
