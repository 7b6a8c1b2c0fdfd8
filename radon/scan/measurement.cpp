// The measurement: what a real scanner makes of the ideal line integrals.
// Views left out (few views, a limited angle), a detector of lower gain, a
// polychromatic beam, and the photon noise on top of them.
#include <algorithm>

#include "scan/own_scan.h"
#include "scan/poisson.h"
#include "scan/scan.h"

static const ViewsChoice views_table[] = {
    {.label = "All views", .id = 3200, .step = 1, .degrees = 180},
    {.label = "Every 2nd view", .id = 3201, .step = 2, .degrees = 180},
    {.label = "Every 4th view", .id = 3202, .step = 4, .degrees = 180},
    {.label = "Every 8th view", .id = 3203, .step = 8, .degrees = 180},
    {.label = "0 to 135 degrees", .id = 3204, .step = 1, .degrees = 135},
    {.label = "0 to 90 degrees", .id = 3205, .step = 1, .degrees = 90},
};
const std::span<const ViewsChoice> views_choices = views_table;
const ViewsChoice *current_views = &views_table[0];

static const DetectorChoice detector_table[] = {
    {.label = "Perfect detector", .id = 3300, .gain = 1},
    {.label = "One detector 1% weak", .id = 3301, .gain = 0.99},
    {.label = "One detector 5% weak", .id = 3302, .gain = 0.95},
    {.label = "One detector 20% weak", .id = 3303, .gain = 0.8},
};
const std::span<const DetectorChoice> detector_choices = detector_table;
const DetectorChoice *current_detector = &detector_table[0];

static const BeamChoice beam_table[] = {
    {.label = "Monochromatic beam", .id = 3400, .polychromatic = false},
    {.label = "Polychromatic beam", .id = 3401, .polychromatic = true},
};
const std::span<const BeamChoice> beam_choices = beam_table;
const BeamChoice *current_beam = &beam_table[0];

// A limit of 180 degrees is no limit: a fan scanner's views go round the whole turn.
bool viewMeasured(int iw) {
    return iw % current_views->step == 0 && (current_views->degrees >= 180 || iw * 180 <= current_views->degrees * Nw) &&
           ownScanCovers(iw);
}

int lastMeasuredView(int views) {
    int last = views - 1;
    while (last > 0 && !viewMeasured(last)) last--;
    return last;
}

double viewWeight(void) {
    const int step = current_views->step;
    // A short scan's views do not close a circle, and its end views carry no
    // weight: each measured view stands for `step` views.
    if (current_scanner->short_scan) return step * dw;
    const int views = current_scanner->fan ? fanViews(current_scanner) : Nw, measured = (views + step - 1) / step;
    // views / measured first: it is step exactly when step divides the views.
    return views / (double)measured * dw;
}

// exp and log of our own, so that every platform measures the same bits.
double beamTransmission(double p) {
    if (!current_beam->polychromatic) return portableExp(-p);
    return 0.5 * portableExp(-1.6 * p) + 0.5 * portableExp(-0.4 * p);
}

void measureRow(uint64_t scan, int iw, double *row) {
    if (!viewMeasured(iw)) {
        std::fill(row, row + Np + 1, 0.0);
        return;
    }
    // Emission counts its own photons, from the ideal line integrals (emission.cpp).
    if (emissionImaging()) return;
    const bool noisy = current_noise->photons != 0, poly = current_beam->polychromatic;
    if (!noisy && !poly && current_detector->gain == 1) return;
    const int weak = weakDetector();
    for (int ip = 0; ip <= Np; ip++) {
        const double g = ip == weak ? current_detector->gain : 1;
        if (noisy) {
            // g = 1 and one energy: T = exp(-p) exactly as without these settings.
            row[ip] = countedIntegral(scan, iw, ip, g * beamTransmission(row[ip]));
            continue;
        }
        // -ln B(p) is p itself for one energy: no round trip through exp and
        // log. A ray that meets nothing keeps its 0 (rather than -ln 1 = -0).
        double q = poly && row[ip] != 0 ? -portableLog(beamTransmission(row[ip])) : row[ip];
        if (g != 1) q = q - portableLog(g);
        row[ip] = q;
    }
}
