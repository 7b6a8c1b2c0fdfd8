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
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canvas_state.h"

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

static std::string save_error;

// A new file beside `name` (same directory, hidden name), made with the mode
// any new file gets: 0666 less the umask. Its name in *temp; -1 on failure.
static int create_beside(const std::string &name, std::string *temp) {
    static unsigned serial = 0;
    const size_t slash = name.rfind('/');
    const std::string prefix = name.substr(0, slash + 1) + "." + name.substr(slash + 1) + "." +
                               std::to_string(getpid()) + ".";
    for (int tries = 0; tries < 100; tries++) {
        *temp = prefix + std::to_string(serial++);
        int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Write the picture to a new file beside `fname` and rename it into place.
// A failure leaves no new file behind, and whatever was at the name as it was.
int SaveImageAs(const char *fname) {
    const std::string name = fname;
    save_error.clear();
    auto fail = [&](const char *what, int err) {
        save_error = std::string(what) + " " + name + ": " + std::strerror(err);
        return 0;
    };
    // A link or a FIFO at the name is replaced; a directory or a device is
    // never (a device is not a file whose picture could be kept).
    struct stat at;
    if (lstat(fname, &at) == 0) {
        if (S_ISDIR(at.st_mode)) return fail("can't open", EISDIR);
        if (S_ISCHR(at.st_mode) || S_ISBLK(at.st_mode) || S_ISSOCK(at.st_mode)) return fail("can't open", EEXIST);
    }
    std::string temp;
    int fd = create_beside(name, &temp);
    if (fd < 0) return fail("can't open", errno);
    FILE *fp = fdopen(fd, "wb");
    if (!fp) {
        const int err = errno;
        close(fd);
        unlink(temp.c_str());
        return fail("can't open", err);
    }
    SetColor3f(0.0, 1.0, 0.0);
    show_message(("Saving Image to \"" + name + "\" ").c_str(), _height / 2 - 14);
#ifdef SIGXFSZ
    // Past the file-size limit a write fails (EFBIG) instead of ending the program.
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
#endif
    errno = 0;
    bool ok = save_bmp24(fp, 0, 0, _width, _height) && std::fflush(fp) == 0 && fsync(fd) == 0;
    int err = errno;
    // Closing can fail too (a file system that reports late).
    if (std::fclose(fp) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && std::rename(temp.c_str(), fname) != 0) {
        ok = false;
        err = errno;
    }
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, previous);
#endif
    if (!ok) {
        unlink(temp.c_str());
        return fail("can't write", err ? err : EIO);
    }
    show_message("Done!", _height / 2 + 6);
    return 1;
}

const char *SaveError(void) { return save_error.c_str(); }
