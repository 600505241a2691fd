#pragma once

#include <QString>

// The track the player has open, as the commands on the list see it. The
// player implements it; tests pass a recorder. User-interface thread only.
class PlayingTrack
{
public:
    virtual ~PlayingTrack() = default;

    // The path of the file that plays now (an archive member's entry as the
    // list holds it); empty when none is open.
    virtual QString PlayingFilePath() const = 0;

    // The file at `path` is about to be moved or deleted: when the player
    // has it open, playback stops and the stream is closed, so the file is
    // free. Any other path changes nothing.
    virtual void releaseFile(const QString &path) = 0;

    // The list became empty: the open stream is closed and playback goes
    // idle. Harmless when nothing is open.
    virtual void closeStream() = 0;
};
