// The lab: the filter and noise settings, the sinograms as pictures, the
// error picture, the data files, the profile, the measurement of resolution
// and noise (its computations in image_quality.h), the plots' axes and the
// help screen.
#ifndef RADON_LAB_H
#define RADON_LAB_H

#include <string>
#include <vector>

#include "reconstruct/reconstruct.h"
#include "scan/scan.h"

// Make a filter or noise setting current, with its status line (lab.cpp).
void chooseFilter(const FilterChoice *filter);
void chooseNoise(const NoiseChoice *noise);
// The scanner's settings: views, detector, beam, and the metal insert (drawn
// with the object). Each discards the sinogram, with its status line.
void chooseViews(const ViewsChoice *views);
void chooseDetector(const DetectorChoice *detector);
void chooseBeam(const BeamChoice *beam);
void chooseScanner(const ScannerChoice *scanner);
// X-ray transmission or emission; in emission the noise, detector, beam and
// metal refuse to change.
void chooseImaging(const ImagingChoice *imaging);
// The subsets of OSEM; the iterations start again from the uniform picture.
void chooseSubsets(const SubsetsChoice *subsets);
// Before a command about the parallel geometry: a fan scanner gives way to
// "Parallel beam", with its status line.
void useParallelBeam(void);
void toggleMetal(void);
// The sinogram, then the filtered sinogram, as pictures.
void showSinograms(void);
// The rows 0..rows-1 of a sinogram under the status line, angles (or a
// fan's views) downward, detector positions across, grey by value over the
// largest (filtered: over the largest magnitude, red below 0); `columns`
// values a row (a measured fan's own views have a column fewer).
void drawSinogramTable(double **table, int rows, bool filtered, int columns = Np + 1);
// The last reconstruction minus the object, four times, with its RMS.
void errorPicture(void);
// The sinogram, filtered sinogram and reconstruction as CSV files.
void saveData(void);
// Save `content` as the file `name`, as pictures are saved. On failure: the
// reason on stderr and the status line, counted as a failed save; false.
bool writeDataFile(const char *name, const std::string &content);

// The RMS error after each SART iteration against that of filtered
// back-projection of the same sinogram (convergence.cpp).
void convergencePlot(void);

// "l": the last reconstruction along an image row against the object, on a
// screen of its own (profile.cpp).
void showProfile(void);
// While the profile is on screen, GR_KEY_UP and GR_KEY_DOWN move its row by
// 10 pixels: true when `key` was one of them. Any other key ends the profile.
bool profileKey(int key);
// The profile is no longer on screen: its row is forgotten and the arrow
// keys are given up. For whatever discards the reconstruction it reads.
void endProfile(void);

// "M": the MTF and the noise power spectrum of every filter on Disk0, on two
// screens (image_quality.cpp).
void resolutionAndNoise(void);

// The centre of rotation of a measured scan (centre.cpp): found from the
// data, moved by `columns`, or as the scan file says; each reconstructs and
// says where the centre is. Nothing without a measured scan.
void findCentre(void);
void moveCentre(double columns);
void centreAsFileSays(void);

// ---------------------------------------------------------------- plots (plot.cpp)

// A round step (1, 2 or 5 times a power of ten) that cuts [0, range] into
// about `parts` pieces.
double roundStep(double range, int parts);

// A plot's frame on the canvas, in pixels, and the ranges of its axes.
struct PlotFrame {
    double x_low, x_high, y_low, y_high;
    int left = 64, right = 376, top = 56, bottom = 344;
    // The canvas column of x, and the row of y clipped to the frame.
    double px(double x) const;
    double py(double y) const;
};
// Clear the canvas and draw the axes with a number at every step, a faint
// grid across, and the axes' titles.
void drawPlotAxes(const PlotFrame &f, double x_step, double y_step, const char *x_title, const char *y_title);
// Straight lines through the points (x[i], y[i]), x growing, in the
// current colour, up to the frame's right edge.
void drawCurve(const PlotFrame &f, const std::vector<double> &x, const std::vector<double> &y);
// Row `row` of a legend in the frame's upper right: a piece of line in the
// current colour, then the text.
void drawLegendEntry(const PlotFrame &f, int row, const char *text);
// A plot (the profile, the noise spectra, the convergence plot) has just
// been drawn and flushed: it is on screen until something draws over it.
void notePlotOnScreen(void);
// The status line of a setting just changed. A plot still on screen shows
// the settings before, so it gives way to the object first.
void settingStatus(const char *text);

// Every key on one screen; the next key brings back the picture before (help.cpp).
void showHelp(void);

#endif
