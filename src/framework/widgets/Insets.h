// Margins on the four sides of a rectangle, in pixels.
#pragma once

#include <cstdint>

namespace Lumo {

struct Insets {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

} // namespace Lumo
