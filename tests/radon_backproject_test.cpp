// Back-projection: the disc it draws and the scale of its values.
#include <gtest/gtest.h>

#include "radon_test_canvas.h"

TEST(BackProjection, ConstantFilteredSinogramFillsTheDiscWithCTimesPi) {
    ensureTestCanvas();
    initRadon(60, 128);
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) fbp[iw][ip] = 0.2;
    SetColoredGray(&C, 1.0);
    FillRectangle(0, 0, 400, 400);
    drawBackProjection();

    const uint32_t grey = 0xA0A0A0; // 0.2 pi = 0.628 -> 160
    for (int iy = 0; iy < 400; iy++) {
        for (int ix = 0; ix < 400; ix++) {
            double x = (ix - 200) * 0.015, y = (200 - iy) * 0.015;
            if (x * x + y * y < 8.99 || x * x + y * y > 9.01) {
                ASSERT_EQ(GetWindowPixel(ix, iy), x * x + y * y < 9 ? grey : 0u) << ix << "," << iy;
            }
        }
    }
    // Strictly inside radius 3: row 0 and column 0 stay black.
    for (int i = 0; i < 400; i++) {
        EXPECT_EQ(GetWindowPixel(i, 0), 0u) << i;
        EXPECT_EQ(GetWindowPixel(0, i), 0u) << i;
    }
    EXPECT_EQ(GetWindowPixel(1, 200), grey);
    for (int iy : {1, 399}) {
        for (int ix = 0; ix < 400; ix++)
            EXPECT_EQ(GetWindowPixel(ix, iy) == grey, ix >= 181 && ix <= 219) << ix << "," << iy;
    }
    EXPECT_EQ(GetBackPixel(200, 200), grey);
}

TEST(BackProjection, DiskComesBackNearItsDensity) {
    ensureTestCanvas();
    initRadon(60, 128);
    head = head1;
    have_rdn = 0;
    char in[400];
    double direct[400], viaFft[400];
    use_fft = 0;
    reconstruct();
    backProjectRow(200, in, direct);
    // The FFT path's kernel is about 3/pi of the direct one, and it drops the
    // row's mean: its values come out lower.
    use_fft = 1;
    reconstruct();
    backProjectRow(200, in, viaFft);
    use_fft = 0;
    head = head0;
    EXPECT_NEAR(direct[200], 0.8, 0.03);
    EXPECT_NEAR(direct[20], 0.0, 0.02);
    EXPECT_LT(viaFft[200], 0.96 * direct[200]);
    EXPECT_GT(viaFft[200], 0.85 * direct[200]);
    EXPECT_EQ(GetWindowPixel(200, 200) & 0xFF, (uint32_t)(viaFft[200] * 255));
}
