// Iterative reconstruction: the projection of an image (ray-driven), the
// smearing of a row back (pixel-driven, as "R" back-projects), and SART,
// one iteration per call, continuing where the last call left off.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include "parallel_rows.h"
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

// Samples l = lo..hi-1 of one ray, read from the padded image: the ray at
// (tc, ts) = t (cos, sin), the samples' products with (sin, cos) in ss, sc.
VECTOR_CLONES static void readSamples(const double *__restrict image, int stride, double tc, double ts,
                                      const double *__restrict ss, const double *__restrict sc, int lo, int hi,
                                      double *__restrict value) {
    // A world point's place on the padded image, in pixels: pixel centres at whole numbers.
    const double per_pixel = width / (xmax + xmax);
    const double x0 = width / 2 + IterativeImage::border(), y0 = height / 2 + IterativeImage::border();
    for (int l = lo; l < hi; l++) {
        const double gx = (tc - ss[l]) * per_pixel + x0;
        const double gy = y0 - (ts + sc[l]) * per_pixel;
        const int ix = (int)gx, iy = (int)gy; // both positive: truncation is the floor
        const double fx = gx - ix, fy = gy - iy;
        const int at = iy * stride + ix;
        value[l] = (1 - fy) * ((1 - fx) * image[at] + fx * image[at + 1]) +
                   fy * ((1 - fx) * image[at + stride] + fx * image[at + stride + 1]);
    }
}

// The rays ip0 .. ip0 + G - 1 of angle iw (rays past Np repeat ray Np):
// their samples read, then summed along each ray in order, the rays in step.
template <int G>
static void projectGroup(const double *image, int stride, int iw, int ip0, double q[G]) {
    const double c = cn[iw], s = sn[iw];
    int lo, hi;
    samplesInDisc(ip0 * dp - xmax, std::min(ip0 + G - 1, Np) * dp - xmax, &lo, &hi);
    // The products of the samples' places along the rays with sin and cos;
    // kept from call to call, as ART projects its rays one at a time.
    thread_local std::vector<double> ss, sc, value;
    ss.resize(Nl);
    sc.resize(Nl);
    value.resize((size_t)G * Nl);
    for (int l = lo; l < hi; l++) {
        const double sl = -ymax + (l + 0.5) * dl;
        ss[l] = sl * s;
        sc[l] = sl * c;
    }
    for (int k = 0; k < G; k++) {
        const double t = std::min(ip0 + k, Np) * dp - xmax;
        readSamples(image, stride, t * c, t * s, ss.data(), sc.data(), lo, hi, &value[(size_t)k * Nl]);
    }
    double sum[G] = {};
    for (int l = lo; l < hi; l++)
        for (int k = 0; k < G; k++) sum[k] = sum[k] + value[(size_t)k * Nl + l];
    for (int k = 0; k < G; k++) q[k] = sum[k] * dl;
}

// Rays in groups of this many.
const int kRays = 8;

void projectRays(const IterativeImage &u, int iw, int first, int end, double *q) {
    int ip = first;
    for (; ip + kRays <= end; ip += kRays) projectGroup<kRays>(u.values.data(), u.stride, iw, ip, &q[ip - first]);
    for (; ip < end; ip++) projectGroup<1>(u.values.data(), u.stride, iw, ip, &q[ip - first]);
}

// Work split into this many pieces for the two threads.
const int kPieces = 16;

// All rays of angle iw, q[0..Np], on two threads; each ray is computed whole by one.
static void projectAngle(const IterativeImage &u, int iw, double *q) {
    const int groups = (Np + 1 + kRays - 1) / kRays;
    computeRowsInOrder(
        kPieces,
        [&](int piece) {
            const int first = std::min(Np + 1, groups * piece / kPieces * kRays);
            const int end = std::min(Np + 1, groups * (piece + 1) / kPieces * kRays);
            projectRays(u, iw, first, end, &q[first]);
        },
        [](int) {});
}

const double *rayLengths(int iw) {
    static std::vector<double> lengths;
    static int for_Nw = 0, for_Np = 0;
    if (for_Nw != Nw || for_Np != Np) {
        IterativeImage one;
        for (int iy = 0; iy < height; iy++)
            for (int ix = discRuns()[iy].first; ix < discRuns()[iy].end; ix++) one.row(iy)[ix] = 1.0;
        lengths.assign((size_t)(Nw + 1) * (Np + 1), 0.0);
        computeRowsInOrder(
            Nw + 1, [&](int jw) { projectRays(one, jw, 0, Np + 1, &lengths[(size_t)jw * (Np + 1)]); }, [](int) {});
        for_Nw = Nw;
        for_Np = Np;
    }
    return &lengths[(size_t)iw * (Np + 1)];
}

// ---------------------------------------------------------------- smearing back

// Pixels first..end-1 of a row at height y get their share of r, kept at 0 or above.
VECTOR_CLONES static void smearRow(int iw, double *__restrict u, int first, int end, const double *__restrict xs,
                                   double y, const double *__restrict r) {
    for (int ix = first; ix < end; ix++) {
        const double p = detectorPosition(iw, xs[ix], y);
        const int k = (int)p;
        const double f = p - k;
        const double share = (1 - f) * r[k] + f * r[k + 1];
        u[ix] = std::max(0.0, u[ix] + lambda * share);
    }
}

void sartUpdate(IterativeImage &u, int iw) {
    std::vector<double> q(Np + 1), r(Np + 1);
    projectAngle(u, iw, q.data());
    const double *L = rayLengths(iw);
    for (int ip = 0; ip <= Np; ip++) r[ip] = L[ip] > kShortRay ? (rdn[iw][ip] - q[ip]) / L[ip] : 0;
    std::vector<double> xs(width);
    for (int ix = 0; ix < width; ix++) xs[ix] = pixelX(ix);
    const std::vector<DiscRun> &runs = discRuns();
    computeRowsInOrder(
        kPieces,
        [&](int piece) {
            for (int iy = height * piece / kPieces; iy < height * (piece + 1) / kPieces; iy++)
                smearRow(iw, u.row(iy), runs[iy].first, runs[iy].end, xs.data(), pixelY(iy), r.data());
        },
        [](int) {});
}

// ---------------------------------------------------------------- SART

int spreadStep(int n) {
    int best = 1;
    for (int S = 2; S < n; S++)
        if (std::gcd(S, n) == 1 && fabs(S - 0.382 * n) < fabs(best - 0.382 * n)) best = S;
    return best;
}

std::vector<int> spreadOrder(void) {
    std::vector<int> order;
    const int S = spreadStep(Nw);
    for (int k = 0; k < Nw; k++) {
        const int iw = (int)((long long)k * S % Nw);
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
static SartState sart;

std::vector<double> sartErrors(void) { return sart.scan == currentScan() ? sart.errors : std::vector<double>{}; }

void sartIteration(void) {
    if (!have_rdn) getRadon();
    if (sart.scan != currentScan()) sart = {.scan = currentScan(), .image = IterativeImage(), .errors = {}};
    const std::vector<int> order = spreadOrder();
    // About two seconds an iteration in the window.
    const double hold = std::min(0.05, 2.0 / Nw);
    SetDoubleBuffer(1);
    for (size_t k = 0; k < order.size(); k++) {
        sartUpdate(sart.image, order[k]);
        // In batch mode only the final picture.
        if (batch_mode && k + 1 < order.size()) continue;
        drawReconstruction(sart.image.result());
        teachingPause(hold);
    }
    SetDoubleBuffer(0);
    last_reconstruction = sart.image.result();
    sart.errors.push_back(rmsError(last_reconstruction));
    char status[100];
    std::snprintf(status, sizeof status, "SART iteration %d: RMS error %.4f", (int)sart.errors.size(),
                  sart.errors.back());
    Pause(status, 0);
}
