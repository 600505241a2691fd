#pragma once

#include "app/AppWindows.h"
#include "playback/PlaybackDisplay.h"
#include "style/Style.h"

#include <memory>

class Application;
class MainWindow;
class PlaylistWindow;
class RoundedCorners;
class SettingsDialog;
class SettingsDialogModel;

// Owns the three top-level windows (created once, by build()) and the current
// style, and shows them to the start-up and shut-down sequences and to
// playback.
class Windows : public AppWindows, public PlaybackDisplay
{
public:
    Windows();
    ~Windows() override;

    // Creates the windows on the program's logic. Called once, before StartUp.
    void build(Application &app);

    MainWindow &main() { return *m_main; }
    PlaylistWindow &playlist() { return *m_playlist; }
    SettingsDialog &settings() { return *m_settings; }
    const Style &style() const { return m_style; }

    // Loads the style the settings name and gives both windows its pictures.
    void LoadStyle();

    // The settings entries of the menus: saves every setting, then shows the
    // settings dialog (raised when it is open already).
    void showSettingsDialog();

    // AppWindows
    void setTopmost(bool topmost) override;
    PlaybackDisplay &playbackDisplay() override { return *this; }
    void applySettings() override;
    void storeWindowState() override;
    void showMainWindow() override;
    void showTrackInfoText(const QString &text) override;
    void hideAll() override;

    // PlaybackDisplay
    void ShowTrackInfo(const QString &title, const QString &artist) override;
    void showIdle() override;
    void setScrollTimerEnabled(bool enabled) override;
    void setSeekMaximum(int bytes) override;
    void scrollToRow(int pos) override;
    void trackAdvanced() override;

private:
    // Every setting saved, the windows' places included.
    void saveSettings();
    // The opacity and the rounded corners the settings give the windows.
    void applyOpacity();
    void applyCorners();

    Application *m_app = nullptr;
    MainWindow *m_main = nullptr;
    PlaylistWindow *m_playlist = nullptr;
    SettingsDialog *m_settings = nullptr;
    std::unique_ptr<SettingsDialogModel> m_settingsModel;
    RoundedCorners *m_mainCorners = nullptr;
    RoundedCorners *m_playlistCorners = nullptr;
    Style m_style;
};
