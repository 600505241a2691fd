#include "playback/TrackCells.h"

#include "playback/Tags.h"
#include "playlist/PathNames.h"

QString LengthText(int lengthMs)
{
    const int seconds = lengthMs / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString BitRateText(qint64 bytes, int seconds)
{
    const int kbps = int(qint64(bytes / seconds) * 8 / 1000);
    return QString::number(kbps) + QStringLiteral("bps");
}

bool CellsOfTrack(const QString &path, const TagInfo &tags, int lengthMs, qint64 bytes, TrackCells &cells)
{
    const int seconds = lengthMs / 1000;
    if (seconds <= 0)
        return false;
    cells.title = (!tags.Title.isEmpty() && tags.hasTags()) ? tags.Title : BaseNameOf(path);
    cells.artist = (!tags.Artist.isEmpty() && tags.hasTags()) ? tags.Artist : QStringLiteral("Unknown");
    cells.time = LengthText(lengthMs);
    cells.bitRate = BitRateText(bytes, seconds);
    return true;
}
