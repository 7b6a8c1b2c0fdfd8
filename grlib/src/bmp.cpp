// Saving the stored picture (the back buffer) as an uncompressed 24-bit BMP.
//
// File layout for a region of w x h pixels; every field little-endian:
//
//   offset  size  field            value
//   0       2     bfType           "BM" (0x42, 0x4D)
//   2       4     bfSize           54 + h * (3w + w mod 4), the whole file
//   6       2     bfReserved1      0
//   8       2     bfReserved2      0
//   10      4     bfOffBits        54
//   14      4     biSize           40
//   18      4     biWidth          w
//   22      4     biHeight         h (positive: rows bottom-up)
//   26      2     biPlanes         1
//   28      2     biBitCount       24
//   30      4     biCompression    0
//   34      4     biSizeImage      0
//   38      4     biXPelsPerMeter  0
//   42      4     biYPelsPerMeter  0
//   46      4     biClrUsed        0
//   50      4     biClrImportant   0
//   54      ...   pixel rows: bottom row first, left to right, each pixel
//                 blue, green, red; then (w mod 4) zero bytes per row.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "canvas_state.h"
#include "savefile.h"

namespace grlib {

namespace {

constexpr int kHeaderSize = 54;

void put_le(unsigned char *at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) at[i] = (unsigned char)(value >> (8 * i));
}

bool put_header_bmp24(FILE *fp, int rx, int ry) {
    unsigned char h[kHeaderSize] = {};
    const uint32_t row_size = 3 * (uint32_t)rx + (uint32_t)rx % 4;
    h[0] = 'B';
    h[1] = 'M';
    put_le(h + 2, kHeaderSize + (uint32_t)ry * row_size, 4);
    put_le(h + 10, kHeaderSize, 4);
    put_le(h + 14, 40, 4);
    put_le(h + 18, (uint32_t)rx, 4);
    put_le(h + 22, (uint32_t)ry, 4);
    put_le(h + 26, 1, 2);
    put_le(h + 28, 24, 2);
    return std::fwrite(h, 1, sizeof h, fp) == sizeof h;
}

// A progress message on the window only, shown at once: it is never part of
// the stored picture.
void show_message(const char *text, int y) {
    draw_text(window_surface, _width / 2 - 50, y, text, current_rgb);
    window_touched();
    show_pending_drawing();
}

} // namespace

bool save_bmp24(FILE *fp, int x1, int y1, int x2, int y2) {
    const int w = x2 - x1;
    if (!put_header_bmp24(fp, w, y2 - y1)) return false;
    // The padding bytes at the row's end stay zero.
    std::vector<unsigned char> row(3 * (size_t)w + w % 4, 0);
    for (int y = y2 - 1; y >= y1; y--) {
        unsigned char *b = row.data();
        for (int x = x1; x < x2; x++) {
            const uint32_t c = back_surface.get(x, y);
            *b++ = (unsigned char)(c >> 16);
            *b++ = (unsigned char)(c >> 8);
            *b++ = (unsigned char)c;
        }
        if (std::fwrite(row.data(), 1, row.size(), fp) != row.size()) return false;
    }
    return true;
}

} // namespace grlib

using namespace grlib;

// Progress messages go on the window once the file is made, "Done!" once it is in place.
int SaveImageAs(const char *fname) {
    const bool ok = save_replacing(fname, [&](FILE *fp) {
        SetColor3f(0.0, 1.0, 0.0);
        show_message(("Saving Image to \"" + std::string(fname) + "\" ").c_str(), _height / 2 - 14);
        return save_bmp24(fp, 0, 0, _width, _height);
    });
    if (ok) show_message("Done!", _height / 2 + 6);
    return ok;
}
