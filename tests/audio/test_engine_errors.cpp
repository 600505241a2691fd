// Files that cannot be played, misuse of handles and channels, and a missing
// output device: every one fails with its code and nothing crashes or hangs.
#include "EngineTestSupport.h"

#include <QFile>
#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(EngineErrors, FilesThatCannotBeOpened)
{
    DiskRun run;
    ASSERT_TRUE(writeWav(run.path("secret.wav"), kRate / 10, [](int, int) { return 0.25; }));
    QDir().mkpath(run.path("folder.mp3"));
    QByteArray noise(4096, 0);
    QRandomGenerator rng(7);
    for (char &c : noise)
        c = char(rng.bounded(256));

    const struct {
        const char *name;
        const char *file;
        QByteArray content; // null: not created
        int error;
    } cases[] = {
        {"missing file", "missing.mp3", QByteArray(), AudioLibrary::ErrFileNotFound},
        {"a folder", "folder.mp3", QByteArray(), AudioLibrary::ErrFileNotFound},
        {"empty file", "empty.mp3", QByteArray(""), AudioLibrary::ErrFileFormat},
        {"text file", "notes.mp3", QByteArray("These are my notes, not music.\nSecond line.\n"), AudioLibrary::ErrFileFormat},
        {"HLS playlist named .mp3", "list.mp3",
         QByteArray("#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n#EXTINF:0.1,\nsecret.wav\n#EXT-X-ENDLIST\n"),
         AudioLibrary::ErrFileFormat},
        {"concat script named .ogg", "list.ogg", QByteArray("ffconcat version 1.0\nfile secret.wav\n"),
         AudioLibrary::ErrFileFormat},
        {"random bytes", "noise.wma", noise, AudioLibrary::ErrFileFormat},
        {"MIDI header without tracks", "broken.mid", QByteArray("MThd\0\0\0\6\0\1\0\1\1\xE0", 14),
         AudioLibrary::ErrFileBad},
    };
    ASSERT_TRUE(run.init());
    for (const auto &c : cases) {
        if (!c.content.isNull()) {
            ASSERT_TRUE(writeFile(run.path(QString::fromLatin1(c.file)), c.content)) << c.name;
        }
        EXPECT_EQ(run.lib().streamOpen(run.path(QString::fromLatin1(c.file)), 0x130, 0, 0), 0u) << c.name;
        EXPECT_EQ(run.lib().error(), c.error) << c.name;
    }
}

TEST(EngineErrors, DamagedMp3PlaysWhatItCanAndEnds)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the fixture";
    QByteArray bytes;
    {
        DiskRun maker;
        ASSERT_TRUE(makeEncoded(maker.path("whole.mp3"), QStringLiteral("0.5*sin(2*PI*440*t)"), 3.0,
                                {"-c:a", "libmp3lame", "-b:a", "128k"}));
        bytes = readFile(maker.path("whole.mp3"));
    }
    QByteArray holed = bytes;
    QRandomGenerator rng(11);
    for (int i = bytes.size() / 3; i < bytes.size() / 3 + 3000; ++i)
        holed[i] = char(rng.bounded(256));

    const struct {
        const char *name;
        QByteArray content;
        double minMs, maxMs; // sound expected when it opens
    } cases[] = {
        {"cut at 40 percent", bytes.left(bytes.size() * 2 / 5), 1000, 1400},
        {"cut inside the first frame", bytes.left(700), 0, 100},
        {"garbage in the middle", holed, 2500, 3100},
    };
    for (const auto &c : cases) {
        DiskRun run;
        const QString path = run.path(QStringLiteral("damaged.mp3"));
        ASSERT_TRUE(writeFile(path, c.content));
        ASSERT_TRUE(run.init());
        const auto s = run.lib().streamOpen(path, 0x130, 0, 0);
        if (s == 0) {
            EXPECT_TRUE(run.lib().error() == AudioLibrary::ErrFileFormat || run.lib().error() == AudioLibrary::ErrFileBad)
                << c.name << ": fails cleanly, error " << run.lib().error();
            continue;
        }
        const int ch = run.lib().streamPlay(-1, s);
        ASSERT_GE(ch, 0) << c.name;
        EXPECT_TRUE(run.waitEnd(ch)) << c.name << ": the channel ends";
        const double ms = audible(run.finish()).count() * 1000.0 / kRate;
        EXPECT_GE(ms, c.minMs) << c.name;
        EXPECT_LE(ms, c.maxMs) << c.name;
    }
}

TEST(EngineErrors, MisusedHandlesAndChannels)
{
    DiskRun run;
    ASSERT_TRUE(writeWav(run.path("a.wav"), kRate / 10, [](int, int) { return 0.1; }));
    auto &lib = run.lib();

    // Before init: nothing opens and there is no output.
    EXPECT_EQ(lib.streamOpen(run.path("a.wav"), 0x130, 0, 0), 0u);
    EXPECT_EQ(lib.error(), AudioLibrary::ErrUninitialized);
    EXPECT_EQ(lib.outputVolume(), 0u);
    EXPECT_FALSE(lib.isPlaying(0));

    ASSERT_TRUE(run.init());
    EXPECT_FALSE(lib.init(kRate, 32, 0)) << "a second init";
    const auto s = lib.streamOpen(run.path("a.wav"), 0x130, 0, 0);
    ASSERT_NE(s, 0u);
    AudioLibrary::TagField field;
    const struct {
        const char *name;
        bool result;
    } calls[] = {
        {"play an unknown stream", lib.streamPlay(-1, s + 100) >= 0},
        {"play on channel 32 of 32", lib.streamPlay(32, s) >= 0},
        {"play on channel -2", lib.streamPlay(-2, s) >= 0},
        {"stop an unknown stream", lib.streamStop(0)},
        {"move an unknown stream", lib.streamSetTime(s + 1, 10)},
        {"move to a negative time", lib.streamSetTime(s, -5)},
        {"move to a negative byte", lib.streamSetPosition(s, -1)},
        {"tag field of a file without tags", lib.streamTagField(s, 0, field)},
        {"pause a free channel", lib.setPaused(3, true)},
        {"pause channel -1", lib.setPaused(-1, true)},
        {"volume of channel 99", lib.setVolume(99, 10)},
    };
    for (const auto &c : calls) {
        EXPECT_FALSE(c.result) << c.name;
    }
    EXPECT_EQ(lib.streamLengthMs(s + 1), 0);
    EXPECT_EQ(lib.error(), AudioLibrary::ErrInvalidParam);
    EXPECT_EQ(lib.streamLengthMs(s), 100);
    EXPECT_EQ(lib.error(), AudioLibrary::ErrNone) << "a call that succeeds clears the error";

    // 32 channels: the 33rd stream finds none free.
    std::vector<AudioLibrary::StreamHandle> streams;
    for (int i = 0; i < 33; ++i)
        streams.push_back(lib.streamOpen(run.path("a.wav"), 0x130, 0, 0));
    for (int i = 0; i < 32; ++i) {
        ASSERT_EQ(lib.streamPlay(-1, streams[std::size_t(i)]), i);
        lib.setPaused(i, true);
    }
    EXPECT_EQ(lib.streamPlay(-1, streams[32]), -1);
    EXPECT_EQ(lib.error(), AudioLibrary::ErrChannelAlloc);
    EXPECT_TRUE(lib.streamClose(streams[5]));
    EXPECT_EQ(lib.streamPlay(-1, streams[32]), 5) << "closing a stream frees its channel";
    EXPECT_EQ(lib.streamLengthMs(streams[5]), 0) << "a closed handle is invalid";
}

TEST(EngineErrors, NoOutputDeviceFailsInit)
{
    const QByteArray old = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    EngineAudioLibrary lib;
    EXPECT_FALSE(lib.init(kRate, 32, 0));
    EXPECT_EQ(lib.error(), AudioLibrary::ErrInit);
    EXPECT_EQ(FmodErrorText(lib.error()), QStringLiteral("Error initializing output device."));
    qputenv("SDL_AUDIODRIVER", "dummy");
    EXPECT_TRUE(lib.init(kRate, 32, 0)) << "a later init with a working driver succeeds";
    EXPECT_TRUE(lib.componentVersions().join('\n').contains(QStringLiteral("(dummy)")));
    lib.close();
    qputenv("SDL_AUDIODRIVER", old);
}

} // namespace
