// The samples along the scan's rays: one ray's points and values for the
// demonstrations, and the sums of many rays at once, a ray in each SIMD
// lane, each lane adding its ray's samples in order along the ray.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "scan/ray_samples.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep

#include <algorithm>
#include <climits>

#include "hwy/highway.h"
#include "scan/objects.h"
#include "scan/ray.h"
#include "scan/sampling-inl.h"

HWY_BEFORE_NAMESPACE();
namespace radon::HWY_NAMESPACE {

// Rays first..first+lanes-1 (the last repeated where n runs out) summed
// along their samples lo..hi-1 (over all of them), value(x, y) at each.
template <class Value>
HWY_INLINE void sumLanes(const Ray *rays, const int *lo, const int *hi, int first, int n, Value value, double *sums) {
    const D d;
    const Lanes<D> k{d};
    HWY_ALIGN double x0[kMaxLanes], x1[kMaxLanes], y0[kMaxLanes], y1[kMaxLanes], out[kMaxLanes];
    const int lanes = (int)hn::Lanes(d);
    int from = INT_MAX, to = INT_MIN;
    for (int i = 0; i < lanes; i++) {
        const int j = std::min(first + i, n - 1);
        x0[i] = rays[j].x0;
        x1[i] = rays[j].x1;
        y0[i] = rays[j].y0;
        y1[i] = rays[j].y1;
        if (lo[j] == hi[j]) continue;
        from = std::min(from, lo[j]);
        to = std::max(to, hi[j]);
    }
    const V vx0 = hn::Load(d, x0), vx1 = hn::Load(d, x1), vy0 = hn::Load(d, y0), vy1 = hn::Load(d, y1);
    const V steps = k(Nl);
    V sum = hn::Zero(d);
    for (int il = from; il < to; il++) {
        const V l = k(il);
        const V x = alongRay(vx0, vx1, l, steps), y = alongRay(vy0, vy1, l, steps);
        sum = sum + value(x, y);
    }
    hn::Store(sum, d, out);
    std::copy(out, out + std::min(lanes, n - first), sums + first);
}

// The object's value at lanes of points: its shape (with the pins when
// they are in), or the object's own function lane by lane.
template <class Shape>
HWY_INLINE void sumWith(const Ray *rays, const int *lo, const int *hi, int n, Shape shape, double *sums) {
    const D d;
    const Lanes<D> k{d};
    const bool pins = metal_insert;
    for (int first = 0; first < n; first += (int)hn::Lanes(d)) {
        sumLanes(rays, lo, hi, first, n, [&](V x, V y) {
            const V value = shape(k, x, y);
            return pins ? withMetalPins(k, value, x, y) : value;
        }, sums);
    }
}

void SumRays(const Ray *rays, const int *lo, const int *hi, int n, double *sums) {
    const D d;
    if (head == head0) return sumWith(rays, lo, hi, n, [](auto k, V x, V y) { return phantomShape(k, x, y); }, sums);
    if (head == head1) return sumWith(rays, lo, hi, n, [](auto k, V x, V y) { return disk0Shape(k, x, y); }, sums);
    if (head == head2) return sumWith(rays, lo, hi, n, [](auto k, V x, V y) { return disk1Shape(k, x, y); }, sums);
    if (head == head3) return sumWith(rays, lo, hi, n, [](auto k, V x, V y) { return box0Shape(k, x, y); }, sums);
    if (head == head4) return sumWith(rays, lo, hi, n, [](auto k, V x, V y) { return box1Shape(k, x, y); }, sums);
    HWY_ALIGN double xs[kMaxLanes], ys[kMaxLanes], values[kMaxLanes];
    const int lanes = (int)hn::Lanes(d);
    for (int first = 0; first < n; first += lanes) {
        sumLanes(rays, lo, hi, first, n, [&](V x, V y) {
            hn::Store(x, d, xs);
            hn::Store(y, d, ys);
            sampleObject(head, lanes, xs, ys, values);
            return hn::Load(d, values);
        }, sums);
    }
}

} // namespace radon::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include <cmath>

#include "simd.h"

// The functions' tables, in namespace radon: the dispatching calls below look there.
namespace radon {
HWY_EXPORT(SumRays);
} // namespace radon

void sampleRay(const Ray &r, int lo, int hi, double *x, double *y, double *value) {
    for (int il = lo; il < hi; il++) {
        x[il] = radon::HWY_NAMESPACE::alongRay<double>(r.x0, r.x1, il, Nl);
        y[il] = radon::HWY_NAMESPACE::alongRay<double>(r.y0, r.y1, il, Nl);
    }
    sampleObject(head, hi - lo, &x[lo], &y[lo], &value[lo]);
}

// The samples of a ray at distance xp from the centre that can meet the
// object: lo..hi-1. A sample's distance from the centre depends on xp and
// the sample's place along the ray only, and the object is 0 beyond its
// radius, so the samples left out would add nothing (exactly +0) to the sum.
static void samplesNearObject(double xp, double radius, int *lo, int *hi) {
    *lo = firstSample();
    *hi = endSample();
    if (fabs(xp) >= radius) {
        *hi = *lo;
    } else if (radius < HUGE_VAL) {
        // Along the ray the sample il lies at -ymax + 2 ymax il / Nl; one
        // sample more on either side covers any rounding.
        const double half = sqrt(radius * radius - xp * xp);
        *lo = std::max(*lo, (int)floor((ymax - half) * Nl / (2 * ymax)) - 1);
        *hi = std::max(*lo, std::min(*hi, (int)ceil((ymax + half) * Nl / (2 * ymax)) + 2));
    }
}

void sumRays(const Ray *rays, int n, double *sums) {
    const double radius = objectRadius(head);
    std::vector<int> lo(n), hi(n);
    for (int i = 0; i < n; i++) samplesNearObject(rays[i].xp, radius, &lo[i], &hi[i]);
    chooseSimdTarget();
    using namespace radon;
    HWY_DYNAMIC_DISPATCH(SumRays)(rays, lo.data(), hi.data(), n, sums);
}
#endif
