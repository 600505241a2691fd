#pragma once

#include <QPoint>

// A press on a frameless window's body becomes either a click or a move of
// the window. Only a pointer that travels past the threshold with the left
// button held starts a move, so a quick click never hands the window to the
// window manager (which would leave it following a released pointer).
// The window manager moves the window when it can; where it refuses, the
// window follows the pointer itself. Positions are global pixels.
class DragGesture
{
public:
    // Manhattan distance in pixels the pointer travels before a press becomes a move.
    static constexpr int Threshold = 4;

    enum class Step {
        None,      // nothing to do
        StartMove, // ask the window manager to move the window now
        Follow,    // move the window to followPosition()
    };

    // The left button went down at `pointer` over a window standing at `windowPos`.
    void press(const QPoint &pointer, const QPoint &windowPos);

    // The pointer moved to `pointer`, the left button held or not.
    Step move(const QPoint &pointer, bool leftHeld);

    // After StartMove: whether the window manager took the move. When it
    // did, the gesture is over; otherwise the window follows the pointer.
    void systemMoveStarted(bool accepted);

    // The window's place while it follows the pointer.
    QPoint followPosition(const QPoint &pointer) const { return m_windowPos + (pointer - m_pressPointer); }

    // The left button went up. True when the press was a click (it never
    // became a move); the gesture ends either way.
    bool release();

    // Whether a double click at `pointer` is one in place: the click before
    // it stayed a click and the pointer is still within the threshold of
    // where that click pressed. A double click that moved is not one.
    bool isDoubleClickInPlace(const QPoint &pointer) const;

    bool isPressed() const { return m_state != State::Idle; }
    // True from the start of a move until the release (or until the window
    // manager took it).
    bool isMoving() const { return m_state == State::Following || m_state == State::Starting; }

private:
    enum class State { Idle, Pressed, Starting, Following, Handed };
    State m_state = State::Idle;
    QPoint m_pressPointer;
    QPoint m_windowPos;
    bool m_lastWasClick = false;
    QPoint m_lastClickPointer;
};
