// Where the J2K codec module comes from: a loader of modules by name that
// hands out entry points by their exported names. The real one knows our
// OpenJPEG module as "j2k-codec.dll"; tests install their own to stand in a
// missing module, a missing entry point or an old version.
#pragma once

namespace Plat {

// Module name the image loader asks for.
constexpr const char* kJ2KCodecModuleName = "j2k-codec.dll";

// Exported names of the nine entry points (see J2KCodecModule.h for their
// shapes).
constexpr const char* kJ2KGetVersionExport = "_J2K_getVersion@0";
constexpr const char* kJ2KOpenCustomExport = "_J2K_OpenCustom@8";
constexpr const char* kJ2KOpenFileExport = "_J2K_OpenFile@4";
constexpr const char* kJ2KCloseExport = "_J2K_Close@4";
constexpr const char* kJ2KGetInfoExport = "_J2K_GetInfo@16";
constexpr const char* kJ2KGetResolutionDimensionsExport = "_J2K_GetResolutionDimensions@16";
constexpr const char* kJ2KDecodeExport = "_J2K_Decode@20";
constexpr const char* kJ2KGetLastErrorExport = "_J2K_getLastError@0";
constexpr const char* kJ2KGetErrorStrExport = "_J2K_getErrorStr@4";

// Any entry point; callers cast it back to its own shape before calling.
using J2KEntryPoint = void (*)();

class J2KCodecProvider {
public:
    virtual ~J2KCodecProvider() = default;
    // Loads a module by file name ('\\' or '/', case ignored); null when
    // there is none of that name.
    virtual void* LoadModule(const char* name);
    // An exported entry point of a loaded module; null when it has none of
    // that name.
    virtual J2KEntryPoint FindEntryPoint(void* module, const char* name);
    virtual void FreeModule(void* module);
};

// The provider in use; the real one unless a test installed another.
J2KCodecProvider& GetJ2KCodecProvider();
// Installs a provider (null restores the real one); returns the previous one.
J2KCodecProvider* SetJ2KCodecProvider(J2KCodecProvider* provider);

} // namespace Plat
