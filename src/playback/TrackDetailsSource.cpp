#include "playback/TrackDetailsSource.h"

#include "core/NativePath.h"


bool AudioLibraryDetails::readDetails(const QString &path, TrackDetails &details)
{
    TrackDetails read;
    read.bytes = NativePath::regularFileSize(path);
    if (read.bytes < 0)
        return false;
    // The player's own open mode: the stream is read, never played.
    if (const AudioLibrary::StreamHandle stream = m_audio.streamOpen(path, 0x130, 0, 0)) {
        read.lengthMs = m_audio.streamLengthMs(stream);
        for (int i = 0; i < m_audio.streamNumTagFields(stream); ++i) {
            AudioLibrary::TagField field;
            if (m_audio.streamTagField(stream, i, field))
                read.fields.append(field);
        }
        m_audio.streamClose(stream);
    }
    details = std::move(read);
    return true;
}
