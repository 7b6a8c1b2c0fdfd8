// Fan to parallel: every ray of a fan is a ray of some parallel projection,
// so a fan sinogram can be resorted (rebinned) into a parallel one and
// reconstructed as "R" does. Three screens: the fan sinogram with the
// slanted lines that four parallel projections follow in it, the rebinned
// sinogram, and its reconstruction.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "demos/demos.h"
#include "lab/lab.h"
#include "reconstruct/reconstruct.h"
#include "scan/own_scan.h"
#include "scan/scan.h"

static const double pi = 3.141592653589793;

std::vector<double> rebinToParallel(const ScannerChoice *fan, double **sinogram) {
    const int views = fanViews(fan), columns = Np + 1;
    std::vector<double> out((size_t)(Nw + 1) * columns);
    std::vector<double> gammas(columns);
    for (int ip = 0; ip <= Np; ip++) gammas[ip] = asin((ip * dp - 3) / kSourceRadius);
    const double dgamma = fanStep();
    for (int iw = 0; iw <= Nw; iw++) {
        const double theta = iw * dw;
        for (int ip = 0; ip <= Np; ip++) {
            double gamma = gammas[ip], beta = theta + gamma;
            if (!fan->short_scan) {
                if (beta < 0) beta = beta + 2 * pi;
                if (beta >= 2 * pi) beta = beta - 2 * pi;
            } else if (beta < 0) {
                // The same line, measured from the other side.
                beta = beta + pi - 2 * gamma;
                gamma = -gamma;
            }
            const double u = beta / dw, v = gamma / dgamma + Np / 2;
            int k0 = (int)u, j0 = (int)v;
            const double fu = u - k0, fv = v - j0;
            int k1 = k0 + 1;
            const int j1 = std::min(j0 + 1, Np);
            // After the last view: the first again on a full turn, the last on a short scan.
            if (fan->short_scan) {
                k0 = std::min(k0, views - 1);
                k1 = std::min(k1, views - 1);
            } else {
                k0 = k0 % views;
                k1 = k1 % views;
            }
            out[(size_t)iw * columns + ip] = (1 - fu) * ((1 - fv) * sinogram[k0][j0] + fv * sinogram[k0][j1]) +
                                             fu * ((1 - fv) * sinogram[k1][j0] + fv * sinogram[k1][j1]);
        }
    }
    return out;
}

// Over a fan sinogram of `views` rows and `columns` columns as
// drawSinogramTable draws it: in green, the points (view u, column j) of
// the parallel projections at 0, 45, 90 and 135 degrees, where
// viewOf(theta, j) gives u (negative where no view has the ray).
template <class ViewOf> static void drawParallelPaths(int views, int columns, ViewOf viewOf) {
    const double row_height = (double)(height - 16) / views, column_width = (double)width / columns;
    SetColor(&green);
    SetLineWidth(2);
    for (int degrees = 0; degrees < 180; degrees += 45) {
        const double theta = degrees * pi / 180;
        double last_x = 0, last_y = 0;
        bool have_last = false;
        for (int j = 0; j < columns; j++) {
            const double u = viewOf(theta, j);
            if (u < 0) {
                have_last = false;
                continue;
            }
            const double x = (j + 0.5) * column_width, y = 16 + (u + 0.5) * row_height;
            // A curve that wraps round the turn starts again at the top.
            if (have_last && fabs(y - last_y) < height / 2) DrawLine(last_x, last_y, x, y);
            last_x = x;
            last_y = y;
            have_last = true;
        }
    }
    SetLineWidth(0);
}

// The view u = beta / dw of the program's fan that has ray j of the
// parallel projection at theta; -1 beyond a short scan.
static double ownViewOf(const ScannerChoice *fan, double theta, int j) {
    double beta = theta + fanAngle(j);
    if (beta < 0) beta = beta + 2 * pi;
    const double u = beta / dw;
    return u > fanViews(fan) - 1 ? -1 : u;
}

static const char *const fan_sinogram_status =
    "Fan sinogram: each parallel projection lies on a slanted line. Hit Return to Continue.";

// A measured fan scan: its own views, and the parallel sinogram the other
// commands read, which is rebinned from them already.
static void measuredFanToParallel(void) {
    const OwnScan &scan = ownScan();
    const FanGeometry fan(scan);
    if (!have_rdn) getRadon();
    SetDoubleBuffer(1);
    std::vector<double> views(scan.p);
    std::vector<double *> view_rows(scan.views);
    for (int k = 0; k < scan.views; k++) view_rows[k] = &views[(size_t)k * scan.columns];
    drawSinogramTable(view_rows.data(), scan.views, false, scan.columns);
    drawParallelPaths(scan.views, scan.columns, [&](double theta, int j) {
        const double u = fan.viewAt(theta + fan.gamma(j, scan.centre));
        return u > scan.views - 1 ? -1 : u;
    });
    Pause(fan_sinogram_status, 1);
    drawSinogramTable(rdn, Nw + 1, false);
    Pause("Rebinned to parallel. Hit Return to Continue.", 1);
    Pause("Calculating FBP...", 0);
    std::vector<double> filtered((size_t)(Nw + 1) * (Np + 1));
    std::vector<double *> filtered_rows(Nw + 1);
    for (int iw = 0; iw <= Nw; iw++) filtered_rows[iw] = &filtered[(size_t)iw * (Np + 1)];
    filterParallel(rdn, filtered_rows.data(), use_fft, true);
    last_reconstruction = drawParallelBackProjection(filtered_rows.data());
    last_reconstruction.source = {.scan = currentScan(), .filter = current_filter, .use_fft = use_fft};
    SetDoubleBuffer(0);
    Pause(("Rebinned to parallel: " + whiteStatus()).c_str(), 0);
}

void fanToParallel(void) {
    if (measuredScan()) {
        if (ownScan().file.geometry == ScanGeometry::parallel)
            Pause("Fan to parallel: the measured rays are parallel already", 0);
        else measuredFanToParallel();
        return;
    }
    // With the parallel scanner chosen, a full turn is scanned for the
    // demonstration, and its rebinned sinogram becomes the parallel one.
    const ScannerChoice *chosen = current_scanner;
    if (!chosen->fan) {
        current_scanner = fullTurnScanner();
        have_rdn = 0;
        have_fbp = 0;
    }
    const ScannerChoice *fan = current_scanner;
    if (!have_rdn) getRadon();

    SetDoubleBuffer(1);
    drawSinogramTable(rdn, fanViews(fan), false);
    drawParallelPaths(fanViews(fan), Np + 1, [&](double theta, int j) { return ownViewOf(fan, theta, j); });
    Pause(fan_sinogram_status, 1);

    std::vector<double> rebinned = rebinToParallel(fan, rdn);
    std::vector<double> filtered(rebinned.size());
    std::vector<double *> rows(Nw + 1), filtered_rows(Nw + 1);
    for (int iw = 0; iw <= Nw; iw++) {
        rows[iw] = &rebinned[(size_t)iw * (Np + 1)];
        filtered_rows[iw] = &filtered[(size_t)iw * (Np + 1)];
    }
    drawSinogramTable(rows.data(), Nw + 1, false);
    Pause("Rebinned to parallel. Hit Return to Continue.", 1);

    current_scanner = chosen;
    if (!chosen->fan) {
        // The parallel sinogram is now the rebinned one (the scan's number stays).
        for (int iw = 0; iw <= Nw; iw++) std::copy(rows[iw], rows[iw] + Np + 1, rdn[iw]);
    }
    Pause("Calculating FBP...", 0);
    filterParallel(rows.data(), filtered_rows.data(), use_fft, true);
    last_reconstruction = drawParallelBackProjection(filtered_rows.data());
    last_reconstruction.source = {.scan = currentScan(), .filter = current_filter, .use_fft = use_fft};
    SetDoubleBuffer(0);
    char status[100];
    std::snprintf(status, sizeof status, "Rebinned to parallel: RMS error %.4f", rmsError(last_reconstruction));
    Pause(status, 0);
}
