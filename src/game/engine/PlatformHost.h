// What the Platform layer asks of the application: window and display
// state, closing the window, and loading pictures. The game's application
// object implements it; tests give a fake.
#pragma once

#include <string>

namespace Lumo {
class MemoryImage;
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
    // The system mouse pointer over the window: 0 the arrow, 11 none.
    virtual void SetCursorKind(int) {}
    // True while the application sees the mouse inside its window.
    virtual bool IsMouseInWindow() { return true; }
};
