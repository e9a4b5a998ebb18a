// Small free functions shared by the engine and the gameplay: the game clock,
// float-to-int conversion of data-driven values, 2-D and 3-D geometry tests,
// velocity reflection, the XML attribute writers of the object writers, and
// text helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The clock in ticks of the given rate (1000: milliseconds, 250: game ticks
// of 4 ms); rates outside 1 .. 1000 are taken as the nearest of the two.
uint32_t ReadTimer(int rate);

// Truncates towards zero like a cast, but NaN gives 0 and values beyond the
// int range give INT_MIN or INT_MAX: data files may hold anything.
int SaturateToInt(double value);

// Centres and sizes; touching counts as overlapping.
bool BoxesOverlap(float x1, float y1, float w1, float h1, float x2, float y2, float w2, float h2);
// How far two circles reach into each other, as (r1 + r2)^2 - distance^2; 0 when apart.
float CirclePenetration(float x1, float y1, float r1, float x2, float y2, float r2);
// Rectangles given by centre, size and rotation in degrees; true when a
// corner of either lies inside the other.
bool RotatedRectsOverlap(float cx1, float cy1, float w1, float h1, float rotation1, float cx2, float cy2, float w2,
                         float h2, float rotation2);
// Even-odd crossing test.
bool PointInPolygon(int n, const float* xs, const float* ys, float px, float py);
// The direction of (dx, dy) in degrees, with x pointing left.
float AngleDegrees(float dx, float dy);
float Distance3(const float* a, const float* b);
float DistanceToSegment3(const float* p, const float* a, const float* b);
float DistanceToSegment2(float px, float py, float ax, float ay, float bx, float by);

// The unit normal (y2 - y1, x1 - x2) of a segment; (0, 0) for a segment of no length.
void SegmentNormal(float x1, float y1, float x2, float y2, float& nx, float& ny);
// Mirrors a velocity that moves into the segment's normal side; a segment of
// no length reflects nothing.
void ReflectOffSegment(float& vx, float& vy, float x1, float y1, float x2, float y2);
// The unit vector from point 2 to point 1; (0, 0) when the points are equal.
void PointsDirection(float x1, float y1, float x2, float y2, float& nx, float& ny);
// Mirrors a velocity against the direction between two points (as the normal).
void ReflectVelocity(float& vx, float& vy, float x1, float y1, float x2, float y2);

// Appends one tab per level of nesting (none for depth 0 or less).
void WriteXmlIndent(std::string& out, int depth);
// Appends ` name="value"` with the value as %g in the C locale (a value
// that is not a number as 0, as the reader would take it).
void WriteXmlFloatAttribute(std::string& out, const char* name, float value);
// Whole-number fields: every digit, so that large values read back the same
// (six significant digits would turn 2147483647 into "2.14748e+09", which
// reads back as 2).
void WriteXmlIntAttribute(std::string& out, const char* name, int value);
// Appends ` name="value"`; nothing when the value is null or empty; a value
// holding a double quote is left out and the save refused (XmlSaveCheck).
void WriteXmlStringAttribute(std::string& out, const char* name, const char* value);
// "rrggbb" into three channels 0 .. 1; missing or non-hex pairs read as 0.
void ParseHexColor(const char* text, float& r, float& g, float& b);
// "m:ss" of a count of 4-ms ticks.
std::string FormatMinutesSeconds(uint32_t ticks);
// The value as a standard text stream writes it by default; "ERROR" when that fails.
std::string FloatToText(float value);
// Puts a text into a fixed field, cut to fit and the rest of the field
// filled with NULs; null leaves the field empty. True when the text was cut.
bool CopyToField(char* field, size_t size, const char* text);
template <size_t N>
bool CopyToField(char (&field)[N], const char* text)
{
    return CopyToField(field, N, text);
}
// Remove leading spaces / turn trailing spaces into NULs, in place; null is ignored.
void TrimLeadingSpaces(char* text);
void TrimTrailingSpaces(char* text);
