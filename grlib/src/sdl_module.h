// The desktop's SDL2 half of the canvas library, a module of its own
// (grlib-sdl.so): the window backend, and pictures decoded and PNG files
// written by SDL2_image. The program loads it the first time it needs one
// of them (sdl_loader.cpp), so that a run without a window (batch mode, the
// tests) starts without loading SDL2 and the many libraries behind it.
#ifndef GRLIB_SDL_MODULE_H
#define GRLIB_SDL_MODULE_H

#include <cstdio>

#include "grlib.h"
#include "platform.h"

struct SdlModule {
    const Platform *window;
    // LoadPicture's contract (grlib.h).
    bool (*load_picture)(const char *path, int max_side, const PictureFunc &take, std::string *error);
    // w x h pixels of 8-bit R, G, B, row 0 at the top, as a PNG file into fp.
    bool (*write_png)(std::FILE *fp, const uint8_t *rgb, int w, int h);
};

// The module's parts (platform_sdl.cpp, picture_sdl.cpp).
extern const Platform platform_sdl;
bool sdl_load_picture(const char *path, int max_side, const PictureFunc &take, std::string *error);
bool sdl_write_png(std::FILE *fp, const uint8_t *rgb, int w, int h);

#endif
