#pragma once

#include "playback/AudioLibrary.h"
#include "playback/StreamFormat.h"

#include <QList>
#include <QString>
#include <QtGlobal>

// Everything a local file tells about itself without being played.
struct TrackDetails {
    qint64 bytes = 0;
    // The length as the player measures it; 0 when the file cannot be decoded.
    int lengthMs = 0;
    // Every tag field in the order the file holds them.
    QList<AudioLibrary::TagField> fields;
    // How the sound is stored, when known (formatKnown).
    StreamFormat format;
    bool formatKnown = false;
};

// Reads the details of one file for its properties window.
//
// Threads: the user-interface thread; readDetails() blocks for as long as the
// file takes to open (one file, at the user's request).
class TrackDetailsSource
{
public:
    virtual ~TrackDetailsSource() = default;

    // Fills `details` for the local file at `path`. Returns false (details
    // untouched) when there is no readable file at `path`; a file that
    // cannot be decoded is read: its length is then 0.
    virtual bool readDetails(const QString &path, TrackDetails &details) = 0;
};

// The details the audio library itself gives through a stream: size,
// length and tag fields; the format stays unknown.
class AudioLibraryDetails final : public TrackDetailsSource
{
public:
    explicit AudioLibraryDetails(AudioLibrary &audio) : m_audio(audio) {}
    bool readDetails(const QString &path, TrackDetails &details) override;

private:
    AudioLibrary &m_audio;
};
