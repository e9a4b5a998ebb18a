// The desktop's clipboard: text only. Behind it, SDL's clipboard; without a
// video connection (headless, or under test) setting the text fails.
#pragma once

#include <string>

namespace Plat {

class Window;

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's text with the UTF-8 text, offered on behalf of
    // the owner window; false when the clipboard cannot be opened.
    virtual bool SetText(Window* owner, const std::string& utf8) = 0;
};

// SDL's clipboard where the video side runs.
class SystemClipboard : public Clipboard {
public:
    bool SetText(Window* owner, const std::string& utf8) override;
};

// The clipboard in use; the system's unless a test installed another.
Clipboard& GetClipboard();
// Installs a clipboard (null restores the system's); returns the previous one (null: the system's).
Clipboard* SetClipboard(Clipboard* clipboard);

} // namespace Plat
