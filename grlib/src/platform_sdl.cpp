// The window backend on the desktop: one SDL2 window that shows the window
// surface at the largest whole factor that fits it, centred on black (a
// fraction only when the window is smaller than the canvas). The window can
// be resized, maximised and put full screen with F11, but never grown past
// the largest display.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <thread>

#include "sdl_module.h"

static SDL_Window *window = nullptr;
static SDL_Renderer *renderer = nullptr;
static SDL_Texture *texture = nullptr;
static int canvas_w = 0, canvas_h = 0;
// The largest window size: that of the largest display.
static int max_w = 0, max_h = 0;
// The zoom the window opened with, and the size the program last gave it:
// a window of any other size has been sized by the user (or the window manager).
static int zoom = 1;
static int given_w = 0, given_h = 0;
static bool vsync_on = true;
// Characters of one text-input event beyond the first wait here.
static std::deque<PlatformEvent> pending;
// A key press that gave a control character must not give text as well.
static bool swallow_text = false;
// F11 presses not yet acted on; taken out of the queue as they arrive, so
// that they work during an animation too, and never reach the program.
static int fullscreen_toggles = 0;

// Double-buffered frames come at most this often, also where the display
// does not throttle presentation (Xvfb, software rendering).
static const std::chrono::microseconds frame_interval(16667);
static std::chrono::steady_clock::time_point last_frame;

// Drivers that show nothing a person can see; SDL falls back to them when
// no display can be reached.
static bool shows_nothing(const char *driver) {
    for (const char *name : {"offscreen", "dummy", "evdev", "KMSDRM", "KMSDRM_LEGACY"})
        if (driver && SDL_strcasecmp(driver, name) == 0) return true;
    return false;
}

static std::string env_text(const char *name) {
    const char *v = std::getenv(name);
    return v ? v : "";
}

#if defined(__unix__) && !defined(__APPLE__) && !defined(__ANDROID__)
#define RADON_DISPLAY_BY_NAME 1
// The window systems whose display the environment names: "x11", "wayland",
// both (comma-separated), or "" for none.
static std::string named_window_systems() {
    std::string drivers;
    if (!env_text("DISPLAY").empty()) drivers = "x11";
    if (!env_text("WAYLAND_DISPLAY").empty()) drivers += drivers.empty() ? "wayland" : ",wayland";
    return drivers;
}

static std::string unreachable_display() {
    std::string names;
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        std::string v = env_text(name);
        if (!v.empty()) names += (names.empty() ? "" : ", ") + std::string(name) + "=" + v;
    }
    return "cannot reach the display " + names;
}
#endif

// Start SDL's video on a display a person can see; false with *error set.
static bool start_video(std::string *error) {
    const char *asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool chosen = asked && *asked; // a driver asked for by name is used as it is
#ifdef RADON_DISPLAY_BY_NAME
    // Otherwise only the window systems of the named displays are tried:
    // SDL would fall back to a driver that shows nothing, and wait for ever.
    if (!chosen) {
        std::string drivers = named_window_systems();
        if (drivers.empty()) {
            *error = "no display: DISPLAY and WAYLAND_DISPLAY are not set";
            return false;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *error = chosen ? SDL_GetError() : unreachable_display();
        return false;
    }
#else
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *error = SDL_GetError();
        return false;
    }
#endif
    const char *driver = SDL_GetCurrentVideoDriver();
    if (!chosen && shows_nothing(driver)) {
        *error = std::string("no display: SDL fell back to its \"") + driver + "\" driver";
        SDL_Quit();
        return false;
    }
    return true;
}

// The largest zoom, up to z, at which the window fits the display's usable
// area; and the window's cap, the largest display's size.
static int fit_display(int w, int h, int z) {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0)
        while (z > 1 && (z * w > usable.w || z * h > usable.h)) z--;
    max_w = max_h = 0;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); i++) {
        SDL_Rect b;
        if (SDL_GetDisplayBounds(i, &b) != 0) continue;
        max_w = std::max(max_w, b.w);
        max_h = std::max(max_h, b.h);
    }
    // No display known: room for the largest zoom.
    if (max_w <= 0 || max_h <= 0) {
        max_w = 4 * w;
        max_h = 4 * h;
    }
    return z;
}

// Runs as each event enters SDL's queue: F11 is counted and dropped there.
static int SDLCALL take_f11(void *, SDL_Event *e) {
    if ((e->type == SDL_KEYDOWN || e->type == SDL_KEYUP) && e->key.keysym.sym == SDLK_F11) {
        if (e->type == SDL_KEYDOWN && !e->key.repeat) fullscreen_toggles++;
        return 0;
    }
    return 1;
}

// Full screen on the desktop's resolution, or back, for each F11 not yet acted on.
static void apply_fullscreen_toggles() {
    if (!window || fullscreen_toggles % 2 == 0) {
        fullscreen_toggles = 0;
        return;
    }
    fullscreen_toggles = 0;
    const Uint32 full = SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(window, (SDL_GetWindowFlags(window) & full) == full ? 0 : full);
}

// Where the canvas lies in an area of aw x ah pixels: the largest whole
// factor that fits, or the largest fraction below 1, centred.
static SDL_Rect place_canvas(int aw, int ah) {
    SDL_Rect r;
    if (aw >= canvas_w && ah >= canvas_h) {
        int f = std::min(aw / canvas_w, ah / canvas_h);
        r.w = f * canvas_w;
        r.h = f * canvas_h;
    } else {
        double f = std::min((double)aw / canvas_w, (double)ah / canvas_h);
        r.w = std::max(1, (int)(canvas_w * f));
        r.h = std::max(1, (int)(canvas_h * f));
    }
    r.x = (aw - r.w) / 2;
    r.y = (ah - r.h) / 2;
    return r;
}

// a / b rounded toward minus infinity (b > 0).
static int floor_div(long long a, long long b) { return (int)(a >= 0 ? a / b : -((-a + b - 1) / b)); }

// A window position (as events give it) in canvas pixels; outside the
// picture it lies outside the canvas.
static void window_to_canvas(int wx, int wy, int *x, int *y) {
    int ww = canvas_w, wh = canvas_h;
    if (window) SDL_GetWindowSize(window, &ww, &wh);
    SDL_Rect r = place_canvas(ww, wh);
    *x = floor_div((long long)(wx - r.x) * canvas_w, r.w);
    *y = floor_div((long long)(wy - r.y) * canvas_h, r.h);
}

// Full screen, maximised, or of a size the program did not give it.
static bool sized_by_user() {
    int ww, wh;
    SDL_GetWindowSize(window, &ww, &wh);
    return (SDL_GetWindowFlags(window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MAXIMIZED)) || ww != given_w ||
           wh != given_h;
}

// A window grown past the cap (a window manager or a client that ignores the
// size hints) is shrunk back; true when it was too large.
static bool cap_window_size() {
    int ww, wh;
    SDL_GetWindowSize(window, &ww, &wh);
    if (ww <= max_w && wh <= max_h) return false;
    SDL_SetWindowSize(window, std::min(ww, max_w), std::min(wh, max_h));
    return true;
}

static bool sdl_open(int w, int h, const char *title, int *z, std::string *error) {
    if (!start_video(error)) return false;
    canvas_w = w;
    canvas_h = h;
    *z = zoom = fit_display(w, h, *z);
    given_w = std::min(w * zoom, max_w);
    given_h = std::min(h * zoom, max_h);
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, given_w, given_h,
                              SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (window) SDL_SetWindowMaximumSize(window, max_w, max_h);
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
    SDL_SetEventFilter(take_f11, nullptr);
    vsync_on = true;
    SDL_StartTextInput();
    last_frame = std::chrono::steady_clock::now();
    return true;
}

static void sdl_resize(int w, int h) {
    if (!window) return;
    SDL_Texture *grown = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!grown) return;
    SDL_SetTextureScaleMode(grown, SDL_ScaleModeNearest);
    SDL_DestroyTexture(texture);
    texture = grown;
    canvas_w = w;
    canvas_h = h;
    // Full screen stays full screen, and a size the user chose stays theirs.
    if (sized_by_user()) return;
    given_w = std::min(w * zoom, max_w);
    given_h = std::min(h * zoom, max_h);
    SDL_SetWindowSize(window, given_w, given_h);
}

static bool sdl_landscape() {
    if (!window) return false;
    int w, h;
    SDL_GetWindowSize(window, &w, &h);
    if (!sized_by_user()) {
        SDL_Rect display;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &display) != 0) return false;
        w = display.w;
        h = display.h;
    }
    return w > h;
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
    SDL_SetEventFilter(nullptr, nullptr);
    fullscreen_toggles = 0;
    SDL_Quit();
}

static void sdl_present(const uint32_t *pixels, int w, int, bool frame) {
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
    // Nothing is drawn at a size beyond the cap: the renderer would need
    // buffers of that size. The window is shrunk back, and repainted then.
    if (cap_window_size()) return;
    int ow, oh;
    if (SDL_GetRendererOutputSize(renderer, &ow, &oh) != 0) return;
    SDL_UpdateTexture(texture, nullptr, pixels, w * (int)sizeof(uint32_t));
    // The margins around the picture stay black.
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_Rect dst = place_canvas(ow, oh);
    SDL_RenderCopy(renderer, texture, nullptr, &dst);
    SDL_RenderPresent(renderer);
}

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
        if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) cap_window_size();
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
        window_to_canvas(e.motion.x, e.motion.y, &ev->x, &ev->y);
        return true;
    case SDL_DROPFILE:
        ev->type = PlatformEvent::DROP;
        ev->path = e.drop.file;
        SDL_free(e.drop.file);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) return false;
        ev->type = e.type == SDL_MOUSEBUTTONDOWN ? PlatformEvent::BUTTON_DOWN : PlatformEvent::BUTTON_UP;
        ev->button = e.button.button == SDL_BUTTON_LEFT ? 1 : 3;
        window_to_canvas(e.button.x, e.button.y, &ev->x, &ev->y);
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
    SDL_PumpEvents();
    apply_fullscreen_toggles();
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
    window_to_canvas(wx, wy, x, y);
}

// Window and quit events only; keys and the mouse stay queued.
static bool sdl_poll_window(PlatformEvent *ev) {
    SDL_PumpEvents();
    apply_fullscreen_toggles();
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

const Platform platform_sdl = {
    .open = sdl_open,
    .close = sdl_close,
    .resize = sdl_resize,
    .present = sdl_present,
    .poll = sdl_poll,
    .wait = sdl_wait,
    .pointer = sdl_pointer,
    .sleep = sdl_sleep,
    .poll_window = sdl_poll_window,
    .landscape = sdl_landscape,
    .interactive = true,
};
