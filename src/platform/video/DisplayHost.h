// What the display stand-in knows of the machine around it: the desktop
// (size, depth, refresh rate, video memory), the window's client origin,
// client size and frame, the clock, the raster position, and where frames
// of the primary surface go. Tests install their own host to reach every
// display mode, and inject failures into chosen display calls.
#pragma once

#include "platform/video/D3DTypes.h"
#include "platform/video/DisplayTypes.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Plat {

class FramePresenter;

// The display calls whose results can be scripted.
enum class DisplayCall : int {
    DirectDrawCreate,
    DirectDrawCreateEx,
    QueryInterface,
    SetCooperativeLevel,
    SetDisplayMode,
    RestoreDisplayMode,
    CreateSurface,
    GetAttachedSurface,
    CreateClipper,
    SetHWnd,
    SetClipper,
    CreatePalette,
    FlipToGDISurface,
    GetMonitorFrequency,
    WaitForVerticalBlank,
    GetScanLine,
    GetAvailableVidMem,
    GetSurfaceDesc,
    Lock,
    Unlock,
    Blt,
    Flip,
    SetColorKey,
    GetDeviceIdentifier,
    // The 3-D object and device.
    Direct3DQuery,
    AdapterIdentity,
    CreateDevice,
    GetCaps,
    EnumTextureFormats,
    SetViewport,
    Clear,
    SetRenderTarget,
    BeginScene,
    EndScene,
    SetRenderState,
    SetTextureStageState,
    SetTexture,
    DrawPrimitive,
    Count
};

// Frame thickness around a framed window's client area.
struct WindowBorders {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class DisplayHost {
public:
    DisplayHost();
    virtual ~DisplayHost();
    DisplayHost(const DisplayHost&) = delete;
    DisplayHost& operator=(const DisplayHost&) = delete;

    // ---- The desktop
    virtual int DesktopWidth() { return desktopWidth; }
    virtual int DesktopHeight() { return desktopHeight; }
    // Bits per pixel of the desktop: 16 (5:6:5, or 5:5:5 with desktop555), 24 or 32.
    virtual int DesktopBits() { return desktopBits; }
    // Monitor refresh in Hz; 0 when it cannot be read.
    virtual int MonitorFrequency() { return monitorHz; }
    // Whether a full-screen mode of this size and depth can be set.
    virtual bool SupportsMode(int width, int height, int bits);
    // Whether the display library exports the entry point
    // ("DirectDrawCreate", "DirectDrawCreateEx").
    virtual bool HasEntry(const char* name);

    // ---- The window (the application has one). By default the window's
    // own answers; for a null window the settings below.
    virtual void ClientOrigin(Window* window, int& x, int& y);
    virtual void ClientSize(Window* window, int& width, int& height);
    virtual WindowBorders Borders(Window* window);
    // Moves and sizes the outer rectangle of the window.
    virtual void MoveWindow(Window* window, int x, int y, int width, int height);

    // ---- Time and the raster
    // Milliseconds, as the clock's tick count (the installed Plat::Clock by default).
    virtual uint32_t TickCount();
    // The line the monitor draws now; DDERR_VERTICALBLANKINPROGRESS during
    // the blank. By default a raster of DesktopHeight() + 45 lines per
    // refresh period, run by the clock's high-resolution counter.
    virtual HResult ScanLine(uint32_t& line);
    // Returns at the start of the next vertical blank (at most one period).
    virtual void WaitForVerticalBlank();

    // ---- The 3-D hardware and video memory
    // What the 3-D hardware claims to be; by default the d3d record.
    virtual D3DHostInfo& D3D() { return d3d; }
    // The driver's answer for the video memory; false when it has none.
    virtual bool VideoMemory(uint64_t& bytes);

    // ---- Frames of the primary surface
    // Default: the installed FramePresenter (the headless one unless a
    // window installed its own).
    virtual FramePresenter& Presenter();

    // ---- Failure injection
    // The callNumber-th call of the kind (1 = the next one counted from now;
    // 0 = every call from now on) returns the result instead of working.
    void InjectFault(DisplayCall call, int callNumber, HResult result);
    // Forgets every injected failure and restarts the counts.
    void ClearFaults();
    // Counts the call; the injected result for it, or 0 (DD_OK).
    HResult CheckFault(DisplayCall call);
    // Calls of the kind since the last ClearFaults (or the host's making).
    int CallCount(DisplayCall call);

    // ---- Plain settings behind the default answers
    int desktopWidth = 1920;
    int desktopHeight = 1080;
    int desktopBits = 32;
    bool desktop555 = false; // a 16-bit desktop or mode is 5:5:5 rather than 5:6:5
    int monitorHz = 60;
    bool hasDirectDrawCreate = true;
    bool hasDirectDrawCreateEx = true;
    // Video memory; GetAvailableVidMem saturates at 0xFFFFFFFF bytes.
    uint64_t videoMemoryBytes = 256u << 20;
    bool videoMemoryKnown = true; // false: GetAvailableVidMem fails
    // The 3-D hardware.
    D3DHostInfo d3d;
    int clientX = 0;
    int clientY = 0;
    int clientWidth = 640;
    int clientHeight = 480;
    WindowBorders borders{3, 22, 3, 3};

private:
    struct Fault {
        DisplayCall call;
        int callNumber; // absolute count at which it strikes; 0 = always
        HResult result;
    };
    std::mutex mLock;
    std::array<int, static_cast<size_t>(DisplayCall::Count)> mCounts{};
    std::vector<Fault> mFaults;
};

// The host in use: the process-wide SystemDisplayHost unless another was
// installed.
DisplayHost& GetDisplayHost();
// Installs a host (null restores the default); returns the previous one.
DisplayHost* SetDisplayHost(DisplayHost* host);

} // namespace Plat
