// The GPU side of the 3-D device: SDL's accelerated renderer on a hidden
// window of its own, drawing into a target texture the size of the device's
// render target. The display code sees the target as surface memory, so the
// renderer reads its picture back before the CPU touches that memory and
// uploads the memory again after the CPU wrote it; textures are uploaded
// when first used and after each CPU write.
//
// Positions move by half a pixel (the display code centres pixels at whole
// coordinates, the renderer at halves); texture coordinates are clamped per
// vertex, since the renderer refuses any outside [0, 1]; palette textures
// are uploaded as 8888.
#pragma once

#include "platform/video/D3DReferenceRasterizer.h"
#include "platform/video/D3DTypes.h"
#include "platform/video/DisplayTypes.h"
#include "platform/video/SurfaceObserver.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;
struct SDL_Vertex;

namespace Plat {

class DisplaySurface;

class D3DGpuRenderer : public SurfaceObserver {
public:
    // What the GL driver behind the renderer says of itself.
    struct Identity {
        std::string vendor;
        std::string renderer; // GL_RENDERER, the adapter's description
        std::string version;
        std::string library; // the file of the GL library, or empty
        std::array<uint8_t, 16> guid{}; // MD5 of vendor, renderer and version
        int maxTextureWidth = 0;
        int maxTextureHeight = 0;
        bool hasVideoMemory = false;
        uint64_t videoMemoryBytes = 0;
    };

    // What one draw call needs of the device's states.
    struct DrawState {
        D3DReferenceRasterizer::Blend blend = D3DReferenceRasterizer::Blend::kAlpha;
        bool linear = false;
        bool modulateAlpha = true;
        int cull = 0; // as D3DReferenceRasterizer::SetCull
        DisplayRect viewport;
        DisplaySurface* texture = nullptr;
    };

    // Whether an accelerated renderer can be had here (never on SDL's dummy
    // or offscreen video drivers), and what it is. Needs SDL's video system.
    static bool Probe(Identity& identity);
    // A renderer drawing for target; null when none can be had.
    static std::unique_ptr<D3DGpuRenderer> Create(DisplaySurface* target);

    ~D3DGpuRenderer();
    D3DGpuRenderer(const D3DGpuRenderer&) = delete;
    D3DGpuRenderer& operator=(const D3DGpuRenderer&) = delete;

    // Draws for another target from now on; false when its texture cannot
    // be made.
    bool SetTarget(DisplaySurface* target);
    // Fills rect with an ARGB colour, unblended.
    bool Clear(const DisplayRect& rect, uint32_t argb);
    // Triangles of a list, strip or fan; lines of a list or strip.
    bool Draw(uint32_t type, const TLVertex* vertices, uint32_t count, const DrawState& state);

    void SurfaceReading(DisplaySurface& surface) override;
    void SurfaceWritten(DisplaySurface& surface) override;
    void SurfaceGone(DisplaySurface& surface) override;

private:
    struct TextureEntry {
        SDL_Texture* texture = nullptr;
        bool stale = true;
        bool linear = false;
    };

    D3DGpuRenderer(SDL_Window* window, SDL_Renderer* renderer);

    // The target's memory as the reference rasterizer's rows see it.
    D3DReferenceRasterizer::Target TargetMemory() const;
    // The target texture holds what the CPU wrote last.
    bool UploadTarget();
    void ReadBackTarget();
    // The texture of surface, uploaded when stale; null on failure.
    SDL_Texture* TextureFor(DisplaySurface& surface, bool linear);
    void AddTriangle(const TLVertex& a, const TLVertex& b, const TLVertex& c, const DrawState& state);
    bool SetBlend(SDL_Texture* texture, D3DReferenceRasterizer::Blend blend);
    void SetClip(const DisplayRect& rect);

    SDL_Window* mWindow;
    SDL_Renderer* mRenderer;
    SDL_Texture* mTargetTexture = nullptr;
    DisplaySurface* mTarget = nullptr; // observed, not owned
    int mTargetWidth = 0;
    int mTargetHeight = 0;
    bool mGpuAhead = false; // drawn since the last read-back
    bool mCpuAhead = true;  // written since the last upload
    std::unordered_map<DisplaySurface*, TextureEntry> mTextures;
    std::vector<SDL_Vertex> mVertices;
    std::vector<uint32_t> mStaging; // ARGB rows for uploads and read-backs
};

} // namespace Plat
