// The named textured fillers (table entries 16-31 of each destination format).
// The 32-bit slots other than the two shared ones are reached through the
// table only (RegisterTexturedFillers32 in TriangleRasterizer.h).
#pragma once

#include "framework/rasterizer/TriangleRasterizer.h"

namespace Lumo::TriangleRasterizer {

// Entries 16 and 17 of both 32-bit formats: every covered pixel opaque, with
// the texel (alpha ignored) or its premultiplied bilinear sample.
void SpanTexCopy(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                 const SpanColor* color);
void SpanTexLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                   const SpanColor* color);

// 16-bit, not blended (entries 80-87 for 565, 112-119 for 555).
void Span565Tex(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span565TexLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span565TexTint(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span565TexTintLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span565TexVertex(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span565TexVertexLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span565TexVertexTint(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span565TexVertexTintLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555Tex(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555TexLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555TexTint(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555TexTintLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555TexVertex(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555TexVertexLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555TexVertexTint(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void Span555TexVertexTintLinear(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);

// 16-bit, blended by the texture's alpha (entries 88-95 for 565, 120-127 for 555).
void SpanTexBlend565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendLinear565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendColor565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendColorLinear565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertex565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertexLinear565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertexColor565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertexColorLinear565(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlend555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendLinear555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendColor555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendColorLinear555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertex555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertexLinear555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertexColor555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);
void SpanTexBlendVertexColorLinear555(const SpanVertex*, uint8_t*, int, const TextureInfo*, const SpanColor*);

} // namespace Lumo::TriangleRasterizer
