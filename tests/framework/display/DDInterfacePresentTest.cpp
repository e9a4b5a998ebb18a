// Presentation: the draw surface reaches the window's client area or the
// full screen (flip against blit), through the down-scaling chain, split in
// two halves by the scan line, and failures become error texts.
#include "framework/display/DDInterface.h"
#include "platform/video/DisplayResults.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

using Lumo::DDInterface;
using Lumo::TRect;
using namespace Plat;

namespace {

uint32_t Background(int x, int y)
{
    return static_cast<uint32_t>((x * 7 + y * 13) & 0xFF) << 16 | static_cast<uint32_t>(x & 0xFF) << 8 |
           static_cast<uint32_t>(y & 0xFF);
}

class DDInterfacePresentTest : public ::testing::Test {
protected:
    DDInterface& Display() { return *app.AddDisplay(); }
    void Start(bool windowed)
    {
        if (!windowed) {
            host.clientX = 0; // a full-screen window covers the screen
            host.clientY = 0;
            app.colorDepth = 32;
        }
        ASSERT_EQ(Display().Init(DisplayTestWindow(), windowed), 0);
        DisplaySurface* draw = Display().mDrawSurface;
        for (int y = 0; y < draw->Height(); ++y) {
            for (int x = 0; x < draw->Width(); ++x) {
                draw->WritePixel(x, y, Background(x, y));
            }
        }
    }
    // Every pixel of the last presented frame against the background,
    // scaled by `step`.
    void ExpectFrameShowsBackground(int width, int height, int step)
    {
        ASSERT_EQ(host.presenter.LastWidth(), width);
        ASSERT_EQ(host.presenter.LastHeight(), height);
        const std::vector<uint8_t> frame = host.presenter.LastFrame();
        ASSERT_EQ(frame.size(), static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t shown = 0;
                std::memcpy(&shown, frame.data() + (static_cast<size_t>(y) * width + x) * 4, 4);
                wrong += shown != Background(x * step, y * step);
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    TestDisplayHost host;
    TestApp app;
};

TEST_F(DDInterfacePresentTest, WindowedFrameReachesTheClientArea)
{
    Start(true);
    ASSERT_TRUE(Display().Redraw());
    EXPECT_FALSE(Display().mInRedraw);
    ExpectFrameShowsBackground(640, 480, 1);
    EXPECT_EQ(host.presenter.LastLayout(), PixelLayout::Xrgb8888);
    // On the desktop-sized primary, at the client origin (100, 50).
    EXPECT_EQ(Display().mPrimarySurface->ReadPixel(100 + 3, 50 + 2), Background(3, 2));
    EXPECT_EQ(Display().mPrimarySurface->ReadPixel(99, 50), 0U);

    // The checksum of the packed frame.
    std::vector<uint8_t> expected;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const uint32_t p = Background(x, y);
            expected.insert(expected.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24)});
        }
    }
    uint32_t hash = 2166136261u;
    for (uint8_t byte : expected) {
        hash = (hash ^ byte) * 16777619u;
    }
    EXPECT_EQ(host.presenter.Checksum(), hash);
}

TEST_F(DDInterfacePresentTest, ClipRectangle)
{
    Start(true);
    ASSERT_TRUE(Display().Redraw());
    DisplaySurface* draw = Display().mDrawSurface;
    draw->WritePixel(5, 5, 0x123456);
    draw->WritePixel(15, 15, 0x654321);
    const TRect<int> clip(10, 10, 20, 20);
    ASSERT_TRUE(Display().Redraw(&clip));
    EXPECT_EQ(Display().mPrimarySurface->ReadPixel(100 + 15, 50 + 15), 0x654321U);
    EXPECT_EQ(Display().mPrimarySurface->ReadPixel(100 + 5, 50 + 5), Background(5, 5));
}

TEST_F(DDInterfacePresentTest, FullScreenFlipsOrBlits)
{
    struct Case {
        const char* name;
        bool noFlip;
        bool allowFlip;
        int flips;
    };
    const Case cases[] = {
        {"page flip", false, true, 1},
        {"system dialog in front", true, true, 0},
        {"no flipping", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.noFlip = c.noFlip;
        app.allowFlip = c.allowFlip;
        Start(false);
        host.ClearFaults();
        ASSERT_TRUE(Display().Redraw());
        EXPECT_EQ(host.CallCount(DisplayCall::Flip), c.flips);
        EXPECT_EQ(host.CallCount(DisplayCall::Blt), 1);
        ExpectFrameShowsBackground(640, 480, 1);
        EXPECT_EQ(Display().mPrimarySurface->ReadPixel(7, 9), Background(7, 9));
    }
}

TEST_F(DDInterfacePresentTest, FailuresBecomeErrorTexts)
{
    struct Case {
        bool windowed;
        bool allowFlip;
        DisplayCall call;
        const char* text;
    };
    const Case cases[] = {
        {true, true, DisplayCall::Blt, "Redraw Windowed: DDERR_SURFACELOST"},
        {false, true, DisplayCall::Flip, "Redraw FullScreen Flip: DDERR_SURFACELOST"},
        {false, false, DisplayCall::Blt, "Redraw FullScreen Blt: DDERR_SURFACELOST"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        app.allowFlip = c.allowFlip;
        Start(c.windowed);
        host.InjectFault(c.call, 1, DDERR_SURFACELOST);
        EXPECT_FALSE(Display().Redraw());
        EXPECT_EQ(Display().mErrorText, c.text);
        EXPECT_FALSE(Display().mInRedraw);
        host.ClearFaults();
        EXPECT_TRUE(Display().Redraw());
    }
}

TEST_F(DDInterfacePresentTest, DownScalingChain)
{
    Start(true);
    host.clientWidth = 320;
    host.clientHeight = 240;
    Display().RecreateWindowedDrawSurface(320, 240);
    ASSERT_TRUE(Display().Redraw());
    // One surface of 320 x 240: every second pixel (nearest).
    ExpectFrameShowsBackground(320, 240, 2);

    // 160 x 120: 320 x 240 first, then the client size.
    host.clientWidth = 160;
    host.clientHeight = 120;
    Display().RecreateWindowedDrawSurface(160, 120);
    ASSERT_NE(Display().mScalingSurfaces[1], nullptr);
    ASSERT_TRUE(Display().Redraw());
    ExpectFrameShowsBackground(160, 120, 4);
}

TEST_F(DDInterfacePresentTest, TearAvoidance)
{
    app.waitForVSync = true;
    app.sleepPacing = false;
    Start(true);
    DDInterface& d = Display();
    // Split line 50 + 480 / 2 = 290, bottom line 50 + 480 = 530.
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, HResult>> lines;
        bool split;
    };
    const Case cases[] = {
        // Below the split line: not armed; above it: armed; below again: split.
        // Then the lower half waits for the raster to wrap (10 < 295).
        {"split on the line", {{300, DD_OK}, {10, DD_OK}, {295, DD_OK}, {500, DD_OK}, {10, DD_OK}}, true},
        {"split in the blank", {{10, DD_OK}, {0, DDERR_VERTICALBLANKINPROGRESS}, {600, DD_OK}}, true},
        {"never armed", std::vector<std::pair<uint32_t, HResult>>(250, {600, DD_OK}), false},
        {"scan line fails", {{10, DD_OK}, {0, DDERR_GENERIC}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d.mMissedSyncCount = 1;
        host.ClearFaults();
        host.verticalBlankWaits = 0;
        host.ScriptScanLines(c.lines);
        ASSERT_TRUE(d.Redraw());
        EXPECT_EQ(host.CallCount(DisplayCall::Blt), c.split ? 2 : 1);
        EXPECT_EQ(host.verticalBlankWaits, c.split ? 0 : 1);
        EXPECT_EQ(d.mMissedSyncCount, c.split ? 0 : 2);
        ExpectFrameShowsBackground(640, 480, 1);
        // Leftover script lines do not carry over.
        while (host.scanLineReads < 100000) {
            uint32_t line = 0;
            if (host.ScanLine(line) == DDERR_GENERIC) {
                break;
            }
        }
    }

    // Three missed frames in a row: from then on only the vertical blank.
    d.mMissedSyncCount = 0;
    for (int frame = 1; frame <= 3; ++frame) {
        ASSERT_TRUE(d.Redraw());
        EXPECT_EQ(d.mMissedSyncCount, frame);
    }
    const int reads = host.scanLineReads;
    const int waits = host.verticalBlankWaits;
    ASSERT_TRUE(d.Redraw());
    EXPECT_EQ(host.scanLineReads, reads);
    EXPECT_EQ(host.verticalBlankWaits, waits + 1);
    EXPECT_EQ(d.mMissedSyncCount, 3);

    // Without the vertical-sync setting nothing waits.
    app.waitForVSync = false;
    ASSERT_TRUE(d.Redraw());
    EXPECT_EQ(host.verticalBlankWaits, waits + 1);
    EXPECT_EQ(host.scanLineReads, reads);
}

} // namespace
