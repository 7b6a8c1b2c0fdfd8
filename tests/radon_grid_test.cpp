// The sampling grid.
#include <gtest/gtest.h>

#include "scan/scan.h"

TEST(Grid, DefaultGridValues) {
    initRadon(60, 128);
    EXPECT_EQ(Nw, 60);
    EXPECT_EQ(Np, 128);
    EXPECT_EQ(Nl, 400);
    EXPECT_EQ(dp, 0.046875);
    EXPECT_EQ(dl, 0.015);
    EXPECT_EQ(cn[60], -1.0);
    EXPECT_NE(sn[60], 0.0);
}

TEST(Grid, EveryGridChangeReplacesTheBuffersAndClearsTheFlags) {
    initRadon(200, 512);
    rdn[200][512] = fbp[200][512] = 1;
    have_rdn = have_fbp = 1;
    initRadon(30, 64);
    rdn[30][64] = fbp[30][64] = 1;
    EXPECT_EQ(dp, 0.09375);
    EXPECT_EQ(have_rdn + have_fbp, 0);
    have_rdn = have_fbp = 1;
    initRadon(30, 64);
    EXPECT_EQ(have_rdn + have_fbp, 0);
}
