// ART, ray by ray: one sweep of the algebraic reconstruction from 0, each
// measurement corrected in turn by smearing its residual along its strip.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "demos/demos.h"
#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "window_map.h"

// The corrections are taken whole, with no positivity.
static const double lambda = 1.0;

void sortIntoStrips(IterativeImage &u, int iw, Strips &s) {
    const std::vector<DiscRun> &runs = discRuns();
    std::vector<double> xs(width);
    for (int ix = 0; ix < width; ix++) xs[ix] = pixelX(ix);
    // Each pixel's position, in the order of the rows.
    static std::vector<double> p_of;
    p_of.clear();
    s.start.assign(Np + 2, 0);
    for (int iy = 0; iy < height; iy++) {
        const double y = pixelY(iy);
        for (int ix = runs[iy].first; ix < runs[iy].end; ix++) {
            const double p = detectorPosition(iw, xs[ix], y);
            p_of.push_back(p);
            s.start[(int)p + 1]++;
        }
    }
    for (int k = 0; k <= Np; k++) s.start[k + 1] += s.start[k];
    s.pixel.resize(p_of.size());
    s.f.resize(p_of.size());
    std::vector<int> next(s.start.begin(), s.start.end() - 1);
    size_t i = 0;
    for (int iy = 0; iy < height; iy++) {
        double *row = u.row(iy);
        for (int ix = runs[iy].first; ix < runs[iy].end; ix++, i++) {
            const int k = (int)p_of[i];
            const int at = next[k]++;
            s.pixel[at] = &row[ix];
            s.f[at] = p_of[i] - k;
        }
    }
}

bool correctRay(IterativeImage &u, const Strips &s, int iw, int ip) {
    const double L = rayLengths(iw)[ip];
    if (!(L > kShortRay)) return false;
    double q;
    projectRays(u, iw, ip, ip + 1, &q);
    const double r = (rdn[iw][ip] - q) / L;
    for (int i = s.start[ip]; i < s.start[ip + 1]; i++) {
        const double w = 1 - s.f[i];
        if (w != 0) *s.pixel[i] = *s.pixel[i] + lambda * w * r;
    }
    if (ip > 0) {
        for (int i = s.start[ip - 1]; i < s.start[ip]; i++) {
            const double w = s.f[i];
            if (w != 0) *s.pixel[i] = *s.pixel[i] + lambda * w * r;
        }
    }
    return true;
}

// The ray ip of angle iw as a green line across the disc.
static void drawRay(int iw, int ip) {
    const double t = ip * dp - xmax;
    const double half = sqrt(std::max(0.0, 9.0 - t * t));
    const double x = t * cn[iw], y = t * sn[iw];
    SetColor(&green);
    SetLineWidth(0);
    DrawLine(windowX(x + half * sn[iw]), windowY(y - half * cn[iw]), windowX(x - half * sn[iw]),
             windowY(y + half * cn[iw]));
}

void artDemo(void) {
    if (!have_rdn) getRadon();
    IterativeImage u;
    const std::vector<int> order = spreadOrder();
    const bool frames = !batch_mode;
    // The first angle takes about four seconds ray by ray, the rest two.
    const double ray_hold = std::min(0.03, 4.0 / (Np + 1)), angle_hold = std::min(0.05, 2.0 / Nw);
    char status[100];
    Strips strips;
    SetDoubleBuffer(1);
    for (size_t k = 0; k < order.size(); k++) {
        const int iw = order[k];
        sortIntoStrips(u, iw, strips);
        std::snprintf(status, sizeof status, "ART: angle %d of %d", (int)k + 1, (int)order.size());
        for (int ip = 0; ip <= Np; ip++) {
            if (!correctRay(u, strips, iw, ip) || !frames || k > 0) continue;
            drawReconstructionValues(u.result());
            drawRay(iw, ip);
            Pause(status, 0); // shows the frame with its status line
            teachingPause(ray_hold);
        }
        if (!frames) continue;
        drawReconstructionValues(u.result());
        Pause(status, 0);
        teachingPause(angle_hold);
    }
    last_reconstruction = u.result();
    drawReconstruction(last_reconstruction);
    SetDoubleBuffer(0);
    std::snprintf(status, sizeof status, "ART: %s %.4f", errorName(), reconstructionError(last_reconstruction));
    Pause(status, 0);
}
