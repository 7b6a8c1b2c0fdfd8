// Reconstruction: the filters, the filtering of the projections (direct
// convolution or FFT) and the back-projection, with the record of what the
// last reconstruction was computed from.
#ifndef RADON_RECONSTRUCT_H
#define RADON_RECONSTRUCT_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "radon.h"
#include "scan/scan.h"

// ---------------------------------------------------------------- filters (filters.cpp)

struct FilterChoice {
    const char *label;
    int id;
    // The direct path's kernel times 2 pi at offset x for detector spacing
    // dx, straight lines between whole offsets.
    double (*weight)(double x, double dx);
    // The FFT path's factor for frequency index m = 0..Np-1.
    double (*response)(int m);
    Color colour; // of its curves where the filters are compared
};
extern const std::span<const FilterChoice> filter_choices;
extern const FilterChoice *current_filter; // Shepp-Logan at start

// ---------------------------------------------------------------- filtering (filter.cpp)

// Shepp-Logan's kernel (the first filter's weight) at offset x for detector spacing dx.
double weight(double x, double dx);
// Filter the Nw + 1 rows of the parallel sinogram `in` into `out`, directly
// (path 0) or by FFT (1); with `show`, the progress bar of "R".
void filterParallel(double **in, double **out, int path, bool show);
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

// Filter the fan sinogram: each view's weighted projection convolved with
// the fan kernel, whatever path "F" chose.
void filterFan(void);
// out[ip] = (sum over iq of w[ip - iq] in[iq]) / 2 pi, for ip, iq = 0..Np.
void convolveRow(const double *in, const double *w, double *out);

// ---------------------------------------------------------------- fan-beam reconstruction (fan_backproject.cpp)

// Parker's weight of the short scan's ray at source angle beta and fan
// angle gamma; a ray and its conjugate (beta + pi - 2 gamma, -gamma) have
// weights that add up to 1.
double parkerWeight(double beta, double gamma);
// The fan kernel at offset n: 1/2 (n dgamma / sin(n dgamma))^2 times the
// chosen filter's weight at n dgamma for spacing dgamma (the ratio is 1 at n = 0).
double fanKernel(int n);
// View k's projection weighed for filtering: row[j] D cos gamma_j, first
// times Parker's weight when the scanner uses them.
void weighFanRow(int k, const double *row, double *weighted);

// Where the ray from the source at angle beta (c = cos beta, s = sin beta)
// through the world point (x, y) meets the detector, in elements:
// j' = gamma' / dgamma + Np/2 with gamma' = atan(across / along); and
// *inverse_L2 = 1 / L^2, L^2 = along^2 + across^2. The arctangent is Cephes'
// rational approximation z + z w P(w) / Q(w), w = z^2, within an ulp for
// |z| <= 0.66 (a ray through the disc leaves the central ray by 30 degrees
// at most, tan 30 = 0.577). Two divisions serve the quotient, the
// approximation, dgamma and 1 / L^2 = 1 / (along^2 (1 + w)): the hot loop
// of the fan's back-projection, within a few ulp, and it vectorizes.
double fanDetectorPosition(double c, double s, double dgamma, double x, double y, double *inverse_L2);

// cos and sin of the source angle of every view of the chosen fan scanner.
struct FanViewAngles {
    double dw = 0;
    std::vector<double> c, s;
};
const FanViewAngles &fanViewAngles(void);

// The fan back-projection of the filtered fan sinogram into the pixels
// first..end-1 of a row at height y (xs: their x): the views' sum times dw,
// times 2 for a short scan.
void fanBackProjectRow(double **filtered, int first, int end, const double *xs, double y, double *fn);

// ---------------------------------------------------------------- back-projection (backproject.cpp)

// Filter, then back-project every pixel inside the disc of radius 3.
void reconstruct(void);

// The back-projection of image row iy from the current fbp: in[ix] tells
// whether pixel ix lies inside the disc of radius xmax, fn[ix] is its value
// (set only inside). Draws nothing.
void backProjectRow(int iy, char *in, double *fn);
// Pixels first..end-1 of image row iy, all inside the disc, as
// backProjectRow gives them: fn[first..end-1].
void backProjectPixels(int iy, int first, int end, double *fn);

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
// How far a reconstruction is from the truth: the RMS error against the
// object, or for a measured scan (which has none) the relative residual
// |A x - p| / |p| of its projections x against the sinogram p (iterative.cpp).
double reconstructionError(const Reconstruction &r);
// That measure's name in status lines and on axes: "RMS error" or "residual".
const char *errorName(void);

// Clear the canvas and draw the values inside the disc as "R" draws them.
void drawReconstruction(const Reconstruction &r);
// The same without showing it yet, so that more can be drawn over it.
void drawReconstructionValues(const Reconstruction &r);
// The back-projection of the current fbp, drawing nothing (its source left empty).
Reconstruction backProjection(void);
// Clear the canvas and draw the parallel back-projection of the filtered
// sinogram `filtered` (Nw + 1 rows), whatever scanner is chosen; returned
// with its source left empty.
Reconstruction drawParallelBackProjection(double **filtered);

// The value drawn white: 1, or for a measured scan (whose pictures have no
// fixed scale) the 99.5th percentile of what was drawn last (zero stays black).
extern double display_white;
// The 99.5th percentile of r's values inside the disc; 1 when it is not above 0.
double measuredWhite(const Reconstruction &r);
// "white = 0.042 1/mm": the value of white for a measured scan.
std::string whiteStatus(void);

// The filtered back-projection of the measured fan scan from its own views
// with the chosen filter (measured_fan.cpp), drawing nothing.
Reconstruction measuredFanReconstruction(void);

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

// q[ip - first] for the rays ip = first..end-1 of angle iw (or of a fan's
// view iw, each ray at its own angle) through image u:
// 400 points along the ray, each read bilinearly between the four nearest
// pixel centres, summed in order and times 6/400.
void projectRays(const IterativeImage &u, int iw, int first, int end, double *q);
// A matched pair for MLEM, pixel-driven as "R" smears: the projection of u
// along every ray of view iw into q[0..Np], each pixel inside the disc
// shared between the two rays beside it; and its exact transpose, the
// pixels of image row iy inside the disc, v[ix], gaining from the rays'
// values r[0..Np] what they gave them.
void projectPixels(const IterativeImage &u, int iw, double *q);
void smearPixels(int iw, int iy, const double *r, double *v);
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
// The measured angles in the spread order (k S) mod n, k = 0..n-1, of the
// n = Nw angles, or of a fan scanner's n views.
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
// Forget the iterations so far, as at start (a lesson going back).
void forgetIterations(void);

// ---------------------------------------------------------------- emission: MLEM and OSEM (mlem.cpp)

// How many subsets of the views OSEM updates after, one by one.
struct SubsetsChoice {
    const char *label;
    int id;
    int subsets; // 1: MLEM
};
extern const std::span<const SubsetsChoice> subsets_choices;
extern const SubsetsChoice *current_subsets; // 1 subset (MLEM) at start

// The measured views of subset m of S: views m, m + S, m + 2S, ... of the
// Nw angles of a half-turn, or of a fan's views.
std::vector<int> subsetViews(int m, int S);
// The log-likelihood of the counts for the picture u: the sum over the
// measured rays of y ln(w Au) - w Au.
double logLikelihood(const IterativeImage &u);
// One MLEM or OSEM update of u with the views of subset m of S on the
// current emission counts, `sensitivity` the transpose of the projection of
// that subset's weights w (from subsetSensitivity).
void emissionUpdate(IterativeImage &u, int m, int S, const IterativeImage &sensitivity);
// The transpose of the projection of the weights w of subset m of S.
IterativeImage subsetSensitivity(int m, int S);
// The picture MLEM starts from: uniform inside the disc, its projection's
// expected counts adding up to the counts.
IterativeImage uniformStart(void);

// "L": one more MLEM (or OSEM) iteration on the emission counts, drawn
// after each subset; from the uniform start when the scan or the subsets changed.
void emissionIteration(void);
// The RMS error after each of those iterations (empty when there is none).
std::vector<double> emissionErrors(void);
// Forget them, as at start (a lesson going back).
void forgetEmissionIterations(void);

#endif
