// The canvas: its two surfaces, the drawing target, presentation and repaint.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "canvas_state.h"

namespace grlib {

int _width = 0, _height = 0;
Surface window_surface;
Surface back_surface;
Surface *canvas = &window_surface;
int doublebuf = 0;
bool is_open = false;
const Platform *platform = nullptr; // the window's until SetCanvasBackend says otherwise
void (*menu_overlay)(std::vector<uint32_t> &, int, int) = nullptr;

static int zoom_factor = 1;
// Why the window backend could not be had.
static std::string window_unavailable;
static std::string open_failure_hint;
static bool window_dirty = false;
static unsigned touches = 0;
static std::chrono::steady_clock::time_point last_present;
static bool updates_suspended = false;
// The panel: the rows asked for and its lines; drawn beside the picture
// (to its right) or below it. 0 rows: none.
static int panel_rows = 0;
static std::vector<std::string> panel_text;
static bool panel_beside = false;
static Surface panel;

// What the window shows: the picture, and the panel beside it or below it.
static int shown_w() { return panel_beside ? _width + panel.w : _width; }
static int shown_h() { return panel_beside ? _height : _height + panel.h; }

// Beside the picture the panel is as high as it, with the rule down its
// left side; below it, `rows` high with the rule along its top.
static void draw_panel() {
    panel.w = panel_rows ? _width : 0;
    panel.h = panel_beside ? _height : panel_rows;
    panel.pixels.assign((size_t)panel.w * panel.h, 0);
    // A grey rule parts the panel from the picture.
    const uint32_t rule = PACK_RGB(96, 96, 96);
    if (panel_beside) panel.fill_rect(0, 0, 1, panel.h, rule);
    else panel.fill_rect(0, 0, panel.w, 1, rule);
    const int line_height = 13, margin = 6;
    for (size_t i = 0; i < panel_text.size(); i++)
        draw_text(panel, margin + 4, margin + (int)i * line_height, panel_text[i].c_str(),
                  i == 0 ? PACK_RGB(255, 255, 255) : PACK_RGB(200, 200, 200));
}

// The panel stands beside the picture in a landscape window, below it
// otherwise; the window follows a change of what it shows.
static void place_panel(bool redraw) {
    const bool beside = panel_rows > 0 && platform->landscape();
    if (beside == panel_beside && !redraw) return;
    const int was_w = shown_w(), was_h = shown_h();
    panel_beside = beside;
    draw_panel();
    if (shown_w() != was_w || shown_h() != was_h) platform->resize(shown_w(), shown_h());
}

void present_window(bool frame) {
    if (updates_suspended) return;
    window_dirty = false;
    touches = 0;
    last_present = std::chrono::steady_clock::now();
    if (menu_overlay || panel.h) {
        std::vector<uint32_t> composed = window_surface.pixels;
        if (menu_overlay) menu_overlay(composed, _width, _height);
        if (panel_beside) {
            // Each row of the picture followed by the panel's row.
            std::vector<uint32_t> rows;
            rows.reserve((size_t)shown_w() * shown_h());
            for (size_t y = 0; y < (size_t)_height; y++) {
                rows.insert(rows.end(), composed.begin() + y * _width, composed.begin() + (y + 1) * _width);
                rows.insert(rows.end(), panel.pixels.begin() + y * panel.w, panel.pixels.begin() + (y + 1) * panel.w);
            }
            composed.swap(rows);
        } else {
            composed.insert(composed.end(), panel.pixels.begin(), panel.pixels.end());
        }
        platform->present(composed.data(), shown_w(), shown_h(), frame);
    } else {
        platform->present(window_surface.pixels.data(), _width, _height, frame);
    }
}

// Live drawing on the window reaches the screen at most about 60 times a
// second; checking the clock only every few thousand pixels keeps DrawPoint cheap.
void window_touched() {
    if (!platform->interactive || updates_suspended) return;
    window_dirty = true;
    if (++touches < 4096) return;
    touches = 0;
    auto now = std::chrono::steady_clock::now();
    if (now - last_present >= std::chrono::milliseconds(16)) present_window(false);
}

// Pending live drawing is shown before the program waits or pumps.
void show_pending_drawing() {
    if (window_dirty) present_window(false);
}

void repaint() {
    window_surface.pixels = back_surface.pixels;
    present_window(false);
}

void handle_window_event(const PlatformEvent &ev) {
    if (ev.type == PlatformEvent::EXPOSE) {
        // The window may have a new shape (full screen, maximised, dragged).
        place_panel(false);
        repaint();
    } else if (ev.type == PlatformEvent::CLOSE) {
        // Closing the window ends the program at once; nothing is saved.
        platform->close();
        std::exit(0);
    }
}

void handle_window_events() {
    PlatformEvent ev;
    while (platform->poll_window(&ev)) handle_window_event(ev);
}

} // namespace grlib

using namespace grlib;

void SetCanvasBackend(GrBackend backend, int zoom) {
    platform = backend == GR_BACKEND_NONE ? &platform_none : window_platform(&window_unavailable);
    zoom_factor = zoom < 1 ? 1 : zoom;
}

int GetCanvasZoom(void) { return zoom_factor; }

void SetOpenFailureHint(const char *hint) { open_failure_hint = hint ? hint : ""; }

void InitCanvas(int width, int height, const char *title) {
    if (is_open) {
        // The window class is still registered: a second canvas cannot be made.
        std::exit(1);
    }
    _width = width;
    _height = height;
    std::string error = window_unavailable;
    if (!platform) platform = window_platform(&error);
    if (!platform || !platform->open(width, height, title, &zoom_factor, &error)) {
        std::fprintf(stderr, "%s: no window could be opened (%s)%s\n", title, error.c_str(),
                     open_failure_hint.c_str());
        std::exit(1);
    }
    is_open = true;
    // The back buffer is not cleared: the program draws and flushes first.
    for (Surface *s : {&window_surface, &back_surface}) {
        s->w = width;
        s->h = height;
        s->pixels.assign((size_t)width * height, 0);
        s->font = 0;
    }
    canvas = &window_surface;
    coordmode = 0;
    if (doublebuf) canvas = &back_surface;
    last_present = std::chrono::steady_clock::now();
}

void SetCanvasPanel(int rows, const std::vector<std::string> &lines) {
    panel_rows = std::max(rows, 0);
    panel_text = lines;
    if (!is_open) return;
    place_panel(true);
    present_window(false);
}

void SuspendWindowUpdates(int on) {
    updates_suspended = on != 0;
    if (!updates_suspended && is_open) present_window(false);
}

void CloseCanvas(void) {
    if (!is_open) return;
    platform->close();
    current_pen = Pen();
    current_brush = Brush();
    is_open = false;
}

void SetDoubleBuffer(int on) {
    if (on) {
        canvas = &back_surface;
        doublebuf = 1;
    } else {
        canvas = &window_surface;
        doublebuf = 0;
    }
}

void FlushBuffer(void) {
    if (doublebuf) {
        window_surface.pixels = back_surface.pixels;
        present_window(true);
        // Between the frames of an animation the window can be closed or
        // repainted; keys and clicks stay queued for the program.
        handle_window_events();
    } else {
        back_surface.pixels = window_surface.pixels;
        show_pending_drawing();
    }
}

void ClearCanvas(void) {
    SetColor(&BGColor);
    current_brush.made = true;
    current_brush.rgb = current_rgb;
    // The interior covers every pixel; the outline lies outside the surface.
    std::fill(canvas->pixels.begin(), canvas->pixels.end(), current_rgb);
    if (canvas == &window_surface) window_touched();
}

uint32_t GetWindowPixel(int x, int y) { return window_surface.get(x, y); }
uint32_t GetBackPixel(int x, int y) { return back_surface.get(x, y); }
