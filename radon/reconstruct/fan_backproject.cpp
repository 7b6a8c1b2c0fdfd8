// Fan-beam reconstruction: Parker's weights for the short scan, the fan
// kernel, and the back-projection along the diverging rays, each view's
// share weighed by 1 / L^2 (L: the pixel's distance from the source along
// the central ray).
#include <cmath>
#include <vector>

#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "vector_clones.h"

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

// One view's share of a row of pixels inside the disc, fn[first..end-1].
VECTOR_CLONES static void fanBackProjectView(double c, double s, double dgamma, const double *__restrict row,
                                             int first, int end, const double *__restrict xs, double y,
                                             double *__restrict fn) {
    for (int ix = first; ix < end; ix++) {
        double inverse_L2;
        const double jp = fanDetectorPosition(c, s, dgamma, xs[ix], y, &inverse_L2);
        const int i = (int)jp;
        const double f = jp - i;
        fn[ix] = fn[ix] + ((1 - f) * row[i] + f * row[i + 1]) * inverse_L2;
    }
}

void fanBackProjectRow(double **filtered, int first, int end, const double *xs, double y, double *fn) {
    const FanViewAngles &angles = fanViewAngles();
    const double dgamma = fanStep();
    for (int k = 0; k < (int)angles.c.size(); k++)
        if (viewMeasured(k)) fanBackProjectView(angles.c[k], angles.s[k], dgamma, filtered[k], first, end, xs, y, fn);
    // A sparse view stands for `step` views, as in "R"; the short scan's
    // weights count each ray once, the full turn counts it twice.
    const double angle = current_views->step * dw;
    for (int ix = first; ix < end; ix++) {
        fn[ix] = fn[ix] * angle;
        if (current_scanner->short_scan) fn[ix] = fn[ix] * 2;
    }
}
