#pragma once

#include "playback/AudioLibrary.h"

#include <functional>
#include <memory>

// The program's audio library: FFmpeg decoding, FluidSynth MIDI synthesis,
// TagLib tag fields and SDL2 output, behind the AudioLibrary calls.
//
// Each stream decodes on a thread of its own into a bounded buffer; the SDL
// callback mixes the channels. Methods are for one thread (the user-interface
// thread) and return without waiting for decoding. See AudioLibrary for the
// contract of every call; in addition:
// - a stream that played to its end, or was stopped, plays again from the start;
// - streamTime() follows the sound that reached the device, not the decoding;
// - lengths come from the file and, where the container only estimates them,
//   from decoding its last seconds at open; they are exact once the stream
//   has played to its end.
class EngineAudioLibrary final : public AudioLibrary
{
public:
    EngineAudioLibrary();
    ~EngineAudioLibrary() override;

    bool init(int rate, int maxChannels, unsigned flags) override;
    int error() const override;
    void close() override;
    float version() const override;
    QStringList componentVersions() const override;
    StreamHandle streamOpen(const QString &path, unsigned mode, int offset, int length) override;
    int streamPlay(int channel, StreamHandle stream) override;
    bool streamQueue(int channel, StreamHandle next) override;
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
    QStringList outputDevices() const override;
    void setOutputDevice(const QString &name) override;
    QString outputDevice() const override;

    // Where outputDevices() and the track starts take the system's device
    // list from (SDL's by default): tests add and remove devices with it.
    void setDeviceLister(std::function<QStringList()> lister);

    // Mixes the next `frames` stereo float frames of every playing channel
    // into `out` directly, as the device would take them, waiting for the
    // decoders. For measuring the decode and mix path: from the first call on
    // the device stays paused and only render() moves the channels.
    void render(float *out, int frames);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
