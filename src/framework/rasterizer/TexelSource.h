// Texel reads of the textured fillers: nearest and bilinear samples, every
// read bounded by the size of the whole texel array.
#pragma once

#include "framework/rasterizer/TriangleRasterizer.h"

#include <cstddef>
#include <cstdint>

namespace Lumo::TriangleRasterizer {

// A premultiplied bilinear sample: colour 0x00RRGGBB and its weight sum 0-254.
struct FilteredTexel {
    uint32_t mColor;
    uint32_t mAlpha;
};

// Texel reads bounded by the size of the whole texel array: any index at or
// past width x height (taken as unsigned) reads 0, transparent black. Nothing
// wraps; a column past a row's end reads the next row.
//
// The fields are 64-bit on purpose: a store through a 32-bit pixel pointer
// then cannot alias them, and they stay in registers across the span.
class TexelSource {
public:
    // No texture, or one without texels, reads 0 everywhere.
    explicit TexelSource(const TextureInfo* texture)
        : mBits(texture != nullptr ? texture->mBits : nullptr),
          mWidth(texture != nullptr && texture->mWidth > 0 ? static_cast<uint32_t>(texture->mWidth) : 0),
          mSize(mBits != nullptr && mWidth > 0 && texture->mSize > 0 ? static_cast<uint32_t>(texture->mSize) : 0)
    {
    }

    uint32_t At(uint32_t index) const { return index < mSize ? mBits[index] : 0; }

    // The texel whose cell holds (u, v), 16.16 with the whole parts taken
    // as unsigned, so a coordinate just below 0 reads column or row 65535.
    uint32_t Nearest(int32_t u, int32_t v) const
    {
        const uint32_t index = (static_cast<uint32_t>(v) >> 16) * static_cast<uint32_t>(mWidth)
            + (static_cast<uint32_t>(u) >> 16);
        return At(index);
    }

    // Four texels around (u, v) moved back by half a texel, each weighted by
    // its bilinear weight times its own alpha, so the result comes out
    // premultiplied. The fractions are forced odd (1-65535) so that every
    // weight product fits 32 bits. kLowerFloor: the 32-bit fillers take a
    // further whole texel off a shifted coordinate at or below 0.
    template <bool kLowerFloor>
    FilteredTexel Bilinear(int32_t u, int32_t v) const
    {
        const uint32_t su = static_cast<uint32_t>(u) - 32768;
        const uint32_t sv = static_cast<uint32_t>(v) - 32768;
        // Whole parts by arithmetic shift (floor), as unsigned words.
        uint32_t column = static_cast<uint32_t>(static_cast<int32_t>(su) >> 16);
        uint32_t row = static_cast<uint32_t>(static_cast<int32_t>(sv) >> 16);
        if constexpr (kLowerFloor) {
            column -= static_cast<int32_t>(su) <= 0 ? 1 : 0;
            row -= static_cast<int32_t>(sv) <= 0 ? 1 : 0;
        }
        const uint32_t fu = (su & 0xFFFE) + 1;
        const uint32_t fv = (sv & 0xFFFE) + 1;
        const uint32_t width = static_cast<uint32_t>(mWidth);
        const uint32_t index = row * width + column;
        const uint32_t t00 = At(index);
        const uint32_t t10 = At(index + 1);
        const uint32_t t01 = At(index + width);
        const uint32_t t11 = At(index + width + 1);

        const uint32_t w00 = ((((65536 - fu) * (65536 - fv)) >> 16) * (t00 >> 24)) >> 16;
        const uint32_t w10 = (((fu * (65536 - fv)) >> 16) * (t10 >> 24)) >> 16;
        const uint32_t w01 = ((((65536 - fu) * fv) >> 16) * (t01 >> 24)) >> 16;
        const uint32_t w11 = (((fu * fv) >> 16) * (t11 >> 24)) >> 16;

        // The weights sum to at most 254, so each channel sum (at most
        // 255 x 254) stays within its 16-bit lane: red and blue go together.
        const uint32_t redBlue = (t00 & 0xFF00FF) * w00 + (t10 & 0xFF00FF) * w10 + (t01 & 0xFF00FF) * w01
            + (t11 & 0xFF00FF) * w11;
        const uint32_t green =
            (t00 & 0xFF00) * w00 + (t10 & 0xFF00) * w10 + (t01 & 0xFF00) * w01 + (t11 & 0xFF00) * w11;
        return {((redBlue >> 8) & 0xFF00FF) | ((green >> 8) & 0xFF00), w00 + w10 + w01 + w11};
    }

    // The count texels that nearest sampling reads from (u, v) stepping one
    // whole texel across, when they are consecutive texels inside the
    // texture; else null. count is at least 1.
    const uint32_t* Run(int32_t u, int32_t v, size_t count) const
    {
        if (static_cast<uint64_t>(static_cast<uint32_t>(u)) + (count - 1) * uint64_t(65536) > 0xFFFFFFFF) {
            return nullptr; // the column would wrap
        }
        const uint32_t index = (static_cast<uint32_t>(v) >> 16) * static_cast<uint32_t>(mWidth)
            + (static_cast<uint32_t>(u) >> 16);
        if (index + uint64_t(count) > mSize) {
            return nullptr;
        }
        return mBits + index;
    }

private:
    const uint32_t* mBits;
    uint64_t mWidth;
    uint64_t mSize;
};

} // namespace Lumo::TriangleRasterizer
