// The teaching demonstrations: convolution, accumulation and the filter plot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "radon_test_canvas.h"

namespace {

const uint32_t white = 0xFFFFFF, black = 0, pure_green = 0x00FF00, grey_06 = 0x999999;

int countLines(const std::string &text, const std::string &line) {
    std::istringstream in(text);
    int n = 0;
    for (std::string l; std::getline(in, l);) n += l == line;
    return n;
}

// The signed level, in 1/255 steps, that a grey of C was drawn with (pale red is negative).
int signedLevel(uint32_t rgb) {
    int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF;
    return r == g ? r : -r;
}

void fillSinograms(double value) {
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = fbp[iw][ip] = value;
    takeHandWrittenSinograms(true);
}

struct Demo : ::testing::Test {
    void SetUp() override {
        ensureTestCanvas();
        batch_mode = 1;
        SetDoubleBuffer(0);
        if (Nw != 60 || Np != 128) initRadon(60, 128);
        head = head0;
        use_fft = have_rdn = have_fbp = 0;
    }
    void TearDown() override { SetUp(); }
};

TEST_F(Demo, ConvolutionShowsSixAnglesEndingMirroredAtHalfTurn) {
    struct Preset { int Nw, Np, ray_pixels; }; // widths 0 and 1 both draw one pixel
    for (Preset g : {Preset{30, 64, 3}, Preset{60, 128, 2}, Preset{100, 256, 1}, Preset{200, 512, 1}}) {
        SCOPED_TRACE(testing::Message() << g.Nw << " x " << g.Np);
        initRadon(g.Nw, g.Np);
        fillSinograms(0.0);
        fbp[Nw][Np / 4] = 10.0; // the one bright ray: p = -1.5 at 180 degrees
        testing::internal::CaptureStdout();
        convolution(0.5, 0.5);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(countLines(out, "Hit return."), 12);
        EXPECT_EQ(countLines(out, "END."), 1);

        // At 180 degrees that ray runs down x = +1.5 (column 300), the mirror of 0 degrees.
        for (int row : {30, 120, 300, 399}) {
            int first = -1, count = 0;
            for (int x = 0; x < width; x++) {
                if (GetBackPixel(x, row) != white) continue;
                if (first < 0) first = x;
                count++;
            }
            EXPECT_EQ(count, g.ray_pixels) << "row " << row;
            EXPECT_TRUE(first <= 300 && first + count > 300) << "row " << row;
        }
        // The curve keeps the unrotated positions: its spike rises at x = -1.5.
        int spike = 0;
        for (int x = 95; x <= 105; x++) spike += GetWindowPixel(x, 100) == pure_green;
        EXPECT_GT(spike, 0);
    }
}

TEST_F(Demo, AccumulationShowsElevenAnglesOnEveryGrid) {
    for (int n : {30, 60, 100, 200}) {
        initRadon(n, 64);
        int shown = 0;
        for (int iw = 0; iw < Nw; iw++) shown += accumulationShowsAngle(iw);
        EXPECT_EQ(shown, 11) << n;
        EXPECT_TRUE(accumulationShowsAngle(0) && accumulationShowsAngle(Nw - 1)) << n;
    }
}

TEST_F(Demo, AccumulationWaitsOnceAndStoresTheFinalSum) {
    for (int key : {'a', 'o'}) {
        testing::internal::CaptureStdout();
        actionfunc(key);
        EXPECT_EQ(countLines(testing::internal::GetCapturedStdout(), "Hit return to continue."), 1);
        // What "s" saves and a repaint shows is what the window shows.
        for (int i = 0; i < width * height; i++)
            ASSERT_EQ(GetBackPixel(i % width, i / width), GetWindowPixel(i % width, i / width)) << char(key) << i;
    }
}

TEST_F(Demo, FilteredAccumulationEndsCloseToTheReconstruction) {
    accumulation(fbp, 0.3, 1.0);
    std::vector<int> accumulated;
    for (int i = 0; i < width * height; i++) accumulated.push_back(signedLevel(GetWindowPixel(i % width, i / width)));
    reconstruct();
    // Inside the disc, clear of the detector's edge strip and the status bar.
    double sum = 0;
    int n = 0;
    for (int i = 16 * width; i < width * height; i++) {
        int x = i % width, y = i / width;
        if (std::hypot(x - 200, y - 200) > 180) continue;
        sum += std::abs(accumulated[i] - signedLevel(GetWindowPixel(x, y)));
        n++;
    }
    EXPECT_LT(sum / n, 3.0);
}

TEST_F(Demo, PixelsSkippedAtAnAngleShowNothingInItsSingleProjection) {
    // Every angle but the last sees 1, the last sees 0: its single projection
    // must be 0 everywhere, also where its rays miss the detector's inner
    // samples and the angle before left values.
    fillSinograms(1.0);
    for (int ip = 0; ip <= Np; ip++) rdn[Nw - 1][ip] = 0.0;
    accumulation(rdn, 1.0, 0.0);
    for (int ix = 0; ix < width; ix++)
        for (int iy = 0; iy < height; iy++) ASSERT_EQ(bbuf[ix][iy], 0.0) << ix << "," << iy;
}

TEST(FilterPlot, CurveRowsAtWholeHalfAndEdgeOffsets) {
    std::vector<Point2D> w0(width), w1(width);
    fillFilterCurves(w0.data(), w1.data());
    // Columns 200 +- 18 are offsets +-0.495, 200 +- 36 are +-0.99.
    struct Sample { int ix; double curve_row, kernel_row; };
    for (Sample s : {Sample{200, 64.188, 132.094}, Sample{182, 198.316, 176.912}, Sample{218, 198.316, 176.912},
                     Sample{164, 246.459, 221.730}, Sample{236, 246.459, 221.730}, Sample{0, 200.000, 200.580}}) {
        EXPECT_TRUE(w0[s.ix].x == s.ix && w1[s.ix].x == s.ix) << s.ix;
        EXPECT_NEAR(w0[s.ix].y, s.curve_row, 0.0005) << s.ix;
        EXPECT_NEAR(w1[s.ix].y, s.kernel_row, 0.0005) << s.ix;
    }
}

TEST_F(Demo, FilterPlotEndsWithBothCurvesAfterTwoWaits) {
    testing::internal::CaptureStdout();
    drawFilter();
    EXPECT_EQ(countLines(testing::internal::GetCapturedStdout(), "Hit return"), 2);
    // The comparison curve's peak in grey, the kernel's peak in green below it.
    EXPECT_EQ(GetBackPixel(200, 64), grey_06);
    int green_at_peak = 0, green_in_tail = 0;
    for (int y = 130; y <= 134; y++) green_at_peak += GetBackPixel(200, y) == pure_green;
    EXPECT_GT(green_at_peak, 0);
    // Two pixels wide where the kernel runs flat, near offset 5.
    for (int y = 190; y <= 210; y++) green_in_tail += GetBackPixel(380, y) == pure_green;
    EXPECT_EQ(green_in_tail, 2);
}

} // namespace
