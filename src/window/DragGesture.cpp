#include "window/DragGesture.h"

void DragGesture::press(const QPoint &pointer, const QPoint &windowPos)
{
    m_state = State::Pressed;
    m_pressPointer = pointer;
    m_windowPos = windowPos;
}

DragGesture::Step DragGesture::move(const QPoint &pointer, bool leftHeld)
{
    if (!leftHeld) {
        // The release went elsewhere (a menu, the window manager): the
        // gesture is over without a click.
        m_state = State::Idle;
        return Step::None;
    }
    switch (m_state) {
    case State::Pressed:
        if ((pointer - m_pressPointer).manhattanLength() < Threshold)
            return Step::None;
        m_state = State::Starting;
        return Step::StartMove;
    case State::Following:
        return Step::Follow;
    default:
        return Step::None;
    }
}

void DragGesture::systemMoveStarted(bool accepted)
{
    if (m_state == State::Starting)
        m_state = accepted ? State::Handed : State::Following;
}

bool DragGesture::release()
{
    const bool click = m_state == State::Pressed;
    m_state = State::Idle;
    m_lastWasClick = click;
    m_lastClickPointer = m_pressPointer;
    return click;
}

bool DragGesture::isDoubleClickInPlace(const QPoint &pointer) const
{
    return m_lastWasClick && (pointer - m_lastClickPointer).manhattanLength() < Threshold;
}
