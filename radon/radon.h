// The tomography program: the sampling grid and program-wide state, the test
// objects, the Radon transform, the filtering, the back-projection, the
// demonstrations and the shell. Plain functions over global state.
#ifndef RADON_H
#define RADON_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "grlib.h"

// ---------------------------------------------------------------- grid and state (grid.cpp)

extern int width, height;            // canvas and image size, 400 x 400
extern const double xmax, ymax;      // half-extents of the world square, 3.0
extern int Nw, Np, Nl;               // angle steps, detector intervals, samples per ray
extern double dw, dp, dl;            // angle, detector and along-ray steps
extern double *cn, *sn;              // cos and sin of iw*dw, iw = 0..Nw
extern double **rdn, **fbp;          // sinogram and filtered sinogram [iw][ip]
extern double **abuf, **bbuf;        // accumulation work images [ix][iy]
extern int have_rdn, have_fbp;       // freshness of rdn and fbp
extern int fbp_by_fft;               // 1: fbp was filtered by FFT
extern int use_fft;                  // 1: reconstruct filters by FFT
extern int show_integral;            // 1: the transform draws every sample
extern Color C;                      // white, the source of every grey level
extern Color green;                  // the colour of plotted curves

// (Re)build the grid, the angle tables and every buffer; clears both flags.
void initRadon(int N_w, int N_p);

// ---------------------------------------------------------------- the lists the program offers
// Each list is one table that the menu, the dispatcher, --batch and the
// tests read: an entry's menu label, its menu id and its values.

// The entry of `choices` with menu id `id`, or null.
template <class Choice>
const Choice *findChoice(std::span<const Choice> choices, int id) {
    for (const Choice &choice : choices)
        if (choice.id == id) return &choice;
    return nullptr;
}

// The entry after `choice` in `choices`; after the last, the first.
template <class Choice>
const Choice *nextChoice(std::span<const Choice> choices, const Choice *choice) {
    return &choices[(size_t)(choice - choices.data() + 1) % choices.size()];
}

struct GridChoice {
    const char *label;
    int id;
    int N_w, N_p;
};
extern const std::span<const GridChoice> grid_choices;  // grid.cpp

// ---------------------------------------------------------------- test objects (objects.cpp)

typedef double (*Object)(double x, double y);
extern Object head;                  // the current test object
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
extern std::span<const ObjectChoice> object_choices;  // objects.cpp; the picture joins once loaded
// The entry of object_choices for `object`, or null.
const ObjectChoice *choiceOf(Object object);

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

// ---------------------------------------------------------------- filtering (filter.cpp)

// Shepp-Logan's kernel (the first filter's weight) at offset x for detector spacing dx.
double weight(double x, double dx);
// Filter every projection by direct convolution.
void getFbp0(void);
// Filter every projection by FFT.
void getFbp1(void);

// ---------------------------------------------------------------- back-projection (backproject.cpp)

// Filter, then back-project every pixel inside the disc of radius 3.
void reconstruct(void);

// What a reconstruction depends on.
struct LabSettings {
    Object object;
    int N_w, N_p;
    const FilterChoice *filter;
    const NoiseChoice *noise;
    int use_fft;
    bool operator==(const LabSettings &) const = default;
};
LabSettings currentSettings(void);

// The values of the last back-projection, [iy * width + ix], and the
// settings of the reconstruction they come from (object null: none).
struct Reconstruction {
    LabSettings settings;
    std::vector<char> inside; // inside the disc of radius 3
    std::vector<double> value;
};
extern Reconstruction last_reconstruction;

// ---------------------------------------------------------------- demonstrations

// Raw and filtered rays and curves for six angles (convolution.cpp).
void convolution(double f1, double f2);
// Back-projection angle by angle with the running sum (accumulation.cpp).
void accumulation(double **dat, double r1, double r2);
// The kernel and its comparison curve on three screens (filterplot.cpp).
void drawFilter(void);

// ---------------------------------------------------------------- the lab (lab.cpp, help.cpp)

// Make a filter or noise setting current, with its status line.
void chooseFilter(const FilterChoice *filter);
void chooseNoise(const NoiseChoice *noise);
// The sinogram, then the filtered sinogram, as pictures.
void showSinograms(void);
// The last reconstruction minus the object, four times, with its RMS.
void errorPicture(void);
// The sinogram, filtered sinogram and reconstruction as CSV files.
void saveData(void);
// Save `content` as the file `name`, as pictures are saved. On failure: the
// reason on stderr and the status line, counted as a failed save; false.
bool writeDataFile(const char *name, const std::string &content);
// Every key on one screen; the next key brings back the picture before.
void showHelp(void);

// ---------------------------------------------------------------- shell (shell.cpp)

extern Menu topmenu, demomenu, chpara, chobj, labmenu, filtermenu, noisemenu;
// Run the command for a key code or menu id.
void actionfunc(int c);
// The status line; with pause non-zero, wait for a key.
void Pause(const char *str, int pause);
// The mouse callback: any button press opens the popup menu.
void mouse(int button, int state, double x, double y);
// The drop callback: the file becomes the current object and is drawn.
void dropped(const char *path);
// Load the picture file as the object "Image" and add it to "Change Object",
// without selecting it; false with *error (the reason) when it cannot be read.
bool loadObjectFile(const char *path, std::string *error);
// The command loop; never returns.
void loop(void);

// Batch mode: waits of the status line end at once and every status
// message is also printed on standard output.
extern int batch_mode;
// Pictures held on screen for the teaching pace (window only); 0 in batch.
void teachingPause(double seconds);

// Saves of files the user asked for (pictures, data files), each reported
// here. A success says "Saved NAME" on standard output in batch mode. A
// failure's message ("can't write NAME: REASON") goes to stderr and to the
// status line, and is counted.
void noteSaveSuccess(const char *name);
void noteSaveFailure(const char *message);
extern int failed_saves;
// The status after the last command: 1 in batch mode when a save failed.
int exitStatus(void);

// ---------------------------------------------------------------- standard output (cli.cpp)

// One line on standard output; the first write error is kept for the exit.
void printLine(const char *text);
// At exit: a write error on standard output (now or earlier) gives
// "radon: write error: REASON" on stderr and status 1.
void checkStandardOutputAtExit(void);

#endif
