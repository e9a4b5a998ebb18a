// The GPU side of the 3-D device, over SDL's accelerated renderer.
#include "platform/video/D3DGpuRenderer.h"

#include "platform/system/MD5Digest.h"
#include "platform/video/DisplayPalette.h"
#include "platform/video/DisplaySurface.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace Plat {

namespace {

using Blend = D3DReferenceRasterizer::Blend;

constexpr unsigned kGlVendor = 0x1F00;
constexpr unsigned kGlRenderer = 0x1F01;
constexpr unsigned kGlVersion = 0x1F02;
constexpr unsigned kGlGpuMemoryTotalNvx = 0x9048;    // kilobytes
constexpr unsigned kGlTextureFreeMemoryAti = 0x87FC; // kilobytes, four values
constexpr int kGlxRendererVideoMemoryMesa = 0x8187;   // megabytes

using GlGetString = const unsigned char* (*)(unsigned);
using GlGetIntegerv = void (*)(unsigned, int*);
using GlxGetCurrentDisplay = void* (*)();
using GlxQueryExtensionsString = const char* (*)(void*, int);
using GlxQueryCurrentRendererInteger = int (*)(int, unsigned*);

bool IsHeadlessDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

// A hidden window and an accelerated renderer that can draw into textures;
// GL first, since the identity comes from GL.
bool OpenRenderer(SDL_Window*& window, SDL_Renderer*& renderer)
{
    window = nullptr;
    renderer = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || IsHeadlessDriver()) {
        return false;
    }
    window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    if (window == nullptr) {
        window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_HIDDEN);
    }
    if (window == nullptr) {
        return false;
    }
    constexpr Uint32 kFlags = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
    const int drivers = SDL_GetNumRenderDrivers();
    for (int i = 0; i < drivers && renderer == nullptr; ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, "opengl") == 0) {
            renderer = SDL_CreateRenderer(window, i, kFlags);
        }
    }
    if (renderer == nullptr) {
        renderer = SDL_CreateRenderer(window, -1, kFlags);
    }
    SDL_RendererInfo info;
    if (renderer != nullptr &&
        (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & kFlags) != kFlags ||
         std::strcmp(info.name, "software") == 0)) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
    }
    if (renderer == nullptr) {
        SDL_DestroyWindow(window);
        window = nullptr;
        return false;
    }
    return true;
}

std::string GlText(GlGetString getString, unsigned name)
{
    const unsigned char* text = getString(name);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

// The file the GL library was loaded from, by the address of one of its
// functions; a full path where the loader knows one.
std::string LibraryOf(void* function)
{
    Dl_info info;
    if (dladdr(function, &info) == 0 || info.dli_fname == nullptr) {
        return std::string();
    }
    std::string name = info.dli_fname;
    if (name.find('/') == std::string::npos) {
        void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
        struct link_map* map = nullptr;
        if (handle != nullptr) {
            if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr &&
                map->l_name[0] != '\0') {
                name = map->l_name;
            }
            dlclose(handle);
        }
    }
    return name;
}

// The driver's own answer for the video memory, through whichever
// extension it offers.
bool VideoMemoryOf(uint64_t& bytes)
{
    auto getIntegerv = reinterpret_cast<GlGetIntegerv>(SDL_GL_GetProcAddress("glGetIntegerv"));
    if (getIntegerv != nullptr && SDL_GL_ExtensionSupported("GL_NVX_gpu_memory_info")) {
        int kilobytes = 0;
        getIntegerv(kGlGpuMemoryTotalNvx, &kilobytes);
        bytes = static_cast<uint64_t>(std::max(kilobytes, 0)) << 10;
        return kilobytes > 0;
    }
    if (getIntegerv != nullptr && SDL_GL_ExtensionSupported("GL_ATI_meminfo")) {
        int values[4] = {};
        getIntegerv(kGlTextureFreeMemoryAti, values);
        bytes = static_cast<uint64_t>(std::max(values[0], 0)) << 10;
        return values[0] > 0;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return false;
    }
    auto currentDisplay = reinterpret_cast<GlxGetCurrentDisplay>(SDL_GL_GetProcAddress("glXGetCurrentDisplay"));
    auto extensions = reinterpret_cast<GlxQueryExtensionsString>(SDL_GL_GetProcAddress("glXQueryExtensionsString"));
    void* display = currentDisplay != nullptr ? currentDisplay() : nullptr;
    const char* list = display != nullptr && extensions != nullptr ? extensions(display, 0) : nullptr;
    if (list == nullptr || std::strstr(list, "GLX_MESA_query_renderer") == nullptr) {
        return false;
    }
    auto query = reinterpret_cast<GlxQueryCurrentRendererInteger>(
        SDL_GL_GetProcAddress("glXQueryCurrentRendererIntegerMESA"));
    unsigned megabytes = 0;
    if (query == nullptr || query(kGlxRendererVideoMemoryMesa, &megabytes) == 0 || megabytes == 0) {
        return false;
    }
    bytes = static_cast<uint64_t>(megabytes) << 20;
    return true;
}

SDL_BlendMode BlendModeOf(Blend blend)
{
    switch (blend) {
    case Blend::kAlpha:
        return SDL_BLENDMODE_BLEND;
    case Blend::kAlphaAdd:
        return SDL_BLENDMODE_ADD;
    case Blend::kAdd:
        return SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD,
                                          SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD);
    default:
        return SDL_BLENDMODE_NONE;
    }
}

bool Usable(const TLVertex& v)
{
    constexpr float kMost = D3DReferenceRasterizer::kMaxCoordinate;
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.u) && std::isfinite(v.v) &&
           std::fabs(v.x) <= kMost && std::fabs(v.y) <= kMost;
}

} // namespace

bool D3DGpuRenderer::Probe(Identity& identity)
{
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    if (!OpenRenderer(window, renderer)) {
        return false;
    }
    identity = Identity();
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    identity.maxTextureWidth = info.max_texture_width;
    identity.maxTextureHeight = info.max_texture_height;
    auto getString = reinterpret_cast<GlGetString>(SDL_GL_GetProcAddress("glGetString"));
    if (std::strncmp(info.name, "opengl", 6) == 0 && getString != nullptr && SDL_GL_GetCurrentContext() != nullptr) {
        identity.vendor = GlText(getString, kGlVendor);
        identity.renderer = GlText(getString, kGlRenderer);
        identity.version = GlText(getString, kGlVersion);
        identity.library = LibraryOf(reinterpret_cast<void*>(getString));
        identity.hasVideoMemory = VideoMemoryOf(identity.videoMemoryBytes);
    }
    if (identity.renderer.empty()) {
        identity.renderer = info.name;
    }
    const std::string named = identity.vendor + "\n" + identity.renderer + "\n" + identity.version;
    MD5Context context;
    MD5Update(context, named.data(), named.size());
    MD5Final(identity.guid.data(), context);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    return true;
}

std::unique_ptr<D3DGpuRenderer> D3DGpuRenderer::Create(DisplaySurface* target)
{
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    if (target == nullptr || !OpenRenderer(window, renderer)) {
        return nullptr;
    }
    std::unique_ptr<D3DGpuRenderer> made(new D3DGpuRenderer(window, renderer));
    if (!made->SetTarget(target)) {
        return nullptr;
    }
    return made;
}

D3DGpuRenderer::D3DGpuRenderer(SDL_Window* window, SDL_Renderer* renderer) : mWindow(window), mRenderer(renderer) {}

D3DGpuRenderer::~D3DGpuRenderer()
{
    if (mTarget != nullptr) {
        mTarget->RemoveObserver(this);
    }
    for (auto& [surface, entry] : mTextures) {
        surface->RemoveObserver(this);
        SDL_DestroyTexture(entry.texture);
    }
    if (mTargetTexture != nullptr) {
        SDL_DestroyTexture(mTargetTexture);
    }
    SDL_DestroyRenderer(mRenderer);
    SDL_DestroyWindow(mWindow);
}

bool D3DGpuRenderer::SetTarget(DisplaySurface* target)
{
    if (target == mTarget) {
        return true;
    }
    D3DReferenceRasterizer::TargetKind kind;
    if (target == nullptr || !D3DReferenceRasterizer::TargetKindOf(target->PixelFormat(), kind)) {
        return false;
    }
    if (mTarget != nullptr) {
        ReadBackTarget();
    }
    if (mTargetTexture == nullptr || mTargetWidth != target->Width() || mTargetHeight != target->Height()) {
        // The new texture is made before the old one goes: when it cannot
        // be, the device keeps drawing on its old target.
        SDL_Texture* texture = SDL_CreateTexture(mRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                                 target->Width(), target->Height());
        if (texture == nullptr || SDL_SetRenderTarget(mRenderer, texture) != 0) {
            if (texture != nullptr) {
                SDL_SetRenderTarget(mRenderer, mTargetTexture);
                SDL_DestroyTexture(texture);
            }
            return false;
        }
        if (mTargetTexture != nullptr) {
            SDL_DestroyTexture(mTargetTexture);
        }
        mTargetTexture = texture;
        mTargetWidth = target->Width();
        mTargetHeight = target->Height();
    }
    if (mTarget != nullptr && mTextures.find(mTarget) == mTextures.end()) {
        mTarget->RemoveObserver(this);
    }
    mTarget = target;
    mTarget->AddObserver(this);
    mCpuAhead = true;
    mGpuAhead = false;
    return true;
}

D3DReferenceRasterizer::Target D3DGpuRenderer::TargetMemory() const
{
    D3DReferenceRasterizer::Target target;
    D3DReferenceRasterizer::TargetKindOf(mTarget->PixelFormat(), target.kind);
    target.pixels = mTarget->PixelData();
    target.pitch = mTarget->Pitch();
    target.width = mTargetWidth;
    target.height = mTargetHeight;
    return target;
}

bool D3DGpuRenderer::UploadTarget()
{
    if (!mCpuAhead) {
        return true;
    }
    const D3DReferenceRasterizer::Target target = TargetMemory();
    mStaging.resize(static_cast<size_t>(mTargetWidth) * static_cast<size_t>(mTargetHeight));
    for (int y = 0; y < mTargetHeight; ++y) {
        D3DReferenceRasterizer::TargetRowToArgb(target, y, mStaging.data() + static_cast<size_t>(y) * mTargetWidth);
    }
    SDL_RenderFlush(mRenderer);
    if (SDL_UpdateTexture(mTargetTexture, nullptr, mStaging.data(), mTargetWidth * 4) != 0) {
        return false;
    }
    mCpuAhead = false;
    return true;
}

void D3DGpuRenderer::ReadBackTarget()
{
    if (!mGpuAhead || mTarget == nullptr) {
        return;
    }
    mGpuAhead = false;
    mStaging.resize(static_cast<size_t>(mTargetWidth) * static_cast<size_t>(mTargetHeight));
    if (SDL_RenderReadPixels(mRenderer, nullptr, SDL_PIXELFORMAT_ARGB8888, mStaging.data(), mTargetWidth * 4) != 0) {
        return;
    }
    const D3DReferenceRasterizer::Target target = TargetMemory();
    for (int y = 0; y < mTargetHeight; ++y) {
        D3DReferenceRasterizer::StoreTargetRow(target, y, mStaging.data() + static_cast<size_t>(y) * mTargetWidth);
    }
}

SDL_Texture* D3DGpuRenderer::TextureFor(DisplaySurface& surface, bool linear)
{
    D3DReferenceRasterizer::Texture texture;
    if (!D3DReferenceRasterizer::TextureKindOf(surface.PixelFormat(), texture.kind)) {
        return nullptr;
    }
    auto found = mTextures.find(&surface);
    if (found == mTextures.end()) {
        TextureEntry entry;
        entry.texture = SDL_CreateTexture(mRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                          surface.Width(), surface.Height());
        if (entry.texture == nullptr) {
            return nullptr;
        }
        SDL_SetTextureScaleMode(entry.texture, SDL_ScaleModeNearest);
        found = mTextures.emplace(&surface, entry).first;
        surface.AddObserver(this);
    }
    TextureEntry& entry = found->second;
    if (entry.stale) {
        uint32_t palette[256] = {};
        if (texture.kind == D3DReferenceRasterizer::TextureKind::kP8) {
            // No palette textures here: the palette is applied on upload.
            if (surface.Palette() == nullptr) {
                return nullptr;
            }
            uint32_t entries[256];
            surface.Palette()->GetEntries(0, 256, entries);
            D3DReferenceRasterizer::PaletteToArgb(entries, palette);
            texture.palette = palette;
        }
        texture.pixels = surface.PixelData();
        texture.pitch = surface.Pitch();
        texture.width = surface.Width();
        texture.height = surface.Height();
        mStaging.resize(static_cast<size_t>(texture.width) * static_cast<size_t>(texture.height));
        for (int y = 0; y < texture.height; ++y) {
            D3DReferenceRasterizer::TextureRowToArgb(texture, y,
                                                     mStaging.data() + static_cast<size_t>(y) * texture.width);
        }
        if (SDL_UpdateTexture(entry.texture, nullptr, mStaging.data(), texture.width * 4) != 0) {
            return nullptr;
        }
        entry.stale = false;
    }
    if (entry.linear != linear) {
        // The filter is read when queued draws run: let those run first.
        SDL_RenderFlush(mRenderer);
        SDL_SetTextureScaleMode(entry.texture, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
        entry.linear = linear;
    }
    return entry.texture;
}

bool D3DGpuRenderer::SetBlend(SDL_Texture* texture, Blend blend)
{
    const SDL_BlendMode mode = BlendModeOf(blend);
    return (texture != nullptr ? SDL_SetTextureBlendMode(texture, mode) : SDL_SetRenderDrawBlendMode(mRenderer, mode)) ==
           0;
}

void D3DGpuRenderer::SetClip(const DisplayRect& rect)
{
    if (rect.left <= 0 && rect.top <= 0 && rect.right >= mTargetWidth && rect.bottom >= mTargetHeight) {
        SDL_RenderSetClipRect(mRenderer, nullptr);
        return;
    }
    const SDL_Rect clip{rect.left, rect.top, rect.Width(), rect.Height()};
    SDL_RenderSetClipRect(mRenderer, &clip);
}

bool D3DGpuRenderer::Clear(const DisplayRect& rect, uint32_t argb)
{
    if (mTarget == nullptr) {
        return false;
    }
    const bool whole = rect.left <= 0 && rect.top <= 0 && rect.right >= mTargetWidth && rect.bottom >= mTargetHeight;
    if (whole) {
        mCpuAhead = false; // every pixel is replaced
    } else if (!UploadTarget()) {
        return false;
    }
    SDL_RenderSetClipRect(mRenderer, nullptr);
    SDL_SetRenderDrawBlendMode(mRenderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(mRenderer, static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                           static_cast<Uint8>(argb), static_cast<Uint8>(argb >> 24));
    const SDL_Rect fill{rect.left, rect.top, rect.Width(), rect.Height()};
    const bool done = SDL_RenderFillRect(mRenderer, &fill) == 0;
    mGpuAhead = true;
    return done;
}

void D3DGpuRenderer::AddTriangle(const TLVertex& a, const TLVertex& b, const TLVertex& c, const DrawState& state)
{
    if (!Usable(a) || !Usable(b) || !Usable(c)) {
        return;
    }
    // Positive area: clockwise on the screen (y runs down).
    const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if ((state.cull > 0 && area > 0.0f) || (state.cull < 0 && area < 0.0f)) {
        return;
    }
    const bool textured = state.texture != nullptr;
    for (const TLVertex* v : {&a, &b, &c}) {
        SDL_Vertex out;
        out.position.x = v->x + 0.5f;
        out.position.y = v->y + 0.5f;
        out.color.r = static_cast<Uint8>(v->diffuse >> 16);
        out.color.g = static_cast<Uint8>(v->diffuse >> 8);
        out.color.b = static_cast<Uint8>(v->diffuse);
        out.color.a = textured && !state.modulateAlpha ? 255 : static_cast<Uint8>(v->diffuse >> 24);
        out.tex_coord.x = std::clamp(v->u, 0.0f, 1.0f);
        out.tex_coord.y = std::clamp(v->v, 0.0f, 1.0f);
        mVertices.push_back(out);
    }
}

bool D3DGpuRenderer::Draw(uint32_t type, const TLVertex* vertices, uint32_t count, const DrawState& state)
{
    if (mTarget == nullptr || !UploadTarget()) {
        return false;
    }
    SetClip(state.viewport);
    if (type == kD3dptLineList || type == kD3dptLineStrip) {
        if (!SetBlend(nullptr, state.blend)) {
            return false;
        }
        const uint32_t step = type == kD3dptLineList ? 2 : 1;
        for (uint32_t i = 0; i + 1 < count; i += step) {
            const TLVertex& a = vertices[i];
            const TLVertex& b = vertices[i + 1];
            if (!Usable(a) || !Usable(b)) {
                continue;
            }
            SDL_SetRenderDrawColor(mRenderer, static_cast<Uint8>(a.diffuse >> 16), static_cast<Uint8>(a.diffuse >> 8),
                                   static_cast<Uint8>(a.diffuse), static_cast<Uint8>(a.diffuse >> 24));
            SDL_RenderDrawLineF(mRenderer, a.x + 0.5f, a.y + 0.5f, b.x + 0.5f, b.y + 0.5f);
        }
        mGpuAhead = true;
        return true;
    }
    SDL_Texture* texture = nullptr;
    if (state.texture != nullptr) {
        texture = TextureFor(*state.texture, state.linear);
        if (texture == nullptr) {
            return false;
        }
    }
    if (!SetBlend(texture, state.blend)) {
        return false;
    }
    mVertices.clear();
    if (type == kD3dptTriangleList) {
        for (uint32_t i = 0; i + 2 < count; i += 3) {
            AddTriangle(vertices[i], vertices[i + 1], vertices[i + 2], state);
        }
    } else if (type == kD3dptTriangleStrip) {
        for (uint32_t i = 0; i + 2 < count; ++i) {
            // Every other triangle of a strip runs the other way round.
            if ((i & 1) == 0) {
                AddTriangle(vertices[i], vertices[i + 1], vertices[i + 2], state);
            } else {
                AddTriangle(vertices[i + 1], vertices[i], vertices[i + 2], state);
            }
        }
    } else {
        for (uint32_t i = 1; i + 1 < count; ++i) {
            AddTriangle(vertices[0], vertices[i], vertices[i + 1], state);
        }
    }
    if (mVertices.empty()) {
        return true;
    }
    const bool done =
        SDL_RenderGeometry(mRenderer, texture, mVertices.data(), static_cast<int>(mVertices.size()), nullptr, 0) == 0;
    mGpuAhead = true;
    return done;
}

void D3DGpuRenderer::SurfaceReading(DisplaySurface& surface)
{
    if (&surface == mTarget) {
        ReadBackTarget();
    }
}

void D3DGpuRenderer::SurfaceWritten(DisplaySurface& surface)
{
    if (&surface == mTarget) {
        mCpuAhead = true;
    }
    auto found = mTextures.find(&surface);
    if (found != mTextures.end()) {
        found->second.stale = true;
    }
}

void D3DGpuRenderer::SurfaceGone(DisplaySurface& surface)
{
    if (&surface == mTarget) {
        mTarget = nullptr;
    }
    auto found = mTextures.find(&surface);
    if (found != mTextures.end()) {
        SDL_DestroyTexture(found->second.texture);
        mTextures.erase(found);
    }
}

} // namespace Plat
