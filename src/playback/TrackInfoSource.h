#pragma once

#include "playback/Tags.h"

#include <QString>
#include <QtGlobal>

// What a file tells about itself without being played: its tag texts, its
// length and its size.
struct TrackFacts {
    TagInfo tags;
    int lengthMs = 0;
    qint64 bytes = 0;
};

// Reads the tags and length of local files for the list's cells.
//
// Threads: readTrackInfo() may be called from any thread, from several at
// once; it blocks for as long as the file takes to open (it is meant for a
// background thread, never the user-interface thread).
class TrackInfoSource
{
public:
    virtual ~TrackInfoSource() = default;

    // Fills `facts` for the file at `path`; false (facts untouched) when the
    // file cannot be opened or decoded, or holds a tag of an unknown kind.
    virtual bool readTrackInfo(const QString &path, TrackFacts &facts) = 0;

    // A run of reads begins (true) or ends (false): between the two the
    // source may keep what it loaded for reading. Calls pair up; any thread.
    virtual void readingRun(bool running) { (void)running; }
};
