#pragma once

#include "playback/AudioLibrary.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Reads the tag fields of a local file with TagLib, in the order the player
// takes them (a later field of the same name wins):
// - ID3v1 (kind 1) as TITLE, ARTIST, ALBUM, YEAR, COMMENT, TRACK, GENRE;
// - ID3v2 (kind 2): text frames and comments, named by frame id; user text
//   frames named "TXXX:<description>" with the value alone;
// - Vorbis comments (kind 0) of Vorbis, Opus, Speex and FLAC, names in capitals;
// - ASF (kind 5): TITLE, AUTHOR, COPYRIGHT, DESCRIPTION, RATING, then the
//   WM/ attributes that hold text or numbers;
// - APE tags and every other format's tags (kind 6), names in capitals; of
//   MP4's freeform atoms the REPLAYGAIN_ ones, named by their last part.
// Values are UTF-8. An empty list for files without tags or that TagLib
// cannot read.
QList<AudioLibrary::TagField> readTagFields(const QString &path);

// Text an old tag stored as Latin-1, as UTF-8. Japanese programs wrote
// Shift-JIS (code page 932) into such fields, and some write UTF-8 there: when
// the bytes are not plausible Latin-1 (they hold C1 control codes) but are
// well-formed UTF-8 or Shift-JIS, they are decoded as that.
QByteArray decodeLegacyTagText(const QByteArray &bytes);
