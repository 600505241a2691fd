#pragma once

#include "playback/TrackInfoSource.h"

// Tags and lengths from the file's headers in one pass through the tag
// module, the length counted as the decoders play the file (so a background
// read and the playing stream write the same cells); the decoders only for
// files whose headers give no length. Thread-safe: every call opens the file
// afresh.
class EngineTrackInfo final : public TrackInfoSource
{
public:
    bool readTrackInfo(const QString &path, TrackFacts &facts) override;
    // Keeps the tag module loaded during a run.
    void readingRun(bool running) override;
};
