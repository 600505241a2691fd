#include "core/ui/Windows.h"

#include "mainwindow/ui/MainWindow.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "settings/ui/SettingsDialog.h"

Windows::Windows()
    : m_main(new MainWindow)
    , m_playlist(new PlaylistWindow)
    , m_settings(new SettingsDialog)
{
}

Windows::~Windows()
{
    delete m_settings;
    delete m_playlist;
    delete m_main;
}

void Windows::setTopmost(bool topmost)
{
    for (QWidget *w : {static_cast<QWidget *>(m_main), static_cast<QWidget *>(m_playlist),
                       static_cast<QWidget *>(m_settings)}) {
        const bool visible = w->isVisible();
        const QRect geometry = w->geometry();
        // Changing a window flag re-creates the native window; keep its place.
        w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
        w->setGeometry(geometry);
        if (visible)
            w->show();
    }
}

void Windows::showMainWindow()
{
    m_main->show();
}

void Windows::showTrackInfoText(const QString &text)
{
    m_main->setTrackInfoText(text);
}

void Windows::hideAll()
{
    m_settings->hide();
    m_playlist->hide();
    m_main->hide();
}
