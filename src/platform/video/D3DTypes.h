// The records and values of the 3-D device stand-in (what the display code
// knows as Direct3D 7): pre-transformed vertices, primitive kinds, render
// and texture stage states, device capabilities, and what a display host
// tells about the 3-D hardware (kind, limits, identity, driver, quirks).
#pragma once

#include "platform/video/DisplayTypes.h"

#include <array>
#include <cstdint>
#include <string>

namespace Plat {

// A pre-transformed, lit vertex: 32 bytes.
struct TLVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float rhw = 1.0f;
    uint32_t diffuse = 0;
    uint32_t specular = 0;
    float u = 0.0f;
    float v = 0.0f;
};
static_assert(sizeof(TLVertex) == 32, "vertices are 32 bytes");

// Primitive kinds.
constexpr uint32_t kD3dptPointList = 1;
constexpr uint32_t kD3dptLineList = 2;
constexpr uint32_t kD3dptLineStrip = 3;
constexpr uint32_t kD3dptTriangleList = 4;
constexpr uint32_t kD3dptTriangleStrip = 5;
constexpr uint32_t kD3dptTriangleFan = 6;

// Vertex format bits; the device draws only kTLVertexFvf.
constexpr uint32_t kD3dfvfXyzRhw = 0x4;
constexpr uint32_t kD3dfvfDiffuse = 0x40;
constexpr uint32_t kD3dfvfSpecular = 0x80;
constexpr uint32_t kD3dfvfTex1 = 0x100;
constexpr uint32_t kTLVertexFvf = kD3dfvfXyzRhw | kD3dfvfDiffuse | kD3dfvfSpecular | kD3dfvfTex1;
constexpr uint32_t kD3ddpWait = 0x1;

// Render states.
constexpr uint32_t kD3drsZEnable = 7;
constexpr uint32_t kD3drsZWriteEnable = 14;
constexpr uint32_t kD3drsSrcBlend = 19;
constexpr uint32_t kD3drsDestBlend = 20;
constexpr uint32_t kD3drsCullMode = 22;
constexpr uint32_t kD3drsDitherEnable = 26;
constexpr uint32_t kD3drsAlphaBlendEnable = 27;
constexpr uint32_t kD3drsSpecularEnable = 29;
constexpr uint32_t kD3drsLighting = 137;

// Blend factors.
constexpr uint32_t kD3dblendZero = 1;
constexpr uint32_t kD3dblendOne = 2;
constexpr uint32_t kD3dblendSrcAlpha = 5;
constexpr uint32_t kD3dblendInvSrcAlpha = 6;

constexpr uint32_t kD3dcullNone = 1;
constexpr uint32_t kD3dcullCw = 2;
constexpr uint32_t kD3dcullCcw = 3;

// Texture stage states and their values.
constexpr uint32_t kD3dtssColorOp = 1;
constexpr uint32_t kD3dtssAlphaOp = 4;
constexpr uint32_t kD3dtssAddressU = 13;
constexpr uint32_t kD3dtssAddressV = 14;
constexpr uint32_t kD3dtssMagFilter = 16;
constexpr uint32_t kD3dtssMinFilter = 17;
constexpr uint32_t kD3dtssMipFilter = 18;
constexpr uint32_t kD3dtopSelectArg1 = 2;
constexpr uint32_t kD3dtopModulate = 4;
constexpr uint32_t kD3dtaddressClamp = 3;
constexpr uint32_t kD3dtfPoint = 1;  // D3DTFN_POINT, D3DTFG_POINT
constexpr uint32_t kD3dtfLinear = 2; // D3DTFN_LINEAR, D3DTFG_LINEAR
constexpr uint32_t kD3dtfpNone = 1;
constexpr uint32_t kD3dtfpPoint = 2;

constexpr uint32_t kD3dclearTarget = 0x1;

// Texture capability bits.
constexpr uint32_t kD3dptexturecapsPow2 = 0x2;
constexpr uint32_t kD3dptexturecapsAlphaPalette = 0x80;
constexpr uint32_t kD3dptexturecapsNonPow2Conditional = 0x100;

// Texture surface caps (second caps word of the original).
constexpr uint32_t kDdscaps2TextureManage = 0x10;
// Palette with alpha in its entries.
constexpr uint32_t kDdpcapsAlpha = 0x400;

struct D3DViewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;
};

struct D3DDeviceDesc {
    uint32_t textureCaps = 0;
    uint32_t minTextureWidth = 0;
    uint32_t minTextureHeight = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxTextureAspectRatio = 0;
};

// What an adapter calls itself.
struct D3DIdentity {
    std::string driver;      // driver file name, or a path
    std::string description; // the adapter's name
    std::array<uint8_t, 16> guid{};
};

// Texture formats the device can enumerate, as bits.
constexpr uint32_t kD3dFormat8888 = 1;
constexpr uint32_t kD3dFormat4444 = 2;
constexpr uint32_t kD3dFormat565 = 4;
constexpr uint32_t kD3dFormatP8 = 8;

// Ways a device may draw wrongly, for exercising the 3-D test.
constexpr uint32_t kD3dQuirkAlphaAsAdditive = 0x1; // SRCALPHA/INVSRCALPHA drawn as SRCALPHA/ONE
constexpr uint32_t kD3dQuirkAdditiveAsAlpha = 0x2; // ONE/ONE drawn as SRCALPHA/INVSRCALPHA
constexpr uint32_t kD3dQuirkAlphaAddAsAdditive = 0x4; // SRCALPHA/ONE drawn as ONE/ONE
constexpr uint32_t kD3dQuirkPixelOff = 0x8;         // one drawn pixel (the first of each draw) turns grey
constexpr uint32_t kD3dQuirkTexelShift = 0x10;      // texels left of x = 0 shift the picture right
constexpr uint32_t kD3dQuirkIgnoreDiffuseAlpha = 0x20; // the vertex alpha does not modulate

// Which device CreateDevice makes: our reference rasterizer over surface
// memory, or the GPU through SDL's accelerated renderer.
enum class D3DDeviceKind { kReference, kGpu };

// The 3-D hardware as the display host describes it.
struct D3DHostInfo {
    bool available = true; // the display device offers a 3-D object
    D3DDeviceKind kind = D3DDeviceKind::kReference;
    D3DDeviceDesc caps{kD3dptexturecapsNonPow2Conditional | kD3dptexturecapsAlphaPalette, 1, 1, 4096, 4096, 0};
    uint32_t formats = kD3dFormat8888 | kD3dFormat4444 | kD3dFormat565 | kD3dFormatP8;
    // The newer adapter query; optional.
    bool hasAdapterIdentity = false;
    D3DIdentity adapterIdentity;
    // The display device's own identifier.
    D3DIdentity deviceIdentity{"", "Software reference device", {}};
    // Where a driver named without a folder lives.
    std::string systemFolder = "/usr/lib";
    uint32_t quirks = 0;
    // Tests read the device's draw calls from its log when set.
    bool logCalls = false;
};

} // namespace Plat
