// Filtering of the projections: the kernel, both paths' responses, the
// progress bar and the freshness flags.
#include <gtest/gtest.h>

#include "radon_test_canvas.h"

// A fresh sinogram whose every row is 0 but for `value` at `at`.
static void setRows(int at, double value) {
    for (int iw = 0; iw <= Nw; iw++) {
        for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = ip == at ? value : 0.0;
    }
    have_rdn = 1;
}

TEST(Filter, KernelAtWholeAndHalfOffsets) {
    EXPECT_DOUBLE_EQ(weight(0, 1), 1.2732395447351628);
    EXPECT_DOUBLE_EQ(weight(-0.5, 1), 0.42441318157838764);
    EXPECT_DOUBLE_EQ(weight(1, 1), -0.4244131815783876);
    EXPECT_DOUBLE_EQ(weight(-2, 1), -0.08488263631567752);
    EXPECT_DOUBLE_EQ(weight(2.5, 1), -0.06063045451119822);
    EXPECT_DOUBLE_EQ(weight(2 * 0.046875, 0.046875), -0.08488263631567752 / 0.046875);
}

TEST(Filter, ImpulseResponses) {
    ensureTestCanvas();
    initRadon(60, 128);
    setRows(64, 1.0);
    getFbp0();
    EXPECT_NEAR(fbp[Nw][64], 4.323037168739745, 1e-12);
    EXPECT_NEAR(fbp[Nw][63], -1.441012389579915, 1e-12);
    for (int k = 1; k <= 64; k++) EXPECT_EQ(fbp[0][64 - k], fbp[0][64 + k]) << k;
    // At the row's end the direct path does not wrap around...
    setRows(0, 1.0);
    getFbp0();
    EXPECT_NEAR(fbp[0][127], -0.000067, 0.000001);

    // ...the FFT path does; column Np repeats column 0, never a stale value.
    getFbp1();
    EXPECT_NEAR(fbp[0][0], 4.127989172370093, 1e-12);
    EXPECT_NEAR(fbp[0][127], -1.3762727292, 1e-10);
    EXPECT_EQ(fbp[0][128], fbp[0][0]);
    setRows(64, 1.0);
    getFbp1();
    EXPECT_NEAR(fbp[Nw][64], 4.127989172370093, 1e-12);
    EXPECT_NEAR(fbp[Nw][65], -1.3762727292, 1e-10);
    EXPECT_EQ(fbp[Nw][128], fbp[Nw][0]);

    // Zero rows stay zero.
    setRows(-1, 0.0);
    getFbp0();
    EXPECT_EQ(fbp[5][70], 0.0);
    getFbp1();
    EXPECT_EQ(fbp[5][70], 0.0);
}

TEST(Filter, ProgressBarGrowsPerProjection) {
    ensureTestCanvas();
    initRadon(60, 128);
    ClearCanvas();
    SetColoredGray(&C, 0.7);
    drawFilterProgress(0);
    EXPECT_EQ(GetWindowPixel(125, 10), 0u);
    drawFilterProgress(1); // right edge 125 + 275/60, truncated
    EXPECT_EQ(GetWindowPixel(125, 3), 0xB2B2B2u);
    EXPECT_EQ(GetWindowPixel(128, 17), 0xB2B2B2u);
    EXPECT_EQ(GetWindowPixel(129, 10), 0u);
    EXPECT_EQ(GetWindowPixel(128, 18), 0u);

    // A whole filtering ends with the bar at the right edge, in the status grey.
    setRows(64, 1.0);
    getFbp0();
    EXPECT_EQ(GetWindowPixel(124, 17), 0u);
    EXPECT_EQ(GetWindowPixel(399, 17), 0xB2B2B2u);
    EXPECT_EQ(GetBackPixel(399, 17), 0xB2B2B2u);
}

TEST(Filter, SinogramIsComputedOnlyWhenStale) {
    ensureTestCanvas();
    initRadon(30, 64);
    head = head1;
    setRows(32, 1.0);
    have_fbp = 0;
    getFbp0();
    getFbp1();
    EXPECT_EQ(rdn[3][32], 1.0);
    EXPECT_EQ(have_fbp, 1);

    for (void (*filter)(void) : {getFbp0, getFbp1}) {
        have_rdn = 0;
        have_fbp = 0;
        filter();
        EXPECT_EQ(have_rdn, 1);
        EXPECT_EQ(have_fbp, 1);
        EXPECT_NEAR(rdn[3][32], 1.512, 0.03); // head1's chord through the centre
    }
    head = head0;
}
