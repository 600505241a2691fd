#include "window/DragGesture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Step = DragGesture::Step;

// One pointer event after a press at (100, 100) on a window at (10, 20).
struct Event {
    enum Kind { Move, Release, SystemMove } kind;
    QPoint pointer;    // Move
    bool held = true;  // Move: the left button still down; SystemMove: accepted
    Step step = Step::None;
};

struct Case {
    const char *name;
    std::vector<Event> events;
    bool click; // what the final release reports
    QPoint windowAt = QPoint(-1, -1); // where a following window stands at the end
};

class DragGestures : public ::testing::TestWithParam<Case>
{
};

TEST_P(DragGestures, ClickOrMove)
{
    const Case &c = GetParam();
    DragGesture g;
    g.press(QPoint(100, 100), QPoint(10, 20));
    bool click = false;
    QPoint last;
    for (const Event &e : c.events) {
        switch (e.kind) {
        case Event::Move:
            EXPECT_EQ(g.move(e.pointer, e.held), e.step) << "at " << e.pointer.x() << "," << e.pointer.y();
            last = e.pointer;
            break;
        case Event::SystemMove:
            g.systemMoveStarted(e.held);
            break;
        case Event::Release:
            click = g.release();
            break;
        }
    }
    EXPECT_EQ(click, c.click);
    if (c.windowAt != QPoint(-1, -1)) {
        EXPECT_EQ(g.followPosition(last), c.windowAt);
    }
    EXPECT_FALSE(g.isPressed());
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, DragGestures,
    ::testing::Values(
        Case{"QuickClick", {{Event::Release, {}}}, true},
        Case{"JitterBelowTheThresholdIsStillAClick",
             {{Event::Move, {101, 101}}, {Event::Move, {102, 101}}, {Event::Release, {}}},
             true},
        Case{"WindowManagerTakesTheMove",
             {{Event::Move, {103, 101}, true, Step::StartMove}, {Event::SystemMove, {}, true},
              {Event::Move, {150, 150}, true, Step::None}, {Event::Release, {}}},
             false},
        Case{"RefusedSystemMoveFollowsThePointer",
             {{Event::Move, {104, 100}, true, Step::StartMove}, {Event::SystemMove, {}, false},
              {Event::Move, {130, 160}, true, Step::Follow}, {Event::Release, {}}},
             false, QPoint(40, 80)},
        // A release that never reached us (a menu took it): the next move
        // without the button ends the gesture instead of following.
        Case{"LostReleaseNeverLeavesTheWindowFollowing",
             {{Event::Move, {104, 100}, true, Step::StartMove}, {Event::SystemMove, {}, false},
              {Event::Move, {140, 140}, false, Step::None}, {Event::Move, {150, 150}, true, Step::None},
              {Event::Release, {}}},
             false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DragGesture, ADoubleClickIsInPlaceOnlyWhenNothingMoved)
{
    const struct {
        const char *name;
        QPoint firstMoveTo;   // where the pointer went with the first press held
        QPoint secondPressAt; // where the double click came
        bool inPlace;
    } cases[] = {
        {"two clicks on one spot", {100, 100}, {100, 100}, true},
        {"jitter below the threshold", {101, 101}, {102, 101}, true},
        {"the first press moved the window", {130, 100}, {130, 100}, false},
        {"the pointer moved between the clicks", {100, 100}, {110, 100}, false},
    };
    for (const auto &c : cases) {
        DragGesture g;
        g.press(QPoint(100, 100), QPoint(10, 20));
        if (g.move(c.firstMoveTo, true) == Step::StartMove)
            g.systemMoveStarted(false);
        g.release();
        EXPECT_EQ(g.isDoubleClickInPlace(c.secondPressAt), c.inPlace) << c.name;
    }
}

} // namespace
