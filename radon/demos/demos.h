// The demonstrations: the convolution, the accumulation of back-projections
// (filtered, and unfiltered as old tomography), the filter plot and the
// Fourier slice theorem.
#ifndef RADON_DEMOS_H
#define RADON_DEMOS_H

#include <vector>

#include "reconstruct/reconstruct.h"

// Raw and filtered rays and curves for six angles (convolution.cpp).
void convolution(double f1, double f2);

// Back-projection angle by angle with the running sum (accumulation.cpp).
void accumulation(double **dat, double r1, double r2);
// Whether the state after back-projecting angle iw is shown: every tenth of
// the half-turn and the last angle, eleven times on every grid.
bool accumulationShowsAngle(int iw);

// The kernel and its comparison curve on three screens (filterplot.cpp).
void drawFilter(void);
// Fill `width` window points of each curve, one per column, over eleven
// detector samples: w0 the smooth comparison curve, w1 the kernel weight.
void fillFilterCurves(Point2D *w0, Point2D *w1);

// ---------------------------------------------------------------- the Fourier slice theorem

// Complex values on a grid of frequencies, frequency m at index m mod Np.
struct Spectrum {
    std::vector<double> re, im;
};

// The demonstration on three screens: the projections' spectra laid into
// the frequency plane slice by slice, the object's 2-D spectrum, and the
// direct Fourier reconstruction (fourier_slice.cpp).
void fourierSlice(void);
// Its second screen, drawn: the object's spectrum over the whole plane, at
// the nearest frequency of each pixel, grey up to M (the largest magnitude
// of the projections' spectra).
void drawObjectSpectrum(double M);
// Its third: the direct Fourier reconstruction from the projections'
// spectra P becomes the last reconstruction, drawn with its RMS error on
// the status line.
void showDirectFourier(const Spectrum &P);

// The computations (fourier_spectra.cpp).
// The spectra P_iw[m] = dp sum_ip rdn[iw][ip] exp(-2 pi i m (ip - Np/2) / Np)
// of the projections iw = 0..Nw-1, at [iw * Np + (m mod Np)]; an angle not
// measured has the spectrum 0.
Spectrum projectionSpectra(void);
// The 2-D spectrum F[my][mx] of the current object sampled on the detector
// grid, centre at the middle, at [(my mod Np) * Np + (mx mod Np)].
Spectrum objectSpectrum(void);
// The slice that holds the frequencies at angle phi = atan2(my, mx): the
// nearest measured angle iw (the lower on a tie) within half the views'
// step, else -1; sign -1 when the frequency lies on its negative side.
struct SliceSide {
    int iw;
    int sign;
};
SliceSide sliceAt(double phi);
// The direct Fourier reconstruction g[k * Np + j] at the world point
// ((j - Np/2) dp, (k - Np/2) dp), from the projections' spectra.
std::vector<double> directFourier(const Spectrum &P);
// |s| at every frequency.
std::vector<double> magnitudes(const Spectrum &s);
// The grey level of a magnitude a over three decades up to the largest, M.
double spectrumGrey(double a, double M);
// Index of frequency m = -Np..Np in a row of a spectrum.
inline int frequencyIndex(int m) { return (m + Np) % Np; }
// Frequency m (|m| <= Np/2 - 1) of slice iw between two samples of the
// spectra: index a of floor(m), b of the next, and b's weight t.
struct SlicePoint {
    size_t a, b;
    double t;
};
SlicePoint slicePoint(int iw, double m);
// ---------------------------------------------------------------- fan to parallel (fan_to_parallel.cpp)

// The demonstration on three screens: the fan sinogram of the chosen fan
// scanner (a full turn when the parallel one is chosen, without changing
// it) with the curves of four parallel projections, the rebinned parallel
// sinogram, and its reconstruction as "R" makes it, the last reconstruction.
// A measured fan scan shows its own views; a measured parallel scan says it
// has nothing to rebin.
void fanToParallel(void);
// The parallel sinogram (Nw + 1 rows of Np + 1, [iw * (Np + 1) + ip])
// rebinned from the fan sinogram of `fan`: for theta = iw dw and
// t = ip dp - 3, the ray of gamma = asin(t / D) from beta = theta + gamma,
// bilinear between the neighbouring views and elements.
std::vector<double> rebinToParallel(const ScannerChoice *fan, double **sinogram);

// ART from 0, one sweep: the first angle ray by ray, then angle by angle (art.cpp).
void artDemo(void);

// The pixels inside the disc sorted by the detector step their smearing
// position falls in at one angle: strip k holds those with (int) p == k,
// at pixel[start[k]] .. pixel[start[k + 1] - 1], each with its fraction f = p - k.
struct Strips {
    std::vector<int> start;
    std::vector<double *> pixel;
    std::vector<double> f;
};
void sortIntoStrips(IterativeImage &u, int iw, Strips &s);
// ART's step for ray ip of angle iw: its residual over its length smeared on
// the pixels whose weight for detector ip is not 0 (1 - f in strip ip, f in
// strip ip - 1). False when the ray misses the disc.
bool correctRay(IterativeImage &u, const Strips &s, int iw, int ip);

#endif
