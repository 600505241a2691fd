#pragma once

#include "playback/AudioLibrary.h"
#include "playback/ReplayGain.h"

#include <QHash>
#include <QList>
#include <QString>
#include <map>
#include <vector>

// A deterministic audio library for tests: nothing is decoded and nothing is
// heard. Files are scripted by path, time moves only when the test calls
// advance(), and every failure the real engine can report can be injected.
//
// Rules it follows (the same as the real engine):
// - init() must come first; other calls before it fail with ErrUninitialized.
// - streamOpen() knows only scripted paths; any other path fails with
//   ErrFileNotFound. A scripted openError makes the open fail with that code.
// - Channels are numbered 0..maxChannels-1. streamPlay(-1, s) takes the lowest
//   free channel; an explicit channel number takes that channel, stopping what
//   played there. A new channel starts unpaused at volume 255.
// - A stream plays from its current position; a stream that has played to its
//   end (or was stopped) starts again from the beginning. Playing a stream
//   that already plays moves it to the new channel.
// - advance(ms) moves the position of every stream on a playing, unpaused
//   channel by ms. When a position reaches the stream's length, it stays at
//   the length and the channel stops playing (isPlaying() false, channel free),
//   unless a stream is queued on it: that one then plays on the channel from
//   the time left over (heard at once: channelStream() reports it).
// - streamStop()/streamClose() of a queued stream takes it off the queue.
// - Byte positions are proportional to time over the scripted byte size.
// - streamSetTime() beyond the length lands on the length; the channel ends on
//   the next advance().
// - error() is ErrNone after any call that succeeded, else the failure's code.
// - Output devices are scripted with setDevices(); a successful streamPlay()
//   moves the output to the chosen device when it is scripted, else to the
//   default (as the real engine does at a track start).
// - ReplayGain factors come from the scripted tags as in the real engine.
class FakeAudioLibrary : public AudioLibrary
{
public:
    struct File {
        int lengthMs = 0;
        int bytes = 0;             // file size; byte positions scale with it
        QList<TagField> tags;      // reported in this order
        int openError = ErrNone;   // non-zero: streamOpen() fails with this code
    };

    // Scripts a file. `bytes` < 0 means a 128 kbit/s file (16 bytes per ms).
    void addFile(const QString &path, int lengthMs, int bytes = -1, QList<TagField> tags = {});
    void addFile(const QString &path, const File &file);
    // Scripts a path that exists but fails to open with `code`
    // (ErrFileFormat, ErrFileBad, ...).
    void addBrokenFile(const QString &path, int code);

    // The next init() fails with `code` (ErrInit for a missing device).
    void failInit(int code = ErrInit) { m_initError = code; }

    // The output devices the system reports from now on.
    void setDevices(const QStringList &names) { m_devices = names; }
    // The device setOutputDevice() chose last.
    QString chosenDevice() const { return m_chosenDevice; }
    // The last ReplayGain setting (mode, pre-amp, clipping prevention).
    ReplayGainSettings replayGain() const { return m_replayGain; }

    // Moves the virtual clock by `ms` (>= 0) for every playing, unpaused channel.
    void advance(int ms);

    // Call counters (attempts, failed ones included).
    int initCount() const { return m_initCount; }
    int openCount() const { return m_openCount; }
    int playCount() const { return m_playCount; }
    int stopCount() const { return m_stopCount; }
    int closeCount() const { return m_closeCount; }
    // Streams opened and not yet closed.
    int openStreamCount() const { return int(m_streams.size()); }
    // The path and mode of the last streamOpen() call.
    QString lastOpenPath() const { return m_lastOpenPath; }
    unsigned lastOpenMode() const { return m_lastOpenMode; }

    bool initialized() const { return m_initialized; }
    int initRate() const { return m_rate; }
    int initMaxChannels() const { return m_maxChannels; }
    // The stream queued on `channel` (0 when none).
    StreamHandle queuedStream(int channel) const;
    int queueCount() const { return m_queueCount; }
    // The channel `stream` plays on (-1 when it does not play or is unknown).
    int streamChannel(StreamHandle stream) const;

    // AudioLibrary
    bool init(int rate, int maxChannels, unsigned flags) override;
    int error() const override { return m_error; }
    void close() override;
    float version() const override { return 1.0f; }
    QStringList componentVersions() const override;
    StreamHandle streamOpen(const QString &path, unsigned mode, int offset, int length) override;
    int streamPlay(int channel, StreamHandle stream) override;
    bool streamQueue(int channel, StreamHandle next) override;
    // The stream on `channel` (0 when the channel is free or out of range).
    StreamHandle channelStream(int channel) const override;
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
    void setReplayGain(int mode, double preampDb, bool preventClipping) override;
    float streamGain(StreamHandle stream) const override;
    QStringList outputDevices() const override { return m_initialized ? m_devices : QStringList(); }
    void setOutputDevice(const QString &name) override { m_chosenDevice = name; }
    QString outputDevice() const override { return m_deviceInUse; }

private:
    struct Stream {
        File file;
        int positionMs = 0;
        int channel = -1;
    };
    struct Channel {
        StreamHandle stream = 0;
        bool paused = false;
        int volume = 255;
        StreamHandle queued = 0;
    };

    Stream *findStream(StreamHandle stream) const;
    const Channel *findChannel(int channel) const;
    bool fail(int code) const;
    void freeChannelOf(Stream &s);
    void unqueue(StreamHandle stream);

    QHash<QString, File> m_files;
    mutable std::map<StreamHandle, Stream> m_streams;
    std::vector<Channel> m_channels;
    StreamHandle m_nextHandle = 1;
    mutable int m_error = ErrNone;
    int m_initError = ErrNone;
    bool m_initialized = false;
    int m_rate = 0;
    int m_maxChannels = 0;
    std::uint32_t m_outputVolume = 0xFFFFFFFFu;
    ReplayGainSettings m_replayGain;
    QStringList m_devices;
    QString m_chosenDevice;
    QString m_deviceInUse;
    QString m_lastOpenPath;
    unsigned m_lastOpenMode = 0;
    int m_initCount = 0;
    int m_openCount = 0;
    int m_playCount = 0;
    int m_stopCount = 0;
    int m_closeCount = 0;
    int m_queueCount = 0;
};
