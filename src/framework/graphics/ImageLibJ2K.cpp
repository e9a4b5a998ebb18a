// J2K and JP2 files through the codec module "j2k-codec.dll": loading the
// module, resolving its nine entry points at the first use, and the pak-layer
// callbacks it reads through.
#include "framework/graphics/ImageLib.h"

#include "framework/core/PakClient.h"
#include "platform/codecs/J2KCodecModule.h"
#include "platform/codecs/J2KCodecProvider.h"

#include <cstdio>
#include <new>

namespace ImageLib {

bool gForceOpaqueJ2K = true;

namespace {

// Oldest codec version this reader works with.
constexpr int kMinJ2KCodecVersion = 0x120000;

// Largest picture read, in pixels.
constexpr int64_t kMaxJ2KPixels = int64_t(1) << 26;

struct J2KEntryPoints {
    int (*getVersion)() = nullptr;
    void* (*openCustom)(void* userData, const Plat::J2KStreamCallbacks* callbacks) = nullptr;
    void* (*openFile)(const char* fileName) = nullptr;
    void (*close)(void* handle) = nullptr;
    int (*getInfo)(void* handle, int* width, int* height, int* components) = nullptr;
    int (*getResolutionDimensions)(void* handle, int level, int* width, int* height) = nullptr;
    int (*decode)(void* handle, unsigned char** buffer, int* size, const char* options, int* pitch) = nullptr;
    int (*getLastError)() = nullptr;
    const char* (*getErrorStr)(int code) = nullptr;
};

// The loaded module (null: none), whether its entry points still need
// looking up, and the entry points.
void* gJ2KModule = nullptr;
bool gJ2KUnresolved = true;
J2KEntryPoints gJ2K;

template <typename Function>
bool Resolve(Function& function, const char* name)
{
    Plat::J2KEntryPoint entry = Plat::GetJ2KCodecProvider().FindEntryPoint(gJ2KModule, name);
    function = reinterpret_cast<Function>(entry);
    return entry != nullptr;
}

bool ResolveEntryPoints()
{
    gJ2K = J2KEntryPoints();
    return Resolve(gJ2K.getVersion, Plat::kJ2KGetVersionExport) &&
           Resolve(gJ2K.openCustom, Plat::kJ2KOpenCustomExport) &&
           Resolve(gJ2K.openFile, Plat::kJ2KOpenFileExport) &&
           Resolve(gJ2K.close, Plat::kJ2KCloseExport) &&
           Resolve(gJ2K.getInfo, Plat::kJ2KGetInfoExport) &&
           Resolve(gJ2K.getResolutionDimensions, Plat::kJ2KGetResolutionDimensionsExport) &&
           Resolve(gJ2K.decode, Plat::kJ2KDecodeExport) &&
           Resolve(gJ2K.getLastError, Plat::kJ2KGetLastErrorExport) &&
           Resolve(gJ2K.getErrorStr, Plat::kJ2KGetErrorStrExport);
}

// The file is closed by the reader, not by the codec.
void J2KPakClose(void*)
{
}

const Plat::J2KStreamCallbacks kJ2KPakCallbacks = {J2KPakSeek, J2KPakRead, J2KPakClose};

} // namespace

int J2KPakSeek(void* file, long offset)
{
    return Lumo::PakSeek(static_cast<PakFile*>(file), offset, SEEK_SET);
}

int J2KPakRead(void* buffer, int count, void* file)
{
    if (count <= 0)
        return 0;
    return static_cast<int>(Lumo::PakRead(buffer, 1, static_cast<size_t>(count), static_cast<PakFile*>(file)));
}

void LoadJ2KCodec()
{
    FreeJ2KCodec();
    gJ2KModule = Plat::GetJ2KCodecProvider().LoadModule(Plat::kJ2KCodecModuleName);
    gJ2KUnresolved = true;
}

void FreeJ2KCodec()
{
    if (gJ2KModule == nullptr)
        return;
    Plat::GetJ2KCodecProvider().FreeModule(gJ2KModule);
    gJ2KModule = nullptr;
}

Image* GetJ2KImage(const std::string& fileName)
{
    if (gJ2KModule == nullptr)
        return nullptr;
    PakFile* file = Lumo::PakOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return nullptr;

    if (gJ2KUnresolved) {
        gJ2KUnresolved = false;
        if (!ResolveEntryPoints() || gJ2K.getVersion() < kMinJ2KCodecVersion) {
            FreeJ2KCodec();
            Lumo::PakClose(file);
            return nullptr;
        }
    }

    void* handle = gJ2K.openCustom(file, &kJ2KPakCallbacks);
    if (handle == nullptr) {
        // Fetched for a debugger; nothing is shown.
        const char* error = gJ2K.getErrorStr(gJ2K.getLastError());
        (void)error;
        Lumo::PakClose(file);
        return nullptr;
    }

    int width = 0;
    int height = 0;
    int unused = 0;
    if (gJ2K.getInfo(handle, &width, &height, &unused) != 0 ||
        gJ2K.getResolutionDimensions(handle, 0, &width, &height) != 0 || width <= 0 || height <= 0 ||
        int64_t(width) * height > kMaxJ2KPixels) {
        gJ2K.close(handle);
        Lumo::PakClose(file);
        return nullptr;
    }

    // Cleared, so pixels a short decode leaves unwritten are not garbage.
    const size_t count = size_t(width) * size_t(height);
    uint32_t* pixels = new (std::nothrow) uint32_t[count]();
    if (pixels == nullptr) {
        gJ2K.close(handle);
        Lumo::PakClose(file);
        return nullptr;
    }
    unsigned char* buffer = reinterpret_cast<unsigned char*>(pixels);
    int size = static_cast<int>(count * 4);
    int pitch = width * 4;
    if (gJ2K.decode(handle, &buffer, &size, "bpp=4,rl=0", &pitch) != 0) {
        gJ2K.close(handle);
        delete[] pixels;
        Lumo::PakClose(file);
        return nullptr;
    }
    gJ2K.close(handle);

    Image* image = new Image(width, height, pixels);
    if (gForceOpaqueJ2K) {
        for (size_t i = 0; i < count; ++i)
            pixels[i] |= 0xFF000000;
    }
    Lumo::PakClose(file);
    return image;
}

} // namespace ImageLib
