// The sampling grid.
#include <gtest/gtest.h>

#include "radon.h"

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
