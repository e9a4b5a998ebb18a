#include "platform/text/FreeTypeTextRenderer.h"

#include <fontconfig/fontconfig.h>

#include <mutex>

namespace Plat {

namespace {

constexpr int kScreenDpi = 96;

std::mutex gFontconfigLock; // fontconfig's set-up is made once, under this lock

bool InitFontconfig()
{
    static bool ready = FcInit() == FcTrue;
    return ready;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// fontconfig leaks a block of its own while it parses its configuration
// files. The stack recorded for it ends inside the library (no frame
// pointers there), so only the library's name can single it out.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif

FreeTypeTextRenderer::FreeTypeTextRenderer() : mLibrary(FreeTypeTextFont::CreateLibrary()) {}

int FreeTypeTextRenderer::GetVerticalDpi()
{
    return kScreenDpi;
}

bool FreeTypeTextRenderer::FindFontFile(const FontDescription& description, std::string& path, int& faceIndex)
{
    std::lock_guard<std::mutex> guard(gFontconfigLock);
    if (!InitFontconfig()) {
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    if (!description.faceName.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(description.faceName.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(description.weight > 0 ? description.weight : 400));
    FcPatternAddInteger(pattern, FC_SLANT, description.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    int index = 0;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr;
    if (found) {
        path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) {
            index = 0;
        }
        faceIndex = index;
    }
    FcPatternDestroy(match);
    return found;
}

std::unique_ptr<FreeTypeTextFont> FreeTypeTextRenderer::OpenFontFile(const std::string& path, int faceIndex,
                                                                     const FontDescription& description)
{
    return std::make_unique<FreeTypeTextFont>(mLibrary, path, faceIndex, description);
}

std::unique_ptr<TextFont> FreeTypeTextRenderer::CreateTextFont(const FontDescription& description)
{
    std::string path;
    int faceIndex = 0;
    if (!FindFontFile(description, path, faceIndex)) {
        // No font at all: one that measures 0 and draws nothing.
        path.clear();
    }
    return OpenFontFile(path, faceIndex, description);
}

} // namespace Plat
