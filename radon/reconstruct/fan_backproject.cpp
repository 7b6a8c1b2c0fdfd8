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

// The shares of views k and k + Nw, whose sources face each other (beta and
// beta + pi): along = D + u and D - u, across = v and -v. Worked out
// together, the two views need two divisions where one alone needs two.
VECTOR_CLONES static void fanBackProjectOpposite(double c, double s, double dgamma, const double *__restrict row1,
                                                 const double *__restrict row2, int first, int end,
                                                 const double *__restrict xs, double y, double *__restrict fn) {
    for (int ix = first; ix < end; ix++) {
        const double u = y * c - xs[ix] * s, v = xs[ix] * c + y * s;
        const double along1 = kSourceRadius + u, along2 = kSourceRadius - u;
        const double r = 1 / (along1 * along2);
        const double r01 = along2 * r, r02 = along1 * r;
        const double z1 = v * r01, z2 = -v * r02, w1 = z1 * z1, w2 = z2 * z2;
        const double P1 = arctanP(w1), Q1 = arctanQ(w1), P2 = arctanP(w2), Q2 = arctanQ(w2);
        const double Qd1 = Q1 * dgamma, e1 = 1 + w1, Qd2 = Q2 * dgamma, e2 = 1 + w2;
        const double d1 = Qd1 * e1, d2 = Qd2 * e2;
        const double R = 1 / (d1 * d2);
        const double r11 = d2 * R, r12 = d1 * R;
        const double j1 = z1 * (Q1 + w1 * P1) * e1 * r11 + Np / 2, j2 = z2 * (Q2 + w2 * P2) * e2 * r12 + Np / 2;
        const int i1 = (int)j1, i2 = (int)j2;
        const double f1 = j1 - i1, f2 = j2 - i2;
        const double sum = fn[ix] + ((1 - f1) * row1[i1] + f1 * row1[i1 + 1]) * (r01 * r01 * Qd1 * r11);
        fn[ix] = sum + ((1 - f2) * row2[i2] + f2 * row2[i2 + 1]) * (r02 * r02 * Qd2 * r12);
    }
}

void fanBackProjectRow(double **filtered, int first, int end, const double *xs, double y, double *fn) {
    const FanViewAngles &angles = fanViewAngles();
    const double dgamma = fanStep();
    const int views = (int)angles.c.size();
    // A full turn in pairs of facing views where both are measured.
    const bool pairs = !current_scanner->short_scan;
    for (int k = 0; k < (pairs ? Nw : views); k++) {
        const int opposite = k + Nw;
        if (pairs && viewMeasured(k) && viewMeasured(opposite)) {
            fanBackProjectOpposite(angles.c[k], angles.s[k], dgamma, filtered[k], filtered[opposite], first, end,
                                   xs, y, fn);
            continue;
        }
        if (viewMeasured(k)) fanBackProjectView(angles.c[k], angles.s[k], dgamma, filtered[k], first, end, xs, y, fn);
        if (pairs && viewMeasured(opposite))
            fanBackProjectView(angles.c[opposite], angles.s[opposite], dgamma, filtered[opposite], first, end, xs, y,
                               fn);
    }
    // Sparse views weighed as in "R"; the short scan's weights count each
    // ray once, the full turn counts it twice.
    const double angle = viewWeight();
    for (int ix = first; ix < end; ix++) {
        fn[ix] = fn[ix] * angle;
        if (current_scanner->short_scan) fn[ix] = fn[ix] * 2;
    }
}
