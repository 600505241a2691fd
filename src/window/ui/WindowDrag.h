#pragma once

#include "window/DragGesture.h"

#include <functional>

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

    // While `keep` answers true, a drag keeps the window inside the work area
    // of its screen: the window then follows the pointer itself (the window
    // manager's move could not be held), and its place is pulled back inside
    // at every step.
    void setKeepInWorkArea(std::function<bool()> keep) { m_keepInWorkArea = std::move(keep); }

private:
    void follow(const QPoint &pointer);

    QWidget *m_window;
    DragGesture m_gesture;
    std::function<bool()> m_keepInWorkArea;
};
