// One frame of a song's volume fade, the same in the BASS and the FMOD music
// players: the fade speed is a volume change per frame.
#pragma once

namespace Lumo {

// Adds the step to the volume. Past the cap the volume stays at the cap and
// the fade ends; below 0 it stays at 0 and the fade ends too. True when that
// fade-out asked for the song to stop at silence.
bool StepSongFade(double& volume, double& step, double cap, bool stopAtSilence);

} // namespace Lumo
