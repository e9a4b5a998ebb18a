// What the program asks of the desktop about screen savers: when the
// desktop's own screen saver would start, whether one runs, when the user
// last touched any input, and the password check that guards closing one.
// SDL answers what it can; the rest is reported as unknown or absent. Tests
// install one of their own.
#pragma once

#include <cstdint>
#include <functional>

namespace Plat {

class Window;

// Asks the user for the screen-saver password over the window; true lets
// the screen saver close.
using ScreenSaverPasswordCheck = std::function<bool(Window* window)>;

class ScreenSaverSystem {
public:
    virtual ~ScreenSaverSystem() = default;

    // Seconds without input before the desktop's screen saver starts;
    // false when the desktop does not tell.
    virtual bool GetTimeout(uint32_t& seconds) = 0;
    // Whether the desktop's screen saver may start at all; false when the
    // desktop cannot be asked.
    virtual bool GetActive(bool& active) = 0;
    // Whether a screen saver runs now; false when the desktop cannot be asked.
    virtual bool GetRunning(bool& running) = 0;
    // The clock's tick of the user's last input anywhere on the desktop;
    // false when the desktop does not tell.
    virtual bool GetLastInputTick(uint32_t& tick) = 0;
    // The desktop's password check for closing a screen saver, when the
    // user asked for one; empty otherwise.
    virtual ScreenSaverPasswordCheck LoadPasswordCheck() = 0;
    // Frees what LoadPasswordCheck took.
    virtual void ReleasePasswordCheck() = 0;
    // Tells the desktop that a screen saver of ours runs (or no longer does).
    virtual void SetRunning(bool running) = 0;
};

// The screen-saver system in use: SDL's unless a test installed another.
ScreenSaverSystem& GetScreenSaverSystem();
// Installs one (null restores SDL's); returns the previous one.
ScreenSaverSystem* SetScreenSaverSystem(ScreenSaverSystem* system);

} // namespace Plat
