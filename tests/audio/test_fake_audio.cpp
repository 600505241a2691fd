// The test double's clock and failure rules: other subsystems' tests rely on
// them matching the real engine's contract.
#include "FakeAudioLibrary.h"

#include <gtest/gtest.h>

namespace {

const QString kSong = QStringLiteral("/music/song.mp3");

struct FakeFixture : ::testing::Test {
    FakeAudioLibrary lib;
    void SetUp() override
    {
        ASSERT_TRUE(lib.init(44100, 32, 0));
        lib.addFile(kSong, 10'000);
    }
};

TEST_F(FakeFixture, ClockMovesOnlyPlayingUnpausedChannels)
{
    const auto a = lib.streamOpen(kSong, 0x130, 0, 0);
    const auto b = lib.streamOpen(kSong, 0x130, 0, 0);
    const auto idle = lib.streamOpen(kSong, 0x130, 0, 0);
    const int ca = lib.streamPlay(-1, a);
    const int cb = lib.streamPlay(-1, b);
    EXPECT_EQ(ca, 0);
    EXPECT_EQ(cb, 1);
    lib.advance(1000);
    ASSERT_TRUE(lib.setPaused(cb, true));
    lib.advance(2500);
    EXPECT_EQ(lib.streamTime(a), 3500);
    EXPECT_EQ(lib.streamTime(b), 1000);
    EXPECT_EQ(lib.streamTime(idle), 0);
    EXPECT_TRUE(lib.isPlaying(cb)) << "a paused channel counts as playing";
    EXPECT_TRUE(lib.paused(cb));
}

TEST_F(FakeFixture, ChannelEndsAtTheStreamLength)
{
    const auto s = lib.streamOpen(kSong, 0x130, 0, 0);
    const int ch = lib.streamPlay(-1, s);
    lib.advance(9999);
    EXPECT_TRUE(lib.isPlaying(ch));
    lib.advance(5000);
    EXPECT_FALSE(lib.isPlaying(ch));
    EXPECT_EQ(lib.streamTime(s), 10'000);
    EXPECT_EQ(lib.channelStream(ch), 0u);
    // Playing the ended stream again starts it from the beginning.
    EXPECT_EQ(lib.streamPlay(-1, s), ch);
    EXPECT_EQ(lib.streamTime(s), 0);
    EXPECT_EQ(lib.volume(ch), 255);
}

TEST_F(FakeFixture, SeekingAndBytePositions)
{
    lib.addFile(QStringLiteral("/b.ogg"), 4000, 64'000);
    const auto s = lib.streamOpen(QStringLiteral("/b.ogg"), 0x130, 0, 0);
    EXPECT_EQ(lib.streamLength(s), 64'000);
    EXPECT_EQ(lib.streamLengthMs(s), 4000);
    ASSERT_TRUE(lib.streamSetTime(s, 1000));
    EXPECT_EQ(lib.streamPosition(s), 16'000);
    ASSERT_TRUE(lib.streamSetPosition(s, 48'000));
    EXPECT_EQ(lib.streamTime(s), 3000);
    ASSERT_TRUE(lib.streamSetTime(s, 99'000));
    EXPECT_EQ(lib.streamTime(s), 4000);
    EXPECT_FALSE(lib.streamSetTime(s, -1));
}

TEST_F(FakeFixture, StopFreesTheChannelAndRewinds)
{
    const auto s = lib.streamOpen(kSong, 0x130, 0, 0);
    const int ch = lib.streamPlay(-1, s);
    lib.advance(3000);
    ASSERT_TRUE(lib.streamStop(s));
    EXPECT_FALSE(lib.isPlaying(ch));
    EXPECT_EQ(lib.streamTime(s), 0);
    lib.advance(1000);
    EXPECT_EQ(lib.streamTime(s), 0);
    ASSERT_TRUE(lib.streamClose(s));
    EXPECT_EQ(lib.openStreamCount(), 0);
    EXPECT_EQ(lib.streamLengthMs(s), 0);
    EXPECT_EQ(lib.closeCount(), 1);
}

TEST(FakeAudioLibrary, FailuresReportTheirCodes)
{
    FakeAudioLibrary lib;
    lib.addFile(kSong, 1000);
    lib.addBrokenFile(QStringLiteral("/bad.mp3"), AudioLibrary::ErrFileBad);

    EXPECT_EQ(lib.streamOpen(kSong, 0x130, 0, 0), 0u);
    EXPECT_EQ(lib.error(), AudioLibrary::ErrUninitialized);
    EXPECT_EQ(lib.outputVolume(), 0u) << "no output before init";

    lib.failInit(AudioLibrary::ErrInit);
    EXPECT_FALSE(lib.init(44100, 2, 0));
    EXPECT_EQ(lib.error(), AudioLibrary::ErrInit);
    lib.failInit(AudioLibrary::ErrNone);
    ASSERT_TRUE(lib.init(44100, 2, 0));
    EXPECT_EQ(lib.outputVolume(), 0xFFFFFFFFu);

    const struct {
        const char *name;
        QString path;
        int error;
    } opens[] = {
        {"missing file", QStringLiteral("/nowhere.mp3"), AudioLibrary::ErrFileNotFound},
        {"scripted broken file", QStringLiteral("/bad.mp3"), AudioLibrary::ErrFileBad},
        {"known file", kSong, AudioLibrary::ErrNone},
    };
    for (const auto &c : opens) {
        const auto h = lib.streamOpen(c.path, 0x130, 0, 0);
        EXPECT_EQ(lib.error(), c.error) << c.name;
        EXPECT_EQ(h != 0, c.error == AudioLibrary::ErrNone) << c.name;
    }

    // Two channels: the third play finds none free.
    const auto s1 = lib.streamOpen(kSong, 0x130, 0, 0);
    const auto s2 = lib.streamOpen(kSong, 0x130, 0, 0);
    const auto s3 = lib.streamOpen(kSong, 0x130, 0, 0);
    EXPECT_EQ(lib.streamPlay(-1, s1), 0);
    EXPECT_EQ(lib.streamPlay(-1, s2), 1);
    EXPECT_EQ(lib.streamPlay(-1, s3), -1);
    EXPECT_EQ(lib.error(), AudioLibrary::ErrChannelAlloc);
    // An explicit channel takes it over; the stream that played there stops.
    EXPECT_EQ(lib.streamPlay(0, s3), 0);
    EXPECT_EQ(lib.streamChannel(s1), -1);
    EXPECT_EQ(lib.openCount(), 7) << "failed opens count too";
    EXPECT_EQ(lib.playCount(), 4);
}

} // namespace

namespace {

// The double's queue, as the engine's: a queued stream takes the channel over
// with the time left over, and leaves the queue when it is stopped or closed.
TEST_F(FakeFixture, AQueuedStreamTakesTheChannelOver)
{
    struct Case {
        const char *label;
        bool closeQueued;
        bool stopFirst;
        AudioLibrary::StreamHandle (*heardAfter)(AudioLibrary::StreamHandle first, AudioLibrary::StreamHandle next);
        int nextTime;
    };
    const Case cases[] = {
        {"left alone", false, false, [](auto, auto next) { return next; }, 500},
        {"closed before the end", true, false, [](auto, auto) { return AudioLibrary::StreamHandle(0); }, -1},
        {"the stream before stopped", false, true, [](auto, auto) { return AudioLibrary::StreamHandle(0); }, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const auto first = lib.streamOpen(kSong, 0x130, 0, 0);
        const auto next = lib.streamOpen(kSong, 0x130, 0, 0);
        EXPECT_FALSE(lib.streamQueue(5, next)) << "a free channel";
        const int ch = lib.streamPlay(-1, first);
        EXPECT_FALSE(lib.streamQueue(ch, first));
        ASSERT_TRUE(lib.streamQueue(ch, next));
        ASSERT_TRUE(lib.setVolume(ch, 100));
        lib.advance(9000);
        if (c.closeQueued)
            lib.streamClose(next);
        if (c.stopFirst)
            lib.streamStop(first);
        lib.advance(1500);
        EXPECT_EQ(lib.channelStream(ch), c.heardAfter(first, next));
        if (c.nextTime >= 0) {
            EXPECT_EQ(lib.streamTime(next), c.nextTime);
        }
        if (lib.channelStream(ch) != 0) {
            EXPECT_EQ(lib.volume(ch), 100) << "the channel keeps its volume";
        }
        lib.streamClose(first);
        lib.streamClose(next);
        EXPECT_EQ(lib.openStreamCount(), 0);
    }
}

} // namespace
