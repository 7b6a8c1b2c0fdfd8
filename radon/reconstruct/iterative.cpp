// Iterative reconstruction: the projection of an image (ray-driven), the
// smearing of a row back (pixel-driven, as "R" back-projects), and SART,
// one iteration per call, continuing where the last call left off.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include "scan/own_scan.h"
#include "parallel_rows.h"
#include "reconstruct/backproject_lanes.h"
#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "vector_clones.h"
#include "window_map.h"

// The corrections are taken whole.
static const double lambda = 1.0;

IterativeImage::IterativeImage()
    : stride(width + 2 * border()), values((size_t)stride * (height + 2 * border()), 0.0) {}

const std::vector<DiscRun> &discRuns(void) {
    static std::vector<DiscRun> runs;
    if ((int)runs.size() == height) return runs;
    runs.assign(height, {width, 0});
    for (int iy = 0; iy < height; iy++) {
        const double y = pixelY(iy);
        for (int ix = 0; ix < width; ix++) {
            const double x = pixelX(ix);
            if (!(x * x + y * y < 9.0)) continue;
            if (runs[iy].first == width) runs[iy].first = ix;
            runs[iy].end = ix + 1;
        }
    }
    return runs;
}

Reconstruction IterativeImage::result(void) const {
    Reconstruction r = {.source = {.scan = currentScan(), .filter = nullptr, .use_fft = 0},
                        .inside = std::vector<char>((size_t)width * height, 0),
                        .value = std::vector<double>((size_t)width * height, 0.0)};
    for (int iy = 0; iy < height; iy++) {
        const DiscRun run = discRuns()[iy];
        for (int ix = run.first; ix < run.end; ix++) {
            r.inside[(size_t)iy * width + ix] = 1;
            r.value[(size_t)iy * width + ix] = row(iy)[ix];
        }
    }
    return r;
}

// ---------------------------------------------------------------- projection of an image

// A sample whose four neighbours all lie outside the disc reads exactly 0;
// those farther than this from the centre are left out of the sums.
static double sampledRadius(void) { return xmax + 2 * (xmax + xmax) / width; }

// The samples l = lo..hi-1 of the rays at offsets t0..t1 that can read a
// pixel inside the disc (the samples at s = -ymax + (l + 1/2) dl).
static void samplesInDisc(double t0, double t1, int *lo, int *hi) {
    const double R = sampledRadius();
    const double nearest = t0 <= 0 && t1 >= 0 ? 0 : std::min(fabs(t0), fabs(t1));
    if (nearest >= R) {
        *lo = *hi = 0;
        return;
    }
    const double half = sqrt(R * R - nearest * nearest);
    *lo = std::max(0, (int)floor((ymax - half) / dl - 0.5) - 1);
    *hi = std::min(Nl, (int)ceil((ymax + half) / dl - 0.5) + 2);
}

// Rays in groups of this many.
const int kRays = 8;

// The sums of the samples l = lo..hi-1 of G rays, the rays side by side so
// that they read neighbouring pixels together: sample l of ray k at
// (gx, gy) = (ax[k] - bx[l], ay[k] - by[l]) in pixels of the padded image,
// pixel centres at whole numbers. Each ray's sum runs along it in order.
template <int G>
__attribute__((always_inline)) inline void sumSamples(const double *__restrict image, int stride,
                                                      const double *ax, const double *ay,
                                                      const double *__restrict bx, const double *__restrict by,
                                                      int lo, int hi, double *sums) {
    double sum[G] = {};
    for (int l = lo; l < hi; l++) {
        for (int k = 0; k < G; k++) {
            const double gx = ax[k] - bx[l], gy = ay[k] - by[l];
            const int ix = (int)gx, iy = (int)gy; // both positive: truncation is the floor
            const double fx = gx - ix, fy = gy - iy;
            const int at = iy * stride + ix;
            const double v = (1 - fy) * ((1 - fx) * image[at] + fx * image[at + 1]) +
                             fy * ((1 - fx) * image[at + stride] + fx * image[at + stride + 1]);
            sum[k] = sum[k] + v;
        }
    }
    for (int k = 0; k < G; k++) sums[k] = sum[k];
}

VECTOR_CLONES static void sumGroup(const double *image, int stride, const double *ax, const double *ay,
                                   const double *bx, const double *by, int lo, int hi, double *sums) {
    sumSamples<kRays>(image, stride, ax, ay, bx, by, lo, hi, sums);
}

VECTOR_CLONES static void sumRay(const double *image, int stride, const double *ax, const double *ay,
                                 const double *bx, const double *by, int lo, int hi, double *sums) {
    sumSamples<1>(image, stride, ax, ay, bx, by, lo, hi, sums);
}

// G rays side by side whose normals have the angle of (c, s), at the
// offsets t[0..G-1] (growing), G = kRays or 1.
template <int G>
static void projectGroup(const double *image, int stride, double c, double s, const double *t, double q[G]) {
    int lo, hi;
    samplesInDisc(t[0], t[G - 1], &lo, &hi);
    // World units to pixels; the world's origin on the padded image.
    const double per_pixel = width / (xmax + xmax);
    const double x0 = width / 2 + IterativeImage::border(), y0 = height / 2 + IterativeImage::border();
    // The point at s along a ray is its point at s = 0 plus s (-sin, cos):
    // the samples' offsets in pixels, the same for every ray of the angle.
    // Kept from call to call, as ART projects its rays one at a time.
    thread_local std::vector<double> bx, by;
    bx.resize(Nl);
    by.resize(Nl);
    for (int l = lo; l < hi; l++) {
        const double sl = -ymax + (l + 0.5) * dl;
        bx[l] = sl * s * per_pixel;
        by[l] = sl * c * per_pixel;
    }
    double ax[G], ay[G], sums[G];
    for (int k = 0; k < G; k++) {
        ax[k] = t[k] * c * per_pixel + x0;
        ay[k] = y0 - t[k] * s * per_pixel;
    }
    if constexpr (G == 1) sumRay(image, stride, ax, ay, bx.data(), by.data(), lo, hi, sums);
    else sumGroup(image, stride, ax, ay, bx.data(), by.data(), lo, hi, sums);
    for (int k = 0; k < G; k++) q[k] = sums[k] * dl;
}

// The parallel rays ip0 .. ip0 + G - 1 of angle iw (all within 0..Np).
template <int G>
static void projectParallel(const double *image, int stride, int iw, int ip0, double q[G]) {
    double t[G];
    for (int k = 0; k < G; k++) t[k] = (ip0 + k) * dp - xmax;
    projectGroup<G>(image, stride, cn[iw], sn[iw], t, q);
}

void projectRays(const IterativeImage &u, int iw, int first, int end, double *q) {
    if (current_scanner->fan) {
        // Each ray of a fan has an angle of its own.
        for (int ip = first; ip < end; ip++) {
            const double gamma = fanAngle(ip), theta = iw * dw - gamma, t = kSourceRadius * sin(gamma);
            projectGroup<1>(u.values.data(), u.stride, cos(theta), sin(theta), &t, &q[ip - first]);
        }
        return;
    }
    int ip = first;
    for (; ip + kRays <= end; ip += kRays) projectParallel<kRays>(u.values.data(), u.stride, iw, ip, &q[ip - first]);
    for (; ip < end; ip++) projectParallel<1>(u.values.data(), u.stride, iw, ip, &q[ip - first]);
}

// ---------------------------------------------------------------- a matched pair

// The pixel-driven projection and its transpose: pixel j meets the ray at
// detector position p = k + f in the share (1 - f) for ray k and f for ray
// k + 1, of weight its area over the rays' spacing where it lies (dp, or a
// fan's L dgamma), so that the sums are line integrals. The same shares in
// both directions make the one the exact transpose of the other.
template <class Share>
static void pixelShares(int iw, int iy, Share share) {
    const double h = (xmax + xmax) / width, area = h * h, y = pixelY(iy);
    const DiscRun run = discRuns()[iy];
    if (current_scanner->fan) {
        const double c = cos(iw * dw), s = sin(iw * dw), dgamma = fanStep();
        for (int ix = run.first; ix < run.end; ix++) {
            double inverse_L2;
            const double p = fanDetectorPosition(c, s, dgamma, pixelX(ix), y, &inverse_L2);
            const int k = (int)p;
            share(ix, k, p - k, area * sqrt(inverse_L2) / dgamma);
        }
        return;
    }
    const double weight = area / dp;
    for (int ix = run.first; ix < run.end; ix++) {
        const double p = detectorPosition(iw, pixelX(ix), y);
        const int k = (int)p;
        share(ix, k, p - k, weight);
    }
}

void projectPixels(const IterativeImage &u, int iw, double *q) {
    std::fill(q, q + Np + 1, 0.0);
    for (int iy = 0; iy < height; iy++) {
        const double *v = u.row(iy);
        pixelShares(iw, iy, [&](int ix, int k, double f, double weight) {
            const double a = weight * v[ix];
            q[k] = q[k] + (1 - f) * a;
            q[k + 1] = q[k + 1] + f * a;
        });
    }
}

// The smearing view of angle iw (a parallel angle or a fan's view) for the rays' values r.
static SmearView smearView(int iw, const double *r) {
    if (current_scanner->fan) return {.fan = true, .c = cos(iw * dw), .s = sin(iw * dw), .dgamma = fanStep(), .r = r};
    return {.fan = false, .c = cn[iw], .s = sn[iw], .dgamma = 0, .r = r};
}

void smearPixels(int iw, int iy, const double *r, double *v) {
    const double h = (xmax + xmax) / width;
    const DiscRun run = discRuns()[iy];
    std::vector<double> xs(width);
    for (int ix = run.first; ix < run.end; ix++) xs[ix] = pixelX(ix);
    smearWeighted(smearView(iw, r), h * h, xs.data(), pixelY(iy), run.first, run.end, v);
}

// Work split into this many pieces for the two threads.
const int kPieces = 16;

const double *rayLengths(int iw) {
    static std::vector<double> lengths;
    static int for_Nw = 0, for_Np = 0;
    static bool for_fan = false;
    if (for_Nw != Nw || for_Np != Np || for_fan != current_scanner->fan) {
        IterativeImage one;
        for (int iy = 0; iy < height; iy++)
            for (int ix = discRuns()[iy].first; ix < discRuns()[iy].end; ix++) one.row(iy)[ix] = 1.0;
        // Every view of a fan's full turn: the short scan's are among them.
        const int rows = current_scanner->fan ? fanViews(fullTurnScanner()) : Nw + 1;
        lengths.assign((size_t)rows * (Np + 1), 0.0);
        computeRowsInOrder(
            rows, [&](int jw) { projectRays(one, jw, 0, Np + 1, &lengths[(size_t)jw * (Np + 1)]); }, [](int) {});
        for_Nw = Nw;
        for_Np = Np;
        for_fan = current_scanner->fan;
    }
    return &lengths[(size_t)iw * (Np + 1)];
}

// ---------------------------------------------------------------- smearing back

// SART's updates at the angles angles[0..n-1], in order. Each angle is two
// steps that two threads share: the projection with the residuals, ray
// groups apart, then the smearing, rows apart. Each ray and each pixel is
// computed whole by one thread, so the numbers do not depend on which.
static void sartAngles(IterativeImage &u, const int *angles, int n) {
    std::vector<double> q(Np + 1), r(Np + 1);
    std::vector<double> xs(width);
    for (int ix = 0; ix < width; ix++) xs[ix] = pixelX(ix);
    const std::vector<DiscRun> &runs = discRuns();
    for (int k = 0; k < n; k++) rayLengths(angles[k]); // computed before the threads share the work
    const int groups = (Np + kRays) / kRays;
    inOrderedSteps(2 * n, kPieces, [&](int step, int piece) {
        const int iw = angles[step / 2];
        if (step % 2 == 0) {
            const int first = std::min(Np + 1, groups * piece / kPieces * kRays);
            const int end = std::min(Np + 1, groups * (piece + 1) / kPieces * kRays);
            projectRays(u, iw, first, end, &q[first]);
            const double *L = rayLengths(iw);
            for (int ip = first; ip < end; ip++) r[ip] = L[ip] > kShortRay ? (rdn[iw][ip] - q[ip]) / L[ip] : 0;
        } else {
            // Each pixel gets its share of r, kept at 0 or above.
            const SmearView view = smearView(iw, r.data());
            for (int iy = height * piece / kPieces; iy < height * (piece + 1) / kPieces; iy++)
                smearCorrections(view, lambda, xs.data(), pixelY(iy), runs[iy].first, runs[iy].end, u.row(iy));
        }
    });
}

void sartUpdate(IterativeImage &u, int iw) { sartAngles(u, &iw, 1); }

// ---------------------------------------------------------------- the residual

// |A x - p| / |p| over the measured rays.
static double relativeResidual(const Reconstruction &r) {
    IterativeImage u;
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++)
            if (r.inside[(size_t)iy * width + ix]) u.row(iy)[ix] = r.value[(size_t)iy * width + ix];
    std::vector<double> q(Np + 1);
    double misfit = 0, size = 0;
    for (int iw = 0; iw < Nw; iw++) {
        if (!viewMeasured(iw)) continue;
        projectRays(u, iw, 0, Np + 1, q.data());
        for (int ip = 0; ip <= Np; ip++) {
            misfit = misfit + (q[ip] - rdn[iw][ip]) * (q[ip] - rdn[iw][ip]);
            size = size + rdn[iw][ip] * rdn[iw][ip];
        }
    }
    return size > 0 ? sqrt(misfit / size) : 0;
}

double reconstructionError(const Reconstruction &r) { return measuredScan() ? relativeResidual(r) : rmsError(r); }

const char *errorName(void) { return measuredScan() ? "residual" : "RMS error"; }

// ---------------------------------------------------------------- SART

int spreadStep(int n) {
    int best = 1;
    for (int S = 2; S < n; S++)
        if (std::gcd(S, n) == 1 && fabs(S - 0.382 * n) < fabs(best - 0.382 * n)) best = S;
    return best;
}

std::vector<int> spreadOrder(void) {
    std::vector<int> order;
    // A fan's views in place of the half-turn's angles.
    const int n = current_scanner->fan ? fanViews(current_scanner) : Nw;
    const int S = spreadStep(n);
    for (int k = 0; k < n; k++) {
        const int iw = (int)((long long)k * S % n);
        if (viewMeasured(iw)) order.push_back(iw);
    }
    return order;
}

// The image SART corrects, the scan it iterates on, and the RMS error
// after each iteration.
struct SartState {
    uint64_t scan = 0;
    IterativeImage image;
    std::vector<double> errors;
};

// Made at the first use: a program that never iterates holds no image.
static SartState &sartState(void) {
    static SartState state;
    return state;
}

void forgetIterations(void) { sartState() = SartState(); }

std::vector<double> sartErrors(void) {
    return sartState().scan == currentScan() ? sartState().errors : std::vector<double>{};
}

void sartIteration(void) {
    if (!have_rdn) getRadon();
    SartState &sart = sartState();
    if (sart.scan != currentScan()) sart = {.scan = currentScan(), .image = IterativeImage(), .errors = {}};
    const std::vector<int> order = spreadOrder();
    // About two seconds an iteration in the window.
    const double hold = std::min(0.05, 2.0 / Nw);
    const int iteration = (int)sart.errors.size() + 1;
    char status[100];
    SetDoubleBuffer(1);
    if (batch_mode) {
        // Only the final picture.
        sartAngles(sart.image, order.data(), (int)order.size());
        drawReconstruction(sart.image.result());
    } else {
        for (size_t k = 0; k < order.size(); k++) {
            sartUpdate(sart.image, order[k]);
            drawReconstructionValues(sart.image.result());
            std::snprintf(status, sizeof status, "SART iteration %d: angle %d of %d", iteration, (int)k + 1,
                          (int)order.size());
            showProgress(status); // shows the frame with its status line
            teachingPause(hold);
        }
    }
    SetDoubleBuffer(0);
    last_reconstruction = sart.image.result();
    sart.errors.push_back(reconstructionError(last_reconstruction));
    std::snprintf(status, sizeof status, "SART iteration %d: %s %.4f", iteration, errorName(), sart.errors.back());
    Pause(status, 0);
}
