#include "playback/TrackCells.h"

#include "playback/Tags.h"
#include "playlist/PathNames.h"

QString LengthText(int lengthMs)
{
    const int seconds = lengthMs / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString BitRateText(qint64 bytes, int lengthMs)
{
    // bytes * 8 bits over lengthMs milliseconds is kilobits a second.
    return lengthMs > 0 ? QString::number(bytes * 8 / lengthMs) + QStringLiteral("bps") : QString();
}

bool CellsOfTrack(const QString &path, const TagInfo &tags, int lengthMs, qint64 bytes, TrackCells &cells)
{
    if (lengthMs <= 0)
        return false;
    cells.title = (!tags.Title.isEmpty() && tags.hasTags()) ? tags.Title : BaseNameOf(path);
    cells.artist = (!tags.Artist.isEmpty() && tags.hasTags()) ? tags.Artist : QStringLiteral("Unknown");
    cells.time = LengthText(lengthMs);
    cells.bitRate = BitRateText(bytes, lengthMs);
    return true;
}
