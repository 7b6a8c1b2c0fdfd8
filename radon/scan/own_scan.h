// A measured sinogram from a file: the scan file that describes it
// (scan_file.cpp), the readers of its data (read_*.cpp), and the scan made
// from them (own_scan.cpp).
#ifndef RADON_OWN_SCAN_H
#define RADON_OWN_SCAN_H

#include <cmath>
#include <string>
#include <vector>

#include "scan/scan.h"

// ---------------------------------------------------------------- arrays (read_*.cpp)

// A 2-D array of numbers, row by row: value[r * cols + c].
struct Array2D {
    int rows = 0, cols = 0;
    std::vector<double> value;
};

// Read the array in `path` by the file's ending (.npy, .csv, .txt, .png,
// .tif, .tiff, .mat); `variable` names a MATLAB file's variable ("": the
// only 2-D numeric one). False with *error (the reason).
bool readArray(const std::string &path, const std::string &variable, Array2D *array, std::string *error);
// One reader per format, each with the same contract.
bool readNpy(const std::string &path, Array2D *array, std::string *error);
bool readText(const std::string &path, Array2D *array, std::string *error);
bool readPng(const std::string &path, Array2D *array, std::string *error);
bool readTiff(const std::string &path, Array2D *array, std::string *error);
bool readMat(const std::string &path, const std::string &variable, Array2D *array, std::string *error);

// On the desktop the readers that need a format's library (PNG, TIFF and
// MATLAB) are a module of their own, radon-formats.so, which the program
// loads the first time it opens such a file (format_module.cpp): loading
// those libraries, HDF5 with its network stack among them, takes longer
// than most scans take to compute.
struct FormatReaders {
    decltype(&readPng) png;
    decltype(&readTiff) tiff;
    decltype(&readMat) mat;
};
// The module's readers, loaded once; null with *error when they cannot be.
const FormatReaders *formatReaders(std::string *error);

// ---------------------------------------------------------------- the scan file (scan_file.cpp)

// A reading of the open beam or of the dark: none given, one number, or a
// file (a row of a value per column, or the data's whole size).
struct Reading {
    enum Kind { none, number, file } kind = none;
    double value = 0;
    std::string path; // the file, as the scan file's folder makes it
    int line = 0;     // of its key in the scan file
};

enum class ScanGeometry { parallel, fan_arc, fan_flat };

struct ScanFile {
    std::string path, title;
    std::string data, variable; // the data file (with the folder) and a MATLAB variable
    int data_line = 0;
    bool views_are_columns = false;
    bool intensities = false;
    Reading flat, dark;
    ScanGeometry geometry = ScanGeometry::parallel;
    double first_angle = 0;      // degrees
    double angle_step = 0;       // degrees; 0: the default for the geometry
    bool clockwise = false;
    double pitch = 1;
    double source_to_axis = 0, source_to_detector = 0; // fans only
    bool has_centre = false;
    double centre = 0;
    std::string unit = "mm";
};

// Read the scan file at `path`. False with *error, "scan FILE, line N:
// REASON" (line 0 for the file as a whole), when it is refused.
bool readScanFile(const std::string &path, ScanFile *scan, std::string *error);
// The same for the text of a scan file called `path`.
bool parseScanFile(const std::string &path, const std::string &text, ScanFile *scan, std::string *error);
// Whether a file's name marks it as a scan file: it ends in ".scan".
bool isScanFileName(const std::string &path);

// ---------------------------------------------------------------- the scan opened (own_scan.cpp)

// A measured scan as line integrals, views by columns, with what the status
// line says of it.
struct OwnScan {
    ScanFile file;
    int views = 0, columns = 0;   // after binning
    int binning = 1;              // columns summed into one
    std::vector<double> p;        // p[view * columns + column]
    double file_centre = 0;       // the column of the axis, as the file says (after binning)
    double centre = 0;            // the one in use
    double covered = 0;           // degrees the views cover
    double fan_angle = 0;         // degrees; 0 for parallel rays
    long clipped = 0;             // readings at or below the dark level
    double unit_length = 1;       // one world unit in the file's unit
};

// A fan scan's set-up, in the scan file's lengths and in radians: the
// source at angle beta(k) for view k, and the ray to column c at fan angle
// gamma(c) off the central ray (positive towards the higher columns).
struct FanGeometry {
    double R, D, pitch, step, sign, first;
    bool flat;
    explicit FanGeometry(const OwnScan &scan);
    double gamma(double c, double centre) const {
        const double u = (c - centre) * pitch;
        return flat ? std::atan(u / D) : u / D;
    }
    double beta(int k) const { return sign * (first + k * step); }
    // Where the source at angle b is among the views: k + f between views k
    // and k + 1, in [0, 2 pi / step) (beyond the last view where they do not reach).
    double viewAt(double b) const;
};

// Read the scan file at `path` and its data into *scan. False with *error
// ("scan FILE, line N: REASON"), *scan unchanged.
bool loadOwnScan(const std::string &path, OwnScan *scan, std::string *error);
// Make `scan` the one "Own scan" measures; its entries join the lists.
void keepOwnScan(OwnScan &&scan);
// The scan kept (views 0 while there is none).
const OwnScan &ownScan(void);
// Move the centre of rotation in use; the sinogram is measured afresh.
void setOwnScanCentre(double centre);

// The centre of rotation from the data (centre.cpp), in columns: where
// opposite views agree best, when the views cover opposite directions (a
// fan's: the two rays of each line); else the candidate, a quarter column
// apart, whose reconstruction is sharpest.
struct CentreEstimate {
    double centre;
    const char *method; // "by opposite views", "by conjugate rays", "the sharpest"
};
CentreEstimate estimateCentre(const OwnScan &scan);

// The object of a measured scan: nothing is known of it, 0 everywhere.
double ownScanObject(double x, double y);
// Whether the current object is the measured scan.
inline bool measuredScan(void) { return head == ownScanObject; }
// The grid of the measured scan: Nw = views, Np = columns.
const GridChoice *ownScanGrid(void);
// Whether the measured scan has a view at row iw (0..Nw) of the sinogram:
// false for the angles a limited-angle scan leaves out; true without a scan.
bool ownScanCovers(int iw);
// The measured sinogram into rdn, rows 0..Nw as the parallel grid's angles,
// each in 1/unit times a world unit so that reconstructions read in 1/unit.
void ownScanRows(void);
// A fan scan's views as the parallel rays of the grid nw x np into
// rows[0..nw][0..np] (when not null) with the axis at column `centre`;
// returned: the mean square of the differences between the two readings
// of each line that both fan rays through it measured.
double fanRows(const OwnScan &scan, double centre, int nw, int np, double **rows);
// A fan scan's views as they were measured, the source turning round the
// field of view (in batch mode the last one's only).
void drawMeasuredFanViews(void);
// What the status line says of the scan: its title, size, binning, angles.
std::string ownScanStatus(void);

#endif
