// A display pixel format as the conversions need it (mask, width and shift
// per channel), and the two conversions between 32-bit ARGB and a display
// pixel: channel by channel, with no replication of the low bits on the
// way back (a full 5-bit channel reads back as 248, a 6-bit one as 252);
// and the same for whole rows of a locked surface.
#pragma once

#include <cstdint>

namespace Lumo {

struct DisplayChannels {
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    int redBits = 0;
    int greenBits = 0;
    int blueBits = 0;
    int redShift = 0;
    int greenShift = 0;
    int blueShift = 0;
};

inline void DescribeMask(uint32_t mask, int& bits, int& shift)
{
    shift = 0;
    bits = 0;
    if (mask == 0) {
        return;
    }
    while (((mask >> shift) & 1U) == 0) {
        ++shift;
    }
    int highest = 31;
    while (((mask >> highest) & 1U) == 0) {
        --highest;
    }
    bits = highest - shift + 1;
}

inline DisplayChannels MakeDisplayChannels(uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    DisplayChannels c;
    c.redMask = redMask;
    c.greenMask = greenMask;
    c.blueMask = blueMask;
    DescribeMask(redMask, c.redBits, c.redShift);
    DescribeMask(greenMask, c.greenBits, c.greenShift);
    DescribeMask(blueMask, c.blueBits, c.blueShift);
    return c;
}

// One channel whose top bits sit at bit `top` (24 red, 16 green, 8 blue).
inline uint32_t ChannelToDisplay(uint32_t argb, int top, int bits, int shift, uint32_t mask)
{
    const int down = top - bits;
    const uint32_t v = down >= 0 ? argb >> down : argb << -down;
    return (v << shift) & mask;
}

inline uint32_t ArgbToDisplay(uint32_t argb, const DisplayChannels& c)
{
    return ChannelToDisplay(argb, 24, c.redBits, c.redShift, c.redMask) |
           ChannelToDisplay(argb, 16, c.greenBits, c.greenShift, c.greenMask) |
           ChannelToDisplay(argb, 8, c.blueBits, c.blueShift, c.blueMask);
}

inline uint32_t ChannelToArgb(uint32_t p, int bits, int shift)
{
    const int up = 8 - bits;
    const uint32_t v = p >> shift;
    return (up >= 0 ? v << up : v >> -up) & 0xFF;
}

inline uint32_t DisplayToArgb(uint32_t p, const DisplayChannels& c)
{
    return 0xFF000000u | ChannelToArgb(p, c.redBits, c.redShift) << 16 |
           ChannelToArgb(p, c.greenBits, c.greenShift) << 8 | ChannelToArgb(p, c.blueBits, c.blueShift);
}

// The common 32-bit layout, which converts by masking alone.
inline bool IsPlain888(const DisplayChannels& c)
{
    return c.redMask == 0xFF0000 && c.greenMask == 0xFF00 && c.blueMask == 0xFF;
}

// width pixels of a surface row (16 or 32 bits each; any other depth is left
// alone) into ARGB words, opaque.
inline void DisplayRowToArgb(const uint8_t* row, uint32_t bitCount, const DisplayChannels& c, uint32_t* out,
                             int width)
{
    if (bitCount == 16) {
        const uint16_t* in = reinterpret_cast<const uint16_t*>(row);
        for (int x = 0; x < width; ++x) {
            out[x] = DisplayToArgb(in[x], c);
        }
    } else if (bitCount == 32 && IsPlain888(c)) {
        const uint32_t* in = reinterpret_cast<const uint32_t*>(row);
        for (int x = 0; x < width; ++x) {
            out[x] = 0xFF000000u | (in[x] & 0xFFFFFFu);
        }
    } else if (bitCount == 32) {
        const uint32_t* in = reinterpret_cast<const uint32_t*>(row);
        for (int x = 0; x < width; ++x) {
            out[x] = DisplayToArgb(in[x], c);
        }
    }
}

// width ARGB words into a surface row (16 or 32 bits each; any other depth
// is left alone); alpha is dropped.
inline void ArgbRowToDisplay(const uint32_t* in, uint32_t bitCount, const DisplayChannels& c, uint8_t* row,
                             int width)
{
    if (bitCount == 16) {
        uint16_t* out = reinterpret_cast<uint16_t*>(row);
        for (int x = 0; x < width; ++x) {
            out[x] = static_cast<uint16_t>(ArgbToDisplay(in[x], c));
        }
    } else if (bitCount == 32 && IsPlain888(c)) {
        uint32_t* out = reinterpret_cast<uint32_t*>(row);
        for (int x = 0; x < width; ++x) {
            out[x] = in[x] & 0xFFFFFFu;
        }
    } else if (bitCount == 32) {
        uint32_t* out = reinterpret_cast<uint32_t*>(row);
        for (int x = 0; x < width; ++x) {
            out[x] = ArgbToDisplay(in[x], c);
        }
    }
}

} // namespace Lumo
