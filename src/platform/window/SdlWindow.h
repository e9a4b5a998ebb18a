// A window of the program over an SDL window: framed, or full screen over
// the desktop (SDL's desktop full screen, the picture scaled to fit).
#pragma once

#include "platform/window/Window.h"

#include <atomic>
#include <cstdint>
#include <string>

struct SDL_Window;

namespace Plat {

class SdlWindowSystem;

class SdlWindow : public Window {
public:
    // Check Handle() for null: SDL may refuse the window.
    SdlWindow(SdlWindowSystem& system, uint32_t exStyle, const std::string& className, const std::string& title,
              uint32_t style, int x, int y, int width, int height);
    ~SdlWindow() override;

    SDL_Window* Handle() const { return mWindow; }
    uint32_t Id() const { return mId; }
    bool IsFullScreen() const { return mFullScreen; }

    void Move(int x, int y, int width, int height, bool repaint) override;
    ScreenRect GetWindowRect() const override;
    ScreenRect GetClientRect() const override;
    void ClientToScreen(int& x, int& y) const override;
    void Show(int command) override;
    int GetShowState() const override;
    ScreenRect GetNormalRect() const override;
    void SetForeground() override;
    void SetTitle(const std::string& title) override;
    bool GetCursorClientPos(int& x, int& y) const override;
    void SetCapture(bool capture) override;
    bool WarpMouse(int x, int y) override;

    // The event source keeps the mouse position up to date.
    void NoteMouse(int x, int y);
    void NoteMouseLeft();

private:
    SdlWindowSystem& mSystem;
    SDL_Window* mWindow = nullptr;
    uint32_t mId = 0;
    bool mFullScreen = false;
    int mGameWidth = 0; // full screen: the picture's size, not the desktop's
    int mGameHeight = 0;
    ScreenRect mNormalRect;
    std::atomic<int> mMouseX{0};
    std::atomic<int> mMouseY{0};
    std::atomic<bool> mMouseKnown{false};
};

} // namespace Plat
