// Events for the no-window backend's queue, and a clean input state.
#ifndef GRLIB_EVENTS_H
#define GRLIB_EVENTS_H

#include <initializer_list>

#include "grlib_test_canvas.h"
#include "canvas_state.h"

inline void push_key(int ch, NavKey nav = NAV_NONE) {
    PlatformEvent ev;
    ev.type = PlatformEvent::KEY;
    ev.ch = ch;
    ev.nav = nav;
    headless_push_event(ev);
}

// Menu keys as the window backend sends them: Return and Escape with their characters.
inline void push_navs(std::initializer_list<NavKey> navs) {
    for (NavKey nav : navs) push_key(nav == NAV_RETURN ? 13 : nav == NAV_ESCAPE ? 27 : -1, nav);
}

inline void push_event(PlatformEvent::Type type, int x = 0, int y = 0, int button = 0) {
    PlatformEvent ev;
    ev.type = type;
    ev.x = x;
    ev.y = y;
    ev.button = button;
    headless_push_event(ev);
}

// The shared canvas with an empty queue, no pending character, the left
// button up and no mouse callback.
struct InputTest : CanvasTest {
    void SetUp() override {
        CanvasTest::SetUp();
        headless_clear_events();
        push_key('z');
        KbHit();
        GetKey();
        SetMouseFunc([](int, int, double, double) {});
        push_event(PlatformEvent::BUTTON_UP, 0, 0, 1);
        KbHit();
        SetMouseFunc(nullptr);
    }
};

#endif
