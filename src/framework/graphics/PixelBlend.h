// Row kernels of the software blits and fills on 0xAARRGGBB words: the
// run-length blend onto an opaque destination, the alpha-correct blend (white
// or tinted), the saturating add and the over blend of one colour. Each has
// an SSE2 body for blocks of four pixels and a scalar tail; both give the
// same words for every input.
#pragma once

#include <emmintrin.h>

#include <cstdint>

// The kernels are small enough, and called per block of four pixels, so a
// call must never stand between them and their loop.
#define LUMO_BLEND_INLINE inline __attribute__((always_inline))

namespace Lumo::PixelBlend {

// Colour multipliers of a tinted blit, each 0-255.
struct Tint {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
    uint32_t alpha;
};

constexpr uint32_t kRgbMask = 0x00FFFFFF;

// ---- Scalar kernels: the formulas themselves, used for row tails. ----

// Source pixel with its own alpha a over an opaque destination:
// out = (dest * (256 - a)) / 256 + (src * a) / 256 per channel, alpha 255.
LUMO_BLEND_INLINE uint32_t BlendOnOpaque(uint32_t dst, uint32_t src)
{
    const uint32_t a = src >> 24;
    const uint32_t ia = 256 - a;
    const uint32_t rb =
        ((((dst & 0x00FF00FF) * ia) >> 8) & 0x00FF00FF) + ((((src & 0x00FF00FF) * a) >> 8) & 0x00FF00FF);
    const uint32_t g =
        ((((dst & 0x0000FF00) * ia) >> 8) & 0x0000FF00) + ((((src & 0x0000FF00) * a) >> 8) & 0x0000FF00);
    return 0xFF000000 | rb | g;
}

// The colour channels of src with alpha a (1-255) over any destination:
// A = d + ((255 - d) * a) / 255, w = (a * 255) / A,
// out = (dest * (256 - w) + src * w) / 256 per channel, alpha A.
LUMO_BLEND_INLINE uint32_t BlendOver(uint32_t dst, uint32_t src, uint32_t a)
{
    const uint32_t d = dst >> 24;
    const uint32_t newAlpha = d + ((255 - d) * a) / 255;
    const uint32_t w = (a * 255) / newAlpha;
    const uint32_t iw = 256 - w;
    const uint32_t rb = (((dst & 0x00FF00FF) * iw + (src & 0x00FF00FF) * w) >> 8) & 0x00FF00FF;
    const uint32_t g = (((dst & 0x0000FF00) * iw + (src & 0x0000FF00) * w) >> 8) & 0x0000FF00;
    return newAlpha << 24 | rb | g;
}

// Each colour channel of src times its multiplier, / 256; alpha bits 0.
LUMO_BLEND_INLINE uint32_t Modulate(uint32_t src, const Tint& tint)
{
    const uint32_t r = (((src >> 16) & 0xFF) * tint.red) >> 8;
    const uint32_t g = (((src >> 8) & 0xFF) * tint.green) >> 8;
    const uint32_t b = ((src & 0xFF) * tint.blue) >> 8;
    return r << 16 | g << 8 | b;
}

// Each colour channel min(dest + term, 255); the destination alpha stays.
LUMO_BLEND_INLINE uint32_t AddSaturate(uint32_t dst, uint32_t term)
{
    uint32_t out = dst & 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sum = ((dst >> shift) & 0xFF) + ((term >> shift) & 0xFF);
        out |= (sum < 255 ? sum : 255) << shift;
    }
    return out;
}

// ---- SSE2 building blocks: four pixels, one per 32-bit lane. ----
//
// The arithmetic runs on the packed words: the 16-bit lanes of (word &
// 0x00FF00FF) hold blue and red, those of (word >> 8 per 16-bit lane) green
// and alpha, so one 16-bit multiply serves two channels and no product of two
// bytes (at most 255 * 256 with the weights here) leaves its lane.

namespace Simd {

LUMO_BLEND_INLINE __m128i Load(const uint32_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

LUMO_BLEND_INLINE void Store(uint32_t* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

LUMO_BLEND_INLINE bool AllSet(__m128i mask)
{
    return _mm_movemask_epi8(mask) == 0xFFFF;
}

LUMO_BLEND_INLINE __m128i Words(uint32_t v)
{
    return _mm_set1_epi32(static_cast<int>(v));
}

// x / 255 in each 16-bit lane, exact for 0 <= x <= 65025 (every product of
// two bytes): (x * 0x8081) >> 23. The blit tests check all of them.
LUMO_BLEND_INLINE __m128i Div255(__m128i x)
{
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

// A value held in each 32-bit lane (below 2^16) copied into both its halves.
LUMO_BLEND_INLINE __m128i BothHalves(__m128i v)
{
    return _mm_or_si128(v, _mm_slli_epi32(v, 16));
}

// Green and alpha of each word in the low bytes of its two 16-bit lanes.
LUMO_BLEND_INLINE __m128i GreenAlpha(__m128i p)
{
    return _mm_srli_epi16(p, 8);
}

LUMO_BLEND_INLINE __m128i BlueRed(__m128i p)
{
    return _mm_and_si128(p, Words(0x00FF00FF));
}

// The alpha byte of each word in both halves of its lane.
LUMO_BLEND_INLINE __m128i AlphaHalves(__m128i p)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(GreenAlpha(p), 0xF5), 0xF5);
}

// Colour channels split over two words per pixel: blue and red in the low
// bytes of the 16-bit lanes of one, green (and alpha, or 0) in the other.
struct Split {
    __m128i blueRed;
    __m128i greenAlpha;
};

LUMO_BLEND_INLINE Split SplitOf(__m128i p)
{
    return Split{BlueRed(p), GreenAlpha(p)};
}

// The packed colour channels of a split pixel (its alpha byte is whatever
// the green word held there).
LUMO_BLEND_INLINE __m128i Packed(const Split& p)
{
    return _mm_or_si128(p.blueRed, _mm_slli_epi16(p.greenAlpha, 8));
}

// Multipliers of Modulate4: (blue, red) and (green, 0) lane pairs.
struct TintLanes {
    __m128i blueRed;
    __m128i green;
};

LUMO_BLEND_INLINE TintLanes MakeTintLanes(const Tint& tint)
{
    return TintLanes{Words(tint.red << 16 | tint.blue), Words(tint.green)};
}

// Modulate on four words, split; the green word's alpha lanes are 0.
LUMO_BLEND_INLINE Split Modulate4(__m128i s, const TintLanes& t)
{
    return Split{_mm_srli_epi16(_mm_mullo_epi16(BlueRed(s), t.blueRed), 8),
                 _mm_srli_epi16(_mm_mullo_epi16(GreenAlpha(s), t.green), 8)};
}

// Colour channels of (src * w + dest * (256 - w)) / 256 with w (0-256) in
// each lane; alpha bits 0. Written as (dest * 256 + (src - dest) * w) / 256:
// the sum lies in 0-65280, so computing it modulo 2^16 in 16-bit lanes (a
// negative product wraps) still gives it exactly, with one multiply per two
// channels.
LUMO_BLEND_INLINE __m128i Weighted4(__m128i d, const Split& s, __m128i w)
{
    const __m128i w16 = BothHalves(w);
    const __m128i rb = _mm_srli_epi16(
        _mm_add_epi16(_mm_slli_epi16(d, 8), _mm_mullo_epi16(_mm_sub_epi16(s.blueRed, BlueRed(d)), w16)), 8);
    const __m128i g = _mm_add_epi16(_mm_and_si128(d, Words(0xFF00FF00)),
                                    _mm_mullo_epi16(_mm_sub_epi16(s.greenAlpha, GreenAlpha(d)), w16));
    return _mm_or_si128(rb, _mm_and_si128(g, Words(0x0000FF00)));
}

// Colour channels of Weighted4 with w = 255: (src * 255 + dest) / 256 is
// src - ceil((src - dest) / 256), that is src - 1 where src > dest, else
// src. Alpha bits 0.
LUMO_BLEND_INLINE __m128i FullWeight4(__m128i d, __m128i s)
{
    const __m128i notAbove = _mm_cmpeq_epi8(_mm_subs_epu8(s, d), _mm_setzero_si128());
    const __m128i out = _mm_sub_epi8(_mm_add_epi8(s, _mm_set1_epi8(-1)), notAbove);
    return _mm_and_si128(out, Words(kRgbMask));
}

// Four words of BlendOnOpaque.
LUMO_BLEND_INLINE __m128i BlendOnOpaque4(__m128i d, __m128i s)
{
    const __m128i a16 = AlphaHalves(s);
    const __m128i ia16 = _mm_sub_epi16(_mm_set1_epi16(256), a16);
    const __m128i rb = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(BlueRed(d), ia16), 8),
                                     _mm_srli_epi16(_mm_mullo_epi16(BlueRed(s), a16), 8));
    const __m128i greenMask = Words(0x0000FF00);
    const __m128i g = _mm_add_epi16(_mm_and_si128(_mm_mullo_epi16(GreenAlpha(d), ia16), greenMask),
                                    _mm_and_si128(_mm_mullo_epi16(GreenAlpha(s), a16), greenMask));
    return _mm_or_si128(_mm_or_si128(rb, g), Words(0xFF000000));
}

// Four words of BlendOver: sc holds the colour channels to draw (the
// source's, or the tinted ones), packed the same channels packed, a each
// pixel's alpha (0-255); a pixel with a = 0 comes out as the destination
// (w = 0, A = d). kMaybeFull: an a of 255 is possible at all.
template <bool kMaybeFull>
LUMO_BLEND_INLINE __m128i BlendOver4(__m128i d, const Split& sc, __m128i packed, __m128i a)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i c255 = Words(255);
    const __m128i d8 = _mm_srli_epi32(d, 24);

    // A = 255 and w = 255 when a = 255, whatever d.
    if (kMaybeFull && AllSet(_mm_cmpeq_epi32(a, c255))) {
        return _mm_or_si128(FullWeight4(d, packed), Words(0xFF000000));
    }
    // A = 255 + 0 and w = a * 255 / 255 when d = 255.
    if (AllSet(_mm_cmpeq_epi32(d8, c255))) {
        return _mm_or_si128(Weighted4(d, sc, a), Words(0xFF000000));
    }
    // A = a and w = 255 when d = 0 < a.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, zero)) == 0 && AllSet(_mm_cmpeq_epi32(d8, zero))) {
        return _mm_or_si128(FullWeight4(d, packed), _mm_slli_epi32(a, 24));
    }
    // Otherwise, when a or d is 0 or 255 in every lane, A is max(a, d) and w
    // is a, except that w is 255 where d = 0 < a: no division.
    const __m128i a0 = _mm_cmpeq_epi32(a, zero);
    const __m128i d0 = _mm_cmpeq_epi32(d8, zero);
    const __m128i easy = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(d8, c255), d0),
                                      _mm_or_si128(a0, _mm_cmpeq_epi32(a, c255)));
    if (AllSet(easy)) {
        const __m128i w = _mm_or_si128(a, _mm_andnot_si128(a0, _mm_and_si128(d0, c255)));
        return _mm_or_si128(Weighted4(d, sc, w), _mm_slli_epi32(_mm_max_epi16(a, d8), 24));
    }
    const __m128i newAlpha = _mm_add_epi32(d8, Div255(_mm_mullo_epi16(_mm_sub_epi32(c255, d8), a)));
    // Both operands are integers below 2^24, so the single-precision
    // quotient is correctly rounded; an integer quotient q - e with
    // e >= 1/255 never rounds up to q (q <= 255), so truncation gives the
    // integer division. The blit tests check every (a, d) pair. a = 0 gives
    // 0 / max(A, 1) = 0.
    const __m128 numerator = _mm_cvtepi32_ps(_mm_mullo_epi16(a, c255));
    const __m128 denominator = _mm_cvtepi32_ps(_mm_max_epi16(newAlpha, Words(1)));
    const __m128i w = _mm_cvttps_epi32(_mm_div_ps(numerator, denominator));
    return _mm_or_si128(Weighted4(d, sc, w), _mm_slli_epi32(newAlpha, 24));
}

} // namespace Simd

// ---- Row kernels. ----

// Where the run of the run-length alpha byte at i ends, cut to the row.
LUMO_BLEND_INLINE int RunEnd(const uint8_t* runs, int i, int count)
{
    const int n = runs[i];
    if (n > count - i) {
        return count;
    }
    return i + (n == 0 ? 1 : n); // 0 is never made by the table; keeps the walk moving
}

// Pixels i to end of a run at alpha 255, copied. Four loads before four
// stores, so a source a little to the right of the destination in the same
// image reads its old pixels.
LUMO_BLEND_INLINE void CopyRun(uint32_t* dst, const uint32_t* src, int i, int end)
{
    for (; i + 4 <= end; i += 4) {
        Simd::Store(dst + i, Simd::Load(src + i));
    }
    for (; i < end; ++i) {
        dst[i] = src[i];
    }
}

// Pixels i to end of a run of partial alpha, each blended with its own alpha.
LUMO_BLEND_INLINE void BlendRun(uint32_t* dst, const uint32_t* src, int i, int end)
{
    for (; i + 4 <= end; i += 4) {
        Simd::Store(dst + i, Simd::BlendOnOpaque4(Simd::Load(dst + i), Simd::Load(src + i)));
    }
    for (; i < end; ++i) {
        dst[i] = BlendOnOpaque(dst[i], src[i]);
    }
}

// The opaque-destination path, walked by the source's run-length alpha bytes
// (pixels from this one to the end of its alpha run), which are aligned with
// src: a run starting at alpha 255 is copied, one at alpha 0 skipped, any
// other blended pixel by pixel with each pixel's own alpha.
inline void BlendRunsRow(uint32_t* dst, const uint32_t* src, const uint8_t* runs, int count)
{
    int i = 0;
    while (i < count) {
        const int end = RunEnd(runs, i, count);
        const uint32_t alpha = src[i] >> 24;
        if (alpha == 255) {
            CopyRun(dst, src, i, end);
        } else if (alpha != 0) {
            BlendRun(dst, src, i, end);
        }
        i = end;
    }
}

namespace Detail {

template <bool kTinted, bool kMaybeFull>
inline void BlendOverRowBody(uint32_t* dst, const uint32_t* src, int count, const Tint& tint)
{
    const Simd::TintLanes tintLanes = Simd::MakeTintLanes(tint);
    const __m128i tintAlpha = Simd::Words(tint.alpha);
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = Simd::Load(src + i);
        __m128i a = _mm_srli_epi32(s, 24);
        if constexpr (kTinted) {
            a = Simd::Div255(_mm_mullo_epi16(a, tintAlpha));
        }
        if (Simd::AllSet(_mm_cmpeq_epi32(a, zero))) {
            continue;
        }
        const __m128i d = Simd::Load(dst + i);
        __m128i out;
        if constexpr (kTinted) {
            const Simd::Split sc = Simd::Modulate4(s, tintLanes);
            out = Simd::BlendOver4<kMaybeFull>(d, sc, Simd::Packed(sc), a);
        } else {
            out = Simd::BlendOver4<kMaybeFull>(d, Simd::SplitOf(s), s, a);
        }
        Simd::Store(dst + i, out);
    }
    for (; i < count; ++i) {
        const uint32_t s = src[i];
        uint32_t a = s >> 24;
        if constexpr (kTinted) {
            a = (a * tint.alpha) / 255;
        }
        if (a == 0) {
            continue;
        }
        dst[i] = BlendOver(dst[i], kTinted ? Modulate(s, tint) : s, a);
    }
}

} // namespace Detail

// The alpha-correct blend of a row. White (kTinted false): each pixel with
// alpha a > 0 goes on with BlendOver. Tinted: the alpha is (a * tint alpha)
// / 255 and each colour channel (src * multiplier) / 256 first.
template <bool kTinted>
inline void BlendOverRow(uint32_t* dst, const uint32_t* src, int count, const Tint& tint)
{
    if (!kTinted || tint.alpha == 255) {
        Detail::BlendOverRowBody<kTinted, true>(dst, src, count, tint);
    } else {
        Detail::BlendOverRowBody<kTinted, false>(dst, src, count, tint);
    }
}

// The additive blend of a row: each colour channel gains a term, saturating
// at 255; the destination alpha stays. The term is src, times the channel's
// multiplier / 256 when kTinted, then times the source alpha / 256 when
// kSourceAlpha.
template <bool kTinted, bool kSourceAlpha>
inline void AddRow(uint32_t* dst, const uint32_t* src, int count, const Tint& multipliers)
{
    const Simd::TintLanes tintLanes = Simd::MakeTintLanes(multipliers);
    const __m128i greenMask = Simd::Words(0x0000FF00);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = Simd::Load(src + i);
        __m128i term;
        if constexpr (!kTinted && !kSourceAlpha) {
            term = _mm_and_si128(s, Simd::Words(kRgbMask));
        } else if constexpr (!kTinted) {
            // (x << 8) * a >> 16 is x * a / 256; the green word's alpha lane
            // is masked off.
            const __m128i ga = Simd::GreenAlpha(s);
            const __m128i a16 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(ga, 0xF5), 0xF5);
            term = _mm_or_si128(_mm_mulhi_epu16(_mm_slli_epi16(s, 8), a16),
                                _mm_and_si128(_mm_mullo_epi16(ga, a16), greenMask));
        } else {
            const Simd::Split t = Simd::Modulate4(s, tintLanes);
            if constexpr (kSourceAlpha) {
                const __m128i a16 = Simd::AlphaHalves(s);
                term = _mm_or_si128(_mm_srli_epi16(_mm_mullo_epi16(t.blueRed, a16), 8),
                                    _mm_and_si128(_mm_mullo_epi16(t.greenAlpha, a16), greenMask));
            } else {
                term = Simd::Packed(t);
            }
        }
        Simd::Store(dst + i, _mm_adds_epu8(Simd::Load(dst + i), term));
    }
    for (; i < count; ++i) {
        const uint32_t s = src[i];
        uint32_t term = kTinted ? Modulate(s, multipliers) : (s & kRgbMask);
        if constexpr (kSourceAlpha) {
            const uint32_t a = s >> 24;
            term = ((((term >> 16) & 0xFF) * a) >> 8) << 16 | ((((term >> 8) & 0xFF) * a) >> 8) << 8
                | (((term & 0xFF) * a) >> 8);
        }
        dst[i] = AddSaturate(dst[i], term);
    }
}

// ---- Over blend of one colour, by destination alpha (fills). ----
//
// The over blend of colour C with alpha a (1-254) depends on the destination
// only through its alpha d: N = d + ((255 - d) * a) / 255, w = (a * 255) / N,
// each channel (D * (256 - w) + C * w) >> 8, alpha N. The table holds, for
// each d, the 16-bit lane multipliers and terms of that sum for a pixel
// unpacked to (blue, green, red, alpha) lanes: inv = (256 - w, 256 - w,
// 256 - w, 0) and term = (b * w, g * w, r * w, N * 256), so that the alpha
// lane comes out N. No lane passes 255 * 256. One lookup per pixel replaces
// both divisions.
struct FillEntry {
    uint64_t inv;
    uint64_t term;
};

struct alignas(16) FillTable {
    FillEntry entries[256];
};

inline void MakeFillTable(FillTable& table, uint32_t color, uint32_t a)
{
    const uint64_t r = (color >> 16) & 0xFF;
    const uint64_t g = (color >> 8) & 0xFF;
    const uint64_t b = color & 0xFF;
    for (uint32_t d = 0; d < 256; ++d) {
        const uint32_t n = d + ((255 - d) * a) / 255;
        const uint64_t w = (a * 255) / n;
        const uint64_t iw = 256 - w;
        const uint64_t term = b * w | (g * w) << 16 | (r * w) << 32 | uint64_t(n) << 56;
        table.entries[d] = FillEntry{iw | iw << 16 | iw << 32, term};
    }
}

// One pixel through its table entry: lane by lane (D * inv + term) >> 8.
LUMO_BLEND_INLINE uint32_t FillOver(uint32_t dst, const FillTable& table)
{
    const FillEntry& e = table.entries[dst >> 24];
    uint32_t out = 0;
    for (int lane = 0; lane < 4; ++lane) {
        const uint32_t channel = (dst >> (8 * lane)) & 0xFF;
        const uint32_t inv = uint32_t(e.inv >> (16 * lane)) & 0xFFFF;
        const uint32_t term = uint32_t(e.term >> (16 * lane)) & 0xFFFF;
        out |= ((channel * inv + term) >> 8) << (8 * lane);
    }
    return out;
}

namespace Simd {

LUMO_BLEND_INLINE __m128i EntryOf(const FillTable& table, uint32_t d)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(&table.entries[d]));
}

// (D * inv + term) >> 8 on the 16-bit lanes of two unpacked pixels.
LUMO_BLEND_INLINE __m128i FillLanes(__m128i unpacked, __m128i inv, __m128i term)
{
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(unpacked, inv), term), 8);
}

} // namespace Simd

// The over blend of one colour along a row, from its table. Blocks whose
// pixels all have the alpha *uniformAlpha use that alpha's entry held in
// registers; a block of one other alpha makes that the uniform one, which
// the caller keeps from row to row.
inline void FillOverRow(uint32_t* p, int count, const FillTable& table, uint32_t& uniformAlpha)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i colorBits = Simd::Words(kRgbMask);
    __m128i key = Simd::Words(uniformAlpha << 24 | kRgbMask);
    __m128i uniform = Simd::EntryOf(table, uniformAlpha);
    __m128i inv = _mm_unpacklo_epi64(uniform, uniform);
    __m128i term = _mm_unpackhi_epi64(uniform, uniform);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i v = Simd::Load(p + i);
        const __m128i keyed = _mm_or_si128(v, colorBits);
        const __m128i lo = _mm_unpacklo_epi8(v, zero);
        const __m128i hi = _mm_unpackhi_epi8(v, zero);
        if (Simd::AllSet(_mm_cmpeq_epi32(keyed, key))) {
            Simd::Store(p + i, _mm_packus_epi16(Simd::FillLanes(lo, inv, term), Simd::FillLanes(hi, inv, term)));
            continue;
        }
        const uint8_t* alphas = reinterpret_cast<const uint8_t*>(p + i) + 3;
        const __m128i e0 = Simd::EntryOf(table, alphas[0]);
        const __m128i e1 = Simd::EntryOf(table, alphas[4]);
        const __m128i e2 = Simd::EntryOf(table, alphas[8]);
        const __m128i e3 = Simd::EntryOf(table, alphas[12]);
        const __m128i outLo = Simd::FillLanes(lo, _mm_unpacklo_epi64(e0, e1), _mm_unpackhi_epi64(e0, e1));
        const __m128i outHi = Simd::FillLanes(hi, _mm_unpacklo_epi64(e2, e3), _mm_unpackhi_epi64(e2, e3));
        Simd::Store(p + i, _mm_packus_epi16(outLo, outHi));
        if (Simd::AllSet(_mm_cmpeq_epi32(keyed, _mm_shuffle_epi32(keyed, 0)))) {
            uniformAlpha = uint32_t(_mm_cvtsi128_si32(keyed)) >> 24;
            key = _mm_shuffle_epi32(keyed, 0);
            inv = _mm_unpacklo_epi64(e0, e0);
            term = _mm_unpackhi_epi64(e0, e0);
        }
    }
    for (; i < count; ++i) {
        p[i] = FillOver(p[i], table);
    }
}

} // namespace Lumo::PixelBlend
