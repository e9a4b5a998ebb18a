// Fuzzes what the file dialogs hand back: a chosen path and the current
// folder (split at the first NUL), made relative by whole components, and a
// requested folder turned into the in-game prompt's start text. A relative
// answer is never longer than the path and holds only the path's bytes.
#include "game/engine/EditorPromptDialog.h"
#include "game/engine/FileDialogProvider.h"
#include "game/engine/Platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string path = input.substr(0, split);
    const std::string folder = split == std::string::npos ? std::string() : input.substr(split + 1);

    const std::string relative = Platform::RelativeToFolder(path, folder);
    if (relative.size() > path.size())
        std::abort();
    for (const char c : relative) {
        if (c != '\\' && path.find(c) == std::string::npos)
            std::abort();
    }

    FileDialogRequest request;
    request.folder = folder;
    request.pattern = path;
    const std::string start = EditorPromptDialog::StartText(request);
    if (start.size() > folder.size() + 1)
        std::abort();
    (void)EditorPromptDialog::Caption(request);
    return 0;
}
