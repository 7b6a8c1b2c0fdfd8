// Lines, rectangles, polygons and text on the no-window canvas.
#include <algorithm>
#include <cmath>

#include "grlib_test_canvas.h"

namespace {

using Draw = CanvasTest;

TEST_F(Draw, ThinLinesCoverTheStartAndStopBeforeTheEnd) {
    DrawLine(0, 0, 5, 0);
    EXPECT_EQ(row(0, 0, 7), "#####..");
    DrawLine(5, 2, 0, 2);
    EXPECT_EQ(row(2, 0, 7), ".#####.");
    // Slope 1/2: a half-way minor coordinate stays on the start's side.
    DrawLine(0, 10, 4, 12);
    EXPECT_EQ(row(10, 0, 5) + row(11, 0, 5) + row(12, 0, 5), "##.....##......");
    DrawLine(4, 22, 0, 20);
    EXPECT_EQ(row(20, 0, 5) + row(21, 0, 5) + row(22, 0, 5), "......##.....##");
    // A polyline draws its inner vertices once and leaves its last point.
    Point2D p[3] = {{10, 30}, {10, 33}, {13, 33}};
    DrawLines(p, 3);
    EXPECT_EQ(column(10, 30, 35), "####.");
    EXPECT_EQ(row(33, 10, 14), "###.");
    Point2D q = {50, 50};
    DrawLines(&q, 1);
    EXPECT_EQ(GetWindowPixel(50, 50), 0u);
}

TEST_F(Draw, LinesFarOffTheSurfaceKeepTheirPixels) {
    // Through (0, 0) at slope 1/2 (negative values truncate toward zero,
    // hence the halves).
    DrawLine(-1000.5, -500.5, 1000, 500);
    EXPECT_EQ(row(0, 0, 4) + row(1, 0, 4), "##....##");
    DrawLine(-2e9, -2e9 + 100, 2e9, 2e9 + 100);
    EXPECT_EQ(GetWindowPixel(0, 100), 0xFFFFFFu);
    EXPECT_EQ(GetWindowPixel(299, 399), 0xFFFFFFu);
}

// Wide strokes are found row by row; every pixel must still obey the rule
// "centre within width/2 of the segment" (even widths centred half a pixel
// up and left), checked here pixel by pixel for many segments and widths.
TEST_F(Draw, WideLinesCoverExactlyThePixelsNearTheSegment) {
    unsigned seed = 12345;
    auto next = [&](int n) {
        seed = seed * 1103515245u + 12345u;
        return (int)((seed >> 8) % (unsigned)n);
    };
    for (int trial = 0; trial < 300; trial++) {
        ClearCanvas();
        const int w = 2 + next(9);
        const int x0 = next(60), y0 = next(60); // (negative values would map toward zero)
        // Some run far past the surface: strokes that long are not kept as shapes.
        const int x1 = trial % 7 == 0 ? x0 : trial % 13 == 0 ? x0 + 3000 : next(60), y1 = trial % 11 == 0 ? y0 : next(60);
        SetColor3i(255, 255, 255);
        SetLineWidth(w);
        DrawLine(x0, y0, x1, y1);
        const double shift = w % 2 == 0 ? 0.5 : 0.0, r = w / 2.0;
        const double ax = x0 - shift, ay = y0 - shift, vx = x1 - x0, vy = y1 - y0;
        const double len2 = vx * vx + vy * vy;
        for (int py = 0; py < 70; py++) {
            for (int px = 0; px < 70; px++) {
                double t = len2 > 0 ? ((px - ax) * vx + (py - ay) * vy) / len2 : 0;
                t = std::min(1.0, std::max(0.0, t));
                const double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
                const double d2 = dx * dx + dy * dy;
                if (std::fabs(d2 - r * r) < 1e-9) continue; // on the rim: either way
                ASSERT_EQ(GetWindowPixel(px, py) != 0, d2 < r * r)
                    << "width " << w << " from (" << x0 << "," << y0 << ") to (" << x1 << "," << y1
                    << ") at (" << px << "," << py << ")";
            }
        }
    }
}

TEST_F(Draw, LinesUseThePenAsLastMade) {
    Point2D tri[3] = {{100, 100}, {120, 100}, {110, 110}};
    SetColor3i(255, 0, 0);
    SetLineWidth(3);         // a red pen, 3 wide
    SetColor3i(0, 255, 0);   // no pen made yet for green
    DrawPolygon(tri, 3);
    EXPECT_EQ(column(110, 98, 103), ".###.");
    EXPECT_EQ(GetWindowPixel(110, 100), 0xFFu);
    DrawLine(0, 50, 10, 50); // now a green pen of the same width
    EXPECT_EQ(GetWindowPixel(5, 51), 0xFF00u);

    SetLineWidth(2.9);
    SetLineWidth(2.0); // same width: nothing happens
    DrawLine(0, 60, 10, 60);
    EXPECT_EQ(column(5, 57, 62), "..##.");
    SetLineWidth(4);
    DrawLine(0, 70, 10, 70);
    EXPECT_EQ(column(5, 66, 73), "..####.");
    // Round ends reach half the width past the end point.
    SetLineWidth(5);
    DrawLine(20, 80, 30, 80);
    EXPECT_EQ(row(80, 17, 34), ".###############.");
    EXPECT_EQ(row(82, 17, 34), "..#############..");
    EXPECT_EQ(row(83, 17, 34), ".................");
}

TEST_F(Draw, DottedLinesDrawBothEndsAndLeaveThePenAlone) {
    SetColor3i(255, 0, 0);
    SetLineWidth(3);
    SetColor3i(0, 0, 255);
    DrawDashLine(0, 0, 9, 0);
    EXPECT_EQ(row(0, 0, 11), "###...####.");
    DrawDashLine(0, 5, 5, 5);
    EXPECT_EQ(row(5, 0, 7), "###..#.");
    EXPECT_EQ(row(4, 0, 7), "......."); // one pixel wide, not 3
    Point2D p[2] = {{50, 50}, {60, 50}};
    DrawPolygon(p, 2);
    EXPECT_EQ(GetWindowPixel(55, 51), 0xFFu); // still the red, wide pen
}

TEST_F(Draw, RectanglesInBothModes) {
    FillRectangle(5, 5, 2, 9);
    EXPECT_EQ(count(0xFFFFFF, 0, 0, 20, 20), 12);
    EXPECT_EQ(count(0xFFFFFF, 2, 5, 5, 9), 12);
    FillRectangle(3, 30, 3, 38);
    EXPECT_EQ(count(0xFFFFFF, 0, 20, 20, 40), 0);
    DrawRectangle(30, 30, 33, 32);
    EXPECT_EQ(row(30, 29, 35) + row(31, 29, 35) + row(32, 29, 35), ".####..#..#..####.");

    SetCoordMode(1);
    FillRectangle(0, 0, 400, 16);
    EXPECT_EQ(column(0, 381, 400), "..################.");
    EXPECT_EQ(count(0xFFFFFF, 0, 383, 400, 399), 400 * 16);
}

TEST_F(Draw, XorRectangleDrawsOnTheWindowOnlyAndUndoesItself) {
    SetColor3i(10, 20, 30);
    FillRectangle(0, 0, 50, 50);
    FlushBuffer();
    SetDoubleBuffer(1);
    DrawRectangleXOR(10, 10, 20, 15);
    EXPECT_EQ(GetWindowPixel(10, 10), 0xE1EBF5u); // each pixel inverted once
    EXPECT_EQ(GetWindowPixel(20, 15), 0xE1EBF5u);
    EXPECT_EQ(count(0xE1EBF5, 0, 0, 50, 50), 2 * 10 + 2 * 5);
    EXPECT_EQ(count(0x1E140A, 0, 0, 50, 50, true), 2500);
    DrawRectangleXOR(10, 10, 20, 15);
    EXPECT_EQ(count(0x1E140A, 0, 0, 50, 50), 2500);
}

TEST_F(Draw, PolygonsFillEvenOddWithTheBrushAsLastMade) {
    SetColor3i(0, 0, 255);
    FillRectangle(0, 0, 0, 0); // makes a blue brush, fills nothing
    SetColor3i(255, 0, 0);
    DrawLine(0, 0, 0, 0);      // makes a red pen, draws nothing
    SetColor3i(0, 255, 0);     // neither follows this colour
    Point2D square[4] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
    FillPolygon(square, 4);
    EXPECT_EQ(count(0xFF0000, 11, 11, 20, 20), 81);
    EXPECT_EQ(count(0xFF, 10, 10, 21, 21), 40);

    // A pentagram: its points are inside once, its centre twice.
    Point2D star[5] = {{300, 200}, {330, 290}, {255, 235}, {345, 235}, {270, 290}};
    FillPolygon(star, 5);
    EXPECT_EQ(GetWindowPixel(300, 255), 0u);
    EXPECT_EQ(GetWindowPixel(300, 220), 0xFF0000u);
    EXPECT_EQ(GetWindowPixel(322, 280), 0xFF0000u);

    SetColor3i(255, 255, 0);
    FillRectangle(0, 0, 0, 0);
    FillPolygon(square, 4);
    EXPECT_EQ(count(0xFFFF, 11, 11, 20, 20), 81);
}

TEST_F(Draw, TextCellSitsAboveTheMappedRow) {
    SetColor3i(0, 0, 255);
    FillRectangle(0, 0, 40, 40);
    SetColor3i(255, 255, 255);
    DrawString(0, 13, "A");
    const int lit = count(0xFFFFFF, 0, 0, 40, 40);
    EXPECT_GT(lit, 10);
    EXPECT_EQ(count(0xFFFFFF, 0, 0, 7, 13), lit);
    EXPECT_EQ(count(0xFF0000, 0, 0, 40, 40), 1600 - lit); // transparent background
    EXPECT_EQ(count(0xFFFFFF, 0, 0, 7, 2), 0);
    EXPECT_GT(count(0xFFFFFF, 0, 2, 7, 3), 0); // the cap line of 'A'

    SetCoordMode(1);
    DrawString(10, 13, "A"); // mapped row 386: cell rows 373..385
    EXPECT_EQ(count(0xFFFFFF, 10, 373, 17, 386), lit);
    // Bytes without a glyph take their cell and draw nothing; none crash.
    SetCoordMode(0);
    DrawString(100, 113, "\x01\x80\x9f\xa0\xff");
    EXPECT_EQ(count(0xFFFFFF, 100, 100, 128, 113), 0);
    EXPECT_GT(count(0xFFFFFF, 128, 100, 135, 113), 0);
    DrawString(396, 405, "WWW");
    DrawString(-10, 3, "WWW");
}

} // namespace
