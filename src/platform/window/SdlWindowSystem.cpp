#include "platform/window/SdlWindowSystem.h"

#include "platform/window/SdlWindow.h"

#include <SDL.h>

#include <atomic>
#include <cstring>

namespace Plat {

namespace {

SdlWindowSystem gSdlWindowSystem;
std::atomic<WindowSystem*> gWindowSystem{nullptr};

} // namespace

WindowSystem& GetWindowSystem()
{
    WindowSystem* system = gWindowSystem.load();
    return system != nullptr ? *system : gSdlWindowSystem;
}

WindowSystem* SetWindowSystem(WindowSystem* system)
{
    return gWindowSystem.exchange(system);
}

int VirtualKeyFromSdlKey(int keycode, int scancode)
{
    // Letters follow the keyboard's layout, as the original's codes do.
    if (keycode >= 'a' && keycode <= 'z')
        return keycode - 'a' + 'A';
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return kVkF1 + (scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return kVkF1 + 12 + (scancode - SDL_SCANCODE_F13);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return kVkNumpad0 + 1 + (scancode - SDL_SCANCODE_KP_1);
    switch (scancode) {
    case SDL_SCANCODE_0:
        return '0';
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
        return kVkReturn;
    case SDL_SCANCODE_ESCAPE:
        return kVkEscape;
    case SDL_SCANCODE_BACKSPACE:
        return kVkBack;
    case SDL_SCANCODE_TAB:
        return kVkTab;
    case SDL_SCANCODE_SPACE:
        return kVkSpace;
    case SDL_SCANCODE_MINUS:
        return kVkOemMinus;
    case SDL_SCANCODE_EQUALS:
        return kVkOemPlus;
    case SDL_SCANCODE_LEFTBRACKET:
        return kVkOem4;
    case SDL_SCANCODE_RIGHTBRACKET:
        return kVkOem6;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
        return kVkOem5;
    case SDL_SCANCODE_SEMICOLON:
        return kVkOem1;
    case SDL_SCANCODE_APOSTROPHE:
        return kVkOem7;
    case SDL_SCANCODE_GRAVE:
        return kVkOem3;
    case SDL_SCANCODE_COMMA:
        return kVkOemComma;
    case SDL_SCANCODE_PERIOD:
        return kVkOemPeriod;
    case SDL_SCANCODE_SLASH:
        return kVkOem2;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return kVkOem102;
    case SDL_SCANCODE_CAPSLOCK:
        return kVkCapital;
    case SDL_SCANCODE_PRINTSCREEN:
        return kVkSnapshot;
    case SDL_SCANCODE_SCROLLLOCK:
        return kVkScroll;
    case SDL_SCANCODE_PAUSE:
        return kVkPause;
    case SDL_SCANCODE_INSERT:
        return kVkInsert;
    case SDL_SCANCODE_HOME:
        return kVkHome;
    case SDL_SCANCODE_PAGEUP:
        return kVkPrior;
    case SDL_SCANCODE_DELETE:
        return kVkDelete;
    case SDL_SCANCODE_END:
        return kVkEnd;
    case SDL_SCANCODE_PAGEDOWN:
        return kVkNext;
    case SDL_SCANCODE_RIGHT:
        return kVkRight;
    case SDL_SCANCODE_LEFT:
        return kVkLeft;
    case SDL_SCANCODE_DOWN:
        return kVkDown;
    case SDL_SCANCODE_UP:
        return kVkUp;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return kVkNumLock;
    case SDL_SCANCODE_KP_DIVIDE:
        return kVkDivide;
    case SDL_SCANCODE_KP_MULTIPLY:
        return kVkMultiply;
    case SDL_SCANCODE_KP_MINUS:
        return kVkSubtract;
    case SDL_SCANCODE_KP_PLUS:
        return kVkAdd;
    case SDL_SCANCODE_KP_0:
        return kVkNumpad0;
    case SDL_SCANCODE_KP_PERIOD:
        return kVkDecimal;
    case SDL_SCANCODE_APPLICATION:
        return kVkApps;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
        return kVkControl;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
        return kVkShift;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
        return kVkMenu;
    case SDL_SCANCODE_LGUI:
        return kVkLWin;
    case SDL_SCANCODE_RGUI:
        return kVkRWin;
    default:
        return 0;
    }
}

bool SdlWindowSystem::IsHeadlessDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

Window* SdlWindowSystem::CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title,
                                      uint32_t style, int x, int y, int width, int height)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return nullptr;
    auto* window = new SdlWindow(*this, exStyle, className, title, style, x, y, width, height);
    if (window->Handle() == nullptr) {
        delete window;
        return nullptr;
    }
    if (window->IsFramed() && !mBordersKnown) {
        int top = 0;
        int left = 0;
        int bottom = 0;
        int right = 0;
        // Known only once a window manager has framed a shown window.
        if (SDL_GetWindowBordersSize(window->Handle(), &top, &left, &bottom, &right) == 0 &&
            (top | left | bottom | right) != 0) {
            std::lock_guard<std::mutex> guard(mLock);
            mBorders = {left, top, right, bottom};
            mBordersKnown = true;
        }
    }
    AddWindow(window);
    GetEventPump().SetSource(this);
    if (!IsHeadlessDriver()) {
        if (!mPresenterInstalled) {
            SetFramePresenter(&mPresenter);
            mPresenterInstalled = true;
        }
        // The newest window shows the display's frames.
        mPresenter.Bind(window->Handle());
    }
    return window;
}

void SdlWindowSystem::AddWindow(SdlWindow* window)
{
    std::lock_guard<std::mutex> guard(mLock);
    mWindows[window->Id()] = window;
}

void SdlWindowSystem::RemoveWindow(SdlWindow* window)
{
    {
        std::lock_guard<std::mutex> guard(mLock);
        mWindows.erase(window->Id());
    }
    // The renderer goes before its window.
    if (mPresenter.BoundWindow() == window->Handle())
        mPresenter.Bind(nullptr);
}

SdlWindow* SdlWindowSystem::Find(uint32_t id) const
{
    std::lock_guard<std::mutex> guard(mLock);
    auto it = mWindows.find(id);
    return it != mWindows.end() ? it->second : nullptr;
}

ScreenRect SdlWindowSystem::FrameBorders() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mBorders;
}

ScreenRect SdlWindowSystem::GetWorkArea()
{
    SDL_Rect bounds{0, 0, 0, 0};
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayUsableBounds(0, &bounds) != 0)
        return {0, 0, 0, 0};
    return {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
}

ScreenRect SdlWindowSystem::AdjustWindowRect(const ScreenRect& client, uint32_t style)
{
    if ((style & kWsCaption) != kWsCaption)
        return client;
    const ScreenRect borders = FrameBorders();
    return {client.left - borders.left, client.top - borders.top, client.right + borders.right,
            client.bottom + borders.bottom};
}

bool SdlWindowSystem::GetFullScreenClientSize(int& width, int& height)
{
    const ScreenRect work = GetWorkArea();
    if (work.Width() <= 0 || work.Height() <= 0)
        return false;
    const ScreenRect borders = FrameBorders();
    width = work.Width();
    height = work.Height() - borders.top;
    return true;
}

Window* SdlWindowSystem::GetActiveWindow()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return nullptr;
    if (IsHeadlessDriver()) {
        // Nothing else is on a headless desktop: the newest window has the
        // keyboard.
        std::lock_guard<std::mutex> guard(mLock);
        return mWindows.empty() ? nullptr : mWindows.rbegin()->second;
    }
    SDL_Window* focus = SDL_GetKeyboardFocus();
    if (focus == nullptr)
        return nullptr;
    return Find(SDL_GetWindowID(focus));
}

void SdlWindowSystem::Poll(EventPump& pump)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        InputEvent input;
        const SDL_Keymod mods = SDL_GetModState();
        input.shift = (mods & KMOD_SHIFT) != 0;
        input.ctrl = (mods & KMOD_CTRL) != 0;
        input.alt = (mods & KMOD_ALT) != 0;
        switch (event.type) {
        case SDL_QUIT: {
            std::map<uint32_t, SdlWindow*> windows;
            {
                std::lock_guard<std::mutex> guard(mLock);
                windows = mWindows;
            }
            input.kind = InputEvent::Kind::Quit;
            for (const auto& entry : windows) {
                input.window = entry.second;
                pump.PostInput(input);
            }
            continue;
        }
        case SDL_WINDOWEVENT: {
            SdlWindow* window = Find(event.window.windowID);
            if (window == nullptr)
                continue;
            input.window = window;
            switch (event.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                input.kind = InputEvent::Kind::Close;
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                input.kind = InputEvent::Kind::FocusGained;
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                input.kind = InputEvent::Kind::FocusLost;
                break;
            case SDL_WINDOWEVENT_MINIMIZED:
                input.kind = InputEvent::Kind::Minimized;
                break;
            case SDL_WINDOWEVENT_MAXIMIZED:
                input.kind = InputEvent::Kind::Maximized;
                break;
            case SDL_WINDOWEVENT_RESTORED:
                input.kind = InputEvent::Kind::Restored;
                break;
            case SDL_WINDOWEVENT_MOVED:
                input.kind = InputEvent::Kind::Moved;
                input.x = event.window.data1;
                input.y = event.window.data2;
                break;
            case SDL_WINDOWEVENT_RESIZED:
                input.kind = InputEvent::Kind::Resized;
                input.x = event.window.data1;
                input.y = event.window.data2;
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                input.kind = InputEvent::Kind::Exposed;
                if (mPresenter.BoundWindow() == window->Handle())
                    mPresenter.Repaint();
                break;
            case SDL_WINDOWEVENT_LEAVE:
                input.kind = InputEvent::Kind::MouseLeave;
                window->NoteMouseLeft();
                break;
            default:
                continue;
            }
            pump.PostInput(input);
            break;
        }
        case SDL_MOUSEMOTION: {
            SdlWindow* window = Find(event.motion.windowID);
            if (window == nullptr)
                continue;
            input.window = window;
            input.kind = InputEvent::Kind::MouseMotion;
            input.x = event.motion.x;
            input.y = event.motion.y;
            window->NoteMouse(input.x, input.y);
            pump.PostInput(input);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            SdlWindow* window = Find(event.button.windowID);
            if (window == nullptr)
                continue;
            input.window = window;
            input.kind = event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Kind::MouseButtonDown
                                                           : InputEvent::Kind::MouseButtonUp;
            input.button = event.button.button;
            input.clicks = event.button.clicks;
            input.x = event.button.x;
            input.y = event.button.y;
            window->NoteMouse(input.x, input.y);
            pump.PostInput(input);
            break;
        }
        case SDL_MOUSEWHEEL: {
            SdlWindow* window = Find(event.wheel.windowID);
            if (window == nullptr)
                continue;
            input.window = window;
            input.kind = InputEvent::Kind::MouseWheel;
            input.wheel = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            pump.PostInput(input);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            SdlWindow* window = Find(event.key.windowID);
            if (window == nullptr)
                continue;
            input.window = window;
            input.kind = event.type == SDL_KEYDOWN ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
            input.virtualKey = VirtualKeyFromSdlKey(event.key.keysym.sym, event.key.keysym.scancode);
            input.repeat = event.key.repeat != 0;
            input.shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
            input.ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
            input.alt = (event.key.keysym.mod & KMOD_ALT) != 0;
            pump.PostInput(input);
            break;
        }
        case SDL_TEXTINPUT: {
            SdlWindow* window = Find(event.text.windowID);
            if (window == nullptr)
                continue;
            input.window = window;
            input.kind = InputEvent::Kind::Text;
            input.text = event.text.text;
            pump.PostInput(input);
            break;
        }
        default:
            break;
        }
    }
    mPresenter.Flush();
}

} // namespace Plat
