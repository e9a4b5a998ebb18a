// The software cursor: drawn onto the screen between frames, moved without
// a trace or a gap, taken away again, clipped at the edge, drawn into each
// presented frame and kept out of the draw surface.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/DisplayResults.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using Lumo::DDInterface;
using Lumo::MemoryImage;
using namespace Plat;

namespace {

constexpr uint32_t kCursorColour = 0xFF0000;
constexpr int kClientX = 100;
constexpr int kClientY = 50;

uint32_t Background(int x, int y)
{
    return static_cast<uint32_t>((x * 7 + y * 13) & 0xFF) << 16 | static_cast<uint32_t>(x & 0xFF) << 8 |
           static_cast<uint32_t>(y & 0xFF) | 0x000001;
}

class DDInterfaceCursorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(d.Init(DisplayTestWindow(), true), 0);
        DisplaySurface* draw = d.mDrawSurface;
        for (int y = 0; y < draw->Height(); ++y) {
            for (int x = 0; x < draw->Width(); ++x) {
                draw->WritePixel(x, y, Background(x, y));
            }
        }
        ASSERT_TRUE(d.Redraw());
        // A 16 x 16 opaque square with a transparent corner pixel.
        std::vector<uint32_t> pixels(16 * 16, 0xFF000000 | kCursorColour);
        pixels[0] = 0x00000000;
        cursor.SetBits(pixels.data(), 16, 16);
    }

    // The client area of the primary against the background with the
    // cursor square centred on (cx, cy) (none when cx < -100); counts the
    // pixels that differ.
    int Differences(DisplaySurface* surface, int originX, int originY, int cx, int cy)
    {
        int wrong = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const bool inSquare = cx > -100 && x >= cx - 8 && x < cx + 8 && y >= cy - 8 && y < cy + 8 &&
                                      !(x == cx - 8 && y == cy - 8);
                const uint32_t expected = inSquare ? kCursorColour : Background(x, y);
                // The unused top byte of a 32-bit pixel may hold anything.
                wrong += (surface->ReadPixel(originX + x, originY + y) & 0xFFFFFF) != expected;
            }
        }
        return wrong;
    }
    int ScreenDifferences(int cx, int cy) { return Differences(d.mPrimarySurface, kClientX, kClientY, cx, cy); }

    TestDisplayHost host;
    TestApp app;
    DDInterface& d = *app.AddDisplay();
    MemoryImage cursor{&app};
};

TEST_F(DDInterfaceCursorTest, DrawnMovedAndRemovedWithoutTrace)
{
    EXPECT_TRUE(d.SetCursorImage(&cursor));
    EXPECT_FALSE(d.SetCursorImage(&cursor));

    d.SetCursorPos(100, 100);
    EXPECT_TRUE(d.mCursorDrawn);
    EXPECT_EQ(ScreenDifferences(100, 100), 0);

    // One pixel at a time, both ways, then far away (no overlap).
    const int path[][2] = {{101, 100}, {101, 101}, {100, 100}, {99, 99}, {300, 200}, {305, 190}};
    for (const auto& p : path) {
        SCOPED_TRACE(testing::Message() << p[0] << "," << p[1]);
        d.SetCursorPos(p[0], p[1]);
        EXPECT_EQ(d.mCursorPrevX, p[0]);
        EXPECT_EQ(ScreenDifferences(p[0], p[1]), 0);
    }

    d.RemoveCursor(d.mPrimarySurface, true);
    EXPECT_FALSE(d.mCursorDrawn);
    EXPECT_EQ(ScreenDifferences(-1000, 0), 0);
    // The draw surface never saw the cursor.
    EXPECT_EQ(Differences(d.mDrawSurface, 0, 0, -1000, 0), 0);
    EXPECT_TRUE(d.mPrimarySurface->PaddingIntact());
}

TEST_F(DDInterfaceCursorTest, AtTheCornerOnlyTheVisibleQuarter)
{
    d.SetCursorImage(&cursor);
    // Old area contents before: all zero.
    d.SetCursorPos(0, 0);
    ASSERT_TRUE(d.mCursorDrawn);
    // Saved: the lower-right quarter of the 64 x 64 area holds the
    // background of client (0..31, 0..31); the rest was not touched.
    int wrong = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const uint32_t expected = x >= 32 && y >= 32 ? Background(x - 32, y - 32) : 0;
            wrong += d.mOldCursorArea->ReadPixel(x, y) != expected;
        }
    }
    EXPECT_EQ(wrong, 0);
    // The visible quarter of the cursor: client (0..7, 0..7).
    EXPECT_EQ(ScreenDifferences(0, 0), 0);
    // Nothing left of or above the client area was written.
    EXPECT_EQ(d.mPrimarySurface->ReadPixel(kClientX - 1, kClientY), 0U);
    EXPECT_EQ(d.mPrimarySurface->ReadPixel(kClientX, kClientY - 1), 0U);

    d.SetCursorPos(1, 1);
    EXPECT_EQ(ScreenDifferences(1, 1), 0);
    d.RemoveCursor(d.mPrimarySurface, true);
    EXPECT_EQ(ScreenDifferences(-1000, 0), 0);
}

TEST_F(DDInterfaceCursorTest, FramesCarryTheCursor)
{
    d.SetCursorImage(&cursor);
    // While a frame is presented a new position is only stored.
    d.mInRedraw = true;
    d.SetCursorPos(200, 150);
    d.mInRedraw = false;
    EXPECT_EQ(d.mCursorX, 200);
    EXPECT_FALSE(d.mCursorDrawn);
    EXPECT_EQ(ScreenDifferences(-1000, 0), 0);

    // The next frame draws it there; the draw surface is clean afterwards.
    ASSERT_TRUE(d.Redraw());
    EXPECT_TRUE(d.mCursorDrawn);
    EXPECT_EQ(d.mCursorPrevX, 200);
    EXPECT_EQ(ScreenDifferences(200, 150), 0);
    EXPECT_EQ(Differences(d.mDrawSurface, 0, 0, -1000, 0), 0);

    // Between frames it moves on the screen without a trace.
    d.SetCursorPos(201, 151);
    EXPECT_EQ(ScreenDifferences(201, 151), 0);
    ASSERT_TRUE(d.Redraw());
    EXPECT_EQ(ScreenDifferences(201, 151), 0);
    EXPECT_EQ(Differences(d.mDrawSurface, 0, 0, -1000, 0), 0);

    // Without a cursor image nothing is drawn.
    d.SetCursorImage(nullptr);
    d.mCursorDrawn = false;
    ASSERT_TRUE(d.Redraw());
    EXPECT_FALSE(d.mCursorDrawn);
    EXPECT_EQ(ScreenDifferences(-1000, 0), 0);
}

TEST_F(DDInterfaceCursorTest, FullScreenFlipCarriesTheCursor)
{
    host.clientX = 0;
    host.clientY = 0;
    app.colorDepth = 32;
    ASSERT_EQ(d.Init(DisplayTestWindow(), false), 0);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            d.mDrawSurface->WritePixel(x, y, Background(x, y));
        }
    }
    d.SetCursorImage(&cursor);
    d.mInRedraw = true;
    d.SetCursorPos(320, 240);
    d.mInRedraw = false;
    ASSERT_TRUE(d.Redraw());
    EXPECT_EQ(Differences(d.mPrimarySurface, 0, 0, 320, 240), 0);
    // Moving it between frames goes straight to the visible buffer.
    d.SetCursorPos(330, 240);
    EXPECT_EQ(Differences(d.mPrimarySurface, 0, 0, 330, 240), 0);
}

TEST_F(DDInterfaceCursorTest, FailedSaveDrawsNothing)
{
    d.SetCursorImage(&cursor);
    host.InjectFault(DisplayCall::Blt, 1, DDERR_SURFACEBUSY);
    host.InjectFault(DisplayCall::Blt, 2, DDERR_SURFACEBUSY);
    d.SetCursorPos(100, 100);
    EXPECT_FALSE(d.mCursorDrawn);
    EXPECT_EQ(ScreenDifferences(-1000, 0), 0);
}

TEST_F(DDInterfaceCursorTest, CursorThreadAndFramesTogether)
{
    d.SetCursorImage(&cursor);
    std::thread mover([this] {
        for (int i = 0; i < 300; ++i) {
            d.SetCursorPos(100 + i % 37, 120 + i % 23);
        }
    });
    for (int frame = 0; frame < 30; ++frame) {
        ASSERT_TRUE(d.Redraw());
    }
    mover.join();
    // Whatever interleaving happened, the picture ends clean.
    d.SetCursorPos(250, 250);
    EXPECT_EQ(ScreenDifferences(250, 250), 0);
    ASSERT_TRUE(d.Redraw());
    EXPECT_EQ(ScreenDifferences(250, 250), 0);
    EXPECT_EQ(Differences(d.mDrawSurface, 0, 0, -1000, 0), 0);
}

} // namespace
