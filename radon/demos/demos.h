// The demonstrations: the convolution, the accumulation of back-projections
// (filtered, and unfiltered as old tomography) and the filter plot.
#ifndef RADON_DEMOS_H
#define RADON_DEMOS_H

#include "radon.h"

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

#endif
