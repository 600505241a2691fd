#pragma once

#include "window/DragGesture.h"

class QMouseEvent;
class QWidget;

// Moves a frameless window by its body: the window passes the mouse events
// of its background here. Every frameless window of the program drags this
// way.
class WindowDrag
{
public:
    explicit WindowDrag(QWidget *window);

    // A press: only the left button starts a gesture.
    void press(QMouseEvent *event);
    // True while the window is being moved (the event is the drag's).
    bool move(QMouseEvent *event);
    // True when the press was a click that never became a move.
    bool release(QMouseEvent *event);

    bool isMoving() const { return m_gesture.isMoving(); }

private:
    QWidget *m_window;
    DragGesture m_gesture;
};
