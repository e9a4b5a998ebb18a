// A top-level window of the program: a framed window whose client area is
// the game area, or a borderless one over the whole desktop. The window
// system makes them (WindowSystem.h); the event pump brings their messages
// to the window procedure the program gave them.
#pragma once

#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <string>

namespace Plat {

// Window styles and extended styles, with the values callers pass.
constexpr uint32_t kWsPopup = 0x80000000u;
constexpr uint32_t kWsVisible = 0x10000000u;
constexpr uint32_t kWsClipChildren = 0x02000000u;
constexpr uint32_t kWsCaption = 0x00C00000u;
constexpr uint32_t kWsSysMenu = 0x00080000u;
constexpr uint32_t kWsMinimizeBox = 0x00020000u;
constexpr uint32_t kWsMaximizeBox = 0x00010000u;
constexpr uint32_t kWsExTopmost = 0x00000008u;

// Show commands (and the show state a window's placement reports).
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowMinimized = 2;
constexpr int kSwShowMaximized = 3;
constexpr int kSwShowNoActivate = 4;
constexpr int kSwShow = 5;
constexpr int kSwMinimize = 6;
constexpr int kSwRestore = 9;

// A rectangle by its edges; right and bottom lie just outside.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

class Window {
public:
    Window(uint32_t exStyle, const std::string& className, uint32_t style);
    // Destroying the window drops its timers and its waiting messages.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    uint32_t Style() const { return mStyle; }
    uint32_t ExStyle() const { return mExStyle; }
    const std::string& ClassName() const { return mClassName; }
    // A framed window has a caption; a full-screen one has none.
    bool IsFramed() const { return (mStyle & kWsCaption) == kWsCaption; }

    // The word the program keeps with the window (its application object).
    void SetUserData(void* data) { mUserData = data; }
    void* GetUserData() const { return mUserData; }

    // The procedure that receives the window's messages; none: every
    // message gets the default answer.
    void SetProcedure(WindowProcedure procedure) { mProcedure = procedure; }
    WindowProcedure GetProcedure() const { return mProcedure; }

    // Places the outer rectangle (frame included), in desktop coordinates.
    virtual void Move(int x, int y, int width, int height, bool repaint) = 0;
    // The outer rectangle in desktop coordinates.
    virtual ScreenRect GetWindowRect() const = 0;
    // The client area: (0, 0, width, height).
    virtual ScreenRect GetClientRect() const = 0;
    // Client coordinates to desktop coordinates.
    virtual void ClientToScreen(int& x, int& y) const = 0;
    virtual void Show(int command) = 0;
    // The show state of the window's placement: kSwHide, kSwShowNormal,
    // kSwShowMinimized or kSwShowMaximized.
    virtual int GetShowState() const = 0;
    // The outer rectangle the window has when neither minimised nor maximised.
    virtual ScreenRect GetNormalRect() const = 0;
    // Brings the window to the front and gives it the keyboard.
    virtual void SetForeground() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // The last known mouse position in client coordinates; false while
    // the mouse has not been over the window. Safe from any thread.
    virtual bool GetCursorClientPos(int& x, int& y) const = 0;
    // Keeps the mouse's messages coming while a button is held outside.
    virtual void SetCapture(bool capture) = 0;
    // Moves the pointer to the point of the client area; the desktop then
    // sends the mouse move as for a real one. False when the desktop does
    // not let programs move the pointer (Wayland) or there is no pointer.
    virtual bool WarpMouse(int /*x*/, int /*y*/) { return false; }

    // Posts kWmTimer with the id every period (the event pump makes them
    // when nothing else waits); setting an id again restarts it.
    void SetTimer(uint32_t id, uint32_t periodMs);
    void KillTimer(uint32_t id);
    // Asks for a kWmPaint once nothing else waits.
    void Invalidate();

private:
    uint32_t mExStyle;
    std::string mClassName;
    uint32_t mStyle;
    void* mUserData = nullptr;
    WindowProcedure mProcedure = nullptr;
};

// The answer a message gets when its procedure leaves it alone.
intptr_t DefWindowProc(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

} // namespace Plat
