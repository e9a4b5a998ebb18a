// The software triangle rasterizer: the entry that clips a strip of vertices
// and fans each piece into one of 128 span functions (fillers), chosen by the
// drawing flags and the destination's pixel format, and the records they share.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <cstdint>

namespace Lumo {
class MemoryImage;
}

namespace Lumo::TriangleRasterizer {

// One vertex in the caller's units (20 bytes, this layout exactly).
struct ClipVertex {
    float mX;        // destination column
    float mY;        // destination row
    float mU;        // texture across, 0.0 left edge to 1.0 right edge
    float mV;        // texture down, 0.0 top edge to 1.0 bottom edge
    uint32_t mColor; // 0xAARRGGBB
};

// One vertex as the fillers take it: every value 16.16 fixed point.
struct SpanVertex {
    int32_t mX; // destination position
    int32_t mY;
    int32_t mA; // vertex colour, 0.0-255.0
    int32_t mR;
    int32_t mG;
    int32_t mB;
    int32_t mU; // texture position in texels
    int32_t mV;
};

// The texture of a textured triangle. The fillers address texels through
// mBits, mWidth and mSize only; nothing wraps and nothing assumes a power of two.
struct TextureInfo {
    const uint32_t* mBits; // 0xAARRGGBB, row-major, mWidth texels a row
    int32_t mShift;        // 16 - floor(log2(width))
    uint32_t mUMask;       // (width - 1) << 16
    uint32_t mVMask;       // (height - 1) << 16
    int32_t mWidth;
    int32_t mSize;         // width x height
    int32_t mHeight;
};

// The draw colour, each channel 0-255.
struct SpanColor {
    int32_t mA;
    int32_t mR;
    int32_t mG;
    int32_t mB;
};

// A filler: draws one triangle (three records, left unchanged) into the pixels
// at bits (pixel (0, 0)), rows pitch bytes apart.
using SpanFunction = void (*)(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                              const SpanColor* color);

// Destination pixel formats; any other code draws as 0x8888.
constexpr int kPixelFormat8888 = 0x8888; // 32-bit with alpha
constexpr int kPixelFormat888 = 0x888;   // 32-bit, top byte written 0xFF and never read
constexpr int kPixelFormat565 = 0x565;
constexpr int kPixelFormat555 = 0x555;

// Table index: group (format) x 32 + the flag bits below.
constexpr int kSpanTextured = 16;
constexpr int kSpanBlended = 8;
constexpr int kSpanVertexColors = 4;
constexpr int kSpanColored = 2; // the draw colour is not white
constexpr int kSpanLinear = 1;
constexpr int kSpanGroupSize = 32;
constexpr int kSpanFunctionCount = 128;

// The process-wide table, all null until InitSpanFunctions runs.
extern SpanFunction gSpanFunctions[kSpanFunctionCount];

// Fills all 128 entries; called once at start-up, harmless to call again.
void InitSpanFunctions();

// Draws vertices as a triangle strip (triangle k is k, k+1, k+2, or k, k+2, k+1
// when k is odd), each triangle clipped to clipRect and drawn as a fan. Writes
// only pixels inside clipRect, which must lie inside the destination. drawMode
// is not used. Fewer than 3 vertices draw nothing (the texture is committed all
// the same).
void DrawTriangles(const ClipVertex* vertices, int count, MemoryImage* texture, const Color& color, int drawMode,
                   const TRect<int>& clipRect, void* bits, int pitch, int pixelFormat, bool linearBlend,
                   bool vertexColors);

// Index from the flags and the format; calls that entry unless it is null.
void ChooseSpanFunction(bool textured, bool blended, bool vertexColors, bool colorNotWhite,
                        const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                        const SpanColor* color, int pixelFormat, bool linearBlend);
int SpanFunctionIndex(bool textured, bool blended, bool vertexColors, bool colorNotWhite, int pixelFormat,
                      bool linearBlend);

// Clipping: the triangle (three vertex pointers) cut to the bounds, both
// inclusive. output receives the polygon's vertex pointers (at most 7) and a
// null terminator, so it needs room for 8. Result: the vertex count, 0 when
// nothing is inside. New vertices come from a process-wide pool that each
// call starts afresh: they stay valid until the next ClipPolygon. Cut points
// lie exactly on the bound they were cut at.
constexpr int kMaxClippedVertices = 7;
int ClipPolygon(const ClipVertex* const* triangle, const ClipVertex** output, float left, float right, float top,
                float bottom);

// The untextured fillers (entries 0-15 of each group).
void SpanNone(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
              const SpanColor* color);
void SpanGouraud8888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                     const SpanColor* color);
void SpanGouraudColor8888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                          const SpanColor* color);
void SpanGouraud888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                    const SpanColor* color);
void SpanGouraudColor888(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                         const SpanColor* color);
void Span565Vertex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                   const SpanColor* color);
void Span565VertexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                       const SpanColor* color);
void Span555Vertex(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                   const SpanColor* color);
void Span555VertexTint(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                       const SpanColor* color);

// The textured fillers register themselves here: the 32-bit ones write
// entries 16-31 and 48-63 of table, the 16-bit ones 80-95 and 112-127.
void RegisterTexturedFillers32(SpanFunction* table);
void RegisterTexturedFillers16(SpanFunction* table);

} // namespace Lumo::TriangleRasterizer
