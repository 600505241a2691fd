#pragma once

#include "playback/AudioLibrary.h"
#include "playback/engine/DecoderModule.h"
#include "playback/StreamFormat.h"

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

// The tag fields as readTagFields() gives them and the length the headers
// state, read in one pass: MPEG audio from its Xing/Info or VBRI header
// (less the encoder delay and padding a LAME tag records, as the decoder
// drops them) or, without one, from the bit rate and the size of the frames;
// FLAC, WAV, AIFF, WavPack, APE and Musepack from their sample counts; Ogg
// from its granule positions; MP4 from its track header, less the priming
// and the padding its edit list or iTunes gapless data mark. False when TagLib does not know the file; a length
// of 0 when the headers give none.
bool readTrackHeader(const QString &path, TrackHeader &header);
// How the sound of a local file is stored, from TagLib's reading of its
// headers: the format, the codec, the sample rate, channels, bit rate and
// length. False when TagLib cannot read the file.
bool readStreamFormat(const QString &path, StreamFormat &format);

// Text an old tag stored as Latin-1, as UTF-8. Japanese programs wrote
// Shift-JIS (code page 932) into such fields, and some write UTF-8 there: when
// the bytes are not plausible Latin-1 (they hold C1 control codes) but are
// well-formed UTF-8 or Shift-JIS, they are decoded as that.
QByteArray decodeLegacyTagText(const QByteArray &bytes);
