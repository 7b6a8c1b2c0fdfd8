// The Radon transform with its animation, and the line-integral demonstration.
#include <cmath>
#include <vector>

#include "objects.h"
#include "parallel_rows.h"
#include "radon.h"
#include "vector_clones.h"

// World point to window position, y upward.
static double screenX(double x) { return width * 0.5 * (x / xmax + 1); }
static double screenY(double y) { return height * 0.5 * (1 - y / ymax); }

// The ray of angle iw at detector index ip runs from (x0, y0) to (x1, y1):
// the segment from (xp, -ymax) to (xp, +ymax) turned by the angle.
struct Ray {
    double xp, x0, y0, x1, y1;
};

static Ray ray(int iw, int ip) {
    double s = sn[iw], c = cn[iw];
    double xp = ip * dp - xmax, yp = -ymax;
    return {xp, xp * c - yp * s, xp * s + yp * c, xp * c + yp * s, xp * s - yp * c};
}

// Rays this far out are stored but not drawn.
static bool shown(const Ray &r) { return r.xp * r.xp < 7; }

// Sample positions and object values along one ray (indices il of Nl).
struct RaySamples {
    std::vector<double> x, y, value;
    RaySamples() : x(Nl), y(Nl), value(Nl) {}
};

// The object summed over the ray's inner samples; with show_integral each
// sample is drawn, shaded by the attenuation up to it.
VECTOR_CLONES static double raySum(const Ray &r, RaySamples &s) {
    int first = Nl / 20, end = (19 * Nl) / 20;
    for (int il = first; il < end; il++) {
        s.x[il] = r.x0 + (r.x1 - r.x0) * il / Nl;
        s.y[il] = r.y0 + (r.y1 - r.y0) * il / Nl;
    }
    sampleObject(head, end - first, &s.x[first], &s.y[first], &s.value[first]);
    bool draw = show_integral && shown(r);
    double sum = 0;
    for (int il = first; il < end; il++) {
        sum = sum + s.value[il];
        if (draw) {
            SetColoredGray(&C, 0.7 * exp(-0.7 * sum * dl));
            DrawPoint(screenX(s.x[il]), screenY(s.y[il]));
        }
    }
    return sum;
}

// The ray's source dot and its detector cell, lit by the ray's integral.
static void drawRayEnds(const Ray &r, double sum) {
    if (!shown(r)) return;
    SetColoredGray(&C, 0.8);
    DrawPoint(screenX(0.97 * r.x0 + 0.03 * r.x1), screenY(0.97 * r.y0 + 0.03 * r.y1));
    SetColoredGray(&C, 1.1 - exp(-0.3 * sum * dl));
    // A little wider than the detector spacing, so the cells merge into a band.
    SetLineWidth((int)(0.52 * dp * width / xmax + 1.5));
    DrawLine(screenX(0.08 * r.x0 + 0.92 * r.x1), screenY(0.08 * r.y0 + 0.92 * r.y1),
             screenX(0.03 * r.x0 + 0.97 * r.x1), screenY(0.03 * r.y0 + 0.97 * r.y1));
}

void getRadon(void) {
    SetDoubleBuffer(1);
    if (show_integral) {
        // The demonstration draws while it integrates, ray after ray.
        RaySamples samples;
        for (int iw = 0; iw <= Nw; iw++) {
            ClearCanvas();
            for (int ip = 0; ip <= Np; ip++) {
                Ray r = ray(iw, ip);
                double sum = raySum(r, samples);
                rdn[iw][ip] = sum * dl;
                drawRayEnds(r, sum);
            }
            if (iw == 0) Pause("Hit Return to Continue.", 1);
            FlushBuffer();
        }
    } else {
        // Angles are independent: integrate them on two threads, draw in order.
        std::vector<double> sums((size_t)(Nw + 1) * (Np + 1));
        computeRowsInOrder(
            Nw + 1,
            [&](int iw) {
                RaySamples samples;
                for (int ip = 0; ip <= Np; ip++) sums[(size_t)iw * (Np + 1) + ip] = raySum(ray(iw, ip), samples);
            },
            [&](int iw) {
                ClearCanvas();
                for (int ip = 0; ip <= Np; ip++) {
                    double sum = sums[(size_t)iw * (Np + 1) + ip];
                    rdn[iw][ip] = sum * dl;
                    drawRayEnds(ray(iw, ip), sum);
                }
                FlushBuffer();
            });
    }
    have_rdn = 1;
    SetDoubleBuffer(0);
}

void showIntegral(void) {
    show_integral = 1;
    getRadon();
    show_integral = 0;
}
