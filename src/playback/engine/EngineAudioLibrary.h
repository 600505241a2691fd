#pragma once

#include "playback/AudioLibrary.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

class AudioOutput;
class EngineStream;

// The real audio library: FFmpeg decodes files, FluidSynth plays MIDI files,
// TagLib reads tag fields, and a software mixer sends every playing channel
// to the output (SDL2 by default).
//
// Threads: each open stream decodes on a thread of its own, the output calls
// the mixer from its thread; every AudioLibrary method is for the
// user-interface thread and only waits for short locks (streamOpen() also
// reads the file's headers and its first block of sound).
//
// Beyond the contract of AudioLibrary:
// - streamPlay() on a stream that has played to its end starts it again from
//   the beginning (the Repeat mode plays the open stream again).
// - A stream plays on one channel at a time: playing it again moves it.
// - A new play on a channel resets its volume to 255 and un-pauses it.
// - outputVolume() is a gain the mixer applies after the channels (full at
//   init), so it touches no other program's sound and ends with the run.
class EngineAudioLibrary : public AudioLibrary
{
public:
    // "Cannot call this command after init": init() while already open.
    static constexpr int ErrBusy = 1;
    static constexpr float EngineVersion = 1.0f;

    // Plays through the system's sound device (SDL2).
    EngineAudioLibrary();
    // Plays through `output`, for example a PullOutput driven by a test.
    explicit EngineAudioLibrary(std::unique_ptr<AudioOutput> output);
    ~EngineAudioLibrary() override;

    bool init(int rate, int maxChannels, unsigned flags) override;
    int error() const override;
    void close() override;
    float version() const override;
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
    struct Channel {
        std::shared_ptr<EngineStream> stream; // null when free
        int volume = 255;
        bool paused = false;
    };

    // Mixer: the output's render function.
    void mix(float *out, int frames);

    // The stream, or null with the error set (ErrUninitialized or ErrInvalidParam).
    EngineStream *find(StreamHandle stream) const;
    // True for a channel number of an open library; sets the error otherwise.
    bool checkChannel(int channel) const;
    // Frees the channel the stream plays on, if any. Call with m_mixMutex held.
    void detachLocked(const EngineStream *stream);
    bool succeed() const;
    bool fail(int code) const;

    std::unique_ptr<AudioOutput> m_output;
    bool m_open = false;
    int m_rate = 0;
    mutable int m_error = ErrNone;
    StreamHandle m_lastHandle = 0;
    std::map<StreamHandle, std::shared_ptr<EngineStream>> m_streams; // user-interface thread only

    mutable std::mutex m_mixMutex; // guards what the mixer reads below
    std::vector<Channel> m_channels;
    std::uint32_t m_outputVolume = 0xFFFFFFFFu;
};
