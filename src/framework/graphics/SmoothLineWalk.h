// The anti-aliased line's walk, shared by the memory image's and the surface
// image's line loops: which pixels the line touches and each one's coverage.
// The caller's plot writes the pixel in its own format; it is inlined into
// the walk, so there is no indirect call per pixel.
#pragma once

#include <cmath>
#include <cstdint>
#include <utility>

namespace Lumo {

// The nearer pixel's share: 255 minus the high byte of the 16-bit fraction.
inline uint32_t SmoothCoverage(int acc)
{
    return 255 - ((uint32_t(acc) >> 8) & 255);
}

// Hands plot(x, y, coverage) every pixel of the line from (x1, y1) to
// (x2, y2): the two ends and, between them, a pair of pixels per step of
// the major axis (the one the line crosses and its neighbour on the minor
// axis, sharing 255). Positions may lie one pixel outside the ends' box, and
// outside the picture when the ends are at its edge: plot checks them.
template <typename Plot>
inline void WalkSmoothLine(double x1, double y1, double x2, double y2, Plot&& plot)
{
    int xi1 = int(x1);
    int yi1 = int(y1);
    int xi2 = int(x2);
    int yi2 = int(y2);
    if (yi1 > yi2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
        std::swap(xi1, xi2);
        std::swap(yi1, yi2);
    }
    int dx = xi2 - xi1;
    const int dy = yi2 - yi1;
    double fx = x2 - x1;
    const double fy = y2 - y1;
    int colStep = 1;
    if (dx < 0) {
        dx = -dx;
        fx = -fx;
        colStep = -1;
    }
    int acc = int(std::fabs(x1 - xi1) * std::fabs(y1 - yi1) * 65536);
    plot(xi1, yi1, SmoothCoverage(acc));
    // A step only with pixels between the ends: with both ends in one pixel
    // (or neighbouring ones) the quotient would be 0 / 0 or overflow.
    if (dx >= dy) {
        if (dx > 1) {
            const int step = int(fy / fx * 65536);
            int x = xi1;
            int y = yi1;
            for (int i = 1; i < dx; ++i) {
                acc += step;
                if (acc >= 65536) {
                    acc &= 65535;
                    ++y;
                }
                x += colStep;
                const uint32_t k = SmoothCoverage(acc);
                plot(x, y, k);
                plot(x, y + 1, 255 - k);
            }
        }
    } else if (dy > 1) {
        const int step = int(fx / fy * 65536);
        int x = xi1;
        int y = yi1;
        for (int i = 1; i < dy; ++i) {
            acc += step;
            if (acc >= 65536) {
                acc &= 65535;
                x += colStep;
            }
            ++y;
            const uint32_t k = SmoothCoverage(acc);
            plot(x, y, k);
            plot(x + colStep, y, 255 - k);
        }
    }
    plot(xi2, yi2, SmoothCoverage(acc));
}

} // namespace Lumo
