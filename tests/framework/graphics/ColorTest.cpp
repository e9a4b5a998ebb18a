// Colour construction, comparison and packing; rectangle intersection in its
// int and double forms.
#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <gtest/gtest.h>

#include <climits>

using Lumo::Color;
using Lumo::TRect;

namespace {

void ExpectColor(const Color& c, int r, int g, int b, int a)
{
    EXPECT_EQ(c.mRed, r);
    EXPECT_EQ(c.mGreen, g);
    EXPECT_EQ(c.mBlue, b);
    EXPECT_EQ(c.mAlpha, a);
}

} // namespace

TEST(ColorTest, ConstructorsFillTheChannels)
{
    ExpectColor(Color(), 0, 0, 0, 255);
    ExpectColor(Color(1, 2, 3), 1, 2, 3, 255);
    ExpectColor(Color(1, 2, 3, 4), 1, 2, 3, 4);
    const int triple[3] = {10, 20, 30};
    ExpectColor(Color(triple), 10, 20, 30, 255);
    // Nothing clamps the channels.
    ExpectColor(Color(300, -1, 0, 999), 300, -1, 0, 999);
    ExpectColor(Color::White, 255, 255, 255, 255);
}

TEST(ColorTest, PackedWordGivesChannelsAndAnAlphaOfZeroReadsOpaque)
{
    struct Case {
        uint32_t packed;
        int r, g, b, a;
    };
    const Case cases[] = {
        {0x00FF0000, 255, 0, 0, 255},
        {0x80FF0000, 255, 0, 0, 128},
        {0x12345678, 0x34, 0x56, 0x78, 0x12},
        {0xFFFFFFFF, 255, 255, 255, 255},
        {0x00000000, 0, 0, 0, 255},
        {0x01000000, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packed);
        ExpectColor(Color(static_cast<int>(c.packed)), c.r, c.g, c.b, c.a);
    }
}

TEST(ColorTest, EqualityComparesAllFourChannels)
{
    EXPECT_TRUE(Color(10, 20, 30) == Color(10, 20, 30, 255));
    EXPECT_FALSE(Color(10, 20, 30) == Color(10, 20, 30, 254));
    EXPECT_TRUE(Color(10, 20, 30) != Color(10, 20, 30, 254));
    EXPECT_TRUE(Color(10, 20, 30) != Color(11, 20, 30));
    EXPECT_TRUE(Color(10, 20, 30) != Color(10, 21, 30));
    EXPECT_TRUE(Color(10, 20, 30) != Color(10, 20, 31));
    EXPECT_FALSE(Color(10, 20, 30) != Color(10, 20, 30));
    EXPECT_TRUE(Color(255, 255, 255) == Color::White);
}

TEST(ColorTest, ToIntPacksAlphaRedGreenBlue)
{
    EXPECT_EQ(Color(0x12, 0x34, 0x56, 0x78).ToInt(), 0x78123456U);
    EXPECT_EQ(Color::White.ToInt(), 0xFFFFFFFFU);
    EXPECT_EQ(Color(0, 0, 0, 0).ToInt(), 0x00000000U);
}

TEST(RectTest, IntIntersection)
{
    struct Case {
        TRect<int> a, b, expected;
    };
    const Case cases[] = {
        // Touching rectangles keep the touching edge with an empty extent.
        {{0, 0, 10, 10}, {10, 0, 5, 5}, {10, 0, 0, 5}},
        {{0, 0, 10, 10}, {20, 20, 5, 5}, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {-5, 2, 8, 20}, {0, 2, 3, 8}},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},
        {{5, 5, 10, 10}, {0, 0, 8, 7}, {5, 5, 3, 2}},
        // Only one axis negative is enough to zero the result.
        {{0, 0, 10, 10}, {0, 11, 10, 5}, {0, 0, 0, 0}},
        // Far edges must not overflow.
        {{INT_MAX - 1, 0, 10, 10}, {0, 0, INT_MAX, 10}, {INT_MAX - 1, 0, 1, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a.mX << "," << c.a.mY << " x " << c.b.mX << "," << c.b.mY);
        EXPECT_EQ(c.a.Intersection(c.b), c.expected);
        EXPECT_EQ(c.b.Intersection(c.a), c.expected);
    }
}

TEST(RectTest, DoubleIntersection)
{
    const TRect<double> empty;
    EXPECT_EQ(empty, TRect<double>(0.0, 0.0, 0.0, 0.0));
    EXPECT_EQ(TRect<double>(0.5, 0.0, 10.0, 10.0).Intersection(TRect<double>(5.0, 1.25, 10.0, 10.0)),
              TRect<double>(5.0, 1.25, 5.5, 8.75));
    EXPECT_EQ(TRect<double>(0.0, 0.0, 1.0, 1.0).Intersection(TRect<double>(1.0, 0.0, 1.0, 1.0)),
              TRect<double>(1.0, 0.0, 0.0, 1.0));
    EXPECT_EQ(TRect<double>(0.0, 0.0, 1.0, 1.0).Intersection(TRect<double>(1.5, 0.0, 1.0, 1.0)), empty);
}

TEST(RectTest, ToRECTGivesExclusiveEdges)
{
    const Lumo::RECT r = TRect<int>(1, 2, 3, 4).ToRECT();
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 4);
    EXPECT_EQ(r.bottom, 6);
}
