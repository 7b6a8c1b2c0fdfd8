// Doubles in WebAssembly SIMD for Highway's WASM target: the lane arithmetic
// that Highway 1.0's WASM target leaves out for doubles (it has it for
// floats), each one WebAssembly's own f64x2 instruction, which rounds every
// lane exactly as the scalar operation does. Only what the lane code uses.
// Included by lanes-inl.h after Highway, for that target alone.
#if defined(RADON_WASM_DOUBLES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RADON_WASM_DOUBLES_INL_H_
#undef RADON_WASM_DOUBLES_INL_H_
#else
#define RADON_WASM_DOUBLES_INL_H_
#endif

#include <wasm_simd128.h>

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace hwy::HWY_NAMESPACE {

template <size_t N>
HWY_API Vec128<double, N> Set(Simd<double, N, 0>, double t) {
    return Vec128<double, N>{wasm_f64x2_splat(t)};
}
template <size_t N>
HWY_API Vec128<double, N> operator+(Vec128<double, N> a, Vec128<double, N> b) {
    return Vec128<double, N>{wasm_f64x2_add(a.raw, b.raw)};
}
template <size_t N>
HWY_API Vec128<double, N> operator-(Vec128<double, N> a, Vec128<double, N> b) {
    return Vec128<double, N>{wasm_f64x2_sub(a.raw, b.raw)};
}
template <size_t N>
HWY_API Vec128<double, N> operator*(Vec128<double, N> a, Vec128<double, N> b) {
    return Vec128<double, N>{wasm_f64x2_mul(a.raw, b.raw)};
}
template <size_t N>
HWY_API Vec128<double, N> operator/(Vec128<double, N> a, Vec128<double, N> b) {
    return Vec128<double, N>{wasm_f64x2_div(a.raw, b.raw)};
}
template <size_t N>
HWY_API Mask128<double, N> operator<(Vec128<double, N> a, Vec128<double, N> b) {
    return Mask128<double, N>{wasm_f64x2_lt(a.raw, b.raw)};
}
template <size_t N>
HWY_API Mask128<double, N> operator>(Vec128<double, N> a, Vec128<double, N> b) {
    return Mask128<double, N>{wasm_f64x2_gt(a.raw, b.raw)};
}
template <size_t N>
HWY_API Vec128<double, N> Abs(Vec128<double, N> v) {
    return Vec128<double, N>{wasm_f64x2_abs(v.raw)};
}
template <size_t N>
HWY_API Vec128<double, N> Sqrt(Vec128<double, N> v) {
    return Vec128<double, N>{wasm_f64x2_sqrt(v.raw)};
}
template <size_t N>
HWY_API Vec128<double, N> Trunc(Vec128<double, N> v) {
    return Vec128<double, N>{wasm_f64x2_trunc(v.raw)};
}

} // namespace hwy::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
