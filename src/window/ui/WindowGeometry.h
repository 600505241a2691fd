#pragma once

#include <QRect>

class QWidget;

// Shows a hidden top-level window at `geometry`. The place is set after the
// window is shown: under X11 window managers a frameless window given its
// place while hidden comes back where the manager chooses, with Qt believing
// it stands at (0, 0) — menus then open at the screen's corner and the
// saved position is wrong.
void showWithGeometry(QWidget *window, const QRect &geometry);
