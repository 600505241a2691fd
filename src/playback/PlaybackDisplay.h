#pragma once

#include "playlist/ListScroller.h"

#include <QString>

// What the windows show of playback beyond what the player's signals report.
// The window wiring implements it (the main window, with the playlist
// window's seek bar and list view behind it); tests pass a recorder. Its
// scrolling (ListScroller) keeps the track that starts in view.
// User-interface thread only.
class PlaybackDisplay : public ListScroller
{
public:
    virtual ~PlaybackDisplay() = default;

    // Shows "title - artist " centred in the track-information strip.
    virtual void ShowTrackInfo(const QString &title, const QString &artist) = 0;

    // The idle display: the idle caption centred, "00:00", the seek bar at 0,
    // the level meter hidden.
    virtual void showIdle() = 0;

    // The scroll timer moves the track information.
    virtual void setScrollTimerEnabled(bool enabled) = 0;

    // The seek bar's maximum: the stream's length in bytes.
    virtual void setSeekMaximum(int bytes) = 0;

    // A track advance finished (the tray tip follows the track information).
    virtual void trackAdvanced() = 0;
};
