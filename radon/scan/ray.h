// The parallel rays of the scan, shared by the transform and the
// convolution demonstration.
#ifndef RADON_RAY_H
#define RADON_RAY_H

#include "scan/scan.h"

// The ray of angle iw at detector index ip runs from (x0, y0) to (x1, y1):
// the segment from (xp, -ymax) to (xp, +ymax) turned by the angle.
struct Ray {
    double xp, x0, y0, x1, y1;
};

inline Ray ray(int iw, int ip) {
    double s = sn[iw], c = cn[iw];
    double xp = ip * dp - xmax, yp = -ymax;
    return {xp, xp * c - yp * s, xp * s + yp * c, xp * c + yp * s, xp * s - yp * c};
}

#endif
