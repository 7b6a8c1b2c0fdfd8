// The rays of the scan, shared by the parallel and the fan-beam transform
// and the convolution demonstration.
#ifndef RADON_RAY_H
#define RADON_RAY_H

#include <cmath>
#include <vector>

#include "scan/scan.h"

// A ray at distance xp from the centre whose normal has angle theta runs
// from (x0, y0) to (x1, y1): the segment from (xp, -ymax) to (xp, +ymax)
// turned by theta (c = cos theta, s = sin theta).
struct Ray {
    double xp, x0, y0, x1, y1;
};

inline Ray rayThrough(double c, double s, double xp) {
    double yp = -ymax;
    return {xp, xp * c - yp * s, xp * s + yp * c, xp * c + yp * s, xp * s - yp * c};
}

// The parallel ray of angle iw at detector index ip.
inline Ray ray(int iw, int ip) { return rayThrough(cn[iw], sn[iw], ip * dp - xmax); }

// The grey of a detector cell in the scan's picture, for a ray whose
// samples add up to sum: brighter for a longer path through the object.
inline double integralGrey(double sum) { return 1.1 - exp(-0.3 * sum * dl); }
// For a measured scan, whose largest line integral is `largest`: the factor
// that makes a line integral a sum for integralGrey, so that the largest
// looks as a long path through the phantom does.
inline double measuredLit(double largest) { return largest > 0 ? 4 / (largest * dl) : 0; }

// The inner samples of each ray: il = first..end-1.
inline int firstSample() { return Nl / 20; }
inline int endSample() { return (19 * Nl) / 20; }

// Samples lo..hi-1 of ray r: sample il at (x[il], y[il]), the object's
// value there (with the pins when they are in) value[il].
void sampleRay(const Ray &r, int lo, int hi, double *x, double *y, double *value);
// The sums of the samples of rays[0..n-1], each summed in order along its
// ray; times dl they are the line integrals. Samples where the object is 0
// are left out: they add nothing.
void sumRays(const Ray *rays, int n, double *sums);

#endif
