#pragma once

#include <QString>
#include <QtGlobal>

// The texts of the Time and BitRate cells, written the same way whether the
// playing stream or a background tag read fills them.

// "m:ss" of a length in milliseconds (seconds cut, not rounded).
QString LengthText(int lengthMs);

// The BitRate cell of a file of `bytes` bytes lasting `seconds` (> 0) whole
// seconds: the mean rate over the whole file, tags and headers included.
QString BitRateText(qint64 bytes, int seconds);

struct TagInfo;

// Title, Artist, Time and BitRate as a row shows a file.
struct TrackCells {
    QString title;
    QString artist;
    QString time;
    QString bitRate;
};

// The cells of the file at `path` from its tags, length and size: the tag
// title or else the file's base name, the tag artist or else "Unknown".
// False for a file under one second long (it counts as unplayable).
bool CellsOfTrack(const QString &path, const TagInfo &tags, int lengthMs, qint64 bytes, TrackCells &cells);
