#pragma once

#include "window/ui/WindowDrag.h"

#include <QWidget>

class QLabel;

// `ListSizeChangeForm`: a tool window with a sizing frame standing where the
// playlist window stood. The user drags it with the button held and sizes
// it by its frame; a click (press and release without a drag) hands its
// geometry to the playlist window and closes it.
class ListSizeChangeForm : public QWidget
{
    Q_OBJECT
public:
    explicit ListSizeChangeForm(const QRect &geometry, QWidget *parent = nullptr);

Q_SIGNALS:
    // The size is decided: `geometry` is the wanted frame-less geometry.
    void sizeChosen(const QRect &geometry);
    // The user moved the window by its body.
    void dragged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    WindowDrag m_drag{this};
};
