// Random photon counts that come out the same on every platform: integer
// random streams, and exp, log and Poisson counts from +, -, *, / and sqrt
// alone (the C library's exp and log differ between platforms in the last bit).
#ifndef RADON_POISSON_H
#define RADON_POISSON_H

#include <cstdint>

// A splitmix64 stream; its start is derived from a key of four numbers, so
// that every ray has a stream of its own whichever thread draws it.
struct RandomStream {
    uint64_t state;
    RandomStream(uint64_t a, uint64_t b, uint64_t c, uint64_t d);
    uint64_t next();
    // Uniform in the open interval (0, 1), on a grid of 2^-53.
    double uniform();
};

// exp(x) for |x| < 700 and log(x) for normal x > 0, within about an ulp.
double portableExp(double x);
double portableLog(double x);

// A Poisson-distributed count of mean `mean` (0 <= mean < 2^31): by
// inversion below 10, by Hoermann's transformed rejection (PTRS) above.
int64_t poissonCount(double mean, RandomStream &random);

#endif
