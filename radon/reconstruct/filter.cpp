// Filtering of the projections: direct convolution with the kernel, or
// multiplication with its frequency response between two FFTs.
#include <cmath>
#include <vector>

#include "fft.h"
#include "parallel_rows.h"
#include "reconstruct/reconstruct.h"
#include "scan/scan.h"
#include "vector_clones.h"

double weight(double x, double dx) {
    double C = 1.2732395447351628 / dx; // 4/pi, scaled to the spacing
    double rx = fabs(x / dx);
    int ix0 = (int)rx;
    int ix1 = ix0 + 1;
    return C * ((ix1 - rx) / (1 - 4 * ix0 * ix0) + (rx - ix0) / (1 - 4 * ix1 * ix1));
}

uint64_t fbp_scan = 0;
const FilterChoice *fbp_filter = nullptr;

bool filteredIsCurrent(int path) {
    return have_fbp && fbp_scan == currentScan() && fbp_filter == current_filter && (path < 0 || fbp_by_fft == path);
}

// After a filtering: fbp holds the current scan, filtered with the current filter by `path`.
static void recordFiltering(int path) {
    have_fbp = 1;
    fbp_by_fft = path;
    fbp_scan = currentScan();
    fbp_filter = current_filter;
}

void filterByChosenPath(void) {
    if (use_fft) getFbp1();
    else getFbp0();
}

void filterUnlessCurrent(void) {
    if (!filteredIsCurrent(use_fft)) filterByChosenPath();
}

void drawFilterProgress(int iw) {
    FillRectangle(125, 3, 125 + ((width - 125) * iw) / Nw, 18);
    FlushBuffer();
}

// out[ip] = (sum over iq of w[ip - iq] in[iq]) / 2 pi, for ip, iq = 0..Np.
VECTOR_CLONES static void convolveRow(const double *__restrict in, const double *__restrict w,
                                      double *__restrict out) {
    // Every out[ip] sums over iq in increasing order; running the ip loop
    // innermost keeps that order and lets the sums go in step.
    std::vector<double> sum(Np + 1, 0.0);
    for (int iq = 0; iq <= Np; iq++) {
        const double r = in[iq];
        const double *__restrict wq = w - iq; // wq[ip] = w[ip - iq]
        for (int ip = 0; ip <= Np; ip++) sum[ip] = sum[ip] + wq[ip] * r;
    }
    for (int ip = 0; ip <= Np; ip++) out[ip] = sum[ip] / 6.283185307179586;
}

// Filter every projection by direct convolution; with `show`, the progress bar.
static void convolveRows(bool show) {
    // The kernel depends only on ip - iq: kernel[Np + k] = weight(k dp, dp),
    // with the chosen filter's weight.
    std::vector<double> kernel(2 * Np + 1);
    for (int k = -Np; k <= Np; k++) kernel[Np + k] = current_filter->weight(k * dp, dp);

    computeRowsInOrder(
        Nw + 1, [&](int iw) { convolveRow(rdn[iw], kernel.data() + Np, fbp[iw]); },
        [show](int iw) {
            if (show) drawFilterProgress(iw);
        });
    recordFiltering(0);
}

void getFbp0(void) {
    if (!have_rdn) getRadon();
    Pause("Calculating FBP...", 0);
    convolveRows(true);
}

// Filter every projection by FFT; with `show`, the progress bar.
static void transformRows(bool show) {
    std::vector<double> re(Np), im(Np);
    // The chosen filter's response, the same for every row.
    std::vector<double> response(Np);
    for (int ip = 0; ip < Np; ip++) response[ip] = current_filter->response(ip);
    for (int iw = 0; iw <= Nw; iw++) {
        // The centre ray goes to index 0; the sample at p = +xmax takes no part.
        for (int ip = 0; ip < Np; ip++) {
            re[ip] = rdn[iw][(ip + Np / 2) % Np];
            im[ip] = 0;
        }
        fft(Np, re.data(), im.data());
        for (int ip = 0; ip < Np; ip++) {
            re[ip] = re[ip] * response[ip];
            im[ip] = im[ip] * response[ip];
        }
        fft(-Np, re.data(), im.data());
        for (int ip = 0; ip < Np; ip++) fbp[iw][(Np / 2 + ip) % Np] = re[ip];
        // The row is periodic; back-projection reads column Np near the upper end.
        fbp[iw][Np] = fbp[iw][0];
        if (show) drawFilterProgress(iw);
    }
    if (show) SetColoredGray(&C, 1.0);
    recordFiltering(1);
}

void getFbp1(void) {
    if (!have_rdn) getRadon();
    Pause("Calculating FBP...", 0);
    transformRows(true);
}

void filterQuietly(void) {
    if (use_fft) transformRows(false);
    else convolveRows(false);
}
