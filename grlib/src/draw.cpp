// Lines, rectangles and polygons over the rasters.
//
// Lines are drawn with the pen as it was last made (its colour and width),
// fills with the brush as it was last made; see newPen/newBrush.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "canvas_state.h"

namespace grlib {

namespace {

struct Pixel {
    int x, y;
};

// Solid lines of these widths or less are one pixel wide.
constexpr int kThinWidth = 1;
// The dotted style: runs of this many pixels on, then as many off.
constexpr int64_t kDotRun = 3;

void touched(const Surface &s) {
    if (&s == &window_surface) window_touched();
}

// Visits the pixels of a one-pixel line from (x0, y0) towards (x1, y1): the
// start pixel is covered, the end pixel is not, a zero-length line covers
// nothing. Every step moves one pixel along the major axis; the minor
// coordinate is the exact line's, rounded to nearest, and a tie (exactly half
// way) stays on the start side. Only steps whose major coordinate lies on a
// w x h surface are visited, so far-away end points cost nothing.
// visit(x, y, i) gets i, the step count from the start pixel.
template <class Visit>
void walk_line(int x0, int y0, int x1, int y1, int w, int h, Visit visit) {
    const int64_t dx = (int64_t)x1 - x0, dy = (int64_t)y1 - y0;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const int64_t a0 = x_major ? x0 : y0, b0 = x_major ? y0 : x0;
    const int64_t da = x_major ? dx : dy, db = x_major ? dy : dx;
    const int64_t extent = x_major ? w : h;
    const int64_t n = std::llabs(da), m = std::llabs(db);
    const int64_t sa = da < 0 ? -1 : 1, sb = db < 0 ? -1 : 1;
    if (n == 0) return;

    int64_t lo, hi; // steps [lo, hi) stay on the surface's major extent
    if (sa > 0) {
        lo = std::max<int64_t>(0, -a0);
        hi = std::min<int64_t>(n, extent - a0);
    } else {
        lo = std::max<int64_t>(0, a0 - (extent - 1));
        hi = std::min<int64_t>(n, a0 + 1);
    }
    if (lo >= hi) return;

    // Minor offset k at step lo and its error e = 2*lo*m - (2k+1)*n, which is
    // in (-2n, 0] exactly when k is right. For end points far off the surface
    // the products overflow 64 bits, but e itself is small, so it is formed
    // modulo 2^64 and a floating-point estimate of k is corrected by it.
    int64_t k = (int64_t)std::floor((double)lo * (double)m / (double)n + 0.5);
    auto error_at = [&](int64_t kk) {
        return (int64_t)(2 * (uint64_t)lo * (uint64_t)m - (2 * (uint64_t)kk + 1) * (uint64_t)n);
    };
    int64_t e = error_at(k);
    while (e > 0) {
        k++;
        e -= 2 * n;
    }
    while (e <= -2 * n) {
        k--;
        e += 2 * n;
    }

    for (int64_t i = lo; i < hi; i++) {
        const int64_t a = a0 + sa * i, b = b0 + sb * k;
        if (b >= 0 && b < (x_major ? h : w)) {
            if (x_major)
                visit((int)a, (int)b, i);
            else
                visit((int)b, (int)a, i);
        }
        e += 2 * m;
        if (e > 0) {
            k++;
            e -= 2 * n;
        }
    }
}

// A pen two or more pixels wide covers every pixel whose centre lies within
// width/2 of the segment (inclusive), which gives round ends and, along a
// path, round joins. Pixel centres sit on the mapped integer points; an even
// width is centred half a pixel up and to the left of them, so that a
// horizontal or vertical stroke is exactly `width` pixels across.
class WideStroke {
  public:
    WideStroke(int x0, int y0, int x1, int y1, int width)
        : shift(width % 2 == 0 ? 0.5 : 0.0), ax(x0 - shift), ay(y0 - shift), bx(x1 - shift), by(y1 - shift),
          r(width / 2.0), r2(r * r), vx(bx - ax), vy(by - ay), len2(vx * vx + vy * vy), len(std::sqrt(len2)) {}

    // The rows the pen can reach.
    double top() const { return std::floor(std::min(ay, by) - r); }
    double bottom() const { return std::ceil(std::max(ay, by) + r); }

    // The covered columns of row py among first..last: left..right, empty
    // when left > right.
    void span(int py, int first, int last, int *left_out, int *right_out) const {
        // The row's span, estimated as the hull of the two end discs and the
        // band between them, then settled pixel by pixel with the exact rule.
        double lo = INFINITY, hi = -INFINITY;
        auto widen = [&](double a, double b) {
            if (a <= b) {
                lo = std::min(lo, a);
                hi = std::max(hi, b);
            }
        };
        const double ends[2][2] = {{ax, ay}, {bx, by}};
        for (const auto &end : ends) {
            const double dy = py - end[1];
            if (dy * dy <= r2) {
                const double half = std::sqrt(r2 - dy * dy);
                widen(end[0] - half, end[0] + half);
            }
        }
        if (len2 > 0) {
            // Along the segment (0 <= t <= len2) and near it (|c| <= r * len).
            double a = -INFINITY, b = INFINITY;
            const double dy = py - ay;
            auto clip = [&](double coef, double offset, double lower, double upper) {
                if (coef == 0) {
                    if (offset < lower || offset > upper) a = INFINITY;
                    return;
                }
                double p = (lower - offset) / coef, q = (upper - offset) / coef;
                if (p > q) std::swap(p, q);
                a = std::max(a, ax + p);
                b = std::min(b, ax + q);
            };
            clip(vx, dy * vy, 0.0, len2);
            clip(vy, -dy * vx, -r * len, r * len);
            widen(a, b);
        }
        *left_out = 0;
        *right_out = -1;
        if (!(lo <= hi)) return;
        int left = (int)std::max(std::floor(lo), first - 1.0), right = (int)std::min(std::ceil(hi), last + 1.0);
        while (left > first && inside(left - 1, py)) left--;
        while (left <= right && !inside(left, py)) left++;
        while (right < last && inside(right + 1, py)) right++;
        while (right >= left && !inside(right, py)) right--;
        *left_out = std::max(left, first);
        *right_out = std::min(right, last);
    }

  private:
    // The exact rule. Coordinates are small integers and halves, so every
    // product here is exact and the covered pixels of a row are contiguous.
    bool inside(int px, int py) const {
        const double ux = px - ax, uy = py - ay;
        const double t = ux * vx + uy * vy;
        if (t <= 0.0) return ux * ux + uy * uy <= r2;
        if (t >= len2) {
            const double wx = px - bx, wy = py - by;
            return wx * wx + wy * wy <= r2;
        }
        const double c = ux * vy - uy * vx;
        return c * c <= r2 * len2;
    }

    double shift, ax, ay, bx, by, r, r2, vx, vy, len2, len;
};

// The rule is exact and the same wherever a stroke starts, so a stroke's
// pixels depend on its direction, length and width only. Animations draw
// the same short stroke hundreds of times a frame (a detector's cells), so
// the last few shapes are kept, each as its rows' spans from its start.
struct StrokeShape {
    int dx = 0, dy = 0, width = 0, top = 0;
    std::vector<std::pair<int, int>> rows;
};
constexpr int kShapeReach = 1024; // longer strokes are clipped to the surface as they are drawn
constexpr size_t kKeptShapes = 8;

const StrokeShape &stroke_shape(int dx, int dy, int width) {
    static StrokeShape kept[kKeptShapes];
    static size_t next = 0;
    for (const StrokeShape &shape : kept)
        if (shape.width == width && shape.dx == dx && shape.dy == dy) return shape;
    StrokeShape &shape = kept[next];
    next = (next + 1) % kKeptShapes;
    const WideStroke stroke(0, 0, dx, dy, width);
    const int reach = std::abs(dx) + width + 2;
    shape = {dx, dy, width, (int)stroke.top(), {}};
    for (int py = shape.top; py <= (int)stroke.bottom(); py++) {
        int left, right;
        stroke.span(py, -reach, reach, &left, &right);
        shape.rows.emplace_back(left, right);
    }
    return shape;
}

void stroke_wide(Surface &s, int x0, int y0, int x1, int y1, int width, uint32_t rgb) {
    auto fill = [&](int py, int left, int right) {
        left = std::max(left, 0);
        right = std::min(right, s.w - 1);
        if (left <= right) std::fill(&s.pixels[(size_t)py * s.w + left], &s.pixels[(size_t)py * s.w + right] + 1, rgb);
    };
    const int64_t dx = (int64_t)x1 - x0, dy = (int64_t)y1 - y0;
    if (std::llabs(dx) <= kShapeReach && std::llabs(dy) <= kShapeReach && width <= kShapeReach) {
        const StrokeShape &shape = stroke_shape((int)dx, (int)dy, width);
        for (size_t i = 0; i < shape.rows.size(); i++) {
            const int64_t py = (int64_t)y0 + shape.top + (int64_t)i;
            if (py >= 0 && py < s.h)
                fill((int)py, (int)std::clamp<int64_t>(x0 + (int64_t)shape.rows[i].first, -1, s.w),
                     (int)std::clamp<int64_t>(x0 + (int64_t)shape.rows[i].second, -1, s.w));
        }
        return;
    }
    const WideStroke stroke(x0, y0, x1, y1, width);
    const int top = (int)std::max(stroke.top(), 0.0), bottom = (int)std::min(stroke.bottom(), s.h - 1.0);
    for (int py = top; py <= bottom; py++) {
        int left, right;
        stroke.span(py, 0, s.w - 1, &left, &right);
        fill(py, left, right);
    }
}

// A line with `pen` from the surface's current position to (x, y), which
// becomes the current position.
void line_to(Surface &s, int x, int y, const Pen &pen) {
    if (pen.width <= kThinWidth) {
        walk_line(s.cur_x, s.cur_y, x, y, s.w, s.h,
                  [&](int px, int py, int64_t) { s.pixels[(size_t)py * s.w + px] = pen.rgb; });
    } else {
        stroke_wide(s, s.cur_x, s.cur_y, x, y, pen.width, pen.rgb);
    }
    s.cur_x = x;
    s.cur_y = y;
}

std::vector<Pixel> map_points(const Point2D *p, int N) {
    std::vector<Pixel> pts((size_t)N);
    for (int i = 0; i < N; i++) pts[i] = {map_x(p[i].x), map_y(p[i].y)};
    return pts;
}

// Closed outline through the points with the pen as last made.
void outline(Surface &s, const std::vector<Pixel> &pts) {
    s.cur_x = pts.back().x;
    s.cur_y = pts.back().y;
    for (const Pixel &q : pts) line_to(s, q.x, q.y, current_pen);
}

// Even-odd fill. The mapped vertices are read as pixel corners: a pixel is
// filled when the point half a pixel right of and below its position,
// (x + 0.5, y + 0.5), is inside. So a polygon through a rectangle's corners
// fills the same pixels as FillRectangle, and sample rows never pass through
// a vertex. A sample exactly on an edge belongs to the region on its right.
void fill_even_odd(Surface &s, const std::vector<Pixel> &pts, uint32_t rgb) {
    int ymin = pts[0].y, ymax = pts[0].y;
    for (const Pixel &q : pts) {
        ymin = std::min(ymin, q.y);
        ymax = std::max(ymax, q.y);
    }
    std::vector<double> xs;
    const size_t n = pts.size();
    for (int py = std::max(ymin, 0); py < std::min(ymax, s.h); py++) {
        const double sy = py + 0.5;
        xs.clear();
        for (size_t i = 0; i < n; i++) {
            Pixel a = pts[i], b = pts[(i + 1) % n];
            if (a.y == b.y) continue;
            if (a.y > b.y) std::swap(a, b);
            if (a.y <= py && py < b.y)
                xs.push_back(a.x + (sy - a.y) * ((double)b.x - a.x) / ((double)b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        uint32_t *row = &s.pixels[(size_t)py * s.w];
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            const double from = std::clamp(std::ceil(xs[i] - 0.5), 0.0, (double)s.w);
            const double to = std::clamp(std::ceil(xs[i + 1] - 0.5), 0.0, (double)s.w);
            std::fill(row + (int)from, row + (int)to, rgb);
        }
    }
}

} // namespace

} // namespace grlib

using namespace grlib;

void DrawLine(double x0, double y0, double x1, double y1) {
    newPen();
    Surface &s = *canvas;
    s.cur_x = map_x(x0);
    s.cur_y = map_y(y0);
    line_to(s, map_x(x1), map_y(y1), current_pen);
    touched(s);
}

void DrawLines(Point2D *p, int N) {
    if (N < 1) return;
    newPen();
    Surface &s = *canvas;
    s.cur_x = map_x(p[0].x);
    s.cur_y = map_y(p[0].y);
    for (int i = 1; i < N; i++) line_to(s, map_x(p[i].x), map_y(p[i].y), current_pen);
    touched(s);
}

void DrawDashLine(double x0, double y0, double x1, double y1) {
    Surface &s = *canvas;
    const int ax = map_x(x0), ay = map_y(y0), bx = map_x(x1), by = map_y(y1);
    const uint32_t rgb = current_rgb;
    walk_line(ax, ay, bx, by, s.w, s.h, [&](int px, int py, int64_t i) {
        if ((i / kDotRun) % 2 == 0) s.pixels[(size_t)py * s.w + px] = rgb;
    });
    s.set(bx, by, rgb);
    s.cur_x = bx;
    s.cur_y = by;
    touched(s);
}

void FillRectangle(double x1, double y1, double x2, double y2) {
    int left = map_x(x1), top = map_y(y1), right = map_x(x2), bottom = map_y(y2);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    newBrush();
    canvas->fill_rect(left, top, right, bottom, current_brush.rgb);
    touched(*canvas);
}

void DrawRectangle(double x1, double y1, double x2, double y2) {
    newPen();
    Surface &s = *canvas;
    const int ax = map_x(x1), ay = map_y(y1), bx = map_x(x2), by = map_y(y2);
    s.cur_x = ax;
    s.cur_y = ay;
    line_to(s, ax, by, current_pen);
    line_to(s, bx, by, current_pen);
    line_to(s, bx, ay, current_pen);
    line_to(s, ax, ay, current_pen);
    touched(s);
}

void DrawRectangleXOR(double x1, double y1, double x2, double y2) {
    Surface &s = window_surface;
    const int ax = map_x(x1), ay = map_y(y1), bx = map_x(x2), by = map_y(y2);
    // Each side stops short of the corner the next side starts with, so every
    // pixel of the outline is inverted once and a second call restores it.
    const Pixel path[5] = {{ax, ay}, {ax, by}, {bx, by}, {bx, ay}, {ax, ay}};
    for (int i = 0; i < 4; i++) {
        walk_line(path[i].x, path[i].y, path[i + 1].x, path[i + 1].y, s.w, s.h,
                  [&](int px, int py, int64_t) { s.pixels[(size_t)py * s.w + px] ^= 0xFFFFFFu; });
    }
    s.cur_x = ax;
    s.cur_y = ay;
    window_touched();
}

void FillPolygon(Point2D *p, int N) {
    if (N < 1) return;
    Surface &s = *canvas;
    const std::vector<Pixel> pts = map_points(p, N);
    fill_even_odd(s, pts, current_brush.rgb);
    outline(s, pts);
    touched(s);
}

void DrawPolygon(Point2D *p, int N) {
    if (N < 1) return;
    Surface &s = *canvas;
    outline(s, map_points(p, N));
    touched(s);
}
