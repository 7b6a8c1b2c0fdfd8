// Grey PNG files through libpng, 8 or 16 bits, each pixel's value as stored.
#include <png.h>

#include <cstdio>
#include <memory>

#include "scan/own_scan.h"

static void pngError(png_structp png, png_const_charp message) {
    *(std::string *)png_get_error_ptr(png) = message;
    png_longjmp(png, 1);
}
static void pngWarning(png_structp, png_const_charp) {}

bool readPng(const std::string &path, Array2D *array, std::string *error) {
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        *error = "no such file or not readable";
        return false;
    }
    std::string reason;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reason, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        *error = "out of memory";
        return false;
    }
    // Everything that can go wrong from here on comes back through setjmp; the rows live outside it.
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    png_uint_32 w = 0, h = 0;
    int depth = 0, colour = 0;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        *error = "not a PNG file that can be read: " + reason;
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    png_get_IHDR(png, info, &w, &h, &depth, &colour, nullptr, nullptr, nullptr);
    if (colour != PNG_COLOR_TYPE_GRAY || (depth != 8 && depth != 16) || w > 100000 || h > 100000) {
        png_destroy_read_struct(&png, &info, nullptr);
        *error = "not a grey PNG of 8 or 16 bits";
        return false;
    }
    const size_t bytes = depth / 8;
    pixels.resize((size_t)w * h * bytes);
    for (png_uint_32 j = 0; j < h; j++) rows.push_back(&pixels[(size_t)j * w * bytes]);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    array->rows = (int)h;
    array->cols = (int)w;
    array->value.resize((size_t)w * h);
    // PNG stores 16-bit samples most significant byte first.
    for (size_t k = 0; k < array->value.size(); k++)
        array->value[k] = bytes == 1 ? pixels[k] : pixels[2 * k] * 256 + pixels[2 * k + 1];
    return true;
}
