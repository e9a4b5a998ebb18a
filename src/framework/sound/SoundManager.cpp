#include "framework/services/SoundManager.h"

namespace Lumo {

SoundManager::~SoundManager() = default;

} // namespace Lumo
