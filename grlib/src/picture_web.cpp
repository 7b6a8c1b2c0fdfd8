// Picture files in the page, decoded by the browser: as they are stored,
// with no colour-space conversion and no premultiplied alpha, so that a PNG
// gives the same pixels as on the desktop.
#include <emscripten.h>

#include <vector>

#include "grlib.h"

// Decode the file at `path` in the page's file system and keep the pixels on
// the page; their size, or 0 with the reason in `reason`.
EM_ASYNC_JS(int, web_decode_picture, (const char *path, int max_side, int *w, int *h, char *reason, int size), {
    Module.radonDecoded = null;
    try {
        const bytes = FS.readFile(UTF8ToString(path));
        const bitmap = await createImageBitmap(new Blob([bytes]),
                                               {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
        // A closed bitmap is 0 x 0: its size is read while it is open.
        const width = bitmap.width, height = bitmap.height;
        HEAP32[w >> 2] = width;
        HEAP32[h >> 2] = height;
        if (width > max_side || height > max_side) {
            bitmap.close();
            stringToUTF8('the picture is ' + width + ' x ' + height + ' pixels; it must be 1 to ' +
                         max_side + ' pixels wide and tall', reason, size);
            return 0;
        }
        const canvas = document.createElement('canvas');
        canvas.width = width;
        canvas.height = height;
        const context = canvas.getContext('2d', {willReadFrequently: true});
        context.drawImage(bitmap, 0, 0);
        bitmap.close();
        Module.radonDecoded = context.getImageData(0, 0, canvas.width, canvas.height).data;
        return Module.radonDecoded.length;
    } catch (e) {
        stringToUTF8(e.message || (e.code ? e.code : String(e)), reason, size);
        return 0;
    }
});

// Copy the decoded pixels into the program's memory and let the page's go.
EM_JS(void, web_take_decoded, (uint8_t *to), {
    HEAPU8.set(Module.radonDecoded, to);
    Module.radonDecoded = null;
});

bool LoadPicture(const char *path, int max_side, const PictureFunc &take, std::string *error) {
    int w = 0, h = 0;
    char reason[200] = "";
    int size = web_decode_picture(path, max_side, &w, &h, reason, sizeof reason);
    if (size == 0) {
        *error = reason;
        return false;
    }
    std::vector<uint8_t> rgba(size);
    web_take_decoded(rgba.data());
    take(rgba.data(), w, h);
    return true;
}
