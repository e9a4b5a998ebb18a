// The textured fillers of the 565 and 555 destinations (entries 80-95 and
// 112-127): coverage and sample maps on 8 x 8 canvases, hand-worked pixels of
// the texel fetch, the bilinear filter, the modulation, the opaque write and
// the 5-bit blend, texel reads that stay inside the texture, and the
// invariants of whole draws.
#include "TexturedTestKit.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TexturedFillers.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Lumo::TriangleRasterizer {
namespace {

using namespace TexturedTestKit;

constexpr uint16_t kBackground = 0xA5A5;

// '.' untouched, '!' anything but a blue-only pixel, else the blue field
// (the texel's index in an index texture).
char IndexName(uint16_t pixel)
{
    if (pixel == kBackground) {
        return '.';
    }
    if ((pixel & ~0x1F) != 0) {
        return '!';
    }
    return "0123456789abcdef"[pixel & 0xF];
}

// count texels, texel i holding i in the top five bits of blue, with alphas
// from 0 up (the plain fillers ignore them).
std::vector<uint32_t> IndexTexels(uint32_t count)
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < count; ++i) {
        texels.push_back((i * 0x11) << 24 | i << 3);
    }
    return texels;
}

TEST(TexturedFillers16Test, CoverageAndSampleMapOfThePlainFiller)
{
    const Texture texture(4, 4, IndexTexels(16));
    // Apex (4, 0.25), base y 7.25 from 0.5 to 7.5: edges x = 4 -+ (y - 0.25) / 2;
    // pixel (c, r) samples texel (c / 2, r / 2).
    const SpanVertex triangle[3] = {Halved(4.0, 0.25), Halved(0.5, 7.25), Halved(7.5, 7.25)};
    for (const int group : {k565, k555}) {
        SCOPED_TRACE(group);
        Canvas<uint16_t> canvas(kBackground);
        Draw(group + kSpanTextured, triangle, canvas, texture);
        EXPECT_EQ(canvas.Picture(IndexName), "........\n"
                                             "....2...\n"
                                             "....6...\n"
                                             "...566..\n"
                                             "...9aa..\n"
                                             "..99aab.\n"
                                             "..ddeef.\n"
                                             ".cddeeff\n");
        EXPECT_TRUE(canvas.GuardsIntact());
    }
}

// 3 x 2 texels over 6 x 4 pixels, as two triangles sharing a diagonal: each
// texel once, as a 2 x 2 block, nothing wrapped.
TEST(TexturedFillers16Test, TextureOfThreeByTwoTexelsDrawsWithoutWrap)
{
    const Texture texture(3, 2, IndexTexels(6));
    auto at = [](double x, double y) { return Vertex(x, y, x / 2.0 + 0.25, y / 2.0 + 0.25); };
    const SpanVertex upper[3] = {at(0.0, 0.0), at(6.0, 0.0), at(0.0, 4.0)};
    const SpanVertex lower[3] = {at(6.0, 0.0), at(6.0, 4.0), at(0.0, 4.0)};
    Canvas<uint16_t> canvas(kBackground);
    Draw(k565 + kSpanTextured, upper, canvas, texture);
    Draw(k565 + kSpanTextured, lower, canvas, texture);
    EXPECT_EQ(canvas.Picture(IndexName), "001122..\n"
                                         "001122..\n"
                                         "334455..\n"
                                         "334455..\n"
                                         "........\n"
                                         "........\n"
                                         "........\n"
                                         "........\n");
}

// A texture drawn 1:1 is packed in blocks, past its last texel too.
TEST(TexturedFillers16Test, OneToOneRunsPackTheTexels)
{
    // 565: (R >> 3) << 11 | (G >> 2) << 5 | B >> 3; 555: (R >> 3) << 10 | (G >> 3) << 5 | B >> 3
    auto pack = [](int group, uint32_t t) {
        if (group == k565) {
            return static_cast<uint16_t>(((t >> 19) & 0x1F) << 11 | ((t >> 10) & 0x3F) << 5 | ((t >> 3) & 0x1F));
        }
        return static_cast<uint16_t>(((t >> 19) & 0x1F) << 10 | ((t >> 11) & 0x1F) << 5 | ((t >> 3) & 0x1F));
    };
    ExpectOneToOneRunsGiveTheTexels<uint16_t>({k565, k555}, kBackground, pack);
}

using HandCase = PixelCase<uint16_t>;

TEST(TexturedFillers16Test, HandWorkedPixels)
{
    const int tex = kSpanTextured;
    const int tint = tex + kSpanColored;
    const int vertex = tex + kSpanVertexColors;
    const int vertexTint = vertex + kSpanColored;
    const int linear = tex + kSpanLinear;
    const int blend = tex + kSpanBlended;
    const int blendLinear = blend + kSpanLinear;
    const HandCase cases[] = {
        // ---- Not blended ----
        // (255 >> 3) << 11 | (128 >> 2) << 5 | 64 >> 3; 555: (255 >> 3) << 10 | (128 >> 3) << 5 | 64 >> 3
        {"plain copy, 565", k565 + tex, 1, 1, {0x00FF8040}, 0.5, 0.5, 0, kWhite, kBackground, 0xFC08},
        {"plain copy, 555", k555 + tex, 1, 1, {0x00FF8040}, 0.5, 0.5, 0, kWhite, kBackground, 0x7E08},
        {"column 3 of a 3-wide texture: next row's green", k565 + tex, 3, 3, kGrid, 3.5, 0.5, 0, kWhite, kBackground,
         0x07E0},
        {"past the last texel: black", k565 + tex, 3, 3, kGrid, 0.5, 3.5, 0, kWhite, kBackground, 0x0000},
        {"u just below 0: column 65535, black", k565 + tex, 3, 3, kGrid, -1.0 / 65536, 0.5, 0, kWhite, kBackground,
         0x0000},
        // k = 200 x 255 >> 8 = 199; source 254 x 199 >> 8 = 197 -> 24, 49, 24;
        // destination x ((255 - 199) >> 3 = 7) / 32: 6, 13, 6
        {"tint alpha 200", k565 + tint, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0, {200, 255, 255, 255}, 0xFFFF, 0xF7DE},
        // k = 0: destination x 31 / 32: 31 -> 30, 63 -> 61
        {"tint (0, 0, 0, 0) darkens", k565 + tint, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0, {0, 0, 0, 0}, 0xFFFF, 0xF7BE},
        {"tint (0, 0, 0, 0) darkens, 555", k555 + tint, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0, {0, 0, 0, 0}, 0x7FFF,
         0x7BDE},
        // vr = 0: R' = 0; k = 255 x 255 >> 8 = 254, opaque: 0, 254 >> 2, 254 >> 3
        {"vertex colour 0xFF00FFFF", k565 + vertex, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0xFF00FFFF, kWhite, 0x0000, 0x07FF},
        // copies: r 0x7F8000, a 0xFE0100; F.r = (128 x 0x7F8000) >> 24 = 63, F.a = (255 x 0xFE0100) >> 24 = 253;
        // k = 252, opaque; 255 x 63 >> 8 = 62 -> 7, 15, 7
        {"white vertices x (128, 128, 128, 255): a quarter", k565 + vertexTint, 1, 1, {0xFFFFFFFF}, 0.5, 0.5,
         0xFFFFFFFF, {255, 128, 128, 128}, 0x0000, 0x39E7},
        {"the same, blended twin", k565 + blend + kSpanVertexColors + kSpanColored, 1, 1, {0xFFFFFFFF}, 0.5, 0.5,
         0xFFFFFFFF, {255, 128, 128, 128}, 0x0000, 0x39E7},
        // fu = fv = 1: w00 = (65534 x 255) >> 16 = 254, P = 255 x 254 >> 8 = 253 -> 31, 63, 31
        {"bilinear at a texel centre", k565 + linear, 3, 3, kGrid, 1.5, 1.5, 0, kWhite, kBackground, 0xFFFF},
        // index 3: green and white at 127 each: 126, 253, 126 -> 15, 63, 15
        {"bilinear halfway between green and white", k565 + linear, 3, 3, kGrid, 1.0, 1.5, 0, kWhite, kBackground,
         0x7FEF},
        // iu = -1: index 2 (blue, w00 = 63) and 3 (green, w01 = 191): g 190 >> 2 = 47, b 62 >> 3 = 7
        {"left edge: previous row's last texel", k565 + linear, 3, 3, kGrid, 0.25, 1.5, 0, kWhite, kBackground, 0x05E7},
        // P = 253: (253 x 128 >> 8) = 126, x 255 >> 8 = 125 -> 15, 31, 15; k = 255 x 255 >> 8 = 254, opaque
        {"tinted bilinear, then by the tint's alpha", k565 + linear + kSpanColored, 3, 3, kGrid, 1.5, 1.5, 0,
         {255, 128, 128, 128}, kBackground, 0x7BEF},

        // ---- Blended ----
        {"alpha 8: left alone", k565 + blend, 1, 1, {0x08FFFFFF}, 0.5, 0.5, 0, kWhite, 0x1234, 0x1234},
        // source 255 x 9 >> 8 = 8 -> 1, 2, 1; destination weight (255 - 9) >> 3 = 30: 29, 59, 29
        {"alpha 9", k565 + blend, 1, 1, {0x09FFFFFF}, 0.5, 0.5, 0, kWhite, 0xFFFF, 0xF7BE},
        // 555: 1, 1, 1 plus 29, 29, 29; bit 15 of the destination dropped
        {"alpha 9, 555, bit 15 stays clear", k555 + blend, 1, 1, {0x09FFFFFF}, 0.5, 0.5, 0, kWhite, 0xFFFF, 0x7BDE},
        // 255 x 239 >> 8 = 238 -> 29, 59, 29; weight 2 of black
        {"alpha 239", k565 + blend, 1, 1, {0xEFFFFFFF}, 0.5, 0.5, 0, kWhite, 0x0000, 0xEF7D},
        {"alpha 240: opaque", k565 + blend, 1, 1, {0xF0FFFFFF}, 0.5, 0.5, 0, kWhite, 0x0000, 0xFFFF},
        {"white opaque, 555", k555 + blend, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0, kWhite, 0x0000, 0x7FFF},
        {"past the last texel: left alone", k565 + blend, 3, 3, kGrid, 0.5, 3.5, 0, kWhite, 0x1234, 0x1234},
        // a = 0 x 255 >> 8 = 0: destination x 31 / 32, nothing added
        {"draw alpha 0", k565 + blend + kSpanColored, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0, {0, 255, 255, 255}, 0xFFFF,
         0xF7BE},
        // iv = -1: only red (index 1) below, w10 = (49152 x 255) >> 16 = 191: P.r = 190 -> 23;
        // weight (255 - 191) >> 3 = 8: 31 -> 7, 63 -> 15
        {"top edge: the row above is transparent", k565 + blendLinear, 3, 3, kGrid, 1.5, 0.25, 0, kWhite, 0xFFFF,
         0xF1E7},
        // last row, half red: w00 = (65534 x 128) >> 16 = 127, P.r = 126 -> 15; weight 16: 15, 31, 15
        {"last row: half alpha", k565 + blendLinear, 3, 3, kGrid, 1.5, 2.5, 0, kWhite, 0xFFFF, 0xF3EF},
        {"bilinear over transparent texels: left alone", k565 + blendLinear, 3, 3, kGrid, 0.5, 3.0, 0, kWhite,
         0x1234, 0x1234},
    };
    for (const HandCase& c : cases) {
        ExpectHandCase(c, kBackground);
    }
}

// A vertex alpha of 240.99 blends; channels carried just below 0.0 count as
// 0, never as 65535.
TEST(TexturedFillers16Test, VertexChannelEnds)
{
    const Texture texture(1, 1, {0xFFFFFFFF});
    struct Case {
        const char* what;
        int index;
        int32_t alpha;
        int32_t red;
        uint16_t dest;
        uint16_t expected;
    };
    const int32_t full = 255 << 16;
    const Case cases[] = {
        // k = 240 x 255 >> 8 = 239; 254 x 239 >> 8 = 237 -> 29, 59, 29; weight 2 of black
        {"alpha 240.99", k565 + kSpanTextured + kSpanVertexColors, (240 << 16) + 64880, full, 0x0000, 0xEF7D},
        // va = 0: k = 0, destination x 31 / 32
        {"alpha just below 0", k565 + kSpanTextured + kSpanVertexColors, -1, full, 0xFFFF, 0xF7BE},
        {"alpha just below 0, tinted", k565 + kSpanTextured + kSpanVertexColors + kSpanColored, -1, full, 0xFFFF,
         0xF7BE},
        // a = (0 x 255) >> 8 = 0
        {"alpha just below 0, blended", k555 + kSpanTextured + kSpanBlended + kSpanVertexColors, -1, full, 0x7FFF,
         0x7BDE},
        // vr = 0; opaque: 0, 254 >> 2, 254 >> 3
        {"red just below 0", k565 + kSpanTextured + kSpanVertexColors, full, -1, 0x0000, 0x07FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SpanVertex triangle[3];
        Corner(triangle, 0.5, 0.5, 0xFFFFFFFF);
        for (SpanVertex& v : triangle) {
            v.mA = c.alpha;
            v.mR = c.red;
        }
        Canvas<uint16_t> canvas(c.dest);
        Draw(c.index, triangle, canvas, texture, {255, 255, 255, 255});
        EXPECT_EQ(canvas.At(0, 0), c.expected);
    }
}

// No source alpha and destination value makes a field carry into the next:
// the blended write of every alpha from 9 to 239 over every 5- and 6-bit
// field value stays within the fields (and 555 leaves bit 15 clear).
TEST(TexturedFillers16Test, BlendNeverCarriesBetweenFields)
{
    for (const int group : {k565, k555}) {
        const uint16_t full = group == k565 ? 0xFFFF : 0x7FFF;
        for (uint32_t alpha = 9; alpha < 240; ++alpha) {
            const Texture texture(1, 1, {alpha << 24 | 0xFFFFFF});
            SpanVertex triangle[3];
            Corner(triangle, 0.5, 0.5);
            Canvas<uint16_t> canvas(full);
            Draw(group + kSpanTextured + kSpanBlended, triangle, canvas, texture);
            const uint16_t p = canvas.At(0, 0);
            // White over white: ((255 a) >> 8) >> 3 + (31 ((255 - a) >> 3)) >> 5 is 29 or 30 for
            // a 5-bit field, the 6-bit green 60 to 62; a carry would leave a field short.
            const uint32_t redShift = group == k565 ? 11 : 10;
            const uint32_t greenMask = group == k565 ? 0x3F : 0x1F;
            EXPECT_GE(p >> redShift, 29u) << alpha;
            EXPECT_GE((p >> 5) & greenMask, group == k565 ? 60u : 29u) << alpha;
            EXPECT_GE(p & 0x1Fu, 29u) << alpha;
            EXPECT_LE(p, full) << alpha;
        }
    }
}

// Wild texture positions in tiny textures never read outside the texels
// nor write outside the triangle's box.
TEST(TexturedFillers16Test, WildTexturePositionsStayInsideTheTexture)
{
    const int groups[2] = {k565, k555};
    ExpectWildTexturePositionsStayInside<uint16_t>(4321, groups, kBackground);
}

// The named fillers sit at their entries.
TEST(TexturedFillers16Test, TableHoldsTheNamedFillers)
{
    InitSpanFunctions();
    const SpanFunction k565Names[16] = {
        Span565Tex,        Span565TexLinear,          Span565TexTint,        Span565TexTintLinear,
        Span565TexVertex,  Span565TexVertexLinear,    Span565TexVertexTint,  Span565TexVertexTintLinear,
        SpanTexBlend565,   SpanTexBlendLinear565,     SpanTexBlendColor565,  SpanTexBlendColorLinear565,
        SpanTexBlendVertex565, SpanTexBlendVertexLinear565, SpanTexBlendVertexColor565,
        SpanTexBlendVertexColorLinear565};
    const SpanFunction k555Names[16] = {
        Span555Tex,        Span555TexLinear,          Span555TexTint,        Span555TexTintLinear,
        Span555TexVertex,  Span555TexVertexLinear,    Span555TexVertexTint,  Span555TexVertexTintLinear,
        SpanTexBlend555,   SpanTexBlendLinear555,     SpanTexBlendColor555,  SpanTexBlendColorLinear555,
        SpanTexBlendVertex555, SpanTexBlendVertexLinear555, SpanTexBlendVertexColor555,
        SpanTexBlendVertexColorLinear555};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(gSpanFunctions[80 + i], k565Names[i]) << i;
        EXPECT_EQ(gSpanFunctions[112 + i], k555Names[i]) << i;
    }
    EXPECT_EQ(gSpanFunctions[16], SpanTexCopy);
    EXPECT_EQ(gSpanFunctions[48], SpanTexCopy);
    EXPECT_EQ(gSpanFunctions[17], SpanTexLinear);
    EXPECT_EQ(gSpanFunctions[49], SpanTexLinear);
}

// ---- Whole draws through DrawTriangles ----

// A quad as a strip of two triangles whose shared diagonal x + y = 8 runs
// through pixel points: every pixel of the quad is blended exactly once.
TEST(TexturedFillers16Test, SharedEdgeIsDrawnOnce)
{
    TestApp app;
    InitSpanFunctions();
    MemoryImage texture(&app);
    const std::vector<uint32_t> half = Plain(4, 0x80FFFFFF);
    texture.SetBits(half.data(), 2, 2);
    const ClipVertex quad[4] = {{1.0f, 1.0f, 0.0f, 0.0f, 0}, {7.0f, 1.0f, 1.0f, 0.0f, 0},
                                {1.0f, 7.0f, 0.0f, 1.0f, 0}, {7.0f, 7.0f, 1.0f, 1.0f, 0}};
    // Over black: 255 x 128 >> 8 = 127 -> 15, 31 (565) or 15 (555), 15.
    const struct {
        int format;
        uint16_t expected;
    } targets[] = {{kPixelFormat565, 0x7BEF}, {kPixelFormat555, 0x3DEF}};
    for (const auto& target : targets) {
        SCOPED_TRACE(target.format);
        const std::vector<uint16_t> pixels =
            DrawWhole<uint16_t>(&texture, target.format, 0x0000, Color::White, false, false, quad, 4);
        for (int y = 0; y < kCanvasSize; ++y) {
            for (int x = 0; x < kCanvasSize; ++x) {
                const bool inside = x >= 1 && x < 7 && y >= 1 && y < 7;
                EXPECT_EQ(pixels[y * kCanvasSize + x], inside ? target.expected : 0) << x << "," << y;
            }
        }
    }
}

TEST(TexturedFillers16Test, PaletteAndArgbTexturesDrawAlike)
{
    TestApp app;
    InitSpanFunctions();
    const std::vector<uint32_t> texels = VariedTexels();
    MemoryImage argb(&app);
    argb.SetBits(texels.data(), 5, 4);
    MemoryImage palette(&app);
    palette.SetBits(texels.data(), 5, 4);
    ASSERT_TRUE(palette.Palletize());

    ExpectDrawAlikeOnEveryFlagSet<uint16_t>(&argb, &palette, {kPixelFormat565, kPixelFormat555}, kBackground);
}

// A triangle cut by all four sides of the clip rectangle, drawn as a fan with
// vertex colours and a draw colour: the hub is scaled once per triangle, so
// every triangle gets the same alpha.
TEST(TexturedFillers16Test, EveryTriangleOfAFanGetsTheSameAlpha)
{
    TestApp app;
    InitSpanFunctions();
    MemoryImage texture(&app);
    const std::vector<uint32_t> white = Plain(4, 0xFFFFFFFF);
    texture.SetBits(white.data(), 2, 2);
    const ClipVertex triangle[3] = {{-1.0f, 4.0f, 0.0f, 0.0f, 0x80FFFFFF}, {4.0f, -1.0f, 1.0f, 0.0f, 0x80FFFFFF},
                                    {9.5f, 9.5f, 1.0f, 1.0f, 0x80FFFFFF}};
    // copies: a 0x400000, r 0xFE0100; F.a = (128 x 0x400000) >> 24 = 32, F.r = (255 x 0xFE0100) >> 24 = 253;
    // k = 255 x 32 >> 8 = 31; S = 255 x 253 >> 8 = 252, 252 x 31 >> 8 = 30 -> 3, 7 (565) or 3 (555), 3.
    const struct {
        int format;
        uint16_t expected;
    } targets[] = {{kPixelFormat565, 0x18E3}, {kPixelFormat555, 0x0C63}};
    for (const auto& target : targets) {
        SCOPED_TRACE(target.format);
        const std::vector<uint16_t> pixels =
            DrawWhole<uint16_t>(&texture, target.format, 0x0000, Color(255, 255, 255, 128), false, true, triangle, 3);
        int drawn = 0;
        for (const uint16_t p : pixels) {
            if (p != 0) {
                EXPECT_EQ(p, target.expected);
                ++drawn;
            }
        }
        EXPECT_GT(drawn, 30);
    }
}

} // namespace
} // namespace Lumo::TriangleRasterizer
