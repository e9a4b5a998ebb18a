// The untextured fillers: nothing, and vertex colours (optionally scaled by
// the draw colour) in each of the four destination formats.
#include "framework/rasterizer/SpanFormats.h"
#include "framework/rasterizer/SpanWalker.h"
#include "framework/rasterizer/TriangleRasterizer.h"

namespace Lumo::TriangleRasterizer {

namespace {

template <class Format, bool kTint>
class GouraudShader {
public:
    static constexpr unsigned kAttributes = kSpanColorAttributes;

    GouraudShader(SpanVertex (&vertices)[3], const TextureInfo*, const SpanColor* color)
    {
        if constexpr (kTint) {
            // On the walker's copies: a hub vertex shared by a fan is scaled
            // once per triangle, never twice.
            for (SpanVertex& v : vertices) {
                v.mA = Tint(v.mA, color->mA);
                v.mR = Tint(v.mR, color->mR);
                v.mG = Tint(v.mG, color->mG);
                v.mB = Tint(v.mB, color->mB);
            }
        }
    }

    void Shade(typename Format::Pixel* pixel, const SpanAttributes& at) const
    {
        Format::Gouraud(pixel, ClampFixed(at.mA), ClampFixed(at.mR), ClampFixed(at.mG), ClampFixed(at.mB));
    }

private:
    static int32_t Tint(int32_t value, int32_t channel)
    {
        return static_cast<int32_t>((static_cast<uint32_t>(value) * static_cast<uint32_t>(channel)) >> 8);
    }
};

} // namespace

void SpanNone(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*)
{
}

void SpanGouraud8888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                     const SpanColor* color)
{
    WalkTriangle<Format8888, GouraudShader<Format8888, false>>(vertices, bits, pitch, texture, color);
}

void SpanGouraudColor8888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color)
{
    WalkTriangle<Format8888, GouraudShader<Format8888, true>>(vertices, bits, pitch, texture, color);
}

void SpanGouraud888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                    const SpanColor* color)
{
    WalkTriangle<Format888, GouraudShader<Format888, false>>(vertices, bits, pitch, texture, color);
}

void SpanGouraudColor888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                         const SpanColor* color)
{
    WalkTriangle<Format888, GouraudShader<Format888, true>>(vertices, bits, pitch, texture, color);
}

void Span565Vertex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                   const SpanColor* color)
{
    WalkTriangle<Format565, GouraudShader<Format565, false>>(vertices, bits, pitch, texture, color);
}

void Span565VertexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                       const SpanColor* color)
{
    WalkTriangle<Format565, GouraudShader<Format565, true>>(vertices, bits, pitch, texture, color);
}

void Span555Vertex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                   const SpanColor* color)
{
    WalkTriangle<Format555, GouraudShader<Format555, false>>(vertices, bits, pitch, texture, color);
}

void Span555VertexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                       const SpanColor* color)
{
    WalkTriangle<Format555, GouraudShader<Format555, true>>(vertices, bits, pitch, texture, color);
}

} // namespace Lumo::TriangleRasterizer
