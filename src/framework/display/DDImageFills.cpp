// The surface image's fill and line loops on its locked surface: rectangle
// fills (normal and additive), coverage spans, one-pixel lines (normal and
// additive) and the anti-aliased line, for 5:6:5, 5:5:5 and 32-bit pixels.
// The per-pixel arithmetic is in 32-bit unsigned words throughout.
#include "framework/display/DDImage.h"

#include "framework/display/SurfaceView.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/SmoothLineWalk.h"
#include "framework/graphics/Span.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace Lumo {

namespace {

using Kind = SurfaceView::Kind;

// ---- Fills

template <Kind K>
void FillNormal(const SurfaceView& v, const TRect<int>& area, const Color& color)
{
    using Word = SurfaceWord<K>;
    const uint32_t c[3] = {Channel255(color.mRed), Channel255(color.mGreen), Channel255(color.mBlue)};
    const uint32_t alpha = Channel255(color.mAlpha);
    if (alpha == 255) {
        uint32_t pixel = 0;
        for (int i = 0; i < 3; ++i) {
            const uint32_t factor = K == SurfaceView::k32 ? c[i] : c[i] + 1;
            pixel |= (factor * MaskOf<K>(v, i) >> 8) & MaskOf<K>(v, i);
        }
        for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
            Word* row = v.Row<Word>(y) + area.mX;
            std::fill(row, row + area.mWidth, static_cast<Word>(pixel));
        }
        return;
    }
    const uint32_t inv = 256 - alpha;
    const uint32_t round = K == SurfaceView::k32 ? 0x7F : 0x80;
    uint32_t term = 0; // the colour's part, the same for every pixel
    for (int i = 0; i < 3; ++i) {
        term += ((((c[i] * alpha + round) >> 8) + 1) * MaskOf<K>(v, i) >> 8) & MaskOf<K>(v, i);
    }
    // 16-bit pixels add the mask before the shift, 32-bit ones nothing.
    const uint32_t bias[3] = {K == SurfaceView::k32 ? 0 : MaskOf<K>(v, 0), K == SurfaceView::k32 ? 0 : MaskOf<K>(v, 1),
                              K == SurfaceView::k32 ? 0 : MaskOf<K>(v, 2)};
    if constexpr (K == SurfaceView::k32) {
        if (v.bytes) {
            // Byte channels: the three channel terms are two pair terms.
            for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
                uint32_t* row = v.Row<uint32_t>(y) + area.mX;
                for (int x = 0; x < area.mWidth; ++x) {
                    const uint32_t d = row[x];
                    row[x] = term + ((((d & 0xFF00FFu) * inv) >> 8) & 0xFF00FFu) +
                             ((((d & 0xFF00u) * inv) >> 8) & 0xFF00u);
                }
            }
            return;
        }
    }
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        Word* row = v.Row<Word>(y) + area.mX;
        for (int x = 0; x < area.mWidth; ++x) {
            const uint32_t d = row[x];
            uint32_t out = term;
            for (int i = 0; i < 3; ++i) {
                out += (((d & MaskOf<K>(v, i)) * inv + bias[i]) >> 8) & MaskOf<K>(v, i);
            }
            row[x] = static_cast<Word>(out);
        }
    }
}

// The amount a channel gains from colour c at alpha a, in channel units.
inline uint32_t AdditiveTerm(int c, int a, int width)
{
    return ((Channel255(c) * Channel255(a)) / 255) >> (8 - width);
}

template <Kind K>
void FillAdditive(const SurfaceView& v, const TRect<int>& area, const Color& color)
{
    using Word = SurfaceWord<K>;
    const uint32_t add[3] = {AdditiveTerm(color.mRed, color.mAlpha, SizeOf<K>(v, 0)),
                             AdditiveTerm(color.mGreen, color.mAlpha, SizeOf<K>(v, 1)),
                             AdditiveTerm(color.mBlue, color.mAlpha, SizeOf<K>(v, 2))};
    if constexpr (K == SurfaceView::k32) {
        if (v.bytes) {
            const uint32_t term =
                add[0] << ShiftOf<K>(v, 0) | add[1] << ShiftOf<K>(v, 1) | add[2] << ShiftOf<K>(v, 2);
            for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
                uint32_t* row = v.Row<uint32_t>(y) + area.mX;
                for (int x = 0; x < area.mWidth; ++x) {
                    row[x] = AddBytes(row[x], term);
                }
            }
            return;
        }
    }
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        Word* row = v.Row<Word>(y) + area.mX;
        for (int x = 0; x < area.mWidth; ++x) {
            const uint32_t d = row[x];
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i) {
                const int shift = ShiftOf<K>(v, i);
                out |= Saturate(((d & MaskOf<K>(v, i)) >> shift) + add[i], SizeOf<K>(v, i)) << shift;
            }
            row[x] = static_cast<Word>(out);
        }
    }
}

template <Kind K>
void FillCoverage(const SurfaceView& v, const Span* spans, int count, const Color& color,
                  const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch)
{
    using Word = SurfaceWord<K>;
    const uint32_t c[3] = {Channel255(color.mRed), Channel255(color.mGreen), Channel255(color.mBlue)};
    uint32_t pixel = 0;
    for (int i = 0; i < 3; ++i) {
        pixel |= (c[i] * MaskOf<K>(v, i) >> 8) & MaskOf<K>(v, i);
    }
    const uint32_t alpha = Channel255(color.mAlpha);
    for (int s = 0; s < count; ++s) {
        const Span& span = spans[s];
        if (span.mY < 0 || span.mY >= v.height || span.mWidth <= 0) {
            continue;
        }
        // Cut to the image; the coverage stays aligned with the span's pixels.
        const int64_t left = std::max<int64_t>(span.mX, 0);
        const int64_t right = std::min<int64_t>(int64_t(span.mX) + span.mWidth, v.width);
        Word* row = v.Row<Word>(span.mY);
        const ptrdiff_t rowOffset = (ptrdiff_t(span.mY) - coverageY) * coveragePitch - coverageX;
        for (ptrdiff_t x = ptrdiff_t(left); x < ptrdiff_t(right); ++x) {
            const uint32_t w = ((uint32_t(coverage[rowOffset + x]) + 1) * alpha) >> 8;
            const uint32_t inv = 256 - w;
            const uint32_t d = row[x];
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i) {
                out |= (((d & MaskOf<K>(v, i)) * inv + (pixel & MaskOf<K>(v, i)) * w) >> 8) & MaskOf<K>(v, i);
            }
            row[x] = static_cast<Word>(out);
        }
    }
}

// ---- Lines

// Far beyond any surface; keeps every conversion to int defined.
constexpr double kCoordinateLimit = 1e9;

bool Finite(double x1, double y1, double x2, double y2)
{
    return std::fabs(x1) < kCoordinateLimit && std::fabs(y1) < kCoordinateLimit &&
           std::fabs(x2) < kCoordinateLimit && std::fabs(y2) < kCoordinateLimit; // false for NaN too
}

// Cuts the segment to the box [left, right] x [top, bottom]; false when
// nothing of it lies inside.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double left, double top, double right,
                 double bottom)
{
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - left, right - x1, y1 - top, bottom - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) {
        return false;
    }
    const double ox = x1;
    const double oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

// A line whose ends lie outside the surface is first cut to it (a pixel's
// margin around it), so that the walk is no longer than the surface.
bool PrepareLine(const SurfaceView& v, double& x1, double& y1, double& x2, double& y2)
{
    if (!Finite(x1, y1, x2, y2)) {
        return false;
    }
    const auto inside = [&v](double x, double y) { return x >= 0.0 && y >= 0.0 && x < v.width && y < v.height; };
    if (inside(x1, y1) && inside(x2, y2)) {
        return true;
    }
    return ClipSegment(x1, y1, x2, y2, -1.0, -1.0, v.width + 1.0, v.height + 1.0);
}

// Walks the one-pixel line from (x1, y1) to (x2, y2) by Bresenham with the
// start point's sub-pixel offset taken into the error, handing each pixel
// to plot(x, y). A step of the minor axis that leaves the bounding box of
// the ends ends the line without that pixel. Positions as the memory
// image's line, so both land on the same pixels.
template <typename Plot>
void WalkLine(double x1, double y1, double x2, double y2, Plot plot)
{
    const double minX = std::min(x1, x2);
    const double maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2);
    const double maxY = std::max(y1, y2);
    const auto outside = [&](int x, int y) { return x < minX || x > maxX || y < minY || y > maxY; };
    double dx = x2 - x1;
    double dy = y2 - y1;
    if (std::fabs(dx) > std::fabs(dy)) {
        if (dx < 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            dx = -dx;
            dy = -dy;
        }
        int rowStep = 1;
        if (dy < 0) {
            rowStep = -1;
            dy = -dy;
        }
        int y = int(y1);
        plot(int(x1), y);
        const int incE = int(2 * dy);
        const int incNE = int(2 * (dy - dx));
        int err = int((y1 - int(y1)) * incE + int(2 * dy - dx));
        for (int x = int(x1 + 1.0); x <= x2; ++x) {
            if (err > 0) {
                y += rowStep;
                err += incNE;
                if (outside(x, y)) {
                    break;
                }
            } else {
                err += incE;
            }
            plot(x, y);
        }
    } else {
        if (dy < 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            dx = -dx;
            dy = -dy;
        }
        int colStep = 1;
        if (dx < 0) {
            colStep = -1;
            dx = -dx;
        }
        int x = int(x1);
        plot(x, int(y1));
        const int incE = int(2 * dx);
        const int incNE = int(2 * (dx - dy));
        int err = int((x1 - int(x1)) * incE + int(2 * dx - dy));
        for (int y = int(y1 + 1.0); y <= y2; ++y) {
            if (err > 0) {
                x += colStep;
                err += incNE;
                if (outside(x, y)) {
                    break;
                }
            } else {
                err += incE;
            }
            plot(x, y);
        }
    }
}

template <Kind K>
void LineNormal(const SurfaceView& v, double x1, double y1, double x2, double y2, const Color& color)
{
    using Word = SurfaceWord<K>;
    const uint32_t c[3] = {Channel255(color.mRed), Channel255(color.mGreen), Channel255(color.mBlue)};
    const uint32_t a = Channel255(color.mAlpha);
    const auto inside = [&v](int x, int y) {
        return unsigned(x) < unsigned(v.width) && unsigned(y) < unsigned(v.height);
    };
    if (a == 255) {
        uint32_t pixel = 0;
        for (int i = 0; i < 3; ++i) {
            pixel |= ((c[i] * MaskOf<K>(v, i) + (MaskOf<K>(v, i) >> 1)) >> 8) & MaskOf<K>(v, i);
        }
        WalkLine(x1, y1, x2, y2, [&](int x, int y) {
            if (inside(x, y)) {
                v.Row<Word>(y)[x] = static_cast<Word>(pixel);
            }
        });
        return;
    }
    uint32_t term = 0;
    for (int i = 0; i < 3; ++i) {
        term += ((((c[i] * a + 0x80) >> 8) * MaskOf<K>(v, i) + (MaskOf<K>(v, i) >> 1)) >> 8) & MaskOf<K>(v, i);
    }
    const uint32_t inv = 256 - a;
    WalkLine(x1, y1, x2, y2, [&](int x, int y) {
        if (!inside(x, y)) {
            return;
        }
        Word& p = v.Row<Word>(y)[x];
        const uint32_t d = p;
        uint32_t out = term;
        for (int i = 0; i < 3; ++i) {
            out += (((d & MaskOf<K>(v, i)) * inv + (MaskOf<K>(v, i) >> 1)) >> 8) & MaskOf<K>(v, i);
        }
        p = static_cast<Word>(out);
    });
}

template <Kind K>
void LineAdditive(const SurfaceView& v, double x1, double y1, double x2, double y2, const Color& color)
{
    using Word = SurfaceWord<K>;
    const uint32_t add[3] = {AdditiveTerm(color.mRed, color.mAlpha, SizeOf<K>(v, 0)),
                             AdditiveTerm(color.mGreen, color.mAlpha, SizeOf<K>(v, 1)),
                             AdditiveTerm(color.mBlue, color.mAlpha, SizeOf<K>(v, 2))};
    WalkLine(x1, y1, x2, y2, [&](int x, int y) {
        if (unsigned(x) >= unsigned(v.width) || unsigned(y) >= unsigned(v.height)) {
            return;
        }
        Word& p = v.Row<Word>(y)[x];
        const uint32_t d = p;
        uint32_t out = 0;
        for (int i = 0; i < 3; ++i) {
            out |= Saturate(((d & MaskOf<K>(v, i)) >> ShiftOf<K>(v, i)) + add[i], SizeOf<K>(v, i)) << ShiftOf<K>(v, i);
        }
        p = static_cast<Word>(out);
    });
}

template <Kind K>
void LineSmooth(const SurfaceView& v, double x1, double y1, double x2, double y2, const Color& color)
{
    using Word = SurfaceWord<K>;
    const uint32_t c[3] = {Channel255(color.mRed), Channel255(color.mGreen), Channel255(color.mBlue)};
    uint32_t pixel = 0;
    for (int i = 0; i < 3; ++i) {
        pixel |= (c[i] * MaskOf<K>(v, i) >> 8) & MaskOf<K>(v, i);
    }
    const uint32_t alpha = Channel255(color.mAlpha);
    [[maybe_unused]] uint32_t spreadPixel = 0;
    if constexpr (K != SurfaceView::k32) {
        spreadPixel = Spread<K>(pixel);
    }
    const auto plot = [&](int x, int y, uint32_t w) {
        if (unsigned(x) >= unsigned(v.width) || unsigned(y) >= unsigned(v.height)) {
            return;
        }
        if (alpha < 255) {
            w = (w * (alpha + 1)) >> 8;
        }
        Word& p = v.Row<Word>(y)[x];
        const uint32_t d = p;
        if constexpr (K == SurfaceView::k32) {
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i) {
                out |= (((d & MaskOf<K>(v, i)) * (256 - w) + (pixel & MaskOf<K>(v, i)) * w) >> 8) & MaskOf<K>(v, i);
            }
            p = out;
        } else {
            const uint32_t source = Unspread(((w >> 3) * spreadPixel) >> 5 & kSpreadMask<K>);
            const uint32_t kept = Unspread((Spread<K>(d) * ((256 - w) >> 3)) >> 5 & kSpreadMask<K>);
            p = static_cast<Word>(source + kept);
        }
    };

    WalkSmoothLine(x1, y1, x2, y2, plot);
}

} // namespace

void DDImage::NormalFillRect(const TRect<int>& rect, const Color& color)
{
    SurfaceView view;
    if (!BeginSurfaceLoop(view)) {
        return;
    }
    const TRect<int> area = rect.Intersection(TRect<int>(0, 0, view.width, view.height));
    if (area.mWidth > 0 && area.mHeight > 0) {
        ForLayout(view, [&](auto k) { FillNormal<decltype(k)::value>(view, area, color); });
    }
    EndSurfaceLoop();
}

void DDImage::AdditiveFillRect(const TRect<int>& rect, const Color& color)
{
    SurfaceView view;
    if (!BeginSurfaceLoop(view)) {
        return;
    }
    const TRect<int> area = rect.Intersection(TRect<int>(0, 0, view.width, view.height));
    if (area.mWidth > 0 && area.mHeight > 0) {
        ForLayout(view, [&](auto k) { FillAdditive<decltype(k)::value>(view, area, color); });
    }
    EndSurfaceLoop();
}

void DDImage::CoverageLoop(const Span* spans, int count, const Color& color, const unsigned char* coverage,
                           int coverageX, int coverageY, int coveragePitch)
{
    if (spans == nullptr || coverage == nullptr || count <= 0) {
        return;
    }
    SurfaceView view;
    if (!BeginSurfaceLoop(view)) {
        return;
    }
    ForLayout(view, [&](auto k) {
        FillCoverage<decltype(k)::value>(view, spans, count, color, coverage, coverageX, coverageY, coveragePitch);
    });
    EndSurfaceLoop();
}

void DDImage::SurfaceLine(double x1, double y1, double x2, double y2, const Color& color, LineStyle style)
{
    SurfaceView view;
    if (!BeginSurfaceLoop(view)) {
        return;
    }
    if (PrepareLine(view, x1, y1, x2, y2)) {
        ForLayout(view, [&](auto k) {
            constexpr Kind K = decltype(k)::value;
            switch (style) {
            case LineStyle::kNormal:
                LineNormal<K>(view, x1, y1, x2, y2, color);
                break;
            case LineStyle::kAdditive:
                LineAdditive<K>(view, x1, y1, x2, y2, color);
                break;
            case LineStyle::kSmooth:
                LineSmooth<K>(view, x1, y1, x2, y2, color);
                break;
            }
        });
    }
    EndSurfaceLoop();
}

void DDImage::NormalDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    SurfaceLine(x1, y1, x2, y2, color, LineStyle::kNormal);
}

void DDImage::AdditiveDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    SurfaceLine(x1, y1, x2, y2, color, LineStyle::kAdditive);
}

void DDImage::NormalDrawLineAA(double x1, double y1, double x2, double y2, const Color& color)
{
    SurfaceLine(x1, y1, x2, y2, color, LineStyle::kSmooth);
}

void DDImage::AdditiveDrawLineAA(double /*x1*/, double /*y1*/, double /*x2*/, double /*y2*/, const Color& /*color*/) {}

} // namespace Lumo
