#include "playback/engine/SdlMixer.h"

#include "playback/engine/DecodedStream.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>

// Holds SDL's device lock: the audio callback runs only while nobody holds it.
class SdlMixer::Lock
{
public:
    explicit Lock(const SdlMixer &m) : m_device(m.m_device)
    {
        if (m_device)
            SDL_LockAudioDevice(m_device);
    }
    ~Lock()
    {
        if (m_device)
            SDL_UnlockAudioDevice(m_device);
    }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    SDL_AudioDeviceID m_device;
};

SdlMixer::~SdlMixer()
{
    close();
}

bool SdlMixer::open(int rate, int channels)
{
    if (m_device || rate <= 0 || channels <= 0)
        return false;
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Velmora");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_sdlInitialised = true;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // About 46 ms per callback: few wake-ups, and still well inside the
    // precision the position must have.
    want.samples = rate <= 48000 ? 2048 : 4096;
    want.callback = &SdlMixer::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the hardware takes, so the
    // mixer always works in one format.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlInitialised = false;
        return false;
    }
    m_rate = rate;
    m_bufferFrames = have.samples;
    m_driver = QString::fromUtf8(SDL_GetCurrentAudioDriver());
    // A file or a silent timer has no queue behind the callback; a real
    // device plays a buffer about one buffer after it was mixed.
    const bool virtualDevice = m_driver == QLatin1String("disk") || m_driver == QLatin1String("dummy");
    m_latencyFrames = virtualDevice ? 0 : m_bufferFrames;
    // The disk driver takes buffers as fast as it is told to, not in real
    // time: what was mixed is what reached the file.
    m_interpolate = m_driver != QLatin1String("disk");
    // A file loses nothing by waiting for the decoder, and then holds every sample.
    m_waitForData = m_driver == QLatin1String("disk");
    m_channels.assign(std::size_t(channels), Channel());
    m_devicePaused = true;
    m_outputVolume = 0xFFFFFFFFu;
    m_gainLeft = m_gainRight = 1.0f;
    return true;
}

void SdlMixer::close()
{
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    if (m_sdlInitialised) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlInitialised = false;
    }
    m_channels.clear();
}

SdlMixer::Channel *SdlMixer::channel(int index)
{
    return index >= 0 && index < int(m_channels.size()) ? &m_channels[std::size_t(index)] : nullptr;
}

const SdlMixer::Channel *SdlMixer::channel(int index) const
{
    return index >= 0 && index < int(m_channels.size()) ? &m_channels[std::size_t(index)] : nullptr;
}

void SdlMixer::callback(void *self, unsigned char *data, int len)
{
    auto *m = static_cast<SdlMixer *>(self);
    m->mix(reinterpret_cast<float *>(data), len / int(2 * sizeof(float)));
}

void SdlMixer::mix(float *out, int frames)
{
    std::memset(out, 0, std::size_t(frames) * 2 * sizeof(float));
    m_lastCallback = std::chrono::steady_clock::now();
    int mixed = 0;
    for (Channel &c : m_channels) {
        if (!c.stream)
            continue;
        DecodedStream::OutputState &o = c.stream->out;
        o.mixStart = o.mixEnd;
        if (o.ended || c.paused)
            continue;
        const float g = float(c.volume) / 255.0f;
        const int got = c.stream->mixInto(out, frames, g * m_gainLeft, g * m_gainRight, m_waitForData);
        o.mixEnd += got;
        mixed += got > 0;
        if (got < frames && c.stream->drained())
            o.ended = true;
    }
    if (mixed > 1) {
        for (int i = 0; i < frames * 2; ++i)
            out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
}

void SdlMixer::render(float *out, int frames)
{
    Lock lock(*this);
    mix(out, frames);
}

std::int64_t SdlMixer::estimate(const DecodedStream &s) const
{
    const DecodedStream::OutputState &o = s.out;
    if (!m_interpolate)
        return o.mixEnd;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_lastCallback).count();
    const std::int64_t est = o.mixStart + std::int64_t(elapsed * m_rate) - m_latencyFrames;
    return std::clamp(est, std::min(o.floor, o.mixEnd), o.mixEnd);
}

bool SdlMixer::done(const Channel &c) const
{
    return c.stream && c.stream->out.ended && estimate(*c.stream) >= c.stream->out.mixEnd;
}

void SdlMixer::release(Channel &c)
{
    if (c.stream)
        c.stream->setWanted(false);
    c = Channel();
}

void SdlMixer::updateDevicePause()
{
    if (!m_device)
        return;
    const bool audible = std::any_of(m_channels.begin(), m_channels.end(),
                                     [this](const Channel &c) { return c.stream && !c.paused && !done(c); });
    if (audible == m_devicePaused) {
        m_devicePaused = !audible;
        SDL_PauseAudioDevice(m_device, m_devicePaused ? 1 : 0);
    }
}

int SdlMixer::play(int index, DecodedStream *stream)
{
    Lock lock(*this);
    if (!stream || index < -1 || index >= int(m_channels.size()))
        return -1;
    for (Channel &c : m_channels) {
        if (c.stream == stream)
            release(c);
    }
    if (index == -1) {
        for (int i = 0; i < int(m_channels.size()) && index == -1; ++i) {
            Channel &c = m_channels[std::size_t(i)];
            if (done(c)) {
                c.stream->out.finished = true;
                release(c);
            }
            if (!c.stream)
                index = i;
        }
        if (index == -1)
            return -1;
    } else if (DecodedStream *other = m_channels[std::size_t(index)].stream) {
        release(m_channels[std::size_t(index)]);
        other->seek(0);
        other->out = DecodedStream::OutputState();
    }
    DecodedStream::OutputState &o = stream->out;
    if (o.finished || (o.ended && o.mixEnd >= stream->lengthFrames())) {
        stream->seek(0);
        o = DecodedStream::OutputState();
    }
    o.ended = false;
    o.mixStart = o.mixEnd;
    o.floor = o.mixEnd;
    m_channels[std::size_t(index)] = Channel{stream, 255, false};
    stream->start();
    updateDevicePause();
    return index;
}

void SdlMixer::detach(DecodedStream *stream)
{
    Lock lock(*this);
    for (Channel &c : m_channels) {
        if (c.stream == stream)
            release(c);
    }
    updateDevicePause();
}

void SdlMixer::seek(DecodedStream *stream, std::int64_t frame)
{
    Lock lock(*this);
    stream->seek(frame);
    DecodedStream::OutputState &o = stream->out;
    o.mixStart = o.mixEnd = o.floor = frame;
    o.ended = o.finished = false;
    updateDevicePause();
}

std::int64_t SdlMixer::position(const DecodedStream *stream) const
{
    Lock lock(*this);
    return channelOf(stream) >= 0 ? estimate(*stream) : stream->out.mixEnd;
}

int SdlMixer::channelOf(const DecodedStream *stream) const
{
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        if (m_channels[i].stream == stream)
            return int(i);
    }
    return -1;
}

bool SdlMixer::isPlaying(int index)
{
    Lock lock(*this);
    Channel *c = channel(index);
    if (!c || !c->stream)
        return false;
    if (done(*c)) {
        c->stream->out.finished = true;
        release(*c);
        updateDevicePause();
        return false;
    }
    return true;
}

bool SdlMixer::paused(int index) const
{
    Lock lock(*this);
    const Channel *c = channel(index);
    return c && c->stream && c->paused;
}

bool SdlMixer::setPaused(int index, bool paused)
{
    Lock lock(*this);
    Channel *c = channel(index);
    if (!c || !c->stream)
        return false;
    if (c->paused && !paused) {
        // Resume from what was heard: the position must not step back.
        DecodedStream::OutputState &o = c->stream->out;
        o.floor = o.mixStart = o.mixEnd;
    }
    c->paused = paused;
    updateDevicePause();
    return true;
}

bool SdlMixer::setVolume(int index, int volume)
{
    Lock lock(*this);
    Channel *c = channel(index);
    if (!c || !c->stream)
        return false;
    c->volume = std::clamp(volume, 0, 255);
    return true;
}

int SdlMixer::volume(int index) const
{
    Lock lock(*this);
    const Channel *c = channel(index);
    return c && c->stream ? c->volume : 0;
}

void SdlMixer::setOutputVolume(std::uint32_t volume)
{
    Lock lock(*this);
    m_outputVolume = volume;
    m_gainLeft = float(volume & 0xFFFFu) / 65535.0f;
    m_gainRight = float(volume >> 16) / 65535.0f;
}
