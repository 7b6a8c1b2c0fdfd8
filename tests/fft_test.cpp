// The FFT and its cached bit-reversal table.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fft.h"

TEST(Fft, BitReversalOfEight) {
    int table[8];
    make_bitrev(8, table);
    std::vector<int> got(table, table + 8);
    EXPECT_EQ(got, (std::vector<int>{0, 4, 2, 6, 1, 5, 3, 7}));
}

TEST(Fft, ImpulseAndConstantAreEachOthersTransforms) {
    std::vector<double> x(16, 0.0), y(16, 0.0);
    x[0] = 1;
    ASSERT_EQ(fft(16, x.data(), y.data()), 0);
    for (int m = 0; m < 16; m++) {
        EXPECT_NEAR(x[m], 1.0 / 16, 1e-15) << m;
        EXPECT_NEAR(y[m], 0.0, 1e-15) << m;
    }

    std::vector<double> X(16, 1.0), Y(16, 0.0);
    ASSERT_EQ(fft(-16, X.data(), Y.data()), 0);
    EXPECT_NEAR(X[0], 16.0, 1e-13);
    for (int k = 1; k < 16; k++) EXPECT_NEAR(std::hypot(X[k], Y[k]), 0.0, 1e-13) << k;

    std::vector<double> c(16, 2.5), z(16, 0.0);
    fft(16, c.data(), z.data());
    EXPECT_NEAR(c[0], 2.5, 1e-15);
    for (int m = 1; m < 16; m++) EXPECT_NEAR(std::hypot(c[m], z[m]), 0.0, 1e-15) << m;
}

TEST(Fft, ForwardFollowsItsDefinition) {
    const int N = 8;
    double x[N], y[N];
    for (int k = 0; k < N; k++) {
        x[k] = std::sin(k + 1.0);
        y[k] = std::cos(3.0 * k);
    }
    double re[N], im[N];
    for (int m = 0; m < N; m++) {
        re[m] = im[m] = 0;
        for (int k = 0; k < N; k++) {
            double a = -2 * 3.141592653589793 * k * m / N;
            re[m] += (x[k] * std::cos(a) - y[k] * std::sin(a)) / N;
            im[m] += (x[k] * std::sin(a) + y[k] * std::cos(a)) / N;
        }
    }
    fft(N, x, y);
    for (int m = 0; m < N; m++) {
        EXPECT_NEAR(x[m], re[m], 1e-14) << m;
        EXPECT_NEAR(y[m], im[m], 1e-14) << m;
    }
}

// Round trips across changes of length: a stale table would scramble them.
TEST(Fft, RoundTripsReuseAndRebuildTheTable) {
    for (int n : {8, 8, 128, 64, 128}) {
        std::vector<double> x(n), y(n);
        for (int k = 0; k < n; k++) {
            x[k] = std::sin(0.7 * k) + k % 3;
            y[k] = 0.25 * k;
        }
        std::vector<double> x0 = x, y0 = y;
        ASSERT_EQ(fft(n, x.data(), y.data()), 0);
        ASSERT_EQ(fft(-n, x.data(), y.data()), 0);
        for (int k = 0; k < n; k++) {
            EXPECT_NEAR(x[k], x0[k], 1e-12) << n << " " << k;
            EXPECT_NEAR(y[k], y0[k], 1e-12) << n << " " << k;
        }
    }
}

TEST(Fft, LengthOneLeavesTheValue) {
    double x = 3.25, y = -1.5;
    EXPECT_EQ(fft(1, &x, &y), 0);
    EXPECT_EQ(x, 3.25);
    EXPECT_EQ(y, -1.5);
}

TEST(Fft, ZeroLengthReleasesTheTableAndTouchesNothing) {
    double x[4] = {1, 2, 3, 4}, y[4] = {0, 0, 0, 0};
    fft(4, x, y);
    double a = 7, b = 8;
    EXPECT_EQ(fft(0, &a, &b), 0);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 8);
    // The next call builds a new table and works as before.
    double u[4] = {1, 0, 0, 0}, v[4] = {0, 0, 0, 0};
    EXPECT_EQ(fft(4, u, v), 0);
    for (double value : u) EXPECT_EQ(value, 0.25);
}

TEST(Fft, LengthsThatAreNotPowersOfTwoAreRejected) {
    for (int n : {3, 6, -12, 100}) {
        std::vector<double> x(std::abs(n), 1.5), y(std::abs(n), -2.0);
        EXPECT_EQ(fft(n, x.data(), y.data()), 1) << n;
        for (double value : x) EXPECT_EQ(value, 1.5);
        for (double value : y) EXPECT_EQ(value, -2.0);
    }
}
