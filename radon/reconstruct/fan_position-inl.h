// Where a fan's ray through a point meets the detector (fanDetectorPosition
// in reconstruct.h), for one point and for lanes of points (lanes-inl.h).
#if defined(RADON_FAN_POSITION_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RADON_FAN_POSITION_INL_H_
#undef RADON_FAN_POSITION_INL_H_
#else
#define RADON_FAN_POSITION_INL_H_
#endif

#include "lanes-inl.h"
#include "scan/scan.h"

HWY_BEFORE_NAMESPACE();
namespace radon::HWY_NAMESPACE {

// Cephes' P(w) and Q(w) for atan z = z + z w P(w) / Q(w), w = z^2.
template <class K, class V = typename K::V>
HWY_INLINE V arctanP(K k, V w) {
    return (((k(-8.750608600031904122785e-1) * w - k(1.615753718733365076637e1)) * w -
             k(7.500855792314704667340e1)) * w - k(1.228866684490136173410e2)) * w - k(6.485021904942025371773e1);
}
template <class K, class V = typename K::V>
HWY_INLINE V arctanQ(K k, V w) {
    return ((((w + k(2.485846490142306297962e1)) * w + k(1.650270098316988542046e2)) * w +
             k(4.328810604912902668951e2)) * w + k(4.853903996359136964868e2)) * w + k(1.945506571482613964425e2);
}

template <class K, class V = typename K::V>
HWY_INLINE V fanPosition(K k, V c, V s, V dgamma, V x, V y, V *inverse_L2) {
    const V along = k(kSourceRadius) + y * c - x * s, across = x * c + y * s;
    const V r0 = k(1) / along, z = across * r0, w = z * z;
    const V P = arctanP(k, w), Q = arctanQ(k, w);
    // gamma' / dgamma = z (Q + w P) / (Q dgamma), and 1 + w = L^2 / along^2.
    const V Qd = Q * dgamma, e = k(1) + w;
    const V r1 = k(1) / (Qd * e);
    *inverse_L2 = r0 * r0 * Qd * r1;
    return z * (Q + w * P) * e * r1 + k(Np / 2);
}

} // namespace radon::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
