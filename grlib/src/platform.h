// The seam between the canvas and a window system.
//
// A backend shows the window surface (a raster the canvas owns) and hands
// over events; it owns no pictures. Every backend fills in the same short
// list below. The desktop build has a real window (SDL2) and no window;
// the web build replaces the window with a browser canvas.
#ifndef GRLIB_PLATFORM_H
#define GRLIB_PLATFORM_H

#include <cstdint>
#include <string>

// Keys the popup menu navigates with; besides the menu only Up and Down
// reach the program, and only when it asks for them (SetArrowKeys).
enum NavKey { NAV_NONE = 0, NAV_UP, NAV_DOWN, NAV_LEFT, NAV_RIGHT, NAV_RETURN, NAV_ESCAPE };

struct PlatformEvent {
    enum Type {
        KEY,          // ch: character code (or a menu entry's id, from the page's buttons)
                      // or -1; nav: menu navigation key
        MOUSE_MOVE,   // x, y
        BUTTON_DOWN,  // button (1 left, 3 right), x, y
        BUTTON_UP,    // button, x, y
        EXPOSE,       // the window needs repainting
        CLOSE,        // the user closes the window
        DROP,         // path: a file dropped on the window
    } type;
    int ch = -1;
    NavKey nav = NAV_NONE;
    int button = 0;
    int x = 0, y = 0; // pointer in canvas pixels (the window's scaling undone)
    std::string path{};
};

struct Platform {
    // Open a window of w x h canvas pixels, each *zoom x *zoom window pixels;
    // *zoom comes back lowered when the display is too small for it. False
    // with *error set on failure.
    bool (*open)(int w, int h, const char *title, int *zoom, std::string *error);
    void (*close)();
    // The window surface is now w x h canvas pixels: the window keeps its
    // zoom and grows or shrinks to show all of it, unless the user has sized
    // it (full screen, maximised, dragged): that size stays.
    void (*resize)(int w, int h);
    // Show the window surface. `frame` marks a finished double-buffered frame,
    // which the window backend paces to the display; live drawing is not paced.
    void (*present)(const uint32_t *pixels, int w, int h, bool frame);
    // Take the next event without waiting; false when there is none.
    bool (*poll)(PlatformEvent *ev);
    // Block until an event may be pending or timeout_ms passed; consumes nothing.
    void (*wait)(int timeout_ms);
    // Pointer position in canvas pixels.
    void (*pointer)(int *x, int *y);
    // Sleep about `ms` milliseconds whatever is queued (the browser runs meanwhile).
    void (*sleep)(int ms);
    // Take the next window-only event (EXPOSE or CLOSE) without waiting,
    // leaving keys and mouse events queued; false when there is none.
    bool (*poll_window)(PlatformEvent *ev);
    // Whether the window is a landscape screen, wider than tall: while it has
    // the size the program gave it, the shape of the display it is on; once
    // the user has sized it (full screen, maximised, dragged), its own.
    bool (*landscape)();
    // Whether a person is watching (a real window): pacing applies only then.
    bool interactive;
};

// The window backend: the page on the web; on the desktop SDL2's, in a
// module of its own loaded the first time a window is asked for (sdl_loader.cpp).
// Null with *error when it cannot be had.
const Platform *window_platform(std::string *error);
extern const Platform platform_none; // no window: tests and batch mode

// The no-window backend's queue, filled by tests.
void headless_push_event(const PlatformEvent &ev);
void headless_set_pointer(int x, int y);
void headless_clear_events();

#endif
