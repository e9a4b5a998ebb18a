// The GPU 3-D device against the reference device: each scene is drawn by
// both on targets of their own and the pictures compared, pixel for pixel
// where the GPU's rules are the reference's (half-pixel shift, top-left
// rule, point sampling); and the read-back and upload that keep the GPU's
// copies and surface memory in step. Needs a display with an accelerated
// renderer (ctest runs it under xvfb-run); skipped without one.
#include "platform/video/D3DDevice.h"
#include "platform/video/D3DGpuRenderer.h"
#include "platform/video/D3DObject.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayPalette.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"
#include "support/GpuVideo.h"
#include "support/TestDisplayHost.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace Plat;

namespace {

const DisplayPixelFormat k8888{kDdpfRgb | kDdpfAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
const DisplayPixelFormat k4444{kDdpfRgb | kDdpfAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000};
const DisplayPixelFormat k565{kDdpfRgb, 16, 0xF800, 0x7E0, 0x1F, 0};
const DisplayPixelFormat kP8{kDdpfRgb | kDdpfPaletteIndexed8, 8, 0, 0, 0, 0};

class D3DGpuDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        D3DGpuRenderer::Identity identity;
        sHasGpu = LumoTest::StartGpuVideo(identity, sWhyNot);
    }

    void SetUp() override
    {
        if (!sHasGpu) {
            GTEST_SKIP() << "no accelerated renderer here: " << sWhyNot;
        }
        ASSERT_EQ(LookupDisplayEntry("DirectDrawCreateEx")(&display), DD_OK);
    }
    void TearDown() override
    {
        for (D3DDevice* device : devices) {
            device->Release();
        }
        for (DisplaySurface* surface : surfaces) {
            surface->Release();
        }
        if (display != nullptr) {
            display->Release();
        }
    }

    DisplaySurface* Surface(int width, int height, const DisplayPixelFormat& format, uint32_t caps)
    {
        DisplaySurface* surface = LumoTest::MakeSurface(display, width, height, format, caps);
        surfaces.push_back(surface);
        return surface;
    }

    // A texture of pseudo-random texels with a spread of alphas.
    DisplaySurface* Texture(int width, int height, const DisplayPixelFormat& format, uint32_t seed)
    {
        DisplaySurface* texture = Surface(width, height, format, kDdscapsTexture);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                seed = seed * 1103515245u + 12345u;
                texture->WritePixel(x, y, seed >> 4);
            }
        }
        if (format.bitCount == 8) {
            uint32_t entries[256];
            for (uint32_t i = 0; i < 256; ++i) {
                entries[i] = (i * 0x01030507u) | 0x40000000u;
            }
            DisplayPalette* palette = nullptr;
            EXPECT_EQ(display->CreatePalette(0, entries, &palette), DD_OK);
            texture->SetPalette(palette);
            palette->Release();
        }
        return texture;
    }

    // A device of the kind on a fresh target, cleared to a grey, culling
    // off, alpha blending on, in a begun scene.
    D3DDevice* Start(D3DDeviceKind kind, int width, int height, int bits)
    {
        host.d3d.kind = kind;
        DisplaySurface* target =
            Surface(width, height, MakeDisplayFormat(bits, false), kDdscapsOffscreenPlain | kDdscaps3DDevice);
        D3DObject* d3d = nullptr;
        EXPECT_EQ(display->QueryInterface(&d3d), DD_OK);
        D3DDevice* device = nullptr;
        EXPECT_EQ(d3d->CreateDevice(target, &device), DD_OK);
        d3d->Release();
        if (device == nullptr) {
            return nullptr;
        }
        devices.push_back(device);
        EXPECT_EQ(device->OnGpu(), kind == D3DDeviceKind::kGpu);
        EXPECT_EQ(device->Clear(kD3dclearTarget, 0xFF406080u, 1.0f, 0), DD_OK);
        EXPECT_EQ(device->SetRenderState(kD3drsCullMode, kD3dcullNone), DD_OK);
        EXPECT_EQ(device->SetRenderState(kD3drsAlphaBlendEnable, 1), DD_OK);
        EXPECT_EQ(device->SetRenderState(kD3drsSrcBlend, kD3dblendSrcAlpha), DD_OK);
        EXPECT_EQ(device->SetRenderState(kD3drsDestBlend, kD3dblendInvSrcAlpha), DD_OK);
        EXPECT_EQ(device->SetTextureStageState(0, kD3dtssAddressU, kD3dtaddressClamp), DD_OK);
        EXPECT_EQ(device->SetTextureStageState(0, kD3dtssAddressV, kD3dtaddressClamp), DD_OK);
        EXPECT_EQ(device->BeginScene(), DD_OK);
        return device;
    }

    // The target's pixels (RGB), through a lock as the display code reads them.
    static std::vector<uint32_t> Pixels(D3DDevice* device)
    {
        DisplaySurface* target = device->RenderTarget();
        SurfaceDesc desc;
        desc.size = kSurfaceDesc2Size;
        EXPECT_EQ(target->Lock(nullptr, &desc, kDdlockWait | kDdlockReadOnly), DD_OK);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < target->Height(); ++y) {
            for (int x = 0; x < target->Width(); ++x) {
                pixels.push_back(target->ReadPixel(x, y) & 0xFFFFFF);
            }
        }
        EXPECT_EQ(target->Unlock(nullptr), DD_OK);
        return pixels;
    }

    using Scene = std::function<void(D3DDevice*)>;

    struct Difference {
        int pixels = -1;  // pixels that differ at all
        int beyondOne = -1; // pixels with a channel more than one step off
        int worst = -1;   // the largest channel difference
    };

    // Draws the scene on a reference and a GPU device and compares.
    Difference Compare(const Scene& scene, int width, int height, int bits)
    {
        Difference difference;
        D3DDevice* reference = Start(D3DDeviceKind::kReference, width, height, bits);
        D3DDevice* gpu = Start(D3DDeviceKind::kGpu, width, height, bits);
        if (reference == nullptr || gpu == nullptr) {
            ADD_FAILURE() << "no device";
            return difference;
        }
        scene(reference);
        scene(gpu);
        EXPECT_EQ(reference->EndScene(), DD_OK);
        EXPECT_EQ(gpu->EndScene(), DD_OK);
        const std::vector<uint32_t> want = Pixels(reference);
        const std::vector<uint32_t> got = Pixels(gpu);
        difference = Difference{0, 0, 0};
        for (size_t i = 0; i < want.size(); ++i) {
            int pixelWorst = 0;
            for (int shift : {0, 8, 16}) {
                const int a = static_cast<int>((want[i] >> shift) & 255);
                const int b = static_cast<int>((got[i] >> shift) & 255);
                pixelWorst = std::max(pixelWorst, std::abs(a - b));
            }
            difference.pixels += pixelWorst > 0 ? 1 : 0;
            difference.beyondOne += pixelWorst > 1 ? 1 : 0;
            difference.worst = std::max(difference.worst, pixelWorst);
        }
        return difference;
    }

    static void Quad(D3DDevice* device, float x0, float y0, float x1, float y1, uint32_t diffuse,
                     uint32_t type = kD3dptTriangleStrip)
    {
        const TLVertex strip[4] = {{x0, y0, 0, 1, diffuse, 0, 0, 0},
                                   {x1, y0, 0, 1, diffuse, 0, 1, 0},
                                   {x0, y1, 0, 1, diffuse, 0, 0, 1},
                                   {x1, y1, 0, 1, diffuse, 0, 1, 1}};
        if (type == kD3dptTriangleStrip) {
            ASSERT_EQ(device->DrawPrimitive(kD3dptTriangleStrip, kTLVertexFvf, strip, 4, 0), DD_OK);
            return;
        }
        const TLVertex fan[4] = {strip[0], strip[1], strip[3], strip[2]};
        ASSERT_EQ(device->DrawPrimitive(kD3dptTriangleFan, kTLVertexFvf, fan, 4, 0), DD_OK);
    }

    static void SetBlend(D3DDevice* device, uint32_t src, uint32_t dest)
    {
        ASSERT_EQ(device->SetRenderState(kD3drsSrcBlend, src), DD_OK);
        ASSERT_EQ(device->SetRenderState(kD3drsDestBlend, dest), DD_OK);
    }

    static void SetLinear(D3DDevice* device, bool linear)
    {
        const uint32_t filter = linear ? kD3dtfLinear : kD3dtfPoint;
        ASSERT_EQ(device->SetTextureStageState(0, kD3dtssMagFilter, filter), DD_OK);
        ASSERT_EQ(device->SetTextureStageState(0, kD3dtssMinFilter, filter), DD_OK);
    }

    static inline bool sHasGpu = false;
    static inline std::string sWhyNot;
    TestDisplayHost host;
    DisplayDevice* display = nullptr;
    std::vector<D3DDevice*> devices;
    std::vector<DisplaySurface*> surfaces;
};

// Scenes on which the GPU must give the reference's very pixels.
TEST_F(D3DGpuDeviceTest, ExactScenesMatchTheReferenceDevice)
{
    struct Case {
        const char* name;
        int bits;
        std::function<void(D3DGpuDeviceTest&, D3DDevice*)> draw;
    };
    DisplaySurface* texels = Texture(16, 12, k8888, 7);
    DisplaySurface* four = Texture(16, 12, k4444, 8);
    DisplaySurface* plain = Texture(16, 12, k565, 9);
    DisplaySurface* indexed = Texture(16, 12, kP8, 10);
    DisplaySurface* checker = Surface(64, 64, k8888, kDdscapsTexture);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            checker->WritePixel(x, y, (x & 1) != 0 ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    const std::vector<Case> cases = {
        {"one-to-one copies at -0.5, strip and fan", 32,
         [&](D3DGpuDeviceTest&, D3DDevice* d) {
             ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 0), DD_OK);
             ASSERT_EQ(d->SetTexture(0, texels), DD_OK);
             Quad(d, 2.5f, 3.5f, 18.5f, 15.5f, 0xFFFFFFFFu);
             Quad(d, 20.5f, 3.5f, 36.5f, 15.5f, 0xFFFFFFFFu, kD3dptTriangleFan);
         }},
        {"texture formats", 32,
         [&](D3DGpuDeviceTest&, D3DDevice* d) {
             ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 0), DD_OK);
             int x = 0;
             for (DisplaySurface* texture : {texels, four, plain, indexed}) {
                 ASSERT_EQ(d->SetTexture(0, texture), DD_OK);
                 Quad(d, float(x) - 0.5f, -0.5f, float(x) + 15.5f, 11.5f, 0xFFFFFFFFu);
                 x += 16;
             }
         }},
        {"untextured blend pairs", 32,
         [&](D3DGpuDeviceTest&, D3DDevice* d) {
             ASSERT_EQ(d->SetTexture(0, nullptr), DD_OK);
             Quad(d, -0.5f, -0.5f, 9.5f, 9.5f, 0x80FF2010u);
             SetBlend(d, kD3dblendSrcAlpha, kD3dblendOne);
             Quad(d, 9.5f, -0.5f, 19.5f, 9.5f, 0x80FF2010u);
             SetBlend(d, kD3dblendOne, kD3dblendOne);
             Quad(d, 19.5f, -0.5f, 29.5f, 9.5f, 0xFF404040u);
             ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 0), DD_OK);
             Quad(d, 29.5f, -0.5f, 39.5f, 9.5f, 0x80FF2010u);
         }},
        {"clip test: a checkerboard from (-2, -2)", 32,
         [&](D3DGpuDeviceTest&, D3DDevice* d) {
             ASSERT_EQ(d->SetTexture(0, checker), DD_OK);
             Quad(d, -2.5f, -2.5f, 61.5f, 61.5f, 0xFFFFFFFFu);
         }},
        {"16-bit target", 16,
         [&](D3DGpuDeviceTest&, D3DDevice* d) {
             ASSERT_EQ(d->SetTexture(0, texels), DD_OK);
             ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 0), DD_OK);
             Quad(d, 2.5f, 3.5f, 18.5f, 15.5f, 0xFFFFFFFFu);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Difference difference = Compare([&](D3DDevice* d) { c.draw(*this, d); }, 64, 40, c.bits);
        EXPECT_EQ(difference.pixels, 0) << "largest channel difference " << difference.worst;
    }
}

// The display code sees the target as memory: a lock or a blit between
// draws reads what the GPU drew, and what the CPU wrote is under the next
// draw; a texture rewritten between two draws shows each its own picture.
TEST_F(D3DGpuDeviceTest, CpuAndGpuSeeEachOthersWritesOnTargetAndTextures)
{
    const Difference difference = Compare(
        [&](D3DDevice* d) {
            DisplaySurface* target = d->RenderTarget();
            DisplaySurface* texture = Texture(16, 12, k8888, 21);
            ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 0), DD_OK);
            ASSERT_EQ(d->SetTexture(0, texture), DD_OK);
            Quad(d, -0.5f, -0.5f, 15.5f, 11.5f, 0xFFFFFFFFu);

            SurfaceDesc desc;
            desc.size = kSurfaceDesc2Size;
            ASSERT_EQ(target->Lock(nullptr, &desc, kDdlockWait), DD_OK);
            for (int y = 4; y < 7; ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.surface) + y * desc.pitch);
                for (int x = 0; x < 40; ++x) {
                    row[x] = row[x] ^ 0x00FF00u;
                }
            }
            ASSERT_EQ(target->Unlock(nullptr), DD_OK);

            ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 1), DD_OK);
            ASSERT_EQ(d->SetTexture(0, nullptr), DD_OK);
            Quad(d, 8.5f, 2.5f, 30.5f, 8.5f, 0x80FF0000u);

            ASSERT_EQ(texture->Lock(nullptr, &desc, kDdlockWait | kDdlockWriteOnly), DD_OK);
            for (int y = 0; y < 12; ++y) {
                std::fill_n(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.surface) + y * desc.pitch), 16,
                            0xFF2040C0u + static_cast<uint32_t>(y));
            }
            ASSERT_EQ(texture->Unlock(nullptr), DD_OK);
            ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 0), DD_OK);
            ASSERT_EQ(d->SetTexture(0, texture), DD_OK);
            Quad(d, 39.5f, 19.5f, 55.5f, 31.5f, 0xFFFFFFFFu);

            // Out through a blit and back in through another.
            DisplaySurface* copy = Surface(20, 10, MakeDisplayFormat(32, false), kDdscapsOffscreenPlain);
            const DisplayRect from{0, 0, 20, 10};
            const DisplayRect to{2, 28, 22, 38};
            ASSERT_EQ(copy->Blt(nullptr, target, &from, 0, nullptr), DD_OK);
            ASSERT_EQ(target->Blt(&to, copy, nullptr, 0, nullptr), DD_OK);
            ASSERT_EQ(d->SetRenderState(kD3drsAlphaBlendEnable, 1), DD_OK);
            ASSERT_EQ(d->SetTexture(0, nullptr), DD_OK);
            Quad(d, 10.5f, 30.5f, 60.5f, 35.5f, 0x800000FFu);
        },
        64, 40, 32);
    EXPECT_EQ(difference.pixels, 0) << "largest channel difference " << difference.worst;
}

// Scenes where the two round differently: blending and modulation round
// each channel their own way (a few steps at most), and a stretched or
// rotated point-sampled picture may take the neighbouring texel where a
// sample lands on a texel edge (a few pixels in a hundred).
TEST_F(D3DGpuDeviceTest, BlendedStretchedAndRotatedScenesStayWithinOneStep)
{
    struct Case {
        const char* name;
        std::function<void(D3DDevice*)> draw;
        int mostBeyondOne; // pixels allowed past one step (of 2560)
        int worst;         // the largest channel difference allowed
    };
    DisplaySurface* texels = Texture(16, 12, k8888, 11);
    auto rotated = [&](D3DDevice* d, bool linear) {
        ASSERT_EQ(d->SetTexture(0, texels), DD_OK);
        SetLinear(d, linear);
        ASSERT_EQ(d->SetTextureStageState(0, kD3dtssAlphaOp, kD3dtopModulate), DD_OK);
        for (int i = 0; i < 6; ++i) {
            const double angle = 0.3 + 0.9 * i;
            const float cx = 10.0f + 9.0f * float(i);
            const float cy = 20.0f;
            TLVertex quad[4];
            for (int k = 0; k < 4; ++k) {
                const float lx = (k & 1) != 0 ? 12.0f : -12.0f;
                const float ly = (k & 2) != 0 ? 9.0f : -9.0f;
                quad[k].x = cx + float(lx * std::cos(angle) - ly * std::sin(angle));
                quad[k].y = cy + float(lx * std::sin(angle) + ly * std::cos(angle));
                quad[k].diffuse = 0xC0FFE0D0u;
                quad[k].u = (k & 1) != 0 ? 1.0f : 0.0f;
                quad[k].v = (k & 2) != 0 ? 1.0f : 0.0f;
            }
            ASSERT_EQ(d->DrawPrimitive(kD3dptTriangleStrip, kTLVertexFvf, quad, 4, 0), DD_OK);
        }
    };
    const std::vector<Case> cases = {
        {"blended 1:1 copies",
         [&](D3DDevice* d) {
             ASSERT_EQ(d->SetTexture(0, texels), DD_OK);
             Quad(d, 2.5f, 3.5f, 18.5f, 15.5f, 0xFFFFFFFFu);
         },
         0, 1},
        {"point-sampled stretch",
         [&](D3DDevice* d) {
             ASSERT_EQ(d->SetTexture(0, texels), DD_OK);
             Quad(d, 0.5f, 0.5f, 37.5f, 29.5f, 0xFFFFFFFFu);
             Quad(d, 40.5f, 3.5f, 49.5f, 9.5f, 0xFFFFFFFFu);
         },
         64, 255},
        {"rotated, point", [&](D3DDevice* d) { rotated(d, false); }, 128, 255},
        {"rotated, bilinear", [&](D3DDevice* d) { rotated(d, true); }, 128, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Difference difference = Compare(c.draw, 64, 40, 32);
        EXPECT_LE(difference.beyondOne, c.mostBeyondOne) << "largest channel difference " << difference.worst;
        EXPECT_LE(difference.worst, c.worst);
    }
}

} // namespace
