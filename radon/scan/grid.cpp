// The sampling grid, its angle tables and working buffers, and the state
// that several stages share.
#include <algorithm>
#include <cmath>
#include <cstdlib>
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

    // Each array's rows in one block; room for the Nw + 1 angles and for a
    // fan's full turn of 2 Nw views. Plain pointers: the blocks outlive an
    // exit in the middle of a scan, whose other thread may still write rows.
    static double *rdn_rows = nullptr, *fbp_rows = nullptr;
    const int rows = 2 * Nw + 1;
    delete[] rdn;
    delete[] fbp;
    delete[] rdn_rows;
    delete[] fbp_rows;
    rdn = new double *[rows];
    fbp = new double *[rows];
    rdn_rows = new double[(size_t)rows * (Np + 1)];
    fbp_rows = new double[(size_t)rows * (Np + 1)];
    for (int iw = 0; iw < rows; iw++) {
        rdn[iw] = &rdn_rows[(size_t)iw * (Np + 1)];
        fbp[iw] = &fbp_rows[(size_t)iw * (Np + 1)];
    }

    // The work images, the canvas's size, are made once and start at 0, so a
    // pixel never shows an undefined value. calloc takes a block this large
    // fresh from the system, zero already: it costs nothing until a
    // demonstration draws into it.
    if (!abuf) {
        double *a = static_cast<double *>(std::calloc((size_t)width * height, sizeof(double)));
        double *b = static_cast<double *>(std::calloc((size_t)width * height, sizeof(double)));
        abuf = new double *[width];
        bbuf = new double *[width];
        for (int ix = 0; ix < width; ix++) {
            abuf[ix] = a + (size_t)ix * height;
            bbuf[ix] = b + (size_t)ix * height;
        }
    }
}
