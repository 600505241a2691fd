#pragma once

#include <QString>
#include <QtGlobal>

// The texts of the Time and BitRate cells, written the same way whether the
// playing stream or a background tag read fills them.

// "m:ss" of a length in milliseconds (seconds cut, not rounded).
QString LengthText(int lengthMs);

// The BitRate cell of a file of `bytes` bytes lasting `lengthMs`
// milliseconds: the mean rate over the whole file, tags and headers
// included, in kilobits a second as the playlist file stores it ("128bps").
// Empty when the length is unknown (0).
QString BitRateText(qint64 bytes, int lengthMs);

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
// False for a file whose length is unknown (0): it is left for when it plays.
bool CellsOfTrack(const QString &path, const TagInfo &tags, int lengthMs, qint64 bytes, TrackCells &cells);
