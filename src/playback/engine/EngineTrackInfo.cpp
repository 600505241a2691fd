#include "playback/engine/EngineTrackInfo.h"

#include "core/NativePath.h"
#include "playback/engine/DecoderModule.h"

#include <cmath>

namespace {
// Any rate gives the length; the common one spares most files a resampler.
constexpr int kProbeRate = 44100;
} // namespace

bool EngineTrackInfo::readTrackInfo(const QString &path, TrackFacts &facts)
{
    const qint64 bytes = NativePath::regularFileSize(path);
    if (bytes < 0)
        return false;
    // A file TagLib does not know has no tags it could read either.
    TrackHeader header;
    DecoderModule::readHeader(path, header);
    TrackFacts read;
    try {
        read.tags = TagsFromFields(header.fields);
    } catch (const TagKindError &) {
        return false;
    }
    if (header.lengthMs > 0) {
        read.lengthMs = int(std::llround(header.lengthMs));
    } else {
        // Headers without a length (MIDI, raw streams): the decoder finds it.
        int error = AudioLibrary::ErrNone;
        const std::unique_ptr<AudioDecoder> decoder = DecoderModule::open(path, kProbeRate, error);
        if (!decoder)
            return false;
        read.lengthMs = int(std::llround(double(decoder->lengthFrames()) * 1000.0 / kProbeRate));
    }
    read.bytes = bytes;
    facts = std::move(read);
    return true;
}

void EngineTrackInfo::readingRun(bool running)
{
    DecoderModule::keepTagModule(running);
}
