// Registered message ids and synchronous delivery of a message to a
// receiver, standing in for window messages sent to another program's
// window. Receivers live in this process (a test's fake server); a message
// to a window nobody receives for is answered with 0, as a send to a window
// that is gone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace Plat {

// Handles a message sent to its window: (message, wParam, lParam) -> reply.
using MessageReceiver = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

// The id of a named message: the same name (case ignored) gives the same id
// for the life of the process; ids start at 0xC000 and are never 0.
uint32_t RegisterMessageName(const std::string& name);

// Calls the window's receiver and returns its reply; 0 when the window has
// none. The receiver runs on the sending thread, outside any lock here.
intptr_t SendMessageTo(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Adds a receiver under a new window handle (never 0) and returns it.
uint32_t AddMessageReceiver(MessageReceiver receiver);
// Drops the window's receiver; later sends to it are answered with 0.
void RemoveMessageReceiver(uint32_t window);

} // namespace Plat
