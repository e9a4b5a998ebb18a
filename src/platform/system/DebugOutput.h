// Debug text for developers: where the original went to the debugger, ours
// goes to standard error.
#pragma once

namespace Plat {

// Writes the text as it is (no newline is added).
void WriteDebugText(const char* text);

} // namespace Plat
