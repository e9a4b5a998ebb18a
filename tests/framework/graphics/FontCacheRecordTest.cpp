// The image-font record of the data cache: its exact size, a write and read
// round trip through a fake cache over shared memory, the absent cache, and
// records that are cut short or carry counts past their end.
#include "framework/graphics/FontData.h"
#include "framework/graphics/FontLayer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/DataCacheClient.h"
#include "support/FakeCacheServer.h"
#include "support/FontTestApp.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::FontLayer;
using Lumo::ImageFont;
using Lumo::TRect;

namespace {

// A destination that records each blit the context hands it.
class RecordingImage : public Lumo::Image {
public:
    RecordingImage()
    {
        mWidth = 200;
        mHeight = 100;
    }
    void Blt(Lumo::Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode) override
    {
        calls.push_back(std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(srcRect.mX) + ","
                        + std::to_string(srcRect.mWidth) + " " + std::to_string(color.ToInt()) + " "
                        + std::to_string(drawMode) + (image != nullptr ? " image" : ""));
    }
    std::vector<std::string> calls;
};

std::vector<std::string> DrawCalls(ImageFont& font, const std::string& text)
{
    RecordingImage dest;
    Lumo::Graphics g(&dest);
    font.DrawString(&g, 5, 30, text, Color(200, 100, 50, 255), TRect<int>());
    return dest.calls;
}

class FontCacheRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPrevious = Lumo::SetDataCacheClient(&client);
        TgaHeader header;
        header.width = 20;
        header.height = 10;
        folder.Write("glyphs.tga", TgaWriter::Build(header, std::vector<uint32_t>(200, 0xFF808080)));
    }
    void TearDown() override { Lumo::SetDataCacheClient(mPrevious); }

    std::unique_ptr<ImageFont> MakeFont()
    {
        const std::string path = folder.Write(
            "font.txt",
            "SetDefaultPointSize 12; SetCharMap ('A' '\xE9') ('a' 'b');"
            "CreateLayer Main; LayerSetImage Main 'glyphs.tga'; LayerSetPointSize Main 12;"
            "LayerSetImageMap Main ('a' 'b') ((0 0 4 8) (4 0 5 8));"
            "LayerSetCharWidths Main ('a' 'b') (5 6); LayerSetAscent Main 8; LayerSetAscentPadding Main 1;"
            "LayerSetKerningPairs Main ('ab' 'ba') (-2 3); LayerSetCharOffsets Main ('b') ((1 -1));"
            "LayerSetCharOrders Main ('a') (4); LayerRequireTags Main ('Bold');"
            "LayerExcludeTags Main ('thin' 'tiny'); LayerPointRange Main 6 40;"
            "LayerSetColorMult Main 0x80FF8040; LayerSetColorAdd Main (0 0.5 0 0); LayerSetLineSpacingOffset Main 3;"
            "CreateLayerFrom Shadow Main; LayerSetDrawMode Shadow 1; LayerSetBaseOrder Shadow -1;"
            "LayerSetOffset Shadow (2 2); LayerSetSpacing Shadow 1; LayerSetHeight Shadow 9;");
        auto font = std::make_unique<ImageFont>(&app, path);
        EXPECT_TRUE(font->mFontData->mInitialized) << (app.popups.empty() ? "" : app.popups.back());
        font->AddTag("bold");
        font->AddTag("wide");
        font->SetPointSize(18);
        font->SetScale(1.25);
        font->EnsurePrepared();
        return font;
    }

    TempFolder folder;
    FontTestApp app;
    FakeCacheServer server;
    Lumo::DataCacheClient client; // made after the server, so it connects

private:
    Lumo::DataCacheClient* mPrevious = nullptr;
};

TEST_F(FontCacheRecordTest, EmptyFontRecordIs307Bytes)
{
    ImageFont font;
    EXPECT_EQ(font.CacheRecordSize(), 307u);
    font.WriteToCache("empty", "ResMan");
    const auto records = server.Records();
    ASSERT_EQ(records.count({"empty", "ImageFont2:ResMan"}), 1u);
    const std::vector<uint8_t>& record = records.at({"empty", "ImageFont2:ResMan"});
    ASSERT_EQ(record.size(), 307u);
    // Identity character map at 21..276; scale 1.0 as an IEEE double at 297.
    EXPECT_EQ(record[21 + 0x41], 0x41);
    double scale = 0.0;
    std::memcpy(&scale, &record[297], 8);
    EXPECT_EQ(scale, 1.0);
    EXPECT_EQ(server.Strings().at({"empty", "ImageFont2:ResMan"}), "empty");
}

TEST_F(FontCacheRecordTest, SizeCountsNamesTagsAndPaths)
{
    auto font = MakeFont();
    const Lumo::FontData& data = *font->mFontData;
    // Layers: (73828 + name + image name + tags of 4 + length each).
    const uint64_t main = 73828 + 4 + data.mFontLayerList[0]->mImageFileName.size() + (4 + 4) + (4 + 4) + (4 + 4);
    const uint64_t shadow = 73828 + 6 + 0 + (4 + 4) + (4 + 4) + (4 + 4);
    const uint64_t expected = 281 + main + shadow + data.mSourceFile.size() + data.mFontErrorHeader.size() + 16
        + (4 + 4) + (4 + 4) + 10;
    EXPECT_EQ(font->CacheRecordSize(), expected);

    std::vector<uint8_t> record(expected);
    EXPECT_TRUE(font->WriteCacheRecord(record.data(), record.size()));
    EXPECT_FALSE(font->WriteCacheRecord(record.data(), record.size() - 1));
    EXPECT_FALSE(font->WriteCacheRecord(record.data(), record.size() + 1)) << "the size must come out exact";
}

TEST_F(FontCacheRecordTest, RoundTripKeepsEveryField)
{
    auto font = MakeFont();
    font->WriteToCache("C:\\fonts\\font.txt", "ResMan");
    ASSERT_EQ(server.Records().at({"C:\\fonts\\font.txt", "ImageFont2:ResMan"}).size(), font->CacheRecordSize());

    std::unique_ptr<ImageFont> back(ImageFont::ReadFromCache("C:\\fonts\\font.txt", "ResMan"));
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->mPrepared);
    EXPECT_EQ(back->mFontData->mRefCount, 1);
    EXPECT_EQ(back->mFontData->mApp, &app);
    EXPECT_EQ(back->mAscent, font->mAscent);
    EXPECT_EQ(back->mAscentPadding, font->mAscentPadding);
    EXPECT_EQ(back->mHeight, font->mHeight);
    EXPECT_EQ(back->mLineSpacingOffset, font->mLineSpacingOffset);
    EXPECT_EQ(back->mPointSize, 18);
    EXPECT_EQ(back->mScale, 1.25);
    EXPECT_EQ(back->mTagVector, (std::vector<std::string>{"BOLD", "WIDE"}));
    EXPECT_EQ(back->mForceWhite, font->mForceWhite);
    EXPECT_EQ(back->mIgnoreTags, font->mIgnoreTags);

    const Lumo::FontData& a = *font->mFontData;
    const Lumo::FontData& b = *back->mFontData;
    EXPECT_TRUE(b.mInitialized);
    EXPECT_EQ(b.mDefaultPointSize, 12);
    EXPECT_EQ(std::memcmp(a.mCharMap, b.mCharMap, 256), 0);
    EXPECT_EQ(b.mSourceFile, a.mSourceFile);
    EXPECT_EQ(b.mFontErrorHeader, a.mFontErrorHeader);
    ASSERT_EQ(b.mFontLayerList.size(), 2u);
    ASSERT_EQ(b.mFontLayerMap.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        FontLayer& x = *a.mFontLayerList[i];
        FontLayer& y = *b.mFontLayerList[i];
        EXPECT_EQ(b.mFontLayerMap.at(y.mLayerName), &y);
        EXPECT_EQ(y.mLayerName, x.mLayerName);
        EXPECT_EQ(y.mRequiredTags, x.mRequiredTags);
        EXPECT_EQ(y.mExcludedTags, x.mExcludedTags);
        for (int g = 0; g < 256; ++g) {
            const Lumo::FontGlyph& p = x.mGlyphs[g];
            const Lumo::FontGlyph& q = y.mGlyphs[g];
            ASSERT_EQ(q.mImageRect, p.mImageRect) << g;
            ASSERT_EQ(q.mOffsetX, p.mOffsetX) << g;
            ASSERT_EQ(q.mOffsetY, p.mOffsetY) << g;
            ASSERT_EQ(std::memcmp(q.mKerningOffsets, p.mKerningOffsets, 256), 0) << g;
            ASSERT_EQ(q.mWidth, p.mWidth) << g;
            ASSERT_EQ(q.mOrder, p.mOrder) << g;
        }
        EXPECT_EQ(y.mColorMult, x.mColorMult);
        EXPECT_EQ(y.mColorAdd, x.mColorAdd);
        EXPECT_EQ(y.mImageFileName, x.mImageFileName);
        EXPECT_EQ(y.mDrawMode, x.mDrawMode);
        EXPECT_EQ(y.mOffsetX, x.mOffsetX);
        EXPECT_EQ(y.mOffsetY, x.mOffsetY);
        EXPECT_EQ(y.mSpacing, x.mSpacing);
        EXPECT_EQ(y.mMinPointSize, x.mMinPointSize);
        EXPECT_EQ(y.mMaxPointSize, x.mMaxPointSize);
        EXPECT_EQ(y.mPointSize, x.mPointSize);
        EXPECT_EQ(y.mAscent, x.mAscent);
        EXPECT_EQ(y.mAscentPadding, x.mAscentPadding);
        EXPECT_EQ(y.mHeight, x.mHeight);
        EXPECT_EQ(y.mDefaultHeight, x.mDefaultHeight);
        EXPECT_EQ(y.mLineSpacingOffset, x.mLineSpacingOffset);
        EXPECT_EQ(y.mBaseOrder, x.mBaseOrder);
    }
    // The image comes back through the shared table: the same image.
    EXPECT_EQ(b.mFontLayerList[0]->GetImage(), a.mFontLayerList[0]->GetImage());
    // A layer copied without an image command of its own comes back without one.
    EXPECT_EQ(b.mFontLayerList[1]->mImageFileName, "");
    EXPECT_EQ(b.mFontLayerList[1]->GetImage(), nullptr);
    EXPECT_NE(a.mFontLayerList[1]->GetImage(), nullptr);

    // Measured and drawn alike once prepared.
    const std::string text = "Ab\xE9" "ba";
    EXPECT_EQ(back->StringWidth(text), font->StringWidth(text));
    EXPECT_TRUE(back->mPrepared);
    const std::vector<std::string> original = DrawCalls(*font, text);
    EXPECT_EQ(original.size(), 10u);
    EXPECT_EQ(DrawCalls(*back, text), original);
    // The shadow's glyphs are rendered from nothing now: blank pixels.
    auto pixelOf = [](ImageFont& f, size_t layer) {
        auto* picture = dynamic_cast<Lumo::MemoryImage*>(f.mActiveLayerList[layer]->mImage);
        return picture != nullptr ? picture->GetBits()[2 * picture->GetWidth() + 2] : 0xDEADu;
    };
    EXPECT_EQ(pixelOf(*back, 1), 0u);
    EXPECT_EQ(pixelOf(*font, 1) >> 24, 0xFFu);
    EXPECT_EQ(pixelOf(*back, 0), pixelOf(*font, 0));
}

TEST_F(FontCacheRecordTest, TruncatedOrCorruptRecordsAreMisses)
{
    auto font = MakeFont();
    const size_t size = font->CacheRecordSize();
    std::vector<uint8_t> record(size);
    ASSERT_TRUE(font->WriteCacheRecord(record.data(), size));

    std::unique_ptr<ImageFont> whole(ImageFont::ReadCacheRecord(record.data(), size));
    ASSERT_NE(whole, nullptr);

    // Cut inside the header, at its end, inside each layer block, in the
    // trailer and one byte short.
    std::vector<size_t> cuts = {0, 1, 20, 280, 281, 285, 300, size - 1, size - 9, size - 26};
    for (size_t cut = 1000; cut < size; cut += 7919)
        cuts.push_back(cut);
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> shortRecord(record.begin(), record.begin() + cut); // exact size, so ASan sees overreads
        EXPECT_EQ(ImageFont::ReadCacheRecord(shortRecord.data(), shortRecord.size()), nullptr);
    }

    struct Corruption {
        size_t offset;
        uint32_t value;
    } corruptions[] = {
        {277, 0xFFFFFFFFu}, // layer count
        {277, 3},           // one layer more than there is
        {281, 0x7FFFFFFFu}, // first layer's name length
        {281 + 4 + 4, 0xFFFFFFF0u}, // its required tag count
    };
    for (const Corruption& c : corruptions) {
        SCOPED_TRACE(c.offset);
        std::vector<uint8_t> bad = record;
        for (int i = 0; i < 4; ++i)
            bad[c.offset + i] = uint8_t(c.value >> (8 * i));
        EXPECT_EQ(ImageFont::ReadCacheRecord(bad.data(), bad.size()), nullptr);
    }

    // The same through the cache: a short record is a miss.
    server.PutRecord({"short", "ImageFont2:ResMan"}, std::vector<uint8_t>(record.begin(), record.begin() + 5000));
    EXPECT_EQ(ImageFont::ReadFromCache("short", "ResMan"), nullptr);
    EXPECT_EQ(ImageFont::ReadFromCache("absent", "ResMan"), nullptr);
}

TEST(FontCacheAbsentTest, WithoutCacheNothingIsStoredOrRead)
{
    Lumo::DataCacheClient disconnected; // nothing publishes a cache yet
    FakeCacheServer server;             // too late for that client
    Lumo::DataCacheClient* previous = Lumo::SetDataCacheClient(&disconnected);
    ImageFont font;
    font.WriteToCache("a", "ResMan");
    std::vector<uint8_t> record(font.CacheRecordSize());
    ASSERT_TRUE(font.WriteCacheRecord(record.data(), record.size()));
    server.PutRecord({"a", "ImageFont2:ResMan"}, record);
    EXPECT_EQ(ImageFont::ReadFromCache("a", "ResMan"), nullptr);
    EXPECT_EQ(server.TotalMessages(), 0);
    Lumo::SetDataCacheClient(previous);
}

TEST_F(FontCacheRecordTest, LongResourceNamesAreNotStored)
{
    ImageFont font;
    const std::string longName(300, 'x');
    font.WriteToCache(longName, "ResMan");
    font.WriteToCache("ok", std::string(600, 'k'));
    EXPECT_TRUE(server.Records().empty());
    EXPECT_EQ(server.TotalMessages(), 0);
    EXPECT_EQ(ImageFont::ReadFromCache(longName, "ResMan"), nullptr);
}

} // namespace
