// Plots of curves: a frame with numbered axes, curves clipped to it, and a
// legend; and what a setting does to a plot on screen.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "lab/lab.h"

double roundStep(double range, int parts) {
    const double raw = range / parts;
    const double unit = pow(10, floor(log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * unit >= raw) return m * unit;
    return 10 * unit;
}

double PlotFrame::px(double x) const { return left + (right - left) * (x - x_low) / (x_high - x_low); }

double PlotFrame::py(double y) const {
    return bottom - (bottom - top) * (std::clamp(y, y_low, y_high) - y_low) / (y_high - y_low);
}

// A number of an axis with as many decimals as its step needs (0.2 one, 0.25 two).
static const char *axisNumber(char *out, size_t size, double v, double step) {
    int decimals = std::max(0, (int)ceil(-log10(step) - 1e-9));
    while (fabs(step * pow(10, decimals) - round(step * pow(10, decimals))) > 1e-6) decimals++;
    // -0.0 would print as "-0".
    std::snprintf(out, size, "%.*f", decimals, fabs(v) < step / 2 ? 0.0 : v);
    return out;
}

void drawPlotAxes(const PlotFrame &f, double x_step, double y_step, const char *x_title, const char *y_title) {
    ClearCanvas();
    SetLineWidth(0);
    char number[32];
    for (double v = ceil(f.y_low / y_step - 1e-9) * y_step; v <= f.y_high + y_step / 2; v += y_step) {
        SetColoredGray(&C, 0.2);
        DrawLine(f.left, f.py(v), f.right, f.py(v));
        SetColoredGray(&C, 0.7);
        axisNumber(number, sizeof number, v, y_step);
        DrawString(f.left - 6 - 7 * (double)strlen(number), f.py(v) + 5, number);
    }
    for (double v = ceil(f.x_low / x_step - 1e-9) * x_step; v <= f.x_high + x_step / 100; v += x_step) {
        SetColoredGray(&C, 0.7);
        DrawLine(f.px(v), f.bottom, f.px(v), f.bottom + 5);
        axisNumber(number, sizeof number, v, x_step);
        DrawString(f.px(v) - 3.5 * strlen(number), f.bottom + 19, number);
    }
    SetColoredGray(&C, 0.7);
    DrawLine(f.left, f.bottom, f.right + 1, f.bottom);
    DrawLine(f.left, f.top - 4, f.left, f.bottom + 1);
    DrawString(f.left - 40, f.top - 14, y_title);
    DrawString((f.left + f.right) / 2 - 3.5 * strlen(x_title), f.bottom + 40, x_title);
}

void drawCurve(const PlotFrame &f, const std::vector<double> &x, const std::vector<double> &y) {
    for (size_t i = 1; i < x.size() && x[i - 1] < f.x_high; i++) {
        // The line that crosses the right edge ends there.
        double x1 = x[i], y1 = y[i];
        if (x1 > f.x_high) {
            y1 = y[i - 1] + (y1 - y[i - 1]) * (f.x_high - x[i - 1]) / (x1 - x[i - 1]);
            x1 = f.x_high;
        }
        DrawLine(f.px(x[i - 1]), f.py(y[i - 1]), f.px(x1), f.py(y1));
    }
}

void drawLegendEntry(const PlotFrame &f, int row, const char *text) {
    const double y = f.top + 10 + 15 * row;
    DrawLine(f.right - 180, y - 4, f.right - 160, y - 4);
    DrawString(f.right - 154, y + 1, text);
}

// What the window shows below the status line (at most two rows, 0..29),
// as one number: FNV-1a over the pixels.
static uint64_t screenFingerprint(void) {
    uint64_t h = 14695981039346656037u;
    for (int iy = 30; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) h = (h ^ GetWindowPixel(ix, iy)) * 1099511628211u;
    return h;
}

// The fingerprint of the last plot drawn; none yet.
static std::optional<uint64_t> plot_on_screen;

void notePlotOnScreen(void) { plot_on_screen = screenFingerprint(); }

void settingStatus(const char *text) {
    // Commands that draw nothing (a save, the help, the FFT toggle) leave
    // the plot on screen; a picture that has replaced it stays.
    if (plot_on_screen && *plot_on_screen == screenFingerprint()) drawHead();
    plot_on_screen.reset();
    Pause(text, 0);
}
