// The vertex-colour fillers of the four destination formats: opaque writes,
// blends and thresholds, tinting by the draw colour, and values that rounding
// carries just below zero. Expected words are worked out from the formulas.
#include "framework/rasterizer/SpanFormats.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

using namespace Lumo::TriangleRasterizer;

namespace {

constexpr int kSize = 8;

struct Channels {
    int32_t a, r, g, b; // 16.16
};

constexpr int32_t Whole(int v)
{
    return v << 16;
}

// Two triangles that cover the whole 8x8 canvas once, every vertex with the
// same colour, so that every pixel gets exactly these values.
template <class Pixel>
std::vector<Pixel> Fill(SpanFunction filler, Pixel destination, Channels c, SpanColor color = {255, 255, 255, 255},
                        int pitch = kSize * int(sizeof(Pixel)))
{
    const size_t rowPixels = size_t(pitch) / sizeof(Pixel) + 1;
    std::vector<Pixel> pixels(rowPixels * kSize, destination);
    const int32_t corners[2][3][2] = {{{0, 0}, {kSize, 0}, {0, kSize}}, {{kSize, 0}, {kSize, kSize}, {0, kSize}}};
    for (const auto& triangle : corners) {
        SpanVertex v[3] = {};
        for (int i = 0; i < 3; ++i) {
            v[i] = {Whole(triangle[i][0]), Whole(triangle[i][1]), c.a, c.r, c.g, c.b, 0, 0};
        }
        filler(v, reinterpret_cast<uint8_t*>(pixels.data()), pitch, nullptr, &color);
    }
    return pixels;
}

// The one value every pixel of the canvas took.
template <class Pixel>
Pixel Uniform(const std::vector<Pixel>& pixels)
{
    for (size_t i = 0; i < size_t(kSize * kSize); ++i) {
        EXPECT_EQ(pixels[i], pixels[0]) << "pixel " << i;
    }
    return pixels[0];
}

struct Case32 {
    const char* name;
    Channels c;
    uint32_t destination;
    uint32_t expected8888;
    uint32_t expected888;
};

TEST(UntexturedFillersTest, Gouraud32WritesAndBlendsByTheInterpolatedAlpha)
{
    const Case32 cases[] = {
        {"opaque", {Whole(255), Whole(0x12), Whole(0x34), Whole(0x56)}, 0x12ABCDEF, 0xFF123456, 0xFF123456},
        // Fractions are dropped, not rounded.
        {"opaque, fractions", {Whole(255), Whole(0x12) + 0xFFFF, Whole(0x34) + 0x8000, 0x560001}, 0x0, 0xFF123456,
         0xFF123456},
        // Over alpha 0: alpha a - 1 = 127, each channel 2 x floor(c / 2).
        // 888: floor(c x 128 / 256) added to a black destination.
        {"half over transparent", {Whole(128), Whole(0x81), Whole(0x40), Whole(0xFF)}, 0x00000000, 0x7F8040FE,
         0xFF40207F},
        // Over alpha 255, k = 128, outA = 256: red (floor(32 x 255 / 256) x 128
        // + 256 x 64) / 256 = 79, green (63 x 128 + 8192) / 256 = 63, blue
        // (127 x 128 + 256 x 127) / 256 = 190. 888: 15 + 64, 31 + 32, 63 + 127.
        {"half over opaque", {Whole(128), Whole(0x81), Whole(0x40), Whole(0xFF)}, 0xFF204080, 0xFF4F3FBE,
         0xFF4F3FBE},
        // A of exactly 8.0 is not above it: unchanged.
        {"alpha 8.0", {Whole(8), Whole(255), Whole(255), Whole(255)}, 0x12345678, 0x12345678, 0x12345678},
        // Just above 8.0: a = 8, 256 x floor(255 x 8 / 256) / 256 = 7 each.
        // 888: floor(255 x 8 / 256) = 7 over black.
        {"alpha just above 8.0", {Whole(8) + 1, Whole(255), Whole(255), Whole(255)}, 0xFF000000, 0xFF070707,
         0xFF070707},
        // Exactly 240.0 still blends: floor(255 x 240 / 256) = 239.
        {"alpha 240.0", {Whole(240), Whole(255), Whole(255), Whole(255)}, 0xFF000000, 0xFFEFEFEF, 0xFFEFEFEF},
        {"alpha just above 240.0", {Whole(240) + 1, Whole(255), Whole(255), Whole(255)}, 0xFF000000, 0xFFFFFFFF,
         0xFFFFFFFF},
        {"alpha 0", {0, Whole(255), Whole(255), Whole(255)}, 0x12345678, 0x12345678, 0x12345678},
        // Carried just below 0.0 by rounding: transparent, not opaque.
        {"alpha just below 0", {-1, Whole(255), Whole(255), Whole(255)}, 0x12345678, 0x12345678, 0x12345678},
        // A channel just below 0.0 is 0, not 255.
        {"red just below 0", {Whole(255), -1, Whole(0x80), -5}, 0x0, 0xFF008000, 0xFF008000},
    };
    for (const Case32& c : cases) {
        EXPECT_EQ(Uniform(Fill<uint32_t>(SpanGouraud8888, c.destination, c.c)), c.expected8888) << c.name;
        EXPECT_EQ(Uniform(Fill<uint32_t>(SpanGouraud888, c.destination, c.c)), c.expected888) << c.name;
    }
}

TEST(UntexturedFillersTest, Gouraud888AlwaysWritesAnOpaqueTopByte)
{
    // The top byte 0x12 of the destination is neither read nor kept.
    EXPECT_EQ(Uniform(Fill<uint32_t>(SpanGouraud888, 0x12204080, {Whole(128), Whole(0x81), Whole(0x40), Whole(0xFF)})),
              0xFF4F3FBEu);
}

struct Case16 {
    const char* name;
    Channels c;
    uint16_t destination565;
    uint16_t expected565;
    uint16_t destination555;
    uint16_t expected555;
};

TEST(UntexturedFillersTest, Gouraud16WritesAndBlendsByTheInterpolatedAlpha)
{
    const Case16 cases[] = {
        {"white", {Whole(255), Whole(255), Whole(255), Whole(255)}, 0x1234, 0xFFFF, 0x1234, 0x7FFF},
        // Fields take the top bits of each whole part: 0x81 -> 16, 0x40 -> 16 (565) / 8 (555), 0xFF -> 31.
        {"opaque colour", {Whole(255), Whole(0x81), Whole(0x40) + 0xFFFF, Whole(0xFF)}, 0, 0x821F, 0, 0x411F},
        // k = 128, w = 127 >> 3 = 15. Source 0x81, 0x40, 0xFF x 128 >> 8 =
        // 64, 32, 127 -> 565 fields 8, 8, 15; destination (16, 32, 16) x 15 >> 5
        // = 7, 15, 7; sum (15, 23, 22) = 0x7AF6.
        // 555: source 8, 4, 15; destination (16, 16, 16) -> 7, 7, 7; sum (15, 11, 22).
        {"half", {Whole(128), Whole(0x81), Whole(0x40), Whole(0xFF)}, 0x8410, 0x7AF6, 0x4210, 0x3D76},
        {"alpha 8.0", {Whole(8), Whole(255), Whole(255), Whole(255)}, 0x8410, 0x8410, 0x4210, 0x4210},
        // k = 240, w = 15 >> 3 = 1: destination fields x 1 >> 5 leave only
        // green 32 -> 1 (565). Source 255 x 240 >> 8 = 239 -> 29, 59 (565) /
        // 29 (555), 29; 565 sum (29, 60, 29).
        {"alpha 240.0", {Whole(240), Whole(255), Whole(255), Whole(255)}, 0x8410, 0xEF9D, 0x4210, 0x77BD},
        {"alpha just below 0", {-1, Whole(255), Whole(255), Whole(255)}, 0x8410, 0x8410, 0x4210, 0x4210},
        {"channels just below 0", {Whole(255), -1, Whole(255), -1}, 0, 0x07E0, 0, 0x03E0},
    };
    for (const Case16& c : cases) {
        EXPECT_EQ(Uniform(Fill<uint16_t>(Span565Vertex, c.destination565, c.c)), c.expected565) << c.name;
        EXPECT_EQ(Uniform(Fill<uint16_t>(Span555Vertex, c.destination555, c.c)), c.expected555) << c.name;
    }
}

TEST(UntexturedFillersTest, TintScalesCopiesOfTheVertexColours)
{
    const Channels white = {Whole(255), Whole(255), Whole(255), Whole(255)};
    // Alpha 255 x 254 >> 8 = 253.0078: still opaque; channels 255 x 255 >> 8
    // = 254.0039: 0xFE.
    const SpanColor almostWhite = {254, 255, 255, 255};
    EXPECT_EQ(Uniform(Fill<uint32_t>(SpanGouraudColor8888, 0, white, almostWhite)), 0xFFFEFEFEu);
    EXPECT_EQ(Uniform(Fill<uint32_t>(SpanGouraudColor888, 0, white, almostWhite)), 0xFFFEFEFEu);
    // 565: 254 -> fields 31, 63, 31.
    EXPECT_EQ(Uniform(Fill<uint16_t>(Span565VertexTint, 0, white, almostWhite)), 0xFFFF);
    EXPECT_EQ(Uniform(Fill<uint16_t>(Span555VertexTint, 0, white, almostWhite)), 0x7FFF);

    // Draw alpha 128: vertex alpha 255 becomes 127.5, a = 127, k = 129 over
    // opaque black: 256 x floor(254.0039 x 127 / 256) / 256 = 126 each.
    const SpanColor half = {128, 255, 255, 255};
    EXPECT_EQ(Uniform(Fill<uint32_t>(SpanGouraudColor8888, 0xFF000000, white, half)), 0xFF7E7E7Eu);
    // 888: floor(254 x 127 / 256) = 126.
    EXPECT_EQ(Uniform(Fill<uint32_t>(SpanGouraudColor888, 0xFF000000, white, half)), 0xFF7E7E7Eu);
    // 565: 254 x 127 >> 8 = 126 -> 15, 31, 15 over black.
    EXPECT_EQ(Uniform(Fill<uint16_t>(Span565VertexTint, 0, white, half)), 0x7BEF);

    // The caller's records are left as they were.
    SpanVertex v[3] = {{0, 0, Whole(255), Whole(1), Whole(2), Whole(3), 4, 5},
                       {Whole(8), 0, Whole(200), Whole(6), Whole(7), Whole(8), 9, 10},
                       {0, Whole(8), Whole(100), Whole(11), Whole(12), Whole(13), 14, 15}};
    SpanVertex before[3];
    std::memcpy(before, v, sizeof(v));
    std::vector<uint32_t> pixels(kSize * kSize);
    const SpanFunction tinted[] = {SpanGouraudColor8888, SpanGouraudColor888};
    for (SpanFunction f : tinted) {
        f(v, reinterpret_cast<uint8_t*>(pixels.data()), kSize * 4, nullptr, &half);
        EXPECT_EQ(std::memcmp(before, v, sizeof(v)), 0);
    }
    std::vector<uint16_t> pixels16(kSize * kSize);
    const SpanFunction tinted16[] = {Span565VertexTint, Span555VertexTint};
    for (SpanFunction f : tinted16) {
        f(v, reinterpret_cast<uint8_t*>(pixels16.data()), kSize * 2, nullptr, &half);
        EXPECT_EQ(std::memcmp(before, v, sizeof(v)), 0);
    }
}

TEST(UntexturedFillersTest, SpanNoneLeavesTheDestination)
{
    const Channels white = {Whole(255), Whole(255), Whole(255), Whole(255)};
    EXPECT_EQ(Uniform(Fill<uint32_t>(SpanNone, 0x12345678, white)), 0x12345678u);
}

TEST(UntexturedFillersTest, RowsStepByThePitchRoundedToWholePixels)
{
    // Pitch 8 x 2 + 1 steps 16 bytes a row (565); 8 x 4 + 3 steps 32 (8888).
    const Channels white = {Whole(255), Whole(255), Whole(255), Whole(255)};
    const std::vector<uint16_t> p16 = Fill<uint16_t>(Span565Vertex, 0, white, {255, 255, 255, 255}, 17);
    EXPECT_EQ(p16[kSize * kSize - 1], 0xFFFF);
    EXPECT_EQ(p16[kSize * kSize], 0);
    const std::vector<uint32_t> p32 = Fill<uint32_t>(SpanGouraud8888, 0, white, {255, 255, 255, 255}, 35);
    EXPECT_EQ(p32[kSize * kSize - 1], 0xFFFFFFFFu);
    EXPECT_EQ(p32[kSize * kSize], 0u);
}

TEST(UntexturedFillersTest, Blend8888MatchesItsFormulaForEveryAlphaPair)
{
    // (floor(d_c da / 256) (256 - a) + S) / outA with a true division, for
    // every source and destination alpha and a spread of channel values.
    const uint32_t channels[] = {0, 1, 0x7F, 0x80, 0xFE, 0xFF};
    for (uint32_t a = 1; a < 256; ++a) {
        for (uint32_t da = 0; da < 256; ++da) {
            for (uint32_t dc : channels) {
                for (uint32_t sc : channels) {
                    const uint32_t s = 256 * ((sc * a) >> 8);
                    const uint32_t k = 256 - a;
                    const uint32_t outA = 256 - (((256 - da) * k) >> 8);
                    const uint32_t c = ((dc * da >> 8) * k + s) / outA;
                    const uint32_t expected = (outA - 1) << 24 | c << 16 | c << 8 | c;
                    const uint32_t d = da << 24 | dc << 16 | dc << 8 | dc;
                    ASSERT_EQ(Format8888::Blend(d, a, s, s, s), expected) << a << " " << da << " " << dc << " " << sc;
                }
            }
        }
    }
    // No alpha over no alpha stays as it was, instead of dividing by 0.
    EXPECT_EQ(Format8888::Blend(0x00123456, 0, 0, 0, 0), 0x00123456u);
}

} // namespace
