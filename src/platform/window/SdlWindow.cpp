#include "platform/window/SdlWindow.h"

#include "platform/window/SdlWindowSystem.h"

#include <SDL.h>

#include <cstring>

namespace Plat {

SdlWindow::SdlWindow(SdlWindowSystem& system, uint32_t exStyle, const std::string& className,
                     const std::string& title, uint32_t style, int x, int y, int width, int height)
    : Window(exStyle, className, style), mSystem(system)
{
    const bool framed = IsFramed();
    mFullScreen = !framed && (exStyle & kWsExTopmost) != 0;
    uint32_t flags = (style & kWsVisible) != 0 ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    int clientX = x;
    int clientY = y;
    int clientWidth = width;
    int clientHeight = height;
    if (mFullScreen) {
        // Desktop full screen: the picture is scaled to the desktop. The
        // window covers the desktop by itself too, so a desktop without a
        // window manager (which would grant the full-screen state) shows it
        // whole as well.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
        mGameWidth = width;
        mGameHeight = height;
        SDL_Rect desktop{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
            clientX = desktop.x;
            clientY = desktop.y;
            clientWidth = desktop.w;
            clientHeight = desktop.h;
        }
    } else if (framed) {
        const ScreenRect borders = mSystem.FrameBorders();
        clientX = x + borders.left;
        clientY = y + borders.top;
        clientWidth = width - borders.left - borders.right;
        clientHeight = height - borders.top - borders.bottom;
        if ((style & kWsMaximizeBox) != 0)
            flags |= SDL_WINDOW_RESIZABLE;
    } else {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if (clientWidth < 1)
        clientWidth = 1;
    if (clientHeight < 1)
        clientHeight = 1;
    mWindow = SDL_CreateWindow(title.c_str(), clientX, clientY, clientWidth, clientHeight, flags);
    if (mWindow != nullptr) {
        mId = SDL_GetWindowID(mWindow);
        mNormalRect = {x, y, x + width, y + height};
    }
}

SdlWindow::~SdlWindow()
{
    if (mWindow != nullptr) {
        mSystem.RemoveWindow(this);
        SDL_DestroyWindow(mWindow);
    }
}

void SdlWindow::Move(int x, int y, int width, int height, bool /*repaint*/)
{
    if (mWindow == nullptr || mFullScreen)
        return;
    const ScreenRect borders = IsFramed() ? mSystem.FrameBorders() : ScreenRect{};
    const int clientWidth = width - borders.left - borders.right;
    const int clientHeight = height - borders.top - borders.bottom;
    SDL_SetWindowPosition(mWindow, x + borders.left, y + borders.top);
    if (clientWidth > 0 && clientHeight > 0)
        SDL_SetWindowSize(mWindow, clientWidth, clientHeight);
    mNormalRect = {x, y, x + width, y + height};
}

ScreenRect SdlWindow::GetWindowRect() const
{
    if (mWindow == nullptr)
        return {};
    if (mFullScreen)
        return {0, 0, mGameWidth, mGameHeight};
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(mWindow, &x, &y);
    SDL_GetWindowSize(mWindow, &width, &height);
    const ScreenRect borders = IsFramed() ? mSystem.FrameBorders() : ScreenRect{};
    return {x - borders.left, y - borders.top, x + width + borders.right, y + height + borders.bottom};
}

ScreenRect SdlWindow::GetClientRect() const
{
    if (mWindow == nullptr)
        return {};
    // Full screen: the picture's area, whatever the desktop's size.
    if (mFullScreen)
        return {0, 0, mGameWidth, mGameHeight};
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(mWindow, &width, &height);
    return {0, 0, width, height};
}

void SdlWindow::ClientToScreen(int& x, int& y) const
{
    if (mWindow == nullptr || mFullScreen)
        return;
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(mWindow, &left, &top);
    x += left;
    y += top;
}

void SdlWindow::Show(int command)
{
    if (mWindow == nullptr)
        return;
    switch (command) {
    case kSwHide:
        SDL_HideWindow(mWindow);
        break;
    case kSwShowMinimized:
    case kSwMinimize:
        SDL_MinimizeWindow(mWindow);
        break;
    case kSwShowMaximized:
        SDL_ShowWindow(mWindow);
        SDL_MaximizeWindow(mWindow);
        break;
    case kSwShowNormal:
    case kSwRestore:
        SDL_ShowWindow(mWindow);
        if ((SDL_GetWindowFlags(mWindow) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)) != 0)
            SDL_RestoreWindow(mWindow);
        break;
    default: // kSwShow, kSwShowNoActivate
        SDL_ShowWindow(mWindow);
        break;
    }
}

int SdlWindow::GetShowState() const
{
    if (mWindow == nullptr)
        return kSwHide;
    const uint32_t flags = SDL_GetWindowFlags(mWindow);
    if ((flags & SDL_WINDOW_MINIMIZED) != 0)
        return kSwShowMinimized;
    if ((flags & SDL_WINDOW_MAXIMIZED) != 0)
        return kSwShowMaximized;
    if ((flags & SDL_WINDOW_SHOWN) == 0)
        return kSwHide;
    return kSwShowNormal;
}

ScreenRect SdlWindow::GetNormalRect() const
{
    const int state = GetShowState();
    if (state == kSwShowNormal || state == kSwHide)
        return GetWindowRect();
    return mNormalRect;
}

void SdlWindow::SetForeground()
{
    if (mWindow == nullptr)
        return;
    SDL_RaiseWindow(mWindow);
    // Raising alone gives no keyboard where no window manager hands it out.
    if ((SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN) != 0)
        SDL_SetWindowInputFocus(mWindow);
}

void SdlWindow::SetTitle(const std::string& title)
{
    if (mWindow != nullptr)
        SDL_SetWindowTitle(mWindow, title.c_str());
}

bool SdlWindow::GetCursorClientPos(int& x, int& y) const
{
    if (!mMouseKnown)
        return false;
    x = mMouseX;
    y = mMouseY;
    return true;
}

bool SdlWindow::WarpMouse(int x, int y)
{
    if (mWindow == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "wayland") == 0)
        return false;
    SDL_WarpMouseInWindow(mWindow, x, y);
    return true;
}

void SdlWindow::SetCapture(bool capture)
{
    // Drivers without capture (the dummy one) refuse; the messages then
    // stop at the window's edge, which loses nothing but drags outside.
    if (mWindow != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

void SdlWindow::NoteMouse(int x, int y)
{
    mMouseX = x;
    mMouseY = y;
    mMouseKnown = true;
}

void SdlWindow::NoteMouseLeft()
{
    // The last position stays: the cursor thread keeps drawing there.
}

} // namespace Plat
