// The stages against plain loops in the order of their definitions: the
// fast paths (rows on two threads, sums in SIMD lanes, samples beyond an
// object's radius left out, the kernel table) must give the very same bits
// and pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "radon_test_canvas.h"
#include "simd.h"

static bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

static int differingEntries(const std::vector<double> &plain, double **rows) {
    int differ = 0;
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++) differ += !sameBits(rows[iw][ip], plain[(size_t)iw * (Np + 1) + ip]);
    return differ;
}

static std::vector<uint32_t> windowPicture() {
    std::vector<uint32_t> picture;
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) picture.push_back(GetWindowPixel(ix, iy));
    return picture;
}

static std::vector<double> plainSinogram() {
    std::vector<double> out;
    for (int iw = 0; iw <= Nw; iw++) {
        for (int ip = 0; ip <= Np; ip++) {
            double s = sn[iw], c = cn[iw];
            double xp = ip * dp - xmax, yp = -ymax;
            double x0 = xp * c - yp * s, y0 = xp * s + yp * c;
            double x1 = xp * c + yp * s, y1 = xp * s - yp * c;
            double sum = 0;
            for (int il = Nl / 20; il < (19 * Nl) / 20; il++)
                sum = sum + head(x0 + (x1 - x0) * il / Nl, y0 + (y1 - y0) * il / Nl);
            out.push_back(sum * dl);
        }
    }
    return out;
}

static std::vector<double> plainDirectFiltering() {
    std::vector<double> out;
    for (int iw = 0; iw <= Nw; iw++) {
        for (int ip = 0; ip <= Np; ip++) {
            double sum = 0;
            for (int iq = 0; iq <= Np; iq++) sum = sum + weight((ip - iq) * dp, dp) * rdn[iw][iq];
            out.push_back(sum / 6.283185307179586);
        }
    }
    return out;
}

// Pixel values (NAN outside the disc), drawn into the cleared window.
static std::vector<double> plainBackProjection() {
    std::vector<double> out;
    ClearCanvas();
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            double t = (ix - width / 2) * xmax, u = (height / 2 - iy) * ymax;
            double x = (t + t) / width, y = (u + u) / height;
            out.push_back(NAN);
            if (!(x * x + y * y < 9.0)) continue;
            double sum = 0;
            for (int iw = 0; iw < Nw; iw++) {
                double p = (x * cn[iw] + y * sn[iw] + xmax) / dp;
                int ip = (int)p;
                sum = ((ip + 1 - p) * fbp[iw][ip] + sum) + (p - ip) * fbp[iw][ip + 1];
            }
            out.back() = sum * dw;
            SetColoredGray(&C, sum * dw);
            DrawPoint(ix, iy);
        }
    }
    return out;
}

TEST(Golden, SinogramOfEveryObject) {
    ensureTestCanvas();
    initRadon(30, 64);
    for (Object object : {head0, head1, head2, head3, head4}) {
        head = object;
        std::vector<double> plain = plainSinogram();
        getRadon();
        EXPECT_EQ(differingEntries(plain, rdn), 0);
        // The line-integral demonstration integrates on its own path.
        for (int iw = 0; iw <= Nw; iw++) rdn[iw][Np / 2] = -1;
        showIntegral();
        EXPECT_EQ(differingEntries(plain, rdn), 0);
    }
    head = head0;
}

TEST(Golden, DirectFiltering) {
    ensureTestCanvas();
    head = head0;
    const int grids[][2] = {{30, 64}, {100, 256}};
    for (const int *grid : grids) {
        initRadon(grid[0], grid[1]);
        getRadon();
        std::vector<double> plain = plainDirectFiltering();
        getFbp0();
        EXPECT_EQ(differingEntries(plain, fbp), 0) << Np;
    }
}

TEST(Golden, BackProjectionValuesAndPicture) {
    ensureTestCanvas();
    head = head0;
    initRadon(60, 128);
    for (void (*filter)(void) : {getFbp0, getFbp1}) {
        have_rdn = 0;
        filter();
        std::vector<double> plain = plainBackProjection();
        std::vector<uint32_t> plainPicture = windowPicture();
        std::vector<char> in(width);
        std::vector<double> fn(width);
        int differ = 0;
        for (int iy = 0; iy < height; iy++) {
            backProjectRow(iy, in.data(), fn.data());
            for (int ix = 0; ix < width; ix++) {
                double expected = plain[(size_t)iy * width + ix];
                differ += in[ix] != !std::isnan(expected) || (in[ix] && !sameBits(fn[ix], expected));
            }
        }
        EXPECT_EQ(differ, 0);
        drawBackProjection();
        EXPECT_TRUE(windowPicture() == plainPicture);
    }
}

// The tests run twice (tests/CMakeLists.txt): on the best SIMD instruction
// set, and with RADON_SIMD=scalar on Highway's scalar fallback.
TEST(Golden, InstructionSetAsAsked) {
    const char *asked = std::getenv("RADON_SIMD");
    const std::string name = simdTargetName();
    EXPECT_EQ(name == "EMU128" || name == "SCALAR", asked && std::string(asked) == "scalar") << name;
}
