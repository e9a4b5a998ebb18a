// Presentation: the finished frame of the draw surface goes to the screen,
// by a page flip or a blit in full screen, or by a blit into the window's
// client area (through the down-scaling chain, optionally split in two
// halves timed by the scan line so that no tear shows).
#include "framework/display/DDInterface.h"

#include "framework/display/D3DInterface.h"

#include "framework/app/LumoAppBase.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"

namespace Lumo {

namespace {

// Longest time spent polling the scan line for one frame.
constexpr uint32_t kScanWaitMs = 200;

Plat::DisplayRect ToDisplayRect(const TRect<int>& rect)
{
    return Plat::DisplayRect{rect.mX, rect.mY, rect.mX + rect.mWidth, rect.mY + rect.mHeight};
}

} // namespace

bool DDInterface::Redraw(const TRect<int>* clipRect)
{
    AutoCrit lock(mCritSect);
    if (!mInitialized) {
        return false;
    }
    mInRedraw = true;
    const bool ok = RedrawLocked(clipRect);
    mInRedraw = false;
    return ok;
}

bool DDInterface::RedrawLocked(const TRect<int>* clipRect)
{
    Plat::DisplayHost& host = Plat::GetDisplayHost();

    // A run-time error of the renderer turns 3-D off before anything is
    // shown; the application starts the display again without it.
    if (mIs3D && mD3DInterface != nullptr) {
        if (!gD3DLastError.empty()) {
            mInRedraw = false;
            mIs3D = false;
            return false;
        }
        mD3DInterface->EndScene();
    }

    Plat::DisplayRect dest;
    Plat::DisplayRect src;
    if (clipRect == nullptr || mIsAspectCorrected) {
        dest = ToDisplayRect(mPresentationRect);
        src = Plat::DisplayRect{0, 0, mWidth, mHeight};
    } else {
        dest = ToDisplayRect(*clipRect);
        src = dest;
    }
    int originX = 0;
    int originY = 0;
    host.ClientOrigin(mWindow, originX, originY);
    dest.left += originX;
    dest.right += originX;
    dest.top += originY;
    dest.bottom += originY;

    // Lets a pending drawing operation on the draw surface finish.
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    if (!Plat::Failed(mDrawSurface->Lock(nullptr, &desc, Plat::kDdlockWait | Plat::kDdlockReadOnly))) {
        mDrawSurface->Unlock(nullptr);
    }

    const bool waitForSync = mApp != nullptr && mApp->waitForVSync && !mApp->sleepPacing;
    Plat::HResult result = Plat::DD_OK;
    const char* step = "Redraw Windowed";

    if (!mIsWindowed) {
        const bool pageFlip = mApp == nullptr || (!mApp->noFlip && mApp->allowFlip);
        if (pageFlip) {
            if (!mVideoOnlyDraw) {
                result = mSecondarySurface->Blt(&dest, mDrawSurface, &src, Plat::kDdbltWait, nullptr);
            }
            mCursorPrevX = mCursorX.load();
            mCursorPrevY = mCursorY.load();
            DrawCursor(mSecondarySurface, true);
            result = mPrimarySurface->Flip(nullptr, Plat::kDdflipWait);
            step = "Redraw FullScreen Flip";
        } else {
            result = mPrimarySurface->Blt(&dest, mDrawSurface, &src, Plat::kDdbltWait, nullptr);
            step = "Redraw FullScreen Blt";
        }
    } else if (mVideoOnlyDraw) {
        if (waitForSync) {
            mDD->WaitForVerticalBlank(Plat::kDdwaitvbBlockBegin);
        }
        mCursorPrevX = mCursorX.load();
        mCursorPrevY = mCursorY.load();
        DrawCursor(mSecondarySurface, true);
        result = mPrimarySurface->Blt(&dest, mSecondarySurface, &src, Plat::kDdbltWait, nullptr);
    } else {
        mCursorPrevX = mCursorX.load();
        mCursorPrevY = mCursorY.load();
        DrawCursor(mDrawSurface, false);

        // Down-scaling chain: each present surface halves the previous
        // picture, the last one takes the presentation size.
        Plat::DisplaySurface* source = mDrawSurface;
        Plat::DisplayRect sourceRect = src;
        int last = -1;
        for (int i = 0; i < 4; ++i) {
            if (mScalingSurfaces[i] != nullptr) {
                last = i;
            }
        }
        for (int i = 0; i <= last; ++i) {
            if (mScalingSurfaces[i] == nullptr) {
                continue;
            }
            Plat::DisplayRect target =
                i == last ? ToDisplayRect(mPresentationRect)
                          : Plat::DisplayRect{0, 0, sourceRect.Width() / 2, sourceRect.Height() / 2};
            result = mScalingSurfaces[i]->Blt(&target, source, &sourceRect, Plat::kDdbltWait, nullptr);
            source = mScalingSurfaces[i];
            sourceRect = target;
        }

        bool split = false;
        if (waitForSync) {
            if (mMissedSyncCount < 3) {
                split = SplitBlit(dest, source, sourceRect, result);
                if (!split) {
                    ++mMissedSyncCount;
                }
            }
            if (!split) {
                mDD->WaitForVerticalBlank(Plat::kDdwaitvbBlockBegin);
            }
        }
        if (!split) {
            result = mPrimarySurface->Blt(&dest, source, &sourceRect, Plat::kDdbltWait, nullptr);
        }
        if (mCursorDrawn) {
            // The saved background goes back into the draw surface; the
            // cursor stays on the screen.
            RemoveCursor(mDrawSurface, false);
            mCursorDrawn = true;
        }
    }
    return !CheckDXError(result, step);
}

bool DDInterface::SplitBlit(const Plat::DisplayRect& dest, Plat::DisplaySurface* source,
                            const Plat::DisplayRect& src, Plat::HResult& result)
{
    Plat::DisplayHost& host = Plat::GetDisplayHost();
    const int appHeight = mApp != nullptr ? mApp->height : mHeight;
    const int splitLine = dest.top + appHeight / 2;
    const int bottomLine = dest.top + mHeight;
    const int screenHeight = host.DesktopHeight();
    uint32_t scan = 0x7FFFFFFF;
    bool armed = false;
    const uint32_t start = host.TickCount();
    while (host.TickCount() - start < kScanWaitMs) {
        uint32_t line = 0;
        const Plat::HResult scanResult = mDD->GetScanLine(&line);
        bool splitNow = false;
        if (scanResult == Plat::DD_OK) {
            scan = line;
            if (static_cast<int64_t>(line) < splitLine && static_cast<int64_t>(line) < screenHeight) {
                armed = true;
            } else if (armed) {
                splitNow = true;
            }
        } else if (scanResult == Plat::DDERR_VERTICALBLANKINPROGRESS) {
            splitNow = armed;
        } else {
            return false;
        }
        if (!splitNow) {
            continue;
        }

        mMissedSyncCount = 0;
        const Plat::DisplayRect upperDest{dest.left, dest.top, dest.right, splitLine};
        const Plat::DisplayRect upperSrc{src.left, src.top, src.right, src.top + appHeight / 2};
        result = mPrimarySurface->Blt(&upperDest, source, &upperSrc, Plat::kDdbltWait, nullptr);
        // The lower half once the raster has left it: the line wrapped past
        // the one seen at the split, or reached the bottom. Bounded like the
        // wait above.
        const uint32_t lowerStart = host.TickCount();
        while (host.TickCount() - lowerStart < kScanWaitMs) {
            uint32_t now = 0;
            if (mDD->GetScanLine(&now) == Plat::DD_OK &&
                (now < scan || static_cast<int64_t>(now) >= bottomLine)) {
                break;
            }
        }
        const Plat::DisplayRect lowerDest{dest.left, splitLine, dest.right, bottomLine};
        const Plat::DisplayRect lowerSrc{src.left, src.top + appHeight / 2, src.right, src.bottom};
        result = mPrimarySurface->Blt(&lowerDest, source, &lowerSrc, Plat::kDdbltWait, nullptr);
        return true;
    }
    return false;
}

} // namespace Lumo
