#include "platform/audio/SystemSound.h"

namespace Plat {

bool PlaySystemSoundFile(const std::string& /*path*/)
{
    // The files callers name live in the other desktop's media folder; none
    // exists here and no player serves system sounds, so the call is quiet.
    return false;
}

} // namespace Plat
