// Image fonts: which layers are active, measuring with kerning and spacing,
// where and in which order glyph pieces are drawn and with which colour and
// draw mode, scaled layers, copies, and texts past the drawing pool.
#include "framework/graphics/ImageFont.h"

#include "framework/graphics/FontData.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/FontTestApp.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::ImageFont;
using Lumo::TRect;

namespace {

constexpr uint32_t kGlyphA = 0xFF102030; // columns 0-3
constexpr uint32_t kGlyphB = 0xFF405060; // columns 4-8

// A destination that records each blit the context hands it.
class RecordingImage : public Lumo::Image {
public:
    RecordingImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }

    struct Call {
        Lumo::Image* image;
        int x;
        int y;
        TRect<int> source;
        Color color;
        int drawMode;
    };

    void Blt(Lumo::Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode) override
    {
        calls.push_back(Call{image, x, y, srcRect, color, drawMode});
    }

    std::vector<Call> calls;
};

class ImageFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TgaHeader header;
        header.width = 40;
        header.height = 10;
        std::vector<uint32_t> pixels(40 * 10, 0);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 9; ++x)
                pixels[y * 40 + x] = x < 4 ? kGlyphA : kGlyphB;
        }
        folder.Write("glyphs.tga", TgaWriter::Build(header, pixels));
    }

    // A font over the descriptor; a layer "Main" with glyphs a and b on the
    // image comes first when `withMain` is set.
    std::unique_ptr<ImageFont> MakeFont(const std::string& body, bool withMain = true)
    {
        const std::string main = withMain ? "CreateLayer Main; LayerSetImage Main 'glyphs.tga';"
                                            "LayerSetImageMap Main ('a' 'b') ((0 0 4 8) (4 0 5 8));"
                                            "LayerSetCharWidths Main ('a' 'b') (5 6);"
                                            "LayerSetAscent Main 8;"
                                          : "";
        const std::string path = folder.Write("font.txt", main + body);
        auto font = std::make_unique<ImageFont>(&app, path);
        EXPECT_TRUE(font->mFontData->mInitialized) << (app.popups.empty() ? "" : app.popups.back());
        return font;
    }

    static std::vector<std::string> ActiveNames(ImageFont& font)
    {
        font.EnsurePrepared();
        std::vector<std::string> names;
        for (const auto& active : font.mActiveLayerList)
            names.push_back(active->mBaseFontLayer->mLayerName);
        return names;
    }

    TempFolder folder;
    FontTestApp app;
};

using Strings = std::vector<std::string>;

TEST_F(ImageFontTest, LayersActiveWithinTheirPointRange)
{
    struct Case {
        int minimum;
        int maximum;
        int pointSize;
        bool active;
    } cases[] = {
        {10, -1, 10, true}, {10, -1, 500, true}, {10, -1, 9, false}, {10, 12, 12, true},
        {10, 12, 13, false}, {-1, -1, 0, true},  {0, 0, 0, true},    {0, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.minimum) + ".." + std::to_string(c.maximum) + " at " + std::to_string(c.pointSize));
        auto font = MakeFont("CreateLayer L; LayerPointRange L " + std::to_string(c.minimum) + " "
                                 + std::to_string(c.maximum) + ";",
                             false);
        font->SetPointSize(c.pointSize);
        EXPECT_EQ(ActiveNames(*font).size(), c.active ? 1u : 0u);
    }
}

TEST_F(ImageFontTest, TagsChooseLayers)
{
    auto font = MakeFont("CreateLayer Plain; CreateLayer Bold; LayerRequireTags Bold ('bold');"
                         "CreateLayer NoSmall; LayerExcludeTags NoSmall ('small');",
                         false);
    EXPECT_EQ(ActiveNames(*font), (Strings{"PLAIN", "NOSMALL"}));

    EXPECT_TRUE(font->AddTag("bold"));
    EXPECT_FALSE(font->mPrepared);
    EXPECT_EQ(ActiveNames(*font), (Strings{"PLAIN", "BOLD", "NOSMALL"}));
    EXPECT_FALSE(font->HasTag("bold")) << "tags are compared as given";
    EXPECT_TRUE(font->HasTag("BOLD"));
    EXPECT_TRUE(font->AddTag("bold")) << "so the lower-case text is never found";
    EXPECT_EQ(font->mTagVector, (Strings{"BOLD", "BOLD"}));
    EXPECT_FALSE(font->AddTag("BOLD"));
    EXPECT_TRUE(font->RemoveTag("Bold"));
    EXPECT_EQ(font->mTagVector, Strings{"BOLD"});

    EXPECT_TRUE(font->AddTag("Small"));
    EXPECT_EQ(ActiveNames(*font), (Strings{"PLAIN", "BOLD"}));
    EXPECT_TRUE(font->RemoveTag("bold"));
    EXPECT_FALSE(font->RemoveTag("bold"));
    EXPECT_EQ(ActiveNames(*font), Strings{"PLAIN"});

    font->SetIgnoreTags(true);
    EXPECT_EQ(ActiveNames(*font), (Strings{"PLAIN", "BOLD", "NOSMALL"}));
}

TEST_F(ImageFontTest, WidthsWithKerningAndSpacing)
{
    auto font = MakeFont("LayerSetSpacing Main 1;"
                         "LayerSetCharWidths Main ('\xE9' 'z') (7 0);"
                         "LayerSetKerningPairs Main ('ab' '\xE9\x61' 'az') (-2 3 -9);");
    struct Case {
        char ch;
        char prev;
        int width;
    } cases[] = {
        {'a', 0, 5},         // no previous character: no kerning, no spacing
        {'b', 'a', 5},       // 6 + (-2 + 1)
        {'a', 'b', 6},       // 5 + (0 + 1)
        {'a', '\xE9', 9},    // 5 + (3 + 1): bytes above 0x7F index as themselves
        {'\xE9', 'a', 8},    // 7 + (0 + 1)
        {'z', 'a', 0},       // 0 + (-9 + 1) stays at 0
        {'q', 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.ch) + " after " + std::to_string(static_cast<unsigned char>(c.prev)));
        EXPECT_EQ(font->CharWidthKern(c.ch, c.prev), c.width);
    }
    EXPECT_EQ(font->CharWidth('b'), 6);
    EXPECT_EQ(font->StringWidth("ab"), 10);                     // 5 + 5
    EXPECT_EQ(font->StringWidth("\xE9\x61"), 16);               // 7 + 9
    EXPECT_EQ(font->StringWidth(""), 0);
}

TEST_F(ImageFontTest, DrawnWidthEqualsStringWidthForOneLayer)
{
    auto font = MakeFont("LayerSetSpacing Main 2;"
                         "LayerSetCharWidths Main ('\xE9' '\xFF') (7 3);"
                         "LayerSetKerningPairs Main ('ab' 'ba' '\xE9\x61' '\xFF\xE9') (-2 4 -5 1);"
                         "SetCharMap ('A') ('\xFF');");
    RecordingImage dest(1000, 100);
    Lumo::Graphics g(&dest);
    for (const std::string text : {"a", "ab", "abba", "\xE9\x61\xE9", "A\xE9" "bA", "b\xFF\xE9\xE9"}) {
        SCOPED_TRACE(text);
        int width = -1;
        font->DrawStringEx(&g, 3, 40, text, Color::White, TRect<int>(), nullptr, &width);
        EXPECT_EQ(width, font->StringWidth(text));
    }
}

TEST_F(ImageFontTest, PiecesPlacedByOffsetsAscentAndAdvance)
{
    auto font = MakeFont("LayerSetSpacing Main 1; LayerSetKerningPairs Main ('ab') (-2);"
                         "LayerSetOffset Main (1 2); LayerSetCharOffsets Main ('b') ((0 3));");
    RecordingImage dest(200, 100);
    Lumo::Graphics g(&dest);
    std::vector<TRect<int>> rects{TRect<int>(9, 9, 9, 9)};
    int width = 0;
    font->DrawStringEx(&g, 10, 20, "ab", Color(255, 255, 255, 255), TRect<int>(), &rects, &width);

    // a: x = 0 + 1 + 10, y = 0 - 8 + 2 + 20; then the pen moves 5 + (-2 + 1).
    // b: x = 0 + 1 + 14, y = 3 - 8 + 2 + 20.
    const std::vector<TRect<int>> expected{TRect<int>(11, 14, 4, 8), TRect<int>(15, 17, 5, 8)};
    EXPECT_EQ(rects, expected);
    EXPECT_EQ(width, 10);
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0].x, 11);
    EXPECT_EQ(dest.calls[0].y, 14);
    EXPECT_EQ(dest.calls[0].source, TRect<int>(0, 0, 4, 8));
    EXPECT_EQ(dest.calls[1].x, 15);
    EXPECT_EQ(dest.calls[1].y, 17);
    EXPECT_EQ(dest.calls[1].source, TRect<int>(4, 0, 5, 8));
    EXPECT_EQ(dest.calls[0].image, font->mFontData->mFontLayerMap.at("MAIN")->GetImage());

    // The context's translation applies; its clip, not the argument's.
    Lumo::Graphics moved(&dest);
    moved.Translate(100, 50);
    dest.calls.clear();
    font->DrawString(&moved, 10, 20, "a", Color::White, TRect<int>(0, 0, 1, 1));
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].x, 111);
    EXPECT_EQ(dest.calls[0].y, 64);
}

TEST_F(ImageFontTest, PieceColourIsLayerArithmeticClampedAt255)
{
    struct Case {
        const char* layer;
        Color color;
        Color expected;
    } cases[] = {
        {"", Color(255, 0, 0, 128), Color(255, 0, 0, 128)},
        // add 0.5 * 255 = 127 on red: 200 + 127 reaches 255.
        {"LayerSetColorAdd Main (0.5 0 0 0);", Color(200, 10, 20, 255), Color(255, 10, 20, 255)},
        // multiply red 100: 100 * 200 / 255 = 78 (integer division); alpha 255 * 200 / 255.
        {"LayerSetColorMult Main 0xFF64FFFF;", Color(200, 100, 50, 200), Color(78, 100, 50, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layer);
        auto font = MakeFont(c.layer);
        RecordingImage dest(100, 100);
        Lumo::Graphics g(&dest);
        font->DrawString(&g, 0, 20, "a", c.color, TRect<int>());
        ASSERT_EQ(dest.calls.size(), 1u);
        EXPECT_EQ(dest.calls[0].color, c.expected);
    }
}

TEST_F(ImageFontTest, DrawModesAndContextStateRestored)
{
    auto font = MakeFont("CreateLayerFrom Glow Main; LayerSetDrawMode Glow 1;");
    RecordingImage dest(100, 100);
    Lumo::Graphics g(&dest);
    g.SetColor(Color(1, 2, 3, 4));
    g.SetColorizeImages(false);
    for (int contextMode : {0, 1}) {
        dest.calls.clear();
        g.SetDrawMode(contextMode);
        font->DrawString(&g, 0, 20, "a", Color::White, TRect<int>());
        ASSERT_EQ(dest.calls.size(), 2u);
        EXPECT_EQ(dest.calls[0].drawMode, contextMode) << "layer mode -1 takes the context's";
        EXPECT_EQ(dest.calls[1].drawMode, 1);
        EXPECT_EQ(g.GetDrawMode(), contextMode);
        EXPECT_EQ(g.GetColor(), Color(1, 2, 3, 4));
        EXPECT_FALSE(g.mColorizeImages);
    }
}

TEST_F(ImageFontTest, OrderKeysBucketThePieces)
{
    // Shadow (created last) draws below Text; a glyph order lifts 'a' above 'b'.
    auto font = MakeFont("CreateLayerFrom Shadow Main; LayerSetBaseOrder Shadow -200;"
                         "LayerSetColorMult Shadow (0 0 0 1);"
                         "LayerSetCharOrders Main ('a') (5);");
    RecordingImage dest(100, 100);
    Lumo::Graphics g(&dest);
    font->DrawString(&g, 0, 20, "ab", Color::White, TRect<int>());
    ASSERT_EQ(dest.calls.size(), 4u);
    struct Piece {
        int red;  // 0 for the shadow
        int sourceX;
    } expected[] = {
        {0, 0}, {0, 4},   // shadow key 0 (clamped): its pieces in text order
        {255, 4},         // text b: key 128
        {255, 0},         // text a: key 133
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dest.calls[i].color.mRed, expected[i].red);
        EXPECT_EQ(dest.calls[i].source.mX, expected[i].sourceX);
    }
}

TEST_F(ImageFontTest, MetricsCombineTheActiveLayers)
{
    auto font = MakeFont("LayerSetAscentPadding Main 3; LayerSetHeight Main 12; LayerSetLineSpacingOffset Main 2;"
                         "LayerSetAscent Main 10;"
                         "CreateLayer Second; LayerSetAscent Second 8; LayerSetAscentPadding Second 1;"
                         "LayerSetHeight Second 14; LayerSetLineSpacingOffset Second 5;"
                         "CreateLayer Third; LayerSetAscentPadding Third 2; LayerSetLineSpacingOffset Third -1;");
    EXPECT_EQ(font->mAscent, 10);
    EXPECT_EQ(font->mHeight, 14);
    EXPECT_EQ(font->mAscentPadding, 1);     // the smallest
    EXPECT_EQ(font->mLineSpacingOffset, 5); // the largest
    EXPECT_EQ(font->GetLineSpacing(), 19);

    // Height 0 falls back on the height the image map found.
    auto plain = MakeFont("");
    EXPECT_EQ(plain->mHeight, 8);
    EXPECT_EQ(plain->mAscent, 8);
}

TEST_F(ImageFontTest, LayerAtAnotherPointSizeIsRenderedScaled)
{
    auto font = MakeFont("LayerSetPointSize Main 12; SetDefaultPointSize 12;");
    EXPECT_EQ(font->GetPointSize(), 12);
    EXPECT_EQ(font->GetDefaultPointSize(), 12);
    ASSERT_EQ(font->mActiveLayerList.size(), 1u);
    Lumo::FontLayer* layer = font->mFontData->mFontLayerMap.at("MAIN");
    EXPECT_EQ(font->mActiveLayerList[0]->mImage, layer->GetImage()) << "at its own size the layer image is used";
    EXPECT_FALSE(font->mActiveLayerList[0]->mOwnsImage);

    font->SetPointSize(24);
    font->EnsurePrepared();
    const Lumo::ActiveFontLayer& active = *font->mActiveLayerList[0];
    ASSERT_TRUE(active.mOwnsImage);
    ASSERT_NE(active.mImage, nullptr);
    // Twice 4 + 5 columns side by side, twice 8 rows.
    EXPECT_EQ(active.mImage->GetWidth(), 18);
    EXPECT_EQ(active.mImage->GetHeight(), 16);
    EXPECT_EQ(active.mScaledCharImageRects[uint8_t('a')], TRect<int>(0, 0, 8, 16));
    EXPECT_EQ(active.mScaledCharImageRects[uint8_t('b')], TRect<int>(8, 0, 10, 16));
    EXPECT_EQ(active.mScaledCharImageRects[uint8_t('c')], TRect<int>(18, 0, 0, 0));
    auto* picture = dynamic_cast<Lumo::MemoryImage*>(active.mImage);
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(picture->mColorTable, nullptr) << "rendered glyphs are reduced to a palette";
    const uint32_t* bits = picture->GetBits();
    // Opaque glyph pixels blended over the cleared picture: alpha 255, each
    // channel (0 x 1 + c x 255) >> 8, so 0x10 -> 0x0F, 0x40 -> 0x3F.
    EXPECT_EQ(bits[8 * 18 + 4], 0xFF0F1F2Fu);  // middle of a
    EXPECT_EQ(bits[8 * 18 + 13], 0xFF3F4F5Fu); // middle of b
    EXPECT_EQ(font->CharWidth('a'), 10);
    EXPECT_EQ(font->mAscent, 16);
    EXPECT_EQ(font->mHeight, 16);

    // Scale 1.5 at the layer's own size: 4 x 1.5 = 6, 8 x 1.5 = 12.
    font->SetPointSize(12);
    font->SetScale(1.5);
    font->SetForceWhite(true);
    font->EnsurePrepared();
    const Lumo::ActiveFontLayer& scaled = *font->mActiveLayerList[0];
    EXPECT_EQ(scaled.mScaledCharImageRects[uint8_t('b')], TRect<int>(6, 0, 7, 12)); // 5 x 1.5 = 7.5
    EXPECT_EQ(dynamic_cast<Lumo::MemoryImage*>(scaled.mImage)->GetBits()[6 * 13 + 3], 0xFFFFFFFFu)
        << "force white keeps alpha and whitens the colour";
    EXPECT_EQ(font->CharWidth('b'), 9); // trunc(6 x 1.5)

    RecordingImage dest(100, 100);
    Lumo::Graphics g(&dest);
    font->DrawString(&g, 0, 20, "b", Color::White, TRect<int>());
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].y, 20 - 12); // y - trunc(8 x 1.5)
    EXPECT_EQ(dest.calls[0].source, TRect<int>(6, 0, 7, 12));
}

TEST_F(ImageFontTest, TextPastThePoolDrawsItsFirst4096Pieces)
{
    auto font = MakeFont("");
    RecordingImage dest(40000, 100);
    Lumo::Graphics g(&dest);
    int width = 0;
    font->DrawStringEx(&g, 0, 20, std::string(5000, 'a'), Color::White, TRect<int>(), nullptr, &width);
    EXPECT_EQ(dest.calls.size(), 4096u);
    EXPECT_EQ(width, 4096 * 5);

    // Two layers: the pool ends in the middle of character 2048's layers.
    auto doubled = MakeFont("CreateLayerFrom Second Main;");
    dest.calls.clear();
    doubled->DrawStringEx(&g, 0, 20, std::string(3000, 'a'), Color::White, TRect<int>(), nullptr, &width);
    EXPECT_EQ(dest.calls.size(), 4096u);
    EXPECT_EQ(width, 2048 * 5);
}

TEST_F(ImageFontTest, UnloadedFontMeasuresAndDrawsNothing)
{
    const std::string path = folder.Write("bad.txt", "CreateLayer A; LayerSetCharWidths A ('a') (5); Bogus;");
    ImageFont font(&app, path);
    EXPECT_FALSE(font.mFontData->mInitialized);
    EXPECT_EQ(font.StringWidth("aaa"), 0);
    RecordingImage dest(100, 100);
    Lumo::Graphics g(&dest);
    std::vector<TRect<int>> rects{TRect<int>(1, 1, 1, 1)};
    int width = 7;
    font.DrawStringEx(&g, 0, 0, "aaa", Color::White, TRect<int>(), &rects, &width);
    EXPECT_EQ(width, 0);
    EXPECT_TRUE(rects.empty());
    EXPECT_TRUE(dest.calls.empty());
}

TEST_F(ImageFontTest, CopiesShareTheDataAndCopyRenderedLayers)
{
    auto font = MakeFont("LayerSetPointSize Main 6; SetDefaultPointSize 12; Define Pair (1 2);");
    font->AddTag("x");
    font->EnsurePrepared();
    ASSERT_TRUE(font->mActiveLayerList[0]->mOwnsImage);
    {
        std::unique_ptr<Lumo::Font> copy(font->Duplicate());
        auto& imageCopy = static_cast<ImageFont&>(*copy);
        EXPECT_EQ(imageCopy.mFontData, font->mFontData);
        EXPECT_EQ(font->mFontData->mRefCount, 2);
        EXPECT_EQ(imageCopy.mTagVector, Strings{"X"});
        EXPECT_EQ(imageCopy.mAscent, font->mAscent);
        ASSERT_EQ(imageCopy.mActiveLayerList.size(), 1u);
        const Lumo::ActiveFontLayer& copied = *imageCopy.mActiveLayerList[0];
        EXPECT_TRUE(copied.mOwnsImage);
        EXPECT_NE(copied.mImage, font->mActiveLayerList[0]->mImage);
        EXPECT_EQ(copied.mImage->GetWidth(), font->mActiveLayerList[0]->mImage->GetWidth());
        EXPECT_EQ(imageCopy.StringWidth("ab"), font->StringWidth("ab"));
        EXPECT_EQ(imageCopy.GetDefine("pair"), "(1, 2)");
        EXPECT_EQ(imageCopy.GetDefine("none"), "");
    }
    EXPECT_EQ(font->mFontData->mRefCount, 1);
    EXPECT_EQ(font->StringWidth("ab"), 22); // (5 + 6) x 2
}

TEST_F(ImageFontTest, GlyphPixelsReachAMemoryImage)
{
    auto font = MakeFont("");
    Lumo::MemoryImage dest(&app);
    std::vector<uint32_t> black(30 * 20, 0xFF000000);
    dest.SetBits(black.data(), 30, 20);
    Lumo::Graphics g(&dest);
    font->DrawString(&g, 2, 10, "a", Color::White, TRect<int>());
    const uint32_t* bits = dest.GetBits();
    // The glyph covers columns 2-5 and rows 2-9.
    EXPECT_EQ(bits[5 * 30 + 3], kGlyphA);
    EXPECT_EQ(bits[2 * 30 + 2], kGlyphA);
    EXPECT_EQ(bits[9 * 30 + 5], kGlyphA);
    EXPECT_EQ(bits[1 * 30 + 2], 0xFF000000u);
    EXPECT_EQ(bits[5 * 30 + 6], 0xFF000000u);
    EXPECT_EQ(bits[10 * 30 + 3], 0xFF000000u);
}

} // namespace
