// The application-data folder: where per-user files go that do not belong
// beside the program (the moved "userdata" folder, cached sounds). The
// start-up sets it once; everyone else reads it.
#pragma once

#include <string>

namespace Lumo {

// The folder as set, ending in a separator; empty when it was never set.
std::string GetAppDataFolder();

// Sets the folder, appending "\\" unless it already ends in '\\' or '/'.
// An empty folder clears the setting.
void SetAppDataFolder(const std::string& folder);

// The usual folder for a product on this desktop: the user's data home
// ($XDG_DATA_HOME, else ~/.local/share), then company, then product; no
// trailing separator. Empty names are left out. Nothing is created.
std::string DefaultAppDataFolder(const std::string& company, const std::string& product);

} // namespace Lumo
