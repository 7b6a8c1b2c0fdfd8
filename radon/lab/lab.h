// The lab: the filter and noise settings, the sinograms as pictures, the
// error picture, the data files and the help screen.
#ifndef RADON_LAB_H
#define RADON_LAB_H

#include <string>

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
// Before a command about the parallel geometry: a fan scanner gives way to
// "Parallel beam", with its status line.
void useParallelBeam(void);
void toggleMetal(void);
// The sinogram, then the filtered sinogram, as pictures.
void showSinograms(void);
// The rows 0..rows-1 of a sinogram under the status line, angles (or a
// fan's views) downward, detector positions across, grey by value over the
// largest (filtered: over the largest magnitude, red below 0).
void drawSinogramTable(double **table, int rows, bool filtered);
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

// Every key on one screen; the next key brings back the picture before (help.cpp).
void showHelp(void);

#endif
