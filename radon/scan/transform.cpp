// The Radon transform with its animation, and the line-integral demonstration.
// A fan-beam scanner scans in fan.cpp, with the same rays.
// The ideal line integrals go through the measurement (measurement.cpp).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scan/objects.h"
#include "scan/own_scan.h"
#include "parallel_rows.h"
#include "scan/scan.h"
#include "scan/ray.h"
#include "vector_clones.h"
#include "window_map.h"

// Rays this far out are stored but not drawn.
static bool shown(const Ray &r) { return r.xp * r.xp < 7; }

// The samples of the group of rays from xa to xb that can meet the object: lo..hi-1.
// A sample's distance from the centre depends on the ray's offset and the
// sample's place along it only, and the object is 0 beyond its radius, so
// the samples left out would add nothing (exactly 0) to the sums.
static void samplesNearObject(double xa, double xb, int *lo, int *hi) {
    double nearest = xa <= 0 && xb >= 0 ? 0 : std::min(fabs(xa), fabs(xb));
    double radius = objectRadius(head);
    *lo = firstSample();
    *hi = endSample();
    if (nearest >= radius) {
        *hi = *lo;
    } else if (radius < HUGE_VAL) {
        // Along the ray the sample il lies at -ymax + 2 ymax il / Nl; one
        // sample more on either side covers any rounding.
        double half = sqrt(radius * radius - nearest * nearest);
        *lo = std::max(*lo, (int)floor((ymax - half) * Nl / (2 * ymax)) - 1);
        *hi = std::max(*lo, std::min(*hi, (int)ceil((ymax + half) * Nl / (2 * ymax)) + 2));
    }
}

VECTOR_CLONES void sampleRays(const Ray rays[kRays], int lo, int hi, RayGroup &g) {
    for (int k = 0; k < kRays; k++) {
        const Ray &r = rays[k];
        double *x = &g.x[k * Nl], *y = &g.y[k * Nl];
        for (int il = lo; il < hi; il++) {
            x[il] = r.x0 + (r.x1 - r.x0) * il / Nl;
            y[il] = r.y0 + (r.y1 - r.y0) * il / Nl;
        }
        sampleObject(head, hi - lo, &x[lo], &y[lo], &g.value[k * Nl + lo]);
    }
}

// Each ray's samples lo..hi-1 summed in order along the ray, the rays side by side.
VECTOR_CLONES static void sumRays(const RayGroup &g, int lo, int hi, double sums[kRays]) {
    double sum[kRays] = {};
    for (int il = lo; il < hi; il++)
        for (int k = 0; k < kRays; k++) sum[k] = sum[k] + g.value[k * Nl + il];
    for (int k = 0; k < kRays; k++) sums[k] = sum[k];
}

// The ray's source dot and its detector cell, lit in grey `grey`.
static void drawRayEnds(const Ray &r, double grey) {
    if (!shown(r)) return;
    SetColoredGray(&C, 0.8);
    DrawPoint(windowX(0.97 * r.x0 + 0.03 * r.x1), windowY(0.97 * r.y0 + 0.03 * r.y1));
    SetColoredGray(&C, grey);
    // A little wider than the detector spacing, so the cells merge into a band.
    SetLineWidth((int)(0.52 * dp * width / xmax + 1.5));
    DrawLine(windowX(0.08 * r.x0 + 0.92 * r.x1), windowY(0.08 * r.y0 + 0.92 * r.y1),
             windowX(0.03 * r.x0 + 0.97 * r.x1), windowY(0.03 * r.y0 + 0.97 * r.y1));
}

void sumRayGroup(const Ray rays[kRays], RayGroup &g, double sums[kRays]) {
    int lo, hi;
    samplesNearObject(rays[0].xp, rays[kRays - 1].xp, &lo, &hi);
    sampleRays(rays, lo, hi, g);
    sumRays(g, lo, hi, sums);
}

// The group of parallel rays ip0 .. ip0 + kRays - 1 of angle iw (rays past Np
// as well; their values go unused).
static void parallelRays(int iw, int ip0, Ray rays[kRays]) {
    for (int k = 0; k < kRays; k++) rays[k] = ray(iw, ip0 + k);
}

// The sinogram of scan `scan` into rdn; with `draw`, each angle's rays as soon as they are measured.
static void scanRows(uint64_t scan, bool draw) {
    // Angles are independent: integrate them on two threads, draw in order.
    const int rays = (Np + kRays) / kRays * kRays; // Np + 1, rounded up to whole groups
    std::vector<double> sums((size_t)(Nw + 1) * rays);
    computeRowsInOrder(
        Nw + 1,
        [&](int iw) {
            if (!viewMeasured(iw)) {
                measureRow(scan, iw, rdn[iw]);
                return;
            }
            RayGroup g;
            Ray group[kRays];
            for (int ip0 = 0; ip0 <= Np; ip0 += kRays) {
                parallelRays(iw, ip0, group);
                sumRayGroup(group, g, &sums[(size_t)iw * rays + ip0]);
            }
            for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = sums[(size_t)iw * rays + ip] * dl;
            measureRow(scan, iw, rdn[iw]);
        },
        [&](int iw) {
            // Views left out are skipped; the detector band shows the ideal integrals.
            if (!draw || !viewMeasured(iw)) return;
            ClearCanvas();
            for (int ip = 0; ip <= Np; ip++) drawRayEnds(ray(iw, ip), integralGrey(sums[(size_t)iw * rays + ip]));
            FlushBuffer();
        });
}

// A measured scan: its views laid on the grid's angles, each drawn as the
// detector's band at its angle, lit as the largest line integral of the
// phantom would be at the sinogram's largest value; a fan's views as they
// were measured.
static void measuredRows(void) {
    ownScanRows();
    if (ownScan().file.geometry != ScanGeometry::parallel) {
        drawMeasuredFanViews();
        return;
    }
    double largest = 0;
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) largest = std::max(largest, rdn[iw][ip]);
    const double lit = largest > 0 ? 4 / (largest * dl) : 0;
    // Without a window only the last view is drawn: the picture the window ends on.
    int last = Nw;
    while (last > 0 && !viewMeasured(last)) last--;
    for (int iw = 0; iw <= Nw; iw++) {
        if (!viewMeasured(iw) || (batch_mode && iw != last)) continue;
        ClearCanvas();
        for (int ip = 0; ip <= Np; ip++) drawRayEnds(ray(iw, ip), integralGrey(rdn[iw][ip] * lit));
        FlushBuffer();
    }
}

// The emission scan shown view by view, each detector cell lit by its
// count over the largest (a fan's in fan.cpp).
static void drawCountRows(void) {
    if (current_scanner->fan) {
        drawFanCounts();
        return;
    }
    double most = 1;
    for (double y : emission.counts) most = std::max(most, y);
    SetDoubleBuffer(1);
    for (int iw = 0; iw <= Nw; iw++) {
        if (!viewMeasured(iw)) continue;
        ClearCanvas();
        for (int ip = 0; ip <= Np; ip++) drawRayEnds(ray(iw, ip), 0.1 + emission.rows[iw][ip] / most);
        FlushBuffer();
    }
    SetDoubleBuffer(0);
}

// An emission scan counts its photons once the line integrals are in;
// with `say`, the parallel scan's counts are shown and their total.
static void countIfEmission(bool say) {
    if (!emissionImaging()) return;
    countEmission(rdn_scan - 1);
    if (!say) return;
    if (!show_integral) drawCountRows();
    char status[100];
    std::snprintf(status, sizeof status, "Emission scan: %.0f counts in total", emission.total);
    Pause(status, 0);
}

void getRadon(void) {
    if (measuredScan()) {
        const uint64_t scan = scan_count++;
        SetDoubleBuffer(1);
        measuredRows();
        have_rdn = 1;
        rdn_scan = scan + 1;
        SetDoubleBuffer(0);
        return;
    }
    if (current_scanner->fan) {
        fanScan();
        countIfEmission(true);
        return;
    }
    const uint64_t scan = scan_count++;
    SetDoubleBuffer(1);
    if (show_integral) {
        // The demonstration draws while it integrates, ray after ray: each
        // sample shaded by the attenuation up to it.
        RayGroup group;
        Ray rays[kRays];
        for (int iw = 0; iw <= Nw; iw++) {
            if (!viewMeasured(iw)) {
                measureRow(scan, iw, rdn[iw]);
                continue;
            }
            ClearCanvas();
            for (int ip = 0; ip <= Np; ip++) {
                if (ip % kRays == 0) {
                    parallelRays(iw, ip, rays);
                    sampleRays(rays, firstSample(), endSample(), group);
                }
                Ray r = ray(iw, ip);
                const bool draw = shown(r);
                const int k = ip % kRays;
                double sum = 0;
                for (int il = firstSample(); il < endSample(); il++) {
                    sum = sum + group.value[k * Nl + il];
                    if (draw) {
                        SetColoredGray(&C, 0.7 * exp(-0.7 * sum * dl));
                        DrawPoint(windowX(group.x[k * Nl + il]), windowY(group.y[k * Nl + il]));
                    }
                }
                rdn[iw][ip] = sum * dl;
                drawRayEnds(r, integralGrey(sum));
            }
            measureRow(scan, iw, rdn[iw]);
            if (iw == 0) Pause("Hit Return to Continue.", 1);
            FlushBuffer();
        }
    } else {
        // Emission's counts need every ray before any can be shown.
        scanRows(scan, !emissionImaging());
    }
    have_rdn = 1;
    rdn_scan = scan + 1;
    SetDoubleBuffer(0);
    countIfEmission(true);
}

void measureSinogram(uint64_t scan) {
    if (measuredScan()) ownScanRows();
    else if (current_scanner->fan) fanScanRows(scan, false);
    else scanRows(scan, false);
    have_rdn = 1;
    rdn_scan = scan + 1;
    countIfEmission(false);
}

void showIntegral(void) {
    show_integral = 1;
    getRadon();
    show_integral = 0;
}
