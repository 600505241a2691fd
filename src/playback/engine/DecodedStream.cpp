#include "playback/engine/DecodedStream.h"

#include <algorithm>
#include <chrono>

DecodedStream::DecodedStream(std::unique_ptr<AudioDecoder> decoder)
    : m_decoder(std::move(decoder))
    , m_length(m_decoder->lengthFrames())
{
}

DecodedStream::~DecodedStream()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_dataReady.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void DecodedStream::start()
{
    std::lock_guard lock(m_mutex);
    m_wanted = true;
    if (!m_thread.joinable()) {
        m_ring.assign(std::size_t(kRingFrames) * 2, 0.0f);
        m_scratch.assign(std::size_t(kChunkFrames) * 2, 0.0f);
        m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void DecodedStream::setWanted(bool wanted)
{
    std::lock_guard lock(m_mutex);
    m_wanted = wanted;
    if (wanted)
        m_wake.notify_one();
}

void DecodedStream::seek(std::int64_t frame)
{
    std::lock_guard lock(m_mutex);
    m_fill = 0;
    m_readFrame = 0;
    m_eof = false;
    m_seekPending = true;
    m_seekTarget = frame;
    ++m_generation;
    m_wake.notify_one();
}

std::int64_t DecodedStream::lengthFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_length;
}

bool DecodedStream::drained() const
{
    std::lock_guard lock(m_mutex);
    return m_eof && m_fill == 0 && !m_seekPending;
}

int DecodedStream::mixInto(float *out, int frames, float left, float right, bool waitForData)
{
    std::unique_lock lock(m_mutex);
    int done = 0;
    while (done < frames) {
        if (m_fill == 0) {
            if ((m_eof && !m_seekPending) || !waitForData || m_quit || !m_thread.joinable())
                break;
            const auto got = m_dataReady.wait_for(lock, std::chrono::milliseconds(250));
            if (got == std::cv_status::timeout && m_fill == 0)
                break;
            continue;
        }
        const int n = std::min({frames - done, m_fill, kRingFrames - m_readFrame});
        const float *src = m_ring.data() + std::size_t(m_readFrame) * 2;
        float *dst = out + std::size_t(done) * 2;
        for (int i = 0; i < n; ++i) {
            dst[2 * i] += src[2 * i] * left;
            dst[2 * i + 1] += src[2 * i + 1] * right;
        }
        m_readFrame = (m_readFrame + n) % kRingFrames;
        m_fill -= n;
        done += n;
    }
    // Wake the decoder only when a good share of the ring is free, so it
    // decodes in large batches and sleeps in between.
    if (!m_eof && m_fill <= kRingFrames / 2)
        m_wake.notify_one();
    return done;
}

void DecodedStream::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_seekPending) {
            const std::int64_t target = m_seekTarget;
            const std::uint64_t generation = m_generation;
            lock.unlock();
            m_decoder->seek(target);
            lock.lock();
            if (generation == m_generation)
                m_seekPending = false;
            continue;
        }
        if (!m_wanted || m_eof || kRingFrames - m_fill < kChunkFrames) {
            m_wake.wait(lock);
            continue;
        }
        const std::uint64_t generation = m_generation;
        lock.unlock();
        const int n = m_decoder->read(m_scratch.data(), kChunkFrames);
        const std::int64_t length = m_decoder->lengthFrames();
        lock.lock();
        if (generation != m_generation)
            continue; // a seek came in meanwhile: these frames belong to the old place
        if (n <= 0) {
            m_eof = true;
            m_length = length;
            m_dataReady.notify_all();
            continue;
        }
        int written = 0;
        while (written < n) {
            const int writeFrame = (m_readFrame + m_fill) % kRingFrames;
            const int count = std::min(n - written, kRingFrames - writeFrame);
            std::copy_n(m_scratch.data() + std::size_t(written) * 2, std::size_t(count) * 2,
                        m_ring.data() + std::size_t(writeFrame) * 2);
            written += count;
            m_fill += count;
        }
        m_dataReady.notify_all();
    }
}
