// Poisson counts from an integer random stream, with exp and log of our own.
#include "scan/poisson.h"

#include <cmath>
#include <cstring>

// splitmix64's finaliser: every input bit moves every output bit.
static uint64_t mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

RandomStream::RandomStream(uint64_t a, uint64_t b, uint64_t c, uint64_t d)
    : state(mix(mix(mix(mix(a) ^ b) ^ c) ^ d)) {}

uint64_t RandomStream::next() {
    state += 0x9e3779b97f4a7c15u;
    return mix(state);
}

double RandomStream::uniform() { return ((double)(next() >> 11) + 0.5) * 0x1p-53; }

// A double's bits and back (std::bit_cast is missing from the web build's library).
static uint64_t bitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}
static double fromBits(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

static const double ln2_hi = 6.93147180369123816490e-01; // ln 2 in two parts: k * ln2_hi is exact
static const double ln2_lo = 1.90821492927058770002e-10;

// The Taylor coefficients of exp, 1/n!.
static const double c[15] = {
    1, 1, 1.0 / 2, 1.0 / 6, 1.0 / 24, 1.0 / 120, 1.0 / 720, 1.0 / 5040, 1.0 / 40320, 1.0 / 362880,
    1.0 / 3628800, 1.0 / 39916800, 1.0 / 479001600, 1.0 / 6227020800, 1.0 / 87178291200,
};

double portableExp(double x) {
    // x = k ln 2 + r with |r| <= ln 2 / 2; exp(r) by its Taylor series to r^14 / 14!,
    // summed in pairs (Estrin's scheme) rather than in one long chain.
    double kd = std::floor(x * 1.4426950408889634 + 0.5);
    double r = (x - kd * ln2_hi) - kd * ln2_lo;
    double r2 = r * r, r4 = r2 * r2, r8 = r4 * r4;
    double q0 = (c[0] + c[1] * r) + (c[2] + c[3] * r) * r2;
    double q1 = (c[4] + c[5] * r) + (c[6] + c[7] * r) * r2;
    double q2 = (c[8] + c[9] * r) + (c[10] + c[11] * r) * r2;
    double q3 = (c[12] + c[13] * r) + c[14] * r2;
    double p = (q0 + q1 * r4) + (q2 + q3 * r4) * r8;
    // 2^k, built from its bits: exact.
    return p * fromBits((uint64_t)((int64_t)kd + 1023) << 52);
}

// 1 / (2n + 1), the coefficients of atanh(s) / s in s^2.
static const double d[11] = {1.0,      1.0 / 3,  1.0 / 5,  1.0 / 7,  1.0 / 9, 1.0 / 11,
                             1.0 / 13, 1.0 / 15, 1.0 / 17, 1.0 / 19, 1.0 / 21};

double portableLog(double x) {
    // x = m 2^e with m in [sqrt(1/2), sqrt(2)); log m = 2 atanh(s), s = (m - 1)/(m + 1).
    uint64_t bits = bitsOf(x);
    int e = (int)(bits >> 52) - 1023;
    double m = fromBits((bits & 0x000fffffffffffffu) | 0x3ff0000000000000u);
    if (m >= 1.4142135623730951) {
        m = m * 0.5;
        e = e + 1;
    }
    // 2 atanh(s) = 2 s (1 + z/3 + z^2/5 + ...) with z = s^2 < 0.0295: z^11 is below an ulp.
    double s = (m - 1) / (m + 1), z = s * s, z2 = z * z, z4 = z2 * z2, z8 = z4 * z4;
    double b0 = (d[0] + d[1] * z) + (d[2] + d[3] * z) * z2;
    double b1 = (d[4] + d[5] * z) + (d[6] + d[7] * z) * z2;
    double b2 = (d[8] + d[9] * z) + d[10] * z2;
    double sum = (b0 + b1 * z4) + b2 * z8;
    return e * ln2_hi + (e * ln2_lo + 2 * s * sum);
}

// log(k!) for a whole k >= 0: exactly from k! while that is small, by
// Stirling's series beyond, where its next term is below 1e-14.
static double logFactorial(double k) {
    if (k < 10) {
        double f = 1;
        for (int i = 2; i <= (int)k; i++) f = f * i;
        return portableLog(f);
    }
    double x = k + 1, z = 1 / (x * x);
    double series = (((((1.0 / 156 * z - 691.0 / 360360) * z + 1.0 / 1188) * z - 1.0 / 1680) * z + 1.0 / 1260) * z -
                     1.0 / 360) * z + 1.0 / 12;
    return (x - 0.5) * portableLog(x) - x + 0.91893853320467274 + series / x;
}

int64_t poissonCount(double mean, RandomStream &random) {
    if (mean < 10) {
        // Inversion: walk up the distribution function until it passes u.
        double u = random.uniform(), p = portableExp(-mean), sum = p;
        int64_t k = 0;
        while (u > sum) {
            k++;
            p = p * mean / k;
            if (p == 0) break; // u beyond the sum's rounding: the tail is empty
            sum = sum + p;
        }
        return k;
    }
    // W. Hoermann, The transformed rejection method for generating Poisson
    // random variables, Insurance: Mathematics and Economics 12 (1993).
    const double b = 0.931 + 2.53 * std::sqrt(mean);
    const double a = -0.059 + 0.02483 * b;
    const double inv_alpha = 1.1239 + 1.1328 / (b - 3.4);
    const double v_r = 0.9277 - 3.6224 / (b - 2);
    for (;;) {
        double u = random.uniform() - 0.5, v = random.uniform();
        double us = 0.5 - std::fabs(u);
        double k = std::floor((2 * a / us + b) * u + mean + 0.43);
        if (us >= 0.07 && v <= v_r) return (int64_t)k;
        if (k < 0 || (us < 0.013 && v > us)) continue;
        double lhs = portableLog(v) + portableLog(inv_alpha) - portableLog(a / (us * us) + b);
        if (lhs <= -mean + k * portableLog(mean) - logFactorial(k)) return (int64_t)k;
    }
}
