// The 3-D device of the display stand-in.
#include "platform/video/D3DDevice.h"

#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayPalette.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

namespace Plat {

namespace {

constexpr uint32_t kD3dtaddressWrap = 1;

DisplayPixelFormat FormatOf(uint32_t bit)
{
    DisplayPixelFormat format;
    switch (bit) {
    case kD3dFormat8888:
        format = {kDdpfRgb | kDdpfAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
        break;
    case kD3dFormat4444:
        format = {kDdpfRgb | kDdpfAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000};
        break;
    case kD3dFormat565:
        format = {kDdpfRgb, 16, 0xF800, 0x7E0, 0x1F, 0};
        break;
    default:
        format = {kDdpfRgb | kDdpfPaletteIndexed8, 8, 0, 0, 0, 0};
        break;
    }
    return format;
}

} // namespace

D3DDevice::D3DDevice(DisplaySurface* target, std::unique_ptr<D3DGpuRenderer> gpu)
    : mTarget(target), mGpu(std::move(gpu))
{
    mTarget->AddRef();
    mRenderStates[kD3drsSrcBlend] = kD3dblendOne;
    mRenderStates[kD3drsDestBlend] = kD3dblendZero;
    mRenderStates[kD3drsCullMode] = kD3dcullCcw;
    mRenderStates[kD3drsZEnable] = 1;
    mRenderStates[kD3drsZWriteEnable] = 1;
    mRenderStates[kD3drsLighting] = 1;
    mStageStates[kD3dtssColorOp] = kD3dtopModulate;
    mStageStates[kD3dtssAlphaOp] = kD3dtopSelectArg1;
    mStageStates[kD3dtssMagFilter] = kD3dtfPoint;
    mStageStates[kD3dtssMinFilter] = kD3dtfPoint;
    mStageStates[kD3dtssMipFilter] = kD3dtfpNone;
    mStageStates[kD3dtssAddressU] = kD3dtaddressWrap;
    mStageStates[kD3dtssAddressV] = kD3dtaddressWrap;
    mViewport.width = mTarget->Width();
    mViewport.height = mTarget->Height();
}

D3DDevice::~D3DDevice()
{
    mGpu.reset(); // it observes the target and the textures
    if (mTexture != nullptr) {
        mTexture->Release();
    }
    mTarget->Release();
}

void D3DDevice::Log(D3DCallRecord::Kind kind, uint32_t first, uint32_t second)
{
    if (GetDisplayHost().D3D().logCalls) {
        mLog.push_back(D3DCallRecord{kind, first, second});
    }
}

HResult D3DDevice::GetCaps(D3DDeviceDesc* desc)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::GetCaps);
    if (Failed(fault)) {
        return fault;
    }
    if (desc == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *desc = GetDisplayHost().D3D().caps;
    return DD_OK;
}

HResult D3DDevice::EnumTextureFormats(TextureFormatCallback callback, void* context)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::EnumTextureFormats);
    if (Failed(fault)) {
        return fault;
    }
    if (callback == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    const uint32_t formats = GetDisplayHost().D3D().formats;
    for (uint32_t bit : {kD3dFormat8888, kD3dFormat4444, kD3dFormat565, kD3dFormatP8}) {
        if ((formats & bit) != 0 && !callback(FormatOf(bit), context)) {
            break;
        }
    }
    return DD_OK;
}

HResult D3DDevice::SetViewport(const D3DViewport& viewport)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetViewport);
    if (Failed(fault)) {
        return fault;
    }
    if (viewport.x < 0 || viewport.y < 0 || viewport.width <= 0 || viewport.height <= 0 ||
        viewport.x + viewport.width > mTarget->Width() || viewport.y + viewport.height > mTarget->Height()) {
        return DDERR_INVALIDPARAMS;
    }
    mViewport = viewport;
    return DD_OK;
}

bool D3DDevice::PrepareRasterizer()
{
    D3DReferenceRasterizer::Target target;
    if (!D3DReferenceRasterizer::TargetKindOf(mTarget->PixelFormat(), target.kind)) {
        return false;
    }
    target.pixels = mTarget->PixelData();
    target.pitch = mTarget->Pitch();
    target.width = mTarget->Width();
    target.height = mTarget->Height();
    mRasterizer.SetTarget(target);
    mRasterizer.SetViewport(DisplayRect{mViewport.x, mViewport.y, mViewport.x + mViewport.width,
                                        mViewport.y + mViewport.height});
    D3DReferenceRasterizer::Texture texture;
    if (mTexture != nullptr) {
        if (!D3DReferenceRasterizer::TextureKindOf(mTexture->PixelFormat(), texture.kind)) {
            return false;
        }
        texture.pixels = mTexture->PixelData();
        texture.pitch = mTexture->Pitch();
        texture.width = mTexture->Width();
        texture.height = mTexture->Height();
        if (texture.kind == D3DReferenceRasterizer::TextureKind::kP8) {
            if (mTexture->Palette() == nullptr) {
                return false;
            }
            uint32_t entries[256];
            mTexture->Palette()->GetEntries(0, 256, entries);
            D3DReferenceRasterizer::PaletteToArgb(entries, mPalette.data());
            texture.palette = mPalette.data();
        }
    }
    mRasterizer.SetTexture(texture);
    const uint32_t quirks = GetDisplayHost().D3D().quirks;
    mRasterizer.SetQuirks(quirks);
    mRasterizer.SetBlend(D3DReferenceRasterizer::BlendOf(mRenderStates[kD3drsAlphaBlendEnable] != 0,
                                                         mRenderStates[kD3drsSrcBlend],
                                                         mRenderStates[kD3drsDestBlend], quirks));
    mRasterizer.SetLinear(mStageStates[kD3dtssMagFilter] == kD3dtfLinear ||
                          mStageStates[kD3dtssMinFilter] == kD3dtfLinear);
    mRasterizer.SetModulateAlpha(mStageStates[kD3dtssAlphaOp] == kD3dtopModulate);
    const uint32_t cull = mRenderStates[kD3drsCullMode];
    mRasterizer.SetCull(cull == kD3dcullCw ? 1 : cull == kD3dcullCcw ? -1 : 0);
    return true;
}

D3DGpuRenderer::DrawState D3DDevice::GpuState() const
{
    D3DGpuRenderer::DrawState state;
    state.blend = D3DReferenceRasterizer::BlendOf(mRenderStates[kD3drsAlphaBlendEnable] != 0,
                                                  mRenderStates[kD3drsSrcBlend], mRenderStates[kD3drsDestBlend], 0);
    state.linear = mStageStates[kD3dtssMagFilter] == kD3dtfLinear || mStageStates[kD3dtssMinFilter] == kD3dtfLinear;
    state.modulateAlpha = mStageStates[kD3dtssAlphaOp] == kD3dtopModulate;
    const uint32_t cull = mRenderStates[kD3drsCullMode];
    state.cull = cull == kD3dcullCw ? 1 : cull == kD3dcullCcw ? -1 : 0;
    state.viewport = DisplayRect{mViewport.x, mViewport.y, mViewport.x + mViewport.width,
                                 mViewport.y + mViewport.height};
    state.texture = mTexture;
    return state;
}

HResult D3DDevice::Clear(uint32_t flags, uint32_t color, float /*z*/, uint32_t /*stencil*/)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::Clear);
    if (Failed(fault)) {
        return fault;
    }
    Log(D3DCallRecord::kClear, flags, color);
    if (mTarget->IsLocked()) {
        return DDERR_SURFACEBUSY;
    }
    if ((flags & kD3dclearTarget) == 0) {
        return DD_OK; // no depth or stencil buffer to clear
    }
    if (mGpu != nullptr) {
        const DisplayRect rect{mViewport.x, mViewport.y, mViewport.x + mViewport.width,
                               mViewport.y + mViewport.height};
        return mGpu->Clear(rect, color) ? DD_OK : DDERR_GENERIC;
    }
    DisplaySurface* texture = mTexture;
    mTexture = nullptr;
    const bool ready = PrepareRasterizer();
    mTexture = texture;
    if (!ready) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    mRasterizer.Clear(color);
    return DD_OK;
}

HResult D3DDevice::SetRenderTarget(DisplaySurface* target)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetRenderTarget);
    if (Failed(fault)) {
        return fault;
    }
    if (target == nullptr || (target->Caps() & kDdscaps3DDevice) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    D3DReferenceRasterizer::TargetKind kind;
    if (!D3DReferenceRasterizer::TargetKindOf(target->PixelFormat(), kind)) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    if (target != mTarget) {
        if (mGpu != nullptr && !mGpu->SetTarget(target)) {
            return DDERR_GENERIC;
        }
        target->AddRef();
        mTarget->Release();
        mTarget = target;
        mViewport = D3DViewport{0, 0, target->Width(), target->Height(), 0.0f, 1.0f};
    }
    return DD_OK;
}

HResult D3DDevice::BeginScene()
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::BeginScene);
    if (Failed(fault)) {
        return fault;
    }
    if (mInScene) {
        return D3DERR_SCENE_IN_SCENE;
    }
    Log(D3DCallRecord::kBeginScene, 0, 0);
    mInScene = true;
    return DD_OK;
}

HResult D3DDevice::EndScene()
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::EndScene);
    if (Failed(fault)) {
        return fault;
    }
    if (!mInScene) {
        return D3DERR_SCENE_NOT_IN_SCENE;
    }
    Log(D3DCallRecord::kEndScene, 0, 0);
    mInScene = false;
    return DD_OK;
}

HResult D3DDevice::SetRenderState(uint32_t state, uint32_t value)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetRenderState);
    if (Failed(fault)) {
        return fault;
    }
    if (state >= mRenderStates.size()) {
        return DDERR_INVALIDPARAMS;
    }
    Log(D3DCallRecord::kRenderState, state, value);
    mRenderStates[state] = value;
    return DD_OK;
}

HResult D3DDevice::SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetTextureStageState);
    if (Failed(fault)) {
        return fault;
    }
    if (stage != 0 || state >= mStageStates.size()) {
        return DDERR_INVALIDPARAMS; // one texture stage
    }
    Log(D3DCallRecord::kTextureStageState, state, value);
    mStageStates[state] = value;
    return DD_OK;
}

HResult D3DDevice::SetTexture(uint32_t stage, DisplaySurface* texture)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetTexture);
    if (Failed(fault)) {
        return fault;
    }
    if (stage != 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (texture != nullptr) {
        D3DReferenceRasterizer::TextureKind kind;
        if ((texture->Caps() & kDdscapsTexture) == 0 ||
            !D3DReferenceRasterizer::TextureKindOf(texture->PixelFormat(), kind)) {
            return D3DERR_WRONGTEXTUREFORMAT;
        }
        texture->AddRef();
    }
    Log(D3DCallRecord::kSetTexture, texture != nullptr ? 1u : 0u, 0);
    if (mTexture != nullptr) {
        mTexture->Release();
    }
    mTexture = texture;
    return DD_OK;
}

HResult D3DDevice::DrawPrimitive(uint32_t type, uint32_t fvf, const TLVertex* vertices, uint32_t count,
                                 uint32_t /*flags*/)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::DrawPrimitive);
    if (Failed(fault)) {
        return fault;
    }
    if (fvf != kTLVertexFvf) {
        return D3DERR_INVALIDVERTEXTYPE;
    }
    if (vertices == nullptr && count > 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (!mInScene) {
        return D3DERR_SCENE_NOT_IN_SCENE;
    }
    if (mTarget->IsLocked()) {
        return DDERR_SURFACEBUSY;
    }
    if (mTexture != nullptr && mTexture->IsLocked()) {
        return D3DERR_TEXTURE_LOCKED;
    }
    if (type < kD3dptLineList || type > kD3dptTriangleFan) {
        return D3DERR_INVALIDPRIMITIVETYPE;
    }
    Log(D3DCallRecord::kDrawPrimitive, type, count);
    if (mTexture != nullptr && mTexture->PixelFormat().bitCount == 8 && mTexture->Palette() == nullptr) {
        return D3DERR_INVALIDPALETTE;
    }
    if (mGpu != nullptr) {
        return mGpu->Draw(type, vertices, count, GpuState()) ? DD_OK : DDERR_GENERIC;
    }
    if (!PrepareRasterizer()) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    mRasterizer.BeginPrimitive();
    switch (type) {
    case kD3dptLineList:
        for (uint32_t i = 0; i + 1 < count; i += 2) {
            mRasterizer.DrawLine(vertices[i], vertices[i + 1]);
        }
        break;
    case kD3dptLineStrip:
        for (uint32_t i = 0; i + 1 < count; ++i) {
            mRasterizer.DrawLine(vertices[i], vertices[i + 1]);
        }
        break;
    case kD3dptTriangleList:
        for (uint32_t i = 0; i + 2 < count; i += 3) {
            mRasterizer.DrawTriangle(vertices[i], vertices[i + 1], vertices[i + 2]);
        }
        break;
    case kD3dptTriangleStrip:
        for (uint32_t i = 0; i + 2 < count; ++i) {
            // Every other triangle of a strip runs the other way round.
            if ((i & 1) == 0) {
                mRasterizer.DrawTriangle(vertices[i], vertices[i + 1], vertices[i + 2]);
            } else {
                mRasterizer.DrawTriangle(vertices[i + 1], vertices[i], vertices[i + 2]);
            }
        }
        break;
    default: // fan
        for (uint32_t i = 1; i + 1 < count; ++i) {
            mRasterizer.DrawTriangle(vertices[0], vertices[i], vertices[i + 1]);
        }
        break;
    }
    return DD_OK;
}

} // namespace Plat
