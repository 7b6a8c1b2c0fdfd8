// What the web page reads from the program: the menu tree that its buttons
// are built from, the choices now in effect, which they mark, and the
// caption of the lesson playing. Built into the page only.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/commands.h"
#include "demos/demos.h"
#include "lab/lab.h"
#include "lessons/lessons.h"

static void appendString(std::string &json, const char *text) {
    json += '"';
    for (const char *c = text; *c; c++) {
        if ((unsigned char)*c < 0x20) {
            // A tab in a lesson's text: JSON strings hold no control characters.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", *c);
            json += escape;
            continue;
        }
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
            // A list's key steps through its entries.
            for (const Command &command : commands)
                if (command.submenu == item->submenu && command.key)
                    json += ",\"step\":" + std::to_string(command.key);
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
    for (int id : {current_filter->id, current_noise->id, current_views->id, current_detector->id, current_beam->id,
                   current_scanner->id})
        json += std::to_string(id) + ",";
    json.pop_back();
    // "F" switches the FFT on and off, "m" the metal insert.
    json += "],\"toggles\":{\"" + std::to_string('F') + "\":" + (use_fft ? "true" : "false") + ",\"" +
            std::to_string('m') + "\":" + (metal_insert ? "true" : "false") + "}}";
    return json.c_str();
}

// {"playing": bool, "heading": "Step K of N: TITLE", "paragraphs": [...], "keys": "Return: next ..."}
extern "C" EMSCRIPTEN_KEEPALIVE const char *radon_lesson() {
    static std::string json;
    const LessonCaption &caption = lessonCaption();
    json = std::string("{\"playing\":") + (caption.playing ? "true" : "false") + ",\"heading\":";
    appendString(json, caption.heading.c_str());
    json += ",\"paragraphs\":[";
    for (const std::string &paragraph : caption.paragraphs) {
        if (&paragraph != caption.paragraphs.data()) json += ',';
        appendString(json, paragraph.c_str());
    }
    json += "],\"keys\":";
    appendString(json, caption.keys.c_str());
    json += "}";
    return json.c_str();
}
