#include "app/ui/Windows.h"

#include "app/Application.h"
#include "core/ShellService.h"
#include "core/ui/QtScreenAreas.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/SystemTray.h"
#include "mainwindow/ui/TrayIcon.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "settings/SettingsDialogModel.h"
#include "settings/SkinPalette.h"
#include "settings/ui/SettingsDialog.h"
#include "settings/ui/SkinPaletteApplier.h"
#include "style/StyleCreation.h"
#include "window/WindowPlacement.h"
#include "window/ui/RoundedCorners.h"
#include "window/ui/WindowFader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

Windows::Windows() = default;

Windows::Windows(std::unique_ptr<SystemTray> tray)
    : m_systemTray(std::move(tray))
{
}

Windows::~Windows()
{
    delete m_tray;
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
                                                         app.settings(), app.player(), app.messages(), app.search(),
                                                         app.itemCommands(), app.libraryCommands(),
                                                         app.trackProperties(), app.shell()});
    m_fileDialogs.setParent(m_playlist);
    m_labels.setView(m_playlist->treeView());
    m_settingsModel = std::make_unique<SettingsDialogModel>(app.settings(), app.messages(), app.paths().colorFolder(),
                                                            app.paths().styleFolder(), app.clock(),
                                                            [this] { saveSettings(); });
    m_mainCorners = new RoundedCorners(m_main);
    // Standard dialogs, menus and tooltips wear the skin's colours and follow
    // every change of them, a Cancel in the settings dialog included.
    applySkinPalette(app.settings());
    QObject::connect(&app.settings(), &SettingsStore::valueChanged, m_main, [&app](SettingId id) {
        if (affectsSkinPalette(id))
            applySkinPalette(app.settings());
    });
    QObject::connect(&app.settings(), &SettingsStore::settingsLoaded, m_main,
                     [&app] { applySkinPalette(app.settings()); });
    m_playlistCorners = new RoundedCorners(m_playlist);

    QObject::connect(m_main, &MainWindow::exitRequested, &app, &Application::ShutDown);
    QObject::connect(m_playlist, &PlaylistWindow::exitRequested, &app, &Application::ShutDown);
    QObject::connect(m_main, &MainWindow::filesDropped, m_main,
                     [&app](const QStringList &paths) { app.adder().AddDroppedFiles(paths); });
    QObject::connect(m_main, &MainWindow::helpRequested, m_main, [this] { m_app->ShowManual(); });

    QObject::connect(m_main, &MainWindow::playlistWindowToggled, m_playlist, [this](bool open) {
        if (open)
            showPlaylistWindow();
        else
            hidePlaylistWindow();
    });
    QObject::connect(m_playlist, &PlaylistWindow::closeClicked, m_main, [this] {
        hidePlaylistWindow();
        m_main->setPlaylistOpen(false);
    });
    QObject::connect(m_main, &MainWindow::settingsRequested, m_main, [this] { showSettingsDialog(); });
    QObject::connect(m_playlist, &PlaylistWindow::settingsRequested, m_playlist, [this] { showSettingsDialog(); });

    // Translucency and fades: each window fades towards its own opacity.
    m_mainFader = new WindowFader(m_main, opacityOf(TopWindow::Main));
    m_playlistFader = new WindowFader(m_playlist, opacityOf(TopWindow::Playlist));
    QObject::connect(&app.settings(), &SettingsStore::valueChanged, m_main, [this](SettingId id) {
        switch (id) {
        case SettingId::StyleName:
            LoadStyle();
            break;
        case SettingId::Translucent:
        case SettingId::Transparency:
        case SettingId::SetNotTrans:
        case SettingId::FadeSpeed:
            applyOpacity();
            break;
        case SettingId::Fade:
            // Fades switched off: the ones running stop where they are.
            if (!fadesOn())
                for (WindowFader *f : {m_mainFader, m_playlistFader, m_settingsFader})
                    if (f)
                        f->stop();
            break;
        case SettingId::CornerRoundValue:
            applyCorners();
            break;
        default:
            break;
        }
    });

    // Dragging: the work area and docking.
    QObject::connect(m_main, &MainWindow::placed, m_main, [this](QWidget *w) { placed(w); });
    QObject::connect(m_playlist, &PlaylistWindow::placed, m_playlist, [this](QWidget *w) { placed(w); });

    // The task tray.
    m_tray = new TrayIcon(std::move(m_systemTray));
    const bool trayAvailable = m_tray->isAvailable();
    m_main->setTrayAvailable(trayAvailable, TrayIcon::NoTrayTip);
    m_playlist->setTrayAvailable(trayAvailable, TrayIcon::NoTrayTip);
    QObject::connect(m_main, &MainWindow::trayRequested, m_main, [this] { toggleTray(); });
    QObject::connect(m_playlist, &PlaylistWindow::trayRequested, m_main, [this] { toggleTray(); });
    Player &player = app.player();
    QObject::connect(m_tray, &TrayIcon::trayToggleRequested, m_main, [this] { toggleTray(); });
    QObject::connect(m_tray, &TrayIcon::playRequested, m_main, [this, &player] {
        player.PlaySelectedOrFirstTrack();
        trayModify();
    });
    QObject::connect(m_tray, &TrayIcon::pauseRequested, m_main, [&player] { player.TogglePause(); });
    QObject::connect(m_tray, &TrayIcon::nextRequested, m_main, [&player] { player.AdvanceTrack(); });
    QObject::connect(m_tray, &TrayIcon::previousRequested, m_main, [this, &player] {
        player.PreviousTrack();
        trayModify();
    });
    QObject::connect(m_tray, &TrayIcon::deleteSkipRequested, m_main, [&player] { player.DeleteAndSkip(); });
    QObject::connect(m_tray, &TrayIcon::settingsRequested, m_main, [this] { showSettingsDialog(true); });
    QObject::connect(m_tray, &TrayIcon::exitRequested, &app, &Application::ShutDown);
}

bool Windows::fadesOn() const
{
    return m_app->settings().isOn(SettingId::Fade);
}

std::function<int()> Windows::opacityOf(TopWindow window) const
{
    return [this, window] { return SettingsDialogModel::windowOpacity(m_app->settings(), window); };
}

SettingsDialog &Windows::settings()
{
    if (m_settings)
        return *m_settings;
    // Made when first needed: its many controls cost start-up time and
    // memory, and the settings store holds every live value meanwhile.
    m_settings = new SettingsDialog(*m_settingsModel);
    m_settings->setVersionSource([this] {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        return VersionInfo::make(QStringLiteral(VELMORA_VERSION), program.lastModified().date(),
                                 m_app->audioComponentVersions(), m_app->archiverVersion(),
                                 MakerContact{QStringLiteral(VELMORA_WEBSITE), QStringLiteral(VELMORA_MAIL)});
    });
    m_settings->setOutputDeviceSource([this] { return m_app->outputDevices(); });
    // The style editor's pictures show on the windows until a style is loaded again.
    QObject::connect(m_settings, &SettingsDialog::stylePreviewed, m_settings, [this](const StyleBackgrounds &b) {
        m_style.mainBack = b.mainBack;
        m_style.panelBack = b.panelBack;
        m_style.listBack = b.listBack;
        m_style.viewBack = b.viewBack;
        m_main->setStyle(m_style);
        m_playlist->setStyle(m_style);
        m_settings->setStyle(m_style);
    });
    QObject::connect(m_settings, &SettingsDialog::styleReloadRequested, m_settings, [this] { LoadStyle(); });
    QObject::connect(m_settings, &SettingsDialog::linkActivated, m_settings, [this](const QString &url) {
        if (ShellService *shell = m_app->shell())
            shell->openUrl(url);
    });
    QObject::connect(m_settings, &SettingsDialog::placed, m_settings, [this](QWidget *w) { placed(w); });
    m_settingsFader = new WindowFader(m_settings, opacityOf(TopWindow::SettingsDialog));
    m_settingsFader->setInterval(m_app->settings().value(SettingId::FadeSpeed));
    m_settings->setFader(m_settingsFader);
    m_settings->setStyle(m_style);
    m_settings->applySettings();
    WindowFader::setTranslucency(m_settings, SettingsDialogModel::windowOpacity(m_app->settings(), TopWindow::SettingsDialog));
    m_settings->setWindowFlag(Qt::WindowStaysOnTopHint, m_app->settings().isOn(SettingId::Foremost));
    return *m_settings;
}

void Windows::saveSettings()
{
    storeWindowState();
    m_app->settings().SaveSettings(m_app->paths().iniFilePath(), m_app->paths().colorIniFilePath());
}

void Windows::showSettingsDialog(bool fromTray)
{
    const bool fade = fadesOn() && (fromTray || !m_app->settings().isOn(SettingId::SetNotTrans));
    settings();
    // Asked again while an OK or Cancel fades it out: that close ends now,
    // and the dialog opens afresh.
    if (m_settingsFader->isFadingOut())
        m_settingsFader->stop();
    if (!m_settings->isVisible()) {
        m_settings->setFadeOnClose(fade);
        m_settingsModel->opened();
        m_settings->prepareToShow();
        fitOnScreen(m_settings);
    }
    if (fade && !m_settings->isVisible()) {
        m_settingsFader->fadeIn();
    } else if (!m_settings->isVisible()) {
        // Whatever opacity an earlier fade left behind; hidden, it needs no
        // push to the window system (WindowFader::setTranslucency).
        m_settings->setWindowOpacity(
            SettingsDialogModel::windowOpacity(m_app->settings(), TopWindow::SettingsDialog) / 255.0);
        m_settings->show();
    } else {
        m_settings->show();
    }
    m_settings->raise();
    m_settings->activateWindow();
}

void Windows::applyOpacity()
{
    // Window systems without translucency simply ignore it.
    const SettingsStore &s = m_app->settings();
    WindowFader::setTranslucency(m_main, SettingsDialogModel::windowOpacity(s, TopWindow::Main));
    WindowFader::setTranslucency(m_playlist, SettingsDialogModel::windowOpacity(s, TopWindow::Playlist));
    if (m_settings)
        WindowFader::setTranslucency(m_settings, SettingsDialogModel::windowOpacity(s, TopWindow::SettingsDialog));
    const int interval = m_app->settings().value(SettingId::FadeSpeed);
    for (WindowFader *f : {m_mainFader, m_playlistFader, m_settingsFader})
        if (f)
            f->setInterval(interval);
}

void Windows::applyCorners()
{
    const int corner = m_app->settings().value(SettingId::CornerRoundValue);
    m_mainCorners->setCorner(corner);
    m_playlistCorners->setCorner(corner);
}

void Windows::showPlaylistWindow()
{
    placePlaylistOnScreen();
    if (fadesOn()) {
        m_playlistFader->fadeIn();
    } else {
        WindowFader::setTranslucency(m_playlist, SettingsDialogModel::windowOpacity(m_app->settings(), TopWindow::Playlist));
        m_playlist->show();
    }
    m_playlist->raise();
}

void Windows::hidePlaylistWindow()
{
    if (fadesOn())
        m_playlistFader->fadeOut();
    else
        m_playlist->hide();
}

void Windows::placed(QWidget *window)
{
    if (m_app->settings().isOn(SettingId::MoveWorkArea))
        keepInWorkArea(window);
    if (m_app->settings().value(SettingId::PlaylistAdsorption) == WindowPlacement::NoDock)
        return;
    if (window == m_playlist) {
        // Put down near its docked place it docks again; elsewhere it keeps
        // its own place and no longer follows the main window.
        const QRect docked = WindowPlacement::SnapPlaylist(m_main->geometry(), m_playlist->geometry(),
                                                           m_app->settings().value(SettingId::PlaylistAdsorption));
        m_playlistDocked = (docked.topLeft() - m_playlist->geometry().topLeft()).manhattanLength() <= DockDistance;
    }
    if (!m_playlistDocked)
        return;
    snapPlaylist();
    // The docked pair moves as one: pulling the main window back alone
    // could leave the playlist window below (or above) the screen.
    if (m_app->settings().isOn(SettingId::MoveWorkArea) && m_playlist->isVisible()) {
        const QScreen *screen = m_main->screen();
        if (!screen)
            return;
        const QRect pair = m_main->frameGeometry().united(m_playlist->frameGeometry());
        const QRect kept = WindowPlacement::KeepInWorkArea(pair, screen->geometry(), screen->availableGeometry());
        if (kept != pair) {
            m_main->move(m_main->pos() + kept.topLeft() - pair.topLeft());
            snapPlaylist();
        }
    }
}

namespace {

// The work area of the screen `window` (a whole window, frame included)
// stands on most, or the primary screen's when it stands on none.
QRect workAreaFor(const QRect &window)
{
    return WindowPlacement::WorkAreaOf(window, QtScreenAreas().availableAreas());
}

} // namespace

void Windows::fitOnScreen(QWidget *window)
{
    const QRect area = workAreaFor(window->frameGeometry());
    if (area.isEmpty())
        return;
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    // Never larger than the dialog itself allows either (the settings
    // dialog's natural size).
    window->setMaximumSize(window->maximumSize().boundedTo((area.size() - frame).expandedTo(QSize(1, 1))));
    window->resize(window->size().boundedTo(window->maximumSize()));
    const QRect placed = window->frameGeometry();
    const QRect kept = WindowPlacement::FitInWorkArea(placed, area, placed.size());
    if (kept != placed)
        window->move(window->pos() + kept.topLeft() - placed.topLeft());
}

QSize Windows::mainMinimum() const
{
    // As narrow as a restored main window may be (MainWindow::applySettings):
    // on a screen narrower than the saved width the window is made as wide
    // as the screen, so that the buttons at its right stay reachable.
    return QSize(100, m_main->height());
}

void Windows::placeMainOnScreen()
{
    const QRect g = m_main->geometry();
    const QRect fitted = WindowPlacement::FitInWorkArea(g, workAreaFor(g), mainMinimum());
    if (fitted != g)
        m_main->setGeometry(fitted);
}

void Windows::placePlaylistOnScreen()
{
    const int dock = m_app->settings().value(SettingId::PlaylistAdsorption);
    const QSize playlistMinimum = m_playlist->minimumSize().expandedTo(QSize(1, 1));
    if (m_playlistDocked && dock != WindowPlacement::NoDock) {
        // The docked pair is one block: the playlist window standing on the
        // screen below (or above) the main window moves the main window too.
        const WindowPlacement::DockedPair pair = WindowPlacement::FitDockedPair(
            m_main->geometry(), m_playlist->geometry(), dock, workAreaFor(m_main->geometry()), mainMinimum(),
            playlistMinimum);
        if (pair.main != m_main->geometry())
            m_main->setGeometry(pair.main);
        m_playlist->setGeometry(pair.playlist);
        return;
    }
    const QRect g = m_playlist->geometry();
    const QRect fitted = WindowPlacement::FitInWorkArea(g, workAreaFor(g), playlistMinimum);
    if (fitted != g)
        m_playlist->setGeometry(fitted);
}

void Windows::keepInWorkArea(QWidget *window)
{
    // `ReadWorkArea`: the screen the window stands on, without its panels.
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect frame = window->frameGeometry();
    const QRect kept = WindowPlacement::KeepInWorkArea(frame, screen->geometry(), screen->availableGeometry());
    if (kept != frame)
        window->move(kept.topLeft());
}

void Windows::snapPlaylist()
{
    const QRect g = WindowPlacement::SnapPlaylist(m_main->geometry(), m_playlist->geometry(),
                                                  m_app->settings().value(SettingId::PlaylistAdsorption));
    m_playlist->setGeometry(g);
}

void Windows::trayModify()
{
    if (m_inTray)
        m_tray->TrayModify(m_main->display().trackInfo());
}

void Windows::toggleTray()
{
    if (!m_tray->isAvailable())
        return; // the entries say so; hiding every window would leave no way back
    if (m_main->isVisible()) {
        QIcon icon = QGuiApplication::windowIcon();
        if (icon.isNull())
            icon = QIcon(QPixmap::fromImage(m_style.icons[Style::PlayOn]));
        m_tray->TrayAdd(icon, m_main->display().trackInfo());
        m_inTray = true;
        m_main->hide();
        m_playlistBeforeTray = m_playlist->isVisible();
        m_playlist->hide();
        m_settingsBeforeTray = m_settings && m_settings->isVisible();
        if (m_settings)
            m_settings->hide();
    } else {
        m_tray->TrayDelete();
        m_inTray = false;
        m_main->show();
        if (m_playlistBeforeTray)
            m_playlist->show();
        if (m_settingsBeforeTray && m_settings)
            m_settings->show();
        m_playlistBeforeTray = m_settingsBeforeTray = false;
    }
}

void Windows::LoadStyle()
{
    m_style = Style::LoadStyle(m_app->paths().styleFolder(), m_app->settings().text(SettingId::StyleName),
                               m_app->paths().bundledStyleFolder());
    m_main->setStyle(m_style);
    m_playlist->setStyle(m_style);
    if (m_settings)
        m_settings->setStyle(m_style);
}

void Windows::raiseAll()
{
    if (m_main->isMinimized())
        m_main->showNormal();
    m_main->show();
    if (m_playlist->isVisible())
        m_playlist->raise();
    m_main->raise();
    m_main->activateWindow();
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
    if (m_settings)
        m_settings->applySettings();
    applyOpacity();
    applyCorners();
}

void Windows::storeWindowState()
{
    m_main->storeState();
    m_playlist->storeState();
    // Open means open to the user: in the tray the window is hidden but
    // comes back with the main window.
    m_app->settings().setValue(SettingId::PlaylistVisible, m_main->playlistOpen() ? 1 : 0);
    m_app->settings().setValue(SettingId::PlaylistDocked, m_playlistDocked ? 1 : 0);
    if (m_settings)
        m_settings->storeState();
}

void Windows::showMainWindow()
{
    // A place saved on a larger screen, or at a smaller scale, is pulled
    // wholly inside the work area of the screen as it is now.
    placeMainOnScreen();
    if (fadesOn())
        m_mainFader->fadeIn();
    else
        m_main->show();
    // The playlist window as the last run left it: open or closed, docked
    // or at its own place.
    m_playlistDocked = m_app->settings().isOn(SettingId::PlaylistDocked);
    if (m_app->settings().isOn(SettingId::PlaylistVisible)) {
        m_main->setPlaylistOpen(true);
        showPlaylistWindow();
    }
}

void Windows::showTrackInfoText(const QString &text)
{
    m_main->setTrackInfoText(text);
}

void Windows::hideAll()
{
    if (m_settings)
        m_settings->hide();
    m_playlist->hide();
    m_main->hide();
}

void Windows::endWindows(std::function<void()> gone)
{
    m_tray->TrayDelete();
    // The fade-outs run together; the program ends with the main window's.
    if (!fadesOn() || !m_main->isVisible()) {
        hideAll();
        gone();
        return;
    }
    QObject::connect(m_mainFader, &WindowFader::fadedOut, m_main, [this, gone = std::move(gone)] {
        hideAll();
        gone();
    });
    if (m_playlist->isVisible())
        m_playlistFader->fadeOut();
    if (m_settings && m_settings->isVisible())
        m_settingsFader->fadeOut();
    m_mainFader->fadeOut();
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
    // While in the tray, each track change shows its balloon.
    trayModify();
}
