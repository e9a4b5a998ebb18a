// The per-pixel work of the textured fillers for the span walk: texel fetch
// (nearest or bilinear), modulation by the draw colour and the vertex colours,
// and the opaque write or blend into the destination. One class template,
// specialised at compile time on the destination and the four flag bits, so
// that the pixel loop holds no flag test.
#pragma once

#include "framework/rasterizer/SpanFormats.h"
#include "framework/rasterizer/SpanWalker.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include <cstdint>

namespace Lumo::TriangleRasterizer {

// A premultiplied bilinear sample: colour 0x00RRGGBB and its weight sum 0-254.
struct FilteredTexel {
    uint32_t mColor;
    uint32_t mAlpha;
};

// Texel reads bounded by the size of the whole texel array: any index at or
// past width x height (taken as unsigned) reads 0, transparent black. Nothing
// wraps; a column past a row's end reads the next row.
//
// The fields are 64-bit on purpose: a store through a 32-bit pixel pointer
// then cannot alias them, and they stay in registers across the span.
class TexelSource {
public:
    // No texture, or one without texels, reads 0 everywhere.
    explicit TexelSource(const TextureInfo* texture)
        : mBits(texture != nullptr ? texture->mBits : nullptr),
          mWidth(texture != nullptr && texture->mWidth > 0 ? static_cast<uint32_t>(texture->mWidth) : 0),
          mSize(mBits != nullptr && mWidth > 0 && texture->mSize > 0 ? static_cast<uint32_t>(texture->mSize) : 0)
    {
    }

    uint32_t At(uint32_t index) const { return index < mSize ? mBits[index] : 0; }

    // The texel whose cell holds (u, v), 16.16 with the whole parts taken
    // as unsigned, so a coordinate just below 0 reads column or row 65535.
    uint32_t Nearest(int32_t u, int32_t v) const
    {
        const uint32_t index = (static_cast<uint32_t>(v) >> 16) * static_cast<uint32_t>(mWidth)
            + (static_cast<uint32_t>(u) >> 16);
        return At(index);
    }

    // Four texels around (u, v) moved back by half a texel, each weighted by
    // its bilinear weight times its own alpha, so the result comes out
    // premultiplied. The fractions are forced odd (1-65535) so that every
    // weight product fits 32 bits. kLowerFloor: the 32-bit fillers take a
    // further whole texel off a shifted coordinate at or below 0.
    template <bool kLowerFloor>
    FilteredTexel Bilinear(int32_t u, int32_t v) const
    {
        const uint32_t su = static_cast<uint32_t>(u) - 32768;
        const uint32_t sv = static_cast<uint32_t>(v) - 32768;
        // Whole parts by arithmetic shift (floor), as unsigned words.
        uint32_t column = static_cast<uint32_t>(static_cast<int32_t>(su) >> 16);
        uint32_t row = static_cast<uint32_t>(static_cast<int32_t>(sv) >> 16);
        if constexpr (kLowerFloor) {
            column -= static_cast<int32_t>(su) <= 0 ? 1 : 0;
            row -= static_cast<int32_t>(sv) <= 0 ? 1 : 0;
        }
        const uint32_t fu = (su & 0xFFFE) + 1;
        const uint32_t fv = (sv & 0xFFFE) + 1;
        const uint32_t width = static_cast<uint32_t>(mWidth);
        const uint32_t index = row * width + column;
        const uint32_t t00 = At(index);
        const uint32_t t10 = At(index + 1);
        const uint32_t t01 = At(index + width);
        const uint32_t t11 = At(index + width + 1);

        const uint32_t w00 = ((((65536 - fu) * (65536 - fv)) >> 16) * (t00 >> 24)) >> 16;
        const uint32_t w10 = (((fu * (65536 - fv)) >> 16) * (t10 >> 24)) >> 16;
        const uint32_t w01 = ((((65536 - fu) * fv) >> 16) * (t01 >> 24)) >> 16;
        const uint32_t w11 = (((fu * fv) >> 16) * (t11 >> 24)) >> 16;

        // The weights sum to at most 254, so each channel sum (at most
        // 255 x 254) stays within its 16-bit lane: red and blue go together.
        const uint32_t redBlue = (t00 & 0xFF00FF) * w00 + (t10 & 0xFF00FF) * w10 + (t01 & 0xFF00FF) * w01
            + (t11 & 0xFF00FF) * w11;
        const uint32_t green =
            (t00 & 0xFF00) * w00 + (t10 & 0xFF00) * w10 + (t01 & 0xFF00) * w01 + (t11 & 0xFF00) * w11;
        return {((redBlue >> 8) & 0xFF00FF) | ((green >> 8) & 0xFF00), w00 + w10 + w01 + w11};
    }

private:
    const uint32_t* mBits;
    uint64_t mWidth;
    uint64_t mSize;
};

// Each of the three channels of 0x00RRGGBB c times a (0-255), / 256.
inline uint32_t ScaleColor(uint32_t c, uint32_t a)
{
    return ((((c & 0xFF00FF) * a) >> 8) & 0xFF00FF) | ((((c & 0xFF00) * a) >> 8) & 0xFF00);
}

// The whole part of an interpolated 16.16 channel, read as signed and held to
// 0-255: rounding can carry it just below 0, and a sliver's gradient past 255.
inline uint32_t WholeChannel(int32_t v)
{
    const uint32_t whole = ClampFixed(v) >> 16;
    return whole < 255 ? whole : 255;
}

// The same 16.16 channel held to 0.0-255.99, kept with its fraction.
inline uint32_t FixedChannel(int32_t v)
{
    const uint32_t fixed = ClampFixed(v);
    return fixed < 0xFFFFFF ? fixed : 0xFFFFFF;
}

inline uint32_t ColorChannel(int32_t c)
{
    return c < 0 ? 0 : (c > 255 ? 255 : static_cast<uint32_t>(c));
}

// Destination writes. Opaque takes 0x00RRGGBB; Blend takes the source alpha a
// (0-239) and the source colour already multiplied by a (0x00RRGGBB, each
// channel at most a).
struct TexturedWrite8888 {
    using Format = Format8888;
    using Pixel = uint32_t;
    static constexpr bool kLowerFloor = true;   // the 32-bit bilinear floor
    static constexpr bool kTintPerPixel = false; // the draw colour counts once

    static void Opaque(uint32_t* pixel, uint32_t c) { *pixel = 0xFF000000 | c; }

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
struct TexturedWrite16 {
    using Format = Format16Bits;
    using Pixel = uint16_t;
    static constexpr bool kLowerFloor = false;  // a plain floor
    static constexpr bool kTintPerPixel = true; // the draw colour counts twice with vertex colours

    static void Opaque(uint16_t* pixel, uint32_t c) { *pixel = static_cast<uint16_t>(Format::PackWord(c)); }

    static void Blend(uint16_t* pixel, uint32_t a, uint32_t source)
    {
        *pixel = Format::Blend(*pixel, a, Format::PackWord(source));
    }
};

using TexturedWrite565 = TexturedWrite16<Format565>;
using TexturedWrite555 = TexturedWrite16<Format555>;

// kFlags: the filler's slot bits kSpanBlended, kSpanVertexColors, kSpanColored
// and kSpanLinear (kSpanTextured is implied).
//
// Per pixel: sample c with coverage alpha (255 unless blended; a blended
// pixel of coverage 8 or less is left alone); modulate, c' = c x m / 256 and
// a = alpha x m.a / 256; for bilinear samples premultiply again by m.a; then
// a of 240 or more writes the colour opaque, anything less blends.
template <class Write, unsigned kFlags>
class TexturedShader {
public:
    static constexpr bool kBlended = (kFlags & kSpanBlended) != 0;
    static constexpr bool kVertex = (kFlags & kSpanVertexColors) != 0;
    static constexpr bool kColored = (kFlags & kSpanColored) != 0;
    static constexpr bool kLinear = (kFlags & kSpanLinear) != 0;
    static constexpr bool kModulated = kVertex || kColored;
    static constexpr unsigned kAttributes = kSpanTextureAttributes | (kVertex ? kSpanColorAttributes : 0);

    TexturedShader(SpanVertex (&vertices)[3], const TextureInfo* texture, const SpanColor* color)
        : mTexels(texture),
          mA(kColored && color != nullptr ? ColorChannel(color->mA) : 255),
          mR(kColored && color != nullptr ? ColorChannel(color->mR) : 255),
          mG(kColored && color != nullptr ? ColorChannel(color->mG) : 255),
          mB(kColored && color != nullptr ? ColorChannel(color->mB) : 255)
    {
        if constexpr (kVertex && kColored) {
            // The walker's own copies: a fan's hub vertex is scaled once per
            // triangle and the caller's records stay as they were.
            for (SpanVertex& v : vertices) {
                v.mA = Tint(v.mA, mA);
                v.mR = Tint(v.mR, mR);
                v.mG = Tint(v.mG, mG);
                v.mB = Tint(v.mB, mB);
            }
        }
    }

    void Shade(typename Write::Pixel* pixel, const SpanAttributes& at) const
    {
        uint32_t c;
        uint32_t alpha;
        if constexpr (kLinear) {
            const FilteredTexel sample = mTexels.template Bilinear<Write::kLowerFloor>(at.mU, at.mV);
            c = sample.mColor;
            alpha = sample.mAlpha;
        } else {
            const uint32_t texel = mTexels.Nearest(at.mU, at.mV);
            c = texel & 0xFFFFFF;
            alpha = texel >> 24;
        }
        if constexpr (kBlended) {
            if (alpha <= 8) {
                return;
            }
        } else {
            alpha = 255;
        }

        uint32_t a = alpha;
        if constexpr (kModulated) {
            uint32_t ma;
            uint32_t mr;
            uint32_t mg;
            uint32_t mb;
            if constexpr (!kVertex) {
                ma = static_cast<uint32_t>(mA);
                mr = static_cast<uint32_t>(mR);
                mg = static_cast<uint32_t>(mG);
                mb = static_cast<uint32_t>(mB);
            } else if constexpr (kColored && Write::kTintPerPixel) {
                // Scaled by the draw colour at set-up and again here, with
                // the interpolation's fraction.
                ma = (static_cast<uint32_t>(mA) * FixedChannel(at.mA)) >> 24;
                mr = (static_cast<uint32_t>(mR) * FixedChannel(at.mR)) >> 24;
                mg = (static_cast<uint32_t>(mG) * FixedChannel(at.mG)) >> 24;
                mb = (static_cast<uint32_t>(mB) * FixedChannel(at.mB)) >> 24;
            } else {
                ma = WholeChannel(at.mA);
                mr = WholeChannel(at.mR);
                mg = WholeChannel(at.mG);
                mb = WholeChannel(at.mB);
            }
            c = ((((c >> 16) & 0xFF) * mr) >> 8) << 16 | ((((c >> 8) & 0xFF) * mg) >> 8) << 8
                | (((c & 0xFF) * mb) >> 8);
            a = (alpha * ma) >> 8;
            if constexpr (kLinear) {
                c = ScaleColor(c, ma);
            }
        }

        if (a >= 240) {
            Write::Opaque(pixel, c);
        } else if constexpr (kLinear) {
            Write::Blend(pixel, a, c); // already premultiplied
        } else {
            Write::Blend(pixel, a, ScaleColor(c, a));
        }
    }

private:
    // value x channel >> 8, the value held to 0.0-255.99 so that the product
    // fits 32 bits.
    static int32_t Tint(int32_t value, uint64_t channel)
    {
        return static_cast<int32_t>((FixedChannel(value) * static_cast<uint32_t>(channel)) >> 8);
    }

    TexelSource mTexels;
    // The draw colour, clamped to 0-255 (white when not coloured).
    uint64_t mA;
    uint64_t mR;
    uint64_t mG;
    uint64_t mB;
};

} // namespace Lumo::TriangleRasterizer
