// The window system over SDL's video side: makes SdlWindows, answers the
// desktop questions and is the event pump's source, turning SDL's events
// into input events of our windows.
#pragma once

#include "platform/window/EventPump.h"
#include "platform/video/SdlFramePresenter.h"
#include "platform/window/WindowSystem.h"

#include <map>
#include <mutex>

namespace Plat {

class SdlWindow;

class SdlWindowSystem : public WindowSystem, public EventSource {
public:
    Window* CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title, uint32_t style,
                         int x, int y, int width, int height) override;
    ScreenRect GetWorkArea() override;
    ScreenRect AdjustWindowRect(const ScreenRect& client, uint32_t style) override;
    bool GetFullScreenClientSize(int& width, int& height) override;
    Window* GetActiveWindow() override;

    void Poll(EventPump& pump) override;

    // Frame sizes the desktop's window manager adds (left, top, right,
    // bottom); learnt from the first framed window, none before.
    ScreenRect FrameBorders() const;

    // Windows register themselves while they exist.
    void AddWindow(SdlWindow* window);
    void RemoveWindow(SdlWindow* window);

    // True on SDL's dummy or offscreen driver: nothing is shown, the
    // display's frames are only kept.
    static bool IsHeadlessDriver();

private:
    SdlWindow* Find(uint32_t id) const;

    mutable std::mutex mLock;
    std::map<uint32_t, SdlWindow*> mWindows;
    ScreenRect mBorders;
    bool mBordersKnown = false;
    SdlFramePresenter mPresenter;
    bool mPresenterInstalled = false;
};

// The virtual-key code of an SDL key (its keycode and scancode); 0 when the
// key has none.
int VirtualKeyFromSdlKey(int keycode, int scancode);

} // namespace Plat
