// Grey PNG files in the page, decoded by the browser. The browser hands
// over 8 bits a sample, so only 8-bit grey files are read here; a 16-bit
// file is refused rather than cut to its top 8 bits.
//
// What is checked before decoding, from the file's first 26 bytes:
//   0..7    the signature 89 50 4E 47 0D 0A 1A 0A
//   12..15  "IHDR", the first chunk
//   24      bit depth (8 here)
//   25      colour type (0: grey)
#include <cstdio>
#include <cstring>
#include <memory>

#include "grlib.h"
#include "scan/own_scan.h"

bool readPng(const std::string &path, Array2D *array, std::string *error) {
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        *error = "no such file or not readable";
        return false;
    }
    unsigned char head[26];
    if (std::fread(head, 1, sizeof head, file.get()) != sizeof head ||
        std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) != 0 || std::memcmp(head + 12, "IHDR", 4) != 0) {
        *error = "not a PNG file that can be read";
        return false;
    }
    if (head[25] == 0 && head[24] == 16) {
        *error = "a 16-bit PNG; the page reads 8-bit ones only";
        return false;
    }
    if (head[25] != 0 || head[24] != 8) {
        *error = "not a grey PNG of 8 or 16 bits";
        return false;
    }
    return LoadPicture(path.c_str(), 100000,
                       [&](const uint8_t *rgba, int w, int h) {
                           array->rows = h;
                           array->cols = w;
                           array->value.resize((size_t)w * h);
                           for (size_t k = 0; k < array->value.size(); k++) array->value[k] = rgba[4 * k];
                       },
                       error);
}
