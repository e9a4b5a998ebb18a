// The framework's one display object: it starts the display device on the
// window (windowed or full screen), owns the surfaces the frame is drawn
// into and presented from, the screen image the widgets draw on, the pixel
// format tables of the software blits, and the software cursor. Every
// operation that touches surfaces runs under its critical section.
#pragma once

#include "framework/display/NativeDisplay.h"
#include "framework/graphics/Rect.h"
#include "framework/core/CriticalSection.h"
#include "framework/core/Ratio.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplaySurface.h"
#include "platform/video/DisplayTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace Plat {
class Window;
}

namespace Lumo {

class D3DInterface;
class D3DTester;
class DDImage;
class Image;
class LumoAppBase;
class MemoryImage;

// The creation entry points of the display library, looked up by name when
// the first display object is made; either may be null.
extern Plat::DisplayCreateFunction gDirectDrawCreate;
extern Plat::DisplayCreateFunction gDirectDrawCreateEx;
// Set when the primary's channels run red, green, blue from the high bits
// down; read by the surface blits.
extern std::atomic<bool> gRGBOrder;
// Set when 3-D drawing failed during the run; the application clears it
// when a presentation fails and reads it at exit.
extern std::atomic<bool> gD3DTrouble;

class DDInterface : public NativeDisplay {
public:
    // Results of Init.
    enum {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_FAIL = 7, // has no name of its own
    };

    explicit DDInterface(LumoAppBase* app);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // ---- Start-up and modes

    // (Re)starts the display on the window; a result code above.
    int Init(Plat::Window* window, bool isWindowed);
    // Releases every surface and the device.
    void Cleanup();
    static std::string ResultToString(int result);
    // Runs the 3-D test once per display object; true when it ran now.
    bool Test3D(Plat::Window* window);
    // Draw into a video-memory copy (back buffer) rather than the draw surface.
    void SetVideoOnlyDraw(bool videoOnly);
    // The window's client area changed size: rebuilds the down-scaling chain.
    void RecreateWindowedDrawSurface(int width, int height);

    // ---- Surfaces
    Plat::HResult CreateSurface(Plat::SurfaceDesc* desc, Plat::DisplaySurface** surface);
    // Zeroes the surface's pixels (row by row, the padding left alone).
    void ClearSurface(Plat::DisplaySurface* surface);
    // False when the result is no failure; else keeps "step: name" as the
    // error text and returns true.
    bool CheckDXError(Plat::HResult result, const char* step);
    DDImage* GetScreenImage();

    // ---- Presentation: the finished frame to the screen; false when the
    // display is not initialised or a blit or flip failed.
    bool Redraw(const TRect<int>* clipRect = nullptr);

    // ---- Software cursor
    // The cursor thread's new mouse position (draw coordinates).
    void SetCursorPos(int x, int y);
    // True when the image differs from the one before.
    bool SetCursorImage(Image* image);
    void DrawCursor(Plat::DisplaySurface* target, bool screenCoords);
    void RemoveCursor(Plat::DisplaySurface* target, bool screenCoords);
    void MoveCursor(Plat::DisplaySurface* target, bool screenCoords, int x, int y);

    // ---- Images
    void AddDDImage(DDImage* image);
    void RemoveDDImage(DDImage* image);
    // Drops the 3-D texture data kept for the image; nothing while it has none.
    void RemoveImageData(MemoryImage* image);

    LumoAppBase* mApp;
    D3DInterface* mD3DInterface; // the 3-D renderer; owned
    D3DTester* mD3DTester;       // the 3-D test; none until one ran
    bool mIs3D;                  // drawing on the screen image goes through the 3-D renderer
    CriticalSection mCritSect;
    std::atomic<bool> mInRedraw; // presentation runs; the cursor thread stays away

    Plat::DisplayDevice* mDD;  // one reference
    Plat::DisplayDevice* mDD7; // one reference; null without the newer entry point
    Plat::DisplaySurface* mPrimarySurface;
    Plat::DisplaySurface* mSecondarySurface; // full screen: flip buffer; windowed: video-memory draw copy
    Plat::DisplaySurface* mDrawSurface;
    Plat::DisplaySurface* mScalingSurfaces[4]; // windowed down-scaling chain

    int mWidth; // draw size
    int mHeight;
    Ratio mAspect;
    int mDesktopWidth;
    int mDesktopHeight;
    Ratio mDesktopAspect;
    bool mIsAspectCorrected;
    int mDisplayWidth;
    int mDisplayHeight;
    Ratio mDisplayAspect;
    TRect<int> mPresentationRect; // where the draw surface lands on the primary / in the client area
    int mColorDepth;
    int mRefreshRate;
    int mMillisecondsPerFrame;
    int mMissedSyncCount;

    // Saturation tables: 2^width * 2 - 1 entries, entry i = min(i, 2^width - 1).
    std::unique_ptr<int[]> mRedAddTable;
    std::unique_ptr<int[]> mGreenAddTable;
    std::unique_ptr<int[]> mBlueAddTable;
    // Channel value 0-255 to its bits in a display pixel.
    uint32_t mRedConvTable[256];
    uint32_t mGreenConvTable[256];
    uint32_t mBlueConvTable[256];

    bool mInitialized;
    Plat::Window* mWindow;
    bool mIsWindowed;
    DDImage* mScreenImage; // owned
    std::set<DDImage*> mDDImageSet; // every live surface image on this display; not owned
    bool mVideoOnlyDraw;
    int mInitCount;

    int mCursorWidth;
    int mCursorHeight;
    std::atomic<int> mCursorX; // the newest mouse position
    std::atomic<int> mCursorY;
    std::atomic<int> mCursorPrevX; // where the cursor is drawn now
    std::atomic<int> mCursorPrevY;
    Image* mCursorImage; // not owned
    bool mCursorDrawn;
    Plat::DisplaySurface* mOldCursorArea; // the background under the drawn cursor
    Plat::DisplaySurface* mNewCursorArea; // scratch
    DDImage* mOldCursorAreaImage;         // owned
    DDImage* mNewCursorAreaImage;         // owned

    std::string mErrorText;

private:
    // The parts of Init after the device exists; a result code.
    int InitFullScreen();
    int InitWindowed();
    int InitCommon();
    // The draw surface and the primary surface's clipper, shared by both
    // modes; the names are those of the calls a failure reports.
    int CreateDrawSurfaceAndClipper(const char* drawSurfaceCall, const char* clipperCall);
    // Blits and frees of the presentation, in order.
    bool RedrawLocked(const TRect<int>* clipRect);
    // The tear-free split blit; false when it did not happen.
    bool SplitBlit(const Plat::DisplayRect& dest, Plat::DisplaySurface* source, const Plat::DisplayRect& src,
                   Plat::HResult& result);
    // The cursor area at a position, clipped; offset of its visible part.
    bool CursorRect(int x, int y, const TRect<int>& clip, bool screenCoords, Plat::DisplayRect& rect,
                    int& offsetX, int& offsetY);
    // Draws the cursor image into a surface image at an offset.
    void DrawCursorImageInto(DDImage* image, int x, int y);
    // Blits the target under rect into an area surface at the offset, trying
    // once more with the rect cut to the target.
    bool SaveUnderCursor(Plat::DisplaySurface* target, Plat::DisplaySurface* area, Plat::DisplayRect rect,
                         int offsetX, int offsetY);
    void ReleaseSurface(Plat::DisplaySurface*& surface);
    void BuildPixelTables();
};

} // namespace Lumo
