// The text layer on FreeType and fontconfig, with the fonts the project
// installs: Liberation for the common Windows faces, DejaVu otherwise.
// Face choice, metrics from the OS/2 table, whole-pixel widths, bold and
// italic made up for a face without them, and drawing clipped to a buffer.
#include "platform/text/FreeTypeTextRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using Plat::FontDescription;
using Plat::FreeTypeTextFont;
using Plat::FreeTypeTextRenderer;

namespace {

FontDescription Describe(const std::string& face, int height, int weight = 400, bool italic = false,
                         bool underline = false)
{
    FontDescription d;
    d.faceName = face;
    d.height = height;
    d.weight = weight;
    d.italic = italic;
    d.underline = underline;
    return d;
}

int Width(Plat::TextFont& font, const std::string& text)
{
    return font.MeasureWidth(text.data(), text.size());
}

// Draws black text onto a white buffer of the text's size (padded to pitch);
// returns the buffer.
std::vector<uint32_t> DrawOnWhite(Plat::TextFont& font, const std::string& text, int width, int height, int pitch,
                                  int x = 0, int y = 0, uint32_t rgb = 0)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(pitch) * height, 0x00FFFFFF);
    font.DrawText(text.data(), text.size(), x, y, rgb, pixels.data(), width, height, pitch);
    return pixels;
}

int CountInk(const std::vector<uint32_t>& pixels)
{
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0x00FFFFFF; }));
}

class TextRendererTest : public ::testing::Test {
protected:
    std::unique_ptr<FreeTypeTextFont> Open(const FontDescription& d)
    {
        std::unique_ptr<Plat::TextFont> font = mRenderer.CreateTextFont(d);
        auto* ft = dynamic_cast<FreeTypeTextFont*>(font.get());
        EXPECT_NE(ft, nullptr);
        font.release();
        return std::unique_ptr<FreeTypeTextFont>(ft);
    }

    FreeTypeTextRenderer mRenderer;
};

TEST(Windows1252, MapsTheHighControlRangeAndKeepsLatin1)
{
    struct Case {
        unsigned char byte;
        char32_t unicode;
    };
    const Case cases[] = {
        {0x41, U'A'},     {0x00, 0x0000},   {0x7F, 0x007F},   {0x80, 0x20AC}, // euro
        {0x85, 0x2026},   {0x8A, 0x0160},   {0x92, 0x2019},   {0x99, 0x2122},
        {0x9F, 0x0178},   {0x81, 0x0081},   {0x9D, 0x009D},   // undefined: their own value
        {0xA0, 0x00A0},   {0xE9, 0x00E9},   {0xFF, 0x00FF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Plat::Windows1252ToUnicode(c.byte), c.unicode) << int(c.byte);
    }
}

TEST_F(TextRendererTest, MatchesWindowsFacesToMetricCompatibleOnes)
{
    struct Case {
        const char* face;
        int weight;
        bool italic;
        const char* family;
        int fileStyle; // 0 regular, 1 bold, 2 italic
    };
    const Case cases[] = {
        {"Arial", 400, false, "Liberation Sans", 0},
        {"Arial", 700, false, "Liberation Sans", 1},
        {"Times New Roman", 400, true, "Liberation Serif", 2},
        {"Courier New", 400, false, "Liberation Mono", 0},
    };
    for (const Case& c : cases) {
        std::string path;
        int index = -1;
        ASSERT_TRUE(mRenderer.FindFontFile(Describe(c.face, -16, c.weight, c.italic), path, index)) << c.face;
        EXPECT_EQ(index, 0);
        const char* styles[] = {"-Regular.", "-Bold.", "-Italic."};
        EXPECT_NE(path.find(styles[c.fileStyle]), std::string::npos) << path;

        std::unique_ptr<FreeTypeTextFont> font = Open(Describe(c.face, -16, c.weight, c.italic));
        ASSERT_TRUE(font->IsLoaded());
        EXPECT_EQ(font->GetFamilyName(), c.family);
        EXPECT_FALSE(font->IsSyntheticBold()) << c.face;
        EXPECT_FALSE(font->IsSyntheticItalic()) << c.face;
    }
    // An unknown face still gives a font (the platform's substitute).
    std::unique_ptr<FreeTypeTextFont> unknown = Open(Describe("No Such Face Anywhere", -16));
    EXPECT_TRUE(unknown->IsLoaded());
    EXPECT_GT(Width(*unknown, "abc"), 0);
}

TEST_F(TextRendererTest, MetricsComeFromTheOs2Table)
{
    struct Case {
        const char* face;
        int height;
        int ppem;
        int ascent;
        int descent;
    };
    // Liberation Sans: win ascent 1854, descent 434, 2048 units per em.
    // Liberation Serif: 1825 and 443.
    const Case cases[] = {
        {"Arial", -16, 16, 14, 3},           // 14.48, 3.39
        {"Arial", 0, 16, 14, 3},             // 0: the default em of 16
        {"Arial", 17, 15, 14, 3},            // cell 17: em 17 * 2048 / 2288 = 15.2; 13.58, 3.18
        {"Arial", -32, 32, 29, 7},           // 28.97, 6.78
        {"Times New Roman", -16, 16, 14, 3}, // 14.26, 3.46
    };
    for (const Case& c : cases) {
        std::unique_ptr<FreeTypeTextFont> font = Open(Describe(c.face, c.height));
        const Plat::TextMetrics m = font->GetMetrics();
        EXPECT_EQ(font->GetPixelsPerEm(), c.ppem) << c.face << " " << c.height;
        EXPECT_EQ(m.ascent, c.ascent) << c.face << " " << c.height;
        EXPECT_EQ(m.descent, c.descent) << c.face << " " << c.height;
        EXPECT_EQ(m.height, c.ascent + c.descent) << c.face << " " << c.height;
    }
}

TEST_F(TextRendererTest, WidthIsTheSumOfWholePixelAdvancesWithoutKerning)
{
    std::unique_ptr<FreeTypeTextFont> font = Open(Describe("Arial", -16));
    EXPECT_EQ(Width(*font, ""), 0);
    const int a = Width(*font, "A");
    const int v = Width(*font, "V");
    EXPECT_GT(a, 0);
    EXPECT_EQ(Width(*font, "AV"), a + v); // a kerned pair in the face
    EXPECT_EQ(Width(*font, "iii"), 3 * Width(*font, "i"));
    EXPECT_GT(Width(*font, "W"), Width(*font, "i"));
    // Bytes above 0x7F are Windows-1252 characters, measured like any other.
    EXPECT_GT(Width(*font, "\x80"), 0);
    EXPECT_EQ(Width(*font, "caf\xE9"), Width(*font, "caf") + Width(*font, "\xE9"));

    std::unique_ptr<FreeTypeTextFont> mono = Open(Describe("Courier New", -16));
    EXPECT_EQ(Width(*mono, "iiii"), Width(*mono, "WWWW"));
}

TEST_F(TextRendererTest, MakesUpBoldAndItalicForAFaceWithout)
{
    // DejaVu Sans from fonts-dejavu-core, opened from its regular file so the
    // test does not depend on which other styles are installed.
    std::string path;
    int index = 0;
    ASSERT_TRUE(mRenderer.FindFontFile(Describe("DejaVu Sans", -16), path, index));
    std::unique_ptr<FreeTypeTextFont> regular = mRenderer.OpenFontFile(path, index, Describe("DejaVu Sans", -16));
    std::unique_ptr<FreeTypeTextFont> bold = mRenderer.OpenFontFile(path, index, Describe("DejaVu Sans", -16, 700));
    std::unique_ptr<FreeTypeTextFont> italic =
        mRenderer.OpenFontFile(path, index, Describe("DejaVu Sans", -16, 400, true));
    ASSERT_TRUE(regular->IsLoaded());
    EXPECT_FALSE(regular->IsSyntheticBold());
    EXPECT_FALSE(regular->IsSyntheticItalic());
    EXPECT_TRUE(bold->IsSyntheticBold());
    EXPECT_FALSE(bold->IsSyntheticItalic());
    EXPECT_TRUE(italic->IsSyntheticItalic());
    EXPECT_FALSE(italic->IsSyntheticBold());

    // Made-up bold: one pixel more per character, and more ink.
    EXPECT_EQ(Width(*bold, "Hello"), Width(*regular, "Hello") + 5);
    // Made-up italic: the same advances, slanted glyphs.
    EXPECT_EQ(Width(*italic, "Hello"), Width(*regular, "Hello"));

    const int width = Width(*bold, "Hello") + 4;
    const int height = regular->GetMetrics().height;
    const std::vector<uint32_t> r = DrawOnWhite(*regular, "Hello", width, height, width);
    const std::vector<uint32_t> b = DrawOnWhite(*bold, "Hello", width, height, width);
    const std::vector<uint32_t> i = DrawOnWhite(*italic, "Hello", width, height, width);
    EXPECT_GT(CountInk(b), CountInk(r));
    EXPECT_NE(i, r);

    // A face that has its own bold is not made bolder.
    ASSERT_TRUE(mRenderer.FindFontFile(Describe("DejaVu Sans", -16, 700), path, index));
    std::unique_ptr<FreeTypeTextFont> realBold =
        mRenderer.OpenFontFile(path, index, Describe("DejaVu Sans", -16, 700));
    EXPECT_FALSE(realBold->IsSyntheticBold());
}

TEST_F(TextRendererTest, DrawsGreyCoverageTowardsTheTextColour)
{
    std::unique_ptr<FreeTypeTextFont> font = Open(Describe("Arial", -16));
    const int width = Width(*font, "Hello");
    const int height = font->GetMetrics().height;

    const std::vector<uint32_t> black = DrawOnWhite(*font, "Hello", width, height, width);
    int solid = 0;
    for (uint32_t p : black) {
        // Grey anti-aliasing: equal channels, the top byte untouched.
        EXPECT_EQ(p >> 24, 0u);
        EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
        EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
        solid += p == 0 ? 1 : 0;
    }
    EXPECT_GT(solid, 20); // the stems are fully covered
    EXPECT_GT(CountInk(black), solid);

    // Red over white keeps red at 255 and moves green and blue together.
    const std::vector<uint32_t> red = DrawOnWhite(*font, "Hello", width, height, width, 0, 0, 0xFF0000);
    for (size_t k = 0; k < red.size(); ++k) {
        EXPECT_EQ((red[k] >> 16) & 0xFF, 0xFFu);
        EXPECT_EQ((red[k] >> 8) & 0xFF, red[k] & 0xFF);
        EXPECT_EQ(red[k] & 0xFF, black[k] & 0xFF); // the same coverage
    }
}

TEST_F(TextRendererTest, DrawingIsClippedToTheBuffer)
{
    std::unique_ptr<FreeTypeTextFont> font = Open(Describe("Arial", -24, 700, true, true));
    const int width = 20;
    const int height = 12;
    const int pitch = 32; // columns 20 to 31 are not part of the buffer
    const int positions[][2] = {{-7, -9}, {12, 5}, {-40, 0}, {0, -30}, {30, 30}, {5, -3}};
    int inkSeen = 0;
    for (const auto& pos : positions) {
        const std::vector<uint32_t> pixels = DrawOnWhite(*font, "Wg\x80", width, height, pitch, pos[0], pos[1]);
        for (int y = 0; y < height; ++y) {
            for (int x = width; x < pitch; ++x) {
                ASSERT_EQ(pixels[y * pitch + x], 0x00FFFFFFu) << pos[0] << ", " << pos[1];
            }
        }
        inkSeen += CountInk(pixels);
    }
    EXPECT_GT(inkSeen, 0);
}

TEST_F(TextRendererTest, UnderlineRunsUnderTheWholeText)
{
    std::unique_ptr<FreeTypeTextFont> plain = Open(Describe("Arial", -16));
    std::unique_ptr<FreeTypeTextFont> underlined = Open(Describe("Arial", -16, 400, false, true));
    const int width = Width(*underlined, "   ");
    const int height = underlined->GetMetrics().height;
    EXPECT_EQ(CountInk(DrawOnWhite(*plain, "   ", width, height, width)), 0);

    // Liberation Sans: underline centred 142 units below the baseline, 150
    // thick; at 16 px 1 pixel thick, 1 row below the baseline (row 15).
    const std::vector<uint32_t> pixels = DrawOnWhite(*underlined, "   ", width, height, width, 0, 0, 0x123456);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(pixels[y * width + x], y == 15 ? 0x00123456u : 0x00FFFFFFu) << x << ", " << y;
        }
    }
}

TEST_F(TextRendererTest, AFontFileThatCannotBeOpenedMeasuresNothing)
{
    std::unique_ptr<FreeTypeTextFont> font =
        mRenderer.OpenFontFile("/nonexistent/font.ttf", 0, Describe("Arial", -16));
    EXPECT_FALSE(font->IsLoaded());
    EXPECT_EQ(font->GetMetrics().height, 0);
    EXPECT_EQ(Width(*font, "abc"), 0);
    EXPECT_EQ(CountInk(DrawOnWhite(*font, "abc", 10, 10, 10)), 0);
    EXPECT_EQ(mRenderer.GetVerticalDpi(), 96);
}

} // namespace
