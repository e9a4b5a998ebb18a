// The font commands of descriptor files: every command's effect, the exact
// error texts, layer images and glyph rectangles, and the legacy fonts made
// from one image and a width file.
#include "framework/graphics/FontData.h"

#include "framework/display/DDImage.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/DataCacheClient.h"
#include "support/FakeCacheServer.h"
#include "support/FontTestApp.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::FontData;
using Lumo::FontLayer;
using Lumo::TRect;

namespace {

constexpr int kImageWidth = 40;
constexpr int kImageHeight = 10;

class FontDescriptorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TgaHeader header;
        header.width = kImageWidth;
        header.height = kImageHeight;
        std::vector<uint32_t> pixels(kImageWidth * kImageHeight);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = 0xFF000000u | static_cast<uint32_t>(i % kImageWidth) * 5u;
        folder.Write("fonts/glyphs.tga", TgaWriter::Build(header, pixels));
    }

    // Writes the descriptor beside the glyph image and loads it.
    FontData& Load(const std::string& body)
    {
        path = folder.Write("fonts/font.txt", body);
        data = std::make_unique<FontData>();
        data->Load(&app, path);
        return *data;
    }

    // What each popup reports, without the file and line parts.
    std::vector<std::string> Messages() const
    {
        const std::string header = "Font Descriptor Error in " + path + "\r\n";
        std::vector<std::string> messages;
        for (const std::string& popup : app.popups) {
            std::string text = popup.compare(0, header.size(), header) == 0 ? popup.substr(header.size()) : popup;
            messages.push_back(text.substr(0, text.find(" on Line ")));
        }
        return messages;
    }

    FontLayer& Layer(const std::string& name) { return *data->mFontLayerMap.at(name); }

    TempFolder folder;
    FontTestApp app;
    std::string path;
    std::unique_ptr<FontData> data;
};

using Strings = std::vector<std::string>;

TEST_F(FontDescriptorTest, CommandWordsAndLayerNamesIgnoreCase)
{
    FontData& font = Load("cReAtElAyEr Main;\nLayerSetHeight main 7;\nSetDefaultPointSize 12;");
    EXPECT_TRUE(font.mInitialized);
    EXPECT_TRUE(app.popups.empty());
    ASSERT_EQ(font.mFontLayerList.size(), 1u);
    EXPECT_EQ(font.mFontLayerList[0]->mLayerName, "MAIN");
    EXPECT_EQ(Layer("MAIN").mHeight, 7);
    EXPECT_EQ(font.mDefaultPointSize, 12);
}

TEST_F(FontDescriptorTest, ErrorsStopTheParseWithTheirExactTexts)
{
    struct Case {
        const char* body;
        Strings messages;
        bool loaded;
    } cases[] = {
        {"Bogus 1;", {"Unknown Command"}, false},
        {"CreateLayer;", {"Invalid Number of Parameters"}, false},
        {"CreateLayer A B;", {"Invalid Number of Parameters"}, false},
        {"CreateLayer A; LayerSetHeight B 3;", {"Undefined Layer", "Invalid Paramater Type"}, false},
        {"CreateLayer A; LayerSetHeight (A) 3;", {"Invalid Paramater Type"}, false},
        {"CreateLayer A; LayerSetHeight A x3;", {"Invalid Paramater Type"}, false},
        {"CreateLayer A; LayerSetHeight A (3);", {"Invalid Paramater Type"}, false},
        {"CreateLayer A; LayerSetDrawMode A 2;", {"Invalid Paramater Type"}, false},
        {"CreateLayer A; LayerSetDrawMode A -1;", {"Invalid Paramater Type"}, false},
        {"CreateLayer A; LayerSetColorMult A (1 0.5 0);", {"Invalid Paramater Type"}, false},
        {"CreateLayer A; LayerSetOffset A (1 2 3);", {"Invalid Paramater Type"}, false},
        {"Define 5 3;", {"Invalid Paramater Type"}, false},
        {"Define X (a);", {"Unable to Dereference \"a\""}, false},
        {"SetCharMap ('a' 'b') ('c');", {"List Size Mismatch"}, false},
        {"CreateLayer A; LayerSetImageMap A ('a') ((0 0 1 1));", {"Layer image not set"}, false},
        {"CreateLayer A; LayerSetImage A 'missing.tga';", {"Failed to Load Image"}, false},
        // A taken layer name is reported, and the parse goes on.
        {"CreateLayer A; CreateLayer a; SetDefaultPointSize 3;", {"Layer Already Exists"}, true},
        // Only the first failing command reports.
        {"Bogus; Bogus2;", {"Unknown Command"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        app.popups.clear();
        FontData& font = Load(c.body);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(font.mInitialized, c.loaded);
    }
}

TEST_F(FontDescriptorTest, ErrorTextNamesFileLineAndCommand)
{
    Load("CreateLayer A;\n# a comment\nLayerSetHeight  B 3;");
    ASSERT_EQ(app.popups.size(), 2u);
    EXPECT_EQ(app.popups[0], "Font Descriptor Error in " + path + "\r\nUndefined Layer on Line 3:\r\n\r\nLayerSetHeight  B 3");
    // The parser keeps the first text as its error.
    EXPECT_EQ(data->GetErrorText(), app.popups[0]);

    // A descriptor that does not open: no line to name.
    app.popups.clear();
    const std::string missing = folder.Path() + "/fonts/none.txt";
    FontData absent;
    EXPECT_TRUE(absent.Load(&app, missing));
    EXPECT_FALSE(absent.mInitialized);
    EXPECT_EQ(app.popups, Strings{"Font Descriptor Error in " + missing + "\r\nUnable to open file: " + missing});

    // Without an application nothing is shown and the parse still fails.
    FontData quiet;
    EXPECT_TRUE(quiet.Load(nullptr, path));
    EXPECT_FALSE(quiet.mInitialized);
    EXPECT_FALSE(quiet.Load(nullptr, path) && quiet.mInitialized);
}

TEST_F(FontDescriptorTest, LoadRunsOnce)
{
    FontData& font = Load("CreateLayer A;");
    ASSERT_TRUE(font.mInitialized);
    EXPECT_FALSE(font.Load(&app, path));
    EXPECT_EQ(font.mFontLayerList.size(), 1u);
}

TEST_F(FontDescriptorTest, DuplicateLayerStillDrawsWhileTheMapKeepsTheFirst)
{
    FontData& font = Load("CreateLayer Main; CreateLayer MAIN; LayerSetHeight main 5;");
    ASSERT_EQ(font.mFontLayerList.size(), 2u);
    ASSERT_EQ(font.mFontLayerMap.size(), 1u);
    EXPECT_EQ(font.mFontLayerMap.at("MAIN"), font.mFontLayerList[0].get());
    EXPECT_EQ(font.mFontLayerList[0]->mHeight, 5);
    EXPECT_EQ(font.mFontLayerList[1]->mHeight, 0);
}

TEST_F(FontDescriptorTest, LayerFieldCommands)
{
    FontData& font = Load("Define Tags ('bold' \"Big\");"
                          "CreateLayer L;"
                          "LayerRequireTags L Tags;"
                          "LayerExcludeTags L ('small');"
                          "LayerPointRange L 10 -1;"
                          "LayerSetPointSize L 12;"
                          "LayerSetHeight L 14;"
                          "LayerSetDrawMode L 1;"
                          "LayerSetAscent L 11;"
                          "LayerSetAscentPadding L 2;"
                          "LayerSetLineSpacingOffset L -3;"
                          "LayerSetOffset L (4 -5);"
                          "LayerSetSpacing L 0x10;"
                          "LayerSetBaseOrder L -7;");
    ASSERT_TRUE(font.mInitialized) << (app.popups.empty() ? "" : app.popups[0]);
    const FontLayer& layer = Layer("L");
    EXPECT_EQ(layer.mRequiredTags, (Strings{"BOLD", "BIG"}));
    EXPECT_EQ(layer.mExcludedTags, Strings{"SMALL"});
    EXPECT_EQ(layer.mMinPointSize, 10);
    EXPECT_EQ(layer.mMaxPointSize, -1);
    EXPECT_EQ(layer.mPointSize, 12);
    EXPECT_EQ(layer.mHeight, 14);
    EXPECT_EQ(layer.mDrawMode, 1);
    EXPECT_EQ(layer.mAscent, 11);
    EXPECT_EQ(layer.mAscentPadding, 2);
    EXPECT_EQ(layer.mLineSpacingOffset, -3);
    EXPECT_EQ(layer.mOffsetX, 4);
    EXPECT_EQ(layer.mOffsetY, -5);
    EXPECT_EQ(layer.mSpacing, 16);
    EXPECT_EQ(layer.mBaseOrder, -7);
}

TEST_F(FontDescriptorTest, ColoursFromPackedWordsAndFractions)
{
    struct Case {
        const char* value;
        Color expected;
    } cases[] = {
        {"0x00FF0000", Color(255, 0, 0, 255)},   // alpha 0 reads as 255
        {"0x80102030", Color(16, 32, 48, 128)},
        {"(1 0.5 0 1)", Color(255, 127, 0, 255)}, // 0.5 * 255 = 127.5, truncated
        {"(0 0 0.25 0.5 9)", Color(0, 0, 63, 127)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        FontData& font = Load(std::string("CreateLayer L; LayerSetColorMult L ") + c.value + "; LayerSetColorAdd L "
                              + c.value + ";");
        ASSERT_TRUE(font.mInitialized);
        EXPECT_EQ(Layer("L").mColorMult, c.expected);
        EXPECT_EQ(Layer("L").mColorAdd, c.expected);
    }
    FontData& font = Load("CreateLayer L;");
    EXPECT_EQ(Layer("L").mColorMult, Color(255, 255, 255, 255));
    EXPECT_EQ(Layer("L").mColorAdd, Color(0, 0, 0, 0));
    EXPECT_EQ(Layer("L").mDrawMode, -1);
    EXPECT_TRUE(font.mInitialized);
}

TEST_F(FontDescriptorTest, CharacterListsSkipBadElementsThenReport)
{
    FontData& font = Load("CreateLayer A; LayerSetCharWidths A ('a' 'bc' 'd') (5 6 7); SetDefaultPointSize 9;");
    EXPECT_FALSE(font.mInitialized);
    EXPECT_EQ(Messages(), Strings{"Invalid Paramater Type"});
    EXPECT_EQ(Layer("A").Glyph('a').mWidth, 5);
    EXPECT_EQ(Layer("A").Glyph('b').mWidth, 0);
    EXPECT_EQ(Layer("A").Glyph('d').mWidth, 7);
    EXPECT_EQ(font.mDefaultPointSize, 0) << "the parse stopped at the failed command";

    // A length difference applies nothing.
    app.popups.clear();
    FontData& mismatched = Load("CreateLayer A; LayerSetCharOrders A ('a' 'b') (1 2 3);");
    EXPECT_EQ(Messages(), Strings{"List Size Mismatch"});
    EXPECT_EQ(Layer("A").Glyph('a').mOrder, 0);
    EXPECT_FALSE(mismatched.mInitialized);
}

TEST_F(FontDescriptorTest, CharMapOrdersOffsetsAndHighBytes)
{
    FontData& font = Load("SetCharMap ('a' '\xE9' 'z') ('b' '\xC0' '\xFF');"
                          "CreateLayer A;"
                          "LayerSetCharOrders A ('x' '\xF0') (3 -4);"
                          "LayerSetCharOffsets A ('x' '\xF0') ((1 2) (-3 -4));"
                          "LayerSetCharWidths A ('\x80') (9);");
    ASSERT_TRUE(font.mInitialized) << (app.popups.empty() ? "" : app.popups[0]);
    EXPECT_EQ(font.mCharMap[uint8_t('a')], uint8_t('b'));
    EXPECT_EQ(font.mCharMap[0xE9], 0xC0);
    EXPECT_EQ(font.mCharMap[uint8_t('z')], 0xFF);
    EXPECT_EQ(font.MapChar('\xE9'), 0xC0);
    EXPECT_EQ(font.mCharMap[uint8_t('c')], uint8_t('c'));
    const FontLayer& layer = Layer("A");
    EXPECT_EQ(layer.Glyph('x').mOrder, 3);
    EXPECT_EQ(layer.Glyph(0xF0).mOrder, -4);
    EXPECT_EQ(layer.Glyph('x').mOffsetX, 1);
    EXPECT_EQ(layer.Glyph('x').mOffsetY, 2);
    EXPECT_EQ(layer.Glyph(0xF0).mOffsetX, -3);
    EXPECT_EQ(layer.Glyph(0xF0).mOffsetY, -4);
    EXPECT_EQ(layer.Glyph(0x80).mWidth, 9);
}

TEST_F(FontDescriptorTest, KerningPairsKeepTheLowByteSigned)
{
    FontData& font = Load("CreateLayer A; LayerSetKerningPairs A ('ab' '\xE9\xFF' 'c' 'xy') (-3 0x1FE 1 127);");
    EXPECT_EQ(Messages(), Strings{"Invalid Paramater Type"}) << "'c' is not a pair";
    EXPECT_FALSE(font.mInitialized);
    const FontLayer& layer = Layer("A");
    EXPECT_EQ(layer.Glyph('a').mKerningOffsets[uint8_t('b')], -3);
    EXPECT_EQ(layer.Glyph(0xE9).mKerningOffsets[0xFF], -2); // 0x1FE -> 0xFE
    EXPECT_EQ(layer.Glyph('x').mKerningOffsets[uint8_t('y')], 127);
}

TEST_F(FontDescriptorTest, DefinesHoldValuesListsAndCopies)
{
    FontData& font = Load("Define W (4 5);"
                          "Define Chars ('a' 'b');"
                          "Define Same w;"
                          "Define Single 0x20;"
                          "Define Nested (W 6);"
                          "CreateLayer A;"
                          "LayerSetCharWidths A Chars Same;");
    ASSERT_TRUE(font.mInitialized) << (app.popups.empty() ? "" : app.popups[0]);
    EXPECT_EQ(Layer("A").Glyph('a').mWidth, 4);
    EXPECT_EQ(Layer("A").Glyph('b').mWidth, 5);
    EXPECT_EQ(Lumo::DataElementToString(*font.GetDefine("nested")), "((4, 5), 6)");
    EXPECT_EQ(Lumo::DataElementToString(*font.GetDefine("SAME")), "(4, 5)");
    EXPECT_EQ(Lumo::DataElementToString(*font.GetDefine("single")), "0x20");

    // Redefining replaces the value.
    FontData& again = Load("Define W 1; Define W (2);");
    EXPECT_EQ(Lumo::DataElementToString(*again.GetDefine("W")), "(2)");
}

TEST_F(FontDescriptorTest, HorizontalSpanRectangles)
{
    FontData& font = Load("CreateHorzSpanRectList Spans (10 20 0 16) (4 5 6);"
                          "CreateHorzSpanRectList Bad (1 2 3) (4);");
    EXPECT_EQ(Messages(), Strings{"Invalid Paramater Type"});
    ASSERT_NE(font.GetDefine("spans"), nullptr);
    EXPECT_EQ(Lumo::DataElementToString(*font.GetDefine("spans")), "((10, 20, 4, 16), (14, 20, 5, 16), (19, 20, 6, 16))");
    EXPECT_EQ(font.GetDefine("bad"), nullptr);
}

TEST_F(FontDescriptorTest, LayerImageLoadsBesideTheDescriptor)
{
    FontData& font = Load("CreateLayer A; LayerSetImage A 'glyphs.tga';");
    ASSERT_TRUE(font.mInitialized) << (app.popups.empty() ? "" : app.popups[0]);
    const FontLayer& layer = Layer("A");
    EXPECT_EQ(layer.mImageFileName, folder.Path() + "/fonts/glyphs.tga");
    Lumo::Image* image = Layer("A").GetImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), kImageWidth);
    EXPECT_EQ(image->GetHeight(), kImageHeight);
    // A new image is reduced to its palette; the plain load kept out of the cache.
    auto* picture = dynamic_cast<Lumo::MemoryImage*>(image);
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(picture->mColorTable, nullptr);
    ASSERT_EQ(app.cacheSwitchDuringLoad.size(), 1u);
    EXPECT_FALSE(app.cacheSwitchDuringLoad[0]);
    EXPECT_TRUE(app.writeToDataCache) << "restored after the load";

    // A second font over the same image shares it.
    FontData second;
    second.Load(&app, path);
    EXPECT_EQ(second.mFontLayerMap.at("A")->GetImage(), image);
    EXPECT_EQ(app.loadedFiles.size(), 1u);
}

TEST_F(FontDescriptorTest, NewSurfaceImageGoesToTheDataCache)
{
    FakeCacheServer server;
    Lumo::DataCacheClient client;
    Lumo::DataCacheClient* previous = Lumo::SetDataCacheClient(&client);
    FontData& font = Load("CreateLayer A; LayerSetImage A 'glyphs.tga'; CreateLayer B; LayerSetImage B 'glyphs.tga';");
    Lumo::SetDataCacheClient(previous);
    ASSERT_TRUE(font.mInitialized) << (app.popups.empty() ? "" : app.popups[0]);
    ASSERT_NE(dynamic_cast<Lumo::DDImage*>(Layer("A").GetImage()), nullptr);
    const auto records = server.Records();
    ASSERT_EQ(records.size(), 1u) << "only the new image is stored";
    EXPECT_EQ(records.begin()->first, FakeCacheServer::Key(folder.Path() + "/fonts/glyphs.tga", "DDImage:GetImage"));
}

TEST_F(FontDescriptorTest, ImageMapAcceptsRectanglesUpToTheEdge)
{
    struct Case {
        const char* rect;
        bool inside;
    } cases[] = {
        {"(36 0 4 10)", true},   // ends exactly at the right and bottom edges
        {"(37 0 4 10)", false},  // one pixel further right
        {"(0 1 4 10)", false},   // one pixel further down
        {"(-1 0 4 4)", false},
        {"(0 -1 4 4)", false},
        {"(4 0 -2 4)", false},   // a negative size is no rectangle of the image
        {"(1 0 2147483647 4)", false}, // x + width would wrap in 32 bits
        {"(0 0 0 0)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect);
        app.popups.clear();
        FontData& font = Load(std::string("CreateLayer A; LayerSetImage A 'glyphs.tga';"
                                          "LayerSetImageMap A ('a' 'b') ((1 2 3 4) ")
                              + c.rect + ");");
        EXPECT_EQ(font.mInitialized, c.inside);
        const FontLayer& layer = Layer("A");
        EXPECT_EQ(layer.Glyph('a').mImageRect, TRect<int>(1, 2, 3, 4)) << "pairs before a bad one stay applied";
        if (c.inside) {
            EXPECT_TRUE(app.popups.empty());
        } else {
            EXPECT_EQ(Messages(), Strings{"Image rectangle out of bounds"});
            EXPECT_EQ(layer.Glyph('b').mImageRect, TRect<int>());
        }
    }
}

TEST_F(FontDescriptorTest, ImageMapSetsTheDefaultHeightAndSkipsBadPairs)
{
    FontData& font = Load("CreateLayer A; LayerSetImage A 'glyphs.tga';"
                          "LayerSetCharOffsets A ('b') ((0 3));"
                          "LayerSetImageMap A ('a' 'b' 'cd' 'e' '\xE9') ((0 0 4 9) (4 0 4 6) (8 0 4 4) (1 2 3) (12 0 4 2));");
    EXPECT_EQ(Messages(), Strings{"Invalid Paramater Type"});
    EXPECT_FALSE(font.mInitialized);
    const FontLayer& layer = Layer("A");
    EXPECT_EQ(layer.Glyph(0xE9).mImageRect, TRect<int>(12, 0, 4, 2));
    EXPECT_EQ(layer.Glyph('e').mImageRect, TRect<int>());
    // max(9 + 0, 6 + 3, 2 + 0) = 9
    EXPECT_EQ(layer.mDefaultHeight, 9);

    FontData& taller = Load("CreateLayer A; LayerSetImage A 'glyphs.tga';"
                            "LayerSetCharOffsets A ('b') ((0 5));"
                            "LayerSetImageMap A ('a' 'b') ((0 0 4 9) (4 0 4 6));");
    EXPECT_TRUE(taller.mInitialized);
    EXPECT_EQ(Layer("A").mDefaultHeight, 11); // 6 + 5
}

TEST_F(FontDescriptorTest, LayerCopiesShareTheImageButNotItsName)
{
    FontData& font = Load("CreateLayer A; LayerSetImage A 'glyphs.tga'; LayerSetHeight A 8;"
                          "LayerSetCharWidths A ('q') (3); LayerRequireTags A ('t');"
                          "CreateLayerFrom Shadow A; LayerSetHeight shadow 2;");
    ASSERT_TRUE(font.mInitialized) << (app.popups.empty() ? "" : app.popups[0]);
    const FontLayer& original = Layer("A");
    const FontLayer& copy = Layer("SHADOW");
    EXPECT_EQ(copy.mLayerName, "SHADOW");
    EXPECT_EQ(copy.mImageFileName, "");
    EXPECT_EQ(copy.mHeight, 2);
    EXPECT_EQ(original.mHeight, 8);
    EXPECT_EQ(copy.Glyph('q').mWidth, 3);
    EXPECT_EQ(copy.mRequiredTags, Strings{"T"});
    EXPECT_EQ(copy.mImage.mSharedImage, original.mImage.mSharedImage);
    // The font's two references plus none held elsewhere.
    EXPECT_EQ(original.mImage.mSharedImage->mRefCount, 2);
}

class LegacyFontTest : public ::testing::Test {
protected:
    LegacyFontTest()
    {
        image.SetBits(nullptr, 20, 9);
    }

    TempFolder folder;
    FontTestApp app;
    Lumo::MemoryImage image{&app};
};

TEST_F(LegacyFontTest, WidthFileLaysGlyphsSideBySide)
{
    folder.Write("Widths/Font.TXT", "4 12\na 5\nb 6\n\xE9 3\n");
    FontData font;
    // Backslashes and another case: the file layer's path rules find it.
    ASSERT_TRUE(font.LoadLegacy(&image, folder.Path() + "\\widths\\FONT.txt"));
    EXPECT_TRUE(font.mInitialized);
    ASSERT_EQ(font.mFontLayerList.size(), 1u);
    FontLayer& layer = *font.mFontLayerMap.at("");
    EXPECT_EQ(layer.GetImage(), &image);
    EXPECT_FALSE(layer.mImage.mOwnsUnshared);
    EXPECT_EQ(layer.Glyph(' ').mWidth, 4);
    EXPECT_EQ(layer.mAscent, 12);
    EXPECT_EQ(layer.mDefaultHeight, 9);
    EXPECT_EQ(layer.Glyph('a').mImageRect, TRect<int>(0, 0, 5, 9));
    EXPECT_EQ(layer.Glyph('b').mImageRect, TRect<int>(5, 0, 6, 9));
    EXPECT_EQ(layer.Glyph(0xE9).mImageRect, TRect<int>(11, 0, 3, 9));
    EXPECT_EQ(layer.Glyph('b').mWidth, 6);
    EXPECT_EQ(font.MapChar('A'), uint8_t('a'));
    EXPECT_EQ(font.MapChar('B'), uint8_t('b'));
    EXPECT_EQ(font.MapChar('C'), uint8_t('C'));
    EXPECT_FALSE(font.LoadLegacy(&image, folder.Path() + "/Widths/Font.TXT")) << "only once";

    // The image font over it measures with those widths: "Ab" = 5 + 6.
    Lumo::ImageFont imageFont(&image, folder.Path() + "/Widths/Font.TXT");
    EXPECT_EQ(imageFont.StringWidth("Ab"), 11);
    EXPECT_EQ(imageFont.StringWidth("\xE9 "), 7);
    EXPECT_EQ(imageFont.mAscent, 12);
    EXPECT_EQ(imageFont.mHeight, 9);
}

TEST_F(LegacyFontTest, CapitalsBorrowLowerCaseAndTheOtherWayRound)
{
    folder.Write("w.txt", "3 7\nQ 4\nr 2\nR 5\n");
    FontData font;
    ASSERT_TRUE(font.LoadLegacy(&image, folder.Path() + "/w.txt"));
    EXPECT_EQ(font.MapChar('q'), uint8_t('Q'));
    EXPECT_EQ(font.MapChar('r'), uint8_t('r'));
    EXPECT_EQ(font.MapChar('R'), uint8_t('R'));
}

TEST_F(LegacyFontTest, MissingOrOddWidthFiles)
{
    FontData missing;
    EXPECT_FALSE(missing.LoadLegacy(&image, folder.Path() + "/none.txt"));
    EXPECT_FALSE(missing.mInitialized);
    Lumo::ImageFont unloaded(&image, folder.Path() + "/none.txt");
    EXPECT_EQ(unloaded.StringWidth("abc"), 0);

    // A width that is not a number ends up 0; the next line still reads.
    folder.Write("odd.txt", "1 2\nx y\nz 3\n");
    FontData odd;
    ASSERT_TRUE(odd.LoadLegacy(&image, folder.Path() + "/odd.txt"));
    const FontLayer& layer = *odd.mFontLayerList[0];
    EXPECT_EQ(layer.Glyph('x').mWidth, 0);
    EXPECT_EQ(layer.Glyph('z').mWidth, 3);

    folder.Write("empty.txt", "");
    FontData empty;
    EXPECT_TRUE(empty.LoadLegacy(&image, folder.Path() + "/empty.txt"));
}

} // namespace
