#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// The timing of a Standard MIDI File: its tempo map and where its last event
// lies, enough to give the exact length and to turn times into ticks. Files
// given by users are read defensively: every length is checked against the
// bytes present, and a damaged track simply ends where the damage starts.
class MidiFile
{
public:
    // True when `bytes` start like a MIDI file: "MThd", or a RIFF RMID file.
    static bool looksLikeMidi(const QByteArray &bytes);

    // Parses `bytes` (a Standard MIDI File, or a RIFF RMID wrapping one).
    // False when there is no usable header or no track.
    bool parse(const QByteArray &bytes);

    // The Standard MIDI File itself (the RMID "data" chunk for RMID files).
    const QByteArray &smf() const { return m_smf; }

    // Time of the last event (End of Track included), in microseconds.
    std::int64_t lengthUs() const { return tickToUs(m_lastTick); }
    std::int64_t lastTick() const { return m_lastTick; }

    std::int64_t tickToUs(std::int64_t tick) const;
    // The first tick at or after `us`.
    std::int64_t usToTick(std::int64_t us) const;

private:
    struct Tempo {
        std::int64_t tick;
        std::int64_t us;       // time at `tick`
        std::uint32_t usPerQuarter;
    };
    void parseTrack(const unsigned char *data, std::size_t size, std::vector<std::pair<std::int64_t, std::uint32_t>> &tempos);

    QByteArray m_smf;
    int m_division = 0;           // ticks per quarter note, or per SMPTE second when m_smpte
    bool m_smpte = false;
    std::int64_t m_lastTick = 0;
    std::vector<Tempo> m_tempos;  // sorted by tick, first at tick 0
};
