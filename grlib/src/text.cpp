// Text in the fixed 7 x 13 font, and the font choice per surface.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas_state.h"

namespace {

#include "font7x13.inc"

constexpr int kCellW = 7, kCellH = 13;
constexpr unsigned kFirstGlyph = 32;

// Face names asked for so far; a surface records the index of its face.
// Index 0 is the start-up face. Every face is drawn with the one glyph table.
std::vector<std::string> faces = {"TERMINAL"};

} // namespace

namespace grlib {

void draw_text(Surface &s, int x, int y, const char *str, uint32_t rgb) {
    if (y <= -kCellH || y >= s.h) return;
    int64_t cx = x;
    for (const unsigned char *c = (const unsigned char *)str; *c && cx < s.w; ++c, cx += kCellW) {
        // Control characters have no glyph: their cell stays empty.
        if (cx <= -kCellW || *c < kFirstGlyph) continue;
        const unsigned char *rows = font7x13[*c - kFirstGlyph];
        for (int r = 0; r < kCellH; r++) {
            for (int col = 0; col < kCellW; col++) {
                if (rows[r] & (0x40 >> col)) s.set((int)cx + col, y + r, rgb);
            }
        }
    }
}

} // namespace grlib

using namespace grlib;

void SelectFont(const char *fontname) {
    const std::string face = fontname ? fontname : "";
    size_t i = 0;
    while (i < faces.size() && faces[i] != face) i++;
    if (i == faces.size()) faces.push_back(face);
    canvas->font = (int)i;
}

void DrawString(double x, double y, const char *str) {
    Surface &s = *canvas;
    // Text colour and transparent mode stay set on the surface.
    s.text_rgb = current_rgb;
    s.text_transparent = true;
    const int col = map_x(x), row = map_y(y);
    // The mapped point is the row just below the text cell.
    if (row < INT_MIN + kCellH) return;
    draw_text(s, col, row - kCellH, str, current_rgb);
    if (&s == &window_surface) window_touched();
}
