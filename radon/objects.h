// The test objects in bulk, for the Radon transform's inner loop.
#ifndef RADON_OBJECTS_H
#define RADON_OBJECTS_H

#include "radon.h"

// values[i] = object(x[i], y[i]) for i = 0..n-1.
void sampleObject(Object object, int n, const double *x, const double *y, double *values);

#endif
