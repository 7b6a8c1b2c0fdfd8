// The program's tests share one no-window canvas (one canvas per process)
// and run in batch mode, so that waits of the status line end at once.
#ifndef RADON_TEST_CANVAS_H
#define RADON_TEST_CANVAS_H

#include <gtest/gtest.h>

#include "app/app.h"
#include "demos/demos.h"
#include "lab/lab.h"

inline void ensureTestCanvas() {
    static bool open = false;
    if (open) return;
    open = true;
    batch_mode = 1;
    SetCanvasBackend(GR_BACKEND_NONE, 1);
    InitCanvas(width, height, "Radon");
    initRadon(60, 128);
}

// After a test wrote rdn (and fbp) by hand: they count as a scan of their own
// (and its filtering with the current filter and path).
inline void takeHandWrittenSinograms(bool filtered) {
    static uint64_t scans = 1000000;
    have_rdn = 1;
    rdn_scan = ++scans;
    have_fbp = filtered;
    fbp_scan = rdn_scan;
    fbp_filter = current_filter;
    fbp_by_fft = use_fft;
}

// A test on the 60 x 128 grid with the phantom and the settings at their
// defaults, which it leaves so for the next.
struct DefaultSettings : ::testing::Test {
    void SetUp() override {
        ensureTestCanvas();
        SetDoubleBuffer(0);
        initRadon(60, 128);
        head = head0;
        use_fft = 0;
    }
    void TearDown() override {
        current_filter = &filter_choices[0];
        current_noise = &noise_choices[0];
        head = head0;
        use_fft = 0;
    }
};

#endif
