// The demonstrations: the convolution, the accumulation of back-projections
// (filtered, and unfiltered as old tomography) and the filter plot.
#ifndef RADON_DEMOS_H
#define RADON_DEMOS_H

#include <vector>

#include "reconstruct/reconstruct.h"

// Raw and filtered rays and curves for six angles (convolution.cpp).
void convolution(double f1, double f2);

// Back-projection angle by angle with the running sum (accumulation.cpp).
void accumulation(double **dat, double r1, double r2);
// Whether the state after back-projecting angle iw is shown: every tenth of
// the half-turn and the last angle, eleven times on every grid.
bool accumulationShowsAngle(int iw);

// The kernel and its comparison curve on three screens (filterplot.cpp).
void drawFilter(void);
// Fill `width` window points of each curve, one per column, over eleven
// detector samples: w0 the smooth comparison curve, w1 the kernel weight.
void fillFilterCurves(Point2D *w0, Point2D *w1);

// ART from 0, one sweep: the first angle ray by ray, then angle by angle (art.cpp).
void artDemo(void);

// The pixels inside the disc sorted by the detector step their smearing
// position falls in at one angle: strip k holds those with (int) p == k,
// at pixel[start[k]] .. pixel[start[k + 1] - 1], each with its fraction f = p - k.
struct Strips {
    std::vector<int> start;
    std::vector<double *> pixel;
    std::vector<double> f;
};
void sortIntoStrips(IterativeImage &u, int iw, Strips &s);
// ART's step for ray ip of angle iw: its residual over its length smeared on
// the pixels whose weight for detector ip is not 0 (1 - f in strip ip, f in
// strip ip - 1). False when the ray misses the disc.
bool correctRay(IterativeImage &u, const Strips &s, int iw, int ip);

#endif
