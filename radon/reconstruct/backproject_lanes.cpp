// The back-projections in SIMD lanes (backproject_lanes.h).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "reconstruct/backproject_lanes.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep

#include <algorithm>
#include <vector>

#include "hwy/highway.h"
#include "reconstruct/backproject_lanes.h"
#include "reconstruct/fan_position-inl.h"
#include "reconstruct/reconstruct.h"

HWY_BEFORE_NAMESPACE();
namespace radon::HWY_NAMESPACE {

// out[ix] = block(x, out[ix]) for the pixels first..end-1, lanes at a time;
// past end the last block's lanes repeat the last pixel, and their results
// are dropped.
template <class Block>
HWY_INLINE void inBlocks(const double *xs, int first, int end, double *out, Block block) {
    const D d;
    const int lanes = (int)hn::Lanes(d);
    int ix = first;
    for (; ix + lanes <= end; ix += lanes) hn::StoreU(block(hn::LoadU(d, xs + ix), hn::LoadU(d, out + ix)), d, out + ix);
    if (ix >= end) return;
    HWY_ALIGN double x[kMaxLanes], v[kMaxLanes];
    for (int i = 0; i < lanes; i++) {
        x[i] = xs[std::min(ix + i, end - 1)];
        v[i] = out[std::min(ix + i, end - 1)];
    }
    hn::Store(block(hn::Load(d, x), hn::Load(d, v)), d, v);
    std::copy(v, v + (end - ix), out + ix);
}

// The detector values on either side of positions 0 <= p < Np: row[i] and
// row[i + 1] for i = (int)p, and i itself. Neighbouring pixels read
// neighbouring elements, so the lanes' elements usually lie in a window of
// twice as many elements as lanes, which two loads and lane permutations
// read faster than a gather does; the portable target's lanes are arrays,
// read as fast one by one.
struct Neighbours {
    V i, at, next;
};
HWY_INLINE Neighbours neighbours(const double *row, V p) {
    const D d;
    const hn::Rebind<int64_t, D> di;
    const auto i = hn::PromoteTo(di, hn::DemoteTo(hn::Rebind<int32_t, D>(), p));
    const int64_t lanes = (int64_t)hn::Lanes(d);
    // The positions grow or fall across the lanes, as the pixels' x grows.
    const int64_t at_first = hn::GetLane(i), at_last = hn::ExtractLane(i, lanes - 1);
    const int64_t base = std::min(at_first, at_last);
    if (HWY_TARGET == HWY_EMU128 || HWY_TARGET == HWY_WASM || std::max(at_first, at_last) + 1 - base >= 2 * lanes || base + 2 * lanes > Np + 1)
        return {hn::Trunc(p), hn::GatherIndex(d, row, i), hn::GatherIndex(d, row + 1, i)};
    const V low = hn::LoadU(d, row + base), high = hn::LoadU(d, row + base + lanes);
    const auto in_window = [&](hn::Vec<decltype(di)> offset) {
#if HWY_TARGET <= HWY_AVX3
        // One permutation of both vectors at once, which Highway 1.0 has no operation for.
        return V{_mm512_permutex2var_pd(low.raw, offset.raw, high.raw)};
#else
        const auto lane = hn::IndicesFromVec(d, hn::And(offset, hn::Set(di, lanes - 1)));
        return hn::IfThenElse(hn::RebindMask(d, offset < hn::Set(di, lanes)), hn::TableLookupLanes(low, lane),
                              hn::TableLookupLanes(high, lane));
#endif
    };
    const auto offset = i - hn::Set(di, base);
    return {hn::Trunc(p), in_window(offset), in_window(offset + hn::Set(di, 1))};
}

void BackProjectAngles(double *const *filtered, const int *angles, int n, const double *xs, double y, int first,
                       int end, double *fn) {
    const D d;
    const Lanes<D> k{d};
    // The row's y * sin for every angle, the same in every lane.
    std::vector<double> ys(n);
    for (int a = 0; a < n; a++) ys[a] = y * sn[angles[a]];
    inBlocks(xs, first, end, fn, [&](V x, V) {
        V sum = hn::Zero(d);
        for (int a = 0; a < n; a++) {
            const int iw = angles[a];
            const V p = (x * k(cn[iw]) + k(ys[a]) + k(xmax)) / k(dp);
            const Neighbours r = neighbours(filtered[iw], p);
            sum = ((r.i + k(1) - p) * r.at + sum) + (p - r.i) * r.next;
        }
        return sum;
    });
}

// The shares of views k and k + Nw, whose sources face each other (beta and
// beta + pi): along = D + u and D - u, across = v and -v. Worked out
// together, the two views need two divisions where one alone needs two.
HWY_INLINE V oppositeShares(const Lanes<D> &k, const FanView &view, V dgamma, V x, V y, V sum) {
    const V c = k(view.c), s = k(view.s);
    const V u = y * c - x * s, v = x * c + y * s;
    const V along1 = k(kSourceRadius) + u, along2 = k(kSourceRadius) - u;
    const V r = k(1) / (along1 * along2);
    const V r01 = along2 * r, r02 = along1 * r;
    const V z1 = v * r01, z2 = hn::Neg(v) * r02, w1 = z1 * z1, w2 = z2 * z2;
    const V P1 = arctanP(k, w1), Q1 = arctanQ(k, w1), P2 = arctanP(k, w2), Q2 = arctanQ(k, w2);
    const V Qd1 = Q1 * dgamma, e1 = k(1) + w1, Qd2 = Q2 * dgamma, e2 = k(1) + w2;
    const V d1 = Qd1 * e1, d2 = Qd2 * e2;
    const V R = k(1) / (d1 * d2);
    const V r11 = d2 * R, r12 = d1 * R;
    const V j1 = z1 * (Q1 + w1 * P1) * e1 * r11 + k(Np / 2), j2 = z2 * (Q2 + w2 * P2) * e2 * r12 + k(Np / 2);
    const Neighbours n1 = neighbours(view.row, j1), n2 = neighbours(view.opposite_row, j2);
    const V f1 = j1 - n1.i, f2 = j2 - n2.i;
    const V first = sum + ((k(1) - f1) * n1.at + f1 * n1.next) * (r01 * r01 * Qd1 * r11);
    return first + ((k(1) - f2) * n2.at + f2 * n2.next) * (r02 * r02 * Qd2 * r12);
}

void FanBackProjectViews(const FanView *views, int n, double dgamma, const double *xs, double y, int first, int end,
                         double *fn) {
    const D d;
    const Lanes<D> k{d};
    const V vy = k(y), step = k(dgamma);
    inBlocks(xs, first, end, fn, [&](V x, V) {
        V sum = hn::Zero(d);
        for (int i = 0; i < n; i++) {
            const FanView &view = views[i];
            if (view.opposite_row) {
                sum = oppositeShares(k, view, step, x, vy, sum);
                continue;
            }
            V inverse_L2;
            const V jp = fanPosition(k, k(view.c), k(view.s), step, x, vy, &inverse_L2);
            const Neighbours r = neighbours(view.row, jp);
            const V f = jp - r.i;
            sum = sum + ((k(1) - f) * r.at + f * r.next) * inverse_L2;
        }
        return sum;
    });
}

// The view's share at lanes of pixels (x, y), and a fan's 1 / L^2.
HWY_INLINE V smearShare(const Lanes<D> &k, const SmearView &view, V x, V y, V *inverse_L2) {
    const V p = view.fan ? fanPosition(k, k(view.c), k(view.s), k(view.dgamma), x, y, inverse_L2)
                         : (x * k(view.c) + y * k(view.s) + k(xmax)) / k(dp);
    const Neighbours r = neighbours(view.r, p);
    const V f = p - r.i;
    return (k(1) - f) * r.at + f * r.next;
}

void SmearCorrections(const SmearView &view, double lambda, const double *xs, double y, int first, int end,
                      double *u) {
    const D d;
    const Lanes<D> k{d};
    const V vy = k(y);
    inBlocks(xs, first, end, u, [&](V x, V value) {
        V inverse_L2;
        const V sum = value + k(lambda) * smearShare(k, view, x, vy, &inverse_L2);
        // As std::max(0.0, sum): not hn::Max, which keeps a -0 in its second operand.
        return hn::IfThenElseZero(hn::Zero(d) < sum, sum);
    });
}

void SmearWeighted(const SmearView &view, double area, const double *xs, double y, int first, int end, double *v) {
    const D d;
    const Lanes<D> k{d};
    const V vy = k(y);
    inBlocks(xs, first, end, v, [&](V x, V value) {
        V inverse_L2;
        const V share = smearShare(k, view, x, vy, &inverse_L2);
        const V weight = view.fan ? k(area) * hn::Sqrt(inverse_L2) / k(view.dgamma) : k(area / dp);
        return value + weight * share;
    });
}

} // namespace radon::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "simd.h"

// The functions' tables, in namespace radon: the dispatching calls below look there.
namespace radon {
HWY_EXPORT(BackProjectAngles);
HWY_EXPORT(FanBackProjectViews);
HWY_EXPORT(SmearCorrections);
HWY_EXPORT(SmearWeighted);
} // namespace radon

void backProjectAngles(double *const *filtered, const int *angles, int n, const double *xs, double y, int first,
                       int end, double *fn) {
    chooseSimdTarget();
    using namespace radon;
    HWY_DYNAMIC_DISPATCH(BackProjectAngles)(filtered, angles, n, xs, y, first, end, fn);
}

void fanBackProjectViews(const FanView *views, int n, double dgamma, const double *xs, double y, int first, int end,
                         double *fn) {
    chooseSimdTarget();
    using namespace radon;
    HWY_DYNAMIC_DISPATCH(FanBackProjectViews)(views, n, dgamma, xs, y, first, end, fn);
}

void smearCorrections(const SmearView &view, double lambda, const double *xs, double y, int first, int end,
                      double *u) {
    chooseSimdTarget();
    using namespace radon;
    HWY_DYNAMIC_DISPATCH(SmearCorrections)(view, lambda, xs, y, first, end, u);
}

void smearWeighted(const SmearView &view, double area, const double *xs, double y, int first, int end, double *v) {
    chooseSimdTarget();
    using namespace radon;
    HWY_DYNAMIC_DISPATCH(SmearWeighted)(view, area, xs, y, first, end, v);
}

double fanDetectorPosition(double c, double s, double dgamma, double x, double y, double *inverse_L2) {
    return radon::HWY_NAMESPACE::fanPosition(radon::HWY_NAMESPACE::OneLane(), c, s, dgamma, x, y, inverse_L2);
}
#endif
