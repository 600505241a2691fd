#pragma once

#include "playback/engine/AudioDecoder.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A decoder running ahead of the output on its own thread, into a bounded
// ring of output-format frames (about a third of a second), so memory stays
// the same for a three-minute song and a three-hour recording.
//
// The decoder thread starts on the first start() and sleeps on a condition
// variable whenever the ring is full, the stream is not wanted, or the sound
// has ended; it never polls. The ring is shared with the output callback
// under the stream's own mutex.
class DecodedStream
{
public:
    static constexpr int kRingFrames = 16384;
    static constexpr int kChunkFrames = 4096;

    explicit DecodedStream(std::unique_ptr<AudioDecoder> decoder);
    ~DecodedStream();

    DecodedStream(const DecodedStream &) = delete;
    DecodedStream &operator=(const DecodedStream &) = delete;

    // Starts (or wakes) decoding ahead. Any thread.
    void start();
    // Decoding ahead stops once the ring is full; false lets the thread sleep.
    void setWanted(bool wanted);

    // Drops what was decoded ahead and continues at `frame`. Any thread.
    void seek(std::int64_t frame);

    // Length in output frames; becomes exact once decoding reached the end.
    std::int64_t lengthFrames() const;

    // Output side. Adds up to `frames` ring frames, scaled by `left` and
    // `right`, onto `out`, and returns how many it added. With `waitForData`
    // it waits (at most a fraction of a second) for the decoder instead of
    // returning short, for outputs that are files rather than live devices.
    int mixInto(float *out, int frames, float left, float right, bool waitForData);
    // True when the decoder reached the end and the ring is empty.
    bool drained() const;

    // Output bookkeeping, guarded by the mixer's mix mutex, not by this
    // stream's mutex: positions in output frames.
    struct OutputState {
        std::int64_t mixStart = 0;   // position where the last mixed buffer began
        std::int64_t mixEnd = 0;     // position after the last mixed buffer
        std::int64_t floor = 0;      // the least position to report: where the stream last started or
                                     // landed, or where the previous buffer had brought it
        std::chrono::steady_clock::time_point mixTime{}; // when the last buffer was mixed
        bool ended = false;          // its last frame has been mixed
        bool finished = false;       // played to the end; the next play starts over
    } out;

private:
    void run();

    std::unique_ptr<AudioDecoder> m_decoder; // used by the decoder thread only, once started
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;          // decoder thread: space, seek, quit
    std::condition_variable m_dataReady;     // output waiting for frames
    std::vector<float> m_ring;
    int m_readFrame = 0;
    int m_fill = 0;
    bool m_wanted = false;
    bool m_eof = false;
    bool m_quit = false;
    bool m_seekPending = false;
    std::int64_t m_seekTarget = 0;
    std::uint64_t m_generation = 0;          // bumped by every seek
    std::int64_t m_length = 0;
    std::vector<float> m_scratch;
    std::thread m_thread;
};
