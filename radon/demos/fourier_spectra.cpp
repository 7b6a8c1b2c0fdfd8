// The computations behind the Fourier slice demonstration: the spectra of
// the projections and of the object, and the direct Fourier reconstruction.
// Every transform is the program's FFT, with the centre moved to index 0.
#include <cmath>
#include <vector>

#include "demos/demos.h"
#include "fft.h"
#include "parallel_rows.h"
#include "scan/objects.h"
#include "scan/scan.h"

// A spectrum of Np x Np zeros.
static Spectrum squareOfZeros(void) {
    const size_t n = (size_t)Np * Np;
    return {std::vector<double>(n), std::vector<double>(n)};
}

// The 2-D transform (direction 1 forward, -1 inverse) of an Np x Np
// spectrum: rows, then columns, each on either of two threads. A row's
// transform depends on nothing else, so the result is the same either way.
static void transform2d(Spectrum &s, int direction) {
    const int n = direction * Np;
    auto nothing = [](int) {};
    computeRowsInOrder(Np, [&](int k) { fft(n, &s.re[(size_t)k * Np], &s.im[(size_t)k * Np]); }, nothing);
    computeRowsInOrder(
        Np,
        [&](int j) {
            std::vector<double> re(Np), im(Np);
            for (int k = 0; k < Np; k++) {
                re[k] = s.re[(size_t)k * Np + j];
                im[k] = s.im[(size_t)k * Np + j];
            }
            fft(n, re.data(), im.data());
            for (int k = 0; k < Np; k++) {
                s.re[(size_t)k * Np + j] = re[k];
                s.im[(size_t)k * Np + j] = im[k];
            }
        },
        nothing);
}

Spectrum projectionSpectra(void) {
    const int K = Np / 2;
    const size_t n = (size_t)Nw * Np;
    Spectrum P{std::vector<double>(n), std::vector<double>(n)};
    for (int iw = 0; iw < Nw; iw++) {
        if (!viewMeasured(iw)) continue;
        double *re = &P.re[(size_t)iw * Np], *im = &P.im[(size_t)iw * Np];
        // The detector's centre at index 0; the sample at p = +xmax takes no part.
        for (int ip = 0; ip < Np; ip++) re[frequencyIndex(ip - K)] = rdn[iw][ip];
        fft(Np, re, im);
        // The forward transform divides by Np (exactly: a power of two).
        for (int m = 0; m < Np; m++) {
            re[m] = dp * (re[m] * Np);
            im[m] = dp * (im[m] * Np);
        }
    }
    return P;
}

Spectrum objectSpectrum(void) {
    const int K = Np / 2;
    Spectrum F = squareOfZeros();
    // The object at the detector's points, the centre at index (0, 0).
    computeRowsInOrder(
        Np,
        [&](int k) {
            std::vector<double> x(Np), y(Np, (k - K) * dp), f(Np);
            for (int j = 0; j < Np; j++) x[j] = (j - K) * dp;
            sampleObject(head, Np, x.data(), y.data(), f.data());
            double *row = &F.re[(size_t)frequencyIndex(k - K) * Np];
            for (int j = 0; j < Np; j++) row[frequencyIndex(j - K)] = f[j];
        },
        [](int) {});
    transform2d(F, 1);
    const double area = dp * dp;
    for (size_t i = 0; i < F.re.size(); i++) {
        F.re[i] = area * ((F.re[i] * Np) * Np);
        F.im[i] = area * ((F.im[i] * Np) * Np);
    }
    return F;
}

// Whether slice iw = 0..Nw holds measured values; angle Nw is angle 0.
static bool sliceMeasured(int iw) { return viewMeasured(iw == Nw ? 0 : iw); }

SliceSide sliceAt(double phi) {
    int sign = 1;
    if (phi < 0) {
        phi += 3.141592653589793;
        sign = -1;
    }
    const double x = phi / dw;
    int iw = (int)floor(x + 0.5);
    if (!sliceMeasured(iw)) {
        // Between measured angles: the nearer (the lower on a tie), when
        // within half the step of views left out evenly; none in the
        // missing wedge of a limited angle.
        int below = (int)floor(x), above = (int)ceil(x);
        while (!sliceMeasured(below)) below--;
        while (!sliceMeasured(above)) above++;
        iw = x - below <= above - x ? below : above;
        if (fabs(x - iw) > current_views->step / 2.0) return {-1, sign};
    }
    // Nearer the half-turn than the last angle: the first angle, seen from the other side.
    if (iw == Nw) {
        iw = 0;
        sign = -sign;
    }
    return {iw, sign};
}

SlicePoint slicePoint(int iw, double m) {
    const int m0 = (int)floor(m);
    const size_t row = (size_t)iw * Np;
    return {row + frequencyIndex(m0), row + frequencyIndex(m0 + 1), m - m0};
}

std::vector<double> directFourier(const Spectrum &P) {
    const int K = Np / 2;
    // The Cartesian grid of frequencies, filled from the nearest slice.
    Spectrum G = squareOfZeros();
    computeRowsInOrder(
        Np,
        [&](int row) {
            const int my = row - K;
            double *re = &G.re[(size_t)frequencyIndex(my) * Np], *im = &G.im[(size_t)frequencyIndex(my) * Np];
            for (int mx = -K; mx < K; mx++) {
                const double rho = sqrt((double)(mx * mx + my * my));
                const SliceSide side = sliceAt(atan2((double)my, (double)mx));
                const double m = side.sign * rho;
                if (side.iw < 0 || fabs(m) > K - 1) continue;
                const SlicePoint p = slicePoint(side.iw, m);
                re[frequencyIndex(mx)] = (1 - p.t) * P.re[p.a] + p.t * P.re[p.b];
                im[frequencyIndex(mx)] = (1 - p.t) * P.im[p.a] + p.t * P.im[p.b];
            }
        },
        [](int) {});
    transform2d(G, -1);
    std::vector<double> g((size_t)Np * Np);
    const double scale = 1 / ((Np * dp) * (Np * dp));
    for (int k = 0; k < Np; k++)
        for (int j = 0; j < Np; j++)
            g[(size_t)k * Np + j] = scale * G.re[(size_t)frequencyIndex(k - K) * Np + frequencyIndex(j - K)];
    return g;
}

std::vector<double> magnitudes(const Spectrum &s) {
    std::vector<double> a(s.re.size());
    for (size_t i = 0; i < a.size(); i++) a[i] = sqrt(s.re[i] * s.re[i] + s.im[i] * s.im[i]);
    return a;
}

double spectrumGrey(double a, double M) { return M > 0 ? log10(1 + 999 * a / M) / 3 : 0; }
