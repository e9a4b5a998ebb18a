// Names of display, 3-D and sound result codes for error texts.
#pragma once

#include <cstdint>
#include <string>

namespace Lumo {

// The code's name ("DDERR_SURFACELOST"); a code without a name comes back
// as its hexadecimal digits ("12345", "0").
std::string GetDirectXErrorString(int32_t result);

} // namespace Lumo
