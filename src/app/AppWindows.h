#pragma once

#include "core/MessageService.h"

#include <functional>

class Beeper;
class FileDialogs;
class PlaybackDisplay;
class TreeLabelEditor;

// The program's top-level windows as the start-up and shut-down sequences see
// them. Implemented by the user interface; tests pass a recorder.
class AppWindows : public TopmostWindows
{
public:
    // What the windows show of playback.
    virtual PlaybackDisplay &playbackDisplay() = 0;

    // The services the commands reach the user through, over the windows
    // (usable before the windows are built: dialogs then have no parent,
    // and a label edit does nothing).
    virtual FileDialogs &fileDialogs() = 0;
    virtual Beeper &beeper() = 0;
    virtual TreeLabelEditor &labelEditor() = 0;

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

    // Takes every window (and the tray icon) away before the program ends:
    // at once, or fading out when fades are on; then calls `gone`, once.
    virtual void endWindows(std::function<void()> gone) = 0;
};
