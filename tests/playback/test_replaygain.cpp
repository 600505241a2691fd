// Loudness levelling: which tag fields give a track's gains and peaks, and
// the factor a track plays with under each setting.
#include "playback/ReplayGain.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Field = AudioLibrary::TagField;
using Info = ReplayGainInfo;
using Mode = ReplayGainMode;

Field field(int kind, const char *name, const char *value)
{
    return Field{kind, QByteArray(name), QByteArray(value)};
}

std::string show(const std::optional<double> &v)
{
    return v ? std::to_string(*v) : std::string("none");
}

void expectSame(const Info &got, const Info &want)
{
    const auto near = [](const std::optional<double> &a, const std::optional<double> &b) {
        return a.has_value() == b.has_value() && (!a || std::fabs(*a - *b) < 1e-9);
    };
    EXPECT_TRUE(near(got.trackGainDb, want.trackGainDb)) << show(got.trackGainDb) << " vs " << show(want.trackGainDb);
    EXPECT_TRUE(near(got.trackPeak, want.trackPeak)) << show(got.trackPeak) << " vs " << show(want.trackPeak);
    EXPECT_TRUE(near(got.albumGainDb, want.albumGainDb)) << show(got.albumGainDb) << " vs " << show(want.albumGainDb);
    EXPECT_TRUE(near(got.albumPeak, want.albumPeak)) << show(got.albumPeak) << " vs " << show(want.albumPeak);
}

struct FieldCase {
    const char *name;
    QList<Field> fields;
    Info expected;
};

TEST(ReplayGainFields, EveryFormatsNamesAndSpellings)
{
    constexpr int vorbis = AudioLibrary::TagVorbis, id3v2 = AudioLibrary::TagId3v2, other = AudioLibrary::TagOther;
    const FieldCase cases[] = {
        {"Vorbis comments, all four",
         {field(vorbis, "REPLAYGAIN_TRACK_GAIN", "-6.20 dB"), field(vorbis, "REPLAYGAIN_TRACK_PEAK", "0.988"),
          field(vorbis, "REPLAYGAIN_ALBUM_GAIN", "-7.5 dB"), field(vorbis, "REPLAYGAIN_ALBUM_PEAK", "1.02")},
         {-6.2, 0.988, -7.5, 1.02}},
        {"ID3v2 user text frames",
         {field(id3v2, "TXXX:REPLAYGAIN_TRACK_GAIN", "+2.10 dB"), field(id3v2, "TXXX:replaygain_track_peak", "0.5")},
         {2.1, 0.5, std::nullopt, std::nullopt}},
        {"lower case names (MP4 freeform, APE)",
         {field(other, "replaygain_album_gain", "-1 dB"), field(other, "Replaygain_Track_Gain", "3")},
         {3.0, std::nullopt, -1.0, std::nullopt}},
        {"no unit, decimal comma, spaces",
         {field(other, "REPLAYGAIN_TRACK_GAIN", "  -4,25  "), field(other, "REPLAYGAIN_TRACK_PEAK", " 0,75 ")},
         {-4.25, 0.75, std::nullopt, std::nullopt}},
        {"unit without a space, in other letter case",
         {field(other, "REPLAYGAIN_TRACK_GAIN", "-3.5DB")},
         {-3.5, std::nullopt, std::nullopt, std::nullopt}},
        {"Opus R128: 1/256 dB against -23 LUFS, +5 dB to the reference",
         {field(vorbis, "R128_TRACK_GAIN", "-1280"), field(vorbis, "R128_ALBUM_GAIN", "256")},
         {-5.0 + 5.0, std::nullopt, 1.0 + 5.0, std::nullopt}},
        {"R128 wins over REPLAYGAIN_ of the same file, whatever the order",
         {field(vorbis, "R128_TRACK_GAIN", "-512"), field(vorbis, "REPLAYGAIN_TRACK_GAIN", "-9 dB"),
          field(vorbis, "REPLAYGAIN_TRACK_PEAK", "0.9")},
         {-2.0 + 5.0, 0.9, std::nullopt, std::nullopt}},
        {"garbage and out of range values count as absent",
         {field(vorbis, "REPLAYGAIN_TRACK_GAIN", "loud"), field(vorbis, "REPLAYGAIN_ALBUM_GAIN", "-99 dB"),
          field(vorbis, "REPLAYGAIN_TRACK_PEAK", "0"), field(vorbis, "REPLAYGAIN_ALBUM_PEAK", "-1"),
          field(vorbis, "R128_ALBUM_GAIN", "1.5")},
         {}},
        {"a later valid field wins over an earlier one",
         {field(vorbis, "REPLAYGAIN_TRACK_GAIN", "-1 dB"), field(vorbis, "REPLAYGAIN_TRACK_GAIN", "-2 dB")},
         {-2.0, std::nullopt, std::nullopt, std::nullopt}},
        {"similar names of other meaning are not taken",
         {field(id3v2, "TXXX", "REPLAYGAIN_TRACK_GAIN -6 dB"), field(vorbis, "REPLAYGAIN_REFERENCE_LOUDNESS", "89 dB"),
          field(vorbis, "TITLE", "REPLAYGAIN_TRACK_GAIN")},
         {}},
        {"no fields", {}, {}},
    };
    for (const FieldCase &c : cases) {
        SCOPED_TRACE(c.name);
        expectSame(ReplayGainFromFields(c.fields), c.expected);
    }
}

struct FactorCase {
    const char *name;
    Info info;
    ReplayGainSettings settings;
    double expectedDb; // the factor in dB
};

TEST(ReplayGainFactor, EachModeAndItsFallbacks)
{
    const Info full{-6.0, 0.5, -3.0, 0.9};
    const Info trackOnly{-6.0, 0.5, std::nullopt, std::nullopt};
    const Info loudPeak{+1.0, 1.2, +2.0, 1.4};
    const Info quietWithPeak{+10.0, 0.5, std::nullopt, std::nullopt};
    const FactorCase cases[] = {
        {"off leaves everything as it is", full, {Mode::Off, 6.0, true}, 0.0},
        {"track mode takes the track gain", full, {Mode::Track, 0.0, false}, -6.0},
        {"album mode takes the album gain", full, {Mode::Album, 0.0, false}, -3.0},
        {"album mode without an album gain takes the track gain", trackOnly, {Mode::Album, 0.0, false}, -6.0},
        {"the pre-amp adds to the gain", full, {Mode::Track, 4.0, false}, -2.0},
        {"a negative pre-amp too", full, {Mode::Album, -12.0, false}, -15.0},
        {"untagged tracks stay as they are, pre-amp or not", {}, {Mode::Track, 12.0, true}, 0.0},
        {"the peak caps a gain that would clip", quietWithPeak, {Mode::Track, 0.0, true}, -20 * std::log10(0.5)},
        {"without clipping prevention the peak is ignored", quietWithPeak, {Mode::Track, 0.0, false}, 10.0},
        {"a peak above full scale pulls the track below its gain", loudPeak, {Mode::Track, 0.0, true},
         -20 * std::log10(1.2)},
        {"album mode caps by the album peak", loudPeak, {Mode::Album, 0.0, true}, -20 * std::log10(1.4)},
        {"album fallback caps by the track peak", {+6.0, 0.8, std::nullopt, std::nullopt}, {Mode::Album, 0.0, true},
         -20 * std::log10(0.8)},
        {"album gain without album peak caps by the track peak", {-1.0, 0.9, +6.0, std::nullopt},
         {Mode::Album, 0.0, true}, -20 * std::log10(0.9)},
        {"a gain below the cap is not raised to it", full, {Mode::Track, 0.0, true}, -6.0},
    };
    for (const FactorCase &c : cases) {
        SCOPED_TRACE(c.name);
        const float factor = ReplayGainFactor(c.info, c.settings);
        EXPECT_NEAR(20 * std::log10(factor), c.expectedDb, 0.001);
    }
}

} // namespace
