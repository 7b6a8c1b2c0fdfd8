// Coordinates, colours, the pen and brush caches, and the point primitives.
#include <cmath>

#include "canvas_state.h"

namespace grlib {

int coordmode = 0;
Point2D O = {0.0, 0.0};
Color BGColor = {0, 0, 0, 0, nullptr};
uint32_t current_rgb = 0xFFFFFF;
int _line_width = 0;
Pen current_pen;
Brush current_brush;
static int wgraystep = 0;

// Conversion to int truncates toward zero, which is the mapping's rule
// (not floor): every x in (-1.1, 0.9) lands on column 0.
int map_x(double x) { return (int)((O.x + x) + 0.1); }

int map_y(double y) {
    if (coordmode == 1) return (int)((((double)(_height - 1)) - O.y) - y + 0.1);
    return (int)((O.y + y) + 0.1);
}

void newPen() {
    if (current_pen.made && current_pen.rgb == current_rgb) return;
    current_pen.made = true;
    current_pen.rgb = current_rgb;
    current_pen.width = _line_width;
}

void newBrush() {
    if (current_brush.made && current_brush.rgb == current_rgb) return;
    current_brush.made = true;
    current_brush.rgb = current_rgb;
}

// Clamp to [-1, 1]; NaN passes through and ends up black.
static double clamp_level(double scale) {
    if (scale > 1) scale = 1;
    if (scale < -1) scale = -1;
    return scale;
}

} // namespace grlib

using namespace grlib;

void SetCoordMode(int mode) { coordmode = mode; }

void SetCoordOffset(double x0, double y0) {
    O.x = x0;
    O.y = y0;
}

void SetBackground(Color *c) { BGColor = *c; }

Color *GetBackground(void) { return &BGColor; }

void SetColor(Color *c) { current_rgb = PACK_RGB(c->r, c->g, c->b); }

void SetColor3i(int r, int g, int b) { current_rgb = PACK_RGB(r & 0xFF, g & 0xFF, b & 0xFF); }

void SetColor3f(double r, double g, double b) {
    // Out-of-range components keep their low 8 bits (1.2 gives 306 -> 50).
    unsigned char R = (unsigned char)(int)(r * 255.0);
    unsigned char G = (unsigned char)(int)(g * 255.0);
    unsigned char B = (unsigned char)(int)(b * 255.0);
    current_rgb = PACK_RGB(R, G, B);
}

void SetGraystep(int N) { wgraystep = N; }

void SetGray(double scale) {
    scale = clamp_level(scale);
    int r, g, b;
    if (scale >= 0) {
        r = g = b = (int)(scale * 255.0);
    } else if (scale < 0) {
        r = (int)(-scale * 255.0);
        g = b = (int)(-scale * 128.0);
    } else {
        r = g = b = 0; // not a number
    }
    current_rgb = PACK_RGB(r, g, b);
}

void SetColoredGray(Color *color, double scale) {
    scale = clamp_level(scale);
    int r, g, b;
    if (scale >= 0) {
        r = (int)(color->r * scale);
        g = (int)(color->g * scale);
        b = (int)(color->b * scale);
    } else if (scale < 0) {
        double a = -scale;
        r = (int)(color->r * a);
        g = (int)((color->g / 2) * a);
        b = (int)((color->b / 2) * a);
    } else {
        r = g = b = 0; // not a number
    }
    current_rgb = PACK_RGB(r, g, b);
}

void SetLineWidth(double line_width) {
    int w = (int)line_width;
    if (w == _line_width) return;
    _line_width = w;
    // A new pen at once, so the next line has the new width in any colour.
    current_pen.made = true;
    current_pen.rgb = current_rgb;
    current_pen.width = w;
}

void DrawPoint(double x, double y) {
    int px = map_x(x), py = map_y(y);
    Surface *s = canvas;
    if ((unsigned)px < (unsigned)s->w && (unsigned)py < (unsigned)s->h) {
        s->pixels[(size_t)py * s->w + px] = current_rgb;
        if (s == &window_surface) window_touched();
    }
}

void DrawPoints(Point2D *p, int N) {
    for (int i = 0; i < N; i++) DrawPoint(p[i].x, p[i].y);
}
