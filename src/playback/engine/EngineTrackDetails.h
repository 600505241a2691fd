#pragma once

#include "playback/TrackDetailsSource.h"

// The details through the decoder modules, as a background read of the list
// takes them (so the properties and the list's cells agree), with the format
// from the tag module.
class EngineTrackDetails final : public TrackDetailsSource
{
public:
    bool readDetails(const QString &path, TrackDetails &details) override;
};
