// Back-projection: the disc it draws and the scale of its values.
#include <gtest/gtest.h>

#include "radon.h"
#include "radon_test_canvas.h"
#include "stages.h"

TEST(BackProjection, ConstantFilteredSinogramGivesCTimesPiInTheDisc) {
    ensureTestCanvas();
    initRadon(60, 128);
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) fbp[iw][ip] = 0.2;
    SetColoredGray(&C, 1.0);
    FillRectangle(0, 0, 400, 400);
    drawBackProjection();

    const uint32_t grey = 0xA0A0A0; // 0.2 pi = 0.628 -> 160
    int drawn = 0;
    for (int iy = 0; iy < 400; iy++) {
        for (int ix = 0; ix < 400; ix++) {
            uint32_t pixel = GetWindowPixel(ix, iy);
            ASSERT_TRUE(pixel == grey || pixel == 0u) << ix << "," << iy;
            if (pixel == grey) drawn++;
        }
    }
    EXPECT_NEAR(drawn, 3.14159 * 200 * 200, 400);

    // Only strictly inside radius 3: row 0, column 0 and the corners stay black.
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

TEST(BackProjection, DiskComesBackAtItsDensity) {
    ensureTestCanvas();
    initRadon(60, 128);
    head = head1;
    have_rdn = 0;
    use_fft = 0;
    reconstruct();
    char in[400];
    double direct[400];
    backProjectRow(200, in, direct);
    EXPECT_NEAR(direct[200], 0.8, 0.03);
    EXPECT_NEAR(direct[20], 0.0, 0.02);

    // The FFT path's kernel is about 3/pi of the direct one, and it drops the
    // row's mean: its values come out lower.
    use_fft = 1;
    reconstruct();
    use_fft = 0;
    head = head0;
    double viaFft[400];
    backProjectRow(200, in, viaFft);
    EXPECT_LT(viaFft[200], 0.96 * direct[200]);
    EXPECT_GT(viaFft[200], 0.85 * direct[200]);
    EXPECT_EQ(GetWindowPixel(200, 200) & 0xFF, (uint32_t)(viaFft[200] * 255));
}
