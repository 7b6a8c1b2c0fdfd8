// Fan-beam reconstruction: Parker's weights for the short scan, the fan
// kernel, and the back-projection along the diverging rays, each view's
// share weighed by 1 / L^2 (L: the pixel's distance from the source along
// the central ray).
#include <cmath>
#include <vector>

#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "reconstruct/backproject_lanes.h"

static const double pi = 3.141592653589793;

static double squared(double a) { return a * a; }

double parkerWeight(double beta, double gamma) {
    const double delta = fanHalfAngle();
    if (beta < 0) return 0;
    if (beta < 2 * delta + 2 * gamma) return squared(sin((pi / 4) * beta / (delta + gamma)));
    if (beta <= pi + 2 * gamma) return 1;
    if (beta <= pi + 2 * delta) return squared(sin((pi / 4) * (pi + 2 * delta - beta) / (delta - gamma)));
    return 0;
}

double fanKernel(int n) {
    const double x = n * fanStep();
    const double ratio = n == 0 ? 1.0 : x / sin(x);
    return 0.5 * (ratio * ratio) * current_filter->weight(x, fanStep());
}

void weighFanRow(int k, const double *row, double *weighted) {
    const double beta = k * dw;
    for (int j = 0; j <= Np; j++) {
        const double gamma = fanAngle(j);
        double r = row[j];
        if (current_scanner->parker) r = r * parkerWeight(beta, gamma);
        weighted[j] = r * kSourceRadius * cos(gamma);
    }
}

// cos and sin of every view's source angle, for the scanner chosen.
const FanViewAngles &fanViewAngles(void) {
    // One table per thread: rows of a back-projection run on two threads.
    thread_local FanViewAngles angles;
    const int views = fanViews(current_scanner);
    if ((int)angles.c.size() != views || angles.dw != dw) {
        angles.dw = dw;
        angles.c.resize(views);
        angles.s.resize(views);
        for (int k = 0; k < views; k++) {
            angles.c[k] = cos(k * dw);
            angles.s[k] = sin(k * dw);
        }
    }
    return angles;
}

void fanBackProjectRow(double **filtered, int first, int end, const double *xs, double y, double *fn) {
    const FanViewAngles &angles = fanViewAngles();
    const double dgamma = fanStep();
    const int views = (int)angles.c.size();
    // A full turn in pairs of facing views where both are measured.
    const bool pairs = !current_scanner->short_scan;
    std::vector<FanView> order;
    for (int k = 0; k < (pairs ? Nw : views); k++) {
        const int opposite = k + Nw;
        if (pairs && viewMeasured(k) && viewMeasured(opposite)) {
            order.push_back({angles.c[k], angles.s[k], filtered[k], filtered[opposite]});
            continue;
        }
        if (viewMeasured(k)) order.push_back({angles.c[k], angles.s[k], filtered[k], nullptr});
        if (pairs && viewMeasured(opposite))
            order.push_back({angles.c[opposite], angles.s[opposite], filtered[opposite], nullptr});
    }
    fanBackProjectViews(order.data(), (int)order.size(), dgamma, xs, y, first, end, fn);
    // Sparse views weighed as in "R"; the short scan's weights count each
    // ray once, the full turn counts it twice.
    const double angle = viewWeight();
    for (int ix = first; ix < end; ix++) {
        fn[ix] = fn[ix] * angle;
        if (current_scanner->short_scan) fn[ix] = fn[ix] * 2;
    }
}
