// The event pump: characters, mouse callbacks and window events.
#include <vector>

#include "grlib_events.h"

namespace {

struct Call {
    int button, state;
    double x, y;
    bool operator==(const Call &o) const {
        return button == o.button && state == o.state && x == o.x && y == o.y;
    }
};
std::vector<Call> calls;
void record(int button, int state, double x, double y) { calls.push_back({button, state, x, y}); }

using Input = InputTest;

TEST_F(Input, CharactersArriveOneCallAtATime) {
    push_key(-1, NAV_DOWN); // no character: skipped
    push_key('a');
    push_key('b');
    push_key('c');
    ASSERT_EQ(KbHit(), 1);
    EXPECT_EQ(GetKey(), 'a'); // without pumping: 'b' stays queued
    ASSERT_EQ(KbHit(), 1);
    ASSERT_EQ(KbHit(), 1); // replaces 'b'
    EXPECT_EQ(KbHit(), 0); // an empty queue keeps it
    EXPECT_EQ(GetKey(), 'c');
}

TEST_F(Input, UpAndDownArriveOnlyWhenAskedFor) {
    SetArrowKeys(1);
    for (NavKey nav : {NAV_UP, NAV_LEFT, NAV_DOWN}) push_key(-1, nav); // Left stays without a code
    ASSERT_EQ(KbHit(), 1);
    EXPECT_EQ(GetKey(), GR_KEY_UP);
    ASSERT_EQ(KbHit(), 1);
    EXPECT_EQ(GetKey(), GR_KEY_DOWN);
    SetArrowKeys(0);
    push_key(-1, NAV_UP);
    EXPECT_EQ(KbHit(), 0);
}

TEST_F(Input, OnlyLeftDragsAreReportedAsMovement) {
    calls.clear();
    SetMouseFunc(record);
    push_event(PlatformEvent::MOUSE_MOVE, 1, 1);
    push_event(PlatformEvent::BUTTON_DOWN, 10, 20, 1);
    push_event(PlatformEvent::MOUSE_MOVE, 11, 21);
    push_event(PlatformEvent::MOUSE_MOVE, 12, 22);
    push_event(PlatformEvent::BUTTON_UP, 13, 23, 1);
    push_event(PlatformEvent::MOUSE_MOVE, 14, 24);
    push_event(PlatformEvent::BUTTON_DOWN, 15, 25, 3);
    push_event(PlatformEvent::MOUSE_MOVE, 16, 26);
    push_event(PlatformEvent::BUTTON_UP, 17, 27, 3);
    EXPECT_EQ(KbHit(), 0);
    std::vector<Call> want = {{1, 0, 10, 20}, {1, 2, 11, 21}, {1, 2, 12, 22},
                              {1, 1, 13, 23}, {3, 0, 15, 25}, {3, 1, 17, 27}};
    EXPECT_EQ(calls, want);
}

TEST_F(Input, CoordinatesFollowModeAndOffset) {
    calls.clear();
    SetMouseFunc(record);
    SetCoordOffset(5, 7);
    push_event(PlatformEvent::BUTTON_DOWN, 399, 399, 3);
    KbHit();
    SetCoordMode(1);
    push_event(PlatformEvent::BUTTON_DOWN, 0, 0, 3);
    push_event(PlatformEvent::BUTTON_DOWN, 450, 420, 3); // beyond the canvas: not clipped
    KbHit();
    std::vector<Call> want = {{3, 0, 394, 392}, {3, 0, -5, 392}, {3, 0, 445, -28}};
    EXPECT_EQ(calls, want);
}

TEST_F(Input, ExposeRepaintsFromTheBackBuffer) {
    SetColor3i(10, 20, 30);
    DrawPoint(3, 4);
    FlushBuffer();
    SetColor3i(200, 0, 0);
    DrawPoint(3, 4);
    push_event(PlatformEvent::EXPOSE);
    EXPECT_EQ(KbHit(), 0);
    EXPECT_EQ(GetWindowPixel(3, 4), PACK_RGB(10, 20, 30));
}

} // namespace
