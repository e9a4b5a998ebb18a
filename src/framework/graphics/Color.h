// The colour value of all drawing: four int channels r, g, b, a (0-255 by
// convention, never clamped) and its packed form 0xAARRGGBB.
#pragma once

#include <cstdint>

namespace Lumo {

class Color {
public:
    // Opaque black.
    constexpr Color() : mRed(0), mGreen(0), mBlue(0), mAlpha(255) {}
    // From a packed 0xAARRGGBB word; an alpha byte of 0 reads as 255, so a
    // packed word never gives a transparent colour.
    constexpr Color(int theColor)
        : mRed(static_cast<int>((static_cast<uint32_t>(theColor) >> 16) & 0xFF)),
          mGreen(static_cast<int>((static_cast<uint32_t>(theColor) >> 8) & 0xFF)),
          mBlue(static_cast<int>(static_cast<uint32_t>(theColor) & 0xFF)),
          mAlpha((static_cast<uint32_t>(theColor) >> 24) == 0 ? 255 : static_cast<int>(static_cast<uint32_t>(theColor) >> 24))
    {
    }
    constexpr Color(int red, int green, int blue) : mRed(red), mGreen(green), mBlue(blue), mAlpha(255) {}
    constexpr Color(int red, int green, int blue, int alpha) : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha) {}
    // From a table entry of three ints r, g, b; alpha 255.
    explicit constexpr Color(const int* rgb) : mRed(rgb[0]), mGreen(rgb[1]), mBlue(rgb[2]), mAlpha(255) {}

    constexpr bool operator==(const Color& other) const
    {
        return mRed == other.mRed && mGreen == other.mGreen && mBlue == other.mBlue && mAlpha == other.mAlpha;
    }
    constexpr bool operator!=(const Color& other) const { return !(*this == other); }

    // ((a << 8 | r) << 8 | g) << 8 | b without masking: the channels must
    // already lie in 0-255.
    constexpr uint32_t ToInt() const
    {
        return ((static_cast<uint32_t>(mAlpha) << 8 | static_cast<uint32_t>(mRed)) << 8 | static_cast<uint32_t>(mGreen)) << 8
            | static_cast<uint32_t>(mBlue);
    }

    int GetRed() const { return mRed; }
    int GetGreen() const { return mGreen; }
    int GetBlue() const { return mBlue; }
    int GetAlpha() const { return mAlpha; }

    // (255, 255, 255, 255): drawing with it leaves images uncoloured.
    static const Color White;

    int mRed;
    int mGreen;
    int mBlue;
    int mAlpha;
};

} // namespace Lumo
