#pragma once

#include "playback/engine/MidiTiming.h"
#include "playback/engine/StreamSource.h"

#include <QString>
#include <memory>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;

// Plays a Standard MIDI File through FluidSynth with a General MIDI SoundFont.
// The length is the time of the file's last event; sound ends there.
class MidiSource : public StreamSource
{
public:
    // True when `head` (the first bytes of a file) starts a MIDI file.
    static bool looksLikeMidi(const QByteArray &head);

    // Builds a synthesiser for `data`, the whole file. Null on failure with
    // `error` set: ErrFileBad for a damaged file, ErrFileFormat when no
    // SoundFont can be loaded.
    static std::unique_ptr<MidiSource> open(const QByteArray &data, int rate, int &error);

    ~MidiSource() override;

    std::int64_t lengthMs() const override { return m_timing.lengthMs(); }
    int read(float *out, int frames) override;
    bool seek(std::int64_t ms) override;

    // The SoundFont used: $VELMORA_SOUNDFONT when it names a file, else the
    // first General MIDI SoundFont found in the usual system folders; empty
    // when there is none.
    static QString soundFontPath();
    static QString versionText();

private:
    explicit MidiSource(MidiTiming timing);
    bool startPlayerAt(std::int64_t ms);

    MidiTiming m_timing;
    int m_rate = 0;
    fluid_settings_t *m_settings = nullptr;
    fluid_synth_t *m_synth = nullptr;
    fluid_player_t *m_player = nullptr;
    std::int64_t m_renderedFrames = 0;
    std::int64_t m_lengthFrames = 0;
};
