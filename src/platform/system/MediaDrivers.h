// Names of the media library and its drivers, for reports.
#pragma once

#include <string>

namespace Plat {

// "SDL x.y.z <driver>" of the video and audio sides; "none" stands for a
// side that is not started.
std::string VideoDriverDescription();
std::string AudioDriverDescription();

} // namespace Plat
