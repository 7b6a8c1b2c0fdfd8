// The popup menu: choosing by keys and clicks, cancelling, and what the
// window shows meanwhile.
#include <string>
#include <vector>

#include "grlib_events.h"
#include "menu_layout.h"

using grlib::MenuRect;

namespace {

MenuItem sub_items[] = {{"Alpha", 11, nullptr, 0}, {"Beta", 12, nullptr, 0}, {"Gamma", 13, nullptr, 0},
                        {nullptr, 0, nullptr, 0}};
Menu sub = {sub_items, nullptr, 0, 0};
MenuItem top_items[] = {{"More", 0, &sub, 0}, {"One", 1, nullptr, 0}, {"Two", 2, nullptr, 0},
                        {"Zero", 0, nullptr, 0}, {nullptr, 0, nullptr, 0}};
Menu top = {top_items, nullptr, 0, 0};

std::vector<int> chosen;
void record(int id) { chosen.push_back(id); }

// Where the panels lie when the menu opens at (px, py).
MenuRect top_panel(int px, int py) { return grlib::place_menu(grlib::menu_panel_size(4, 4), px, py, 400, 400); }
MenuRect sub_panel(const MenuRect &t) { return grlib::place_submenu(grlib::menu_panel_size(3, 5), t, 0, 400, 400); }

void push_at_entry(PlatformEvent::Type type, const MenuRect &panel, int i, int button = 0) {
    MenuRect e = grlib::menu_entry(panel, i);
    push_event(type, e.x + e.w / 2, e.y + e.h / 2, button);
}

// Runs the menu over the queued events; returns what was chosen.
std::vector<int> run_menu(int px, int py) {
    chosen.clear();
    headless_set_pointer(px, py);
    PopupMenu(&top, record);
    return chosen;
}

using PopupMenuTest = InputTest;

TEST_F(PopupMenuTest, KeysWalkTheTree) {
    // Right opens "More" with "Alpha" highlighted.
    push_navs({NAV_DOWN, NAV_RIGHT, NAV_DOWN, NAV_RETURN});
    EXPECT_EQ(run_menu(50, 50), std::vector<int>{12});
    // Left goes back to "More"; Up wraps to "Zero"; characters do nothing here.
    push_navs({NAV_DOWN, NAV_RIGHT, NAV_LEFT, NAV_UP, NAV_UP});
    push_key('x');
    push_navs({NAV_RETURN});
    EXPECT_EQ(run_menu(50, 50), std::vector<int>{2});
    // "Zero": id 0 is never reported.
    push_navs({NAV_UP, NAV_RETURN});
    EXPECT_EQ(run_menu(50, 50), std::vector<int>{});
    // Escape closes the submenu, then the menu; the key after it stays queued.
    push_navs({NAV_DOWN, NAV_RETURN, NAV_ESCAPE, NAV_ESCAPE, NAV_RETURN});
    EXPECT_EQ(run_menu(50, 50), std::vector<int>{});
    EXPECT_EQ(KbHit(), 1);
}

TEST_F(PopupMenuTest, ClicksChooseOrCancel) {
    MenuRect t = top_panel(100, 80), s = sub_panel(t);
    push_event(PlatformEvent::BUTTON_UP, 100, 80, 3);
    push_at_entry(PlatformEvent::MOUSE_MOVE, t, 0); // opens the submenu
    push_at_entry(PlatformEvent::MOUSE_MOVE, s, 2);
    push_at_entry(PlatformEvent::BUTTON_UP, s, 2, 3);
    EXPECT_EQ(run_menu(100, 80), std::vector<int>{13});

    // In the corner the menu moves under the pointer: the release there
    // chooses nothing, a press does.
    ASSERT_TRUE(grlib::menu_entry(top_panel(390, 350), 1).contains(390, 350));
    push_event(PlatformEvent::MOUSE_MOVE, 390, 350);
    push_event(PlatformEvent::BUTTON_UP, 390, 350, 1);
    push_event(PlatformEvent::BUTTON_DOWN, 390, 350, 1);
    EXPECT_EQ(run_menu(390, 350), std::vector<int>{1});

    // A press outside cancels; the key after it is not lost.
    push_event(PlatformEvent::BUTTON_DOWN, t.x + t.w + 20, t.y, 1);
    push_key('q');
    EXPECT_EQ(run_menu(100, 80), std::vector<int>{});
    ASSERT_EQ(KbHit(), 1);
    EXPECT_EQ(GetKey(), 'q');
}

TEST_F(PopupMenuTest, PanelsStayOnTheCanvas) {
    MenuRect t = top_panel(399, 390), s = sub_panel(t);
    EXPECT_EQ(t.x + t.w, 400);
    EXPECT_EQ(t.y + t.h, 400);
    EXPECT_EQ(s.x + s.w, t.x + 2); // to the left
    // Too wide for either side: against the right edge, over the parent.
    MenuRect wide = {60, 80, 238, 176};
    s = grlib::place_submenu(grlib::menu_panel_size(4, 16), wide, 3, 400, 400);
    EXPECT_EQ(s.x + s.w, 400);
    EXPECT_EQ(grlib::menu_entry(s, 0).y, grlib::menu_entry(wide, 3).y);
}

TEST_F(PopupMenuTest, TheFirstTableAndCallbackStay) {
    push_navs({NAV_ESCAPE});
    run_menu(50, 50);
    static MenuItem other_items[] = {{"Other", 99, nullptr, 0}, {nullptr, 0, nullptr, 0}};
    static Menu other = {other_items, nullptr, 0, 0};
    push_navs({NAV_DOWN, NAV_DOWN, NAV_RETURN});
    PopupMenu(&other, [](int) { ADD_FAILURE() << "a later callback was used"; });
    EXPECT_EQ(chosen, std::vector<int>{1});
}

// Opened by a left press, the menu takes the release: later movement is a drag.
std::vector<int> states;
TEST_F(PopupMenuTest, ReleaseTakenByTheMenuLeavesTheButtonDown) {
    states.clear();
    SetMouseFunc([](int, int state, double, double) {
        states.push_back(state);
        if (state == 0) PopupMenu(&top, record);
    });
    push_event(PlatformEvent::BUTTON_DOWN, 50, 50, 1);
    push_event(PlatformEvent::BUTTON_UP, 50, 50, 1);
    push_navs({NAV_ESCAPE});
    push_event(PlatformEvent::MOUSE_MOVE, 60, 60);
    EXPECT_EQ(KbHit(), 0);
    EXPECT_EQ(states, (std::vector<int>{0, 2}));
}

// The menu is drawn over what is presented, never into the window surface.
std::vector<std::vector<uint32_t>> frames;
TEST_F(PopupMenuTest, ShownOverTheWindowWhichStaysUntouched) {
    Platform spy = platform_none;
    spy.present = [](const uint32_t *p, int w, int h, bool) { frames.emplace_back(p, p + w * h); };
    const Platform *saved = grlib::platform;
    grlib::platform = &spy;
    frames.clear();
    const uint32_t bg = PACK_RGB(0, 90, 0);
    SetColor3i(0, 90, 0);
    FillRectangle(0, 0, 400, 400);
    FlushBuffer();
    std::vector<uint32_t> before = grlib::window_surface.pixels;
    push_navs({NAV_DOWN, NAV_DOWN}); // "One" highlighted
    push_event(PlatformEvent::EXPOSE);
    push_navs({NAV_ESCAPE});
    run_menu(120, 100);
    grlib::platform = saved;

    ASSERT_GE(frames.size(), 2u);
    const std::vector<uint32_t> &open = frames[frames.size() - 2];
    auto at = [&](int x, int y) { return open[(size_t)y * 400 + x]; };
    MenuRect t = top_panel(120, 100), one = grlib::menu_entry(t, 1), two = grlib::menu_entry(t, 2);
    EXPECT_NE(at(t.x + 1, t.y + 1), bg);
    EXPECT_NE(at(one.x + 2, one.y + 1), at(two.x + 2, two.y + 1));
    EXPECT_EQ(at(t.x - 1, t.y), bg);
    EXPECT_EQ(at(t.x + t.w, t.y), bg);
    EXPECT_TRUE(frames.back() == before);
    EXPECT_TRUE(grlib::window_surface.pixels == before);
}

std::vector<std::string> drops;

void push_drop(const char *path) {
    PlatformEvent ev;
    ev.type = PlatformEvent::DROP;
    ev.path = path;
    headless_push_event(ev);
}

TEST_F(PopupMenuTest, AFileDroppedDuringAWaitOrWithTheMenuOpenIsTakenAfterwards) {
    drops.clear();
    // A wait takes no drops: the last file dropped is held, not lost.
    SetDropFunc(nullptr);
    push_drop("a.png");
    push_drop("b.png");
    push_key('x');
    EXPECT_EQ(KbHit(), 1);
    SetDropFunc([](const char *path) { drops.push_back(path); });
    EXPECT_EQ(KbHit(), 0);
    EXPECT_EQ(drops, std::vector<std::string>{"b.png"});
    // The open menu neither: the file is taken once it is closed, once.
    push_drop("c.png");
    push_navs({NAV_ESCAPE});
    EXPECT_EQ(run_menu(50, 50), std::vector<int>{});
    EXPECT_EQ(drops.size(), 1u);
    KbHit();
    KbHit();
    EXPECT_EQ(drops, (std::vector<std::string>{"b.png", "c.png"}));
    SetDropFunc(nullptr);
}

} // namespace
