// Software fills and lines of the memory image: solid and blended rectangles,
// clears, Bresenham lines (normal and additive) and antialiased lines.
// Pixels are packed 0xAARRGGBB words and every result is the integer formula's
// exactly, on every machine (the one float quotient below is proven exact).
#include "framework/graphics/MemoryImage.h"

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelBlendAvx2.h"
#include "framework/graphics/SmoothLineWalk.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include <emmintrin.h>

namespace Lumo {

namespace {

// ceil(2^32 / n): (x * kReciprocal[n]) >> 32 equals x / n for every x below
// 2^24 and n from 1 to 255, because the rounding error times x stays below
// 2^32. The over blend only divides numbers up to 255 * 255 by such n.
constexpr std::array<uint64_t, 256> MakeReciprocals()
{
    std::array<uint64_t, 256> table{};
    for (uint64_t n = 1; n < 256; ++n) {
        table[n] = ((uint64_t(1) << 32) + n - 1) / n;
    }
    return table;
}

constexpr std::array<uint64_t, 256> kReciprocal = MakeReciprocals();

// Stands in for the application's saturation table when an image has no
// application.
constexpr std::array<uint8_t, 512> MakeAddClamp()
{
    std::array<uint8_t, 512> table{};
    for (int i = 0; i < 512; ++i) {
        table[size_t(i)] = uint8_t(i < 256 ? i : 255);
    }
    return table;
}

constexpr std::array<uint8_t, 512> kAddClamp = MakeAddClamp();

// (D * (256 - w) + C * w) >> 8 for red, green and blue; red and blue share one
// multiply. No lane carries into the next: each sum stays below 255 * 256.
inline uint32_t MixChannels(uint32_t dst, uint32_t src, uint32_t w)
{
    const uint32_t inv = 256 - w;
    const uint32_t rb = (((dst & 0xFF00FF) * inv + (src & 0xFF00FF) * w) >> 8) & 0xFF00FF;
    const uint32_t g = (((dst & 0xFF00) * inv + (src & 0xFF00) * w) >> 8) & 0xFF00;
    return rb | g;
}

// Over blend of src with effective alpha a (0-255) onto dst.
inline uint32_t BlendOver(uint32_t dst, uint32_t src, uint32_t a)
{
    if (a == 0) {
        return dst;
    }
    const uint32_t d = dst >> 24;
    const uint32_t n = d + ((255 - d) * a) / 255; // 1-255 since a > 0
    const uint32_t w = uint32_t((uint64_t(a * 255) * kReciprocal[n]) >> 32);
    return n << 24 | MixChannels(dst, src, w);
}

// Fills count words with value: aligned 16-byte stores between a short head
// and tail.
void FillWords(uint32_t* p, size_t count, uint32_t value)
{
    while (count > 0 && (reinterpret_cast<uintptr_t>(p) & 15) != 0) {
        *p++ = value;
        --count;
    }
    const __m128i v = _mm_set1_epi32(int(value));
    for (; count >= 16; count -= 16, p += 16) {
        _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
        _mm_store_si128(reinterpret_cast<__m128i*>(p + 4), v);
        _mm_store_si128(reinterpret_cast<__m128i*>(p + 8), v);
        _mm_store_si128(reinterpret_cast<__m128i*>(p + 12), v);
    }
    for (; count >= 4; count -= 4, p += 4) {
        _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
    }
    while (count > 0) {
        *p++ = value;
        --count;
    }
}

// Sets a rectangle of words starting at row (pitch words apart) to value.
void FillBlock(uint32_t* row, int width, int height, int pitch, uint32_t value)
{
    if (width == pitch) {
        FillWords(row, size_t(width) * size_t(height), value);
        return;
    }
    for (int y = 0; y < height; ++y, row += pitch) {
        FillWords(row, size_t(width), value);
    }
}

// Lane constants of the over blend for four destination pixels that share
// the alpha d: each channel (D * (256 - w) + C * w) >> 8, and in the alpha
// lane d * (256 - w) + X with X = N * 256 - d * (256 - w), which comes out N.
// All sums stay at or below 255 * 256, inside unsigned 16-bit lanes.
struct UniformBlend {
    __m128i inv;
    __m128i term;
};

UniformBlend MakeUniformBlend(uint32_t src, uint32_t a, uint32_t d)
{
    const uint32_t n = d + ((255 - d) * a) / 255;
    const uint32_t w = (a * 255) / n;
    const short r = short(((src >> 16) & 0xFF) * w);
    const short g = short(((src >> 8) & 0xFF) * w);
    const short b = short((src & 0xFF) * w);
    const short x = short(n * 256 - d * (256 - w));
    return UniformBlend{_mm_set1_epi16(short(256 - w)), _mm_set_epi16(x, r, g, b, x, r, g, b)};
}

// The over blend of one colour across a rectangle, in 16-bit lanes. Pixels
// of one alpha (opaque ones above all, but also transparent or evenly
// translucent ones) share N and w, kept for as long as the alpha stays; runs
// of them go eight at a time. Groups of mixed alphas compute N and w per
// lane: (255 - d) * a / 255 as (t + 1 + (t >> 8)) >> 8, exact for t below
// 65535, and a * 255 / N as a truncated float quotient, exact because the
// quotient is at most 255 and a non-integer one lies at least 1/N below the
// next integer, far more than the rounding error.
void BlendBlock(uint32_t* row, int width, int height, int pitch, uint32_t src, uint32_t a)
{
    const short r = short((src >> 16) & 0xFF);
    const short g = short((src >> 8) & 0xFF);
    const short b = short(src & 0xFF);
    const __m128i zero = _mm_setzero_si128();
    const __m128i colorBits = _mm_set1_epi32(0x00FFFFFF);
    const __m128i alpha = _mm_set1_epi32(int(a));
    const __m128i c255 = _mm_set1_epi32(255);
    const __m128i one = _mm_set1_epi32(1);
    const __m128i c256 = _mm_set1_epi16(256);
    const __m128i source = _mm_set_epi16(0, r, g, b, 0, r, g, b);
    const __m128 numerator = _mm_set1_ps(float(a * 255));

    // The shared alpha, and the words of its pixels with every colour bit set.
    uint32_t uniformAlpha = 255;
    UniformBlend uniform = MakeUniformBlend(src, a, uniformAlpha);
    __m128i uniformKey = _mm_set1_epi32(-1);

    for (int y = 0; y < height; ++y, row += pitch) {
        uint32_t* p = row;
        uint32_t* const end = row + width;
        for (;;) {
            for (; end - p >= 8; p += 8) {
                const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4));
                const __m128i same = _mm_and_si128(_mm_cmpeq_epi32(_mm_or_si128(v0, colorBits), uniformKey),
                                                   _mm_cmpeq_epi32(_mm_or_si128(v1, colorBits), uniformKey));
                if (_mm_movemask_epi8(same) != 0xFFFF) {
                    break;
                }
                __m128i lo0 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v0, zero), uniform.inv), uniform.term);
                __m128i hi0 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(v0, zero), uniform.inv), uniform.term);
                __m128i lo1 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v1, zero), uniform.inv), uniform.term);
                __m128i hi1 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(v1, zero), uniform.inv), uniform.term);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                                 _mm_packus_epi16(_mm_srli_epi16(lo0, 8), _mm_srli_epi16(hi0, 8)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4),
                                 _mm_packus_epi16(_mm_srli_epi16(lo1, 8), _mm_srli_epi16(hi1, 8)));
            }
            if (end - p < 4) {
                break;
            }
            // Four pixels off the current run: a new shared alpha or mixed ones.
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            __m128i lo = _mm_unpacklo_epi8(v, zero);
            __m128i hi = _mm_unpackhi_epi8(v, zero);
            const __m128i d = _mm_srli_epi32(v, 24);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(d, _mm_shuffle_epi32(d, 0))) == 0xFFFF) {
                const uint32_t groupAlpha = uint32_t(_mm_cvtsi128_si32(d));
                if (groupAlpha != uniformAlpha) {
                    uniformAlpha = groupAlpha;
                    uniform = MakeUniformBlend(src, a, uniformAlpha);
                    uniformKey = _mm_set1_epi32(int(groupAlpha << 24 | 0x00FFFFFF));
                }
                lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(lo, uniform.inv), uniform.term), 8);
                hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(hi, uniform.inv), uniform.term), 8);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(lo, hi));
                p += 4;
                continue;
            }
            const __m128i t = _mm_mullo_epi16(_mm_sub_epi32(c255, d), alpha);
            const __m128i n = _mm_add_epi32(d, _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(t, one), _mm_srli_epi32(t, 8)), 8));
            __m128i w = _mm_cvttps_epi32(_mm_div_ps(numerator, _mm_cvtepi32_ps(n)));
            w = _mm_or_si128(w, _mm_slli_epi32(w, 16));
            const __m128i wLo = _mm_unpacklo_epi32(w, w);
            const __m128i wHi = _mm_unpackhi_epi32(w, w);
            lo = _mm_add_epi16(_mm_mullo_epi16(lo, _mm_sub_epi16(c256, wLo)), _mm_mullo_epi16(source, wLo));
            hi = _mm_add_epi16(_mm_mullo_epi16(hi, _mm_sub_epi16(c256, wHi)), _mm_mullo_epi16(source, wHi));
            const __m128i mixed = _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                             _mm_or_si128(_mm_and_si128(mixed, colorBits), _mm_slli_epi32(n, 24)));
            p += 4;
        }
        for (; p < end; ++p) {
            *p = BlendOver(*p, src, a);
        }
    }
}

// From this many pixels on, a blended fill first tabulates the blend for
// every destination alpha (256 divisions, about a microsecond), then looks
// each pixel up instead of dividing; below it the table would cost more
// than it saves.
constexpr int64_t kTableArea = 2048;

void BlendBlockByTable(uint32_t* row, int width, int height, int pitch, uint32_t src, uint32_t a)
{
    PixelBlend::FillTable table;
    PixelBlend::MakeFillTable(table, src, a);
    uint32_t uniformAlpha = 255;
    if (PixelBlend::Avx2::Available()) {
        for (int y = 0; y < height; ++y, row += pitch) {
            PixelBlend::Avx2::FillOverRow(row, width, table, uniformAlpha);
        }
    } else {
        for (int y = 0; y < height; ++y, row += pitch) {
            PixelBlend::FillOverRow(row, width, table, uniformAlpha);
        }
    }
}

// Walks a Bresenham line and hands each pixel's address to plot. With
// startFraction the starting error takes in the start point's fraction
// across the minor axis. Where a step of the minor axis leaves the bounding
// box of the end points the line ends without that pixel.
template <typename Plot>
void WalkLine(uint32_t* bits, int pitch, double x1, double y1, double x2, double y2, bool startFraction, Plot plot)
{
    const double minX = std::min(x1, x2);
    const double maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2);
    const double maxY = std::max(y1, y2);
    const auto outside = [&](int x, int y) { return x < minX || x > maxX || y < minY || y > maxY; };
    double dx = x2 - x1;
    double dy = y2 - y1;

    if (std::fabs(dx) > std::fabs(dy)) {
        // x-major, run to the right.
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
        plot(bits + ptrdiff_t(y) * pitch + int(x1));

        const int incE = int(2 * dy);
        const int incNE = int(2 * (dy - dx));
        int err = startFraction ? int((y1 - int(y1)) * incE + int(2 * dy - dx)) : int(2 * dy - dx);
        // The pointer moves only onto pixels that are written.
        int x = int(x1 + 1.0);
        uint32_t* p = bits + ptrdiff_t(y) * pitch + (x - 1);
        const ptrdiff_t rowDelta = ptrdiff_t(rowStep) * pitch;
        while (x <= x2) {
            ++p;
            if (err > 0) {
                y += rowStep;
                err += incNE;
                if (outside(x, y)) {
                    break;
                }
                p += rowDelta;
            } else {
                err += incE;
            }
            plot(p);
            ++x;
        }
    } else {
        // y-major (also equal extents), run down.
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
        plot(bits + ptrdiff_t(int(y1)) * pitch + x);

        const int incE = int(2 * dx);
        const int incNE = int(2 * (dx - dy));
        int err = startFraction ? int((x1 - int(x1)) * incE + int(2 * dx - dy)) : int(2 * dx - dy);
        int y = int(y1 + 1.0);
        uint32_t* p = bits + ptrdiff_t(y - 1) * pitch + x;
        while (y <= y2) {
            p += pitch;
            if (err > 0) {
                x += colStep;
                err += incNE;
                if (outside(x, y)) {
                    break;
                }
                p += colStep;
            } else {
                err += incE;
            }
            plot(p);
            ++y;
        }
    }
}

// Horizontal and vertical lines always blend normally, through FillRect.
// Returns false for a slanted line, which the caller draws itself.
bool FillAxisLine(MemoryImage& image, double x1, double y1, double x2, double y2, const Color& color,
                  int drawMode)
{
    if (y1 == y2) {
        const int left = int(std::min(x1, x2));
        image.FillRect(TRect<int>(left, int(y1), int(std::max(x1, x2)) - left + 1, int(y2 - y1 + 1.0)), color,
                       drawMode);
        return true;
    }
    if (x1 == x2) {
        const int top = int(std::min(y1, y2));
        image.FillRect(TRect<int>(int(x1), top, int(x2 - x1 + 1.0), int(std::max(y1, y2)) - top + 1), color,
                       drawMode);
        return true;
    }
    return false;
}

} // namespace

// The draw mode is not read: a memory image always blends normally.
// The drawing context clips before it calls; a direct caller's rectangle is
// still cut to the image so that no write lands outside the pixels.
static TRect<int> InsideImage(const TRect<int>& rect, int width, int height)
{
    return rect.Intersection(TRect<int>(0, 0, width, height));
}

void MemoryImage::FillRect(const TRect<int>& givenRect, const Color& color, int)
{
    const TRect<int> rect = InsideImage(givenRect, mWidth, mHeight);
    uint32_t* bits = GetBits();
    if (rect.mWidth > 0 && rect.mHeight > 0) {
        uint32_t* row = bits + ptrdiff_t(rect.mY) * mWidth + rect.mX;
        if (color.mAlpha == 255) {
            FillBlock(row, rect.mWidth, rect.mHeight, mWidth, color.ToInt());
        } else {
            // Alphas outside 0-255 are a caller's error; held in range they
            // cannot make the composite alpha 0.
            const int a = std::clamp(color.mAlpha, 0, 255);
            if (a > 0) {
                if (int64_t(rect.mWidth) * rect.mHeight >= kTableArea) {
                    BlendBlockByTable(row, rect.mWidth, rect.mHeight, mWidth, color.ToInt(), uint32_t(a));
                } else {
                    BlendBlock(row, rect.mWidth, rect.mHeight, mWidth, color.ToInt(), uint32_t(a));
                }
            }
        }
    }
    BitsChanged();
}

void MemoryImage::ClearRect(const TRect<int>& givenRect)
{
    const TRect<int> rect = InsideImage(givenRect, mWidth, mHeight);
    uint32_t* bits = GetBits();
    if (rect.mWidth > 0 && rect.mHeight > 0) {
        FillBlock(bits + ptrdiff_t(rect.mY) * mWidth + rect.mX, rect.mWidth, rect.mHeight, mWidth, 0);
    }
    BitsChanged();
}

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (FillAxisLine(*this, x1, y1, x2, y2, color, drawMode)) {
        return;
    }
    if (drawMode == 0) {
        NormalDrawLine(x1, y1, x2, y2, color);
    } else if (drawMode == 1) {
        AdditiveDrawLine(x1, y1, x2, y2, color);
    }
    BitsChanged();
}

void MemoryImage::DrawLineAA(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (FillAxisLine(*this, x1, y1, x2, y2, color, drawMode)) {
        return;
    }
    if (drawMode == 0) {
        NormalDrawLineAA(x1, y1, x2, y2, color);
    }
    BitsChanged();
}

void MemoryImage::NormalDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    uint32_t* bits = GetBits();
    const int a = color.mAlpha;
    const auto scale = [a](int c) {
        return a == 255 ? (c * 255 + 127) >> 8 : (((c * a + 128) >> 8) * 255 + 127) >> 8;
    };
    const uint32_t src = 0xFF000000 | uint32_t(scale(color.mRed)) << 16 | uint32_t(scale(color.mGreen)) << 8
        | uint32_t(scale(color.mBlue));

    if (a == 255) {
        WalkLine(bits, mWidth, x1, y1, x2, y2, true, [src](uint32_t* p) { *p = src; });
        return;
    }
    // The scaled source plus the weighted destination never passes 255 in
    // a channel, so the packed sums cannot carry.
    const uint32_t inv = uint32_t(256 - a);
    WalkLine(bits, mWidth, x1, y1, x2, y2, true, [src, inv](uint32_t* p) {
        const uint32_t d = *p;
        const uint32_t rb = (((d & 0xFF00FF) * inv + 0x7F007F) >> 8) & 0xFF00FF;
        const uint32_t g = (((d & 0xFF00) * inv + 0x7F00) >> 8) & 0xFF00;
        *p = src + rb + g;
    });
}

void MemoryImage::AdditiveDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    uint32_t* bits = GetBits();
    const int a = color.mAlpha;
    // Held to 0-255 so that a channel plus its term stays inside the table.
    const auto scale = [a](int c) { return std::clamp((c * a) / 255, 0, 255); };
    const int r = scale(color.mRed);
    const int g = scale(color.mGreen);
    const int b = scale(color.mBlue);
    const uint8_t* clamp = mApp != nullptr ? mApp->AddClampTable : kAddClamp.data();

    WalkLine(bits, mWidth, x1, y1, x2, y2, false, [=](uint32_t* p) {
        const uint32_t d = *p;
        *p = 0xFF000000 | uint32_t(clamp[((d >> 16) & 0xFF) + r]) << 16 | uint32_t(clamp[((d >> 8) & 0xFF) + g]) << 8
            | uint32_t(clamp[(d & 0xFF) + b]);
    });
}

void MemoryImage::NormalDrawLineAA(double x1, double y1, double x2, double y2, const Color& color)
{
    uint32_t* bits = GetBits();
    const uint32_t src = color.ToInt();
    // Held to 0-255 so that every effective alpha is too.
    const int alpha = std::clamp(color.mAlpha, 0, 255);
    const int width = mWidth;
    const int height = mHeight;
    WalkSmoothLine(x1, y1, x2, y2, [bits, width, height, src, alpha](int x, int y, uint32_t k) {
        if (unsigned(x) >= unsigned(width) || unsigned(y) >= unsigned(height)) {
            return;
        }
        uint32_t* p = bits + ptrdiff_t(y) * width + x;
        const uint32_t a = alpha == 255 ? k : (k * uint32_t(alpha + 1)) >> 8;
        *p = BlendOver(*p, src, a);
    });
    BitsChanged();
}

} // namespace Lumo
