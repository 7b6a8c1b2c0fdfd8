// The imperfect scanner: views left out, a weak detector, the polychromatic
// beam and the metal insert.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "radon_test_canvas.h"
#include "scan/objects.h"
#include "scan/poisson.h"
#include "scan/ray.h"
#include "window_map.h"

namespace {

struct Measurement : ::testing::Test {
    void SetUp() override {
        ensureTestCanvas();
        SetDoubleBuffer(0);
        initRadon(60, 128);
        head = head0;
    }
    void TearDown() override {
        current_views = &views_choices[0];
        current_detector = &detector_choices[0];
        current_beam = &beam_choices[0];
        current_noise = &noise_choices[0];
        metal_insert = false;
        head = head0;
    }
};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<double> sinogram() {
    std::vector<double> out;
    for (int iw = 0; iw <= Nw; iw++) out.insert(out.end(), rdn[iw], rdn[iw] + Np + 1);
    return out;
}

TEST_F(Measurement, ViewsMeasureEveryStepthRowUpToTheirAngle) {
    // For each entry on 30 and 60 angles: how many rows are measured, the last one.
    const int expected[2][6][2] = {
        {{31, 30}, {16, 30}, {8, 28}, {4, 24}, {23, 22}, {16, 15}},
        {{61, 60}, {31, 60}, {16, 60}, {8, 56}, {46, 45}, {31, 30}},
    };
    for (int grid = 0; grid < 2; grid++) {
        initRadon(30 * (grid + 1), 64);
        for (size_t v = 0; v < views_choices.size(); v++) {
            current_views = &views_choices[v];
            int count = 0, last = -current_views->step;
            for (int iw = 0; iw <= Nw; iw++) {
                if (!viewMeasured(iw)) continue;
                EXPECT_EQ(iw % current_views->step, 0) << current_views->label;
                EXPECT_EQ(iw, last + current_views->step) << current_views->label; // none skipped
                count++;
                last = iw;
            }
            EXPECT_EQ(count, expected[grid][v][0]) << Nw << " " << current_views->label;
            EXPECT_EQ(last, expected[grid][v][1]) << Nw << " " << current_views->label;
        }
    }
}

TEST_F(Measurement, RowsLeftOutHoldZeroAndSparseViewsCountStepAngles) {
    initRadon(30, 64);
    getRadon();
    const std::vector<double> all = sinogram();
    current_views = &views_choices[2]; // every 4th
    for (void (*scan)(void) : {getRadon, showIntegral}) {
        scan();
        int differ = 0;
        for (int iw = 0; iw <= Nw; iw++)
            for (int ip = 0; ip <= Np; ip++)
                differ += !sameBits(rdn[iw][ip], iw % 4 ? 0.0 : all[(size_t)iw * (Np + 1) + ip]);
        EXPECT_EQ(differ, 0);
    }
    // A filtered sinogram of ones: every measured angle below Nw adds 1, times
    // the angle it stands for. Sparse views sum to pi as all do (30 dw), also
    // when the step does not divide 30 (8 x 3.75 dw); a limited angle is not
    // compensated.
    for (int iw = 0; iw <= Nw; iw++) std::fill(fbp[iw], fbp[iw] + Np + 1, 1.0);
    std::vector<char> in(width);
    std::vector<double> fn(width);
    const int expected[] = {30, 30, 30, 30, 23, 16};
    for (size_t v = 0; v < views_choices.size(); v++) {
        current_views = &views_choices[v];
        backProjectRow(height / 2, in.data(), fn.data());
        EXPECT_NEAR(fn[width / 2], expected[v] * dw, 1e-13) << current_views->label;
    }
}

TEST_F(Measurement, AWeakDetectorAddsMinusLnGainToItsColumnOnly) {
    EXPECT_EQ(weakDetector() * dp - xmax, 0.75);
    getRadon();
    const std::vector<double> perfect = sinogram();
    current_detector = &detector_choices[2];
    ASSERT_EQ(current_detector->gain, 0.95);
    getRadon();
    int differ = 0;
    for (int iw = 0; iw <= Nw; iw++) {
        for (int ip = 0; ip <= Np; ip++) {
            const double before = perfect[(size_t)iw * (Np + 1) + ip];
            if (ip == weakDetector()) EXPECT_NEAR(rdn[iw][ip] - before, -std::log(0.95), 1e-14);
            else differ += !sameBits(rdn[iw][ip], before);
        }
    }
    EXPECT_EQ(differ, 0);
}

TEST_F(Measurement, BeamTransmissionAndWhatTheSinogramHolds) {
    EXPECT_EQ(beamTransmission(0), 1.0);
    EXPECT_NEAR(beamTransmission(5), std::exp(-5.0), 1e-17);
    current_beam = &beam_choices[1];
    EXPECT_NEAR(beamTransmission(0), 1.0, 1e-16);
    // Through much material only the hard half is left: p' = 0.4 p + ln 2.
    EXPECT_NEAR(beamTransmission(30), 0.5 * std::exp(-12.0), 1e-20);
    std::vector<double> row(Np + 1, 0.0);
    row[1] = 30;
    row[2] = 1;
    measureRow(1, 0, row.data());
    EXPECT_NEAR(row[0], 0, 1e-15);
    EXPECT_NEAR(row[1], 12 + std::log(2.0), 1e-12);
    EXPECT_NEAR(row[2], -std::log(0.5 * std::exp(-1.6) + 0.5 * std::exp(-0.4)), 1e-14);

    // With many photons the count's reading is near -ln(g B(p)).
    current_noise = &noise_choices[1];
    current_detector = &detector_choices[3];
    std::fill(row.begin(), row.end(), 1.0);
    measureRow(1, 0, row.data());
    EXPECT_NEAR(row[weakDetector()], -std::log(0.8 * (0.5 * std::exp(-1.6) + 0.5 * std::exp(-0.4))), 0.01);
}

TEST_F(Measurement, TheDefaultsLeaveTheRowAndTheNoiseAsTheyWere) {
    std::vector<double> row(Np + 1), before(Np + 1);
    for (int ip = 0; ip <= Np; ip++) before[ip] = row[ip] = 0.037 * ip;
    measureRow(3, 7, row.data());
    EXPECT_TRUE(std::memcmp(row.data(), before.data(), row.size() * sizeof(double)) == 0);
    // Noise: the count of mean I0 exp(-p), read as -ln(max(count, 1) / I0).
    current_noise = &noise_choices[4];
    measureRow(3, 7, row.data());
    int differ = 0;
    for (int ip = 0; ip <= Np; ip++) {
        RandomStream random(noise_seed, 3, 7, (uint64_t)ip);
        int64_t count = poissonCount(1000 * portableExp(-before[ip]), random);
        differ += !sameBits(row[ip], -portableLog((double)std::max<int64_t>(count, 1) / 1000));
    }
    EXPECT_EQ(differ, 0);
}

TEST_F(Measurement, MetalPinsAddEightInsideTheirDiscsOnly) {
    for (double x : {0.7, -0.7}) {
        EXPECT_EQ(objectValue(x, -1.2), head0(x, -1.2)); // off at start
        metal_insert = true;
        EXPECT_EQ(objectValue(x, -1.2), head0(x, -1.2) + 8);
        for (double a = 0; a < 6.28; a += 0.5) {
            EXPECT_TRUE(inMetalPin(x + 0.149 * std::cos(a), -1.2 + 0.149 * std::sin(a)));
            EXPECT_FALSE(inMetalPin(x + 0.151 * std::cos(a), -1.2 + 0.151 * std::sin(a)));
        }
        metal_insert = false;
    }
    // "e" compares with the pins: a reconstruction that holds them has no error.
    metal_insert = true;
    Reconstruction r{.source = {}, .inside = std::vector<char>((size_t)width * height, 1), .value = {}};
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) r.value.push_back(objectValue(pixelX(ix), pixelY(iy)));
    EXPECT_EQ(rmsError(r), 0.0);
    drawHead();
    EXPECT_EQ(GetWindowPixel(windowX(0.7), windowY(-1.2)), 0xFFFFFFu);
}

TEST_F(Measurement, TheScanSeesThePinsOutsideASmallObjectExactly) {
    // Disk0 reaches 1.05, the pins 1.54: the samples left out must still be 0.
    head = head1;
    metal_insert = true;
    EXPECT_GE(objectRadius(head1), std::hypot(0.7, 1.2) + 0.15);
    getRadon();
    int differ = 0;
    for (int iw = 0; iw <= Nw; iw++) {
        for (int ip = 0; ip <= Np; ip++) {
            const Ray r = ray(iw, ip);
            double sum = 0;
            for (int il = Nl / 20; il < (19 * Nl) / 20; il++)
                sum = sum + objectValue(r.x0 + (r.x1 - r.x0) * il / Nl, r.y0 + (r.y1 - r.y0) * il / Nl);
            differ += !sameBits(rdn[iw][ip], sum * dl);
        }
    }
    EXPECT_EQ(differ, 0);
    // The horizontal ray through both pins' centres meets 2 x 0.3 of metal.
    EXPECT_NEAR(rdn[Nw / 2][(int)((xmax - 1.2) / dp + 0.5)], 2 * 0.3 * 8, 0.2);
}

// Their status lines are checked with --batch (batch_cli.sh).
TEST_F(Measurement, EveryKeyAndIdOfTheScannerDiscardsTheSinogram) {
    for (int code : {(int)'v', 3203, (int)'g', 3301, (int)'b', 3400, (int)'m', (int)'m'}) {
        getRadon();
        have_fbp = 1;
        actionfunc(code);
        EXPECT_EQ(have_rdn + have_fbp, 0) << code;
    }
    EXPECT_EQ(current_views, &views_choices[3]);
    EXPECT_EQ(current_detector, &detector_choices[1]);
    EXPECT_EQ(current_beam, &beam_choices[0]);
    EXPECT_FALSE(metal_insert);
}

} // namespace
