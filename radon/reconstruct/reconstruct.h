// Reconstruction: the filters, the filtering of the projections (direct
// convolution or FFT) and the back-projection, with the record of what the
// last reconstruction was computed from.
#ifndef RADON_RECONSTRUCT_H
#define RADON_RECONSTRUCT_H

#include <cstdint>
#include <span>
#include <vector>

#include "radon.h"

// ---------------------------------------------------------------- filters (filters.cpp)

struct FilterChoice {
    const char *label;
    int id;
    // The direct path's kernel times 2 pi at offset x for detector spacing
    // dx, straight lines between whole offsets.
    double (*weight)(double x, double dx);
    // The FFT path's factor for frequency index m = 0..Np-1.
    double (*response)(int m);
};
extern const std::span<const FilterChoice> filter_choices;
extern const FilterChoice *current_filter; // Shepp-Logan at start

// ---------------------------------------------------------------- filtering (filter.cpp)

// Shepp-Logan's kernel (the first filter's weight) at offset x for detector spacing dx.
double weight(double x, double dx);
// Filter every projection by direct convolution.
void getFbp0(void);
// Filter every projection by FFT.
void getFbp1(void);
// The filtering's progress bar after projection iw, then a flush.
void drawFilterProgress(int iw);

// What fbp was filtered from and with.
extern uint64_t fbp_scan;
extern const FilterChoice *fbp_filter;
// Whether fbp is the current scan filtered with the current filter, by
// FFT (path 1), directly (0), or either way (-1).
bool filteredIsCurrent(int path);

// ---------------------------------------------------------------- back-projection (backproject.cpp)

// Filter, then back-project every pixel inside the disc of radius 3.
void reconstruct(void);

// The back-projection of image row iy from the current fbp: in[ix] tells
// whether pixel ix lies inside the disc of radius xmax, fn[ix] is its value
// (set only inside). Draws nothing.
void backProjectRow(int iy, char *in, double *fn);

// Clear the canvas and draw the back-projection of the current fbp.
void drawBackProjection(void);

// What a reconstruction was computed from: the scan, and for filtered
// back-projection the filter and the path (the other methods use no filter).
struct ReconstructionSource {
    uint64_t scan;               // 0: no reconstruction
    const FilterChoice *filter;  // null for a method without a filter
    int use_fft;
    bool operator==(const ReconstructionSource &) const = default;
};

// The values of the last reconstruction, [iy * width + ix], and where they
// come from.
struct Reconstruction {
    ReconstructionSource source;
    std::vector<char> inside; // inside the disc of radius 3
    std::vector<double> value;
};
extern Reconstruction last_reconstruction;

// The root mean square of (value - the object) over the pixels inside the
// disc, row by row as the error picture sums it.
double rmsError(const Reconstruction &r);
// Clear the canvas and draw the values inside the disc as "R" draws them.
void drawReconstruction(const Reconstruction &r);

// Whether last_reconstruction belongs to the current scan and, when it was
// filtered, to the current filter and path.
bool reconstructionIsCurrent(void);

#endif
