// The canvas library's tests share one 400 x 400 no-window canvas (one
// canvas per process); every test starts from the same drawing state.
#ifndef GRLIB_TEST_CANVAS_H
#define GRLIB_TEST_CANVAS_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "grlib.h"

struct CanvasTest : ::testing::Test {
    static void SetUpTestSuite() {
        static bool open = false;
        if (open) return;
        open = true;
        SetCanvasBackend(GR_BACKEND_NONE, 1);
        InitCanvas(400, 400, "test");
    }
    // Both surfaces black, mode 0 without offset, direct drawing, thin white pen.
    void SetUp() override {
        SetCoordMode(0);
        SetCoordOffset(0, 0);
        Color black = {0, 0, 0, 0, nullptr};
        SetBackground(&black);
        SetDoubleBuffer(0);
        ClearCanvas();
        FlushBuffer();
        SetLineWidth(0);
        SetColor3i(255, 255, 255);
    }

    // Columns [x0, x1) of window row y: '#' where lit, '.' where black.
    static std::string row(int y, int x0, int x1) {
        std::string s;
        for (int x = x0; x < x1; x++) s += GetWindowPixel(x, y) ? '#' : '.';
        return s;
    }
    // Rows [y0, y1) of window column x, the same way.
    static std::string column(int x, int y0, int y1) {
        std::string s;
        for (int y = y0; y < y1; y++) s += GetWindowPixel(x, y) ? '#' : '.';
        return s;
    }
    // Pixels of colour rgb in [x0, x1) x [y0, y1) of the window (or the back buffer).
    static int count(uint32_t rgb, int x0, int y0, int x1, int y1, bool back = false) {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) n += (back ? GetBackPixel(x, y) : GetWindowPixel(x, y)) == rgb;
        return n;
    }
};

#endif
