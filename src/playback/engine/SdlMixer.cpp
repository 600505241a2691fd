#include "playback/engine/SdlMixer.h"

#include "playback/engine/DecodedStream.h"
#ifdef VELMORA_HAVE_PULSE
#include "playback/engine/PulseOutput.h"
#else
// Never constructed without libpulse; only its deleter has to exist.
class PulseOutput
{
};
#endif

#include <SDL.h>
#include <algorithm>
#include <cstring>

namespace {
// How long a device with nothing to play stays open. An open device costs a
// wake-up per buffer even when paused; closing it at once would add a gap
// between tracks and to every short pause.
constexpr auto kIdleCloseDelay = std::chrono::milliseconds(1500);

// Frames per SDL device buffer: the largest power of two that keeps the
// buffer within SdlMixer::kMaxLatencyMs, as a pause or stop is heard within
// about one buffer (positions follow the clock in between). Fewer, larger
// buffers would save wake-ups, which is what costs a sound server most; a
// PulseAudio server gets its own stream instead (PulseOutput). A file (the
// disk driver) takes small buffers: it has no server behind it.
int bufferFramesFor(int rate, bool file)
{
    if (file)
        return 2048;
    int frames = 256;
    while (frames * 2 <= rate * SdlMixer::kMaxLatencyMs / 1000 && frames < 16384)
        frames *= 2;
    return frames;
}

// A device's name without the " (2)" SDL appends when a device comes back
// before the list forgot it under its old name.
QString baseDeviceName(const QString &name)
{
    if (!name.endsWith(QLatin1Char(')')))
        return name;
    const qsizetype open = name.lastIndexOf(QLatin1String(" ("));
    if (open <= 0 || open + 3 > name.size() - 1)
        return name;
    for (qsizetype i = open + 2; i < name.size() - 1; ++i) {
        if (!name[i].isDigit())
            return name;
    }
    return name.left(open);
}

QStringList sdlDeviceNames()
{
    QStringList names;
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        if (const char *name = SDL_GetAudioDeviceName(i, 0); name && *name)
            names.append(QString::fromUtf8(name));
    }
    return names;
}
} // namespace

// Holds the device mutex (the device cannot be opened or closed meanwhile),
// then the mix mutex (the audio callback does not run meanwhile). SDL calls
// that wait for the callback (pause, open) are made only after unlockMix().
class SdlMixer::Lock
{
public:
    explicit Lock(const SdlMixer &m) : m_device(m.m_deviceMutex), m_mix(m.m_mixMutex) {}
    void unlockMix()
    {
        if (m_mix.owns_lock())
            m_mix.unlock();
    }
    void relockMix()
    {
        if (!m_mix.owns_lock())
            m_mix.lock();
    }

private:
    std::lock_guard<std::mutex> m_device;
    std::unique_lock<std::mutex> m_mix;
};

SdlMixer::SdlMixer() = default;

SdlMixer::~SdlMixer()
{
    close();
}

bool SdlMixer::openDevice()
{
    const QString present = presentDevice();
    // A chosen device that refuses (or went between listing and opening)
    // leaves the default to play. A server's sink is found by its own
    // description, without the number SDL may have added.
    const QString base = baseDeviceName(present);
    if (!present.isEmpty() && (openDeviceNamed(present) || (base != present && openDeviceNamed(base)))) {
        m_openedDevice = m_chosenDevice;
        return true;
    }
    m_openedDevice.clear();
    return openDeviceNamed(QString());
}

bool SdlMixer::openDeviceNamed(const QString &name)
{
    m_devicePaused = true;
    const QByteArray nameBytes = name.toUtf8();
#ifdef VELMORA_HAVE_PULSE
    if (m_usePulse) {
        m_pulse = PulseOutput::open(m_rate, &SdlMixer::fill, this,
                                    nameBytes.isEmpty() ? nullptr : nameBytes.constData());
        if (m_pulse) {
            m_latencyFrames = m_bufferFrames = m_pulse->latencyFrames();
            return true;
        }
        if (!nameBytes.isEmpty())
            return false; // the device is tried no further; the default is next
        // No stream of our own: SDL's below, with its own buffer attributes.
    }
#endif
    SDL_AudioSpec want{};
    want.freq = m_rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = Uint16(bufferFramesFor(m_rate, m_fileOutput));
    want.callback = &SdlMixer::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the hardware takes, so the
    // mixer always works in one format.
    m_device = SDL_OpenAudioDevice(nameBytes.isEmpty() ? nullptr : nameBytes.constData(), 0, &want, &have, 0);
    m_bufferFrames = m_device ? have.samples : 0;
    m_latencyFrames = m_fileOutput ? 0 : m_bufferFrames;
    return m_device != 0;
}

void SdlMixer::closeDevice()
{
    m_pulse.reset();
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
}

void SdlMixer::pauseDevice(bool paused)
{
    m_devicePaused = paused;
#ifdef VELMORA_HAVE_PULSE
    if (m_pulse) {
        m_pulse->setPaused(paused);
        return;
    }
#endif
    SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
}

void SdlMixer::dropQueued()
{
#ifdef VELMORA_HAVE_PULSE
    if (m_pulse)
        m_pulse->drop();
#endif
}

int SdlMixer::latencyFrames() const
{
    std::lock_guard lock(m_deviceMutex);
    return m_fileOutput ? m_bufferFrames : m_latencyFrames;
}

bool SdlMixer::open(int rate, int channels)
{
    if (m_sdlInitialised || rate <= 0 || channels <= 0)
        return false;
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Velmora");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_sdlInitialised = true;
    // The device's own rate where the system tells it: the sound server then
    // resamples nothing (the decoders convert every file to the mixer's rate
    // anyway).
    SDL_AudioSpec device{};
    m_rate = SDL_GetDefaultAudioInfo(nullptr, &device, 0) == 0 && device.freq >= 8000 && device.freq <= 192000
        ? device.freq
        : rate;
    m_channels.assign(std::size_t(channels), Channel());
    m_driver = QString::fromUtf8(SDL_GetCurrentAudioDriver());
    // A file has no queue behind the callback; a real device plays a buffer
    // about one buffer after it was mixed. The silent driver is treated like
    // a real device, so that tests on it take the same path.
    const bool disk = m_driver == QLatin1String("disk");
    // SDL's own PulseAudio stream asks for a buffer of one callback's length
    // and leaves the request size to the server (a fiftieth of a second):
    // many wake-ups on both sides, or a long delay before a pause is heard.
#ifdef VELMORA_HAVE_PULSE
    m_usePulse = m_driver == QLatin1String("pulseaudio");
#endif
    m_fileOutput = disk;
    // The disk driver takes buffers as fast as it is told to, not in real
    // time: what was mixed is what reached the file.
    m_interpolate = !disk;
    // A file loses nothing by waiting for the decoder, and then holds every sample.
    m_waitForData = disk;
    // Reopening the disk driver would start its file afresh.
    m_closeWhenIdle = !disk;
    m_outputVolume = 0xFFFFFFFFu;
    m_gainLeft = m_gainRight = 1.0f;
    if (!openDevice()) {
        m_channels.clear();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlInitialised = false;
        return false;
    }
    m_keeperQuit = false;
    {
        Lock lock(*this);
        updateDevicePause(lock); // an unused device closes after a moment too
    }
    m_keeper = std::thread([this] { keepDevice(); });
    return true;
}

void SdlMixer::close()
{
    if (m_keeper.joinable()) {
        {
            std::lock_guard lock(m_deviceMutex);
            m_keeperQuit = true;
        }
        m_keeperWake.notify_all();
        m_keeper.join();
    }
    closeDevice();
    if (m_sdlInitialised) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlInitialised = false;
    }
    m_channels.clear();
    m_streamGains.clear();
}

// The device keeper: sleeps until the device falls idle, then closes it once
// it has stayed idle for kIdleCloseDelay. It never wakes otherwise.
void SdlMixer::keepDevice()
{
    std::unique_lock lock(m_deviceMutex);
    while (!m_keeperQuit) {
        if (!m_idleDeadline) {
            m_keeperWake.wait(lock);
            continue;
        }
        const auto deadline = *m_idleDeadline;
        if (m_keeperWake.wait_until(lock, deadline) == std::cv_status::timeout && m_idleDeadline
            && *m_idleDeadline == deadline && (m_device || m_pulse) && m_devicePaused) {
            closeDevice();
            m_idleDeadline.reset();
        }
    }
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
    fill(self, reinterpret_cast<float *>(data), len / int(2 * sizeof(float)));
}

void SdlMixer::fill(void *self, float *out, int frames)
{
    auto *m = static_cast<SdlMixer *>(self);
    std::lock_guard lock(m->m_mixMutex);
    m->mix(out, frames);
}

void SdlMixer::mix(float *out, int frames)
{
    std::memset(out, 0, std::size_t(frames) * 2 * sizeof(float));
    const auto now = std::chrono::steady_clock::now();
    int mixed = 0;
    for (Channel &c : m_channels) {
        // An ended or paused stream keeps the time of its last buffer: that
        // buffer is heard to its end however often the device asks for more.
        if (!c.stream || c.stream->out.ended || c.paused)
            continue;
        DecodedStream::OutputState &o = c.stream->out;
        // A late callback would start the clock of this buffer below what
        // the last one already let the position reach: the time never steps
        // back, it waits for the sound to catch up.
        o.floor = std::max(o.floor, estimate(*c.stream));
        o.mixStart = o.mixEnd;
        o.mixTime = now;
        const float g = float(c.volume) / 255.0f * gainOf(c.stream);
        const int got = c.stream->mixInto(out, frames, g * m_gainLeft, g * m_gainRight, m_waitForData);
        o.mixEnd += got;
        mixed += got > 0;
        if (got < frames && c.stream->drained()) {
            o.ended = true;
            if (c.queued) {
                // The follower plays at its own levelling gain.
                const float next = float(c.volume) / 255.0f * gainOf(c.queued);
                handOver(c, out, got, frames, next * m_gainLeft, next * m_gainRight);
            }
        }
    }
    if (mixed > 1) {
        for (int i = 0; i < frames * 2; ++i)
            out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
}

void SdlMixer::render(float *out, int frames)
{
    Lock lock(*this);
    if (!m_manual) {
        m_manual = true;
        m_waitForData = true; // like a file: every frame, as fast as it decodes
        m_interpolate = false;
        updateDevicePause(lock);
        lock.relockMix();
    }
    mix(out, frames);
}

std::int64_t SdlMixer::estimate(const DecodedStream &s) const
{
    const DecodedStream::OutputState &o = s.out;
    if (!m_interpolate)
        return o.mixEnd;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - o.mixTime).count();
    const std::int64_t est = o.mixStart + std::int64_t(elapsed * m_rate) - m_latencyFrames;
    return std::clamp(est, std::min(o.floor, o.mixEnd), o.mixEnd);
}

bool SdlMixer::heardToEnd(const DecodedStream &s) const
{
    return s.out.ended && estimate(s) >= s.out.mixEnd;
}

bool SdlMixer::done(const Channel &c) const
{
    return c.stream && heardToEnd(*c.stream);
}

void SdlMixer::handOver(Channel &c, float *out, int used, int frames, float left, float right)
{
    DecodedStream *next = c.queued;
    c.queued = nullptr;
    if (c.previous) {
        // Two ends within one buffer (a track shorter than a buffer).
        c.previous->out.finished = true;
        c.previous->setWanted(false);
    }
    c.previous = c.stream;
    c.stream = next;
    DecodedStream::OutputState &o = next->out;
    o = DecodedStream::OutputState();
    // The buffer began `used` frames before the follower's first one: its
    // position reaches 0 when that frame is heard.
    o.mixStart = -used;
    o.mixTime = c.previous->out.mixTime;
    const int got = next->mixInto(out + std::size_t(used) * 2, frames - used, left, right, m_waitForData);
    o.mixEnd = got;
    if (got < frames - used && next->drained())
        o.ended = true;
}

void SdlMixer::takeBack(Channel &c)
{
    if (!c.previous)
        return;
    DecodedStream *follower = c.stream;
    follower->setWanted(false);
    follower->seek(0);
    follower->out = DecodedStream::OutputState();
    c.stream = c.previous;
    c.previous = nullptr;
}

void SdlMixer::retireHeard(Channel &c)
{
    if (c.previous && heardToEnd(*c.previous)) {
        c.previous->out.finished = true;
        c.previous->setWanted(false);
        c.previous = nullptr;
    }
}

void SdlMixer::release(Channel &c)
{
    for (DecodedStream *s : {c.stream, c.queued, c.previous}) {
        if (s)
            s->setWanted(false);
    }
    c = Channel();
}

void SdlMixer::updateDevicePause(Lock &lock, bool dropQueuedSound)
{
    const bool audible = !m_manual && std::any_of(m_channels.begin(), m_channels.end(), [this](const Channel &c) {
        return c.stream && !c.paused && !done(c);
    });
    lock.unlockMix();
    if (dropQueuedSound)
        dropQueued();
    if (audible) {
        m_idleDeadline.reset();
        if (!m_device && !m_pulse && !openDevice())
            return; // no output for now; the next call tries again
        if (m_devicePaused)
            pauseDevice(false);
        return;
    }
    if ((m_device || m_pulse) && !m_devicePaused)
        pauseDevice(true);
    if ((m_device || m_pulse) && m_closeWhenIdle && !m_idleDeadline) {
        m_idleDeadline = std::chrono::steady_clock::now() + kIdleCloseDelay;
        m_keeperWake.notify_one();
    }
}

int SdlMixer::play(int index, DecodedStream *stream)
{
    Lock lock(*this);
    if (!stream || index < -1 || index >= int(m_channels.size()))
        return -1;
    bool stopped = false; // a sound cut off: what the output holds of it goes
    for (Channel &c : m_channels) {
        if (c.queued == stream)
            c.queued = nullptr;
        if (c.stream == stream || c.previous == stream)
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
        takeBack(m_channels[std::size_t(index)]);
        other = m_channels[std::size_t(index)].stream;
        stopped = !m_channels[std::size_t(index)].paused && !done(m_channels[std::size_t(index)]);
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
    m_channels[std::size_t(index)] = Channel{stream, 255, false, nullptr, nullptr};
    stream->start();
    if (deviceOutdated()) {
        // Reopened below on the device a track start should play on.
        lock.unlockMix();
        closeDevice();
        lock.relockMix();
    }
    updateDevicePause(lock, stopped);
    return index;
}

bool SdlMixer::queue(int index, DecodedStream *next)
{
    Lock lock(*this);
    Channel *c = channel(index);
    if (!c || !c->stream || !next || next == c->stream)
        return false;
    retireHeard(*c);
    if (c->stream->out.ended || c->previous)
        return false;
    // Another device was chosen, or the chosen one came back: the next track
    // starts anew, on the device a track start plays on.
    if (deviceOutdated())
        return false;
    for (const Channel &other : m_channels) {
        if (other.stream == next || other.previous == next)
            return false;
    }
    if (c->queued && c->queued != next)
        c->queued->setWanted(false);
    for (Channel &other : m_channels) {
        if (other.queued == next)
            other.queued = nullptr;
    }
    c->queued = next;
    next->out = DecodedStream::OutputState();
    next->start();
    return true;
}

const DecodedStream *SdlMixer::heard(int index)
{
    Lock lock(*this);
    Channel *c = channel(index);
    if (!c)
        return nullptr;
    retireHeard(*c);
    return c->previous ? c->previous : c->stream;
}

void SdlMixer::detach(DecodedStream *stream)
{
    Lock lock(*this);
    bool stopped = false;
    for (Channel &c : m_channels) {
        if (c.queued == stream) {
            c.queued = nullptr;
            stream->setWanted(false);
        }
        if (c.stream == stream && c.previous) {
            takeBack(c);
            continue;
        }
        if (c.stream == stream || c.previous == stream) {
            stopped = stopped || !done(c);
            release(c);
        }
    }
    // The stop is heard now, not after what the output still holds of it.
    updateDevicePause(lock, stopped);
}

void SdlMixer::seek(DecodedStream *stream, std::int64_t frame)
{
    Lock lock(*this);
    for (Channel &c : m_channels) {
        if (c.previous == stream)
            takeBack(c);
    }
    stream->seek(frame);
    DecodedStream::OutputState &o = stream->out;
    o.mixStart = o.mixEnd = o.floor = frame;
    o.ended = o.finished = false;
    // The new place is heard at once, not after the old one's queued sound.
    updateDevicePause(lock, channelOf(stream) >= 0);
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
    if (deviceLost()) {
        // Reopened where a track start would play: the default while the
        // chosen device stays away.
        lock.unlockMix();
        closeDevice();
        lock.relockMix();
        updateDevicePause(lock);
        lock.relockMix();
    }
    retireHeard(*c);
    if (done(*c)) {
        c->stream->out.finished = true;
        release(*c);
        updateDevicePause(lock);
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
    updateDevicePause(lock);
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

float SdlMixer::gainOf(const DecodedStream *stream) const
{
    for (const auto &[s, gain] : m_streamGains) {
        if (s == stream)
            return gain;
    }
    return 1.0f;
}

void SdlMixer::setStreamGain(const DecodedStream *stream, float gain)
{
    Lock lock(*this);
    std::erase_if(m_streamGains, [stream](const auto &entry) { return entry.first == stream; });
    if (gain != 1.0f)
        m_streamGains.emplace_back(stream, gain);
}

QStringList SdlMixer::devices() const
{
    std::function<QStringList()> lister;
    {
        std::lock_guard lock(m_deviceMutex);
        lister = m_listDevices;
    }
    if (lister)
        return lister();
    return m_sdlInitialised ? sdlDeviceNames() : QStringList();
}

void SdlMixer::setDevice(const QString &name)
{
    std::lock_guard lock(m_deviceMutex);
    m_chosenDevice = name;
}

QString SdlMixer::device() const
{
    std::lock_guard lock(m_deviceMutex);
    return m_openedDevice;
}

void SdlMixer::setDeviceLister(std::function<QStringList()> lister)
{
    std::lock_guard lock(m_deviceMutex);
    m_listDevices = std::move(lister);
}

QString SdlMixer::presentDevice() const
{
    if (m_chosenDevice.isEmpty())
        return {};
    const QStringList listed = m_listDevices ? m_listDevices() : sdlDeviceNames();
    if (listed.contains(m_chosenDevice))
        return m_chosenDevice;
    const QString base = baseDeviceName(m_chosenDevice);
    for (const QString &name : listed) {
        if (baseDeviceName(name) == base)
            return name;
    }
    return {};
}

bool SdlMixer::deviceOutdated() const
{
    if (!m_device && !m_pulse)
        return false;
    // Nothing chosen and the default open: no need to ask for the list.
    if (m_chosenDevice.isEmpty() && m_openedDevice.isEmpty())
        return false;
    const QString wanted = presentDevice().isEmpty() ? QString() : m_chosenDevice;
    return wanted != m_openedDevice;
}

bool SdlMixer::deviceLost()
{
#ifdef VELMORA_HAVE_PULSE
    // The server moves a stream whose sink went away to the default itself:
    // only the record of where the sound goes has to follow (once the chosen
    // sink is no longer listed, so that a move by the user is left alone).
    if (m_pulse && !m_openedDevice.isEmpty() && m_pulse->moved() && presentDevice().isEmpty())
        m_openedDevice.clear();
#endif
    return m_device && !m_devicePaused && SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
}
