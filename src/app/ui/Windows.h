#pragma once

#include "app/AppWindows.h"
#include "app/ui/WindowServices.h"
#include "playback/PlaybackDisplay.h"
#include "style/Style.h"

#include <QSize>
#include <QtGlobal>
#include <functional>
#include <memory>

class Application;
class MainWindow;
class PlaylistWindow;
class RoundedCorners;
class SettingsDialog;
class SettingsDialogModel;
class SystemTray;
class TrayIcon;
enum class TopWindow : quint8;
class QWidget;
class WindowFader;

// Owns the three top-level windows (created once, by build()) and the current
// style, and shows them to the start-up and shut-down sequences and to
// playback.
class Windows : public AppWindows, public PlaybackDisplay
{
public:
    // How near (Manhattan pixels) to its docked place a playlist window put
    // down by the user docks again.
    static constexpr int DockDistance = 16;

    Windows();
    // `tray`: the desktop's tray the tray icon stands in (tests pass a fake).
    explicit Windows(std::unique_ptr<SystemTray> tray);
    ~Windows() override;

    // Creates the windows on the program's logic. Called once, before StartUp.
    void build(Application &app);

    MainWindow &main() { return *m_main; }
    PlaylistWindow &playlist() { return *m_playlist; }
    // The settings dialog, made on first use.
    SettingsDialog &settings();
    const Style &style() const { return m_style; }

    // The settings entries of the menus: saves every setting, then shows the
    // settings dialog (raised when it is open already), faded in when fades
    // are on — from the windows' menus only when "設定は半透明にしない" is off.
    void showSettingsDialog(bool fromTray = false);

    // Loads the style the settings name and gives both windows its pictures.
    void LoadStyle();

    // Brings the main window, and the playlist window when it is open, to
    // the front (a second start, the desktop's remote control).
    void raiseAll();

    // AppWindows
    void setTopmost(bool topmost) override;
    PlaybackDisplay &playbackDisplay() override { return *this; }
    FileDialogs &fileDialogs() override { return m_fileDialogs; }
    Beeper &beeper() override { return m_beeper; }
    TreeLabelEditor &labelEditor() override { return m_labels; }
    void applySettings() override;
    void storeWindowState() override;
    void showMainWindow() override;
    void showTrackInfoText(const QString &text) override;
    void endWindows(std::function<void()> gone) override;

    // Hides every window at once.
    void hideAll();

    // --- window behaviour ---------------------------------------------------------
    // The tray toggle: to the tray (hiding the windows, remembering which
    // were open) or back. Does nothing where the desktop has no tray.
    void toggleTray();
    bool inTray() const { return m_inTray; }
    TrayIcon &tray() { return *m_tray; }
    // Shows or hides the playlist window, faded when fades are on. Shown, it
    // stands wholly inside the work area: docked, at its docked place with
    // the main window moved as needed, as high as the screen leaves room for.
    void showPlaylistWindow();
    void hidePlaylistWindow();
    // The work-area rule, for a window the user placed (when the option is on).
    void keepInWorkArea(QWidget *window);
    // A dialog about to show: never larger than the work area of the
    // screen it stands on most (the primary one when none), and standing
    // wholly inside it.
    void fitOnScreen(QWidget *window);
    // Docks the playlist window to the main window (when docking is on).
    void snapPlaylist();
    // The opacity setting on the windows ("設定は半透明にしない" keeps the
    // settings dialog opaque), and the fade speed.
    void applyOpacity();
    // The rounded corners the settings give the windows.
    void applyCorners();

    // PlaybackDisplay
    void ShowTrackInfo(const QString &title, const QString &artist) override;
    void showIdle() override;
    void setScrollTimerEnabled(bool enabled) override;
    void setSeekMaximum(int bytes) override;
    void scrollToRow(int pos) override;
    void trackAdvanced() override;

private:
    bool fadesOn() const;
    std::function<int()> opacityOf(TopWindow window) const;
    // Every setting saved, the windows' places included.
    void saveSettings();
    void placed(QWidget *window);
    // The windows the program places itself (restored, opened again) pulled
    // wholly inside the work area of their screen.
    void placeMainOnScreen();
    void placePlaylistOnScreen();
    QSize mainMinimum() const;
    void trayModify();

    Application *m_app = nullptr;
    MainWindow *m_main = nullptr;
    PlaylistWindow *m_playlist = nullptr;
    SettingsDialog *m_settings = nullptr;
    std::unique_ptr<SettingsDialogModel> m_settingsModel;
    RoundedCorners *m_mainCorners = nullptr;
    RoundedCorners *m_playlistCorners = nullptr;
    TrayIcon *m_tray = nullptr;
    WindowFader *m_mainFader = nullptr;
    WindowFader *m_playlistFader = nullptr;
    WindowFader *m_settingsFader = nullptr;
    DesktopFileDialogs m_fileDialogs;
    DesktopBeeper m_beeper;
    TreeViewLabels m_labels;
    Style m_style;
    bool m_inTray = false;            // TaskTrayMode
    // The playlist window stands at its docked place and follows the main
    // window; pulled away, it keeps its own place until put back near it.
    bool m_playlistDocked = true;
    bool m_playlistBeforeTray = false; // the windows open when the player went to the tray
    bool m_settingsBeforeTray = false;
    std::unique_ptr<SystemTray> m_systemTray; // handed to the tray icon by build()
};
