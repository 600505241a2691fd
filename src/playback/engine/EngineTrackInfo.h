#pragma once

#include "playback/TrackInfoSource.h"

// Tags through the tag module and lengths through the decoder modules, as the
// engine reads them when a stream opens (so a background read and the
// playing stream agree). Thread-safe: every call opens its own decoder.
class EngineTrackInfo final : public TrackInfoSource
{
public:
    bool readTrackInfo(const QString &path, TrackFacts &facts) override;
    // Keeps the tag module loaded during a run.
    void readingRun(bool running) override;
};
