// Measuring the picture: the modulation transfer function from the edge of
// Disk0 and the noise power spectrum, for every filter on the same data.
// The computations take plain arrays, so that they can be checked on
// pictures made up for the purpose.
#ifndef RADON_IMAGE_QUALITY_H
#define RADON_IMAGE_QUALITY_H

#include <cstdint>
#include <vector>

#include "reconstruct/reconstruct.h"
#include "scan/scan.h"

// ---------------------------------------------------------------- resolution: the edge of Disk0

// The edge: the circle about (0, kEdgeCentreY) of radius sqrt(0.9), sampled
// in kEdgeBins bins of width kEdgeBin from kEdgeHalfWidth inside it to
// kEdgeHalfWidth outside.
const double kEdgeCentreY = 0.1;
const double kEdgeHalfWidth = 0.3;
const double kEdgeBin = 0.00375;
const int kEdgeBins = 160;
// The spacing of the frequencies the MTF is sampled at, in cycles per unit.
const double kFrequencyStep = 0.05;
// The MTF's sample k is at this frequency.
inline double mtfFrequency(int k) { return k * kFrequencyStep; }

double edgeRadius(void);
// The distance of bin b's middle from the centre.
double binRadius(int b);
// The edge spread: per bin the mean value of the pixels inside the disc
// (as "R" draws them) whose distance from the centre falls in it; a bin
// without pixels takes the straight line between its nearest bins with some.
std::vector<double> edgeSpread(const Reconstruction &r);
// The line spread: esf[b - 1] - esf[b + 1], 0 at both ends.
std::vector<double> lineSpread(const std::vector<double> &esf);
// The detector's Nyquist frequency, half a cycle per detector interval: Np / 12.
double detectorNyquist(void);
// The highest frequency measured: the detector's Nyquist frequency or the
// pixels' 33.33, whichever is lower.
double highestFrequency(void);
// |sum lsf[b] exp(-2 pi i f r_b)| / |sum lsf[b]| at f = mtfFrequency(k) up to f_max.
std::vector<double> modulationTransfer(const std::vector<double> &lsf, double f_max);
// Where the MTF first falls below 0.5, linear between the samples around
// it; negative when it never does.
double mtf50(const std::vector<double> &mtf);

// ---------------------------------------------------------------- noise: a square inside the disk

// The square of pixels: rows kNoiseTop.., columns kNoiseLeft.., kNoiseSide of each.
const int kNoiseSide = 64, kNoiseTop = 161, kNoiseLeft = 168;
// A pixel's side in world units.
const double kPixelSide = 0.015;
// Rings 0..kNoiseRings - 1 of the noise power spectrum.
const int kNoiseRings = 33;
// Ring m's frequency, m / (kNoiseSide kPixelSide) cycles per unit.
inline double ringFrequency(int m) { return m / (kNoiseSide * kPixelSide); }

// The noise n over the square (kNoiseSide rows of kNoiseSide), its mean removed.
struct NoiseSpectrum {
    double sd = 0;            // sqrt(mean n^2)
    std::vector<double> nps;  // kNoiseRings ring means
};
// The noise power spectrum (pixel area / kNoiseSide^2) |DFT n|^2 averaged
// over the rings floor(sqrt(u^2 + v^2) + 1/2) of the frequencies u, v = -32..31,
// of `square` with its mean removed.
NoiseSpectrum noiseSpectrum(std::vector<double> square);
// The mean of the spectra, ring by ring, and of their SDs.
NoiseSpectrum meanSpectrum(const std::vector<NoiseSpectrum> &spectra);
// The draws of the noise a spectrum is averaged over: one alone has bumps
// that are chance, not the filter.
const int kNoiseDraws = 8;

// ---------------------------------------------------------------- the measurement

// The settings a measurement belongs to: the grid, the path and the scanner.
struct MeasuredSettings {
    int N_w, N_p, use_fft;
    const ViewsChoice *views;
    const DetectorChoice *detector;
    const BeamChoice *beam;
    const ScannerChoice *scanner;
    int photons; // of the noisy scan
    uint64_t seed;
    bool operator==(const MeasuredSettings &) const = default;
};
// The photons per ray of the noisy scan: the current noise setting's, or
// 100000 when the noise is off.
int measuredPhotons(void);

struct FilterQuality {
    std::vector<double> mtf; // at mtfFrequency(k)
    double mtf50;            // negative: above the last frequency
    NoiseSpectrum noise;
};

struct ImageQuality {
    MeasuredSettings settings;
    std::vector<FilterQuality> filters; // in the order of filter_choices
};

// Every filter on Disk0 (without the metal insert): the MTF of its
// noise-free reconstruction, and the noise of the first kNoiseDraws noisy
// scans from the seed (scan 0 first, as after a fresh start); everything the
// program holds is as it was before.
ImageQuality measureImageQuality(void);
// The last measurement of "M" when it belongs to the current settings, else null.
const ImageQuality *currentImageQuality(void);

// The filters' curves as the screens draw them and "d" writes them: over
// frequencies in line pairs per cm, as scanners' data sheets give them.
struct FilterCurves {
    std::vector<double> f;              // lp/cm
    std::vector<std::vector<double>> y; // one curve per filter, in the order of filter_choices
};
// The MTF.
FilterCurves mtfCurves(const ImageQuality &quality);
// The noise power spectrum in cm^2 (values relative to the skull's 1), so
// that over the frequency plane in lp/cm it adds up to the variance.
FilterCurves npsCurves(const ImageQuality &quality);

#endif
