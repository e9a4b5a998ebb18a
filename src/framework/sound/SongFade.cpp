#include "framework/sound/SongFade.h"

namespace Lumo {

bool StepSongFade(double& volume, double& step, double cap, bool stopAtSilence)
{
    volume += step;
    if (volume > cap) {
        volume = cap;
        step = 0.0;
    } else if (volume < 0.0) {
        volume = 0.0;
        step = 0.0;
        return stopAtSilence;
    }
    return false;
}

} // namespace Lumo
