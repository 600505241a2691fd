#include "playback/TrackDetailsSource.h"

#include "core/NativePath.h"

#include <QFile>

bool AudioLibraryDetails::readDetails(const QString &path, TrackDetails &details)
{
    QFile file;
    if (NativePath::openRegularFile(file, path) != NativePath::OpenResult::Opened)
        return false;
    TrackDetails read;
    read.bytes = file.size();
    file.close();
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
