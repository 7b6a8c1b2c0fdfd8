// The program's tests share one no-window canvas (one canvas per process)
// and run in batch mode, so that waits of the status line end at once.
#ifndef RADON_TEST_CANVAS_H
#define RADON_TEST_CANVAS_H

#include "radon.h"

inline void ensureTestCanvas() {
    static bool open = false;
    if (open) return;
    open = true;
    batch_mode = 1;
    SetCanvasBackend(GR_BACKEND_NONE, 1);
    InitCanvas(width, height, "Radon");
    initRadon(60, 128);
}

#endif
