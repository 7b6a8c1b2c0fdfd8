// What the web page reads from the program: the menu tree that its buttons
// are built from, and the choices now in effect, which they mark. Built
// into the page only.
#include <emscripten.h>

#include <string>

#include "app/app.h"
#include "demos/demos.h"
#include "lab/lab.h"

static void appendString(std::string &json, const char *text) {
    json += '"';
    for (const char *c = text; *c; c++) {
        if (*c == '"' || *c == '\\') json += '\\';
        json += *c;
    }
    json += '"';
}

static void appendMenu(std::string &json, const Menu *menu) {
    json += '[';
    for (const MenuItem *item = menu->item; item->label; item++) {
        if (item != menu->item) json += ',';
        json += "{\"label\":";
        appendString(json, item->label);
        json += ",\"id\":" + std::to_string(item->id);
        if (item->submenu) {
            // "k" and "n" step through the filters and the noise settings.
            if (item->submenu == &filtermenu) json += ",\"step\":" + std::to_string('k');
            if (item->submenu == &noisemenu) json += ",\"step\":" + std::to_string('n');
            json += ",\"submenu\":";
            appendMenu(json, item->submenu);
        }
        json += '}';
    }
    json += ']';
}

// [{"label": ..., "id": ..., "submenu": [...], "step": key}, ...], the top
// menu's entries; "step" names the key that steps through a submenu.
extern "C" EMSCRIPTEN_KEEPALIVE const char *radon_menu() {
    static std::string json;
    json.clear();
    appendMenu(json, &topmenu);
    return json.c_str();
}

// {"chosen": [ids of the submenus' entries in effect], "toggles": {"id": on}}
extern "C" EMSCRIPTEN_KEEPALIVE const char *radon_state() {
    static std::string json;
    json = "{\"chosen\":[";
    for (const GridChoice &grid : grid_choices)
        if (grid.N_w == Nw && grid.N_p == Np) json += std::to_string(grid.id) + ",";
    if (const ObjectChoice *object = choiceOf(head)) json += std::to_string(object->id) + ",";
    json += std::to_string(current_filter->id) + "," + std::to_string(current_noise->id) + ",";
    if (json.back() == ',') json.pop_back();
    // "F" switches the FFT on and off.
    json += "],\"toggles\":{\"" + std::to_string('F') + "\":" + (use_fft ? "true" : "false") + "}}";
    return json.c_str();
}
