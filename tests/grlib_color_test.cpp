// Mapping and colours on the no-window canvas.
#include <gtest/gtest.h>

#include "grlib.h"

namespace {

struct Canvas : ::testing::Test {
    static void SetUpTestSuite() {
        SetCanvasBackend(GR_BACKEND_NONE, 1);
        InitCanvas(400, 400, "test");
    }
    void SetUp() override {
        SetCoordMode(0);
        SetCoordOffset(0, 0);
        SetDoubleBuffer(0);
    }
};

TEST_F(Canvas, MappingTruncatesTowardZeroAfterAddingATenth) {
    SetColor3i(1, 2, 3);
    DrawPoint(2.95, 7.0);
    EXPECT_EQ(GetWindowPixel(3, 7), 0x030201u);
    SetColor3i(9, 9, 9);
    DrawPoint(-0.5, 0);
    EXPECT_EQ(GetWindowPixel(0, 0), 0x090909u);
}

TEST_F(Canvas, SignedGreyLevels) {
    Color white = {255, 255, 255, 0, nullptr};
    SetColoredGray(&white, -1);
    DrawPoint(5, 5);
    EXPECT_EQ(GetWindowPixel(5, 5), 0x7F7FFFu);
    SetGray(-1);
    DrawPoint(5, 5);
    EXPECT_EQ(GetWindowPixel(5, 5), 0x8080FFu);
}

} // namespace
