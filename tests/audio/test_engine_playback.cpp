// The real engine played through SDL's disk driver: what comes out of the
// device is read back and checked (frequency, level, length, pause, seek).
#include "EngineTestSupport.h"

#include <QThread>
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

} // namespace
