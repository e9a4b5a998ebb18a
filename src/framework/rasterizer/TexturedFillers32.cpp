// The textured fillers of the 32-bit destinations (8888 and 888): one span
// walk per flag set and format, specialised at compile time.
#include "framework/rasterizer/TexturedFillers.h"
#include "framework/rasterizer/TexturedShader.h"

#include <utility>

namespace Lumo::TriangleRasterizer {

namespace {

// Slots 18-31 (flag bits 2-15 above kSpanTextured) of one 32-bit format.
template <class Write, unsigned... kFlags>
void RegisterFamily(SpanFunction* group, std::integer_sequence<unsigned, kFlags...>)
{
    ((group[kSpanTextured + 2 + kFlags] = &SpanTextured<Write, 2 + kFlags>), ...);
}

} // namespace

// Opaque writes only, so one function serves 8888 and 888 alike.
void SpanTexCopy(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                 const SpanColor* color)
{
    SpanTextured<TexturedWrite8888, 0>(vertices, bits, pitch, texture, color);
}

void SpanTexLinear(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                   const SpanColor* color)
{
    SpanTextured<TexturedWrite8888, kSpanLinear>(vertices, bits, pitch, texture, color);
}

void RegisterTexturedFillers32(SpanFunction* table)
{
    SpanFunction* const group8888 = table;
    SpanFunction* const group888 = table + kSpanGroupSize;
    group8888[kSpanTextured] = &SpanTexCopy;
    group8888[kSpanTextured + kSpanLinear] = &SpanTexLinear;
    group888[kSpanTextured] = &SpanTexCopy;
    group888[kSpanTextured + kSpanLinear] = &SpanTexLinear;
    RegisterFamily<TexturedWrite8888>(group8888, std::make_integer_sequence<unsigned, 14>());
    RegisterFamily<TexturedWrite888>(group888, std::make_integer_sequence<unsigned, 14>());
}

} // namespace Lumo::TriangleRasterizer
