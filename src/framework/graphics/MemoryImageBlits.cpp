// Unscaled software blits of the memory image: Blt and BltF, and the normal
// and additive bodies behind them. The per-pixel arithmetic is in
// PixelBlend.h.
#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/BlitArea.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelBlendAvx2.h"

#include <algorithm>
#include <cstdint>

namespace Lumo {

namespace {

using PixelBlend::Tint;

// Pixels of a palette source are expanded into a stack buffer of this many
// words before a row kernel sees them.
constexpr int kChunk = 256;

// The source's pixels: its ARGB bits, or its colour table and indices.
struct SourcePixels {
    const uint32_t* bits;
    const uint32_t* table;
    const uint8_t* indices;
    int width;
};

// Calls row(dst, src, srcIndex, count) over the area, srcIndex being the
// source pixel index of src[0] (for the run-length table). A palette source
// is expanded chunk by chunk. When the source lies before the destination in
// the same pixels, rows run bottom-up and chunks right to left, each chunk
// copied aside first, so that every pixel is read before it is overwritten:
// the result is that of a blit from an untouched copy.
template <typename RowFn>
void ForEachRow(const SourcePixels& src, bool sameImage, uint32_t* dstBits, int dstWidth, const BlitArea& area,
                RowFn&& row)
{
    const auto srcIndexOf = [&](int j) {
        return size_t(area.srcY + j) * size_t(src.width) + size_t(area.srcX);
    };
    const auto dstRowOf = [&](int j) {
        return dstBits + size_t(area.dstY + j) * size_t(dstWidth) + size_t(area.dstX);
    };
    alignas(16) uint32_t chunk[kChunk];

    if (src.bits != nullptr) {
        const bool backwards = sameImage && src.bits + srcIndexOf(0) < dstRowOf(0)
            && src.bits + srcIndexOf(area.height - 1) + size_t(area.width) > dstRowOf(0);
        if (!backwards) {
            for (int j = 0; j < area.height; ++j) {
                const size_t srcIndex = srcIndexOf(j);
                row(dstRowOf(j), src.bits + srcIndex, srcIndex, area.width);
            }
            return;
        }
        for (int j = area.height - 1; j >= 0; --j) {
            const size_t srcIndex = srcIndexOf(j);
            uint32_t* dstRow = dstRowOf(j);
            for (int start = ((area.width - 1) / kChunk) * kChunk; start >= 0; start -= kChunk) {
                const int n = std::min(kChunk, area.width - start);
                std::copy(src.bits + srcIndex + size_t(start), src.bits + srcIndex + size_t(start + n), chunk);
                row(dstRow + start, chunk, srcIndex + size_t(start), n);
            }
        }
        return;
    }

    for (int j = 0; j < area.height; ++j) {
        const size_t srcIndex = srcIndexOf(j);
        uint32_t* dstRow = dstRowOf(j);
        for (int start = 0; start < area.width; start += kChunk) {
            const int n = std::min(kChunk, area.width - start);
            const uint8_t* indices = src.indices + srcIndex + size_t(start);
            for (int k = 0; k < n; ++k) {
                chunk[k] = src.table[indices[k]];
            }
            row(dstRow + start, chunk, srcIndex + size_t(start), n);
        }
    }
}

// ForEachRow with the AVX2 row where the processor runs it, else the SSE2
// one; both give the same words.
template <typename Avx2Row, typename Sse2Row>
void ForEachRowOf(const SourcePixels& src, bool sameImage, uint32_t* dstBits, int dstWidth, const BlitArea& area,
                  Avx2Row&& avx2, Sse2Row&& sse2)
{
    if (PixelBlend::Avx2::Available()) {
        ForEachRow(src, sameImage, dstBits, dstWidth, area, avx2);
    } else {
        ForEachRow(src, sameImage, dstBits, dstWidth, area, sse2);
    }
}

// Colour channels outside 0-255 would spill into their neighbours in the
// packed arithmetic.
uint32_t ClampChannel(int value)
{
    return uint32_t(std::clamp(value, 0, 255));
}

SourcePixels SourcePixelsOf(MemoryImage& source)
{
    if (source.mColorTable != nullptr && source.mColorIndices != nullptr) {
        return SourcePixels{nullptr, source.mColorTable.get(), source.mColorIndices.get(), source.mWidth};
    }
    return SourcePixels{source.GetBits(), nullptr, nullptr, source.mWidth};
}

// The additive rows for one tint mode, picking the source-alpha variant once
// per blit rather than per row.
template <bool Tinted>
void AddRows(const SourcePixels& src, bool sameImage, uint32_t* dstBits, int dstWidth, const BlitArea& area,
             bool sourceAlpha, const Tint& tint)
{
    if (sourceAlpha) {
        ForEachRowOf(
            src, sameImage, dstBits, dstWidth, area,
            [&tint](uint32_t* d, const uint32_t* s, size_t, int n) {
                PixelBlend::Avx2::AddRow<Tinted, true>(d, s, n, tint);
            },
            [&tint](uint32_t* d, const uint32_t* s, size_t, int n) { PixelBlend::AddRow<Tinted, true>(d, s, n, tint); });
    } else {
        ForEachRowOf(
            src, sameImage, dstBits, dstWidth, area,
            [&tint](uint32_t* d, const uint32_t* s, size_t, int n) {
                PixelBlend::Avx2::AddRow<Tinted, false>(d, s, n, tint);
            },
            [&tint](uint32_t* d, const uint32_t* s, size_t, int n) { PixelBlend::AddRow<Tinted, false>(d, s, n, tint); });
    }
}

} // namespace

void MemoryImage::Blt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (drawMode == 0) {
        NormalBlt(image, x, y, srcRect, color);
    } else if (drawMode == 1) {
        AdditiveBlt(image, x, y, srcRect, color);
    }
}

void MemoryImage::BltF(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                       const Color& color, int drawMode)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    BltRotated(image, x, y, srcRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
}

void MemoryImage::NormalBlt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr) {
        return;
    }

    // The destination's bits first: when the source is the destination in
    // palette form, that turns it into bits, which are then read as the source.
    uint32_t* dstBits = GetBits();
    const SourcePixels src = SourcePixelsOf(*source);
    const bool same = source == this;
    BlitArea area{};
    if (ClipBlit(source->mWidth, source->mHeight, mWidth, mHeight, x, y, srcRect, false, area)) {
        const bool white = color == Color::White;
        if (white && !mHasAlpha && !mHasTrans) {
            const uint8_t* runs = source->GetRLAlphaData();
            ForEachRowOf(
                src, same, dstBits, mWidth, area,
                [runs](uint32_t* d, const uint32_t* s, size_t index, int n) {
                    PixelBlend::Avx2::BlendRunsRow(d, s, runs + index, n);
                },
                [runs](uint32_t* d, const uint32_t* s, size_t index, int n) {
                    PixelBlend::BlendRunsRow(d, s, runs + index, n);
                });
        } else if (white) {
            const Tint none{255, 255, 255, 255};
            ForEachRowOf(
                src, same, dstBits, mWidth, area,
                [&none](uint32_t* d, const uint32_t* s, size_t, int n) {
                    PixelBlend::Avx2::BlendOverRow<false>(d, s, n, none);
                },
                [&none](uint32_t* d, const uint32_t* s, size_t, int n) {
                    PixelBlend::BlendOverRow<false>(d, s, n, none);
                });
        } else {
            // One kernel serves grey and other colours: with equal channels
            // the per-channel multipliers are the grey loop's one multiplier.
            const Tint tint{ClampChannel(color.mRed), ClampChannel(color.mGreen), ClampChannel(color.mBlue),
                            ClampChannel(color.mAlpha)};
            ForEachRowOf(
                src, same, dstBits, mWidth, area,
                [&tint](uint32_t* d, const uint32_t* s, size_t, int n) {
                    PixelBlend::Avx2::BlendOverRow<true>(d, s, n, tint);
                },
                [&tint](uint32_t* d, const uint32_t* s, size_t, int n) {
                    PixelBlend::BlendOverRow<true>(d, s, n, tint);
                });
        }
    }
    BitsChanged();
}

void MemoryImage::AdditiveBlt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr) {
        return;
    }

    // The destination's bits first: when the source is the destination in
    // palette form, that turns it into bits, which are then read as the source.
    uint32_t* dstBits = GetBits();
    const SourcePixels src = SourcePixelsOf(*source);
    const bool same = source == this;
    BlitArea area{};
    if (ClipBlit(source->mWidth, source->mHeight, mWidth, mHeight, x, y, srcRect, false, area)) {
        // The saturating add is the application's AddClampTable (entry i =
        // min(i, 255)) computed in place, so it needs no table reads.
        const bool sourceAlpha = source->mHasAlpha;
        if (color == Color::White) {
            AddRows<false>(src, same, dstBits, mWidth, area, sourceAlpha, Tint{255, 255, 255, 255});
        } else {
            const uint32_t alpha = ClampChannel(color.mAlpha);
            const Tint c{(ClampChannel(color.mRed) * alpha) / 255, (ClampChannel(color.mGreen) * alpha) / 255,
                         (ClampChannel(color.mBlue) * alpha) / 255, 255};
            AddRows<true>(src, same, dstBits, mWidth, area, sourceAlpha, c);
        }
    }
    BitsChanged();
}

} // namespace Lumo
