// The fan-beam scanner: the choice of scanner, the fan's geometry, and the
// fan-beam scan with its animation, which shows the whole set-up at half
// scale so that the turning source and its fan are in the window.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "parallel_rows.h"
#include "scan/ray.h"
#include "scan/scan.h"

static const ScannerChoice scanner_table[] = {
    {.label = "Parallel beam", .id = 3500, .fan = false, .short_scan = false, .parker = false},
    {.label = "Fan beam, full turn", .id = 3501, .fan = true, .short_scan = false, .parker = false},
    {.label = "Fan beam, short scan", .id = 3502, .fan = true, .short_scan = true, .parker = true},
    {.label = "Fan beam, short scan, no weights", .id = 3503, .fan = true, .short_scan = true, .parker = false},
};
const std::span<const ScannerChoice> scanner_choices = scanner_table;
const ScannerChoice *current_scanner = &scanner_table[0];

const ScannerChoice *fullTurnScanner(void) { return &scanner_table[1]; }

double fanHalfAngle(void) { return asin(3 / kSourceRadius); }
double fanStep(void) { return 2 * fanHalfAngle() / Np; }

int fanViews(const ScannerChoice *scanner) { return scanner->short_scan ? (4 * Nw + 2) / 3 + 1 : 2 * Nw; }

int sinogramRows(void) { return current_scanner->fan ? fanViews(current_scanner) : Nw + 1; }

// ---------------------------------------------------------------- the animation

// World units on the window at half scale: [-2 xmax, 2 xmax] fills it.
static double halfX(double x) { return width * 0.5 * (x / (2 * xmax) + 1); }
static double halfY(double y) { return height * 0.5 * (1 - y / (2 * ymax)); }

// The object as "h" draws it, every second pixel, for the middle of the window.
static std::vector<double> halfScaleObject(void) {
    std::vector<double> grey((size_t)(width / 2) * (height / 2));
    for (int iy = 0; iy < height / 2; iy++) {
        for (int ix = 0; ix < width / 2; ix++) {
            double x = 2 * ((2 * ix - 0.5 * width) * xmax) / height;
            double y = 2 * ((0.5 * height - 2 * iy) * ymax) / height;
            grey[(size_t)iy * (width / 2) + ix] = objectValue(x, y);
        }
    }
    return grey;
}

// A text of the set-up centred at (x, y), on black so that it reads over
// the lines, and kept whole in the window.
static void drawLabel(double x, double y, const char *text) {
    const double w = 7.0 * (double)strlen(text);
    const double left = std::clamp(x - w / 2, 2.0, width - 2 - w), bottom = std::clamp(y + 7, 15.0, height - 2.0);
    SetColoredGray(&C, 0.0);
    FillRectangle(left - 2, bottom - 14, left + w + 2, bottom + 1);
    SetColoredGray(&C, 0.85);
    DrawString(left, bottom, text);
}

// View k: the object, the source's circle and the source, the edge rays and
// every eighth ray, and the detector arc, element j in grey grey[j],
// each named, and the scale said in the corner the circle leaves free.
static void drawFanView(const std::vector<double> &object, int k, const double *grey) {
    ClearCanvas();
    for (int iy = 0; iy < height / 2; iy++) {
        for (int ix = 0; ix < width / 2; ix++) {
            SetColoredGray(&C, object[(size_t)iy * (width / 2) + ix]);
            DrawPoint(width / 4 + ix, height / 4 + iy);
        }
    }
    const double D = kSourceRadius, beta = k * dw;
    const double sx = D * sin(beta), sy = -D * cos(beta);
    SetLineWidth(0);
    SetColoredGray(&C, 0.25);
    const int sides = 120;
    for (int i = 0; i < sides; i++) {
        const double a = 2 * 3.141592653589793 * i / sides, b = 2 * 3.141592653589793 * (i + 1) / sides;
        DrawLine(halfX(D * cos(a)), halfY(D * sin(a)), halfX(D * cos(b)), halfY(D * sin(b)));
    }
    // The direction of ray j from the source: that of the parallel ray of its theta.
    auto point = [&](int j, double r, double *x, double *y) {
        const double theta = beta - fanAngle(j);
        *x = halfX(sx - r * sin(theta));
        *y = halfY(sy + r * cos(theta));
    };
    double x0, y0, x1, y1;
    SetColoredGray(&C, 0.45);
    for (int j = 0; j <= Np; j++) {
        if (j % 8 != 0 && j != Np) continue;
        point(j, 0, &x0, &y0);
        point(j, 8.8, &x1, &y1);
        DrawLine(x0, y0, x1, y1);
    }
    // A little wider than the elements' spacing on the arc, so they merge into a band.
    SetLineWidth((int)(1.04 * 9 * fanStep() * width / (4 * xmax) + 1.5));
    for (int j = 0; j <= Np; j++) {
        SetColoredGray(&C, grey[j]);
        point(j, 8.8, &x0, &y0);
        point(j, 9.3, &x1, &y1);
        DrawLine(x0, y0, x1, y1);
    }
    SetLineWidth(0);
    // On the window: u from the source towards the centre, t along the
    // source's path. "detector" lies beyond the arc's middle, "source"
    // beside the dot where it has been, away from the fan.
    const double ux = -sin(beta), uy = -cos(beta), tx = cos(beta), ty = -sin(beta);
    point(Np / 2, 9.3, &x0, &y0);
    const double detector_gap = fabs(ux) * 28 + fabs(uy) * 7 + 4, source_gap = fabs(tx) * 21 + fabs(ty) * 7 + 8;
    drawLabel(x0 + ux * detector_gap, y0 + uy * detector_gap, "detector");
    drawLabel(halfX(sx) - tx * source_gap, halfY(sy) - ty * source_gap, "source");
    SetColoredGray(&C, 0.6);
    DrawString(4, height - 18, "drawn at");
    DrawString(4, height - 3, "half scale");
    // Whole where the circle meets the window's edge.
    const double dot_x = std::clamp(halfX(sx), 4.0, width - 5.0), dot_y = std::clamp(halfY(sy), 4.0, height - 5.0);
    SetColoredGray(&C, 1.0);
    FillRectangle(dot_x - 4, dot_y - 4, dot_x + 5, dot_y + 5);
    FlushBuffer();
}

// ---------------------------------------------------------------- the scan

// Without a window only the last view is drawn: the picture the window ends on.
static int lastMeasuredView(int views) {
    int last = views - 1;
    while (last > 0 && !viewMeasured(last)) last--;
    return last;
}

void fanScanRows(uint64_t scan, bool draw) {
    const int views = fanViews(current_scanner);
    const int rays = (Np + kRays) / kRays * kRays; // Np + 1, rounded up to whole groups
    std::vector<double> sums((size_t)views * rays);
    const std::vector<double> object = draw ? halfScaleObject() : std::vector<double>();
    const int last = lastMeasuredView(views);
    // Views are independent: integrated on two threads, drawn in order.
    computeRowsInOrder(
        views,
        [&](int k) {
            if (!viewMeasured(k)) {
                measureRow(scan, k, rdn[k]);
                return;
            }
            const double beta = k * dw;
            RayGroup g;
            Ray group[kRays];
            for (int j0 = 0; j0 <= Np; j0 += kRays) {
                for (int i = 0; i < kRays; i++) {
                    const double gamma = fanAngle(j0 + i), theta = beta - gamma;
                    group[i] = rayThrough(cos(theta), sin(theta), kSourceRadius * sin(gamma));
                }
                sumRayGroup(group, g, &sums[(size_t)k * rays + j0]);
            }
            for (int j = 0; j <= Np; j++) rdn[k][j] = sums[(size_t)k * rays + j] * dl;
            measureRow(scan, k, rdn[k]);
        },
        [&](int k) {
            if (!draw || !viewMeasured(k) || (batch_mode && k != last)) return;
            std::vector<double> grey(Np + 1);
            for (int j = 0; j <= Np; j++) grey[j] = integralGrey(sums[(size_t)k * rays + j]);
            drawFanView(object, k, grey.data());
        });
}

void drawFanCounts(void) {
    const int views = fanViews(current_scanner), last = lastMeasuredView(views);
    const std::vector<double> object = halfScaleObject();
    double most = 1;
    for (double y : emission.counts) most = std::max(most, y);
    std::vector<double> grey(Np + 1);
    SetDoubleBuffer(1);
    for (int k = 0; k < views; k++) {
        if (!viewMeasured(k) || (batch_mode && k != last)) continue;
        for (int j = 0; j <= Np; j++) grey[j] = 0.1 + emission.rows[k][j] / most;
        drawFanView(object, k, grey.data());
    }
    SetDoubleBuffer(0);
}

void fanScan(void) {
    const uint64_t scan = scan_count++;
    SetDoubleBuffer(1);
    // Emission's counts need every ray before any can be shown.
    fanScanRows(scan, !emissionImaging());
    have_rdn = 1;
    rdn_scan = scan + 1;
    SetDoubleBuffer(0);
}
