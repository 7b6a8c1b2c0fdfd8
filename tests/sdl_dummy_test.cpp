// The SDL2 window backend on SDL's display-less video driver: presenting,
// pacing, translating keys, and failing without a display.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "grlib.h"

namespace {

// Runs first, before this process opens its window.
TEST(SdlWindowDeathTest, NoDisplayEndsTheProgramWithAMessage) {
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "x11", 1);
            unsetenv("DISPLAY");
            SetCanvasBackend(GR_BACKEND_WINDOW, 1);
            InitCanvas(64, 48, "t");
        },
        ::testing::ExitedWithCode(1), "no window could be opened");
}

struct SdlWindow : ::testing::Test {
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SetCanvasBackend(GR_BACKEND_WINDOW, 2);
        InitCanvas(64, 48, "t");
    }
    static void TearDownTestSuite() { CloseCanvas(); }
};

void push_sdl(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }

void push_text(const char *utf8) {
    SDL_Event e = {};
    e.type = SDL_TEXTINPUT;
    std::strcpy(e.text.text, utf8);
    push_sdl(e);
}

void push_keydown(SDL_Keycode sym, Uint16 mod) {
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    push_sdl(e);
}

int next_key() { return KbHit() ? GetKey() : -1; }

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(SdlWindow, TextAndControlKeysGiveEachPressOnce) {
    push_keydown(SDLK_a, KMOD_NONE);
    push_text("a");
    push_keydown(SDLK_c, KMOD_LCTRL);
    push_text("c"); // the same press, as some input methods report it
    push_keydown(SDLK_RETURN, KMOD_NONE);
    push_keydown(SDLK_DOWN, KMOD_NONE);
    push_text("\xC3\xA9\xE2\x82\xAC!"); // e-acute is Latin-1, the euro sign is not
    EXPECT_EQ(next_key(), 'a');
    EXPECT_EQ(next_key(), 3);
    EXPECT_EQ(next_key(), 13);
    EXPECT_EQ(next_key(), 0xE9);
    EXPECT_EQ(next_key(), '!');
    EXPECT_EQ(next_key(), -1);
}

TEST_F(SdlWindow, ADroppedFileReachesTheDropCallback) {
    static std::string dropped;
    SetDropFunc([](const char *path) { dropped = path; });
    SDL_Event e = {};
    e.type = SDL_DROPFILE;
    e.drop.file = SDL_strdup("/tmp/slice one.png"); // the receiver frees it
    push_sdl(e);
    EXPECT_EQ(next_key(), -1);
    EXPECT_EQ(dropped, "/tmp/slice one.png");
    SetDropFunc(nullptr);
}

TEST_F(SdlWindow, FramesArePacedToSixtyASecond) {
    SetDoubleBuffer(1);
    SetColor3i(255, 0, 0);
    auto start = std::chrono::steady_clock::now();
    FlushBuffer();
    for (int i = 0; i < 6; i++) {
        DrawPoint(i, i);
        FlushBuffer();
    }
    double ms = ms_since(start);
    SetDoubleBuffer(0);
    EXPECT_GE(ms, 5 * 16.0); // six intervals; the first may be short
    EXPECT_EQ(GetWindowPixel(5, 5), 0x0000FFu);
    // Live drawing is not paced.
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 6; i++) {
        DrawPoint(i, 0);
        FlushBuffer();
    }
    EXPECT_LT(ms_since(start), 50.0);
}

} // namespace
