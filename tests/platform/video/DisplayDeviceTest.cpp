// The display stand-in: surfaces in memory with a padded pitch, locks,
// nearest-pixel blits with colour keys, flips, presentation of the primary,
// cooperative levels and modes, video memory, and scripted failures.
#include "platform/video/DisplayClipper.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayDeviceState.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"
#include "platform/system/MediaProbe.h"
#include "platform/video/SystemDisplayHost.h"
#include "support/ScopedEnvironment.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Plat;

namespace {

class DisplayDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.desktopWidth = 64;
        host.desktopHeight = 48;
        host.clientX = 8;
        host.clientY = 4;
        host.clientWidth = 16;
        host.clientHeight = 8;
        ASSERT_EQ(LookupDisplayEntry("DirectDrawCreateEx")(&device), DD_OK);
    }
    void TearDown() override
    {
        for (DisplaySurface* surface : surfaces) {
            surface->Release();
        }
        device->Release();
    }

    DisplaySurface* Offscreen(int width, int height, uint32_t caps = kDdscapsOffscreenPlain | kDdscapsSystemMemory)
    {
        SurfaceDesc desc;
        desc.size = kSurfaceDesc2Size;
        desc.flags = kDdsdCaps | kDdsdWidth | kDdsdHeight;
        desc.width = static_cast<uint32_t>(width);
        desc.height = static_cast<uint32_t>(height);
        desc.caps = caps;
        DisplaySurface* surface = nullptr;
        EXPECT_EQ(device->CreateSurface(desc, &surface), DD_OK);
        if (surface != nullptr) {
            surfaces.push_back(surface);
        }
        return surface;
    }

    DisplaySurface* WindowedPrimary()
    {
        EXPECT_EQ(device->SetCooperativeLevel(DisplayTestWindow(), kDdsclNormal), DD_OK);
        SurfaceDesc desc;
        desc.flags = kDdsdCaps;
        desc.caps = kDdscapsPrimarySurface;
        DisplaySurface* primary = nullptr;
        EXPECT_EQ(device->CreateSurface(desc, &primary), DD_OK);
        surfaces.push_back(primary);
        return primary;
    }

    static void Fill(DisplaySurface* surface, uint32_t base)
    {
        for (int y = 0; y < surface->Height(); ++y) {
            for (int x = 0; x < surface->Width(); ++x) {
                surface->WritePixel(x, y, base + static_cast<uint32_t>(y * 256 + x));
            }
        }
    }

    TestDisplayHost host;
    DisplayDevice* device = nullptr;
    std::vector<DisplaySurface*> surfaces;
};

TEST_F(DisplayDeviceTest, SurfacesArePaddedAndLockDescribesThem)
{
    DisplaySurface* surface = Offscreen(5, 3);
    ASSERT_NE(surface, nullptr);
    // 5 pixels x 4 bytes = 20 bytes of row, then the padding.
    EXPECT_EQ(surface->Pitch(), 20 + DisplaySurface::kPitchPadding);
    EXPECT_TRUE(surface->PaddingIntact());

    SurfaceDesc desc;
    desc.size = kSurfaceDescSize;
    ASSERT_EQ(surface->Lock(nullptr, &desc, kDdlockWait), DD_OK);
    EXPECT_EQ(desc.size, kSurfaceDescSize);
    EXPECT_EQ(desc.width, 5U);
    EXPECT_EQ(desc.height, 3U);
    EXPECT_EQ(desc.pitch, surface->Pitch());
    EXPECT_EQ(desc.pixelFormat.bitCount, 32U);
    EXPECT_EQ(desc.pixelFormat.redMask, 0xFF0000U);
    EXPECT_NE(desc.surface, nullptr);
    // Row 2, pixel 4 through the pitch.
    uint8_t* row2 = static_cast<uint8_t*>(desc.surface) + 2 * desc.pitch;
    const uint32_t value = 0x00123456;
    std::memcpy(row2 + 16, &value, 4);
    EXPECT_EQ(surface->Lock(nullptr, &desc, kDdlockWait), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Blt(nullptr, surface, nullptr, kDdbltWait, nullptr), DDERR_SURFACEBUSY);
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(surface->ReadPixel(4, 2), 0x00123456U);
    EXPECT_TRUE(surface->PaddingIntact());

    // A locked rectangle starts at its top-left pixel.
    const DisplayRect rect{4, 2, 5, 3};
    ASSERT_EQ(surface->Lock(&rect, &desc, kDdlockWait), DD_OK);
    uint32_t read = 0;
    std::memcpy(&read, desc.surface, 4);
    EXPECT_EQ(read, 0x00123456U);
    surface->Unlock(nullptr);
    const DisplayRect outside{4, 2, 6, 3};
    EXPECT_EQ(surface->Lock(&outside, &desc, kDdlockWait), DDERR_INVALIDRECT);
}

TEST_F(DisplayDeviceTest, SurfaceCreationRules)
{
    struct Case {
        const char* name;
        uint32_t flags;
        uint32_t width, height;
        uint32_t caps;
        uint32_t bitCount;
        HResult expected;
    };
    const Case cases[] = {
        {"no size", kDdsdCaps, 0, 0, kDdscapsOffscreenPlain, 0, DDERR_INVALIDPARAMS},
        {"zero width", kDdsdCaps | kDdsdWidth | kDdsdHeight, 0, 4, kDdscapsOffscreenPlain, 0, DDERR_INVALIDPARAMS},
        {"too big", kDdsdCaps | kDdsdWidth | kDdsdHeight, 20000, 4, kDdscapsOffscreenPlain, 0, DDERR_TOOBIGSIZE},
        {"12-bit format", kDdsdCaps | kDdsdWidth | kDdsdHeight | kDdsdPixelFormat, 4, 4, 0, 12,
         DDERR_INVALIDPIXELFORMAT},
        {"16-bit format", kDdsdCaps | kDdsdWidth | kDdsdHeight | kDdsdPixelFormat, 4, 4, 0, 16, DD_OK},
        {"flip without exclusive", kDdsdCaps | kDdsdBackBufferCount, 0, 0,
         kDdscapsPrimarySurface | kDdscapsFlip | kDdscapsComplex, 0, DDERR_NOEXCLUSIVEMODE},
        {"primary with a size", kDdsdCaps | kDdsdWidth | kDdsdHeight, 4, 4, kDdscapsPrimarySurface, 0,
         DDERR_INVALIDPARAMS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceDesc desc;
        desc.flags = c.flags;
        desc.width = c.width;
        desc.height = c.height;
        desc.caps = c.caps;
        desc.backBufferCount = 1;
        desc.pixelFormat = MakeDisplayFormat(static_cast<int>(c.bitCount), false);
        DisplaySurface* surface = nullptr;
        EXPECT_EQ(device->CreateSurface(desc, &surface), c.expected);
        EXPECT_EQ(surface != nullptr, c.expected == DD_OK);
        if (surface != nullptr) {
            surface->Release();
        }
    }

    // One primary at a time; it takes the desktop's size and format.
    DisplaySurface* primary = WindowedPrimary();
    EXPECT_EQ(primary->Width(), 64);
    EXPECT_EQ(primary->Height(), 48);
    SurfaceDesc desc;
    desc.flags = kDdsdCaps;
    desc.caps = kDdscapsPrimarySurface;
    DisplaySurface* second = nullptr;
    EXPECT_EQ(device->CreateSurface(desc, &second), DDERR_PRIMARYSURFACEALREADYEXISTS);
}

TEST_F(DisplayDeviceTest, VideoMemoryIsCounted)
{
    host.videoMemoryBytes = 64 * 64 * 4 + 100;
    uint32_t total = 0;
    uint32_t free = 0;
    ASSERT_EQ(device->GetAvailableVidMem(kDdscapsVideoMemory, &total, &free), DD_OK);
    EXPECT_EQ(total, host.videoMemoryBytes);
    EXPECT_EQ(free, host.videoMemoryBytes);

    DisplaySurface* inVideo = Offscreen(64, 64, kDdscapsOffscreenPlain | kDdscapsVideoMemory);
    ASSERT_NE(inVideo, nullptr);
    device->GetAvailableVidMem(kDdscapsVideoMemory, &total, &free);
    EXPECT_EQ(free, 100U);

    SurfaceDesc desc;
    desc.flags = kDdsdCaps | kDdsdWidth | kDdsdHeight;
    desc.width = 8;
    desc.height = 8;
    desc.caps = kDdscapsVideoMemory;
    DisplaySurface* surface = nullptr;
    EXPECT_EQ(device->CreateSurface(desc, &surface), DDERR_OUTOFVIDEOMEMORY);
    desc.caps = kDdscapsSystemMemory;
    ASSERT_EQ(device->CreateSurface(desc, &surface), DD_OK);
    surface->Release();

    surfaces.clear();
    inVideo->Release();
    device->GetAvailableVidMem(kDdscapsVideoMemory, &total, &free);
    EXPECT_EQ(free, host.videoMemoryBytes);
}

TEST_F(DisplayDeviceTest, BltStretchesByNearestPixel)
{
    DisplaySurface* source = Offscreen(4, 2);
    DisplaySurface* dest = Offscreen(8, 4);
    Fill(source, 0x100);
    Fill(dest, 0xAA0000);

    // 4 x 2 to 2 x 1: columns 0 and 2 of row 0 (x * 4 / 2).
    DisplayRect to{1, 1, 3, 2};
    ASSERT_EQ(dest->Blt(&to, source, nullptr, kDdbltWait, nullptr), DD_OK);
    EXPECT_EQ(dest->ReadPixel(1, 1), 0x100U);
    EXPECT_EQ(dest->ReadPixel(2, 1), 0x102U);
    EXPECT_EQ(dest->ReadPixel(0, 1), 0xAA0100U); // outside: untouched
    EXPECT_EQ(dest->ReadPixel(3, 1), 0xAA0103U);

    // 2 x 1 of the source (columns 1-2 of row 1) to 4 x 2: each pixel doubled.
    const DisplayRect from{1, 1, 3, 2};
    to = DisplayRect{4, 2, 8, 4};
    ASSERT_EQ(dest->Blt(&to, source, &from, kDdbltWait, nullptr), DD_OK);
    const uint32_t expected[2][4] = {{0x201, 0x201, 0x202, 0x202}, {0x201, 0x201, 0x202, 0x202}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(dest->ReadPixel(4 + x, 2 + y), expected[y][x]) << x << "," << y;
        }
    }
    EXPECT_TRUE(dest->PaddingIntact());

    // Rectangles off the surface, with no clipper, are refused.
    const DisplayRect off{6, 0, 10, 2};
    EXPECT_EQ(dest->Blt(&off, source, nullptr, kDdbltWait, nullptr), DDERR_INVALIDRECT);
    const DisplayRect badSource{0, 0, 5, 1};
    EXPECT_EQ(dest->Blt(nullptr, source, &badSource, kDdbltWait, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, kDdbltWait, nullptr), DDERR_INVALIDPARAMS);

    // Formats must match.
    SurfaceDesc desc;
    desc.flags = kDdsdCaps | kDdsdWidth | kDdsdHeight | kDdsdPixelFormat;
    desc.width = 4;
    desc.height = 2;
    desc.pixelFormat = MakeDisplayFormat(16, false);
    DisplaySurface* narrow = nullptr;
    ASSERT_EQ(device->CreateSurface(desc, &narrow), DD_OK);
    surfaces.push_back(narrow);
    EXPECT_EQ(dest->Blt(nullptr, narrow, nullptr, kDdbltWait, nullptr), DDERR_INVALIDPIXELFORMAT);
}

TEST_F(DisplayDeviceTest, ColourKeyFillAndOverlap)
{
    DisplaySurface* source = Offscreen(3, 1);
    DisplaySurface* dest = Offscreen(3, 1);
    source->WritePixel(0, 0, 0x11);
    source->WritePixel(1, 0, 0xF0F0F0);
    source->WritePixel(2, 0, 0x33);
    Fill(dest, 0x500);

    EXPECT_EQ(dest->Blt(nullptr, source, nullptr, kDdbltWait | kDdbltKeySrc, nullptr), DDERR_NOCOLORKEY);
    const DisplayColorKey key{0xF0F0F0, 0xF0F0F0};
    ASSERT_EQ(source->SetColorKey(kDdckeySrcBlt, &key), DD_OK);
    ASSERT_EQ(dest->Blt(nullptr, source, nullptr, kDdbltWait | kDdbltKeySrc, nullptr), DD_OK);
    EXPECT_EQ(dest->ReadPixel(0, 0), 0x11U);
    EXPECT_EQ(dest->ReadPixel(1, 0), 0x501U); // keyed: the destination shows through
    EXPECT_EQ(dest->ReadPixel(2, 0), 0x33U);

    BltFx fx;
    fx.size = kBltFxSize;
    fx.fillColor = 0x00ABCDEF;
    const DisplayRect right{1, 0, 3, 1};
    ASSERT_EQ(dest->Blt(&right, nullptr, nullptr, kDdbltWait | kDdbltColorFill, &fx), DD_OK);
    EXPECT_EQ(dest->ReadPixel(0, 0), 0x11U);
    EXPECT_EQ(dest->ReadPixel(2, 0), 0xABCDEFU);

    // Within one surface the old pixels are read: shift right by one.
    const DisplayRect from{0, 0, 2, 1};
    const DisplayRect to{1, 0, 3, 1};
    ASSERT_EQ(dest->Blt(&to, dest, &from, kDdbltWait, nullptr), DD_OK);
    EXPECT_EQ(dest->ReadPixel(1, 0), 0x11U);
    EXPECT_EQ(dest->ReadPixel(2, 0), 0xABCDEFU);
}

TEST_F(DisplayDeviceTest, BlitsToTheWindowedPrimaryAreClippedAndPresented)
{
    DisplaySurface* primary = WindowedPrimary();
    DisplayClipper* clipper = nullptr;
    ASSERT_EQ(device->CreateClipper(0, &clipper), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, DisplayTestWindow()), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
    clipper->Release();

    DisplaySurface* frame = Offscreen(16, 8);
    Fill(frame, 0x010000);
    // Half of it lies left of the client area at (8, 4): cut there.
    const DisplayRect to{0, 4, 16, 12};
    ASSERT_EQ(primary->Blt(&to, frame, nullptr, kDdbltWait, nullptr), DD_OK);
    EXPECT_EQ(primary->ReadPixel(7, 4), 0U);
    EXPECT_EQ(primary->ReadPixel(8, 4), 0x010008U);
    EXPECT_EQ(host.presenter.FrameCount(), 1);
    EXPECT_EQ(host.presenter.LastWidth(), 16);
    EXPECT_EQ(host.presenter.LastHeight(), 8);
    EXPECT_EQ(host.presenter.LastLayout(), PixelLayout::Xrgb8888);

    // The presented frame is the client area, rows packed.
    const std::vector<uint8_t> shown = host.presenter.LastFrame();
    ASSERT_EQ(shown.size(), 16U * 8U * 4U);
    uint32_t first = 0;
    std::memcpy(&first, shown.data() + 8 * 4, 4); // client pixel (8, 0) = primary (16, 4): not drawn
    EXPECT_EQ(first, 0U);
    uint32_t left = 0;
    std::memcpy(&left, shown.data(), 4); // client (0, 0) = primary (8, 4) = frame (8, 0)
    EXPECT_EQ(left, 0x010008U);

    // The checksum is the FNV-1a of those bytes.
    uint32_t hash = 2166136261u;
    for (uint8_t byte : shown) {
        hash = (hash ^ byte) * 16777619u;
    }
    EXPECT_EQ(host.presenter.Checksum(), hash);
}

TEST_F(DisplayDeviceTest, FullScreenModeFlipAndDesktopSurface)
{
    EXPECT_EQ(device->SetDisplayMode(32, 16, 16), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(device->SetCooperativeLevel(DisplayTestWindow(), kDdsclExclusive), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, kDdsclExclusive | kDdsclFullScreen), DDERR_NOHWND);
    ASSERT_EQ(device->SetCooperativeLevel(DisplayTestWindow(), kDdsclExclusive | kDdsclFullScreen), DD_OK);
    EXPECT_EQ(device->SetDisplayMode(32, 16, 24), DDERR_INVALIDMODE);
    ASSERT_EQ(device->SetDisplayMode(32, 16, 16), DD_OK);
    EXPECT_EQ(device->State().modeWidth, 32);
    EXPECT_EQ(device->State().modeBits, 16);

    SurfaceDesc desc;
    desc.flags = kDdsdCaps | kDdsdBackBufferCount;
    desc.backBufferCount = 1;
    desc.caps = kDdscapsPrimarySurface | kDdscapsFlip | kDdscapsComplex;
    DisplaySurface* primary = nullptr;
    ASSERT_EQ(device->CreateSurface(desc, &primary), DD_OK);
    surfaces.push_back(primary);
    EXPECT_EQ(primary->Width(), 32);
    EXPECT_EQ(primary->PixelFormat().greenMask, 0x7E0U);
    DisplaySurface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(kDdscapsBackBuffer, &back), DD_OK);
    surfaces.push_back(back);
    EXPECT_EQ(primary->GetAttachedSurface(kDdscapsFlip, &back), DDERR_NOTFOUND);
    back = surfaces.back();

    back->WritePixel(3, 2, 0xF800);
    ASSERT_EQ(primary->Flip(nullptr, kDdflipWait), DD_OK);
    EXPECT_EQ(primary->ReadPixel(3, 2), 0xF800U);
    EXPECT_EQ(back->ReadPixel(3, 2), 0U);
    EXPECT_EQ(host.presenter.LastLayout(), PixelLayout::Rgb565);
    EXPECT_EQ(host.presenter.LastWidth(), 32);
    EXPECT_EQ(back->Flip(nullptr, kDdflipWait), DDERR_NOTFLIPPABLE);

    EXPECT_EQ(device->FlipToGDISurface(), DD_OK);
    EXPECT_EQ(device->State().flipToGDICount, 1);
    // Back to the desktop's own mode when exclusive mode ends.
    ASSERT_EQ(device->SetCooperativeLevel(DisplayTestWindow(), kDdsclNormal), DD_OK);
    EXPECT_FALSE(device->State().modeSet);
    EXPECT_EQ(device->FlipToGDISurface(), DDERR_NOEXCLUSIVEMODE);
}

TEST_F(DisplayDeviceTest, ScriptedFailures)
{
    // The second Blt from now fails, the first and third work.
    DisplaySurface* a = Offscreen(2, 2);
    DisplaySurface* b = Offscreen(2, 2);
    host.InjectFault(DisplayCall::Blt, 2, DDERR_SURFACELOST);
    EXPECT_EQ(b->Blt(nullptr, a, nullptr, kDdbltWait, nullptr), DD_OK);
    EXPECT_EQ(b->Blt(nullptr, a, nullptr, kDdbltWait, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(b->Blt(nullptr, a, nullptr, kDdbltWait, nullptr), DD_OK);
    EXPECT_EQ(host.CallCount(DisplayCall::Blt), 3);

    // Every call from now on.
    host.InjectFault(DisplayCall::GetMonitorFrequency, 0, DDERR_UNSUPPORTED);
    uint32_t hz = 0;
    EXPECT_EQ(device->GetMonitorFrequency(&hz), DDERR_UNSUPPORTED);
    EXPECT_EQ(device->GetMonitorFrequency(&hz), DDERR_UNSUPPORTED);
    host.ClearFaults();
    ASSERT_EQ(device->GetMonitorFrequency(&hz), DD_OK);
    EXPECT_EQ(hz, 60U);
    host.monitorHz = 0;
    EXPECT_EQ(device->GetMonitorFrequency(&hz), DDERR_UNSUPPORTED);

    // Hidden entry points are not found.
    host.hasDirectDrawCreateEx = false;
    EXPECT_EQ(LookupDisplayEntry("DirectDrawCreateEx"), nullptr);
    EXPECT_NE(LookupDisplayEntry("DirectDrawCreate"), nullptr);
    EXPECT_EQ(LookupDisplayEntry("Direct3DCreate8"), nullptr);
    host.InjectFault(DisplayCall::DirectDrawCreate, 1, DDERR_NODIRECTDRAWHW);
    DisplayDevice* other = reinterpret_cast<DisplayDevice*>(1);
    EXPECT_EQ(LookupDisplayEntry("DirectDrawCreate")(&other), DDERR_NODIRECTDRAWHW);
    EXPECT_EQ(other, nullptr);
}

TEST(DisplayHostTest, DefaultRasterStaysOnTheScreen)
{
    // The default host's raster runs on the real clock: whatever it reads,
    // a visible line lies on the desktop.
    DisplayHost host;
    host.desktopHeight = 100;
    for (int i = 0; i < 50; ++i) {
        uint32_t line = 12345;
        const HResult result = host.ScanLine(line);
        if (result == DD_OK) {
            EXPECT_LT(line, 100U);
        } else {
            EXPECT_EQ(result, DDERR_VERTICALBLANKINPROGRESS);
        }
    }
}

TEST(DisplayHostTest, SystemHostAsksTheVideoSystem)
{
    SystemDisplayHost host;
    host.desktopWidth = 111;
    host.desktopBits = 16;
    host.monitorHz = 77;
    // Without the video system: the settings.
    EXPECT_EQ(host.DesktopWidth(), 111);
    EXPECT_EQ(host.MonitorFrequency(), 77);

    ScopedEnvironment driver("SDL_VIDEODRIVER", "dummy");
    SdlMediaProbe probe;
    ASSERT_TRUE(probe.StartVideo());
    // The dummy driver's desktop: 1024 x 768 in 4-byte pixels.
    EXPECT_EQ(host.DesktopWidth(), 1024);
    EXPECT_EQ(host.DesktopHeight(), 768);
    EXPECT_EQ(host.DesktopBits(), 32);
    probe.StopVideo();
    EXPECT_EQ(host.DesktopWidth(), 111);
}

} // namespace
