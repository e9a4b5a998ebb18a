// Strip fonts cut from pictures the tests draw: bands and boxes, guards on
// bad strips, measuring, the font list's lookups and kerning, and text drawn
// through the Platform layer on an 800 x 600 screen at positions worked out
// by hand.
#include "game/engine/StripFont.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Platform.h"
#include "game/engine/StripFontList.h"
#include "support/EngineDrawing.h"
#include "support/FakePlatformHost.h"
#include "support/FakePlatformRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Found by argument lookup on the engine's global type.
std::ostream& operator<<(std::ostream& out, const GlyphBox& box)
{
    return out << "(" << box.mX0 << ", " << box.mY0 << ", " << box.mX1 << ", " << box.mY1 << ")";
}

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

using Strip = LumoTest::TestPicture;
using Box = LumoTest::ScreenBox;

class StripFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Band 0 (rows 0 .. 19): a faint one-pixel glyph spread over columns
        // 1 .. 3, then two glyphs touching at columns 6 .. 11. Band 1 (rows
        // 20 .. 39): columns 0 .. 4. Rows 40 .. 59 end on the bottom edge.
        Strip bands(16, 60);
        bands.Paint(1, 5, 2, 6, 0x01000000u).Paint(2, 19, 4, 20, kRed);
        bands.Paint(6, 0, 10, 20, kRed).Paint(10, 3, 12, 4, kGreen);
        bands.Paint(0, 20, 5, 40, kBlue).Paint(5, 40, 8, 60, kRed);
        host.pictures.emplace("bands.png", bands);

        // One band of ten rows: A red at 0 .. 3, I blue at 6 .. 7, B green at
        // 10 .. 15; row 10 is left clear so that the band is cut.
        Strip letters(20, 11);
        letters.Paint(0, 0, 4, 10, kRed).Paint(6, 0, 8, 10, kBlue).Paint(10, 0, 16, 10, kGreen);
        host.pictures.emplace("letters.png", letters);

        screen.Create(800, 600);
        screen.SetImageMode(false, false);
        graphics = std::make_unique<Lumo::Graphics>(&screen);
        platform.SetGraphics(graphics.get());
        ClearScreen();
    }
    void TearDown() override { fonts.Clear(); }

    void ClearScreen()
    {
        uint32_t* bits = screen.GetBits();
        std::fill(bits, bits + screen.PixelCount(), kBlack);
        screen.BitsChanged();
    }

    // The bounding box of the screen pixels of one colour.
    Box Drawn(uint32_t colour)
    {
        return LumoTest::ScreenBoxWhere(screen.GetBits(), [&](uint32_t pixel) { return pixel == colour; });
    }

    FakePlatformRecorder boxes;
    LumoTest::PictureHost host;
    Platform platform{&host};
    ImageCache cache{&platform};
    StripFontList fonts{&cache};
    Lumo::MemoryImage screen;
    std::unique_ptr<Lumo::Graphics> graphics;
};

TEST_F(StripFontTest, CutsBandsAndRunsOfInkedColumns)
{
    StripFont* font = fonts.Get("bands.png", "ABCDE", 20);
    ASSERT_NE(font, nullptr);
    // Any alpha not 0 inks a column; the box ends one past the last inked
    // column and on the band's last row.
    EXPECT_EQ(font->Glyph('A'), (GlyphBox{1, 0, 4, 19}));
    EXPECT_EQ(font->Glyph('B'), (GlyphBox{6, 0, 12, 19}));
    EXPECT_EQ(font->Glyph('C'), (GlyphBox{0, 20, 5, 39}));
    // The band at y 40 ends on the bottom edge: not cut.
    EXPECT_EQ(font->Glyph('D'), GlyphBox{});
    EXPECT_EQ(font->Glyph('E'), GlyphBox{});
    EXPECT_EQ(font->KernedGlyph('B'), font->Glyph('B'));
    EXPECT_EQ(font->GetCharacters(), "ABCDE");
}

TEST_F(StripFontTest, MoreGlyphsThanCharactersAndBytesAbove127)
{
    // Three glyphs, two characters: the third glyph names nothing.
    StripFont* font = fonts.Get("bands.png", "\xC4\xE9", 20);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Glyph(0xC4), (GlyphBox{1, 0, 4, 19}));
    EXPECT_EQ(font->Glyph(0xE9), (GlyphBox{6, 0, 12, 19}));
    EXPECT_EQ(StripFont::MeasureString(font, "\xC4\xE9", 1.0f, 1.0f), 3.0f + 6.0f + 1.0f);
}

TEST_F(StripFontTest, SpaceTakesTheBoxOfI)
{
    StripFont* font = fonts.Get("letters.png", "AIB", 10);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Glyph('I'), (GlyphBox{6, 0, 8, 9}));
    EXPECT_EQ(font->Glyph(' '), font->Glyph('I'));
}

TEST_F(StripFontTest, CutGuardsBadStrips)
{
    std::vector<GlyphBox> table(StripFont::kGlyphCount);
    std::vector<uint32_t> bits(10 * 30, kRed);
    // Wider than its rows: cut to the row (glyphs of 10, not 20); the band
    // at y 20 ends on the bottom edge.
    EXPECT_EQ(StripFont::CutGlyphs(bits.data(), 10, 20, 30, 10, "ABC", table.data()), 2);
    EXPECT_EQ(table['A'], (GlyphBox{0, 0, 10, 9}));
    EXPECT_EQ(table['B'], (GlyphBox{0, 10, 10, 19}));
    EXPECT_EQ(table['C'], GlyphBox{});
    struct Case {
        const char* what;
        const uint32_t* bits;
        int rowWords, width, height, step;
        const char* characters;
    };
    const Case cases[] = {
        {"step 0", bits.data(), 10, 10, 30, 0, "AB"},
        {"negative step", bits.data(), 10, 10, 30, -5, "AB"},
        {"step of the whole height", bits.data(), 10, 10, 30, 30, "AB"},
        {"no pixels", nullptr, 10, 10, 30, 10, "AB"},
        {"no rows", bits.data(), 0, 10, 30, 10, "AB"},
        {"negative size", bits.data(), 10, -4, -4, 10, "AB"},
        {"no characters", bits.data(), 10, 10, 30, 10, ""},
        {"null characters", bits.data(), 10, 10, 30, 10, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<GlyphBox> empty(StripFont::kGlyphCount);
        EXPECT_EQ(StripFont::CutGlyphs(c.bits, c.rowWords, c.width, c.height, c.step, c.characters, empty.data()), 0)
            << c.what;
        EXPECT_EQ(empty['A'], GlyphBox{}) << c.what;
    }
}

TEST_F(StripFontTest, MeasuresGlyphWidthsAndSpacingBetween)
{
    StripFont* font = fonts.Get("letters.png", "AIB", 10);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(StripFont::MeasureString(font, "AB", 1.0f, 2.0f), 4.0f + 6.0f + 2.0f);
    // Spacing is not scaled; nothing after the last character.
    EXPECT_EQ(StripFont::MeasureString(font, "AB", 2.0f, 2.0f), 8.0f + 12.0f + 2.0f);
    EXPECT_EQ(StripFont::MeasureString(font, "A I", 1.0f, 1.0f), 4.0f + 2.0f + 2.0f + 2.0f);
    EXPECT_EQ(StripFont::MeasureString(font, "", 1.0f, 5.0f), 0.0f);
    EXPECT_EQ(StripFont::MeasureString(nullptr, "AB", 1.0f, 2.0f), 0.0f);
    EXPECT_EQ(StripFont::MeasureString(font, nullptr, 1.0f, 2.0f), 0.0f);
}

TEST_F(StripFontTest, PlacesCharactersByJustificationScaleAndKerning)
{
    StripFont* font = fonts.Get("letters.png", "AIB", 10);
    ASSERT_NE(font, nullptr);
    auto centres = [&](const char* text, float scale, int justification) {
        std::vector<float> placed;
        font->PlaceCharacters(text, scale, 2.0f, justification, [&](int, float x) { placed.push_back(x); });
        return placed;
    };
    // "AB", spacing 2: A centre 2, pen 6; B centre 9, pen 14; width 12.
    EXPECT_EQ(centres("AB", 1.0f, StripFont::kJustifyLeft), (std::vector<float>{2, 9}));
    EXPECT_EQ(centres("AB", 1.0f, StripFont::kJustifyRight), (std::vector<float>{-10, -3}));
    EXPECT_EQ(centres("AB", 1.0f, StripFont::kJustifyCentre), (std::vector<float>{-4, 3}));
    // Scale 2: A centre 4, pen 4 + 4 + 4 = 12; B centre 18, pen 28; width 24.
    EXPECT_EQ(centres("AB", 2.0f, StripFont::kJustifyLeft), (std::vector<float>{4, 18}));
    EXPECT_EQ(centres("AB", 2.0f, StripFont::kJustifyRight), (std::vector<float>{-20, -6}));
    EXPECT_TRUE(centres("", 1.0f, StripFont::kJustifyLeft).empty());

    // A kerned 0, +3 (box 0 .. 7): centre 3.5, offset int(3.5 - 0 + 0 - 7 + 4) = 0,
    // pen int(2 + 3.5 + 3.5) = 9; B centre 12, pen 17; width 15.
    fonts.SetKerning('A', 0.0f, 3.0f);
    EXPECT_EQ(font->KernedGlyph('A'), (GlyphBox{0, 0, 7, 9}));
    EXPECT_EQ(font->Glyph('A'), (GlyphBox{0, 0, 4, 9}));
    EXPECT_EQ(centres("AB", 1.0f, StripFont::kJustifyLeft), (std::vector<float>{0, 12}));
    EXPECT_EQ(centres("AB", 1.0f, StripFont::kJustifyRight), (std::vector<float>{-15, -3}));
}

TEST_F(StripFontTest, DrawsThroughThePlatformAtHandWorkedPositions)
{
    StripFont* font = fonts.Get("letters.png", "AIB", 10);
    ASSERT_NE(font, nullptr);
    struct Case {
        const char* text;
        int justification;
        Box red, green;
    };
    // Glyph rows 0 .. 8 (9 high) centred on y 300: rows 296 .. 304.
    const Case cases[] = {
        {"AB", StripFont::kJustifyLeft, {400, 296, 403, 304}, {406, 296, 411, 304}},
        {"AB", StripFont::kJustifyRight, {388, 296, 391, 304}, {394, 296, 399, 304}},
        {"AB", StripFont::kJustifyCentre, {394, 296, 397, 304}, {400, 296, 405, 304}},
        // The space moves the pen by the width of I and draws nothing.
        {"A B", StripFont::kJustifyLeft, {400, 296, 403, 304}, {410, 296, 415, 304}},
    };
    for (const Case& c : cases) {
        ClearScreen();
        font->DrawString(platform, c.text, 400.0f, 300.0f, 1.0f, 2.0f, c.justification);
        EXPECT_EQ(Drawn(kRed), c.red) << c.text << " " << c.justification;
        EXPECT_EQ(Drawn(kGreen), c.green) << c.text << " " << c.justification;
        EXPECT_EQ(Drawn(kBlue), Box{}) << c.text << " " << c.justification;
    }
    // Kerned A (0, +3): left at 400 puts A's centre on 400 and B's on 412.
    fonts.SetKerning('A', 0.0f, 3.0f);
    ClearScreen();
    font->DrawString(platform, "AB", 400.0f, 300.0f, 1.0f, 2.0f, StripFont::kJustifyLeft);
    EXPECT_EQ(Drawn(kRed), (Box{398, 296, 401, 304}));
    EXPECT_EQ(Drawn(kGreen), (Box{409, 296, 414, 304}));
}

TEST_F(StripFontTest, ColourAndCharactersWithoutGlyphs)
{
    StripFont* font = fonts.Get("letters.png", "AIB", 10);
    ASSERT_NE(font, nullptr);
    // Z has no glyph: it draws nothing and takes no room beyond the spacing.
    font->DrawString(platform, "ZA", 400.0f, 300.0f, 1.0f, 2.0f, StripFont::kJustifyLeft, 1.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(Drawn(kRed), Box{});
    font->DrawString(platform, "ZA", 400.0f, 300.0f, 1.0f, 2.0f, StripFont::kJustifyLeft);
    EXPECT_EQ(Drawn(kRed), (Box{402, 296, 405, 304}));
}

TEST_F(StripFontTest, LookupsNeverAddFonts)
{
    EXPECT_EQ(fonts.Get("letters.png"), nullptr);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(fonts.Get("missing.png", nullptr, 0), nullptr);
    EXPECT_EQ(fonts.GetCount(), 0);
    StripFont* font = fonts.Get("letters.png", "AIB", 10);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(fonts.Get("letters.png"), font);
    EXPECT_EQ(fonts.Get("letters.png", "XYZ", 5), font);
    EXPECT_EQ(fonts.Get("Letters.png"), nullptr);
    EXPECT_EQ(fonts.GetCount(), 1);
}

TEST_F(StripFontTest, FailedLoadsKeepNothingAndTakeNoKerning)
{
    // Kerning before any font is ignored.
    fonts.SetKerning('A', 5.0f, 5.0f);
    StripFont* font = fonts.Get("letters.png", "AIB", 10);
    ASSERT_NE(font, nullptr);
    // A missing picture and a row step that is not positive make no font;
    // kerning after them does not reach the font loaded before.
    EXPECT_EQ(fonts.Get("missing.png", "AB", 10), nullptr);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    fonts.SetKerning('A', 1.0f, 1.0f);
    EXPECT_EQ(fonts.Get("bands.png", "AB", -20), nullptr);
    fonts.SetKerning('A', 1.0f, 1.0f);
    EXPECT_EQ(font->KernedGlyph('A'), (GlyphBox{0, 0, 4, 9}));
    EXPECT_EQ(fonts.GetCount(), 1);
    // The negative step held no picture.
    EXPECT_EQ(cache.GetCount(), 1);
    // A later attempt with the picture there succeeds.
    host.pictures.emplace("missing.png", Strip(20, 11).Paint(0, 0, 4, 10, kRed));
    EXPECT_NE(fonts.Get("missing.png", "A", 10), nullptr);
}

TEST_F(StripFontTest, FontsHoldTheirPicturesUntilCleared)
{
    ImageRecord* shared = cache.Get("letters.png");
    ASSERT_NE(shared, nullptr);
    ASSERT_NE(fonts.Get("letters.png", "AIB", 10), nullptr);
    ASSERT_NE(fonts.Get("bands.png", "AB", 20), nullptr);
    EXPECT_EQ(shared->mUseCount, 2);
    EXPECT_EQ(cache.GetCount(), 2);
    fonts.Clear();
    // The font's hold is given back; the picture only the fonts held goes.
    EXPECT_EQ(shared->mUseCount, 1);
    EXPECT_EQ(cache.GetCount(), 1);
    EXPECT_EQ(fonts.Get("letters.png"), nullptr);
}

} // namespace
