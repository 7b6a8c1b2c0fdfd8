// The convolution demonstration: for six angles, the rays shaded by their
// line integrals with the projection as a curve; after a key, the same rays
// shaded by the filtered values with the filtered curve over the raw one.
#include <vector>

#include "demos/demos.h"
#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "scan/ray.h"
#include "window_map.h"

// Shade every ray of angle iw by shade * dat[iw][ip] and collect the curve
// of f * dat[iw][ip] over the unrotated detector positions.
static void drawRays(int iw, double **dat, double shade, double f, Point2D *curve) {
    for (int ip = 0; ip <= Np; ip++) {
        const Ray r = ray(iw, ip);
        SetColoredGray(&C, dat[iw][ip] * shade);
        // Half the detector spacing in pixels, so neighbouring rays stay apart.
        SetLineWidth((int)(((dp * 0.25) * width) / xmax + 0.5));
        DrawLine(windowX(r.x0), windowY(r.y0), windowX(r.x1), windowY(r.y1));
        curve[ip].x = windowX(r.xp);
        curve[ip].y = windowY(f * dat[iw][ip]);
    }
}

static void drawAxis(void) {
    SetColoredGray(&C, 0.5);
    SetLineWidth(0.0);
    DrawLine(windowX(-xmax), windowY(0), windowX(xmax), windowY(0));
}

void convolution(double f1, double f2) {
    if (!filteredIsCurrent(-1)) getFbp0();
    // One point per detector position: Np + 1 of them, also on the finest grid.
    std::vector<Point2D> rp(Np + 1), fp(Np + 1);
    for (int iw = 0; iw <= Nw; iw += Nw / 5) {
        ClearCanvas();
        drawRays(iw, rdn, 0.2, f1, rp.data());
        drawAxis();
        SetColor(&green);
        DrawLines(rp.data(), Np);
        FlushBuffer();
        Pause("Hit return.", 1);

        // Not cleared: the filtered rays paint over the raw ones.
        drawRays(iw, fbp, 0.3, f2, fp.data());
        drawAxis();
        SetColoredGray(&C, 0.7);
        DrawLines(rp.data(), Np);
        SetColor(&green);
        SetLineWidth(2.0);
        DrawLines(fp.data(), Np);
        FlushBuffer();
        Pause("Hit return.", 1);
        // The first angle is drawn ray by ray before the eyes; the later
        // ones appear whole.
        if (iw == 0) SetDoubleBuffer(1);
    }
    Pause("END.", 0);
    SetDoubleBuffer(0);
}
