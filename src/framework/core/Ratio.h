// A fraction kept in lowest terms, such as a window's aspect ratio.
#pragma once

namespace Lumo {

class Ratio {
public:
    Ratio() = default;
    Ratio(int numerator, int denominator) { Set(numerator, denominator); }

    // Stores numerator / denominator divided by their greatest common
    // divisor (Euclid with C remainders, so the sign follows from that).
    // 0/0, and pairs whose reduced form does not fit an int, are kept as
    // given.
    void Set(int numerator, int denominator);

    bool operator==(const Ratio&) const = default;
    // This aspect is narrower than the other. A zero denominator (a height
    // of 0) counts as infinitely wide instead of being divided by.
    bool operator<(const Ratio& other) const;

    int mNumerator = 1;
    int mDenominator = 1;
};

} // namespace Lumo
