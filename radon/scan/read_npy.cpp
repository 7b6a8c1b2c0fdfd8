// NumPy's .npy files. No library reads them in C++, and the format is small:
//
//   bytes 0-5   "\x93NUMPY"
//   byte 6, 7   the format's version, major and minor: 1.0, 2.0 or 3.0
//   then        the header's length HLEN, little-endian: 2 bytes (version 1),
//               4 bytes (versions 2 and 3)
//   then        HLEN bytes: a Python dict literal (ASCII; UTF-8 in version 3)
//               {'descr': '<f8', 'fortran_order': False, 'shape': (R, C), }
//               padded with blanks and a newline
//   then        R x C values of the type 'descr' names, without gaps: its
//               first character the byte order ('<' little, '>' big, '|' or
//               '=' single bytes / this machine's), then the kind and the
//               size in bytes (u1 u2 i2 u4 i4 f4 f8 here); row by row, or
//               column by column when fortran_order is True.
#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "scan/own_scan.h"

// The value of `key` in the header's dict, up to the next comma at nesting depth 0.
static bool dictValue(const std::string &header, const std::string &key, std::string *value) {
    const size_t at = header.find("'" + key + "'");
    if (at == std::string::npos) return false;
    size_t i = header.find(':', at);
    if (i == std::string::npos) return false;
    int depth = 0;
    size_t start = ++i;
    for (; i < header.size(); i++) {
        const char c = header[i];
        if (c == '(' || c == '[') depth++;
        else if (c == ')' || c == ']') depth--;
        if ((c == ',' && depth == 0) || depth < 0 || c == '}') break;
    }
    *value = header.substr(start, i - start);
    const size_t first = value->find_first_not_of(" "), last = value->find_last_not_of(" ");
    *value = first == std::string::npos ? "" : value->substr(first, last - first + 1);
    return true;
}

// One value of type `kind` (u, i, f) and `size` bytes at `p`, swapped when `swap`.
static double valueAt(const unsigned char *p, char kind, int size, bool swap) {
    unsigned char b[8];
    for (int k = 0; k < size; k++) b[k] = p[swap ? size - 1 - k : k];
    switch (size * 256 + kind) {
    case 1 * 256 + 'u': return b[0];
    case 2 * 256 + 'u': { uint16_t v; std::memcpy(&v, b, 2); return v; }
    case 2 * 256 + 'i': { int16_t v; std::memcpy(&v, b, 2); return v; }
    case 4 * 256 + 'u': { uint32_t v; std::memcpy(&v, b, 4); return v; }
    case 4 * 256 + 'i': { int32_t v; std::memcpy(&v, b, 4); return v; }
    case 4 * 256 + 'f': { float v; std::memcpy(&v, b, 4); return v; }
    default: { double v; std::memcpy(&v, b, 8); return v; }
    }
}

bool readNpy(const std::string &path, Array2D *array, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "no such file or not readable";
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    const std::string bytes = all.str();
    auto refuse = [&](const std::string &reason) {
        *error = "not a NumPy file of this program's kinds: " + reason;
        return false;
    };
    if (bytes.size() < 10 || bytes.compare(0, 6, "\x93NUMPY") != 0) return refuse("no NumPy signature");
    const int major = (unsigned char)bytes[6];
    if (major < 1 || major > 3) return refuse("version " + std::to_string(major));
    const size_t length_bytes = major == 1 ? 2 : 4;
    size_t header_length = 0;
    for (size_t k = 0; k < length_bytes && 8 + k < bytes.size(); k++)
        header_length |= (size_t)(unsigned char)bytes[8 + k] << (8 * k);
    const size_t data_start = 8 + length_bytes + header_length;
    if (data_start > bytes.size()) return refuse("the header is cut short");
    const std::string header = bytes.substr(8 + length_bytes, header_length);
    std::string descr, fortran, shape;
    if (!dictValue(header, "descr", &descr) || !dictValue(header, "fortran_order", &fortran) ||
        !dictValue(header, "shape", &shape))
        return refuse("a header without descr, fortran_order and shape");
    // descr: '<f8' with its quotes.
    if (descr.size() != 5 || descr[0] != '\'' || descr[4] != '\'') return refuse("type " + descr);
    const char order = descr[1], kind = descr[2];
    const int size = descr[3] - '0';
    const std::string type = descr.substr(2, 2);
    if (type != "u1" && type != "u2" && type != "i2" && type != "u4" && type != "i4" && type != "f4" && type != "f8")
        return refuse("type " + type + " (u1 u2 i2 u4 i4 f4 f8 are read)");
    const bool big = order == '>' || (order == '=' && std::endian::native == std::endian::big);
    if (order != '<' && order != '>' && order != '|' && order != '=') return refuse("byte order " + descr);
    const bool swap = size > 1 && big != (std::endian::native == std::endian::big);
    if (fortran != "True" && fortran != "False") return refuse("fortran_order " + fortran);
    // shape: "(R, C)"; anything but two whole numbers is not 2-D.
    long long r = -1, c = -1;
    char close = 0;
    int taken = 0;
    if (std::sscanf(shape.c_str(), "(%lld ,%lld %c%n", &r, &c, &close, &taken) != 3 || close != ')' ||
        taken != (int)shape.size() || r < 0 || c < 0) {
        *error = "not 2-D: shape " + shape;
        return false;
    }
    if (r > 1000000 || c > 1000000 || (size_t)(r * c) * size > bytes.size() - data_start) {
        *error = "the data are cut short: shape " + shape + " needs " + std::to_string(r * c * size) + " bytes";
        return false;
    }
    array->rows = (int)r;
    array->cols = (int)c;
    array->value.resize((size_t)r * c);
    const unsigned char *data = (const unsigned char *)bytes.data() + data_start;
    const bool by_columns = fortran == "True";
    for (long long i = 0; i < r; i++)
        for (long long j = 0; j < c; j++)
            array->value[(size_t)(i * c + j)] = valueAt(data + (size_t)(by_columns ? j * r + i : i * c + j) * size, kind, size, swap);
    return true;
}
