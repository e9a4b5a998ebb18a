// The image list dump into a temporary user-data folder: the page of an
// empty set, rows ordered by memory with equal totals in set order, the PNG
// of each image and its point-sampled thumbnail, and images that hold their
// pixels in another form keeping only that form.
#include "framework/app/LumoAppBase.h"

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/AppDataFolder.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

class ImageDumpTest : public ::testing::Test {
protected:
    ImageDumpTest() { Lumo::SetAppDataFolder(folder.Path() + "/"); }
    ~ImageDumpTest() override { Lumo::SetAppDataFolder(""); }

    // The page without its heading's time.
    std::string Page()
    {
        const std::string page = folder.Read("_dump/imagelist.html");
        return std::regex_replace(page, std::regex("<B>[^<]*</B>"), "<B>time</B>");
    }

    TempFolder folder;
    TestApp app;
};

} // namespace

TEST_F(ImageDumpTest, EmptySetGivesHeadingEmptyTableAndTotals)
{
    ASSERT_TRUE(app.memoryImageSet.empty());
    folder.Write("_dump/old.png", "stale");
    app.DumpImageList();
    EXPECT_FALSE(folder.Exists("_dump/old.png"));
    EXPECT_EQ(Page(), "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>time</B></FONT><BR>\n"
                      "Total Image Allocation: 0 bytes<BR>"
                      "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>"
                      "<TR>\n<TD>Totals</TD>\n<TD>0</TD>\n<TD>0</TD>\n<TD>0</TD>\n<TD>0</TD>\n<TD>0</TD>\n"
                      "<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n"
                      "<TD>0</TD>\n<TD>0</TD>\n<TD>0</TD>\n<TD>&nbsp;</TD>\n</TR>\n"
                      "</TABLE></CENTER></BODY></HTML>");
    const std::string raw = folder.Read("_dump/imagelist.html");
    EXPECT_TRUE(std::regex_search(raw, std::regex("<B>\\w{3} \\w{3} [ \\d]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\n</B>")));
}

TEST_F(ImageDumpTest, RowsByTotalWithPixelsAndThumbnails)
{
    // 16 x 8 with bits: 512 bytes. Two of 8 x 8 (256 each), in set order.
    Lumo::MemoryImage big(&app);
    big.Create(16, 8);
    uint32_t* bits = big.GetBits();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            bits[y * 16 + x] = 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8;
    big.BitsChanged();
    big.mFilePath = "gfx\\big.png";
    std::vector<std::unique_ptr<Lumo::MemoryImage>> small;
    for (int i = 0; i < 2; ++i) {
        small.push_back(std::make_unique<Lumo::MemoryImage>(&app));
        small.back()->Create(8, 8);
        small.back()->GetBits();
        small.back()->mIsVolatile = i == 1;
    }
    // A palette-only picture: 64 + 1024 bytes.
    Lumo::MemoryImage palette(&app);
    palette.Create(8, 8);
    uint32_t* pbits = palette.GetBits();
    for (int i = 0; i < 64; ++i)
        pbits[i] = i % 2 == 0 ? 0xFF112233u : 0xFF445566u;
    palette.BitsChanged();
    ASSERT_TRUE(palette.Palletize());
    palette.mBits.reset();
    ASSERT_EQ(palette.mBits, nullptr);

    app.DumpImageList();
    const std::string page = Page();
    EXPECT_NE(page.find("Total Image Allocation: 2,112 bytes<BR>"), std::string::npos);
    const size_t paletteRow = page.find("8 x 8<BR>1,088 bytes");
    const size_t bigRow = page.find("16 x 8<BR>512 bytes");
    ASSERT_NE(paletteRow, std::string::npos);
    ASSERT_NE(bigRow, std::string::npos);
    EXPECT_LT(paletteRow, bigRow);
    EXPECT_NE(page.find("<TD><A HREF=img0001.png><IMG SRC=thumb0001.png WIDTH=64 HEIGHT=64></A></TD>\n"
                        "<TD ALIGN=RIGHT>16 x 8<BR>512 bytes</TD>\n<TD>mBits<BR>512</TD>\n<TD>&nbsp;</TD>\n"),
              std::string::npos);
    EXPECT_NE(page.find("<TD>Palletized<BR>1,088</TD>"), std::string::npos);
    EXPECT_NE(page.find("<TD>gfx\\big.png</TD>\n</TR>\n"), std::string::npos);
    // Equal totals keep the set's order: the volatile one (small[1]) is
    // row 3 when it comes after small[0] in the set, else row 2.
    bool volatileLater = false;
    for (Lumo::MemoryImage* image : app.memoryImageSet) {
        if (image == small[0].get() || image == small[1].get()) {
            volatileLater = image == small[0].get();
            break;
        }
    }
    const size_t volatileCell = page.find("<TD>Volatile</TD>");
    const size_t row3 = page.find("img0003.png");
    ASSERT_NE(volatileCell, std::string::npos);
    ASSERT_NE(row3, std::string::npos);
    EXPECT_EQ(volatileCell > row3, volatileLater);
    EXPECT_NE(page.find("<TR>\n<TD>Totals</TD>\n<TD>2,112</TD>\n<TD>1,024</TD>\n<TD>1,088</TD>\n"), std::string::npos);

    // The big image's file and its thumbnail: thumbnail (x, y) is pixel
    // ((x + 0.5) * 16 / 64, (y + 0.5) * 8 / 64).
    std::unique_ptr<ImageLib::Image> saved(ImageLib::GetPNGImage(folder.Join("_dump/img0001.png")));
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->GetWidth(), 16);
    EXPECT_EQ(saved->GetBits()[3 * 16 + 5], 0xFF050300u);
    std::unique_ptr<ImageLib::Image> thumb(ImageLib::GetPNGImage(folder.Join("_dump/thumb0001.png")));
    ASSERT_NE(thumb, nullptr);
    ASSERT_EQ(thumb->GetWidth(), 64);
    ASSERT_EQ(thumb->GetHeight(), 64);
    EXPECT_EQ(thumb->GetBits()[0], 0xFF000000u);
    EXPECT_EQ(thumb->GetBits()[63 * 64 + 63], 0xFF0F0700u);
    EXPECT_EQ(thumb->GetBits()[17 * 64 + 22], 0xFF050200u); // (22.5 * 16) / 64 = 5, (17.5 * 8) / 64 = 2
    // The palette-only picture is written from its palette and stays so.
    std::unique_ptr<ImageLib::Image> fromPalette(ImageLib::GetPNGImage(folder.Join("_dump/img0000.png")));
    ASSERT_NE(fromPalette, nullptr);
    EXPECT_EQ(fromPalette->GetBits()[1], 0xFF445566u);
    EXPECT_EQ(palette.mBits, nullptr);
    EXPECT_NE(palette.mColorIndices, nullptr);
}
