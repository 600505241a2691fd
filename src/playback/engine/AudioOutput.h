#pragma once

#include <QString>
#include <functional>
#include <mutex>

// Where the mixed sound goes. The engine hands the output a render function;
// the output calls it, from a thread of its own, whenever it needs the next
// block of interleaved stereo float samples at the rate it was opened with.
class AudioOutput
{
public:
    // Fills `frames` stereo frames (2 * frames floats) at `out`.
    using Render = std::function<void(float *out, int frames)>;

    virtual ~AudioOutput() = default;

    // Opens the device at `rate` Hz and starts calling `render`. False when
    // no device can be opened; nothing is called then.
    virtual bool open(int rate, Render render) = 0;

    // Stops calling render and releases the device. When close() returns,
    // render is not running and will not run again. Harmless when not open.
    virtual void close() = 0;

    // A short description of the device in use, e.g. "SDL 2.26.5 (pulseaudio)".
    virtual QString description() const = 0;
};

// An output without a device: the owner asks for sound with pull(), so tests,
// benchmarks and offline rendering advance playback exactly as far as they want.
class PullOutput : public AudioOutput
{
public:
    bool open(int rate, Render render) override;
    void close() override;
    QString description() const override;

    // Renders `frames` frames into `out` (2 * frames floats). Writes silence
    // when the output is not open. Any thread.
    void pull(float *out, int frames);

    int rate() const { return m_rate; }

private:
    mutable std::mutex m_mutex;
    Render m_render;
    int m_rate = 0;
};
