// The reference 3-D device: coverage by the top-left rule, exact 1:1
// copies, bilinear weights, clamping, texel times vertex colour and the
// blend pairs on each target format, worked out by hand; and the device's
// refusals (no scene, wrong vertices, locked surfaces, injected faults).
#include "platform/video/D3DDevice.h"
#include "platform/video/D3DObject.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayPalette.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"
#include "support/GpuVideo.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace Plat;

namespace {

class D3DDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LookupDisplayEntry("DirectDrawCreateEx")(&display), DD_OK); }
    void TearDown() override
    {
        if (device != nullptr) {
            device->Release();
        }
        for (DisplaySurface* surface : surfaces) {
            surface->Release();
        }
        display->Release();
    }

    DisplaySurface* Surface(int width, int height, const DisplayPixelFormat& format, uint32_t caps)
    {
        DisplaySurface* surface = LumoTest::MakeSurface(display, width, height, format, caps);
        surfaces.push_back(surface);
        return surface;
    }

    // A target of the given depth (16: 5:6:5 unless rgb555), a device on it
    // in a begun scene, cleared to clearColor, culling off.
    DisplaySurface* Start(int width, int height, int bits = 32, bool rgb555 = false, uint32_t clearColor = 0)
    {
        DisplaySurface* target =
            Surface(width, height, MakeDisplayFormat(bits, rgb555), kDdscapsOffscreenPlain | kDdscaps3DDevice);
        D3DObject* d3d = nullptr;
        EXPECT_EQ(display->QueryInterface(&d3d), DD_OK);
        EXPECT_EQ(d3d->CreateDevice(target, &device), DD_OK);
        d3d->Release();
        EXPECT_EQ(device->Clear(kD3dclearTarget, clearColor, 1.0f, 0), DD_OK);
        EXPECT_EQ(device->SetRenderState(kD3drsCullMode, kD3dcullNone), DD_OK);
        EXPECT_EQ(device->BeginScene(), DD_OK);
        return target;
    }

    DisplaySurface* Texture8888(int width, int height, const std::vector<uint32_t>& texels)
    {
        DisplaySurface* texture = Surface(width, height, {kDdpfRgb | kDdpfAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF,
                                                          0xFF000000u},
                                          kDdscapsTexture);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                texture->WritePixel(x, y, texels[static_cast<size_t>(y * width + x)]);
            }
        }
        return texture;
    }

    void Blend(uint32_t src, uint32_t dest)
    {
        ASSERT_EQ(device->SetRenderState(kD3drsAlphaBlendEnable, 1), DD_OK);
        ASSERT_EQ(device->SetRenderState(kD3drsSrcBlend, src), DD_OK);
        ASSERT_EQ(device->SetRenderState(kD3drsDestBlend, dest), DD_OK);
    }

    // A strip quad from (x0, y0) to (x1, y1) with u, v from (u0, v0) to (u1, v1).
    HResult Quad(float x0, float y0, float x1, float y1, uint32_t diffuse, float u0 = 0.0f, float v0 = 0.0f,
                 float u1 = 1.0f, float v1 = 1.0f)
    {
        const TLVertex quad[4] = {{x0, y0, 0, 1, diffuse, 0, u0, v0},
                                  {x1, y0, 0, 1, diffuse, 0, u1, v0},
                                  {x0, y1, 0, 1, diffuse, 0, u0, v1},
                                  {x1, y1, 0, 1, diffuse, 0, u1, v1}};
        return device->DrawPrimitive(kD3dptTriangleStrip, kTLVertexFvf, quad, 4, 0);
    }

    // Pixels of a 32-bit target's row, low 24 bits.
    static std::vector<uint32_t> Row(DisplaySurface* target, int y)
    {
        std::vector<uint32_t> row;
        for (int x = 0; x < target->Width(); ++x) {
            row.push_back(target->ReadPixel(x, y) & 0xFFFFFF);
        }
        return row;
    }

    TestDisplayHost host;
    DisplayDevice* display = nullptr;
    D3DDevice* device = nullptr;
    std::vector<DisplaySurface*> surfaces;
};

TEST_F(D3DDeviceTest, QuadShiftedByHalfAPixelCoversExactlyItsPixelsOnce)
{
    DisplaySurface* target = Start(8, 7);
    Blend(kD3dblendOne, kD3dblendOne); // a pixel drawn twice would show 0x808080
    ASSERT_EQ(Quad(1.5f, 1.5f, 5.5f, 4.5f, 0xFF404040), DD_OK);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x <= 5 && y >= 2 && y <= 4;
            EXPECT_EQ(target->ReadPixel(x, y) & 0xFFFFFF, inside ? 0x404040u : 0u) << x << "," << y;
        }
    }
}

TEST_F(D3DDeviceTest, EdgesThroughPixelCentresKeepTheTopAndLeftOnes)
{
    DisplaySurface* target = Start(5, 5);
    Blend(kD3dblendOne, kD3dblendOne);
    ASSERT_EQ(Quad(1.0f, 1.0f, 3.0f, 3.0f, 0xFF404040), DD_OK);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(target->ReadPixel(x, y) & 0xFFFFFF, inside ? 0x404040u : 0u) << x << "," << y;
        }
    }
}

TEST_F(D3DDeviceTest, OneToOneQuadCopiesEveryTexelWithPointAndLinearFilters)
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 12; ++i) {
        texels.push_back(0xFF000000u | (i * 0x151515u + 0x030201u));
    }
    for (uint32_t filter : {kD3dtfPoint, kD3dtfLinear}) {
        SCOPED_TRACE(filter);
        DisplaySurface* target = Start(9, 6);
        ASSERT_EQ(device->SetTexture(0, Texture8888(4, 3, texels)), DD_OK);
        ASSERT_EQ(device->SetTextureStageState(0, kD3dtssMagFilter, filter), DD_OK);
        ASSERT_EQ(device->SetTextureStageState(0, kD3dtssMinFilter, filter), DD_OK);
        ASSERT_EQ(Quad(3 - 0.5f, 2 - 0.5f, 7 - 0.5f, 5 - 0.5f, 0xFFFFFFFF), DD_OK);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(target->ReadPixel(3 + x, 2 + y), texels[size_t(y * 4 + x)] & 0xFFFFFF) << x << "," << y;
            }
        }
        EXPECT_EQ(target->ReadPixel(2, 2), 0u);
        EXPECT_EQ(target->ReadPixel(7, 4), 0u);
        device->Release();
        device = nullptr;
    }
}

TEST_F(D3DDeviceTest, LinearFilterHalfwayBetweenTexelsMixesThemEvenly)
{
    DisplaySurface* target = Start(4, 1);
    ASSERT_EQ(device->SetTexture(0, Texture8888(2, 1, {0xFF000000, 0xFFFFFFFF})), DD_OK);
    ASSERT_EQ(device->SetTextureStageState(0, kD3dtssMagFilter, kD3dtfLinear), DD_OK);
    // Unshifted: pixel 1's centre sits on the line between the texels.
    ASSERT_EQ(Quad(0.0f, -0.5f, 2.0f, 0.5f, 0xFFFFFFFF), DD_OK);
    EXPECT_EQ(Row(target, 0), (std::vector<uint32_t>{0, 0x808080, 0, 0}));
}

TEST_F(D3DDeviceTest, TextureCoordinatesOutsideTheTextureClampToItsEdges)
{
    DisplaySurface* target = Start(6, 1);
    ASSERT_EQ(device->SetTexture(0, Texture8888(2, 1, {0xFF000000, 0xFFFFFFFF})), DD_OK);
    // u runs from -1 to 2: u * w at the pixel centres is i - 1.5.
    ASSERT_EQ(Quad(-0.5f, -0.5f, 5.5f, 0.5f, 0xFFFFFFFF, -1.0f, 0.0f, 2.0f, 1.0f), DD_OK);
    EXPECT_EQ(Row(target, 0), (std::vector<uint32_t>{0, 0, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
}

TEST_F(D3DDeviceTest, TexelTimesVertexColourAndAlphaOnlyWithModulate)
{
    DisplaySurface* target = Start(2, 1);
    ASSERT_EQ(device->SetTexture(0, Texture8888(1, 1, {0xFF8040C0})), DD_OK);
    // 0x80 * 0xFF / 255 = 128, 0x40 * 0x80 / 255 = 32.1, 0xC0 * 0 = 0.
    ASSERT_EQ(Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0x80FF8000), DD_OK);
    EXPECT_EQ(target->ReadPixel(0, 0), 0x802000u);

    // Blended over white: the texel's alpha alone, then halved by the vertex.
    Blend(kD3dblendSrcAlpha, kD3dblendInvSrcAlpha);
    ASSERT_EQ(device->SetTexture(0, Texture8888(1, 1, {0xFF000000})), DD_OK);
    ASSERT_EQ(device->Clear(kD3dclearTarget, 0xFFFFFFFF, 1.0f, 0), DD_OK);
    ASSERT_EQ(Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0x80FFFFFF), DD_OK);
    EXPECT_EQ(target->ReadPixel(0, 0), 0u);
    ASSERT_EQ(device->SetTextureStageState(0, kD3dtssAlphaOp, kD3dtopModulate), DD_OK);
    ASSERT_EQ(Quad(0.5f, -0.5f, 1.5f, 0.5f, 0x80FFFFFF), DD_OK);
    EXPECT_EQ(target->ReadPixel(1, 0), 0x7F7F7Fu); // 255 * 127 / 255
}

TEST_F(D3DDeviceTest, BlendPairsGiveTheseWordsOnEachTarget)
{
    struct Case {
        const char* name;
        int bits;
        bool rgb555;
        uint32_t src;
        uint32_t dest;
        uint32_t expected;
    };
    // Blue 0xFF under red 0x80FF0000. On 16 bits the blue reads back as 248.
    const Case cases[] = {
        {"alpha 8888", 32, false, kD3dblendSrcAlpha, kD3dblendInvSrcAlpha, 0x80007F}, // 255*128/255, 255*127/255
        {"alpha 565", 16, false, kD3dblendSrcAlpha, kD3dblendInvSrcAlpha, 0x800F},    // 128>>3 <<11, 248*127/255=124>>3
        {"alpha 555", 16, true, kD3dblendSrcAlpha, kD3dblendInvSrcAlpha, 0x400F},
        {"alpha-add 8888", 32, false, kD3dblendSrcAlpha, kD3dblendOne, 0x8000FF},
        {"alpha-add 565", 16, false, kD3dblendSrcAlpha, kD3dblendOne, 0x801F},
        {"additive 8888", 32, false, kD3dblendOne, kD3dblendOne, 0xFF00FF},
        {"additive 555", 16, true, kD3dblendOne, kD3dblendOne, 0x7C1F},
        {"unblended 565", 16, false, kD3dblendOne, kD3dblendZero, 0xF800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DisplaySurface* target = Start(1, 1, c.bits, c.rgb555, 0xFF0000FF);
        Blend(c.src, c.dest);
        ASSERT_EQ(Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0x80FF0000), DD_OK);
        EXPECT_EQ(target->ReadPixel(0, 0), c.expected);
        device->Release();
        device = nullptr;
    }
}

TEST_F(D3DDeviceTest, FourBitAndPaletteTexturesExpandToFullChannels)
{
    DisplaySurface* target = Start(2, 1);
    DisplaySurface* t4444 = Surface(1, 1, {kDdpfRgb | kDdpfAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000}, kDdscapsTexture);
    t4444->WritePixel(0, 0, 0xF85F); // opaque stays opaque: 0xF -> 0xFF
    DisplaySurface* p8 = Surface(1, 1, {kDdpfRgb | kDdpfPaletteIndexed8, 8, 0, 0, 0, 0}, kDdscapsTexture);
    p8->WritePixel(0, 0, 3);
    std::vector<uint32_t> entries(256, 0);
    entries[3] = 0xFF102030; // alpha, then blue, green, red bytes
    DisplayPalette* palette = nullptr;
    ASSERT_EQ(display->CreatePalette(kDdpcaps8Bit | kDdpcapsAllow256 | kDdpcapsAlpha, entries.data(), &palette), DD_OK);
    Blend(kD3dblendSrcAlpha, kD3dblendInvSrcAlpha);
    ASSERT_EQ(device->SetTexture(0, t4444), DD_OK);
    ASSERT_EQ(Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFF), DD_OK);
    ASSERT_EQ(device->SetTexture(0, p8), DD_OK);
    EXPECT_EQ(Quad(0.5f, -0.5f, 1.5f, 0.5f, 0xFFFFFFFF), D3DERR_INVALIDPALETTE);
    ASSERT_EQ(p8->SetPalette(palette), DD_OK);
    palette->Release();
    ASSERT_EQ(Quad(0.5f, -0.5f, 1.5f, 0.5f, 0xFFFFFFFF), DD_OK);
    EXPECT_EQ(Row(target, 0), (std::vector<uint32_t>{0x8855FF, 0x302010}));
}

TEST_F(D3DDeviceTest, DefaultCullingDropsCounterClockwiseTriangles)
{
    DisplaySurface* target = Start(4, 4);
    ASSERT_EQ(device->SetRenderState(kD3drsCullMode, kD3dcullCcw), DD_OK);
    const TLVertex ccw[3] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0}, {0, 4, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                             {4, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(kD3dptTriangleList, kTLVertexFvf, ccw, 3, 0), DD_OK);
    EXPECT_EQ(target->ReadPixel(0, 0), 0u);
    const TLVertex cw[3] = {ccw[0], ccw[2], ccw[1]};
    ASSERT_EQ(device->DrawPrimitive(kD3dptTriangleList, kTLVertexFvf, cw, 3, 0), DD_OK);
    EXPECT_EQ(target->ReadPixel(0, 0), 0xFFFFFFu);
}

TEST_F(D3DDeviceTest, NonFiniteOrFarCornersSkipTheirTriangleOnly)
{
    DisplaySurface* target = Start(4, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const TLVertex list[6] = {{nan, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0},  {2, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                              {0, 2, 0, 1, 0xFFFFFFFF, 0, 0, 0},    {-0.5f, -0.5f, 0, 1, 0xFF0000FF, 0, 0, 0},
                              {3.5f, -0.5f, 0, 1, 0xFF0000FF, 0, 0, 0}, {-0.5f, 9e9f, 0, 1, 0xFF0000FF, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(kD3dptTriangleList, kTLVertexFvf, list, 6, 0), DD_OK);
    EXPECT_EQ(Row(target, 0), (std::vector<uint32_t>{0, 0, 0, 0}));
    const TLVertex fine[3] = {{-0.5f, -0.5f, 0, 1, 0xFF0000FF, 0, 0, 0}, {3.5f, -0.5f, 0, 1, 0xFF0000FF, 0, 0, 0},
                              {-0.5f, 9e3f, 0, 1, 0xFF0000FF, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(kD3dptTriangleList, kTLVertexFvf, fine, 3, 0), DD_OK);
    EXPECT_EQ(target->ReadPixel(0, 0), 0xFFu);
}

TEST_F(D3DDeviceTest, RefusesWhatTheDeviceCannotDraw)
{
    DisplaySurface* plain = Surface(4, 4, MakeDisplayFormat(32, false), kDdscapsOffscreenPlain);
    D3DObject* d3d = nullptr;
    ASSERT_EQ(display->QueryInterface(&d3d), DD_OK);
    D3DDevice* none = nullptr;
    EXPECT_EQ(d3d->CreateDevice(plain, &none), DDERR_INVALIDCAPS);
    d3d->Release();

    DisplaySurface* target = Start(4, 4);
    const TLVertex tri[3] = {};
    EXPECT_EQ(device->DrawPrimitive(kD3dptTriangleList, 0x144, tri, 3, 0), D3DERR_INVALIDVERTEXTYPE);
    EXPECT_EQ(device->DrawPrimitive(kD3dptPointList, kTLVertexFvf, tri, 3, 0), D3DERR_INVALIDPRIMITIVETYPE);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    SurfaceDesc desc;
    ASSERT_EQ(target->Lock(nullptr, &desc, kDdlockWait), DD_OK);
    EXPECT_EQ(device->DrawPrimitive(kD3dptTriangleList, kTLVertexFvf, tri, 3, 0), DDERR_SURFACEBUSY);
    ASSERT_EQ(target->Unlock(nullptr), DD_OK);
    EXPECT_EQ(device->SetTexture(0, plain), D3DERR_WRONGTEXTUREFORMAT);
    ASSERT_EQ(device->EndScene(), DD_OK);
    EXPECT_EQ(device->DrawPrimitive(kD3dptTriangleList, kTLVertexFvf, tri, 3, 0), D3DERR_SCENE_NOT_IN_SCENE);
    host.InjectFault(DisplayCall::BeginScene, 1, D3DERR_SCENE_BEGIN_FAILED);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_BEGIN_FAILED);
    EXPECT_EQ(device->BeginScene(), DD_OK);

    host.d3d.available = false;
    EXPECT_EQ(display->QueryInterface(&d3d), E_NOINTERFACE);
    EXPECT_EQ(d3d, nullptr);
}

} // namespace

namespace {

// A frame of scattered, rotated, bilinear, colour-graded triangles hashes
// the same in every build: the pipeline's arithmetic does not depend on the
// optimiser (no contraction, no fast math). The expected hashes were taken
// from one build; any other build that differs has a fault.
TEST_F(D3DDeviceTest, AFrameHashesTheSameInEveryBuild)
{
    struct Case {
        int bits;
        uint32_t expected;
    };
    for (const Case c : {Case{32, 2606070559u}, Case{16, 2697088855u}}) {
        SCOPED_TRACE(c.bits);
        DisplaySurface* target = Start(97, 61, c.bits);
        std::vector<uint32_t> texels;
        uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        for (int i = 0; i < 13 * 7; ++i) {
            texels.push_back(next() | 0x20000000u);
        }
        ASSERT_EQ(device->SetTexture(0, Texture8888(13, 7, texels)), DD_OK);
        ASSERT_EQ(device->SetTextureStageState(0, kD3dtssMagFilter, kD3dtfLinear), DD_OK);
        ASSERT_EQ(device->SetTextureStageState(0, kD3dtssAlphaOp, kD3dtopModulate), DD_OK);
        Blend(kD3dblendSrcAlpha, kD3dblendInvSrcAlpha);
        std::vector<TLVertex> list;
        for (int t = 0; t < 40; ++t) {
            const float cx = float(next() % 11000) / 100.0f - 5.0f;
            const float cy = float(next() % 7000) / 100.0f - 5.0f;
            const float angle = float(next() % 628) / 100.0f;
            for (int k = 0; k < 3; ++k) {
                const float a = angle + 2.0944f * float(k);
                TLVertex v;
                v.x = cx + 17.3f * std::cos(a);
                v.y = cy + 11.7f * std::sin(a);
                v.u = float(next() % 1300) / 1000.0f - 0.15f;
                v.v = float(next() % 1300) / 1000.0f - 0.15f;
                v.diffuse = next() | 0x80000000u;
                list.push_back(v);
            }
        }
        ASSERT_EQ(device->DrawPrimitive(kD3dptTriangleList, kTLVertexFvf, list.data(), uint32_t(list.size()), 0),
                  DD_OK);
        uint32_t hash = 2166136261u;
        for (int y = 0; y < target->Height(); ++y) {
            for (int x = 0; x < target->Width(); ++x) {
                hash = (hash ^ target->ReadPixel(x, y)) * 16777619u;
            }
        }
        EXPECT_EQ(hash, c.expected);
        device->Release();
        device = nullptr;
    }
}

} // namespace
