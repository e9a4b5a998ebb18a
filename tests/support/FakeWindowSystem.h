// A window system for tests: a desktop of a chosen work area and frame
// size, windows that only remember what was done to them, and a chosen
// active window. Installed for its lifetime.
#pragma once

#include "platform/window/WindowSystem.h"

#include <string>
#include <vector>

namespace LumoTest {

class FakeWindowSystem;

class FakeWindow : public Plat::Window {
public:
    FakeWindow(FakeWindowSystem& system, uint32_t exStyle, const std::string& className, const std::string& title,
               uint32_t style, int x, int y, int width, int height);
    ~FakeWindow() override;

    void Move(int x, int y, int width, int height, bool repaint) override;
    Plat::ScreenRect GetWindowRect() const override { return rect; }
    Plat::ScreenRect GetClientRect() const override;
    void ClientToScreen(int& x, int& y) const override;
    void Show(int command) override;
    int GetShowState() const override { return showState; }
    Plat::ScreenRect GetNormalRect() const override { return rect; }
    void SetForeground() override;
    void SetTitle(const std::string& newTitle) override { title = newTitle; }
    bool GetCursorClientPos(int& x, int& y) const override;
    void SetCapture(bool capture) override { captured = capture; }

    std::string title;
    Plat::ScreenRect createdRect; // as CreateWindow was asked
    Plat::ScreenRect rect;        // outer rectangle now
    int showState;
    bool captured = false;
    bool mouseKnown = false;
    int mouseX = 0;
    int mouseY = 0;
    std::vector<std::string> calls; // "Show 5", "Move x y w h", "SetForeground"

private:
    FakeWindowSystem& mSystem;
};

class FakeWindowSystem : public Plat::WindowSystem {
public:
    FakeWindowSystem();
    ~FakeWindowSystem() override;
    FakeWindowSystem(const FakeWindowSystem&) = delete;
    FakeWindowSystem& operator=(const FakeWindowSystem&) = delete;

    Plat::Window* CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title,
                               uint32_t style, int x, int y, int width, int height) override;
    Plat::ScreenRect GetWorkArea() override { return workArea; }
    Plat::ScreenRect AdjustWindowRect(const Plat::ScreenRect& client, uint32_t style) override;
    bool GetFullScreenClientSize(int& width, int& height) override;
    Plat::Window* GetActiveWindow() override;

    // The desktop.
    Plat::ScreenRect workArea{0, 0, 1920, 1040};
    Plat::ScreenRect borders{3, 22, 3, 3}; // left, top, right, bottom of a framed window
    // New windows are active (have the keyboard) when set.
    bool newWindowsActive = true;
    // CreateWindow refuses when set.
    bool refuseWindows = false;

    // Windows that exist now, oldest first; windows made so far.
    std::vector<FakeWindow*> live;
    int createdCount = 0;
    FakeWindow* active = nullptr;

    // Windows report here as they go.
    void Forget(FakeWindow* window);

private:
    Plat::WindowSystem* mPrevious;
};

} // namespace LumoTest

using LumoTest::FakeWindow;
using LumoTest::FakeWindowSystem;
