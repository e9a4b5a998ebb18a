// One song loaded into the FMOD music player: its sample or module and its
// fade state.
#pragma once

#include "platform/audio/FModLibrary.h"

namespace Lumo {

struct FModMusicInfo {
    Plat::FSoundSample* mHSample = nullptr; // null for a module song
    Plat::FMusicModule* mHMusic = nullptr;  // null for a sample song
    double mVolume = 0.0;
    double mVolumeAdd = 0.0; // added by each Update; 0: no fade
    double mVolumeCap = 1.0;
    bool mStopOnFade = false;  // a fade-out reaching silence stops the song
    bool mRepeatSample = false; // the sample loops (over its loop points)
};

} // namespace Lumo
