// The lab: filters, photon noise, the sinogram and error pictures, the data
// files and the help screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scan/poisson.h"
#include "radon_test_canvas.h"
#include "window_map.h"

namespace {

const double pi = 3.141592653589793;

struct Lab : DefaultSettings {};

// The band-limited ramp's kernel for unit spacing, from its definition.
double ramp(double u) {
    auto sinc = [](double t) { return t == 0 ? 1 : std::sin(pi * t) / (pi * t); };
    return 0.5 * sinc(u) - 0.25 * sinc(u / 2) * sinc(u / 2);
}

// Each filter's kernel at whole offset n for unit spacing.
double kernel(const std::string &filter, int n) {
    if (filter == "Shepp-Logan") return 2 / (pi * pi * (1 - 4 * n * n));
    if (filter == "Ram-Lak") return ramp(n);
    if (filter == "Cosine") return 0.5 * (ramp(n - 0.5) + ramp(n + 0.5));
    if (filter == "Hamming") return 0.54 * ramp(n) + 0.23 * (ramp(n - 1) + ramp(n + 1));
    return 0.5 * ramp(n) + 0.25 * (ramp(n - 1) + ramp(n + 1)); // Hann
}

TEST_F(Lab, KernelsAtSmallOffsetsFollowTheirDefinitions) {
    ASSERT_EQ(filter_choices.size(), 5u);
    for (const FilterChoice &f : filter_choices) {
        for (int n : {-2, -1, 0, 1, 2}) {
            double expected = 2 * pi * kernel(f.label, n) / dp;
            EXPECT_NEAR(f.weight(n * dp, dp), expected, 1e-13 * std::fabs(expected) + 1e-13) << f.label << " " << n;
        }
        // Straight lines between whole offsets, as the plot draws them.
        EXPECT_NEAR(f.weight(-0.25, 1), 0.75 * f.weight(0, 1) + 0.25 * f.weight(1, 1), 1e-15) << f.label;
    }
    EXPECT_EQ(filter_choices[0].weight, weight); // the default stays the program's own kernel
}

TEST_F(Lab, FftResponsesAtZeroAndHalfTheSamplingRate) {
    const double ramp_top = Np / (4 * pi); // (Np / 2 pi) nu at nu = 1/2
    const std::vector<double> at_half = {Np / (2 * pi * pi), ramp_top, 0, 0.08 * ramp_top, 0};
    for (size_t i = 0; i < filter_choices.size(); i++) {
        EXPECT_EQ(filter_choices[i].response(0), 0.0) << filter_choices[i].label;
        EXPECT_NEAR(filter_choices[i].response(Np / 2), at_half[i], 1e-12) << filter_choices[i].label;
    }
}

// Row iw of the sinogram: 1 at the centre ray, 0 elsewhere.
void impulseRows() {
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = ip == Np / 2 ? 1.0 : 0.0;
    have_rdn = 1;
}

TEST_F(Lab, AFilterChoiceReachesReconstructionConvolutionAndPlotButNotTheRawData) {
    impulseRows();
    testing::internal::CaptureStdout();
    actionfunc(3001);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Filter: Ram-Lak\n");
    EXPECT_EQ(have_fbp, 0);
    testing::internal::CaptureStdout();
    actionfunc('c'); // filters directly
    EXPECT_NEAR(fbp[0][64], 0.25 / dp, 1e-12);
    EXPECT_NEAR(fbp[0][63], -1 / (pi * pi * dp), 1e-12);
    use_fft = 1;
    actionfunc('R'); // the FFT's centre tap: (1 / 2 pi) times the mean of min(m, Np - m) / Np over m = Np / 4
    EXPECT_NEAR(fbp[0][64], 32 / (2 * pi), 1e-12);
    testing::internal::GetCapturedStdout();
    std::vector<Point2D> w0(width), w1(width);
    fillFilterCurves(w0.data(), w1.data());
    EXPECT_NEAR(w1[200].y, windowY(0.8 * 2 * pi * 0.25), 1e-12);
    // The raw sinogram, which "o" draws, is untouched.
    EXPECT_EQ(have_rdn, 1);
    EXPECT_EQ(rdn[5][64], 1.0);
    EXPECT_EQ(rdn[5][63], 0.0);
}

TEST_F(Lab, KeysStepThroughTheTablesAndNoiseDiscardsTheSinogram) {
    std::string out;
    for (int i = 0; i < 5; i++) {
        have_rdn = have_fbp = 1;
        testing::internal::CaptureStdout();
        actionfunc('k');
        out += testing::internal::GetCapturedStdout();
        EXPECT_EQ(have_rdn * 2 + have_fbp, 2);
    }
    for (int i = 0; i < 5; i++) {
        have_rdn = have_fbp = 1;
        testing::internal::CaptureStdout();
        actionfunc('n');
        out += testing::internal::GetCapturedStdout();
        EXPECT_EQ(have_rdn + have_fbp, 0);
    }
    EXPECT_EQ(out, "Filter: Ram-Lak\nFilter: Cosine\nFilter: Hamming\nFilter: Hann\nFilter: Shepp-Logan\n"
                   "Noise: 1000000 photons per ray\nNoise: 100000 photons per ray\nNoise: 10000 photons per ray\n"
                   "Noise: 1000 photons per ray\nNoise: off\n");
}

// ---------------------------------------------------------------- noise

TEST(Noise, PortableExpAndLogAgreeWithTheLibrary) {
    for (double x = -30; x < 30; x += 0.0137) {
        EXPECT_NEAR(portableExp(x), std::exp(x), 1e-15 * std::exp(x)) << x;
        double y = std::exp(x);
        EXPECT_NEAR(portableLog(y), std::log(y), 1e-15 * std::fabs(std::log(y)) + 1e-300) << y;
    }
    EXPECT_EQ(portableLog(1.0), 0.0);
}

TEST(Noise, CountsArePoissonForSmallAndLargeMeans) {
    const int n = 20000;
    for (double mean : {2.5, 30.0, 1e6}) {
        RandomStream random(7, 0, 0, (uint64_t)mean);
        double sum = 0, squares = 0;
        int at_mode = 0; // k = floor(mean)
        for (int i = 0; i < n; i++) {
            double k = (double)poissonCount(mean, random);
            sum += k;
            squares += k * k;
            at_mode += k == std::floor(mean);
        }
        double m = sum / n, variance = squares / n - m * m;
        EXPECT_NEAR(m, mean, 4 * std::sqrt(mean / n)) << mean;
        EXPECT_NEAR(variance / mean, 1, 0.05) << mean;
        // The probability of the mode, exp(-mean) mean^k / k!.
        double k = std::floor(mean), p = std::exp(-mean + k * std::log(mean) - std::lgamma(k + 1));
        EXPECT_NEAR((double)at_mode / n, p, 4 * std::sqrt(p * (1 - p) / n)) << mean;
    }
}

TEST_F(Lab, NoisyLineIntegralsHaveTheVarianceOfTheirPhotonCounts) {
    current_noise = &noise_choices[3];
    ASSERT_EQ(current_noise->photons, 10000);
    double sum = 0, squares = 0;
    int n = 0;
    std::vector<double> row(Np + 1);
    for (uint64_t scan = 0; scan < 100; scan++) {
        for (int ip = 0; ip <= Np; ip++) row[ip] = 3.0 * ip / Np;
        measureRow(scan, 0, row.data());
        for (int ip = 0; ip <= Np; ip++) {
            double p = 3.0 * ip / Np, r = (row[ip] - p) * std::sqrt(10000 * std::exp(-p));
            sum += r;
            squares += r * r;
            n++;
        }
    }
    EXPECT_NEAR(sum / n, 0, 0.05);
    EXPECT_NEAR(squares / n - (sum / n) * (sum / n), 1, 0.05);
}

TEST_F(Lab, NoiseIsReproducibleBySeedWhateverThreadComputesARow) {
    initRadon(30, 64);
    current_noise = &noise_choices[4];
    auto scan = [](uint64_t seed, uint64_t count) {
        noise_seed = seed;
        scan_count = count;
        getRadon();
        std::vector<double> out;
        for (int iw = 0; iw <= Nw; iw++) out.insert(out.end(), rdn[iw], rdn[iw] + Np + 1);
        return out;
    };
    std::vector<double> noisy = scan(5, 40);
    EXPECT_EQ(scan_count, 41u);
    EXPECT_TRUE(scan(5, 40) == noisy);
    EXPECT_FALSE(scan(6, 40) == noisy);
    EXPECT_FALSE(scan(5, 41) == noisy);
    // Row by row on this thread, from the noiseless scan.
    current_noise = &noise_choices[0];
    std::vector<double> plain = scan(5, 0);
    current_noise = &noise_choices[4];
    int differ = 0;
    for (int iw = 0; iw <= Nw; iw++) {
        measureRow(40, iw, &plain[(size_t)iw * (Np + 1)]);
        for (int ip = 0; ip <= Np; ip++)
            differ += std::memcmp(&plain[(size_t)iw * (Np + 1) + ip], &noisy[(size_t)iw * (Np + 1) + ip], 8) != 0;
    }
    EXPECT_EQ(differ, 0);
    noise_seed = 1;
}

// ---------------------------------------------------------------- pictures

TEST_F(Lab, SinogramScreensMapAnglesDownAndRaysAcrossAndFilterAsRWould) {
    initRadon(30, 64);
    for (int iw = 0; iw <= Nw; iw++) {
        for (int ip = 0; ip <= Np; ip++) {
            rdn[iw][ip] = ip;
            fbp[iw][ip] = iw == Nw ? 32 : ip - 32; // largest magnitude 32
        }
    }
    takeHandWrittenSinograms(true);
    testing::internal::CaptureStdout();
    actionfunc('S');
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sinogram. Hit Return to Continue.\nFiltered: Shepp-Logan\n");
    // Column ix shows ray (ix * 65) / 400, row iy angle ((iy - 16) * 31) / 384.
    EXPECT_EQ(GetWindowPixel(0, 387), 0x7F7FFFu);  // ray 0, angle 29: -1, red
    EXPECT_EQ(GetWindowPixel(0, 388), 0xFFFFFFu);  // angle 30
    EXPECT_EQ(GetWindowPixel(197, 100), 0u);       // ray 32: 0
    EXPECT_EQ(GetWindowPixel(196, 100), 0x030307u); // ray 31: -1/32
    EXPECT_EQ(GetBackPixel(399, 16), 0xFFFFFFu);   // ray 64: 1
    // The demonstrations leave a directly filtered fbp; with the FFT chosen it is filtered anew.
    use_fft = 1;
    testing::internal::CaptureStdout();
    actionfunc('S');
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Sinogram. Hit Return to Continue.\nCalculating FBP...\nFiltered: Shepp-Logan, FFT\n");
    EXPECT_EQ(fbp_by_fft, 1);
}

TEST_F(Lab, ErrorPictureShowsFourTimesTheErrorAndItsRms) {
    head = head3;
    Reconstruction &last = last_reconstruction;
    have_rdn = 1;
    rdn_scan = 77;
    last.source = {.scan = 77, .filter = current_filter, .use_fft = 0};
    last.inside.assign((size_t)width * height, 1);
    last.value.resize((size_t)width * height);
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++)
            last.value[(size_t)iy * width + ix] = head(pixelX(ix), pixelY(iy)) + (ix < 200 ? 0.1 : -0.1);
    last.inside[(size_t)300 * width + 5] = 0;
    testing::internal::CaptureStdout();
    actionfunc('e');
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RMS error 0.1000 (x4, red: too low)\n");
    EXPECT_EQ(GetWindowPixel(100, 300), 0x666666u); // 0.4
    EXPECT_EQ(GetWindowPixel(300, 300), 0x323266u); // -0.4, red
    EXPECT_EQ(GetWindowPixel(5, 300), 0u);
    // Another filter: the reconstruction is not current, "R" runs first.
    chooseFilter(&filter_choices[4]);
    testing::internal::CaptureStdout();
    actionfunc('e');
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Calculating FBP...\n"), 0u) << out;
    EXPECT_TRUE(reconstructionIsCurrent());
}

TEST_F(Lab, HelpBringsBackBothPicturesAsTheyWere) {
    SetColoredGray(&C, 0.5);
    FillRectangle(0, 0, 400, 400);
    FlushBuffer();
    SetColoredGray(&C, 1.0);
    FillRectangle(10, 20, 30, 40); // on the window only
    testing::internal::CaptureStdout();
    actionfunc('?');
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Help. Hit any key to go back.\n");
    EXPECT_EQ(GetWindowPixel(15, 25), 0xFFFFFFu);
    EXPECT_EQ(GetBackPixel(15, 25), 0x7F7F7Fu);
    EXPECT_EQ(GetWindowPixel(15, 5), 0x7F7F7Fu);
}

// ---------------------------------------------------------------- data files

std::vector<std::vector<double>> readCsv(const std::string &name) {
    std::ifstream in(name);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<double> row;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) row.push_back(std::strtod(cell.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

TEST_F(Lab, DataFilesHoldEveryNumberExactlyAndFailuresLeaveNoFile) {
    const std::filesystem::path home = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "radon_lab_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);

    initRadon(30, 64);
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = 1.0 / (3 + iw * 7 + ip);
    takeHandWrittenSinograms(false);
    testing::internal::CaptureStdout();
    actionfunc('d');
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Saved 30x64-*.csv: sinogram\n");
    auto sinogram = readCsv("30x64-sinogram.csv");
    ASSERT_EQ(sinogram.size(), 31u);
    ASSERT_EQ(sinogram[30].size(), 65u);
    EXPECT_EQ(sinogram[30][64], rdn[30][64]);
    EXPECT_EQ(sinogram[4][9], rdn[4][9]);
    EXPECT_FALSE(std::filesystem::exists("30x64-filtered.csv"));

    testing::internal::CaptureStdout();
    reconstruct();
    actionfunc('d');
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Saved 30x64-*.csv: sinogram, filtered, image\n"),
              std::string::npos);
    auto image = readCsv("30x64-image.csv");
    ASSERT_EQ(image.size(), 400u);
    ASSERT_EQ(image[399].size(), 400u);
    EXPECT_EQ(image[0][0], 0.0); // outside the disc
    EXPECT_EQ(image[200][123], last_reconstruction.value[200 * 400 + 123]);
    EXPECT_EQ(readCsv("30x64-filtered.csv")[7][20], fbp[7][20]);

    // A name that cannot be created: the reason on stderr, counted as a failed save.
    const int failed_before = failed_saves;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writeDataFile("no/such/dir.csv", "1\n"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "can't open no/such/dir.csv: No such file or directory\n");
    EXPECT_EQ(failed_saves, failed_before + 1);

    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);
}

} // namespace
