#pragma once

#include "playback/PlaybackDisplay.h"

// A playback display that shows nothing, for tests that look at the player alone.
struct NullPlaybackDisplay : PlaybackDisplay {
    void ShowTrackInfo(const QString &, const QString &) override {}
    void showIdle() override {}
    void setScrollTimerEnabled(bool) override {}
    void setSeekMaximum(int) override {}
    void scrollToRow(int) override {}
    void trackAdvanced() override {}
};
