// The rectangle of all drawing, TRect<int> for pixels and TRect<double> for
// resampled areas: x, y, width, height; it covers columns x to x + width - 1
// and rows y to y + height - 1.
#pragma once

#include <cstdint>
#include <type_traits>

namespace Lumo {

// Edges of a rectangle as the display surfaces take them (right and bottom
// exclusive).
struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

template <typename T>
class TRect {
public:
    constexpr TRect() : mX(0), mY(0), mWidth(0), mHeight(0) {}
    constexpr TRect(T x, T y, T width, T height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    // The overlap of both rectangles. Rectangles that only touch give an
    // empty rectangle at the touching edge; a negative overlap gives all 0.
    TRect Intersection(const TRect& other) const
    {
        // Edges in a wider type so that x + width cannot overflow an int.
        using Wide = std::conditional_t<std::is_integral_v<T>, int64_t, T>;
        const Wide left = mX > other.mX ? Wide(mX) : Wide(other.mX);
        const Wide top = mY > other.mY ? Wide(mY) : Wide(other.mY);
        const Wide right0 = Wide(mX) + Wide(mWidth);
        const Wide right1 = Wide(other.mX) + Wide(other.mWidth);
        const Wide bottom0 = Wide(mY) + Wide(mHeight);
        const Wide bottom1 = Wide(other.mY) + Wide(other.mHeight);
        const Wide right = right0 < right1 ? right0 : right1;
        const Wide bottom = bottom0 < bottom1 ? bottom0 : bottom1;
        if (right - left >= 0 && bottom - top >= 0) {
            return TRect(T(left), T(top), T(right - left), T(bottom - top));
        }
        return TRect();
    }

    RECT ToRECT() const
    {
        return RECT{int32_t(mX), int32_t(mY), int32_t(mX + mWidth), int32_t(mY + mHeight)};
    }

    constexpr bool operator==(const TRect& other) const
    {
        return mX == other.mX && mY == other.mY && mWidth == other.mWidth && mHeight == other.mHeight;
    }
    constexpr bool operator!=(const TRect& other) const { return !(*this == other); }

    T mX;
    T mY;
    T mWidth;
    T mHeight;
};

} // namespace Lumo
