// The back-projections' pixel loops, several pixels at once (a pixel in each
// SIMD lane), each pixel summing its views in the order of the plain loop.
// Each works on the pixels first..end-1 of a row at height y, xs[ix] their x.
#ifndef RADON_BACKPROJECT_LANES_H
#define RADON_BACKPROJECT_LANES_H

// fn[ix] = the sum over angles[0..n-1] of the parallel back-projection's
// shares of the rows filtered[iw].
void backProjectAngles(double *const *filtered, const int *angles, int n, const double *xs, double y, int first,
                       int end, double *fn);

// A fan's view in the back-projection: its source at (c, s) = (cos, sin)
// of its angle, with the view facing it (opposite_row) where both are
// worked out together.
struct FanView {
    double c, s;
    const double *row, *opposite_row;
};
// fn[ix] = the sum over views[0..n-1] of the fan back-projection's shares.
void fanBackProjectViews(const FanView *views, int n, double dgamma, const double *xs, double y, int first, int end,
                         double *fn);

// One view of the iterative methods' smearing back: the shares
// (1 - f) r[k] + f r[k + 1] of its rays' values r at the pixels, along
// parallel rays of angle (c, s) = (cos, sin) or a fan's rays from the
// source at angle (c, s).
struct SmearView {
    bool fan;
    double c, s, dgamma;
    const double *r;
};
// SART: u[ix] = max(0, u[ix] + lambda share).
void smearCorrections(const SmearView &view, double lambda, const double *xs, double y, int first, int end,
                      double *u);
// MLEM's transpose of its projection: v[ix] = v[ix] + weight share, the
// weight area / dp, or a fan's area sqrt(1 / L^2) / dgamma.
void smearWeighted(const SmearView &view, double area, const double *xs, double y, int first, int end, double *v);

#endif
