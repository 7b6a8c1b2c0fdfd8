// The fan-beam scanner: its geometry, Parker's weights, the fan kernel, the
// reconstruction and the rebinning to parallel rays.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <vector>

#include "radon_test_canvas.h"
#include "window_map.h"

namespace {

const double pi = 3.141592653589793;

// A disk of radius 1 about the centre, so that every parallel projection is the same.
double centredDisk(double x, double y) { return x * x + y * y < 1 ? 1.0 : 0.0; }

struct Fan : DefaultSettings {
    void TearDown() override {
        current_scanner = &scanner_choices[0];
        DefaultSettings::TearDown();
    }
};

TEST_F(Fan, ViewsOfTheScansOnEveryGrid) {
    const int short_views[] = {41, 81, 135, 268};
    for (size_t g = 0; g < grid_choices.size(); g++) {
        initRadon(grid_choices[g].N_w, grid_choices[g].N_p);
        EXPECT_EQ(fanViews(&scanner_choices[2]), short_views[g]) << Nw;
        EXPECT_EQ(fanViews(&scanner_choices[1]), 2 * Nw);
        // The short scan reaches 180 degrees plus the fan angle.
        EXPECT_GE((short_views[g] - 1) * dw, pi + 2 * fanHalfAngle() - 1e-12);
    }
}

TEST_F(Fan, ParkerWeightsOfARayAndItsConjugateAddUpToOne) {
    const double delta = fanHalfAngle();
    for (double gamma = -0.95 * delta; gamma < delta; gamma += delta / 7) {
        for (double beta = 0; beta <= pi + 2 * delta; beta += 0.01) {
            double conjugate = beta + pi - 2 * gamma;
            if (conjugate >= 2 * pi) conjugate -= 2 * pi;
            EXPECT_NEAR(parkerWeight(beta, gamma) + parkerWeight(conjugate, -gamma), 1, 1e-12) << beta << " " << gamma;
        }
    }
}

TEST_F(Fan, ARayIsTheParallelTransformsRayOfItsThetaAndT) {
    current_scanner = &scanner_choices[1];
    getRadon();
    for (int k : {0, 17, 119}) {
        for (int j : {3, 64, 100}) {
            // The parallel transform's sum along its ray, written out.
            const double gamma = fanAngle(j), theta = k * dw - gamma;
            const double c = cos(theta), s = sin(theta), xp = kSourceRadius * sin(gamma), yp = -ymax;
            const double x0 = xp * c - yp * s, y0 = xp * s + yp * c, x1 = xp * c + yp * s, y1 = xp * s - yp * c;
            double sum = 0;
            for (int il = Nl / 20; il < (19 * Nl) / 20; il++)
                sum = sum + head(x0 + (x1 - x0) * il / Nl, y0 + (y1 - y0) * il / Nl);
            EXPECT_EQ(rdn[k][j], sum * dl) << k << " " << j;
        }
    }
}

TEST_F(Fan, KernelAtTheCentreAndItsNeighbours) {
    // Shepp-Logan's weight: (4/pi) / dgamma at 0, a third of it, negative, at 1.
    const double dgamma = (pi / 3) / Np;
    EXPECT_NEAR(fanKernel(0), 0.5 * (4 / pi) / dgamma, 1e-9);
    const double ratio = dgamma / sin(dgamma);
    for (int n : {-1, 1}) EXPECT_NEAR(fanKernel(n), -0.5 * ratio * ratio * (4 / pi) / dgamma / 3, 1e-9);
}

TEST_F(Fan, FullTurnOfACentredDiskIsFlatInside) {
    head = centredDisk;
    current_scanner = &scanner_choices[1];
    reconstruct();
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            const double x = pixelX(ix), y = pixelY(iy);
            if (x * x + y * y > 0.8 * 0.8) continue;
            const double v = last_reconstruction.value[(size_t)iy * width + ix];
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    // Within 5% of 1 on the 60 x 128 grid: the ringing of the disk's edge.
    EXPECT_GT(low, 0.95);
    EXPECT_LT(high, 1.05);
}

// Without a window the scan ends on the picture the window ends on, so that
// a lesson's step looks the same in the window, after going back and in the handout.
TEST_F(Fan, ScanWithoutAWindowLeavesItsLastFrame) {
    current_scanner = &scanner_choices[1];
    drawHead();
    std::vector<uint32_t> before;
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) before.push_back(GetBackPixel(ix, iy));
    getRadon();
    int changed = 0;
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) changed += GetBackPixel(ix, iy) != before[(size_t)iy * width + ix];
    EXPECT_GT(changed, width * height / 4);
}

TEST_F(Fan, HeadErrorsOfTheThreeFanScanners) {
    // Near 0.068, 0.076 and 0.27: without weights the rays measured twice count twice.
    const double most[] = {0.072, 0.08, 1}, least[] = {0.064, 0.072, 0.2};
    for (int s = 1; s <= 3; s++) {
        current_scanner = &scanner_choices[s];
        have_rdn = 0;
        reconstruct();
        const double rms = rmsError(last_reconstruction);
        EXPECT_LT(rms, most[s - 1]);
        EXPECT_GT(rms, least[s - 1]);
    }
}

TEST_F(Fan, RebinningACentredDiskGivesRowsThatAgree) {
    head = centredDisk;
    getRadon();
    std::vector<double> parallel;
    for (int iw = 0; iw <= Nw; iw++) parallel.insert(parallel.end(), rdn[iw], rdn[iw] + Np + 1);
    for (int s : {1, 2}) {
        current_scanner = &scanner_choices[s];
        getRadon();
        const std::vector<double> rebinned = rebinToParallel(current_scanner, rdn);
        double worst_row = 0, worst_parallel = 0;
        for (int iw = 0; iw <= Nw; iw++) {
            for (int ip = 0; ip <= Np; ip++) {
                const double v = rebinned[(size_t)iw * (Np + 1) + ip];
                worst_row = std::max(worst_row, fabs(v - rebinned[ip]));
                worst_parallel = std::max(worst_parallel, fabs(v - parallel[(size_t)iw * (Np + 1) + ip]));
            }
        }
        // Every view of a centred disk is the same; beside the parallel
        // scan, the chords differ by their samples' places along the rays.
        EXPECT_LT(worst_row, 1e-3);
        EXPECT_LT(worst_parallel, 0.04);
    }
}

} // namespace
