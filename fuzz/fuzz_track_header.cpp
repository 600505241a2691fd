// The header reader (tags and length in one TagLib pass, plus the LAME tag,
// MP4 sample table and edit list and Opus head read by hand) on arbitrary
// bytes: must not crash or hang, and a length is never negative or NaN. The
// first byte picks the file name's extension, which decides the format
// TagLib tries.
#include "playback/decoders/tags/TagReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const char *const kinds[] = {"mp3", "m4a", "opus", "ogg", "flac", "wav"};
    if (size == 0)
        return 0;
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.") + QLatin1String(kinds[data[0] % 6]));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1));
    }
    TrackHeader header;
    if (readTrackHeader(path, header) && (!(header.lengthMs >= 0) || std::isinf(header.lengthMs)))
        std::abort();
    QFile::remove(path);
    return 0;
}
