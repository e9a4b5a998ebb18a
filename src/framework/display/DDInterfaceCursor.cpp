// The software cursor: drawn into each presented frame and, between frames,
// straight onto the visible surface; the background under it is kept in a
// small surface so that moving the cursor never needs a new frame.
#include "framework/display/DDInterface.h"

#include "framework/display/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"

#include <algorithm>
#include <memory>

namespace Lumo {

namespace {

Plat::DisplayRect Intersect(const Plat::DisplayRect& a, const Plat::DisplayRect& b)
{
    Plat::DisplayRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                        std::min(a.bottom, b.bottom)};
    if (r.right < r.left) {
        r.right = r.left;
    }
    if (r.bottom < r.top) {
        r.bottom = r.top;
    }
    return r;
}

bool IsEmpty(const Plat::DisplayRect& r)
{
    return r.Width() <= 0 || r.Height() <= 0;
}

Plat::DisplayRect Move(const Plat::DisplayRect& r, int dx, int dy)
{
    return Plat::DisplayRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

} // namespace

bool DDInterface::SetCursorImage(Image* image)
{
    AutoCrit lock(mCritSect);
    const bool changed = image != mCursorImage;
    mCursorImage = image;
    return changed;
}

void DDInterface::SetCursorPos(int x, int y)
{
    mCursorX = x;
    mCursorY = y;
    // While a frame is presented the position is only stored: the next
    // frame draws the cursor there.
    if (mInRedraw) {
        return;
    }
    AutoCrit lock(mCritSect);
    if (mInRedraw) {
        return;
    }
    if (!mCursorDrawn) {
        mCursorPrevX = x;
        mCursorPrevY = y;
        DrawCursor(mPrimarySurface, true);
    } else {
        MoveCursor(mPrimarySurface, true, x, y);
    }
}

bool DDInterface::CursorRect(int x, int y, const TRect<int>& clip, bool screenCoords, Plat::DisplayRect& rect,
                             int& offsetX, int& offsetY)
{
    const Plat::DisplayRect area{x - mCursorWidth / 2, y - mCursorHeight / 2, x - mCursorWidth / 2 + mCursorWidth,
                                 y - mCursorHeight / 2 + mCursorHeight};
    const Plat::DisplayRect bounds{clip.mX, clip.mY, clip.mX + clip.mWidth, clip.mY + clip.mHeight};
    rect = Intersect(area, bounds);
    offsetX = rect.left - area.left;
    offsetY = rect.top - area.top;
    if (screenCoords) {
        int originX = 0;
        int originY = 0;
        Plat::GetDisplayHost().ClientOrigin(mWindow, originX, originY);
        rect = Move(rect, originX, originY);
    }
    return !IsEmpty(rect);
}

void DDInterface::DrawCursorImageInto(DDImage* image, int x, int y)
{
    if (image == nullptr || mCursorImage == nullptr) {
        return;
    }
    std::unique_ptr<Graphics> g(image->GetGraphics());
    g->DrawImage(mCursorImage, x, y);
}

bool DDInterface::SaveUnderCursor(Plat::DisplaySurface* target, Plat::DisplaySurface* area, Plat::DisplayRect rect,
                                  int offsetX, int offsetY)
{
    Plat::DisplayRect into{offsetX, offsetY, offsetX + rect.Width(), offsetY + rect.Height()};
    if (!Plat::Failed(area->Blt(&into, target, &rect, Plat::kDdbltWait, nullptr))) {
        return true;
    }
    // Once more with the part that lies on the target.
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    desc.flags = Plat::kDdsdWidth | Plat::kDdsdHeight;
    if (Plat::Failed(target->GetSurfaceDesc(&desc))) {
        return false;
    }
    const Plat::DisplayRect onTarget =
        Intersect(rect, Plat::DisplayRect{0, 0, static_cast<int32_t>(desc.width), static_cast<int32_t>(desc.height)});
    if (IsEmpty(onTarget)) {
        return false;
    }
    into = Plat::DisplayRect{offsetX + onTarget.left - rect.left, offsetY + onTarget.top - rect.top, 0, 0};
    into.right = into.left + onTarget.Width();
    into.bottom = into.top + onTarget.Height();
    return !Plat::Failed(area->Blt(&into, target, &onTarget, Plat::kDdbltWait, nullptr));
}

void DDInterface::DrawCursor(Plat::DisplaySurface* target, bool screenCoords)
{
    AutoCrit lock(mCritSect);
    if (mCursorImage == nullptr || mPrimarySurface == nullptr || mOldCursorArea == nullptr ||
        mNewCursorArea == nullptr || target == nullptr) {
        mCursorDrawn = false;
        return;
    }
    const int prevX = mCursorPrevX;
    const int prevY = mCursorPrevY;
    Plat::DisplayRect rect;
    int offsetX = 0;
    int offsetY = 0;
    if (!CursorRect(prevX, prevY, mPresentationRect, screenCoords, rect, offsetX, offsetY)) {
        mCursorDrawn = false;
        return;
    }

    mCursorDrawn = SaveUnderCursor(target, mOldCursorArea, rect, offsetX, offsetY);
    // Without the background saved the cursor could not be taken away again.
    if (!mCursorDrawn) {
        return;
    }

    const int imageX = (mCursorWidth - mCursorImage->GetWidth()) / 2;
    const int imageY = (mCursorHeight - mCursorImage->GetHeight()) / 2;
    if (target == mDrawSurface && !mIs3D) {
        DrawCursorImageInto(mScreenImage, prevX - mCursorWidth / 2 + imageX, prevY - mCursorHeight / 2 + imageY);
        return;
    }

    mNewCursorArea->Blt(nullptr, mOldCursorArea, nullptr, Plat::kDdbltWait, nullptr);
    DrawCursorImageInto(mNewCursorAreaImage, imageX, imageY);
    const Plat::DisplayRect from{offsetX, offsetY, offsetX + rect.Width(), offsetY + rect.Height()};
    target->Blt(&rect, mNewCursorArea, &from, Plat::kDdbltWait, nullptr);
}

void DDInterface::RemoveCursor(Plat::DisplaySurface* target, bool screenCoords)
{
    AutoCrit lock(mCritSect);
    if (!mCursorDrawn || mPrimarySurface == nullptr || target == nullptr || mOldCursorArea == nullptr) {
        return;
    }
    Plat::DisplayRect rect;
    int offsetX = 0;
    int offsetY = 0;
    if (CursorRect(mCursorPrevX, mCursorPrevY, TRect<int>(0, 0, mWidth, mHeight), screenCoords, rect, offsetX,
                   offsetY)) {
        const Plat::DisplayRect from{offsetX, offsetY, offsetX + rect.Width(), offsetY + rect.Height()};
        target->Blt(&rect, mOldCursorArea, &from, Plat::kDdbltWait, nullptr);
    }
    mCursorDrawn = false;
}

void DDInterface::MoveCursor(Plat::DisplaySurface* target, bool screenCoords, int x, int y)
{
    AutoCrit lock(mCritSect);
    if (mCursorImage == nullptr || mPrimarySurface == nullptr || mOldCursorArea == nullptr ||
        mNewCursorArea == nullptr || target == nullptr) {
        mCursorDrawn = false;
        return;
    }
    const int prevX = mCursorPrevX;
    const int prevY = mCursorPrevY;
    Plat::DisplayRect oldRect;
    int oldOffsetX = 0;
    int oldOffsetY = 0;
    const bool oldVisible = CursorRect(prevX, prevY, mPresentationRect, screenCoords, oldRect, oldOffsetX, oldOffsetY);
    Plat::DisplayRect newRect;
    int newOffsetX = 0;
    int newOffsetY = 0;
    const bool newVisible = CursorRect(x, y, mPresentationRect, screenCoords, newRect, newOffsetX, newOffsetY);

    // The background under the new place.
    if (newVisible) {
        SaveUnderCursor(target, mNewCursorArea, newRect, newOffsetX, newOffsetY);
    }

    const int imageX = (mCursorWidth - mCursorImage->GetWidth()) / 2;
    const int imageY = (mCursorHeight - mCursorImage->GetHeight()) / 2;
    const Plat::DisplayRect overlap = Intersect(oldRect, newRect);
    if (oldVisible && newVisible && !IsEmpty(overlap)) {
        // Where the two overlap the new place's background still shows the
        // old cursor: take the clean background from the old saved area.
        // And draw the new cursor into the old area, so that restoring it
        // already shows the cursor where the two overlap.
        const Plat::DisplayRect from = Move(overlap, oldOffsetX - oldRect.left, oldOffsetY - oldRect.top);
        const Plat::DisplayRect into = Move(overlap, newOffsetX - newRect.left, newOffsetY - newRect.top);
        mNewCursorArea->Blt(&into, mOldCursorArea, &from, Plat::kDdbltWait, nullptr);
        DrawCursorImageInto(mOldCursorAreaImage, imageX - prevX + x, imageY - prevY + y);
    }

    if (oldVisible) {
        const Plat::DisplayRect from{oldOffsetX, oldOffsetY, oldOffsetX + oldRect.Width(),
                                     oldOffsetY + oldRect.Height()};
        target->Blt(&oldRect, mOldCursorArea, &from, Plat::kDdbltWait, nullptr);
    }
    mOldCursorArea->Blt(nullptr, mNewCursorArea, nullptr, Plat::kDdbltWait, nullptr);

    if (newVisible) {
        DrawCursorImageInto(mNewCursorAreaImage, imageX, imageY);
        const Plat::DisplayRect from{newOffsetX, newOffsetY, newOffsetX + newRect.Width(),
                                     newOffsetY + newRect.Height()};
        target->Blt(&newRect, mNewCursorArea, &from, Plat::kDdbltWait, nullptr);
    }
    mCursorPrevX = x;
    mCursorPrevY = y;
}

} // namespace Lumo
