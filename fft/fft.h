// In-place radix-2 complex FFT over separate real and imaginary arrays.
#ifndef FFT_H
#define FFT_H

// Transform the |n| values x[k] + i y[k] in place: n > 0 forward (scaled by
// 1/n), n < 0 inverse (unscaled), n = 0 releases the cached permutation.
// Returns 0 on success; 1 when |n| is not a power of two or the permutation
// table cannot be allocated, the arrays then left unchanged.
int fft(int n, double *x, double *y);

// Fill bitrev[0..n-1] with the bit-reversal permutation (n a power of two).
void make_bitrev(int n, int *bitrev);

#endif
