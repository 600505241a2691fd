#include "playback/engine/AudioOutput.h"

#include <algorithm>

bool PullOutput::open(int rate, Render render)
{
    std::lock_guard lock(m_mutex);
    m_render = std::move(render);
    m_rate = rate;
    return true;
}

void PullOutput::close()
{
    std::lock_guard lock(m_mutex);
    m_render = nullptr;
}

QString PullOutput::description() const
{
    return QStringLiteral("pull output (no device)");
}

void PullOutput::pull(float *out, int frames)
{
    std::lock_guard lock(m_mutex);
    if (m_render)
        m_render(out, frames);
    else
        std::fill(out, out + 2 * std::max(frames, 0), 0.0f);
}
