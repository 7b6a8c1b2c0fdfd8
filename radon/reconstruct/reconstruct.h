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
// Filter by the chosen path (use_fft), as "R" does.
void filterByChosenPath(void);
// The same, unless fbp already is the current scan filtered that way.
void filterUnlessCurrent(void);
// Filter the sinogram in rdn by the chosen path without the status line and
// the progress bar, for measurements that show only their result.
void filterQuietly(void);

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
// The same without showing it yet, so that more can be drawn over it.
void drawReconstructionValues(const Reconstruction &r);
// The back-projection of the current fbp, drawing nothing (its source left empty).
Reconstruction backProjection(void);

// Whether last_reconstruction belongs to the current scan and, when it was
// filtered, to the current filter and path.
bool reconstructionIsCurrent(void);

// ---------------------------------------------------------------- iterative methods (iterative.cpp)

// The image the iterative methods correct: one value per pixel inside the
// disc of radius 3 (as "R" decides), 0 elsewhere. A border of zeros around
// the canvas lets every sample of a ray read its four neighbours untested.
struct IterativeImage {
    IterativeImage(); // 0 everywhere
    static int border() { return width / 4; }
    int stride;
    std::vector<double> values; // pixel (ix, iy) at row(iy)[ix]
    double *row(int iy) { return &values[(size_t)(iy + border()) * stride + border()]; }
    const double *row(int iy) const { return &values[(size_t)(iy + border()) * stride + border()]; }
    // The values as the last reconstruction of the current scan (no filter).
    Reconstruction result(void) const;
};

// Image row iy's pixels inside the disc: ix = first..end-1 (one run).
struct DiscRun {
    int first, end;
};
const std::vector<DiscRun> &discRuns(void);

// q[ip - first] for the rays ip = first..end-1 of angle iw through image u:
// 400 points along the ray, each read bilinearly between the four nearest
// pixel centres, summed in order and times 6/400.
void projectRays(const IterativeImage &u, int iw, int first, int end, double *q);
// The rays' lengths in the disc, L[ip] for ip = 0..Np: the projection of
// the image that is 1 at every pixel inside it.
const double *rayLengths(int iw);
// A ray shorter than this misses the disc: it corrects nothing.
const double kShortRay = 1e-9;
// Where the ray of angle iw through world point (x, y) meets the detector,
// in detector steps, as "R" smears.
inline double detectorPosition(int iw, double x, double y) { return (x * cn[iw] + y * sn[iw] + xmax) / dp; }

// The step S of the spread order of n angles: coprime to n, nearest to
// 0.382 n (the smaller on a tie).
int spreadStep(int n);
// The measured angles in the spread order (k S) mod Nw, k = 0..Nw-1.
std::vector<int> spreadOrder(void);

// One angle of SART: every pixel inside the disc gets its smeared share of
// the residuals (rdn - projection) / length, kept at 0 or above.
void sartUpdate(IterativeImage &u, int iw);
// "I": one more SART iteration on the current sinogram (from 0 when the
// sinogram changed), drawn angle by angle; it becomes the last reconstruction.
void sartIteration(void);
// The RMS error after each SART iteration of the current sinogram (empty
// when there is none yet).
std::vector<double> sartErrors(void);

#endif
