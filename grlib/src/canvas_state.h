// State shared by the canvas library's source files (one canvas per program).
#ifndef GRLIB_CANVAS_STATE_H
#define GRLIB_CANVAS_STATE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "grlib.h"
#include "platform.h"

// A raster of packed colours, row-major, row 0 at the top.
struct Surface {
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    // Text settings stay on the surface they were made for.
    int font = 0;             // index of the selected face (all faces share one glyph table)
    uint32_t text_rgb = 0;
    bool text_transparent = false;
    // Current position for line drawing.
    int cur_x = 0, cur_y = 0;

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    void set(int x, int y, uint32_t rgb) {
        if (inside(x, y)) pixels[(size_t)y * w + x] = rgb;
    }
    uint32_t get(int x, int y) const { return inside(x, y) ? pixels[(size_t)y * w + x] : 0; }
    // Columns [left, right) of rows [top, bottom), clipped to the surface.
    void fill_rect(int left, int top, int right, int bottom, uint32_t rgb) {
        left = left < 0 ? 0 : left;
        top = top < 0 ? 0 : top;
        right = right > w ? w : right;
        bottom = bottom > h ? h : bottom;
        for (int y = top; y < bottom && left < right; y++)
            std::fill(&pixels[(size_t)y * w + left], &pixels[(size_t)y * w + right], rgb);
    }
};

// A solid pen or brush over a raster is just its colour (and width).
struct Pen {
    bool made = false;
    uint32_t rgb = 0;
    int width = 0;
};
struct Brush {
    bool made = false;
    uint32_t rgb = 0;
};

namespace grlib {

// Part of the canvas (canvas.cpp).
extern int _width, _height;
extern Surface window_surface; // what the window shows
extern Surface back_surface;   // the stored picture
extern Surface *canvas;        // drawing target: &window_surface or &back_surface
extern int doublebuf;
extern bool is_open;
extern const Platform *platform;

// Drawing state (color.cpp).
extern int coordmode;
extern Point2D O;
extern Color BGColor;
extern uint32_t current_rgb;
extern int _line_width;
extern Pen current_pen;
extern Brush current_brush;

// World-to-pixel mapping: add 0.1 and truncate toward zero.
int map_x(double x);
int map_y(double y);

// Pen and brush caches: bring them up to date with the current colour.
void newPen();
void newBrush();

// Note that the window surface changed; the window backend shows live
// drawing at most about 60 times a second.
void window_touched();
// Show window drawing not yet on the screen (before any wait or event pump).
void show_pending_drawing();
// Show the window surface now (and an open menu over it).
void present_window(bool frame);
// Repaint: window <- back buffer, then show it.
void repaint();
// Handle one event that is not input for the program (repaint, close).
void handle_window_event(const PlatformEvent &ev);
// Handle every pending repaint and close, leaving keys and clicks queued.
void handle_window_events();
// Keep a file dropped while nobody takes drops, for the next KbHit with a drop callback.
void hold_drop(const std::string &path);

// Text in the 7 x 13 font with the cell's top-left corner at (x, y).
void draw_text(Surface &s, int x, int y, const char *str, uint32_t rgb);

// Write the back buffer's columns [x1, x2) and rows [y1, y2) as a 24-bit BMP
// (bmp.cpp); false when a write failed.
bool save_bmp24(std::FILE *fp, int x1, int y1, int x2, int y2);

// Set by the popup menu while it is open, so that every present shows it.
// Draws the menu over a copy of the window surface.
extern void (*menu_overlay)(std::vector<uint32_t> &pixels, int w, int h);

} // namespace grlib

#define PACK_RGB(r, g, b) ((uint32_t)(r) | ((uint32_t)(g) << 8) | ((uint32_t)(b) << 16))

#endif
