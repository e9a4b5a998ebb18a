// The game's one gateway to the framework's drawing: the current drawing
// context or a render target, rectangles, lines, clipping, draw modes and
// image draws with rotation, scale, colour and mirroring; also the window
// state and the message boxes, which it asks of its host.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Lumo {
class Graphics;
}
namespace Plat {
class Window;
}

class FileDialogProvider;
class PlatformHost;
class PlatformImage;

class Platform {
public:
    static constexpr int kScreenWidth = 800;
    static constexpr int kScreenHeight = 600;

    explicit Platform(PlatformHost* host = nullptr);
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    void SetHost(PlatformHost* host) { mHost = host; }
    PlatformHost* GetHost() const { return mHost; }
    // The drawing context of the current frame (null: nothing is drawn).
    void SetGraphics(Lumo::Graphics* graphics) { mGraphics = graphics; }
    Lumo::Graphics* GetGraphics() const { return mGraphics; }

    // Frame the drawing of the live list.
    bool BeginDraw();
    void EndDraw();

    // While set, image draws go into the target instead of the screen.
    void SetRenderTarget(PlatformImage* target) { mRenderTarget = target; }
    void ClearRenderTarget() { mRenderTarget = nullptr; }
    PlatformImage* GetRenderTarget() const { return mRenderTarget; }

    void ClearScreen();
    // Colours are 0 .. 1 per channel; the fifth argument is not used.
    void DrawRect(int x1, int y1, int x2, int y2, int unused, float fillR, float fillG, float fillB, float fillA,
                  float outlineR, float outlineG, float outlineB, float outlineA);
    void DrawLine(int x1, int y1, int x2, int y2, float r, float g, float b, float a);
    // The rectangle between the two corners, cut to the screen.
    void SetClipRect(int x1, int y1, int x2, int y2);
    // 0 normal, 1 additive; other values are ignored.
    void SetDrawMode(int mode);
    // Draws the source rectangle (x1, y1) - (x2, y2) of the image with its
    // top-left corner at (x, y), rotated (degrees) and scaled about its centre.
    void DrawImage(PlatformImage& image, float x1, float y1, float x2, float y2, float x, float y, float rotation,
                   float scaleX, float scaleY, float r, float g, float b, float a, bool mirrorX, bool mirrorY);

    bool Is3DAccelerated();
    bool IsWindowed();
    // Closes the window unless the splash pictures are still showing.
    void Quit();
    Plat::Window* GetWindow();

    // With enable set, opens the screen that explains why 3-D is not
    // available or not advised, when that is so; else switches 3-D.
    void Check3DSupport(int enable);
    void Set3D(bool enable);
    // Switches between window and full screen; a small desktop, an open
    // editor or an odd colour depth open the "no_windowed" screen instead.
    void SetWindowed(bool windowed);

    // ---- File dialog (main thread)

    // The answer of a file dialog: the chosen path, or null when cancelled.
    using FileDialogDone = std::function<void(const char* path)>;
    // Asks for a file matching the pattern, starting in the folder. Unless
    // keepFullPath is set, a file inside the current folder comes back
    // relative to it. The answer may come at once or ticks later.
    void OpenFileDialog(const char* pattern, const char* filterName, const char* folder, int keepFullPath,
                        FileDialogDone done, bool save = false);
    // The provider every dialog asks (not owned; null: the choice below).
    void SetFileDialogProvider(FileDialogProvider* provider) { mFileDialogProvider = provider; }
    // Asked when no provider is set and the desktop's chooser cannot be
    // shown (full screen, no display, no chooser program); not owned.
    void SetFallbackFileDialog(FileDialogProvider* provider) { mFallbackFileDialog = provider; }
    FileDialogProvider* GetFallbackFileDialog() const { return mFallbackFileDialog; }
    // The path relative to the folder when its leading components are the
    // folder's (compared ignoring case, spelled as in the path, joined with
    // '\\'); otherwise the path unchanged.
    static std::string RelativeToFolder(const std::string& path, const std::string& folder);

    // ---- Mouse and keys (main thread)

    float GetMouseX();
    float GetMouseY();
    // Over the window and inside the 800 x 600 game area.
    bool IsMouseInside();
    // Left button: a press since the last call (taps within one tick count).
    bool WasMouseButtonPressed();
    bool IsMouseButtonDown();
    bool WasRightButtonPressed();
    bool WasKeyPressed(int keyCode);
    bool IsKeyDown(int keyCode);
    unsigned PopInputEvent();
    void ClearInputEvents();
    // Puts the system pointer at the game point.
    void SetMousePosition(float x, float y);
    void HideCursor();
    void ShowCursor();

    // Boxes are shown on the thread that made the Platform; other threads'
    // boxes wait for its next frame.
    void MessageBox(const std::string& text);
    // The image box: shown once per path however often the load fails.
    void ReportImageLoadFailure(const std::string& path);
    // Shows the boxes other threads queued (main thread).
    void ShowQueuedMessages();
    // The frame lines of the debug output ("loading is %d", the mouse
    // leaving) are written only when switched on.
    void SetFrameDebugLines(bool on) { mFrameDebugLines = on; }
    bool FrameDebugLines() const { return mFrameDebugLines; }

private:
    void ShowBox(const std::string& text, const std::string& caption);

    PlatformHost* mHost;
    std::thread::id mMainThread;
    bool mFrameDebugLines = false;
    std::mutex mQueueLock;
    std::vector<std::pair<std::string, std::string>> mQueuedBoxes;
    Lumo::Graphics* mGraphics = nullptr;
    PlatformImage* mRenderTarget = nullptr;

    FileDialogProvider* mFileDialogProvider = nullptr;
    FileDialogProvider* mFallbackFileDialog = nullptr;
    std::unique_ptr<FileDialogProvider> mDesktopFileDialog;

    std::mutex mReportedLock; // loads also run on the loading thread
    std::set<std::string> mReportedPaths;
};
