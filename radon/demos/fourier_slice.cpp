// The Fourier slice theorem on three screens. The canvas is the frequency
// plane, its centre frequency 0 and its edges the highest frequency the
// detector holds (Np/2); the projections' spectra fill it slice by slice,
// the object's 2-D spectrum shows that they lie on it, and the object comes
// back from the filled plane.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scan/own_scan.h"
#include "demos/demos.h"
#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "window_map.h"

// The plane fills in about this long in the window, on every grid.
static const double fill_seconds = 3.0;

// The frequency, in units of m, of pixel column ix and of row iy (upward).
static double planeX(int ix) { return (double)((ix - width / 2) * (Np / 2)) / (width / 2); }
static double planeY(int iy) { return (double)((height / 2 - iy) * (Np / 2)) / (height / 2); }

// Pixel (ix, iy) on slice iw when within half a pixel of its line and
// inside the detector's frequencies, grey by the magnitude along the slice.
static void drawSlicePixel(const std::vector<double> &magnitude, double M, int iw, int ix, int iy) {
    const int K = Np / 2;
    if (ix < 0 || ix >= width || iy < 0 || iy >= height) return;
    const double kx = planeX(ix), ky = planeY(iy);
    if (!(fabs(-kx * sn[iw] + ky * cn[iw]) * (width / 2) / K < 0.5)) return;
    const double m = kx * cn[iw] + ky * sn[iw];
    if (fabs(m) > K - 1) return;
    const SlicePoint p = slicePoint(iw, m);
    SetColoredGray(&C, spectrumGrey((1 - p.t) * magnitude[p.a] + p.t * magnitude[p.b], M));
    DrawPoint(ix, iy);
}

// Slice iw over what is drawn. The line crosses every column (when nearer
// horizontal) or every row once, and its pixels lie within two of the crossing.
static void drawSlice(const std::vector<double> &magnitude, double M, int iw) {
    const double c = cn[iw], s = sn[iw];
    if (fabs(c) >= fabs(s)) {
        for (int ix = 0; ix < width; ix++) {
            const int iy = (int)lround(height / 2 - (ix - width / 2) * s / c);
            for (int d = -2; d <= 2; d++) drawSlicePixel(magnitude, M, iw, ix, iy + d);
        }
    } else {
        for (int iy = 0; iy < height; iy++) {
            const int ix = (int)lround(width / 2 + (height / 2 - iy) * c / s);
            for (int d = -2; d <= 2; d++) drawSlicePixel(magnitude, M, iw, ix + d, iy);
        }
    }
}

// The nearest frequency to k, within the detector's -K..K-1.
static int nearestFrequency(double k) {
    const int K = Np / 2;
    return std::clamp((int)floor(k + 0.5), -K, K - 1);
}

void drawObjectSpectrum(double M) {
    const Spectrum F = objectSpectrum();
    for (int iy = 0; iy < height; iy++) {
        const size_t row = (size_t)frequencyIndex(nearestFrequency(planeY(iy))) * Np;
        for (int ix = 0; ix < width; ix++) {
            const size_t i = row + frequencyIndex(nearestFrequency(planeX(ix)));
            SetColoredGray(&C, spectrumGrey(sqrt(F.re[i] * F.re[i] + F.im[i] * F.im[i]), M));
            DrawPoint(ix, iy);
        }
    }
}

// A pixel shows the mean over its square of g read linearly between grid
// points. On the finest grid the points lie closer than the pixels, and g's
// finest ripples, read at the pixel centre alone, would alias into the
// picture; on the coarse grids the mean hardly differs from the centre's.
struct PixelWeights {
    int first;    // the first grid index that takes part
    double w[4];  // the weights of first, first + 1, ...
};

// The integral of the unit hat function (linear reading's weight) up to t.
static double hatIntegral(double t) {
    if (t < -1) return 0;
    if (t < 0) return (t + 1) * (t + 1) / 2;
    if (t < 1) return 1 - (1 - t) * (1 - t) / 2;
    return 1;
}

// The weights of the grid points for the pixel centred at world coordinate c,
// half a pixel being h world units. Four points cover a pixel up to two grid
// steps wide; on the finest grid a pixel is 1.28 steps.
static PixelWeights pixelWeights(double c, double h) {
    const double u = c / dp + Np / 2, half = h / dp;
    PixelWeights p{.first = (int)floor(u - half), .w = {}};
    for (int i = 0; i < 4; i++) {
        const double t = u - (p.first + i);
        p.w[i] = (hatIntegral(t + half) - hatIntegral(t - half)) / (half + half);
    }
    return p;
}

// The mean of g over the pixel whose column and row have these weights.
static double pixelMean(const std::vector<double> &g, const PixelWeights &column, const PixelWeights &row) {
    double sum = 0;
    for (int b = 0; b < 4; b++) {
        const double *line = &g[(size_t)std::clamp(row.first + b, 0, Np - 1) * Np];
        double along = 0;
        for (int a = 0; a < 4; a++) along += column.w[a] * line[std::clamp(column.first + a, 0, Np - 1)];
        sum += row.w[b] * along;
    }
    return sum;
}

// The direct Fourier reconstruction g as the last reconstruction.
static Reconstruction directReconstruction(const std::vector<double> &g) {
    Reconstruction r{.source = {.scan = currentScan(), .filter = nullptr, .use_fft = 0},
                     .inside = std::vector<char>((size_t)width * height),
                     .value = std::vector<double>((size_t)width * height)};
    std::vector<PixelWeights> columns(width);
    for (int ix = 0; ix < width; ix++) columns[ix] = pixelWeights(pixelX(ix), xmax / width);
    for (int iy = 0; iy < height; iy++) {
        const double y = pixelY(iy);
        const PixelWeights row = pixelWeights(y, ymax / height);
        for (int ix = 0; ix < width; ix++) {
            const double x = pixelX(ix);
            const size_t i = (size_t)iy * width + ix;
            r.inside[i] = x * x + y * y < 9.0;
            if (r.inside[i]) r.value[i] = pixelMean(g, columns[ix], row);
        }
    }
    return r;
}

void showDirectFourier(const Spectrum &P) {
    char status[100];
    last_reconstruction = directReconstruction(directFourier(P));
    drawReconstruction(last_reconstruction);
    std::snprintf(status, sizeof status, "Direct Fourier reconstruction: %s %.4f", errorName(),
                  reconstructionError(last_reconstruction));
    Pause(status, 0);
}

void fourierSlice(void) {
    char status[100];
    if (!have_rdn) getRadon();
    const Spectrum P = projectionSpectra();
    const std::vector<double> magnitude = magnitudes(P);
    const double M = *std::max_element(magnitude.begin(), magnitude.end());

    int measured = 0;
    for (int iw = 0; iw < Nw; iw++) measured += viewMeasured(iw);
    SetDoubleBuffer(1);
    ClearCanvas();
    for (int iw = 0, drawn = 0; iw < Nw; iw++) {
        if (!viewMeasured(iw)) continue;
        drawSlice(magnitude, M, iw);
        std::snprintf(status, sizeof status, "Fourier slice: angle %d of %d", ++drawn, measured);
        showProgress(status);
        teachingPause(fill_seconds / measured);
    }
    Pause(measured == Nw ? "Fourier slices of every projection. Hit Return to Continue."
                         : "Fourier slices of every measured projection. Hit Return to Continue.",
          1);

    // A measured scan has no object whose spectrum the slices could be laid on.
    if (measuredScan()) {
        Pause("The object's 2-D spectrum needs the true object: a measured scan has none. Hit Return to Continue.", 1);
    } else {
        drawObjectSpectrum(M);
        Pause("The object's 2-D spectrum: the slices lie on it. Hit Return to Continue.", 1);
    }

    showDirectFourier(P);
    SetDoubleBuffer(0);
}
