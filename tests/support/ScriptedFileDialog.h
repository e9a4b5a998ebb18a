// A file dialog provider that answers from a script: each request is kept
// and answered at once with the next scripted path (an empty optional:
// cancelled; nothing scripted: cancelled too).
#pragma once

#include "game/engine/FileDialogProvider.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace LumoTest {

class ScriptedFileDialog : public FileDialogProvider {
public:
    void Ask(const FileDialogRequest& request, FileDialogAnswer answer) override
    {
        requests.push_back(request);
        std::optional<std::string> next;
        if (!answers.empty()) {
            next = answers.front();
            answers.pop_front();
        }
        if (next)
            answer(&*next);
        else
            answer(nullptr);
    }

    std::deque<std::optional<std::string>> answers;
    std::vector<FileDialogRequest> requests;
};

} // namespace LumoTest
