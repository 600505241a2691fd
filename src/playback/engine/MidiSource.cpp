#include "playback/engine/MidiSource.h"

#include "playback/AudioLibrary.h"

#include <QFileInfo>
#include <QStringList>
#include <fluidsynth.h>

#include <algorithm>

namespace {

void silenceFluidLog()
{
    static const bool done = [] {
        // Damaged files are reported through error codes, not on stderr.
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)done;
}

} // namespace

bool MidiSource::looksLikeMidi(const QByteArray &head)
{
    return head.startsWith("MThd") || (head.startsWith("RIFF") && head.mid(8, 4) == "RMID");
}

QString MidiSource::soundFontPath()
{
    const QString fromEnvironment = qEnvironmentVariable("VELMORA_SOUNDFONT");
    if (!fromEnvironment.isEmpty() && QFileInfo(fromEnvironment).isFile())
        return fromEnvironment;
    static const QStringList candidates = {
        QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"),
        QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"),
        QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"),
        QStringLiteral("/usr/share/soundfonts/default.sf2"),
        QStringLiteral("/usr/share/soundfonts/FluidR3_GM.sf2"),
    };
    for (const QString &path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString MidiSource::versionText()
{
    QString text = QStringLiteral("FluidSynth %1").arg(QString::fromLatin1(fluid_version_str()));
    const QString font = soundFontPath();
    text += font.isEmpty() ? QStringLiteral(" (no SoundFont)")
                           : QStringLiteral(" (%1)").arg(QFileInfo(font).canonicalFilePath());
    return text;
}

MidiSource::MidiSource(MidiTiming timing)
    : m_timing(std::move(timing))
{
}

std::unique_ptr<MidiSource> MidiSource::open(const QByteArray &data, int rate, int &error)
{
    silenceFluidLog();
    std::optional<MidiTiming> timing = MidiTiming::parse(data);
    if (!timing) {
        error = AudioLibrary::ErrFileBad;
        return nullptr;
    }
    std::unique_ptr<MidiSource> source(new MidiSource(std::move(*timing)));
    source->m_rate = rate;
    source->m_lengthFrames = source->m_timing.lengthMs() * rate / 1000;

    error = AudioLibrary::ErrMemory;
    source->m_settings = new_fluid_settings();
    if (!source->m_settings)
        return nullptr;
    fluid_settings_setnum(source->m_settings, "synth.sample-rate", rate);
    // The player advances with the sound rendered, not with the wall clock,
    // so decoding ahead, pausing and seeking keep the notes in place.
    fluid_settings_setstr(source->m_settings, "player.timing-source", "sample");
    // Near the loudness of mastered recordings in the same playlist.
    fluid_settings_setnum(source->m_settings, "synth.gain", 0.6);
    source->m_synth = new_fluid_synth(source->m_settings);
    if (!source->m_synth)
        return nullptr;

    error = AudioLibrary::ErrFileFormat;
    const QString font = soundFontPath();
    if (font.isEmpty() || fluid_synth_sfload(source->m_synth, font.toLocal8Bit().constData(), 1) == FLUID_FAILED)
        return nullptr;

    error = AudioLibrary::ErrFileBad;
    if (!source->startPlayerAt(0))
        return nullptr;
    error = AudioLibrary::ErrNone;
    return source;
}

MidiSource::~MidiSource()
{
    if (m_player)
        delete_fluid_player(m_player);
    if (m_synth)
        delete_fluid_synth(m_synth);
    if (m_settings)
        delete_fluid_settings(m_settings);
}

bool MidiSource::startPlayerAt(std::int64_t ms)
{
    if (m_player) {
        fluid_player_stop(m_player);
        delete_fluid_player(m_player);
        m_player = nullptr;
    }
    // A fresh player from the top: notes held at the old place are cut, and
    // the seek below replays every controller and program change up to `ms`.
    fluid_synth_system_reset(m_synth);
    m_player = new_fluid_player(m_synth);
    if (!m_player)
        return false;
    const QByteArray &smf = m_timing.smf();
    if (fluid_player_add_mem(m_player, smf.constData(), std::size_t(smf.size())) != FLUID_OK)
        return false;
    if (fluid_player_play(m_player) != FLUID_OK)
        return false;
    if (ms > 0 && fluid_player_seek(m_player, int(m_timing.msToTick(ms))) != FLUID_OK)
        return false;
    m_renderedFrames = std::min(ms * m_rate / 1000, m_lengthFrames);
    return true;
}

int MidiSource::read(float *out, int frames)
{
    const int n = int(std::clamp<std::int64_t>(m_lengthFrames - m_renderedFrames, 0, frames));
    if (n == 0)
        return 0;
    if (fluid_synth_write_float(m_synth, n, out, 0, 2, out, 1, 2) != FLUID_OK)
        return 0;
    m_renderedFrames += n;
    return n;
}

bool MidiSource::seek(std::int64_t ms)
{
    return startPlayerAt(std::clamp<std::int64_t>(ms, 0, m_timing.lengthMs()));
}
