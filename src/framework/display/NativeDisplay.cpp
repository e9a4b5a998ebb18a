// Channel widths and shifts from the masks.
#include "framework/display/NativeDisplay.h"

namespace Lumo {

namespace {

int LowestBit(uint32_t mask)
{
    for (int bit = 0; bit < 32; ++bit) {
        if ((mask >> bit) & 1U) {
            return bit;
        }
    }
    return 0;
}

int HighestBit(uint32_t mask)
{
    for (int bit = 31; bit >= 0; --bit) {
        if ((mask >> bit) & 1U) {
            return bit;
        }
    }
    return -1;
}

void Describe(uint32_t mask, int& bits, int& shift)
{
    shift = LowestBit(mask);
    bits = mask == 0 ? 0 : HighestBit(mask) - shift + 1;
}

} // namespace

NativeDisplay::NativeDisplay()
{
    SetPixelFormat(32, 0xFF0000, 0xFF00, 0xFF);
}

NativeDisplay::~NativeDisplay() = default;

void NativeDisplay::SetPixelFormat(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    mRGBBits = bitCount;
    mRedMask = redMask;
    mGreenMask = greenMask;
    mBlueMask = blueMask;
    Describe(redMask, mRedBits, mRedShift);
    Describe(greenMask, mGreenBits, mGreenShift);
    Describe(blueMask, mBlueBits, mBlueShift);
}

} // namespace Lumo
