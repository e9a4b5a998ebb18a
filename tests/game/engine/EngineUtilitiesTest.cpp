// The engine's small helpers: clock rates, conversions of data-driven values,
// the geometry tests, reflections (a segment of no length reflects nothing),
// the XML attribute writers and the text helpers on short text.
#include "game/engine/EngineUtilities.h"

#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

TEST(EngineUtilitiesTest, ReadTimerDividesTheMillisecondClock)
{
    ManualClock clock(123456);
    EXPECT_EQ(ReadTimer(1000), 123456u);
    EXPECT_EQ(ReadTimer(250), 30864u);
    EXPECT_EQ(ReadTimer(1), 123u);
    // Rates that would divide by zero clamp to 1 and 1000.
    EXPECT_EQ(ReadTimer(0), 123u);
    EXPECT_EQ(ReadTimer(-7), 123u);
    EXPECT_EQ(ReadTimer(1001), 123456u);
    EXPECT_EQ(ReadTimer(100000), 123456u);
}

TEST(EngineUtilitiesTest, SaturateToIntTruncatesAndBoundsEveryValue)
{
    EXPECT_EQ(SaturateToInt(2.9), 2);
    EXPECT_EQ(SaturateToInt(-2.9), -2);
    EXPECT_EQ(SaturateToInt(std::nan("")), 0);
    EXPECT_EQ(SaturateToInt(1e9 * 10), INT_MAX);
    EXPECT_EQ(SaturateToInt(-1e300), INT_MIN);
    EXPECT_EQ(SaturateToInt(std::numeric_limits<double>::infinity()), INT_MAX);
}

TEST(EngineUtilitiesTest, OverlapTests)
{
    // Touching boxes count.
    EXPECT_TRUE(BoxesOverlap(0, 0, 10, 10, 10, 0, 10, 10));
    EXPECT_FALSE(BoxesOverlap(0, 0, 10, 10, 10.01f, 0, 10, 10));
    EXPECT_EQ(CirclePenetration(0, 0, 2, 3, 0, 2), 7.0f);
    EXPECT_EQ(CirclePenetration(0, 0, 1, 3, 0, 1), 0.0f);

    const float xs[] = {0, 10, 10, 0};
    const float ys[] = {0, 0, 10, 10};
    EXPECT_TRUE(PointInPolygon(4, xs, ys, 5, 5));
    EXPECT_FALSE(PointInPolygon(4, xs, ys, 15, 5));
    EXPECT_FALSE(PointInPolygon(0, xs, ys, 5, 5));

    // Two 10 x 10 squares 13 apart: apart upright, but a 45-degree turn
    // reaches 7.07 towards the other.
    EXPECT_FALSE(RotatedRectsOverlap(0, 0, 10, 10, 0, 13, 0, 10, 10, 0));
    EXPECT_TRUE(RotatedRectsOverlap(0, 0, 10, 10, 45, 13, 0, 10, 10, 45));
    EXPECT_TRUE(RotatedRectsOverlap(0, 0, 4, 4, 0, 0, 0, 100, 100, 30));
}

TEST(EngineUtilitiesTest, AnglesAndDistances)
{
    EXPECT_NEAR(AngleDegrees(-1, 0), 0.0f, 1e-5f);
    EXPECT_NEAR(AngleDegrees(0, 1), 90.0f, 1e-4f);
    EXPECT_NEAR(AngleDegrees(1, 0), 180.0f, 1e-4f);

    const float a[] = {0, 0, 0};
    const float b[] = {10, 0, 0};
    const float over[] = {5, 3, 4};
    const float beyond[] = {13, 4, 0};
    EXPECT_FLOAT_EQ(DistanceToSegment3(over, a, b), 5.0f);
    EXPECT_FLOAT_EQ(DistanceToSegment3(beyond, a, b), 5.0f);
    // A segment of no length measures from its point.
    EXPECT_FLOAT_EQ(DistanceToSegment3(over, a, a), std::sqrt(50.0f));
    EXPECT_FLOAT_EQ(DistanceToSegment2(-3, 4, 0, 0, 10, 0), 5.0f);
}

TEST(EngineUtilitiesTest, ReflectionsMirrorOnlyMotionIntoTheSurface)
{
    // A segment from (10, 0) to (0, 0): normal (y2 - y1, x1 - x2) = (0, 10) / 10.
    float nx = 9;
    float ny = 9;
    SegmentNormal(10, 0, 0, 0, nx, ny);
    EXPECT_EQ(nx, 0.0f);
    EXPECT_EQ(ny, 1.0f);

    float vx = 2;
    float vy = -3;
    ReflectOffSegment(vx, vy, 10, 0, 0, 0);
    EXPECT_EQ(vx, 2.0f);
    EXPECT_EQ(vy, 3.0f);
    // Moving away already: unchanged.
    ReflectOffSegment(vx, vy, 10, 0, 0, 0);
    EXPECT_EQ(vy, 3.0f);

    // Between two points: (x1 - x2, y1 - y2) normalised.
    vx = -4;
    vy = 0;
    ReflectVelocity(vx, vy, 5, 0, 0, 0);
    EXPECT_EQ(vx, 4.0f);
    EXPECT_EQ(vy, 0.0f);
}

TEST(EngineUtilitiesTest, ASegmentOfNoLengthHasNoNormalAndReflectsNothing)
{
    float nx = 9;
    float ny = 9;
    SegmentNormal(3, 4, 3, 4, nx, ny);
    EXPECT_EQ(nx, 0.0f);
    EXPECT_EQ(ny, 0.0f);
    PointsDirection(3, 4, 3, 4, nx, ny);
    EXPECT_EQ(nx, 0.0f);
    EXPECT_EQ(ny, 0.0f);

    float vx = -1.5f;
    float vy = 2.5f;
    ReflectOffSegment(vx, vy, 3, 4, 3, 4);
    ReflectVelocity(vx, vy, 3, 4, 3, 4);
    EXPECT_EQ(vx, -1.5f);
    EXPECT_EQ(vy, 2.5f);
}

TEST(EngineUtilitiesTest, XmlAttributeWriters)
{
    std::string out = "<object";
    WriteXmlFloatAttribute(out, "x", 0.5f);
    WriteXmlFloatAttribute(out, "y", -12.0f);
    WriteXmlFloatAttribute(out, "z", 123456789.0f);
    WriteXmlFloatAttribute(out, "alpha", 0.00001f);
    WriteXmlStringAttribute(out, "name", "water");
    WriteXmlStringAttribute(out, "image", "");
    WriteXmlStringAttribute(out, "font", nullptr);
    EXPECT_EQ(out, "<object x=\"0.5\" y=\"-12\" z=\"1.23457e+08\" alpha=\"1e-05\" name=\"water\"");
}

TEST(EngineUtilitiesTest, ParseHexColorReadsPairsAndStopsAtTheEnd)
{
    float r = -1;
    float g = -1;
    float b = -1;
    ParseHexColor("ff8000", r, g, b);
    EXPECT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(g, 128.0f / 255.0f);
    EXPECT_EQ(b, 0.0f);

    ParseHexColor("FF80007788", r, g, b);
    EXPECT_FLOAT_EQ(g, 128.0f / 255.0f);
    EXPECT_EQ(b, 0.0f);

    // Short text: the pairs that are missing read as 0; a lone digit is its value.
    ParseHexColor("0f8", r, g, b);
    EXPECT_FLOAT_EQ(r, 15.0f / 255.0f);
    EXPECT_FLOAT_EQ(g, 8.0f / 255.0f);
    EXPECT_EQ(b, 0.0f);
    ParseHexColor("", r, g, b);
    EXPECT_EQ(r + g + b, 0.0f);
    ParseHexColor(nullptr, r, g, b);
    EXPECT_EQ(r + g + b, 0.0f);
    ParseHexColor("zz10", r, g, b);
    EXPECT_EQ(r, 0.0f);
    EXPECT_FLOAT_EQ(g, 16.0f / 255.0f);
}

TEST(EngineUtilitiesTest, MinutesSecondsAndNumbers)
{
    EXPECT_EQ(FormatMinutesSeconds(375000), "25:00");
    EXPECT_EQ(FormatMinutesSeconds(15250), "1:01");
    EXPECT_EQ(FormatMinutesSeconds(249), "0:00");
    EXPECT_EQ(FormatMinutesSeconds(4294967295u), "286331:09");
    EXPECT_EQ(FloatToText(0.1f), "0.1");
    EXPECT_EQ(FloatToText(2500000.0f), "2.5e+06");
    EXPECT_EQ(FloatToText(-3.0f), "-3");
}

TEST(EngineUtilitiesTest, TrimsStayInsideTheText)
{
    struct Case {
        const char* text;
        const char* leading;
        const char* trailing;
    };
    const Case cases[] = {
        {"", "", ""}, {" ", "", ""}, {"   ", "", ""}, {"  a b  ", "a b  ", "  a b"}, {"x", "x", "x"}, {"\ty ", "\ty ", "\ty"},
    };
    for (const Case& c : cases) {
        char leading[16];
        char trailing[16];
        std::strcpy(leading, c.text);
        std::strcpy(trailing, c.text);
        TrimLeadingSpaces(leading);
        TrimTrailingSpaces(trailing);
        EXPECT_STREQ(leading, c.leading) << "'" << c.text << "'";
        EXPECT_STREQ(trailing, c.trailing) << "'" << c.text << "'";
    }
    TrimLeadingSpaces(nullptr);
    TrimTrailingSpaces(nullptr);
}

TEST(EngineUtilitiesTest, CopyToFieldCutsPadsAndTellsWhenItCut)
{
    struct Case {
        const char* text;
        const char* expected;
        bool cut;
    };
    const Case cases[] = {
        {"abc", "abc", false}, {"abcd", "abcd", false}, {"abcde", "abcd", true}, {"", "", false}, {nullptr, "", false},
    };
    for (const Case& c : cases) {
        char field[6];
        std::memset(field, 'x', sizeof(field));
        // One byte past the field's size shows that nothing is written beyond it.
        EXPECT_EQ(CopyToField(field, 5, c.text), c.cut) << (c.text ? c.text : "null");
        EXPECT_STREQ(field, c.expected);
        for (size_t i = std::strlen(c.expected); i < 5; ++i)
            EXPECT_EQ(field[i], '\0') << i;
        EXPECT_EQ(field[5], 'x');
    }
    char none[1] = {'x'};
    EXPECT_TRUE(CopyToField(none, 0, "a"));
    EXPECT_EQ(none[0], 'x');
}
