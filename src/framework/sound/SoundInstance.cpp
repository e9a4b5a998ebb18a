#include "framework/services/SoundInstance.h"

namespace Lumo {

SoundInstance::~SoundInstance() = default;

} // namespace Lumo
