#pragma once

#include "core/MessageService.h"

// The program's top-level windows as the start-up and shut-down sequences see
// them. Implemented by the user interface; tests pass a recorder.
class AppWindows : public TopmostWindows
{
public:
    // Makes the main window visible (start-up; faded in when fades are on).
    virtual void showMainWindow() = 0;

    // Shows `text` in the main window's track-information line (used for the
    // progress words while ending).
    virtual void showTrackInfoText(const QString &text) = 0;

    // Hides every window before the program ends.
    virtual void hideAll() = 0;
};
