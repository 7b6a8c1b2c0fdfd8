// The test objects and their picture.
#include <cmath>

#include "objects.h"
#include "radon.h"

Object head = head0;

static double sq(double a) { return a * a; }

// Shepp-Logan's phantom: the first test that holds decides, so the skull
// covers the lower-right feature where they overlap.
double head0(double x, double y) {
    double q = 0.33 * sq(x) + 0.2 * sq(y);
    if (q > 1) return 0;
    if (q > 0.92) return 1.0;
    if (2 * sq(x) + 1.25 * sq(y - 1) < 0.7) return 0.9;
    if (sq(x) + sq(y + 0.1) < 0.02) return 1.0;
    double u = x + 0.8, v = y - 0.2;
    if (3.5 * sq(u) + 1.5 * u * v + sq(v) < 0.7) return 0.4;
    u = x - 0.8;
    if (2.5 * sq(u) - u * v + sq(v) < 0.4) return 0.4;
    u = x - 1.2;
    v = y + 1.2;
    if (3 * sq(u) - u * v + sq(v) < 0.2) return 0.8;
    return 0.7;
}

double head1(double x, double y) {
    if (sq(x) + sq(y - 0.1) < 0.9) return 0.8;
    return 0;
}

double head2(double x, double y) {
    double r = sq(x) + sq(y - 0.1);
    if (r < 0.6) return 0.4;
    if (r < 0.9) return 0.8;
    return 0;
}

double head3(double x, double y) {
    if (fabs(x) < 1.2 && fabs(y) < 1.2) return 0.8;
    return 0;
}

double head4(double x, double y) {
    if (fabs(x) < 1 && fabs(y) < 1) return 0.2;
    if (fabs(x) < 1.2 && fabs(y) < 1.2) return 0.9;
    return 0;
}

// Called with a known object, the loop has the object's tests inlined.
template <Object object>
[[gnu::flatten]] static void sampleWith(int n, const double *x, const double *y, double *values) {
    for (int i = 0; i < n; i++) values[i] = object(x[i], y[i]);
}

void sampleObject(Object object, int n, const double *x, const double *y, double *values) {
    if (object == head0) sampleWith<head0>(n, x, y, values);
    else if (object == head1) sampleWith<head1>(n, x, y, values);
    else if (object == head2) sampleWith<head2>(n, x, y, values);
    else if (object == head3) sampleWith<head3>(n, x, y, values);
    else if (object == head4) sampleWith<head4>(n, x, y, values);
    else {
        for (int i = 0; i < n; i++) values[i] = object(x[i], y[i]);
    }
}

double objectRadius(Object object) {
    // The head's outer ellipse reaches sqrt(5) = 2.236 on the y axis.
    if (object == head0) return 2.25;
    // The disks: centre (0, 0.1), radius sqrt(0.9) = 0.949.
    if (object == head1 || object == head2) return 1.05;
    // The boxes' corners: 1.2 sqrt(2) = 1.697.
    if (object == head3 || object == head4) return 1.7;
    return HUGE_VAL;
}

// Each pixel samples the world point at its top-left corner, y upward.
void drawHead(void) {
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            double x = 2 * ((ix - 0.5 * width) * xmax) / height;
            double y = 2 * ((0.5 * height - iy) * ymax) / height;
            SetColoredGray(&C, head(x, y));
            DrawPoint(ix, iy);
        }
    }
    FlushBuffer();
}
