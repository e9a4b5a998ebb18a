// AVX2 bodies of the blit and fill row kernels of PixelBlend.h: eight pixels
// a block, the same integer arithmetic lane for lane, then the SSE2 row for
// what is left. Called only where Available() says the processor runs them;
// they give the same words as the SSE2 and scalar kernels for every input.
#pragma once

#include "framework/graphics/PixelBlend.h"

#include <immintrin.h>

#include <cstdint>

#define LUMO_AVX2 __attribute__((target("avx2")))
#define LUMO_AVX2_INLINE inline __attribute__((always_inline, target("avx2")))

namespace Lumo::PixelBlend::Avx2 {

// Whether this processor and its system run AVX2 code; asked once.
inline bool Available()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

namespace Simd {

LUMO_AVX2_INLINE __m256i Load(const uint32_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

LUMO_AVX2_INLINE void Store(uint32_t* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

LUMO_AVX2_INLINE bool AllSet(__m256i mask)
{
    return _mm256_movemask_epi8(mask) == -1;
}

LUMO_AVX2_INLINE bool NoneSet(__m256i mask)
{
    return _mm256_testz_si256(mask, mask) != 0;
}

LUMO_AVX2_INLINE __m256i Words(uint32_t v)
{
    return _mm256_set1_epi32(static_cast<int>(v));
}

// x / 255 in each 16-bit lane for 0 <= x <= 65025, as in the SSE2 kernels.
LUMO_AVX2_INLINE __m256i Div255(__m256i x)
{
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(static_cast<short>(0x8081))), 7);
}

// Byte 0 of each 32-bit lane into both its 16-bit halves (upper bytes 0).
LUMO_AVX2_INLINE __m256i BothHalves(__m256i v)
{
    const __m256i spread = _mm256_setr_epi8(0, -1, 0, -1, 4, -1, 4, -1, 8, -1, 8, -1, 12, -1, 12, -1, //
                                            0, -1, 0, -1, 4, -1, 4, -1, 8, -1, 8, -1, 12, -1, 12, -1);
    return _mm256_shuffle_epi8(v, spread);
}

// The alpha byte of each word in both 16-bit halves of its lane.
LUMO_AVX2_INLINE __m256i AlphaHalves(__m256i p)
{
    const __m256i spread = _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1, //
                                            3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
    return _mm256_shuffle_epi8(p, spread);
}

LUMO_AVX2_INLINE __m256i GreenAlpha(__m256i p)
{
    return _mm256_srli_epi16(p, 8);
}

LUMO_AVX2_INLINE __m256i BlueRed(__m256i p)
{
    return _mm256_and_si256(p, Words(0x00FF00FF));
}

struct Split {
    __m256i blueRed;
    __m256i greenAlpha;
};

LUMO_AVX2_INLINE Split SplitOf(__m256i p)
{
    return Split{BlueRed(p), GreenAlpha(p)};
}

LUMO_AVX2_INLINE __m256i Packed(const Split& p)
{
    return _mm256_or_si256(p.blueRed, _mm256_slli_epi16(p.greenAlpha, 8));
}

struct TintLanes {
    __m256i blueRed;
    __m256i green;
};

LUMO_AVX2_INLINE TintLanes MakeTintLanes(const Tint& tint)
{
    return TintLanes{Words(tint.red << 16 | tint.blue), Words(tint.green)};
}

LUMO_AVX2_INLINE Split Modulate8(__m256i s, const TintLanes& t)
{
    return Split{_mm256_srli_epi16(_mm256_mullo_epi16(BlueRed(s), t.blueRed), 8),
                 _mm256_srli_epi16(_mm256_mullo_epi16(GreenAlpha(s), t.green), 8)};
}

// (dest * 256 + (src - dest) * w) / 256 per colour channel, modulo 2^16 in
// 16-bit lanes as in the SSE2 Weighted4; w16 holds w in both halves of each
// lane. Alpha bits 0.
LUMO_AVX2_INLINE __m256i Weighted8(__m256i d, const Split& s, __m256i w16)
{
    const __m256i rb = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_slli_epi16(d, 8), _mm256_mullo_epi16(_mm256_sub_epi16(s.blueRed, BlueRed(d)), w16)),
        8);
    const __m256i g = _mm256_add_epi16(_mm256_and_si256(d, Words(0xFF00FF00)),
                                       _mm256_mullo_epi16(_mm256_sub_epi16(s.greenAlpha, GreenAlpha(d)), w16));
    return _mm256_or_si256(rb, _mm256_and_si256(g, Words(0x0000FF00)));
}

// Weighted8 with w = 255: src - 1 where src > dest, else src.
LUMO_AVX2_INLINE __m256i FullWeight8(__m256i d, __m256i s)
{
    const __m256i notAbove = _mm256_cmpeq_epi8(_mm256_subs_epu8(s, d), _mm256_setzero_si256());
    const __m256i out = _mm256_sub_epi8(_mm256_add_epi8(s, _mm256_set1_epi8(-1)), notAbove);
    return _mm256_and_si256(out, Words(kRgbMask));
}

LUMO_AVX2_INLINE __m256i BlendOnOpaque8(__m256i d, __m256i s)
{
    const __m256i a16 = AlphaHalves(s);
    const __m256i ia16 = _mm256_sub_epi16(_mm256_set1_epi16(256), a16);
    const __m256i rb = _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(BlueRed(d), ia16), 8),
                                        _mm256_srli_epi16(_mm256_mullo_epi16(BlueRed(s), a16), 8));
    const __m256i greenMask = Words(0x0000FF00);
    const __m256i g = _mm256_add_epi16(_mm256_and_si256(_mm256_mullo_epi16(GreenAlpha(d), ia16), greenMask),
                                       _mm256_and_si256(_mm256_mullo_epi16(GreenAlpha(s), a16), greenMask));
    return _mm256_or_si256(_mm256_or_si256(rb, g), Words(0xFF000000));
}

// Eight words of BlendOver, as the SSE2 BlendOver4: a = 0 leaves the
// destination word; the quotient is the same exact float one.
template <bool kMaybeFull>
LUMO_AVX2_INLINE __m256i BlendOver8(__m256i d, const Split& sc, __m256i packed, __m256i a)
{
    const __m256i c255 = Words(255);
    const __m256i d8 = _mm256_srli_epi32(d, 24);
    if (kMaybeFull && AllSet(_mm256_cmpeq_epi32(a, c255))) {
        return _mm256_or_si256(FullWeight8(d, packed), Words(0xFF000000));
    }
    if (AllSet(_mm256_cmpeq_epi32(d8, c255))) {
        return _mm256_or_si256(Weighted8(d, sc, BothHalves(a)), Words(0xFF000000));
    }
    const __m256i newAlpha = _mm256_add_epi32(d8, Div255(_mm256_mullo_epi16(_mm256_sub_epi32(c255, d8), a)));
    const __m256 numerator = _mm256_cvtepi32_ps(_mm256_mullo_epi16(a, c255));
    const __m256 denominator = _mm256_cvtepi32_ps(_mm256_max_epi16(newAlpha, Words(1)));
    const __m256i w = _mm256_cvttps_epi32(_mm256_div_ps(numerator, denominator));
    return _mm256_or_si256(Weighted8(d, sc, BothHalves(w)), _mm256_slli_epi32(newAlpha, 24));
}

// The table entries of two alphas in the low and high 128-bit lanes.
LUMO_AVX2_INLINE __m256i EntryPair(const FillTable& table, uint32_t low, uint32_t high)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(PixelBlend::Simd::EntryOf(table, low)),
                                   PixelBlend::Simd::EntryOf(table, high), 1);
}

LUMO_AVX2_INLINE __m256i FillLanes(__m256i unpacked, __m256i inv, __m256i term)
{
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(unpacked, inv), term), 8);
}

} // namespace Simd

// BlendRunsRow of PixelBlend.h, eight pixels a block inside runs.
LUMO_AVX2 inline void BlendRunsRow(uint32_t* dst, const uint32_t* src, const uint8_t* runs, int count)
{
    int i = 0;
    while (i < count) {
        const int end = PixelBlend::RunEnd(runs, i, count);
        const uint32_t alpha = src[i] >> 24;
        if (alpha == 255) {
            // Loads before stores, as in the SSE2 row.
            for (; i + 8 <= end; i += 8) {
                Simd::Store(dst + i, Simd::Load(src + i));
            }
            PixelBlend::CopyRun(dst, src, i, end);
        } else if (alpha != 0) {
            for (; i + 8 <= end; i += 8) {
                Simd::Store(dst + i, Simd::BlendOnOpaque8(Simd::Load(dst + i), Simd::Load(src + i)));
            }
            PixelBlend::BlendRun(dst, src, i, end);
        }
        i = end;
    }
}

template <bool kTinted, bool kMaybeFull>
LUMO_AVX2 inline void BlendOverRowBody(uint32_t* dst, const uint32_t* src, int count, const Tint& tint)
{
    const Simd::TintLanes tintLanes = Simd::MakeTintLanes(tint);
    const __m256i tintAlpha = Simd::Words(tint.alpha);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Simd::Load(src + i);
        __m256i a = _mm256_srli_epi32(s, 24);
        if constexpr (kTinted) {
            a = Simd::Div255(_mm256_mullo_epi16(a, tintAlpha));
        }
        if (Simd::NoneSet(a)) {
            continue;
        }
        const __m256i d = Simd::Load(dst + i);
        __m256i out;
        if constexpr (kTinted) {
            const Simd::Split sc = Simd::Modulate8(s, tintLanes);
            out = Simd::BlendOver8<kMaybeFull>(d, sc, Simd::Packed(sc), a);
        } else {
            out = Simd::BlendOver8<kMaybeFull>(d, Simd::SplitOf(s), s, a);
        }
        Simd::Store(dst + i, out);
    }
    if (i < count) {
        Detail::BlendOverRowBody<kTinted, kMaybeFull>(dst + i, src + i, count - i, tint);
    }
}

template <bool kTinted>
LUMO_AVX2 inline void BlendOverRow(uint32_t* dst, const uint32_t* src, int count, const Tint& tint)
{
    if (!kTinted || tint.alpha == 255) {
        BlendOverRowBody<kTinted, true>(dst, src, count, tint);
    } else {
        BlendOverRowBody<kTinted, false>(dst, src, count, tint);
    }
}

template <bool kTinted, bool kSourceAlpha>
LUMO_AVX2 inline void AddRow(uint32_t* dst, const uint32_t* src, int count, const Tint& multipliers)
{
    const Simd::TintLanes tintLanes = Simd::MakeTintLanes(multipliers);
    const __m256i greenMask = Simd::Words(0x0000FF00);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Simd::Load(src + i);
        __m256i term;
        if constexpr (!kTinted && !kSourceAlpha) {
            term = _mm256_and_si256(s, Simd::Words(kRgbMask));
        } else if constexpr (!kTinted) {
            // Blue and red are the high words of (x << 8) * a; green is the
            // high byte of g * a, picked by the mask's byte 1, so the alpha
            // lane's a * a never reaches the term.
            const __m256i a16 = Simd::AlphaHalves(s);
            term = _mm256_blendv_epi8(_mm256_mulhi_epu16(_mm256_slli_epi16(s, 8), a16),
                                      _mm256_mullo_epi16(Simd::GreenAlpha(s), a16), greenMask);
        } else {
            const Simd::Split t = Simd::Modulate8(s, tintLanes);
            if constexpr (kSourceAlpha) {
                const __m256i a16 = Simd::AlphaHalves(s);
                term = _mm256_or_si256(_mm256_srli_epi16(_mm256_mullo_epi16(t.blueRed, a16), 8),
                                       _mm256_and_si256(_mm256_mullo_epi16(t.greenAlpha, a16), greenMask));
            } else {
                term = Simd::Packed(t);
            }
        }
        Simd::Store(dst + i, _mm256_adds_epu8(Simd::Load(dst + i), term));
    }
    if (i < count) {
        PixelBlend::AddRow<kTinted, kSourceAlpha>(dst + i, src + i, count - i, multipliers);
    }
}

// FillOverRow of PixelBlend.h, eight pixels a block.
LUMO_AVX2 inline void FillOverRow(uint32_t* p, int count, const FillTable& table, uint32_t& uniformAlpha)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i colorBits = Simd::Words(kRgbMask);
    __m256i key = Simd::Words(uniformAlpha << 24 | kRgbMask);
    __m256i uniform = Simd::EntryPair(table, uniformAlpha, uniformAlpha);
    __m256i inv = _mm256_unpacklo_epi64(uniform, uniform);
    __m256i term = _mm256_unpackhi_epi64(uniform, uniform);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i v = Simd::Load(p + i);
        const __m256i keyed = _mm256_or_si256(v, colorBits);
        // Pixels 0, 1, 4, 5 and 2, 3, 6, 7, by 128-bit lane.
        const __m256i lo = _mm256_unpacklo_epi8(v, zero);
        const __m256i hi = _mm256_unpackhi_epi8(v, zero);
        if (Simd::AllSet(_mm256_cmpeq_epi32(keyed, key))) {
            Simd::Store(p + i, _mm256_packus_epi16(Simd::FillLanes(lo, inv, term), Simd::FillLanes(hi, inv, term)));
            continue;
        }
        const uint8_t* alphas = reinterpret_cast<const uint8_t*>(p + i) + 3;
        const __m256i e04 = Simd::EntryPair(table, alphas[0], alphas[16]);
        const __m256i e15 = Simd::EntryPair(table, alphas[4], alphas[20]);
        const __m256i e26 = Simd::EntryPair(table, alphas[8], alphas[24]);
        const __m256i e37 = Simd::EntryPair(table, alphas[12], alphas[28]);
        const __m256i outLo = Simd::FillLanes(lo, _mm256_unpacklo_epi64(e04, e15), _mm256_unpackhi_epi64(e04, e15));
        const __m256i outHi = Simd::FillLanes(hi, _mm256_unpacklo_epi64(e26, e37), _mm256_unpackhi_epi64(e26, e37));
        Simd::Store(p + i, _mm256_packus_epi16(outLo, outHi));
        const __m256i first = _mm256_broadcastd_epi32(_mm256_castsi256_si128(keyed));
        if (Simd::AllSet(_mm256_cmpeq_epi32(keyed, first))) {
            uniformAlpha = uint32_t(_mm256_cvtsi256_si32(keyed)) >> 24;
            key = first;
            uniform = _mm256_permute2x128_si256(e04, e04, 0);
            inv = _mm256_unpacklo_epi64(uniform, uniform);
            term = _mm256_unpackhi_epi64(uniform, uniform);
        }
    }
    if (i < count) {
        PixelBlend::FillOverRow(p + i, count - i, table, uniformAlpha);
    }
}

} // namespace Lumo::PixelBlend::Avx2
