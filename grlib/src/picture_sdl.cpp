// Picture files on the desktop, decoded by SDL2_image, and PNG files
// written by it (part of the SDL2 module, sdl_module.h).
#include <SDL.h>
#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "sdl_module.h"

// Whether a JPEG stream ends before its end marker. libjpeg pads a file cut
// short with an end of its own and only warns; the picture would come out
// grey below the cut. Anything not laid out as a JPEG is the decoder's to judge.
static bool jpegCutShort(std::FILE *fp) {
    auto byte = [fp] { return std::getc(fp); };
    if (byte() != 0xFF || byte() != 0xD8) return false;
    bool in_scan = false; // in the entropy-coded data after a start of scan
    for (;;) {
        int c = byte();
        if (c == EOF) return true;
        if (c != 0xFF) {
            if (in_scan) continue;
            return false;
        }
        do c = byte();
        while (c == 0xFF);
        if (c == EOF) return true;
        // A stuffed 0xFF byte or a restart marker: the scan goes on.
        if (in_scan && (c == 0x00 || (c >= 0xD0 && c <= 0xD7))) continue;
        in_scan = false;
        if (c == 0xD9) return false;
        if (c == 0x01 || (c >= 0xD0 && c <= 0xD7)) continue;
        const int hi = byte(), lo = byte();
        if (lo == EOF) return true;
        const long length = hi << 8 | lo;
        if (length < 2 || std::fseek(fp, length - 2, SEEK_CUR) != 0) return false;
        in_scan = c == 0xDA;
    }
}

// The file is opened here rather than by the decoder: the system's reason
// ("No such file or directory", "Is a directory") says more than its own.
// Only a regular file is read: opening a FIFO would wait for a writer, and a
// device (/dev/urandom) never ends.
static SDL_RWops *openPicture(const char *path, std::string *error) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        *error = std::strerror(errno);
        if (fd >= 0) close(fd);
        return nullptr;
    }
    const char *problem = S_ISDIR(st.st_mode)    ? std::strerror(EISDIR)
                          : !S_ISREG(st.st_mode) ? "not a regular file"
                          : st.st_size == 0      ? "the file is empty"
                                                 : nullptr;
    std::FILE *fp = problem ? nullptr : fdopen(fd, "rb");
    if (!problem && !fp) problem = std::strerror(errno);
    if (!problem && jpegCutShort(fp)) problem = "the JPEG file is truncated (premature end)";
    SDL_RWops *rw = nullptr;
    if (!problem) {
        std::rewind(fp);
        rw = SDL_RWFromFP(fp, SDL_TRUE);
        if (!rw) problem = SDL_GetError();
    }
    if (!rw) {
        *error = problem;
        if (fp) std::fclose(fp);
        else close(fd);
    }
    return rw;
}

// The decoders' libraries (libpng, libjpeg) write their complaints on
// standard error, also about files they read well. While decoding they go
// to a scratch file instead, whose last line can then explain a failure.
struct HeldBackStderr {
    std::FILE *scratch = std::tmpfile();
    int saved = scratch ? dup(2) : -1;

    HeldBackStderr() {
        std::fflush(stderr);
        if (saved >= 0) dup2(fileno(scratch), 2);
    }
    ~HeldBackStderr() {
        if (saved >= 0) {
            dup2(saved, 2);
            close(saved);
        }
        if (scratch) std::fclose(scratch);
    }
    // The last line written so far, empty when none.
    std::string lastLine() {
        std::string line;
        if (!scratch) return line;
        std::rewind(scratch);
        char buf[256];
        while (std::fgets(buf, sizeof buf, scratch)) {
            if (buf[0] != '\n') line = buf;
        }
        while (!line.empty() && line.back() == '\n') line.pop_back();
        return line;
    }
};

// A lying header must not make the decoder allocate the size it claims
// (30000 x 30000 pixels are 3.6 GB, filled at once). While decoding, SDL's
// allocations (the picture's among them) are capped; every function hands
// on to SDL's own, so blocks stay interchangeable.
struct CappedAllocations {
    static inline size_t cap = 0;
    static inline bool refused = false;
    static inline SDL_malloc_func real_malloc;
    static inline SDL_calloc_func real_calloc;
    static inline SDL_realloc_func real_realloc;
    static inline SDL_free_func real_free;

    // Only the large block is refused: reporting the failure allocates too.
    static bool allowed(size_t count, size_t size) {
        bool ok = size == 0 || count <= cap / size;
        refused = refused || !ok;
        return ok;
    }
    static void *capped_malloc(size_t n) { return allowed(n, 1) ? real_malloc(n) : nullptr; }
    static void *capped_calloc(size_t k, size_t n) { return allowed(k, n) ? real_calloc(k, n) : nullptr; }
    static void *capped_realloc(void *p, size_t n) { return allowed(n, 1) ? real_realloc(p, n) : nullptr; }

    explicit CappedAllocations(size_t limit) {
        cap = limit;
        refused = false;
        SDL_GetMemoryFunctions(&real_malloc, &real_calloc, &real_realloc, &real_free);
        SDL_SetMemoryFunctions(capped_malloc, capped_calloc, capped_realloc, real_free);
    }
    ~CappedAllocations() { SDL_SetMemoryFunctions(real_malloc, real_calloc, real_realloc, real_free); }
};

// Why a picture of `size` pixels is refused.
static std::string wrongSize(const std::string &size, int max_side) {
    return "the picture is " + size + " pixels; it must be 1 to " + std::to_string(max_side) +
           " pixels wide and tall";
}

bool sdl_load_picture(const char *path, int max_side, const PictureFunc &take, std::string *error) {
    SDL_RWops *rw = openPicture(path, error);
    if (!rw) return false;
    // The name's extension tells formats without a signature (TGA) apart.
    const char *dot = std::strrchr(path, '.');
    SDL_Surface *decoded;
    {
        HeldBackStderr held;
        // 8 bytes a pixel of the largest picture accepted, for decoders
        // with a wider intermediate format.
        CappedAllocations capped((size_t)max_side * max_side * 8);
        decoded = IMG_LoadTyped_RW(rw, 1, dot ? dot + 1 : nullptr);
        if (!decoded) {
            std::string detail = held.lastLine();
            *error = capped.refused ? wrongSize("larger than " + std::to_string(max_side) + " x " +
                                                    std::to_string(max_side), max_side)
                                    : IMG_GetError() + (detail.empty() ? "" : " (" + detail + ")");
            return false;
        }
    }
    // The size is checked before the pixels are converted, which would
    // need another buffer as large as the picture.
    if (decoded->w < 1 || decoded->h < 1 || decoded->w > max_side || decoded->h > max_side) {
        *error = wrongSize(std::to_string(decoded->w) + " x " + std::to_string(decoded->h), max_side);
        SDL_FreeSurface(decoded);
        return false;
    }
    // RGBA32 is R, G, B, A in memory whatever the machine's byte order;
    // a colour key becomes alpha 0.
    SDL_Surface *rgba = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(decoded);
    if (!rgba) {
        *error = SDL_GetError();
        return false;
    }
    // 4 bytes a pixel: rows have no padding.
    SDL_LockSurface(rgba);
    take((const uint8_t *)rgba->pixels, rgba->w, rgba->h);
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return true;
}

bool sdl_write_png(std::FILE *fp, const uint8_t *rgb, int w, int h) {
    SDL_Surface *surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t *>(rgb), w, h, 24, w * 3, SDL_PIXELFORMAT_RGB24);
    SDL_RWops *out = surface ? SDL_RWFromFP(fp, SDL_FALSE) : nullptr;
    const bool ok = out && IMG_SavePNG_RW(surface, out, 1) == 0;
    SDL_FreeSurface(surface);
    return ok;
}
