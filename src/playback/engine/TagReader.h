#pragma once

#include "playback/AudioLibrary.h"

#include <QList>
#include <QString>

// Reads the tag fields of a local file with TagLib, tag by tag and field by
// field, in the order the player's "last one wins" rule relies on: within an
// MP3 the ID3v1 fields come first, then APE, then the ID3v2 frames, so the
// full ID3v2 texts win over the 30-byte ID3v1 ones.
//
// Names: ID3v1 "TITLE", "ARTIST", "ALBUM", "YEAR", "COMMENT", "TRACK",
// "GENRE"; ID3v2 the frame ID ("TIT2"); Vorbis comments their (upper-case)
// field name; ASF "TITLE", "AUTHOR", "COPYRIGHT", "DESCRIPTION", "RATING" and
// the extended attributes by their own names ("WM/AlbumTitle"); every other
// tag (APE, MP4, RIFF INFO) kind TagOther with TagLib's common names
// ("TITLE", "ARTIST", "TRACKNUMBER"). Values are UTF-8; 8-bit texts of ID3
// tags are read as UTF-8 when valid, else as Shift-JIS (CP932), else Latin-1.
namespace TagReader {

// The fields of `path`; empty when the file has no tags or is not readable.
QList<AudioLibrary::TagField> read(const QString &path);

QString versionText();

} // namespace TagReader
