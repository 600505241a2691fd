#pragma once

#include "window/ui/WindowDrag.h"

#include <QLabel>
#include <QWidget>

// The main window's width-change window: a plain, sizable strip 23 pixels
// high. Keys: L makes it as wide as the screen, S 8000 twips wide; a click
// applies its place and width to the main window.
class MainSizeChangeWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Height = 23;
    // The narrowest main window the width change gives: 8000 twips.
    static constexpr int MinWidthPixels = (8000 + 7) / 15;

    explicit MainSizeChangeWindow(QWidget *parent = nullptr);

    // Opens over `geometry` (the main window's place).
    void open(const QRect &geometry);

    // The geometry the main window gets: this window's place, at least
    // MinWidthPixels wide.
    static QRect appliedGeometry(const QRect &window, int mainHeight);

Q_SIGNALS:
    void applied(const QRect &geometry);
    // The user moved the window by its body.
    void dragged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_caption;
    WindowDrag m_drag{this};
};
