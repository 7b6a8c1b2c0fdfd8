// The profile: the last reconstruction along one image row against the
// object, moved up and down with the arrow keys.
#include <cmath>
#include <cstdio>
#include <vector>

#include "scan/own_scan.h"
#include "lab/lab.h"
#include "window_map.h"

// The row the profile shows, while it is on screen; -1 otherwise.
static int profile_row = -1;
// How far Up and Down move it, in pixels.
static const int kProfileStep = 10;

static void drawProfile(int iy) {
    const Reconstruction &r = last_reconstruction;
    const double y = pixelY(iy);
    // A measured scan: the reconstruction alone, on the scale of its picture,
    // across in its own units; the phantom's across in cm, as a scanner's
    // ruler would read.
    const bool measured = measuredScan();
    const double across = measured ? 1 : kCmPerUnit;
    std::vector<double> xs, reconstructed, object;
    for (int ix = 0; ix < width; ix++) {
        const size_t i = (size_t)iy * width + ix;
        if (!r.inside[i]) continue;
        xs.push_back(pixelX(ix) * across);
        reconstructed.push_back(r.value[i]);
        object.push_back(objectValue(pixelX(ix), y));
    }
    double sum = 0;
    for (size_t k = 0; k < xs.size(); k++) {
        const double e = reconstructed[k] - object[k];
        sum = sum + e * e;
    }

    const double top = measured ? display_white : 1;
    const PlotFrame frame{.x_low = -xmax * across, .x_high = xmax * across, .y_low = -0.2 * top, .y_high = 1.2 * top};
    SetDoubleBuffer(1);
    if (measured) drawPlotAxes(frame, 1, roundStep(1.4 * top, 7), "x", "value");
    else drawPlotAxes(frame, 5, 0.2, "x (cm)", "value (skull = 1)");
    SetLineWidth(2);
    SetColoredGray(&C, 0.6);
    if (!measured) drawCurve(frame, xs, object);
    SetColor(&green);
    drawCurve(frame, xs, reconstructed);
    SetLineWidth(0);
    SetColoredGray(&C, 0.6);
    if (!measured) drawLegendEntry(frame, 0, "object");
    SetColor(&green);
    drawLegendEntry(frame, measured ? 0 : 1, "reconstruction");
    FlushBuffer();
    notePlotOnScreen();
    SetDoubleBuffer(0);
    char status[100];
    if (measured) std::snprintf(status, sizeof status, "Profile at y = %.2f, values in 1/%s", y, ownScan().file.unit.c_str());
    else
        std::snprintf(status, sizeof status, "Profile at y = %.2f cm: RMS error %.4f", y * kCmPerUnit,
                      sqrt(sum / (double)xs.size()));
    Pause(status, 0);
}

void showProfile(void) {
    if (!reconstructionIsCurrent()) reconstruct();
    profile_row = height / 2;
    SetArrowKeys(1);
    drawProfile(profile_row);
}

bool profileKey(int key) {
    if (profile_row < 0) return false;
    if (key == GR_KEY_UP || key == GR_KEY_DOWN) {
        // Not past the rows near the top and bottom, which hold few pixels of the disc or none.
        const int row = profile_row + (key == GR_KEY_UP ? -kProfileStep : kProfileStep);
        if (row >= kProfileStep && row <= height - kProfileStep) profile_row = row;
        drawProfile(profile_row);
        return true;
    }
    endProfile();
    return false;
}

void endProfile(void) {
    profile_row = -1;
    SetArrowKeys(0);
}
