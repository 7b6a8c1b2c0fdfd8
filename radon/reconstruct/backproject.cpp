// Reconstruction by filtered back-projection.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "parallel_rows.h"
#include "reconstruct/backproject_lanes.h"
#include "reconstruct/reconstruct.h"
#include "scan/own_scan.h"
#include "scan/scan.h"
#include "window_map.h"

Reconstruction last_reconstruction;

bool reconstructionIsCurrent(void) {
    const ReconstructionSource &source = last_reconstruction.source;
    return source.scan != 0 && source.scan == currentScan() &&
           (!source.filter || (source.filter == current_filter && source.use_fft == use_fft));
}

void reconstruct(void) {
    // A measured fan's views are reconstructed as they are; the other
    // commands read them as parallel rays.
    if (measuredScan() && ownScan().file.geometry != ScanGeometry::parallel) {
        if (!have_rdn) getRadon();
        last_reconstruction = measuredFanReconstruction();
        drawReconstruction(last_reconstruction);
        last_reconstruction.source = {.scan = currentScan(), .filter = current_filter, .use_fft = use_fft};
        Pause(whiteStatus().c_str(), 0);
        return;
    }
    filterByChosenPath();
    drawBackProjection();
    last_reconstruction.source = {.scan = fbp_scan, .filter = fbp_filter, .use_fft = fbp_by_fft};
    if (measuredScan()) Pause(whiteStatus().c_str(), 0);
}

std::string whiteStatus(void) {
    char text[80];
    std::snprintf(text, sizeof text, "white = %.3g 1/%s", display_white, ownScan().file.unit.c_str());
    return text;
}

double rmsError(const Reconstruction &r) {
    double sum = 0;
    int n = 0;
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            const size_t i = (size_t)iy * width + ix;
            if (!r.inside[i]) continue;
            double e = r.value[i] - objectValue(pixelX(ix), pixelY(iy));
            sum = sum + e * e;
            n++;
        }
    }
    return sqrt(sum / n);
}

double display_white = 1;

double measuredWhite(const Reconstruction &r) {
    std::vector<double> values;
    for (size_t i = 0; i < r.value.size(); i++)
        if (r.inside[i]) values.push_back(r.value[i]);
    if (values.empty()) return 1;
    const size_t k = (size_t)(0.995 * (values.size() - 1));
    std::nth_element(values.begin(), values.begin() + k, values.end());
    return values[k] > 0 ? values[k] : 1;
}

// A measured scan's pictures have no fixed scale: white is set by what is drawn.
static void setWhite(const Reconstruction &r) { display_white = measuredScan() ? measuredWhite(r) : 1; }

// Row iy of the values inside the disc.
static void drawRow(const char *inside, const double *value, int iy) {
    for (int ix = 0; ix < width; ix++) {
        if (!inside[ix]) continue;
        SetColoredGray(&C, value[ix] / display_white);
        DrawPoint(ix, iy);
    }
}

void drawReconstructionValues(const Reconstruction &r) {
    setWhite(r);
    ClearCanvas();
    for (int iy = 0; iy < height; iy++) drawRow(&r.inside[(size_t)iy * width], &r.value[(size_t)iy * width], iy);
}

void drawReconstruction(const Reconstruction &r) {
    drawReconstructionValues(r);
    FlushBuffer();
}

// Pixels first..end-1, all inside the disc, of the row at height y from the
// filtered sinogram `filtered`, of a fan scanner or of parallel rays. Each
// pixel's sum is its own: a part of a row comes out as in the whole row.
static void backProjectRun(double **filtered, bool fan, const double *xs, double y, int first, int end, double *fn) {
    if (fan) {
        fanBackProjectRow(filtered, first, end, xs, y, fn);
        return;
    }
    // Row iw = Nw (the half-turn) takes no part, nor do views left out
    // (their rows are 0).
    std::vector<int> angles;
    for (int iw = 0; iw < Nw; iw++)
        if (viewMeasured(iw)) angles.push_back(iw);
    backProjectAngles(filtered, angles.data(), (int)angles.size(), xs, y, first, end, fn);
    // A sparse view stands for the angles up to the next measured one.
    const double angle = viewWeight();
    for (int ix = first; ix < end; ix++) fn[ix] = fn[ix] * angle;
}

// Row iy from the filtered sinogram `filtered`, of a fan scanner or of parallel rays.
static void backProjectRowOf(double **filtered, bool fan, int iy, char *in, double *fn) {
    double y = pixelY(iy);
    std::vector<double> xs(width);
    // x grows with ix, so the disc meets the row in one run of pixels.
    int first = width, end = 0;
    for (int ix = 0; ix < width; ix++) {
        xs[ix] = pixelX(ix);
        in[ix] = xs[ix] * xs[ix] + y * y < 9.0;
        if (in[ix]) {
            if (first == width) first = ix;
            end = ix + 1;
        }
    }
    backProjectRun(filtered, fan, xs.data(), y, first, end, fn);
}

void backProjectRow(int iy, char *in, double *fn) { backProjectRowOf(fbp, current_scanner->fan, iy, in, fn); }

void backProjectPixels(int iy, int first, int end, double *fn) {
    std::vector<double> xs(width);
    for (int ix = first; ix < end; ix++) xs[ix] = pixelX(ix);
    backProjectRun(fbp, current_scanner->fan, xs.data(), pixelY(iy), first, end, fn);
}

// The back-projection of `filtered`; with `draw`, each row is drawn as soon as it is ready.
static Reconstruction backProjectRows(double **filtered, bool fan, bool draw) {
    // Image rows are independent: computed on two threads, drawn in order.
    std::vector<char> inside((size_t)width * height);
    std::vector<double> value((size_t)width * height);
    computeRowsInOrder(
        height,
        [&](int iy) { backProjectRowOf(filtered, fan, iy, &inside[(size_t)iy * width], &value[(size_t)iy * width]); },
        [&](int iy) {
            if (draw) drawRow(&inside[(size_t)iy * width], &value[(size_t)iy * width], iy);
        });
    return {.source = {}, .inside = std::move(inside), .value = std::move(value)};
}

Reconstruction backProjection(void) { return backProjectRows(fbp, current_scanner->fan, false); }

void drawBackProjection(void) {
    ClearCanvas();
    // Kept for the error picture and the data files; reconstruct() says what they belong to.
    // A measured scan's rows are drawn once the whole picture has set its white.
    last_reconstruction = backProjectRows(fbp, current_scanner->fan, !measuredScan());
    if (measuredScan()) drawReconstructionValues(last_reconstruction);
    FlushBuffer();
}

Reconstruction drawParallelBackProjection(double **filtered) {
    ClearCanvas();
    Reconstruction r = backProjectRows(filtered, false, !measuredScan());
    if (measuredScan()) drawReconstructionValues(r);
    FlushBuffer();
    return r;
}
