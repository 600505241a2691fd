// The Time and BitRate cells a background read writes from a file's headers
// are the cells the player writes once the file plays: a row does not change
// when its track starts.
#include "EngineTestSupport.h"

#include "playback/Tags.h"
#include "playback/TrackCells.h"
#include "playback/engine/EngineTrackInfo.h"

#include <QFile>
#include <cmath>

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

struct Case {
    const char *name;
    const char *file;
    double seconds;
    QStringList args;
    bool itunesData = false; // no edit list; iTunes gapless data say where the sound ends
};

const Case kCases[] = {
    {"mp3 CBR without a header frame", "cbr.mp3", 3.71, {"-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0"}},
    {"mp3 CBR with an Info frame", "info.mp3", 2.29, {"-c:a", "libmp3lame", "-b:a", "192k"}},
    {"mp3 VBR with a Xing frame", "vbr.mp3", 4.43, {"-c:a", "libmp3lame", "-q:a", "4"}},
    {"mp3 VBR at 48 kHz (resampled to play)", "vbr48.mp3", 1.87, {"-c:a", "libmp3lame", "-q:a", "2", "-ar", "48000"}},
    {"mp3 mono at 22 kHz", "mono.mp3", 2.61, {"-c:a", "libmp3lame", "-b:a", "32k", "-ac", "1", "-ar", "22050"}},
    {"flac", "t.flac", 3.33, {"-c:a", "flac"}},
    {"ogg vorbis", "t.ogg", 2.77, {"-c:a", "libvorbis"}},
    {"opus", "t.opus", 3.05, {"-c:a", "libopus"}},
    {"m4a (AAC)", "t.m4a", 2.51, {"-c:a", "aac"}},
    {"m4a (AAC) with iTunes gapless data", "itunes.m4a", 2.51, {"-c:a", "aac", "-use_editlist", "0"}, true},
    {"wav", "t.wav", 1.49, {"-c:a", "pcm_s16le"}},
};

struct Played {
    int lengthMs = 0;
    TrackCells cells;
};

Played cellsWhilePlaying(EngineAudioLibrary &lib, const QString &path)
{
    Played p;
    const auto s = lib.streamOpen(path, 0x130, 0, 0);
    if (!s)
        return p;
    p.lengthMs = lib.streamLengthMs(s);
    const TagInfo tags = ReadTags(lib, s);
    CellsOfTrack(path, tags, p.lengthMs, lib.streamLength(s), p.cells);
    lib.streamClose(s);
    return p;
}

TEST(HeaderCells, AgreeWithThePlayingStreamInEveryFormat)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    DiskRun run;
    const QStringList meta{"-metadata", "title=Header", "-metadata", "artist=Cells"};
    for (const Case &c : kCases)
        ASSERT_TRUE(makeEncoded(run.path(QString::fromLatin1(c.file)), QStringLiteral("0.2*sin(2*PI*330*t)"), c.seconds,
                                c.args + meta))
            << c.name;
    for (const Case &c : kCases) {
        if (!c.itunesData)
            continue;
        // FFmpeg's AAC encoder primes with 1,024 samples; the padding fills
        // the last 1,024-sample frame.
        QFile f(run.path(QString::fromLatin1(c.file)));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite)) << c.name;
        QByteArray bytes = f.readAll();
        const qint64 samples = std::llround(c.seconds * 44100);
        const int padding = int((samples + 1024 + 1023) / 1024 * 1024 - samples - 1024);
        ASSERT_TRUE(addItunesGaplessData(bytes, 1024, padding, samples)) << c.name;
        ASSERT_TRUE(f.seek(0) && f.write(bytes) == bytes.size()) << c.name;
    }
    ASSERT_TRUE(run.init());
    EngineTrackInfo info;
    info.readingRun(true);
    for (const Case &c : kCases) {
        const QString path = run.path(QString::fromLatin1(c.file));
        TrackFacts facts;
        ASSERT_TRUE(info.readTrackInfo(path, facts)) << c.name;
        TrackCells read;
        ASSERT_TRUE(CellsOfTrack(path, facts.tags, facts.lengthMs, facts.bytes, read)) << c.name;
        const Played played = cellsWhilePlaying(run.lib(), path);
        ASSERT_GT(played.lengthMs, 0) << c.name;
        // The stream counts its frames at the output rate: a file at another
        // rate may come out a millisecond apart.
        EXPECT_NEAR(facts.lengthMs, played.lengthMs, 1) << c.name;
        EXPECT_NEAR(facts.lengthMs, c.seconds * 1000, 60) << c.name;
        EXPECT_EQ(read.title, "Header") << c.name;
        EXPECT_EQ(read.artist, "Cells") << c.name;
        EXPECT_EQ(read.time, played.cells.time) << c.name;
        EXPECT_EQ(read.bitRate, played.cells.bitRate) << c.name;
    }
    info.readingRun(false);
}

} // namespace
