// A picture file as the test object.
#include "scan/image_object.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "scan/objects.h"
#include "scan/scan.h"

// g[j * W + i]: row j from the top, column i from the left; the picture
// covers |x| <= half_w, |y| <= half_h with pixels of side s. The negative
// half-extents keep every point outside while no picture is loaded.
static std::vector<double> g;
static int W = 0, H = 0;
static double s = 1, half_w = -1, half_h = -1;

double pictureGrey(uint8_t r, uint8_t gr, uint8_t b, uint8_t a) {
    return (0.299 * r + 0.587 * gr + 0.114 * b) / 255 * (a / 255.0);
}

bool loadImageObject(const char *path, std::string *error) {
    // Only the grey values are kept: the decoded pixels go when this returns.
    std::vector<double> grey;
    int w = 0, h = 0;
    auto take = [&](const uint8_t *rgba, int pw, int ph) {
        w = pw;
        h = ph;
        grey.resize((size_t)w * h);
        for (size_t k = 0; k < grey.size(); k++)
            grey[k] = pictureGrey(rgba[4 * k], rgba[4 * k + 1], rgba[4 * k + 2], rgba[4 * k + 3]);
    };
    if (!LoadPicture(path, kMaxPictureSide, take, error)) return false;
    g.swap(grey);
    W = w;
    H = h;
    s = 3.6 / std::max(W, H);
    half_w = s * W / 2;
    half_h = s * H / 2;
    offerImageObject(std::sqrt(half_w * half_w + half_h * half_h));
    return true;
}

double imageObject(double x, double y) {
    if (std::fabs(x) > half_w || std::fabs(y) > half_h) return 0;
    double u = x / s + W / 2.0 - 0.5;
    double v = H / 2.0 - 0.5 - y / s;
    double fi = std::floor(u), fj = std::floor(v);
    double fu = u - fi, fv = v - fj;
    // Half a pixel beyond the outer centres the border pixels hold their value.
    int i0 = (int)fi, j0 = (int)fj;
    int ia = std::clamp(i0, 0, W - 1), ib = std::clamp(i0 + 1, 0, W - 1);
    const double *row0 = &g[(size_t)std::clamp(j0, 0, H - 1) * W];
    const double *row1 = &g[(size_t)std::clamp(j0 + 1, 0, H - 1) * W];
    return (1 - fv) * ((1 - fu) * row0[ia] + fu * row0[ib]) + fv * ((1 - fu) * row1[ia] + fu * row1[ib]);
}

int imageWidth() { return W; }
int imageHeight() { return H; }
