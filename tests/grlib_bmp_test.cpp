// BMP export on the no-window canvas: bytes, messages and failures.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "canvas_state.h"
#include "grlib_test_canvas.h"

namespace {

namespace fs = std::filesystem;

using Bmp = CanvasTest;

std::vector<unsigned char> slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le(const std::vector<unsigned char> &b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = v << 8 | b[at + i];
    return v;
}

std::string scratch(const std::string &name) {
    return (fs::temp_directory_path() / ("grlib_bmp_" + std::to_string(getpid()) + "_" + name)).string();
}

// Green message pixels in the cell rows of the message at row y.
int messagePixels(int y) { return CanvasTest::count(0x00FF00, 150, y, 400, y + 13); }

TEST_F(Bmp, SavesTheBackBufferBottomRowFirst) {
    SetColor3i(255, 0, 0);
    DrawPoint(0, 0);
    SetColor3i(1, 2, 3);
    DrawPoint(0, 399);
    FlushBuffer();
    DrawPoint(5, 399); // drawn on the window after the flush: not saved
    const std::string path = scratch(std::string(150, 'n') + ".bmp"); // longer than any fixed buffer
    SaveImageAs(path.c_str());
    const std::vector<unsigned char> b = slurp(path);
    fs::remove(path);

    ASSERT_EQ(b.size(), 480054u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    const uint32_t fields[][3] = {{2, 4, 480054}, {6, 4, 0},  {10, 4, 54}, {14, 4, 40}, {18, 4, 400},
                                  {22, 4, 400},   {26, 2, 1}, {28, 2, 24}, {30, 4, 0},  {34, 4, 0},
                                  {38, 4, 0},     {42, 4, 0}, {46, 4, 0},  {50, 4, 0}};
    for (const auto &f : fields) EXPECT_EQ(le(b, f[0], (int)f[1]), f[2]) << "offset " << f[0];
    EXPECT_EQ(le(b, 54 + 399 * 1200, 3), 0xFF0000u); // top-left red: 0, 0, 255
    EXPECT_EQ(le(b, 54, 3), 0x010203u);              // bottom-left: blue, green, red
    EXPECT_EQ(le(b, 54 + 15, 3), 0u);

    // Both messages are on the window, in green, and not in the file.
    EXPECT_GT(messagePixels(186), 0);
    EXPECT_GT(messagePixels(206), 0);
    for (size_t i = 54; i + 2 < b.size(); i += 3) ASSERT_NE(le(b, i, 3), 0x00FF00u) << i;
    DrawPoint(7, 7);
    EXPECT_EQ(GetWindowPixel(7, 7), 0x00FF00u);
}

TEST_F(Bmp, DoubleBufferedDrawingIsSavedBeforeItIsFlushed) {
    SetDoubleBuffer(1);
    DrawPoint(0, 0);
    const std::string path = scratch("double.bmp");
    SaveImageAs(path.c_str());
    const std::vector<unsigned char> b = slurp(path);
    fs::remove(path);
    ASSERT_EQ(b.size(), 480054u);
    EXPECT_EQ(le(b, 54 + 399 * 1200, 3), 0xFFFFFFu);
}

TEST_F(Bmp, RowsArePaddedToFourBytes) {
    SetDoubleBuffer(1);
    SetColor3i(10, 20, 30);
    FillRectangle(0, 0, 7, 2);
    for (int w = 1; w <= 7; w++) {
        FILE *fp = std::tmpfile();
        ASSERT_TRUE(grlib::save_bmp24(fp, 0, 0, w, 2));
        std::vector<unsigned char> b((size_t)std::ftell(fp));
        std::rewind(fp);
        ASSERT_EQ(std::fread(b.data(), 1, b.size(), fp), b.size());
        std::fclose(fp);
        const size_t row = 3 * w + w % 4;
        ASSERT_EQ(b.size(), 54 + 2 * row) << w;
        EXPECT_EQ(le(b, 2, 4), b.size());
        EXPECT_EQ(le(b, 18, 4), (uint32_t)w);
        for (size_t r = 0; r < 2; r++) {
            EXPECT_EQ(le(b, 54 + r * row + 3 * (w - 1), 3), 0x0A141Eu);
            for (size_t pad = 3 * w; pad < row; pad++) EXPECT_EQ(b[54 + r * row + pad], 0) << w;
        }
    }
}

TEST_F(Bmp, AFileThatCannotBeOpenedChangesNothing) {
    SetColor3i(1, 2, 3);
    testing::internal::CaptureStderr();
    EXPECT_EQ(SaveImageAs("/nonexistent-dir/x.bmp"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(SaveError(), "can't open /nonexistent-dir/x.bmp: No such file or directory");
    // A device at the name is left in place (making one needs root).
    const std::string device = scratch("full");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        EXPECT_EQ(SaveImageAs(device.c_str()), 0);
        EXPECT_EQ(SaveError(), "can't open " + device + ": File exists");
        EXPECT_TRUE(fs::is_character_file(device));
        fs::remove(device);
    }
    EXPECT_EQ(count(0, 0, 0, 400, 400), 160000);
    DrawPoint(0, 0);
    EXPECT_EQ(GetWindowPixel(0, 0), 0x030201u);
}

// A save that fails half-way (here past a file-size limit) leaves the earlier
// file as it was and nothing else in its directory.
TEST_F(Bmp, AFailedWriteKeepsTheEarlierFile) {
    const fs::path dir = scratch("dir");
    fs::create_directory(dir);
    const std::string path = (dir / "x.bmp").string();
    std::ofstream(path) << "earlier";
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const int ok = SaveImageAs(path.c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(SaveError(), "can't write " + path + ": File too large");
    EXPECT_GT(messagePixels(186), 0);
    EXPECT_EQ(messagePixels(206), 0);
    const std::vector<unsigned char> b = slurp(path);
    EXPECT_EQ(std::string(b.begin(), b.end()), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    // A save that works clears the message.
    EXPECT_EQ(SaveImageAs(path.c_str()), 1);
    EXPECT_STREQ(SaveError(), "");
    EXPECT_EQ(slurp(path).size(), 480054u);
    fs::remove_all(dir);
}

} // namespace
