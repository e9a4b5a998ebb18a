// Names of the media library and its drivers, for reports, and the end of
// a worker thread's use of the library.
#pragma once

#include <string>

namespace Plat {

// "SDL x.y.z <driver>" of the video and audio sides; "none" stands for a
// side that is not started.
std::string VideoDriverDescription();
std::string AudioDriverDescription();

// Called last on a thread other than the main one that reached the media
// library (e.g. opened the audio output): frees what the library keeps per
// thread, which it would otherwise hold after the thread ends.
void ReleaseThreadMediaState();

} // namespace Plat
