// The rasterizer's entry: strip to triangles, clipping, the one conversion to
// 16.16 fixed point, fans, and the table of fillers with its chooser.
#include "framework/rasterizer/TriangleRasterizer.h"

#include "framework/graphics/MemoryImage.h"

#include <cstdint>

namespace Lumo::TriangleRasterizer {

SpanFunction gSpanFunctions[kSpanFunctionCount] = {};

namespace {

// 16.16 holds whole values from -32768 to 32767; nothing outside can be drawn.
constexpr int64_t kMinCoordinate = -32768;
constexpr int64_t kMaxCoordinate = 32767;

float ClampBound(int64_t v)
{
    return static_cast<float>(v < kMinCoordinate ? kMinCoordinate : (v > kMaxCoordinate ? kMaxCoordinate : v));
}

// A position inside [low, high] times 65536.0 in single precision, truncated.
// Clipping puts every vertex there already, bar an ulp of rounding on the
// coordinate it was not cut at.
int32_t FixedPosition(float v, float low, float high)
{
    const float clamped = v < low ? low : (v > high ? high : v);
    return static_cast<int32_t>(clamped * 65536.0f);
}

// Truncated toward zero, saturated; not a number gives 0. Texture positions
// are not bounded: every texel read is.
int32_t FixedSaturated(float v)
{
    if (!(v == v)) {
        return 0;
    }
    if (v >= 2147483647.0f) {
        return INT32_MAX;
    }
    if (v <= -2147483648.0f) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(v);
}

int32_t ClampChannel(int c)
{
    return c < 0 ? 0 : (c > 255 ? 255 : c);
}

int GroupOf(int pixelFormat)
{
    switch (pixelFormat) {
    case kPixelFormat888:
        return 1;
    case kPixelFormat565:
        return 2;
    case kPixelFormat555:
        return 3;
    default:
        return 0;
    }
}

void FillUntextured(int group, SpanFunction vertex, SpanFunction vertexTint)
{
    SpanFunction* entries = gSpanFunctions + group * kSpanGroupSize;
    for (int i = 0; i < kSpanTextured; ++i) {
        if ((i & kSpanVertexColors) == 0) {
            entries[i] = SpanNone;
        } else {
            entries[i] = (i & kSpanColored) != 0 ? vertexTint : vertex;
        }
    }
}

} // namespace

void InitSpanFunctions()
{
    for (SpanFunction& entry : gSpanFunctions) {
        entry = nullptr;
    }
    FillUntextured(0, SpanGouraud8888, SpanGouraudColor8888);
    FillUntextured(1, SpanGouraud888, SpanGouraudColor888);
    FillUntextured(2, Span565Vertex, Span565VertexTint);
    FillUntextured(3, Span555Vertex, Span555VertexTint);
    RegisterTexturedFillers32(gSpanFunctions);
    RegisterTexturedFillers16(gSpanFunctions);
}

int SpanFunctionIndex(bool textured, bool blended, bool vertexColors, bool colorNotWhite, int pixelFormat,
                      bool linearBlend)
{
    return GroupOf(pixelFormat) * kSpanGroupSize + (textured ? kSpanTextured : 0) + (blended ? kSpanBlended : 0)
        + (vertexColors ? kSpanVertexColors : 0) + (colorNotWhite ? kSpanColored : 0) + (linearBlend ? kSpanLinear : 0);
}

void ChooseSpanFunction(bool textured, bool blended, bool vertexColors, bool colorNotWhite,
                        const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture,
                        const SpanColor* color, int pixelFormat, bool linearBlend)
{
    const SpanFunction function =
        gSpanFunctions[SpanFunctionIndex(textured, blended, vertexColors, colorNotWhite, pixelFormat, linearBlend)];
    if (function != nullptr) {
        function(vertices, bits, pitch, texture, color);
    }
}

void DrawTriangles(const ClipVertex* vertices, int count, MemoryImage* texture, const Color& color, int /*drawMode*/,
                   const TRect<int>& clipRect, void* bits, int pitch, int pixelFormat, bool linearBlend,
                   bool vertexColors)
{
    const float left = ClampBound(clipRect.mX);
    const float top = ClampBound(clipRect.mY);
    const float right = ClampBound(int64_t(clipRect.mX) + clipRect.mWidth);
    const float bottom = ClampBound(int64_t(clipRect.mY) + clipRect.mHeight);

    const bool colorNotWhite = color.mRed != 255 || color.mGreen != 255 || color.mBlue != 255 || color.mAlpha != 255;
    // Channels outside 0-255 would wrap the fillers' products.
    const SpanColor spanColor = {ClampChannel(color.mAlpha), ClampChannel(color.mRed), ClampChannel(color.mGreen),
                                 ClampChannel(color.mBlue)};

    if (texture != nullptr) {
        texture->CommitBits();
    }
    const bool textured = texture != nullptr;
    const bool blended = textured && (texture->mHasAlpha || texture->mHasTrans || linearBlend);

    if (count < 3 || vertices == nullptr || bits == nullptr) {
        return;
    }

    TextureInfo textureInfo = {};
    bool haveTextureInfo = false;
    float textureWidth = 0.0f;
    float textureHeight = 0.0f;
    if (textured) {
        textureWidth = static_cast<float>(texture->GetWidth());
        textureHeight = static_cast<float>(texture->GetHeight());
    }

    uint8_t* const destination = static_cast<uint8_t*>(bits);
    for (int k = 0; k + 2 < count; ++k) {
        // Odd triangles swap their last two so that the strip keeps its winding.
        const ClipVertex* triangle[3] = {&vertices[k], &vertices[k + ((k & 1) != 0 ? 2 : 1)],
                                         &vertices[k + ((k & 1) != 0 ? 1 : 2)]};
        const ClipVertex* polygon[kMaxClippedVertices + 1];
        const int n = ClipPolygon(triangle, polygon, left, right, top, bottom);
        if (n < 3) {
            continue;
        }

        SpanVertex span[kMaxClippedVertices] = {};
        bool isNumber = true;
        for (int i = 0; i < n; ++i) {
            const ClipVertex& v = *polygon[i];
            if (!(v.mX == v.mX) || !(v.mY == v.mY)) {
                isNumber = false;
                break;
            }
            SpanVertex& s = span[i];
            s.mX = FixedPosition(v.mX, left, right);
            s.mY = FixedPosition(v.mY, top, bottom);
            if (textured) {
                s.mU = FixedSaturated(v.mU * textureWidth * 65536.0f);
                s.mV = FixedSaturated(v.mV * textureHeight * 65536.0f);
            }
            if (vertexColors) {
                s.mA = static_cast<int32_t>(((v.mColor >> 24) & 0xFF) << 16);
                s.mR = static_cast<int32_t>(((v.mColor >> 16) & 0xFF) << 16);
                s.mG = static_cast<int32_t>(((v.mColor >> 8) & 0xFF) << 16);
                s.mB = static_cast<int32_t>((v.mColor & 0xFF) << 16);
            }
        }
        if (!isNumber) {
            continue; // a position that is not a number covers nothing
        }

        if (textured && !haveTextureInfo) {
            const int width = texture->GetWidth() > 0 ? texture->GetWidth() : 0;
            const int height = texture->GetHeight() > 0 ? texture->GetHeight() : 0;
            const int64_t size = int64_t(width) * height;
            int log2Width = 0;
            for (int w = width; w >= 2; w >>= 1) {
                ++log2Width;
            }
            textureInfo.mBits = texture->GetBits();
            textureInfo.mShift = 16 - log2Width;
            textureInfo.mUMask = static_cast<uint32_t>(width - 1) << 16;
            textureInfo.mVMask = static_cast<uint32_t>(height - 1) << 16;
            textureInfo.mWidth = width;
            textureInfo.mSize = size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
            textureInfo.mHeight = height;
            haveTextureInfo = true;
        }

        // A fan around the polygon's first vertex, the same record each time.
        SpanVertex fan[3] = {span[0], span[1], span[2]};
        ChooseSpanFunction(textured, blended, vertexColors, colorNotWhite, fan, destination, pitch,
                           textured ? &textureInfo : nullptr, &spanColor, pixelFormat, linearBlend);
        for (int i = 3; i < n; ++i) {
            fan[1] = span[i - 1];
            fan[2] = span[i];
            ChooseSpanFunction(textured, blended, vertexColors, colorNotWhite, fan, destination, pitch,
                               textured ? &textureInfo : nullptr, &spanColor, pixelFormat, linearBlend);
        }
    }
}

} // namespace Lumo::TriangleRasterizer
