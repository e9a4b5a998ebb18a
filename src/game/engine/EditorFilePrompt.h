// The editor's prompt for a file name: a text prompt that hands what was
// typed to its answer when committed (nothing typed: cancelled). A prompt
// that goes away unanswered (its editor closed) answers nobody.
#pragma once

#include "game/engine/FileDialogProvider.h"
#include "game/engine/InputBox.h"

#include <string>

class EditorFilePrompt : public InputBox {
public:
    EditorFilePrompt(const char* caption, const std::string& startText, FileDialogAnswer answer);

    int Update() override;

private:
    char mPath[kTextSize] = {};
    FileDialogAnswer mAnswer;
};
