#include "playback/engine/EngineAudioLibrary.h"

#include "playback/engine/AudioOutput.h"
#include "playback/engine/EngineStream.h"
#include "playback/engine/FfmpegSource.h"
#include "playback/engine/MidiSource.h"
#include "playback/engine/SdlOutput.h"
#include "playback/engine/TagReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

// MIDI files are read whole into memory; real ones are far below this.
constexpr qint64 MaxMidiFileBytes = 64 * 1024 * 1024;
constexpr int MaxChannels = 256;

int toInt(std::int64_t value)
{
    return int(std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

EngineAudioLibrary::EngineAudioLibrary()
    : EngineAudioLibrary(std::make_unique<SdlOutput>())
{
}

EngineAudioLibrary::EngineAudioLibrary(std::unique_ptr<AudioOutput> output)
    : m_output(std::move(output))
{
}

EngineAudioLibrary::~EngineAudioLibrary()
{
    close();
}

bool EngineAudioLibrary::succeed() const
{
    m_error = ErrNone;
    return true;
}

bool EngineAudioLibrary::fail(int code) const
{
    m_error = code;
    return false;
}

bool EngineAudioLibrary::init(int rate, int maxChannels, unsigned flags)
{
    (void)flags; // no flags are defined
    if (m_open)
        return fail(ErrBusy);
    if (rate < 8000 || rate > 192000 || maxChannels < 1)
        return fail(ErrInit);
    {
        std::lock_guard lock(m_mixMutex);
        m_channels.assign(std::size_t(std::min(maxChannels, MaxChannels)), Channel {});
        m_outputVolume = 0xFFFFFFFFu;
    }
    m_rate = rate;
    if (!m_output->open(rate, [this](float *out, int frames) { mix(out, frames); }))
        return fail(ErrInit);
    m_open = true;
    return succeed();
}

int EngineAudioLibrary::error() const
{
    return m_error;
}

void EngineAudioLibrary::close()
{
    if (!m_open)
        return;
    // After this the mixer never runs again, so the streams can go.
    m_output->close();
    m_open = false;
    {
        std::lock_guard lock(m_mixMutex);
        m_channels.clear();
    }
    m_streams.clear();
}

float EngineAudioLibrary::version() const
{
    return EngineVersion;
}

QStringList EngineAudioLibrary::componentVersions() const
{
    return {FfmpegSource::versionText(), m_output->description(), MidiSource::versionText(), TagReader::versionText()};
}

AudioLibrary::StreamHandle EngineAudioLibrary::streamOpen(const QString &path, unsigned mode, int offset, int length)
{
    (void)mode; // every stream decodes to the mixer's format
    if (!m_open)
        return fail(ErrUninitialized), 0;
    if (offset != 0 || length != 0)
        return fail(ErrInvalidParam), 0;

    // Only regular files: a directory, a pipe or a device is never read.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return fail(ErrFileNotFound), 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ErrFileNotFound), 0;

    int code = ErrFileFormat;
    std::unique_ptr<StreamSource> source;
    if (MidiSource::looksLikeMidi(file.peek(12))) {
        if (file.size() > MaxMidiFileBytes)
            return fail(ErrFileBad), 0;
        source = MidiSource::open(file.readAll(), m_rate, code);
    } else {
        file.close();
        source = FfmpegSource::open(path, m_rate, code);
    }
    if (!source)
        return fail(code), 0;

    auto stream = std::make_shared<EngineStream>(std::move(source), m_rate, info.size(), TagReader::read(path));
    do {
        ++m_lastHandle;
    } while (m_lastHandle == 0 || m_streams.count(m_lastHandle));
    m_streams.emplace(m_lastHandle, std::move(stream));
    succeed();
    return m_lastHandle;
}

EngineStream *EngineAudioLibrary::find(StreamHandle stream) const
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
    return it->second.get();
}

bool EngineAudioLibrary::checkChannel(int channel) const
{
    if (!m_open)
        return fail(ErrUninitialized);
    if (channel < 0 || channel >= int(m_channels.size()))
        return fail(ErrInvalidParam);
    return succeed();
}

void EngineAudioLibrary::detachLocked(const EngineStream *stream)
{
    for (Channel &c : m_channels) {
        if (c.stream.get() == stream)
            c.stream.reset();
    }
}

int EngineAudioLibrary::streamPlay(int channel, StreamHandle stream)
{
    EngineStream *s = find(stream);
    if (!s)
        return -1;
    if (channel != -1 && !checkChannel(channel))
        return -1;
    if (s->finished())
        s->setTimeMs(0);

    std::lock_guard lock(m_mixMutex);
    detachLocked(s);
    if (channel == -1) {
        const auto free = std::find_if(m_channels.begin(), m_channels.end(),
                                       [](const Channel &c) { return !c.stream || c.stream->finished(); });
        if (free == m_channels.end())
            return fail(ErrChannelAlloc), -1;
        channel = int(free - m_channels.begin());
    }
    Channel &c = m_channels[std::size_t(channel)];
    c.stream = m_streams.at(stream);
    c.volume = 255;
    c.paused = false;
    succeed();
    return channel;
}

bool EngineAudioLibrary::streamStop(StreamHandle stream)
{
    const EngineStream *s = find(stream);
    if (!s)
        return false;
    std::lock_guard lock(m_mixMutex);
    detachLocked(s);
    return true;
}

bool EngineAudioLibrary::streamClose(StreamHandle stream)
{
    const EngineStream *s = find(stream);
    if (!s)
        return false;
    {
        std::lock_guard lock(m_mixMutex);
        detachLocked(s);
    }
    // The mixer no longer sees it: its decoding thread ends here.
    m_streams.erase(stream);
    return true;
}

int EngineAudioLibrary::streamLengthMs(StreamHandle stream) const
{
    const EngineStream *s = find(stream);
    return s ? toInt(s->lengthMs()) : 0;
}

int EngineAudioLibrary::streamTime(StreamHandle stream) const
{
    const EngineStream *s = find(stream);
    return s ? toInt(s->timeMs()) : 0;
}

bool EngineAudioLibrary::streamSetTime(StreamHandle stream, int ms)
{
    EngineStream *s = find(stream);
    if (!s)
        return false;
    s->setTimeMs(ms);
    return true;
}

int EngineAudioLibrary::streamLength(StreamHandle stream) const
{
    const EngineStream *s = find(stream);
    return s ? toInt(s->fileSize()) : 0;
}

int EngineAudioLibrary::streamPosition(StreamHandle stream) const
{
    const EngineStream *s = find(stream);
    if (!s || s->lengthMs() <= 0)
        return 0;
    return toInt(s->timeMs() * s->fileSize() / s->lengthMs());
}

bool EngineAudioLibrary::streamSetPosition(StreamHandle stream, int position)
{
    EngineStream *s = find(stream);
    if (!s)
        return false;
    const std::int64_t size = s->fileSize();
    s->setTimeMs(size > 0 ? std::int64_t(std::max(position, 0)) * s->lengthMs() / size : 0);
    return true;
}

int EngineAudioLibrary::streamNumTagFields(StreamHandle stream) const
{
    const EngineStream *s = find(stream);
    return s ? int(s->tags().size()) : 0;
}

bool EngineAudioLibrary::streamTagField(StreamHandle stream, int index, TagField &field) const
{
    const EngineStream *s = find(stream);
    if (!s)
        return false;
    if (index < 0 || index >= s->tags().size())
        return fail(ErrInvalidParam);
    field = s->tags().at(index);
    return true;
}

bool EngineAudioLibrary::isPlaying(int channel) const
{
    if (!checkChannel(channel))
        return false;
    std::lock_guard lock(m_mixMutex);
    const Channel &c = m_channels[std::size_t(channel)];
    return c.stream && !c.stream->finished();
}

bool EngineAudioLibrary::paused(int channel) const
{
    if (!checkChannel(channel))
        return false;
    std::lock_guard lock(m_mixMutex);
    const Channel &c = m_channels[std::size_t(channel)];
    return c.stream && c.paused;
}

bool EngineAudioLibrary::setPaused(int channel, bool paused)
{
    if (!checkChannel(channel))
        return false;
    std::lock_guard lock(m_mixMutex);
    Channel &c = m_channels[std::size_t(channel)];
    if (!c.stream)
        return fail(ErrInvalidParam);
    c.paused = paused;
    return true;
}

bool EngineAudioLibrary::setVolume(int channel, int volume)
{
    if (!checkChannel(channel))
        return false;
    std::lock_guard lock(m_mixMutex);
    m_channels[std::size_t(channel)].volume = std::clamp(volume, 0, 255);
    return true;
}

int EngineAudioLibrary::volume(int channel) const
{
    if (!checkChannel(channel))
        return 0;
    std::lock_guard lock(m_mixMutex);
    return m_channels[std::size_t(channel)].volume;
}

std::uint32_t EngineAudioLibrary::outputVolume() const
{
    if (!m_open)
        return 0;
    std::lock_guard lock(m_mixMutex);
    return m_outputVolume;
}

void EngineAudioLibrary::setOutputVolume(std::uint32_t volume)
{
    if (!m_open)
        return;
    std::lock_guard lock(m_mixMutex);
    m_outputVolume = volume;
}

void EngineAudioLibrary::mix(float *out, int frames)
{
    std::fill(out, out + 2 * std::size_t(std::max(frames, 0)), 0.0f);
    std::lock_guard lock(m_mixMutex);
    const float masterLeft = float(m_outputVolume & 0xFFFFu) / 65535.0f;
    const float masterRight = float(m_outputVolume >> 16) / 65535.0f;
    for (const Channel &c : m_channels) {
        if (!c.stream || c.paused)
            continue;
        const float gain = float(c.volume) / 255.0f;
        // A silent channel still takes its sound, so its time runs on.
        c.stream->mixInto(out, frames, gain * masterLeft, gain * masterRight);
    }
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
}
