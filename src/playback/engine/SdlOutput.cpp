#include "playback/engine/SdlOutput.h"

#include <SDL.h>

SdlOutput::~SdlOutput()
{
    close();
}

bool SdlOutput::open(int rate, Render render)
{
    close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_subsystemUp = true;

    m_render = std::move(render);
    SDL_AudioSpec want {};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // About 23 ms at 44.1 kHz: short enough for a prompt pause and seek,
    // long enough that a busy desktop does not starve the device.
    want.samples = 1024;
    want.callback = &SdlOutput::callback;
    want.userdata = this;
    SDL_AudioSpec have {};
    // No allowed changes: SDL converts when the device itself differs, so the
    // callback always sees float stereo at `rate`.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        close();
        return false;
    }
    const char *driver = SDL_GetCurrentAudioDriver();
    m_driver = QString::fromUtf8(driver ? driver : "unknown");
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void SdlOutput::close()
{
    if (m_device != 0) {
        // Waits for a running callback to return.
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    if (m_subsystemUp) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_subsystemUp = false;
    }
    m_render = nullptr;
}

QString SdlOutput::description() const
{
    SDL_version v;
    SDL_GetVersion(&v);
    QString text = QStringLiteral("SDL %1.%2.%3").arg(v.major).arg(v.minor).arg(v.patch);
    if (!m_driver.isEmpty())
        text += QStringLiteral(" (%1)").arg(m_driver);
    return text;
}

void SdlOutput::callback(void *self, std::uint8_t *stream, int bytes)
{
    auto *output = static_cast<SdlOutput *>(self);
    output->m_render(reinterpret_cast<float *>(stream), bytes / int(2 * sizeof(float)));
}
