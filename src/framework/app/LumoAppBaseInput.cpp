// The application's view of the user and the desktop: the focus and what
// follows from gaining or losing it, the mouse cursor, system boxes over a
// full screen, the browser hand-off, and living with screen savers (a pause
// while the desktop's would run over the windowed game, and the program's
// own screen-saver mode, which ends on input).
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/system/Clock.h"
#include "platform/window/Cursor.h"
#include "platform/window/EventPump.h"
#include "platform/window/ScreenSaverSystem.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <cstring>

namespace Lumo {

bool gScreenSaverIdle = false;

namespace {

// Mouse moves to distinct positions that end the screen saver.
constexpr int kMovesToEnd = 4;
// After a request to power the monitor down, moves and activation changes
// are the monitor's doing, not the user's.
constexpr uint32_t kMonitorPowerGraceMs = 1000;
constexpr uint32_t kSystemQueryPeriodMs = 10000;

// What the screen-saver logic keeps for the process.
struct ScreenSaverState {
    uint32_t timeoutMs = 60000; // the desktop's timeout less 2 s, at least 1 s
    bool active = true;         // the desktop's screen saver may start
    bool queried = false;       // the desktop was asked at least once
    uint32_t lastQuery = 0;
    Plat::ScreenSaverPasswordCheck passwordCheck; // screen-saver mode, when the user asked for one
    bool checkRunning = false; // the check or the closing runs: everything passes
    bool filterStarted = false;
    bool mouseKnown = false;
    int mouseX = 0;
    int mouseY = 0;
    int mouseMoves = 0;
};

ScreenSaverState gScreenSaver;

uint32_t Now()
{
    return Plat::GetClock().TickCount();
}

// The system cursor of each kind 0-10 (kinds 1 and 2 prefer the
// application's own hand cursors); 11 and 12 show none.
constexpr Plat::Cursor::Shape kKindShapes[11] = {
    Plat::Cursor::Shape::Arrow,    Plat::Cursor::Shape::Hand,   Plat::Cursor::Shape::Hand,
    Plat::Cursor::Shape::IBeam,    Plat::Cursor::Shape::No,     Plat::Cursor::Shape::SizeAll,
    Plat::Cursor::Shape::SizeNeSw, Plat::Cursor::Shape::SizeNs, Plat::Cursor::Shape::SizeNwSe,
    Plat::Cursor::Shape::SizeWe,   Plat::Cursor::Shape::Wait,
};

// The two hand cursors: '.' see-through, '#' black, 'o' white; rows run
// top to bottom, missing columns are see-through.
constexpr const char* kHandArt[32] = {
    "", "", "",
    "..........##",
    ".........#oo#",
    ".........#oo#",
    ".........#oo#",
    ".........#oo#",
    ".........#oo###",
    ".........#oo#oo###",
    ".........#oo#oo#oo##",
    ".........#oo#oo#oo#o#",
    "......##.#oo#oo#oo#o#",
    "......#o##oooooooooo#",
    "......#oo#oooooooooo#",
    ".......#oooooooooooo#",
    ".......#oooooooooooo#",
    "........#ooooooooooo#",
    "........#oooooooooo#",
    ".........#ooooooooo#",
    ".........#ooooooooo#",
    ".........##########",
};

constexpr const char* kDraggingArt[32] = {
    "", "", "", "", "", "",
    "...........##.##.##",
    "..........#oo#oo#oo##",
    "..........#oo#oo#oo#o#",
    "........###oooooooooo#",
    ".......#oo#oooooooooo#",
    ".......#oooooooooooooo#",
    "........#ooooooooooooo#",
    "........#oooooooooooo#",
    ".........#ooooooooooo#",
    ".........#oooooooooo#",
    "..........##########",
};

Plat::Cursor* CursorFromArt(const char* const* art, int hotX, int hotY)
{
    uint8_t andMask[128];
    uint8_t xorMask[128];
    std::memset(andMask, 0xFF, sizeof(andMask));
    std::memset(xorMask, 0, sizeof(xorMask));
    for (int y = 0; y < 32; ++y) {
        const char* row = art[y];
        if (row == nullptr)
            continue;
        for (int x = 0; x < 32 && row[x] != '\0'; ++x) {
            if (row[x] == '.')
                continue;
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
            andMask[y * 4 + x / 8] &= static_cast<uint8_t>(~bit);
            if (row[x] == 'o')
                xorMask[y * 4 + x / 8] |= bit;
        }
    }
    return Plat::Cursor::Create(hotX, hotY, andMask, xorMask);
}

} // namespace

namespace detail {

void ResetScreenSaverState()
{
    gScreenSaver = ScreenSaverState();
    gScreenSaverIdle = false;
}

uint32_t ScreenSaverTimeout()
{
    return gScreenSaver.timeoutMs;
}

} // namespace detail

// ---- The cursor

void LumoAppBase::MakeHandCursors()
{
    if (handCursor == nullptr)
        handCursor = CursorFromArt(kHandArt, 11, 4);
    if (draggingCursor == nullptr)
        draggingCursor = CursorFromArt(kDraggingArt, 15, 10);
}

void LumoAppBase::FreeHandCursors()
{
    delete handCursor;
    handCursor = nullptr;
    delete draggingCursor;
    draggingCursor = nullptr;
}

void LumoAppBase::SetCursor(int kind)
{
    cursorKind = kind;
    EnforceCursor();
}

void LumoAppBase::EnforceCursor()
{
    if (ddInterface == nullptr)
        return;
    // A kind outside the table has neither an image nor a shape: the arrow.
    const bool knownKind = cursorKind >= 0 && cursorKind < 13;
    if (!crashed && mouseIn) {
        Image* image = knownKind ? cursorImages[cursorKind] : nullptr;
        if (image != nullptr && (playingDemo || customCursors || cursorKind == 12)) {
            if (ddInterface->SetCursorImage(image))
                forceRedraw = true;
            if (playingDemo) {
                // The demo moves the software cursor; the real mouse has no
                // say over the window, which its cursor tells.
                int x = 0;
                int y = 0;
                const bool inside = mainWindow != nullptr && mainWindow->GetCursorClientPos(x, y) && x >= 0 &&
                                    y >= 0 && x < width && y < height;
                Plat::Cursor::Show(
                    Plat::Cursor::GetSystem(inside ? Plat::Cursor::Shape::No : Plat::Cursor::Shape::Arrow));
            } else {
                Plat::Cursor::Show(nullptr);
            }
            return;
        }
    }

    const int kind = (crashed || !mouseIn || !knownKind) ? 0 : cursorKind;
    Plat::Cursor* cursor = nullptr;
    if (kind == 1 && handCursor != nullptr)
        cursor = handCursor;
    else if (kind == 2 && draggingCursor != nullptr)
        cursor = draggingCursor;
    else if (kind <= 10)
        cursor = Plat::Cursor::GetSystem(kKindShapes[kind]);
    Plat::Cursor::Show(cursor); // kinds 11 and 12: no cursor at all
    if (ddInterface->SetCursorImage(nullptr))
        forceRedraw = true;
}

// ---- Focus

void LumoAppBase::RehupFocus()
{
    const bool newFocus = active && !minimized;
    if (newFocus == hasFocus)
        return;
    hasFocus = newFocus;
    if (hasFocus) {
        if (autoMuteOnLostFocus)
            Unmute(true);
        if (widgetManager != nullptr)
            widgetManager->GotFocus();
        GotFocus();
    } else {
        if (autoMuteOnLostFocus)
            Mute(true);
        if (widgetManager != nullptr)
            widgetManager->LostFocus();
        LostFocus();
        if (mainWindow != nullptr)
            mainWindow->SetCapture(false);
        if (widgetManager != nullptr)
            widgetManager->DoMouseUps();
    }
}

void LumoAppBase::FollowActivation()
{
    RehupFocus();
    if (active && !windowed && widgetManager != nullptr)
        widgetManager->MarkAllDirty();
    // Losing the window while a URL opens means the browser took it.
    if (urlOpenPending && !active)
        UrlOpenDone(lastUrl);
}

void LumoAppBase::ClearKeyStates()
{
    if (widgetManager != nullptr)
        std::memset(widgetManager->keyDown, 0, sizeof(widgetManager->keyDown));
    ctrlDown = false;
    altDown = false;
    shiftDown = false;
}

// ---- System boxes, the display option, the browser

void LumoAppBase::PrepareForGDIDialog()
{
    if (physicallyWindowed || ddInterface == nullptr || ddInterface->mDD == nullptr)
        return;
    ddInterface->mDD->FlipToGDISurface();
    noFlip = true;
}

void LumoAppBase::SetDisplayOption(bool value)
{
    if (value == videoOnlyDraw)
        return;
    videoOnlyDraw = value;
    // A display not started yet takes the option when it starts.
    if (ddInterface != nullptr && ddInterface->mDD != nullptr) {
        ddInterface->SetVideoOnlyDraw(value);
        if (widgetManager != nullptr)
            widgetManager->image = ddInterface->GetScreenImage();
    }
    if (widgetManager != nullptr)
        widgetManager->MarkAllDirty();
}

void LumoAppBase::UrlOpenError(const std::string& /*url*/)
{
    urlOpenPending = false;
}

void LumoAppBase::UrlOpenDone(const std::string& /*url*/)
{
    urlOpenPending = false;
    if (shutdownOnUrlOpen)
        Shutdown();
}

// ---- Screen savers

void LumoAppBase::ScreenSaverIdleCheck(uint32_t now)
{
    // In full screen the desktop's screen saver does not start.
    if (isScreenSaver || !physicallyWindowed)
        return;
    ScreenSaverState& state = gScreenSaver;
    Plat::ScreenSaverSystem& system = Plat::GetScreenSaverSystem();
    if (!state.queried || now - state.lastQuery > kSystemQueryPeriodMs) {
        state.queried = true;
        state.lastQuery = now;
        // What the desktop does not tell keeps its last (or default) value.
        uint32_t seconds = 0;
        if (system.GetTimeout(seconds))
            state.timeoutMs = static_cast<uint32_t>(std::max<int64_t>(static_cast<int64_t>(seconds) - 2, 1) * 1000);
        bool on = true;
        if (system.GetActive(on))
            state.active = on;
        if (!state.active)
            gScreenSaverIdle = false;
    }
    uint32_t lastInput = 0;
    if (system.GetLastInputTick(lastInput))
        lastInputTime = std::min(lastInput, now);
    if (!state.active)
        return;
    const uint32_t idle = now - lastInputTime;
    if (gScreenSaverIdle) {
        bool running = false;
        if ((!system.GetRunning(running) || !running) && idle < state.timeoutMs) {
            gScreenSaverIdle = false;
            if (widgetManager != nullptr)
                widgetManager->MarkAllDirty();
        }
    } else if (idle > state.timeoutMs) {
        gScreenSaverIdle = true;
    }
}

bool LumoAppBase::ScreenSaverFilter(Plat::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                    intptr_t& result)
{
    ScreenSaverState& state = gScreenSaver;
    if (state.checkRunning)
        return false;

    // Ending causes the monitor itself may produce just after powering down.
    bool monitorMayCause = false;
    switch (message) {
    case Plat::kWmCreate:
        if (!state.filterStarted) {
            state.filterStarted = true;
            state.mouseKnown = window != nullptr && window->GetCursorClientPos(state.mouseX, state.mouseY);
            Plat::ScreenSaverSystem& system = Plat::GetScreenSaverSystem();
            state.passwordCheck = system.LoadPasswordCheck();
            if (state.passwordCheck)
                system.SetRunning(true);
        }
        return false;
    case Plat::kWmSysCommand: {
        const uintptr_t command = wParam & Plat::kScCommandMask;
        if (command == Plat::kScScreenSave || command == Plat::kScClose || command == Plat::kScNextWindow ||
            command == Plat::kScPrevWindow) {
            result = 0;
            return true;
        }
        return false;
    }
    case Plat::kWmMouseMove: {
        const int x = Plat::LowWordSigned(lParam);
        const int y = Plat::HighWordSigned(lParam);
        if (!state.mouseKnown || x != state.mouseX || y != state.mouseY) {
            ++state.mouseMoves;
            state.mouseKnown = true;
            state.mouseX = x;
            state.mouseY = y;
        }
        if (state.mouseMoves < kMovesToEnd) {
            result = 0;
            return true;
        }
        monitorMayCause = true;
        break;
    }
    case Plat::kWmActivate:
    case Plat::kWmActivateApp:
    case Plat::kWmNcActivate:
        if (wParam != 0)
            return false;
        monitorMayCause = true;
        break;
    case Plat::kWmClose:
        monitorMayCause = true;
        break;
    case Plat::kWmKeyDown:
    case Plat::kWmSysKeyDown:
    case Plat::kWmLButtonDown:
    case Plat::kWmRButtonDown:
    case Plat::kWmMButtonDown:
        break;
    default:
        return false;
    }

    // Ending the screen saver.
    if (window == nullptr || window != mainWindow)
        return false;
    const uint32_t now = Now();
    if (monitorMayCause && lastMonitorPowerTick != 0 && now - lastMonitorPowerTick < kMonitorPowerGraceMs)
        return false;
    if (state.passwordCheck && initialized) {
        PrepareForGDIDialog();
        state.checkRunning = true;
        const bool accepted = state.passwordCheck(window);
        state.checkRunning = false;
        noFlip = false;
        updateTimeAccum = 0.0;
        lastTimingTick = Now();
        if (!accepted) {
            // Refused: the screen saver goes on, counting moves afresh.
            state.mouseMoves = 0;
            state.mouseKnown = window->GetCursorClientPos(state.mouseX, state.mouseY);
            return false;
        }
        Plat::ScreenSaverSystem& system = Plat::GetScreenSaverSystem();
        system.SetRunning(false);
        system.ReleasePasswordCheck();
        state.passwordCheck = nullptr;
    }
    Plat::GetEventPump().PostMessage({window, Plat::kWmClose, 0, 0});
    state.checkRunning = true; // nothing else is filtered on the way out
    return false;
}

} // namespace Lumo
