#include "playlistwindow/ui/PlaylistWindow.h"

PlaylistWindow::PlaylistWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("list"));
    setWindowTitle(QStringLiteral("Velmora - Playlist"));
    setAcceptDrops(true);
    resize(707, 238);
    move(67, 90);
}
