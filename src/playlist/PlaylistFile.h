#pragma once

#include "playlist/TrackRow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

class QIODevice;

// The playlist text format shared by every list the program writes: the
// first line "#M3UX", then two lines per track, the path line and the info
// line "#Title;Artist;Time;BitRate". Written as UTF-8 without a byte-order
// mark, every line ending in CR LF. A path whose file name holds bytes that
// are not UTF-8 is written as a "file://" URL (NativePath::fileUrlOf).

inline constexpr QLatin1StringView M3uxHeader("#M3UX");
inline constexpr QLatin1StringView FileUrlPrefix("file://");
inline const QString AutoPlaylistName = QStringLiteral("AutoPlaylist");
inline const QString FavouritesFileName = QStringLiteral("お気に入り.m3u");
inline const QString DustBoxFileName = QStringLiteral("ごみ箱.m3u");

// One track as a playlist file stores it.
struct PlaylistRecord {
    QString path;
    QString title;
    QString artist;
    QString time;
    QString bitRate;
};

// The text of a playlist file (DecodeText): UTF-16 or UTF-32 after their
// byte-order mark, else UTF-8 when the bytes are valid UTF-8 (a byte-order
// mark is dropped), otherwise Shift-JIS (CP932), the encoding of playlists
// written on older Japanese systems.
QString DecodePlaylistText(const QByteArray &bytes, bool *wasUtf8 = nullptr);

// Writes the header and one record per row to `out`: two lines a track, each
// ending in CR LF. A line end inside a field would split the record and
// shift every later pair, so CR (and in the info fields LF too) becomes a
// space; a ";" inside Title, Artist or Time would move the later fields, so
// it is written as the full-width "；". Returns false on the first write error.
bool WriteM3ux(QIODevice &out, const std::vector<TrackRow> &rows);

// Appends `records` to the playlist file at `filePath` in one atomic rewrite.
// A missing or empty file is created with the "#M3UX" line first; a file
// whose last line lacks its line end gets CR LF first; a file that is not
// UTF-8 (Shift-JIS, UTF-16) is rewritten as UTF-8. Returns false when
// nothing could be written; the old file is then unchanged.
bool AppendPlaylistRecords(const QString &filePath, const QList<PlaylistRecord> &records);
