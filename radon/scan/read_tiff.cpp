// TIFF files through libtiff: one grey page of 8, 16 or 32-bit unsigned
// integers or 32 or 64-bit floats, in strips or tiles.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "scan/own_scan.h"

// libtiff's last complaint, in place of its printing on stderr.
static thread_local std::string tiff_reason;
static void tiffError(const char *, const char *format, va_list args) {
    char text[300];
    std::vsnprintf(text, sizeof text, format, args);
    tiff_reason = text;
}

template <class T>
static double sampleAs(const unsigned char *p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return (double)v;
}

bool readTiff(const std::string &path, Array2D *array, std::string *error) {
    TIFFSetErrorHandler(tiffError);
    TIFFSetWarningHandler(nullptr);
    tiff_reason = "no such file or not readable";
    std::unique_ptr<TIFF, void (*)(TIFF *)> tif(TIFFOpen(path.c_str(), "r"), TIFFClose);
    if (!tif) {
        *error = tiff_reason;
        return false;
    }
    uint32_t w = 0, h = 0;
    uint16_t spp = 1, bits = 0, format = SAMPLEFORMAT_UINT;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &format);
    const bool uint = format == SAMPLEFORMAT_UINT && (bits == 8 || bits == 16 || bits == 32);
    const bool ieee = format == SAMPLEFORMAT_IEEEFP && (bits == 32 || bits == 64);
    if (spp != 1 || !(uint || ieee)) {
        *error = "not one grey page of 8/16/32-bit unsigned or 32/64-bit float samples";
        return false;
    }
    if (TIFFReadDirectory(tif.get())) {
        *error = "more than one page";
        return false;
    }
    TIFFSetDirectory(tif.get(), 0);
    auto value = [&](const unsigned char *p) {
        if (ieee) return bits == 32 ? sampleAs<float>(p) : sampleAs<double>(p);
        return bits == 8 ? *p : bits == 16 ? sampleAs<uint16_t>(p) : sampleAs<uint32_t>(p);
    };
    const size_t bytes = bits / 8;
    array->rows = (int)h;
    array->cols = (int)w;
    array->value.assign((size_t)w * h, 0.0);
    if (TIFFIsTiled(tif.get())) {
        uint32_t tw = 0, th = 0;
        TIFFGetField(tif.get(), TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif.get(), TIFFTAG_TILELENGTH, &th);
        std::vector<unsigned char> tile(TIFFTileSize(tif.get()));
        for (uint32_t y0 = 0; y0 < h; y0 += th)
            for (uint32_t x0 = 0; x0 < w; x0 += tw) {
                if (TIFFReadTile(tif.get(), tile.data(), x0, y0, 0, 0) < 0) {
                    *error = "a tile cannot be read: " + tiff_reason;
                    return false;
                }
                for (uint32_t y = y0; y < std::min(h, y0 + th); y++)
                    for (uint32_t x = x0; x < std::min(w, x0 + tw); x++)
                        array->value[(size_t)y * w + x] = value(&tile[((size_t)(y - y0) * tw + (x - x0)) * bytes]);
            }
        return true;
    }
    std::vector<unsigned char> line(TIFFScanlineSize(tif.get()));
    for (uint32_t y = 0; y < h; y++) {
        if (TIFFReadScanline(tif.get(), line.data(), y, 0) < 0) {
            *error = "row " + std::to_string(y) + " cannot be read: " + tiff_reason;
            return false;
        }
        for (uint32_t x = 0; x < w; x++) array->value[(size_t)y * w + x] = value(&line[x * bytes]);
    }
    return true;
}
