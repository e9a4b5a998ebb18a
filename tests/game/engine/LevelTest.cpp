// The screen object's fields: a new screen starts empty and still, the
// engine's objects read its mouse and sparkle image through it, and the
// images it holds are let go when it goes.
#include "game/engine/Level.h"

#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Platform.h"
#include "game/engine/ScreenAccess.h"
#include "support/FakePlatformHost.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(LevelTest, ANewScreenIsEmptyAndStill)
{
    GameState game;
    Level level;
    EXPECT_EQ(level.mKind, 0);
    EXPECT_EQ(level.mZOrder, 0.0f);
    EXPECT_EQ(level.mLevelNumber, 0u);
    EXPECT_EQ(level.mPaused, 0);
    EXPECT_EQ(level.mEditorMode, 0);
    EXPECT_EQ(level.mTitle[0], '\0');
    EXPECT_EQ(level.mMusicEntry, nullptr);
    EXPECT_EQ(level.mLeftClick, 0.0f);
    EXPECT_EQ(level.mShots + level.mHits + level.mTumbleCombos + level.mToneChain, 0);
}

TEST(LevelTest, ObjectsReadTheMouseAndSparklesOfTheirScreen)
{
    GameState game;
    Level level;
    level.mMouseX = 120.5f;
    level.mMouseY = -3.0f;
    float x = 0.0f;
    float y = 0.0f;
    ASSERT_TRUE(GetScreenMouse(level, x, y));
    EXPECT_EQ(x, 120.5f);
    EXPECT_EQ(y, -3.0f);
    EXPECT_EQ(GetLevelSparkleImage(level), nullptr);

    AnimObject plain;
    EXPECT_FALSE(GetScreenMouse(plain, x, y));
    EXPECT_EQ(GetLevelSparkleImage(plain), nullptr);
}

TEST(LevelTest, HeldImagesAreLetGoWithTheScreen)
{
    TempFolder folder;
    TgaHeader header;
    header.width = 2;
    header.height = 2;
    const std::string path = folder.Write("sparkle.tga", TgaWriter::Build(header, std::vector<uint32_t>(4, ~0u)));
    FakePlatformHost host;
    Platform platform(&host);
    GameState game;
    game.mImageCache.SetPlatform(&platform);

    ImageRecord* shared = game.mImageCache.Get(path.c_str());
    ASSERT_NE(shared, nullptr);
    {
        Level level;
        level.mSparkleImage = game.mImageCache.Get(path.c_str());
        EXPECT_EQ(GetLevelSparkleImage(level), shared);
        EXPECT_EQ(shared->mUseCount, 2);
    }
    EXPECT_EQ(shared->mUseCount, 1);
    EXPECT_TRUE(game.mImageCache.Contains(shared));
    {
        Level level;
        level.mSparkleImage = shared;
    }
    // The last holder gone: the record leaves the cache.
    EXPECT_EQ(game.mImageCache.GetCount(), 0);
}

} // namespace
