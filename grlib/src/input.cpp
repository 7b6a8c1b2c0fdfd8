// Polled keyboard and mouse input: the library's event pump.
#include <algorithm>
#include <chrono>
#include <string>

#include "canvas_state.h"

using namespace grlib;

static int last_key = -1;
static bool arrow_keys = false;
static MouseFunc mouseCB = nullptr;
static DropFunc dropCB = nullptr;
// The last file dropped while no callback took drops (a wait, the open menu),
// for the callback once it is back: a drop is never lost without a word.
static std::string held_drop;

void grlib::hold_drop(const std::string &path) { held_drop = path; }

// Turns one event into at most one callback call, with the pointer's
// position at the time of processing in canvas coordinates.
static void mouseEvent(const PlatformEvent &ev) {
    static int lftdwn = 0;
    int px, py;
    platform->pointer(&px, &py);
    double x = px - O.x;
    double y = coordmode == 1 ? (_height - 1 - py) - O.y : py - O.y;
    switch (ev.type) {
    case PlatformEvent::MOUSE_MOVE:
        if (lftdwn == 1) mouseCB(1, 2, x, y);
        break;
    case PlatformEvent::BUTTON_DOWN:
        mouseCB(ev.button, 0, x, y);
        if (ev.button == 1) lftdwn = 1;
        break;
    case PlatformEvent::BUTTON_UP:
        mouseCB(ev.button, 1, x, y);
        if (ev.button == 1) lftdwn = 0;
        break;
    default:
        break;
    }
}

int KbHit(void) {
    show_pending_drawing();
    if (dropCB && !held_drop.empty()) {
        const std::string path = std::move(held_drop);
        held_drop.clear();
        dropCB(path.c_str());
    }
    PlatformEvent ev;
    while (platform->poll(&ev)) {
        if (mouseCB) mouseEvent(ev);
        if (ev.type == PlatformEvent::KEY) {
            // Keys without a character (arrows) reach the program only when it asked for Up and Down.
            int key = ev.ch;
            if (key < 0 && arrow_keys) key = ev.nav == NAV_UP ? GR_KEY_UP : ev.nav == NAV_DOWN ? GR_KEY_DOWN : -1;
            if (key < 0) continue;
            last_key = key;
            return 1;
        }
        if (ev.type == PlatformEvent::EXPOSE || ev.type == PlatformEvent::CLOSE) handle_window_event(ev);
        if (ev.type == PlatformEvent::DROP) {
            if (dropCB) dropCB(ev.path.c_str());
            else hold_drop(ev.path);
        }
    }
    return 0;
}

int GetKey(void) {
    // Sleep while the queue is empty rather than spin.
    while (last_key == -1) {
        if (!KbHit()) platform->wait(100);
    }
    int k = last_key;
    last_key = -1;
    return k;
}

void SetMouseFunc(MouseFunc mouse) { mouseCB = mouse; }

void SetArrowKeys(int on) { arrow_keys = on != 0; }

void SetDropFunc(DropFunc drop) { dropCB = drop; }

void WaitEvent(void) {
    show_pending_drawing();
    platform->wait(100);
}

void HoldWindow(double seconds) {
    if (!platform->interactive) return;
    show_pending_drawing();
    using clock = std::chrono::steady_clock;
    clock::time_point end =
        clock::now() + std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(seconds));
    for (;;) {
        handle_window_events();
        clock::time_point now = clock::now();
        if (now >= end) return;
        // A plain sleep: waiting on the queue would return at once while
        // keys are pending, since they are left in it.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        platform->sleep((int)std::min<long long>(10, std::max<long long>(1, left)));
    }
}
