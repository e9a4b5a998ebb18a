// Small modal prompts over a window: pick a line from a list, or edit one
// line of text with OK and Cancel. Behind it, a second SDL window with an
// event loop of its own, drawn with the text layer; the caller waits until
// the prompt is answered, as with the desktop's own dialogs. Headless (no
// display, or SDL's dummy or offscreen driver) every prompt is cancelled at
// once, so nothing blocks; tests install prompts that answer from a script.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Plat {

class Window;

struct PromptRequest {
    enum class Kind {
        PickLine, // a list: a double-click or Enter picks the line
        EditLine, // one line of text, OK and Cancel
    };

    Kind kind = Kind::PickLine;
    std::string title; // UTF-8
    // PickLine: the lines, top first (Windows-1252).
    std::vector<std::string> lines;
    // EditLine: the text the prompt starts with, all of it selected
    // (Windows-1252), and the longest text it takes.
    std::string text;
    size_t maxLength = 500;
};

struct PromptAnswer {
    bool accepted = false; // false: cancelled or closed
    int line = -1;         // PickLine: the picked line's index
    std::string text;      // EditLine: the text when OK was chosen
};

class ModalPrompts {
public:
    virtual ~ModalPrompts() = default;
    // Shows the prompt over the owner (null: none) and returns its answer
    // once the user has given it.
    virtual PromptAnswer Ask(Window* owner, const PromptRequest& request) = 0;
};

// The SDL window where a display is reachable; headless, cancelled.
class SystemPrompts : public ModalPrompts {
public:
    PromptAnswer Ask(Window* owner, const PromptRequest& request) override;
};

// The prompts in use; the system's unless a test installed others.
ModalPrompts& GetModalPrompts();
// Installs prompts (null restores the system's); returns the previous ones
// (null: the system's).
ModalPrompts* SetModalPrompts(ModalPrompts* prompts);

} // namespace Plat
