// The window backend in a web page: the window surface is drawn on the
// page's <canvas id="canvas">, which the page scales to fit the browser
// window, and events come from the browser's key, mouse and touch handlers
// through Emscripten's html5 API, and from the page's buttons.
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

#include "grlib.h"
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

// The page sizes the picture on the screen (Module.radonLayout) from the
// canvas's pixel size.
EM_JS(void, web_open_page, (int w, int h, const char *title), {
    const canvas = document.getElementById('canvas');
    canvas.width = w;
    canvas.height = h;
    document.title = UTF8ToString(title);
    if (Module.radonLayout) Module.radonLayout();
});

// Sleep until web_wake() or the timeout, whichever comes first. The program
// is idle then, between commands or in a wait: the page's hook
// (Module.radonIdle) may read its state once this call has unwound.
EM_ASYNC_JS(void, web_sleep_until_event, (int timeout_ms), {
    if (Module.radonIdle) queueMicrotask(Module.radonIdle);
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

// Where the canvas is shown, in the page's client coordinates.
EM_JS(void, web_canvas_rect, (double *rect), {
    const r = document.getElementById('canvas').getBoundingClientRect();
    HEAPF64.set([r.left, r.top, r.width, r.height], rect >> 3);
});

// Whether a control of the page has the keyboard's focus (the page leaves
// it there only after Tab): then Return and the space bar press that control.
EM_JS(bool, web_control_has_focus, (), {
    const e = document.activeElement;
    return !!e && /^(BUTTON|SELECT|INPUT|SUMMARY)$/.test(e.tagName);
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

// A button of the page: a key's character, Return (13), Up or Down
// (GR_KEY_UP, GR_KEY_DOWN: queued as the arrow keys are), or the id of a menu
// entry, which the command loop takes like a key and dispatches as the menu
// would. Queued, so that it runs in the program's loop in its turn.
extern "C" EMSCRIPTEN_KEEPALIVE void web_command(int code) {
    if (code == GR_KEY_UP) push_key(-1, NAV_UP);
    else if (code == GR_KEY_DOWN) push_key(-1, NAV_DOWN);
    else push_key(code, code == 13 ? NAV_RETURN : NAV_NONE);
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
    // The system's own shortcuts (Cmd+R, ...) stay with the browser, and so
    // does Tab, which moves between the page's controls.
    if (e->metaKey) return EM_FALSE;
    const char *key = e->key;
    if (std::strcmp(key, "Tab") == 0) return EM_FALSE;
    if ((std::strcmp(key, "Enter") == 0 || std::strcmp(key, " ") == 0) && web_control_has_focus())
        return EM_FALSE;
    struct Named {
        const char *key;
        int ch;
        NavKey nav;
    };
    static const Named named[] = {
        {"Enter", 13, NAV_RETURN},  {"Escape", 27, NAV_ESCAPE}, {"Backspace", 8, NAV_NONE},
        {"ArrowUp", -1, NAV_UP},    {"ArrowDown", -1, NAV_DOWN}, {"ArrowLeft", -1, NAV_LEFT},
        {"ArrowRight", -1, NAV_RIGHT},
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

// A pointer event at client position (cx, cy), in canvas pixels however
// large the page shows the canvas.
static bool push_pointer(PlatformEvent::Type type, double cx, double cy, int button) {
    double rect[4];
    web_canvas_rect(rect);
    int x = (int)std::floor((cx - rect[0]) * canvas_w / rect[2]);
    int y = (int)std::floor((cy - rect[1]) * canvas_h / rect[3]);
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

static bool push_mouse(PlatformEvent::Type type, const EmscriptenMouseEvent *e, int button) {
    return push_pointer(type, e->clientX, e->clientY, button);
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

// ---------------------------------------------------------------- picture files

// A file chosen with one of the page's file choosers (a picture, a lesson)
// or dropped on the page is stored as /pictures/NAME (the one before it
// removed) and reported like a file dropped on a window, until the program ends.
// Several at once (a scan file with its data files) are stored together and
// the scan file among them (NAME.scan) is the one reported.
EM_JS(void, web_accept_pictures, (), {
    const listening = new AbortController();
    Module.radonRefusePictures = () => listening.abort();
    function arrived(list) {
        const files = Array.from(list || []);
        if (!files.length) return;
        Promise.all(files.map((file) => file.arrayBuffer())).then((contents) => {
            FS.mkdirTree('/pictures');
            for (const name of FS.readdir('/pictures'))
                if (name !== '.' && name !== '..') FS.unlink('/pictures/' + name);
            files.forEach((file, i) => FS.writeFile('/pictures/' + file.name, new Uint8Array(contents[i])));
            const reported = files.find((file) => file.name.endsWith('.scan')) || files[0];
            Module.radonArrived = '/pictures/' + reported.name;
            _web_picture_arrived();
        });
    }
    const signal = listening.signal;
    // Choosers the page builds later count too.
    document.addEventListener('change', (e) => {
        if (!e.target.matches('input[type=file]')) return;
        arrived(e.target.files);
        e.target.value = "";
    }, {signal});
    document.addEventListener('dragover', (e) => e.preventDefault(), {signal});
    document.addEventListener('drop', (e) => {
        e.preventDefault();
        arrived(e.dataTransfer.files);
    }, {signal});
});

EM_JS(void, web_refuse_pictures, (), {
    Module.radonRefusePictures();
});

EM_JS(void, web_arrived_path, (char *path, int size), {
    stringToUTF8(Module.radonArrived, path, size);
});

extern "C" EMSCRIPTEN_KEEPALIVE void web_picture_arrived() {
    char path[1024];
    web_arrived_path(path, sizeof path);
    PlatformEvent ev;
    ev.type = PlatformEvent::DROP;
    ev.path = path;
    push(ev);
}

// One finger on the picture is the left button: a tap presses and releases
// it where it touches, a drag moves the pointer. The finger stays captured
// by the canvas until it lifts, wherever it goes.
static long touch_id = -1;

static const EmscriptenTouchPoint *our_touch(const EmscriptenTouchEvent *e) {
    for (int i = 0; i < e->numTouches; i++)
        if (e->touches[i].isChanged && e->touches[i].identifier == touch_id) return &e->touches[i];
    return nullptr;
}

static EM_BOOL on_touchstart(int, const EmscriptenTouchEvent *e, void *) {
    if (touch_id >= 0 || e->numTouches != 1) return EM_TRUE;
    touch_id = e->touches[0].identifier;
    captured |= 1;
    push_pointer(PlatformEvent::BUTTON_DOWN, e->touches[0].clientX, e->touches[0].clientY, 1);
    return EM_TRUE;
}

static EM_BOOL on_touchmove(int, const EmscriptenTouchEvent *e, void *) {
    if (const EmscriptenTouchPoint *t = our_touch(e))
        push_pointer(PlatformEvent::MOUSE_MOVE, t->clientX, t->clientY, 0);
    return EM_TRUE;
}

static EM_BOOL on_touchend(int, const EmscriptenTouchEvent *e, void *) {
    if (const EmscriptenTouchPoint *t = our_touch(e)) {
        push_pointer(PlatformEvent::BUTTON_UP, t->clientX, t->clientY, 1);
        captured &= ~1;
        touch_id = -1;
    }
    return EM_TRUE;
}

// A cancelled touch ends the press like a lifted finger. The browser's
// touchcancel cannot be cancelled: asking it to would only be warned about.
static EM_BOOL on_touchcancel(int type, const EmscriptenTouchEvent *e, void *data) {
    on_touchend(type, e, data);
    return EM_FALSE;
}

// ---------------------------------------------------------------- the backend

static bool web_open(int w, int h, const char *title, int *, std::string *) {
    web_open_page(w, h, title);
    canvas_w = w;
    canvas_h = h;
    // Presses count only on the picture; moves and releases of a press that
    // began there are followed over the whole page.
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_keydown);
    emscripten_set_mousedown_callback("#canvas", nullptr, EM_TRUE, on_mousedown);
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_mouseup);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_mousemove);
    web_accept_pictures();
    // Handled touches make no mouse events of their own in the browser.
    emscripten_set_touchstart_callback("#canvas", nullptr, EM_TRUE, on_touchstart);
    emscripten_set_touchmove_callback("#canvas", nullptr, EM_TRUE, on_touchmove);
    emscripten_set_touchend_callback("#canvas", nullptr, EM_TRUE, on_touchend);
    emscripten_set_touchcancel_callback("#canvas", nullptr, EM_TRUE, on_touchcancel);
    mkdir("/downloads", 0777);
    chdir("/downloads");
    last_yield_ms = emscripten_get_now();
    return true;
}

// The page lays the canvas out again for its new height.
EM_JS(void, web_resize_canvas, (int w, int h), {
    const canvas = document.getElementById('canvas');
    canvas.width = w;
    canvas.height = h;
    if (Module.radonLayout) Module.radonLayout();
});

static void web_resize(int w, int h) {
    canvas_w = w;
    canvas_h = h;
    web_resize_canvas(w, h);
}

static void web_close() {
    emscripten_html5_remove_all_event_listeners();
    web_refuse_pictures();
    queue.clear();
    captured = 0;
    touch_id = -1;
    web_offer_saved_files();
}

static void web_present(const uint32_t *pixels, int w, int h, bool frame) {
    picture.assign(pixels, pixels + (size_t)w * h);
    web_show_at_next_paint(picture.data(), w, h);
    // The browser gets its turn about as often as its display paints, and
    // paints the latest picture: a frame drawn sooner after the last turn
    // would be painted over before the display shows it. Waiting for every
    // paint would hold an animation to the display's rate.
    (void)frame;
    if (emscripten_get_now() - last_yield_ms < live_yield_interval_ms) return;
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

// The page lays out its own text beside the picture or below it.
static bool web_landscape() { return false; }

// A sleep hands control to the browser rather than spin.
static void web_sleep(int ms) {
    emscripten_sleep((unsigned)ms);
    last_yield_ms = emscripten_get_now();
}

static const Platform platform_web = {
    .open = web_open,
    .close = web_close,
    .resize = web_resize,
    .present = web_present,
    .poll = web_poll,
    .wait = web_wait,
    .pointer = web_pointer,
    .sleep = web_sleep,
    .poll_window = web_poll_window,
    .landscape = web_landscape,
    .interactive = true,
};

const Platform *window_platform(std::string *) { return &platform_web; }
