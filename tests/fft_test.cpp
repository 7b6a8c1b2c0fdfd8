// The FFT and its cached bit-reversal table.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fft.h"

TEST(Fft, DirectionsAndScaling) {
    int table[8];
    make_bitrev(8, table);
    EXPECT_EQ(std::vector<int>(table, table + 8), (std::vector<int>{0, 4, 2, 6, 1, 5, 3, 7}));

    // Forward: X[m] = (1/N) sum x[k] e^(-2 pi i k m / N); an impulse at k = 1
    // gives X[1] = -i/4 for N = 4.
    double x[4] = {0, 1, 0, 0}, y[4] = {0, 0, 0, 0};
    ASSERT_EQ(fft(4, x, y), 0);
    EXPECT_NEAR(x[1], 0.0, 1e-16);
    EXPECT_NEAR(y[1], -0.25, 1e-16);

    // Inverse, unscaled: all ones give the impulse of height N.
    std::vector<double> X(16, 1.0), Y(16, 0.0);
    ASSERT_EQ(fft(-16, X.data(), Y.data()), 0);
    EXPECT_NEAR(X[0], 16.0, 1e-13);
    for (int k = 1; k < 16; k++) EXPECT_NEAR(std::hypot(X[k], Y[k]), 0.0, 1e-13) << k;
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

TEST(Fft, SpecialLengths) {
    double x = 3.25, y = -1.5;
    EXPECT_EQ(fft(1, &x, &y), 0);
    EXPECT_EQ(x, 3.25);
    EXPECT_EQ(y, -1.5);

    // n = 0 releases the table and touches nothing; the next call builds anew.
    EXPECT_EQ(fft(0, &x, &y), 0);
    EXPECT_EQ(x, 3.25);
    double u[4] = {1, 0, 0, 0}, v[4] = {0, 0, 0, 0};
    EXPECT_EQ(fft(4, u, v), 0);
    for (double value : u) EXPECT_EQ(value, 0.25);

    for (int n : {3, -12, 100}) {
        std::vector<double> a(std::abs(n), 1.5), b(std::abs(n), -2.0);
        EXPECT_EQ(fft(n, a.data(), b.data()), 1) << n;
        EXPECT_EQ(a, std::vector<double>(std::abs(n), 1.5));
        EXPECT_EQ(b, std::vector<double>(std::abs(n), -2.0));
    }
}
