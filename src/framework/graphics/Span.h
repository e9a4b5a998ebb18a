// One horizontal run of pixels, x to x + width - 1 of row y, as the span fills
// take them.
#pragma once

namespace Lumo {

struct Span {
    int mY;
    int mX;
    int mWidth;
};

} // namespace Lumo
