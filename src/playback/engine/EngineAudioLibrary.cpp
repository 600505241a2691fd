#include "playback/engine/EngineAudioLibrary.h"

#include "core/NativePath.h"
#include "playback/engine/AudioDecoder.h"
#include "playback/engine/DecodedStream.h"
#include "playback/engine/DecoderModule.h"
#include "playback/engine/SdlMixer.h"
#include "playback/ReplayGain.h"

#include <SDL.h>
#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

namespace {

constexpr float kEngineVersion = 1.0f;
constexpr int kMaxChannels = 256;

struct OpenStream {
    std::unique_ptr<DecodedStream> decoded;
    qint64 bytes = 0;
    QList<AudioLibrary::TagField> tags;
    ReplayGainInfo loudness;
    float gain = 1.0f;
};

} // namespace

struct EngineAudioLibrary::Private {
    SdlMixer mixer;
    std::map<StreamHandle, std::unique_ptr<OpenStream>> streams;
    StreamHandle nextHandle = 1;
    bool initialised = false;
    mutable int error = ErrNone;
    ReplayGainSettings replayGain;

    void applyGain(OpenStream &s)
    {
        s.gain = ReplayGainFactor(s.loudness, replayGain);
        mixer.setStreamGain(s.decoded.get(), s.gain);
    }

    bool fail(int code) const
    {
        error = code;
        return false;
    }
    bool ok() const
    {
        error = ErrNone;
        return true;
    }
    OpenStream *find(StreamHandle h) const
    {
        const auto it = streams.find(h);
        if (it == streams.end()) {
            error = initialised ? ErrInvalidParam : ErrUninitialized;
            return nullptr;
        }
        return it->second.get();
    }
    bool validChannel(int channel) const
    {
        if (!initialised)
            return fail(ErrUninitialized);
        if (channel < 0)
            return fail(ErrInvalidParam);
        return true;
    }
    int toMs(std::int64_t frames) const
    {
        const int rate = mixer.rate();
        return rate > 0 ? int(std::clamp<std::int64_t>(frames * 1000 / rate, 0, INT_MAX)) : 0;
    }
    int lengthMs(const OpenStream &s) const
    {
        const int rate = mixer.rate();
        if (rate <= 0)
            return 0;
        return int(std::clamp<std::int64_t>(std::llround(double(s.decoded->lengthFrames()) * 1000.0 / rate), 0, INT_MAX));
    }
};

EngineAudioLibrary::EngineAudioLibrary() : d(std::make_unique<Private>()) {}

EngineAudioLibrary::~EngineAudioLibrary()
{
    close();
}

bool EngineAudioLibrary::init(int rate, int maxChannels, unsigned)
{
    if (d->initialised)
        return d->fail(ErrInit);
    if (rate < 8000 || rate > 192000 || maxChannels <= 0 || maxChannels > kMaxChannels)
        return d->fail(ErrInvalidParam);
    if (!d->mixer.open(rate, maxChannels))
        return d->fail(ErrInit);
    d->initialised = true;
    return d->ok();
}

int EngineAudioLibrary::error() const
{
    return d->error;
}

void EngineAudioLibrary::close()
{
    for (auto &[handle, stream] : d->streams) {
        d->mixer.detach(stream->decoded.get());
        d->mixer.setStreamGain(stream->decoded.get(), 1.0f);
    }
    d->streams.clear(); // joins the decoder threads
    d->replayGain = ReplayGainSettings();
    d->mixer.close();
    d->initialised = false;
    d->error = ErrNone;
}

float EngineAudioLibrary::version() const
{
    return kEngineVersion;
}

QStringList EngineAudioLibrary::componentVersions() const
{
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    QString output = QStringLiteral("SDL %1.%2.%3").arg(sdl.major).arg(sdl.minor).arg(sdl.patch);
    if (d->mixer.isOpen())
        output += QStringLiteral(" (%1)").arg(d->mixer.driverName());
    return QStringList{output} << DecoderModule::versions();
}

AudioLibrary::StreamHandle EngineAudioLibrary::streamOpen(const QString &path, unsigned, int, int)
{
    if (!d->initialised)
        return d->fail(ErrUninitialized), 0;
    int error = ErrNone;
    std::unique_ptr<AudioDecoder> decoder = DecoderModule::open(path, d->mixer.rate(), error);
    if (!decoder)
        return d->fail(error == ErrNone ? ErrFileBad : error), 0;
    auto stream = std::make_unique<OpenStream>();
    stream->decoded = std::make_unique<DecodedStream>(std::move(decoder));
    stream->bytes = std::max<qint64>(NativePath::regularFileSize(path), 0);
    stream->tags = DecoderModule::readTags(path);
    stream->loudness = ReplayGainFromFields(stream->tags);
    d->applyGain(*stream);
    StreamHandle handle = d->nextHandle++;
    while (handle == 0 || d->streams.count(handle))
        handle = d->nextHandle++;
    d->streams.emplace(handle, std::move(stream));
    d->ok();
    return handle;
}

int EngineAudioLibrary::streamPlay(int channel, StreamHandle stream)
{
    OpenStream *s = d->find(stream);
    if (!s)
        return -1;
    if (channel < -1)
        return d->fail(ErrInvalidParam), -1;
    const int used = d->mixer.play(channel, s->decoded.get());
    if (used < 0)
        return d->fail(channel == -1 ? ErrChannelAlloc : ErrInvalidParam), -1;
    d->ok();
    return used;
}

bool EngineAudioLibrary::streamQueue(int channel, StreamHandle next)
{
    OpenStream *s = d->find(next);
    if (!s)
        return false;
    if (!d->validChannel(channel))
        return false;
    return d->mixer.queue(channel, s->decoded.get()) ? d->ok() : d->fail(ErrInvalidParam);
}

AudioLibrary::StreamHandle EngineAudioLibrary::channelStream(int channel) const
{
    if (!d->validChannel(channel))
        return 0;
    d->ok();
    const DecodedStream *heard = d->mixer.heard(channel);
    if (!heard)
        return 0;
    for (const auto &[handle, stream] : d->streams) {
        if (stream->decoded.get() == heard)
            return handle;
    }
    return 0;
}

bool EngineAudioLibrary::streamStop(StreamHandle stream)
{
    OpenStream *s = d->find(stream);
    if (!s)
        return false;
    d->mixer.detach(s->decoded.get());
    d->mixer.seek(s->decoded.get(), 0);
    return d->ok();
}

bool EngineAudioLibrary::streamClose(StreamHandle stream)
{
    OpenStream *s = d->find(stream);
    if (!s)
        return false;
    d->mixer.detach(s->decoded.get());
    d->mixer.setStreamGain(s->decoded.get(), 1.0f); // the address may come back with another stream
    d->streams.erase(stream);
    return d->ok();
}

int EngineAudioLibrary::streamLengthMs(StreamHandle stream) const
{
    const OpenStream *s = d->find(stream);
    if (!s)
        return 0;
    d->ok();
    return d->lengthMs(*s);
}

int EngineAudioLibrary::streamTime(StreamHandle stream) const
{
    const OpenStream *s = d->find(stream);
    if (!s)
        return 0;
    d->ok();
    return std::min(d->toMs(d->mixer.position(s->decoded.get())), d->lengthMs(*s));
}

bool EngineAudioLibrary::streamSetTime(StreamHandle stream, int ms)
{
    OpenStream *s = d->find(stream);
    if (!s)
        return false;
    if (ms < 0)
        return d->fail(ErrInvalidParam);
    const std::int64_t frame = std::int64_t(ms) * d->mixer.rate() / 1000;
    d->mixer.seek(s->decoded.get(), std::min(frame, s->decoded->lengthFrames()));
    return d->ok();
}

int EngineAudioLibrary::streamLength(StreamHandle stream) const
{
    const OpenStream *s = d->find(stream);
    if (!s)
        return 0;
    d->ok();
    return int(std::min<qint64>(s->bytes, INT_MAX));
}

int EngineAudioLibrary::streamPosition(StreamHandle stream) const
{
    const OpenStream *s = d->find(stream);
    if (!s)
        return 0;
    const int length = d->lengthMs(*s);
    if (length <= 0)
        return d->ok(), 0;
    const qint64 bytes = std::min<qint64>(s->bytes, INT_MAX);
    d->ok();
    return int(qint64(streamTime(stream)) * bytes / length);
}

bool EngineAudioLibrary::streamSetPosition(StreamHandle stream, int position)
{
    OpenStream *s = d->find(stream);
    if (!s)
        return false;
    if (position < 0)
        return d->fail(ErrInvalidParam);
    const qint64 bytes = std::min<qint64>(s->bytes, INT_MAX);
    const int ms = bytes > 0 ? int(qint64(position) * d->lengthMs(*s) / bytes) : 0;
    return streamSetTime(stream, ms);
}

int EngineAudioLibrary::streamNumTagFields(StreamHandle stream) const
{
    const OpenStream *s = d->find(stream);
    if (!s)
        return 0;
    d->ok();
    return int(s->tags.size());
}

bool EngineAudioLibrary::streamTagField(StreamHandle stream, int index, TagField &field) const
{
    const OpenStream *s = d->find(stream);
    if (!s)
        return false;
    if (index < 0 || index >= int(s->tags.size()))
        return d->fail(ErrInvalidParam);
    field = s->tags.at(index);
    return d->ok();
}

bool EngineAudioLibrary::isPlaying(int channel) const
{
    if (!d->validChannel(channel))
        return false;
    d->ok();
    return d->mixer.isPlaying(channel);
}

bool EngineAudioLibrary::paused(int channel) const
{
    if (!d->validChannel(channel))
        return false;
    d->ok();
    return d->mixer.paused(channel);
}

bool EngineAudioLibrary::setPaused(int channel, bool paused)
{
    if (!d->validChannel(channel))
        return false;
    return d->mixer.setPaused(channel, paused) ? d->ok() : d->fail(ErrInvalidParam);
}

bool EngineAudioLibrary::setVolume(int channel, int volume)
{
    if (!d->validChannel(channel))
        return false;
    return d->mixer.setVolume(channel, volume) ? d->ok() : d->fail(ErrInvalidParam);
}

int EngineAudioLibrary::volume(int channel) const
{
    if (!d->validChannel(channel))
        return 0;
    d->ok();
    return d->mixer.volume(channel);
}

std::uint32_t EngineAudioLibrary::outputVolume() const
{
    return d->initialised ? d->mixer.outputVolume() : 0;
}

void EngineAudioLibrary::setOutputVolume(std::uint32_t volume)
{
    if (d->initialised)
        d->mixer.setOutputVolume(volume);
}

void EngineAudioLibrary::render(float *out, int frames)
{
    d->mixer.render(out, frames);
}

void EngineAudioLibrary::setReplayGain(int mode, double preampDb, bool preventClipping)
{
    const ReplayGainMode m = mode == int(ReplayGainMode::Track) ? ReplayGainMode::Track
        : mode == int(ReplayGainMode::Album)                    ? ReplayGainMode::Album
                                                                : ReplayGainMode::Off;
    d->replayGain = ReplayGainSettings{m, std::clamp(preampDb, -24.0, 24.0), preventClipping};
    for (auto &[handle, stream] : d->streams)
        d->applyGain(*stream);
}

float EngineAudioLibrary::streamGain(StreamHandle stream) const
{
    const OpenStream *s = d->find(stream);
    if (!s)
        return 1.0f;
    d->ok();
    return s->gain;
}

QStringList EngineAudioLibrary::outputDevices() const
{
    return d->initialised ? d->mixer.devices() : QStringList();
}

void EngineAudioLibrary::setOutputDevice(const QString &name)
{
    d->mixer.setDevice(name);
}

QString EngineAudioLibrary::outputDevice() const
{
    return d->mixer.device();
}

void EngineAudioLibrary::setDeviceLister(std::function<QStringList()> lister)
{
    d->mixer.setDeviceLister(std::move(lister));
}
