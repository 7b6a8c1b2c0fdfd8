// The Radon transform: stored line integrals and the animation's last frame.
#include <gtest/gtest.h>

#include <cmath>

#include "radon_test_canvas.h"

TEST(Radon, DiskChordOnTheCentreRay) {
    ensureTestCanvas();
    initRadon(60, 128);
    head = head1;
    getRadon();
    head = head0;
    // 126 samples inside the disk of density 0.8, 0.015 apart.
    EXPECT_NEAR(rdn[0][64], 1.512, 1e-12);
    EXPECT_EQ(have_rdn, 1);
    EXPECT_EQ(have_fbp, 0);
}

TEST(Radon, PhantomSinogramAndLastFrame) {
    ensureTestCanvas();
    initRadon(60, 128);
    head = head0;
    getRadon();
    // At angle 0 the rays are vertical at x = xp; the head spans |x| < 1.75.
    for (int ip = 0; ip <= Np; ip++) {
        if (std::fabs(ip * dp - xmax) > 1.75) {
            EXPECT_EQ(rdn[0][ip], 0.0) << ip;
        }
    }
    // The half-turn sees the same rays from the other side, sampled a step apart.
    for (int ip = 0; ip <= Np; ip++) EXPECT_NEAR(rdn[Nw][ip], rdn[0][Np - ip], 0.05) << ip;

    // The half-turn's frame: sources at the top, detector band at the bottom;
    // ray ip = 11 (xp = -2.48) crosses nothing, so its cell has grey 25.
    EXPECT_EQ(GetWindowPixel(365, 12), 0xCCCCCCu);
    EXPECT_EQ(GetWindowPixel(365, 378), 0x191919u);
    EXPECT_EQ(GetBackPixel(365, 378), 0x191919u);
    // Drawing goes to the window again.
    DrawPoint(5, 390);
    EXPECT_EQ(GetBackPixel(5, 390), 0u);
    EXPECT_NE(GetWindowPixel(5, 390), 0u);
}
