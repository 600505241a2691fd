#pragma once

#include <cstdint>

// One decoder behind a stream: produces interleaved stereo float samples at
// the output rate. Used by one thread at a time (the stream's decoding thread
// after opening); never shared.
class StreamSource
{
public:
    virtual ~StreamSource() = default;

    // Length of the sound in milliseconds, rounded down; fixed after opening.
    virtual std::int64_t lengthMs() const = 0;

    // Decodes up to `frames` frames into `out` (2 * frames floats). Returns
    // the number of frames written; 0 at the end of the sound or after an
    // error that ends decoding (a damaged file ends early, it never throws).
    virtual int read(float *out, int frames) = 0;

    // Repositions so that the next read() begins at `ms` (0 <= ms <= length).
    // False when the source cannot continue; read() then returns 0.
    virtual bool seek(std::int64_t ms) = 0;
};
