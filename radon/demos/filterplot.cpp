// The filter plot: the chosen filter's kernel over eleven detector samples,
// with a smooth curve that meets twice Shepp-Logan's value at every whole
// offset, on three screens (the curve, the kernel, both).
#include <cmath>
#include <vector>

#include "window_map.h"
#include "demos/demos.h"
#include "reconstruct/reconstruct.h"
#include "scan/scan.h"

void fillFilterCurves(Point2D *w0, Point2D *w1) {
    for (int ix = 0; ix < width; ix++) {
        double x = (ix - width * 0.5) / width;
        double D = 1 - (((x * 4) * 11) * x) * 11;
        // At half offsets both numerator and D vanish; the curve's limit there is 0.
        double c = D == 0 ? 0 : 0.8 * 1.2732395447351628 * (1 + cos((x * 6.283185307179586) * 11)) / D;
        double k = 0.8 * current_filter->weight(11 * x, 1.0);
        w0[ix].x = ix;
        w0[ix].y = windowY(c);
        w1[ix].x = ix;
        w1[ix].y = windowY(k);
    }
}

static void drawAxes(void) {
    DrawLine(windowX(-xmax), windowY(0), windowX(xmax), windowY(0));
    DrawLine(windowX(0), windowY(-ymax), windowX(0), windowY(ymax));
}

void drawFilter(void) {
    std::vector<Point2D> w0(width), w1(width);
    fillFilterCurves(w0.data(), w1.data());

    ClearCanvas();
    SetLineWidth(0);
    SetColoredGray(&C, 0.4);
    drawAxes();
    SetColor(&green);
    DrawLines(w0.data(), width);
    Pause("Hit return", 1);

    ClearCanvas();
    SetColoredGray(&C, 0.4);
    drawAxes();
    SetColor(&green);
    DrawLines(w1.data(), width);
    Pause("Hit return", 1);

    ClearCanvas();
    SetColoredGray(&C, 0.4);
    drawAxes();
    SetColoredGray(&C, 0.6);
    DrawLines(w0.data(), width);
    SetColor(&green);
    SetLineWidth(2);
    DrawLines(w1.data(), width);
    FlushBuffer();
}
