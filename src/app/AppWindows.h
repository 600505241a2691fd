#pragma once

#include "core/MessageService.h"

class PlaybackDisplay;

// The program's top-level windows as the start-up and shut-down sequences see
// them. Implemented by the user interface; tests pass a recorder.
class AppWindows : public TopmostWindows
{
public:
    // What the windows show of playback.
    virtual PlaybackDisplay &playbackDisplay() = 0;

    // The settings were loaded: windows take their positions, sizes, fonts,
    // colours and style from the settings store.
    virtual void applySettings() = 0;

    // Before the settings are saved: windows put their positions, sizes and
    // column widths into the settings store.
    virtual void storeWindowState() = 0;

    // Makes the main window visible (start-up; faded in when fades are on).
    virtual void showMainWindow() = 0;

    // Shows `text` in the main window's track-information line (used for the
    // progress words while ending).
    virtual void showTrackInfoText(const QString &text) = 0;

    // Hides every window before the program ends.
    virtual void hideAll() = 0;
};
