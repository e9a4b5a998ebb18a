// Stretched and rotated software blits of the memory image: the nearest-sample
// stretch, the filtered two-pass stretch and the bilinear rotated blit (which
// also draws every float-positioned image). Pixel arithmetic is integer, so
// that every machine draws the same pixels: the SSE2 kernels compute exactly
// the words of the formulas written out beside them, and their few divisions
// go through single precision only where that is provably exact.
#include "framework/graphics/MemoryImage.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace Lumo {

namespace {

// Source pixels in either form: the ARGB bits, or palette indices through
// the colour table. Both give the same words.
struct ArgbPixels {
    const uint32_t* bits;

    uint32_t At(size_t i) const { return bits[i]; }
    // The reader moved on by n pixels.
    ArgbPixels Offset(size_t n) const { return ArgbPixels{bits + n}; }
    // Pixels i and i + 1 in the low half.
    __m128i Pair(size_t i) const { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bits + i)); }
    // Pixels i to i + 3.
    __m128i Quad(size_t i) const { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + i)); }
};

struct PalettePixels {
    const uint8_t* indices;
    const uint32_t* table;

    uint32_t At(size_t i) const { return table[indices[i]]; }
    PalettePixels Offset(size_t n) const { return PalettePixels{indices + n, table}; }
    __m128i Pair(size_t i) const
    {
        return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(table[indices[i]])),
                                  _mm_cvtsi32_si128(static_cast<int>(table[indices[i + 1]])));
    }
    __m128i Quad(size_t i) const
    {
        return _mm_setr_epi32(static_cast<int>(table[indices[i]]), static_cast<int>(table[indices[i + 1]]),
                              static_cast<int>(table[indices[i + 2]]), static_cast<int>(table[indices[i + 3]]));
    }
};

// Runs the body with the source's pixel reader; the palette form is read as
// it is, so drawing never changes the source's form.
template <typename Body>
void WithPixels(MemoryImage* source, Body&& body)
{
    if (source->mColorTable != nullptr && source->mColorIndices != nullptr) {
        body(PalettePixels{source->mColorIndices.get(), source->mColorTable.get()});
    } else {
        body(ArgbPixels{source->GetBits()});
    }
}

int ClampChannel(int value)
{
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

// The blend of the normal blit with white, for four pixels:
// A = d + ((255 - d) * a) / 255, w = (a * 255) / A,
// each channel (dest * (256 - w) + src * w) / 256, alpha A; a = 0 keeps dest.
__m128i BlendWhite4(__m128i src, __m128i dest)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i c255 = _mm_set1_epi32(255);
    const __m128i a = _mm_srli_epi32(src, 24);
    const __m128i d = _mm_srli_epi32(dest, 24);

    // Lanes hold 16-bit values with zero upper halves, so mullo_epi16 gives
    // the whole 32-bit product while it stays below 65536. x / 255 for x
    // below 65535 is (x + 1 + (x >> 8)) >> 8.
    const __m128i x = _mm_mullo_epi16(_mm_sub_epi32(c255, d), a);
    const __m128i q = _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(x, _mm_set1_epi32(1)), _mm_srli_epi32(x, 8)), 8);
    const __m128i alpha = _mm_add_epi32(d, q);

    // w equals a unless 0 < a < 255 and d < 255. The quotient of integers
    // below 2^24 is exact in single precision once truncated.
    __m128i w = a;
    const __m128i divide = _mm_and_si128(_mm_cmplt_epi32(d, c255),
                                         _mm_and_si128(_mm_cmpgt_epi32(a, zero), _mm_cmplt_epi32(a, c255)));
    if (_mm_movemask_epi8(divide) != 0) {
        const __m128 num = _mm_cvtepi32_ps(_mm_mullo_epi16(a, c255));
        const __m128 den = _mm_cvtepi32_ps(_mm_max_epi16(alpha, _mm_set1_epi32(1)));
        w = _mm_cvttps_epi32(_mm_div_ps(num, den));
    }

    const __m128i w16 = _mm_packs_epi32(w, w);
    const __m128i wPairs = _mm_unpacklo_epi16(w16, w16);
    const __m128i wLo = _mm_unpacklo_epi32(wPairs, wPairs);
    const __m128i wHi = _mm_unpackhi_epi32(wPairs, wPairs);
    // dest * (256 - w) + src * w = dest * 256 + (src - dest) * w: the sum
    // lies in 0-65280, so 16-bit lanes hold it exactly despite the signed term.
    const __m128i destLo = _mm_unpacklo_epi8(dest, zero);
    const __m128i destHi = _mm_unpackhi_epi8(dest, zero);
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_slli_epi16(destLo, 8), _mm_mullo_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(src, zero), destLo), wLo)), 8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_slli_epi16(destHi, 8), _mm_mullo_epi16(_mm_sub_epi16(_mm_unpackhi_epi8(src, zero), destHi), wHi)), 8);
    const __m128i rgb = _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0x00FFFFFF));
    const __m128i blended = _mm_or_si128(rgb, _mm_slli_epi32(alpha, 24));
    const __m128i keep = _mm_cmpeq_epi32(a, zero);
    return _mm_or_si128(_mm_and_si128(keep, dest), _mm_andnot_si128(keep, blended));
}

// The same blend for four opaque samples: A = 255 and w = 255, so each
// channel is (dest + src * 255) / 256 = src - (dest < src ? 1 : 0).
__m128i BlendWhiteOpaque4(__m128i src, __m128i dest)
{
    const __m128i srcNotAbove = _mm_cmpeq_epi8(_mm_subs_epu8(src, dest), _mm_setzero_si128());
    const __m128i lowered = _mm_sub_epi8(src, _mm_andnot_si128(srcNotAbove, _mm_set1_epi8(1)));
    return _mm_or_si128(lowered, _mm_set1_epi32(static_cast<int>(0xFF000000)));
}

// Cuts a destination rectangle to the image and moves the source rectangle
// with it. The callers clip already; this only keeps a wrong clip rectangle
// from writing outside the destination.
bool ClipToImage(int width, int height, TRect<int>& destRect, TRect<double>& srcRect)
{
    const TRect<int> cut = destRect.Intersection(TRect<int>(0, 0, width, height));
    if (cut.mWidth <= 0 || cut.mHeight <= 0) {
        return false;
    }
    if (cut != destRect) {
        const double sx = srcRect.mWidth / destRect.mWidth;
        const double sy = srcRect.mHeight / destRect.mHeight;
        srcRect.mX += (cut.mX - destRect.mX) * sx;
        srcRect.mY += (cut.mY - destRect.mY) * sy;
        srcRect.mWidth += (cut.mWidth - destRect.mWidth) * sx;
        srcRect.mHeight += (cut.mHeight - destRect.mHeight) * sy;
        destRect = cut;
    }
    return true;
}

// Source rectangles beyond any picture (or not numbers at all) draw nothing.
bool SaneSourceRect(const TRect<double>& r)
{
    constexpr double kLimit = 1073741824.0;
    return std::isfinite(r.mX) && std::isfinite(r.mY) && std::isfinite(r.mWidth) && std::isfinite(r.mHeight)
        && std::fabs(r.mX) < kLimit && std::fabs(r.mY) < kLimit && r.mWidth > 0.0 && r.mHeight > 0.0
        && r.mWidth < kLimit && r.mHeight < kLimit;
}

int TruncClamp(double value, int low, int high)
{
    const int i = static_cast<int>(value);
    return i < low ? low : (i > high ? high : i);
}

template <typename Pixels>
void FastStretchRows(const Pixels& src, int srcWidth, int srcHeight, uint32_t* destBits, int destPitch,
                     const TRect<int>& destRect, const TRect<double>& srcRect)
{
    const int width = destRect.mWidth;
    const double stepX = srcRect.mWidth / destRect.mWidth;
    const double stepY = srcRect.mHeight / destRect.mHeight;

    // Source columns, once per call: trunc(source x + i * stepX).
    int smallColumns[1024];
    std::unique_ptr<int[]> bigColumns;
    int* columns = smallColumns;
    if (width > 1024) {
        bigColumns.reset(new int[static_cast<size_t>(width)]);
        columns = bigColumns.get();
    }
    for (int i = 0; i < width; ++i) {
        columns[i] = TruncClamp(srcRect.mX + i * stepX, 0, srcWidth - 1);
    }

    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const __m128i zero = _mm_setzero_si128();
    for (int j = 0; j < destRect.mHeight; ++j) {
        const int row = TruncClamp(srcRect.mY + j * stepY, 0, srcHeight - 1);
        // A local reader of this row: the destination stores cannot touch it.
        const Pixels line = src.Offset(static_cast<size_t>(row) * static_cast<size_t>(srcWidth));
        uint32_t* dest = destBits + static_cast<size_t>(destRect.mY + j) * static_cast<size_t>(destPitch) + destRect.mX;
        int i = 0;
        for (; i + 4 <= width; i += 4) {
            const __m128i s = _mm_setr_epi32(static_cast<int>(line.At(columns[i])), static_cast<int>(line.At(columns[i + 1])),
                                             static_cast<int>(line.At(columns[i + 2])),
                                             static_cast<int>(line.At(columns[i + 3])));
            // Four transparent samples leave the destination as it is.
            const __m128i alpha = _mm_and_si128(s, alphaMask);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, zero)) == 0xFFFF) {
                continue;
            }
            __m128i* out = reinterpret_cast<__m128i*>(dest + i);
            const __m128i t = _mm_loadu_si128(out);
            const bool opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaMask)) == 0xFFFF;
            _mm_storeu_si128(out, opaque ? BlendWhiteOpaque4(s, t) : BlendWhite4(s, t));
        }
        if (i < width) {
            alignas(16) uint32_t s[4] = {0, 0, 0, 0};
            alignas(16) uint32_t t[4] = {0, 0, 0, 0};
            const int rest = width - i;
            for (int k = 0; k < rest; ++k) {
                s[k] = line.At(columns[i + k]);
                t[k] = dest[i + k];
            }
            const __m128i r = BlendWhite4(_mm_load_si128(reinterpret_cast<const __m128i*>(s)),
                                          _mm_load_si128(reinterpret_cast<const __m128i*>(t)));
            _mm_store_si128(reinterpret_cast<__m128i*>(t), r);
            std::memcpy(dest + i, t, static_cast<size_t>(rest) * sizeof(uint32_t));
        }
    }
}

// One accumulator of the filtered stretch: blue, green, red, alpha, each a
// channel times its weights (fixed point, 16 fraction bits at the end).
struct Accum {
    int32_t c[4];
};

void AddWeighted(Accum& acc, uint32_t pixel, int32_t weight)
{
    acc.c[0] += static_cast<int32_t>(pixel & 0xFF) * weight;
    acc.c[1] += static_cast<int32_t>((pixel >> 8) & 0xFF) * weight;
    acc.c[2] += static_cast<int32_t>((pixel >> 16) & 0xFF) * weight;
    acc.c[3] += static_cast<int32_t>(pixel >> 24) * weight;
}

// Horizontal pass of the filtered stretch: one accumulator row per source
// row, entries 1 to the destination width (entry 0 is a guard cell).
template <typename Pixels>
void StretchHorizontal(const Pixels& src, int srcWidth, const TRect<double>& srcRect, int destWidth, int sx0, int sw,
                       int sy0, int sh, Accum* first, size_t stride)
{
    if (srcRect.mWidth < destWidth) {
        double step = destWidth == 1 ? srcRect.mWidth / destWidth : (srcRect.mWidth - 1.0) / (destWidth - 1);
        // A source narrower than one pixel would step backwards and weigh
        // its neighbour negatively, overflowing the channels.
        if (step < 0.0) {
            step = 0.0;
        }
        std::unique_ptr<int[]> left(new int[static_cast<size_t>(destWidth) + 1]);
        std::unique_ptr<int[]> right(new int[static_cast<size_t>(destWidth) + 1]);
        std::unique_ptr<int32_t[]> weight(new int32_t[static_cast<size_t>(destWidth) + 1]);
        for (int i = 1; i <= destWidth; ++i) {
            const double pos = (i - 1) * step + srcRect.mX;
            const int ix = static_cast<int>(pos);
            weight[i] = static_cast<int32_t>((1.0 - (pos - ix)) * 257.0);
            // The right neighbour of a rectangle ending on a whole pixel is
            // read with weight 0; keeping it inside the row makes its value
            // (and the source's form) irrelevant.
            left[i] = std::clamp(ix, 0, srcWidth - 1);
            right[i] = std::min(left[i] + 1, srcWidth - 1);
        }
        for (int r = 0; r < sh; ++r) {
            const size_t rowStart = static_cast<size_t>(sy0 + r) * static_cast<size_t>(srcWidth);
            Accum* out = first + static_cast<size_t>(r) * stride;
            for (int i = 1; i <= destWidth; ++i) {
                AddWeighted(out[i], src.At(rowStart + left[i]), weight[i]);
                AddWeighted(out[i], src.At(rowStart + right[i]), 257 - weight[i]);
            }
        }
        return;
    }

    const double scale = destWidth / srcRect.mWidth;
    const double offset = (sx0 - srcRect.mX) * scale + 1.0;
    const int limit = static_cast<int>(stride) - 1;
    std::unique_ptr<int[]> target(new int[static_cast<size_t>(sw)]);
    std::unique_ptr<int32_t[]> weight0(new int32_t[static_cast<size_t>(sw)]);
    std::unique_ptr<int32_t[]> weight1(new int32_t[static_cast<size_t>(sw)]);
    for (int k = 0; k < sw; ++k) {
        const double a = k * scale + offset;
        const double b = a + scale;
        target[k] = 0;
        weight0[k] = 0;
        weight1[k] = 0;
        if (!(a >= 0.0 && b < limit)) {
            continue; // only a source rectangle outside the image gets here
        }
        const int ia = static_cast<int>(a);
        const int ib = static_cast<int>(b);
        target[k] = ia;
        if (ia == ib) {
            weight0[k] = static_cast<int32_t>(scale * 257.0);
        } else {
            weight0[k] = static_cast<int32_t>((ib - a) * 257.0);
            weight1[k] = static_cast<int32_t>((b - ib) * 257.0);
        }
    }
    for (int r = 0; r < sh; ++r) {
        const size_t rowStart = static_cast<size_t>(sy0 + r) * static_cast<size_t>(srcWidth) + static_cast<size_t>(sx0);
        Accum* out = first + static_cast<size_t>(r) * stride;
        for (int k = 0; k < sw; ++k) {
            const uint32_t p = src.At(rowStart + static_cast<size_t>(k));
            AddWeighted(out[target[k]], p, weight0[k]);
            AddWeighted(out[target[k] + 1], p, weight1[k]);
        }
    }
}

void AddRow(Accum* out, const Accum* in, int32_t weight, int count)
{
    for (int e = 1; e <= count; ++e) {
        for (int ch = 0; ch < 4; ++ch) {
            out[e].c[ch] += in[e].c[ch] * weight;
        }
    }
}

// Vertical pass: second-array row k + 1 holds destination row k.
void StretchVertical(const TRect<double>& srcRect, int destWidth, int destHeight, int sy0, int sh, const Accum* first,
                     Accum* second, size_t stride)
{
    if (srcRect.mHeight < destHeight) {
        double step = destHeight == 1 ? srcRect.mHeight / destHeight : (srcRect.mHeight - 1.0) / (destHeight - 1);
        if (step < 0.0) {
            step = 0.0;
        }
        const double start = srcRect.mY - std::trunc(srcRect.mY);
        for (int k = 1; k <= destHeight; ++k) {
            const double pos = (k - 1) * step + start;
            const int iy = static_cast<int>(pos);
            const int32_t f = static_cast<int32_t>((1.0 - (pos - iy)) * 256.0);
            // The last row stands in for its own lower neighbour.
            const int upper = std::clamp(iy, 0, sh - 1);
            const int lower = std::min(upper + 1, sh - 1);
            Accum* out = second + static_cast<size_t>(k) * stride;
            AddRow(out, first + static_cast<size_t>(upper) * stride, f, destWidth);
            AddRow(out, first + static_cast<size_t>(lower) * stride, 256 - f, destWidth);
        }
        return;
    }

    const double scale = destHeight / srcRect.mHeight;
    const double limit = destHeight + 3;
    for (int j = 0; j < sh; ++j) {
        const double a = j * scale + (sy0 - srcRect.mY) * scale + 1.0;
        const double b = a + scale;
        if (!(a >= 0.0 && b < limit)) {
            continue;
        }
        const int ia = static_cast<int>(std::floor(a));
        const int ib = static_cast<int>(std::floor(b));
        const Accum* in = first + static_cast<size_t>(j) * stride;
        if (ia == ib) {
            AddRow(second + static_cast<size_t>(ia) * stride, in, static_cast<int32_t>(scale * 256.0), destWidth);
        } else {
            AddRow(second + static_cast<size_t>(ia) * stride, in, static_cast<int32_t>((ib - a) * 256.0), destWidth);
            AddRow(second + static_cast<size_t>(ia + 1) * stride, in, static_cast<int32_t>((b - ib) * 256.0), destWidth);
        }
    }
}

// ---------------------------------------------------------------------------
// Rotated blit.

enum RotateMode { kNormalWhite, kNormalColor, kAddWhite, kAddColor };

struct RotateColor {
    __m128i alpha16;    // colour alpha in every lane (normal mode, colour)
    __m128i channels16; // per channel: colour + 1 (normal) or (colour * alpha) / 255 (additive)
};

// D = 256 - ((256 - d) * (256 - S)) / 256,
// each channel (((dest * d) / 256) * (256 - S) + P * 256) / D, alpha D - 1.
uint32_t BlendPartial(__m128i p16, int coverage, uint32_t dest)
{
    const int d = static_cast<int>(dest >> 24);
    const int denom = 256 - ((256 - d) * (256 - coverage)) / 256;
    const __m128i zero = _mm_setzero_si128();
    const __m128i dest16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(dest)), zero);
    const __m128i kept = _mm_srli_epi16(_mm_mullo_epi16(dest16, _mm_set1_epi16(static_cast<short>(d))), 8);
    // Pairs (kept, P) times (256 - S, 256), summed in 32 bits.
    const __m128i num = _mm_madd_epi16(_mm_unpacklo_epi16(kept, p16), _mm_set1_epi32((256 << 16) | (256 - coverage)));
    // Quotients of integers below 2^24 are exact in single precision once truncated.
    const __m128i q = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(num), _mm_set1_ps(static_cast<float>(denom))));
    const __m128i q8 = _mm_packus_epi16(_mm_packs_epi32(q, q), zero);
    return (static_cast<uint32_t>(_mm_cvtsi128_si32(q8)) & 0x00FFFFFF) | static_cast<uint32_t>(denom - 1) << 24;
}

// Writes two samples (the second only when pair is set) from their channel
// sums of p * w (lanes 0-3 and 4-7, blue to alpha) and coverages S.
template <RotateMode kMode>
void FinishPair(__m128i sum, int s0, int s1, bool pair, uint32_t* out, const RotateColor& color)
{
    if constexpr (kMode == kNormalWhite || kMode == kNormalColor) {
        __m128i p = _mm_srli_epi16(sum, 8);
        if constexpr (kMode == kNormalColor) {
            p = _mm_srli_epi16(_mm_mullo_epi16(p, color.channels16), 8);
        }
        const __m128i opaque = _mm_or_si128(_mm_packus_epi16(p, p), _mm_set1_epi32(static_cast<int>(0xFF000000)));
        if (s0 >= 251 && s1 >= 251 && pair) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), opaque);
            return;
        }
        if (s0 >= 251) {
            out[0] = static_cast<uint32_t>(_mm_cvtsi128_si32(opaque));
        } else if (s0 > 0) {
            out[0] = BlendPartial(p, s0, out[0]);
        }
        if (!pair) {
            return;
        }
        if (s1 >= 251) {
            out[1] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(opaque, 4)));
        } else if (s1 > 0) {
            out[1] = BlendPartial(_mm_srli_si128(p, 8), s1, out[1]);
        }
    } else {
        // Additive: each channel min(dest + P, 255), which is what the
        // application's clamp table holds; the alpha stays.
        const __m128i p = kMode == kAddWhite
            ? _mm_and_si128(_mm_srli_epi16(sum, 8), _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1))
            : _mm_mulhi_epu16(sum, color.channels16);
        const __m128i add8 = _mm_packus_epi16(p, p);
        if (s0 > 0) {
            const __m128i t = _mm_cvtsi32_si128(static_cast<int>(out[0]));
            out[0] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_adds_epu8(t, add8)));
        }
        if (pair && s1 > 0) {
            const __m128i t = _mm_cvtsi32_si128(static_cast<int>(out[1]));
            out[1] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_adds_epu8(t, _mm_srli_si128(add8, 4))));
        }
    }
}

// Draws count pixels of one destination row; sample n sits at (u + n * du,
// v + n * dv) in 16.16 source coordinates, every 2 x 2 neighbourhood inside
// the source area (the span has been narrowed).
template <RotateMode kMode, typename Pixels>
void RotatedSpan(const Pixels& src, size_t pitch, uint32_t* dest, int count, uint32_t u, uint32_t v, uint32_t du,
                 uint32_t dv, const RotateColor& color)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i fracMask = _mm_set1_epi32(0xFFFE);
    const __m128i one32 = _mm_set1_epi32(1);
    const __m128i full = _mm_set1_epi32(65536);
    const __m128i ones16 = _mm_set1_epi16(1);

    for (int n = 0; n < count; n += 2) {
        const bool pair = n + 1 < count;
        const int32_t u0 = static_cast<int32_t>(u);
        const int32_t v0 = static_cast<int32_t>(v);
        const int32_t u1 = pair ? static_cast<int32_t>(u + du) : u0;
        const int32_t v1 = pair ? static_cast<int32_t>(v + dv) : v0;
        u += 2 * du;
        v += 2 * dv;

        const size_t o0 = static_cast<size_t>(v0 >> 16) * pitch + static_cast<size_t>(u0 >> 16);
        const size_t o1 = static_cast<size_t>(v1 >> 16) * pitch + static_cast<size_t>(u1 >> 16);
        // p00 p10 p01 p11 of each sample.
        const __m128i n0 = _mm_unpacklo_epi64(src.Pair(o0), src.Pair(o0 + pitch));
        const __m128i n1 = _mm_unpacklo_epi64(src.Pair(o1), src.Pair(o1 + pitch));

        // fu = (u & 0xFFFE) + 1 and 65536 - fu, likewise for v; all fit 16 bits.
        const __m128i f = _mm_add_epi32(_mm_and_si128(_mm_setr_epi32(u0, v0, u1, v1), fracMask), one32);
        const __m128i g = _mm_sub_epi32(full, f);
        const __m128i lo = _mm_unpacklo_epi32(g, f); // 65536-fu0, fu0, 65536-fv0, fv0
        const __m128i hi = _mm_unpackhi_epi32(g, f);
        const __m128i a0 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo, _MM_SHUFFLE(2, 0, 2, 0)), _MM_SHUFFLE(2, 2, 0, 0));
        const __m128i a1 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi, _MM_SHUFFLE(2, 0, 2, 0)), _MM_SHUFFLE(2, 2, 0, 0));
        // Bilinear weights of p00, p10, p01, p11 for both samples, then
        // times each neighbour's alpha: w = ((x * y) >> 16) * a >> 16.
        const __m128i bilinear = _mm_mulhi_epu16(_mm_unpacklo_epi64(a0, a1), _mm_unpackhi_epi64(a0, a1));
        const __m128i alphas = _mm_packs_epi32(_mm_srli_epi32(n0, 24), _mm_srli_epi32(n1, 24));
        __m128i w = _mm_mulhi_epu16(bilinear, alphas);
        if constexpr (kMode == kNormalColor) {
            w = _mm_srli_epi16(_mm_mullo_epi16(w, color.alpha16), 8);
        }
        const __m128i halves = _mm_madd_epi16(w, ones16);
        const __m128i sums = _mm_add_epi32(halves, _mm_shuffle_epi32(halves, _MM_SHUFFLE(2, 3, 0, 1)));
        const int s0 = _mm_cvtsi128_si32(sums);
        const int s1 = pair ? _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)) : 0;
        if (s0 == 0 && s1 == 0) {
            continue;
        }

        // Sum of p * w per channel; below 65536 since the weights sum to at most 255.
        const __m128i w0 = _mm_unpacklo_epi16(w, w);
        const __m128i w1 = _mm_unpackhi_epi16(w, w);
        const __m128i t0 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(n0, zero), _mm_unpacklo_epi32(w0, w0)),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(n0, zero), _mm_unpackhi_epi32(w0, w0)));
        const __m128i t1 = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(n1, zero), _mm_unpacklo_epi32(w1, w1)),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(n1, zero), _mm_unpackhi_epi32(w1, w1)));
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1));
        FinishPair<kMode>(sum, s0, s1, pair, dest + n, color);
    }
}

// The row of an unrotated blit (BltF): samples one source pixel apart on
// one source row, so the bilinear fractions, and the weights before alpha,
// are the same for the whole row, and the neighbours are read four at a
// time. Draws the largest multiple of four samples and returns how many.
template <RotateMode kMode, typename Pixels>
int TranslatedSpan(const Pixels& src, size_t pitch, uint32_t* dest, int count, uint32_t u, uint32_t v,
                   const RotateColor& color)
{
    const int32_t fu = static_cast<int32_t>(u & 0xFFFE) + 1;
    const int32_t fv = static_cast<int32_t>(v & 0xFFFE) + 1;
    const short b00 = static_cast<short>(((65536 - fu) * static_cast<uint32_t>(65536 - fv)) >> 16);
    const short b10 = static_cast<short>(((65536 - fv) * static_cast<uint32_t>(fu)) >> 16);
    const short b01 = static_cast<short>(((65536 - fu) * static_cast<uint32_t>(fv)) >> 16);
    const short b11 = static_cast<short>((static_cast<uint32_t>(fu) * static_cast<uint32_t>(fv)) >> 16);
    const __m128i top = _mm_setr_epi16(b00, b00, b00, b00, b10, b10, b10, b10);
    const __m128i bottom = _mm_setr_epi16(b01, b01, b01, b01, b11, b11, b11, b11);
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaqueAlpha = _mm_set1_epi32(static_cast<int>(0xFF000000));

    const size_t start = static_cast<size_t>(static_cast<int32_t>(v) >> 16) * pitch
        + static_cast<size_t>(static_cast<int32_t>(u) >> 16);
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        const size_t o = start + static_cast<size_t>(n);
        const __m128i p00 = src.Quad(o);
        const __m128i p10 = src.Quad(o + 1);
        const __m128i p01 = src.Quad(o + pitch);
        const __m128i p11 = src.Quad(o + pitch + 1);
        // w00 and w10 of the four samples, then w01 and w11.
        __m128i wTop = _mm_mulhi_epu16(top, _mm_packs_epi32(_mm_srli_epi32(p00, 24), _mm_srli_epi32(p10, 24)));
        __m128i wBottom = _mm_mulhi_epu16(bottom, _mm_packs_epi32(_mm_srli_epi32(p01, 24), _mm_srli_epi32(p11, 24)));
        if constexpr (kMode == kNormalColor) {
            wTop = _mm_srli_epi16(_mm_mullo_epi16(wTop, color.alpha16), 8);
            wBottom = _mm_srli_epi16(_mm_mullo_epi16(wBottom, color.alpha16), 8);
        }
        const __m128i columns = _mm_add_epi16(wTop, wBottom);
        const __m128i coverage = _mm_add_epi16(columns, _mm_srli_si128(columns, 8)); // S in lanes 0-3
        if ((_mm_movemask_epi8(_mm_cmpeq_epi16(coverage, zero)) & 0xFF) == 0xFF) {
            continue;
        }

        // Each weight repeated over the four channels of its sample.
        const __m128i x00 = _mm_unpacklo_epi16(wTop, wTop);
        const __m128i x10 = _mm_unpackhi_epi16(wTop, wTop);
        const __m128i x01 = _mm_unpacklo_epi16(wBottom, wBottom);
        const __m128i x11 = _mm_unpackhi_epi16(wBottom, wBottom);
        const __m128i sumFirst = _mm_add_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(p00, zero), _mm_unpacklo_epi32(x00, x00)),
                          _mm_mullo_epi16(_mm_unpacklo_epi8(p10, zero), _mm_unpacklo_epi32(x10, x10))),
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(p01, zero), _mm_unpacklo_epi32(x01, x01)),
                          _mm_mullo_epi16(_mm_unpacklo_epi8(p11, zero), _mm_unpacklo_epi32(x11, x11))));
        const __m128i sumSecond = _mm_add_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(p00, zero), _mm_unpackhi_epi32(x00, x00)),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(p10, zero), _mm_unpackhi_epi32(x10, x10))),
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(p01, zero), _mm_unpackhi_epi32(x01, x01)),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(p11, zero), _mm_unpackhi_epi32(x11, x11))));

        uint32_t* out = dest + n;
        if constexpr (kMode == kNormalWhite) {
            // All four covered: P with alpha 255, stored at once.
            if ((_mm_movemask_epi8(_mm_cmpgt_epi16(coverage, _mm_set1_epi16(250))) & 0xFF) == 0xFF) {
                const __m128i p = _mm_packus_epi16(_mm_srli_epi16(sumFirst, 8), _mm_srli_epi16(sumSecond, 8));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(p, opaqueAlpha));
                continue;
            }
        }
        alignas(16) int16_t s[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(s), coverage);
        FinishPair<kMode>(sumFirst, s[0], s[1], true, out, color);
        FinishPair<kMode>(sumSecond, s[2], s[3], true, out + 2, color);
    }
    return n;
}

// A float in 16.16 as a 64-bit int; false for positions so far off (or not
// numbers) that no sample of the row can reach the source.
bool ToFixed(float value, int64_t& fixed)
{
    constexpr float kLimit = 4503599627370496.0f; // 2^52
    if (!(std::fabs(value) < kLimit)) {
        return false;
    }
    fixed = static_cast<int64_t>(value);
    return true;
}

// Narrows the offsets [lo, hi] so that each sample's 2 x 2 neighbourhood
// lies inside a source extent of the given size; false when the row is out.
bool NarrowSpan(int64_t start, int64_t step, int64_t size, bool vertical, int64_t& lo, int64_t& hi)
{
    if (step >= 1) {
        if ((start >> 16) >= size - 1) {
            return false;
        }
        lo = std::max(lo, (65536 - start) / step);
        hi = std::min(hi, (size * 65536 - start - 98303) / step);
    } else if (step <= -1) {
        if ((start >> 16) < 0) {
            return false;
        }
        lo = std::max(lo, (size * 65536 - start - 163839) / step);
        hi = std::min(hi, vertical ? -(start / step) : (32767 - start) / step);
    } else if (start < 0 || start >= (size - 1) * 65536) {
        return false;
    }
    return true;
}

struct RotateArea {
    int x0;          // first destination column
    int y0;          // first destination row
    double rows;     // rows are drawn while their count is below this
    int64_t lastCol; // offset of the last column
    float dx;        // x0 - centre x - x
    float centerX;
    float centerY;
    float y;         // destination y of the rectangle
    float c;
    float s;
    int32_t du;
    int32_t dv;
    int64_t left;    // source area inside the picture, relative to the rectangle
    int64_t top;
    int64_t width;
    int64_t height;
};

// Every row of the rotated area; src addresses the top-left pixel of the
// source area, pitch is the source image's width.
template <RotateMode kMode, typename Pixels>
void RotatedRowsAt(const Pixels& src, size_t pitch, uint32_t* destBits, int destPitch, const RotateArea& area,
                   const RotateColor& color)
{
    for (int r = 0; r < area.rows; ++r) {
        const int row = area.y0 + r;
        const float dy = static_cast<float>(row) - area.centerY - area.y;
        int64_t u = 0;
        int64_t v = 0;
        if (!ToFixed((area.c * area.dx - area.s * dy + area.centerX) * 65536.0f, u)
            || !ToFixed((area.s * area.dx + area.c * dy + area.centerY) * 65536.0f, v)) {
            continue;
        }
        u -= area.left * 65536;
        v -= area.top * 65536;
        int64_t lo = 0;
        int64_t hi = area.lastCol;
        if (!NarrowSpan(u, area.du, area.width, false, lo, hi) || !NarrowSpan(v, area.dv, area.height, true, lo, hi)
            || lo > hi) {
            continue;
        }
        uint32_t* dest = destBits + static_cast<size_t>(row) * static_cast<size_t>(destPitch) + area.x0 + lo;
        const int count = static_cast<int>(hi - lo + 1);
        uint32_t uStart = static_cast<uint32_t>(u + lo * area.du);
        const uint32_t vStart = static_cast<uint32_t>(v + lo * area.dv);
        int done = 0;
        if (area.du == 65536 && area.dv == 0) {
            done = TranslatedSpan<kMode>(src, pitch, dest, count, uStart, vStart, color);
            uStart += static_cast<uint32_t>(done) * 65536u;
        }
        RotatedSpan<kMode>(src, pitch, dest + done, count - done, uStart, vStart, static_cast<uint32_t>(area.du),
                           static_cast<uint32_t>(area.dv), color);
    }
}

} // namespace

void MemoryImage::StretchBlt(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect,
                             const TRect<int>& clipRect, const Color& color, int drawMode, bool fastStretch)
{
    image->mDrawn = true;
    TRect<double> clippedSrc;
    TRect<int> clippedDest;
    const TRect<int> clip = clipRect.Intersection(TRect<int>(0, 0, mWidth, mHeight));
    if (!ClipStretchRects(srcRect, clip, destRect, clippedSrc, clippedDest)) {
        return;
    }
    if (fastStretch) {
        FastStretchBltImpl(image, clippedDest, clippedSrc, color, drawMode);
    } else {
        StretchBltImpl(image, clippedDest, clippedSrc, color, drawMode);
    }
}

void MemoryImage::FastStretchBltImpl(Image* image, const TRect<int>& destRect, const TRect<double>& srcRect,
                                     const Color& color, int /*drawMode*/)
{
    image->mDrawn = true;
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr) {
        BitsChanged();
        return;
    }
    TRect<int> dest = destRect;
    TRect<double> src = srcRect;
    // Only white is drawn; a colourised nearest-sample stretch has no path.
    if (color == Color::White && source->mWidth > 0 && source->mHeight > 0 && SaneSourceRect(src)
        && ClipToImage(mWidth, mHeight, dest, src)) {
        uint32_t* destBits = GetBits();
        const int srcWidth = source->mWidth;
        const int srcHeight = source->mHeight;
        WithPixels(source, [&](const auto& pixels) {
            FastStretchRows(pixels, srcWidth, srcHeight, destBits, mWidth, dest, src);
        });
    }
    BitsChanged();
}

void MemoryImage::StretchBltImpl(Image* image, const TRect<int>& destRect, const TRect<double>& srcRect,
                                 const Color& /*color*/, int /*drawMode*/)
{
    image->mDrawn = true;
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr) {
        return;
    }
    TRect<int> dest = destRect;
    TRect<double> src = srcRect;
    if (!SaneSourceRect(src) || !ClipToImage(mWidth, mHeight, dest, src)) {
        return;
    }

    // The source window the resampling reads.
    int sx0 = static_cast<int>(std::floor(src.mX));
    int sy0 = static_cast<int>(std::floor(src.mY));
    int sw = static_cast<int>(std::ceil(src.mX - sx0 + src.mWidth));
    int sh = static_cast<int>(std::ceil(src.mY - sy0 + src.mHeight));
    sx0 = std::max(sx0, 0);
    sy0 = std::max(sy0, 0);
    sw = std::min(sw, source->mWidth - sx0);
    sh = std::min(sh, source->mHeight - sy0);
    if (sw < 1 || sh < 1) {
        return;
    }

    const int dw = dest.mWidth;
    const int dh = dest.mHeight;
    uint32_t* destBits = GetBits();
    const size_t stride = static_cast<size_t>(dw) + 4;
    std::unique_ptr<Accum[]> first(new Accum[stride * static_cast<size_t>(sh)]());
    std::unique_ptr<Accum[]> second(new Accum[stride * (static_cast<size_t>(dh) + 4)]());

    const int srcWidth = source->mWidth;
    WithPixels(source, [&](const auto& pixels) {
        StretchHorizontal(pixels, srcWidth, src, dw, sx0, sw, sy0, sh, first.get(), stride);
    });
    StretchVertical(src, dw, dh, sy0, sh, first.get(), second.get(), stride);

    for (int r = 0; r < dh; ++r) {
        const Accum* in = second.get() + static_cast<size_t>(r + 1) * stride + 1;
        uint32_t* out = destBits + static_cast<size_t>(dest.mY + r) * static_cast<size_t>(mWidth) + dest.mX;
        for (int c = 0; c < dw; ++c) {
            const int32_t alpha = in[c].c[3] >> 16;
            if (alpha <= 0) {
                continue;
            }
            const uint32_t destPixel = out[c];
            const int32_t d = static_cast<int32_t>(destPixel >> 24);
            uint32_t pixel = static_cast<uint32_t>(d + ((255 - d) * alpha) / 255) << 24;
            for (int ch = 0; ch < 3; ++ch) {
                const int32_t value = in[c].c[ch] >> 16;
                const int32_t old = static_cast<int32_t>((destPixel >> (8 * ch)) & 0xFF);
                const int32_t mixed = ((value * alpha) >> 8) + ((old * (256 - alpha)) >> 8);
                pixel |= static_cast<uint32_t>(mixed & 0xFF) << (8 * ch);
            }
            out[c] = pixel;
        }
    }
    BitsChanged();
}

void MemoryImage::BltRotated(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                             const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    image->mDrawn = true;
    const TRect<int> clip = clipRect.Intersection(TRect<int>(0, 0, mWidth, mHeight));
    TRect<double> bounds;
    if (!GetRotatedBounds(x, y, srcRect, clip, angle, bounds, centerX, centerY)) {
        return;
    }
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr) {
        return;
    }
    uint32_t* destBits = GetBits();

    RotateArea area;
    area.c = static_cast<float>(std::cos(angle));
    area.s = static_cast<float>(std::sin(angle));
    area.du = static_cast<int32_t>(area.c * 65536.0f);
    area.dv = static_cast<int32_t>(area.s * 65536.0f);
    area.x0 = static_cast<int>(bounds.mX);
    area.y0 = static_cast<int>(bounds.mY);
    area.rows = bounds.mHeight;
    area.lastCol = static_cast<int64_t>(bounds.mWidth - 1.0);
    area.dx = static_cast<float>(area.x0) - centerX - x;
    area.centerX = centerX;
    area.centerY = centerY;
    area.y = y;

    // Samples stay inside the part of the rectangle that lies in the picture,
    // and within the reach of 16.16 positions.
    constexpr int64_t kReach = 32767;
    area.left = std::max<int64_t>(0, -int64_t(srcRect.mX));
    area.top = std::max<int64_t>(0, -int64_t(srcRect.mY));
    const int64_t right = std::min<int64_t>(srcRect.mWidth, int64_t(source->mWidth) - srcRect.mX);
    const int64_t bottom = std::min<int64_t>(srcRect.mHeight, int64_t(source->mHeight) - srcRect.mY);
    area.width = std::min(right - area.left, kReach);
    area.height = std::min(bottom - area.top, kReach);

    if (area.width >= 1 && area.height >= 1) {
        const bool white = color == Color::White;
        const int cr = ClampChannel(color.mRed);
        const int cg = ClampChannel(color.mGreen);
        const int cb = ClampChannel(color.mBlue);
        const int ca = ClampChannel(color.mAlpha);
        RotateColor terms;
        terms.alpha16 = _mm_set1_epi16(static_cast<short>(ca));
        if (drawMode == 0) {
            terms.channels16 = _mm_setr_epi16(short(cb + 1), short(cg + 1), short(cr + 1), 0, short(cb + 1),
                                              short(cg + 1), short(cr + 1), 0);
        } else {
            const short b = short(cb * ca / 255);
            const short g = short(cg * ca / 255);
            const short r = short(cr * ca / 255);
            terms.channels16 = _mm_setr_epi16(b, g, r, 0, b, g, r, 0);
        }

        const size_t pitch = static_cast<size_t>(source->mWidth);
        const size_t origin = static_cast<size_t>(srcRect.mY + area.top) * pitch + static_cast<size_t>(srcRect.mX + area.left);
        const int destPitch = mWidth;
        WithPixels(source, [&](const auto& pixels) {
            const auto view = pixels.Offset(origin);
            if (drawMode == 0) {
                if (white) {
                    RotatedRowsAt<kNormalWhite>(view, pitch, destBits, destPitch, area, terms);
                } else {
                    RotatedRowsAt<kNormalColor>(view, pitch, destBits, destPitch, area, terms);
                }
            } else if (white) {
                RotatedRowsAt<kAddWhite>(view, pitch, destBits, destPitch, area, terms);
            } else {
                RotatedRowsAt<kAddColor>(view, pitch, destBits, destPitch, area, terms);
            }
        });
    }
    BitsChanged();
}

} // namespace Lumo
