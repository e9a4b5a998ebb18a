// Starting the display: windowed and full-screen set-up, the result codes and
// error texts of every failing step, aspect handling, the refresh rate, the
// pixel-format tables, the draw-surface option and the down-scaling chain.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "platform/video/DisplayDeviceState.h"
#include "platform/video/DisplayResults.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using Lumo::DDInterface;
using Lumo::Ratio;
using Lumo::TRect;
using namespace Plat;

namespace {

class DDInterfaceTest : public ::testing::Test {
protected:
    DDInterface& Display() { return *app.AddDisplay(); }
    int Start(bool windowed) { return Display().Init(DisplayTestWindow(), windowed); }

    TestDisplayHost host; // before the display, which looks its entry points up
    TestApp app;
};

void ExpectRect(const TRect<int>& rect, int x, int y, int w, int h)
{
    EXPECT_EQ(rect.mX, x);
    EXPECT_EQ(rect.mY, y);
    EXPECT_EQ(rect.mWidth, w);
    EXPECT_EQ(rect.mHeight, h);
}

TEST_F(DDInterfaceTest, WindowedStart)
{
    ASSERT_EQ(Start(true), DDInterface::RESULT_OK);
    DDInterface& d = Display();
    EXPECT_TRUE(d.mInitialized);
    EXPECT_EQ(d.mInitCount, 1);
    EXPECT_TRUE(d.mIsWindowed);
    EXPECT_EQ(d.mWidth, 640);
    EXPECT_EQ(d.mHeight, 480);
    EXPECT_EQ(d.mAspect, Ratio(4, 3));
    EXPECT_EQ(d.mDesktopWidth, 1024);
    EXPECT_EQ(d.mDesktopAspect, Ratio(4, 3));
    EXPECT_FALSE(d.mIsAspectCorrected);
    ExpectRect(d.mPresentationRect, 0, 0, 640, 480);
    ExpectRect(app.presentationRect, 0, 0, 640, 480);
    EXPECT_EQ(d.mRefreshRate, 60);
    EXPECT_EQ(d.mMillisecondsPerFrame, 16);
    EXPECT_FALSE(app.vsyncBroken);
    EXPECT_TRUE(Lumo::gRGBOrder);

    // The primary is the desktop; the draw surface has the game's size.
    ASSERT_NE(d.mPrimarySurface, nullptr);
    EXPECT_EQ(d.mPrimarySurface->Width(), 1024);
    EXPECT_EQ(d.mPrimarySurface->Height(), 768);
    ASSERT_NE(d.mPrimarySurface->Clipper(), nullptr);
    EXPECT_EQ(d.mDrawSurface->Width(), 640);
    EXPECT_EQ(d.mDrawSurface->Height(), 480);
    EXPECT_EQ(d.mDD->State().cooperativeLevel, kDdsclNormal);
    EXPECT_FALSE(d.mDD->State().modeSet);

    // The screen image is the draw surface; the cursor areas are 64 x 64.
    ASSERT_NE(d.GetScreenImage(), nullptr);
    EXPECT_EQ(d.GetScreenImage()->mSurface, d.mDrawSurface);
    EXPECT_EQ(d.GetScreenImage()->GetWidth(), 640);
    EXPECT_FALSE(d.GetScreenImage()->mNoLock);
    EXPECT_EQ(d.mOldCursorArea->Width(), 64);
    EXPECT_EQ(d.mNewCursorAreaImage->GetHeight(), 64);
    EXPECT_TRUE(d.mOldCursorAreaImage->mForcedMode);
}

TEST_F(DDInterfaceTest, FullScreenStart)
{
    ASSERT_EQ(Start(false), DDInterface::RESULT_OK);
    DDInterface& d = Display();
    const DisplayDeviceState& state = d.mDD->State();
    EXPECT_TRUE(state.IsFullScreen());
    EXPECT_TRUE(state.modeSet);
    EXPECT_EQ(state.modeWidth, 640);
    EXPECT_EQ(state.modeHeight, 480);
    EXPECT_EQ(state.modeBits, 16);
    EXPECT_EQ(d.mRGBBits, 16);
    EXPECT_EQ(d.mPrimarySurface->Width(), 640);
    ASSERT_NE(d.mSecondarySurface, nullptr);
    EXPECT_EQ(d.mSecondarySurface, d.mPrimarySurface->BackBuffer());
    EXPECT_EQ(state.flipToGDICount, 0);

    // Without page flipping the start ends on the desktop's surface.
    app.allowFlip = false;
    ASSERT_EQ(Start(false), DDInterface::RESULT_OK);
    EXPECT_EQ(d.mDD->State().flipToGDICount, 1);
    EXPECT_EQ(d.mInitCount, 2);
}

TEST_F(DDInterfaceTest, FailingSteps)
{
    struct Case {
        const char* name;
        bool windowed;
        std::function<void(TestDisplayHost&, TestApp&)> setUp;
        int code;
        const char* errorText;
    };
    auto fault = [](DisplayCall call, int number, HResult result) {
        return [=](TestDisplayHost& h, TestApp&) { h.InjectFault(call, number, result); };
    };
    const Case cases[] = {
        {"create ex", true, fault(DisplayCall::DirectDrawCreateEx, 1, E_OUTOFMEMORY), 2,
         "DirectDrawCreateEx: E_OUTOFMEMORY"},
        {"query interface", true, fault(DisplayCall::QueryInterface, 1, E_NOINTERFACE), 2,
         "QueryrInterface IID_IDirectDraw: DSERR_NOINTERFACE"},
        {"create", true,
         [](TestDisplayHost& h, TestApp&) {
             h.hasDirectDrawCreateEx = false;
             h.InjectFault(DisplayCall::DirectDrawCreate, 1, DDERR_NODIRECTDRAWHW);
         },
         2, "DirectDrawCreate: DDERR_NODIRECTDRAWHW"},
        {"no library", true,
         [](TestDisplayHost& h, TestApp&) {
             h.hasDirectDrawCreateEx = false;
             h.hasDirectDrawCreate = false;
         },
         2, "DirectDrawCreate: DDERR_NODIRECTDRAWSUPPORT"},
        {"exclusive", false, fault(DisplayCall::SetCooperativeLevel, 1, DDERR_EXCLUSIVEMODEALREADYSET), 4,
         "SetCooperativeLevel FullScreen: DDERR_EXCLUSIVEMODEALREADYSET"},
        {"display mode", false, fault(DisplayCall::SetDisplayMode, 1, DDERR_UNSUPPORTEDMODE), 5,
         "SetDisplayMode FullScreen: DDERR_UNSUPPORTEDMODE"},
        {"24-bit mode", false, [](TestDisplayHost&, TestApp& a) { a.colorDepth = 24; }, 5,
         "SetDisplayMode FullScreen: DDERR_INVALIDMODE"},
        {"full primary", false, fault(DisplayCall::CreateSurface, 1, DDERR_OUTOFVIDEOMEMORY), 3,
         "CreateSurface FullScreen Primary: DDERR_OUTOFVIDEOMEMORY"},
        {"back buffer", false, fault(DisplayCall::GetAttachedSurface, 1, DDERR_SURFACELOST), 3,
         "GetAttachedSurface: DDERR_SURFACELOST"},
        {"full draw", false, fault(DisplayCall::CreateSurface, 2, DDERR_OUTOFMEMORY), 3,
         "CreateSurface FullScreen DrawSurface: E_OUTOFMEMORY"},
        {"full clipper", false, fault(DisplayCall::CreateClipper, 1, DDERR_GENERIC), 1,
         "CreateClipper FullScreen: DSERR_GENERIC"},
        {"windowed primary", true, fault(DisplayCall::CreateSurface, 1, DDERR_NODIRECTDRAWHW), 3,
         "CreateSurface Windowed Primary: DDERR_NODIRECTDRAWHW"},
        {"windowed primary format", true, fault(DisplayCall::CreateSurface, 1, DDERR_INVALIDPIXELFORMAT), 6, ""},
        {"24-bit desktop", true, [](TestDisplayHost& h, TestApp&) { h.desktopBits = 24; }, 6, ""},
        {"windowed draw", true, fault(DisplayCall::CreateSurface, 2, DDERR_INVALIDCAPS), 3,
         "CreateSurface Windowed DrawSurface: DDERR_INVALIDCAPS"},
        {"windowed clipper", true, fault(DisplayCall::CreateClipper, 1, DDERR_GENERIC), 1,
         "CreateClipper Windowed: DSERR_GENERIC"},
        {"old cursor area", true, fault(DisplayCall::CreateSurface, 3, DDERR_OUTOFMEMORY), 3,
         "CreateSurface OldCursorArea: E_OUTOFMEMORY"},
        {"new cursor area", true, fault(DisplayCall::CreateSurface, 4, DDERR_OUTOFMEMORY), 3,
         "CreateSurface NewCursorArea: E_OUTOFMEMORY"},
        {"3-D", true,
         [](TestDisplayHost& h, TestApp& a) {
             a.AddDisplay()->mIs3D = true;
             h.d3d.available = false;
         },
         7, "3D init error: QueryInterface IID_IDirect3D7: DSERR_NOINTERFACE"},
        {"3-D device", true,
         [](TestDisplayHost& h, TestApp& a) {
             a.AddDisplay()->mIs3D = true;
             h.InjectFault(DisplayCall::CreateDevice, 1, DDERR_OUTOFVIDEOMEMORY);
         },
         7, "3D init error: CreateDevice IID_IDirect3DHALDevice: DDERR_OUTOFVIDEOMEMORY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDisplayHost caseHost;
        TestApp caseApp;
        c.setUp(caseHost, caseApp);
        DDInterface& d = *caseApp.AddDisplay();
        EXPECT_EQ(d.Init(DisplayTestWindow(), c.windowed), c.code);
        EXPECT_EQ(d.mErrorText, c.errorText);
        EXPECT_FALSE(d.mInitialized);
        EXPECT_EQ(d.mInitCount, 0);
        // Nothing is presented from a display that did not start.
        EXPECT_FALSE(d.Redraw());
    }
}

TEST_F(DDInterfaceTest, ResultNames)
{
    const std::pair<int, const char*> names[] = {
        {0, "RESULT_OK"},
        {1, "RESULT_FAIL"},
        {2, "RESULT_DD_CREATE_FAIL"},
        {3, "RESULT_SURFACE_FAIL"},
        {4, "RESULT_EXCLUSIVE_FAIL"},
        {5, "RESULT_DISPCHANGE_FAIL"},
        {6, "RESULT_INVALID_COLORDEPTH"},
        {7, "RESULT_UNKNOWN"},
        {-1, "RESULT_UNKNOWN"},
    };
    for (const auto& name : names) {
        EXPECT_EQ(DDInterface::ResultToString(name.first), name.second);
    }
    EXPECT_FALSE(Display().CheckDXError(DD_OK, "step"));
    EXPECT_FALSE(Display().CheckDXError(0x12345, "step")); // not a failure
    EXPECT_TRUE(Display().CheckDXError(DDERR_SURFACELOST, "Step"));
    EXPECT_EQ(Display().mErrorText, "Step: DDERR_SURFACELOST");
}

TEST_F(DDInterfaceTest, RefreshRateIsHeldBetween60And100)
{
    struct Case {
        int hz;
        int rate;
        int msPerFrame;
        bool clamped;
    };
    const Case cases[] = {
        {0, 60, 16, true}, {59, 60, 16, true}, {120, 100, 10, true},
        {75, 75, 13, false}, {60, 60, 16, false}, {100, 100, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hz);
        host.monitorHz = c.hz;
        app.vsyncBroken = false;
        ASSERT_EQ(Start(true), 0);
        EXPECT_EQ(Display().mRefreshRate, c.rate);
        EXPECT_EQ(Display().mMillisecondsPerFrame, c.msPerFrame);
        EXPECT_EQ(app.vsyncBroken, c.clamped);
    }
}

TEST_F(DDInterfaceTest, PixelFormatTables)
{
    struct Case {
        int bits;
        bool rgb555;
        int widths[3];
        int shifts[3];
        uint32_t red255, red128, green128, blue1;
    };
    // Channel table entry i = (i * mask / 255) AND mask:
    // 565 red 128: 128 * 0xF800 / 255 = 0x7C7C -> 0x7800; green 128:
    // 128 * 0x7E0 / 255 = 0x3F3 -> 0x3E0. 555 green 128: 128 * 0x3E0 / 255 =
    // 0x1F3 -> 0x1E0. 32-bit red 128: 0x800000; blue 1: 0xFF / 255 = 1.
    const Case cases[] = {
        {16, false, {5, 6, 5}, {11, 5, 0}, 0xF800, 0x7800, 0x3E0, 0},
        {16, true, {5, 5, 5}, {10, 5, 0}, 0x7C00, 0x3C00, 0x1E0, 0},
        {32, false, {8, 8, 8}, {16, 8, 0}, 0xFF0000, 0x800000, 0x8000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits * 10 + c.rgb555);
        host.desktopBits = c.bits;
        host.desktop555 = c.rgb555;
        ASSERT_EQ(Start(true), 0);
        DDInterface& d = Display();
        EXPECT_EQ(d.mRGBBits, c.bits);
        EXPECT_EQ(d.mRedBits, c.widths[0]);
        EXPECT_EQ(d.mGreenBits, c.widths[1]);
        EXPECT_EQ(d.mBlueBits, c.widths[2]);
        EXPECT_EQ(d.mRedShift, c.shifts[0]);
        EXPECT_EQ(d.mGreenShift, c.shifts[1]);
        EXPECT_EQ(d.mBlueShift, c.shifts[2]);
        EXPECT_EQ(d.mRedConvTable[255], c.red255);
        EXPECT_EQ(d.mRedConvTable[128], c.red128);
        EXPECT_EQ(d.mGreenConvTable[128], c.green128);
        EXPECT_EQ(d.mBlueConvTable[1], c.blue1);
        EXPECT_EQ(d.mRedConvTable[0] | d.mGreenConvTable[0] | d.mBlueConvTable[0], 0U);

        // Saturation: 2^w * 2 - 1 entries; a sum of two channel values
        // comes out clamped at 2^w - 1.
        const int n = 1 << c.widths[1];
        EXPECT_EQ(d.mGreenAddTable[0], 0);
        EXPECT_EQ(d.mGreenAddTable[static_cast<size_t>(n - 1)], n - 1);
        EXPECT_EQ(d.mGreenAddTable[static_cast<size_t>(n)], n - 1);
        EXPECT_EQ(d.mGreenAddTable[static_cast<size_t>(2 * n - 2)], n - 1);
        const int r = 1 << c.widths[0];
        EXPECT_EQ(d.mRedAddTable[static_cast<size_t>(2 * r - 2)], r - 1);
    }
}

TEST_F(DDInterfaceTest, FullScreenAspect)
{
    host.desktopWidth = 1920;
    host.desktopHeight = 1080;
    struct Case {
        const char* name;
        bool is3D;
        bool stretch;
        int modeWidth, modeHeight;
        int drawWidth;
        TRect<int> presentation;
    };
    // 640 x 480 on 16:9: the picture keeps its shape (640 * 1080 / 480 =
    // 1440 wide, (1920 - 1440) / 2 = 240 from the left), or the draw surface
    // takes the desktop's shape (16 * 480 / 9 = 853 wide).
    const Case cases[] = {
        {"software", false, false, 640, 480, 640, TRect<int>(0, 0, 640, 480)},
        {"3-D, bars", true, false, 1920, 1080, 640, TRect<int>(240, 0, 1440, 1080)},
        {"3-D, stretched", true, true, 1920, 1080, 853, TRect<int>(0, 0, 1920, 1080)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DDInterface& d = Display();
        d.mIs3D = c.is3D;
        app.stretchToAspect = c.stretch;
        EXPECT_EQ(Start(false), 0);
        EXPECT_EQ(d.mIsAspectCorrected, c.is3D);
        EXPECT_EQ(d.mDD->State().modeWidth, c.modeWidth);
        EXPECT_EQ(d.mDD->State().modeHeight, c.modeHeight);
        EXPECT_EQ(d.mWidth, c.drawWidth);
        EXPECT_EQ(d.mDrawSurface->Width(), c.drawWidth);
        EXPECT_EQ(d.mPresentationRect, c.presentation);
        // The bars are black on both buffers.
        EXPECT_EQ(d.mPrimarySurface->ReadPixel(0, 0), 0U);
    }
}

TEST_F(DDInterfaceTest, DesktopOfHeightZero)
{
    // A headless desktop may report no height: nothing divides by it.
    host.desktopWidth = 1920;
    host.desktopHeight = 0;
    DDInterface& d = Display();
    d.mIs3D = true;
    app.stretchToAspect = true;
    EXPECT_EQ(Start(false), DDInterface::RESULT_DISPCHANGE_FAIL);
    EXPECT_EQ(d.mDesktopAspect, Ratio(1, 0));
    EXPECT_EQ(d.mWidth, 640);
    app.stretchToAspect = false;
    EXPECT_EQ(Start(false), DDInterface::RESULT_DISPCHANGE_FAIL);
    d.mIs3D = false;
    EXPECT_EQ(Start(true), DDInterface::RESULT_SURFACE_FAIL);
    EXPECT_EQ(d.mErrorText, "CreateSurface Windowed Primary: DDERR_INVALIDMODE");
}

TEST_F(DDInterfaceTest, AspectComparison)
{
    struct Case {
        Ratio a, b;
        bool less;
    };
    const Case cases[] = {
        {Ratio(4, 3), Ratio(16, 9), true},  {Ratio(16, 9), Ratio(4, 3), false}, {Ratio(4, 3), Ratio(4, 3), false},
        {Ratio(5, 4), Ratio(4, 3), true},   {Ratio(1920, 0), Ratio(4, 3), false}, {Ratio(4, 3), Ratio(1920, 0), true},
        {Ratio(1920, 0), Ratio(7, 0), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a < c.b, c.less) << c.a.mNumerator << ":" << c.a.mDenominator << " < " << c.b.mNumerator << ":"
                                     << c.b.mDenominator;
    }
}

TEST_F(DDInterfaceTest, WindowedAspectCorrection)
{
    app.aspectCorrection = true;
    app.windowAspect = Ratio(16, 9);
    host.borders = WindowBorders{3, 22, 3, 3};
    ASSERT_EQ(Start(true), 0);
    DDInterface& d = Display();
    // Display 16 * 480 / 9 = 853 wide; the client grows 106 to the left
    // of (100, 50); the frame adds 3 + 3 and 22 + 3; x stays on the desktop.
    EXPECT_TRUE(d.mIsAspectCorrected);
    EXPECT_EQ(d.mDisplayWidth, 853);
    EXPECT_EQ(d.mDisplayHeight, 480);
    ASSERT_EQ(host.moves.size(), 1U);
    EXPECT_EQ(host.moves[0], (std::vector<int>{0, 28, 859, 505}));
    EXPECT_EQ(d.mPresentationRect, TRect<int>(106, 0, 640, 480));
    EXPECT_EQ(d.mWidth, 640);

    app.stretchToAspect = true;
    ASSERT_EQ(Start(true), 0);
    EXPECT_EQ(d.mWidth, 853);
    EXPECT_EQ(d.mDrawSurface->Width(), 853);
    EXPECT_EQ(d.mPresentationRect, TRect<int>(0, 0, 853, 480));

    // A window aspect no wider than the game's changes nothing.
    app.windowAspect = Ratio(4, 3);
    host.moves.clear();
    ASSERT_EQ(Start(true), 0);
    EXPECT_FALSE(d.mIsAspectCorrected);
    EXPECT_TRUE(host.moves.empty());
}

TEST_F(DDInterfaceTest, RestartReleasesTheOldSurfaces)
{
    ASSERT_EQ(Start(true), 0);
    uint32_t total = 0;
    uint32_t freeAfterFirst = 0;
    Display().mDD->GetAvailableVidMem(kDdscapsVideoMemory, &total, &freeAfterFirst);
    ASSERT_EQ(Start(true), 0);
    uint32_t freeAfterSecond = 0;
    Display().mDD->GetAvailableVidMem(kDdscapsVideoMemory, &total, &freeAfterSecond);
    EXPECT_EQ(freeAfterSecond, freeAfterFirst);
    EXPECT_EQ(host.CallCount(DisplayCall::DirectDrawCreateEx), 2);
    EXPECT_EQ(Display().mInitCount, 2);

    // Without the newer entry point the older one serves.
    TestDisplayHost oldHost;
    oldHost.hasDirectDrawCreateEx = false;
    TestApp oldApp;
    DDInterface& d = *oldApp.AddDisplay();
    ASSERT_EQ(d.Init(DisplayTestWindow(), true), 0);
    EXPECT_EQ(d.mDD7, nullptr);
    EXPECT_NE(d.mDD, nullptr);
    EXPECT_EQ(oldHost.CallCount(DisplayCall::DirectDrawCreate), 1);

    d.Cleanup();
    EXPECT_FALSE(d.mInitialized);
    EXPECT_EQ(d.mDD, nullptr);
    EXPECT_EQ(d.mPrimarySurface, nullptr);
    EXPECT_EQ(d.GetScreenImage(), nullptr);
}

TEST_F(DDInterfaceTest, ScalingChain)
{
    app.width = 800;
    app.height = 600;
    ASSERT_EQ(Start(true), 0);
    DDInterface& d = Display();
    struct Case {
        int width, height;
        int sizes[4][2]; // made surfaces, {0, 0} after the last
    };
    // From 800 x 600: halve while the height is more than twice the
    // client's (at most three times), then one surface of the client's size.
    const Case cases[] = {
        {400, 300, {{400, 300}, {0, 0}, {0, 0}, {0, 0}}},
        {200, 150, {{400, 300}, {200, 150}, {0, 0}, {0, 0}}},
        {100, 70, {{400, 300}, {200, 150}, {100, 75}, {100, 70}}},
        {800, 600, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        d.RecreateWindowedDrawSurface(c.width, c.height);
        for (int i = 0; i < 4; ++i) {
            DisplaySurface* s = d.mScalingSurfaces[i];
            if (c.sizes[i][0] == 0) {
                EXPECT_EQ(s, nullptr) << i;
                continue;
            }
            ASSERT_NE(s, nullptr) << i;
            EXPECT_EQ(s->Width(), c.sizes[i][0]);
            EXPECT_EQ(s->Height(), c.sizes[i][1]);
        }
        EXPECT_EQ(d.mPresentationRect, TRect<int>(0, 0, c.width, c.height));
    }

    // A failure keeps the presentation rectangle.
    host.InjectFault(DisplayCall::CreateSurface, 1, DDERR_OUTOFMEMORY);
    d.RecreateWindowedDrawSurface(400, 300);
    EXPECT_EQ(d.mErrorText, "CreateSurface Windowed DrawSurface: E_OUTOFMEMORY");
    EXPECT_EQ(d.mPresentationRect, TRect<int>(0, 0, 800, 600));
    EXPECT_EQ(d.mScalingSurfaces[0], nullptr);
}

TEST_F(DDInterfaceTest, VideoOnlyDraw)
{
    ASSERT_EQ(Start(true), 0);
    DDInterface& d = Display();
    ASSERT_NE(d.mSecondarySurface, nullptr);
    EXPECT_NE(d.mSecondarySurface->Caps() & kDdscapsVideoMemory, 0U);

    d.SetVideoOnlyDraw(true);
    EXPECT_TRUE(d.mVideoOnlyDraw);
    EXPECT_EQ(d.GetScreenImage()->mSurface, d.mSecondarySurface);
    EXPECT_TRUE(d.GetScreenImage()->mNoLock);
    EXPECT_TRUE(d.GetScreenImage()->mVideoMemory);
    d.SetVideoOnlyDraw(false);
    EXPECT_EQ(d.GetScreenImage()->mSurface, d.mDrawSurface);

    // No video memory left for the copy: the option falls back.
    TestDisplayHost smallHost;
    smallHost.videoMemoryBytes = 1024 * 768 * 4; // the primary only
    TestApp smallApp;
    DDInterface& small = *smallApp.AddDisplay();
    small.mVideoOnlyDraw = true;
    ASSERT_EQ(small.Init(DisplayTestWindow(), true), 0);
    EXPECT_EQ(small.mSecondarySurface, nullptr);
    EXPECT_FALSE(small.mVideoOnlyDraw);
    EXPECT_EQ(small.GetScreenImage()->mSurface, small.mDrawSurface);
}

TEST_F(DDInterfaceTest, ClearSurfaceZeroesThePixelsOnly)
{
    ASSERT_EQ(Start(true), 0);
    DisplaySurface* s = Display().mDrawSurface;
    for (int y = 0; y < s->Height(); y += 7) {
        for (int x = 0; x < s->Width(); x += 3) {
            s->WritePixel(x, y, 0xFFFFFF);
        }
    }
    Display().ClearSurface(s);
    Display().ClearSurface(nullptr);
    uint32_t any = 0;
    for (int y = 0; y < s->Height(); ++y) {
        for (int x = 0; x < s->Width(); ++x) {
            any |= s->ReadPixel(x, y);
        }
    }
    EXPECT_EQ(any, 0U);
    EXPECT_TRUE(s->PaddingIntact());
}

} // namespace
