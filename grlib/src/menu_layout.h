// Where the popup menu's panels and entries lie on the canvas.
#ifndef GRLIB_MENU_LAYOUT_H
#define GRLIB_MENU_LAYOUT_H

namespace grlib {

struct MenuRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// Size of a panel of `count` entries whose longest label has `max_chars` characters.
MenuRect menu_panel_size(int count, int max_chars);
// The top level: its corner at the pointer, moved left and up as far as
// needed to fit on the cw x ch canvas.
MenuRect place_menu(const MenuRect &size, int px, int py, int cw, int ch);
// A submenu beside entry `entry` of `parent`: to the right, else to the left,
// else against the canvas's right edge; its first entry level with the
// parent entry.
MenuRect place_submenu(const MenuRect &size, const MenuRect &parent, int entry, int cw, int ch);
// Entry `i` of a panel.
MenuRect menu_entry(const MenuRect &panel, int i);

} // namespace grlib

#endif
