// The centre of rotation of a measured scan, estimated from its data.
// Opposite views (angles 180 degrees apart) see the same lines mirrored
// about the axis's column: the centre is where they agree best. Without
// them the centre is the one whose reconstruction is sharpest: the one with
// the least negative values.
#include <algorithm>
#include <cmath>
#include <vector>

#include "scan/own_scan.h"

static const double pi = 3.141592653589793;

// The columns searched either side of the detector's middle.
static const double kSearch = 24;

// Each view's angle in radians, as the scan file says it turned.
static std::vector<double> viewAngles(const OwnScan &s) {
    std::vector<double> angles(s.views);
    const double sign = s.file.clockwise ? -1 : 1;
    for (int v = 0; v < s.views; v++) angles[v] = sign * (s.file.first_angle + v * s.file.angle_step) * pi / 180;
    return angles;
}

// The pairs of views whose angles differ by 180 degrees (within a hundredth of a step).
static std::vector<std::pair<int, int>> oppositeViews(const OwnScan &s) {
    const std::vector<double> a = viewAngles(s);
    const double tolerance = 0.01 * s.file.angle_step * pi / 180;
    std::vector<std::pair<int, int>> pairs;
    for (int v = 0; v < s.views; v++) {
        // The step in views to the opposite one, were the steps exact.
        const int w = v + (int)std::lround(180 / s.file.angle_step);
        if (w >= s.views) break;
        double d = std::fmod(std::fabs(a[w] - a[v]), 2 * pi);
        if (std::fabs(d - pi) <= tolerance) pairs.push_back({v, w});
    }
    return pairs;
}

// The mismatch of opposite views when the axis is at column m / 2: view w
// at column c against view v at column m - c, over the columns both have.
static double mismatch(const OwnScan &s, const std::vector<std::pair<int, int>> &pairs, int m) {
    double sum = 0;
    long n = 0;
    const int first = std::max(0, m - (s.columns - 1)), last = std::min(s.columns - 1, m);
    for (const auto &[v, w] : pairs) {
        const double *p = &s.p[(size_t)v * s.columns], *q = &s.p[(size_t)w * s.columns];
        for (int c = first; c <= last; c++) sum += (q[c] - p[m - c]) * (q[c] - p[m - c]);
        n += last - first + 1;
    }
    return n ? sum / n : HUGE_VAL;
}

static double byOppositeViews(const OwnScan &s, const std::vector<std::pair<int, int>> &pairs) {
    // m = 2 x centre in whole columns; the parabola through the best and its
    // neighbours places the least between them.
    const int low = (int)std::floor(s.columns - 1 - 2 * kSearch), high = (int)std::ceil(s.columns - 1 + 2 * kSearch);
    int best = low;
    std::vector<double> cost(high - low + 1);
    for (int m = low; m <= high; m++) {
        cost[m - low] = mismatch(s, pairs, m);
        if (cost[m - low] < cost[best - low]) best = m;
    }
    double m = best;
    if (best > low && best < high) {
        const double a = cost[best - low - 1], b = cost[best - low], c = cost[best - low + 1];
        const double curvature = a - 2 * b + c;
        if (curvature > 0) m = best + 0.5 * (a - c) / curvature;
    }
    return m / 2;
}

// The views filtered with the ramp (Ram-Lak's kernel, spacing one column):
// 1/4 at offset 0, -1/(pi n)^2 at odd offsets n, 0 at even ones.
static std::vector<double> rampFiltered(const OwnScan &s) {
    const int C = s.columns;
    std::vector<double> odd(C, 0.0), out((size_t)s.views * C, 0.0);
    for (int n = 1; n < C; n += 2) odd[n] = -1 / (pi * pi * n * n);
    for (int v = 0; v < s.views; v++) {
        const double *p = &s.p[(size_t)v * C];
        double *f = &out[(size_t)v * C];
        for (int c = 0; c < C; c++) {
            double sum = 0.25 * p[c];
            for (int k = c % 2 ? 0 : 1; k < C; k += 2) sum += odd[std::abs(c - k)] * p[k];
            f[c] = sum;
        }
    }
    return out;
}

// How unsharp the reconstruction is with the axis at column `centre`: the
// sum of its negative values on a coarse grid inside the detector's circle.
// Attenuation is not negative; a wrong centre spreads each edge into arcs
// of both signs, and the negative ones grow with the error.
static double unsharpness(const OwnScan &s, const std::vector<double> &filtered, const std::vector<double> &c,
                          const std::vector<double> &sn, double centre, int N, int stride) {
    const int C = s.columns;
    const double radius = (C - 1) / 2.0 - kSearch, step = 2 * radius / N;
    double total = 0;
    std::vector<double> row(N);
    for (int j = 0; j < N; j++) {
        const double y = -radius + (j + 0.5) * step;
        std::fill(row.begin(), row.end(), 0.0);
        for (int v = 0; v < s.views; v += stride) {
            const double *f = &filtered[(size_t)v * C];
            for (int i = 0; i < N; i++) {
                const double x = -radius + (i + 0.5) * step;
                const double t = centre + x * c[v] + y * sn[v];
                const int k = (int)std::floor(t);
                if (k < 0 || k + 1 >= C) continue;
                row[i] += f[k] + (t - k) * (f[k + 1] - f[k]);
            }
        }
        for (int i = 0; i < N; i++) {
            const double x = -radius + (i + 0.5) * step;
            if (x * x + y * y < radius * radius && row[i] < 0) total -= row[i];
        }
    }
    return total;
}

static double bySharpness(const OwnScan &s) {
    const std::vector<double> filtered = rampFiltered(s), a = viewAngles(s);
    std::vector<double> c(s.views), sn(s.views);
    for (int v = 0; v < s.views; v++) {
        c[v] = std::cos(a[v]);
        sn[v] = std::sin(a[v]);
    }
    const double middle = (s.columns - 1) / 2.0;
    // A column apart over the whole range on a coarse grid from every second
    // view, then a quarter about the best on a finer one from all.
    double best = middle, least = HUGE_VAL;
    for (double d = -kSearch; d <= kSearch; d += 1) {
        const double u = unsharpness(s, filtered, c, sn, middle + d, 64, 2);
        if (u < least) least = u, best = middle + d;
    }
    const double coarse = best;
    least = HUGE_VAL;
    for (double d = -1; d <= 1; d += 0.25) {
        const double u = unsharpness(s, filtered, c, sn, coarse + d, 96, 1);
        if (u < least) least = u, best = coarse + d;
    }
    return best;
}

// A fan: the centre where the two rays of each line read most alike.
static double byConjugateRays(const OwnScan &s) {
    const double middle = (s.columns - 1) / 2.0;
    double best = middle, least = HUGE_VAL;
    for (double d = -kSearch; d <= kSearch; d += 0.25) {
        const double misfit = fanRows(s, middle + d, s.views, s.columns, nullptr);
        if (misfit < least) least = misfit, best = middle + d;
    }
    return best;
}

CentreEstimate estimateCentre(const OwnScan &s) {
    if (s.file.geometry != ScanGeometry::parallel) return {.centre = byConjugateRays(s), .method = "by conjugate rays"};
    const std::vector<std::pair<int, int>> pairs = oppositeViews(s);
    // A few pairs are enough where their views hold the object; fewer than
    // an eighth of the views is a scan of little more than half a turn.
    if (pairs.size() * 8 >= (size_t)s.views) return {.centre = byOppositeViews(s, pairs), .method = "by opposite views"};
    return {.centre = bySharpness(s), .method = "the sharpest"};
}
