// The desktop's own short sounds (a menu click), asked for by their file.
// This desktop has none of the files callers name, so nothing is heard.
#pragma once

#include <string>

namespace Plat {

// Starts the sound file playing without waiting for it; false when it does
// not play (here: never). Never reports an error to the player.
bool PlaySystemSoundFile(const std::string& path);

} // namespace Plat
