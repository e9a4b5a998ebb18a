// The 3-D route on the GPU device: a frame drawn through the renderer
// against the software route, a run-time failure that hands the next frame
// back to software, and the 3-D test run on the machine's own GPU once and
// then taken from its cache. Needs a display with an accelerated renderer
// (ctest runs it under xvfb-run); skipped without one.
#include "framework/display/D3DInterface.h"
#include "framework/display/D3DTester.h"
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/TextureData.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/D3DDevice.h"
#include "platform/video/D3DGpuRenderer.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"
#include "platform/video/SystemDisplayHost.h"
#include "support/GpuVideo.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

class D3DGpuRouteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sHasGpu = LumoTest::StartGpuVideo(sGpu, sWhyNot); }

    void SetUp() override
    {
        if (!sHasGpu) {
            GTEST_SKIP() << "no accelerated renderer here: " << sWhyNot;
        }
        started = true;
        savedLimits = Lumo::gD3DLimits;
        Lumo::gD3DTrouble = false;
        app.registryKey = "LumoGpuRouteTest";
    }
    void TearDown() override
    {
        if (!started) {
            return;
        }
        delete app.ddInterface;
        app.ddInterface = nullptr;
        Lumo::gD3DLimits = savedLimits;
        Lumo::gD3DTrouble = false;
    }

    // A 64 x 48 window drawing through the GPU device (or in software).
    void Start(bool is3D)
    {
        delete app.ddInterface;
        app.ddInterface = nullptr;
        host.d3d.kind = Plat::D3DDeviceKind::kGpu;
        host.d3d.formats = Plat::kD3dFormat8888 | Plat::kD3dFormat4444 | Plat::kD3dFormat565;
        host.clientWidth = 64;
        host.clientHeight = 48;
        app.width = 64;
        app.height = 48;
        app.AddDisplay()->mIs3D = is3D;
        ASSERT_EQ(app.ddInterface->Init(DisplayTestWindow(), true), 0) << app.ddInterface->mErrorText;
        screen = app.ddInterface->GetScreenImage();
        if (is3D) {
            ASSERT_NE(app.ddInterface->mD3DInterface->Device(), nullptr);
            ASSERT_TRUE(app.ddInterface->mD3DInterface->Device()->OnGpu());
        }
    }

    // The screen's pixels as the display reads them (through a lock).
    std::vector<uint32_t> ScreenPixels() const
    {
        Plat::DisplaySurface* surface = screen->mSurface;
        Plat::SurfaceDesc desc;
        desc.size = Plat::kSurfaceDesc2Size;
        EXPECT_EQ(surface->Lock(nullptr, &desc, Plat::kDdlockWait | Plat::kDdlockReadOnly), Plat::DD_OK);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                pixels.push_back(surface->ReadPixel(x, y) & 0xFFFFFF);
            }
        }
        EXPECT_EQ(surface->Unlock(nullptr), Plat::DD_OK);
        return pixels;
    }

    std::unique_ptr<MemoryImage> Picture(uint32_t (*pixel)(int x, int y))
    {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                pixels.push_back(pixel(x, y));
            }
        }
        auto image = std::make_unique<MemoryImage>(&app);
        image->SetBits(pixels.data(), 16, 16);
        image->mTextureFlags = Lumo::kTextureHintNo565;
        return image;
    }

    static inline bool sHasGpu = false;
    static inline Plat::D3DGpuRenderer::Identity sGpu;
    static inline std::string sWhyNot;
    bool started = false;
    TempFolder temp;
    ScopedEnvironment config{"XDG_CONFIG_HOME", temp.Path() + "/config"};
    TestDisplayHost host;
    TestApp app;
    DDImage* screen = nullptr;
    Lumo::D3DTextureLimits savedLimits;
};

// Whole-pixel blits land in place with their colours; blended and rotated
// pixels may differ by the rounding of each route.
TEST_F(D3DGpuRouteTest, TheFrameMatchesTheSoftwareRoute)
{
    auto sprite = Picture([](int x, int y) {
        return ((x + y) % 5 == 0 ? 0x00000000u : (x % 3 == 0 ? 0x80FF0000u : 0xFF0000FFu)) | uint32_t(y * 9) << 8;
    });
    auto glow = Picture([](int x, int y) { return 0xFF000000u | uint32_t(x * 12) << 16 | uint32_t(y * 12); });
    auto draw = [&] {
        screen->FillRect(TRect<int>(0, 0, 64, 48), Color(20, 40, 60), 0);
        screen->Blt(sprite.get(), 3, 5, TRect<int>(0, 0, 16, 16), Color::White, 0);
        screen->Blt(glow.get(), 30, 5, TRect<int>(0, 0, 16, 16), Color::White, 1);
        screen->FillRect(TRect<int>(10, 30, 20, 8), Color(200, 100, 50, 128), 0);
        screen->Blt(sprite.get(), 40, 28, TRect<int>(0, 0, 16, 16), Color(255, 128, 255, 160), 0);
    };
    Start(false);
    draw();
    const std::vector<uint32_t> software = ScreenPixels();
    Start(true);
    draw();
    EXPECT_TRUE(Lumo::gD3DLastError.empty()) << Lumo::gD3DLastError;
    const std::vector<uint32_t> gpuPixels = ScreenPixels();
    int worst = 0;
    for (size_t i = 0; i < software.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            worst = std::max(worst, std::abs(int((software[i] >> shift) & 255) - int((gpuPixels[i] >> shift) & 255)));
        }
    }
    EXPECT_LE(worst, 2); // rounding of a blend, one step either way
}

TEST_F(D3DGpuRouteTest, ARunTimeFailureHandsTheNextFrameToSoftware)
{
    Start(true);
    auto sprite = Picture([](int x, int y) { return 0xFF000000u | uint32_t(x * 16) << 8 | uint32_t(y * 16); });
    screen->Blt(sprite.get(), 0, 0, TRect<int>(0, 0, 16, 16), Color::White, 0);
    EXPECT_TRUE(app.ddInterface->Redraw());
    EXPECT_TRUE(app.ddInterface->mIs3D);
    host.InjectFault(Plat::DisplayCall::DrawPrimitive, 0, Plat::DDERR_SURFACELOST);
    screen->Blt(sprite.get(), 0, 0, TRect<int>(0, 0, 16, 16), Color::White, 0);
    EXPECT_EQ(Lumo::gD3DLastError, "DrawPrimitive (Tri) 1: DDERR_SURFACELOST");
    EXPECT_FALSE(app.ddInterface->Redraw());
    EXPECT_FALSE(app.ddInterface->mIs3D);
    host.ClearFaults();
}

// On the machine's own host: the GPU names itself, passes the rendering
// tests (a software GL gets only its card warning), and the next start
// takes the verdict from the cache without making a device.
TEST_F(D3DGpuRouteTest, TheThreeDTestRunsOnceOnTheGpuAndIsCached)
{
    char saved[4096] = {};
    ASSERT_NE(getcwd(saved, sizeof(saved)), nullptr);
    ASSERT_EQ(chdir(temp.Path().c_str()), 0); // the card lists are read from here
    temp.Write("vhwb.dat", "Software reference device\nllvmpipe\nsoftpipe\nSwiftShader\n");
    Plat::SystemDisplayHost system;
    Plat::DisplayHost* previous = Plat::SetDisplayHost(&system);
    EXPECT_EQ(system.D3D().kind, Plat::D3DDeviceKind::kGpu);
    EXPECT_EQ(system.D3D().deviceIdentity.description, sGpu.renderer);
    EXPECT_EQ(system.D3D().formats & Plat::kD3dFormatP8, 0u);

    auto run = [&] {
        Lumo::D3DTester tester(&app);
        tester.mMinVidMemory = 8;
        tester.mRecVidMemory = 16;
        tester.Test(nullptr, nullptr);
        return std::make_pair(tester.mFailureReason, tester.mWarning);
    };
    const auto [reason, warning] = run();
    EXPECT_EQ(reason, "");
    const bool listed = sGpu.renderer.find("llvmpipe") != std::string::npos ||
                        sGpu.renderer.find("softpipe") != std::string::npos;
    if (listed) {
        EXPECT_EQ(warning, "Unsupported video card: " + sGpu.renderer);
    }
    const int devices = system.CallCount(Plat::DisplayCall::CreateDevice);
    EXPECT_GE(devices, 1);
    const auto [cachedReason, cachedWarning] = run();
    EXPECT_EQ(system.CallCount(Plat::DisplayCall::CreateDevice), devices);
    EXPECT_EQ(cachedReason, reason);
    EXPECT_EQ(cachedWarning, warning);

    Plat::SetDisplayHost(previous);
    ASSERT_EQ(chdir(saved), 0);
}

} // namespace
