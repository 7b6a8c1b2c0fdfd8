// The dispatcher, the status line and the command line.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/commands.h"
#include "platform.h"
#include "radon_test_canvas.h"

namespace {

struct Shell : ::testing::Test {
    void SetUp() override {
        ensureTestCanvas();
        batch_mode = 1;
        SetDoubleBuffer(0);
        headless_clear_events();
        if (Nw != 60 || Np != 128) initRadon(60, 128);
        head = head0;
        use_fft = 0;
    }
};

const uint32_t text_grey = 0xB2B2B2; // level 0.7 of white

TEST_F(Shell, StatusLineIsABlackBarWithGreyTextFromColumnTen) {
    SetColoredGray(&C, 1.0);
    FillRectangle(0, 0, 400, 400);
    Pause("Hit return.", 0);
    int min_row = 400, max_row = -1, min_col = 400;
    for (int y = 0; y < 16; y++) {
        for (int x = 0; x < 400; x++) {
            uint32_t p = GetWindowPixel(x, y);
            ASSERT_TRUE(p == 0 || p == text_grey) << x << "," << y;
            if (p == text_grey) {
                min_row = std::min(min_row, y);
                max_row = std::max(max_row, y);
                min_col = std::min(min_col, x);
            }
        }
    }
    EXPECT_GE(min_row, 1);
    EXPECT_LE(max_row, 13);
    EXPECT_GE(min_col, 10);
    EXPECT_LT(min_col, 17);
    EXPECT_EQ(GetWindowPixel(0, 16), 0xFFFFFFu);
    // Flushed at once: the stored picture holds the message too.
    EXPECT_EQ(GetBackPixel(0, 0), 0u);
}

// Text on a row from y0 to y0 + 13: the columns it reaches.
int lastTextColumn(int y0) {
    int last = -1;
    for (int y = y0; y < y0 + 13; y++)
        for (int x = 0; x < 400; x++)
            if (GetWindowPixel(x, y) == text_grey) last = std::max(last, x);
    return last;
}

TEST_F(Shell, AStatusTooLongForOneRowGoesOnInASecondAtABlank) {
    SetColoredGray(&C, 1.0);
    FillRectangle(0, 0, 400, 400);
    // 55 characters fit; the 56th would start at column 395.
    Pause("The object's 2-D spectrum: the slices lie on it. Hit Return to Continue.", 0);
    EXPECT_GT(lastTextColumn(1), 300);       // "... it. Hit"
    EXPECT_LT(lastTextColumn(1), 400 - 7);
    EXPECT_GT(lastTextColumn(15), 100);      // "Return to Continue."
    EXPECT_LT(lastTextColumn(15), 10 + 7 * 19);
    EXPECT_EQ(GetWindowPixel(0, 29), 0u);    // the bar is two rows high
    EXPECT_EQ(GetWindowPixel(0, 30), 0xFFFFFFu);
}

TEST_F(Shell, TheKeyThatEndsAWaitIsNeverRunAsACommand) {
    batch_mode = 0;
    PlatformEvent key{PlatformEvent::KEY};
    key.ch = 'q';
    headless_push_event(key);
    Pause("Hit Return to Continue.", 1);
    EXPECT_EQ(KbHit(), 0); // the loop sees nothing new
}

TEST_F(Shell, EveryCodeClearsShowIntegralAndUnknownCodesDoNothing) {
    drawHead();
    for (int code : {13, 0, 27, (int)'x', 255, 999, 3005, 3105}) {
        show_integral = 1;
        have_rdn = 1;
        actionfunc(code);
        EXPECT_EQ(show_integral, 0) << code;
        EXPECT_EQ(have_rdn, 1) << code;
    }
    EXPECT_EQ(GetWindowPixel(200, 200), 0xFFFFFFu);
}

TEST_F(Shell, UseFftToggleClearsTheFilteredSinogramOnly) {
    have_rdn = 1;
    have_fbp = 1;
    actionfunc('F');
    EXPECT_EQ(use_fft, 1);
    EXPECT_EQ(have_fbp, 0);
    EXPECT_EQ(have_rdn, 1);
    actionfunc('F');
    EXPECT_EQ(use_fft, 0);
}

TEST_F(Shell, GridPresetsRebuildTheGridAndOnlyTouchTheStatusLine) {
    drawHead();
    uint32_t centre = GetWindowPixel(200, 200);
    testing::internal::CaptureStdout();
    actionfunc(1001);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(Nw, 30);
    EXPECT_EQ(Np, 64); // the label says 50
    EXPECT_EQ(out, "Nw= 30,Np= 64\n");
    EXPECT_EQ(GetWindowPixel(200, 200), centre);
    const int presets[][3] = {{1002, 60, 128}, {1003, 100, 256}, {1004, 200, 512}};
    for (const auto &p : presets) {
        have_rdn = have_fbp = 1;
        testing::internal::CaptureStdout();
        actionfunc(p[0]);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(Nw, p[1]);
        EXPECT_EQ(Np, p[2]);
        EXPECT_EQ(have_rdn + have_fbp, 0);
    }
}

TEST_F(Shell, ChoosingAnObjectDiscardsTheSinogramButRedrawingKeepsIt) {
    have_rdn = have_fbp = 1;
    actionfunc('h');
    EXPECT_EQ(have_rdn + have_fbp, 2);
    Object objects[] = {head0, head1, head2, head3, head4};
    for (int i = 0; i < 5; i++) {
        have_rdn = have_fbp = 1;
        actionfunc(2000 + i);
        EXPECT_EQ(head, objects[i]);
        EXPECT_EQ(have_rdn + have_fbp, 0);
    }
    EXPECT_EQ(GetWindowPixel(200, 200), 0x333333u); // Box1's core, density 0.2
    actionfunc(2001);                               // Disk0, density 0.8
    EXPECT_EQ(GetWindowPixel(200, 200), 0xCCCCCCu);
}

// A new row must not take a key or id that another already has, and an
// entry with a key keeps the key's code as its id (scripts rely on it),
// unless it is numbered from 1000 as the lists' entries are (no key's code is).
TEST(CommandTable, KeysAndIdsAreUniqueAndAKeysEntryHasItsCode) {
    std::set<int> keys, ids;
    for (const Command &command : commands) {
        if (command.key) {
            EXPECT_TRUE(keys.insert(command.key).second) << (char)command.key;
        }
        if (command.id) {
            EXPECT_TRUE(ids.insert(command.id).second) << command.id;
            EXPECT_TRUE(isMenuEntry(command.id)) << command.label;
        }
        if (command.key && command.id && command.id < 1000) {
            EXPECT_EQ(command.id, command.key) << command.label;
        }
        EXPECT_TRUE(command.run || command.submenu) << command.label;
    }
    for (int id : {1001, 2000, 3004, 3104, 3205, 3303, 3401}) EXPECT_TRUE(isMenuEntry(id)) << id;
    EXPECT_FALSE(isMenuEntry(0));
}

TEST(CommandLine, BatchCommandsAreKeysAndMenuChoices) {
    std::vector<BatchStep> steps;
    std::string error;
    ASSERT_TRUE(parseBatchCommands(" {2001} R\ts{1004}", &steps, &error));
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_TRUE(steps[0].menu);
    EXPECT_EQ(steps[0].code, 2001);
    EXPECT_FALSE(steps[1].menu);
    EXPECT_EQ(steps[1].code, 'R');
    EXPECT_EQ(steps[3].code, 1004);
    EXPECT_TRUE(parseBatchCommands("", &steps, &error));
    EXPECT_TRUE(steps.empty());
}

TEST(CommandLine, BadBatchCommandsNameTheProblem) {
    std::vector<BatchStep> steps;
    std::string error;
    // Entries with submenus, unknown ids, non-numbers and unclosed braces.
    for (const char *bad : {"{0}", "{1005}", "{abc}", "{}", "{-1}", "R {2001", "{99999999999}"}) {
        error.clear();
        EXPECT_FALSE(parseBatchCommands(bad, &steps, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    parseBatchCommands("R {2001", &steps, &error);
    EXPECT_NE(error.find("unclosed brace"), std::string::npos);
    EXPECT_TRUE(parseBatchCommands("{104}{113}", &steps, &error)); // ids of keys are entries too
}

TEST(CommandLine, Options) {
    auto parse = [](std::vector<std::string> args, Options *o, std::string *e) {
        std::vector<char *> argv = {(char *)"radon"};
        for (auto &a : args) argv.push_back(&a[0]);
        return parseCommandLine((int)argv.size(), argv.data(), o, e);
    };
    Options o;
    std::string e;
    EXPECT_TRUE(parse({}, &o, &e));
    EXPECT_FALSE(o.batch);
    EXPECT_EQ(o.zoom, 1);
    Options z;
    EXPECT_TRUE(parse({"--zoom", "3"}, &z, &e));
    EXPECT_EQ(z.zoom, 3);
    for (auto bad : std::vector<std::vector<std::string>>{
             {"--zoom"}, {"--zoom", "5"}, {"--zoom", "0"}, {"--zoom", "2x"}, {"--batch"}, {"-x"}, {"R"}}) {
        Options b;
        e.clear();
        EXPECT_FALSE(parse(bad, &b, &e));
        EXPECT_FALSE(e.empty());
    }
    // The GNU convention: --help in a well-formed line, whatever COMMANDS say;
    // a malformed line is refused even with --help, which is no option's value.
    Options h;
    EXPECT_TRUE(parse({"--batch", "{9999}", "--help"}, &h, &e));
    EXPECT_TRUE(h.help);
    EXPECT_FALSE(parse({"--help", "--bogus"}, &h, &e));
    EXPECT_FALSE(parse({"--zoom", "--help"}, &h, &e));
    EXPECT_EQ(e, "--zoom needs a number from 1 to 4, not \"--help\"");
    // A repeat is refused for every option, whether its values agree or not.
    for (auto twice : std::vector<std::vector<std::string>>{{"--seed", "1", "--seed", "1"},
                                                            {"--zoom", "2", "--zoom", "3"},
                                                            {"--batch", "h", "--batch", "r"},
                                                            {"--object", "a", "--object", "b"},
                                                            {"-h", "--help"}}) {
        Options t;
        EXPECT_FALSE(parse(twice, &t, &e));
        EXPECT_EQ(e, (twice[0] == "-h" ? "--help" : twice[0]) + " given twice");
    }
    // An empty name is a name: refused when read, not taken for none.
    Options n;
    EXPECT_TRUE(parse({"--object", ""}, &n, &e));
    EXPECT_EQ(n.object, "");
}

} // namespace
