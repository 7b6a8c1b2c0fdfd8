// The lab: the filter, noise and scanner settings, the sinograms as
// pictures, the error picture and the data files.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "lab/image_quality.h"
#include "lab/lab.h"
#include "window_map.h"

void chooseFilter(const FilterChoice *filter) {
    char status[100];
    current_filter = filter;
    have_fbp = 0;
    std::snprintf(status, sizeof status, "Filter: %s", filter->label);
    settingStatus(status);
}

// Emission has no X-ray tube, detector gain or metal to set: the keys say
// so and change nothing.
static bool refusedInEmission(void) {
    if (emissionImaging()) Pause("Emission counts carry their own noise: no change", 0);
    return emissionImaging();
}

void chooseNoise(const NoiseChoice *noise) {
    if (refusedInEmission()) return;
    char status[100];
    current_noise = noise;
    have_rdn = 0;
    have_fbp = 0;
    if (noise->photons) std::snprintf(status, sizeof status, "Noise: %d photons per ray", noise->photons);
    else std::snprintf(status, sizeof status, "Noise: off");
    settingStatus(status);
}

// A setting of the scanner: the sinogram and what was filtered from it go.
template <class Choice>
static void chooseScanSetting(const Choice *&current, const Choice *choice, const char *what) {
    char status[100];
    current = choice;
    have_rdn = 0;
    have_fbp = 0;
    std::snprintf(status, sizeof status, "%s: %s", what, choice->label);
    settingStatus(status);
}

void chooseViews(const ViewsChoice *views) { chooseScanSetting(current_views, views, "Views"); }
void chooseDetector(const DetectorChoice *detector) {
    if (!refusedInEmission()) chooseScanSetting(current_detector, detector, "Detector");
}
void chooseBeam(const BeamChoice *beam) {
    if (!refusedInEmission()) chooseScanSetting(current_beam, beam, "Beam");
}
void chooseScanner(const ScannerChoice *scanner) { chooseScanSetting(current_scanner, scanner, "Scanner"); }
void chooseImaging(const ImagingChoice *imaging) { chooseScanSetting(current_imaging, imaging, "Imaging"); }

void chooseSubsets(const SubsetsChoice *subsets) {
    char status[100];
    current_subsets = subsets;
    std::snprintf(status, sizeof status, "Subsets: %s", subsets->label);
    settingStatus(status);
}

void useParallelBeam(void) {
    if (current_scanner->fan) chooseScanner(&scanner_choices[0]);
}

void toggleMetal(void) {
    if (refusedInEmission()) return;
    metal_insert = !metal_insert;
    have_rdn = 0;
    have_fbp = 0;
    drawHead();
    Pause(metal_insert ? "Metal: on" : "Metal: off", 0);
}

// ---------------------------------------------------------------- sinograms

// The largest value of the table's rows [iw][ip], or of its magnitude.
static double largest(double **table, int rows, int columns, bool magnitude) {
    double m = magnitude ? 0 : -HUGE_VAL;
    for (int iw = 0; iw < rows; iw++)
        for (int ip = 0; ip < columns; ip++) m = std::max(m, magnitude ? fabs(table[iw][ip]) : table[iw][ip]);
    return m;
}

void drawSinogramTable(double **table, int rows, bool filtered, int columns) {
    const double M = largest(table, rows, columns, filtered);
    const double scale = filtered ? (M != 0 ? M : 1) : (M > 0 ? M : 1);
    for (int iy = 16; iy < height; iy++) {
        const int iw = ((iy - 16) * rows) / (height - 16);
        for (int ix = 0; ix < width; ix++) {
            SetColoredGray(&C, table[iw][(ix * columns) / width] / scale);
            DrawPoint(ix, iy);
        }
    }
}

void showSinograms(void) {
    char status[100];
    if (!have_rdn) getRadon();
    SetDoubleBuffer(1);
    // Emission shows what was counted.
    if (emissionImaging()) {
        drawSinogramTable(emission.rows.data(), sinogramRows(), false);
        Pause("Counts. Hit Return to Continue.", 1);
    } else {
        drawSinogramTable(rdn, sinogramRows(), false);
        Pause("Sinogram. Hit Return to Continue.", 1);
    }

    // As "R" filters: fbp may be of an earlier scan, or of the other path (the demonstrations filter directly).
    filterUnlessCurrent();
    drawSinogramTable(fbp, sinogramRows(), true);
    // A fan is filtered one way only.
    std::snprintf(status, sizeof status, "Filtered: %s%s", current_filter->label,
                  use_fft && !current_scanner->fan ? ", FFT" : "");
    Pause(status, 0);
    SetDoubleBuffer(0);
}

// ---------------------------------------------------------------- error picture

void errorPicture(void) {
    char status[100];
    if (!reconstructionIsCurrent()) reconstruct();
    const Reconstruction &last = last_reconstruction;
    SetDoubleBuffer(1);
    ClearCanvas();
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            const size_t i = (size_t)iy * width + ix;
            if (!last.inside[i]) continue;
            double e = last.value[i] - objectValue(pixelX(ix), pixelY(iy));
            SetColoredGray(&C, 4 * e);
            DrawPoint(ix, iy);
        }
    }
    FlushBuffer();
    SetDoubleBuffer(0);
    std::snprintf(status, sizeof status, "RMS error %.4f (x4, red: too low)", rmsError(last));
    Pause(status, 0);
}

// ---------------------------------------------------------------- data files

bool writeDataFile(const char *name, const std::string &content) {
    if (SaveDataAs(name, content.data(), content.size())) return true;
    noteSaveFailure(SaveError());
    return false;
}

// rows lines of cols numbers value(r, c), exact in text, comma-separated.
template <class Value>
static std::string csvTable(int rows, int cols, Value value) {
    std::string out;
    char number[32];
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < cols; c++) {
            if (c) out += ',';
            out.append(number, std::snprintf(number, sizeof number, "%.17g", value(r, c)));
        }
        out += '\n';
    }
    return out;
}

// A table of the five filters' curves: the header, then per point its
// frequency and each filter's value.
static std::string filterCurvesTable(const FilterCurves &curves) {
    std::string header = "f_lp_per_cm";
    for (const FilterChoice &filter : filter_choices) header += std::string(",") + filter.label;
    return header + "\n" + csvTable((int)curves.f.size(), (int)curves.y.size() + 1, [&](int row, int column) {
               return column ? curves.y[column - 1][row] : curves.f[row];
           });
}

void saveData(void) {
    if (!have_rdn) getRadon();
    std::string saved; // what was written, for the status line
    auto save = [&saved](const char *what, const std::string &content) {
        char name[100];
        std::snprintf(name, sizeof name, "%dx%d-%s.csv", Nw, Np, what);
        if (!writeDataFile(name, content)) return;
        saved += (saved.empty() ? ": " : ", ") + std::string(what);
    };
    // Emission's sinogram file holds the counts.
    double **sinogram = emissionImaging() ? emission.rows.data() : rdn;
    save("sinogram", csvTable(sinogramRows(), Np + 1, [sinogram](int iw, int ip) { return sinogram[iw][ip]; }));
    if (filteredIsCurrent(use_fft))
        save("filtered", csvTable(sinogramRows(), Np + 1, [](int iw, int ip) { return fbp[iw][ip]; }));
    if (reconstructionIsCurrent()) {
        save("image", csvTable(height, width, [](int iy, int ix) {
                 const size_t i = (size_t)iy * width + ix;
                 return last_reconstruction.inside[i] ? last_reconstruction.value[i] : 0.0;
             }));
    }
    if (const ImageQuality *quality = currentImageQuality()) {
        save("mtf", filterCurvesTable(mtfCurves(*quality)));
        save("nps", filterCurvesTable(npsCurves(*quality)));
    }
    if (saved.empty()) return;
    char status[100];
    std::snprintf(status, sizeof status, "Saved %dx%d-*.csv%s", Nw, Np, saved.c_str());
    Pause(status, 0);
}
