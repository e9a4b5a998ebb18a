#include "framework/sound/SoundInstance.h"

namespace Lumo {

SoundInstance::~SoundInstance() = default;

} // namespace Lumo
