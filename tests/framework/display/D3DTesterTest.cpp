// The 3-D test over scripted display hosts: every verdict and text it can
// reach (memory, card lists and driver year, texture formats, depth, each
// rendering test through a device that draws one thing wrongly, each
// failing call), and the cache of verdicts in the settings store.
#include "framework/display/D3DTester.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <sys/time.h>
#include <unistd.h>

#include <ctime>
#include <functional>
#include <memory>
#include <string>

using Lumo::D3DTester;
using Plat::DisplayCall;

namespace {

constexpr uint64_t kMegabyte = 1u << 20;

class D3DTesterTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_NE(getcwd(savedFolder, sizeof(savedFolder)), nullptr);
        ASSERT_EQ(chdir(temp.Path().c_str()), 0); // the card lists are read from here
        app.registryKey = "LumoTest3D";
        host.desktopWidth = 1024;
        host.desktopHeight = 768;
        host.desktopBits = 32;
        host.videoMemoryBytes = 512 * kMegabyte;
        host.d3d.deviceIdentity = {"", "NVIDIA Test Card", {1, 2, 3}};
    }
    void TearDown() override { ASSERT_EQ(chdir(savedFolder), 0); }

    // A driver file written in the year.
    std::string DriverOf(int year)
    {
        const std::string path = temp.Write("driver.so", "x");
        std::tm when{};
        when.tm_year = year - 1900;
        when.tm_mon = 5;
        when.tm_mday = 1;
        const timeval times[2] = {{timegm(&when), 0}, {timegm(&when), 0}};
        utimes(path.c_str(), times);
        return path;
    }

    std::unique_ptr<D3DTester> Run(uint32_t minimum = 8, uint32_t recommended = 16)
    {
        auto tester = std::make_unique<D3DTester>(&app);
        tester->mMinVidMemory = minimum;
        tester->mRecVidMemory = recommended;
        tester->Test(DisplayTestWindow(), nullptr);
        return tester;
    }

    char savedFolder[4096] = {};
    TempFolder temp;
    ScopedEnvironment config{"XDG_CONFIG_HOME", temp.Path() + "/config"};
    TestDisplayHost host;
    TestApp app;
};

TEST_F(D3DTesterTest, EachMachineGetsItsVerdict)
{
    struct Case {
        const char* name;
        std::function<void(D3DTesterTest&)> setUp;
        uint32_t minimum;
        uint32_t recommended;
        const char* failure;
        const char* warning;
    };
    const Case cases[] = {
        {"known maker", [](D3DTesterTest&) {}, 8, 16, "", ""},
        {"512 MB against 8", [](D3DTesterTest&) {}, 8, 515, "", ""}, // 512 + the 3 MB desktop
        {"below the minimum", [](D3DTesterTest&) {}, 516, 600, "Not enough video memory.", ""},
        {"below the recommendation", [](D3DTesterTest&) {}, 8, 516, "", "Low video memory."},
        // Reported as 4 GB - 1, plus the desktop: 4098 MB, not a wrapped 3 MB.
        {"6 GB", [](D3DTesterTest& t) { t.host.videoMemoryBytes = 6144 * kMegabyte; }, 4000, 4098, "", ""},
        {"memory query fails",
         [](D3DTesterTest& t) { t.host.InjectFault(DisplayCall::GetAvailableVidMem, 1, Plat::DDERR_NODIRECTDRAWHW); },
         8, 16, "", "GetAvailableVidMem failed: DDERR_NODIRECTDRAWHW"},
        {"unknown card, old driver",
         [](D3DTesterTest& t) {
             t.host.d3d.deviceIdentity.description = "Plain Adapter";
             t.host.d3d.deviceIdentity.driver = t.DriverOf(2001);
         },
         8, 16, "", "Unsupported video card: Plain Adapter"},
        {"unknown card, newer driver",
         [](D3DTesterTest& t) {
             t.host.d3d.deviceIdentity.description = "Plain Adapter";
             t.host.d3d.deviceIdentity.driver = t.DriverOf(2005);
         },
         8, 16, "", ""},
        {"driver named without a folder",
         [](D3DTesterTest& t) {
             t.host.d3d.deviceIdentity.description = "Plain Adapter";
             t.DriverOf(2005);
             t.host.d3d.deviceIdentity.driver = "driver.so";
             t.host.d3d.systemFolder = t.temp.Path();
         },
         8, 16, "", ""},
        {"bad list beats good list",
         [](D3DTesterTest& t) {
             t.temp.Write("vhwb.dat", "  other card\n\n  test card  \n");
             t.temp.Write("vhw.dat", "NVIDIA\n");
         },
         8, 16, "", "Unsupported video card: NVIDIA Test Card"},
        {"good list without it",
         [](D3DTesterTest& t) { t.temp.Write("vhw.dat", "Some Other Card\n"); }, 8, 16, "",
         "Unsupported video card: NVIDIA Test Card"},
        {"newer identity first",
         [](D3DTesterTest& t) {
             t.host.d3d.hasAdapterIdentity = true;
             t.host.d3d.adapterIdentity = {"", "Radeon Something", {9}};
             t.host.d3d.deviceIdentity.description = "Plain Adapter";
         },
         8, 16, "", ""},
        {"no 8888 textures", [](D3DTesterTest& t) { t.host.d3d.formats = Plat::kD3dFormat4444; }, 8, 16, "",
         "A8R8G8B8 texture format not supported."},
        {"neither alpha format", [](D3DTesterTest& t) { t.host.d3d.formats = Plat::kD3dFormat565; }, 8, 16,
         "A4R4G4B4 and A8R8G8B8 texture formats not supported.", "A8R8G8B8 texture format not supported."},
        {"16-bit desktop", [](D3DTesterTest& t) { t.host.desktopBits = 16; }, 8, 16, "", ""},
        {"24-bit desktop", [](D3DTesterTest& t) { t.host.desktopBits = 24; }, 8, 16, "Can't test 24-bit mode.", ""},
        {"alpha drawn additively", [](D3DTesterTest& t) { t.host.d3d.quirks = Plat::kD3dQuirkAlphaAsAdditive; }, 8,
         16, "Alpha blend Not Supported", ""},
        {"additive drawn as alpha", [](D3DTesterTest& t) { t.host.d3d.quirks = Plat::kD3dQuirkAdditiveAsAlpha; }, 8,
         16, "Additive blend not supported.", ""},
        {"alpha-add drawn additively",
         [](D3DTesterTest& t) { t.host.d3d.quirks = Plat::kD3dQuirkAlphaAddAsAdditive; }, 8, 16,
         "AlphaAdd blend not supported.", ""},
        {"vertex alpha ignored", [](D3DTesterTest& t) { t.host.d3d.quirks = Plat::kD3dQuirkIgnoreDiffuseAlpha; },
         8, 16, "AlphaModulated blend not supported.", ""},
        {"texels shifted left of the edge", [](D3DTesterTest& t) { t.host.d3d.quirks = Plat::kD3dQuirkTexelShift; },
         8, 16, "", "Clip problem detected."},
        {"a pixel off", [](D3DTesterTest& t) { t.host.d3d.quirks = Plat::kD3dQuirkPixelOff; }, 8, 16, "",
         "Clip problem detected."},
        {"no display library", [](D3DTesterTest& t) { t.host.hasDirectDrawCreateEx = false; }, 8, 16,
         "No DirectDrawCreateEx", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DTesterTest& self = *this;
        host.ClearFaults();
        const Plat::D3DHostInfo savedD3D = host.d3d;
        const int savedBits = host.desktopBits;
        const uint64_t savedMemory = host.videoMemoryBytes;
        app.RegistryEraseValue("Test3D\\Version"); // each case decides afresh
        c.setUp(self);
        const auto tester = Run(c.minimum, c.recommended);
        EXPECT_EQ(tester->mFailureReason, c.failure);
        EXPECT_EQ(tester->mWarning, c.warning);
        host.d3d = savedD3D;
        host.desktopBits = savedBits;
        host.videoMemoryBytes = savedMemory;
        host.hasDirectDrawCreateEx = true;
        unlink("vhw.dat");
        unlink("vhwb.dat");
    }
}

TEST_F(D3DTesterTest, AFailingCallNamesItsStep)
{
    struct Case {
        DisplayCall call;
        int number;
        const char* text;
    };
    const Case cases[] = {
        {DisplayCall::DirectDrawCreateEx, 1, "DXError - DirectDrawCreateEx: DDERR_SURFACELOST"},
        {DisplayCall::GetDeviceIdentifier, 1, "DXError - GetDeviceIdentifier: DDERR_SURFACELOST"},
        {DisplayCall::Direct3DQuery, 1, "DXError - QueryInterface IID_IDirect3D7: DDERR_SURFACELOST"},
        {DisplayCall::SetCooperativeLevel, 1, "DXError - SetCooperativeLevel: DDERR_SURFACELOST"},
        {DisplayCall::CreateSurface, 1, "DXError - CreateSurface (Primary): DDERR_SURFACELOST"},
        {DisplayCall::CreateDevice, 1, "DXError - CreateDevice: DDERR_SURFACELOST"},
        {DisplayCall::EnumTextureFormats, 1, "DXError - EnumTextureFormats: DDERR_SURFACELOST"},
        {DisplayCall::CreateSurface, 2, "DXError - CreateSurface (TextureSurface1): DDERR_SURFACELOST"},
        {DisplayCall::CreateSurface, 3, "DXError - CreateSurface (TextureSurfacd2): DDERR_SURFACELOST"},
        {DisplayCall::BeginScene, 1, "DXError - BeginScene: DDERR_SURFACELOST"},
        {DisplayCall::Clear, 1, "DXError - Clear: DDERR_SURFACELOST"},
        {DisplayCall::SetRenderState, 1, "DXError - D3DRENDERSTATE_ALPHABLENDENABLE, TRUE: DDERR_SURFACELOST"},
        {DisplayCall::SetRenderState, 2, "DXError - D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA: DDERR_SURFACELOST"},
        {DisplayCall::SetRenderState, 3, "DXError - D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA: DDERR_SURFACELOST"},
        {DisplayCall::SetRenderState, 4, "DXError - D3DRENDERSTATE_CULLMODE, D3DCULL_NONE: DDERR_SURFACELOST"},
        {DisplayCall::SetRenderState, 6, "DXError - D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE: DDERR_SURFACELOST"},
        {DisplayCall::SetRenderState, 7, "DXError - D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE: DDERR_SURFACELOST"},
        {DisplayCall::SetTextureStageState, 1, "DXError - D3DTSS_ALPHAOP, D3DTOP_MODULATE: DDERR_SURFACELOST"},
        {DisplayCall::Lock, 1, "DXError - Lock Texture: DDERR_SURFACELOST"},
        {DisplayCall::Unlock, 1, "DXError - Texture Unlock: DDERR_SURFACELOST"},
        {DisplayCall::SetTexture, 1, "DXError - SetTexture theTexture: DDERR_SURFACELOST"},
        {DisplayCall::DrawPrimitive, 1, "DXError - DrawPrimitive: DDERR_SURFACELOST"},
        {DisplayCall::SetTexture, 2, "DXError - SetTexture NULL: DDERR_SURFACELOST"},
        {DisplayCall::Lock, 3, "DXError - CopyPrimary Lock: DDERR_SURFACELOST"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        host.ClearFaults();
        app.RegistryEraseValue("Test3D\\Version");
        host.InjectFault(c.call, c.number, Plat::DDERR_SURFACELOST);
        EXPECT_EQ(Run()->mFailureReason, c.text);
    }
    host.ClearFaults();
}

TEST_F(D3DTesterTest, APassingVerdictIsKeptPerAdapterAndThresholds)
{
    auto first = Run();
    EXPECT_TRUE(first->mFirstVerdict);
    EXPECT_EQ(first->mFailureReason, "");
    const int devices = host.CallCount(DisplayCall::CreateDevice);

    auto cached = Run();
    EXPECT_FALSE(cached->mFirstVerdict);
    EXPECT_EQ(host.CallCount(DisplayCall::CreateDevice), devices); // no rendering again
    EXPECT_EQ(cached->mWarning, "");

    // Another threshold, another adapter: tested again.
    Run(8, 32);
    EXPECT_EQ(host.CallCount(DisplayCall::CreateDevice), devices + 1);
    host.d3d.deviceIdentity.guid[0] = 77;
    auto otherCard = Run(8, 32);
    EXPECT_EQ(host.CallCount(DisplayCall::CreateDevice), devices + 2);
    EXPECT_TRUE(otherCard->mFirstVerdict) << "the stored verdict was another card's";

    // A failing verdict is stored but tested again at the next start.
    host.d3d.deviceIdentity.guid[0] = 78;
    host.d3d.quirks = Plat::kD3dQuirkIgnoreDiffuseAlpha;
    EXPECT_EQ(Run(8, 32)->mFailureReason, "AlphaModulated blend not supported.");
    host.d3d.quirks = 0;
    auto retested = Run(8, 32);
    EXPECT_EQ(host.CallCount(DisplayCall::CreateDevice), devices + 4);
    EXPECT_EQ(retested->mFailureReason, "");
    std::string stored;
    ASSERT_TRUE(app.RegistryReadString("Test3D\\FailureReason", stored));
    EXPECT_EQ(stored, "");
}

TEST_F(D3DTesterTest, ARecordedDemoHoldsTheVerdictAndNothingOfTheCache)
{
    // A played demo skips the test and takes its verdict from the stream:
    // the cache's reads and writes must not stand in its way.
    host.d3d.quirks = Plat::kD3dQuirkIgnoreDiffuseAlpha;
    app.recordingDemo = true;
    Run();
    app.recordingDemo = false;
    app.playingDemo = true;
    app.demoBuffer.SeekFront();
    host.d3d.quirks = 0;
    const int devices = host.CallCount(DisplayCall::CreateDevice);
    auto played = Run();
    EXPECT_EQ(host.CallCount(DisplayCall::CreateDevice), devices);
    EXPECT_EQ(played->mFailureReason, "AlphaModulated blend not supported.");
    EXPECT_TRUE(played->mFirstVerdict);
    EXPECT_FALSE(app.demoDiverged);
    EXPECT_TRUE(app.DemoStreamEnded());
}

TEST_F(D3DTesterTest, WithoutASettingsKeyNothingIsCached)
{
    app.registryKey.clear();
    Run();
    const int devices = host.CallCount(DisplayCall::CreateDevice);
    auto again = Run();
    EXPECT_EQ(host.CallCount(DisplayCall::CreateDevice), devices + 1);
    EXPECT_TRUE(again->mFirstVerdict);
}

} // namespace

namespace {

class HookApp : public TestApp {
public:
    void Warning3DHook() override { ++hooks; }
    int hooks = 0;
};

// The display's first start runs the test and turns its verdict into the
// 3-D switch.
TEST_F(D3DTesterTest, TheDisplaysFirstStartActsOnTheVerdict)
{
    struct Case {
        const char* name;
        const char* description; // the adapter
        int stored;              // "Is3D" before the start; -1 none
        bool cachedBefore;       // a verdict for this adapter is stored
        bool expected3D;
        int expectedHooks;
    };
    const Case cases[] = {
        {"clean verdict, no choice", "NVIDIA Card", -1, false, true, 1},
        {"clean verdict, stored off", "NVIDIA Card", 0, false, false, 1},
        {"cached clean verdict, stored off", "NVIDIA Card", 0, true, false, 0},
        {"cached clean verdict, no choice", "NVIDIA Card", -1, true, true, 0},
        {"new warning", "Plain Adapter", -1, false, false, 1},
        {"new warning over stored on", "Plain Adapter", 1, false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HookApp hookApp;
        hookApp.registryKey = "LumoTest3DStart";
        hookApp.auto3D = true;
        hookApp.minVidMemory3D = 8;
        hookApp.recVidMemory3D = 16;
        hookApp.RegistryEraseValue("Test3D\\Version");
        host.d3d.deviceIdentity.description = c.description;
        if (c.cachedBefore) {
            D3DTester first(&hookApp);
            first.mMinVidMemory = 8;
            first.mRecVidMemory = 16;
            first.Test(DisplayTestWindow(), nullptr);
        }
        hookApp.RegistryEraseValue("Is3D");
        if (c.stored >= 0) {
            hookApp.RegistryWriteInteger("Is3D", c.stored);
        }
        Lumo::DDInterface* display = hookApp.AddDisplay();
        display->mIs3D = c.stored == 1;
        host.clientWidth = 64;
        host.clientHeight = 48;
        hookApp.width = 64;
        hookApp.height = 48;
        EXPECT_EQ(display->Init(DisplayTestWindow(), true), 0) << display->mErrorText;
        EXPECT_EQ(display->mIs3D, c.expected3D);
        EXPECT_EQ(hookApp.hooks, c.expectedHooks);
        EXPECT_EQ(hookApp.Is3DRecommended(), std::string(c.description) == "NVIDIA Card");
        EXPECT_TRUE(hookApp.Is3DSupported());
    }
}

} // namespace
