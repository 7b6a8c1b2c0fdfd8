// The filter plot's curves, apart from their drawing.
#ifndef RADON_FILTERPLOT_H
#define RADON_FILTERPLOT_H

#include "grlib.h"

// Fill `width` window points of each curve, one per column, over eleven
// detector samples: w0 the smooth comparison curve, w1 the kernel weight.
void fillFilterCurves(Point2D *w0, Point2D *w1);

#endif
