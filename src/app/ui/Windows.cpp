#include "app/ui/Windows.h"

#include "app/Application.h"
#include "core/ShellService.h"
#include "mainwindow/ui/MainWindow.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "settings/SettingsDialogModel.h"
#include "settings/ui/SettingsDialog.h"
#include "window/ui/RoundedCorners.h"

#include <QCoreApplication>
#include <QFileInfo>

Windows::Windows() = default;

Windows::~Windows()
{
    delete m_settings;
    m_settingsModel.reset();
    delete m_playlist;
    delete m_main;
}

void Windows::build(Application &app)
{
    m_app = &app;
    m_main = new MainWindow(app.settings(), app.player());
    m_playlist = new PlaylistWindow(PlaylistWindowModels{app.trackList(), app.library(), app.playlists(), app.adder(),
                                                         app.settings(), app.player(), app.messages()});
    m_settingsModel = std::make_unique<SettingsDialogModel>(app.settings(), app.messages(), app.paths().colorFolder(),
                                                            app.paths().styleFolder(), [this] { saveSettings(); });
    m_settings = new SettingsDialog(*m_settingsModel);
    m_settings->setVersionSource([this] {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        return VersionInfo::make(QStringLiteral(VELMORA_VERSION), program.lastModified().date(),
                                 m_app->audioComponentVersions(), m_app->archiverVersion());
    });
    m_mainCorners = new RoundedCorners(m_main);
    m_playlistCorners = new RoundedCorners(m_playlist);

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
    QObject::connect(m_main, &MainWindow::settingsRequested, m_main, [this] { showSettingsDialog(); });
    QObject::connect(m_playlist, &PlaylistWindow::settingsRequested, m_playlist, [this] { showSettingsDialog(); });
    QObject::connect(m_settings, &SettingsDialog::linkActivated, m_settings, [this](const QString &url) {
        if (ShellService *shell = m_app->shell())
            shell->openUrl(url);
    });
    QObject::connect(&app.settings(), &SettingsStore::valueChanged, m_main, [this](SettingId id) {
        switch (id) {
        case SettingId::StyleName:
            LoadStyle();
            break;
        case SettingId::Translucent:
        case SettingId::Transparency:
        case SettingId::SetNotTrans:
            applyOpacity();
            break;
        case SettingId::CornerRoundValue:
            applyCorners();
            break;
        default:
            break;
        }
    });
}

void Windows::saveSettings()
{
    storeWindowState();
    m_app->settings().SaveSettings(m_app->paths().iniFilePath(), m_app->paths().colorIniFilePath());
}

void Windows::showSettingsDialog()
{
    if (!m_settings->isVisible()) {
        m_settingsModel->opened();
        m_settings->prepareToShow();
    }
    m_settings->show();
    m_settings->raise();
    m_settings->activateWindow();
}

void Windows::applyOpacity()
{
    const SettingsStore &s = m_app->settings();
    // Window systems without translucency simply ignore it.
    m_main->setWindowOpacity(SettingsDialogModel::windowOpacity(s, TopWindow::Main) / 255.0);
    m_playlist->setWindowOpacity(SettingsDialogModel::windowOpacity(s, TopWindow::Playlist) / 255.0);
    m_settings->setWindowOpacity(SettingsDialogModel::windowOpacity(s, TopWindow::SettingsDialog) / 255.0);
}

void Windows::applyCorners()
{
    const int corner = m_app->settings().value(SettingId::CornerRoundValue);
    m_mainCorners->setCorner(corner);
    m_playlistCorners->setCorner(corner);
}

void Windows::LoadStyle()
{
    m_style = Style::LoadStyle(m_app->paths().styleFolder(), m_app->settings().text(SettingId::StyleName),
                               m_app->paths().bundledStyleFolder());
    m_main->setStyle(m_style);
    m_playlist->setStyle(m_style);
    m_settings->setStyle(m_style);
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
    m_settings->applySettings();
    applyOpacity();
    applyCorners();
}

void Windows::storeWindowState()
{
    m_main->storeState();
    m_playlist->storeState();
    m_settings->storeState();
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
