// The real engine played through SDL's disk driver: what comes out of the
// device is read back and checked (frequency, level, length, pause, seek).
#include "EngineTestSupport.h"
#include "WaitUntil.h"
#include "playback/engine/SdlMixer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

constexpr double kPi = 3.14159265358979323846;
// Left a sine, right a cosine: no frame is ever silent on both sides, so the
// silence the device writes while idle separates cleanly from the sound.
const QString kToneExpr = QStringLiteral("0.5*sin(2*PI*440*t)");

double toneSample(int frame, int channel, double freq = 440.0, double amp = 0.5)
{
    const double phase = 2 * kPi * freq * frame / kRate;
    return amp * (channel == 0 ? std::sin(phase) : std::cos(phase));
}

struct FormatCase {
    const char *name;
    const char *file;
    QStringList args;       // ffmpeg output options; empty for the WAV written here
    int lengthToleranceMs;  // of the reported length against the true 2000 ms
    double levelTolerance;  // relative, of the RMS level
};

std::vector<FormatCase> formats()
{
    return {
        {"wav written by the test", "t.wav", {}, 0, 0.001},
        {"mp3 128k", "t.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 5, 0.05},
        {"ogg vorbis", "t.ogg", {"-c:a", "libvorbis"}, 5, 0.05},
        {"opus", "t.opus", {"-c:a", "libopus"}, 10, 0.05},
        {"flac", "t.flac", {"-c:a", "flac"}, 0, 0.001},
        {"wma", "t.wma", {"-c:a", "wmav2", "-b:a", "128k"}, 60, 0.05},
        {"aac in m4a", "t.m4a", {"-c:a", "aac", "-b:a", "128k"}, 30, 0.05},
    };
}

bool makeTone(DiskRun &run, const FormatCase &c, double seconds)
{
    const QString path = run.path(QString::fromLatin1(c.file));
    if (c.args.isEmpty())
        return writeWav(path, int(seconds * kRate), [](int i, int ch) { return toneSample(i, ch); });
    const QString expr = kToneExpr + QStringLiteral("|0.5*cos(2*PI*440*t)");
    QStringList args{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("aevalsrc=%1:s=%2:d=%3").arg(expr).arg(kRate).arg(seconds)};
    args << c.args;
    return runFfmpeg(args, path);
}

class EngineFormats : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(EngineFormats, PlaysTheToneAtItsLevelForItsLength)
{
    const FormatCase &c = GetParam();
    if (!c.args.isEmpty() && !haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixture";
    DiskRun run;
    ASSERT_TRUE(makeTone(run, c, 2.0));
    ASSERT_TRUE(run.init());
    const auto s = run.lib().streamOpen(run.path(QString::fromLatin1(c.file)), 0x130, 0, 0);
    ASSERT_NE(s, 0u) << "error " << run.lib().error();
    const int lengthMs = run.lib().streamLengthMs(s);
    EXPECT_NEAR(lengthMs, 2000, c.lengthToleranceMs);
    const int ch = run.lib().streamPlay(-1, s);
    ASSERT_GE(ch, 0);
    ASSERT_TRUE(run.waitEnd(ch));
    EXPECT_NEAR(run.lib().streamTime(s), lengthMs, 50) << "time at the end";
    const int playedMs = run.lib().streamLengthMs(s);
    EXPECT_NEAR(playedMs, lengthMs, c.lengthToleranceMs) << "length after playing to the end";
    const Frames out = audible(run.finish());

    // Every frame comes out once. (Lossy codecs may decode their padding to
    // exact zeros, which cannot be told from the device's silence.)
    EXPECT_NEAR(out.count() * 1000.0 / kRate, playedMs, c.lengthToleranceMs + 1.0);
    const int mid = out.count() / 4;
    EXPECT_NEAR(frequency(out, mid, out.count() / 2), 440.0, 1.0);
    EXPECT_NEAR(rmsLeft(out, mid, out.count() / 2), 0.5 / std::sqrt(2.0), 0.5 / std::sqrt(2.0) * c.levelTolerance);
    EXPECT_NEAR(rmsRight(out, mid, out.count() / 2), 0.5 / std::sqrt(2.0), 0.5 / std::sqrt(2.0) * c.levelTolerance);
}

INSTANTIATE_TEST_SUITE_P(Formats, EngineFormats, ::testing::ValuesIn(formats()),
                         [](const auto &info) {
                             std::string n = info.param.name;
                             for (char &ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n;
                         });

// A WAV whose samples spell their own frame number: left the low 14 bits,
// right the high bits, both offset by one so that no frame is silent. The
// output then tells exactly which source frame reached the device.
bool writeCountingWav(const QString &path, int frames)
{
    return writeWav(path, frames, [](int i, int ch) {
        return ch == 0 ? ((i & 0x3FFF) + 1) / 32768.0 : ((i >> 14) + 1) / 32768.0;
    });
}

int sourceFrame(const Frames &f, int i)
{
    return (int(std::lround(f.left(i) * 32768.0)) - 1) + ((int(std::lround(f.right(i) * 32768.0)) - 1) << 14);
}

// Indices in `f` where the source frame number does not follow on from the previous one.
std::vector<int> jumps(const Frames &f)
{
    std::vector<int> out;
    for (int i = 1; i < f.count(); ++i) {
        if (sourceFrame(f, i) != sourceFrame(f, i - 1) + 1)
            out.push_back(i);
    }
    return out;
}

TEST(EnginePlayback, PauseHoldsTimeAndLosesNothing)
{
    DiskRun run;
    ASSERT_TRUE(writeCountingWav(run.path("count.wav"), 2 * kRate));
    ASSERT_TRUE(run.init());
    const auto s = run.lib().streamOpen(run.path("count.wav"), 0x130, 0, 0);
    const int ch = run.lib().streamPlay(-1, s);
    ASSERT_GE(ch, 0);
    ASSERT_TRUE(run.waitTime(s, 500));
    ASSERT_TRUE(run.lib().setPaused(ch, true));
    // A file has no queue behind the mixer: the time holds from the pause on,
    // through two seconds of the device's own time.
    const int pausedAt = run.lib().streamTime(s);
    ASSERT_TRUE(run.waitFramesWritten(run.framesWritten() + 2 * kRate));
    EXPECT_EQ(run.lib().streamTime(s), pausedAt);
    EXPECT_TRUE(run.lib().isPlaying(ch)) << "a paused channel counts as playing";
    EXPECT_TRUE(run.lib().paused(ch));
    ASSERT_TRUE(run.lib().setPaused(ch, false));
    ASSERT_TRUE(run.waitEnd(ch));
    const Frames all = run.finish();
    const Frames out = audible(all);

    // Every source frame came out once, in order, across the pause.
    ASSERT_EQ(out.count(), 2 * kRate);
    EXPECT_TRUE(jumps(out).empty());
    EXPECT_EQ(sourceFrame(out, 0), 0);
    // The device wrote silence during the pause, and the time held was the
    // position of the last frame before it.
    const int start = firstAudible(all);
    int gapStart = start;
    while (gapStart < all.count() && (all.left(gapStart) != 0.0f || all.right(gapStart) != 0.0f))
        ++gapStart;
    const int resume = firstAudible(all, gapStart);
    EXPECT_GT(resume - gapStart, kRate) << "pause produced at least a second of device silence";
    EXPECT_NEAR(pausedAt, (gapStart - start) * 1000.0 / kRate, 5.0);
}

struct SeekCase {
    const char *name;
    int playToMs;        // play this far before moving (0: move before playing)
    bool paused;         // move while paused
    bool byBytes;        // via streamSetPosition instead of streamSetTime
    int targetMs;
};

class EngineSeek : public ::testing::TestWithParam<SeekCase>
{
};

TEST_P(EngineSeek, LandsOnTheFrameAsked)
{
    const SeekCase &c = GetParam();
    DiskRun run;
    const int frames = 3 * kRate;
    ASSERT_TRUE(writeCountingWav(run.path("count.wav"), frames));
    ASSERT_TRUE(run.init());
    auto &lib = run.lib();
    const auto s = lib.streamOpen(run.path("count.wav"), 0x130, 0, 0);
    ASSERT_NE(s, 0u);
    int ch = -1;
    if (c.playToMs > 0) {
        ch = lib.streamPlay(-1, s);
        ASSERT_TRUE(run.waitTime(s, c.playToMs));
        if (c.paused) {
            ASSERT_TRUE(lib.setPaused(ch, true));
        }
    }
    if (c.byBytes) {
        ASSERT_TRUE(lib.streamSetPosition(s, int(qint64(lib.streamLength(s)) * c.targetMs / lib.streamLengthMs(s))));
    } else {
        ASSERT_TRUE(lib.streamSetTime(s, c.targetMs));
    }
    EXPECT_NEAR(lib.streamTime(s), c.targetMs, 50) << "time right after the move";
    if (ch < 0) {
        ch = lib.streamPlay(-1, s);
    } else if (c.paused) {
        ASSERT_TRUE(lib.setPaused(ch, false));
    }
    ASSERT_TRUE(run.waitEnd(ch));
    const Frames out = audible(run.finish());

    // The first frame heard after the move is the target frame.
    const std::vector<int> j = jumps(out);
    const int landing = c.playToMs > 0 ? (j.empty() ? -1 : j.front()) : 0;
    ASSERT_GE(landing, 0) << "no move in the output";
    EXPECT_LE(j.size(), c.playToMs > 0 ? 1u : 0u);
    EXPECT_NEAR(sourceFrame(out, landing), std::int64_t(c.targetMs) * kRate / 1000, kRate / 20)
        << "within 50 ms";
    EXPECT_EQ(sourceFrame(out, out.count() - 1), frames - 1) << "plays on to the end";
}

INSTANTIATE_TEST_SUITE_P(Moves, EngineSeek,
                         ::testing::Values(SeekCase{"before_playing", 0, false, false, 1200},
                                           SeekCase{"forward_while_playing", 400, false, false, 2000},
                                           SeekCase{"backward_while_playing", 1500, false, false, 300},
                                           SeekCase{"while_paused", 700, true, false, 2500},
                                           SeekCase{"by_byte_position", 300, false, true, 2250}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(EnginePlayback, SeekInCompressedFormatsLandsWithin50ms)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixtures";
    // 440 Hz for two seconds, then 1000 Hz: moving to 1.8 s must put the
    // switch 200 ms after the start of what is heard.
    const QString expr = QStringLiteral("0.5*sin(2*PI*if(lt(t\\,2)\\,440\\,1000)*t)");
    const struct {
        const char *name;
        const char *file;
        QStringList args;
    } cases[] = {
        {"mp3", "s.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"ogg", "s.ogg", {"-c:a", "libvorbis"}},
        {"flac", "s.flac", {"-c:a", "flac"}},
        {"m4a", "s.m4a", {"-c:a", "aac", "-b:a", "128k"}},
        {"wma", "s.wma", {"-c:a", "wmav2", "-b:a", "128k"}},
    };
    for (const auto &c : cases) {
        DiskRun run;
        const QString path = run.path(QString::fromLatin1(c.file));
        ASSERT_TRUE(makeEncoded(path, expr, 3.0, c.args)) << c.name;
        ASSERT_TRUE(run.init());
        const auto s = run.lib().streamOpen(path, 0x130, 0, 0);
        ASSERT_NE(s, 0u) << c.name;
        ASSERT_TRUE(run.lib().streamSetTime(s, 1800));
        const int ch = run.lib().streamPlay(-1, s);
        ASSERT_TRUE(run.waitEnd(ch)) << c.name;
        const Frames out = audible(run.finish());
        const int change = firstFasterPeriod(out, 0, 70.0);
        ASSERT_GT(change, 0) << c.name;
        EXPECT_NEAR(change * 1000.0 / kRate, 200.0, 50.0) << c.name;
    }
}

struct VolumeCase {
    const char *name;
    int channelVolume;
    std::uint32_t outputVolume;
    double leftDb;   // expected level against full scale; -1000 for silence
    double rightDb;
};

class EngineVolume : public ::testing::TestWithParam<VolumeCase>
{
};

TEST_P(EngineVolume, ScalesTheLevel)
{
    const VolumeCase &c = GetParam();
    DiskRun run;
    ASSERT_TRUE(writeWav(run.path("tone.wav"), kRate, [](int i, int ch) { return toneSample(i, ch); }));
    ASSERT_TRUE(run.init());
    EXPECT_EQ(run.lib().outputVolume(), 0xFFFFFFFFu) << "full output volume by default";
    run.lib().setOutputVolume(c.outputVolume);
    EXPECT_EQ(run.lib().outputVolume(), c.outputVolume);
    const auto s = run.lib().streamOpen(run.path("tone.wav"), 0x130, 0, 0);
    const int ch = run.lib().streamPlay(-1, s);
    ASSERT_TRUE(run.lib().setVolume(ch, c.channelVolume));
    EXPECT_EQ(run.lib().volume(ch), c.channelVolume);
    ASSERT_TRUE(run.waitEnd(ch));
    const Frames all = run.finish();
    const int start = firstAudible(all);
    ASSERT_GE(start, 0);
    // The middle of the second: the first buffer may have been mixed before
    // the volume was set.
    const double full = 0.5 / std::sqrt(2.0);
    const auto db = [&](double r) { return r > 0 ? 20 * std::log10(r / full) : -1000.0; };
    EXPECT_NEAR(db(rmsLeft(all, start + kRate / 4, kRate / 2)), c.leftDb, 0.05);
    EXPECT_NEAR(db(rmsRight(all, start + kRate / 4, kRate / 2)), c.rightDb, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, EngineVolume,
    ::testing::Values(VolumeCase{"full", 255, 0xFFFFFFFFu, 0.0, 0.0},
                      VolumeCase{"channel_128_is_about_minus_6_dB", 128, 0xFFFFFFFFu, -5.99, -5.99},
                      VolumeCase{"channel_64", 64, 0xFFFFFFFFu, -12.01, -12.01},
                      VolumeCase{"output_left_only", 255, 0x0000FFFFu, 0.0, -1000.0},
                      VolumeCase{"output_right_half", 255, 0x7FFFFFFFu, 0.0, -6.02}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(EnginePlayback, SeveralChannelsMixAndEndOnTheirOwn)
{
    DiskRun run;
    ASSERT_TRUE(writeWav(run.path("long.wav"), kRate, [](int i, int ch) { return toneSample(i, ch, 440, 0.25); }));
    ASSERT_TRUE(writeWav(run.path("short.wav"), kRate / 4, [](int i, int ch) { return toneSample(i, ch, 1000, 0.25); }));
    ASSERT_TRUE(run.init());
    auto &lib = run.lib();
    const auto a = lib.streamOpen(run.path("long.wav"), 0x130, 0, 0);
    const auto b = lib.streamOpen(run.path("short.wav"), 0x130, 0, 0);
    ASSERT_TRUE(lib.setPaused(lib.streamPlay(-1, a), true));
    const int cha = 0;
    const int chb = lib.streamPlay(-1, b);
    EXPECT_EQ(chb, 1) << "the second stream takes the next free channel";
    ASSERT_TRUE(lib.setPaused(chb, true));
    ASSERT_TRUE(lib.setPaused(cha, false));
    ASSERT_TRUE(lib.setPaused(chb, false));
    ASSERT_TRUE(run.waitEnd(chb));
    EXPECT_TRUE(lib.isPlaying(cha)) << "the longer stream plays on";
    EXPECT_EQ(lib.streamPlay(-1, b), 1) << "a channel that ended is free again";
    ASSERT_TRUE(lib.streamStop(b));
    ASSERT_TRUE(run.waitEnd(cha));
    const Frames out = audible(run.finish());
    // Both tones are in the output: while both play, the level is that of two
    // quarter-scale sines, higher than either alone.
    const int start = 0;
    EXPECT_GT(rmsLeft(out, start + 2000, kRate / 10), 0.25 / std::sqrt(2.0) * 1.2);
    EXPECT_NEAR(frequency(out, out.count() - kRate / 2, kRate / 4), 440.0, 1.0);
}

TEST(EnginePlayback, PlayingAnEndedOrStoppedStreamStartsOver)
{
    DiskRun run;
    ASSERT_TRUE(writeCountingWav(run.path("count.wav"), kRate / 2));
    ASSERT_TRUE(run.init());
    auto &lib = run.lib();
    const auto s = lib.streamOpen(run.path("count.wav"), 0x130, 0, 0);
    int ch = lib.streamPlay(-1, s);
    ASSERT_TRUE(run.waitEnd(ch));
    EXPECT_FALSE(lib.isPlaying(ch));
    ch = lib.streamPlay(-1, s); // ended: from the start
    ASSERT_TRUE(run.waitTime(s, 100));
    ASSERT_TRUE(lib.streamStop(s));
    EXPECT_FALSE(lib.isPlaying(ch));
    EXPECT_EQ(lib.streamTime(s), 0) << "stop rewinds";
    ch = lib.streamPlay(-1, s); // stopped: from the start
    ASSERT_TRUE(run.waitEnd(ch));
    const Frames out = audible(run.finish());
    const std::vector<int> j = jumps(out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(sourceFrame(out, j[0]), 0);
    EXPECT_EQ(sourceFrame(out, j[1]), 0);
    EXPECT_EQ(sourceFrame(out, out.count() - 1), kRate / 2 - 1);
}

TEST(EnginePlayback, ResumesAfterTheIdleDeviceWasClosed)
{
    // The silent driver plays in real time, like a sound card; a long pause
    // closes the device and resuming opens it again.
    const QByteArray old = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeWav(path, kRate / 2, [](int i, int ch) { return toneSample(i, ch); }));
    EngineAudioLibrary lib;
    ASSERT_TRUE(lib.init(kRate, 32, 0));
    const auto s = lib.streamOpen(path, 0x130, 0, 0);
    const int ch = lib.streamPlay(-1, s);
    ASSERT_TRUE(waitUntil([&] { return lib.streamTime(s) > 30; })) << "the sound reached the device";
    EXPECT_TRUE(waitUntil(outputDeviceThreadRuns)) << "the device is open";
    ASSERT_TRUE(lib.setPaused(ch, true));
    // What was mixed before the pause is still heard (up to a device buffer,
    // about 0.2 s), then the time holds while the idle device closes.
    int latest = 0;
    ASSERT_TRUE(waitUntil([&] {
        latest = std::max(latest, lib.streamTime(s));
        return !outputDeviceThreadRuns();
    })) << "the idle device stayed open";
    const int pausedAt = lib.streamTime(s);
    EXPECT_EQ(pausedAt, latest) << "the time held";
    EXPECT_GT(pausedAt, 30);
    EXPECT_LT(pausedAt, 500);
    ASSERT_TRUE(lib.setPaused(ch, false));
    EXPECT_TRUE(waitUntil(outputDeviceThreadRuns)) << "resuming opened the device again";
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(waitUntil([&] { return !lib.isPlaying(ch); })) << "the rest did not play";
    // Real time: not faster than the clock.
    EXPECT_GE(t.elapsed(), 500 - pausedAt - 100) << "the rest played in real time";
    EXPECT_EQ(lib.streamTime(s), 500);
    lib.close();
    qputenv("SDL_AUDIODRIVER", old);
}

TEST(EnginePlayback, TimeFollowsTheClockOnARealTimeDevice)
{
    const QByteArray old = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeWav(path, kRate * 8 / 10, [](int i, int ch) { return toneSample(i, ch); }));
    EngineAudioLibrary lib;
    ASSERT_TRUE(lib.init(kRate, 32, 0));
    const auto playing = lib.streamOpen(path, 0x130, 0, 0);
    const auto held = lib.streamOpen(path, 0x130, 0, 0);
    const int heldChannel = lib.streamPlay(-1, held);
    ASSERT_TRUE(waitUntil([&] { return lib.streamTime(held) > 0; })) << "the sound reached the device";
    ASSERT_TRUE(lib.setPaused(heldChannel, true));
    // The buffer mixed before the pause plays out; between buffers the time
    // follows the clock, so a time that stays put across 30 ms is held.
    int heldAt = -1;
    ASSERT_TRUE(waitUntil([&] {
        const int before = lib.streamTime(held);
        QThread::msleep(30);
        heldAt = lib.streamTime(held);
        return heldAt == before;
    })) << "the paused stream's time never settled";
    QElapsedTimer t;
    t.start();
    const int ch = lib.streamPlay(-1, playing);
    int last = 0;
    qint64 lastWall = 0;
    int looks = 0;
    const bool ended = waitUntil([&] {
        const int now = lib.streamTime(playing);
        const qint64 wall = t.elapsed();
        EXPECT_GE(now, last) << "time never steps back";
        EXPECT_LE(now, wall + 10) << "never ahead of the clock";
        // Between the device's buffers the time moves with the clock, not a
        // buffer (about 0.2 s) at a time.
        EXPECT_LE(now - last, wall - lastWall + 10) << "moved faster than the clock";
        EXPECT_EQ(lib.streamTime(held), heldAt) << "the paused stream holds its time";
        last = now;
        lastWall = wall;
        ++looks;
        return !lib.isPlaying(ch);
    });
    EXPECT_TRUE(ended) << "the stream never ended";
    EXPECT_GT(looks, 1);
    EXPECT_EQ(lib.streamTime(playing), 800);
    EXPECT_GE(t.elapsed(), 800 - 100) << "not faster than the clock";
    lib.close();
    qputenv("SDL_AUDIODRIVER", old);
}

} // namespace


// A pause, stop, seek or volume change reaches the mix at the next device
// buffer and is heard once the output has played what it holds: the device's
// latency is the whole delay, and it stays within a tenth of a second at any
// rate a sound card runs at (the silent driver stands for a real device).
struct OutputRateCase {
    const char *name;
    int rate;
};

class OutputLatency : public ::testing::TestWithParam<OutputRateCase>
{
};

TEST_P(OutputLatency, ChangesAreHeardWithinATenthOfASecond)
{
    const QByteArray old = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "dummy");
    SdlMixer mixer;
    ASSERT_TRUE(mixer.open(GetParam().rate, 4));
    const int frames = mixer.latencyFrames();
    const int rate = mixer.rate();
    mixer.close();
    qputenv("SDL_AUDIODRIVER", old);
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames * 1000.0 / rate, SdlMixer::kMaxLatencyMs) << frames << " frames at " << rate << " Hz";
    // Not so small that the device wakes more often than it must.
    EXPECT_GT(frames * 1000.0 / rate, SdlMixer::kMaxLatencyMs / 2.0) << frames << " frames at " << rate << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Rates, OutputLatency,
                         ::testing::Values(OutputRateCase{"Telephone", 8000}, OutputRateCase{"Half", 22050},
                                           OutputRateCase{"Cd", 44100}, OutputRateCase{"Dvd", 48000},
                                           OutputRateCase{"Studio", 96000}, OutputRateCase{"Highest", 192000}),
                         [](const auto &info) { return std::string(info.param.name); });
