#include "game/engine/EditorPromptDialog.h"

#include "game/engine/EditorFilePrompt.h"
#include "game/engine/GameState.h"

std::string EditorPromptDialog::Caption(const FileDialogRequest& request)
{
    std::string caption = request.save ? "Save: " : "Open: ";
    caption += request.filterName.empty() ? request.pattern : request.filterName;
    return caption;
}

std::string EditorPromptDialog::StartText(const FileDialogRequest& request)
{
    std::string folder = request.folder;
    for (char& c : folder) {
        if (c == '/')
            c = '\\';
    }
    if (folder.rfind(".\\", 0) == 0)
        folder.erase(0, 2);
    if (folder == ".")
        folder.clear();
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

void EditorPromptDialog::Ask(const FileDialogRequest& request, FileDialogAnswer answer)
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || game->mEditor == nullptr) {
        answer(nullptr);
        return;
    }
    // The prompt joins the open editor's children by itself.
    new EditorFilePrompt(Caption(request).c_str(), StartText(request), std::move(answer));
}
