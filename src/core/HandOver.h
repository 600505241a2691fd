#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The message a second start of the program sends to the player that runs on
// the same program folder: the paths it was given (absolute), or none, which
// asks the player only to come to the front.
//
// A frame is a 4-byte big-endian payload length, then the payload: the line
// "velmora-open 1\n" and the paths in UTF-8, each ending in a NUL byte (the
// one byte no path contains).
namespace HandOver {

// Frames larger than this are refused unread (about 40,000 long paths).
inline constexpr qint64 MaxPayloadBytes = qint64(16) << 20;

QByteArray encode(const QStringList &paths);

struct Decoded {
    enum Status { Incomplete, Complete, Bad };
    Status status = Incomplete;
    QStringList paths;  // when Complete
    qint64 consumed = 0; // bytes of `buffer` the frame took, when Complete
};

// Reads one frame from the start of `buffer`: Incomplete while bytes are
// missing, Bad for a wrong header, an oversized length, a payload that is
// not UTF-8 or a path that is empty or relative.
Decoded decode(const QByteArray &buffer);

// The reply of the running player once it has the frame.
inline constexpr char Acknowledgement[] = "ok\n";

} // namespace HandOver
