// The test objects and their picture.
#include <gtest/gtest.h>

#include "radon_test_canvas.h"

TEST(Objects, FirstTestThatHoldsAndStrictEdges) {
    EXPECT_EQ(head0(0, -1), 0.7);
    EXPECT_EQ(head0(0, 0), 1.0);
    EXPECT_EQ(head0(0, 1), 0.9);
    EXPECT_EQ(head0(0, 2.2), 1.0);
    EXPECT_EQ(head0(2, 0), 0.0);
    EXPECT_EQ(head0(-1, 0.5), 0.4);
    EXPECT_EQ(head0(1, 0.2), 0.4);
    EXPECT_EQ(head0(1.2, -1.3), 0.8);
    EXPECT_EQ(head1(0, 1.04), 0.8);
    EXPECT_EQ(head1(0, 1.1), 0.0);
    EXPECT_EQ(head2(0, 0.1), 0.4);
    EXPECT_EQ(head2(0.85, 0.1), 0.8);
    EXPECT_EQ(head2(1, 0.1), 0.0);
    EXPECT_EQ(head3(1.2, 0), 0.0);
    EXPECT_EQ(head3(1.19, -1.19), 0.8);
    EXPECT_EQ(head4(0.99, 0), 0.2);
    EXPECT_EQ(head4(1.0, 0), 0.9);
    EXPECT_EQ(head4(1.2, 0), 0.0);
}

TEST(Objects, DrawHeadPaintsEveryPixel) {
    ensureTestCanvas();
    head = head3;
    drawHead();
    head = head0;
    drawHead();
    EXPECT_EQ(GetWindowPixel(200, 200), 0xFFFFFFu); // the spot at the origin
    EXPECT_EQ(GetWindowPixel(0, 0), 0u);
    // Brain tissue (grey 178) where the box (grey 204) was before.
    EXPECT_EQ(GetWindowPixel(200, 250), 0xB2B2B2u);
    EXPECT_EQ(GetBackPixel(200, 250), 0xB2B2B2u);
}
