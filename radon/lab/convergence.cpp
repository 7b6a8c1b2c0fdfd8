// The convergence plot: the RMS error after each SART iteration, against
// that of filtered back-projection of the same sinogram.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "scan/own_scan.h"
#include "lab/lab.h"
#include "window_map.h"

// The plot's frame on the canvas, in pixels.
static const int left = 64, right = 376, top = 56, bottom = 344;

// The RMS error of filtered back-projection of the current sinogram with the
// current filter and path; the last reconstruction stays as it was.
static double fbpError(void) {
    filterUnlessCurrent();
    return reconstructionError(backProjection());
}

static void drawPlot(const std::vector<double> &errors, double fbp_rms, const char *method) {
    const int K = (int)errors.size();
    // Room for one more iteration on the right.
    const double x_step = std::max(1.0, roundStep(std::max(5, K + 1), 8));
    const double x_top = ceil(std::max(5, K + 1) / x_step) * x_step;
    const double largest = std::max(fbp_rms, *std::max_element(errors.begin(), errors.end()));
    // A blank or dim object still gets an axis, down to the status line's last digit.
    const double range = std::max(1.1 * largest, 0.001);
    const double y_step = roundStep(range, 5);
    const double y_top = ceil(range / y_step) * y_step;
    // Enough decimals that the numbers differ: one more for each tenfold smaller step.
    const int decimals = std::max(1, (int)ceil(-log10(y_step) - 1e-9));
    auto px = [&](double it) { return left + (right - left) * it / x_top; };
    auto py = [&](double rms) { return bottom - (bottom - top) * std::min(rms, y_top) / y_top; };

    ClearCanvas();
    SetLineWidth(0);
    char number[32];
    // Axes with their numbers and a faint grid.
    for (double v = 0; v <= y_top + y_step / 2; v += y_step) {
        SetColoredGray(&C, 0.2);
        DrawLine(left, py(v), right, py(v));
        SetColoredGray(&C, 0.7);
        std::snprintf(number, sizeof number, "%.*f", decimals, v);
        DrawString(left - 6 - 7 * (double)strlen(number), py(v) + 5, number);
    }
    for (double it = 0; it <= x_top + x_step / 2; it += x_step) {
        SetColoredGray(&C, 0.7);
        DrawLine(px(it), bottom, px(it), bottom + 5);
        std::snprintf(number, sizeof number, "%d", (int)it);
        DrawString(px(it) - 3.5 * strlen(number), bottom + 19, number);
    }
    SetColoredGray(&C, 0.7);
    DrawLine(left, bottom, right + 1, bottom);
    DrawLine(left, top - 4, left, bottom + 1);
    DrawString(left - 40, top - 14, measuredScan() ? "residual" : "RMS error (skull = 1)");
    DrawString((left + right) / 2 - 31, bottom + 40, "iteration");

    // Filtered back-projection: one number, a horizontal line.
    char label[64];
    std::snprintf(label, sizeof label, "FBP (%s%s)", current_filter->label, use_fft ? ", FFT" : "");
    SetColoredGray(&C, 0.6);
    SetLineWidth(2);
    DrawLine(left, py(fbp_rms), right, py(fbp_rms));
    DrawLine(right - 196, top - 16, right - 176, top - 16);
    DrawString(right - 170, top - 11, label);

    // The iterations: points joined by lines.
    SetColor(&green);
    DrawLine(right - 196, top - 30, right - 176, top - 30);
    DrawString(right - 170, top - 25, method);
    for (int i = 1; i < K; i++) DrawLine(px(i), py(errors[i - 1]), px(i + 1), py(errors[i]));
    SetLineWidth(0);
    for (int i = 0; i < K; i++) FillRectangle(px(i + 1) - 2, py(errors[i]) - 2, px(i + 1) + 3, py(errors[i]) + 3);

    // The iteration with the lowest error (the first of equals): where to stop.
    const int best = (int)(std::min_element(errors.begin(), errors.end()) - errors.begin());
    SetColoredGray(&C, 1.0);
    DrawRectangle(px(best + 1) - 5, py(errors[best]) - 5, px(best + 1) + 6, py(errors[best]) + 6);
    DrawRectangle(right - 95, bottom + 30, right - 84, bottom + 41);
    std::snprintf(number, sizeof number, "lowest: %d", best + 1);
    DrawString(right - 77, bottom + 40, number);
}

// The standard deviation of the last reconstruction in the uniform region:
// the disk of radius 0.3 about (0, -1), inside the head's brain.
static double uniformRegionNoise(void) {
    const Reconstruction &r = last_reconstruction;
    std::vector<double> values;
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            const double x = pixelX(ix), y = pixelY(iy) + 1;
            if (x * x + y * y < 0.09 && r.inside[(size_t)iy * width + ix]) values.push_back(r.value[(size_t)iy * width + ix]);
        }
    }
    double mean = 0, squares = 0;
    for (double v : values) mean = mean + v;
    mean = mean / (double)values.size();
    for (double v : values) squares = squares + (v - mean) * (v - mean);
    return sqrt(squares / (double)(values.size() - 1));
}

void convergencePlot(void) {
    // In emission the iterations are MLEM's or OSEM's, else SART's.
    const bool emission = emissionImaging();
    if (emission ? emissionErrors().empty() : sartErrors().empty()) emission ? emissionIteration() : sartIteration();
    const std::vector<double> errors = emission ? emissionErrors() : sartErrors();
    char method[40] = "SART";
    if (emission && current_subsets->subsets == 1) std::snprintf(method, sizeof method, "MLEM");
    else if (emission) std::snprintf(method, sizeof method, "OSEM, %d subsets", current_subsets->subsets);
    // Measured before FBP's error, which leaves the last reconstruction alone.
    const double noise = emission ? uniformRegionNoise() : 0;
    const double fbp_rms = fbpError();
    SetDoubleBuffer(1);
    drawPlot(errors, fbp_rms, method);
    if (emission) {
        // On the plot too, since the window's status line shows one line at a time.
        char text[40];
        std::snprintf(text, sizeof text, "noise SD %.4f", noise);
        SetColoredGray(&C, 0.7);
        DrawString(4, bottom + 40, text);
    }
    FlushBuffer();
    notePlotOnScreen();
    SetDoubleBuffer(0);
    char status[100];
    const char *measure = measuredScan() ? "residual" : "RMS";
    std::snprintf(status, sizeof status, "%s: %d iteration%s, %s %.4f; FBP: %s %.4f",
                  emission ? (current_subsets->subsets == 1 ? "MLEM" : "OSEM") : "SART", (int)errors.size(),
                  errors.size() == 1 ? "" : "s", measure, errors.back(), measure, fbp_rms);
    Pause(status, 0);
    if (!emission) return;
    std::snprintf(status, sizeof status, "Noise SD in the uniform region: %.4f", noise);
    Pause(status, 0);
}
