// The stages against plain loops in the order of their definitions: the
// fast paths (rows on two threads, sums in step, samples beyond an object's
// radius left out, the kernel table) must give the very same bits and pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "radon.h"
#include "radon_test_canvas.h"
#include "stages.h"

static bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

static std::vector<uint32_t> windowPicture() {
    std::vector<uint32_t> picture;
    for (int iy = 0; iy < height; iy++)
        for (int ix = 0; ix < width; ix++) picture.push_back(GetWindowPixel(ix, iy));
    return picture;
}

static double screenX(double x) { return width * 0.5 * (x / xmax + 1); }
static double screenY(double y) { return height * 0.5 * (1 - y / ymax); }

// The sinogram ray by ray; draws angle iw's frame into the window when asked.
static std::vector<double> plainSinogram(int frame) {
    std::vector<double> out;
    for (int iw = 0; iw <= Nw; iw++) {
        if (iw == frame) ClearCanvas();
        for (int ip = 0; ip <= Np; ip++) {
            double s = sn[iw], c = cn[iw];
            double xp = ip * dp - xmax, yp = -ymax;
            double x0 = xp * c - yp * s, y0 = xp * s + yp * c;
            double x1 = xp * c + yp * s, y1 = xp * s - yp * c;
            double sum = 0;
            for (int il = Nl / 20; il < (19 * Nl) / 20; il++) {
                double x = x0 + (x1 - x0) * il / Nl;
                double y = y0 + (y1 - y0) * il / Nl;
                sum = sum + head(x, y);
            }
            out.push_back(sum * dl);
            if (iw == frame && xp * xp < 7) {
                SetColoredGray(&C, 0.8);
                DrawPoint(screenX(0.97 * x0 + 0.03 * x1), screenY(0.97 * y0 + 0.03 * y1));
                SetColoredGray(&C, 1.1 - exp(-0.3 * sum * dl));
                SetLineWidth((int)(0.52 * dp * width / xmax + 1.5));
                DrawLine(screenX(0.08 * x0 + 0.92 * x1), screenY(0.08 * y0 + 0.92 * y1),
                         screenX(0.03 * x0 + 0.97 * x1), screenY(0.03 * y0 + 0.97 * y1));
            }
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
            if (!(x * x + y * y < 9.0)) {
                out.push_back(NAN);
                continue;
            }
            double sum = 0;
            for (int iw = 0; iw < Nw; iw++) {
                double p = (x * cn[iw] + y * sn[iw] + xmax) / dp;
                int ip = (int)p;
                sum = ((ip + 1 - p) * fbp[iw][ip] + sum) + (p - ip) * fbp[iw][ip + 1];
            }
            out.push_back(sum * dw);
            SetColoredGray(&C, sum * dw);
            DrawPoint(ix, iy);
        }
    }
    return out;
}

static void expectSameAsRows(const std::vector<double> &plain, double **rows, const char *what) {
    int differ = 0;
    for (int iw = 0; iw <= Nw; iw++)
        for (int ip = 0; ip <= Np; ip++)
            if (!sameBits(rows[iw][ip], plain[(size_t)iw * (Np + 1) + ip])) differ++;
    EXPECT_EQ(differ, 0) << what << " entries differ";
}

TEST(Golden, SinogramAndLastFrame) {
    ensureTestCanvas();
    for (Object object : {head0, head1, head2, head3, head4}) {
        initRadon(30, 64);
        head = object;
        std::vector<double> plain = plainSinogram(Nw);
        std::vector<uint32_t> plainFrame = windowPicture();
        getRadon();
        expectSameAsRows(plain, rdn, "sinogram");
        EXPECT_TRUE(windowPicture() == plainFrame);

        // The line-integral demonstration stores the same sinogram.
        for (int iw = 0; iw <= Nw; iw++)
            for (int ip = 0; ip <= Np; ip++) rdn[iw][ip] = -1;
        showIntegral();
        expectSameAsRows(plain, rdn, "demonstration's sinogram");
        EXPECT_EQ(show_integral, 0);
    }
    head = head0;
}

TEST(Golden, DirectFiltering) {
    ensureTestCanvas();
    head = head0;
    for (int grid : {0, 1}) {
        if (grid == 0) initRadon(30, 64);
        else initRadon(100, 256);
        getRadon();
        std::vector<double> plain = plainDirectFiltering();
        getFbp0();
        expectSameAsRows(plain, fbp, "filtered sinogram");
    }
}

TEST(Golden, BackProjectionValuesAndPicture) {
    ensureTestCanvas();
    head = head0;
    initRadon(60, 128);
    for (int fftPath : {0, 1}) {
        have_rdn = 0;
        if (fftPath) getFbp1();
        else getFbp0();
        std::vector<double> plain = plainBackProjection();
        std::vector<uint32_t> plainPicture = windowPicture();

        std::vector<char> in(width);
        std::vector<double> fn(width);
        int differ = 0;
        for (int iy = 0; iy < height; iy++) {
            backProjectRow(iy, in.data(), fn.data());
            for (int ix = 0; ix < width; ix++) {
                double expected = plain[(size_t)iy * width + ix];
                if (in[ix] != !std::isnan(expected) || (in[ix] && !sameBits(fn[ix], expected))) differ++;
            }
        }
        EXPECT_EQ(differ, 0) << "pixels differ";
        drawBackProjection();
        EXPECT_TRUE(windowPicture() == plainPicture);
    }
}
