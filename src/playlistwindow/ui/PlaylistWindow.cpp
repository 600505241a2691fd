#include "playlistwindow/ui/PlaylistWindow.h"

#include "core/Application.h"
#include "style/Style.h"

PlaylistWindow::PlaylistWindow(Application &app, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_app(app)
{
    setObjectName(QStringLiteral("list"));
    setWindowTitle(QStringLiteral("Velmora - Playlist"));
    setAcceptDrops(true);
    resize(707, 238);
}

void PlaylistWindow::setStyle(const Style &) {}
void PlaylistWindow::setSeekMaximum(int) {}
void PlaylistWindow::setSeekValue(int) {}
void PlaylistWindow::scrollToRow(int) {}
void PlaylistWindow::storeState() {}
void PlaylistWindow::applySettings() {}
