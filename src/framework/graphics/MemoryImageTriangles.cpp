// Matrix and triangle blits, the coverage fill and palettizing of the memory
// image. The two blits only build vertex records; the triangle rasterizer
// draws them.
#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/Matrix3.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace Lumo {

namespace {

// (dest * (256 - w) + colour * w) >> 8 for red, green and blue; red and blue
// share one multiply. Each lane's sum stays at or below 255 * 256.
inline uint32_t MixChannels(uint32_t dst, uint32_t color, uint32_t w)
{
    const uint32_t inv = 256 - w;
    const uint32_t rb = (((dst & 0x00FF00FF) * inv + (color & 0x00FF00FF) * w) >> 8) & 0x00FF00FF;
    const uint32_t g = (((dst & 0x0000FF00) * inv + (color & 0x0000FF00) * w) >> 8) & 0x0000FF00;
    return rb | g;
}

} // namespace

void MemoryImage::FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int,
                                            const unsigned char* coverage, int coverageX, int coverageY,
                                            int coveragePitch, int)
{
    uint32_t* bits = GetBits();
    // An alpha outside 0-255 is a caller's error; held in range it can never
    // make the composite alpha 0, which the weight divides by.
    const uint32_t colorAlpha = static_cast<uint32_t>(std::clamp(color.mAlpha, 0, 255));
    const uint32_t packed = color.ToInt();
    // The weighted alpha of every coverage byte, once per call.
    uint8_t alphaOf[256];
    for (uint32_t c = 0; c < 256; ++c) {
        alphaOf[c] = static_cast<uint8_t>((colorAlpha * (c + 1)) >> 8);
    }

    for (int s = 0; s < count && colorAlpha > 0; ++s) {
        const Span& span = spans[s];
        if (span.mY < 0 || span.mY >= mHeight || span.mWidth <= 0) {
            continue;
        }
        // The caller clips; this only keeps a span that reaches outside the
        // image from writing outside the pixels. The coverage stays aligned
        // with the span's own first pixel.
        const int64_t left = std::max<int64_t>(span.mX, 0);
        const int64_t right = std::min<int64_t>(int64_t(span.mX) + span.mWidth, mWidth);
        if (left >= right) {
            continue;
        }
        uint32_t* dst = bits + ptrdiff_t(span.mY) * mWidth;
        // Coverage of pixel x of this row: coverage[rowOffset + x].
        const ptrdiff_t rowOffset = (ptrdiff_t(span.mY) - coverageY) * coveragePitch - coverageX;
        for (ptrdiff_t x = ptrdiff_t(left); x < ptrdiff_t(right); ++x) {
            const uint32_t a = alphaOf[coverage[rowOffset + x]];
            if (a == 0) {
                continue;
            }
            const uint32_t d = dst[x] >> 24;
            if (d == 255) {
                // A = 255 and w = a.
                dst[x] = 0xFF000000 | MixChannels(dst[x], packed, a);
            } else {
                const uint32_t newAlpha = d + ((255 - d) * a) / 255;
                const uint32_t w = (a * 255) / newAlpha;
                dst[x] = newAlpha << 24 | MixChannels(dst[x], packed, w);
            }
        }
    }
    BitsChanged();
}

namespace {

// The pixel format the rasterizer writes a memory image in: without alpha in
// the words only when the image's flags are forced to say it has none.
int PixelFormatOf(const MemoryImage& image)
{
    return image.mForcedMode && !image.mHasAlpha && !image.mHasTrans ? TriangleRasterizer::kPixelFormat888
                                                                       : TriangleRasterizer::kPixelFormat8888;
}

} // namespace

void MemoryImage::BltMatrix(Image* image, float x, float y, const Matrix3& matrix, const TRect<int>& clipRect,
                            const Color& color, int drawMode, const TRect<int>& srcRect, bool blend)
{
    if (image != nullptr) {
        image->mDrawn = true;
    }
    uint32_t* bits = GetBits();
    BltMatrixImpl(image, x, y, matrix, clipRect, color, drawMode, srcRect, bits, mWidth * 4, PixelFormatOf(*this),
                  blend);
    BitsChanged();
}

void MemoryImage::BltTrianglesTex(Image* texture, const TriangleRasterizer::ClipVertex (*vertices)[3],
                                  int numTriangles, const TRect<int>& clipRect, const Color& color, int drawMode,
                                  float tx, float ty, bool blend)
{
    if (texture != nullptr) {
        texture->mDrawn = true;
    }
    uint32_t* bits = GetBits();
    BltTrianglesTexImpl(texture, vertices, numTriangles, clipRect, color, drawMode, bits, mWidth * 4,
                        PixelFormatOf(*this), tx, ty, blend);
    BitsChanged();
}

void MemoryImage::BltMatrixImpl(Image* image, float x, float y, const Matrix3& matrix, const TRect<int>& clipRect,
                                const Color& color, int drawMode, const TRect<int>& srcRect, void* surface,
                                int pitch, int pixelFormat, bool blend)
{
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr) {
        return;
    }

    const float halfWidth = static_cast<float>(srcRect.mWidth) * 0.5f;
    const float halfHeight = static_cast<float>(srcRect.mHeight) * 0.5f;
    const float imageWidth = static_cast<float>(source->mWidth);
    const float imageHeight = static_cast<float>(source->mHeight);
    const float uLeft = static_cast<float>(srcRect.mX) / imageWidth;
    const float uRight = static_cast<float>(int64_t(srcRect.mX) + srcRect.mWidth) / imageWidth;
    const float vTop = static_cast<float>(srcRect.mY) / imageHeight;
    const float vBottom = static_cast<float>(int64_t(srcRect.mY) + srcRect.mHeight) / imageHeight;

    // Top-left, top-right, bottom-left, bottom-right: one quad as a strip.
    TriangleRasterizer::ClipVertex quad[4] = {
        {-halfWidth, -halfHeight, uLeft, vTop, 0xFFFFFFFF},
        {halfWidth, -halfHeight, uRight, vTop, 0xFFFFFFFF},
        {-halfWidth, halfHeight, uLeft, vBottom, 0xFFFFFFFF},
        {halfWidth, halfHeight, uRight, vBottom, 0xFFFFFFFF},
    };
    // (x, y) is where the rectangle's centre lands; the half-pixel shift puts
    // pixel centres on whole coordinates.
    for (TriangleRasterizer::ClipVertex& v : quad) {
        const Matrix3::Vector2 p = matrix.TransformPoint(v.mX, v.mY);
        v.mX = p.mX + x - 0.5f;
        v.mY = p.mY + y - 0.5f;
    }
    TriangleRasterizer::DrawTriangles(quad, 4, source, color, drawMode, clipRect, surface, pitch, pixelFormat, blend,
                                      false);
}

void MemoryImage::BltTrianglesTexImpl(Image* texture, const TriangleRasterizer::ClipVertex (*vertices)[3],
                                      int numTriangles, const TRect<int>& clipRect, const Color& color, int drawMode,
                                      void* surface, int pitch, int pixelFormat, float tx, float ty, bool blend)
{
    // Anything but a memory image draws the triangles untextured.
    MemoryImage* source = dynamic_cast<MemoryImage*>(texture);
    for (int t = 0; t < numTriangles; ++t) {
        TriangleRasterizer::ClipVertex triangle[3];
        bool vertexColors = false;
        for (int i = 0; i < 3; ++i) {
            triangle[i] = vertices[t][i];
            triangle[i].mX += tx;
            triangle[i].mY += ty;
            vertexColors = vertexColors || triangle[i].mColor != 0;
        }
        TriangleRasterizer::DrawTriangles(triangle, 3, source, color, drawMode, clipRect, surface, pitch, pixelFormat,
                                          blend, vertexColors);
    }
}

bool MemoryImage::Palletize()
{
    CommitBits();
    if (mColorTable != nullptr) {
        return true;
    }
    const uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return false;
    }

    // One spare index after the last pixel, like the word after the bits: a
    // filtered read of the right neighbour of the last pixel stays inside.
    const size_t count = PixelCount();
    auto indices = std::make_unique<uint8_t[]>(count + 1);
    auto table = std::make_unique<uint32_t[]>(256);
    if (!BuildPalette(bits, mWidth, mHeight, indices.get(), table.get())) {
        mWantPal = false;
        return false;
    }
    mColorIndices = std::move(indices);
    mColorTable = std::move(table);
    mBits.reset();
    mNativeAlphaData.reset();
    mWantPal = true;
    return true;
}

bool MemoryImage::BuildPalette(const uint32_t* bits, int width, int height, uint8_t* indices, uint32_t* colorTable)
{
    const size_t count = width > 0 && height > 0 ? size_t(width) * size_t(height) : 0;
    if (count == 0) {
        return true;
    }

    // The colours seen so far, sorted as unsigned words, with the palette
    // index of each beside it.
    uint32_t sorted[256];
    uint8_t sortedIndex[256];
    int held = 1;
    sorted[0] = bits[0];
    sortedIndex[0] = 0;
    colorTable[0] = bits[0];
    indices[0] = 0;

    // Neighbouring pixels mostly repeat a colour: that one needs no search.
    uint32_t lastColor = bits[0];
    uint8_t lastIndex = 0;
    for (size_t i = 1; i < count; ++i) {
        const uint32_t pixel = bits[i];
        if (pixel == lastColor) {
            indices[i] = lastIndex;
            continue;
        }
        int low = 0;
        int high = held - 1;
        int found = -1;
        while (low <= high) {
            const int middle = (low + high) / 2;
            if (pixel < sorted[middle]) {
                high = middle - 1;
            } else if (pixel > sorted[middle]) {
                low = middle + 1;
            } else {
                found = middle;
                break;
            }
        }
        uint8_t index;
        if (found >= 0) {
            index = sortedIndex[found];
        } else {
            if (held == 256) {
                return false;
            }
            std::memmove(sorted + low + 1, sorted + low, size_t(held - low) * sizeof(uint32_t));
            std::memmove(sortedIndex + low + 1, sortedIndex + low, size_t(held - low));
            index = static_cast<uint8_t>(held);
            sorted[low] = pixel;
            sortedIndex[low] = index;
            colorTable[held] = pixel;
            ++held;
        }
        indices[i] = index;
        lastColor = pixel;
        lastIndex = index;
    }
    return true;
}

} // namespace Lumo
