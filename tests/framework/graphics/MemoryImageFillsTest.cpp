// Fills and lines on memory images: the over blend at its alpha boundaries,
// the wide (SIMD) fill rows against the per-channel formula, rectangles,
// spans, Bresenham lines in both modes and antialiased lines, including lines
// at the image edges and lines whose ends share a pixel.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelBlendAvx2.h"

#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

using Lumo::Color;
using Lumo::MemoryImage;
using Lumo::Span;
using Lumo::TRect;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

// Pixel (x, y) -> word; every pixel not listed keeps the background.
using PixelMap = std::map<std::pair<int, int>, uint32_t>;

class MemoryImageFillsTest : public ::testing::Test {
protected:
    std::unique_ptr<MemoryImage> MakeImage(int width, int height, uint32_t background)
    {
        auto image = std::make_unique<MemoryImage>(&mApp);
        image->Create(width, height);
        uint32_t* bits = image->GetBits();
        for (int i = 0; i < width * height; ++i) {
            bits[i] = background;
        }
        return image;
    }

    static uint32_t At(MemoryImage& image, int x, int y) { return image.GetBits()[y * image.GetWidth() + x]; }

    // Every pixel equals its listed word or the background, and the word
    // after the last pixel is untouched.
    static void ExpectPixels(MemoryImage& image, uint32_t background, const PixelMap& expected)
    {
        for (int y = 0; y < image.GetHeight(); ++y) {
            for (int x = 0; x < image.GetWidth(); ++x) {
                const auto found = expected.find({x, y});
                const uint32_t want = found != expected.end() ? found->second : background;
                EXPECT_EQ(At(image, x, y), want) << "pixel (" << x << ", " << y << ")";
            }
        }
        EXPECT_EQ(image.mBits[image.PixelCount()], MemoryImage::kBitsSentinel);
    }

    TestApp mApp;
};

// The over blend channel by channel, straight from its definition.
uint32_t OverReference(uint32_t dst, int r, int g, int b, int a)
{
    if (a == 0) {
        return dst;
    }
    const int d = int(dst >> 24);
    const int n = d + ((255 - d) * a) / 255;
    const int w = (a * 255) / n;
    const auto mix = [w](int dc, int sc) { return uint32_t((dc * (256 - w) + sc * w) >> 8); };
    return uint32_t(n) << 24 | mix(int(dst >> 16) & 255, r) << 16 | mix(int(dst >> 8) & 255, g) << 8
        | mix(int(dst) & 255, b);
}

} // namespace

// Colour (200, 100, 50) = C8 64 32 over destination channels (16, 32, 48) = 10 20 30.
TEST_F(MemoryImageFillsTest, FillRectBlendsOverAtTheAlphaBoundaries)
{
    struct Case {
        uint32_t dst;
        int alpha;
        uint32_t expected;
    };
    const Case cases[] = {
        // Opaque destination: N = 255, w = A, out = (D * (256 - A) + C * A) >> 8.
        {0xFF102030, 0, 0xFF102030},   // A = 0: unchanged
        {0xFF102030, 1, 0xFF102030},   // (16*255 + 200*1) >> 8 = 16
        {0xFF102030, 8, 0xFF152230},   // (16*248 + 200*8) >> 8 = 21, (32*248 + 100*8) >> 8 = 34
        {0xFF102030, 9, 0xFF162230},   // (16*247 + 200*9) >> 8 = 22
        {0xFF102030, 239, 0xFFBB5F31}, // (16*17 + 200*239) >> 8 = 187
        {0xFF102030, 240, 0xFFBC5F31}, // (16*16 + 200*240) >> 8 = 188
        {0xFF102030, 250, 0xFFC36231}, // (16*6 + 200*250) >> 8 = 195
        {0xFF102030, 251, 0xFFC46231}, // (16*5 + 200*251) >> 8 = 196
        {0xFF102030, 254, 0xFFC66331}, // (16*2 + 200*254) >> 8 = 198
        {0xFF102030, 255, 0xFFC86432}, // alpha 255 stores the packed colour
        // Transparent destination: N = A, w = A*255/A = 255, out = (D + C*255) >> 8.
        {0x00102030, 0, 0x00102030},   // A = 0: unchanged
        {0x00102030, 1, 0x01C76331},   // (16 + 200*255) >> 8 = 199, alpha N = 1
        {0x00102030, 8, 0x08C76331},
        {0x00102030, 9, 0x09C76331},
        {0x00102030, 239, 0xEFC76331},
        {0x00102030, 240, 0xF0C76331},
        {0x00102030, 250, 0xFAC76331},
        {0x00102030, 251, 0xFBC76331},
        {0x00102030, 254, 0xFEC76331},
        {0x00102030, 255, 0xFFC86432}, // alpha 255 stores the packed colour
        // Half-transparent destination d = 128: N = 128 + 127*A/255, w = A*255/N.
        {0x80102030, 1, 0x80102030},   // N = 128, w = 255/128 = 1
        {0x80102030, 8, 0x831A2330},   // N = 131, w = 2040/131 = 15: (16*241 + 200*15) >> 8 = 26
        {0x80102030, 9, 0x841C2430},   // N = 132, w = 2295/132 = 17: (16*239 + 200*17) >> 8 = 28
        {0x80102030, 239, 0xF7C06131}, // N = 247, w = 60945/247 = 246
        {0x80102030, 240, 0xF7C16131}, // N = 247, w = 61200/247 = 247
        {0x80102030, 250, 0xFCC56231}, // N = 252, w = 252
        {0x80102030, 251, 0xFDC56231}, // N = 253, w = 64005/253 = 252
        {0x80102030, 254, 0xFEC76331}, // N = 254, w = 255
    };
    for (const Case& c : cases) {
        auto image = MakeImage(1, 1, c.dst);
        image->FillRect(TRect<int>(0, 0, 1, 1), Color(200, 100, 50, c.alpha), 0);
        EXPECT_EQ(At(*image, 0, 0), c.expected) << std::hex << "dst " << c.dst << std::dec << " alpha " << c.alpha;
    }
}

TEST_F(MemoryImageFillsTest, FillRectEdgeCasesAndAdditiveModeBlendsNormally)
{
    struct Case {
        uint32_t dst;
        Color color;
        int drawMode;
        uint32_t expected;
    };
    const Case cases[] = {
        {0xFF000000, Color(255, 255, 255, 128), 0, 0xFF7F7F7F}, // w = 128: 255*128 >> 8 = 127
        {0x00000000, Color(255, 255, 255, 128), 0, 0x80FEFEFE}, // N = 128, w = 255: 255*255 >> 8 = 254
        {0xFF000000, Color(255, 255, 255, 128), 1, 0xFF7F7F7F}, // additive asked, normal blend done
        {0x00000000, Color(255, 255, 255, 128), 1, 0x80FEFEFE},
        {0x12345678, Color(255, 255, 255, 255), 0, 0xFFFFFFFF}, // white stays exact
        {0x12345678, Color(1, 2, 3, 255), 1, 0xFF010203},
        {0x12345678, Color(1, 2, 3, 0), 0, 0x12345678},
    };
    for (const Case& c : cases) {
        auto image = MakeImage(1, 1, c.dst);
        image->FillRect(TRect<int>(0, 0, 1, 1), c.color, c.drawMode);
        EXPECT_EQ(At(*image, 0, 0), c.expected) << std::hex << c.dst << " mode " << c.drawMode;
    }
}

TEST_F(MemoryImageFillsTest, FillAndClearTouchOnlyTheirRectangleAndCountAsOneChange)
{
    auto image = MakeImage(5, 4, 0x11223344);
    int version = image->mBitsVersion;
    image->FillRect(TRect<int>(1, 1, 3, 2), Color(0xAB, 0xCD, 0xEF, 255), 0);
    EXPECT_EQ(image->mBitsVersion, version + 1);
    PixelMap filled;
    for (int y = 1; y <= 2; ++y) {
        for (int x = 1; x <= 3; ++x) {
            filled[{x, y}] = 0xFFABCDEF;
        }
    }
    ExpectPixels(*image, 0x11223344, filled);

    version = image->mBitsVersion;
    image->ClearRect(TRect<int>(2, 0, 2, 3));
    EXPECT_EQ(image->mBitsVersion, version + 1);
    for (int y = 0; y <= 2; ++y) {
        filled[{2, y}] = 0;
        filled[{3, y}] = 0;
    }
    ExpectPixels(*image, 0x11223344, filled);

    // Empty rectangles write nothing but still count as a change.
    version = image->mBitsVersion;
    image->FillRect(TRect<int>(0, 0, 0, 4), Color(1, 2, 3), 0);
    image->FillRect(TRect<int>(0, 0, 4, -1), Color(1, 2, 3, 100), 0);
    image->ClearRect(TRect<int>(0, 0, 3, 0));
    EXPECT_EQ(image->mBitsVersion, version + 3);
    ExpectPixels(*image, 0x11223344, filled);
}

// Rows long enough for the four-pixel loop and its tail, starting off any
// alignment, over an all-opaque and over a mixed destination: every pixel
// equals the per-channel formula.
TEST_F(MemoryImageFillsTest, WideBlendedFillsMatchTheFormulaOnEveryPixel)
{
    const int width = 263;
    const int height = 3;
    const int alphas[] = {1, 8, 9, 127, 128, 239, 240, 250, 251, 254};
    for (const bool mixed : {false, true}) {
        std::vector<uint32_t> start(size_t(width) * height);
        for (size_t i = 0; i < start.size(); ++i) {
            const uint32_t rgb = uint32_t(i * 0x9E3779B1u) & 0x00FFFFFF;
            // Mixed: runs of opaque pixels between pixels of every alpha.
            uint32_t alpha = 255;
            if (mixed && (i / 5) % 3 != 0) {
                alpha = uint32_t(i * 7) & 0xFF;
            }
            start[i] = alpha << 24 | rgb;
        }
        for (const int a : alphas) {
            auto image = MakeImage(width, height, 0);
            image->SetBits(start.data(), width, height, false);
            const TRect<int> rect(3, 0, width - 5, height);
            image->FillRect(rect, Color(0x9A, 0x35, 0xE7, a), 0);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const uint32_t before = start[size_t(y) * width + x];
                    const bool inside = x >= rect.mX && x < rect.mX + rect.mWidth;
                    const uint32_t want = inside ? OverReference(before, 0x9A, 0x35, 0xE7, a) : before;
                    ASSERT_EQ(At(*image, x, y), want)
                        << "mixed " << mixed << " alpha " << a << " at (" << x << ", " << y << ")";
                }
            }
        }
    }
}

// Every destination alpha against every colour alpha. Each alpha covers
// twelve neighbouring pixels: filled from column 0 they make runs of one
// alpha, from column 2 also groups that straddle two alphas.
TEST_F(MemoryImageFillsTest, BlendedFillMatchesTheFormulaForEveryAlphaPair)
{
    const int width = 256 * 12;
    std::vector<uint32_t> start(width);
    for (uint32_t i = 0; i < uint32_t(width); ++i) {
        start[i] = (i / 12) << 24 | (i * 0x010307u & 0x00FFFFFF);
    }
    for (const int left : {0, 2}) {
        for (int a = 0; a < 256; ++a) {
            auto image = MakeImage(width, 1, 0);
            image->SetBits(start.data(), width, 1, false);
            image->FillRect(TRect<int>(left, 0, width - left, 1), Color(0xFF, 0x80, 0x01, a), 0);
            for (int x = 0; x < width; ++x) {
                const uint32_t before = start[size_t(x)];
                uint32_t want = before;
                if (x >= left) {
                    want = a == 255 ? 0xFFFF8001 : OverReference(before, 0xFF, 0x80, 0x01, a);
                }
                ASSERT_EQ(At(*image, x, 0), want) << "alpha " << a << " over alpha " << (x / 12) << " from " << left;
            }
        }
    }
}

// The tabulated row kernels behind large blended fills, SSE2 and (where the
// processor runs it) AVX2, for every colour alpha over every destination
// alpha: pixels whose alpha changes at each step, then runs of one alpha of
// 1 to 17 pixels (blocks of one alpha, which become the uniform alpha, and
// blocks straddling two). Each row is drawn in two calls that hand the
// uniform alpha on, from offsets that move blocks and tails.
TEST_F(MemoryImageFillsTest, FillRowKernelsMatchTheFormulaForEveryAlphaPair)
{
    std::vector<uint32_t> start;
    for (uint32_t i = 0; i < 256; ++i) {
        start.push_back(((i * 7) & 0xFF) << 24 | (i * 0x9E3779B1u & 0x00FFFFFF));
    }
    for (uint32_t d = 0; d < 256; ++d) {
        for (uint32_t k = 0; k <= (d * 5) % 17; ++k) {
            start.push_back(d << 24 | (uint32_t(start.size()) * 0x01030507u & 0x00FFFFFF));
        }
    }
    const int count = int(start.size());
    for (uint32_t a = 1; a < 255; ++a) {
        const uint32_t color = 0x009A35E7;
        Lumo::PixelBlend::FillTable table;
        Lumo::PixelBlend::MakeFillTable(table, color, a);
        for (const bool avx2 : {false, true}) {
            if (avx2 && !Lumo::PixelBlend::Avx2::Available()) {
                continue;
            }
            for (const int offset : {0, 3}) {
                std::vector<uint32_t> pixels = start;
                uint32_t uniformAlpha = 255;
                const int split = count / 2 + offset;
                for (const auto& [from, to] : {std::pair{offset, split}, std::pair{split, count - offset}}) {
                    if (avx2) {
                        Lumo::PixelBlend::Avx2::FillOverRow(pixels.data() + from, to - from, table, uniformAlpha);
                    } else {
                        Lumo::PixelBlend::FillOverRow(pixels.data() + from, to - from, table, uniformAlpha);
                    }
                }
                for (int x = 0; x < count; ++x) {
                    const uint32_t before = start[size_t(x)];
                    const bool inside = x >= offset && x < count - offset;
                    const uint32_t want = inside ? OverReference(before, 0x9A, 0x35, 0xE7, int(a)) : before;
                    ASSERT_EQ(pixels[size_t(x)], want)
                        << "alpha " << a << " over " << (before >> 24) << " at " << x << " avx2 " << avx2;
                }
            }
        }
    }
}

TEST_F(MemoryImageFillsTest, DrawRectOutlinesAndFillScanLinesFillTheirSpans)
{
    const uint32_t p = 0xFF0A0B0C;
    const Color color(0x0A, 0x0B, 0x0C);

    auto image = MakeImage(10, 10, 0);
    image->DrawRect(TRect<int>(2, 3, 4, 5), color, 0);
    PixelMap outline;
    for (int x = 2; x <= 6; ++x) {
        outline[{x, 3}] = p;
        outline[{x, 8}] = p;
    }
    for (int y = 4; y <= 7; ++y) {
        outline[{2, y}] = p;
        outline[{6, y}] = p;
    }
    ExpectPixels(*image, 0, outline);

    // Height 0: the top and bottom edges are the same row, the sides are empty.
    image = MakeImage(10, 10, 0);
    image->DrawRect(TRect<int>(2, 3, 4, 0), color, 0);
    PixelMap row;
    for (int x = 2; x <= 6; ++x) {
        row[{x, 3}] = p;
    }
    ExpectPixels(*image, 0, row);

    image = MakeImage(6, 4, 0);
    const Span spans[] = {{1, 2, 3}, {3, 0, 1}, {2, 5, 0}};
    image->FillScanLines(spans, 3, color, 0);
    ExpectPixels(*image, 0, {{{2, 1}, p}, {{3, 1}, p}, {{4, 1}, p}, {{0, 3}, p}});
}

TEST_F(MemoryImageFillsTest, DrawLineStepsAndWritesItsPixels)
{
    // Opaque colours go in as (c*255 + 127) >> 8: 255 -> 254, 200 -> 199.
    const uint32_t w = 0xFFFEFEFE;
    struct Case {
        const char* name;
        double x1, y1, x2, y2;
        Color color;
        int drawMode;
        uint32_t background;
        PixelMap expected;
    };
    const Case cases[] = {
        // x-major: incE = 2, incNE = -4, err starts at 2*1 - 3 = -1.
        {"x-major", 0.0, 0.0, 3.0, 1.0, Color::White, 0, 0, {{{0, 0}, w}, {{1, 0}, w}, {{2, 1}, w}, {{3, 1}, w}}},
        {"x-major reversed", 3.0, 1.0, 0.0, 0.0, Color::White, 0, 0,
         {{{0, 0}, w}, {{1, 0}, w}, {{2, 1}, w}, {{3, 1}, w}}},
        // y-major to the left: column step -1, err starts at 2*1 - 3 = -1.
        {"y-major left", 1.0, 0.0, 0.0, 3.0, Color::White, 0, 0,
         {{{1, 0}, w}, {{1, 1}, w}, {{0, 2}, w}, {{0, 3}, w}}},
        // err = (int)(0.5*1 + (int)(1 - 3)) = -1, then 0, 1: the row step to
        // y = -1 leaves the bounding box and the line ends before (3, 0).
        {"box stop", 0.0, 0.5, 3.0, 0.0, Color::White, 0, 0, {{{0, 0}, w}, {{1, 0}, w}, {{2, 0}, w}}},
        // err = (int)(0.75*4 + 0) = 3: the start fraction moves the row early.
        {"start fraction", 0.0, 0.75, 4.0, 2.75, Color::White, 0, 0,
         {{{0, 0}, w}, {{1, 1}, w}, {{2, 1}, w}, {{3, 2}, w}, {{4, 2}, w}}},
        // Additive lines start from err = 2*2 - 4 = 0, without the fraction.
        {"additive start", 0.0, 0.75, 4.0, 2.75, Color::White, 1, 0,
         {{{0, 0}, kWhite}, {{1, 0}, kWhite}, {{2, 1}, kWhite}, {{3, 1}, kWhite}, {{4, 2}, kWhite}}},
        // Horizontal and vertical lines are FillRect calls with the packed colour.
        {"horizontal", 5.0, 2.0, 1.0, 2.0, Color::White, 0, 0,
         {{{1, 2}, kWhite}, {{2, 2}, kWhite}, {{3, 2}, kWhite}, {{4, 2}, kWhite}, {{5, 2}, kWhite}}},
        {"vertical additive", 2.0, 4.0, 2.0, 1.0, Color(255, 255, 255, 128), 1, 0xFF000000,
         {{{2, 1}, 0xFF7F7F7F}, {{2, 2}, 0xFF7F7F7F}, {{2, 3}, 0xFF7F7F7F}, {{2, 4}, 0xFF7F7F7F}}},
        {"other mode", 0.0, 0.0, 3.0, 1.0, Color::White, 2, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(8, 6, c.background);
        const int version = image->mBitsVersion;
        image->DrawLine(c.x1, c.y1, c.x2, c.y2, c.color, c.drawMode);
        EXPECT_EQ(image->mBitsVersion, version + 1);
        ExpectPixels(*image, c.background, c.expected);
    }
}

// A two-pixel diagonal (0, 0)-(1, 1) in (200, 100, 50) = C8 64 32 at each alpha.
TEST_F(MemoryImageFillsTest, LinePixelsAtTheAlphaBoundaries)
{
    struct Case {
        int drawMode;
        uint32_t dst;
        int alpha;
        uint32_t expected;
    };
    const Case cases[] = {
        // Normal: c' = (((c*a + 128) >> 8)*255 + 127) >> 8, out = c' + ((D*(256 - a) + 127) >> 8).
        {0, 0x00102030, 0, 0xFF102030},   // c' = 0, D kept, alpha set
        {0, 0x00102030, 1, 0xFF112030},   // r' = (1*255 + 127) >> 8 = 1; (16*255 + 127) >> 8 = 16
        {0, 0x00102030, 8, 0xFF152230},   // r' = 6 + (16*248 + 127) >> 8 = 15
        {0, 0x00102030, 9, 0xFF162330},   // r' = 7 + 15, g' = 4 + 31
        {0, 0x00102030, 128, 0xFF6C4231}, // r' = 100 + 8, g' = 50 + 16, b' = 25 + 24
        {0, 0x00102030, 239, 0xFFBB5F32}, // r' = 185 + 2
        {0, 0x00102030, 240, 0xFFBC6032}, // r' = 186 + 2, g' = 93 + 3
        {0, 0x00102030, 250, 0xFFC26332}, // r' = 194 + 0
        {0, 0x00102030, 251, 0xFFC36332},
        {0, 0x00102030, 254, 0xFFC56332}, // r' = ((50928 >> 8)*255 + 127) >> 8 = 197
        {0, 0x00102030, 255, 0xFFC76432}, // opaque: (c*255 + 127) >> 8
        // Additive: c' = c*a/255, out = min(D + c', 255).
        {1, 0x40101010, 0, 0xFF101010},
        {1, 0x40101010, 1, 0xFF101010},   // 200/255 = 0
        {1, 0x40101010, 128, 0xFF744229}, // 16 + 100, 16 + 50, 16 + 25
        {1, 0x40101010, 254, 0xFFD77341}, // 16 + 199, 16 + 99, 16 + 49
        {1, 0x40101010, 255, 0xFFD87442},
        {1, 0x40A0F010, 128, 0xFFFFFF29}, // 160 + 100 and 240 + 50 saturate
    };
    for (const Case& c : cases) {
        auto image = MakeImage(3, 3, c.dst);
        image->DrawLine(0.0, 0.0, 1.0, 1.0, Color(200, 100, 50, c.alpha), c.drawMode);
        ExpectPixels(*image, c.dst, {{{0, 0}, c.expected}, {{1, 1}, c.expected}});
    }

    // White over white never carries out of a channel.
    const int whiteAlphas[] = {1, 128, 254};
    const uint32_t whiteExpected[] = {0xFFFFFFFF, 0xFFFEFEFE, 0xFFFEFEFE}; // 1 + 254, 127 + 127, 252 + 2
    for (int i = 0; i < 3; ++i) {
        auto image = MakeImage(3, 3, kWhite);
        image->DrawLine(0.0, 0.0, 1.0, 1.0, Color(255, 255, 255, whiteAlphas[i]), 0);
        ExpectPixels(*image, kWhite, {{{0, 0}, whiteExpected[i]}, {{1, 1}, whiteExpected[i]}});
    }
}

// Black over opaque white: a pixel of coverage A becomes 255*(256 - A) >> 8.
TEST_F(MemoryImageFillsTest, AntialiasedLinesSpreadEachStepOverTwoPixels)
{
    const uint32_t bg = kWhite;
    const Color black(0, 0, 0);
    struct Case {
        const char* name;
        int width, height;
        double x1, y1, x2, y2;
        Color color;
        uint32_t background;
        PixelMap expected;
    };
    const Case cases[] = {
        // step = 0.5*65536: coverage 255, then 127 / 128 (err 32768), then 255 / 0.
        {"x-major", 6, 4, 0.0, 0.0, 4.0, 2.0, black, bg,
         {{{0, 0}, 0xFF000000}, {{1, 0}, 0xFF808080}, {{1, 1}, 0xFF7F7F7F}, {{2, 1}, 0xFF000000},
          {{3, 1}, 0xFF808080}, {{3, 2}, 0xFF7F7F7F}, {{4, 2}, 0xFF808080}}},
        // Colour alpha 128: A = k*129 >> 8, 255 -> 128, 127 -> 63, 128 -> 64; w = A over d = 255.
        {"x-major translucent", 6, 4, 0.0, 0.0, 4.0, 2.0, Color(200, 100, 50, 128), 0xFF102030,
         {{{0, 0}, 0xFF6C4231}, {{1, 0}, 0xFF3D3030}, {{1, 1}, 0xFF3E3130}, {{2, 1}, 0xFF6C4231},
          {{3, 1}, 0xFF3D3030}, {{3, 2}, 0xFF3E3130}, {{4, 2}, 0xFF3D3030}}},
        // step = 65536/3 = 21845: coverage 170 / 85, then 85 / 170.
        {"y-major", 4, 5, 0.0, 0.0, 1.0, 3.0, black, bg,
         {{{0, 0}, 0xFF000000}, {{0, 1}, 0xFF555555}, {{1, 1}, 0xFFAAAAAA}, {{0, 2}, 0xFFAAAAAA},
          {{1, 2}, 0xFF555555}, {{1, 3}, 0xFFAAAAAA}}},
        // Neighbour column 2 lies outside a 2-wide image (it would wrap to
        // the next row): step = 0.5/3*65536 = 10922, coverage 213 then 170.
        {"right edge", 2, 5, 1.0, 0.0, 1.5, 3.0, black, bg,
         {{{1, 0}, 0xFF000000}, {{1, 1}, 0xFF2A2A2A}, {{1, 2}, 0xFF555555}, {{1, 3}, 0xFF555555}}},
        // Neighbour row 2 lies below a 2-high image.
        {"bottom edge", 4, 2, 0.0, 1.0, 3.0, 1.5, black, bg,
         {{{0, 1}, 0xFF000000}, {{1, 1}, 0xFF2A2A2A}, {{2, 1}, 0xFF555555}, {{3, 1}, 0xFF555555}}},
        // Running left from (1.75, 0.99): err = (int)(0.75*0.99*65536) = 48660,
        // step = (int)(1.75/2.011*65536) = 57030. Coverage 65 at the start, 99
        // at (0, 1); the second step reaches column -1 and is dropped instead
        // of wrapping onto (3, 1); the end (0, 3) takes coverage 132.
        {"left overshoot", 4, 5, 0.0, 3.001, 1.75, 0.99, black, bg,
         {{{1, 0}, 0xFFBEBEBE}, {{0, 1}, 0xFF9C9C9C}, {{0, 3}, 0xFF7B7B7B}}},
        // Both ends in pixel (1, 1): err = 0.25*0.5*65536 = 8192, coverage
        // 255 - 32 = 223, written twice: 255*33 >> 8 = 32, then 32*33 >> 8 = 4.
        {"one pixel", 4, 4, 1.25, 1.5, 1.75, 1.75, black, bg, {{{1, 1}, 0xFF040404}}},
        // Horizontal: a FillRect of the packed colour.
        {"horizontal", 4, 4, 3.0, 1.0, 0.0, 1.0, black, bg,
         {{{0, 1}, 0xFF000000}, {{1, 1}, 0xFF000000}, {{2, 1}, 0xFF000000}, {{3, 1}, 0xFF000000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(c.width, c.height, c.background);
        image->DrawLineAA(c.x1, c.y1, c.x2, c.y2, c.color, 0);
        ExpectPixels(*image, c.background, c.expected);
    }
}

TEST_F(MemoryImageFillsTest, AntialiasedLineInAdditiveModeDrawsNothingButCounts)
{
    auto image = MakeImage(6, 4, kWhite);
    const int version = image->mBitsVersion;
    image->DrawLineAA(0.0, 0.0, 4.0, 2.0, Color(0, 0, 0), 1);
    EXPECT_GT(image->mBitsVersion, version);
    ExpectPixels(*image, kWhite, {});
}

// Ends within one pixel, or in neighbouring pixels with a tiny extent, have
// no inner pixels: no step is computed (fx may be 0 or the quotient huge),
// only the two end writes happen.
TEST_F(MemoryImageFillsTest, AntialiasedLineWithoutInnerPixelsWritesOnlyItsEnds)
{
    struct Case {
        double x1, y1, x2, y2;
        PixelMap expected;
    };
    const Case cases[] = {
        {1.25, 1.5, 1.25, 1.75, {{{1, 1}, 0xFF040404}}}, // fx = 0: coverage 223 twice
        {1.25, 1.5, 1.25, 1.5, {{{1, 1}, 0xFF040404}}},  // fx = fy = 0
        {1.0, 1.0, 1.0, 1.0, {{{1, 1}, 0xFF000000}}},    // coverage 255 twice
        // DX = DY = 1 with fx = 1e-9: the quotient would overflow an int.
        {0.999999999, 0.0, 1.0, 1.5, {{{0, 0}, 0xFF000000}, {{1, 1}, 0xFF000000}}},
    };
    for (const Case& c : cases) {
        auto image = MakeImage(4, 4, kWhite);
        // A division by zero or an out-of-range conversion raises its flag.
        std::feclearexcept(FE_ALL_EXCEPT);
        image->NormalDrawLineAA(c.x1, c.y1, c.x2, c.y2, Color(0, 0, 0));
        EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0) << c.x1 << ", " << c.y1;
        ExpectPixels(*image, kWhite, c.expected);
    }
}

// An end off the image (the callers clip, but the walk must not trust it)
// is left out with every other off-image pixel; the rest draws as usual.
TEST_F(MemoryImageFillsTest, AntialiasedLineWithAnEndOffTheImageDrawsOnlyItsPixelsOnIt)
{
    struct Case {
        const char* name;
        double x1, y1, x2, y2;
        PixelMap expected;
    };
    // Whole-pixel ends: fy (or fx) = 0, so every step has coverage 255 and
    // its neighbour 0, which leaves the neighbour as it was.
    const Case cases[] = {
        {"x-major from the left", -2.0, 1.0, 3.0, 1.0,
         {{{0, 1}, 0xFF000000}, {{1, 1}, 0xFF000000}, {{2, 1}, 0xFF000000}, {{3, 1}, 0xFF000000}}},
        {"y-major from above", 1.0, -2.0, 1.0, 2.0, {{{1, 0}, 0xFF000000}, {{1, 1}, 0xFF000000}, {{1, 2}, 0xFF000000}}},
        {"y-major past the bottom", 2.0, 1.0, 2.0, 6.0,
         {{{2, 1}, 0xFF000000}, {{2, 2}, 0xFF000000}, {{2, 3}, 0xFF000000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(4, 4, kWhite);
        image->NormalDrawLineAA(c.x1, c.y1, c.x2, c.y2, Color(0, 0, 0));
        ExpectPixels(*image, kWhite, c.expected);
        EXPECT_EQ(image->mBits[image->PixelCount()], MemoryImage::kBitsSentinel);
    }
}

// Lines with both ends inside the image never write outside it (the word
// after the last pixel stays, and the sanitizer build sees no overrun).
TEST_F(MemoryImageFillsTest, RandomLinesInsideTheImageStayInsideIt)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> xs(0.0, 6.999);
    std::uniform_real_distribution<double> ys(0.0, 4.999);
    auto image = MakeImage(7, 5, kWhite);
    for (int i = 0; i < 3000; ++i) {
        const double x1 = xs(random);
        const double y1 = ys(random);
        const double x2 = xs(random);
        const double y2 = ys(random);
        const Color color(int(random() & 255), int(random() & 255), int(random() & 255), int(random() & 255));
        image->DrawLine(x1, y1, x2, y2, color, i % 2);
        image->DrawLineAA(x1, y1, x2, y2, color, 0);
        ASSERT_EQ(image->mBits[image->PixelCount()], MemoryImage::kBitsSentinel) << "line " << i;
    }
}

// Channels outside 0-255 are a caller's error; they must not divide by zero
// or read past the saturation table.
TEST_F(MemoryImageFillsTest, OutOfRangeColoursAreHeldInRange)
{
    // Alpha -254 over d = 127 would give N = 127 + (128 * -254) / 255 = 0; held at 0 it changes nothing.
    auto image = MakeImage(1, 1, 0x7F102030);
    image->FillRect(TRect<int>(0, 0, 1, 1), Color(200, 100, 50, -254), 0);
    EXPECT_EQ(At(*image, 0, 0), 0x7F102030u);

    // Alpha 300 blends as 255: N = 255, w = 255, (16 + 200*255) >> 8 = 199.
    image = MakeImage(1, 1, 0xFF102030);
    image->FillRect(TRect<int>(0, 0, 1, 1), Color(200, 100, 50, 300), 0);
    EXPECT_EQ(At(*image, 0, 0), 0xFFC76331u);

    // Additive red term 1000*255/255 held at 255: min(16 + 255, 255).
    image = MakeImage(3, 3, 0xFF102030);
    image->DrawLine(0.0, 0.0, 1.0, 1.0, Color(1000, 0, 0, 255), 1);
    ExpectPixels(*image, 0xFF102030, {{{0, 0}, 0xFFFF2030}, {{1, 1}, 0xFFFF2030}});
}

TEST_F(MemoryImageFillsTest, RectanglesReachingPastTheImageAreCutToIt)
{
    // 3 x 2 image of 0x11111111; each rectangle hangs over an edge.
    auto image = MakeImage(3, 2, 0x11111111);
    image->FillRect(TRect<int>(2, -1, 5, 2), Color(255, 0, 0), 0);   // covers (2,0) only
    image->ClearRect(TRect<int>(-4, 1, 5, 9));                       // covers (0,1) only
    const uint32_t expected[2][3] = {{0x11111111, 0x11111111, 0xFFFF0000},
                                     {0x00000000, 0x11111111, 0x11111111}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(At(*image, x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(image->mBits[image->PixelCount()], MemoryImage::kBitsSentinel);
}
