#pragma once

#include "playback/AudioLibrary.h"

#include <QList>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class StreamSource;

// An open stream: its decoder runs on a thread of its own and keeps a short
// buffer of sound ahead of the device; the mixer takes sound from that buffer.
//
// The position counts the frames the mixer has taken, so it is exactly the
// sound that has reached the output, whatever the decoder has read ahead.
// Threads: lengths, tags and setTimeMs() from the user-interface thread;
// pull() from the mixer; all methods may run at the same time.
class EngineStream
{
public:
    EngineStream(std::unique_ptr<StreamSource> source, int rate, std::int64_t fileSize,
                 QList<AudioLibrary::TagField> tags);
    // Stops the decoding thread; no method may be running.
    ~EngineStream();

    std::int64_t lengthMs() const { return m_lengthMs; }
    std::int64_t fileSize() const { return m_fileSize; }
    const QList<AudioLibrary::TagField> &tags() const { return m_tags; }

    // Position in milliseconds of the sound the mixer has taken.
    std::int64_t timeMs() const;

    // Moves to `ms` (limited to 0..length). The buffered sound is dropped at
    // once; the position reads `ms` from now on; a finished stream plays again.
    void setTimeMs(std::int64_t ms);

    // True once every frame up to the end has been taken by the mixer.
    bool finished() const;

    // Mixer: adds up to `frames` frames times the two gains to `out`. Returns
    // the frames taken; fewer than asked when the decoder is behind or done.
    int mixInto(float *out, int frames, float leftGain, float rightGain);

private:
    void run();

    std::unique_ptr<StreamSource> m_source;
    const int m_rate;
    const std::int64_t m_lengthMs;
    const std::int64_t m_fileSize;
    const QList<AudioLibrary::TagField> m_tags;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<float> m_ring; // stereo frames, 2 floats each
    std::size_t m_ringFrames = 0;
    std::size_t m_readFrame = 0;
    std::size_t m_bufferedFrames = 0;
    std::int64_t m_baseMs = 0;          // position at the last seek
    std::int64_t m_framesSinceBase = 0; // frames taken since then
    std::uint64_t m_generation = 0;     // bumped by every seek: stale decoded sound is dropped
    bool m_seekPending = false;
    std::int64_t m_seekTargetMs = 0;
    bool m_sourceEnded = false;
    bool m_quit = false;
    std::thread m_thread;
};
