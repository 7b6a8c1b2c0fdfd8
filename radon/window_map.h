// World units on the window: the square [-xmax, xmax] x [-ymax, ymax]
// fills it, y = +ymax at the top row; and back from pixels to world units.
#ifndef RADON_WINDOW_MAP_H
#define RADON_WINDOW_MAP_H

#include "radon.h"

inline double windowX(double x) { return width * 0.5 * (x / xmax + 1); }
inline double windowY(double y) { return height * 0.5 * (1 - y / ymax); }

// The world point that pixel column ix and row iy stand for in the
// back-projections: column 0 is x = -xmax, row 0 is y = +ymax.
inline double pixelX(int ix) {
    double t = (ix - width / 2) * xmax;
    return (t + t) / width;
}
inline double pixelY(int iy) {
    double u = (height / 2 - iy) * ymax;
    return (u + u) / height;
}

#endif
