// The window backend on the desktop: one SDL2 window whose client area shows
// the window surface pixel for pixel (each pixel zoom x zoom times).
#include <SDL.h>

#include <chrono>
#include <deque>
#include <thread>

#include "platform.h"

static SDL_Window *window = nullptr;
static SDL_Renderer *renderer = nullptr;
static SDL_Texture *texture = nullptr;
static int zoom = 1;
static bool vsync_on = true;
// Characters of one text-input event beyond the first wait here.
static std::deque<PlatformEvent> pending;
// A key press that gave a control character must not give text as well.
static bool swallow_text = false;

// Double-buffered frames come at most this often, also where the display
// does not throttle presentation (Xvfb, software rendering).
static const std::chrono::microseconds frame_interval(16667);
static std::chrono::steady_clock::time_point last_frame;

static bool sdl_open(int w, int h, const char *title, int z, std::string *error) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *error = SDL_GetError();
        return false;
    }
    zoom = z;
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w * zoom, h * zoom,
                              SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (window) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    // Same byte order as the packed colours: red in the lowest byte.
    if (renderer)
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!texture) {
        *error = SDL_GetError();
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        renderer = nullptr;
        window = nullptr;
        SDL_Quit();
        return false;
    }
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    vsync_on = true;
    SDL_StartTextInput();
    last_frame = std::chrono::steady_clock::now();
    return true;
}

static void sdl_close() {
    if (!window) return;
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    pending.clear();
    SDL_Quit();
}

static void sdl_present(const uint32_t *pixels, int w, int h, bool frame) {
    if (!texture) return;
    // Only finished frames wait for the display; live drawing must not.
    if (vsync_on != frame) {
        SDL_RenderSetVSync(renderer, frame ? 1 : 0);
        vsync_on = frame;
    }
    if (frame) {
        // Keep a steady cadence: a frame that came a little late does not
        // push back the ones after it; a long pause starts a new cadence.
        auto due = last_frame + frame_interval;
        auto now = std::chrono::steady_clock::now();
        if (now < due) std::this_thread::sleep_for(due - now);
        last_frame = now - due < frame_interval ? due : now;
    }
    SDL_UpdateTexture(texture, nullptr, pixels, w * (int)sizeof(uint32_t));
    // Area of an enlarged window beyond the canvas stays black.
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_Rect dst = {0, 0, w * zoom, h * zoom};
    SDL_RenderCopy(renderer, texture, nullptr, &dst);
    SDL_RenderPresent(renderer);
}

// Window pixels to canvas pixels, rounding toward minus infinity.
static int unzoom(int v) { return v >= 0 ? v / zoom : -((-v + zoom - 1) / zoom); }

static PlatformEvent key_event(int ch, NavKey nav) {
    PlatformEvent ev;
    ev.type = PlatformEvent::KEY;
    ev.ch = ch;
    ev.nav = nav;
    return ev;
}

// Control characters and navigation keys; false for keys that give neither
// (printable keys arrive as text input).
static bool translate_keydown(const SDL_KeyboardEvent &k, PlatformEvent *ev) {
    SDL_Keycode sym = k.keysym.sym;
    switch (sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: *ev = key_event(13, NAV_RETURN); return true;
    case SDLK_ESCAPE: *ev = key_event(27, NAV_ESCAPE); return true;
    case SDLK_BACKSPACE: *ev = key_event(8, NAV_NONE); return true;
    case SDLK_TAB: *ev = key_event(9, NAV_NONE); return true;
    case SDLK_UP: *ev = key_event(-1, NAV_UP); return true;
    case SDLK_DOWN: *ev = key_event(-1, NAV_DOWN); return true;
    case SDLK_LEFT: *ev = key_event(-1, NAV_LEFT); return true;
    case SDLK_RIGHT: *ev = key_event(-1, NAV_RIGHT); return true;
    default: break;
    }
    if ((k.keysym.mod & KMOD_CTRL) && !(k.keysym.mod & KMOD_ALT) && sym >= SDLK_a && sym <= SDLK_z) {
        *ev = key_event(sym - SDLK_a + 1, NAV_NONE);
        return true;
    }
    return false;
}

// Queue the Latin-1 characters of a UTF-8 text; others are dropped.
static void queue_text(const char *text) {
    const unsigned char *s = (const unsigned char *)text;
    while (*s) {
        if (*s < 0x80) {
            if (*s >= 0x20 && *s != 0x7F) pending.push_back(key_event(*s, NAV_NONE));
            s++;
        } else if ((*s == 0xC2 || *s == 0xC3) && (s[1] & 0xC0) == 0x80) {
            int ch = ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
            if (ch >= 0xA0) pending.push_back(key_event(ch, NAV_NONE));
            s += 2;
        } else {
            s++;
            while ((*s & 0xC0) == 0x80) s++;
        }
    }
}

static bool translate_window(const SDL_Event &e, PlatformEvent *ev) {
    if (e.type == SDL_QUIT ||
        (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
        ev->type = PlatformEvent::CLOSE;
        return true;
    }
    if (e.type == SDL_RENDER_TARGETS_RESET || e.type == SDL_RENDER_DEVICE_RESET ||
        (e.type == SDL_WINDOWEVENT &&
         (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED))) {
        ev->type = PlatformEvent::EXPOSE;
        return true;
    }
    return false;
}

static bool translate(const SDL_Event &e, PlatformEvent *ev) {
    *ev = PlatformEvent();
    switch (e.type) {
    case SDL_KEYDOWN: {
        bool key = translate_keydown(e.key, ev);
        swallow_text = key && ev->ch >= 0;
        return key;
    }
    case SDL_TEXTINPUT:
        if (swallow_text) {
            swallow_text = false;
            return false;
        }
        queue_text(e.text.text);
        if (pending.empty()) return false;
        *ev = pending.front();
        pending.pop_front();
        return true;
    case SDL_MOUSEMOTION:
        ev->type = PlatformEvent::MOUSE_MOVE;
        ev->x = unzoom(e.motion.x);
        ev->y = unzoom(e.motion.y);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) return false;
        ev->type = e.type == SDL_MOUSEBUTTONDOWN ? PlatformEvent::BUTTON_DOWN : PlatformEvent::BUTTON_UP;
        ev->button = e.button.button == SDL_BUTTON_LEFT ? 1 : 3;
        ev->x = unzoom(e.button.x);
        ev->y = unzoom(e.button.y);
        return true;
    default:
        return translate_window(e, ev);
    }
}

static bool sdl_poll(PlatformEvent *ev) {
    if (!pending.empty()) {
        *ev = pending.front();
        pending.pop_front();
        return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (translate(e, ev)) return true;
    }
    return false;
}

static void sdl_wait(int timeout_ms) {
    if (pending.empty()) SDL_WaitEventTimeout(nullptr, timeout_ms);
}

static void sdl_pointer(int *x, int *y) {
    int wx = 0, wy = 0;
    SDL_GetMouseState(&wx, &wy);
    *x = unzoom(wx);
    *y = unzoom(wy);
}

// Window and quit events only; keys and the mouse stay queued.
static bool sdl_poll_window(PlatformEvent *ev) {
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_QUIT, SDL_QUIT) == 1 ||
           SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) == 1 ||
           SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET) == 1) {
        *ev = PlatformEvent();
        if (translate_window(e, ev)) return true;
    }
    return false;
}

static void sdl_sleep(int ms) { SDL_Delay((Uint32)ms); }

const Platform platform_window = {
    .open = sdl_open,
    .close = sdl_close,
    .present = sdl_present,
    .poll = sdl_poll,
    .wait = sdl_wait,
    .pointer = sdl_pointer,
    .sleep = sdl_sleep,
    .poll_window = sdl_poll_window,
    .interactive = true,
};
