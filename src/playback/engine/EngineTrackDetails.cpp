#include "playback/engine/EngineTrackDetails.h"

#include "core/NativePath.h"
#include "playback/engine/DecoderModule.h"
#include "playback/engine/EngineTrackInfo.h"


bool EngineTrackDetails::readDetails(const QString &path, TrackDetails &details)
{
    TrackDetails read;
    read.bytes = NativePath::regularFileSize(path);
    if (read.bytes < 0)
        return false;
    // Three reads through the tag module: it stays loaded for all of them.
    DecoderModule::keepTagModule(true);
    EngineTrackInfo info;
    TrackFacts facts;
    if (info.readTrackInfo(path, facts))
        read.lengthMs = facts.lengthMs;
    read.fields = DecoderModule::readTags(path);
    read.formatKnown = DecoderModule::readFormat(path, read.format);
    DecoderModule::keepTagModule(false);
    details = std::move(read);
    return true;
}
