#pragma once

#include "playback/AudioLibrary.h"

#include <QList>
#include <optional>

// How loud a track should play, from the loudness its tags record: the gain
// that brings it to the reference level (89 dB SPL, about -18 LUFS) and the
// largest sample it holds (1.0 = full scale), for the track alone and for its
// album.
struct ReplayGainInfo {
    std::optional<double> trackGainDb;
    std::optional<double> trackPeak;
    std::optional<double> albumGainDb;
    std::optional<double> albumPeak;

    bool operator==(const ReplayGainInfo &) const = default;
};

// Which of a track's gains the player applies.
enum class ReplayGainMode : int { Off = 0, Track = 1, Album = 2 };

// The listener's choice: the mode, a pre-amplification added to every tagged
// track's gain, and whether the recorded peak caps the gain so the loudest
// sample stays within full scale.
struct ReplayGainSettings {
    ReplayGainMode mode = ReplayGainMode::Off;
    double preampDb = 0.0;
    bool preventClipping = true;

    bool operator==(const ReplayGainSettings &) const = default;
};

// The gains and peaks among a file's tag fields, whatever the format calls
// them (names compared without regard to letter case):
// - REPLAYGAIN_TRACK_GAIN, _TRACK_PEAK, _ALBUM_GAIN, _ALBUM_PEAK: Vorbis
//   comments, APE items, MP4 freeform atoms, ID3v2 user text frames (whose
//   fields are named "TXXX:<description>"); gains as "-6.20 dB" (the unit
//   optional, a decimal comma accepted), peaks as a plain number;
// - R128_TRACK_GAIN, R128_ALBUM_GAIN of Opus: a whole number of 1/256 dB
//   relative to -23 LUFS, 5 dB quieter than the reference above; they win
//   over REPLAYGAIN_ fields of the same file. (An Opus header's own output
//   gain is applied by the decoder for every player setting, as the format
//   requires; these tags are relative to the sound after it.)
// Values that do not parse, or lie outside any sane range (gains beyond
// +-64 dB, peaks not above zero), count as absent. Any thread.
ReplayGainInfo ReplayGainFromFields(const QList<AudioLibrary::TagField> &fields);

// The linear factor a track is played with: 1 when the mode is off or the
// track has no gain for it (album mode takes the track gain when the album
// gain is missing, with the track peak); otherwise the gain plus the pre-amp,
// capped by 1 / peak when clipping prevention is on and a peak is known.
float ReplayGainFactor(const ReplayGainInfo &info, const ReplayGainSettings &settings);
