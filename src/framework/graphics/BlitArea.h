// The part of an unscaled blit that lies inside both the source and the
// destination image, shared by the software and the surface blit loops.
#pragma once

#include "framework/graphics/Rect.h"

#include <cstdint>

namespace Lumo {

struct BlitArea {
    int srcX;
    int srcY;
    int dstX; // leftmost destination column, mirrored or not
    int dstY;
    int width;
    int height;
};

// Cuts [start, start + length) to [0, limit). A cut at the near end moves the
// other image's start along; mirrored, a cut at the far end does instead.
inline void CutBlitSpan(int64_t& start, int64_t& other, int64_t& length, int64_t limit, bool mirror)
{
    if (start < 0) {
        length += start;
        if (!mirror) {
            other -= start;
        }
        start = 0;
    }
    if (start + length > limit) {
        const int64_t cut = start + length - limit;
        length -= cut;
        if (mirror) {
            other += cut;
        }
    }
}

// Cuts the blit to both images. Mirrored, source column srcX + i lands on
// destination column dstX + width - 1 - i, so a cut on one side of the
// destination removes source columns from the other side. False when
// nothing is left.
inline bool ClipBlit(int srcWidth, int srcHeight, int dstWidth, int dstHeight, int x, int y, const TRect<int>& srcRect,
                     bool mirror, BlitArea& area)
{
    int64_t sx = srcRect.mX;
    int64_t sy = srcRect.mY;
    int64_t dx = x;
    int64_t dy = y;
    int64_t w = srcRect.mWidth;
    int64_t h = srcRect.mHeight;
    if (w <= 0 || h <= 0) {
        return false;
    }
    CutBlitSpan(sy, dy, h, srcHeight, false);
    CutBlitSpan(dy, sy, h, dstHeight, false);
    CutBlitSpan(sx, dx, w, srcWidth, mirror);
    CutBlitSpan(dx, sx, w, dstWidth, mirror);
    if (w <= 0 || h <= 0) {
        return false;
    }
    area = BlitArea{int(sx), int(sy), int(dx), int(dy), int(w), int(h)};
    return true;
}

} // namespace Lumo
