// The textured fillers of the 8888 and 888 destinations (entries 16-31 and
// 48-63): coverage and sample maps on 8 x 8 canvases, hand-worked pixels of
// every sampling, modulation and blend step, texel reads that stay inside the
// texture, and the invariants of whole draws (shared edges, palette textures,
// fans).
#include "TexturedTestKit.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Lumo::TriangleRasterizer {
namespace {

using namespace TexturedTestKit;

constexpr uint32_t kBackground = 0x12345678;

// '.' untouched, '!' written without an opaque alpha byte, else the low
// nibble of the blue byte (the texel's index in an index texture).
char IndexName(uint32_t pixel)
{
    if (pixel == kBackground) {
        return '.';
    }
    if ((pixel >> 24) != 0xFF) {
        return '!';
    }
    return "0123456789abcdef"[pixel & 0xF];
}

// 4 x 4 texels, texel i holding i in its blue byte and alphas from 0 up, so
// that an opaque-only filler shows it ignores them.
std::vector<uint32_t> IndexTexels()
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 16; ++i) {
        texels.push_back((i * 0x11) << 24 | i);
    }
    return texels;
}

struct CoverageCase {
    const char* what;
    SpanVertex triangle[3];
    const char* expected;
};

TEST(TexturedFillers32Test, CoverageAndSampleMapOfTheCopyFiller)
{
    const CoverageCase cases[] = {
        {"right angle at (1, 1), legs to 6.5: rows 1-6, columns from 1 below ceil(7.5 - row)",
         {Halved(1.0, 1.0), Halved(6.5, 1.0), Halved(1.0, 6.5)},
         "........\n"
         ".011223.\n"
         ".45566..\n"
         ".4556...\n"
         ".899....\n"
         ".89.....\n"
         ".c......\n"
         "........\n"},
        {"apex (4, 0.25), base y 7.25 from 0.5 to 7.5: edges x = 4 -+ (y - 0.25) / 2",
         {Halved(4.0, 0.25), Halved(0.5, 7.25), Halved(7.5, 7.25)},
         "........\n"
         "....2...\n"
         "....6...\n"
         "...566..\n"
         "...9aa..\n"
         "..99aab.\n"
         "..ddeef.\n"
         ".cddeeff\n"},
    };
    const Texture texture(4, 4, IndexTexels());
    for (const CoverageCase& c : cases) {
        for (const int group : {k8888, k888}) {
            SCOPED_TRACE(std::string(c.what) + (group == k8888 ? " (8888)" : " (888)"));
            Canvas<uint32_t> canvas(kBackground);
            Draw(group + kSpanTextured, c.triangle, canvas, texture);
            EXPECT_EQ(canvas.Picture(IndexName), c.expected);
            EXPECT_TRUE(canvas.GuardsIntact());
        }
    }
}

// Every textured slot of both formats writes exactly the pixels of the
// walk: no flag changes the coverage.
TEST(TexturedFillers32Test, EverySlotCoversTheSamePixels)
{
    const SpanVertex triangle[3] = {Halved(4.0, 0.25), Halved(0.5, 7.25), Halved(7.5, 7.25)};
    const Texture texture(4, 4, Plain(16, 0xFF808080));
    const char* const expected = "........\n"
                                 "....#...\n"
                                 "....#...\n"
                                 "...###..\n"
                                 "...###..\n"
                                 "..#####.\n"
                                 "..#####.\n"
                                 ".#######\n";
    for (const int group : {k8888, k888}) {
        for (int flags = kSpanTextured; flags < 2 * kSpanTextured; ++flags) {
            SCOPED_TRACE("entry " + std::to_string(group + flags));
            Canvas<uint32_t> canvas(kBackground);
            Draw(group + flags, triangle, canvas, texture, {200, 255, 255, 255});
            EXPECT_EQ(canvas.Picture([](uint32_t p) { return p == kBackground ? '.' : '#'; }), expected);
            EXPECT_TRUE(canvas.GuardsIntact());
        }
    }
}

// A texture drawn 1:1 is copied in blocks, past its last texel too.
TEST(TexturedFillers32Test, OneToOneRunsCopyTheTexels)
{
    // T | 0xFF000000; past the strip's 8 texels, 0 | 0xFF000000
    ExpectOneToOneRunsGiveTheTexels<uint32_t>({k8888, k888}, kBackground,
                                              [](int, uint32_t t) { return 0xFF000000 | t; });
}

using HandCase = PixelCase<uint32_t>;

TEST(TexturedFillers32Test, HandWorkedPixels)
{
    const int copy = kSpanTextured;
    const int linear = kSpanTextured + kSpanLinear;
    const int blend = kSpanTextured + kSpanBlended;
    const int blendLinear = blend + kSpanLinear;
    const HandCase cases[] = {
        // ---- Nearest sampling ----
        {"copy: T | 0xFF000000, texel alpha ignored", copy, 1, 1, {0x00FF8040}, 0.5, 0.5, 0, kWhite, kBackground,
         0xFFFF8040},
        {"column 3 of a 3-wide texture: next row's first texel", copy, 3, 3, kGrid, 3.5, 0.5, 0, kWhite, kBackground,
         0xFF00FF00},
        {"index 9 of 9 texels: transparent black, written opaque", copy, 3, 3, kGrid, 0.5, 3.5, 0, kWhite,
         kBackground, 0xFF000000},
        {"u just below 0: column 65535, past the end", copy, 3, 3, kGrid, -1.0 / 65536, 0.5, 0, kWhite, kBackground,
         0xFF000000},
        {"blended, past the end: left alone", blend, 3, 3, kGrid, 0.5, 3.5, 0, kWhite, kBackground, kBackground},
        {"blended, alpha 8: left alone", blend, 1, 1, {0x08FF8040}, 0.5, 0.5, 0, kWhite, 0xFF204060, 0xFF204060},
        // S = 256 x ((255 x 9) >> 8) = 2048; outA 256; 2048 / 256 = 8
        {"blended, alpha 9 over opaque black", blend, 1, 1, {0x09FFFFFF}, 0.5, 0.5, 0, kWhite, 0xFF000000,
         0xFF080808},
        // (255 x 239) >> 8 = 238
        {"blended, alpha 239 over opaque black", blend, 1, 1, {0xEFFFFFFF}, 0.5, 0.5, 0, kWhite, 0xFF000000,
         0xFFEEEEEE},
        {"blended, alpha 240: opaque, own colour", blend, 1, 1, {0xF0FF8040}, 0.5, 0.5, 0, kWhite, 0xFF204060,
         0xFFFF8040},
        // outA = 256 - (256 x 128 >> 8) = 128; 256 x 127 / 128 = 254, 256 x 64 / 128, 256 x 32 / 128; alpha 127
        {"blended, alpha 128 over alpha 0", blend, 1, 1, {0x80FF8040}, 0.5, 0.5, 0, kWhite, 0x00000000, 0x7FFE8040},
        // outA 256; r (31 x 128 + 256 x 127) / 256 = 142, g (63 x 128 + 256 x 64) / 256 = 95,
        // b (95 x 128 + 256 x 32) / 256 = 79 (d x 255 >> 8 = 31, 63, 95)
        {"blended, alpha 128 over opaque", blend, 1, 1, {0x80FF8040}, 0.5, 0.5, 0, kWhite, 0xFF204060, 0xFF8E5F4F},
        // (d x 127 >> 8) + (c x 128 >> 8): 15 + 127, 31 + 64, 47 + 32; top byte 0xFF
        {"888 blended, alpha 128", k888 + blend, 1, 1, {0x80FF8040}, 0.5, 0.5, 0, kWhite, 0x12204060, 0xFF8E5F4F},
        {"888 copy: top byte 0xFF", k888 + copy, 1, 1, {0x00FF8040}, 0.5, 0.5, 0, kWhite, 0x00000000, 0xFFFF8040},

        // ---- Modulation ----
        // a = 255 x 128 >> 8 = 127; c' = 254, 127, 63; (c' x 127) >> 8 = 126, 63, 31 over black
        {"colour (255, 255, 255, 128): half strength", kSpanTextured + kSpanColored, 1, 1, {0xFFFF8040}, 0.5, 0.5, 0,
         {128, 255, 255, 255}, 0xFF000000, 0xFF7E3F1F},
        // a = 254, opaque; c' = 255 x 128 >> 8 = 127, 128 x 128 >> 8 = 64, 64 x 128 >> 8 = 32
        {"colour (128, 128, 128, 255): half brightness", kSpanTextured + kSpanColored, 1, 1, {0xFFFF8040}, 0.5, 0.5, 0,
         {255, 128, 128, 128}, 0xFF000000, 0xFF7F4020},
        {"vertex colour 0xFF808080: the same", kSpanTextured + kSpanVertexColors, 1, 1, {0xFFFF8040}, 0.5, 0.5,
         0xFF808080, kWhite, 0xFF000000, 0xFF7F4020},
        // vertex copies x colour >> 8: r 255 x 128 / 256 = 127.5 -> 127, a 254.0 -> 254; a = 255 x 254 >> 8 = 253;
        // c' = 255 x 127 >> 8 = 126, 128 x 127 >> 8 = 63, 64 x 127 >> 8 = 31
        {"white vertices x colour (128, 128, 128, 255): colour counts once",
         kSpanTextured + kSpanVertexColors + kSpanColored, 1, 1, {0xFFFF8040}, 0.5, 0.5, 0xFFFFFFFF,
         {255, 128, 128, 128}, 0xFF000000, 0xFF7E3F1F},
        // a = 0 over da 0: outA would be 0
        {"colour alpha 0 over alpha 0: left alone", blend + kSpanColored, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0,
         {0, 255, 255, 255}, 0x00123456, 0x00123456},
        // outA = 256 - (128 x 256 >> 8) = 128; (d x 128 >> 8) x 256 / 128 = d for even d; alpha 127
        {"colour alpha 0 over alpha 128: alpha one lower", blend + kSpanColored, 1, 1, {0xFFFFFFFF}, 0.5, 0.5, 0,
         {0, 255, 255, 255}, 0x80123456, 0x7F123456},

        // ---- Bilinear sampling ----
        // u' = v' = 1.0: fu = fv = 1, w00 = (65534 x 255) >> 16 = 254; 255 x 254 >> 8 = 253
        {"texel centre: 254/256 of the texel", linear, 3, 3, kGrid, 1.5, 1.5, 0, kWhite, kBackground, 0xFFFDFDFD},
        // fu = 32769, fv = 1: w00 = (32766 x 255) >> 16 = 127, w10 = (32768 x 255) >> 16 = 127;
        // green + white: r = b = 255 x 127 >> 8 = 126, g = 255 x 254 >> 8 = 253
        {"halfway between green and white", linear, 3, 3, kGrid, 1.0, 1.5, 0, kWhite, kBackground, 0xFF7EFD7E},
        // u' = -0.25 <= 0: column -1 - 1 = -2, index 3 - 2 = 1; fu = 0xC000 + 1:
        // w00 = (16382 x 255) >> 16 = 63 on red, w10 = (49152 x 255) >> 16 = 191 on blue; 255 x 63 >> 8, 255 x 191 >> 8
        {"left edge: the last two texels of the row before", linear, 3, 3, kGrid, 0.25, 1.5, 0, kWhite, kBackground,
         0xFF3E00BE},
        {"top edge: rows above, black opaque", linear, 3, 3, kGrid, 1.5, 0.25, 0, kWhite, kBackground, 0xFF000000},
        {"blended, top edge: weight 0, left alone", blendLinear, 3, 3, kGrid, 1.5, 0.25, 0, kWhite, kBackground,
         kBackground},
        // half-alpha red centre: w00 = (65534 x 128) >> 16 = 127, c.r = 255 x 127 >> 8 = 126; over black, outA 256
        {"blended linear, alpha 127 over opaque", blendLinear, 3, 3, kGrid, 1.5, 2.5, 0, kWhite, 0xFF000000,
         0xFF7E0000},
        // outA = 256 - (256 x 129 >> 8) = 127; 256 x 126 / 127 = 253; alpha 126
        {"blended linear, alpha 127 over alpha 0", blendLinear, 3, 3, kGrid, 1.5, 2.5, 0, kWhite, 0x00000000,
         0x7EFD0000},
        // (255 x 128 >> 8) + 126, 127 + 0, 127 + 0
        {"888 blended linear, alpha 127", k888 + blendLinear, 3, 3, kGrid, 1.5, 2.5, 0, kWhite, 0x12FFFFFF,
         0xFFFD7F7F},
        // s = 254, c = 253; c' = 253 x 255 >> 8 = 252; a = 254 x 2 >> 8 = 1; q = 252 x 2 >> 8 = 1;
        // over alpha 0: outA = 1, 256 x 1 / 1 = 256, held at 255
        {"premultiplied source over alpha 0 never carries", blendLinear + kSpanColored, 3, 3, kGrid, 1.5, 1.5, 0,
         {2, 255, 255, 255}, 0x00000000, 0x00FFFFFF},
    };
    for (const HandCase& c : cases) {
        ExpectHandCase(c, kBackground);
    }
}

// Rounding can carry an interpolated channel just below 0.0: it counts as 0,
// never as 65535.
TEST(TexturedFillers32Test, ChannelsJustBelowZeroCountAsZero)
{
    const Texture texture(1, 1, {0xFFFFFFFF});
    struct Case {
        const char* what;
        int index;
        int channel; // 0 alpha, 1 red
        uint32_t dest;
        uint32_t expected;
    };
    const Case cases[] = {
        // m.a = 0: a = 0; outA = 256 - (1 x 256 >> 8) = 255; (127 x 256) / 255 = 127; alpha 254
        {"alpha, blended", kSpanTextured + kSpanBlended + kSpanVertexColors, 0, 0xFF808080, 0xFE7F7F7F},
        {"alpha, blended, over alpha 0: left alone", kSpanTextured + kSpanBlended + kSpanVertexColors, 0, 0x00808080,
         0x00808080},
        // m.r = 0: c' = 0, 254, 254; a = 255 x 255 >> 8 = 254, opaque
        {"red", kSpanTextured + kSpanVertexColors, 1, 0xFF808080, 0xFF00FEFE},
        // 888: (128 x 255 >> 8) + 0 = 127
        {"alpha, 888", k888 + kSpanTextured + kSpanVertexColors, 0, 0x00808080, 0xFF7F7F7F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SpanVertex triangle[3];
        Corner(triangle, 0.5, 0.5, 0xFFFFFFFF);
        for (SpanVertex& v : triangle) {
            (c.channel == 0 ? v.mA : v.mR) = -1;
        }
        Canvas<uint32_t> canvas(c.dest);
        Draw(c.index, triangle, canvas, texture);
        EXPECT_EQ(canvas.At(0, 0), c.expected);
    }
}

// Wild texture positions in tiny textures never read outside the texels
// nor write outside the triangle's box.
TEST(TexturedFillers32Test, WildTexturePositionsStayInsideTheTexture)
{
    const int groups[2] = {k8888, k888};
    ExpectWildTexturePositionsStayInside<uint32_t>(1234, groups, kBackground);
}

// ---- Whole draws through DrawTriangles ----

struct DrawTarget {
    int format;
    uint32_t background;
};

// A quad as a strip of two triangles whose shared diagonal x + y = 8 runs
// through pixel points: every pixel of the quad is blended exactly once.
TEST(TexturedFillers32Test, SharedEdgeIsDrawnOnce)
{
    TestApp app;
    InitSpanFunctions();
    MemoryImage texture(&app);
    const std::vector<uint32_t> half = Plain(4, 0x80FFFFFF);
    texture.SetBits(half.data(), 2, 2);
    const ClipVertex quad[4] = {{1.0f, 1.0f, 0.0f, 0.0f, 0}, {7.0f, 1.0f, 1.0f, 0.0f, 0},
                                {1.0f, 7.0f, 0.0f, 1.0f, 0}, {7.0f, 7.0f, 1.0f, 1.0f, 0}};
    // 8888 over opaque black: S = 256 x 127, outA 256: 127. 888: 0 + (255 x 128 >> 8) = 127.
    const DrawTarget targets[] = {{kPixelFormat8888, 0xFF000000}, {kPixelFormat888, 0x00000000}};
    for (const DrawTarget& target : targets) {
        for (const bool linear : {false, true}) {
            SCOPED_TRACE(target.format);
            const std::vector<uint32_t> pixels =
                DrawWhole(&texture, target.format, target.background, Color::White, linear, false, quad, 4);
            for (int y = 0; y < kCanvasSize; ++y) {
                for (int x = 0; x < kCanvasSize; ++x) {
                    const bool inside = x >= 1 && x < 7 && y >= 1 && y < 7;
                    const uint32_t p = pixels[y * kCanvasSize + x];
                    if (!inside) {
                        EXPECT_EQ(p, target.background) << x << "," << y;
                    } else if (!linear) {
                        EXPECT_EQ(p, 0xFF7F7F7Fu) << x << "," << y;
                    } else {
                        // Filtered alpha at most 127 (less towards the borders): one blend of
                        // at most 126 over black, not two.
                        EXPECT_LE(p & 0xFF, 0x7Eu) << x << "," << y;
                    }
                }
            }
        }
    }
}

// The same texture in palette form and as ARGB words draws the same pixels,
// for every flag set of both formats.
TEST(TexturedFillers32Test, PaletteAndArgbTexturesDrawAlike)
{
    TestApp app;
    InitSpanFunctions();
    const std::vector<uint32_t> texels = VariedTexels();
    MemoryImage argb(&app);
    argb.SetBits(texels.data(), 5, 4);
    MemoryImage palette(&app);
    palette.SetBits(texels.data(), 5, 4);
    ASSERT_TRUE(palette.Palletize());
    ASSERT_EQ(palette.mBits, nullptr);

    ExpectDrawAlikeOnEveryFlagSet<uint32_t>(&argb, &palette, {kPixelFormat8888, kPixelFormat888}, kBackground);
}

// A triangle cut by all four sides of the clip rectangle is drawn as a fan
// around one hub vertex; with vertex colours and a draw colour, every
// triangle of the fan gets the same alpha.
TEST(TexturedFillers32Test, EveryTriangleOfAFanGetsTheSameAlpha)
{
    TestApp app;
    InitSpanFunctions();
    MemoryImage texture(&app);
    const std::vector<uint32_t> white = Plain(4, 0xFFFFFFFF);
    texture.SetBits(white.data(), 2, 2);
    const ClipVertex triangle[3] = {{-1.0f, 4.0f, 0.0f, 0.0f, 0x80FFFFFF}, {4.0f, -1.0f, 1.0f, 0.0f, 0x80FFFFFF},
                                    {9.5f, 9.5f, 1.0f, 1.0f, 0x80FFFFFF}};
    const Color color(255, 255, 255, 128);
    // Vertex alpha 128 x 128 >> 8 = 64 once per triangle: a = 255 x 64 >> 8 = 63;
    // c' = 255 x 254 >> 8 = 253 (the copies: 255 x 255 >> 8 = 254), S = 256 x (253 x 63 >> 8) = 256 x 62.
    // 8888 over opaque black: 62. 888: 0 + 62.
    for (const int format : {kPixelFormat8888, kPixelFormat888}) {
        SCOPED_TRACE(format);
        const std::vector<uint32_t> pixels =
            DrawWhole(&texture, format, 0xFF000000u, color, false, true, triangle, 3);
        int drawn = 0;
        for (const uint32_t p : pixels) {
            if (p != 0xFF000000) {
                EXPECT_EQ(p, 0xFF3E3E3Eu);
                ++drawn;
            }
        }
        EXPECT_GT(drawn, 30);
    }
}

} // namespace
} // namespace Lumo::TriangleRasterizer
