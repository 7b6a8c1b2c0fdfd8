// Measuring the picture: the edge spread, line spread and MTF, the noise
// power spectrum, the measurement of every filter, the profile, and what a
// setting does to a plot on screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "lab/image_quality.h"
#include "radon_test_canvas.h"
#include "window_map.h"

namespace {

const double pi = 3.141592653589793;

struct ImageQualityTest : DefaultSettings {};

// A reconstruction with every pixel inside the disc and value(radius from the edge's centre).
template <class Value>
Reconstruction madeUp(Value value) {
    Reconstruction r{.source = {}, .inside = std::vector<char>((size_t)width * height, 1),
                     .value = std::vector<double>((size_t)width * height)};
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++)
            r.value[(size_t)iy * width + ix] = value(std::hypot(pixelX(ix), pixelY(iy) - kEdgeCentreY));
    return r;
}

TEST_F(ImageQualityTest, AStepEdgeGivesAStepSpreadATwoBinLineAndItsCosineMtf) {
    const Reconstruction step = madeUp([](double radius) { return radius < edgeRadius() ? 0.8 : 0.0; });
    const std::vector<double> esf = edgeSpread(step), lsf = lineSpread(esf);
    ASSERT_EQ(esf.size(), (size_t)kEdgeBins);
    for (int b = 0; b < kEdgeBins; b++) {
        EXPECT_NEAR(esf[b], b < kEdgeBins / 2 ? 0.8 : 0.0, 1e-14) << b;
        EXPECT_NEAR(lsf[b], b == 79 || b == 80 ? 0.8 : 0.0, 1e-14) << b;
    }
    // Two equal taps one bin apart: |cos(pi f bin)|, 1 at f = 0.
    const std::vector<double> mtf = modulationTransfer(lsf, highestFrequency());
    EXPECT_EQ(mtf.size(), 214u); // 0 .. 10.65 on 60 x 128
    EXPECT_NEAR(mtf[0], 1.0, 1e-15);
    for (int k = 0; k < (int)mtf.size(); k += 50) EXPECT_NEAR(mtf[k], std::cos(pi * mtfFrequency(k) * kEdgeBin), 1e-12);
    EXPECT_LT(mtf50(mtf), 0); // never below a half
}

TEST_F(ImageQualityTest, BinsWithoutPixelsLieOnTheLineBetweenTheirNeighbours) {
    Reconstruction ramp = madeUp([](double radius) { return radius; });
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            const double radius = std::hypot(pixelX(ix), pixelY(iy) - kEdgeCentreY);
            if (radius >= binRadius(100) - kEdgeBin / 2 && radius < binRadius(103) + kEdgeBin / 2)
                ramp.inside[(size_t)iy * width + ix] = 0;
        }
    }
    const std::vector<double> esf = edgeSpread(ramp);
    for (int b = 98; b <= 106; b++) EXPECT_NEAR(esf[b], binRadius(b), 2e-4) << b;
}

TEST_F(ImageQualityTest, Mtf50IsInterpolatedBetweenTheSamplesAroundAHalf) {
    EXPECT_NEAR(mtf50({1.0, 0.8, 0.4, 0.2}), 0.05 + 0.05 * 0.3 / 0.4, 1e-15);
    EXPECT_LT(mtf50({1.0, 0.9, 0.5}), 0);
}

TEST_F(ImageQualityTest, WhiteNoiseHasAFlatSpectrumAtItsVarianceTimesThePixelArea) {
    std::mt19937_64 random(7);
    std::normal_distribution<double> normal(3.0, 0.1); // the mean goes
    std::vector<double> square(kNoiseSide * kNoiseSide);
    for (double &v : square) v = normal(random);
    const NoiseSpectrum s = noiseSpectrum(square);
    const double flat = 0.01 * kPixelSide * kPixelSide;
    EXPECT_NEAR(s.sd, 0.1, 0.003);
    EXPECT_NEAR(s.nps[0], 0.0, 1e-20);
    // Flat: the lower and the upper half of the rings alike.
    double lower = 0, upper = 0;
    for (int m = 1; m < kNoiseRings; m++) (m <= 16 ? lower : upper) += s.nps[m] / 16;
    EXPECT_NEAR(lower, flat, 0.1 * flat);
    EXPECT_NEAR(upper, flat, 0.1 * flat);
}

// Everything the measurement must leave as it found it.
struct Held {
    Object object;
    const FilterChoice *filter;
    const NoiseChoice *noise;
    std::vector<double> sinogram, filtered, image;
    int had_rdn, had_fbp, by_fft;
    uint64_t scan, filtered_scan, scans;
    const FilterChoice *filtered_with;
    ReconstructionSource source;
    std::vector<double> sart;
    bool operator==(const Held &) const = default;
};

Held held() {
    Held h{.object = head, .filter = current_filter, .noise = current_noise, .sinogram = {}, .filtered = {},
           .image = last_reconstruction.value, .had_rdn = have_rdn, .had_fbp = have_fbp, .by_fft = fbp_by_fft,
           .scan = rdn_scan, .filtered_scan = fbp_scan, .scans = scan_count, .filtered_with = fbp_filter,
           .source = last_reconstruction.source, .sart = sartErrors()};
    for (int iw = 0; iw <= Nw; iw++) {
        h.sinogram.insert(h.sinogram.end(), rdn[iw], rdn[iw] + Np + 1);
        h.filtered.insert(h.filtered.end(), fbp[iw], fbp[iw] + Np + 1);
    }
    return h;
}

TEST_F(ImageQualityTest, EveryFilterIsMeasuredOnTheFirstNoisyScansAndTheStateStaysAsItWas) {
    // The phantom at 10000 photons, a SART iteration and then "R" with Hann.
    current_noise = &noise_choices[3];
    testing::internal::CaptureStdout();
    actionfunc('I');
    current_filter = &filter_choices[4];
    actionfunc('R');
    testing::internal::GetCapturedStdout();
    const Held before = held();
    const ImageQuality quality = measureImageQuality();
    EXPECT_TRUE(held() == before);
    EXPECT_EQ(quality.settings.photons, 10000);

    // The sharper the filter, the higher its MTF50 and its noise: Ram-Lak,
    // Shepp-Logan, Cosine, Hamming, Hann.
    const int order[] = {1, 0, 2, 3, 4};
    for (int i = 1; i < 5; i++) {
        EXPECT_GT(quality.filters[order[i - 1]].mtf50, quality.filters[order[i]].mtf50) << i;
        EXPECT_GT(quality.filters[order[i - 1]].noise.sd, quality.filters[order[i]].noise.sd) << i;
    }

    // Shepp-Logan's noise by hand: the first scans from the seed, as after a
    // fresh start, less the scan without noise.
    testing::internal::CaptureStdout();
    head = head1;
    current_filter = &filter_choices[0];
    std::vector<Reconstruction> noisy;
    for (scan_count = 0; noisy.size() < (size_t)kNoiseDraws;) {
        getRadon();
        noisy.push_back((getFbp0(), backProjection()));
    }
    current_noise = &noise_choices[0];
    getRadon();
    const Reconstruction clean = (getFbp0(), backProjection());
    testing::internal::GetCapturedStdout();
    scan_count = before.scans;
    std::vector<NoiseSpectrum> draws;
    for (const Reconstruction &r : noisy) {
        std::vector<double> square;
        for (int iy = kNoiseTop; iy < kNoiseTop + kNoiseSide; iy++)
            for (int ix = kNoiseLeft; ix < kNoiseLeft + kNoiseSide; ix++)
                square.push_back(r.value[(size_t)iy * width + ix] - clean.value[(size_t)iy * width + ix]);
        draws.push_back(noiseSpectrum(square));
    }
    EXPECT_EQ(meanSpectrum(draws).sd, quality.filters[0].noise.sd);
    EXPECT_EQ(meanSpectrum(draws).nps, quality.filters[0].noise.nps);
}

TEST_F(ImageQualityTest, TheMeanOfEightDrawsOfWhiteNoiseIsFlatterThanOneDraw) {
    std::mt19937_64 random(11);
    std::normal_distribution<double> normal(0.0, 0.1);
    std::vector<NoiseSpectrum> draws;
    for (int d = 0; d < kNoiseDraws; d++) {
        std::vector<double> square(kNoiseSide * kNoiseSide);
        for (double &v : square) v = normal(random);
        draws.push_back(noiseSpectrum(square));
    }
    // The rings' RMS deviation from the flat level, relative to it: about
    // 1 / sqrt(8) as much for the mean of eight.
    const double flat = 0.01 * kPixelSide * kPixelSide;
    auto roughness = [flat](const NoiseSpectrum &s) {
        double sum = 0;
        for (int m = 1; m < kNoiseRings; m++) sum += (s.nps[m] / flat - 1) * (s.nps[m] / flat - 1);
        return std::sqrt(sum / (kNoiseRings - 1));
    };
    double single = 0, sd = 0;
    for (const NoiseSpectrum &s : draws) {
        single += roughness(s) / kNoiseDraws;
        sd += s.sd / kNoiseDraws;
    }
    const NoiseSpectrum mean = meanSpectrum(draws);
    EXPECT_LT(roughness(mean), 0.5 * single);
    EXPECT_NEAR(mean.sd, sd, 1e-15);
}

TEST_F(ImageQualityTest, TheBatchLinesGiveMtf50InLinePairsPerCm) {
    testing::internal::CaptureStdout();
    actionfunc('M');
    const std::string out = testing::internal::GetCapturedStdout();
    const ImageQuality *quality = currentImageQuality();
    ASSERT_NE(quality, nullptr);
    // One unit is 5 cm: cycles per unit over 5.
    char line[80];
    for (size_t i = 0; i < filter_choices.size(); i++) {
        std::snprintf(line, sizeof line, "MTF50 %s: %.2f lp/cm\n", filter_choices[i].label,
                      quality->filters[i].mtf50 / 5);
        EXPECT_NE(out.find(line), std::string::npos) << line << out;
    }
    EXPECT_NE(out.find("MTF50 Ram-Lak: 1.67 lp/cm\n"), std::string::npos) << out;
}

TEST_F(ImageQualityTest, TheProfileMovesWithUpAndDownUntilAnotherKey) {
    testing::internal::CaptureStdout();
    showProfile();
    for (int i = 0; i < 25; i++) profileKey(GR_KEY_UP); // stops at the tenth row
    EXPECT_TRUE(profileKey(GR_KEY_DOWN));
    EXPECT_FALSE(profileKey('h'));
    EXPECT_FALSE(profileKey(GR_KEY_DOWN)); // the profile has ended
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Profile at y = 0.00 cm: RMS error 0.0"), std::string::npos) << out;
    EXPECT_NE(out.find("Profile at y = 0.75 cm: RMS error 0.0"), std::string::npos) << out;
    EXPECT_NE(out.find("Profile at y = 14.25 cm: RMS error"), std::string::npos) << out;
    EXPECT_EQ(out.find("y = 15.00"), std::string::npos) << out;
    EXPECT_NE(out.rfind("Profile at y = 13.50 cm"), std::string::npos) << out;
}

// The window's picture below a two-row status line.
std::vector<uint32_t> shownBelowStatus() {
    std::vector<uint32_t> shown;
    for (int iy = 30; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) shown.push_back(GetWindowPixel(ix, iy));
    return shown;
}

TEST_F(ImageQualityTest, ASettingEndsAPlotOnScreenButLeavesAPicture) {
    testing::internal::CaptureStdout();
    actionfunc('R');
    const std::vector<uint32_t> reconstruction = shownBelowStatus();
    actionfunc('k');
    EXPECT_TRUE(shownBelowStatus() == reconstruction);
    // The profile, then the help and back: still the plot, so the next scanner brings the object.
    actionfunc('l');
    actionfunc('?');
    actionfunc('p');
    const std::vector<uint32_t> after = shownBelowStatus();
    testing::internal::GetCapturedStdout();
    current_scanner = &scanner_choices[0];
    drawHead();
    EXPECT_TRUE(after == shownBelowStatus());
}

} // namespace
