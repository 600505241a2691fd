#include "playback/decoders/ffmpeg/MidiDecoder.h"

#include "playback/AudioLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <fluidsynth.h>
#include <mutex>

namespace {

// FluidSynth's own default gain (0.2) leaves General MIDI files far quieter
// than other formats; this keeps typical files near their level without clipping.
constexpr double kSynthGain = 0.4;

void quietFluidSynth()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

} // namespace

QString MidiDecoder::soundFontPath()
{
    static const char *const candidates[] = {
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
    };
    for (const char *path : candidates) {
        if (QFileInfo(QString::fromLatin1(path)).isFile())
            return QString::fromLatin1(path);
    }
    return {};
}

MidiDecoder::~MidiDecoder()
{
    if (m_player)
        delete_fluid_player(m_player);
    if (m_synth)
        delete_fluid_synth(m_synth);
    if (m_settings)
        delete_fluid_settings(m_settings);
}

// Keeps the SoundFont loaded for the rest of the run once a MIDI file was
// played: FluidSynth shares sample data between synthesisers loading the same
// file, so the next MIDI file starts without reading it again.
void MidiDecoder::keepSoundFontLoaded(const QString &soundFont, int rate)
{
    static std::mutex mutex;
    static fluid_settings_t *settings = nullptr;
    static fluid_synth_t *keeper = nullptr;
    std::lock_guard lock(mutex);
    if (keeper)
        return;
    settings = new_fluid_settings();
    if (!settings)
        return;
    fluid_settings_setnum(settings, "synth.sample-rate", rate);
    keeper = new_fluid_synth(settings);
    if (keeper && fluid_synth_sfload(keeper, QFile::encodeName(soundFont).constData(), 0) == FLUID_FAILED) {
        delete_fluid_synth(keeper);
        keeper = nullptr;
    }
}

std::unique_ptr<MidiDecoder> MidiDecoder::open(const QByteArray &bytes, int rate, int &error)
{
    quietFluidSynth();
    std::unique_ptr<MidiDecoder> d(new MidiDecoder);
    d->m_rate = rate;
    if (!d->m_file.parse(bytes)) {
        error = AudioLibrary::ErrFileBad;
        return nullptr;
    }
    d->m_soundFont = soundFontPath();
    if (d->m_soundFont.isEmpty()) {
        error = AudioLibrary::ErrFileFormat;
        return nullptr;
    }
    d->m_length = d->m_file.lengthUs() * rate / 1000000;
    return d;
}

// The synthesiser is made on the stream's decoder thread, on the first read
// or seek: loading a SoundFont takes longer than opening a file should.
bool MidiDecoder::ensureSynth()
{
    if (m_synth)
        return true;
    if (m_failed)
        return false;
    m_failed = true;
    keepSoundFontLoaded(m_soundFont, m_rate);
    m_settings = new_fluid_settings();
    if (!m_settings)
        return false;
    fluid_settings_setnum(m_settings, "synth.sample-rate", m_rate);
    fluid_settings_setnum(m_settings, "synth.gain", kSynthGain);
    // Only the stream's decoder thread touches the synthesiser.
    fluid_settings_setint(m_settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(m_settings, "synth.cpu-cores", 1);
    // The player advances with the samples rendered, not with the wall clock.
    fluid_settings_setstr(m_settings, "player.timing-source", "sample");
    m_synth = new_fluid_synth(m_settings);
    if (!m_synth)
        return false;
    if (fluid_synth_sfload(m_synth, QFile::encodeName(m_soundFont).constData(), 1) == FLUID_FAILED
        || !startPlayer(m_startTick)) {
        delete_fluid_synth(m_synth);
        m_synth = nullptr;
        return false;
    }
    m_failed = false;
    return true;
}

bool MidiDecoder::startPlayer(std::int64_t tick)
{
    if (m_player) {
        fluid_player_stop(m_player);
        delete_fluid_player(m_player);
        m_player = nullptr;
    }
    fluid_synth_system_reset(m_synth); // no note or controller survives a seek
    m_player = new_fluid_player(m_synth);
    if (!m_player)
        return false;
    const QByteArray &smf = m_file.smf();
    if (fluid_player_add_mem(m_player, smf.constData(), std::size_t(smf.size())) != FLUID_OK)
        return false;
    // A seek requested before play() is applied when the file is loaded.
    if (tick > 0 && fluid_player_seek(m_player, int(std::min<std::int64_t>(tick, m_file.lastTick()))) != FLUID_OK)
        return false;
    return fluid_player_play(m_player) == FLUID_OK;
}

int MidiDecoder::read(float *out, int frames)
{
    const int n = int(std::clamp<std::int64_t>(m_length - m_position, 0, frames));
    if (n == 0 || !ensureSynth())
        return 0;
    if (fluid_synth_write_float(m_synth, n, out, 0, 2, out, 1, 2) != FLUID_OK)
        return 0;
    m_position += n;
    return n;
}

bool MidiDecoder::seek(std::int64_t frame)
{
    frame = std::clamp<std::int64_t>(frame, 0, m_length);
    const std::int64_t tick = m_file.usToTick(frame * 1000000 / m_rate);
    if (!m_synth) {
        m_startTick = tick; // applied when the synthesiser is made
    } else if (!startPlayer(tick)) {
        return false;
    }
    m_position = frame;
    return true;
}
