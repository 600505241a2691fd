#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// The time line of a Standard MIDI File: where it ends and how ticks map to
// milliseconds through its tempo changes. The synthesiser plays the file; this
// gives it an exact length and lets a time be turned into a tick to seek to.
class MidiTiming
{
public:
    // Reads a Standard MIDI File ("MThd"), also wrapped in a RIFF "RMID" file.
    // Empty for anything else, for SMPTE time division (the synthesiser plays
    // only metrical time), and for a header or track chunk that does not fit
    // the data. A track that stops in the middle of an event ends there.
    static std::optional<MidiTiming> parse(const QByteArray &data);

    // The Standard MIDI File itself (without a RIFF wrapping).
    const QByteArray &smf() const { return m_smf; }

    // Milliseconds to the last event of the longest track, rounded down and
    // limited to what an int holds.
    std::int64_t lengthMs() const { return m_lengthMs; }

    // The tick that sounds at `ms` (rounded down), and the time of `tick`.
    std::int64_t msToTick(std::int64_t ms) const;
    double tickToMs(std::int64_t tick) const;

private:
    struct TempoChange {
        std::int64_t tick;
        double usPerTick;
        double msAtTick;
    };

    QByteArray m_smf;
    int m_division = 0;
    std::vector<TempoChange> m_tempos; // sorted by tick; the first at tick 0
    std::int64_t m_endTick = 0;
    std::int64_t m_lengthMs = 0;
};
