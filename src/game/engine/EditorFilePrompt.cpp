#include "game/engine/EditorFilePrompt.h"

#include "game/engine/EngineUtilities.h"

#include <cstring>
#include <utility>

EditorFilePrompt::EditorFilePrompt(const char* caption, const std::string& startText, FileDialogAnswer answer)
    : InputBox(caption, kText, nullptr, 0, 0, 0, nullptr, 0, 0, nullptr), mAnswer(std::move(answer))
{
    // The commit copies the text here; the box's own text starts as given.
    mTarget = mPath;
    mTargetSize = sizeof(mPath);
    CopyToField(mText, sizeof(mText), startText.c_str());
    // The path is typed as it is: no capital forced on its first letter.
    mCapitalised = 1;
}

int EditorFilePrompt::Update()
{
    if (InputBox::Update() != 0)
        return 1;
    // Committed: the answer runs once, and may open the next prompt.
    FileDialogAnswer answer = std::move(mAnswer);
    mAnswer = nullptr;
    if (answer) {
        const std::string path(mPath, strnlen(mPath, sizeof(mPath)));
        answer(path.empty() ? nullptr : &path);
    }
    return 0;
}
