// The 3-D device of the display stand-in: render states, texture stage
// states, a texture (a display surface), a viewport and a scene, drawing
// pre-transformed vertices onto its render target through the reference
// rasterizer, or through the GPU when made with a GPU renderer. Every call
// can be made to fail from the display host; with the host's logCalls set,
// the device keeps a log of its calls for tests.
#pragma once

#include "platform/video/D3DGpuRenderer.h"
#include "platform/video/D3DReferenceRasterizer.h"
#include "platform/video/D3DTypes.h"
#include "platform/video/DisplayObject.h"
#include "platform/video/DisplayTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Plat {

class DisplaySurface;

// One call in the device's log.
struct D3DCallRecord {
    enum Kind { kRenderState, kTextureStageState, kSetTexture, kDrawPrimitive, kClear, kBeginScene, kEndScene };
    Kind kind;
    uint32_t first;  // the state, the primitive type, or 1 for a texture set
    uint32_t second; // the value, or the vertex count
};

// Called for each enumerated texture format; false stops the enumeration.
using TextureFormatCallback = bool (*)(const DisplayPixelFormat& format, void* context);

class D3DDevice : public DisplayObject {
public:
    // Made by D3DObject::CreateDevice; holds a reference to the target.
    // With gpu, draws through it instead of the reference rasterizer.
    explicit D3DDevice(DisplaySurface* target, std::unique_ptr<D3DGpuRenderer> gpu = nullptr);

    HResult GetCaps(D3DDeviceDesc* desc);
    HResult EnumTextureFormats(TextureFormatCallback callback, void* context);
    HResult SetViewport(const D3DViewport& viewport);
    HResult Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil);
    HResult SetRenderTarget(DisplaySurface* target);
    HResult BeginScene();
    HResult EndScene();
    HResult SetRenderState(uint32_t state, uint32_t value);
    HResult SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value);
    // Null for no texture; a texture must be an 8888, 4444, 5:6:5 or
    // palette (with a palette attached) surface.
    HResult SetTexture(uint32_t stage, DisplaySurface* texture);
    // Only kTLVertexFvf vertices, inside a scene, on an unlocked target
    // and texture.
    HResult DrawPrimitive(uint32_t type, uint32_t fvf, const TLVertex* vertices, uint32_t count, uint32_t flags);

    // ---- Read-outs for tests
    const std::vector<D3DCallRecord>& CallLog() const { return mLog; }
    void ClearCallLog() { mLog.clear(); }
    uint32_t RenderState(uint32_t state) const { return state < mRenderStates.size() ? mRenderStates[state] : 0; }
    uint32_t TextureStageState(uint32_t state) const
    {
        return state < mStageStates.size() ? mStageStates[state] : 0;
    }
    bool InScene() const { return mInScene; }
    DisplaySurface* RenderTarget() const { return mTarget; }
    bool OnGpu() const { return mGpu != nullptr; }

private:
    ~D3DDevice() override;

    void Log(D3DCallRecord::Kind kind, uint32_t first, uint32_t second);
    // Points the rasterizer at the target, texture and states of now;
    // false when the target or texture cannot be drawn with.
    bool PrepareRasterizer();
    D3DGpuRenderer::DrawState GpuState() const;

    DisplaySurface* mTarget;            // one reference
    DisplaySurface* mTexture = nullptr; // one reference
    std::array<uint32_t, 256> mRenderStates{};
    std::array<uint32_t, 32> mStageStates{};
    D3DViewport mViewport;
    bool mInScene = false;
    std::array<uint32_t, 256> mPalette{}; // the texture's palette as ARGB
    D3DReferenceRasterizer mRasterizer;
    std::vector<D3DCallRecord> mLog;
    std::unique_ptr<D3DGpuRenderer> mGpu;
};

} // namespace Plat
