// The scan: the grid choices, the test objects, the photon noise and the
// Radon transform that measures the sinogram.
#ifndef RADON_SCAN_H
#define RADON_SCAN_H

#include <cstdint>
#include <span>
#include <vector>

#include "radon.h"

// ---------------------------------------------------------------- grid (grid.cpp)

// (Re)build the grid, the angle tables and every buffer; clears both flags.
void initRadon(int N_w, int N_p);

struct GridChoice {
    const char *label;
    int id;
    int N_w, N_p;
};
extern std::span<const GridChoice> grid_choices; // a measured scan's grid joins once opened
// Put `own` (a measured scan's grid) at the end of grid_choices.
void offerGrid(const GridChoice &own);

// ---------------------------------------------------------------- test objects (objects.cpp)

double head0(double x, double y);    // Shepp-Logan's phantom
double head1(double x, double y);    // Disk0
double head2(double x, double y);    // Disk1
double head3(double x, double y);    // Box0
double head4(double x, double y);    // Box1
// Paint the current object (with the metal insert) into the drawing target, pixel by pixel.
void drawHead(void);

// The metal insert: two pins of radius 0.15 about (0.7, -1.2) and
// (-0.7, -1.2) that add 8 to whichever object is current. Off at start.
extern bool metal_insert;
// Whether (x, y) lies inside one of the pins.
bool inMetalPin(double x, double y);
// The current object at (x, y), with the pins when they are in: what "h"
// draws, the scan measures and "e" compares with.
double objectValue(double x, double y);

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

// The line integral that ray ip of row iw of scan `scan` reads from a
// Poisson count of mean photons x transmission, at the current number of
// photons per ray (not 0): -ln(max(count, 1) / photons).
double countedIntegral(uint64_t scan, int iw, int ip, double transmission);

// ---------------------------------------------------------------- the measurement (measurement.cpp)
// What a real scanner makes of the ideal line integrals: views left out, a
// weak detector, a polychromatic beam, and the photon noise. The first entry
// of each table changes nothing.

struct ViewsChoice {
    const char *label;
    int id;
    int step;    // every step-th row is measured ...
    int degrees; // ... up to this angle
};
extern const std::span<const ViewsChoice> views_choices;
extern const ViewsChoice *current_views; // all views at start

struct DetectorChoice {
    const char *label;
    int id;
    double gain; // of the detector weakDetector(); the others have 1
};
extern const std::span<const DetectorChoice> detector_choices;
extern const DetectorChoice *current_detector; // perfect at start
// The detector that may be weak: the one at t = 0.75.
inline int weakDetector(void) { return Np / 2 + Np / 8; }

struct BeamChoice {
    const char *label;
    int id;
    bool polychromatic; // two energies instead of one
};
extern const std::span<const BeamChoice> beam_choices;
extern const BeamChoice *current_beam; // monochromatic at start

// The fraction of the beam's photons that a ray of line integral p lets
// through, B(p): exp(-p), or for the polychromatic beam the mean of a harder
// and a softer half, (exp(-1.6 p) + exp(-0.4 p)) / 2. For 0 <= p < 400.
double beamTransmission(double p);

// Turn row iw of scan `scan` (Np + 1 ideal line integrals) into what the
// scanner measures: 0 for a view left out, else -ln(g B(p)), or the
// photon count's reading with noise. With the first entries and no noise
// the row is left as it is.
void measureRow(uint64_t scan, int iw, double *row);

// ---------------------------------------------------------------- emission (emission.cpp)
// Emission tomography: the object is a tracer's activity, and each ray
// counts the photons emitted along it, y ~ Poisson(s a g) for the line
// integral g, a = exp(-(line integral of water over the object's support))
// when the photons are attenuated, the scale s making the expected counts
// add up to the chosen total. The sinogram then holds the corrected line
// integrals y / w, w = s a (a = 1 when the attenuation is not corrected),
// which every reconstruction reads; the counts themselves are kept here.

struct ImagingChoice {
    const char *label;
    int id;
    int counts;      // the scan's expected total; 0: X-ray transmission
    bool attenuated; // the photons are attenuated on their way out
    bool corrected;  // ... and the reconstruction takes that into account
};
extern const std::span<const ImagingChoice> imaging_choices;
extern const ImagingChoice *current_imaging; // X-ray transmission at start
inline bool emissionImaging(void) { return current_imaging->counts != 0; }

// The counts of the last emission scan, ray (iw, ip) at [iw * (Np + 1) + ip].
struct EmissionCounts {
    uint64_t scan = 0;            // the scan, as currentScan() numbers it
    double scale = 0;             // s
    double total = 0;             // the sum of the counts
    std::vector<double> counts;   // y, whole numbers; 0 in views left out
    std::vector<double> weights;  // w = s a
    std::vector<double *> rows;   // the counts' rows, a table as rdn is
};
extern EmissionCounts emission;
// The ideal line integrals of scan `scan` in rdn become counts (kept in
// `emission`), and rdn the corrected line integrals y / w.
void countEmission(uint64_t scan);

// ---------------------------------------------------------------- the scanner (fan.cpp)
// Parallel rays (the first generation), or one source turning on a circle
// with a fan of rays to a curved detector, over a full turn or over half a
// turn plus the fan angle (the short scan).

struct ScannerChoice {
    const char *label;
    int id;
    bool fan;        // a turning source with a fan of rays; else parallel rays
    bool short_scan; // 180 degrees plus the fan angle; else a full turn
    bool parker;     // the short scan's rays weighed with Parker's weights
};
extern const std::span<const ScannerChoice> scanner_choices;
extern const ScannerChoice *current_scanner; // parallel beam at start
// The fan scanner used where a fan is needed and the parallel one is chosen.
const ScannerChoice *fullTurnScanner(void);

// The fan's geometry: the source on the circle of radius D about the centre,
// at angle beta_k = k dw, position D (sin beta, -cos beta); Np + 1 detector
// elements at equal fan angles gamma_j = (j - Np/2) dgamma, the fan just
// covering the disc of radius 3. Ray (k, j) is the parallel ray of angle
// theta = beta_k - gamma_j at t = D sin gamma_j.
const double kSourceRadius = 6;           // D
double fanHalfAngle(void);                // delta = asin(3 / D)
double fanStep(void);                     // dgamma = 2 delta / Np
inline double fanAngle(int j) { return (j - Np / 2) * fanStep(); }
// The views of a fan scanner: 2 Nw for the full turn, ceil(4 Nw / 3) + 1
// for the short scan (180 degrees plus the fan angle of 60).
int fanViews(const ScannerChoice *scanner);
// The rows of the sinogram of the current scanner: Nw + 1 angles, or the fan's views.
int sinogramRows(void);
// The fan-beam scan into rdn, animated: the set-up at half scale (window only).
void fanScan(void);
// The emission scan's views with the arc lit by the counts (in batch mode
// the last one's only).
void drawFanCounts(void);
// The fan sinogram of scan `scan` into rdn; with `draw`, each view's frame
// (in batch mode the last one's only).
void fanScanRows(uint64_t scan, bool draw);

// ---------------------------------------------------------------- transform (transform.cpp)

// Compute the sinogram of the current object, animating the scan.
void getRadon(void);
// The sinogram of the current object as getRadon's scan number `scan` would
// measure it (with that scan's noise), drawing nothing and leaving
// scan_count alone; currentScan() is then scan + 1, as after that scan.
void measureSinogram(uint64_t scan);
// The line-integral demonstration: getRadon drawing every sample point.
void showIntegral(void);
// Whether the scan measures row iw (0..Nw) of the sinogram (measurement.cpp);
// rows it leaves out hold 0, and methods that visit the angles one by one skip them.
bool viewMeasured(int iw);
// The last of rows 0..views-1 that the scan measures (0 when none is). In
// batch mode a scan draws only its frame: the picture the window ends on.
int lastMeasuredView(int views);
// The angle a measured view stands for in a back-projection: dw V / n, V
// the views of a turn (Nw, or a fan's full 2 Nw) and n those of them that
// views left out evenly measure, so that the views still cover the turn
// (step dw when step divides V; step dw on a short scan). A limited angle
// measures every row up to its end and stays uncompensated: dw.
double viewWeight(void);

#endif
