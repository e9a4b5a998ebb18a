// The textured fillers of the 16-bit destinations (565 and 555): one span
// walk per flag set and layout, specialised at compile time. The 555 twin of
// each filler differs only in the packing of the destination.
#include "framework/rasterizer/TexturedFillers.h"
#include "framework/rasterizer/TexturedShader.h"

namespace Lumo::TriangleRasterizer {

namespace {

constexpr unsigned kAllFlags = kSpanBlended | kSpanVertexColors | kSpanColored | kSpanLinear;

} // namespace

void Span565Tex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                const SpanColor* color)
{
    SpanTextured<TexturedWrite565, 0>(vertices, bits, pitch, texture, color);
}

void Span565TexLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                      const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanLinear>(vertices, bits, pitch, texture, color);
}

void Span565TexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                    const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanColored>(vertices, bits, pitch, texture, color);
}

void Span565TexTintLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanColored | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void Span565TexVertex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                      const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanVertexColors>(vertices, bits, pitch, texture, color);
}

void Span565TexVertexLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                            const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanVertexColors | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void Span565TexVertexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanVertexColors | kSpanColored>(vertices, bits, pitch, texture, color);
}

void Span565TexVertexTintLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanVertexColors | kSpanColored | kSpanLinear>(
        vertices, bits, pitch, texture, color);
}

void SpanTexBlend565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                     const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanBlended>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendLinear565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                           const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanBlended | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendColor565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanBlended | kSpanColored>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendColorLinear565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanBlended | kSpanColored | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertex565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                           const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanBlended | kSpanVertexColors>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertexLinear565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                 const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanBlended | kSpanVertexColors | kSpanLinear>(
        vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertexColor565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kSpanBlended | kSpanVertexColors | kSpanColored>(
        vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertexColorLinear565(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                      const SpanColor* color)
{
    SpanTextured<TexturedWrite565, kAllFlags>(vertices, bits, pitch, texture, color);
}

void Span555Tex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                const SpanColor* color)
{
    SpanTextured<TexturedWrite555, 0>(vertices, bits, pitch, texture, color);
}

void Span555TexLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                      const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanLinear>(vertices, bits, pitch, texture, color);
}

void Span555TexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                    const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanColored>(vertices, bits, pitch, texture, color);
}

void Span555TexTintLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanColored | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void Span555TexVertex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                      const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanVertexColors>(vertices, bits, pitch, texture, color);
}

void Span555TexVertexLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                            const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanVertexColors | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void Span555TexVertexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanVertexColors | kSpanColored>(vertices, bits, pitch, texture, color);
}

void Span555TexVertexTintLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanVertexColors | kSpanColored | kSpanLinear>(
        vertices, bits, pitch, texture, color);
}

void SpanTexBlend555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                     const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanBlended>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendLinear555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                           const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanBlended | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendColor555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanBlended | kSpanColored>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendColorLinear555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanBlended | kSpanColored | kSpanLinear>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertex555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                           const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanBlended | kSpanVertexColors>(vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertexLinear555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                 const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanBlended | kSpanVertexColors | kSpanLinear>(
        vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertexColor555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kSpanBlended | kSpanVertexColors | kSpanColored>(
        vertices, bits, pitch, texture, color);
}

void SpanTexBlendVertexColorLinear555(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                                      const SpanColor* color)
{
    SpanTextured<TexturedWrite555, kAllFlags>(vertices, bits, pitch, texture, color);
}

void RegisterTexturedFillers16(SpanFunction* table)
{
    // Index within a group: kSpanTextured plus the flags, in flag order.
    static constexpr SpanFunction k565[16] = {
        &Span565Tex,
        &Span565TexLinear,
        &Span565TexTint,
        &Span565TexTintLinear,
        &Span565TexVertex,
        &Span565TexVertexLinear,
        &Span565TexVertexTint,
        &Span565TexVertexTintLinear,
        &SpanTexBlend565,
        &SpanTexBlendLinear565,
        &SpanTexBlendColor565,
        &SpanTexBlendColorLinear565,
        &SpanTexBlendVertex565,
        &SpanTexBlendVertexLinear565,
        &SpanTexBlendVertexColor565,
        &SpanTexBlendVertexColorLinear565,
    };
    static constexpr SpanFunction k555[16] = {
        &Span555Tex,
        &Span555TexLinear,
        &Span555TexTint,
        &Span555TexTintLinear,
        &Span555TexVertex,
        &Span555TexVertexLinear,
        &Span555TexVertexTint,
        &Span555TexVertexTintLinear,
        &SpanTexBlend555,
        &SpanTexBlendLinear555,
        &SpanTexBlendColor555,
        &SpanTexBlendColorLinear555,
        &SpanTexBlendVertex555,
        &SpanTexBlendVertexLinear555,
        &SpanTexBlendVertexColor555,
        &SpanTexBlendVertexColorLinear555,
    };
    SpanFunction* const group565 = table + 2 * kSpanGroupSize + kSpanTextured;
    SpanFunction* const group555 = table + 3 * kSpanGroupSize + kSpanTextured;
    for (int i = 0; i < 16; ++i) {
        group565[i] = k565[i];
        group555[i] = k555[i];
    }
}

} // namespace Lumo::TriangleRasterizer
