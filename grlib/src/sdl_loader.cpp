// The SDL2 module (sdl_module.h), loaded once when a window, a picture file
// or a PNG file is first asked for.
#include <vector>

#include "canvas_state.h"
#include "savefile.h"
#include "sdl_module.h"

static const SdlModule *sdl(std::string *error) {
    std::string reason;
    const auto *module = static_cast<const SdlModule *>(
        LoadModuleSymbol(GRLIB_SDL_FROM_PROGRAM, GRLIB_SDL_BUILT, "grlib_sdl_module", &reason));
    if (!module) *error = "the SDL2 module cannot be loaded: " + reason;
    return module;
}

const Platform *window_platform(std::string *error) {
    const SdlModule *module = sdl(error);
    return module ? module->window : nullptr;
}

bool LoadPicture(const char *path, int max_side, const PictureFunc &take, std::string *error) {
    const SdlModule *module = sdl(error);
    return module && module->load_picture(path, max_side, take, error);
}

int SaveImageAsPNG(const char *fname) {
    std::vector<uint8_t> rgb;
    rgb.reserve((size_t)grlib::_width * grlib::_height * 3);
    for (uint32_t pixel : grlib::back_surface.pixels)
        for (int shift : {0, 8, 16}) rgb.push_back((uint8_t)(pixel >> shift));
    std::string error;
    const SdlModule *module = sdl(&error);
    return grlib::save_replacing(fname, [&](FILE *fp) {
        return module && module->write_png(fp, rgb.data(), grlib::_width, grlib::_height) && !std::ferror(fp);
    });
}
