// A picture file as the test object: grey values, placement, interpolation,
// the menu entry and dropped files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "scan/image_object.h"
#include "scan/objects.h"
#include "platform.h"
#include "radon_test_canvas.h"

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

// An uncompressed 32-bit TGA, top row first, in the test's temporary directory.
std::string writeTga(const char *name, int w, int h, const std::vector<Rgba> &pixels) {
    std::string path = testing::TempDir() + name;
    std::FILE *fp = std::fopen(path.c_str(), "wb");
    const uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, (uint8_t)w, (uint8_t)(w >> 8),
                                (uint8_t)h, (uint8_t)(h >> 8), 32, 0x28};
    std::fwrite(header, 1, sizeof header, fp);
    for (const Rgba &p : pixels) {
        const uint8_t bgra[4] = {p.b, p.g, p.r, p.a};
        std::fwrite(bgra, 1, 4, fp);
    }
    std::fclose(fp);
    return path;
}

void load(const std::string &path) {
    std::string error;
    ASSERT_TRUE(loadImageObject(path.c_str(), &error)) << error;
}

TEST(Picture, GreyIsLuminanceTimesOpacity) {
    load(writeTga("grey.tga", 1, 3, {{255, 0, 0, 255}, {0, 255, 0, 51}, {255, 255, 255, 128}}));
    // 1 x 3: pixels of side 1.2, their centres at y = 1.2, 0, -1.2.
    EXPECT_DOUBLE_EQ(imageObject(0, 1.2), 0.299);
    EXPECT_DOUBLE_EQ(imageObject(0, 0), 0.587 * 0.2);
    EXPECT_DOUBLE_EQ(imageObject(0, -1.2), 128 / 255.0);
    EXPECT_EQ(pictureGrey(0, 0, 0, 255), 0.0);
    EXPECT_EQ(pictureGrey(200, 100, 50, 0), 0.0);
}

TEST(Picture, PlacementAndBilinearValuesWithTheBorderHeld) {
    // 2 x 1: pixels of side 1.8 covering |x| <= 1.8, |y| <= 0.9.
    load(writeTga("wide.tga", 2, 1, {{255, 255, 255, 255}, {0, 0, 0, 255}}));
    const double white = pictureGrey(255, 255, 255, 255);
    EXPECT_EQ(imageObject(-0.9, 0), white);
    EXPECT_EQ(imageObject(0.9, 0.5), 0.0);
    EXPECT_DOUBLE_EQ(imageObject(0, 0), 0.5 * white);
    EXPECT_DOUBLE_EQ(imageObject(-0.45, -0.3), 0.75 * white);
    EXPECT_EQ(imageObject(-1.8, 0.9), white); // the corner: inside, the border pixel's value
    EXPECT_EQ(imageObject(-1.81, 0), 0.0);
    EXPECT_EQ(imageObject(-1, 0.91), 0.0);
    EXPECT_DOUBLE_EQ(objectRadius(imageObject), std::sqrt(1.8 * 1.8 + 0.9 * 0.9));

    // 1 x 3: the top row at the top, and between rows a blend of the two.
    load(writeTga("tall.tga", 1, 3, {{0, 0, 0, 255}, {0, 0, 0, 255}, {255, 255, 255, 255}}));
    EXPECT_EQ(imageObject(0.59, 1.79), 0.0);
    EXPECT_EQ(imageObject(-0.59, -1.79), white);
    EXPECT_DOUBLE_EQ(imageObject(0, -0.9), 0.75 * white);
    EXPECT_EQ(imageObject(0.61, -1.2), 0.0);
    EXPECT_EQ(imageWidth(), 1);
    EXPECT_EQ(imageHeight(), 3);
}

TEST(Picture, TheMenuOffersThePictureOnlyOnceLoadedAndABadFileChangesNothing) {
    ensureTestCanvas();
    std::vector<BatchStep> steps;
    std::string error;
    EXPECT_FALSE(parseBatchCommands("{2005}", &steps, &error));
    EXPECT_FALSE(loadObjectFile("/nonexistent.png", &error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(parseBatchCommands("{2005}", &steps, &error));

    std::string path = writeTga("menu.tga", 2, 1, {{255, 255, 255, 255}, {255, 255, 255, 255}});
    ASSERT_TRUE(loadObjectFile(path.c_str(), &error)) << error;
    EXPECT_TRUE(parseBatchCommands("{2005}", &steps, &error));
    EXPECT_STREQ(chobj.item[5].label, "Image");
    EXPECT_EQ(chobj.item[6].label, nullptr);
    head = head0;
    actionfunc(2005);
    EXPECT_EQ(head, imageObject);
    EXPECT_EQ(GetWindowPixel(200, 200), 0xFFFFFFu);
    EXPECT_EQ(GetWindowPixel(200, 100), 0u); // y = 1.5, above the picture
}

TEST(Picture, ADroppedFileIsSelectedAndDrawnOrTheStatusLineSaysWhyNot) {
    ensureTestCanvas();
    head = head1;
    auto drop = [](const std::string &path) {
        PlatformEvent ev;
        ev.type = PlatformEvent::DROP;
        ev.path = path;
        headless_push_event(ev);
        testing::internal::CaptureStdout();
        KbHit();
        return testing::internal::GetCapturedStdout();
    };
    SetDropFunc(dropped);
    EXPECT_EQ(drop(testing::TempDir() + "missing.png"), "can't read missing.png: No such file or directory\n");
    EXPECT_EQ(head, head1);
    // A FIFO would block the open, and the window with it.
    const std::string fifo = testing::TempDir() + "dropped.fifo";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(drop(fifo), "can't read dropped.fifo: not a regular file\n");
    std::remove(fifo.c_str());
    std::string path = writeTga("dropped.tga", 3, 2, std::vector<Rgba>(6, {255, 255, 255, 255}));
    EXPECT_EQ(drop(path), "Image: dropped.tga (3 x 2)\n");
    EXPECT_EQ(head, imageObject);
    EXPECT_EQ(GetWindowPixel(200, 200), 0xFFFFFFu);
    SetDropFunc(nullptr);
}

// The RMS line that "e" ends with.
std::string errorLine() {
    testing::internal::CaptureStdout();
    actionfunc('e');
    const std::string out = testing::internal::GetCapturedStdout();
    return out.substr(out.rfind("RMS error"));
}

TEST(Picture, ASecondPictureIsAnObjectOfItsOwn) {
    ensureTestCanvas();
    actionfunc(1001);
    chooseNoise(&noise_choices[0]);
    const std::string a = writeTga("a.tga", 2, 2, std::vector<Rgba>(4, {255, 255, 255, 255}));
    const std::string b = writeTga("b.tga", 1, 2, {{0, 0, 0, 255}, {128, 128, 128, 255}});
    std::string error;
    ASSERT_TRUE(loadObjectFile(a.c_str(), &error)) << error;
    actionfunc(2005);
    actionfunc('R');
    testing::internal::CaptureStdout();
    dropped(b.c_str());
    testing::internal::GetCapturedStdout();
    // The error of the second picture's own reconstruction, not of the first's.
    const std::string after_drop = errorLine();
    actionfunc('R');
    EXPECT_EQ(after_drop, errorLine());
    actionfunc(1002);
}

} // namespace
