#include "game/engine/EngineUtilities.h"

#include "game/engine/XmlSaveCheck.h"
#include "platform/system/Clock.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>

uint32_t ReadTimer(int rate)
{
    // 1000 / rate must stay a divisor of at least 1.
    const int clamped = rate < 1 ? 1 : (rate > 1000 ? 1000 : rate);
    return Plat::GetClock().TickCount() / static_cast<uint32_t>(1000 / clamped);
}

int SaturateToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

// ---- Geometry

bool BoxesOverlap(float x1, float y1, float w1, float h1, float x2, float y2, float w2, float h2)
{
    const double dx = std::fabs(double(x1) - double(x2));
    const double dy = std::fabs(double(y1) - double(y2));
    return dx <= double(w1) / 2.0 + double(w2) / 2.0 && dy <= double(h1) / 2.0 + double(h2) / 2.0;
}

float CirclePenetration(float x1, float y1, float r1, float x2, float y2, float r2)
{
    const float reach = (r1 + r2) * (r1 + r2);
    const float dx = x1 - x2;
    const float dy = y1 - y2;
    const float p = reach - (dx * dx + dy * dy);
    return p < 0.0f ? 0.0f : p;
}

bool PointInPolygon(int n, const float* xs, const float* ys, float px, float py)
{
    if (n < 1 || xs == nullptr || ys == nullptr) {
        return false;
    }
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        // The straddle test excludes horizontal edges, so the division is safe.
        if ((ys[i] <= py && py < ys[j]) || (ys[j] <= py && py < ys[i])) {
            if (px < (xs[j] - xs[i]) * (py - ys[i]) / (ys[j] - ys[i]) + xs[i]) {
                inside = !inside;
            }
        }
    }
    return inside;
}

namespace {

void RectCorners(float cx, float cy, float w, float h, float rotation, float* xs, float* ys)
{
    const float a = -rotation * 0.017453292f;
    const float c = std::cos(a);
    const float s = std::sin(a);
    const float dxs[4] = {-w / 2.0f, w / 2.0f, w / 2.0f, -w / 2.0f};
    const float dys[4] = {-h / 2.0f, -h / 2.0f, h / 2.0f, h / 2.0f};
    for (int i = 0; i < 4; ++i) {
        xs[i] = cx + dxs[i] * c - dys[i] * s;
        ys[i] = cy + dys[i] * c + dxs[i] * s;
    }
}

} // namespace

bool RotatedRectsOverlap(float cx1, float cy1, float w1, float h1, float rotation1, float cx2, float cy2, float w2,
                         float h2, float rotation2)
{
    float xs1[4];
    float ys1[4];
    float xs2[4];
    float ys2[4];
    RectCorners(cx1, cy1, w1, h1, rotation1, xs1, ys1);
    RectCorners(cx2, cy2, w2, h2, rotation2, xs2, ys2);
    for (int i = 0; i < 4; ++i) {
        if (PointInPolygon(4, xs1, ys1, xs2[i], ys2[i]) || PointInPolygon(4, xs2, ys2, xs1[i], ys1[i])) {
            return true;
        }
    }
    return false;
}

float AngleDegrees(float dx, float dy)
{
    return static_cast<float>(std::atan2(double(dy), double(-dx)) * 180.0 / 3.1415927);
}

float Distance3(const float* a, const float* b)
{
    const float dx = a[0] - b[0];
    const float dy = a[1] - b[1];
    const float dz = a[2] - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float DistanceToSegment3(const float* p, const float* a, const float* b)
{
    const float ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float lengthSquared = ab[0] * ab[0] + ab[1] * ab[1] + ab[2] * ab[2];
    // A segment of no length gives t = NaN, which fails the range test and
    // falls to the end-point distances, as wanted.
    const float t = ((p[0] - a[0]) * ab[0] + (p[1] - a[1]) * ab[1] + (p[2] - a[2]) * ab[2]) / lengthSquared;
    if (t >= 0.0f && t <= 1.0f) {
        const float q[3] = {a[0] + t * ab[0], a[1] + t * ab[1], a[2] + t * ab[2]};
        return Distance3(p, q);
    }
    const float da = Distance3(p, a);
    const float db = Distance3(p, b);
    return da < db ? da : db;
}

float DistanceToSegment2(float px, float py, float ax, float ay, float bx, float by)
{
    const float p[3] = {px, py, 0.0f};
    const float a[3] = {ax, ay, 0.0f};
    const float b[3] = {bx, by, 0.0f};
    return DistanceToSegment3(p, a, b);
}

namespace {

// (x, y) scaled to length 1; (0, 0) when it has no length (or no number).
void Normalise(float x, float y, float& nx, float& ny)
{
    const float length = std::sqrt(x * x + y * y);
    if (!(length > 0.0f) || std::isinf(length)) {
        nx = 0.0f;
        ny = 0.0f;
        return;
    }
    nx = x / length;
    ny = y / length;
}

void Reflect(float& vx, float& vy, float nx, float ny)
{
    const float d = vx * nx + vy * ny;
    if (d < 0.0f) {
        vx = vx + nx * (-2.0f * d);
        vy = vy + ny * (-2.0f * d);
    }
}

} // namespace

void SegmentNormal(float x1, float y1, float x2, float y2, float& nx, float& ny)
{
    Normalise(y2 - y1, x1 - x2, nx, ny);
}

void ReflectOffSegment(float& vx, float& vy, float x1, float y1, float x2, float y2)
{
    float nx;
    float ny;
    SegmentNormal(x1, y1, x2, y2, nx, ny);
    Reflect(vx, vy, nx, ny);
}

void PointsDirection(float x1, float y1, float x2, float y2, float& nx, float& ny)
{
    Normalise(x1 - x2, y1 - y2, nx, ny);
}

void ReflectVelocity(float& vx, float& vy, float x1, float y1, float x2, float y2)
{
    float nx;
    float ny;
    PointsDirection(x1, y1, x2, y2, nx, ny);
    Reflect(vx, vy, nx, ny);
}

// ---- Text

void WriteXmlFloatAttribute(std::string& out, const char* name, float value)
{
    // The reader takes a value that is not a number as 0: write it so.
    if (!std::isfinite(value))
        value = 0.0f;
    // Shortest form of %g with six digits, independent of the locale.
    char number[64];
    const std::to_chars_result r = std::to_chars(number, number + sizeof(number), value, std::chars_format::general, 6);
    out += ' ';
    out += name != nullptr ? name : "";
    out += "=\"";
    out.append(number, r.ptr);
    out += '"';
}

void WriteXmlIndent(std::string& out, int depth)
{
    out.append(size_t(depth > 0 ? depth : 0), '\t');
}

void WriteXmlIntAttribute(std::string& out, const char* name, int value)
{
    char number[16];
    const std::to_chars_result r = std::to_chars(number, number + sizeof(number), value);
    out += ' ';
    out += name != nullptr ? name : "";
    out += "=\"";
    out.append(number, r.ptr);
    out += '"';
}

void WriteXmlStringAttribute(std::string& out, const char* name, const char* value)
{
    if (value == nullptr || value[0] == '\0') {
        return;
    }
    // The reader has no escapes: such a value is left out and the save refused.
    if (!XmlSaveCheck::IsWritable(value)) {
        XmlSaveCheck::RefuseValue(name, value);
        return;
    }
    out += ' ';
    out += name != nullptr ? name : "";
    out += "=\"";
    out += value;
    out += '"';
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One pair of characters read as hex; reading stops at the end of the text.
float HexPair(const char* text, size_t length, size_t at)
{
    int value = 0;
    for (size_t i = at; i < at + 2 && i < length; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return static_cast<float>(value) / 255.0f;
}

} // namespace

void ParseHexColor(const char* text, float& r, float& g, float& b)
{
    const size_t length = text != nullptr ? strnlen(text, 6) : 0;
    r = HexPair(text, length, 0);
    g = HexPair(text, length, 2);
    b = HexPair(text, length, 4);
}

std::string FormatMinutesSeconds(uint32_t ticks)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%d:%02d", static_cast<int>(ticks / 15000u), static_cast<int>((ticks / 250u) % 60u));
    return text;
}

std::string FloatToText(float value)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << value;
    if (stream.fail()) {
        return "ERROR";
    }
    return stream.str();
}

void TrimLeadingSpaces(char* text)
{
    if (text == nullptr) {
        return;
    }
    size_t skip = 0;
    while (text[skip] == ' ') {
        ++skip;
    }
    if (skip > 0) {
        std::memmove(text, text + skip, std::strlen(text + skip) + 1);
    }
}

void TrimTrailingSpaces(char* text)
{
    if (text == nullptr) {
        return;
    }
    for (size_t n = std::strlen(text); n > 0 && text[n - 1] == ' '; --n) {
        text[n - 1] = '\0';
    }
}

bool CopyToField(char* field, size_t size, const char* text)
{
    if (size == 0)
        return text != nullptr && text[0] != '\0';
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    const size_t kept = length < size - 1 ? length : size - 1;
    if (kept > 0)
        std::memcpy(field, text, kept);
    std::memset(field + kept, 0, size - kept);
    return kept < length;
}
