// Formatted debug output for developers; the text goes to the platform's
// debug channel (standard error here).
#pragma once

namespace Lumo {

// printf-style; no newline is added.
void OutputDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace Lumo
