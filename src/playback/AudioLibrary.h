#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

// The audio library: every decoding and output call the player makes, one
// method per call, with the arguments and results the player relies on.
//
// Handles: a stream handle is 32-bit and 0 means "none"; a channel number is
// what streamPlay() returned and -1 means "none".
//
// Threads: all methods are called from the user-interface thread. They return
// quickly (no method waits for decoding or for the device beyond opening a
// file), and never hand back data another thread is still changing.
class AudioLibrary
{
public:
    using StreamHandle = std::uint32_t;

    // Error codes reported by error(); texts in FmodErrorText().
    enum Error {
        ErrNone = 0,
        ErrUninitialized = 2,
        ErrInit = 3,
        ErrPlay = 5,
        ErrFileNotFound = 9,
        ErrFileFormat = 10,
        ErrFileBad = 11,
        ErrMemory = 12,
        ErrInvalidParam = 14,
        ErrChannelAlloc = 16,
    };

    // Tag field kinds reported by streamTagField().
    enum TagKind { TagVorbis = 0, TagId3v1 = 1, TagId3v2 = 2, TagShoutcast = 3, TagIcecast = 4, TagAsf = 5, TagOther = 6 };

    struct TagField {
        int kind = TagOther;
        QByteArray name;   // UTF-8, as the format names it (e.g. "TITLE", "TIT2")
        QByteArray value;  // UTF-8 text
    };

    virtual ~AudioLibrary() = default;

    // Opens the output device at `rate` Hz (or at the device's own rate, when
    // the library knows it: times are in milliseconds either way) mixing up
    // to `maxChannels` channels.
    // Returns false when no output can be opened; error() then gives ErrInit.
    // Called once per run, before any other call except error() and version().
    virtual bool init(int rate, int maxChannels, unsigned flags) = 0;

    // The code of the last failure (ErrNone when the last call succeeded or
    // nothing failed yet).
    virtual int error() const = 0;

    // Stops every channel, frees every stream and closes the device. The last
    // call of a run; later calls fail harmlessly.
    virtual void close() = 0;

    // The engine's version number.
    virtual float version() const = 0;

    // Human-readable versions of the components really in use (decoder,
    // output, synthesiser, tag reader), one per line, for the version tab.
    virtual QStringList componentVersions() const = 0;

    // Opens a local file as a stream (mode, offset and length as the player
    // passes them: 0x130, 0, 0). Returns 0 on failure with error() set to
    // ErrFileNotFound, ErrFileFormat or ErrFileBad. Only local files are read.
    virtual StreamHandle streamOpen(const QString &path, unsigned mode, int offset, int length) = 0;

    // Starts the stream on `channel` (-1 = any free channel) from its current
    // position. Returns the channel number used, -1 on failure.
    virtual int streamPlay(int channel, StreamHandle stream) = 0;

    // Queues `next` to follow the stream on `channel` without a gap: its
    // first sample is output right after that stream's last one, on the same
    // channel (volume and pause kept), converted to the output's format like
    // any stream; the channel keeps playing. `next` is decoded ahead from
    // now. False, with nothing queued, for an unknown stream, a free channel,
    // a channel whose stream has output its last sample already or whose
    // previous hand-over is not heard yet, or `next` playing on a channel.
    // A later call replaces the queued stream. streamStop() or streamClose()
    // of `next` takes it off the queue (after the hand-over, until it is
    // heard: the channel goes back to the stream it followed); of the
    // stream it follows, stops the channel.
    virtual bool streamQueue(int channel, StreamHandle next) = 0;

    // The stream heard on `channel` now: a queued stream once its first
    // sample has reached the device, until then the stream it follows.
    // 0 for a free channel.
    virtual StreamHandle channelStream(int channel) const = 0;

    // Stops output of the stream; its channel becomes free. False for an
    // unknown stream.
    virtual bool streamStop(StreamHandle stream) = 0;

    // Stops and frees the stream; the handle becomes invalid.
    virtual bool streamClose(StreamHandle stream) = 0;

    // Exact length in milliseconds; 0 for an unknown stream.
    virtual int streamLengthMs(StreamHandle stream) const = 0;

    // Position in milliseconds of the sound that has reached the device.
    virtual int streamTime(StreamHandle stream) const = 0;

    // Moves the stream to `ms`; output continues from there.
    virtual bool streamSetTime(StreamHandle stream, int ms) = 0;

    // Length in bytes: the size of the file. 0 for an unknown stream.
    virtual int streamLength(StreamHandle stream) const = 0;

    // Position in bytes, proportional to time over the file's size.
    virtual int streamPosition(StreamHandle stream) const = 0;

    // Moves the stream to the time that corresponds to byte `position`.
    virtual bool streamSetPosition(StreamHandle stream, int position) = 0;

    // Number of tag fields of the stream; 0 for none or an unknown stream.
    virtual int streamNumTagFields(StreamHandle stream) const = 0;

    // Fills `field` with field `index` (0-based). False when out of range.
    virtual bool streamTagField(StreamHandle stream, int index, TagField &field) const = 0;

    // True while the channel has sound still to output; a paused channel
    // counts as playing; false once the last sample was output or after stop.
    virtual bool isPlaying(int channel) const = 0;

    virtual bool paused(int channel) const = 0;
    virtual bool setPaused(int channel, bool paused) = 0;

    // Channel volume 0..255, linear amplitude (128 is about -6 dB).
    virtual bool setVolume(int channel, int volume) = 0;
    virtual int volume(int channel) const = 0;

    // The program's own output volume, as the system mixer's per-program
    // volume: low 16 bits left, high 16 bits right, each 0..65535. Reads 0
    // when no output exists.
    virtual std::uint32_t outputVolume() const = 0;
    virtual void setOutputVolume(std::uint32_t volume) = 0;

    // Loudness levelling: each stream's gain from its tags under `mode`
    // (ReplayGainMode: 0 off, 1 track, 2 album falling back to track),
    // `preampDb` added, capped by the tagged peak when `preventClipping`. It
    // scales the stream before the channel and output volumes; the streams
    // already open, the playing one included, take the new gain at once.
    // Off (the state after init) leaves every stream unchanged.
    virtual void setReplayGain(int mode, double preampDb, bool preventClipping) = 0;
    // The factor the stream plays with under the current setting (1 when
    // off, untagged or unknown).
    virtual float streamGain(StreamHandle stream) const = 0;

    // The output devices the system reports now, in its order, by the names
    // setOutputDevice() takes; the default output is not among them. Empty
    // before init() or when the system names none.
    virtual QStringList outputDevices() const = 0;
    // Chooses the device sound goes to; empty for the system's default. Taken
    // when a track starts: when the chosen device is missing then, the default
    // plays instead, and the chosen one is taken again at the first track
    // start that finds it present.
    virtual void setOutputDevice(const QString &name) = 0;
    // The device the sound goes to now: the chosen one, or empty for the
    // default (nothing chosen, or the chosen one missing at the last start).
    virtual QString outputDevice() const = 0;
};

// The English text of an audio library error code; "Unknown error" for codes
// outside 0..19.
QString FmodErrorText(int code);
