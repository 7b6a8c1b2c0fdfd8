// The test objects in bulk, for the Radon transform's inner loop.
#ifndef RADON_OBJECTS_H
#define RADON_OBJECTS_H

#include "scan/scan.h"

// values[i] = object(x[i], y[i]) for i = 0..n-1, by the object's sampler when
// it has one, with the metal pins added when they are in.
void sampleObject(Object object, int n, const double *x, const double *y, double *values);

// A radius about the origin beyond which the object, with the metal pins
// when they are in, is 0 (HUGE_VAL when nothing is known): rays and samples
// farther out need not be sampled.
double objectRadius(Object object);

// Put the picture's entry (imageObject) on the list of objects, with the
// radius of its corners.
void offerImageObject(double radius);
// Put the measured scan's entry (ownScanObject) on the list, as `label`.
void offerOwnScanObject(const char *label);

#endif
