#pragma once

#include "window/DragGesture.h"

#include <QMouseEvent>
#include <QObject>
#include <QTimer>

class QWidget;

// Moves a frameless window by its body: the window passes the mouse events
// of its background here. Every frameless window of the program drags this
// way.
class WindowDrag : public QObject
{
    Q_OBJECT
public:
    explicit WindowDrag(QWidget *window);

    // A press: only the left button starts a gesture.
    void press(QMouseEvent *event);
    // True while the window is being moved (the event is the drag's).
    bool move(QMouseEvent *event);
    // True when the press was a click that never became a move.
    bool release(QMouseEvent *event);
    // True when a double click is one in place (DragGesture::isDoubleClickInPlace).
    bool isDoubleClickInPlace(QMouseEvent *event) const
    {
        return m_gesture.isDoubleClickInPlace(event->globalPosition().toPoint());
    }

    bool isMoving() const { return m_gesture.isMoving() || m_handedOver; }

Q_SIGNALS:
    // A move by the user ended; the window stands where it was put.
    void moveFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();

    QWidget *m_window;
    DragGesture m_gesture;
    // The window manager moves the window: no release reaches us. The move
    // counts as finished a moment after the window last moved (managers
    // that move only an outline move the window once, at the end), or at
    // the next press.
    bool m_handedOver = false;
    QTimer m_settle;
};
