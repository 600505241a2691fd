#pragma once

#include <memory>

// A playback stream on a PulseAudio server with a fixed contract: float
// stereo at the sink's rate, a target buffer of kTargetMs and requests of at
// least kRequestMs. The server asks for audio about every
// (kTargetMs - 2 * kRequestMs) and the callback fills each request at once,
// so both sides wake about a dozen times a second; whatever is mixed is heard
// at most kTargetMs later, so a pause, stop, seek or volume change is too.
// The stream starts paused. Every call but open() comes from one thread at a
// time; the fill callback runs on the server connection's thread.
class PulseOutput
{
public:
    static constexpr int kTargetMs = 100;
    static constexpr int kRequestMs = 10;

    using Fill = void (*)(void *user, float *out, int frames);

    // Connects to the server the environment names (PULSE_SERVER or the
    // user's own). nullptr when there is none or it refuses the stream.
    // `device` (UTF-8; null for the server's default sink) names a sink by
    // its description, as SDL lists it, or by its own name; nullptr too when
    // the server has no such sink.
    static std::unique_ptr<PulseOutput> open(int rate, Fill fill, void *user, const char *device = nullptr);
    ~PulseOutput();
    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    // Paused, the server stops taking audio at once and keeps what it holds.
    void setPaused(bool paused);
    // Drops what the server holds but has not played (a stop or a seek must
    // not be followed by the old sound); it asks for fresh audio at once.
    void drop();
    // Frames between the mix and the ear: the buffer the server was given.
    int latencyFrames() const;
    // The server moved the stream to another sink (its sink went away, or
    // the user moved it) since open(). Any thread.
    bool moved() const;

private:
    struct Impl;
    explicit PulseOutput(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};
