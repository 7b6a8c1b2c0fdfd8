// Arithmetic written once for one double and for SIMD lanes of doubles: a
// formula templated on K computes with K = OneLane what every lane computes
// with K = Lanes<D>, in the same operations and order, so both give the same
// bits. Included once per SIMD target, as Highway's -inl headers are.
#if defined(RADON_LANES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RADON_LANES_INL_H_
#undef RADON_LANES_INL_H_
#else
#define RADON_LANES_INL_H_
#endif

#include <cmath>

#include "hwy/highway.h"
#if HWY_TARGET == HWY_WASM
#include "wasm_doubles-inl.h"
#endif

HWY_BEFORE_NAMESPACE();
namespace radon::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The target's widest vectors of doubles, and room for their lanes. The
// page's scan takes Highway's portable target one double at a time (see
// CMakeLists.txt), which V8 runs faster than its vectors of two.
#if HWY_TARGET == HWY_EMU128 && defined(__EMSCRIPTEN__)
using D = hn::CappedTag<double, 1>;
#else
using D = hn::ScalableTag<double>;
#endif
using V = hn::Vec<D>;
const size_t kMaxLanes = HWY_MAX_BYTES / sizeof(double);

struct OneLane {
    using V = double;
    double operator()(double constant) const { return constant; }
    static double pick(bool m, double a, double b) { return m ? a : b; }
    static double abs(double a) { return std::fabs(a); }
    static bool both(bool a, bool b) { return a && b; }
    static bool all(bool m) { return m; }
};

template <class D>
struct Lanes {
    D d;
    using V = hn::Vec<D>;
    V operator()(double constant) const { return hn::Set(d, constant); }
    static V pick(hn::Mask<D> m, V a, V b) { return hn::IfThenElse(m, a, b); }
    static V abs(V a) { return hn::Abs(a); }
    static hn::Mask<D> both(hn::Mask<D> a, hn::Mask<D> b) { return hn::And(a, b); }
    bool all(hn::Mask<D> m) const { return hn::AllTrue(d, m); }
};

} // namespace radon::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
