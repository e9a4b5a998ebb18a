// One song loaded into the BASS music player: its handles and fade state.
#pragma once

#include <cstdint>

namespace Lumo {

struct BassMusicInfo {
    uint32_t mHMusic = 0;  // module handle, 0 for a stream
    uint32_t mHStream = 0; // stream handle, 0 for a module
    double mVolume = 0.0;
    double mVolumeAdd = 0.0; // added by each Update; 0: no fade
    double mVolumeCap = 1.0;
    bool mStopOnFade = false; // a fade-out reaching silence stops the song

    uint32_t GetHandle() const { return mHMusic != 0 ? mHMusic : mHStream; }
};

} // namespace Lumo
