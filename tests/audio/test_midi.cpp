// MIDI files: the timing read from the file (tempo map, length, damaged
// tracks) and their synthesis through the engine.
#include "EngineTestSupport.h"

#include "playback/decoders/ffmpeg/MidiDecoder.h"
#include "playback/decoders/ffmpeg/MidiFile.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

QByteArray be32(quint32 v)
{
    return bytes({int(v >> 24) & 0xFF, int(v >> 16) & 0xFF, int(v >> 8) & 0xFF, int(v) & 0xFF});
}

QByteArray le32(quint32 v)
{
    return bytes({int(v) & 0xFF, int(v >> 8) & 0xFF, int(v >> 16) & 0xFF, int(v >> 24) & 0xFF});
}

QByteArray track(const QByteArray &events)
{
    return "MTrk" + be32(quint32(events.size())) + events;
}

QByteArray smf(int format, int division, const QList<QByteArray> &tracks)
{
    QByteArray out = "MThd" + be32(6) + bytes({0, format, 0, int(tracks.size()), (division >> 8) & 0xFF, division & 0xFF});
    for (const QByteArray &t : tracks)
        out += track(t);
    return out;
}

const QByteArray kEnd = bytes({0xFF, 0x2F, 0x00});

QByteArray tempo(int usPerQuarter)
{
    return bytes({0xFF, 0x51, 0x03, (usPerQuarter >> 16) & 0xFF, (usPerQuarter >> 8) & 0xFF, usPerQuarter & 0xFF});
}

// An ocarina note (nearly a sine) held from the start to `ticks` (480 per quarter), with a
// tempo change to twice the speed at tick 480: 0.5 s + (ticks - 480) / 1920 s.
QByteArray heldNote(int ticks)
{
    QByteArray e = bytes({0x00}) + tempo(500000) + bytes({0x00, 0xC0, 79, 0x00, 0x90, 69, 100});
    e += bytes({0x83, 0x60}) + tempo(250000); // delta 480
    const int rest = ticks - 480;
    e += bytes({0x80 | ((rest >> 7) & 0x7F), rest & 0x7F, 0x80, 69, 0}) + bytes({0x00}) + kEnd;
    return smf(0, 480, {e});
}

// A4 for 0.75 s, then A5 for 0.25 s (same tempo map as heldNote(1440)).
QByteArray twoNotes()
{
    QByteArray e = bytes({0x00}) + tempo(500000) + bytes({0x00, 0xC0, 79, 0x00, 0x90, 69, 100});
    e += bytes({0x83, 0x60}) + tempo(250000);
    e += bytes({0x83, 0x60, 0x80, 69, 0, 0x00, 0x90, 81, 100});
    e += bytes({0x83, 0x60, 0x80, 81, 0, 0x00}) + kEnd;
    return smf(0, 480, {e});
}

QByteArray rmid(const QByteArray &smfBytes)
{
    const QByteArray data = "data" + le32(quint32(smfBytes.size())) + smfBytes;
    return "RIFF" + le32(quint32(4 + data.size())) + "RMID" + data;
}

TEST(MidiFile, TimingOfFiles)
{
    const QByteArray twoTracks =
        smf(1, 480, {bytes({0x00}) + tempo(1000000) + bytes({0x00}) + kEnd,
                     bytes({0x00, 0x90, 60, 100, 0x87, 0x40, 0x80, 60, 0, 0x00}) + kEnd}); // note off at 960
    const QByteArray full = heldNote(1440);
    const struct {
        const char *name;
        QByteArray file;
        bool ok;
        std::int64_t lengthUs;
    } cases[] = {
        {"default tempo, 960 ticks", smf(0, 480, {bytes({0x87, 0x40}) + kEnd}), true, 1000000},
        {"tempo doubles halfway", heldNote(1440), true, 1000000},
        {"the longest track sets the length; tempo from track 1", twoTracks, true, 2000000},
        {"running status", smf(0, 480, {bytes({0x00, 0x90, 60, 100, 0x83, 0x60, 60, 0, 0x00}) + kEnd}), true, 500000},
        {"sysex and text events are skipped",
         smf(0, 96, {bytes({0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x60, 0xFF, 0x01, 0x02, 'h', 'i', 0x00}) + kEnd}), true,
         500000},
        {"SMPTE 25 fps x 40 ticks", smf(0, 0xE728, {bytes({0x87, 0x68}) + kEnd}), true, 1000000},
        {"damaged track ends at its last whole event", full.left(full.size() - 8), true, 500000},
        {"RMID wrapper", rmid(full), true, 1000000},
        {"no tracks", smf(0, 480, {}), false, 0},
        {"not MIDI", QByteArray("RIFF\0\0\0\0WAVEfmt ", 16), false, 0},
        {"header shorter than it says", QByteArray("MThd\0\0\0\x20\0\0\0\1\1\xE0", 14), false, 0},
        {"zero division", smf(0, 0, {kEnd}), false, 0},
    };
    for (const auto &c : cases) {
        MidiFile f;
        EXPECT_EQ(f.parse(c.file), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(f.lengthUs(), c.lengthUs) << c.name;
        }
    }
}

TEST(MidiFile, TicksAndTimesFollowTheTempoMap)
{
    MidiFile f;
    ASSERT_TRUE(f.parse(heldNote(1440)));
    const struct {
        std::int64_t tick, us;
    } points[] = {{0, 0}, {240, 250000}, {480, 500000}, {672, 600000}, {1440, 1000000}};
    for (const auto &p : points) {
        EXPECT_EQ(f.tickToUs(p.tick), p.us) << "tick " << p.tick;
        EXPECT_EQ(f.usToTick(p.us), p.tick) << "us " << p.us;
    }
}

TEST(MidiFile, DamagedFilesNeverReadBeyondTheirBytes)
{
    // Random damage to valid files: every parse ends, within the length cap.
    const QByteArray seeds[] = {heldNote(1440), twoNotes(), rmid(heldNote(960))};
    std::uint32_t state = 12345;
    const auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (const QByteArray &seed : seeds) {
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = seed;
            const int edits = 1 + int(next() % 4);
            for (int e = 0; e < edits; ++e)
                damaged[int(next() % std::uint32_t(damaged.size()))] = char(next() >> 24);
            if (next() % 3 == 0)
                damaged.truncate(int(next() % std::uint32_t(damaged.size())));
            MidiFile f;
            if (f.parse(damaged)) {
                EXPECT_GE(f.lengthUs(), 0);
                EXPECT_LE(f.lengthUs(), 7LL * 24 * 3600 * 1000000);
            }
        }
    }
}

TEST(MidiPlayback, SynthesisedForExactlyItsLength)
{
    if (MidiDecoder::soundFontPath().isEmpty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const struct {
        const char *name;
        const char *file;
        QByteArray content;
        int seekMs;
        double soundMs;     // how long a note sounds
        double frequency;
    } cases[] = {
        {"standard MIDI file", "tune.mid", heldNote(1440), 0, 1000, 440},
        {"RMID file", "tune.rmi", rmid(heldNote(1440)), 0, 1000, 440},
        {"MIDI content named .mp3", "tune.mp3", heldNote(1440), 0, 1000, 440},
        // A note begun before the landing point stays silent; the next one
        // starts at its time.
        {"started at 0.6 s", "tune.mid", twoNotes(), 600, 250, 880},
    };
    for (const auto &c : cases) {
        DiskRun run;
        QFile f(run.path(QString::fromLatin1(c.file)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        ASSERT_TRUE(run.init());
        const auto s = run.lib().streamOpen(f.fileName(), 0x130, 0, 0);
        ASSERT_NE(s, 0u) << c.name << ": error " << run.lib().error();
        EXPECT_EQ(run.lib().streamLengthMs(s), 1000) << c.name;
        if (c.seekMs) {
            ASSERT_TRUE(run.lib().streamSetTime(s, c.seekMs));
            EXPECT_EQ(run.lib().streamTime(s), c.seekMs);
        }
        const int ch = run.lib().streamPlay(-1, s);
        ASSERT_TRUE(run.waitEnd(ch)) << c.name;
        EXPECT_EQ(run.lib().streamTime(s), 1000) << c.name;
        // The synthesiser's effects leave tiny values where nothing sounds.
        const Frames out = audible(run.finish(), 1e-3f);
        // The note is cut at the end of the file.
        EXPECT_NEAR(out.count() * 1000.0 / kRate, c.soundMs, 20.0) << c.name; // attack below the threshold
        EXPECT_GT(rmsLeft(out, out.count() / 4, out.count() / 2), 0.01) << c.name;
        EXPECT_NEAR(frequency(out, out.count() / 4, out.count() / 2), c.frequency, c.frequency / 40) << c.name;
    }
}

} // namespace
