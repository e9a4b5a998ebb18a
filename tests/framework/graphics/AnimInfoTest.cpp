// Completion of animation records: frame counts, ping-pong maps, first and
// last frame times and the total time.
#include "framework/graphics/AnimInfo.h"

#include "framework/graphics/MemoryImage.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

using Lumo::AnimInfo;

TEST(AnimInfoTest, Defaults)
{
    const AnimInfo info;
    EXPECT_EQ(info.mKind, AnimInfo::KIND_NONE);
    EXPECT_EQ(info.mFrameDelay, 1);
    EXPECT_EQ(info.mFrameCount, 1);
    EXPECT_TRUE(info.mPerFrameTimes.empty());
    EXPECT_TRUE(info.mFrameMap.empty());
}

TEST(AnimInfoTest, Compute)
{
    struct Case {
        const char* name;
        int kind, frameDelay;
        std::vector<int> perFrame, frameMap;
        int cels, beginDelay, endDelay;
        int frameCount, totalTime;
        std::vector<int> expectedPerFrame, expectedMap;
    };
    const Case cases[] = {
        {"ping-pong", 2, 50, {}, {}, 4, 0, 0, 6, 300, {}, {0, 1, 2, 3, 2, 1}},
        {"ping-pong of one cell", 2, 50, {}, {}, 1, 0, 0, 1, 50, {}, {}},
        {"first and last times", 0, 50, {}, {}, 3, 100, 200, 3, 350, {100, 50, 200}, {}},
        {"first time only", 3, 40, {}, {}, 3, 10, 0, 3, 90, {10, 40, 40}, {}},
        {"no cells", 0, 1, {}, {}, 0, 0, 0, 1, 1, {}, {}},
        {"delay raised to 1", 0, 0, {}, {}, 2, 0, 0, 2, 2, {}, {}},
        {"times cut to the count", 1, 10, {5, 0, 7, 9}, {}, 2, 0, 0, 2, 15, {5, 10}, {}},
        {"map sets the count", 3, 10, {}, {2, 0, 1}, 5, 0, 30, 3, 50, {10, 10, 30}, {2, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnimInfo info;
        info.mKind = c.kind;
        info.mFrameDelay = c.frameDelay;
        info.mPerFrameTimes = c.perFrame;
        info.mFrameMap = c.frameMap;
        info.Compute(c.cels, c.beginDelay, c.endDelay);
        EXPECT_EQ(info.mFrameCount, c.frameCount);
        EXPECT_EQ(info.mTotalTime, c.totalTime);
        EXPECT_EQ(info.mPerFrameTimes, c.expectedPerFrame);
        EXPECT_EQ(info.mFrameMap, c.expectedMap);
    }
}

TEST(AnimInfoTest, ImagesCopyTheirInfo)
{
    TestApp app;
    Lumo::MemoryImage source;
    source.mAnimInfo = new AnimInfo;
    source.mAnimInfo->mFrameMap = {1, 2};
    source.mNumCols = 4;
    Lumo::MemoryImage copy(source);
    ASSERT_NE(copy.mAnimInfo, nullptr);
    EXPECT_NE(copy.mAnimInfo, source.mAnimInfo);
    EXPECT_EQ(copy.mAnimInfo->mFrameMap, (std::vector<int>{1, 2}));

    Lumo::MemoryImage other;
    other.CopyAttributes(&source);
    EXPECT_EQ(other.mNumCols, 4);
    ASSERT_NE(other.mAnimInfo, nullptr);
    EXPECT_EQ(other.mAnimInfo->mFrameMap, (std::vector<int>{1, 2}));
    Lumo::MemoryImage plain;
    other.CopyAttributes(&plain);
    EXPECT_EQ(other.mAnimInfo, nullptr);
    EXPECT_EQ(other.mNumCols, 1);
}
