#include "platform/codecs/J2KCodecProvider.h"

#include "platform/codecs/J2KCodecModule.h"

#include <cctype>
#include <cstring>
#include <string_view>

namespace Plat {

namespace {

struct Export {
    const char* name;
    J2KEntryPoint address;
};

template <typename Function>
J2KEntryPoint Entry(Function function)
{
    return reinterpret_cast<J2KEntryPoint>(function);
}

const Export kExports[] = {
    {kJ2KGetVersionExport, Entry(&J2KGetVersion)},
    {kJ2KOpenCustomExport, Entry(&J2KOpenCustom)},
    {kJ2KOpenFileExport, Entry(&J2KOpenFile)},
    {kJ2KCloseExport, Entry(&J2KClose)},
    {kJ2KGetInfoExport, Entry(&J2KGetInfo)},
    {kJ2KGetResolutionDimensionsExport, Entry(&J2KGetResolutionDimensions)},
    {kJ2KDecodeExport, Entry(&J2KDecode)},
    {kJ2KGetLastErrorExport, Entry(&J2KGetLastError)},
    {kJ2KGetErrorStrExport, Entry(&J2KGetErrorStr)},
};

// The one module there is; its address is the handle.
const char gBuiltInModule = 0;

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

J2KCodecProvider gRealProvider;
J2KCodecProvider* gProvider = &gRealProvider;

} // namespace

void* J2KCodecProvider::LoadModule(const char* name)
{
    if (name == nullptr)
        return nullptr;
    std::string_view fileName(name);
    const size_t separator = fileName.find_last_of("\\/");
    if (separator != std::string_view::npos)
        fileName.remove_prefix(separator + 1);
    if (!EqualNoCase(fileName, kJ2KCodecModuleName))
        return nullptr;
    return const_cast<char*>(&gBuiltInModule);
}

J2KEntryPoint J2KCodecProvider::FindEntryPoint(void* module, const char* name)
{
    if (module != &gBuiltInModule || name == nullptr)
        return nullptr;
    for (const Export& entry : kExports) {
        if (std::strcmp(entry.name, name) == 0)
            return entry.address;
    }
    return nullptr;
}

void J2KCodecProvider::FreeModule(void*)
{
    // The module is part of the program; nothing to unload.
}

J2KCodecProvider& GetJ2KCodecProvider()
{
    return *gProvider;
}

J2KCodecProvider* SetJ2KCodecProvider(J2KCodecProvider* provider)
{
    J2KCodecProvider* previous = gProvider;
    gProvider = provider != nullptr ? provider : &gRealProvider;
    return previous;
}

} // namespace Plat
