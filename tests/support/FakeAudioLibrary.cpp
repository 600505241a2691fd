#include "FakeAudioLibrary.h"

#include <algorithm>

void FakeAudioLibrary::addFile(const QString &path, int lengthMs, int bytes, QList<TagField> tags)
{
    File f;
    f.lengthMs = lengthMs;
    f.bytes = bytes < 0 ? lengthMs * 16 : bytes;
    f.tags = std::move(tags);
    addFile(path, f);
}

void FakeAudioLibrary::addFile(const QString &path, const File &file)
{
    m_files.insert(path, file);
}

void FakeAudioLibrary::addBrokenFile(const QString &path, int code)
{
    File f;
    f.openError = code;
    addFile(path, f);
}

bool FakeAudioLibrary::fail(int code) const
{
    m_error = code;
    return false;
}

FakeAudioLibrary::Stream *FakeAudioLibrary::findStream(StreamHandle stream) const
{
    const auto it = m_streams.find(stream);
    return it == m_streams.end() ? nullptr : &it->second;
}

const FakeAudioLibrary::Channel *FakeAudioLibrary::findChannel(int channel) const
{
    if (channel < 0 || channel >= int(m_channels.size()))
        return nullptr;
    return &m_channels[std::size_t(channel)];
}

void FakeAudioLibrary::freeChannelOf(Stream &s)
{
    if (s.channel >= 0)
        m_channels[std::size_t(s.channel)] = Channel();
    s.channel = -1;
}

void FakeAudioLibrary::advance(int ms)
{
    if (ms < 0)
        return;
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        const Channel c = m_channels[i];
        Stream *s = findStream(c.stream);
        if (!s || c.paused)
            continue;
        const qint64 reached = qint64(s->positionMs) + ms;
        s->positionMs = int(std::min<qint64>(reached, s->file.lengthMs));
        if (reached < s->file.lengthMs)
            continue;
        freeChannelOf(*s);
        if (Stream *next = findStream(c.queued)) {
            next->positionMs = int(std::min<qint64>(reached - s->file.lengthMs, next->file.lengthMs));
            next->channel = int(i);
            m_channels[i] = Channel{c.queued, false, c.volume, 0};
        }
    }
}

AudioLibrary::StreamHandle FakeAudioLibrary::queuedStream(int channel) const
{
    const Channel *c = findChannel(channel);
    return c ? c->queued : 0;
}

bool FakeAudioLibrary::streamQueue(int channel, StreamHandle next)
{
    ++m_queueCount;
    if (!m_initialized)
        return fail(ErrUninitialized);
    Stream *s = findStream(next);
    const Channel *c = findChannel(channel);
    if (!s || !c || c->stream == 0 || c->stream == next || s->channel >= 0)
        return fail(ErrInvalidParam);
    for (Channel &other : m_channels) {
        if (other.queued == next)
            other.queued = 0;
    }
    m_channels[std::size_t(channel)].queued = next;
    m_error = ErrNone;
    return true;
}

void FakeAudioLibrary::unqueue(StreamHandle stream)
{
    for (Channel &c : m_channels) {
        if (c.queued == stream)
            c.queued = 0;
    }
}

AudioLibrary::StreamHandle FakeAudioLibrary::channelStream(int channel) const
{
    const Channel *c = findChannel(channel);
    return c ? c->stream : 0;
}

int FakeAudioLibrary::streamChannel(StreamHandle stream) const
{
    const Stream *s = findStream(stream);
    return s ? s->channel : -1;
}

bool FakeAudioLibrary::init(int rate, int maxChannels, unsigned)
{
    ++m_initCount;
    if (m_initialized)
        return fail(ErrInit);
    if (m_initError != ErrNone)
        return fail(m_initError);
    if (rate <= 0 || maxChannels <= 0)
        return fail(ErrInvalidParam);
    m_initialized = true;
    m_rate = rate;
    m_maxChannels = maxChannels;
    m_channels.assign(std::size_t(maxChannels), Channel());
    m_outputVolume = 0xFFFFFFFFu;
    m_replayGain = ReplayGainSettings(); // off, as the engine starts
    m_deviceInUse.clear();
    m_error = ErrNone;
    return true;
}

void FakeAudioLibrary::close()
{
    m_streams.clear();
    m_channels.clear();
    m_initialized = false;
    m_error = ErrNone;
}

QStringList FakeAudioLibrary::componentVersions() const
{
    return {QStringLiteral("Fake audio library")};
}

AudioLibrary::StreamHandle FakeAudioLibrary::streamOpen(const QString &path, unsigned mode, int, int)
{
    ++m_openCount;
    m_lastOpenPath = path;
    m_lastOpenMode = mode;
    if (!m_initialized)
        return fail(ErrUninitialized), 0;
    const auto it = m_files.constFind(path);
    if (it == m_files.constEnd())
        return fail(ErrFileNotFound), 0;
    if (it->openError != ErrNone)
        return fail(it->openError), 0;
    const StreamHandle h = m_nextHandle++;
    m_streams[h].file = *it;
    m_error = ErrNone;
    return h;
}

int FakeAudioLibrary::streamPlay(int channel, StreamHandle stream)
{
    ++m_playCount;
    if (!m_initialized)
        return fail(ErrUninitialized), -1;
    Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam), -1;
    if (channel >= int(m_channels.size()) || channel < -1)
        return fail(ErrInvalidParam), -1;
    freeChannelOf(*s);
    if (channel == -1) {
        const auto freeIt = std::find_if(m_channels.begin(), m_channels.end(),
                                         [](const Channel &c) { return c.stream == 0; });
        if (freeIt == m_channels.end())
            return fail(ErrChannelAlloc), -1;
        channel = int(freeIt - m_channels.begin());
    } else if (Stream *other = findStream(m_channels[std::size_t(channel)].stream)) {
        other->positionMs = 0;
        freeChannelOf(*other);
    }
    if (s->positionMs >= s->file.lengthMs)
        s->positionMs = 0;
    s->channel = channel;
    m_channels[std::size_t(channel)] = Channel{stream, false, 255, 0};
    m_deviceInUse = m_devices.contains(m_chosenDevice) ? m_chosenDevice : QString();
    m_error = ErrNone;
    return channel;
}

bool FakeAudioLibrary::streamStop(StreamHandle stream)
{
    ++m_stopCount;
    Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam);
    unqueue(stream);
    freeChannelOf(*s);
    s->positionMs = 0;
    m_error = ErrNone;
    return true;
}

bool FakeAudioLibrary::streamClose(StreamHandle stream)
{
    ++m_closeCount;
    Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam);
    unqueue(stream);
    freeChannelOf(*s);
    m_streams.erase(stream);
    m_error = ErrNone;
    return true;
}

int FakeAudioLibrary::streamLengthMs(StreamHandle stream) const
{
    const Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam), 0;
    m_error = ErrNone;
    return s->file.lengthMs;
}

int FakeAudioLibrary::streamTime(StreamHandle stream) const
{
    const Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam), 0;
    m_error = ErrNone;
    return s->positionMs;
}

bool FakeAudioLibrary::streamSetTime(StreamHandle stream, int ms)
{
    Stream *s = findStream(stream);
    if (!s || ms < 0)
        return fail(ErrInvalidParam);
    s->positionMs = std::min(ms, s->file.lengthMs);
    m_error = ErrNone;
    return true;
}

int FakeAudioLibrary::streamLength(StreamHandle stream) const
{
    const Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam), 0;
    m_error = ErrNone;
    return s->file.bytes;
}

int FakeAudioLibrary::streamPosition(StreamHandle stream) const
{
    const Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam), 0;
    m_error = ErrNone;
    if (s->file.lengthMs <= 0)
        return 0;
    return int(qint64(s->positionMs) * s->file.bytes / s->file.lengthMs);
}

bool FakeAudioLibrary::streamSetPosition(StreamHandle stream, int position)
{
    Stream *s = findStream(stream);
    if (!s || position < 0)
        return fail(ErrInvalidParam);
    const int ms = s->file.bytes > 0 ? int(qint64(position) * s->file.lengthMs / s->file.bytes) : 0;
    return streamSetTime(stream, ms);
}

int FakeAudioLibrary::streamNumTagFields(StreamHandle stream) const
{
    const Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam), 0;
    m_error = ErrNone;
    return int(s->file.tags.size());
}

bool FakeAudioLibrary::streamTagField(StreamHandle stream, int index, TagField &field) const
{
    const Stream *s = findStream(stream);
    if (!s || index < 0 || index >= int(s->file.tags.size()))
        return fail(ErrInvalidParam);
    field = s->file.tags.at(index);
    m_error = ErrNone;
    return true;
}

bool FakeAudioLibrary::isPlaying(int channel) const
{
    const Channel *c = findChannel(channel);
    m_error = c ? ErrNone : ErrInvalidParam;
    return c && c->stream != 0;
}

bool FakeAudioLibrary::paused(int channel) const
{
    const Channel *c = findChannel(channel);
    m_error = c ? ErrNone : ErrInvalidParam;
    return c && c->stream != 0 && c->paused;
}

bool FakeAudioLibrary::setPaused(int channel, bool paused)
{
    const Channel *c = findChannel(channel);
    if (!c || c->stream == 0)
        return fail(ErrInvalidParam);
    m_channels[std::size_t(channel)].paused = paused;
    m_error = ErrNone;
    return true;
}

bool FakeAudioLibrary::setVolume(int channel, int volume)
{
    const Channel *c = findChannel(channel);
    if (!c || c->stream == 0)
        return fail(ErrInvalidParam);
    m_channels[std::size_t(channel)].volume = std::clamp(volume, 0, 255);
    m_error = ErrNone;
    return true;
}

int FakeAudioLibrary::volume(int channel) const
{
    const Channel *c = findChannel(channel);
    if (!c || c->stream == 0)
        return fail(ErrInvalidParam), 0;
    m_error = ErrNone;
    return c->volume;
}

std::uint32_t FakeAudioLibrary::outputVolume() const
{
    return m_initialized ? m_outputVolume : 0;
}

void FakeAudioLibrary::setOutputVolume(std::uint32_t volume)
{
    if (m_initialized)
        m_outputVolume = volume;
}

void FakeAudioLibrary::setReplayGain(int mode, double preampDb, bool preventClipping)
{
    m_replayGain = ReplayGainSettings{ReplayGainMode(std::clamp(mode, 0, 2)), preampDb, preventClipping};
}

float FakeAudioLibrary::streamGain(StreamHandle stream) const
{
    const Stream *s = findStream(stream);
    if (!s)
        return fail(ErrInvalidParam), 1.0f;
    m_error = ErrNone;
    return ReplayGainFactor(ReplayGainFromFields(s->file.tags), m_replayGain);
}
