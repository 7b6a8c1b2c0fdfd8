// The scan: the grid choices, the test objects, the photon noise and the
// Radon transform that measures the sinogram.
#ifndef RADON_SCAN_H
#define RADON_SCAN_H

#include <cstdint>
#include <span>

#include "radon.h"

// ---------------------------------------------------------------- grid (grid.cpp)

// (Re)build the grid, the angle tables and every buffer; clears both flags.
void initRadon(int N_w, int N_p);

struct GridChoice {
    const char *label;
    int id;
    int N_w, N_p;
};
extern const std::span<const GridChoice> grid_choices;

// ---------------------------------------------------------------- test objects (objects.cpp)

double head0(double x, double y);    // Shepp-Logan's phantom
double head1(double x, double y);    // Disk0
double head2(double x, double y);    // Disk1
double head3(double x, double y);    // Box0
double head4(double x, double y);    // Box1
// Paint the current object into the drawing target, pixel by pixel.
void drawHead(void);

// values[i] = object(x[i], y[i]) for i = 0..n-1.
typedef void (*ObjectSampler)(int n, const double *x, const double *y, double *values);

struct ObjectChoice {
    const char *label;
    int id;
    Object function;
    ObjectSampler sample; // the same values in bulk, with the object's tests inlined
    double radius;        // about the origin; the object is 0 beyond it
};
extern std::span<const ObjectChoice> object_choices;  // the picture joins once loaded
// The entry of object_choices for `object`, or null.
const ObjectChoice *choiceOf(Object object);

// ---------------------------------------------------------------- photon noise (noise.cpp)

struct NoiseChoice {
    const char *label;
    int id;
    int photons; // per ray; 0: no noise
};
extern const std::span<const NoiseChoice> noise_choices;
extern const NoiseChoice *current_noise; // no noise at start
extern uint64_t noise_seed;              // --seed, 1 by default
extern uint64_t scan_count;              // scans so far; each scan draws noise of its own

// Replace row iw of scan `scan` (Np + 1 line integrals) by what the current
// number of photons per ray would measure; nothing without noise.
void addPhotonNoise(uint64_t scan, int iw, double *row);

// ---------------------------------------------------------------- transform (transform.cpp)

// Compute the sinogram of the current object, animating the scan.
void getRadon(void);
// The line-integral demonstration: getRadon drawing every sample point.
void showIntegral(void);
// Whether the scan measures row iw (0..Nw) of the sinogram; rows it leaves
// out hold 0, and methods that visit the angles one by one skip them.
bool viewMeasured(int iw);

#endif
