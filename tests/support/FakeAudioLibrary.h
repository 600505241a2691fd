#pragma once

#include "playback/AudioLibrary.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

// A deterministic audio library for tests: a virtual clock instead of a
// device, scripted files (lengths, sizes, tags, failures) instead of decoders,
// and a log of every call. Its behaviour follows the real engine's contract
// (see EngineAudioLibrary.h): a stream that has played to its end starts again
// from 0 when played; a stream plays on one channel at a time; a new play
// resets the channel's volume to 255 and un-pauses it; a channel whose stream
// has ended is free for the next play.
class FakeAudioLibrary : public AudioLibrary
{
public:
    static constexpr int ErrBusy = 1;

    struct Track {
        int lengthMs = 180000;
        // File size; 0 means lengthMs at 128 kbit/s (16 bytes per millisecond).
        int bytes = 0;
        QList<TagField> tags;
        // Not ErrNone: streamOpen() fails with this code.
        int openError = ErrNone;
        // 0 or more: the sound ends here although the length says more (a
        // damaged file that stops early).
        int endsAtMs = -1;
    };

    // Scripts the file at `path`. Unscripted paths fail with ErrFileNotFound
    // unless acceptExistingFiles() was called.
    void addTrack(const QString &path, const Track &track);
    void addTrack(const QString &path) { addTrack(path, Track()); }
    // Files that exist on disk and are not scripted open as `track`.
    void acceptExistingFiles(const Track &track);
    void acceptExistingFiles() { acceptExistingFiles(Track()); }
    // The next init() fails with `code` (ErrNone: succeeds again).
    void failInit(int code = ErrInit) { m_initFailure = code; }
    // While set, streamPlay() finds no free channel.
    void failPlay(bool fail = true) { m_playFailure = fail; }
    // Without a device outputVolume() reads 0 and setOutputVolume() does nothing.
    void setOutputDevicePresent(bool present) { m_devicePresent = present; }

    // The virtual clock: every un-paused channel with sound moves on by `ms`;
    // a stream stops at its end.
    void advance(int ms);
    // Lets the stream on `channel` play to its end.
    void playToEnd(int channel);

    // Every call so far, one line each: "init 44100 32 0", "open /a.mp3",
    // "play -1 1", "stop 1", "close-stream 1", "settime 1 0", "setposition 1 99",
    // "pause 0 1", "volume 0 128", "outputvolume 4294967295", "close".
    // Queries (lengths, times, tags, isPlaying) are not logged.
    QStringList calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }
    // Paths passed to successful streamOpen() calls, in order.
    QStringList opened() const { return m_opened; }
    bool isInitialised() const { return m_open; }
    int openStreamCount() const { return int(m_streams.size()); }
    // The path a stream was opened from; empty for an unknown handle.
    QString pathOf(StreamHandle stream) const;
    // The stream on `channel`, 0 when free or out of range.
    StreamHandle streamOn(int channel) const;

    // AudioLibrary
    bool init(int rate, int maxChannels, unsigned flags) override;
    int error() const override { return m_error; }
    void close() override;
    float version() const override { return 1.0f; }
    QStringList componentVersions() const override;
    StreamHandle streamOpen(const QString &path, unsigned mode, int offset, int length) override;
    int streamPlay(int channel, StreamHandle stream) override;
    bool streamStop(StreamHandle stream) override;
    bool streamClose(StreamHandle stream) override;
    int streamLengthMs(StreamHandle stream) const override;
    int streamTime(StreamHandle stream) const override;
    bool streamSetTime(StreamHandle stream, int ms) override;
    int streamLength(StreamHandle stream) const override;
    int streamPosition(StreamHandle stream) const override;
    bool streamSetPosition(StreamHandle stream, int position) override;
    int streamNumTagFields(StreamHandle stream) const override;
    bool streamTagField(StreamHandle stream, int index, TagField &field) const override;
    bool isPlaying(int channel) const override;
    bool paused(int channel) const override;
    bool setPaused(int channel, bool paused) override;
    bool setVolume(int channel, int volume) override;
    int volume(int channel) const override;
    std::uint32_t outputVolume() const override;
    void setOutputVolume(std::uint32_t volume) override;

private:
    struct Stream {
        QString path;
        Track track;
        int timeMs = 0;
        int endMs() const;
        int bytes() const;
        bool finished() const { return timeMs >= endMs(); }
    };
    struct Channel {
        StreamHandle stream = 0;
        int volume = 255;
        bool paused = false;
    };

    Stream *find(StreamHandle stream) const;
    const Channel *channelAt(int channel) const;
    bool fail(int code) const;
    bool succeed() const;
    void detach(StreamHandle stream);
    void log(const QString &line) { m_calls.append(line); }

    QHash<QString, Track> m_tracks;
    std::optional<Track> m_existingFiles;
    int m_initFailure = ErrNone;
    bool m_playFailure = false;
    bool m_devicePresent = true;

    bool m_open = false;
    mutable int m_error = ErrNone;
    StreamHandle m_lastHandle = 0;
    mutable std::map<StreamHandle, Stream> m_streams;
    std::vector<Channel> m_channels;
    std::uint32_t m_outputVolume = 0xFFFFFFFFu;
    QStringList m_calls;
    QStringList m_opened;
};
