#pragma once

#include <QString>
#include <cstdint>

// One source of sound for the mixer: a file decoded into interleaved stereo
// 32-bit float frames at the output rate.
//
// Threads: a decoder is created on the user-interface thread and from then on
// used by one thread at a time (the stream's decoder thread).
class AudioDecoder
{
public:
    virtual ~AudioDecoder() = default;

    // Writes up to `frames` frames to `out` (2 * frames floats) and returns how
    // many it wrote; 0 means the end of the sound (or an error that ends it).
    virtual int read(float *out, int frames) = 0;

    // Moves to output frame `frame` counted from the start. The next read()
    // starts there, to within a few milliseconds. False when the decoder
    // cannot seek; it then stays where it was.
    virtual bool seek(std::int64_t frame) = 0;

    // Length of the whole sound in output frames, as exact as the file allows.
    // After read() returned 0 from a read that started at frame 0 it is the
    // exact number of frames delivered.
    virtual std::int64_t lengthFrames() const = 0;
};
