// Resolution and noise of every filter: the MTF from the edge of Disk0, the
// noise power spectrum of a noisy scan of it, and their two screens.
#include "lab/image_quality.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "fft.h"
#include "lab/lab.h"
#include "parallel_rows.h"
#include "window_map.h"

static const double pi = 3.141592653589793;

// ---------------------------------------------------------------- resolution

double edgeRadius(void) { return sqrt(0.9); }

double binRadius(int b) { return edgeRadius() - kEdgeHalfWidth + (b + 0.5) * kEdgeBin; }

std::vector<double> edgeSpread(const Reconstruction &r) {
    const double R0 = edgeRadius(), inner = R0 - kEdgeHalfWidth;
    std::vector<double> sum(kEdgeBins, 0.0);
    std::vector<int> count(kEdgeBins, 0);
    for (int iy = 0; iy < height; iy++) {
        const double dy = pixelY(iy) - kEdgeCentreY;
        for (int ix = 0; ix < width; ix++) {
            const size_t i = (size_t)iy * width + ix;
            if (!r.inside[i]) continue;
            const double dx = pixelX(ix), radius = sqrt(dx * dx + dy * dy);
            if (!(fabs(radius - R0) < kEdgeHalfWidth)) continue;
            // Rounding may put a point on the band's very edge one bin out.
            const int b = std::clamp((int)floor((radius - inner) / kEdgeBin), 0, kEdgeBins - 1);
            sum[b] = sum[b] + r.value[i];
            count[b]++;
        }
    }
    std::vector<double> esf(kEdgeBins, 0.0);
    for (int b = 0; b < kEdgeBins; b++)
        if (count[b]) esf[b] = sum[b] / count[b];
    for (int b = 0; b < kEdgeBins; b++) {
        if (count[b]) continue;
        int below = b - 1, above = b + 1;
        while (below >= 0 && !count[below]) below--;
        while (above < kEdgeBins && !count[above]) above++;
        if (below >= 0 && above < kEdgeBins)
            esf[b] = esf[below] + (esf[above] - esf[below]) * (b - below) / (above - below);
        else if (below >= 0) esf[b] = esf[below];
        else if (above < kEdgeBins) esf[b] = esf[above];
    }
    return esf;
}

std::vector<double> lineSpread(const std::vector<double> &esf) {
    std::vector<double> lsf(esf.size(), 0.0);
    for (size_t b = 1; b + 1 < esf.size(); b++) lsf[b] = esf[b - 1] - esf[b + 1];
    return lsf;
}

double detectorNyquist(void) { return Np / 12.0; }

double highestFrequency(void) { return std::min(detectorNyquist(), 1 / (2 * kPixelSide)); }

std::vector<double> modulationTransfer(const std::vector<double> &lsf, double f_max) {
    double total = 0;
    for (double l : lsf) total = total + l;
    std::vector<double> mtf;
    for (int k = 0; mtfFrequency(k) <= f_max; k++) {
        const double f = mtfFrequency(k);
        double re = 0, im = 0;
        for (size_t b = 0; b < lsf.size(); b++) {
            const double phase = 2 * pi * f * binRadius((int)b);
            re = re + lsf[b] * cos(phase);
            im = im - lsf[b] * sin(phase);
        }
        mtf.push_back(sqrt(re * re + im * im) / fabs(total));
    }
    return mtf;
}

double mtf50(const std::vector<double> &mtf) {
    for (size_t k = 1; k < mtf.size(); k++)
        if (mtf[k] < 0.5)
            return mtfFrequency((int)k - 1) + kFrequencyStep * (mtf[k - 1] - 0.5) / (mtf[k - 1] - mtf[k]);
    return -1;
}

// ---------------------------------------------------------------- noise

NoiseSpectrum noiseSpectrum(std::vector<double> square) {
    const int n = kNoiseSide;
    double mean = 0;
    for (double v : square) mean = mean + v;
    mean = mean / (n * n);
    double power = 0;
    for (double &v : square) {
        v = v - mean;
        power = power + v * v;
    }
    // The 2-D transform: every row, then every column (fft scales each by 1/n).
    std::vector<double> re = square, im(square.size(), 0.0), col_re(n), col_im(n);
    for (int j = 0; j < n; j++) fft(n, &re[(size_t)j * n], &im[(size_t)j * n]);
    for (int k = 0; k < n; k++) {
        for (int j = 0; j < n; j++) {
            col_re[j] = re[(size_t)j * n + k];
            col_im[j] = im[(size_t)j * n + k];
        }
        fft(n, col_re.data(), col_im.data());
        for (int j = 0; j < n; j++) {
            re[(size_t)j * n + k] = col_re[j];
            im[(size_t)j * n + k] = col_im[j];
        }
    }
    // (pixel area / n^2) |sum|^2, the sum being n^2 times the scaled transform.
    const double scale = kPixelSide * kPixelSide * (n * n);
    std::vector<double> ring_sum(kNoiseRings, 0.0);
    std::vector<int> ring_count(kNoiseRings, 0);
    for (int j = 0; j < n; j++) {
        const int v = j < n / 2 ? j : j - n;
        for (int k = 0; k < n; k++) {
            const int u = k < n / 2 ? k : k - n;
            const int ring = (int)floor(sqrt((double)(u * u + v * v)) + 0.5);
            if (ring >= kNoiseRings) continue;
            const size_t i = (size_t)j * n + k;
            ring_sum[ring] = ring_sum[ring] + scale * (re[i] * re[i] + im[i] * im[i]);
            ring_count[ring]++;
        }
    }
    NoiseSpectrum spectrum{.sd = sqrt(power / (n * n)), .nps = std::vector<double>(kNoiseRings)};
    for (int m = 0; m < kNoiseRings; m++) spectrum.nps[m] = ring_sum[m] / ring_count[m];
    return spectrum;
}

NoiseSpectrum meanSpectrum(const std::vector<NoiseSpectrum> &spectra) {
    NoiseSpectrum mean{.sd = 0, .nps = std::vector<double>(kNoiseRings, 0.0)};
    for (const NoiseSpectrum &s : spectra) {
        mean.sd = mean.sd + s.sd;
        for (int m = 0; m < kNoiseRings; m++) mean.nps[m] = mean.nps[m] + s.nps[m];
    }
    const double n = (double)spectra.size();
    mean.sd = mean.sd / n;
    for (double &v : mean.nps) v = v / n;
    return mean;
}

// ---------------------------------------------------------------- the measurement

int measuredPhotons(void) { return current_noise->photons ? current_noise->photons : 100000; }

static MeasuredSettings currentSettings(void) {
    return {.N_w = Nw,
            .N_p = Np,
            .use_fft = use_fft,
            .views = current_views,
            .detector = current_detector,
            .beam = current_beam,
            .scanner = current_scanner,
            .photons = measuredPhotons(),
            .seed = noise_seed};
}

// A sinogram-sized table [iw][ip] (a fan's views with a fan scanner) as one array, and back.
static std::vector<double> copyTable(double **table) {
    std::vector<double> values;
    for (int iw = 0; iw < sinogramRows(); iw++) values.insert(values.end(), table[iw], table[iw] + Np + 1);
    return values;
}
static void restoreTable(double **table, const std::vector<double> &values) {
    for (int iw = 0; iw < sinogramRows(); iw++) std::copy_n(&values[(size_t)iw * (Np + 1)], Np + 1, table[iw]);
}

// What the measurement changes on its way, put back when it ends. The last
// reconstruction and SART's picture it never touches.
class SavedState {
  public:
    SavedState()
        : object(head), metal(metal_insert), filter(current_filter), noise(current_noise), imaging(current_imaging),
          sinogram(copyTable(rdn)),
          filtered(copyTable(fbp)), had_rdn(have_rdn), had_fbp(have_fbp), scan(rdn_scan), filtered_scan(fbp_scan),
          filtered_with(fbp_filter), filtered_by_fft(fbp_by_fft) {}
    ~SavedState() {
        head = object;
        metal_insert = metal;
        current_filter = filter;
        current_noise = noise;
        current_imaging = imaging;
        restoreTable(rdn, sinogram);
        restoreTable(fbp, filtered);
        have_rdn = had_rdn;
        have_fbp = had_fbp;
        rdn_scan = scan;
        fbp_scan = filtered_scan;
        fbp_filter = filtered_with;
        fbp_by_fft = filtered_by_fft;
    }
    SavedState(const SavedState &) = delete;
    SavedState &operator=(const SavedState &) = delete;

  private:
    Object object;
    bool metal;
    const FilterChoice *filter;
    const NoiseChoice *noise;
    const ImagingChoice *imaging;
    std::vector<double> sinogram, filtered;
    int had_rdn, had_fbp;
    uint64_t scan, filtered_scan;
    const FilterChoice *filtered_with;
    int filtered_by_fft;
};

// The square of pixels the noise is measured on, back-projected from fbp:
// its pixels alone, a fortieth of a whole picture.
static std::vector<double> noiseSquare(void) {
    std::vector<double> square((size_t)kNoiseSide * kNoiseSide);
    computeRowsInOrder(
        kNoiseSide,
        [&](int k) {
            std::vector<double> row(width);
            backProjectPixels(kNoiseTop + k, kNoiseLeft, kNoiseLeft + kNoiseSide, row.data());
            std::copy_n(&row[kNoiseLeft], kNoiseSide, &square[(size_t)k * kNoiseSide]);
        },
        [](int) {});
    return square;
}

// The current filter's reconstruction of the sinogram in rdn, drawing nothing.
static Reconstruction quietReconstruction(void) {
    filterQuietly();
    return backProjection();
}

ImageQuality measureImageQuality(void) {
    ImageQuality quality{.settings = currentSettings(), .filters = {}};
    const SavedState saved;
    const int photons = measuredPhotons();
    head = head1;
    metal_insert = false;
    // The filters are measured on X-ray scans, with X-ray noise.
    current_imaging = &imaging_choices[0];
    // The first scan from the seed, once without noise and once with it,
    // each filtered with every filter.
    current_noise = &noise_choices[0];
    measureSinogram(0);
    std::vector<std::vector<double>> clean;
    for (const FilterChoice &filter : filter_choices) {
        current_filter = &filter;
        std::vector<double> mtf = modulationTransfer(lineSpread(edgeSpread(quietReconstruction())), highestFrequency());
        const double f50 = mtf50(mtf);
        quality.filters.push_back({.mtf = std::move(mtf), .mtf50 = f50, .noise = {}});
        clean.push_back(noiseSquare());
    }
    // The noisy scans 0, 1, ... from the seed, whatever scans came before.
    current_noise = &*std::find_if(noise_choices.begin(), noise_choices.end(),
                                   [photons](const NoiseChoice &n) { return n.photons == photons; });
    std::vector<std::vector<NoiseSpectrum>> draws(filter_choices.size());
    for (int draw = 0; draw < kNoiseDraws; draw++) {
        measureSinogram((uint64_t)draw);
        for (size_t i = 0; i < filter_choices.size(); i++) {
            current_filter = &filter_choices[i];
            filterQuietly();
            std::vector<double> noise = noiseSquare();
            for (size_t k = 0; k < noise.size(); k++) noise[k] = noise[k] - clean[i][k];
            draws[i].push_back(noiseSpectrum(noise));
        }
    }
    for (size_t i = 0; i < filter_choices.size(); i++) quality.filters[i].noise = meanSpectrum(draws[i]);
    return quality;
}

// ---------------------------------------------------------------- the curves

static double linePairsPerCm(double cycles_per_unit) { return cycles_per_unit / kCmPerUnit; }

FilterCurves mtfCurves(const ImageQuality &quality) {
    FilterCurves curves;
    for (size_t k = 0; k < quality.filters[0].mtf.size(); k++) curves.f.push_back(linePairsPerCm(mtfFrequency((int)k)));
    for (const FilterQuality &q : quality.filters) curves.y.push_back(q.mtf);
    return curves;
}

FilterCurves npsCurves(const ImageQuality &quality) {
    FilterCurves curves;
    for (int m = 0; m < kNoiseRings; m++) curves.f.push_back(linePairsPerCm(ringFrequency(m)));
    for (const FilterQuality &q : quality.filters) {
        std::vector<double> nps = q.noise.nps;
        for (double &v : nps) v = v * (kCmPerUnit * kCmPerUnit);
        curves.y.push_back(nps);
    }
    return curves;
}

// ---------------------------------------------------------------- the screens

static std::optional<ImageQuality> last_quality;

const ImageQuality *currentImageQuality(void) {
    return last_quality && last_quality->settings == currentSettings() ? &*last_quality : nullptr;
}

// Both screens' frame: the same frequencies across, from 0 to the
// detector's Nyquist frequency, the highest the scan can hold.
static PlotFrame frequencyFrame(double y_high) {
    return {.x_low = 0, .x_high = linePairsPerCm(detectorNyquist()), .y_low = 0, .y_high = y_high};
}
static void drawFrequencyAxes(const PlotFrame &frame, double y_step, const char *y_title) {
    drawPlotAxes(frame, roundStep(frame.x_high, 6), y_step, "frequency (lp/cm)", y_title);
}

// The five curves over the frame, each in its filter's colour, the chosen
// one thickest and last (on top), with the legend's texts.
static void drawFilterCurves(const PlotFrame &f, const FilterCurves &curves, const std::vector<std::string> &legend) {
    const size_t chosen = (size_t)(current_filter - filter_choices.data());
    auto pen = [chosen](size_t i) {
        const Color &c = filter_choices[i].colour;
        SetColor3i(c.r, c.g, c.b);
        SetLineWidth(i == chosen ? 3 : 1);
    };
    for (size_t i = 0; i < curves.y.size(); i++) {
        if (i == chosen) continue;
        pen(i);
        drawCurve(f, curves.f, curves.y[i]);
    }
    pen(chosen);
    drawCurve(f, curves.f, curves.y[chosen]);
    for (size_t i = 0; i < curves.y.size(); i++) {
        pen(i);
        drawLegendEntry(f, (int)i, legend[i].c_str());
    }
    SetLineWidth(0);
}

static std::string mtf50Text(const FilterQuality &q) {
    char text[40];
    if (q.mtf50 >= 0) std::snprintf(text, sizeof text, "%.2f", linePairsPerCm(q.mtf50));
    else std::snprintf(text, sizeof text, "above %.2f", linePairsPerCm(mtfFrequency((int)q.mtf.size() - 1)));
    return text;
}

static void showMtf(const ImageQuality &quality) {
    // A grid line at a half, where MTF50 is read.
    const PlotFrame frame = frequencyFrame(1.25);
    drawFrequencyAxes(frame, 0.25, "MTF");
    std::vector<std::string> legend;
    for (size_t i = 0; i < filter_choices.size(); i++) {
        const std::string label = filter_choices[i].label, f50 = mtf50Text(quality.filters[i]);
        legend.push_back(label + " " + f50);
        if (batch_mode) printLine(("MTF50 " + label + ": " + f50 + " lp/cm").c_str());
    }
    drawFilterCurves(frame, mtfCurves(quality), legend);
    FlushBuffer();
    const size_t chosen = (size_t)(current_filter - filter_choices.data());
    const std::string status =
        "MTF50 " + mtf50Text(quality.filters[chosen]) + " lp/cm (" + current_filter->label + "). Hit Return to Continue.";
    Pause(status.c_str(), 1);
}

static void showNps(const ImageQuality &quality) {
    FilterCurves curves = npsCurves(quality);
    // The spectra in units of a power of ten that puts the largest between 1 and 10.
    double largest = 0;
    for (const std::vector<double> &nps : curves.y)
        for (double v : nps) largest = std::max(largest, v);
    const int exponent = largest > 0 ? (int)floor(log10(largest)) : 0;
    const double unit = pow(10, exponent);
    for (std::vector<double> &nps : curves.y)
        for (double &v : nps) v = v / unit;
    // Room above the curves for the legend.
    const double range = 1.4 * largest / unit, y_step = roundStep(range, 5);
    const PlotFrame frame = frequencyFrame(ceil(range / y_step) * y_step);
    char title[40];
    std::snprintf(title, sizeof title, "NPS (1e%d cm^2)", exponent);
    drawFrequencyAxes(frame, y_step, title);
    std::vector<std::string> legend;
    char text[80];
    for (size_t i = 0; i < filter_choices.size(); i++) {
        std::snprintf(text, sizeof text, "%s SD %.4f", filter_choices[i].label, quality.filters[i].noise.sd);
        legend.push_back(text);
        std::snprintf(text, sizeof text, "Noise SD %s: %.4f", filter_choices[i].label, quality.filters[i].noise.sd);
        if (batch_mode) printLine(text);
    }
    drawFilterCurves(frame, curves, legend);
    FlushBuffer();
    notePlotOnScreen();
    const size_t chosen = (size_t)(current_filter - filter_choices.data());
    std::snprintf(text, sizeof text, "Noise SD %.4f at %d photons per ray (%s)", quality.filters[chosen].noise.sd,
                  quality.settings.photons, current_filter->label);
    Pause(text, 0);
}

void resolutionAndNoise(void) {
    last_quality = measureImageQuality();
    SetDoubleBuffer(1);
    showMtf(*last_quality);
    showNps(*last_quality);
    SetDoubleBuffer(0);
}
