// Emission reconstruction by maximum likelihood: MLEM, and OSEM, which
// updates after each subset of the views. Both use a projection and its
// exact transpose, so that no iteration of MLEM can lower the likelihood.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "parallel_rows.h"
#include "reconstruct/reconstruct.h"
#include "scan/poisson.h"
#include "scan/scan.h"

static const SubsetsChoice subsets_table[] = {
    {.label = "1 subset (MLEM)", .id = 3710, .subsets = 1},
    {.label = "2 subsets", .id = 3711, .subsets = 2},
    {.label = "5 subsets", .id = 3712, .subsets = 5},
    {.label = "10 subsets", .id = 3713, .subsets = 10},
};
const std::span<const SubsetsChoice> subsets_choices = subsets_table;
const SubsetsChoice *current_subsets = &subsets_table[0];

std::vector<int> subsetViews(int m, int S) {
    const int n = current_scanner->fan ? fanViews(current_scanner) : Nw;
    std::vector<int> views;
    for (int iw = m; iw < n; iw += S)
        if (viewMeasured(iw)) views.push_back(iw);
    return views;
}

// The projection of u along every ray of `views`, [k * (Np + 1) + ip]:
// views on two threads, each computed whole by one.
static std::vector<double> projectViews(const IterativeImage &u, const std::vector<int> &views) {
    std::vector<double> q(views.size() * (Np + 1));
    computeRowsInOrder((int)views.size(), [&](int k) { projectPixels(u, views[k], &q[(size_t)k * (Np + 1)]); },
                       [](int) {});
    return q;
}

// The transpose of that projection for the rays' values r: image rows on
// two threads, each pixel summing the views in order. 0 outside the disc.
static IterativeImage spreadViews(const std::vector<int> &views, const std::vector<double> &r) {
    IterativeImage sum;
    computeRowsInOrder(
        height,
        [&](int iy) {
            for (size_t k = 0; k < views.size(); k++) smearPixels(views[k], iy, &r[k * (Np + 1)], sum.row(iy));
        },
        [](int) {});
    return sum;
}

// The emission data of ray ip of view iw.
static double countOf(int iw, int ip) { return emission.counts[(size_t)iw * (Np + 1) + ip]; }
static double weightOf(int iw, int ip) { return emission.weights[(size_t)iw * (Np + 1) + ip]; }

IterativeImage subsetSensitivity(int m, int S) {
    const std::vector<int> views = subsetViews(m, S);
    std::vector<double> w(views.size() * (Np + 1));
    for (size_t k = 0; k < views.size(); k++)
        for (int ip = 0; ip <= Np; ip++) w[k * (Np + 1) + ip] = weightOf(views[k], ip);
    return spreadViews(views, w);
}

IterativeImage uniformStart(void) {
    IterativeImage u;
    for (int iy = 0; iy < height; iy++)
        for (int ix = discRuns()[iy].first; ix < discRuns()[iy].end; ix++) u.row(iy)[ix] = 1.0;
    const std::vector<int> views = subsetViews(0, 1);
    const std::vector<double> q = projectViews(u, views);
    double counts = 0, expected = 0;
    for (size_t k = 0; k < views.size(); k++) {
        for (int ip = 0; ip <= Np; ip++) {
            counts = counts + countOf(views[k], ip);
            expected = expected + weightOf(views[k], ip) * q[k * (Np + 1) + ip];
        }
    }
    const double value = expected > 0 ? counts / expected : 0;
    for (int iy = 0; iy < height; iy++)
        for (int ix = discRuns()[iy].first; ix < discRuns()[iy].end; ix++) u.row(iy)[ix] = value;
    return u;
}

// The update with the projection q of u along the subset's views already made.
static void updateWith(IterativeImage &u, const std::vector<int> &views, const std::vector<double> &q,
                       const IterativeImage &sensitivity) {
    // w y / (w Au) = y / Au; a ray that counted nothing adds nothing.
    std::vector<double> ratio(q.size(), 0.0);
    for (size_t k = 0; k < views.size(); k++) {
        for (int ip = 0; ip <= Np; ip++) {
            const size_t i = k * (Np + 1) + ip;
            const double y = countOf(views[k], ip);
            if (y > 0 && q[i] > 0) ratio[i] = y / q[i];
        }
    }
    // Row by row the smeared ratios and at once the update, on two threads:
    // the projection that read u is done.
    computeRowsInOrder(
        height,
        [&](int iy) {
            std::vector<double> b(width, 0.0);
            for (size_t k = 0; k < views.size(); k++) smearPixels(views[k], iy, &ratio[k * (Np + 1)], b.data());
            double *value = u.row(iy);
            const double *sens = sensitivity.row(iy);
            for (int ix = discRuns()[iy].first; ix < discRuns()[iy].end; ix++)
                value[ix] = sens[ix] > 0 ? value[ix] * b[ix] / sens[ix] : 0.0;
        },
        [](int) {});
}

void emissionUpdate(IterativeImage &u, int m, int S, const IterativeImage &sensitivity) {
    const std::vector<int> views = subsetViews(m, S);
    updateWith(u, views, projectViews(u, views), sensitivity);
}

// The log-likelihood from the projection q of the picture along all measured views.
static double likelihoodOf(const std::vector<int> &views, const std::vector<double> &q) {
    double sum = 0;
    for (size_t k = 0; k < views.size(); k++) {
        for (int ip = 0; ip <= Np; ip++) {
            const double mean = weightOf(views[k], ip) * q[k * (Np + 1) + ip], y = countOf(views[k], ip);
            if (y > 0) sum = sum + y * portableLog(mean);
            sum = sum - mean;
        }
    }
    return sum;
}

double logLikelihood(const IterativeImage &u) {
    const std::vector<int> views = subsetViews(0, 1);
    return likelihoodOf(views, projectViews(u, views));
}

// The picture being iterated, what it belongs to, each subset's
// sensitivity, and the RMS error after each iteration. With one subset the
// projection of the picture made for the likelihood serves the next update.
struct EmissionState {
    uint64_t scan = 0;
    const SubsetsChoice *subsets = nullptr;
    IterativeImage image;
    std::vector<IterativeImage> sensitivity;
    std::vector<double> projection;
    std::vector<double> errors;
};

// Made at the first use: a program that never iterates holds no image.
static EmissionState &emissionState(void) {
    static EmissionState state;
    return state;
}

void forgetEmissionIterations(void) { emissionState() = EmissionState(); }

std::vector<double> emissionErrors(void) {
    const EmissionState &state = emissionState();
    const bool current = state.scan == currentScan() && state.subsets == current_subsets;
    return current ? state.errors : std::vector<double>{};
}

void emissionIteration(void) {
    if (!emissionImaging()) {
        Pause("MLEM reconstructs emission: Lab > Imaging", 0);
        return;
    }
    if (!have_rdn) getRadon();
    EmissionState &state = emissionState();
    const int S = current_subsets->subsets;
    if (state.scan != currentScan() || state.subsets != current_subsets) {
        state = {.scan = currentScan(), .subsets = current_subsets, .image = uniformStart(), .sensitivity = {},
                 .projection = {}, .errors = {}};
        for (int m = 0; m < S; m++) state.sensitivity.push_back(subsetSensitivity(m, S));
    }
    const int iteration = (int)state.errors.size() + 1;
    char status[100];
    SetDoubleBuffer(1);
    for (int m = 0; m < S; m++) {
        const std::vector<int> views = subsetViews(m, S);
        if (state.projection.empty()) updateWith(state.image, views, projectViews(state.image, views), state.sensitivity[m]);
        else updateWith(state.image, views, state.projection, state.sensitivity[m]);
        state.projection.clear();
        if (batch_mode) continue;
        // The picture after each subset (in batch mode only the last).
        drawReconstruction(state.image.result());
        if (S == 1) continue;
        std::snprintf(status, sizeof status, "OSEM iteration %d (%d subsets): subset %d of %d", iteration, S, m + 1, S);
        showProgress(status);
        teachingPause(0.3);
    }
    if (batch_mode) drawReconstruction(state.image.result());
    SetDoubleBuffer(0);
    last_reconstruction = state.image.result();
    state.errors.push_back(rmsError(last_reconstruction));
    if (S == 1) {
        const std::vector<int> views = subsetViews(0, 1);
        state.projection = projectViews(state.image, views);
        std::snprintf(status, sizeof status, "MLEM iteration %d: log-likelihood %.6g", iteration,
                      likelihoodOf(views, state.projection));
    } else {
        std::snprintf(status, sizeof status, "OSEM iteration %d (%d subsets): subset %d of %d", iteration, S, S, S);
    }
    Pause(status, 0);
}
