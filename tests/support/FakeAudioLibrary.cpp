#include "FakeAudioLibrary.h"

#include <QFileInfo>

#include <algorithm>

int FakeAudioLibrary::Stream::endMs() const
{
    const int length = std::max(track.lengthMs, 0);
    return track.endsAtMs >= 0 ? std::min(track.endsAtMs, length) : length;
}

int FakeAudioLibrary::Stream::bytes() const
{
    return track.bytes > 0 ? track.bytes : std::max(track.lengthMs, 0) * 16;
}

void FakeAudioLibrary::addTrack(const QString &path, const Track &track)
{
    m_tracks.insert(path, track);
}

void FakeAudioLibrary::acceptExistingFiles(const Track &track)
{
    m_existingFiles = track;
}

bool FakeAudioLibrary::fail(int code) const
{
    m_error = code;
    return false;
}

bool FakeAudioLibrary::succeed() const
{
    m_error = ErrNone;
    return true;
}

FakeAudioLibrary::Stream *FakeAudioLibrary::find(StreamHandle stream) const
{
    if (!m_open) {
        fail(ErrUninitialized);
        return nullptr;
    }
    const auto it = m_streams.find(stream);
    if (it == m_streams.end()) {
        fail(ErrInvalidParam);
        return nullptr;
    }
    succeed();
    return &it->second;
}

const FakeAudioLibrary::Channel *FakeAudioLibrary::channelAt(int channel) const
{
    if (!m_open) {
        fail(ErrUninitialized);
        return nullptr;
    }
    if (channel < 0 || channel >= int(m_channels.size())) {
        fail(ErrInvalidParam);
        return nullptr;
    }
    succeed();
    return &m_channels[std::size_t(channel)];
}

void FakeAudioLibrary::detach(StreamHandle stream)
{
    for (Channel &c : m_channels) {
        if (c.stream == stream)
            c.stream = 0;
    }
}

void FakeAudioLibrary::advance(int ms)
{
    for (const Channel &c : m_channels) {
        if (c.stream == 0 || c.paused)
            continue;
        Stream &s = m_streams.at(c.stream);
        s.timeMs = std::min(s.endMs(), s.timeMs + std::max(ms, 0));
    }
}

void FakeAudioLibrary::playToEnd(int channel)
{
    if (channel < 0 || channel >= int(m_channels.size()) || m_channels[std::size_t(channel)].stream == 0)
        return;
    Stream &s = m_streams.at(m_channels[std::size_t(channel)].stream);
    s.timeMs = s.endMs();
}

QString FakeAudioLibrary::pathOf(StreamHandle stream) const
{
    const auto it = m_streams.find(stream);
    return it == m_streams.end() ? QString() : it->second.path;
}

AudioLibrary::StreamHandle FakeAudioLibrary::streamOn(int channel) const
{
    if (channel < 0 || channel >= int(m_channels.size()))
        return 0;
    return m_channels[std::size_t(channel)].stream;
}

bool FakeAudioLibrary::init(int rate, int maxChannels, unsigned flags)
{
    log(QStringLiteral("init %1 %2 %3").arg(rate).arg(maxChannels).arg(flags));
    if (m_open)
        return fail(ErrBusy);
    if (m_initFailure != ErrNone)
        return fail(m_initFailure);
    if (rate < 8000 || rate > 192000 || maxChannels < 1)
        return fail(ErrInit);
    m_channels.assign(std::size_t(std::min(maxChannels, 256)), Channel {});
    m_outputVolume = 0xFFFFFFFFu;
    m_open = true;
    return succeed();
}

void FakeAudioLibrary::close()
{
    log(QStringLiteral("close"));
    m_open = false;
    m_channels.clear();
    m_streams.clear();
}

QStringList FakeAudioLibrary::componentVersions() const
{
    return {QStringLiteral("fake decoder"), QStringLiteral("fake output")};
}

AudioLibrary::StreamHandle FakeAudioLibrary::streamOpen(const QString &path, unsigned mode, int offset, int length)
{
    (void)mode;
    log(QStringLiteral("open %1").arg(path));
    if (!m_open)
        return fail(ErrUninitialized), 0;
    if (offset != 0 || length != 0)
        return fail(ErrInvalidParam), 0;
    Track track;
    if (const auto it = m_tracks.constFind(path); it != m_tracks.constEnd())
        track = *it;
    else if (m_existingFiles && !path.isEmpty() && QFileInfo(path).isFile())
        track = *m_existingFiles;
    else
        return fail(ErrFileNotFound), 0;
    if (track.openError != ErrNone)
        return fail(track.openError), 0;

    do {
        ++m_lastHandle;
    } while (m_lastHandle == 0 || m_streams.count(m_lastHandle));
    m_streams[m_lastHandle] = Stream {path, track, 0};
    m_opened.append(path);
    succeed();
    return m_lastHandle;
}

int FakeAudioLibrary::streamPlay(int channel, StreamHandle stream)
{
    log(QStringLiteral("play %1 %2").arg(channel).arg(stream));
    Stream *s = find(stream);
    if (!s)
        return -1;
    if (channel != -1 && !channelAt(channel))
        return -1;
    if (s->finished())
        s->timeMs = 0;
    detach(stream);
    if (channel == -1) {
        const auto free = std::find_if(m_channels.begin(), m_channels.end(), [this](const Channel &c) {
            return c.stream == 0 || m_streams.at(c.stream).finished();
        });
        if (m_playFailure || free == m_channels.end())
            return fail(ErrChannelAlloc), -1;
        channel = int(free - m_channels.begin());
    } else if (m_playFailure) {
        return fail(ErrChannelAlloc), -1;
    }
    m_channels[std::size_t(channel)] = Channel {stream, 255, false};
    succeed();
    return channel;
}

bool FakeAudioLibrary::streamStop(StreamHandle stream)
{
    log(QStringLiteral("stop %1").arg(stream));
    if (!find(stream))
        return false;
    detach(stream);
    return true;
}

bool FakeAudioLibrary::streamClose(StreamHandle stream)
{
    log(QStringLiteral("close-stream %1").arg(stream));
    if (!find(stream))
        return false;
    detach(stream);
    m_streams.erase(stream);
    return true;
}

int FakeAudioLibrary::streamLengthMs(StreamHandle stream) const
{
    const Stream *s = find(stream);
    return s ? std::max(s->track.lengthMs, 0) : 0;
}

int FakeAudioLibrary::streamTime(StreamHandle stream) const
{
    const Stream *s = find(stream);
    return s ? s->timeMs : 0;
}

bool FakeAudioLibrary::streamSetTime(StreamHandle stream, int ms)
{
    log(QStringLiteral("settime %1 %2").arg(stream).arg(ms));
    Stream *s = find(stream);
    if (!s)
        return false;
    s->timeMs = std::clamp(ms, 0, std::max(s->track.lengthMs, 0));
    return true;
}

int FakeAudioLibrary::streamLength(StreamHandle stream) const
{
    const Stream *s = find(stream);
    return s ? s->bytes() : 0;
}

int FakeAudioLibrary::streamPosition(StreamHandle stream) const
{
    const Stream *s = find(stream);
    if (!s || s->track.lengthMs <= 0)
        return 0;
    return int(qint64(s->timeMs) * s->bytes() / s->track.lengthMs);
}

bool FakeAudioLibrary::streamSetPosition(StreamHandle stream, int position)
{
    log(QStringLiteral("setposition %1 %2").arg(stream).arg(position));
    Stream *s = find(stream);
    if (!s)
        return false;
    const int bytes = s->bytes();
    const qint64 ms = bytes > 0 ? qint64(std::max(position, 0)) * std::max(s->track.lengthMs, 0) / bytes : 0;
    s->timeMs = int(std::clamp<qint64>(ms, 0, std::max(s->track.lengthMs, 0)));
    return true;
}

int FakeAudioLibrary::streamNumTagFields(StreamHandle stream) const
{
    const Stream *s = find(stream);
    return s ? int(s->track.tags.size()) : 0;
}

bool FakeAudioLibrary::streamTagField(StreamHandle stream, int index, TagField &field) const
{
    const Stream *s = find(stream);
    if (!s)
        return false;
    if (index < 0 || index >= s->track.tags.size())
        return fail(ErrInvalidParam);
    field = s->track.tags.at(index);
    return true;
}

bool FakeAudioLibrary::isPlaying(int channel) const
{
    const Channel *c = channelAt(channel);
    return c && c->stream != 0 && !m_streams.at(c->stream).finished();
}

bool FakeAudioLibrary::paused(int channel) const
{
    const Channel *c = channelAt(channel);
    return c && c->stream != 0 && c->paused;
}

bool FakeAudioLibrary::setPaused(int channel, bool paused)
{
    log(QStringLiteral("pause %1 %2").arg(channel).arg(paused ? 1 : 0));
    if (!channelAt(channel))
        return false;
    Channel &c = m_channels[std::size_t(channel)];
    if (c.stream == 0)
        return fail(ErrInvalidParam);
    c.paused = paused;
    return true;
}

bool FakeAudioLibrary::setVolume(int channel, int volume)
{
    log(QStringLiteral("volume %1 %2").arg(channel).arg(volume));
    if (!channelAt(channel))
        return false;
    m_channels[std::size_t(channel)].volume = std::clamp(volume, 0, 255);
    return true;
}

int FakeAudioLibrary::volume(int channel) const
{
    const Channel *c = channelAt(channel);
    return c ? c->volume : 0;
}

std::uint32_t FakeAudioLibrary::outputVolume() const
{
    return m_open && m_devicePresent ? m_outputVolume : 0;
}

void FakeAudioLibrary::setOutputVolume(std::uint32_t volume)
{
    log(QStringLiteral("outputvolume %1").arg(volume));
    if (m_open && m_devicePresent)
        m_outputVolume = volume;
}
