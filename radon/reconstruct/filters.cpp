// The reconstruction filters: for each, the kernel of the direct path and
// the frequency response of the FFT path. Shepp-Logan's are `weight` and the
// sine response the program always had; the others are the band-limited
// ramp (Ram-Lak) and the ramp times a window.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "reconstruct/reconstruct.h"
#include "scan/scan.h"

static const double pi = 3.141592653589793;

// The band-limited ramp's kernel for unit spacing at offset h/2,
// (1/2) sinc(u) - (1/4) sinc^2(u/2) with u = h/2, from its closed forms at
// whole and half offsets: no sine is evaluated, so every platform gets the
// same bits.
static double ramp(int h) {
    h = std::abs(h);
    if (h == 0) return 0.25;
    if (h % 2 == 0) {
        const int n = h / 2;
        return n % 2 ? -1 / (pi * pi * n * n) : 0.0;
    }
    const double u = h / 2.0;
    const double sine = h % 4 == 1 ? 1.0 : -1.0; // sin(pi u); sin^2(pi u / 2) is 1/2
    return sine / (2 * pi * u) - 1 / (2 * pi * pi * u * u);
}

// The windowed kernels at whole offsets n, for unit spacing.
static double ramLak(int n) { return ramp(2 * n); }
static double cosine(int n) { return 0.5 * (ramp(2 * n - 1) + ramp(2 * n + 1)); }
static double hamming(int n) { return 0.54 * ramp(2 * n) + 0.23 * (ramp(2 * n - 2) + ramp(2 * n + 2)); }
static double hann(int n) { return 0.5 * ramp(2 * n) + 0.25 * (ramp(2 * n - 2) + ramp(2 * n + 2)); }

// 2 pi times the kernel for spacing dx, straight lines between whole offsets, as `weight`.
template <double (*kernel)(int n)>
static double weightOf(double x, double dx) {
    double rx = fabs(x / dx);
    int ix0 = (int)rx;
    int ix1 = ix0 + 1;
    return (2 * pi / dx) * ((ix1 - rx) * kernel(ix0) + (rx - ix0) * kernel(ix1));
}

// The program's response: (Np / 2 pi) nu sinc(nu), written as it always was.
static double sheppLoganResponse(int m) { return sin((m * pi) / Np) * (((Np / pi) / 2) / pi); }

// The ramp times the window W at nu = min(m, Np - m) / Np.
template <double (*window)(double nu)>
static double responseOf(int m) {
    double nu = (double)std::min(m, Np - m) / Np;
    return (Np / (2 * pi)) * nu * window(nu);
}

static double flat(double) { return 1; }
static double cosineWindow(double nu) { return cos(pi * nu); }
static double hammingWindow(double nu) { return 0.54 + 0.46 * cos(2 * pi * nu); }
static double hannWindow(double nu) { return 0.5 + 0.5 * cos(2 * pi * nu); }

static const FilterChoice filter_table[] = {
    {.label = "Shepp-Logan", .id = 3000, .weight = weight, .response = sheppLoganResponse,
     .colour = {.r = 0, .g = 255, .b = 0, .id = 0, .cref = nullptr}},
    {.label = "Ram-Lak", .id = 3001, .weight = weightOf<ramLak>, .response = responseOf<flat>,
     .colour = {.r = 255, .g = 80, .b = 80, .id = 0, .cref = nullptr}},
    {.label = "Cosine", .id = 3002, .weight = weightOf<cosine>, .response = responseOf<cosineWindow>,
     .colour = {.r = 255, .g = 210, .b = 0, .id = 0, .cref = nullptr}},
    {.label = "Hamming", .id = 3003, .weight = weightOf<hamming>, .response = responseOf<hammingWindow>,
     .colour = {.r = 80, .g = 170, .b = 255, .id = 0, .cref = nullptr}},
    {.label = "Hann", .id = 3004, .weight = weightOf<hann>, .response = responseOf<hannWindow>,
     .colour = {.r = 230, .g = 110, .b = 255, .id = 0, .cref = nullptr}},
};
const std::span<const FilterChoice> filter_choices = filter_table;
const FilterChoice *current_filter = &filter_table[0];
