#pragma once

#include "playback/engine/AudioOutput.h"

#include <cstdint>

// The sound device through SDL2 audio: PipeWire, PulseAudio or ALSA here;
// SDL_AUDIODRIVER=dummy gives a silent device that still runs in real time.
class SdlOutput : public AudioOutput
{
public:
    ~SdlOutput() override;

    bool open(int rate, Render render) override;
    void close() override;
    QString description() const override;

private:
    static void callback(void *self, std::uint8_t *stream, int bytes);

    Render m_render;
    std::uint32_t m_device = 0;
    bool m_subsystemUp = false;
    QString m_driver;
};
