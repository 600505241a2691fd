#pragma once

#include "core/AppWindows.h"

class MainWindow;
class PlaylistWindow;
class SettingsDialog;

// Owns the three top-level windows, created once for the whole run, and
// shows them to the start-up and shut-down sequences.
class Windows : public AppWindows
{
public:
    Windows();
    ~Windows() override;

    MainWindow &main() { return *m_main; }
    PlaylistWindow &playlist() { return *m_playlist; }
    SettingsDialog &settings() { return *m_settings; }

    void setTopmost(bool topmost) override;
    void showMainWindow() override;
    void showTrackInfoText(const QString &text) override;
    void hideAll() override;

private:
    MainWindow *m_main;
    PlaylistWindow *m_playlist;
    SettingsDialog *m_settings;
};
