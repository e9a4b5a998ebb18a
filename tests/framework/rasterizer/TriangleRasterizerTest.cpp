// The rasterizer's entry: strip order, conversion to 16.16, the fan, the
// choice of a table entry from the flags and the format, the table itself,
// and whole draws through it.
#include "framework/rasterizer/TriangleRasterizer.h"

#include "framework/graphics/MemoryImage.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using Lumo::Color;
using Lumo::MemoryImage;
using Lumo::TRect;
using namespace Lumo::TriangleRasterizer;

namespace {

// What one filler call received.
struct Call {
    int index;
    SpanVertex vertices[3];
    const uint8_t* bits;
    int pitch;
    bool hasTexture;
    TextureInfo texture;
    SpanColor color;
};

std::vector<Call> gCalls;

template <int kIndex>
void Record(const SpanVertex* vertices, uint8_t* bits, int pitch, const TextureInfo* texture, const SpanColor* color)
{
    Call call = {};
    call.index = kIndex;
    std::memcpy(call.vertices, vertices, sizeof(call.vertices));
    call.bits = bits;
    call.pitch = pitch;
    call.hasTexture = texture != nullptr;
    if (texture != nullptr) {
        call.texture = *texture;
    }
    call.color = *color;
    gCalls.push_back(call);
}

template <int... kIndex>
void InstallRecorders(std::integer_sequence<int, kIndex...>)
{
    ((gSpanFunctions[kIndex] = &Record<kIndex>), ...);
}

class TriangleRasterizerTest : public testing::Test {
protected:
    void SetUp() override
    {
        gCalls.clear();
        InstallRecorders(std::make_integer_sequence<int, kSpanFunctionCount>());
    }
    void TearDown() override { InitSpanFunctions(); }

    std::unique_ptr<MemoryImage> Texture(int width, int height, uint32_t pixel)
    {
        auto image = std::make_unique<MemoryImage>(&mApp);
        std::vector<uint32_t> pixels(size_t(width) * height, pixel);
        image->SetBits(pixels.data(), width, height, true);
        return image;
    }

    void Draw(const std::vector<ClipVertex>& v, MemoryImage* texture = nullptr, Color color = Color::White,
              int pixelFormat = kPixelFormat8888, bool linear = false, bool vertexColors = true,
              TRect<int> clip = TRect<int>(-1, -1, 100, 100))
    {
        DrawTriangles(v.data(), int(v.size()), texture, color, 0, clip, mBits, 400, pixelFormat, linear, vertexColors);
    }

    TestApp mApp;
    uint32_t mBits[4] = {};
};

int32_t X(const SpanVertex& v)
{
    return v.mX >> 16;
}

TEST_F(TriangleRasterizerTest, WalksTheStripKeepingTheWindingOfTheFirstTriangle)
{
    // Five vertices: (0, 1, 2), (1, 3, 2), (2, 3, 4); x tells them apart.
    std::vector<ClipVertex> v;
    for (int i = 0; i < 5; ++i) {
        v.push_back({float(i), float((i * 7) % 5), 0, 0, 0});
    }
    Draw(v);
    const int expected[3][3] = {{0, 1, 2}, {1, 3, 2}, {2, 3, 4}};
    ASSERT_EQ(gCalls.size(), 3u);
    for (int t = 0; t < 3; ++t) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(X(gCalls[t].vertices[i]), expected[t][i]) << "triangle " << t;
        }
    }
}

TEST_F(TriangleRasterizerTest, FewerThanThreeVerticesDrawNothingButCommitTheTexture)
{
    for (int count = 0; count < 3; ++count) {
        auto texture = Texture(2, 2, 0x80FFFFFF);
        const std::vector<uint32_t> alpha(4, 0x80FFFFFF);
        texture->SetBits(alpha.data(), 2, 2, false);
        ASSERT_TRUE(texture->mBitsChanged);
        std::vector<ClipVertex> v(size_t(count), ClipVertex{1, 1, 0, 0, 0});
        Draw(v, texture.get());
        EXPECT_FALSE(texture->mBitsChanged);
        EXPECT_TRUE(texture->mHasAlpha);
    }
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(TriangleRasterizerTest, ConvertsEachVertexOnceToFixedPoint)
{
    auto texture = Texture(100, 2, 0xFF000000);
    // Truncated toward zero in single precision: -0.00001 is 0, 10.99999 is
    // 720895; u 0.5 of 100 texels is 3276800; colours unpacked as they are
    // (an alpha byte of 0 stays 0).
    Draw({{-0.00001f, 1.0f, 0.5f, 1.0f, 0x00FFFFFF}, {10.99999f, 1.25f, 0.25f, 0.0f, 0xFF102030},
          {3.5f, 7.0f, 1.0f, 0.5f, 0x80000000}},
         texture.get());
    ASSERT_EQ(gCalls.size(), 1u);
    const Call& c = gCalls[0];
    EXPECT_EQ(c.vertices[0].mX, 0);
    EXPECT_EQ(c.vertices[0].mY, 65536);
    EXPECT_EQ(c.vertices[1].mX, 720895);
    EXPECT_EQ(c.vertices[1].mY, 81920);
    EXPECT_EQ(c.vertices[2].mY, 7 << 16);
    EXPECT_EQ(c.vertices[0].mU, 3276800);
    EXPECT_EQ(c.vertices[0].mV, 131072);
    EXPECT_EQ(c.vertices[1].mU, 1638400);
    EXPECT_EQ(c.vertices[2].mV, 65536);
    EXPECT_EQ(c.vertices[0].mA, 0);
    EXPECT_EQ(c.vertices[0].mR, 255 << 16);
    EXPECT_EQ(c.vertices[1].mA, 255 << 16);
    EXPECT_EQ(c.vertices[1].mR, 0x10 << 16);
    EXPECT_EQ(c.vertices[1].mG, 0x20 << 16);
    EXPECT_EQ(c.vertices[1].mB, 0x30 << 16);
    EXPECT_EQ(c.vertices[2].mA, 0x80 << 16);
    // The texture record: shift 16 - floor(log2(100)) = 10, nothing rounded
    // to a power of two.
    ASSERT_TRUE(c.hasTexture);
    EXPECT_EQ(c.texture.mBits, texture->GetBits());
    EXPECT_EQ(c.texture.mShift, 10);
    EXPECT_EQ(c.texture.mUMask, 99u << 16);
    EXPECT_EQ(c.texture.mVMask, 1u << 16);
    EXPECT_EQ(c.texture.mWidth, 100);
    EXPECT_EQ(c.texture.mSize, 200);
    EXPECT_EQ(c.texture.mHeight, 2);
    EXPECT_EQ(c.pitch, 400);
    EXPECT_EQ(c.bits, reinterpret_cast<const uint8_t*>(mBits));
}

TEST_F(TriangleRasterizerTest, ChoosesTheEntryFromFlagsAndFormat)
{
    auto opaque = Texture(2, 2, 0xFF336699);
    auto translucent = Texture(2, 2, 0x80336699);
    auto transparent = Texture(2, 2, 0x00336699);
    struct Case {
        const char* name;
        MemoryImage* texture;
        Color color;
        int format;
        bool linear;
        bool vertexColors;
        int index;
    };
    const Case cases[] = {
        {"vertex colours", nullptr, Color::White, kPixelFormat8888, false, true, 4},
        // Untextured triangles are never blended, linear or not.
        {"vertex colours, linear", nullptr, Color::White, kPixelFormat8888, true, true, 5},
        {"draw colour 254 alpha", nullptr, Color(255, 255, 255, 254), kPixelFormat8888, false, false, 2},
        {"vertex colours and colour", nullptr, Color(0, 0, 0, 255), kPixelFormat8888, false, true, 6},
        {"opaque texture", opaque.get(), Color::White, kPixelFormat8888, false, false, 16},
        // Linear makes a textured triangle blended: never 17.
        {"opaque texture, linear", opaque.get(), Color::White, kPixelFormat8888, true, false, 25},
        {"translucent texture", translucent.get(), Color::White, kPixelFormat8888, false, false, 24},
        {"transparent texture", transparent.get(), Color::White, kPixelFormat8888, false, false, 24},
        {"everything", transparent.get(), Color(1, 2, 3, 4), kPixelFormat8888, true, true, 31},
        {"888", nullptr, Color::White, kPixelFormat888, false, true, 36},
        {"565", opaque.get(), Color::White, kPixelFormat565, false, false, 80},
        {"555", opaque.get(), Color(9, 9, 9), kPixelFormat555, false, false, 114},
        {"code 0", nullptr, Color::White, 0, false, true, 4},
        {"code 0x1234", nullptr, Color::White, 0x1234, false, true, 4},
    };
    for (const Case& c : cases) {
        gCalls.clear();
        Draw({{0, 0, 0, 0, 0}, {4, 0, 0, 0, 0}, {0, 4, 0, 0, 0}}, c.texture, c.color, c.format, c.linear,
             c.vertexColors);
        ASSERT_EQ(gCalls.size(), 1u) << c.name;
        EXPECT_EQ(gCalls[0].index, c.index) << c.name;
    }
    // The draw colour reaches the filler as a, r, g, b (clamped to 0-255).
    gCalls.clear();
    Draw({{0, 0, 0, 0, 0}, {4, 0, 0, 0, 0}, {0, 4, 0, 0, 0}}, nullptr, Color(9, 8, 300, -6));
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].color.mA, 0);
    EXPECT_EQ(gCalls[0].color.mR, 9);
    EXPECT_EQ(gCalls[0].color.mG, 8);
    EXPECT_EQ(gCalls[0].color.mB, 255);

    // The chooser alone reaches the entries the entry never selects.
    gCalls.clear();
    const SpanVertex v[3] = {};
    const SpanColor color = {255, 255, 255, 255};
    ChooseSpanFunction(true, false, true, true, v, nullptr, 0, nullptr, &color, kPixelFormat565, true);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].index, 64 + 16 + 4 + 2 + 1);
}

TEST_F(TriangleRasterizerTest, DrawsAClippedPolygonAsAFanAroundItsFirstVertex)
{
    // Crosses all four sides of the rectangle: 7 vertices, 5 triangles.
    Draw({{-4, 5, 0, 0, 0xFFFFFFFF}, {4, -2, 0, 0, 0xFFFFFFFF}, {10, 8, 0, 0, 0xFFFFFFFF}}, nullptr, Color::White,
         kPixelFormat8888, false, true, TRect<int>(0, 0, 8, 6));
    ASSERT_EQ(gCalls.size(), 5u);
    for (size_t i = 0; i < gCalls.size(); ++i) {
        EXPECT_EQ(std::memcmp(&gCalls[i].vertices[0], &gCalls[0].vertices[0], sizeof(SpanVertex)), 0);
        if (i > 0) {
            // (0, k - 1, k): each triangle starts where the last one ended.
            EXPECT_EQ(std::memcmp(&gCalls[i].vertices[1], &gCalls[i - 1].vertices[2], sizeof(SpanVertex)), 0);
        }
        for (const SpanVertex& s : gCalls[i].vertices) {
            EXPECT_TRUE(s.mX >= 0 && s.mX <= (8 << 16) && s.mY >= 0 && s.mY <= (6 << 16));
        }
    }
    // Wholly outside: nothing.
    gCalls.clear();
    Draw({{-4, 5, 0, 0, 0}, {-1, -2, 0, 0, 0}, {-1, 8, 0, 0, 0}}, nullptr, Color::White, kPixelFormat8888, false,
         true, TRect<int>(0, 0, 8, 6));
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(TriangleRasterizerTest, InitSpanFunctionsFillsTheUntexturedEntries)
{
    InitSpanFunctions();
    const SpanFunction vertex[4] = {SpanGouraud8888, SpanGouraud888, Span565Vertex, Span555Vertex};
    const SpanFunction tint[4] = {SpanGouraudColor8888, SpanGouraudColor888, Span565VertexTint, Span555VertexTint};
    for (int group = 0; group < 4; ++group) {
        for (int i = 0; i < 16; ++i) {
            const SpanFunction entry = gSpanFunctions[group * 32 + i];
            if ((i & kSpanVertexColors) == 0) {
                EXPECT_EQ(entry, &SpanNone) << group << " " << i;
            } else {
                EXPECT_EQ(entry, (i & kSpanColored) != 0 ? tint[group] : vertex[group]) << group << " " << i;
            }
        }
    }
    // Harmless to call again.
    InitSpanFunctions();
    EXPECT_EQ(gSpanFunctions[4], &SpanGouraud8888);
}

TEST_F(TriangleRasterizerTest, AnEmptyTableDrawsNothing)
{
    for (SpanFunction& entry : gSpanFunctions) {
        entry = nullptr;
    }
    std::vector<uint32_t> pixels(64, 0x12345678);
    const ClipVertex v[3] = {{0, 0, 0, 0, 0xFFFFFFFF}, {8, 0, 0, 0, 0xFFFFFFFF}, {0, 8, 0, 0, 0xFFFFFFFF}};
    DrawTriangles(v, 3, nullptr, Color::White, 0, TRect<int>(0, 0, 8, 8), pixels.data(), 32, kPixelFormat8888,
                  false, true);
    EXPECT_EQ(pixels, std::vector<uint32_t>(64, 0x12345678));
}

// Whole draws through the real table.
class TriangleDrawTest : public testing::Test {
protected:
    void SetUp() override { InitSpanFunctions(); }
};

TEST_F(TriangleDrawTest, EveryTriangleOfAFanGetsTheSameAlpha)
{
    // One white triangle cut into five by the clip rectangle, drawn at draw
    // alpha 128 over opaque black: each pixel 126 (8888: 256 x floor(254.0039
    // x 127 / 256) / 256), however many fan triangles hold it.
    const ClipVertex v[3] = {{-4, 5, 0, 0, 0xFFFFFFFF}, {4, -2, 0, 0, 0xFFFFFFFF}, {10, 8, 0, 0, 0xFFFFFFFF}};
    std::vector<uint32_t> pixels(64, 0xFF000000);
    DrawTriangles(v, 3, nullptr, Color(255, 255, 255, 128), 0, TRect<int>(0, 0, 8, 6), pixels.data(), 32,
                  kPixelFormat8888, false, true);
    int drawn = 0;
    for (uint32_t p : pixels) {
        if (p != 0xFF000000) {
            EXPECT_EQ(p, 0xFF7E7E7Eu);
            ++drawn;
        }
    }
    EXPECT_GT(drawn, 30);
    // Rows 6 and 7 lie below the rectangle.
    for (int i = 48; i < 64; ++i) {
        EXPECT_EQ(pixels[size_t(i)], 0xFF000000u);
    }
}

TEST_F(TriangleDrawTest, AQuadStripBlendsEveryPixelOnce)
{
    // Two triangles over the 8x6 rectangle at vertex alpha 128 over opaque
    // black: every pixel blended once (0xFF7F7F7F, 256 x 127 / 256), none
    // twice along the diagonal, none outside.
    const ClipVertex v[4] = {{0, 0, 0, 0, 0x80FFFFFF}, {8, 0, 0, 0, 0x80FFFFFF}, {0, 6, 0, 0, 0x80FFFFFF},
                             {8, 6, 0, 0, 0x80FFFFFF}};
    std::vector<uint32_t> pixels(64, 0xFF000000);
    DrawTriangles(v, 4, nullptr, Color::White, 0, TRect<int>(0, 0, 8, 6), pixels.data(), 32, kPixelFormat8888, false,
                  true);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(pixels[size_t(i)], i < 48 ? 0xFF7F7F7Fu : 0xFF000000u) << i;
    }
}

TEST_F(TriangleDrawTest, UntexturedWithoutVertexColoursDrawsNothing)
{
    const ClipVertex v[3] = {{0, 0, 0, 0, 0xFFFFFFFF}, {8, 0, 0, 0, 0xFFFFFFFF}, {0, 8, 0, 0, 0xFFFFFFFF}};
    const int formats[] = {kPixelFormat8888, kPixelFormat888, kPixelFormat565, kPixelFormat555};
    for (int format : formats) {
        std::vector<uint32_t> pixels(64, 0x12345678);
        DrawTriangles(v, 3, nullptr, Color(1, 2, 3, 4), 0, TRect<int>(0, 0, 8, 8), pixels.data(), 32, format, true,
                      false);
        EXPECT_EQ(pixels, std::vector<uint32_t>(64, 0x12345678)) << format;
    }
}

} // namespace
