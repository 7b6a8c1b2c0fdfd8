// Picture files on the desktop, decoded by SDL2_image.
#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "grlib.h"

// The file is opened here rather than by the decoder: the system's reason
// ("No such file or directory", "Is a directory") says more than its own.
static SDL_RWops *openPicture(const char *path, std::string *error) {
    std::FILE *fp = std::fopen(path, "rb");
    if (!fp) {
        *error = std::strerror(errno);
        return nullptr;
    }
    struct stat st;
    const char *problem = fstat(fileno(fp), &st) != 0 ? std::strerror(errno)
                          : S_ISDIR(st.st_mode)       ? std::strerror(EISDIR)
                          : st.st_size == 0           ? "the file is empty"
                                                      : nullptr;
    SDL_RWops *rw = problem ? nullptr : SDL_RWFromFP(fp, SDL_TRUE);
    if (!rw) {
        *error = problem ? problem : SDL_GetError();
        std::fclose(fp);
    }
    return rw;
}

bool LoadPicture(const char *path, int max_side, const PictureFunc &take, std::string *error) {
    SDL_RWops *rw = openPicture(path, error);
    if (!rw) return false;
    SDL_Surface *decoded = IMG_Load_RW(rw, 1);
    if (!decoded) {
        *error = IMG_GetError();
        return false;
    }
    // The size is checked before the pixels are converted, which would
    // need another buffer as large as the picture.
    if (decoded->w < 1 || decoded->h < 1 || decoded->w > max_side || decoded->h > max_side) {
        *error = "the picture is " + std::to_string(decoded->w) + " x " + std::to_string(decoded->h) +
                 " pixels; it must be 1 to " + std::to_string(max_side) + " pixels wide and tall";
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
