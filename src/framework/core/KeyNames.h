// Key names as written in data and settings files ("F1", "SPACE", "A") and
// the virtual-key codes they stand for.
#pragma once

#include <string>

namespace Lumo {

// Case-insensitive. A single character '0'-'Z' is its own code; '[' to '`'
// give their code plus 128. Unknown names, and names of 11 or more
// characters, give 0.
int GetKeyCodeFromName(const std::string& name);

} // namespace Lumo
