// The sampling grid, its angle tables and working buffers, and the state
// that several stages share.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "scan/scan.h"

int width = 400, height = 400;
const double xmax = 3.0, ymax = 3.0;
int Nw, Np, Nl;
double dw, dp, dl;
double *cn, *sn;
double **rdn, **fbp;
double **abuf, **bbuf;
int have_rdn = 0, have_fbp = 0;
uint64_t rdn_scan = 0;
int fbp_by_fft = 0;
int use_fft = 0;
int show_integral = 0;
Color C = {255, 255, 255, 0, nullptr};
Color green = {0, 255, 0, 0, nullptr};

// The first label says Np= 50 although the entry sets 64; the label stays as it always read.
static const GridChoice grid_table[] = {
    {.label = "Nw= 30, Np= 50", .id = 1001, .N_w = 30, .N_p = 64},
    {.label = "Nw= 60, Np=128", .id = 1002, .N_w = 60, .N_p = 128},
    {.label = "Nw=100, Np=256", .id = 1003, .N_w = 100, .N_p = 256},
    {.label = "Nw=200, Np=512", .id = 1004, .N_w = 200, .N_p = 512},
};
constinit std::span<const GridChoice> grid_choices = grid_table;
static GridChoice grids_offered[std::size(grid_table) + 1];

void offerGrid(const GridChoice &own) {
    std::copy(std::begin(grid_table), std::end(grid_table), grids_offered);
    grids_offered[std::size(grid_table)] = own;
    grid_choices = grids_offered;
}

static int rows_alloc = 0;

void initRadon(int N_w, int N_p) {
    Nw = N_w;
    Np = N_p;
    Nl = width;
    dw = 3.141592653589793 / Nw;
    dp = (xmax + xmax) / Np;
    dl = (ymax + ymax) / Nl;
    have_rdn = 0;
    have_fbp = 0;

    delete[] cn;
    delete[] sn;
    sn = new double[Nw + 1];
    cn = new double[Nw + 1];
    for (int iw = 0; iw <= Nw; iw++) {
        cn[iw] = cos(iw * dw);
        sn[iw] = sin(iw * dw);
    }

    if (rdn) {
        for (int iw = 0; iw < rows_alloc; iw++) {
            delete[] rdn[iw];
            delete[] fbp[iw];
        }
        delete[] rdn;
        delete[] fbp;
    }
    // Room for the Nw + 1 angles and for a fan's full turn of 2 Nw views.
    rows_alloc = 2 * Nw + 1;
    rdn = new double *[rows_alloc];
    fbp = new double *[rows_alloc];
    for (int iw = 0; iw < rows_alloc; iw++) {
        rdn[iw] = new double[Np + 1];
        fbp[iw] = new double[Np + 1];
    }

    // The work images start at 0, so a pixel never shows an undefined value.
    if (abuf) {
        for (int ix = 0; ix < width; ix++) {
            delete[] abuf[ix];
            delete[] bbuf[ix];
        }
        delete[] abuf;
        delete[] bbuf;
    }
    abuf = new double *[width];
    bbuf = new double *[width];
    for (int ix = 0; ix < width; ix++) {
        abuf[ix] = new double[height]();
        bbuf[ix] = new double[height]();
    }
}
