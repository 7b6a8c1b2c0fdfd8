// The window backend in a web page: the window surface is drawn on the
// page's <canvas id="canvas"> at its pixel size, and events come from the
// browser's key and mouse handlers through Emscripten's html5 API.
//
// The program's loops block (the command loop, the status line's wait, the
// menu); the page is built with ASYNCIFY so that every wait and every
// finished frame hands control back to the browser, which then delivers
// events and paints.
#include <emscripten.h>
#include <emscripten/html5.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "platform.h"

static std::deque<PlatformEvent> queue;
static int canvas_w = 0, canvas_h = 0;
static int pointer_x = 0, pointer_y = 0;
// DOM button bits (1 left, 4 right) pressed on the canvas: their moves and
// releases are reported wherever the pointer is, as with a captured mouse.
static int captured = 0;
static double last_yield_ms = 0;

// Live drawing gives the browser a turn at most this often, so it can show
// progress without slowing the drawing down much.
static const double live_yield_interval_ms = 16;

// The latest picture, which the page puts on the canvas just before the
// browser paints: pictures that come faster than the display are not
// converted and copied for nothing.
static std::vector<uint32_t> picture;

// ---------------------------------------------------------------- page side

// Packed colours are the bytes R, G, B, 0 in memory; the canvas takes
// R, G, B, A with A = 255 (both little-endian, wasm's only byte order).
EM_JS(void, web_show_at_next_paint, (const uint32_t *pixels, int w, int h), {
    const pending = Module.radonPicture;
    Module.radonPicture = {pixels, w, h};
    if (pending) return;
    requestAnimationFrame(() => {
        const p = Module.radonPicture;
        Module.radonPicture = null;
        let image = Module.radonImage;
        if (!image || image.width !== p.w || image.height !== p.h) image = Module.radonImage = new ImageData(p.w, p.h);
        const dst = new Int32Array(image.data.buffer);
        const src = HEAP32.subarray(p.pixels >> 2, (p.pixels >> 2) + p.w * p.h);
        for (let i = 0; i < dst.length; i++) dst[i] = src[i] | -16777216;
        document.getElementById('canvas').getContext('2d').putImageData(image, 0, 0);
    });
});

EM_JS(void, web_open_page, (int w, int h, const char *title), {
    const canvas = document.getElementById('canvas');
    canvas.width = w;
    canvas.height = h;
    canvas.style.width = w + 'px';
    canvas.style.height = h + 'px';
    document.title = UTF8ToString(title);
});

// Sleep until web_wake() or the timeout, whichever comes first.
EM_ASYNC_JS(void, web_sleep_until_event, (int timeout_ms), {
    await new Promise((resolve) => {
        const timer = setTimeout(wake, timeout_ms);
        function wake() {
            clearTimeout(timer);
            Module.radonWake = null;
            resolve();
        }
        Module.radonWake = wake;
    });
});

EM_JS(void, web_wake, (), {
    if (Module.radonWake) Module.radonWake();
});

// A turn for the browser without a timer's minimum delay.
EM_ASYNC_JS(void, web_yield, (), {
    await new Promise((resolve) => {
        const channel = new MessageChannel();
        channel.port1.onmessage = () => resolve();
        channel.port2.postMessage(0);
    });
});

// The canvas's top-left corner in the page's client coordinates.
EM_JS(void, web_canvas_origin, (double *left, double *top), {
    const rect = document.getElementById('canvas').getBoundingClientRect();
    HEAPF64[left >> 3] = rect.left;
    HEAPF64[top >> 3] = rect.top;
});

// The working directory is the download folder: a file the program has
// written and closed there is offered as a download and then removed.
EM_JS(void, web_offer_saved_files, (), {
    for (const name of FS.readdir('.')) {
        if (name === '.' || name === '..') continue;
        const path = FS.cwd() + '/' + name;
        if (FS.streams.some((s) => s && s.path === path)) continue;
        const data = FS.readFile(path);
        FS.unlink(path);
        const url = URL.createObjectURL(new Blob([data], {type: 'application/octet-stream'}));
        const link = document.createElement('a');
        link.href = url;
        link.download = name;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(url), 60000);
    }
});

// ---------------------------------------------------------------- events

static void push(const PlatformEvent &ev) {
    queue.push_back(ev);
    web_wake();
}

static void push_key(int ch, NavKey nav) {
    PlatformEvent ev;
    ev.type = PlatformEvent::KEY;
    ev.ch = ch;
    ev.nav = nav;
    push(ev);
}

// The one Latin-1 character that a UTF-8 key name stands for, or -1.
static int latin1_char(const char *key) {
    const unsigned char *s = (const unsigned char *)key;
    if (s[0] >= 0x20 && s[0] < 0x7F && s[1] == 0) return s[0];
    if ((s[0] == 0xC2 || s[0] == 0xC3) && (s[1] & 0xC0) == 0x80 && s[2] == 0) {
        int ch = ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
        if (ch >= 0xA0) return ch;
    }
    return -1;
}

static EM_BOOL on_keydown(int, const EmscriptenKeyboardEvent *e, void *) {
    // The system's own shortcuts (Cmd+R, ...) stay with the browser.
    if (e->metaKey) return EM_FALSE;
    const char *key = e->key;
    struct Named {
        const char *key;
        int ch;
        NavKey nav;
    };
    static const Named named[] = {
        {"Enter", 13, NAV_RETURN},  {"Escape", 27, NAV_ESCAPE}, {"Backspace", 8, NAV_NONE},
        {"Tab", 9, NAV_NONE},       {"ArrowUp", -1, NAV_UP},    {"ArrowDown", -1, NAV_DOWN},
        {"ArrowLeft", -1, NAV_LEFT}, {"ArrowRight", -1, NAV_RIGHT},
    };
    for (const Named &n : named) {
        if (std::strcmp(key, n.key) == 0) {
            push_key(n.ch, n.nav);
            return EM_TRUE;
        }
    }
    int ch = latin1_char(key);
    if (ch < 0) return EM_FALSE;
    // Ctrl+letter gives its control character; Ctrl+Alt is AltGr's character.
    if (e->ctrlKey && !e->altKey) {
        if (ch >= 'a' && ch <= 'z') ch = ch - 'a' + 1;
        else if (ch >= 'A' && ch <= 'Z') ch = ch - 'A' + 1;
        else return EM_FALSE;
    }
    push_key(ch, NAV_NONE);
    return EM_TRUE;
}

// DOM buttons 0 (left) and 2 (right) are the program's 1 and 3.
static int program_button(unsigned short dom_button) {
    return dom_button == 0 ? 1 : dom_button == 2 ? 3 : 0;
}

static bool push_mouse(PlatformEvent::Type type, const EmscriptenMouseEvent *e, int button) {
    double left, top;
    web_canvas_origin(&left, &top);
    int x = (int)std::floor(e->clientX - left);
    int y = (int)std::floor(e->clientY - top);
    bool inside = x >= 0 && y >= 0 && x < canvas_w && y < canvas_h;
    if (!inside && !captured) return false;
    pointer_x = x;
    pointer_y = y;
    PlatformEvent ev;
    ev.type = type;
    ev.button = button;
    ev.x = x;
    ev.y = y;
    push(ev);
    return true;
}

static EM_BOOL on_mousedown(int, const EmscriptenMouseEvent *e, void *) {
    int button = program_button(e->button);
    if (!button) return EM_FALSE;
    captured |= 1 << e->button;
    return push_mouse(PlatformEvent::BUTTON_DOWN, e, button);
}

static EM_BOOL on_mouseup(int, const EmscriptenMouseEvent *e, void *) {
    int button = program_button(e->button);
    if (!button) return EM_FALSE;
    bool reported = push_mouse(PlatformEvent::BUTTON_UP, e, button);
    captured &= ~(1 << e->button);
    return reported;
}

static EM_BOOL on_mousemove(int, const EmscriptenMouseEvent *e, void *) {
    push_mouse(PlatformEvent::MOUSE_MOVE, e, 0);
    return EM_FALSE;
}

// ---------------------------------------------------------------- the backend

static bool web_open(int w, int h, const char *title, int, std::string *) {
    web_open_page(w, h, title);
    canvas_w = w;
    canvas_h = h;
    // Presses count only on the picture; moves and releases of a press that
    // began there are followed over the whole page.
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_keydown);
    emscripten_set_mousedown_callback("#canvas", nullptr, EM_TRUE, on_mousedown);
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_mouseup);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_mousemove);
    mkdir("/downloads", 0777);
    chdir("/downloads");
    last_yield_ms = emscripten_get_now();
    return true;
}

static void web_close() {
    emscripten_html5_remove_all_event_listeners();
    queue.clear();
    captured = 0;
    web_offer_saved_files();
}

static void web_present(const uint32_t *pixels, int w, int h, bool frame) {
    picture.assign(pixels, pixels + (size_t)w * h);
    web_show_at_next_paint(picture.data(), w, h);
    // After a finished frame the browser always gets its turn, and paints
    // whenever its display is due; waiting for every paint would hold an
    // animation to the display's rate.
    if (!frame && emscripten_get_now() - last_yield_ms < live_yield_interval_ms) return;
    web_yield();
    last_yield_ms = emscripten_get_now();
}

static bool web_poll(PlatformEvent *ev) {
    web_offer_saved_files();
    if (queue.empty()) return false;
    *ev = queue.front();
    queue.pop_front();
    return true;
}

static void web_wait(int timeout_ms) {
    if (queue.empty()) web_sleep_until_event(timeout_ms);
    last_yield_ms = emscripten_get_now();
}

static void web_pointer(int *x, int *y) {
    *x = pointer_x;
    *y = pointer_y;
}

// The page keeps the canvas's picture by itself and cannot be closed from
// inside: there are no window events.
static bool web_poll_window(PlatformEvent *) { return false; }

// A sleep hands control to the browser rather than spin.
static void web_sleep(int ms) {
    emscripten_sleep((unsigned)ms);
    last_yield_ms = emscripten_get_now();
}

const Platform platform_window = {
    .open = web_open,
    .close = web_close,
    .present = web_present,
    .poll = web_poll,
    .wait = web_wait,
    .pointer = web_pointer,
    .sleep = web_sleep,
    .poll_window = web_poll_window,
    .interactive = true,
};
