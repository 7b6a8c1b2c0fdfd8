// The accumulation demonstrations: back-project one projection after the
// other, showing now and then the current projection's smear alone and the
// running sum. With the filtered sinogram this is filtered back-projection,
// with the raw one the blurred "old tomography".
#include <cmath>
#include <vector>

#include "demos/demos.h"
#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "window_map.h"

// Each picture stays up for a moment in the window, so the build-up can be followed.
static const double picture_hold = 0.15;

// The angles back-projected: the half-turn's Nw, or a fan's views.
static int accumulatedAngles(void) { return current_scanner->fan ? fanViews(current_scanner) : Nw; }

bool accumulationShowsAngle(int iw) {
    const int n = accumulatedAngles();
    return iw % (n / 10) == 0 || iw == n - 1;
}

// Smear projection iw of dat over the image into bbuf and add it to abuf.
// Pixels whose ray misses the detector's inner samples take no part; their
// bbuf is 0, so the single-projection picture shows this angle alone.
static void backProjectAngle(double **dat, int iw, const std::vector<double> &xs,
                             const std::vector<double> &ys) {
    const double *row = dat[iw];
    std::vector<double> ysn(height);
    for (int iy = 0; iy < height; iy++) ysn[iy] = ys[iy] * sn[iw];
    // Columns outer: each buffer column is one contiguous allocation.
    for (int ix = 0; ix < width; ix++) {
        double xc = xs[ix] * cn[iw];
        double *b = bbuf[ix];
        double *a = abuf[ix];
        for (int iy = 0; iy < height; iy++) {
            double p = (xc + ysn[iy] + xmax) / dp;
            int ip = (int)p;
            if (ip < 0 || ip >= Np - 1) {
                b[iy] = 0.0;
                continue;
            }
            b[iy] = ((ip + 1) - p) * row[ip] + (p - ip) * row[ip + 1];
            a[iy] = a[iy] + b[iy];
        }
    }
}

// The same for view k of a fan: the smear runs along the diverging rays,
// weighed by `weight` / L^2. Pixels outside the fan take no part.
static void fanBackProjectAngle(double **dat, int k, double weight, const std::vector<double> &xs,
                                const std::vector<double> &ys) {
    const double *row = dat[k];
    const double c = cos(k * dw), s = sin(k * dw), dgamma = fanStep();
    for (int ix = 0; ix < width; ix++) {
        double *b = bbuf[ix];
        double *a = abuf[ix];
        for (int iy = 0; iy < height; iy++) {
            double inverse_L2;
            const double p = fanDetectorPosition(c, s, dgamma, xs[ix], ys[iy], &inverse_L2);
            const int i = (int)p;
            if (p < 0 || i >= Np) {
                b[iy] = 0.0;
                continue;
            }
            b[iy] = (((i + 1) - p) * row[i] + (p - i) * row[i + 1]) * weight * inverse_L2;
            a[iy] = a[iy] + b[iy];
        }
    }
}

void accumulation(double **dat, double r1, double r2) {
    if (!filteredIsCurrent(-1)) {
        if (current_scanner->fan) filterFan();
        else getFbp0();
    }
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) abuf[ix][iy] = 0.0;

    // The world position of every column and row.
    std::vector<double> xs(width), ys(height);
    for (int ix = 0; ix < width; ix++) xs[ix] = pixelX(ix);
    for (int iy = 0; iy < height; iy++) ys[iy] = pixelY(iy);

    const double angle = viewWeight(); // dw exactly for all views
    const int n = accumulatedAngles();
    // A fan's smears as bright as the parallel ones: a full turn sums twice
    // the views, so a filtered one is weighed by 2 / L^2, a raw one by
    // D^2 / L^2 (about 1). The sum at the reconstruction's scale: the short
    // scan's weights count each ray once, the full turn counts it twice.
    const double weight = dat == fbp ? 2 : kSourceRadius * kSourceRadius;
    const double scale = !current_scanner->fan ? 1.0 : current_scanner->short_scan ? 1 : 0.5;
    for (int iw = 0; iw < n; iw++) {
        if (current_scanner->fan) fanBackProjectAngle(dat, iw, weight, xs, ys);
        else backProjectAngle(dat, iw, xs, ys);
        if (!accumulationShowsAngle(iw)) continue;

        for (int iy = 0; iy < height; iy++) {
            for (int ix = 0; ix < width; ix++) {
                SetColoredGray(&C, r1 * bbuf[ix][iy]);
                DrawPoint(ix, iy);
            }
        }
        // Each picture, drawn on the window, becomes the stored picture too: a
        // repaint during the hold (a resize, an uncovered window) and "s"
        // after the demonstration show what is on the screen.
        FlushBuffer();
        teachingPause(picture_hold);
        if (iw == 0) Pause("Hit return to continue.", 1);

        // At the last angle about dw times the sum: the reconstruction's scale
        // (sparse views weighed as "R" weighs them).
        for (int iy = 0; iy < height; iy++) {
            for (int ix = 0; ix < width; ix++) {
                SetColoredGray(&C, 2 * (n * ((r2 * abuf[ix][iy]) * angle * scale)) / (iw + n));
                DrawPoint(ix, iy);
            }
        }
        FlushBuffer();
        teachingPause(picture_hold);
    }
}
