// The white constant (constant-initialised, so usable from other statics).
#include "framework/graphics/Color.h"

namespace Lumo {

constinit const Color Color::White(255, 255, 255, 255);

} // namespace Lumo
