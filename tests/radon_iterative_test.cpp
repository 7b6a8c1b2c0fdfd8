// Iterative reconstruction: the spread order, SART's update, error and
// state, ART's ray update and sweep, the convergence plot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "radon_test_canvas.h"

namespace {

struct Iterative : DefaultSettings {};

// A sinogram of zeros but for ray (iw, ip), as a scan of its own.
void oneRay(int iw, int ip, double value) {
    for (int jw = 0; jw <= Nw; jw++)
        for (int jp = 0; jp <= Np; jp++) rdn[jw][jp] = jw == iw && jp == ip ? value : 0.0;
    takeHandWrittenSinograms(false);
}

// The last reconstruction as an image for the operators.
IterativeImage lastImage() {
    IterativeImage u;
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) u.row(iy)[ix] = last_reconstruction.value[(size_t)iy * width + ix];
    return u;
}

TEST_F(Iterative, SpreadOrderVisitsEveryAngleOnceWithItsStep) {
    const int steps[] = {11, 23, 39, 77};
    for (size_t g = 0; g < grid_choices.size(); g++) {
        initRadon(grid_choices[g].N_w, grid_choices[g].N_p);
        EXPECT_EQ(spreadStep(Nw), steps[g]) << Nw;
        std::vector<int> order = spreadOrder();
        ASSERT_EQ((int)order.size(), Nw);
        EXPECT_EQ(order[0], 0);
        EXPECT_EQ(order[1], steps[g]);
        EXPECT_EQ(order[2], 2 * steps[g] % Nw);
        std::sort(order.begin(), order.end());
        for (int iw = 0; iw < Nw; iw++) EXPECT_EQ(order[iw], iw);
    }
    EXPECT_EQ(spreadStep(10), 3); // 3.82, but 4 shares a factor with 10
    EXPECT_EQ(spreadStep(13), 5); // 4.966
}

// The pixel at the centre, worked by hand at angle 0 on the 60 x 128 grid:
// the centre ray's two samples beside it read it at one half each, and
// the disc is 399 samples long on that ray (one half at either end).
TEST_F(Iterative, OnePixelProjectedAndCorrectedByHand) {
    IterativeImage u;
    u.row(200)[200] = 1.0;
    std::vector<double> q(Np + 1);
    projectRays(u, 0, 0, Np + 1, q.data());
    EXPECT_NEAR(q[Np / 2], 0.015, 1e-15);
    EXPECT_EQ(q[Np / 2 - 1], 0.0);
    EXPECT_EQ(q[Np / 2 + 1], 0.0);
    EXPECT_NEAR(rayLengths(0)[Np / 2], 399 * 0.015, 1e-12);
    EXPECT_EQ(rayLengths(0)[0], 0.0); // the edge ray misses the disc

    // The residual (6 - 0.015) / 5.985 = 1 on the centre ray alone: the
    // pixel on it gets 1, its neighbour at x = 0.015 (p = 64.32) gets 0.68.
    oneRay(0, Np / 2, 0.015 + 5.985);
    sartUpdate(u, 0);
    EXPECT_NEAR(u.row(200)[200], 2.0, 1e-12);
    EXPECT_NEAR(u.row(100)[201], 0.68, 1e-12);
    EXPECT_NEAR(u.row(100)[199], 0.68, 1e-12);
    EXPECT_EQ(u.row(100)[204], 0.0);

    // A residual below 0 takes nothing below 0.
    oneRay(0, Np / 2, 0.0);
    sartUpdate(u, 0);
    EXPECT_EQ(u.row(100)[201], 0.0);
    EXPECT_GT(u.row(200)[200], 0.0);
}

TEST_F(Iterative, SartErrorFallsAndStaysPositiveOnNoisyScans) {
    actionfunc('I');
    actionfunc('I');
    actionfunc('I');
    const std::vector<double> errors = sartErrors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_LT(errors[1], errors[0]);
    EXPECT_LT(errors[2], errors[1]);
    EXPECT_LT(errors[2], 0.055);
    EXPECT_EQ(rmsError(last_reconstruction), errors[2]);
    EXPECT_TRUE(reconstructionIsCurrent());
    EXPECT_EQ(last_reconstruction.source.filter, nullptr);

    // 1000 photons a ray: without the constraint some pixels would go below 0.
    chooseNoise(&noise_choices.back());
    actionfunc('I');
    const Reconstruction &r = last_reconstruction;
    EXPECT_GE(*std::min_element(r.value.begin(), r.value.end()), 0.0);
    EXPECT_GT(*std::max_element(r.value.begin(), r.value.end()), 0.5);
}

TEST_F(Iterative, SartStartsOverWhenTheSinogramDependsOnSomethingNew) {
    actionfunc('I');
    actionfunc('I');
    ASSERT_EQ(sartErrors().size(), 2u);
    const double second = sartErrors()[1];
    // Filter and path: the same sinogram.
    actionfunc('k');
    actionfunc('F');
    actionfunc('I');
    EXPECT_EQ(sartErrors().size(), 3u);
    EXPECT_LT(sartErrors()[2], second);
    // The plot adds no iteration and leaves SART's result the last reconstruction.
    actionfunc('E');
    EXPECT_EQ(sartErrors().size(), 3u);
    EXPECT_EQ(last_reconstruction.source.filter, nullptr);

    for (int change : {3101, 2001, 1002}) { // noise, object, grid
        actionfunc(change);
        EXPECT_TRUE(sartErrors().empty()) << change;
        actionfunc('I');
        EXPECT_EQ(sartErrors().size(), 1u) << change;
        actionfunc('I');
    }
    // A fresh scan of the same setting is a new sinogram too.
    actionfunc('r');
    EXPECT_TRUE(sartErrors().empty());
    // The plot runs the first iteration itself.
    actionfunc('E');
    EXPECT_EQ(sartErrors().size(), 1u);
}

TEST_F(Iterative, ArtRayUpdateWorkedByHand) {
    // Ray Np/2 at angle 0 measures 1 and u is 0: the residual 1 / 5.985
    // goes to the pixels whose position p lies within one step of 64,
    // weighted 1 - |p - 64|.
    oneRay(0, Np / 2, 1.0);
    IterativeImage u;
    Strips strips;
    sortIntoStrips(u, 0, strips);
    ASSERT_TRUE(correctRay(u, strips, 0, Np / 2));
    EXPECT_FALSE(correctRay(u, strips, 0, 0));
    const double r = 1.0 / rayLengths(0)[Np / 2];
    EXPECT_NEAR(r, 1 / 5.985, 1e-12);
    const double expected[] = {0, 0.04, 0.36, 0.68, 1, 0.68, 0.36, 0.04, 0}; // columns 196..204
    for (int ix = 196; ix <= 204; ix++) EXPECT_NEAR(u.row(300)[ix], expected[ix - 196] * r, 1e-12) << ix;
}

TEST_F(Iterative, ArtSweepMatchesTheRaysOfItsLastAngle) {
    actionfunc('A');
    EXPECT_TRUE(reconstructionIsCurrent());
    EXPECT_LT(rmsError(last_reconstruction), 0.08);
    IterativeImage u = lastImage();
    // The rays of an angle against the measurement: the largest and the mean
    // difference over the rays that meet the disc.
    struct Misfit {
        double worst = 0, mean = 0;
    };
    auto misfit = [&](int iw) {
        std::vector<double> q(Np + 1);
        projectRays(u, iw, 0, Np + 1, q.data());
        Misfit m;
        int n = 0;
        for (int ip = 0; ip <= Np; ip++) {
            if (!(rayLengths(iw)[ip] > kShortRay)) continue;
            m.worst = std::max(m.worst, fabs(q[ip] - rdn[iw][ip]));
            m.mean += fabs(q[ip] - rdn[iw][ip]);
            n++;
        }
        m.mean /= n;
        return m;
    };
    // The rays reach 2.4 at angle 0 and 1.4 on average; the last angle's are
    // matched but for their neighbours' corrections, an angle from the middle
    // of the sweep much less.
    const std::vector<int> order = spreadOrder();
    const Misfit last = misfit(order.back()), middle = misfit(order[Nw / 2]);
    EXPECT_LT(last.worst, 0.05);
    EXPECT_LT(last.mean, 0.004);
    EXPECT_GT(middle.mean, 4 * last.mean);
}

// A blank object: every error is 0, and the plot still has an axis to put
// its point on (the point is green, inside the frame).
TEST_F(Iterative, ConvergencePlotOfABlankObjectShowsItsOneIteration) {
    head = [](double, double) { return 0.0; };
    getRadon();
    testing::internal::CaptureStdout();
    sartIteration();
    convergencePlot();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.ends_with("SART: 1 iteration, RMS 0.0000; FBP: RMS 0.0000\n")) << out;
    int green_pixels = 0;
    for (int iy = 56; iy <= 344; iy++)
        for (int ix = 64; ix <= 376; ix++) green_pixels += GetWindowPixel(ix, iy) == 0x00FF00u;
    EXPECT_GT(green_pixels, 0);
}

} // namespace
