#include "playback/engine/EngineStream.h"

#include "playback/engine/StreamSource.h"

#include <algorithm>

namespace {
// Frames the decoder produces per step; a small multiple of a device block.
constexpr int DecodeChunkFrames = 2048;
}

EngineStream::EngineStream(std::unique_ptr<StreamSource> source, int rate, std::int64_t fileSize,
                           QList<AudioLibrary::TagField> tags)
    : m_source(std::move(source))
    , m_rate(rate)
    , m_lengthMs(m_source->lengthMs())
    , m_fileSize(fileSize)
    , m_tags(std::move(tags))
{
    // Half a second ahead: enough to ride out a slow disk, small enough that
    // a seek drops little decoded sound.
    m_ringFrames = std::size_t(std::max(rate / 2, 2 * DecodeChunkFrames));
    m_ring.assign(2 * m_ringFrames, 0.0f);
    m_thread = std::thread([this] { run(); });
}

EngineStream::~EngineStream()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::int64_t EngineStream::timeMs() const
{
    std::lock_guard lock(m_mutex);
    return std::min(m_lengthMs, m_baseMs + m_framesSinceBase * 1000 / m_rate);
}

void EngineStream::setTimeMs(std::int64_t ms)
{
    ms = std::clamp<std::int64_t>(ms, 0, m_lengthMs);
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_bufferedFrames = 0;
        m_readFrame = 0;
        m_baseMs = ms;
        m_framesSinceBase = 0;
        m_seekPending = true;
        m_seekTargetMs = ms;
        m_sourceEnded = false;
    }
    m_wake.notify_all();
}

bool EngineStream::finished() const
{
    std::lock_guard lock(m_mutex);
    return m_sourceEnded && !m_seekPending && m_bufferedFrames == 0;
}

int EngineStream::mixInto(float *out, int frames, float leftGain, float rightGain)
{
    int taken = 0;
    {
        std::lock_guard lock(m_mutex);
        const int wanted = std::min<std::size_t>(std::size_t(std::max(frames, 0)), m_bufferedFrames);
        while (taken < wanted) {
            const std::size_t run = std::min<std::size_t>(std::size_t(wanted - taken), m_ringFrames - m_readFrame);
            const float *src = m_ring.data() + 2 * m_readFrame;
            float *dst = out + 2 * taken;
            for (std::size_t i = 0; i < run; ++i) {
                dst[2 * i] += src[2 * i] * leftGain;
                dst[2 * i + 1] += src[2 * i + 1] * rightGain;
            }
            taken += int(run);
            m_readFrame = (m_readFrame + run) % m_ringFrames;
        }
        m_bufferedFrames -= std::size_t(taken);
        m_framesSinceBase += taken;
    }
    if (taken > 0)
        m_wake.notify_one();
    return taken;
}

void EngineStream::run()
{
    std::vector<float> chunk(2 * DecodeChunkFrames);
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_seekPending) {
            const std::int64_t target = m_seekTargetMs;
            const std::uint64_t generation = m_generation;
            m_seekPending = false;
            lock.unlock();
            const bool ok = m_source->seek(target);
            lock.lock();
            if (generation == m_generation && !ok)
                m_sourceEnded = true;
            continue;
        }
        const std::size_t space = m_ringFrames - m_bufferedFrames;
        if (m_sourceEnded || space < std::size_t(DecodeChunkFrames)) {
            m_wake.wait(lock);
            continue;
        }
        const std::uint64_t generation = m_generation;
        lock.unlock();
        const int got = m_source->read(chunk.data(), DecodeChunkFrames);
        lock.lock();
        if (generation != m_generation)
            continue; // a seek came in while decoding: this sound belongs to the old place
        if (got <= 0) {
            m_sourceEnded = true;
            continue;
        }
        std::size_t writeFrame = (m_readFrame + m_bufferedFrames) % m_ringFrames;
        for (int done = 0; done < got;) {
            const std::size_t run = std::min<std::size_t>(std::size_t(got - done), m_ringFrames - writeFrame);
            std::copy_n(chunk.data() + 2 * done, 2 * run, m_ring.data() + 2 * writeFrame);
            done += int(run);
            writeFrame = (writeFrame + run) % m_ringFrames;
        }
        m_bufferedFrames += std::size_t(got);
    }
}
