#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class DecodedStream;
class PulseOutput;

// The output device (SDL2 audio) and the mixer that feeds it: up to N
// channels, each one stream with a volume 0..255 (linear amplitude) and a
// pause flag, summed into interleaved stereo float at the device rate, then
// scaled by the program's output volume.
//
// Threads: the public methods are for the user-interface thread; they take
// the mix mutex, which the audio callback holds while it mixes, so channel
// tables and positions never change under the callback. When no channel is
// audible the device is paused and the callback stops being called; after a
// moment of idleness the device is closed (no wake-ups at all while paused
// or stopped) and reopened when something plays again.
//
// Output contract: what is mixed is heard at most kMaxLatencyMs later, so a
// pause, stop, seek or volume change is heard within that time. Through a
// PulseAudio server (SDL's "pulseaudio" driver, when built with libpulse) the
// mixer feeds its own stream (PulseOutput) rather than SDL's, whose buffer
// attributes cannot be chosen; any other driver gets SDL buffers of at most
// that length.
class SdlMixer
{
public:
    static constexpr int kMaxLatencyMs = 100;

    SdlMixer();
    ~SdlMixer();

    SdlMixer(const SdlMixer &) = delete;
    SdlMixer &operator=(const SdlMixer &) = delete;

    // Opens the system's default output (stereo) with `channels` mixing
    // channels, paused, at the output's own rate where the system tells it,
    // otherwise at `rate` Hz. False when no output can be opened.
    bool open(int rate, int channels);
    // Closes the device. The caller detached every stream first.
    void close();
    bool isOpen() const { return m_sdlInitialised; }
    int rate() const { return m_rate; }
    // The SDL driver in use ("pulseaudio", "pipewire", "alsa", "dummy", "disk"...).
    QString driverName() const { return m_driver; }
    // Frames between the mix and the ear while the device is open: the
    // longest a change of pause, position or volume takes to be heard.
    int latencyFrames() const;

    // Plays `stream` on `channel` (-1: the lowest free one) from the stream's
    // position, unpaused at volume 255; a stream that played to its end starts
    // over. A stream playing elsewhere moves; one playing on the chosen channel
    // is stopped and rewound. Returns the channel, or -1 (bad channel number,
    // none free).
    int play(int channel, DecodedStream *stream);
    // Queues `next` to follow the stream on `channel`: its first frame is
    // mixed right after that stream's last one, in the same buffer, and the
    // channel goes on with it (volume and pause kept). `next` starts decoding
    // ahead at once. False when the channel is free, its stream has already
    // been mixed to its end, `next` is that stream or plays elsewhere, or the
    // channel's previous hand-over has not been heard yet, or the output
    // should move to another device (chosen since, or back again): a track
    // start moves it. Replaces a stream queued before.
    bool queue(int channel, DecodedStream *next);
    // The stream heard on `channel`: after a hand-over, the stream before it
    // until the queued one's first frame reached the device. Null when free.
    const DecodedStream *heard(int channel);
    // Takes `stream` off its channel (nothing when it plays nowhere). A
    // queued stream leaves the queue; a stream whose follower has taken over
    // but is not heard yet stops the channel; that follower itself gives the
    // channel back to the stream it followed.
    void detach(DecodedStream *stream);
    // Moves `stream` to `frame`; a channel playing it continues from there.
    void seek(DecodedStream *stream, std::int64_t frame);
    // Position of the sound of `stream` that has reached the device, in frames.
    std::int64_t position(const DecodedStream *stream) const;
    // The channel `stream` plays on, -1 when none.
    int channelOf(const DecodedStream *stream) const;

    // True while the channel still has sound to output (paused counts).
    // Frees the channel once its stream's last frame has been output.
    bool isPlaying(int channel);
    bool paused(int channel) const;
    bool setPaused(int channel, bool paused);
    bool setVolume(int channel, int volume);
    int volume(int channel) const;

    // A factor `stream` is scaled by before its channel's volume (1 by
    // default; 1 again forgets the stream). Heard within the output latency.
    void setStreamGain(const DecodedStream *stream, float gain);

    // The output devices SDL reports now, by name (the default not among them).
    QStringList devices() const;
    // The device to open from the next track start on (empty: the system's
    // default). A track start opens it when devices() lists it (also as
    // "name (2)", as SDL names a device that came back), else the default,
    // and moves an open output to it once it is listed again.
    void setDevice(const QString &name);
    // The device the output was last opened on; empty for the default.
    QString device() const;
    // Where devices() takes its list from (SDL's list by default): a seam
    // for tests, whose silent driver cannot add or remove devices.
    void setDeviceLister(std::function<QStringList()> lister);

    // Output volume: low 16 bits left, high 16 bits right, 0..65535 each.
    std::uint32_t outputVolume() const { return m_outputVolume; }
    void setOutputVolume(std::uint32_t volume);

    // Mixes `frames` frames into `out` exactly as the device callback does,
    // advancing every playing channel, waiting for the decoders rather than
    // leaving gaps. For measuring the decode and mix path without a sound
    // card: from the first call on the device stays paused, and only render()
    // moves the channels.
    void render(float *out, int frames);

private:
    struct Channel {
        DecodedStream *stream = nullptr;
        int volume = 255;
        bool paused = false;
        DecodedStream *queued = nullptr;  // follows `stream` without a gap
        DecodedStream *previous = nullptr; // handed over to `stream`, its end not heard yet
    };
    class Lock;

    static void callback(void *self, unsigned char *data, int len);
    static void fill(void *self, float *out, int frames);
    bool openDevice();
    bool openDeviceNamed(const QString &name);
    // The name SDL lists the chosen device by now (its own, or with a
    // number SDL added when it came back); empty when none is chosen or it
    // is not listed.
    QString presentDevice() const;
    // The open output is not the one a track start should play on.
    bool deviceOutdated() const;
    // The open SDL device went away (unplugged) while it should play. A
    // server stream moved off a chosen sink that went away is recorded as
    // playing on the default.
    bool deviceLost();
    float gainOf(const DecodedStream *stream) const;
    void closeDevice();
    void pauseDevice(bool paused);
    // Drops what the output holds and has not played (only a server stream can).
    void dropQueued();
    void keepDevice();
    void mix(float *out, int frames);
    std::int64_t estimate(const DecodedStream &s) const;
    bool done(const Channel &c) const;
    bool heardToEnd(const DecodedStream &s) const;
    // Mixes the queued stream into the rest of a buffer whose first `used`
    // frames ended the channel's stream, and makes it the channel's stream.
    void handOver(Channel &c, float *out, int used, int frames, float left, float right);
    // Undoes a hand-over that has not been heard: the follower goes back to
    // its start, the channel to the stream it followed.
    void takeBack(Channel &c);
    void retireHeard(Channel &c);
    void release(Channel &c);
    void updateDevicePause(Lock &lock, bool dropQueuedSound = false);
    Channel *channel(int index);
    const Channel *channel(int index) const;

    mutable std::mutex m_deviceMutex;   // m_device, its pause state and the idle deadline
    mutable std::mutex m_mixMutex;      // channels, gains, positions: what the callback reads
    std::condition_variable m_keeperWake;
    std::thread m_keeper;
    bool m_keeperQuit = false;
    std::optional<std::chrono::steady_clock::time_point> m_idleDeadline;
    bool m_closeWhenIdle = true;
    std::uint32_t m_device = 0;
    std::unique_ptr<PulseOutput> m_pulse; // stands in for m_device through a PulseAudio server
    bool m_usePulse = false;
    int m_rate = 0;
    int m_bufferFrames = 0;
    int m_latencyFrames = 0;
    bool m_fileOutput = false;          // the disk driver: no queue behind the callback
    bool m_waitForData = false;         // mix waits for decoders instead of leaving gaps
    bool m_interpolate = true;          // positions follow the clock between callbacks
    bool m_manual = false;              // render() drives the mix; the device stays paused
    bool m_devicePaused = true;
    bool m_sdlInitialised = false;
    QString m_driver;
    std::vector<Channel> m_channels;
    float m_gainLeft = 1.0f;
    float m_gainRight = 1.0f;
    std::uint32_t m_outputVolume = 0xFFFFFFFFu;
    std::vector<std::pair<const DecodedStream *, float>> m_streamGains; // only streams with a gain != 1
    QString m_chosenDevice;  // under m_deviceMutex, like the two below
    QString m_openedDevice;
    std::function<QStringList()> m_listDevices;
};
