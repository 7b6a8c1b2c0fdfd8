// World units on the window: the square [-xmax, xmax] x [-ymax, ymax]
// fills it, y = +ymax at the top row.
#ifndef RADON_WINDOW_MAP_H
#define RADON_WINDOW_MAP_H

#include "radon.h"

inline double windowX(double x) { return width * 0.5 * (x / xmax + 1); }
inline double windowY(double y) { return height * 0.5 * (1 - y / ymax); }

#endif
