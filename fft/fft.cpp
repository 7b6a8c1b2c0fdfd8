// Radix-2 decimation-in-time FFT with cached tables.
#include "fft.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

// The permutation and the butterflies' factors for the last length used:
// the filtering alternates forward and inverse transforms of one length, so
// they are built once per grid. Each thread keeps its own, so that rows can
// be transformed on two threads.
struct Tables {
    int *bitrev = nullptr;
    // cos and sin of j pi / k for the stage of span k at [k - 1 + j] (j < k),
    // cos in the first n - 1 entries, sin in the next.
    double *factor = nullptr;
    int last_n = 0;
    void release() {
        delete[] bitrev;
        delete[] factor;
        bitrev = nullptr;
        factor = nullptr;
    }
    ~Tables() { release(); }
};
static thread_local Tables tables;

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

    if (n != tables.last_n || n == 0) {
        tables.last_n = n;
        tables.release();
        if (n == 0) return 0;
        tables.bitrev = new (std::nothrow) int[n];
        tables.factor = new (std::nothrow) double[2 * (n - 1)];
        if (!tables.bitrev || !tables.factor) {
            std::fprintf(stderr, "cannot allocate memory\n");
            tables.release();
            // A later call with the same length tries again.
            tables.last_n = 0;
            return 1;
        }
        make_bitrev(n, tables.bitrev);
        for (int k = 1; k < n; k *= 2) {
            for (int j = 0; j < k; j++) {
                double a = (j * 3.141592653589793) / k;
                tables.factor[k - 1 + j] = cos(a);
                tables.factor[n - 1 + k - 1 + j] = sin(a);
            }
        }
    }
    const int *bitrev = tables.bitrev;
    const double *cosines = tables.factor, *sines = tables.factor + (n - 1);

    for (int i = 0; i < n; i++) {
        int j = bitrev[i];
        if (i < j) {
            std::swap(x[i], x[j]);
            std::swap(y[i], y[j]);
        }
    }

    for (int k = 1; k < n; k *= 2) {
        for (int j = 0; j < k; j++) {
            double wx = cosines[k - 1 + j];
            double wy = inverse ? -sines[k - 1 + j] : sines[k - 1 + j];
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
