// The per-pixel work of the textured fillers for the span walk: texel fetch
// (nearest or bilinear), modulation by the draw colour and the vertex colours,
// and the opaque write or blend into the destination. One class template,
// specialised at compile time on the destination and the four flag bits, so
// that the pixel loop holds no flag test.
#pragma once

#include "framework/rasterizer/SpanFormats.h"
#include "framework/rasterizer/SpanWalker.h"
#include "framework/rasterizer/TexelSource.h"
#include "framework/rasterizer/TexturedWrite.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include <cstddef>
#include <cstdint>

namespace Lumo::TriangleRasterizer {

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

// A draw colour channel held to 0-255, so that no product wraps.
inline uint32_t ColorChannel(int32_t c)
{
    return c < 0 ? 0 : (c > 255 ? 255 : static_cast<uint32_t>(c));
}

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

    // A whole span: the plain copy of a run of consecutive texels goes in
    // blocks; everything else pixel by pixel, with the shader's fields and
    // the steps in locals that no pixel store can alias.
    void ShadeSpan(typename Write::Pixel* pixel, typename Write::Pixel* const last, SpanAttributes at,
                   const SpanAttributes& step) const
    {
        const size_t count = static_cast<size_t>(last - pixel);
        if constexpr (kFlags == 0) {
            if (step.mU == 65536 && step.mV == 0) {
                const uint32_t* const run = mTexels.Run(at.mU, at.mV, count);
                if (run != nullptr) {
                    Write::CopyRun(pixel, run, count);
                    return;
                }
            }
        }
        const TexturedShader shader = *this;
        const SpanAttributes delta = step;
        for (; pixel != last; ++pixel) {
            shader.Shade(pixel, at);
            at.mU = SpanWalk::AddWrap(at.mU, delta.mU);
            at.mV = SpanWalk::AddWrap(at.mV, delta.mV);
            if constexpr (kVertex) {
                at.mA = SpanWalk::AddWrap(at.mA, delta.mA);
                at.mR = SpanWalk::AddWrap(at.mR, delta.mR);
                at.mG = SpanWalk::AddWrap(at.mG, delta.mG);
                at.mB = SpanWalk::AddWrap(at.mB, delta.mB);
            }
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

// The filler of one destination write and flag set: the span walk with the
// shader above.
template <class Write, unsigned kFlags>
void SpanTextured(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                  const SpanColor* color)
{
    WalkTriangle<typename Write::Format, TexturedShader<Write, kFlags>>(vertices, bits, pitch, texture, color);
}

} // namespace Lumo::TriangleRasterizer
