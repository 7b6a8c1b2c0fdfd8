// What every stage of the tomography program shares: the sampling grid and
// its buffers, the current object, the lists' lookup, and the shell's status
// line and saves. Each stage has a header of its own: scan/scan.h,
// reconstruct/reconstruct.h, demos/demos.h, lab/lab.h, app/app.h.
#ifndef RADON_H
#define RADON_H

#include <cstdint>
#include <span>

#include "grlib.h"

// ---------------------------------------------------------------- grid and state (scan/grid.cpp)

extern int width, height;            // canvas and image size, 400 x 400
extern const double xmax, ymax;      // half-extents of the world square, 3.0
// The world's scale: one unit is 5 cm, so the field of view is 30 cm wide
// and the head phantom about 17 cm wide and 22 cm tall, a real head's size.
const double kCmPerUnit = 5;
extern int Nw, Np, Nl;               // angle steps, detector intervals, samples per ray
extern double dw, dp, dl;            // angle, detector and along-ray steps
extern double *cn, *sn;              // cos and sin of iw*dw, iw = 0..Nw
// Sinogram and filtered sinogram [iw][ip]; with a fan scanner the rows are
// its views (sinogramRows() in scan/scan.h), room for 2 Nw rows.
extern double **rdn, **fbp;
extern double **abuf, **bbuf;        // accumulation work images [ix][iy]
extern int have_rdn, have_fbp;       // whether rdn and fbp hold values
// Every scan has a number of its own (from 1), so that what is derived from
// a sinogram can tell whether that sinogram is still the current one.
extern uint64_t rdn_scan;            // the scan rdn holds, while have_rdn
extern int fbp_by_fft;               // 1: fbp was filtered by FFT
extern int use_fft;                  // 1: reconstruct filters by FFT
extern int show_integral;            // 1: the transform draws every sample
extern Color C;                      // white, the source of every grey level
extern Color green;                  // the colour of plotted curves

// The number of the scan in rdn; 0 while there is none.
inline uint64_t currentScan(void) { return have_rdn ? rdn_scan : 0; }

// ---------------------------------------------------------------- the current object (scan/objects.cpp)

typedef double (*Object)(double x, double y);
extern Object head;                  // the current test object

// ---------------------------------------------------------------- the lists the program offers
// Each list is one table that the menu, the dispatcher, --batch and the
// tests read: an entry's menu label, its menu id and its values.

// The entry of `choices` with menu id `id`, or null.
template <class Choice>
const Choice *findChoice(std::span<const Choice> choices, int id) {
    for (const Choice &choice : choices)
        if (choice.id == id) return &choice;
    return nullptr;
}

// The entry after `choice` in `choices`; after the last, the first.
template <class Choice>
const Choice *nextChoice(std::span<const Choice> choices, const Choice *choice) {
    return &choices[(size_t)(choice - choices.data() + 1) % choices.size()];
}

// ---------------------------------------------------------------- status line and saves (app/shell.cpp)

// The status line; with pause non-zero, wait for a key.
void Pause(const char *str, int pause);

// Batch mode: waits of the status line end at once and every status
// message is also printed on standard output (batch_printing). A lesson
// going back in the window runs the earlier steps so too, but silently
// (batch_silent).
enum { batch_printing = 1, batch_silent = 2 };
extern int batch_mode;
// In batch mode, called at every wait for a key once its status line is
// drawn, with the text; null: nobody watches (the handout keeps those screens).
extern void (*batch_wait_observer)(const char *status);
// A progress text that changes every frame of an animation: on the window's
// status line only, since batch mode prints no frames.
inline void showProgress(const char *text) {
    if (!batch_mode) Pause(text, 0);
}
// Pictures held on screen for the teaching pace (window only); 0 in batch.
void teachingPause(double seconds);

// Saves of files the user asked for (pictures, data files), each reported
// here. A success says "Saved NAME" on standard output in batch mode. A
// failure's message ("can't write NAME: REASON") goes to stderr and to the
// status line, and is counted.
void noteSaveSuccess(const char *name);
void noteSaveFailure(const char *message);
extern int failed_saves;
// The status after the last command: 1 in batch mode when a save failed.
int exitStatus(void);

// One line on standard output; the first write error is kept for the exit
// (app/cli.cpp).
void printLine(const char *text);

#endif
