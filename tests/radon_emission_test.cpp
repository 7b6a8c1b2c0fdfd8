// Emission tomography: the counts, the refusals of the X-ray settings, the
// attenuation and its correction, MLEM's matched projector pair, its
// likelihood, and OSEM.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "radon_test_canvas.h"

namespace {

struct Emission : DefaultSettings {
    void TearDown() override {
        current_imaging = &imaging_choices[0];
        current_subsets = &subsets_choices[0];
        current_scanner = &scanner_choices[0];
        DefaultSettings::TearDown();
    }
};

// The mean of the last reconstruction over the pixels whose distance from
// (0, 0.1), Disk0's centre, lies in [r0, r1).
double ringMean(double r0, double r1) {
    double sum = 0;
    int n = 0;
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            const double x = 6.0 * (ix - 200) / 400, y = 6.0 * (200 - iy) / 400 - 0.1, r = std::sqrt(x * x + y * y);
            if (r < r0 || r >= r1) continue;
            sum += last_reconstruction.value[(size_t)iy * width + ix];
            n++;
        }
    }
    return sum / n;
}

TEST_F(Emission, CountsAddUpToTheChosenTotalAndRepeatWithTheSeed) {
    for (const ImagingChoice &choice : imaging_choices) {
        if (!choice.counts) continue;
        actionfunc(choice.id);
        measureSinogram(0);
        const double N = choice.counts;
        EXPECT_NEAR(emission.total, N, 5 * std::sqrt(N)) << choice.label;
        double sum = 0;
        for (int iw = 0; iw <= Nw; iw++) {
            for (int ip = 0; ip <= Np; ip++) {
                const double y = emission.rows[iw][ip];
                ASSERT_EQ(y, std::floor(y));
                // The half-turn's last row is its first, mirrored, and counts nothing more.
                if (iw < Nw) sum += y;
                else ASSERT_EQ(y, emission.rows[0][Np - ip]);
                // The sinogram holds the corrected line integrals.
                const double w = emission.weights[(size_t)iw * (Np + 1) + ip];
                ASSERT_EQ(rdn[iw][ip], w > 0 ? y / w : 0.0);
            }
        }
        EXPECT_EQ(sum, emission.total);
    }
    // The same seed and scan: the same counts; another seed: others.
    actionfunc(3703);
    measureSinogram(0);
    const std::vector<double> first = emission.counts;
    measureSinogram(0);
    EXPECT_EQ(emission.counts, first);
    noise_seed = 2;
    measureSinogram(0);
    noise_seed = 1;
    EXPECT_NE(emission.counts, first);
}

TEST_F(Emission, XraySettingsRefuseAndChangeNothing) {
    actionfunc(3702);
    actionfunc('r');
    const uint64_t scan = currentScan();
    for (int key : {(int)'n', (int)'g', (int)'b', (int)'m', 3104}) actionfunc(key);
    EXPECT_EQ(current_noise, &noise_choices[0]);
    EXPECT_EQ(current_detector, &detector_choices[0]);
    EXPECT_EQ(current_beam, &beam_choices[0]);
    EXPECT_FALSE(metal_insert);
    EXPECT_EQ(currentScan(), scan);
    // The imaging entry itself makes a fresh scan.
    actionfunc(3701);
    EXPECT_EQ(currentScan(), 0u);
}

TEST_F(Emission, AttenuationDarkensTheCentreAndItsCorrectionFlattensIt) {
    selectObject(head1); // a uniform disk
    actionfunc(3704);
    actionfunc('R');
    const double centre = ringMean(0, 0.3), rim = ringMean(0.6, 0.85);
    EXPECT_LT(centre, 0.8 * rim);
    actionfunc(3705);
    actionfunc('R');
    EXPECT_NEAR(ringMean(0, 0.3), 0.8, 0.03);
    EXPECT_NEAR(ringMean(0.6, 0.85), 0.8, 0.03);
}

// <A u, r> = <u, A^T r> for the pixel-driven pair, parallel and fan.
TEST_F(Emission, TheSmearingIsTheTransposeOfTheProjection) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0, 1);
    for (int scanner : {0, 1}) {
        current_scanner = &scanner_choices[scanner];
        IterativeImage u;
        for (int iy = 0; iy < height; iy++)
            for (int ix = discRuns()[iy].first; ix < discRuns()[iy].end; ix++) u.row(iy)[ix] = uniform(random);
        for (int iw : {0, 7, 23}) {
            std::vector<double> q(Np + 1), r(Np + 1);
            for (double &v : r) v = uniform(random);
            projectPixels(u, iw, q.data());
            IterativeImage back;
            for (int iy = 0; iy < height; iy++) smearPixels(iw, iy, r.data(), back.row(iy));
            double left = 0, right = 0;
            for (int ip = 0; ip <= Np; ip++) left += q[ip] * r[ip];
            for (int iy = 0; iy < height; iy++)
                for (int ix = 0; ix < width; ix++) right += u.row(iy)[ix] * back.row(iy)[ix];
            EXPECT_NEAR(left, right, 1e-12 * std::fabs(left)) << scanner << " " << iw;
            // A uniform picture projects to the rays' lengths in the disc.
            IterativeImage one;
            for (int iy = 0; iy < height; iy++)
                for (int ix = discRuns()[iy].first; ix < discRuns()[iy].end; ix++) one.row(iy)[ix] = 1.0;
            projectPixels(one, iw, q.data());
            if (!scanner) {
                EXPECT_NEAR(q[Np / 2], 6.0, 0.1);
            }
        }
    }
}

TEST_F(Emission, MlemNeverLowersTheLikelihoodAndStaysPositive) {
    actionfunc(3703); // 10^5 counts: much noise
    measureSinogram(0);
    IterativeImage u = uniformStart();
    const IterativeImage sensitivity = subsetSensitivity(0, 1);
    double before = logLikelihood(u);
    for (int k = 0; k < 20; k++) {
        emissionUpdate(u, 0, 1, sensitivity);
        const double after = logLikelihood(u);
        EXPECT_GE(after, before) << k;
        before = after;
    }
    EXPECT_GE(*std::min_element(u.values.begin(), u.values.end()), 0.0);
}

TEST_F(Emission, TheCommandIsThePlainUpdateAndOneSubsetIsMlem) {
    actionfunc(3702);
    actionfunc('U'); // 2 subsets, then back to 1
    actionfunc(3710);
    for (int k = 0; k < 3; k++) actionfunc('L');
    ASSERT_EQ(emissionErrors().size(), 3u);
    IterativeImage u = uniformStart();
    const IterativeImage sensitivity = subsetSensitivity(0, 1);
    for (int k = 0; k < 3; k++) emissionUpdate(u, 0, 1, sensitivity);
    const Reconstruction mine = u.result();
    EXPECT_EQ(mine.value, last_reconstruction.value); // to the bit
    EXPECT_EQ(rmsError(mine), emissionErrors()[2]);
}

TEST_F(Emission, OsemSubsetsInterleaveAndTenInTwoReachMlemInTwenty) {
    const std::vector<int> views = subsetViews(3, 10);
    ASSERT_EQ(views.size(), 6u); // of 60 angles
    for (size_t k = 0; k < views.size(); k++) EXPECT_EQ(views[k], 3 + 10 * (int)k);
    actionfunc(3702);
    for (int k = 0; k < 20; k++) actionfunc('L');
    const double mlem = emissionErrors().back();
    actionfunc(3713);
    EXPECT_TRUE(emissionErrors().empty());
    actionfunc('L');
    actionfunc('L');
    const double osem = emissionErrors().back();
    EXPECT_NEAR(osem, mlem, 0.1 * mlem);
    // The plot shows these iterations, not SART's, and adds none.
    actionfunc('E');
    EXPECT_EQ(emissionErrors().size(), 2u);
    EXPECT_TRUE(sartErrors().empty());
    // 'L' outside emission reconstructs nothing.
    actionfunc(3700);
    actionfunc('L');
    EXPECT_TRUE(emissionErrors().empty());
}

} // namespace
