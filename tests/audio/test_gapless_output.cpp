// Tracks of one continuous tone played one after the other through the real
// player and engine, on SDL's disk driver: what the device wrote must hold no
// silence and no jump where the tracks meet, and the player must move to the
// next row only once that row's first sample was written.
#include "EngineTestSupport.h"
#include "WaitUntil.h"
#include "archive/LibArchiveArchiver.h"
#include "archive/ZipOperations.h"
#include "playback/PlaybackDisplay.h"
#include "playback/Player.h"
#include "playlist/TrackList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace enginetest;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFreq = 440.0;
constexpr double kAmp = 0.5;
// A sample this small on both sides is silence: the tone (left a sine,
// right a cosine) never comes near it on both at once.
constexpr float kSilent = 1e-3f;

QCoreApplication &app()
{
    static int argc = 1;
    static char name[] = "test_audio";
    static char *argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// `frames` frames of the tone at `rate`, starting `startSeconds` into it.
QByteArray toneWav(int rate, int frames, double startSeconds)
{
    QByteArray data(frames * 4, Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(data.data());
    for (int i = 0; i < frames; ++i) {
        const double phase = 2 * kPi * kFreq * (startSeconds + double(i) / rate);
        out[2 * i] = qToLittleEndian(qint16(std::lround(kAmp * std::sin(phase) * 32767)));
        out[2 * i + 1] = qToLittleEndian(qint16(std::lround(kAmp * std::cos(phase) * 32767)));
    }
    QByteArray wav("RIFF");
    const auto u32 = [&wav](quint32 v) { v = qToLittleEndian(v); wav.append(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&wav](quint16 v) { v = qToLittleEndian(v); wav.append(reinterpret_cast<const char *>(&v), 2); };
    u32(quint32(36 + data.size()));
    wav += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(2);
    u32(quint32(rate));
    u32(quint32(rate * 4));
    u16(4);
    u16(16);
    wav += "data";
    u32(quint32(data.size()));
    return wav + data;
}

// A ZIP archive holding `data` stored (not compressed) as `name`.
QByteArray storedZip(const QByteArray &name, const QByteArray &data)
{
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    QByteArray out;
    const auto u32 = [&out](quint32 v) { v = qToLittleEndian(v); out.append(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&out](quint16 v) { v = qToLittleEndian(v); out.append(reinterpret_cast<const char *>(&v), 2); };
    u32(0x04034b50);
    u16(10); u16(0); u16(0); u16(0); u16(0x21);
    u32(crc); u32(quint32(data.size())); u32(quint32(data.size()));
    u16(quint16(name.size())); u16(0);
    out += name + data;
    const quint32 central = quint32(out.size());
    u32(0x02014b50);
    u16(0x031e); u16(10); u16(0); u16(0); u16(0); u16(0x21);
    u32(crc); u32(quint32(data.size())); u32(quint32(data.size()));
    u16(quint16(name.size())); u16(0); u16(0); u16(0); u16(0);
    u32(0100644u << 16); u32(0);
    out += name;
    const quint32 centralSize = quint32(out.size()) - central;
    u32(0x06054b50);
    u16(0); u16(0); u16(1); u16(1);
    u32(centralSize); u32(central); u16(0);
    return out;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

struct Display : PlaybackDisplay {
    std::function<void(const QString &)> shown;
    void ShowTrackInfo(const QString &title, const QString &) override { shown(title); }
    void showIdle() override {}
    void setScrollTimerEnabled(bool) override {}
    void setSeekMaximum(int) override {}
    void scrollToRow(int) override {}
    void trackAdvanced() override {}
};

// The longest run of silent frames between the first and the last sound.
int longestSilence(const Frames &f, int &first, int &last)
{
    first = -1;
    last = -1;
    for (int i = 0; i < f.count(); ++i) {
        if (std::fabs(f.left(i)) >= kSilent || std::fabs(f.right(i)) >= kSilent) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    int longest = 0, run = 0;
    for (int i = std::max(first, 0); i <= last; ++i) {
        run = std::fabs(f.left(i)) < kSilent && std::fabs(f.right(i)) < kSilent ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

struct JoinCase {
    const char *label;
    int secondRate;        // the second track's sample rate
    const char *encoder;   // ffmpeg encoder for both tracks; null: the WAV files as written
    const char *extension; // of the encoded files
    bool secondInArchive;  // the second row is a member of a ZIP archive
    bool itunesData;       // M4A without an edit list, with iTunes gapless data instead
    int lengthToleranceFrames; // of the sound against the two tracks' true length
    float largestStep;     // the largest change from one sample to the next around the joint
};

void PrintTo(const JoinCase &c, std::ostream *os)
{
    *os << c.label;
}

class GaplessOutput : public ::testing::TestWithParam<JoinCase>
{
};

// Two tracks of 2.5 s: the joint must be inaudible, the second row must be
// shown once its first sample reached the file and not before.
TEST_P(GaplessOutput, TwoTracksOfOneToneJoinWithoutSilence)
{
    const JoinCase &c = GetParam();
    if (c.encoder && !haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    app();
    constexpr double kSeconds = 2.5;
    const int firstFrames = int(kSeconds * kRate);
    const int secondFrames = int(kSeconds * c.secondRate);

    DiskRun run;
    // About five times real time: the player's tick sees the priming window.
    qputenv("SDL_DISKAUDIODELAY", "10");
    ASSERT_TRUE(run.init());
    QStringList files{run.path(QStringLiteral("one.wav")), run.path(QStringLiteral("two.wav"))};
    ASSERT_TRUE(writeBytes(files[0], toneWav(kRate, firstFrames, 0.0)));
    ASSERT_TRUE(writeBytes(files[1], toneWav(c.secondRate, secondFrames, kSeconds)));
    if (c.encoder) {
        for (QString &file : files) {
            const QString encoded = QString(file).replace(QStringLiteral("wav"), QString::fromLatin1(c.extension));
            QStringList args{QStringLiteral("-i"), file, QStringLiteral("-c:a"), QString::fromLatin1(c.encoder),
                             QStringLiteral("-b:a"), QStringLiteral("192k"), QStringLiteral("-ar"),
                             QString::number(c.secondRate)};
            if (c.itunesData)
                args << QStringLiteral("-use_editlist") << QStringLiteral("0");
            ASSERT_TRUE(runFfmpeg(args, encoded));
            if (c.itunesData) {
                // FFmpeg's AAC encoder primes with 1,024 samples; the padding
                // fills the last 1,024-sample frame.
                QFile f(encoded);
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                QByteArray bytes = f.readAll();
                f.close();
                const qint64 samples = file == files[0] ? firstFrames : secondFrames;
                const int padding = int((samples + 1024 + 1023) / 1024 * 1024 - samples - 1024);
                ASSERT_TRUE(addItunesGaplessData(bytes, 1024, padding, samples));
                ASSERT_TRUE(writeBytes(encoded, bytes));
            }
            file = encoded;
        }
    }
    LibArchiveArchiver archiver;
    const QString temp = run.path(QStringLiteral("extracted"));
    QString second = files[1];
    if (c.secondInArchive) {
        QFile f(files[1]);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString zip = run.path(QStringLiteral("album.zip"));
        ASSERT_TRUE(writeBytes(zip, storedZip(QFileInfo(files[1]).fileName().toUtf8(), f.readAll())));
        second = u'"' + zip + QStringLiteral("\"\\#ZIP#") + QFileInfo(files[1]).fileName();
        ASSERT_TRUE(QDir().mkpath(temp));
    }

    TrackList list;
    Display display;
    Player player(run.lib(), list, display);
    player.setTickInterval(2);
    player.setZipItemExtract([&](const QString &item, const std::function<bool()> &stop) {
        ExtractOptions options;
        options.stop = stop;
        return ZipItemExtract(archiver, item, temp, options);
    });
    qint64 shownAt = -1;
    display.shown = [&](const QString &title) {
        if (title == QStringLiteral("two"))
            shownAt = run.framesWritten();
    };
    for (const QString &path : {files[0], second})
        list.appendRow(list.makeRow(path));
    list.RenumberList();
    list.setSelected(1, true);
    player.PlaySelectedTrack();
    ASSERT_TRUE(player.isPlaying());

    ASSERT_TRUE(waitUntil([&] { return list.PlayingNo() == 2; }));
    EXPECT_EQ(list.path(2), second) << "the row keeps its text";
    ASSERT_TRUE(waitUntil([&] { return list.PlayingNo() == 0 && !player.isPlaying(); }));
    const Frames out = run.finish();

    int first = 0, last = 0;
    const int longest = longestSilence(out, first, last);
    EXPECT_LE(longest, kRate / 1000) << "silence at the joint, in frames";
    const int expected = firstFrames + int(std::lround(double(secondFrames) * kRate / c.secondRate));
    EXPECT_NEAR(last + 1 - first, expected, c.lengthToleranceFrames) << "the sound's length in frames";
    // The tone's own steps stay below 2 pi f / rate x amplitude (0.031).
    float step = 0;
    const int joint = first + firstFrames;
    for (int i = std::max(joint - 2000, 1); i < std::min(joint + 2000, out.count()); ++i)
        step = std::max({step, std::fabs(out.left(i) - out.left(i - 1)), std::fabs(out.right(i) - out.right(i - 1))});
    EXPECT_LE(step, c.largestStep) << "a click at the joint";
    // Shown after its first sample was written (the disk driver writes the
    // buffer just mixed a moment after the mix), not when it was queued two
    // seconds ahead.
    EXPECT_GE(shownAt, first + firstFrames - 2048) << "the second row showed before it was heard";
}

INSTANTIATE_TEST_SUITE_P(Joins, GaplessOutput,
                         ::testing::Values(JoinCase{"wav_to_wav", kRate, nullptr, nullptr, false, false, 0, 0.035f},
                                           // Lossy coding rings at each track's hard start (about 0.15): the length
                                           // holds this row to the sample instead.
                                           JoinCase{"mp3_with_encoder_delay_to_mp3", kRate, "libmp3lame", "mp3", false, false, 2, 0.25f},
                                           JoinCase{"plain_file_to_zip_member", kRate, nullptr, nullptr, true, false, 0, 0.035f},
                                           JoinCase{"44100_to_48000_hz", 48000, nullptr, nullptr, false, false, 2, 0.06f},
                                           JoinCase{"aac_in_m4a_with_priming_to_m4a", kRate, "aac", "m4a", false, false, 2, 0.25f},
                                           JoinCase{"opus_with_pre_skip_to_opus", 48000, "libopus", "opus", false, false, 2, 0.25f},
                                           JoinCase{"aac_with_itunes_gapless_data_to_m4a", kRate, "aac", "m4a", false, true, 2, 0.25f}),
                         [](const ::testing::TestParamInfo<JoinCase> &info) { return std::string(info.param.label); });

} // namespace

namespace {

// The engine's queue on its own: what a queued stream does to the channel
// and to the sound when it is left alone, taken off the queue, or when the
// stream before it is stopped.
TEST(QueuedStream, FollowsOrGoesAsTheCallsSay)
{
    struct Case {
        const char *label;
        std::function<void(EngineAudioLibrary &, AudioLibrary::StreamHandle first, AudioLibrary::StreamHandle next)> after;
        bool nextHeard;     // the channel reported the queued stream at some point
        double soundSeconds; // of what the device wrote
    };
    const Case cases[] = {
        {"left alone: the second second follows", [](EngineAudioLibrary &, auto, auto) {}, true, 2.0},
        {"taken off the queue: the first one ends alone",
         [](EngineAudioLibrary &lib, auto, auto next) { lib.streamClose(next); }, false, 1.0},
        {"stopped on its own: the first one ends alone",
         [](EngineAudioLibrary &lib, auto, auto next) { lib.streamStop(next); }, false, 1.0},
    };
    app();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        DiskRun run;
        ASSERT_TRUE(run.init());
        EngineAudioLibrary &lib = run.lib();
        const QString one = run.path(QStringLiteral("one.wav")), two = run.path(QStringLiteral("two.wav"));
        ASSERT_TRUE(writeBytes(one, toneWav(kRate, kRate, 0.0)));
        ASSERT_TRUE(writeBytes(two, toneWav(kRate, kRate, 1.0)));
        const auto first = lib.streamOpen(one, Player::StreamMode, 0, 0);
        const auto next = lib.streamOpen(two, Player::StreamMode, 0, 0);
        ASSERT_NE(first, 0u);
        ASSERT_NE(next, 0u);
        EXPECT_FALSE(lib.streamQueue(0, next)) << "nothing plays on the channel";
        const int channel = lib.streamPlay(-1, first);
        ASSERT_GE(channel, 0);
        EXPECT_FALSE(lib.streamQueue(channel, first)) << "a stream cannot follow itself";
        EXPECT_FALSE(lib.streamQueue(channel, next + 100)) << "an unknown stream";
        ASSERT_TRUE(lib.streamQueue(channel, next));
        c.after(lib, first, next);
        bool heard = false;
        ASSERT_TRUE(waitUntil([&] {
            heard = heard || lib.channelStream(channel) == next;
            return !lib.isPlaying(channel);
        }));
        EXPECT_EQ(heard, c.nextHeard);
        EXPECT_EQ(lib.channelStream(channel), 0u);
        int firstSound = 0, lastSound = 0;
        const Frames out = run.finish();
        EXPECT_LE(longestSilence(out, firstSound, lastSound), kRate / 1000);
        EXPECT_NEAR(lastSound + 1 - firstSound, c.soundSeconds * kRate, 2);
    }
}

// Stopping the stream that plays while another is queued stops the channel:
// the queued one never starts.
TEST(QueuedStream, StoppingTheStreamBeforeItStopsTheChannel)
{
    app();
    DiskRun run;
    ASSERT_TRUE(run.init());
    EngineAudioLibrary &lib = run.lib();
    const QString one = run.path(QStringLiteral("one.wav")), two = run.path(QStringLiteral("two.wav"));
    ASSERT_TRUE(writeBytes(one, toneWav(kRate, 4 * kRate, 0.0)));
    ASSERT_TRUE(writeBytes(two, toneWav(kRate, kRate, 4.0)));
    const auto first = lib.streamOpen(one, Player::StreamMode, 0, 0);
    const auto next = lib.streamOpen(two, Player::StreamMode, 0, 0);
    const int channel = lib.streamPlay(-1, first);
    ASSERT_TRUE(lib.streamQueue(channel, next));
    ASSERT_TRUE(run.waitTime(first, 200));
    ASSERT_TRUE(lib.streamStop(first));
    EXPECT_FALSE(lib.isPlaying(channel));
    EXPECT_EQ(lib.channelStream(channel), 0u);
    EXPECT_EQ(lib.streamTime(next), 0);
}

} // namespace
