#pragma once

#include "playback/engine/AudioDecoder.h"
#include "playback/decoders/ffmpeg/MidiFile.h"

#include <QByteArray>
#include <QString>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

// Synthesises a MIDI file with FluidSynth and a General MIDI SoundFont. The
// sound lasts exactly as long as the file's events (the tail of the last
// notes is cut there), so the length is known before playing.
class MidiDecoder final : public AudioDecoder
{
public:
    ~MidiDecoder() override;

    // Parses `bytes` for a synthesis at `rate`. The synthesiser and its
    // SoundFont are made on the first read or seek. Null with `error` set
    // (ErrFileBad, or ErrFileFormat when no SoundFont is installed).
    static std::unique_ptr<MidiDecoder> open(const QByteArray &bytes, int rate, int &error);

    int read(float *out, int frames) override;
    bool seek(std::int64_t frame) override;
    std::int64_t lengthFrames() const override { return m_length; }

    // The General MIDI SoundFont used: the largest one known to be installed
    // first, then the distribution's default. Empty when none exists.
    static QString soundFontPath();

private:
    MidiDecoder() = default;
    bool ensureSynth();
    bool startPlayer(std::int64_t tick);
    static void keepSoundFontLoaded(const QString &soundFont, int rate);

    MidiFile m_file;
    int m_rate = 44100;
    QString m_soundFont;
    std::int64_t m_startTick = 0;
    bool m_failed = false;            // the synthesiser could not be made
    _fluid_hashtable_t *m_settings = nullptr;
    _fluid_synth_t *m_synth = nullptr;
    _fluid_player_t *m_player = nullptr;
    std::int64_t m_length = 0;
    std::int64_t m_position = 0;
};
