// Mapping, colours, surfaces and presentation on the no-window canvas.
#include <cmath>

#include "canvas_state.h"
#include "grlib_test_canvas.h"

namespace {

using Canvas = CanvasTest;

uint32_t colourOf(void (*set)()) {
    set();
    DrawPoint(0, 0);
    return GetWindowPixel(0, 0);
}

TEST_F(Canvas, MappingAddsATenthAndTruncatesTowardZero) {
    SetColor3i(1, 2, 3);
    DrawPoint(2.95, 7.0);
    EXPECT_EQ(GetWindowPixel(3, 7), 0x030201u);
    DrawPoint(-0.5, 20);
    EXPECT_EQ(GetWindowPixel(0, 20), 0x030201u);
    DrawPoint(-1.2, 30); // column -1: off the surface
    EXPECT_EQ(GetWindowPixel(0, 30), 0u);

    SetCoordMode(1);
    DrawPoint(10, 0);
    DrawPoint(11, 399);
    DrawPoint(12, -0.5);
    EXPECT_EQ(GetWindowPixel(10, 399), 0x030201u);
    EXPECT_EQ(GetWindowPixel(11, 0), 0x030201u);
    EXPECT_EQ(GetWindowPixel(12, 399), 0x030201u);

    SetCoordOffset(5, 20);
    DrawPoint(0, 0); // row (399 - 20) - 0
    EXPECT_EQ(GetWindowPixel(5, 379), 0x030201u);
    SetCoordMode(0);
    DrawPoint(0, 0);
    EXPECT_EQ(GetWindowPixel(5, 20), 0x030201u);
}

TEST_F(Canvas, SignedGreyLevelsClampAndTurnNaNBlack) {
    EXPECT_EQ(colourOf([] { SetGray(2.0); }), 0xFFFFFFu);
    EXPECT_EQ(colourOf([] { SetGray(0.5); }), 0x7F7F7Fu);
    EXPECT_EQ(colourOf([] { SetGray(-1); }), 0x8080FFu);
    EXPECT_EQ(colourOf([] { SetGray(-7); }), 0x8080FFu);
    EXPECT_EQ(colourOf([] { SetGray(-0.5); }), 0x40407Fu);
    EXPECT_EQ(colourOf([] { SetGray(NAN); }), 0u);

    static Color white = {255, 255, 255, 0, nullptr}, green = {0, 255, 0, 0, nullptr};
    EXPECT_EQ(colourOf([] { SetColoredGray(&white, -1); }), 0x7F7FFFu);
    EXPECT_EQ(colourOf([] { SetColoredGray(&white, 5); }), 0xFFFFFFu);
    EXPECT_EQ(colourOf([] { SetColoredGray(&white, 0.7); }), 0xB2B2B2u); // 178
    EXPECT_EQ(colourOf([] { SetColoredGray(&white, 0.8); }), 0xCCCCCCu); // 204
    EXPECT_EQ(colourOf([] { SetColoredGray(&white, 0.3); }), 0x4C4C4Cu); // 76
    EXPECT_EQ(colourOf([] { SetColoredGray(&green, 0.5); }), 0x007F00u);
    EXPECT_EQ(colourOf([] { SetColoredGray(&white, NAN); }), 0u);
    EXPECT_EQ(colourOf([] { SetColoredGray(&white, 0.3); SetGraystep(16); }), 0x4C4C4Cu);
}

TEST_F(Canvas, SetColor3fKeepsTheLow8Bits) {
    EXPECT_EQ(colourOf([] { SetColor3f(1, 1, 1); }), 0xFFFFFFu);
    EXPECT_EQ(colourOf([] { SetColor3f(0.999, 0, 0); }), 254u);
    EXPECT_EQ(colourOf([] { SetColor3f(1.2, 0, 0); }), 50u);
    EXPECT_EQ(colourOf([] { SetColor3f(0, -0.5, 0); }), 129u << 8);
}

TEST_F(Canvas, DirectModeFlushStoresTheWindowAndRepaintRestoresIt) {
    DrawPoint(1, 1);
    FlushBuffer();
    EXPECT_EQ(GetBackPixel(1, 1), 0xFFFFFFu);
    DrawPoint(2, 2); // after the last flush: a repaint drops it
    EXPECT_EQ(GetBackPixel(2, 2), 0u);
    PlatformEvent expose;
    expose.type = PlatformEvent::EXPOSE;
    grlib::handle_window_event(expose);
    EXPECT_EQ(GetWindowPixel(1, 1), 0xFFFFFFu);
    EXPECT_EQ(GetWindowPixel(2, 2), 0u);
}

TEST_F(Canvas, DoubleBufferingShowsNothingUntilFlushed) {
    SetDoubleBuffer(1);
    DrawPoint(3, 3);
    SetDoubleBuffer(0);
    SetDoubleBuffer(1); // switching copies nothing
    EXPECT_EQ(GetWindowPixel(3, 3), 0u);
    EXPECT_EQ(GetBackPixel(3, 3), 0xFFFFFFu);
    FlushBuffer();
    EXPECT_EQ(GetWindowPixel(3, 3), 0xFFFFFFu);
}

TEST_F(Canvas, ClearCanvasClearsOnlyTheTargetAndKeepsTheBrushCacheTrue) {
    SetColor3i(255, 0, 0);
    FillRectangle(0, 0, 10, 10);
    FlushBuffer();
    SetDoubleBuffer(1);
    ClearCanvas();
    EXPECT_EQ(GetBackPixel(5, 5), 0u);
    EXPECT_EQ(GetWindowPixel(5, 5), 0xFFu);
    DrawPoint(6, 6); // the current colour is now the background
    EXPECT_EQ(GetBackPixel(6, 6), 0u);
    SetColor3i(255, 0, 0);
    FillRectangle(0, 0, 10, 10); // red again, not the cleared brush's black
    EXPECT_EQ(GetBackPixel(5, 5), 0xFFu);
}

} // namespace
