#include "platform/window/Clipboard.h"

#include <SDL.h>

#include <atomic>

namespace Plat {

namespace {

SystemClipboard gSystemClipboard;
std::atomic<Clipboard*> gClipboard{nullptr};

} // namespace

bool SystemClipboard::SetText(Window* /*owner*/, const std::string& utf8)
{
    // SDL's clipboard belongs to its video side: nothing to open without it.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

Clipboard& GetClipboard()
{
    Clipboard* installed = gClipboard.load();
    return installed != nullptr ? *installed : gSystemClipboard;
}

Clipboard* SetClipboard(Clipboard* clipboard)
{
    return gClipboard.exchange(clipboard);
}

} // namespace Plat
