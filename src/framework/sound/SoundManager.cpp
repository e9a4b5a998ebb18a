#include "framework/sound/SoundManager.h"

namespace Lumo {

SoundManager::~SoundManager() = default;

} // namespace Lumo
