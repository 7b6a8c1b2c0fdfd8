// The no-window backend: the canvas works as usual but nothing is shown.
// Events come from a queue that tests fill.
#include <deque>

#include "platform.h"

static std::deque<PlatformEvent> queue;
static int pointer_x = 0, pointer_y = 0;

void headless_push_event(const PlatformEvent &ev) { queue.push_back(ev); }

void headless_set_pointer(int x, int y) {
    pointer_x = x;
    pointer_y = y;
}

void headless_clear_events() { queue.clear(); }

static bool none_open(int, int, const char *, int *, std::string *) { return true; }

static void none_close() {}

static void none_resize(int, int) {}

static void none_present(const uint32_t *, int, int, bool) {}

static bool none_poll(PlatformEvent *ev) {
    if (queue.empty()) return false;
    *ev = queue.front();
    queue.pop_front();
    // A mouse event moves the pointer to where it happened.
    if (ev->type == PlatformEvent::MOUSE_MOVE || ev->type == PlatformEvent::BUTTON_DOWN ||
        ev->type == PlatformEvent::BUTTON_UP) {
        pointer_x = ev->x;
        pointer_y = ev->y;
    }
    return true;
}

static void none_wait(int) {}

static void none_sleep(int) {}

static void none_pointer(int *x, int *y) {
    *x = pointer_x;
    *y = pointer_y;
}

static bool none_poll_window(PlatformEvent *ev) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (it->type == PlatformEvent::EXPOSE || it->type == PlatformEvent::CLOSE) {
            *ev = *it;
            queue.erase(it);
            return true;
        }
    }
    return false;
}

// No screen: a panel stands below the picture, as on a portrait one.
static bool none_landscape() { return false; }

const Platform platform_none = {
    .open = none_open,
    .close = none_close,
    .resize = none_resize,
    .present = none_present,
    .poll = none_poll,
    .wait = none_wait,
    .pointer = none_pointer,
    .sleep = none_sleep,
    .poll_window = none_poll_window,
    .landscape = none_landscape,
    .interactive = false,
};
