// The Radon transform with its animation, and the line-integral demonstration.
// A fan-beam scanner scans in fan.cpp, with the same rays.
// The ideal line integrals go through the measurement (measurement.cpp).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scan/own_scan.h"
#include "parallel_rows.h"
#include "scan/scan.h"
#include "scan/ray.h"
#include "window_map.h"

// Rays this far out are stored but not drawn.
static bool shown(const Ray &r) { return r.xp * r.xp < 7; }

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

// The sinogram of scan `scan` into rdn; with `draw`, each angle's rays as soon as they are measured.
static void scanRows(uint64_t scan, bool draw) {
    // Angles are independent: integrate them on two threads, draw in order.
    const int rays = Np + 1;
    std::vector<double> sums((size_t)(Nw + 1) * rays);
    const int last = lastMeasuredView(Nw + 1);
    computeRowsInOrder(
        Nw + 1,
        [&](int iw) {
            if (!viewMeasured(iw)) {
                measureRow(scan, iw, rdn[iw]);
                return;
            }
            std::vector<Ray> row(rays);
            for (int ip = 0; ip < rays; ip++) row[ip] = ray(iw, ip);
            sumRays(row.data(), rays, &sums[(size_t)iw * rays]);
            for (int ip = 0; ip < rays; ip++) rdn[iw][ip] = sums[(size_t)iw * rays + ip] * dl;
            measureRow(scan, iw, rdn[iw]);
        },
        [&](int iw) {
            // Views left out are skipped; the detector band shows the ideal integrals.
            if (!draw || !viewMeasured(iw) || (batch_mode && iw != last)) return;
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
    const double lit = measuredLit(largest);
    const int last = lastMeasuredView(Nw + 1);
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
        std::vector<double> x(Nl), y(Nl), value(Nl);
        for (int iw = 0; iw <= Nw; iw++) {
            if (!viewMeasured(iw)) {
                measureRow(scan, iw, rdn[iw]);
                continue;
            }
            ClearCanvas();
            for (int ip = 0; ip <= Np; ip++) {
                Ray r = ray(iw, ip);
                sampleRay(r, firstSample(), endSample(), x.data(), y.data(), value.data());
                const bool draw = shown(r);
                double sum = 0;
                for (int il = firstSample(); il < endSample(); il++) {
                    sum = sum + value[il];
                    if (draw) {
                        SetColoredGray(&C, 0.7 * exp(-0.7 * sum * dl));
                        DrawPoint(windowX(x[il]), windowY(y[il]));
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
