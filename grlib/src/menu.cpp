// Cascading popup menus, drawn by the library over the window picture.
//
// The tables are copied into the library's own tree on the first call. While
// the menu is open it is drawn over every presentation of the window surface
// (never into it), so the window shows its old picture again when it closes.
#include <algorithm>
#include <optional>
#include <string>

#include "canvas_state.h"
#include "menu_layout.h"

using namespace grlib;

namespace {

const int CHAR_W = 7, CHAR_H = 13;
const int ENTRY_H = CHAR_H + 4;
const int BORDER = 1, PAD_Y = 2, PAD_LEFT = 8, GAP = 12, PAD_RIGHT = 6;

const uint32_t PANEL_RGB = PACK_RGB(212, 208, 200);
const uint32_t BORDER_RGB = PACK_RGB(64, 64, 64);
const uint32_t TEXT_RGB = PACK_RGB(0, 0, 0);

struct Entry {
    std::string label;
    int id;
    unsigned sub; // handle of the submenu level, 0 for a plain entry
};

struct Level {
    std::vector<Entry> entries;
    MenuRect size;
};

// One open level: which, where, and its highlighted entry (-1: none).
struct Open {
    unsigned level;
    MenuRect rect;
    int hl;
};

// What one event did: nothing yet (still open), or the chosen id (0: cancelled).
typedef std::optional<int> Outcome;
const Outcome STILL_OPEN;

} // namespace

// Level with handle h is levels[h - 1]; 0 is no level.
static std::vector<Level> levels;
static MenuFunc menuCB = nullptr;
// Handle of the top level, 0 until the tables are read.
static unsigned int menu_id = 0;
// The open levels, outermost first, while the menu tracks.
static std::vector<Open> path;
static int open_x, open_y;
// A release chooses only after the pointer has moved onto an entry, so the
// release of the click that opened the menu chooses nothing.
static bool armed;

namespace grlib {

MenuRect menu_panel_size(int count, int max_chars) {
    MenuRect r;
    r.w = 2 * BORDER + PAD_LEFT + max_chars * CHAR_W + GAP + CHAR_W + PAD_RIGHT;
    r.h = 2 * (BORDER + PAD_Y) + count * ENTRY_H;
    return r;
}

// Shift a panel left and up until it fits, but never past the top-left corner.
static void fit(MenuRect &r, int cw, int ch) {
    if (r.x + r.w > cw) r.x = cw - r.w;
    if (r.y + r.h > ch) r.y = ch - r.h;
    if (r.x < 0) r.x = 0;
    if (r.y < 0) r.y = 0;
}

MenuRect place_menu(const MenuRect &size, int px, int py, int cw, int ch) {
    MenuRect r = size;
    r.x = px;
    r.y = py;
    fit(r, cw, ch);
    return r;
}

MenuRect place_submenu(const MenuRect &size, const MenuRect &parent, int entry, int cw, int ch) {
    MenuRect r = size;
    r.x = parent.x + parent.w - 2;
    if (r.x + r.w > cw) {
        // Room on neither side: at the right edge it hides only the ends of
        // the parent's entries, not their labels.
        int left = parent.x - r.w + 2;
        r.x = left >= 0 ? left : cw - r.w;
    }
    r.y = menu_entry(parent, entry).y - (BORDER + PAD_Y);
    fit(r, cw, ch);
    return r;
}

MenuRect menu_entry(const MenuRect &panel, int i) {
    MenuRect r;
    r.x = panel.x + BORDER;
    r.y = panel.y + BORDER + PAD_Y + i * ENTRY_H;
    r.w = panel.w - 2 * BORDER;
    r.h = ENTRY_H;
    return r;
}

} // namespace grlib

// Builds one level and, first, the levels of its submenus; returns its handle.
static unsigned int setupMenu(Menu *menu) {
    Level level;
    size_t max_chars = 0;
    for (MenuItem *it = menu->item; it->label; ++it) {
        unsigned sub = it->submenu ? setupMenu(it->submenu) : 0;
        level.entries.push_back({it->label, it->id, sub});
        max_chars = std::max(max_chars, level.entries.back().label.size());
    }
    level.size = menu_panel_size((int)level.entries.size(), (int)max_chars);
    levels.push_back(level);
    return (unsigned)levels.size();
}

static const Level &level_of(const Open &o) { return levels[o.level - 1]; }

// ---------------------------------------------------------------- drawing

static void fill(Surface &s, const MenuRect &r, uint32_t rgb) { s.fill_rect(r.x, r.y, r.x + r.w, r.y + r.h, rgb); }

static void draw_panel(Surface &s, const Open &o) {
    fill(s, o.rect, BORDER_RGB);
    MenuRect inner = {o.rect.x + BORDER, o.rect.y + BORDER, o.rect.w - 2 * BORDER, o.rect.h - 2 * BORDER};
    fill(s, inner, PANEL_RGB);
    const Level &level = level_of(o);
    for (int i = 0; i < (int)level.entries.size(); i++) {
        MenuRect e = menu_entry(o.rect, i);
        uint32_t text = TEXT_RGB;
        if (i == o.hl) {
            fill(s, e, TEXT_RGB);
            text = PANEL_RGB;
        }
        int ty = e.y + (ENTRY_H - CHAR_H) / 2;
        draw_text(s, e.x + PAD_LEFT, ty, level.entries[i].label.c_str(), text);
        if (level.entries[i].sub) draw_text(s, e.x + e.w - PAD_RIGHT - CHAR_W, ty, ">", text);
    }
}

// The overlay hook: the open levels over a copy of the window picture.
static void draw_menu(std::vector<uint32_t> &pixels, int w, int h) {
    Surface s;
    s.w = w;
    s.h = h;
    s.pixels.swap(pixels);
    for (const Open &o : path) draw_panel(s, o);
    pixels.swap(s.pixels);
}

// ---------------------------------------------------------------- tracking

// Open the submenu of the innermost level's highlighted entry, if it has one.
static void open_submenu(int first_hl) {
    const Open &o = path.back();
    unsigned sub = level_of(o).entries[o.hl].sub;
    if (!sub || levels[sub - 1].entries.empty()) return;
    MenuRect r = place_submenu(levels[sub - 1].size, o.rect, o.hl, _width, _height);
    path.push_back({sub, r, first_hl});
}

// The pointer is on entry i of open level d: highlight it, close the levels
// below and open its submenu (kept as it is when already open).
static void point_at(size_t d, int i) {
    if (path[d].hl == i && path.size() > d + 1) return;
    path.resize(d + 1);
    path[d].hl = i;
    open_submenu(-1);
}

// The innermost open level under (x, y); *entry is -1 on its border.
static bool hit(int x, int y, size_t *depth, int *entry) {
    for (size_t d = path.size(); d-- > 0;) {
        if (!path[d].rect.contains(x, y)) continue;
        *depth = d;
        *entry = -1;
        for (int i = 0; i < (int)level_of(path[d]).entries.size(); i++)
            if (menu_entry(path[d].rect, i).contains(x, y)) *entry = i;
        return true;
    }
    return false;
}

static Outcome on_key(NavKey nav) {
    Open &o = path.back();
    int n = (int)level_of(o).entries.size();
    switch (nav) {
    case NAV_DOWN: o.hl = (o.hl + 1) % n; break;
    case NAV_UP: o.hl = o.hl <= 0 ? n - 1 : o.hl - 1; break;
    case NAV_RIGHT:
        if (o.hl >= 0) open_submenu(0);
        break;
    case NAV_RETURN:
        if (o.hl < 0) break;
        if (!level_of(o).entries[o.hl].sub) return level_of(o).entries[o.hl].id;
        open_submenu(0);
        break;
    case NAV_LEFT:
        if (path.size() > 1) path.pop_back();
        break;
    case NAV_ESCAPE:
        if (path.size() == 1) return 0;
        path.pop_back();
        break;
    case NAV_NONE: break;
    }
    return STILL_OPEN;
}

static Outcome on_mouse(const PlatformEvent &ev) {
    size_t d;
    int i;
    if (!hit(ev.x, ev.y, &d, &i)) {
        // A press outside every level dismisses the menu and is used up by it.
        return ev.type == PlatformEvent::BUTTON_DOWN ? Outcome(0) : STILL_OPEN;
    }
    if (i < 0) return STILL_OPEN;
    if (ev.type == PlatformEvent::MOUSE_MOVE) {
        if (ev.x != open_x || ev.y != open_y) armed = true;
        point_at(d, i);
        return STILL_OPEN;
    }
    if (ev.type == PlatformEvent::BUTTON_UP && !armed) return STILL_OPEN;
    const Entry &e = level_of(path[d]).entries[i];
    if (!e.sub) return e.id;
    point_at(d, i);
    return STILL_OPEN;
}

static bool same_state(const std::vector<Open> &a, const std::vector<Open> &b) {
    if (a.size() != b.size()) return false;
    for (size_t d = 0; d < a.size(); d++)
        if (a[d].level != b[d].level || a[d].hl != b[d].hl) return false;
    return true;
}

// Runs the menu until an entry is chosen (its id) or it is cancelled (0).
static int track(unsigned top, int px, int py) {
    if (levels[top - 1].entries.empty()) return 0;
    path.assign(1, Open{top, place_menu(levels[top - 1].size, px, py, _width, _height), -1});
    open_x = px;
    open_y = py;
    armed = false;
    menu_overlay = draw_menu;
    present_window(false);
    Outcome result;
    while (!result) {
        PlatformEvent ev;
        if (!platform->poll(&ev)) {
            // Without a window nobody can answer: an empty queue cancels.
            if (!platform->interactive) result = 0;
            else platform->wait(100);
            continue;
        }
        std::vector<Open> before = path;
        switch (ev.type) {
        case PlatformEvent::EXPOSE:
        case PlatformEvent::CLOSE: handle_window_event(ev); break;
        case PlatformEvent::KEY: result = on_key(ev.nav); break;
        case PlatformEvent::DROP: hold_drop(ev.path); break; // taken once the menu is closed
        default: result = on_mouse(ev); break;
        }
        if (!result && !same_state(before, path)) present_window(false);
    }
    path.clear();
    menu_overlay = nullptr;
    present_window(false);
    return *result;
}

void PopupMenu(Menu *menu, MenuFunc menufunc) {
    if (menu_id == 0) {
        menuCB = menufunc;
        menu_id = setupMenu(menu);
    }
    int px, py;
    platform->pointer(&px, &py);
    int chosen = track(menu_id, px, py);
    if (chosen != 0) menuCB(chosen);
}

void ReloadMenu(void) {
    levels.clear();
    menu_id = 0;
}
