// The destination writes of the textured fillers, one policy per pixel
// format: the opaque write, the blend of a premultiplied source, and the
// block copy of a run of texels.
#pragma once

#include "framework/rasterizer/SpanFormats.h"

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace Lumo::TriangleRasterizer {

// Destination writes. Opaque takes 0x00RRGGBB; Blend takes the source alpha a
// (0-239) and the source colour already multiplied by a (0x00RRGGBB, each
// channel at most a).
struct TexturedWrite8888 {
    using Format = Format8888;
    using Pixel = uint32_t;
    static constexpr bool kLowerFloor = true;   // the 32-bit bilinear floor
    static constexpr bool kTintPerPixel = false; // the draw colour counts once

    static void Opaque(uint32_t* pixel, uint32_t c) { *pixel = 0xFF000000 | c; }

    // Texels written opaque, four at a time.
    static void CopyRun(uint32_t* pixel, const uint32_t* texels, size_t count)
    {
        const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000));
        size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel + i), _mm_or_si128(low, opaque));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel + i + 4), _mm_or_si128(high, opaque));
        }
        for (; i < count; ++i) {
            pixel[i] = 0xFF000000 | texels[i];
        }
    }

    // outA = 256 - ((256 - da)(256 - a) >> 8); each channel
    // ((d_c da >> 8)(256 - a) + 256 s_c) / outA, alpha byte outA - 1.
    static void Blend(uint32_t* pixel, uint32_t a, uint32_t source)
    {
        const uint32_t d = *pixel;
        const uint32_t da = d >> 24;
        const uint32_t k = 256 - a;
        const uint32_t outA = 256 - (((256 - da) * k) >> 8);
        if (outA == 0) {
            return; // a source alpha of 0 over a destination alpha of 0: nothing to show
        }
        *pixel = (outA - 1) << 24 | Channel(d >> 16, da, k, source >> 16, outA) << 16
            | Channel(d >> 8, da, k, source >> 8, outA) << 8 | Channel(d, da, k, source, outA);
    }

private:
    // A premultiplied filtered source can reach 256 over a transparent
    // destination; held at 255 so that it never carries into the next byte.
    static uint32_t Channel(uint32_t d, uint32_t da, uint32_t k, uint32_t s, uint32_t outA)
    {
        const uint32_t c = SpanBlend::Divide((((d & 0xFF) * da) >> 8) * k + ((s & 0xFF) << 8), outA);
        return c < 255 ? c : 255;
    }
};

struct TexturedWrite888 {
    using Format = Format888;
    using Pixel = uint32_t;
    static constexpr bool kLowerFloor = true;
    static constexpr bool kTintPerPixel = false;

    static void Opaque(uint32_t* pixel, uint32_t c) { *pixel = 0xFF000000 | c; }

    // Each channel (d_c (255 - a) >> 8) + s_c; the top byte is not read.
    static void Blend(uint32_t* pixel, uint32_t a, uint32_t source) { *pixel = Format888::Blend(*pixel, a, source); }
};

// 565 and 555: the premultiplied source reduced to the fields, plus each
// destination field x ((255 - a) >> 3) / 32. No field carries: a source
// channel is at most a, and the two parts of a 5-bit field sum to at most 30.
template <class Format16Bits>
struct TexturedWrite16;

template <uint32_t kRedShift, uint32_t kGreenBits, uint32_t kRedBlueMask, uint32_t kGreenMask>
struct TexturedWrite16<Format16<kRedShift, kGreenBits, kRedBlueMask, kGreenMask>> {
    using Format = Format16<kRedShift, kGreenBits, kRedBlueMask, kGreenMask>;
    using Pixel = uint16_t;
    static constexpr bool kLowerFloor = false;  // a plain floor
    static constexpr bool kTintPerPixel = true; // the draw colour counts twice with vertex colours

    static void Opaque(uint16_t* pixel, uint32_t c) { *pixel = static_cast<uint16_t>(Format::PackWord(c)); }

    // Texels packed and written, eight at a time.
    static void CopyRun(uint16_t* pixel, const uint32_t* texels, size_t count)
    {
        size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            const __m128i low = Pack4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i)));
            const __m128i high = Pack4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i + 4)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel + i), _mm_packs_epi32(low, high));
        }
        for (; i < count; ++i) {
            pixel[i] = static_cast<uint16_t>(Format::PackWord(texels[i]));
        }
    }

    static void Blend(uint16_t* pixel, uint32_t a, uint32_t source)
    {
        *pixel = Format::Blend(*pixel, a, Format::PackWord(source));
    }

private:
    // PackWord in each 32-bit lane, sign-extended from 16 bits so that a
    // saturating pack keeps the word exactly. The fields are put together
    // three bits up: blue and red (masked to their top five bits) in one
    // multiply-add of their 16-bit halves, green shifted into place beside.
    static __m128i Pack4(__m128i c)
    {
        const __m128i redBlue = _mm_madd_epi16(_mm_and_si128(c, _mm_set1_epi32(0x00F800F8)),
                                               _mm_set1_epi32((1 << kRedShift) << 16 | 1));
        const __m128i greenMask = _mm_set1_epi32(((1 << kGreenBits) - 1) << (16 - kGreenBits));
        const __m128i green = _mm_srli_epi32(_mm_and_si128(c, greenMask), 8 - static_cast<int>(kGreenBits));
        return _mm_srai_epi32(_mm_slli_epi32(_mm_or_si128(redBlue, green), 13), 16);
    }
};

using TexturedWrite565 = TexturedWrite16<Format565>;
using TexturedWrite555 = TexturedWrite16<Format555>;

} // namespace Lumo::TriangleRasterizer
