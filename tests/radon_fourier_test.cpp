// The Fourier slice demonstration: the projections' spectra, the theorem as
// the program computes it, the slice rule of the direct reconstruction and
// its error.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "radon_test_canvas.h"

namespace {

const double pi = 3.141592653589793;

double centredDisc(double x, double y) { return x * x + y * y < 1 ? 1.0 : 0.0; }

struct Fourier : ::testing::Test {
    void SetUp() override {
        ensureTestCanvas();
        batch_mode = 1;
        SetDoubleBuffer(0);
        initRadon(60, 128);
        head = head0;
    }
    void TearDown() override {
        head = head0;
        current_views = &views_choices[0];
        have_rdn = have_fbp = 0;
    }
};

TEST_F(Fourier, SpectrumOfAnImpulseIsDpTimesItsPhase) {
    const int K = Np / 2;
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = 0;
    rdn[3][K] = 1;     // at the detector's centre: flat
    rdn[7][K + 1] = 1; // one sample on: exp(-2 pi i m / Np)
    takeHandWrittenSinograms(false);
    const Spectrum P = projectionSpectra();
    for (int m = -K; m < K; m++) {
        const size_t i = frequencyIndex(m);
        EXPECT_NEAR(P.re[3 * Np + i], dp, 1e-15) << m;
        EXPECT_NEAR(P.im[3 * Np + i], 0, 1e-15) << m;
        EXPECT_NEAR(P.re[7 * Np + i], dp * cos(2 * pi * m / Np), 1e-15) << m;
        EXPECT_NEAR(P.im[7 * Np + i], -dp * sin(2 * pi * m / Np), 1e-15) << m;
        EXPECT_EQ(P.re[5 * Np + i], 0) << m;
    }
}

// The theorem: every projection's spectrum is the object's 2-D spectrum
// along the line at its angle; the slices at 0 and 90 degrees lie on the
// axes. A centred disc's spectrum is real and the same in every direction;
// the phantom's is neither, so axes or signs mixed up show. The scan
// integrates along rays and the 2-D spectrum sums the sampled object: they
// agree within 0.5 % of the spectrum at 0.
TEST_F(Fourier, SlicesLieOnTheObjectsSpectrum) {
    for (Object object : {centredDisc, head0}) {
        head = object;
        getRadon();
        const Spectrum P = projectionSpectra(), F = objectSpectrum();
        const double tolerance = 0.005 * F.re[0];
        for (int m : {0, 1, 3, 6, -10}) {
            const size_t on_x = frequencyIndex(m), on_y = (size_t)frequencyIndex(m) * Np;
            for (auto [iw, f] : {std::pair{0, on_x}, std::pair{30, on_y}}) {
                const size_t p = (size_t)iw * Np + frequencyIndex(m);
                EXPECT_NEAR(P.re[p], F.re[f], tolerance) << iw << " " << m;
                EXPECT_NEAR(P.im[p], F.im[f], tolerance) << iw << " " << m;
            }
            if (object != centredDisc) continue;
            for (int iw : {15, 50}) EXPECT_NEAR(P.re[(size_t)iw * Np + on_x], F.re[on_x], tolerance) << iw << " " << m;
        }
    }
    // The disc's spectrum at 0 is its area; the continuous spectrum
    // J1(2 pi nu) / nu at nu = m / (Np dp) = 0.5 is 0.569.
    head = centredDisc;
    const Spectrum F = objectSpectrum();
    EXPECT_NEAR(F.re[0], pi, 0.01);
    EXPECT_NEAR(F.re[frequencyIndex(3)], 0.569, 0.01);
}

TEST_F(Fourier, FrequenciesTakeTheNearestSliceAndTheirSideOfIt) {
    auto expectSlice = [](double phi, int iw, int sign) {
        const SliceSide side = sliceAt(phi);
        EXPECT_EQ(side.iw, iw) << phi;
        EXPECT_EQ(side.sign, sign) << phi;
    };
    expectSlice(0, 0, 1);
    expectSlice(pi / 2, 30, 1);
    expectSlice(-pi / 2, 30, -1);
    expectSlice(pi - dw, 59, 1);
    expectSlice(pi - 1e-9, 0, -1);  // nearer the half-turn: the first slice's negative side
    expectSlice(-1e-9, 0, 1);        // just below the positive x axis
    expectSlice(-pi + 1e-9, 0, -1);  // just below the negative x axis
    // Views left out: the nearest measured slice, the lower on a tie.
    current_views = &views_choices[1]; // every 2nd
    expectSlice(dw, 0, 1);
    expectSlice(2.9 * dw, 2, 1);
    current_views = &views_choices[3]; // every 8th: 0..56, then 60 as 0
    expectSlice(58 * dw, 56, 1);
    expectSlice(58.5 * dw, 0, -1);
    // A limited angle leaves its missing wedge empty.
    current_views = &views_choices[5]; // 0 to 90 degrees
    expectSlice(30.4 * dw, 30, 1);
    expectSlice(31 * dw, -1, 1);
    expectSlice(59.6 * dw, 0, -1);
}

// The direct reconstruction of the phantom is the last reconstruction,
// within twice the error of filtered back-projection, and far below the
// error of the unfiltered back-projection.
TEST_F(Fourier, DirectReconstructionIsTheLastAndNearTheObject) {
    reconstruct();
    const double filtered = rmsError(last_reconstruction);

    testing::internal::CaptureStdout();
    fourierSlice();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(reconstructionIsCurrent());
    EXPECT_EQ(last_reconstruction.source.filter, nullptr);
    const double direct = rmsError(last_reconstruction);
    char status[100];
    std::snprintf(status, sizeof status, "Direct Fourier reconstruction: RMS error %.4f\n", direct);
    EXPECT_NE(out.find("Fourier slices of every projection."), std::string::npos);
    EXPECT_TRUE(out.ends_with(status)) << out.substr(out.size() - 100);

    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) fbp[iw][ip] = rdn[iw][ip];
    drawBackProjection();
    const double raw = rmsError(last_reconstruction);
    EXPECT_LT(direct, 2 * filtered);
    EXPECT_LT(direct, raw);

    // Every 2nd view: the measured slices fill the plane nearly as well.
    current_views = &views_choices[1];
    getRadon();
    testing::internal::CaptureStdout();
    fourierSlice();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Fourier slices of every measured projection."),
              std::string::npos);
    EXPECT_LT(rmsError(last_reconstruction), 1.1 * direct);
}

// The finer grid must not come back worse for any object. The boxes' edges
// fall on pixel centres: the nearest grid point put them inside the box, and
// reading the 200 x 512 grid at the pixel centres aliased its finest ripples.
TEST_F(Fourier, EveryObjectComesBackAtLeastAsWellOnTheFinerGrid) {
    for (Object object : {head0, head1, head2, head3, head4}) {
        head = object;
        double rms[2];
        for (int fine = 0; fine < 2; fine++) {
            initRadon(fine ? 200 : 60, fine ? 512 : 128);
            getRadon();
            testing::internal::CaptureStdout();
            showDirectFourier(projectionSpectra());
            testing::internal::GetCapturedStdout();
            rms[fine] = rmsError(last_reconstruction);
        }
        EXPECT_LE(rms[1], rms[0]);
    }
}

} // namespace
