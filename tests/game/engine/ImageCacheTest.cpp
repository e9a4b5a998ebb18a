// The image cache: pictures loaded once and found by exact name, use counts,
// frame tables cut row by row (and refused for layouts that cannot be cut),
// failed loads that leave nothing behind, and blank records outside the cache.
#include "game/engine/ImageCache.h"

#include "game/engine/ImageRecord.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"
#include "support/FakePlatformHost.h"
#include "support/FakePlatformRecorder.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class ImageCacheTest : public ::testing::Test {
protected:
    // Writes a width x height picture and gives its path.
    std::string WritePicture(const std::string& name, int width, int height)
    {
        TgaHeader header;
        header.width = static_cast<uint16_t>(width);
        header.height = static_cast<uint16_t>(height);
        const std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0xFF336699u);
        return folder.Write(name, TgaWriter::Build(header, pixels));
    }

    TempFolder folder;
    FakePlatformRecorder boxes;
    FakePlatformHost host;
    Platform platform{&host};
    ImageCache cache{&platform};
};

TEST_F(ImageCacheTest, PictureIsCutRowByRow)
{
    const std::string path = WritePicture("strip.tga", 100, 40);
    ImageRecord* record = cache.Get(path.c_str(), 30.0f, 20.0f, 6, 25.0f);
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->mName, path.c_str());
    EXPECT_EQ(record->mWidth, 100.0f);
    EXPECT_EQ(record->mHeight, 40.0f);
    EXPECT_EQ(record->mFrameWidth, 30.0f);
    EXPECT_EQ(record->mFrameHeight, 20.0f);
    EXPECT_EQ(record->mFrameCount, 6);
    // 25 frames per second: 40 ms, 10 ticks.
    EXPECT_EQ(record->mFrameDuration, 10.0f);
    ASSERT_NE(record->mFrames, nullptr);
    const float expected[6][4] = {{0, 0, 30, 20}, {30, 0, 60, 20}, {60, 0, 90, 20},
                                  {0, 20, 30, 40}, {30, 20, 60, 40}, {60, 20, 90, 40}};
    for (int k = 0; k < 6; ++k) {
        const ImageFrame& f = record->mFrames[k];
        EXPECT_EQ(f.mX0, expected[k][0]) << k;
        EXPECT_EQ(f.mY0, expected[k][1]) << k;
        EXPECT_EQ(f.mX1, expected[k][2]) << k;
        EXPECT_EQ(f.mY1, expected[k][3]) << k;
    }
    ASSERT_TRUE(record->GetBits());
    EXPECT_EQ(record->mRowPitch, 400);
    EXPECT_EQ(record->mBits[0], 0xFF336699u);
}

TEST_F(ImageCacheTest, FramesThatDoNotFitAreEmpty)
{
    ImageRecord record;
    record.mWidth = 100.0f;
    record.mHeight = 40.0f;
    ASSERT_TRUE(record.SetFrames(30.0f, 20.0f, 9, 0.0f));
    EXPECT_EQ(record.mFrameCount, 9);
    EXPECT_EQ(record.mFrameDuration, 0.0f);
    EXPECT_EQ(record.mFrames[5].mX1, 90.0f);
    for (int k = 6; k < 9; ++k) {
        EXPECT_EQ(record.mFrames[k].mX0, 0.0f);
        EXPECT_EQ(record.mFrames[k].mY0, 0.0f);
        EXPECT_EQ(record.mFrames[k].mX1, 0.0f);
        EXPECT_EQ(record.mFrames[k].mY1, 0.0f);
    }
}

TEST_F(ImageCacheTest, TinyFrameHeightsEndTheCut)
{
    // Wider than the picture: no row ever takes a frame, and a height that
    // barely moves y must not keep the cut going.
    ImageRecord wide;
    wide.mWidth = 100.0f;
    wide.mHeight = 40.0f;
    ASSERT_TRUE(wide.SetFrames(200.0f, 1e-30f, 5, 0.0f));
    EXPECT_EQ(wide.mFrames[0].mX1, 0.0f);
    // Frames that fit across but hardly advance down: the count ends the cut.
    ImageRecord thin;
    thin.mWidth = 100.0f;
    thin.mHeight = 40.0f;
    ASSERT_TRUE(thin.SetFrames(30.0f, 1e-30f, ImageRecord::kMaxFrames, 0.0f));
    EXPECT_EQ(thin.mFrames[ImageRecord::kMaxFrames - 1].mX1, 30.0f);
}

TEST_F(ImageCacheTest, LayoutsThatCannotBeCutGetNoTable)
{
    struct Case {
        float fw, fh;
        int count;
    };
    // A height of 0 would never leave the row loop; counts below 1 have no table.
    const Case cases[] = {{30, 0, 6},   {30, -5, 6},         {-30, 20, 6}, {30, 20, 0},
                          {30, 20, -3}, {std::nanf(""), 20, 2}, {30, INFINITY, 2}, {30, 20, ImageRecord::kMaxFrames + 1}};
    for (const Case& c : cases) {
        ImageRecord record;
        record.mWidth = 100.0f;
        record.mHeight = 40.0f;
        EXPECT_FALSE(record.SetFrames(c.fw, c.fh, c.count, 0.0f)) << c.fw << " " << c.fh << " " << c.count;
        EXPECT_EQ(record.mFrames, nullptr);
        EXPECT_EQ(record.mFrameCount, 1);
        EXPECT_EQ(record.mFrameWidth, 100.0f);
        EXPECT_EQ(record.mFrameHeight, 40.0f);
    }
    // Through the cache: the record loads and keeps the whole picture as its frame.
    const std::string path = WritePicture("flat.tga", 16, 8);
    ImageRecord* record = cache.Get(path.c_str(), 4.0f, 0.0f, 4, 0.0f);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->mFrames, nullptr);
    EXPECT_EQ(record->mFrameWidth, 16.0f);
    EXPECT_EQ(record->mFrameHeight, 8.0f);
}

TEST_F(ImageCacheTest, NamesAreFoundExactlyAndCounted)
{
    const std::string path = WritePicture("Gem.tga", 4, 4);
    ImageRecord* first = cache.Get(path.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->mUseCount, 1);
    EXPECT_EQ(first->mFrameCount, 1);
    EXPECT_EQ(first->mFrames, nullptr);
    ImageRecord* second = cache.Get(path.c_str(), 2.0f, 2.0f, 4, 10.0f);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->mUseCount, 2);
    EXPECT_EQ(first->mFrames, nullptr);
    EXPECT_EQ(cache.GetCount(), 1);
    EXPECT_EQ(host.imageRequests.size(), 1u);

    // Another case is another name (the file layer may still find the same file).
    std::string other = path;
    other.replace(other.size() - 7, 3, "GEM");
    ImageRecord* upper = cache.Get(other.c_str());
    if (upper != nullptr) {
        EXPECT_NE(upper, first);
        EXPECT_EQ(cache.GetCount(), 2);
    }
    EXPECT_EQ(host.imageRequests.size(), 2u);

    cache.Release(first);
    EXPECT_FALSE(cache.Contains(first));
    cache.FreeAll();
    EXPECT_EQ(cache.GetCount(), 0);
}

TEST_F(ImageCacheTest, FailedLoadLeavesNothingAndTriesAgainLater)
{
    const std::string path = folder.Join("late.tga");
    EXPECT_EQ(cache.Get(path.c_str()), nullptr);
    EXPECT_EQ(cache.Get(path.c_str()), nullptr);
    EXPECT_EQ(cache.GetCount(), 0);
    EXPECT_EQ(host.imageRequests.size(), 2u);
    // The image box once for the path.
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, path);
    EXPECT_EQ(boxes.boxes[0].title, "ERROR: Failed to load image");

    WritePicture("late.tga", 2, 2);
    ImageRecord* record = cache.Get(path.c_str());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->mUseCount, 1);
    EXPECT_EQ(cache.GetCount(), 1);
}

TEST_F(ImageCacheTest, NamesThatCannotBeStoredAreRefused)
{
    const std::string longest(255, 'a');
    const std::string tooLong(256, 'a');
    EXPECT_EQ(cache.Get(tooLong.c_str()), nullptr);
    EXPECT_EQ(cache.Get(""), nullptr);
    EXPECT_EQ(cache.Get(nullptr), nullptr);
    EXPECT_TRUE(host.imageRequests.empty());
    EXPECT_EQ(cache.Get(longest.c_str()), nullptr);
    EXPECT_EQ(host.imageRequests.size(), 1u);

    ImageCache platformless;
    EXPECT_EQ(platformless.Get("gfx/x.png"), nullptr);
}

TEST_F(ImageCacheTest, BlankRecordsLiveOutsideTheCache)
{
    ImageRecord* blank = cache.CreateBlank(64, 32);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->mName[0], '\0');
    EXPECT_EQ(blank->mWidth, 64.0f);
    EXPECT_EQ(blank->mFrameHeight, 32.0f);
    EXPECT_EQ(blank->mImage->GetWidth(), 64.0f);
    EXPECT_EQ(cache.GetCount(), 0);
    EXPECT_FALSE(cache.Contains(blank));
    cache.Release(blank); // destroyed directly (the sanitizer build checks it)
    cache.Release(nullptr);

    EXPECT_EQ(cache.CreateBlank(0, 10), nullptr);
    EXPECT_EQ(cache.CreateBlank(10, -1), nullptr);
}

} // namespace
