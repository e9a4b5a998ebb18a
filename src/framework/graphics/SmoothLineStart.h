// The start of an anti-aliased line, shared by the memory image's and the
// surface image's line loops: both ends ordered top to bottom, the pixels
// they lie in, the run along each axis, and the first pixel's coverage.
#pragma once

#include <cmath>
#include <utility>

namespace Lumo {

struct SmoothLineStart {
    int xi1;
    int yi1;
    int xi2;
    int yi2;
    int dx;      // columns from end to end, never negative
    int dy;      // rows from end to end, never negative
    double fx;   // the same spans unrounded, fx never negative
    double fy;
    int colStep; // +1 or -1: the way the line runs across columns
    int acc;     // 16-bit fraction of the first pixel
};

inline SmoothLineStart StartSmoothLine(double x1, double y1, double x2, double y2)
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
    SmoothLineStart s{xi1, yi1, xi2, yi2, xi2 - xi1, yi2 - yi1, x2 - x1, y2 - y1, 1, 0};
    if (s.dx < 0) {
        s.dx = -s.dx;
        s.fx = -s.fx;
        s.colStep = -1;
    }
    s.acc = int(std::fabs(x1 - xi1) * std::fabs(y1 - yi1) * 65536);
    return s;
}

} // namespace Lumo
