// The display's pixel format as the software drawing needs it: channel
// masks, the bit count of each channel and the position of its lowest bit.
// Until a display sets its own, the format is 32-bit 0xFF0000/0xFF00/0xFF.
#pragma once

#include <cstdint>

namespace Lumo {

class NativeDisplay {
public:
    NativeDisplay();
    virtual ~NativeDisplay();

    // Keeps the masks and derives each channel's bit count and shift.
    void SetPixelFormat(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

    int mRGBBits; // bits per pixel: 16 or 32
    uint32_t mRedMask;
    uint32_t mGreenMask;
    uint32_t mBlueMask;
    int mRedBits;
    int mGreenBits;
    int mBlueBits;
    int mRedShift;
    int mGreenShift;
    int mBlueShift;
};

} // namespace Lumo
