// The help screen: every key on one screen, then the picture from before.
#include <cstdio>
#include <vector>

#include "lab/lab.h"

static const char *const help_lines[] = {
    "Keys. A mouse button opens the menu: these and more.",
    "h  draw the test object",
    "r  scan it: compute the sinogram",
    "R  reconstruct by filtered back-projection",
    "i  demo: the line integrals, sample by sample",
    "c  demo: the filtering of six projections",
    "a  demo: back-projection angle by angle",
    "o  demo: the same unfiltered (old tomography)",
    "z  demo: the Fourier slice theorem",
    "f  draw the filter's kernel",
    "F  filter by FFT or directly (toggle)",
    "s  save the picture as (Nw)x(Np).bmp",
    "q  quit",
    "Lab",
    "S  the sinogram and the filtered sinogram",
    "k  next filter: Shepp-Logan, Ram-Lak, Cosine, ...",
    "n  next noise: none, 1000000 ... 1000 photons/ray",
    "v  next views: all, every 2nd ... 8th, 0-135, 0-90",
    "g  next detector: perfect, one 1%, 5%, 20% weak",
    "b  beam: monochromatic or polychromatic (toggle)",
    "m  metal insert: two pins (toggle)",
    "e  error picture: reconstruction minus object",
    "d  save the numbers as (Nw)x(Np)-*.csv",
    "?  this help",
};

// Every pixel of the drawing target from a picture taken with GetWindowPixel
// or GetBackPixel.
static void putBack(const std::vector<uint32_t> &picture) {
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            uint32_t c = picture[(size_t)iy * width + ix];
            SetColor3i(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            DrawPoint(ix, iy);
        }
    }
}

void showHelp(void) {
    // Both surfaces, since the window may show live drawing that the back
    // buffer does not hold yet.
    std::vector<uint32_t> shown((size_t)width * height), stored((size_t)width * height);
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            shown[(size_t)iy * width + ix] = GetWindowPixel(ix, iy);
            stored[(size_t)iy * width + ix] = GetBackPixel(ix, iy);
        }
    }

    char now[100];
    std::snprintf(now, sizeof now, "Now: %dx%d, %s, %s%s", Nw, Np, current_filter->label,
                  current_noise->photons ? current_noise->label : "no noise", use_fft ? ", FFT" : "");
    SetDoubleBuffer(1);
    ClearCanvas();
    int y = 36;
    for (const char *line : help_lines) {
        // Headings in green, a little apart from what went before.
        const bool heading = line[1] != ' ';
        if (heading && y > 36) y += 6;
        if (heading) SetColor(&green);
        else SetColoredGray(&C, 0.8);
        DrawString(10, y, line);
        y += 16;
    }
    SetColoredGray(&C, 0.6);
    DrawString(10, y + 6, now);
    Pause("Help. Hit any key to go back.", 1);

    putBack(shown);
    FlushBuffer();
    putBack(stored);
    SetDoubleBuffer(0);
}
