// The per-user folders of the desktop, following the XDG base directories.
#pragma once

#include <string>

namespace Plat {

// $XDG_DATA_HOME, else ~/.local/share; no trailing separator.
std::string UserDataHome();
// $XDG_CONFIG_HOME, else ~/.config; no trailing separator.
std::string UserConfigHome();
// $XDG_RUNTIME_DIR, else the temporary folder; no trailing separator.
std::string UserRuntimeFolder();

} // namespace Plat
