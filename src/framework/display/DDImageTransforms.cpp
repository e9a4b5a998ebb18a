// The surface image's transforming loops on its locked surface: the
// nearest-pixel stretch (straight and mirrored) from the source's
// premultiplied display words, and the bilinear rotation from its 32-bit
// pixels, in 16.16 fixed point, for 5:6:5, 5:5:5 and 32-bit pixels.
#include "framework/display/DDImage.h"

#include "framework/display/DDInterface.h"
#include "framework/display/SurfaceView.h"
#include "framework/graphics/Color.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Lumo {

namespace {

using Kind = SurfaceView::Kind;

// ---- Nearest-pixel stretch

struct StretchArea {
    int dstX;
    int dstY;
    int width;
    int height;
    int64_t u0; // 16.16 source position of each row's first pixel
    int64_t v0;
    int64_t du;
    int64_t dv;
    int srcWidth; // the source picture's, the native rows' stride
    int srcHeight;
};

// Source words: premultiplied display words, one per pixel or (palette
// form) a table of 256 addressed by the pixel's index byte.
struct PlainStretchSource {
    const uint32_t* words;

    uint32_t At(size_t i) const { return words[i]; }
};

struct PaletteStretchSource {
    const uint32_t* words;
    const uint8_t* indices;

    uint32_t At(size_t i) const { return words[indices[i]]; }
};

template <Kind K, bool kAdditive, bool kWhite, bool kMirror, bool kChecked, typename Src>
void StretchRows(const SurfaceView& v, const Src& src, const StretchArea& a, const Color& color)
{
    using Word = SurfaceWord<K>;
    const uint32_t alpha = Channel255(color.mAlpha);
    const uint32_t f[3] = {Channel255(color.mRed) * alpha / 255, Channel255(color.mGreen) * alpha / 255,
                           Channel255(color.mBlue) * alpha / 255};
    const int step = kMirror ? -1 : 1;
    int64_t vPos = a.v0;
    for (int j = 0; j < a.height; ++j, vPos += a.dv) {
        int64_t row = vPos >> 16;
        if constexpr (kChecked) {
            row = std::clamp<int64_t>(row, 0, a.srcHeight - 1);
        }
        const size_t rowStart = size_t(row) * size_t(a.srcWidth);
        Word* out = v.Row<Word>(a.dstY + j) + (kMirror ? a.dstX + a.width - 1 : a.dstX);
        int64_t uPos = a.u0;
        for (int i = 0; i < a.width; ++i, uPos += a.du) {
            int64_t column = uPos >> 16;
            if constexpr (kChecked) {
                column = std::clamp<int64_t>(column, 0, a.srcWidth - 1);
            }
            const uint32_t p = src.At(rowStart + size_t(column));
            const uint32_t T = p >> 24;
            if (T == 0) {
                continue;
            }
            Word& dp = out[i * step];
            const uint32_t d = dp;
            uint32_t result = 0;
            if constexpr (kAdditive) {
                for (int k = 0; k < 3; ++k) {
                    const uint32_t m = MaskOf<K>(v, k);
                    const int s = ShiftOf<K>(v, k);
                    const uint32_t sum =
                        kWhite ? ((d & m) + (p & m)) >> s : ((((p & m) >> s) * f[k]) >> 8) + ((d & m) >> s);
                    result |= Saturate(sum, SizeOf<K>(v, k)) << s;
                }
            } else if constexpr (kWhite) {
                result = p;
                if (T == 255) {
                    // (d AND m) x 1 >> 8 leaves nothing inside any mask.
                    dp = static_cast<Word>(result);
                    continue;
                }
                for (int k = 0; k < 3; ++k) {
                    result += ((d & MaskOf<K>(v, k)) * (256 - T) >> 8) & MaskOf<K>(v, k);
                }
            } else {
                const uint32_t weight = T * alpha / 255;
                if (weight == 0) {
                    continue;
                }
                for (int k = 0; k < 3; ++k) {
                    const uint32_t m = MaskOf<K>(v, k);
                    result += (((d & m) * (256 - weight) + (p & m) * f[k]) >> 8) & m;
                }
            }
            dp = static_cast<Word>(result);
        }
    }
}

template <Kind K, bool kAdditive, bool kWhite, bool kMirror, typename Src>
void StretchFor(const SurfaceView& v, const Src& src, const StretchArea& a, const Color& color)
{
    // Checked per pixel only when the rectangle reaches past the picture.
    const int64_t lastU = a.u0 + (a.width - 1) * a.du;
    const int64_t lastV = a.v0 + (a.height - 1) * a.dv;
    const bool inside = a.u0 >= 0 && a.v0 >= 0 && lastU >= 0 && lastV >= 0 && (a.u0 >> 16) < a.srcWidth &&
                        (lastU >> 16) < a.srcWidth && (a.v0 >> 16) < a.srcHeight && (lastV >> 16) < a.srcHeight;
    if (inside) {
        StretchRows<K, kAdditive, kWhite, kMirror, false>(v, src, a, color);
    } else {
        StretchRows<K, kAdditive, kWhite, kMirror, true>(v, src, a, color);
    }
}

// ---- Bilinear rotation

// floor(a / b) and ceil(a / b) for b != 0.
int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

int64_t CeilDiv(int64_t a, int64_t b)
{
    return -FloorDiv(-a, b);
}

// Narrows [lo, hi] to the offsets n at which start + n x step lies in
// [0, limit]; false when none does.
bool NarrowSpan(int64_t start, int64_t step, int64_t limit, int64_t& lo, int64_t& hi)
{
    if (step > 0) {
        lo = std::max(lo, CeilDiv(-start, step));
        hi = std::min(hi, FloorDiv(limit - start, step));
    } else if (step < 0) {
        lo = std::max(lo, CeilDiv(limit - start, step));
        hi = std::min(hi, FloorDiv(-start, step));
    } else if (start < 0 || start > limit) {
        return false;
    }
    return lo <= hi;
}

struct RotateSource {
    const uint32_t* bits;
    const uint32_t* table;
    const uint8_t* indices;

    uint32_t At(size_t i) const { return bits != nullptr ? bits[i] : table[indices[i]]; }
};

struct RotateArea {
    size_t origin; // source index of the top-left of the part of the rectangle inside the picture
    size_t pitch;  // the source picture's width
    int64_t width; // that part's size
    int64_t height;
};

// One destination pixel from the 2 x 2 neighbourhood at (u, v), 16.16 in
// the source part; neighbours past its right or bottom edge weigh nothing.
template <Kind K, bool kAdditive>
inline void RotatePixel(const SurfaceView& v, SurfaceWord<K>& dp, const RotateSource& src, const RotateArea& a,
                        uint32_t u, uint32_t vv, uint32_t A, const uint32_t (&c1)[3])
{
    const uint32_t ix = u >> 16;
    const uint32_t iy = vv >> 16;
    const size_t base = a.origin + size_t(iy) * a.pitch + ix;
    const bool right = int64_t(ix) + 1 < a.width;
    const bool down = int64_t(iy) + 1 < a.height;
    const uint32_t p00 = src.At(base);
    const uint32_t p10 = right ? src.At(base + 1) : 0;
    const uint32_t p01 = down ? src.At(base + a.pitch) : 0;
    const uint32_t p11 = right && down ? src.At(base + a.pitch + 1) : 0;
    const uint32_t fx = (u & 0xFFFEu) + 1;
    const uint32_t fy = (vv & 0xFFFEu) + 1;
    const uint32_t gx = 0x10000u - fx;
    const uint32_t gy = 0x10000u - fy;
    const uint32_t w00 = ((((gx * gy) >> 16) * (p00 >> 24)) >> 16) * A >> 8;
    const uint32_t w10 = ((((fx * gy) >> 16) * (p10 >> 24)) >> 16) * A >> 8;
    const uint32_t w01 = ((((gx * fy) >> 16) * (p01 >> 24)) >> 16) * A >> 8;
    const uint32_t w11 = ((((fx * fy) >> 16) * (p11 >> 24)) >> 16) * A >> 8;
    const uint32_t total = w00 + w10 + w01 + w11;
    if (total == 0) {
        return;
    }
    const uint32_t inv = 256 - total;
    const uint32_t d = dp;
    uint32_t result = 0;
    for (int k = 0; k < 3; ++k) {
        const uint32_t field = 0xFF0000u >> (8 * k); // red, green, blue byte
        const uint32_t S = ((p00 & field) * w00 + (p10 & field) * w10 + (p01 & field) * w01 + (p11 & field) * w11) >> 8;
        const int top = 32 - 8 * k;
        const uint32_t value = (S * c1[k]) >> (top - SizeOf<K>(v, k));
        const uint32_t m = MaskOf<K>(v, k);
        if constexpr (kAdditive) {
            result |= Saturate(((d & m) >> ShiftOf<K>(v, k)) + value, SizeOf<K>(v, k)) << ShiftOf<K>(v, k);
        } else {
            result |= (value << ShiftOf<K>(v, k)) + (((d & m) * inv >> 8) & m);
        }
    }
    dp = static_cast<SurfaceWord<K>>(result);
}

} // namespace

void DDImage::StretchLoop(MemoryImage* source, const TRect<int>& destRect, const TRect<double>& srcRect,
                          const Color& color, int drawMode, bool mirror)
{
    if (source == nullptr || source->mWidth <= 0 || source->mHeight <= 0 || destRect.mWidth <= 0 ||
        destRect.mHeight <= 0 || (drawMode != 0 && drawMode != 1)) {
        return;
    }
    DDImage* surfaceSource = dynamic_cast<DDImage*>(source);
    if (surfaceSource != nullptr && surfaceSource->mColorTable == nullptr && surfaceSource->GetBits() == nullptr) {
        return;
    }
    // Positions beyond any picture (or not numbers) draw nothing.
    constexpr double kLimit = 1073741824.0;
    const bool sane = std::isfinite(srcRect.mX) && std::isfinite(srcRect.mY) && std::isfinite(srcRect.mWidth) &&
                      std::isfinite(srcRect.mHeight) && std::fabs(srcRect.mX) < 32768.0 &&
                      std::fabs(srcRect.mY) < 32768.0 && srcRect.mWidth > 0.0 && srcRect.mHeight > 0.0 &&
                      srcRect.mWidth < kLimit && srcRect.mHeight < kLimit;
    if (!sane) {
        return;
    }
    StretchArea a{};
    a.dstX = destRect.mX;
    a.dstY = destRect.mY;
    a.width = destRect.mWidth;
    a.height = destRect.mHeight;
    a.u0 = static_cast<int64_t>(srcRect.mX * 65536.0);
    a.v0 = static_cast<int64_t>(srcRect.mY * 65536.0);
    a.du = static_cast<int64_t>(srcRect.mWidth * 65536.0 / destRect.mWidth);
    a.dv = static_cast<int64_t>(srcRect.mHeight * 65536.0 / destRect.mHeight);
    a.srcWidth = source->mWidth;
    a.srcHeight = source->mHeight;

    source->CommitBits();
    const bool palette = source->mColorTable != nullptr && source->mColorIndices != nullptr;
    const uint32_t* words = source->GetNativeAlphaData(mDDInterface);
    if (words == nullptr) {
        return;
    }
    SurfaceView view;
    if (!BeginSurfaceLoop(view)) {
        return;
    }
    if (a.dstX >= 0 && a.dstY >= 0 && int64_t(a.dstX) + a.width <= view.width &&
        int64_t(a.dstY) + a.height <= view.height) {
        const bool white = color == Color::White;
        const auto draw = [&](const auto& src) {
            ForLayout(view, [&](auto k) {
                constexpr Kind K = decltype(k)::value;
                if (drawMode == 1) {
                    if (white) {
                        mirror ? StretchFor<K, true, true, true>(view, src, a, color)
                               : StretchFor<K, true, true, false>(view, src, a, color);
                    } else {
                        mirror ? StretchFor<K, true, false, true>(view, src, a, color)
                               : StretchFor<K, true, false, false>(view, src, a, color);
                    }
                } else if (white) {
                    mirror ? StretchFor<K, false, true, true>(view, src, a, color)
                           : StretchFor<K, false, true, false>(view, src, a, color);
                } else {
                    mirror ? StretchFor<K, false, false, true>(view, src, a, color)
                           : StretchFor<K, false, false, false>(view, src, a, color);
                }
            });
        };
        if (palette) {
            draw(PaletteStretchSource{words, source->mColorIndices.get()});
        } else {
            draw(PlainStretchSource{words});
        }
    }
    EndSurfaceLoop();
}

void DDImage::RotateLoop(MemoryImage* source, float x, float y, const TRect<int>& srcRect,
                         const TRect<int>& clipRect, const Color& color, int drawMode, double angle, float centerX,
                         float centerY)
{
    if (source == nullptr || (drawMode != 0 && drawMode != 1)) {
        return;
    }
    // Not numbers, or so far off that no position fits 16.16: nothing.
    constexpr double kReachLimit = 1e7;
    if (!(std::fabs(angle) < 1e9) || !(std::fabs(x) < kReachLimit) || !(std::fabs(y) < kReachLimit) ||
        !(std::fabs(centerX) < kReachLimit) || !(std::fabs(centerY) < kReachLimit)) {
        return;
    }
    const TRect<int> clip = clipRect.Intersection(TRect<int>(0, 0, mWidth, mHeight));
    TRect<double> bounds;
    if (!GetRotatedBounds(x, y, srcRect, clip, angle, bounds, centerX, centerY)) {
        return;
    }
    // The part of the source rectangle inside the picture, within 16.16 reach.
    constexpr int64_t kReach = 32767;
    const int64_t left = std::max<int64_t>(0, -int64_t(srcRect.mX));
    const int64_t top = std::max<int64_t>(0, -int64_t(srcRect.mY));
    const int64_t right = std::min<int64_t>(srcRect.mWidth, int64_t(source->mWidth) - srcRect.mX);
    const int64_t bottom = std::min<int64_t>(srcRect.mHeight, int64_t(source->mHeight) - srcRect.mY);
    RotateArea area{};
    area.width = std::min(right - left, kReach);
    area.height = std::min(bottom - top, kReach);
    if (area.width < 1 || area.height < 1) {
        return;
    }
    area.pitch = size_t(source->mWidth);
    area.origin = size_t(srcRect.mY + top) * area.pitch + size_t(srcRect.mX + left);

    source->CommitBits();
    RotateSource src{nullptr, nullptr, nullptr};
    if (source->mColorTable != nullptr && source->mColorIndices != nullptr) {
        src.table = source->mColorTable.get();
        src.indices = source->mColorIndices.get();
    } else {
        src.bits = source->GetBits();
        if (src.bits == nullptr) {
            return;
        }
    }

    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const int64_t du = static_cast<int64_t>(c * 65536.0);
    const int64_t dv = static_cast<int64_t>(s * 65536.0);
    const uint32_t A = Channel255(color.mAlpha);
    const uint32_t c1[3] = {Channel255(color.mRed) + 1, Channel255(color.mGreen) + 1, Channel255(color.mBlue) + 1};

    SurfaceView view;
    if (!BeginSurfaceLoop(view)) {
        return;
    }
    const int x0 = std::max(0, static_cast<int>(bounds.mX));
    const int y0 = std::max(0, static_cast<int>(bounds.mY));
    const int lastCol = std::min(static_cast<int>(bounds.mX) + static_cast<int>(bounds.mWidth - 1.0), view.width - 1);
    const int64_t limitU = area.width * 65536 - 1;
    const int64_t limitV = area.height * 65536 - 1;
    ForLayout(view, [&](auto k) {
        constexpr Kind K = decltype(k)::value;
        using Word = SurfaceWord<K>;
        for (int r = 0; r < bounds.mHeight && y0 + r < view.height; ++r) {
            const int row = y0 + r;
            const double dy = row - double(centerY) - double(y);
            const double dx = x0 - double(centerX) - double(x);
            const int64_t u = static_cast<int64_t>((c * dx - s * dy + centerX) * 65536.0) - left * 65536;
            const int64_t vPos = static_cast<int64_t>((s * dx + c * dy + centerY) * 65536.0) - top * 65536;
            int64_t lo = 0;
            int64_t hi = lastCol - x0;
            if (hi < 0 || !NarrowSpan(u, du, limitU, lo, hi) || !NarrowSpan(vPos, dv, limitV, lo, hi)) {
                continue;
            }
            Word* out = view.Row<Word>(row) + x0;
            for (int64_t n = lo; n <= hi; ++n) {
                const uint32_t su = static_cast<uint32_t>(u + n * du);
                const uint32_t sv = static_cast<uint32_t>(vPos + n * dv);
                if (drawMode == 0) {
                    RotatePixel<K, false>(view, out[n], src, area, su, sv, A, c1);
                } else {
                    RotatePixel<K, true>(view, out[n], src, area, su, sv, A, c1);
                }
            }
        }
    });
    EndSurfaceLoop();
}

} // namespace Lumo
