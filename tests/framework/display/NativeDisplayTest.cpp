// Channel widths and shifts of the display's pixel format.
#include "framework/display/DDInterface.h"
#include "framework/display/NativeDisplay.h"

#include <gtest/gtest.h>

using Lumo::NativeDisplay;

TEST(NativeDisplayTest, PixelFormats)
{
    struct Case {
        int bitCount;
        uint32_t red, green, blue;
        int redBits, greenBits, blueBits, redShift, greenShift, blueShift;
    };
    const Case cases[] = {
        {32, 0xFF0000, 0xFF00, 0xFF, 8, 8, 8, 16, 8, 0},
        {16, 0xF800, 0x7E0, 0x1F, 5, 6, 5, 11, 5, 0},
        {16, 0x7C00, 0x3E0, 0x1F, 5, 5, 5, 10, 5, 0},
        {32, 0xFF, 0xFF00, 0xFF0000, 8, 8, 8, 0, 8, 16},
        {16, 0, 0x7E0, 0x1F, 0, 6, 5, 0, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.green);
        NativeDisplay d;
        d.SetPixelFormat(c.bitCount, c.red, c.green, c.blue);
        EXPECT_EQ(d.mRGBBits, c.bitCount);
        EXPECT_EQ(d.mRedMask, c.red);
        EXPECT_EQ(d.mRedBits, c.redBits);
        EXPECT_EQ(d.mGreenBits, c.greenBits);
        EXPECT_EQ(d.mBlueBits, c.blueBits);
        EXPECT_EQ(d.mRedShift, c.redShift);
        EXPECT_EQ(d.mGreenShift, c.greenShift);
        EXPECT_EQ(d.mBlueShift, c.blueShift);
    }
}

TEST(NativeDisplayTest, DisplayStartsAt32BitsWith3DOff)
{
    Lumo::DDInterface display(nullptr);
    EXPECT_EQ(display.mRGBBits, 32);
    EXPECT_EQ(display.mRedMask, 0xFF0000U);
    EXPECT_EQ(display.mGreenMask, 0xFF00U);
    EXPECT_EQ(display.mBlueMask, 0xFFU);
    EXPECT_EQ(display.mRedShift, 16);
    EXPECT_EQ(display.mGreenBits, 8);
    EXPECT_FALSE(display.mIs3D);
    display.RemoveImageData(nullptr); // no texture data: nothing to do
}
