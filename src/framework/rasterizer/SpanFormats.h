// Per-format pixel policies of the span fillers: the pixel type, the packing
// and the blends of the 8888, 888, 565 and 555 destinations, shared by the
// untextured and the textured fillers. All arithmetic is unsigned 32-bit.
#pragma once

#include <array>
#include <cstdint>

namespace Lumo::TriangleRasterizer {

// 16.16 value read as signed and clamped at 0: rounding may carry a value
// just below 0.0, which must not read as a huge unsigned one.
inline uint32_t ClampFixed(int32_t v)
{
    return static_cast<uint32_t>(v & ~(v >> 31));
}

namespace SpanBlend {

// Exact n / d for n < 2^17 and d from 1 to 256: (n x kReciprocal[d]) >> 32.
constexpr std::array<uint64_t, 257> MakeReciprocals()
{
    std::array<uint64_t, 257> table{};
    for (uint64_t d = 1; d <= 256; ++d) {
        table[d] = (uint64_t(1) << 32) / d + 1;
    }
    return table;
}
inline constexpr std::array<uint64_t, 257> kReciprocal = MakeReciprocals();

inline uint32_t Divide(uint32_t n, uint32_t d)
{
    return static_cast<uint32_t>((uint64_t(n) * kReciprocal[d]) >> 32);
}

} // namespace SpanBlend

// 32-bit 0xAARRGGBB, alpha kept.
struct Format8888 {
    using Pixel = uint32_t;

    // Source alpha a (0-255) with source terms S = 256 x (source channel
    // premultiplied by a, rounded down) over the destination d:
    // outA = 256 - ((256 - da)(256 - a) >> 8), each channel
    // ((d_c da >> 8)(256 - a) + S_c) / outA, alpha byte outA - 1.
    // A = 0 source over an alpha 0 destination leaves the pixel as it was.
    static uint32_t Blend(uint32_t d, uint32_t a, uint32_t sr, uint32_t sg, uint32_t sb)
    {
        const uint32_t da = d >> 24;
        const uint32_t k = 256 - a;
        if (da == 255 && a != 0) {
            // The common opaque screen: outA = 256, so the divisions are
            // shifts, red and blue in one word (each lane stays below 2^16).
            const uint32_t rb = (((d & 0xFF00FF) * 255 >> 8) & 0xFF00FF) * k + (sr << 16 | sb);
            const uint32_t g = (((d & 0xFF00) * 255 >> 8) & 0xFF00) * k + (sg << 8);
            return 0xFF000000 | ((rb >> 8) & 0xFF00FF) | ((g >> 8) & 0xFF00);
        }
        const uint32_t outA = 256 - (((256 - da) * k) >> 8);
        if (outA == 0) {
            return d;
        }
        const uint32_t r = SpanBlend::Divide((((d >> 16) & 0xFF) * da >> 8) * k + sr, outA);
        const uint32_t g = SpanBlend::Divide((((d >> 8) & 0xFF) * da >> 8) * k + sg, outA);
        const uint32_t b = SpanBlend::Divide(((d & 0xFF) * da >> 8) * k + sb, outA);
        return (outA - 1) << 24 | r << 16 | g << 8 | b;
    }

    // The vertex-colour pixel (16.16 values, already clamped at 0).
    static void Gouraud(uint32_t* pixel, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
    {
        if (a > 0xF00000) {
            *pixel = 0xFF000000 | (r & 0xFF0000) | ((g >> 8) & 0xFF00) | ((b >> 16) & 0xFF);
        } else if (a > 0x80000) {
            const uint32_t k = a >> 16;
            // Red with its full fraction, green with 8 bits of it, blue whole.
            const uint32_t sr = (((r & 0xFFFFFF) * k) >> 24) << 8;
            const uint32_t sg = ((((g & 0xFFFFFF) >> 8) * k) >> 16) << 8;
            const uint32_t sb = ((((b & 0xFFFFFF) >> 16) * k) >> 8) << 8;
            *pixel = Blend(*pixel, k, sr, sg, sb);
        }
    }
};

// 32-bit 0x..RRGGBB: the top byte is never read and always written 0xFF.
struct Format888 {
    using Pixel = uint32_t;

    // Each channel (d_c (255 - a) >> 8) + p_c, with p the source already
    // multiplied by a and packed as 0x00RRGGBB (each p_c at most
    // (255 a) >> 8, so no channel carries).
    static uint32_t Blend(uint32_t d, uint32_t a, uint32_t p)
    {
        const uint32_t k = 255 - a;
        const uint32_t rb = (((d & 0xFF00FF) * k) >> 8) & 0xFF00FF;
        const uint32_t g = (((d & 0xFF00) * k) >> 8) & 0xFF00;
        return 0xFF000000 | (rb + g + p);
    }

    // (c_c x a) >> 8 for the three channels of 0x00RRGGBB c, two at a time.
    static uint32_t Scale(uint32_t c, uint32_t a)
    {
        return ((((c & 0xFF00FF) * a) >> 8) & 0xFF00FF) | ((((c & 0xFF00) * a) >> 8) & 0xFF00);
    }

    static void Gouraud(uint32_t* pixel, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
    {
        const uint32_t c = (r & 0xFF0000) | ((g >> 8) & 0xFF00) | ((b >> 16) & 0xFF);
        if (a > 0xF00000) {
            *pixel = 0xFF000000 | c;
        } else if (a > 0x80000) {
            const uint32_t k = a >> 16;
            *pixel = Blend(*pixel, k, Scale(c, k));
        }
    }
};

// 16-bit destinations: the blend is source x k / 256 plus each destination
// field x ((255 - k) >> 3) / 32.
template <uint32_t kRedShift, uint32_t kGreenBits, uint32_t kRedBlueMask, uint32_t kGreenMask>
struct Format16 {
    using Pixel = uint16_t;

    // Packs 8-bit channels (only their low 8 bits count).
    static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b)
    {
        return ((r & 0xFF) >> 3) << kRedShift | ((g & 0xFF) >> (8 - kGreenBits)) << 5 | (b & 0xFF) >> 3;
    }

    // Packs 0x00RRGGBB.
    static uint32_t PackWord(uint32_t c)
    {
        return Pack(c >> 16, c >> 8, c);
    }

    // Each destination field x w / 32, red and blue in one product.
    static uint32_t ScaleDestination(uint32_t d, uint32_t w)
    {
        return ((((d & kRedBlueMask) * w) >> 5) & kRedBlueMask) | ((((d & kGreenMask) * w) >> 5) & kGreenMask);
    }

    // The destination weight of a source alpha k (0-255).
    static uint32_t DestinationWeight(uint32_t k)
    {
        return (255 - k) >> 3;
    }

    // Packed source part (already scaled by k) over destination d.
    static uint16_t Blend(uint16_t d, uint32_t k, uint32_t packedSource)
    {
        return static_cast<uint16_t>(ScaleDestination(d, DestinationWeight(k)) + packedSource);
    }

    static void Gouraud(uint16_t* pixel, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
    {
        if (a > 0xF00000) {
            *pixel = static_cast<uint16_t>(Pack(r >> 16, g >> 16, b >> 16));
        } else if (a > 0x80000) {
            const uint32_t k = a >> 16;
            const uint32_t source = Pack((((r >> 16) & 0xFF) * k) >> 8, (((g >> 16) & 0xFF) * k) >> 8,
                                         (((b >> 16) & 0xFF) * k) >> 8);
            *pixel = Blend(*pixel, k, source);
        }
    }
};

using Format565 = Format16<11, 6, 0xF81F, 0x7E0>;
using Format555 = Format16<10, 5, 0x7C1F, 0x3E0>;

} // namespace Lumo::TriangleRasterizer
