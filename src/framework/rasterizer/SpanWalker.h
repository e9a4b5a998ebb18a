// The span walk that every filler shares: it sorts the triangle's vertices,
// steps its two edges row by row with the top-left rule and interpolates the
// attributes a shader asks for; the shader does the per-pixel work. A filler is
// WalkTriangle<Format, Shader>, specialised at compile time on both.
//
// A shader is a class with:
//   static constexpr unsigned kAttributes;  // kSpanColorAttributes | kSpanTextureAttributes
//   Shader(SpanVertex (&vertices)[3], const TextureInfo* texture, const SpanColor* color);
//       built once per triangle that has pixels; it may change the walker's own
//       copies of the vertices (the caller's records are never touched);
//   void Shade(typename Format::Pixel* pixel, const SpanAttributes& at) const;
//       one pixel, with the attributes at its integer point.
// and optionally, in place of the per-pixel calls:
//   void ShadeSpan(Pixel* first, Pixel* last, SpanAttributes at, const SpanAttributes& step) const;
//       the pixels from first up to last, the i-th with at + i x step (each
//       addition wrapping), exactly as the Shade calls would draw them.
#pragma once

#include "framework/rasterizer/TriangleRasterizer.h"

#include <cstddef>
#include <cstdint>

namespace Lumo::TriangleRasterizer {

// Which vertex values a shader needs interpolated.
constexpr unsigned kSpanColorAttributes = 1;   // mA, mR, mG, mB
constexpr unsigned kSpanTextureAttributes = 2; // mU, mV

// The interpolated values at one pixel, 16.16. Only those the shader asked for
// are set. In thin slivers they may wrap; shaders must stay memory-safe for
// any value (texel reads are bounded by the texture's size).
struct SpanAttributes {
    int32_t mA;
    int32_t mR;
    int32_t mG;
    int32_t mB;
    int32_t mU;
    int32_t mV;
};

namespace SpanWalk {

using Wide = __int128;

constexpr int kAttributeCount = 6;
constexpr int32_t SpanVertex::*kVertexMember[kAttributeCount] = {&SpanVertex::mA, &SpanVertex::mR, &SpanVertex::mG,
                                                                  &SpanVertex::mB, &SpanVertex::mU, &SpanVertex::mV};
constexpr int32_t SpanAttributes::*kAttributeMember[kAttributeCount] = {
    &SpanAttributes::mA, &SpanAttributes::mR, &SpanAttributes::mG,
    &SpanAttributes::mB, &SpanAttributes::mU, &SpanAttributes::mV};

constexpr bool Uses(unsigned attributes, int i)
{
    return (attributes & (i < 4 ? kSpanColorAttributes : kSpanTextureAttributes)) != 0;
}

// The row or column whose integer point is the first at or after v (16.16).
inline int64_t Ceil(int64_t v)
{
    return (v + 65535) >> 16;
}

// Upper 32 bits of the exact product: the change per whole row of a value
// that changes by delta over the distance whose 2^48 reciprocal is recip.
inline int64_t Slope(int64_t delta, int64_t recip)
{
    return static_cast<int64_t>((Wide(delta) * recip) >> 32);
}

// (a x b) >> 16, exact.
inline int64_t MulShift16(int64_t a, int64_t b)
{
    return static_cast<int64_t>((Wide(a) * b) >> 16);
}

inline int32_t Saturate32(Wide v)
{
    return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v));
}

// Per-pixel stepping wraps instead of overflowing.
inline int32_t AddWrap(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

} // namespace SpanWalk

template <class Format, class Shader>
void WalkTriangle(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                  const SpanColor* color)
{
    using namespace SpanWalk;
    using Pixel = typename Format::Pixel;
    constexpr unsigned kUses = Shader::kAttributes;

    // Own copies, so that a shader may scale them.
    SpanVertex v[3] = {vertices[0], vertices[1], vertices[2]};
    SpanVertex* t = &v[0];
    SpanVertex* m = &v[1];
    SpanVertex* b = &v[2];
    // Equal heights keep their input order.
    if (t->mY > m->mY) {
        SpanVertex* s = t;
        t = m;
        m = s;
    }
    if (m->mY > b->mY) {
        SpanVertex* s = m;
        m = b;
        b = s;
    }
    if (t->mY > m->mY) {
        SpanVertex* s = t;
        t = m;
        m = s;
    }

    const int64_t topRow = Ceil(t->mY);
    const int64_t midRow = Ceil(m->mY);
    const int64_t bottomRow = Ceil(b->mY);
    if (topRow == bottomRow) {
        return;
    }

    // Long edge, top to bottom. All set-up products are exact (wider than
    // 64 bits where a thin sliver needs it).
    const int64_t recipLong = (int64_t(1) << 48) / (int64_t(b->mY) - t->mY);
    const int64_t dxLong = Slope(int64_t(b->mX) - t->mX, recipLong);
    const int64_t heightToMid = int64_t(m->mY) - t->mY;
    const int64_t xMid = t->mX + MulShift16(dxLong, heightToMid);
    if (xMid == m->mX) {
        return; // the three vertices lie on one line
    }
    const bool longIsLeft = xMid < m->mX;

    // Columns never leave the triangle's bounding box, whatever the rounding
    // of a steep edge; rows cannot (they run from the top to the bottom vertex).
    const int32_t minX = t->mX < m->mX ? (t->mX < b->mX ? t->mX : b->mX) : (m->mX < b->mX ? m->mX : b->mX);
    const int32_t maxX = t->mX > m->mX ? (t->mX > b->mX ? t->mX : b->mX) : (m->mX > b->mX ? m->mX : b->mX);
    const int64_t firstColumn = Ceil(minX);
    const int64_t endColumn = Ceil(maxX);

    Shader shader(v, texture, color);

    const int64_t p = (topRow << 16) - t->mY;
    int64_t xLong = t->mX + MulShift16(dxLong, p);
    const int64_t recipX = (int64_t(1) << 48) / (int64_t(m->mX) - xMid);

    int64_t cLong[kAttributeCount] = {};
    int64_t dcLong[kAttributeCount] = {};
    int64_t dcX[kAttributeCount] = {};
    SpanAttributes step = {};
    for (int i = 0; i < kAttributeCount; ++i) {
        if (Uses(kUses, i)) {
            const int32_t SpanVertex::*member = kVertexMember[i];
            dcLong[i] = Slope(int64_t(b->*member) - t->*member, recipLong);
            cLong[i] = t->*member + MulShift16(dcLong[i], p);
            const Wide acrossMid = Wide(m->*member) - t->*member - MulShift16(dcLong[i], heightToMid);
            // Only a row narrower than about 1/32768 pixel at the middle
            // vertex has a gradient beyond 32 bits.
            dcX[i] = Saturate32((acrossMid * recipX) >> 32);
            step.*kAttributeMember[i] = static_cast<int32_t>(dcX[i]);
        }
    }

    const ptrdiff_t stride = pitch & ~ptrdiff_t(sizeof(Pixel) - 1);
    uint8_t* row = bits + topRow * stride;

    auto runRows = [&](int64_t rows, int64_t xShort, int64_t dxShort) {
        for (; rows > 0; --rows) {
            const int64_t left = longIsLeft ? xLong : xShort;
            const int64_t right = longIsLeft ? xShort : xLong;
            int64_t start = Ceil(left);
            int64_t end = Ceil(right);
            if (start < firstColumn) {
                start = firstColumn;
            }
            if (end > endColumn) {
                end = endColumn;
            }
            if (end > start) {
                const int64_t q = (start << 16) - xLong;
                SpanAttributes at = {};
                for (int i = 0; i < kAttributeCount; ++i) {
                    if (Uses(kUses, i)) {
                        // Wraps only in slivers.
                        at.*kAttributeMember[i] = static_cast<int32_t>(cLong[i] + MulShift16(dcX[i], q));
                    }
                }
                Pixel* pixel = reinterpret_cast<Pixel*>(row) + start;
                Pixel* const last = pixel + (end - start);
                if constexpr (requires { shader.ShadeSpan(pixel, last, at, step); }) {
                    shader.ShadeSpan(pixel, last, at, step);
                } else {
                    // A local copy: pixel stores may alias the captured steps,
                    // which would then be reloaded for every pixel.
                    const SpanAttributes d = step;
                    for (; pixel != last; ++pixel) {
                        shader.Shade(pixel, at);
                        if constexpr ((kUses & kSpanColorAttributes) != 0) {
                            at.mA = AddWrap(at.mA, d.mA);
                            at.mR = AddWrap(at.mR, d.mR);
                            at.mG = AddWrap(at.mG, d.mG);
                            at.mB = AddWrap(at.mB, d.mB);
                        }
                        if constexpr ((kUses & kSpanTextureAttributes) != 0) {
                            at.mU = AddWrap(at.mU, d.mU);
                            at.mV = AddWrap(at.mV, d.mV);
                        }
                    }
                }
            }
            xLong += dxLong;
            xShort += dxShort;
            for (int i = 0; i < kAttributeCount; ++i) {
                if (Uses(kUses, i)) {
                    cLong[i] += dcLong[i];
                }
            }
            row += stride;
        }
    };

    if (midRow > topRow) {
        const int64_t recipShort = (int64_t(1) << 48) / heightToMid;
        const int64_t dxShort = Slope(int64_t(m->mX) - t->mX, recipShort);
        runRows(midRow - topRow, t->mX + MulShift16(dxShort, p), dxShort);
    }
    if (bottomRow > midRow) {
        const int64_t recipShort = (int64_t(1) << 48) / (int64_t(b->mY) - m->mY);
        const int64_t dxShort = Slope(int64_t(b->mX) - m->mX, recipShort);
        runRows(bottomRow - midRow, m->mX + MulShift16((midRow << 16) - m->mY, dxShort), dxShort);
    }
}

} // namespace Lumo::TriangleRasterizer
