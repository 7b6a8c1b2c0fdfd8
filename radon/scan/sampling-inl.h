// The test objects' shapes and the points along a ray, for one point and for
// lanes of points (see lanes-inl.h): the scan samples lanes of rays at once,
// and each lane must read what objectValue reads at its point.
#if defined(RADON_SAMPLING_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RADON_SAMPLING_INL_H_
#undef RADON_SAMPLING_INL_H_
#else
#define RADON_SAMPLING_INL_H_
#endif

#include "lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace radon::HWY_NAMESPACE {

// Coordinate a of sample il of a ray from a0 to a1 in n steps.
template <class V>
HWY_INLINE V alongRay(V a0, V a1, V il, V n) {
    return a0 + (a1 - a0) * il / n;
}

template <class V>
HWY_INLINE V sq(V a) {
    return a * a;
}

// Shepp-Logan's phantom: the first test that holds decides, so the skull
// covers the lower-right feature where they overlap. The tests are taken
// from the last to the first, each overruling those after it.
template <class K, class V = typename K::V>
HWY_INLINE V phantomShape(K k, V x, V y) {
    const V q = k(0.33) * sq(x) + k(0.2) * sq(y);
    // Outside the skull every test below is overruled; where all the lanes
    // are outside, they are not worth making.
    if (k.all(q > k(1))) return k(0);
    V u = x - k(1.2), v = y + k(1.2);
    V value = k.pick(k(3) * sq(u) - u * v + sq(v) < k(0.2), k(0.8), k(0.7));
    u = x - k(0.8);
    v = y - k(0.2);
    value = k.pick(k(2.5) * sq(u) - u * v + sq(v) < k(0.4), k(0.4), value);
    u = x + k(0.8);
    value = k.pick(k(3.5) * sq(u) + k(1.5) * u * v + sq(v) < k(0.7), k(0.4), value);
    value = k.pick(sq(x) + sq(y + k(0.1)) < k(0.02), k(1.0), value);
    value = k.pick(k(2) * sq(x) + k(1.25) * sq(y - k(1)) < k(0.7), k(0.9), value);
    value = k.pick(q > k(0.92), k(1.0), value);
    return k.pick(q > k(1), k(0), value);
}

template <class K, class V = typename K::V>
HWY_INLINE V disk0Shape(K k, V x, V y) {
    return k.pick(sq(x) + sq(y - k(0.1)) < k(0.9), k(0.8), k(0));
}

template <class K, class V = typename K::V>
HWY_INLINE V disk1Shape(K k, V x, V y) {
    const V r = sq(x) + sq(y - k(0.1));
    return k.pick(r < k(0.6), k(0.4), k.pick(r < k(0.9), k(0.8), k(0)));
}

template <class K, class V = typename K::V>
HWY_INLINE V box0Shape(K k, V x, V y) {
    return k.pick(k.both(k.abs(x) < k(1.2), k.abs(y) < k(1.2)), k(0.8), k(0));
}

template <class K, class V = typename K::V>
HWY_INLINE V box1Shape(K k, V x, V y) {
    const V outer = k.pick(k.both(k.abs(x) < k(1.2), k.abs(y) < k(1.2)), k(0.9), k(0));
    return k.pick(k.both(k.abs(x) < k(1), k.abs(y) < k(1)), k(0.2), outer);
}

// The metal pins, mirrored about the y axis: what they add inside them.
const double kMetalValue = 8;

template <class K, class V = typename K::V>
HWY_INLINE auto inMetalPinShape(K k, V x, V y) {
    return sq(k.abs(x) - k(0.7)) + sq(y + k(1.2)) < k(0.15 * 0.15);
}

template <class K, class V = typename K::V>
HWY_INLINE V withMetalPins(K k, V value, V x, V y) {
    return k.pick(inMetalPinShape(k, x, y), value + k(kMetalValue), value);
}

} // namespace radon::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
