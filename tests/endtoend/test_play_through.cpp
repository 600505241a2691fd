// Plays a small list through the real engine in Normal mode and checks the
// sound that reached the (disk) device, and the cells the tags filled.
#include "EngineTestSupport.h"
#include "playback/PlaybackDisplay.h"
#include "playback/Player.h"
#include "playlist/TrackList.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

namespace {

using namespace enginetest;

struct QuietDisplay : PlaybackDisplay {
    QStringList shown;
    int idles = 0;
    void ShowTrackInfo(const QString &t, const QString &a) override { shown << t + QStringLiteral(" - ") + a; }
    void showIdle() override { ++idles; }
    void setScrollTimerEnabled(bool) override {}
    void setSeekMaximum(int) override {}
    void scrollToRow(int) override {}
    void trackAdvanced() override {}
};

TEST(PlayThrough, ThreeTracksInOrderThenIdle)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is needed to make the tracks";
    DiskRun run;
    ASSERT_TRUE(run.init());
    const QString mp3 = run.path(QStringLiteral("one.mp3"));
    const QString ogg = run.path(QStringLiteral("two.ogg"));
    const QString flac = run.path(QStringLiteral("three.flac"));
    ASSERT_TRUE(makeEncoded(mp3, QStringLiteral("0.5*sin(2*PI*440*t)"), 1.2,
                            {"-b:a", "128k", "-id3v2_version", "3", "-metadata", "title=First Light", "-metadata",
                             "artist=Ensemble"}));
    ASSERT_TRUE(makeEncoded(ogg, QStringLiteral("0.5*sin(2*PI*660*t)"), 1.2,
                            {"-c:a", "libvorbis", "-metadata", "title=二曲目", "-metadata", "artist=Velmora"}));
    ASSERT_TRUE(makeEncoded(flac, QStringLiteral("0.5*sin(2*PI*990*t)"), 1.2,
                            {"-metadata", "TITLE=Third", "-metadata", "ARTIST=Trio"}));

    TrackList list;
    for (const QString &p : {mp3, ogg, flac})
        list.appendRow(list.makeRow(p));
    list.RenumberList();
    QuietDisplay display;
    Player player(run.lib(), list, display);
    player.setPlayMode(Player::Normal);

    list.setSelected(1, true);
    player.PlaySelectedTrack();
    ASSERT_EQ(list.PlayingNo(), 1);
    // The main timer's end-of-track check, as the window runs it.
    ASSERT_TRUE(waitUntil([&] {
        player.endOfTrackCheck();
        return list.PlayingNo() == 0;
    })) << "the list ran to its end";
    EXPECT_EQ(display.idles, 1);
    EXPECT_EQ(display.shown, (QStringList{"First Light - Ensemble", "二曲目 - Velmora", "Third - Trio"}));
    EXPECT_EQ(list.cellText(1, 3), QStringLiteral("Ensemble"));
    EXPECT_EQ(list.cellText(1, 4), QStringLiteral("0:01"));
    EXPECT_TRUE(list.cellText(1, 5).endsWith(QLatin1String("bps")));
    EXPECT_EQ(list.cellText(2, 2), QStringLiteral("二曲目"));
    EXPECT_EQ(list.cellText(3, 3), QStringLiteral("Trio"));

    const Frames sound = audible(run.finish());
    ASSERT_GT(sound.count(), kRate * 3) << "about 3.6 s of sound came out";
    // The three tones in their order: 440, then 660, then 990 Hz.
    const int second = firstFasterPeriod(sound, 0, kRate / 550.0);
    ASSERT_GT(second, 0);
    const int third = firstFasterPeriod(sound, second + kRate / 10, kRate / 825.0);
    ASSERT_GT(third, second);
    EXPECT_NEAR(frequency(sound, kRate / 10, kRate / 2), 440, 5);
    EXPECT_NEAR(frequency(sound, second + kRate / 10, kRate / 2), 660, 5);
    EXPECT_NEAR(frequency(sound, third + kRate / 10, kRate / 2), 990, 5);
}

} // namespace
