// Animated objects drawn through the Platform layer on an 800 x 600 memory
// image: the one-pixel offset, colour, additive mode, the 80-pixel cull
// margin, clipping and its reset, tile copies, frame numbers out of range and
// values that are not numbers.
#include "game/engine/AnimObject.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"
#include "support/EngineDrawing.h"
#include "support/FakePlatformHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

using Box = LumoTest::ScreenBox;

class AnimObjectDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Lumo::TriangleRasterizer::InitSpanFunctions();
        mScreen.Create(800, 600);
        mScreen.SetImageMode(false, false);
        Clear();
        mGraphics = std::make_unique<Lumo::Graphics>(&mScreen);
        mPlatform.SetGraphics(mGraphics.get());
        mGame->mPlatform = &mPlatform;
        mScreenObject = mGame->mLiveObjects.Append(new AnimObject);
        mScreenObject->AddStage(100000.0f, 0, 0, 1, nullptr);
    }
    void TearDown() override
    {
        // Objects let go of the pictures before the pictures go.
        mGame.reset();
    }

    // A picture of the given columns of colour, each `columnWidth` wide.
    ImageRecord* Picture(int width, int height, std::vector<uint32_t> columnColours = {kRed}, int columnWidth = 0)
    {
        mPictures.push_back(LumoTest::MakeColumnPicture(width, height, columnColours, columnWidth));
        return mPictures.back().get();
    }

    // A child of the screen showing the picture whole (source 0, 0, width, height) at (x, y).
    AnimObject* Shown(ImageRecord* picture, float x, float y)
    {
        AnimObject* object = mScreenObject->AppendChild(nullptr);
        object->AddStage(100000.0f, 0, 0, 1, nullptr);
        object->SetImageRecord(picture);
        object->mSource[2] = picture->mWidth;
        object->mSource[3] = picture->mHeight;
        object->mLocal[kAttrX] = x;
        object->mLocal[kAttrY] = y;
        return object;
    }

    void Clear()
    {
        uint32_t* bits = mScreen.GetBits();
        for (size_t i = 0; i < mScreen.PixelCount(); ++i)
            bits[i] = kBlack;
        mScreen.BitsChanged();
    }

    void Frame()
    {
        Clear();
        UpdateLiveObjects(*mGame);
        DrawLiveObjects(*mGame);
    }

    uint32_t Pixel(int x, int y) { return mScreen.GetBits()[y * 800 + x]; }

    // The bounding box of the pixels that are not black.
    Box DrawnBox()
    {
        return LumoTest::ScreenBoxWhere(mScreen.GetBits(), [](uint32_t pixel) { return pixel != kBlack; });
    }

    std::vector<std::unique_ptr<ImageRecord>> mPictures;
    Lumo::MemoryImage mScreen;
    std::unique_ptr<Lumo::Graphics> mGraphics;
    FakePlatformHost mHost;
    Platform mPlatform{&mHost};
    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
    AnimObject* mScreenObject = nullptr;
};

TEST_F(AnimObjectDrawTest, AnImageLandsCentredOnThePositionWithTheOnePixelOffsets)
{
    AnimObject* object = Shown(Picture(10, 10), 100.0f, 100.0f);
    // Nothing before the first update, even when visible.
    DrawLiveObjects(*mGame);
    EXPECT_EQ(DrawnBox(), Box{});
    Frame();
    // x: 100 - 10 / 2 - 1 (the object's offset) + 1 (the platform's) = 95;
    // y: 100 - 10 / 2 + 1 = 96; ten pixels each way.
    EXPECT_EQ(DrawnBox(), (Box{95, 96, 104, 105}));
    EXPECT_EQ(Pixel(95, 96), kRed);

    // The record's own source rectangle is one pixel short: (0, 0, 9, 9).
    object->SetImageRecord(Picture(10, 10, {kGreen}));
    EXPECT_EQ(object->mSource[2], 9.0f);
    Frame();
    // x: 100 - 4.5 - 1 + 1 = 95.5 -> 95; y: 100 - 4.5 + 1 = 96.5 -> 96; nine pixels.
    EXPECT_EQ(Pixel(95, 96), kGreen);
    EXPECT_EQ(Pixel(103, 104), kGreen);
    EXPECT_EQ(Pixel(104, 105), kBlack);
}

TEST_F(AnimObjectDrawTest, ColourAndAdditiveMode)
{
    AnimObject* tinted = Shown(Picture(10, 10, {kWhite}), 100.0f, 100.0f);
    tinted->mLocal[kAttrG] = 0.0f;
    tinted->mLocal[kAttrB] = 0.0f;
    // Red over green, additive: both channels.
    Shown(Picture(10, 10, {kGreen}), 200.0f, 100.0f);
    Shown(Picture(10, 10, {kRed}), 205.0f, 100.0f)->mBlitStyle = 1;
    // Red over green, normal: red only.
    Shown(Picture(10, 10, {kGreen}), 300.0f, 100.0f);
    Shown(Picture(10, 10, {kRed}), 305.0f, 100.0f);
    Frame();
    // White tinted by (1, 0, 0): red alone (the tint multiplies by 255 / 256).
    const uint32_t tintedPixel = Pixel(100, 100);
    EXPECT_GE((tintedPixel >> 16) & 0xFF, 253u);
    EXPECT_EQ(tintedPixel & 0xFFFF, 0u);
    // Green covers 195 .. 204 and red 200 .. 209: added where they meet.
    EXPECT_EQ(Pixel(197, 100), kGreen);
    EXPECT_EQ(Pixel(202, 100), 0xFFFFFF00u);
    EXPECT_EQ(Pixel(207, 100), kRed);
    EXPECT_EQ(Pixel(302, 100), kRed);
    // The draw mode is back to normal after the additive object.
    EXPECT_EQ(mGraphics->GetDrawMode(), 0);
}

TEST_F(AnimObjectDrawTest, ObjectsBeyondTheCullMarginAreNotDrawn)
{
    // Three copies 100 wide to the right of a picture at x; the cull box is
    // 200 wide around x and must meet the screen grown by 40 on each side:
    // |x - 400| <= 100 + 440, so x = -140 is drawn and x = -141 is not.
    // At x = -140 the third copy covers 10 .. 109.
    struct Case {
        float x;
        bool drawn;
    };
    for (const Case& c : {Case{-140.0f, true}, Case{-141.0f, false}}) {
        SCOPED_TRACE(c.x);
        AnimObject* object = Shown(Picture(100, 20), c.x, 300.0f);
        object->mTilesRight = 2;
        Frame();
        EXPECT_EQ(Pixel(60, 300) == kRed, c.drawn);
        // Exempt from culling, it is drawn anyway.
        object->mNoCull = 1;
        Frame();
        EXPECT_EQ(Pixel(60 - (c.drawn ? 0 : 1), 300), kRed);
        mScreenObject->mChildren.Remove(object);
    }
}

TEST_F(AnimObjectDrawTest, AClipFromOutsideTheScreenIsCutToItAndResetAfterwards)
{
    // 100 wide at x = 50 covers 0 .. 99; the clip from x -5 to 50 keeps 0 .. 49.
    AnimObject* clipped = Shown(Picture(100, 20), 50.0f, 100.0f);
    clipped->mClipLeft = -5;
    clipped->mClipTop = 0;
    clipped->mClipRight = 50;
    clipped->mClipBottom = 600;
    Shown(Picture(100, 20, {kGreen}), 50.0f, 200.0f);
    Frame();
    EXPECT_EQ(Pixel(0, 100), kRed);
    EXPECT_EQ(Pixel(49, 100), kRed);
    EXPECT_EQ(Pixel(50, 100), kBlack);
    // The object drawn after it is not clipped.
    EXPECT_EQ(Pixel(0, 200), kGreen);
    EXPECT_EQ(Pixel(99, 200), kGreen);
}

TEST_F(AnimObjectDrawTest, AMillionTilesEachWayDrawOnlyTheCopiesOnScreen)
{
    AnimObject* object = Shown(Picture(10, 10, {kRed, kGreen}, 5), 400.0f, 300.0f);
    object->mTilesLeft = object->mTilesRight = object->mTilesUp = object->mTilesDown = 1000000;
    const auto start = std::chrono::steady_clock::now();
    Frame();
    const auto took = std::chrono::steady_clock::now() - start;
    // Copies every 10 pixels from x = 400 - 5 = 395: red at 395 .. 399, 5 .. 9, ...
    for (int x : {0, 5, 395, 795}) {
        EXPECT_EQ(Pixel(x, 0), (x % 10) < 5 ? kGreen : kRed) << x;
        EXPECT_EQ(Pixel(x, 599), (x % 10) < 5 ? kGreen : kRed) << x;
    }
    // Some ten thousand draws, not 4 * 10^12; far below a minute even under the sanitizers.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(took).count(), 60);
}

TEST_F(AnimObjectDrawTest, FrameNumbersOutsideTheTableShowItsEnds)
{
    // Three frames of 10 x 10 side by side: red, green, blue.
    ImageRecord* strip = Picture(30, 10, {kRed, kGreen, kBlue}, 10);
    ASSERT_TRUE(strip->SetFrames(10.0f, 10.0f, 3, 0.0f));
    struct Case {
        float frame;
        uint32_t colour;
    };
    const Case cases[] = {{0.0f, kRed},     {1.7f, kGreen}, {2.0f, kBlue},         {1e9f, kBlue},
                          {-5.0f, kRed},    {-1e30f, kRed}, {std::nanf(""), kRed}, {INFINITY, kBlue}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        AnimObject* object = Shown(strip, 100.0f, 100.0f);
        object->mLocal[kAttrFrameNumber] = c.frame;
        Frame();
        EXPECT_EQ(Pixel(100, 100), c.colour);
        mScreenObject->mChildren.Remove(object);
    }
}

TEST_F(AnimObjectDrawTest, ValuesThatAreNotNumbersDrawNothingAndBreakNothing)
{
    AnimObject* noAlpha = Shown(Picture(10, 10), 100.0f, 100.0f);
    noAlpha->mLocal[kAttrAlpha] = std::nanf("");
    AnimObject* nowhere = Shown(Picture(10, 10), std::nanf(""), 100.0f);
    nowhere->mBilinear = 0;
    AnimObject* hidden = Shown(Picture(10, 10), 300.0f, 100.0f);
    hidden->CurrentStage()->mVisible = 0;
    Frame();
    EXPECT_EQ(DrawnBox(), Box{});
    // A hidden object still runs its stages.
    EXPECT_EQ(hidden->mFrameCounter, 1.0f);
}

} // namespace
