// The instruction set of the SIMD code (Highway's dispatch): the best that
// the processor has, or with RADON_SIMD=scalar in the environment Highway's
// scalar fallback. Both give the same bits; the tests run both ways.
#ifndef RADON_SIMD_H
#define RADON_SIMD_H

// Reads the environment the first time; every dispatching function calls it
// before it dispatches.
void chooseSimdTarget(void);
// The instruction set chosen, as Highway names it ("AVX2", "EMU128", ...).
const char *simdTargetName(void);

#endif
