// Palettizing, the coverage fill and the matrix and triangle blits of the
// memory image, checked against words worked out by hand from the formulas.
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <vector>

using Lumo::Color;
using Lumo::Image;
using Lumo::Matrix3;
using Lumo::MemoryImage;
using Lumo::Span;
using Lumo::TRect;
using Lumo::TriangleRasterizer::ClipVertex;

namespace {

using Words = std::vector<uint32_t>;

class MemoryImageTrianglesTest : public testing::Test {
protected:
    void SetUp() override { Lumo::TriangleRasterizer::InitSpanFunctions(); }

    TestApp mApp;
};

std::unique_ptr<MemoryImage> MakeImage(int width, int height, const Words& pixels)
{
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), width, height, true);
    return image;
}

Words Pixels(MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    return Words(bits, bits + image.PixelCount());
}

// ---------------------------------------------------------------------------
// Palettizing

TEST_F(MemoryImageTrianglesTest, PalettizeListsColoursInOrderOfFirstAppearance)
{
    struct Case {
        const char* name;
        int width;
        int height;
        Words pixels;
        Words table;
        std::vector<uint8_t> indices;
    };
    const Case cases[] = {
        {"one pixel", 1, 1, {0x80FF0000}, {0x80FF0000}, {0}},
        // Descending, then ascending, then in between: every insertion
        // position of the sorted search, while the table keeps scan order.
        {"unsorted",
         3,
         3,
         {0xFFFFFFFF, 0x80000000, 0x00000000, 0xFFFFFFFF, 0xFF000000, 0x00000001, 0x80000000, 0xFFFFFFFE, 0x00000000},
         {0xFFFFFFFF, 0x80000000, 0x00000000, 0xFF000000, 0x00000001, 0xFFFFFFFE},
         {0, 1, 2, 0, 3, 4, 1, 5, 2}},
        {"one colour", 4, 2, Words(8, 0xFF123456), {0xFF123456}, std::vector<uint8_t>(8, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(c.width, c.height, c.pixels);
        image->GetNativeAlphaData(nullptr);
        ASSERT_TRUE(image->Palletize());
        EXPECT_EQ(image->mBits, nullptr);
        EXPECT_EQ(image->mNativeAlphaData, nullptr);
        EXPECT_TRUE(image->mWantPal);
        ASSERT_NE(image->mColorTable, nullptr);
        ASSERT_NE(image->mColorIndices, nullptr);
        EXPECT_EQ(Words(image->mColorTable.get(), image->mColorTable.get() + c.table.size()), c.table);
        const size_t count = c.pixels.size();
        EXPECT_EQ(std::vector<uint8_t>(image->mColorIndices.get(), image->mColorIndices.get() + count), c.indices);
        // One spare index byte after the last pixel (the filtered stretch may
        // read it with weight 0); the sanitizer build catches it missing.
        EXPECT_EQ(image->mColorIndices[count], 0);
        // Back to ARGB with the same pixels.
        EXPECT_EQ(Pixels(*image), c.pixels);
        EXPECT_EQ(image->mColorTable, nullptr);
    }
}

// Many colours in random order against a plain first-appearance map.
TEST_F(MemoryImageTrianglesTest, PalettizeMatchesFirstAppearanceMap)
{
    std::mt19937 random(7);
    Words colours(256);
    for (uint32_t& c : colours) {
        c = random();
    }
    Words pixels(64 * 50);
    for (uint32_t& p : pixels) {
        p = colours[random() % 256];
    }
    std::map<uint32_t, int> index;
    Words table;
    std::vector<uint8_t> indices;
    for (uint32_t p : pixels) {
        auto [it, added] = index.emplace(p, static_cast<int>(table.size()));
        if (added) {
            table.push_back(p);
        }
        indices.push_back(static_cast<uint8_t>(it->second));
    }

    auto image = MakeImage(64, 50, pixels);
    ASSERT_TRUE(image->Palletize());
    EXPECT_EQ(Words(image->mColorTable.get(), image->mColorTable.get() + table.size()), table);
    EXPECT_EQ(std::vector<uint8_t>(image->mColorIndices.get(), image->mColorIndices.get() + pixels.size()), indices);
}

TEST_F(MemoryImageTrianglesTest, PalettizeFailsPast256Colours)
{
    for (int colours : {256, 257}) {
        SCOPED_TRACE(colours);
        Words pixels(300);
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = 0xFF000000 | static_cast<uint32_t>((i % colours) * 0x010203);
        }
        auto image = MakeImage(20, 15, pixels);
        image->mWantPal = true;
        const int version = image->mBitsVersion;
        const bool fits = colours <= 256;
        EXPECT_EQ(image->Palletize(), fits);
        EXPECT_EQ(image->mWantPal, fits);
        EXPECT_EQ(image->mColorTable != nullptr, fits);
        EXPECT_EQ(image->mColorIndices != nullptr, fits);
        EXPECT_EQ(image->mBits == nullptr, fits);
        EXPECT_EQ(image->mBitsVersion, version);
        EXPECT_EQ(Pixels(*image), pixels);
    }
}

TEST_F(MemoryImageTrianglesTest, PalettizeTwiceReturnsAtOnce)
{
    auto image = MakeImage(2, 1, {0xFF0000FF, 0xFF00FF00});
    ASSERT_TRUE(image->Palletize());
    const uint32_t* table = image->mColorTable.get();
    const uint8_t* indices = image->mColorIndices.get();
    EXPECT_TRUE(image->Palletize());
    EXPECT_EQ(image->mColorTable.get(), table);
    EXPECT_EQ(image->mColorIndices.get(), indices);
    EXPECT_EQ(image->mBits, nullptr);
}

TEST_F(MemoryImageTrianglesTest, BuildPaletteOnRawPixels)
{
    const Words pixels = {5, 3, 5, 9, 1, 3};
    std::vector<uint8_t> indices(pixels.size(), 0xEE);
    Words table(256, 0xDEADBEEF);
    ASSERT_TRUE(MemoryImage::BuildPalette(pixels.data(), 3, 2, indices.data(), table.data()));
    EXPECT_EQ(std::vector<uint8_t>(indices), (std::vector<uint8_t>{0, 1, 0, 2, 3, 1}));
    EXPECT_EQ(Words(table.begin(), table.begin() + 5), (Words{5, 3, 9, 1, 0xDEADBEEF}));
    // An empty picture holds no colour and fits.
    EXPECT_TRUE(MemoryImage::BuildPalette(pixels.data(), 0, 2, indices.data(), table.data()));
}

// ---------------------------------------------------------------------------
// Coverage fill

// One pixel of a one-pixel span, coverage byte cov, colour (0xF0, 0x80, 0x40, alpha).
TEST_F(MemoryImageTrianglesTest, CoverageFillBlendsOnePixel)
{
    struct Case {
        uint32_t dest;
        int alpha;
        uint8_t coverage;
        uint32_t expected;
    };
    const Case cases[] = {
        // a = (255 * 256) >> 8 = 255; opaque: w = 255, red (0x10 + 0xF0 * 255) >> 8 = 0xEF.
        {0xFF102030, 255, 255, 0xFFEF7F3F},
        // a = (255 * 1) >> 8 = 0: untouched.
        {0xFF102030, 255, 0, 0xFF102030},
        // a = (255 * 128) >> 8 = 127, w = 127: red (0x10 * 129 + 0xF0 * 127) >> 8 = 0x7F.
        {0xFF102030, 255, 127, 0xFF7F4F37},
        // a = 128 over alpha 0: A = 128, w = 255.
        {0x00000000, 128, 255, 0x80EF7F3F},
        // a = (255 * 101) >> 8 = 100 over d = 128: A = 128 + 12700 / 255 = 177,
        // w = 25500 / 177 = 144: red (0x10 * 112 + 0xF0 * 144) >> 8 = 0x8E.
        {0x80102030, 255, 100, 0xB18E5639},
        // Colour alpha 0 draws nothing; an alpha above 255 counts as 255.
        {0x80102030, 0, 255, 0x80102030},
        {0xFF102030, 300, 255, 0xFFEF7F3F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.dest << " alpha " << std::dec << c.alpha << " cov "
                                        << int(c.coverage));
        auto image = MakeImage(1, 1, {c.dest});
        const Span span{0, 0, 1};
        const int version = image->mBitsVersion;
        image->FillScanLinesWithCoverage(&span, 1, Color(0xF0, 0x80, 0x40, c.alpha), 1, &c.coverage, 0, 0, 1, 0);
        EXPECT_EQ(image->GetBits()[0], c.expected);
        EXPECT_EQ(image->mBitsVersion, version + 1);
    }
}

// White onto opaque black: each written channel is (255 * a) >> 8 with
// a = (255 * (cov + 1)) >> 8; cov 255 -> 0xFE, 127 -> 0x7E, 63 -> 0x3E, 0 -> untouched.
TEST_F(MemoryImageTrianglesTest, CoverageFillAddressesTheMaskBySpan)
{
    auto image = MakeImage(8, 4, Words(32, 0xFF000000));
    // The mask covers columns 2-5 of rows 1-2, five bytes to a row.
    const uint8_t mask[] = {
        255, 127, 0, 63, 99, //
        11, 63, 255, 22, 99,
    };
    const Span spans[] = {{1, 2, 4}, {2, 3, 2}, {3, 0, 0}};
    image->FillScanLinesWithCoverage(spans, 3, Color::White, 0, mask, 2, 1, 5, 0);

    Words expected(32, 0xFF000000);
    expected[1 * 8 + 2] = 0xFFFEFEFE;
    expected[1 * 8 + 3] = 0xFF7E7E7E;
    expected[1 * 8 + 5] = 0xFF3E3E3E;
    expected[2 * 8 + 3] = 0xFF3E3E3E;
    expected[2 * 8 + 4] = 0xFFFEFEFE;
    EXPECT_EQ(Pixels(*image), expected);
}

TEST_F(MemoryImageTrianglesTest, CoverageFillWithoutSpansStillMarksTheBits)
{
    auto image = MakeImage(2, 2, Words(4, 0xFF000000));
    const int version = image->mBitsVersion;
    image->FillScanLinesWithCoverage(nullptr, 0, Color::White, 0, nullptr, 0, 0, 0, 0);
    EXPECT_EQ(image->mBitsVersion, version + 1);
    EXPECT_EQ(Pixels(*image), Words(4, 0xFF000000));
}

// Spans reaching outside the image write only the pixels inside it, each with
// the coverage of its own position.
TEST_F(MemoryImageTrianglesTest, CoverageFillKeepsSpansInsideTheImage)
{
    auto image = MakeImage(3, 2, Words(6, 0xFF000000));
    const uint8_t mask[] = {255, 255, 127, 63, 255, 255, 255};
    const Span spans[] = {{0, -2, 6}, {-1, 0, 3}, {5, 0, 3}, {1, 3, 2}};
    image->FillScanLinesWithCoverage(spans, 4, Color::White, 0, mask, -2, 0, 7, 0);
    EXPECT_EQ(Pixels(*image), (Words{0xFF7E7E7E, 0xFF3E3E3E, 0xFFFEFEFE, 0xFF000000, 0xFF000000, 0xFF000000}));
}

// ---------------------------------------------------------------------------
// Matrix blit

// A 4 x 4 opaque texture of distinct words.
Words Texture4x4()
{
    Words pixels(16);
    for (uint32_t i = 0; i < 16; ++i) {
        pixels[i] = 0xFF000000 | (i * 0x10) << 16 | (0xF0 - i * 0x10) << 8 | i;
    }
    return pixels;
}

// The source pixel drawn at each destination pixel, -1 for untouched, over a
// destination of 0xFF000001 words (which no texel equals).
std::vector<int> Placement(MemoryImage& dest, const Words& texture)
{
    std::vector<int> out;
    for (uint32_t p : Pixels(dest)) {
        const auto found = std::find(texture.begin(), texture.end(), p);
        out.push_back(p == 0xFF000001 ? -1 : (found == texture.end() ? -2 : int(found - texture.begin())));
    }
    return out;
}

// Nearest sampling of an opaque texture copies texels: the identity puts the
// source rectangle's centre at (x, y), so a 4 x 4 rectangle at (5, 5) spans
// 2.5 to 6.5 and fills pixel columns and rows 3 to 6, sampled at their
// corners (0.5 to 3.5 texels); a scale of 2 doubles every texel; 90 degrees
// turns the top-right corner to the top-left.
TEST_F(MemoryImageTrianglesTest, MatrixBltPlacesTheSourceRectangle)
{
    struct Case {
        const char* name;
        Matrix3 matrix;
        float x;
        float y;
        TRect<int> srcRect;
        std::vector<int> placement; // 8 x 8 destination
    };
    Matrix3 scale;
    scale.Scale(2.0f, 2.0f);
    Matrix3 turn;
    turn.RotateDegrees(90.0f);
    const int _ = -1;
    // The whole texture at columns and rows 3 to 6.
    const std::vector<int> centred = {_, _, _, _, _, _, _, _, //
                                      _, _, _, _, _, _, _, _, //
                                      _, _, _, _, _, _, _, _, //
                                      _, _, _, 0, 1, 2, 3, _, //
                                      _, _, _, 4, 5, 6, 7, _, //
                                      _, _, _, 8, 9, 10, 11, _, //
                                      _, _, _, 12, 13, 14, 15, _, //
                                      _, _, _, _, _, _, _, _};
    const Case cases[] = {
        {"identity",
         Matrix3(),
         5.0f,
         5.0f,
         {0, 0, 4, 4},
         centred},
        // Corners at x - 2 - 0.5 = 2.75 and y - 2 - 0.5 = 2.25: the same pixels.
        {"fractional position",
         Matrix3(),
         5.25f,
         4.75f,
         {0, 0, 4, 4},
         centred},
        // Texels 1-2 of rows 1-2 (2 x 2) around (4, 4): corners 1.5 and 5.5.
        {"scaled part",
         scale,
         4.0f,
         4.0f,
         {1, 1, 2, 2},
         {_, _, _, _, _, _, _, _, //
          _, _, _, _, _, _, _, _, //
          _, _, 5, 5, 6, 6, _, _, //
          _, _, 5, 5, 6, 6, _, _, //
          _, _, 9, 9, 10, 10, _, _, //
          _, _, 9, 9, 10, 10, _, _, //
          _, _, _, _, _, _, _, _, //
          _, _, _, _, _, _, _, _}},
        // Rows 0-1 (4 x 2) turned: (px, py) goes to (py, -px) + (4.5, 5.5),
        // columns 4-5 and rows 4-7.
        {"turned",
         turn,
         5.0f,
         6.0f,
         {0, 0, 4, 2},
         {_, _, _, _, _, _, _, _, //
          _, _, _, _, _, _, _, _, //
          _, _, _, _, _, _, _, _, //
          _, _, _, _, _, _, _, _, //
          _, _, _, _, 3, 7, _, _, //
          _, _, _, _, 2, 6, _, _, //
          _, _, _, _, 1, 5, _, _, //
          _, _, _, _, 0, 4, _, _}},
    };
    const Words texture = Texture4x4();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = MakeImage(4, 4, texture);
        auto dest = MakeImage(8, 8, Words(64, 0xFF000001));
        const int version = dest->mBitsVersion;
        dest->BltMatrix(source.get(), c.x, c.y, c.matrix, {0, 0, 8, 8}, Color::White, 0, c.srcRect, false);
        EXPECT_EQ(Placement(*dest, texture), c.placement);
        EXPECT_TRUE(source->mDrawn);
        EXPECT_EQ(dest->mBitsVersion, version + 1);
    }
}

TEST_F(MemoryImageTrianglesTest, MatrixBltKeepsInsideTheClipRectangle)
{
    const Words texture = Texture4x4();
    auto source = MakeImage(4, 4, texture);
    auto dest = MakeImage(8, 8, Words(64, 0xFF000001));
    dest->BltMatrix(source.get(), 5.0f, 5.0f, Matrix3(), {4, 2, 2, 3}, Color::White, 0, {0, 0, 4, 4}, false);
    const int _ = -1;
    EXPECT_EQ(Placement(*dest, texture), (std::vector<int>{
                                             _, _, _, _, _, _, _, _, //
                                             _, _, _, _, _, _, _, _, //
                                             _, _, _, _, _, _, _, _, //
                                             _, _, _, _, 1, 2, _, _, //
                                             _, _, _, _, 5, 6, _, _, //
                                             _, _, _, _, _, _, _, _, //
                                             _, _, _, _, _, _, _, _, //
                                             _, _, _, _, _, _, _, _}));
}

// The colour, the linear flag and the destination's pixel format all reach
// the fillers. Pixel (4, 4) of a 4 x 4 texture of one word at (5, 5) samples
// texel (1, 1) at its corner.
TEST_F(MemoryImageTrianglesTest, MatrixBltHandsColourFilterAndFormatToTheFillers)
{
    struct Case {
        const char* name;
        uint32_t texel;
        Color color;
        bool linear;
        uint32_t dest;
        bool forced;
        bool hasTrans;
        uint32_t expected;
    };
    const Case cases[] = {
        // Nearest, white: the texel itself.
        {"copy", 0xFF808080, Color::White, false, 0xFF000000, false, false, 0xFF808080},
        // Bilinear at a texel centre (fu = fv = 1): w00 = (65534 * 255) >> 16
        // = 254, each channel (128 * 254) >> 8 = 0x7F, weight sum 254 opaque.
        {"bilinear", 0xFF808080, Color::White, true, 0xFF000000, false, false, 0xFF7F7F7F},
        // Alpha 128 colour: c' = (128 * 255) >> 8 = 127, a = (255 * 128) >> 8
        // = 127; 8888 blend over opaque black: (256 * ((127 * 127) >> 8)) / 256 = 0x3F.
        {"coloured", 0xFF808080, Color(255, 255, 255, 128), false, 0xFF000000, false, false, 0xFF3F3F3F},
        // Texel alpha 128 over 0xFF0000FF. 8888: outA = 256, red (256 *
        // ((255 * 128) >> 8)) / 256 = 0x7F, blue (254 * 128) / 256 = 0x7F.
        {"8888", 0x80FF0000, Color::White, false, 0xFF0000FF, false, false, 0xFF7F007F},
        // 888 (flags forced to opaque): blue (255 * 127) >> 8 = 0x7E.
        {"888", 0x80FF0000, Color::White, false, 0xFF0000FF, true, false, 0xFF7F007E},
        // Forced, but with transparency: 8888 again.
        {"forced transparent", 0x80FF0000, Color::White, false, 0xFF0000FF, true, true, 0xFF7F007F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = MakeImage(4, 4, Words(16, c.texel));
        auto dest = MakeImage(8, 8, Words(64, c.dest));
        if (c.forced) {
            dest->SetImageMode(c.hasTrans, false);
        }
        dest->BltMatrix(source.get(), 5.0f, 5.0f, Matrix3(), {0, 0, 8, 8}, c.color, 0, {0, 0, 4, 4}, c.linear);
        EXPECT_EQ(dest->GetBits()[4 * 8 + 4], c.expected);
    }
}

TEST_F(MemoryImageTrianglesTest, MatrixBltFromAPlainImageDrawsNothing)
{
    Image plain;
    plain.mWidth = 4;
    plain.mHeight = 4;
    auto dest = MakeImage(8, 8, Words(64, 0xFF000001));
    const int version = dest->mBitsVersion;
    dest->BltMatrix(&plain, 5.0f, 5.0f, Matrix3(), {0, 0, 8, 8}, Color::White, 0, {0, 0, 4, 4}, true);
    EXPECT_TRUE(plain.mDrawn);
    EXPECT_EQ(Pixels(*dest), Words(64, 0xFF000001));
    EXPECT_EQ(dest->mBitsVersion, version + 1);
}

// A turned, scaled, filtered draw of a picture with soft alpha: the palette
// form of the same picture draws the same words.
TEST_F(MemoryImageTrianglesTest, PaletteAndArgbTexturesDrawTheSame)
{
    Words pixels(12 * 9);
    std::mt19937 random(3);
    const uint32_t colours[] = {0x00000000, 0xFFFF0000, 0x80204060, 0xFF00FF00, 0x10FFFFFF, 0xC0123456};
    for (uint32_t& p : pixels) {
        p = colours[random() % 6];
    }
    Matrix3 matrix;
    matrix.Scale(1.5f, 1.25f);
    matrix.RotateDegrees(30.0f);
    for (bool linear : {false, true}) {
        SCOPED_TRACE(linear);
        Words drawn[2];
        for (int form = 0; form < 2; ++form) {
            auto source = MakeImage(12, 9, pixels);
            if (form == 1) {
                ASSERT_TRUE(source->Palletize());
            }
            auto dest = MakeImage(24, 20, Words(24 * 20, 0xFF405060));
            dest->BltMatrix(source.get(), 12.3f, 9.7f, matrix, {0, 0, 24, 20}, Color(200, 255, 100, 220), 0,
                            {1, 1, 10, 7}, linear);
            drawn[form] = Pixels(*dest);
        }
        EXPECT_EQ(drawn[0], drawn[1]);
        EXPECT_NE(drawn[0], Words(24 * 20, 0xFF405060));
    }
}

// ---------------------------------------------------------------------------
// Triangle blit

// Two triangles covering a 4 x 4 square, texture coordinates 0 to 1.
void Square(ClipVertex (&triangles)[2][3], uint32_t color)
{
    const ClipVertex tl{0.0f, 0.0f, 0.0f, 0.0f, color};
    const ClipVertex tr{4.0f, 0.0f, 1.0f, 0.0f, color};
    const ClipVertex bl{0.0f, 4.0f, 0.0f, 1.0f, color};
    const ClipVertex br{4.0f, 4.0f, 1.0f, 1.0f, color};
    triangles[0][0] = tl;
    triangles[0][1] = tr;
    triangles[0][2] = bl;
    triangles[1][0] = tr;
    triangles[1][1] = br;
    triangles[1][2] = bl;
}

// The offsets move the triangles without a half-pixel shift: pixel corners
// fall on whole texels, so the texture is copied with its corner at (2, 1).
TEST_F(MemoryImageTrianglesTest, TriangleBltOffsetsTheVertices)
{
    const Words texture = Texture4x4();
    auto source = MakeImage(4, 4, texture);
    auto dest = MakeImage(8, 6, Words(48, 0xFF000001));
    ClipVertex triangles[2][3];
    Square(triangles, 0);
    const int version = dest->mBitsVersion;
    dest->BltTrianglesTex(source.get(), triangles, 2, {0, 0, 8, 6}, Color::White, 0, 2.0f, 1.0f, false);
    const int _ = -1;
    EXPECT_EQ(Placement(*dest, texture), (std::vector<int>{
                                             _, _, _, _, _, _, _, _, //
                                             _, _, 0, 1, 2, 3, _, _, //
                                             _, _, 4, 5, 6, 7, _, _, //
                                             _, _, 8, 9, 10, 11, _, _, //
                                             _, _, 12, 13, 14, 15, _, _, //
                                             _, _, _, _, _, _, _, _}));
    EXPECT_TRUE(source->mDrawn);
    EXPECT_EQ(dest->mBitsVersion, version + 1);
}

// Vertex colours take part only when some colour word of the triangle is not 0.
TEST_F(MemoryImageTrianglesTest, TriangleBltVertexColours)
{
    struct Case {
        const char* name;
        bool textured;
        uint32_t vertexColor;
        uint32_t expected;
    };
    const Case cases[] = {
        // Colours all 0: the white texel as it is.
        {"textured, no vertex colours", true, 0x00000000, 0xFFFFFFFF},
        // Grey vertices modulate: (255 * 128) >> 8 = 0x7F, a = (255 * 255) >> 8 = 254, opaque.
        {"textured, grey vertices", true, 0xFF808080, 0xFF7F7F7F},
        // No texture: a Gouraud fill, opaque above alpha 240.
        {"untextured", false, 0xFF3366CC, 0xFF3366CC},
        // No texture and no vertex colours: nothing.
        {"untextured, no vertex colours", false, 0x00000000, 0xFF000001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = MakeImage(4, 4, Words(16, 0xFFFFFFFF));
        Image plain;
        Image* texture = c.textured ? static_cast<Image*>(source.get()) : &plain;
        auto dest = MakeImage(4, 4, Words(16, 0xFF000001));
        ClipVertex triangles[2][3];
        Square(triangles, c.vertexColor);
        dest->BltTrianglesTex(texture, triangles, 2, {0, 0, 4, 4}, Color::White, 0, 0.0f, 0.0f, false);
        EXPECT_EQ(Pixels(*dest), Words(16, c.expected));
    }
}

TEST_F(MemoryImageTrianglesTest, TriangleBltWithoutTrianglesStillMarksTheBits)
{
    auto source = MakeImage(4, 4, Words(16, 0xFFFFFFFF));
    auto dest = MakeImage(4, 4, Words(16, 0xFF000001));
    ClipVertex triangles[2][3];
    Square(triangles, 0);
    for (int count : {0, -1}) {
        const int version = dest->mBitsVersion;
        dest->BltTrianglesTex(source.get(), triangles, count, {0, 0, 4, 4}, Color::White, 0, 0.0f, 0.0f, false);
        EXPECT_EQ(dest->mBitsVersion, version + 1);
    }
    EXPECT_EQ(Pixels(*dest), Words(16, 0xFF000001));
}

// The 888 format reaches the triangle blit too: texel alpha 128 over
// 0xFF0000FF, blue (255 * 127) >> 8 = 0x7E there, (254 * 128) / 256 = 0x7F in 8888.
TEST_F(MemoryImageTrianglesTest, TriangleBltChoosesThePixelFormat)
{
    for (bool forced : {false, true}) {
        SCOPED_TRACE(forced);
        auto source = MakeImage(4, 4, Words(16, 0x80FF0000));
        auto dest = MakeImage(4, 4, Words(16, 0xFF0000FF));
        if (forced) {
            dest->SetImageMode(false, false);
        }
        ClipVertex triangles[2][3];
        Square(triangles, 0);
        dest->BltTrianglesTex(source.get(), triangles, 2, {0, 0, 4, 4}, Color::White, 0, 0.0f, 0.0f, false);
        EXPECT_EQ(dest->GetBits()[5], forced ? 0xFF7F007Eu : 0xFF7F007Fu);
    }
}

} // namespace
