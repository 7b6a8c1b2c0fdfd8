// The hot loops are built twice, for AVX2 and for plain x86-64, and the
// loader picks the one the processor can run. Both give the same bits:
// neither fuses multiply-adds (-ffp-contract=off) nor reorders sums.
#ifndef RADON_VECTOR_CLONES_H
#define RADON_VECTOR_CLONES_H

#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__)
#define VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VECTOR_CLONES
#endif

#endif
