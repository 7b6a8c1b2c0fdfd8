// Radix-2 decimation-in-time FFT with a cached bit-reversal table.
#include "fft.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

// The permutation for the last length used: the filtering alternates forward
// and inverse transforms of one length, so it is built once per grid. Each
// thread keeps its own, so that rows can be transformed on two threads.
struct BitrevTable {
    int *bitrev = nullptr;
    int last_n = 0;
    ~BitrevTable() { delete[] bitrev; }
};
static thread_local BitrevTable table;

void make_bitrev(int n, int *bitrev) {
    int i = 0, j = 0;
    for (;;) {
        bitrev[i] = j;
        if (++i >= n) return;
        int k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
}

int fft(int n, double *x, double *y) {
    bool inverse = n < 0;
    if (inverse) n = -n;
    if (n & (n - 1)) return 1;

    int *&bitrev = table.bitrev;
    int &last_n = table.last_n;
    if (n != last_n || n == 0) {
        last_n = n;
        delete[] bitrev;
        bitrev = nullptr;
        if (n == 0) return 0;
        bitrev = new (std::nothrow) int[n];
        if (!bitrev) {
            std::fprintf(stderr, "cannot allocate memory\n");
            // A later call with the same length tries again.
            last_n = 0;
            return 1;
        }
        make_bitrev(n, bitrev);
    }

    for (int i = 0; i < n; i++) {
        int j = bitrev[i];
        if (i < j) {
            std::swap(x[i], x[j]);
            std::swap(y[i], y[j]);
        }
    }

    for (int k = 1; k < n; k *= 2) {
        for (int j = 0; j < k; j++) {
            double a = (j * 3.141592653589793) / k;
            double wx = cos(a);
            double wy = inverse ? -sin(a) : sin(a);
            for (int i = j; i < n; i += 2 * k) {
                int ik = i + k;
                double dx = wx * x[ik] + wy * y[ik];
                double dy = wx * y[ik] - wy * x[ik];
                x[ik] = x[i] - dx;
                x[i] = x[i] + dx;
                y[ik] = y[i] - dy;
                y[i] = y[i] + dy;
            }
        }
    }

    if (!inverse) {
        for (int i = 0; i < n; i++) {
            x[i] /= n;
            y[i] /= n;
        }
    }
    return 0;
}
