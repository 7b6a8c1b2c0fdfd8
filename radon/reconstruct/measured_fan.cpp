// Filtered back-projection of a measured fan scan from its own views: each
// view weighed (the flat detector's projections by R / sqrt(R^2 + s^2) on a
// virtual detector through the axis, the arc's by R cos gamma), times the
// redundancy weight that counts every line once, filtered with the chosen
// filter, and smeared back along the diverging rays with the weight 1/U^2
// (flat: U the distance along the central ray over R) or 1/L^2 (arc: L the
// distance from the source). Lengths are the scan file's, so the values
// read in 1/unit.
#include <cmath>
#include <vector>

#include "parallel_rows.h"
#include "reconstruct/reconstruct.h"
#include "scan/own_scan.h"
#include "window_map.h"

static const double pi = 3.141592653589793;

namespace {

struct FanScan : FanGeometry {
    const OwnScan &s;
    double turn;
    explicit FanScan(const OwnScan &scan) : FanGeometry(scan), s(scan), turn(scan.views * step) {}
    double gamma(double c) const { return FanGeometry::gamma(c, s.centre); }
    // How much the view at b (radians from the first) counts: 1, falling to
    // 0 towards the ends of a scan short of a full turn over the views
    // beyond half a turn, so that the weights change smoothly.
    double taper(double b) const {
        if (turn >= 2 * pi - step / 2) return 1;
        const double T = std::max(turn - pi, step);
        if (b < T) return std::pow(std::sin(pi / 2 * b / T), 2);
        if (b > turn - T) return std::pow(std::sin(pi / 2 * (turn - b) / T), 2);
        return 1;
    }
    // The share of ray (b, gamma) among all the rays of the scan that measure
    // its line: (b + 2 pi m, gamma) and (b + pi - 2 gamma + 2 pi m, -gamma),
    // b counted in the direction the views turn.
    double redundancy(double b, double gamma) const {
        double total = 0;
        for (int m = -2; m <= 2; m++) {
            for (const double c : {b + 2 * pi * m, b + pi - 2 * sign * gamma + 2 * pi * m})
                if (c >= 0 && c < turn) total += taper(c);
        }
        return total > 0 ? taper(b) / total : 0;
    }
};

} // namespace

Reconstruction measuredFanReconstruction(void) {
    const OwnScan &s = ownScan();
    const FanScan fan(s);
    const int C = s.columns;
    // The filter's kernel on the virtual detector (flat) or in fan angles (arc).
    const double spacing = fan.flat ? fan.pitch * fan.R / fan.D : fan.pitch / fan.D;
    std::vector<double> kernel(2 * C - 1);
    for (int n = -(C - 1); n <= C - 1; n++) {
        const double x = n * spacing, ratio = fan.flat || n == 0 ? 1 : x / std::sin(x);
        kernel[n + C - 1] = ratio * ratio * current_filter->weight(x, spacing) / (2 * pi);
    }
    std::vector<double> filtered((size_t)s.views * C), weighted(C);
    for (int k = 0; k < s.views; k++) {
        const double *p = &s.p[(size_t)k * C];
        for (int c = 0; c < C; c++) {
            const double gamma = fan.gamma(c);
            // R / sqrt(R^2 + s^2) on the virtual detector is cos gamma.
            const double pre = fan.flat ? std::cos(gamma) : fan.R * std::cos(gamma);
            weighted[c] = p[c] * fan.redundancy(k * fan.step, gamma) * pre;
        }
        for (int c = 0; c < C; c++) {
            double sum = 0;
            for (int j = 0; j < C; j++) sum += weighted[j] * kernel[c - j + C - 1];
            filtered[(size_t)k * C + c] = sum;
        }
    }
    std::vector<double> cb(s.views), sb(s.views);
    for (int k = 0; k < s.views; k++) {
        const double beta = fan.beta(k);
        cb[k] = std::cos(beta);
        sb[k] = std::sin(beta);
    }
    Reconstruction r{.source = {}, .inside = std::vector<char>((size_t)width * height),
                     .value = std::vector<double>((size_t)width * height)};
    computeRowsInOrder(
        height,
        [&](int iy) {
            const double Y = pixelY(iy) * s.unit_length;
            for (int ix = 0; ix < width; ix++) {
                const double x = pixelX(ix), y = pixelY(iy);
                const size_t i = (size_t)iy * width + ix;
                r.inside[i] = x * x + y * y < 9.0;
                if (!r.inside[i]) continue;
                const double X = x * s.unit_length;
                double sum = 0;
                for (int k = 0; k < s.views; k++) {
                    const double along = fan.R + Y * cb[k] - X * sb[k], across = X * cb[k] + Y * sb[k];
                    const double c = fan.flat ? s.centre + fan.D * across / (along * fan.pitch)
                                              : s.centre + std::atan2(across, along) * fan.D / fan.pitch;
                    const int c0 = (int)std::floor(c);
                    if (c0 < 0 || c0 + 1 >= C) continue;
                    const double f = c - c0, *g = &filtered[(size_t)k * C];
                    const double weight = fan.flat ? fan.R * fan.R / (along * along) : 1 / (along * along + across * across);
                    sum += ((1 - f) * g[c0] + f * g[c0 + 1]) * weight;
                }
                r.value[i] = sum * fan.step;
            }
        },
        [](int) {});
    return r;
}
