// The window procedure and the deferred-message queue, as far as the main
// loop needs them: closing, activation, size, moves, mouse, keys and
// characters reach the widget tree between two updates; Alt+Enter switches
// the screen mode. Focus follows activation and minimising.
#include "framework/app/LumoAppBase.h"

#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Window.h"

#include <cstring>

namespace Lumo {

namespace {

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
        return message >= Plat::kWmMouseMove && message <= Plat::kWmMButtonUp;
    }
}

bool IsDisplayNotice(uint32_t message)
{
    return message == Plat::kWmSysColorChange || message == Plat::kWmDisplayChange;
}

} // namespace

intptr_t LumoAppBase::WindowProc(Plat::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    LumoAppBase* app = window != nullptr ? static_cast<LumoAppBase*>(window->GetUserData()) : nullptr;
    if (app == nullptr)
        return Plat::DefWindowProc(window, message, wParam, lParam);

    switch (message) {
    case Plat::kWmSetCursor:
        if (!app->crashed)
            app->EnforceCursor();
        return 1;
    case Plat::kWmPaint:
        if (app->initialized && !app->crashed) {
            if (app->inMainLoop)
                app->Redraw(nullptr);
            return 0;
        }
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmEraseBkgnd:
        return 1;
    case Plat::kWmEndSession:
        app->Shutdown();
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmActivateApp:
        // The loop and the presentation know at once; the rest waits in the queue.
        if (window == app->mainWindow && !app->playingDemo)
            app->active = wParam != 0;
        break;
    default:
        break;
    }

    if (!IsQueuedMessage(message))
        return Plat::DefWindowProc(window, message, wParam, lParam);
    // A system box over the full screen takes the input.
    if (app->noFlip)
        return Plat::DefWindowProc(window, message, wParam, lParam);

    if (message == Plat::kWmKeyDown || message == Plat::kWmSysKeyDown || message == Plat::kWmKeyUp ||
        message == Plat::kWmSysKeyUp) {
        const bool down = message == Plat::kWmKeyDown || message == Plat::kWmSysKeyDown;
        if (wParam == Plat::kVkControl)
            app->ctrlDown = down;
        else if (wParam == Plat::kVkMenu)
            app->altDown = down;
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
    case Plat::kWmSize:
        app->windowIconic = wParam == Plat::kSizeMinimized;
        return Plat::DefWindowProc(window, message, wParam, lParam);
    case Plat::kWmSysKeyDown:
        // Alt+F4 closes the window as the desktop's own handling would; no
        // other system key opens anything.
        if (wParam == static_cast<uintptr_t>(Plat::kVkF4))
            Plat::GetEventPump().PostMessage({window, Plat::kWmClose, 0, 0});
        return 0;
    case Plat::kWmClose:
        return 0; // the window is destroyed by the shut-down, not here
    default:
        return Plat::DefWindowProc(window, message, wParam, lParam);
    }
}

bool LumoAppBase::ProcessDeferredMessages(bool onlyOne)
{
    while (!deferredMessages.empty()) {
        const Plat::WindowMessage msg = deferredMessages.front();
        deferredMessages.pop_front();
        const bool mainWin = msg.window == mainWindow;

        // (Recording writes the message to the demo here once recording exists.)
        if (!playingDemo) {
            switch (msg.message) {
            case Plat::kWmActivateApp:
                if (mainWin && !crashed && !shutdown) {
                    RehupFocus();
                    if (active && !windowed && widgetManager != nullptr)
                        widgetManager->MarkAllDirty();
                }
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
                        // (Muting while minimised comes with the sound side.)
                        if (!minimized && widgetManager != nullptr)
                            widgetManager->MarkAllDirty();
                    }
                }
                RehupFocus();
                if (msg.wParam == Plat::kSizeMaximized)
                    SwitchScreenMode(false);
                break;
            case Plat::kWmSysColorChange:
            case Plat::kWmDisplayChange:
                if (widgetManager != nullptr)
                    widgetManager->MarkAllDirty();
                break;
            case Plat::kWmKeyDown:
            case Plat::kWmSysKeyDown:
                lastInputTime = lastTimerTick;
                if (msg.message == Plat::kWmSysKeyDown && msg.wParam == static_cast<uintptr_t>(Plat::kVkReturn) &&
                    !forceFullscreen && !fullScreenFailed && allowAltEnter) {
                    SwitchScreenMode(!windowed);
                    ClearKeyStates();
                    break;
                }
                if (widgetManager != nullptr)
                    widgetManager->KeyDown(static_cast<int>(msg.wParam));
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
                if (mouseIn && !crashed) {
                    mouseIn = false;
                    if (widgetManager != nullptr) {
                        int x = 0;
                        int y = 0;
                        if (mainWindow != nullptr)
                            mainWindow->GetCursorClientPos(x, y);
                        widgetManager->RemapMouse(x, y);
                        widgetManager->MouseExit(x, y);
                    }
                    EnforceCursor();
                }
                break;
            case Plat::kWmTimer:
                if (inMainLoop && !crashed)
                    lastTimerTick = Plat::GetClock().TickCount();
                break;
            default:
                if (msg.message >= Plat::kWmMouseMove && msg.message <= Plat::kWmMButtonUp && !crashed)
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

void LumoAppBase::HandleMouseMessage(const Plat::WindowMessage& msg)
{
    int x = Plat::LowWordSigned(msg.lParam);
    int y = Plat::HighWordSigned(msg.lParam);
    lastInputTime = lastTimerTick;
    if (widgetManager == nullptr)
        return;
    widgetManager->RemapMouse(x, y);
    widgetManager->MouseMove(x, y);
    if (!mouseIn) {
        mouseIn = true;
        EnforceCursor();
    }

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

void LumoAppBase::RehupFocus()
{
    const bool newFocus = active && !minimized;
    if (newFocus == hasFocus)
        return;
    hasFocus = newFocus;
    // (Muting on lost focus comes with the sound side.)
    if (hasFocus) {
        if (widgetManager != nullptr)
            widgetManager->GotFocus();
        GotFocus();
    } else {
        if (widgetManager != nullptr)
            widgetManager->LostFocus();
        LostFocus();
        if (mainWindow != nullptr)
            mainWindow->SetCapture(false);
        if (widgetManager != nullptr)
            widgetManager->DoMouseUps();
    }
}

void LumoAppBase::ClearKeyStates()
{
    if (widgetManager != nullptr)
        std::memset(widgetManager->keyDown, 0, sizeof(widgetManager->keyDown));
    ctrlDown = false;
    altDown = false;
}

} // namespace Lumo
