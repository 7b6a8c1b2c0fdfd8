// Filtering of the projections: the kernel, both paths' responses, the
// progress bar and the freshness flags.
#include <gtest/gtest.h>

#include "radon.h"
#include "radon_test_canvas.h"
#include "stages.h"

// A sinogram whose every row is the given impulse (or zero).
static void setImpulseRows(int at, double value) {
    for (int iw = 0; iw <= Nw; iw++) {
        for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = 0;
        if (at >= 0) rdn[iw][at] = value;
    }
    have_rdn = 1;
}

static void fillFbp(double value) {
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) fbp[iw][ip] = value;
}

TEST(Kernel, WholeAndHalfOffsets) {
    EXPECT_DOUBLE_EQ(weight(0, 1), 1.2732395447351628);
    EXPECT_DOUBLE_EQ(weight(0.5, 1), 0.42441318157838764);
    EXPECT_DOUBLE_EQ(weight(-0.5, 1), 0.42441318157838764);
    EXPECT_DOUBLE_EQ(weight(1, 1), -0.4244131815783876);
    EXPECT_DOUBLE_EQ(weight(-1, 1), -0.4244131815783876);
    EXPECT_DOUBLE_EQ(weight(2, 1), -0.08488263631567752);
    EXPECT_DOUBLE_EQ(weight(2.5, 1), -0.06063045451119822);
    // The spacing scales the offset and the height.
    EXPECT_DOUBLE_EQ(weight(2 * 0.046875, 0.046875), -0.08488263631567752 / 0.046875);
}

TEST(Filter, DirectImpulseResponseNeverWraps) {
    ensureTestCanvas();
    initRadon(60, 128);
    setImpulseRows(64, 1.0);
    getFbp0();
    for (int iw = 0; iw <= Nw; iw += Nw) {
        EXPECT_NEAR(fbp[iw][64], 4.323037168739745, 1e-12);
        EXPECT_NEAR(fbp[iw][63], -1.441012389579915, 1e-12);
        for (int k = 1; k <= 64; k++) EXPECT_EQ(fbp[iw][64 - k], fbp[iw][64 + k]) << k;
    }
    setImpulseRows(0, 1.0);
    getFbp0();
    EXPECT_NEAR(fbp[0][127], weight(127 * dp, dp) / 6.283185307179586, 1e-18);
    EXPECT_NEAR(fbp[0][127], -0.000067, 0.000001);
}

TEST(Filter, FftImpulseResponseWrapsAroundTheRow) {
    ensureTestCanvas();
    initRadon(60, 128);
    fillFbp(99.0);
    setImpulseRows(64, 1.0);
    getFbp1();
    EXPECT_NEAR(fbp[0][64], 4.127989172370093, 1e-12);
    EXPECT_NEAR(fbp[0][63], -1.3762727292, 1e-10);
    EXPECT_NEAR(fbp[0][65], -1.3762727292, 1e-10);
    // Column Np is the row's periodic continuation, never a stale value.
    EXPECT_EQ(fbp[0][128], fbp[0][0]);
    EXPECT_EQ(fbp[Nw][128], fbp[Nw][0]);

    setImpulseRows(0, 1.0);
    getFbp1();
    EXPECT_NEAR(fbp[0][0], 4.127989172370093, 1e-12);
    EXPECT_NEAR(fbp[0][127], -1.3762727292, 1e-10);
    EXPECT_EQ(fbp[0][128], fbp[0][0]);
}

TEST(Filter, ZeroRowStaysZero) {
    ensureTestCanvas();
    initRadon(30, 64);
    setImpulseRows(-1, 0.0);
    getFbp0();
    for (int ip = 0; ip <= Np; ip++) EXPECT_EQ(fbp[5][ip], 0.0) << ip;
    fillFbp(1.0);
    getFbp1();
    for (int ip = 0; ip <= Np; ip++) EXPECT_EQ(fbp[5][ip], 0.0) << ip;
}

TEST(Filter, ProgressBarGrowsPerProjection) {
    ensureTestCanvas();
    initRadon(60, 128);
    ClearCanvas();
    SetColoredGray(&C, 0.7);
    drawFilterProgress(0);
    EXPECT_EQ(GetWindowPixel(125, 10), 0u);
    drawFilterProgress(1); // 125 + 275/60, truncated
    EXPECT_EQ(GetWindowPixel(125, 3), 0xB2B2B2u);
    EXPECT_EQ(GetWindowPixel(128, 17), 0xB2B2B2u);
    EXPECT_EQ(GetWindowPixel(129, 10), 0u);
    EXPECT_EQ(GetWindowPixel(128, 18), 0u);
    EXPECT_EQ(GetBackPixel(128, 17), 0xB2B2B2u);

    // A whole filtering ends with the bar across to the right edge, in the
    // status line's grey.
    setImpulseRows(64, 1.0);
    getFbp0();
    EXPECT_EQ(GetWindowPixel(124, 17), 0u);
    EXPECT_EQ(GetWindowPixel(125, 17), 0xB2B2B2u);
    EXPECT_EQ(GetWindowPixel(399, 17), 0xB2B2B2u);
    EXPECT_EQ(GetWindowPixel(399, 18), 0u);
}

TEST(Filter, SinogramIsComputedOnlyWhenStale) {
    ensureTestCanvas();
    initRadon(30, 64);
    head = head1;

    // A fresh sinogram is used as it is, by both paths.
    setImpulseRows(32, 1.0);
    have_fbp = 0;
    getFbp0();
    EXPECT_EQ(rdn[3][32], 1.0);
    EXPECT_EQ(have_fbp, 1);
    getFbp1();
    EXPECT_EQ(rdn[3][32], 1.0);
    EXPECT_EQ(have_fbp, 1);

    // A stale one is computed first.
    have_rdn = 0;
    have_fbp = 0;
    getFbp1();
    EXPECT_EQ(have_rdn, 1);
    EXPECT_EQ(have_fbp, 1);
    EXPECT_NEAR(rdn[0][32], 1.512, 1e-12);
    have_rdn = 0;
    getFbp0();
    EXPECT_EQ(have_rdn, 1);
    EXPECT_NEAR(rdn[0][32], 1.512, 1e-12);
    head = head0;
}
