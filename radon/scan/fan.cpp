// The fan-beam scanner: the choice of scanner, the fan's geometry, and the
// fan-beam scan with its animation, which shows the whole set-up at half
// scale so that the turning source and its fan are in the window.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "parallel_rows.h"
#include "scan/own_scan.h"
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

// What a view shows, in world units: the source on its circle at angle
// beta, and detector element j at distance reach[j] from the source on the
// ray of fan angle gamma[j], the band `depth` deep; drawn at 1/scale.
struct FanSetup {
    double source_radius, beta;
    std::vector<double> gamma, reach;
    double depth;
    int scale;
    int band_width; // pixels: a little wider than the elements' spacing, so they merge into a band
    int ray_every;  // every so many rays are drawn, and the last
    int middle;     // the element the label "detector" goes beside
};

// World units on the window at 1/scale: [-scale xmax, scale xmax] fills it.
static double scaledX(double x, int scale) { return width * 0.5 * (x / (scale * xmax) + 1); }
static double scaledY(double y, int scale) { return height * 0.5 * (1 - y / (scale * ymax)); }

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

// A circle of radius r about the centre, as 120 chords.
static void drawCircle(double r, int scale) {
    const int sides = 120;
    for (int i = 0; i < sides; i++) {
        const double a = 2 * 3.141592653589793 * i / sides, b = 2 * 3.141592653589793 * (i + 1) / sides;
        DrawLine(scaledX(r * cos(a), scale), scaledY(r * sin(a), scale), scaledX(r * cos(b), scale),
                 scaledY(r * sin(b), scale));
    }
}

// One view: the object (at half scale; without one, the circle the
// pictures show), the source's circle and the source, the edge rays and
// every ray_every-th ray, and the detector, element j in grey grey[j],
// each named, and the scale said in the corner the circle leaves free.
static void drawFanView(const FanSetup &setup, const std::vector<double> &object, const double *grey) {
    const int scale = setup.scale, elements = (int)setup.gamma.size();
    ClearCanvas();
    for (int iy = 0; iy < height / 2 && !object.empty(); iy++) {
        for (int ix = 0; ix < width / 2; ix++) {
            SetColoredGray(&C, object[(size_t)iy * (width / 2) + ix]);
            DrawPoint(width / 4 + ix, height / 4 + iy);
        }
    }
    const double D = setup.source_radius, beta = setup.beta;
    const double sx = D * sin(beta), sy = -D * cos(beta);
    SetLineWidth(0);
    if (object.empty()) {
        SetColoredGray(&C, 0.35);
        drawCircle(xmax, scale);
    }
    SetColoredGray(&C, 0.25);
    drawCircle(D, scale);
    // The direction of ray j from the source: that of the parallel ray of its theta.
    auto point = [&](int j, double r, double *x, double *y) {
        const double theta = beta - setup.gamma[j];
        *x = scaledX(sx - r * sin(theta), scale);
        *y = scaledY(sy + r * cos(theta), scale);
    };
    double x0, y0, x1, y1;
    SetColoredGray(&C, 0.45);
    for (int j = 0; j < elements; j++) {
        if (j % setup.ray_every != 0 && j != elements - 1) continue;
        point(j, 0, &x0, &y0);
        point(j, setup.reach[j], &x1, &y1);
        DrawLine(x0, y0, x1, y1);
    }
    SetLineWidth(setup.band_width);
    for (int j = 0; j < elements; j++) {
        SetColoredGray(&C, grey[j]);
        point(j, setup.reach[j], &x0, &y0);
        point(j, setup.reach[j] + setup.depth, &x1, &y1);
        DrawLine(x0, y0, x1, y1);
    }
    SetLineWidth(0);
    // On the window: u from the source towards the centre, t along the
    // source's path. "detector" lies beyond the detector's middle, "source"
    // beside the dot where it has been, away from the fan.
    const double ux = -sin(beta), uy = -cos(beta), tx = cos(beta), ty = -sin(beta);
    point(setup.middle, setup.reach[setup.middle] + setup.depth, &x0, &y0);
    const double detector_gap = fabs(ux) * 28 + fabs(uy) * 7 + 4, source_gap = fabs(tx) * 21 + fabs(ty) * 7 + 8;
    drawLabel(x0 + ux * detector_gap, y0 + uy * detector_gap, "detector");
    drawLabel(scaledX(sx, scale) - tx * source_gap, scaledY(sy, scale) - ty * source_gap, "source");
    SetColoredGray(&C, 0.6);
    char scale_text[20];
    if (scale == 2) std::snprintf(scale_text, sizeof scale_text, "half scale");
    else std::snprintf(scale_text, sizeof scale_text, "1/%d scale", scale);
    DrawString(4, height - 18, "drawn at");
    DrawString(4, height - 3, scale_text);
    // Whole where the circle meets the window's edge.
    const double dot_x = std::clamp(scaledX(sx, scale), 4.0, width - 5.0),
                 dot_y = std::clamp(scaledY(sy, scale), 4.0, height - 5.0);
    SetColoredGray(&C, 1.0);
    FillRectangle(dot_x - 4, dot_y - 4, dot_x + 5, dot_y + 5);
    FlushBuffer();
}

// The program's own fan at view k, at half scale: the detector an arc
// 8.8 from the source.
static FanSetup ownFan(int k) {
    FanSetup setup = {.source_radius = kSourceRadius, .beta = k * dw, .gamma = std::vector<double>(Np + 1),
                      .reach = std::vector<double>(Np + 1, 8.8), .depth = 0.5, .scale = 2,
                      .band_width = (int)(1.04 * 9 * fanStep() * width / (4 * xmax) + 1.5), .ray_every = 8,
                      .middle = Np / 2};
    for (int j = 0; j <= Np; j++) setup.gamma[j] = fanAngle(j);
    return setup;
}

// A measured fan at view k, at the largest scale that keeps the source's
// circle and the detector in the window.
static FanSetup measuredFan(const OwnScan &scan, const FanGeometry &fan, int k) {
    const double unit = scan.unit_length, D = fan.R / unit;
    FanSetup setup = {.source_radius = D, .beta = fan.beta(k), .gamma = std::vector<double>(scan.columns),
                      .reach = std::vector<double>(scan.columns), .depth = 0, .scale = 2, .band_width = 1,
                      .ray_every = std::max(8, scan.columns / 16),
                      .middle = std::clamp((int)std::lround(scan.centre), 0, scan.columns - 1)};
    for (int j = 0; j < scan.columns; j++) {
        setup.gamma[j] = fan.gamma(j, scan.centre);
        setup.reach[j] = (fan.flat ? fan.D / cos(setup.gamma[j]) : fan.D) / unit;
    }
    // The band as deep on the window as the program's own fan's, and room
    // beyond it for its label.
    auto fits = [&](int scale) {
        if (D > scale * xmax) return false;
        for (int j = 0; j < scan.columns; j++) {
            const double r = setup.reach[j] + 0.25 * scale, g = setup.gamma[j];
            if (std::hypot(r * sin(g), r * cos(g) - D) > 0.8 * scale * xmax) return false;
        }
        return true;
    };
    while (!fits(setup.scale) && setup.scale < 1000) setup.scale++;
    setup.depth = 0.25 * setup.scale;
    setup.band_width = (int)(1.04 * fan.pitch / unit * width / (2 * setup.scale * xmax) + 1.5);
    return setup;
}

// ---------------------------------------------------------------- the scan

void fanScanRows(uint64_t scan, bool draw) {
    const int views = fanViews(current_scanner);
    const int rays = Np + 1;
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
            std::vector<Ray> fan(rays);
            for (int j = 0; j < rays; j++) {
                const double gamma = fanAngle(j), theta = beta - gamma;
                fan[j] = rayThrough(cos(theta), sin(theta), kSourceRadius * sin(gamma));
            }
            sumRays(fan.data(), rays, &sums[(size_t)k * rays]);
            for (int j = 0; j <= Np; j++) rdn[k][j] = sums[(size_t)k * rays + j] * dl;
            measureRow(scan, k, rdn[k]);
        },
        [&](int k) {
            if (!draw || !viewMeasured(k) || (batch_mode && k != last)) return;
            std::vector<double> grey(Np + 1);
            for (int j = 0; j <= Np; j++) grey[j] = integralGrey(sums[(size_t)k * rays + j]);
            drawFanView(ownFan(k), object, grey.data());
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
        drawFanView(ownFan(k), object, grey.data());
    }
    SetDoubleBuffer(0);
}

void drawMeasuredFanViews(void) {
    const OwnScan &scan = ownScan();
    const FanGeometry fan(scan);
    double largest = 0;
    for (double p : scan.p) largest = std::max(largest, p);
    const double lit = measuredLit(largest);
    std::vector<double> grey(scan.columns);
    for (int k = batch_mode ? scan.views - 1 : 0; k < scan.views; k++) {
        for (int j = 0; j < scan.columns; j++) grey[j] = integralGrey(scan.p[(size_t)k * scan.columns + j] * lit);
        drawFanView(measuredFan(scan, fan, k), {}, grey.data());
    }
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
