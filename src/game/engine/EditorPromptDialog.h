// The file dialog of the level editor when the desktop's chooser cannot be
// shown: a prompt in the editor's look where the designer types the path.
// Empty text is a cancel. Without an open editor every request is cancelled.
#pragma once

#include "game/engine/FileDialogProvider.h"

class EditorPromptDialog : public FileDialogProvider {
public:
    void Ask(const FileDialogRequest& request, FileDialogAnswer answer) override;

    // The caption of the prompt for a request ("Save: XML Levels", "Open: Images").
    static std::string Caption(const FileDialogRequest& request);
    // The text the prompt starts with: the request's folder without a leading
    // ".\\", ending in '\\' ("levels\\").
    static std::string StartText(const FileDialogRequest& request);
};
