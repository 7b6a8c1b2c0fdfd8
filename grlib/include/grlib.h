// grlib: a small immediate-mode canvas library.
//
// One window with an off-screen back buffer, polled keyboard and mouse input,
// cascading popup menus built from static tables, a world-to-pixel mapping,
// colours and signed grey levels, drawing primitives with a cached pen and
// brush, and BMP export. All state is library-wide: one canvas per program.
//
// Both surfaces are in-memory rasters of packed colours (red in bits 0-7,
// green 8-15, blue 16-23). A platform backend (a real window, or none at
// all) only shows the window surface and delivers events.
#ifndef GRLIB_H
#define GRLIB_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---------------------------------------------------------------- types

// An RGB colour record. `id` and `cref` are carried along and never read.
typedef struct _Color {
    unsigned char r, g, b;
    char id;
    uint32_t *cref;
} Color;

// A point in world coordinates.
typedef struct {
    double x, y;
} Point2D;

struct _Menu;

// One menu entry; an item array ends with an entry whose label is null.
typedef struct _MenuItem {
    const char *label;     // text shown; null ends the array
    int id;                // value reported when chosen (0 = never reportable)
    struct _Menu *submenu; // null for a plain entry
    uint32_t win;          // unused, 0
} MenuItem;

// One menu level.
typedef struct _Menu {
    MenuItem *item;        // first entry of the level
    struct _Menu *parent;  // unused, null
    int num_item;          // unused, 0
    uint32_t win;          // unused, 0
} Menu;

typedef void (*MouseFunc)(int button, int state, double x, double y);
typedef void (*MenuFunc)(int id);
typedef void (*DropFunc)(const char *path);

// ---------------------------------------------------------------- backend choice
// Where the window surface goes: a real window, or nowhere (tests, batch).
// Chosen before InitCanvas; the default is a real window at zoom 1.

enum GrBackend { GR_BACKEND_WINDOW = 0, GR_BACKEND_NONE = 1 };

// Select the backend and the window's pixel zoom (1..4, window backend only).
void SetCanvasBackend(GrBackend backend, int zoom);
// The zoom the window opened with (after InitCanvas): the one asked for, or
// the largest that fits the display when that is too small for it.
int GetCanvasZoom(void);
// Text appended to the one-line message when no window can be opened.
void SetOpenFailureHint(const char *hint);

// ---------------------------------------------------------------- canvas (window, back buffer)

// Open the window (or the no-window canvas) and create both surfaces.
// Exits with status 1 and one line on stderr when no window can be opened.
void InitCanvas(int width, int height, const char *title);
// Release both surfaces; a second call does nothing.
void CloseCanvas(void);
// Non-zero: draw into the back buffer; zero: draw onto the window.
void SetDoubleBuffer(int on);
// Make both surfaces hold the drawing target's picture.
void FlushBuffer(void);
// Fill the drawing target with the background colour.
void ClearCanvas(void);

// A text panel as wide as the picture, e.g. a caption: in a landscape window
// (wider than tall; before the user sizes it, on a display wider than tall)
// it stands beside the picture, to its right, as high as the picture;
// otherwise below it, `rows` pixel rows high. The window grows to hold it at
// its zoom, and shrinks back when rows is 0; a window the user has sized
// keeps its size. The lines are ISO 8859-1 in the 7 x 13 font, grey on black
// beside or below a grey rule, the first one white. The panel belongs to the
// window only: the surfaces, saves and pixel reads never see it.
void SetCanvasPanel(int rows, const std::vector<std::string> &lines);
// While on, drawing reaches both surfaces but the window is not updated, so
// that frames cost no time; switching it off shows the window surface.
void SuspendWindowUpdates(int on);

// ---------------------------------------------------------------- input

// Pump events without waiting; 1 when a typed character arrived (see GetKey).
int KbHit(void);
// Return the pending character, pumping events until one arrives.
int GetKey(void);
// The arrow keys, which have no character: while SetArrowKeys(1) they
// arrive as these codes; otherwise (at start) they never reach the program.
enum { GR_KEY_UP = 0x101, GR_KEY_DOWN = 0x102, GR_KEY_LEFT = 0x103, GR_KEY_RIGHT = 0x104 };
void SetArrowKeys(int on);
// Install the mouse callback (null removes it).
void SetMouseFunc(MouseFunc mouse);
// Sleep until an event may be pending (never consumes one); for idle loops.
void WaitEvent(void);
// Install the callback for a file dropped on the window. It runs inside
// KbHit, like the mouse callback. While there is none (null), and while the
// popup menu is open, the last file dropped is held for the next KbHit with
// a callback.
void SetDropFunc(DropFunc drop);
// Keep the window alive (repaint, close) for about `seconds` without taking
// keys or mouse events out of the queue; does nothing without a window.
void HoldWindow(double seconds);

// ---------------------------------------------------------------- popup menu

// Show the menu tree at the pointer and report the chosen entry's id.
// The first call's table and callback stay in use for good.
void PopupMenu(Menu *menu, MenuFunc menufunc);
// The tables have changed: the next PopupMenu reads them (and its callback) again.
void ReloadMenu(void);

// ---------------------------------------------------------------- coordinates and colours

// 1: y axis upward (y = 0 is the bottom row); anything else: y downward.
void SetCoordMode(int mode);
// Offset added to every world point before mapping.
void SetCoordOffset(double x0, double y0);
// Copy *c into the background colour (used by ClearCanvas).
void SetBackground(Color *c);
// Address of the library's background colour.
Color *GetBackground(void);
// Current colour from a record.
void SetColor(Color *c);
// Current colour from 0..255 components.
void SetColor3i(int r, int g, int b);
// Current colour from 0..1 components (low 8 bits of trunc(v * 255)).
void SetColor3f(double r, double g, double b);
// Recorded only; no operation reads it.
void SetGraystep(int N);
// Signed grey level: >= 0 grey, < 0 pale red, clamped to [-1, 1].
void SetGray(double scale);
// A colour scaled by a signed level, clamped to [-1, 1].
void SetColoredGray(Color *color, double scale);
// Pen width in pixels (truncated); 0 and 1 both draw one-pixel lines.
void SetLineWidth(double line_width);

// ---------------------------------------------------------------- points and primitives

// One pixel in the current colour.
void DrawPoint(double x, double y);
// N pixels, one per point.
void DrawPoints(Point2D *p, int N);
// A line that covers its start pixel and stops before its end pixel.
void DrawLine(double x0, double y0, double x1, double y1);
// An open polyline through N points (N - 1 segments).
void DrawLines(Point2D *p, int N);
// A one-pixel dotted line with both end pixels drawn.
void DrawDashLine(double x0, double y0, double x1, double y1);
// Fill columns [left, right) and rows [top, bottom) of the two corners.
void FillRectangle(double x1, double y1, double x2, double y2);
// Outline through all four corners.
void DrawRectangle(double x1, double y1, double x2, double y2);
// White XOR outline on the window surface; a second call removes it.
void DrawRectangleXOR(double x1, double y1, double x2, double y2);
// Even-odd filled polygon with the brush and pen last made.
void FillPolygon(Point2D *p, int N);
// Closed outline of N sides with the pen last made.
void DrawPolygon(Point2D *p, int N);
// Choose the text font by face name (every face is the 7 x 13 fixed font).
void SelectFont(const char *fontname);
// Text in the current colour; the text cell's bottom edge is the mapped row.
void DrawString(double x, double y, const char *str);

// ---------------------------------------------------------------- saving files
// A file is written to a new file beside the name and renamed into place: a
// failed save leaves whatever was at the name as it was, and a link or FIFO
// at the name is replaced, never written through; a directory or a device
// at the name is refused. Both return 1 on success; 0 on failure, printing
// nothing: SaveError() then says why.

// Save the whole back buffer as a 24-bit BMP, with progress messages on the window.
int SaveImageAs(const char *fname);
// Save the whole back buffer as a PNG (no messages on the window).
int SaveImageAsPNG(const char *fname);
// Save `size` bytes as they are.
int SaveDataAs(const char *fname, const void *data, size_t size);
// The last failed save's message, "can't open NAME: REASON" (no file could
// be made) or "can't write NAME: REASON"; "" after a save that worked.
const char *SaveError(void);

// ---------------------------------------------------------------- pictures from files

// w x h pixels of 8-bit R, G, B, A in that byte order, row 0 at the top, no gaps.
typedef std::function<void(const uint8_t *rgba, int w, int h)> PictureFunc;

// Decode the picture file at `path` (PNG, JPEG, BMP, GIF, ...: whatever the
// platform's decoder reads; in the page, a file the page received) and hand
// its pixels to `take`; they are freed when it returns. Pictures wider or
// taller than max_side are refused. False with *error (the reason) on failure.
bool LoadPicture(const char *path, int max_side, const PictureFunc &take, std::string *error);

// ---------------------------------------------------------------- modules (desktop)

// The address of `symbol` in a shared module: the one at `installed`, a
// path from the program's own directory (where an install puts it), or else
// the one at `built` (where the build made it), loaded once. Null with
// *error (why not).
void *LoadModuleSymbol(const char *installed, const char *built, const char *symbol, std::string *error);

// ---------------------------------------------------------------- inspection
// Read back what the surfaces hold (packed colours), for tests and tools.

uint32_t GetWindowPixel(int x, int y);
uint32_t GetBackPixel(int x, int y);

#endif
