// What the Platform layer asks of the application: window and display
// state, closing the window, and loading pictures. The game's application
// object implements it; tests give a fake.
#pragma once

#include <string>

namespace Lumo {
class MemoryImage;
}
namespace Plat {
class Window;
}

class PlatformHost {
public:
    virtual ~PlatformHost() = default;

    virtual bool IsWindowed() = 0;
    virtual bool Is3DAccelerated() = 0;
    // The game's loading state: negative during the splash pictures.
    virtual int GetLoadingState() = 0;
    // Asks the main window to close (the game ends after the current pass).
    virtual void CloseMainWindow() = 0;
    // A new image loaded from the path (owned by the caller), or null.
    virtual Lumo::MemoryImage* GetImage(const std::string& path) = 0;
    // The system mouse pointer over the window: kCursorArrow or kCursorNone.
    static constexpr int kCursorArrow = 0;
    static constexpr int kCursorNone = 11;
    virtual void SetCursorKind(int) {}
    // True while the application sees the mouse inside its window.
    virtual bool IsMouseInWindow() { return true; }

    // The mouse as the widgets last saw it, in game coordinates.
    virtual int GetMouseX() { return 0; }
    virtual int GetMouseY() { return 0; }
    virtual bool IsLeftButtonDown() { return false; }
    // Moves the system pointer to the point of the window's client area;
    // false when the desktop refuses.
    virtual bool WarpMouse(int /*x*/, int /*y*/) { return false; }

    // 3-D drawing and the screen mode.
    virtual bool Is3DSupported() { return true; }
    virtual bool Is3DRecommended() { return true; }
    virtual void Set3D(bool /*enable*/) {}
    virtual void SwitchWindowMode(bool /*windowed*/, bool /*is3D*/) {}
    // The desktop as it was at start.
    virtual int GetDesktopWidth() { return 1920; }
    virtual int GetDesktopHeight() { return 1080; }
    virtual int GetDesktopDepth() { return 32; }
    // Full screen: the display's width and the height of the picture on it.
    virtual void GetPresentation(int& displayWidth, int& presentationHeight)
    {
        displayWidth = 800;
        presentationHeight = 600;
    }
    virtual Plat::Window* GetMainWindow() { return nullptr; }
    // While a desktop dialog is open: handles the window's waiting events
    // once, dropping the input meant for the game.
    virtual void PumpWindowEvents() {}
    // Forgets every key and button held (after a desktop dialog).
    virtual void ClearKeyStates() {}
};
