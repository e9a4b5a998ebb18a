// Makes the program's windows and answers what the program asks of the
// desktop around them: the work area, the frame a style adds, which window
// has the keyboard. SDL's video side stands behind it; tests install one of
// their own.
#pragma once

#include "platform/window/Window.h"

#include <cstdint>
#include <string>

namespace Plat {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A new top-level window, hidden unless the style has kWsVisible; a
    // topmost popup covers the desktop (full screen). (x, y, width, height)
    // is the outer rectangle. Null when it cannot be made. The caller owns
    // it: deleting it destroys the window.
    virtual Window* CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title,
                                 uint32_t style, int x, int y, int width, int height) = 0;
    // The desktop less its panels, in desktop coordinates.
    virtual ScreenRect GetWorkArea() = 0;
    // The outer rectangle of a window of the style whose client area is
    // the given rectangle.
    virtual ScreenRect AdjustWindowRect(const ScreenRect& client, uint32_t style) = 0;
    // The client size of a full-screen-sized framed window (the work area
    // less the caption); false while the desktop cannot be asked.
    virtual bool GetFullScreenClientSize(int& width, int& height) = 0;
    // Our window that has the keyboard; null when none has it. Headless, the
    // newest window has it.
    virtual Window* GetActiveWindow() = 0;
};

// The window system in use: SDL's unless a test installed another.
WindowSystem& GetWindowSystem();
// Installs a window system (null restores SDL's); returns the previous one.
WindowSystem* SetWindowSystem(WindowSystem* system);

} // namespace Plat
