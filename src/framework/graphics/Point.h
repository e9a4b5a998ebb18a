// A point of a polygon handed to the display's 3-D polygon fill.
#pragma once

namespace Lumo {

template <typename T>
class TPoint {
public:
    constexpr TPoint() : mX(0), mY(0) {}
    constexpr TPoint(T x, T y) : mX(x), mY(y) {}

    T mX;
    T mY;
};

} // namespace Lumo
