#pragma once

#include "playback/AudioLibrary.h"

#include <QList>
#include <QString>
#include <stdexcept>

// The tag texts of one stream.
struct TagInfo {
    QString TagType; // kind name of the last field taken
    QString Title;
    QString Artist;
    QString Album;
    QString Track;
    QString Year;
    QString Comment;
    // True once any field was taken. Fields of the "others" kind (APE, MP4,
    // RIFF INFO ...) have an empty kind name, so TagType alone cannot tell
    // whether the record holds tag texts.
    bool FieldsTaken = false;

    // Whether the title and artist cells take this record's texts.
    bool hasTags() const { return !TagType.isEmpty() || FieldsTaken; }
};

// A tag field of an unknown kind: the track cannot be shown and counts as
// unplayable.
class TagKindError : public std::runtime_error
{
public:
    explicit TagKindError(int kind);
    int kind() const { return m_kind; }

private:
    int m_kind;
};

// Kind names by kind number 0..6 ("VORBIS", "ID3V1", "ID3V2", "SHOUTcast",
// "Icecast", "ASF", empty). Throws TagKindError for other numbers.
QString TagKindName(int kind);

// A zero-terminated text as the library hands it over: at most 255 bytes,
// ending at the first zero byte, and never ending inside a UTF-8 character.
QString PtrToText(const QByteArray &bytes);

// Reads the fields of `stream` into a TagInfo. Field names fill the record by
// their first two letters (TI title, AR or AU artist, AL album, TR track,
// YE year, CO comment; case-sensitive); ID3v2 frames, whose ids all start
// with "T", are mapped by meaning instead (TIT2, TPE1 or else TPE2, TALB,
// TRCK, TYER or TDRC, COMM). A later field overwrites an earlier one.
// Throws TagKindError when a field has a kind of 7 or more.
TagInfo ReadTags(const AudioLibrary &audio, AudioLibrary::StreamHandle stream);
// The same rules over fields already read (a file's fields as the tag
// reader returns them). Throws TagKindError as ReadTags does. Any thread.
TagInfo TagsFromFields(const QList<AudioLibrary::TagField> &fields);
