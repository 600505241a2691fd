#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The message a second start of the program sends to the player that runs on
// the same program folder: the paths it was given (absolute), or none, which
// asks the player only to come to the front.
//
// A message is a series of frames. A frame is a 4-byte big-endian payload
// length, then the payload, at most MaxFrameBytes. A batch frame's payload is
// the line "velmora-open 2\n" and paths in UTF-8, each ending in a NUL byte
// (the one byte no path contains); the message ends with the frame whose
// payload is exactly "velmora-end 2\n". So any number of paths travels in
// frames of bounded size, and the receiver holds at most one frame's bytes
// besides the paths read so far. The running player answers "ok\n" once it
// has taken the whole message, "no\n" when it refuses it.
namespace HandOver {

// The largest frame payload; a batch holds at least one path of the longest
// kind (InputBounds::maxPathBytes()).
inline constexpr qint64 MaxFrameBytes = qint64(256) << 10;
// The most bytes of paths one message may carry (about 100,000 long paths);
// a larger message is refused.
inline constexpr qint64 MaxMessageBytes = qint64(32) << 20;

// The whole message for `paths`, in frames of at most MaxFrameBytes.
// Paths that the reader would refuse are the caller's to leave out.
QByteArray encode(const QStringList &paths);

// Reads one message from bytes as they arrive, in pieces of any size.
class Reader
{
public:
    enum class State {
        Reading,  // more bytes are needed
        Complete, // the end frame arrived: paths() is the message
        Refused,  // the bytes are not a valid message (see error())
    };

    // Takes the next bytes of the stream. Once Complete or Refused, further
    // bytes change nothing (bytes after the end frame refuse the message).
    State feed(QByteArrayView bytes);
    State state() const { return m_state; }
    // The paths read so far, in order.
    const QStringList &paths() const { return m_paths; }
    // Why the message was refused, for the log.
    const QString &error() const { return m_error; }
    // The bytes this reader holds (the unfinished frame and the paths read),
    // so a server can bound the sum over its clients.
    qint64 heldBytes() const { return m_buffer.size() + m_pathBytes; }

private:
    State refuse(const QString &why);
    // Reads the frame at the start of the buffer, when it is all there.
    bool takeFrame();

    State m_state = State::Reading;
    QByteArray m_buffer;
    QStringList m_paths;
    qint64 m_pathBytes = 0;
    QString m_error;
};

inline constexpr char Acknowledgement[] = "ok\n";
inline constexpr char Refusal[] = "no\n";

} // namespace HandOver
