#include "app/ui/Windows.h"

#include "app/Application.h"
#include "core/ShellService.h"
#include "mainwindow/ui/MainWindow.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "settings/ui/SettingsDialog.h"

Windows::Windows() = default;

Windows::~Windows()
{
    delete m_settings;
    delete m_playlist;
    delete m_main;
}

void Windows::build(Application &app)
{
    m_app = &app;
    m_main = new MainWindow(app.settings(), app.player());
    m_playlist = new PlaylistWindow(PlaylistWindowModels{app.trackList(), app.library(), app.playlists(), app.adder(),
                                                         app.settings(), app.player(), app.messages()});
    m_settings = new SettingsDialog;

    QObject::connect(m_main, &MainWindow::exitRequested, &app, &Application::ShutDown);
    QObject::connect(m_playlist, &PlaylistWindow::exitRequested, &app, &Application::ShutDown);
    QObject::connect(m_main, &MainWindow::filesDropped, m_main,
                     [&app](const QStringList &paths) { app.adder().AddDroppedFiles(paths); });
    QObject::connect(m_main, &MainWindow::helpRequested, m_main, [this] {
        if (ShellService *shell = m_app->shell())
            shell->openWithAssociatedProgram(m_app->paths().bundleFolder() + QStringLiteral("manual.txt"));
    });

    QObject::connect(m_main, &MainWindow::playlistWindowToggled, m_playlist, [this](bool open) {
        m_playlist->setVisible(open);
        if (open)
            m_playlist->raise();
    });
    QObject::connect(m_playlist, &PlaylistWindow::closeClicked, m_main, [this] {
        m_playlist->hide();
        m_main->setPlaylistOpen(false);
    });
    QObject::connect(&app.settings(), &SettingsStore::valueChanged, m_main, [this](SettingId id) {
        if (id == SettingId::StyleName)
            LoadStyle();
    });
}

void Windows::LoadStyle()
{
    m_style = Style::LoadStyle(m_app->paths().styleFolder(), m_app->settings().text(SettingId::StyleName),
                               m_app->paths().bundledStyleFolder());
    m_main->setStyle(m_style);
    m_playlist->setStyle(m_style);
}

void Windows::setTopmost(bool topmost)
{
    for (QWidget *w : {static_cast<QWidget *>(m_main), static_cast<QWidget *>(m_playlist),
                       static_cast<QWidget *>(m_settings)}) {
        if (!w)
            continue;
        const bool visible = w->isVisible();
        const QRect geometry = w->geometry();
        // Changing a window flag re-creates the native window; keep its place.
        w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
        w->setGeometry(geometry);
        if (visible)
            w->show();
    }
}

void Windows::applySettings()
{
    LoadStyle();
    m_main->applySettings();
    m_playlist->applySettings();
}

void Windows::storeWindowState()
{
    m_main->storeState();
    m_playlist->storeState();
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

void Windows::ShowTrackInfo(const QString &title, const QString &artist)
{
    m_main->ShowTrackInfo(title, artist);
}

void Windows::showIdle()
{
    m_main->showIdle();
    m_playlist->setSeekValue(0);
}

void Windows::setScrollTimerEnabled(bool enabled)
{
    m_main->setScrollTimerEnabled(enabled);
}

void Windows::setSeekMaximum(int bytes)
{
    m_playlist->setSeekMaximum(bytes);
}

void Windows::scrollToRow(int pos)
{
    m_playlist->scrollToRow(pos);
}

void Windows::trackAdvanced()
{
    // The tray tip follows the track information once the tray icon exists.
}
