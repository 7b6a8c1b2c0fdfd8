// What grlib-sdl.so offers the program, by the name it looks for
// (sdl_loader.cpp); nothing else of the module is seen outside it.
#include "sdl_module.h"

extern "C" {
[[gnu::visibility("default")]] extern const SdlModule grlib_sdl_module;
const SdlModule grlib_sdl_module = {
    .window = &platform_sdl,
    .load_picture = sdl_load_picture,
    .write_png = sdl_write_png,
};
}
