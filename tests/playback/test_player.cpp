#include "core/EventPump.h"
#include "playback/PlaybackDisplay.h"
#include "playback/Player.h"
#include "playlist/TrackList.h"
#include "FakeAudioLibrary.h"
#include "CoreTestApp.h"

#include <QTimer>

#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

using Field = AudioLibrary::TagField;

struct RecordingDisplay : PlaybackDisplay {
    QStringList log;
    bool scrollTimer = false;
    int seekMax = -1;
    QString info;
    int advances = 0;
    void ShowTrackInfo(const QString &t, const QString &a) override
    {
        info = t + QStringLiteral(" - ") + a;
        log << QStringLiteral("info ") + info;
    }
    void showIdle() override
    {
        info = QStringLiteral("idle");
        log << QStringLiteral("idle");
    }
    void setScrollTimerEnabled(bool e) override { scrollTimer = e; }
    void setSeekMaximum(int b) override { seekMax = b; }
    void scrollToRow(int) override {}
    void trackAdvanced() override { ++advances; }
};

constexpr quint32 Ordinary = 0x5F5F5F;
constexpr quint32 Active = 0xFFFFFF;

struct PlayerTest : ::testing::Test {
    FakeAudioLibrary audio;
    TrackList list;
    RecordingDisplay display;
    StdRandomSource random{7};
    Player player{audio, list, display};

    PlayerTest()
    {
        audio.init(44100, 32, 0);
        list.setPlaylistForeColor(Ordinary);
        list.setActiveItemColor(Active);
        player.setRandomSource(&random);
    }

    // Adds rows for the given paths (scripted in the fake unless `lengthMs` < 0).
    void addRows(const QStringList &paths, int lengthMs = 185000)
    {
        for (const QString &p : paths) {
            if (lengthMs >= 0)
                audio.addFile(p, lengthMs);
            list.appendRow(list.makeRow(p));
        }
        list.RenumberList();
    }
    void play(int pos)
    {
        list.UnselectAll();
        list.setSelected(pos, true);
        player.PlaySelectedTrack();
    }
    // Lets the open track run to its end and the main timer notice.
    void finishTrack()
    {
        audio.advance(audio.streamLengthMs(player.stream()) + 10);
        player.endOfTrackCheck();
    }
    QString playingPath() const { return audio.lastOpenPath(); }
};

TEST_F(PlayerTest, PlayingARowFillsItsCellsAndMarksIt)
{
    audio.addFile(QStringLiteral("/m/one.mp3"), 185000, -1,
                  {Field{2, "TIT2", "Song"}, Field{2, "TPE1", "Singer"}});
    list.appendRow(list.makeRow(QStringLiteral("/m/one.mp3")));
    addRows({QStringLiteral("/m/two.ogg")}, 179600);
    play(1);

    EXPECT_EQ(list.cellText(1, 2), QStringLiteral("Song"));
    EXPECT_EQ(list.cellText(1, 3), QStringLiteral("Singer"));
    EXPECT_EQ(list.cellText(1, 4), QStringLiteral("3:05"));
    EXPECT_EQ(list.cellText(1, 5), QStringLiteral("128bps"));
    EXPECT_EQ(list.icon(1), 2);
    EXPECT_EQ(list.rowColor(1), Active);
    EXPECT_EQ(list.PlayingNo(), 1);
    EXPECT_EQ(list.PlayoldNo(), 1);
    EXPECT_EQ(display.info, QStringLiteral("Song - Singer"));
    EXPECT_EQ(display.seekMax, 185000 * 16);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(audio.volume(player.channel()), 255);

    // Without tags: the file's base name and "Unknown".
    play(2);
    EXPECT_EQ(list.cellText(2, 2), QStringLiteral("two"));
    EXPECT_EQ(list.cellText(2, 3), QStringLiteral("Unknown"));
    EXPECT_EQ(list.cellText(2, 4), QStringLiteral("2:59"));
    EXPECT_EQ(list.icon(1), 1);
    EXPECT_EQ(list.rowColor(1), Ordinary);
    EXPECT_EQ(player.PreviousTrackNo(), 1);
    EXPECT_EQ(audio.openStreamCount(), 1) << "the old stream is closed";
}

TEST_F(PlayerTest, PlayingTheOpenRowRestartsWithoutReopening)
{
    addRows({QStringLiteral("/m/a.mp3")});
    play(1);
    audio.advance(5000);
    player.TogglePause();
    EXPECT_TRUE(player.isPaused());
    EXPECT_FALSE(player.isTicking());
    play(1);
    EXPECT_EQ(audio.openCount(), 1);
    EXPECT_EQ(audio.streamTime(player.stream()), 0);
    EXPECT_FALSE(player.isPaused());
    EXPECT_TRUE(player.isTicking());
}

TEST_F(PlayerTest, PauseFreezesAndResumes)
{
    addRows({QStringLiteral("/m/a.mp3")});
    play(1);
    audio.advance(1000);
    player.TogglePause();
    audio.advance(5000);
    EXPECT_EQ(audio.streamTime(player.stream()), 1000);
    EXPECT_FALSE(display.scrollTimer);
    player.TogglePause();
    EXPECT_TRUE(player.isTicking());
    EXPECT_TRUE(display.scrollTimer);
    audio.advance(500);
    EXPECT_EQ(audio.streamTime(player.stream()), 1500);
}

TEST_F(PlayerTest, NothingSelectedPlaysNothing)
{
    addRows({QStringLiteral("/m/a.mp3")});
    player.PlaySelectedTrack();
    EXPECT_EQ(audio.openCount(), 0);
    EXPECT_EQ(list.icon(1), 1);
}

TEST_F(PlayerTest, UnplayableRowsAreMarkedAndSkipped)
{
    audio.addBrokenFile(QStringLiteral("/m/bad.wav"), AudioLibrary::ErrFileBad);
    list.appendRow(list.makeRow(QStringLiteral("/m/bad.wav")));
    addRows({QStringLiteral("/m/notes.txt")}, -1);                      // not audio at all
    audio.addBrokenFile(QStringLiteral("/m/broken.mp3"), AudioLibrary::ErrFileFormat);
    list.appendRow(list.makeRow(QStringLiteral("/m/broken.mp3")));
    addRows({QStringLiteral("/m/good.mp3")});
    play(1);

    EXPECT_EQ(list.icon(1), 9);
    EXPECT_EQ(list.icon(2), 9);
    EXPECT_EQ(list.icon(3), 9);
    EXPECT_EQ(list.PlayingNo(), 4);
    EXPECT_EQ(playingPath(), QStringLiteral("/m/good.mp3"));
    EXPECT_EQ(list.rowColor(2), Ordinary);
}

TEST_F(PlayerTest, ShortFilesPlayLikeAnyOther)
{
    const struct {
        const char *name;
        int lengthMs;
        QString lengthCell;
        QString rateCell;
    } cases[] = {
        {"a jingle of 0.8 s", 800, QStringLiteral("0:00"), QStringLiteral("128bps")},
        {"a click of 1 ms", 1, QStringLiteral("0:00"), QStringLiteral("128bps")},
        {"a stream that opened without a length", 0, QStringLiteral("0:00"), QString()},
        {"exactly one second", 1000, QStringLiteral("0:01"), QStringLiteral("128bps")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        player.StopPlayback();
        list.ClearList();
        const QString path = QStringLiteral("/s/%1.wav").arg(c.lengthMs);
        addRows({path, QStringLiteral("/s/next.wav")}, c.lengthMs);
        play(1);

        EXPECT_EQ(list.PlayingNo(), 1);
        EXPECT_EQ(list.icon(1), 2) << "playing, not marked as failed";
        EXPECT_EQ(list.cellText(1, 4), c.lengthCell);
        EXPECT_EQ(list.cellText(1, 5), c.rateCell);
        EXPECT_TRUE(player.isPlaying());

        // It ends like any track and the next row follows.
        finishTrack();
        EXPECT_EQ(list.PlayingNo(), 2);
        EXPECT_EQ(list.icon(1), 1);
    }
}

TEST_F(PlayerTest, AFailureChainEndsIdleInEveryMode)
{
    for (int mode : {Player::Normal, Player::Repeat, Player::Endless, Player::Random}) {
        SCOPED_TRACE(mode);
        list.ClearList();
        for (const char *name : {"/x/a.ogg", "/x/b.ogg", "/x/c.ogg"}) {
            audio.addBrokenFile(QString::fromLatin1(name), AudioLibrary::ErrFileBad);
            list.appendRow(list.makeRow(QString::fromLatin1(name)));
        }
        list.RenumberList();
        player.setPlayMode(mode);
        play(2);
        EXPECT_EQ(list.PlayingNo(), 0);
        EXPECT_EQ(display.info, QStringLiteral("idle"));
    }
}

TEST_F(PlayerTest, NormalModeRunsThroughTheListAndStops)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3"), QStringLiteral("/m/3.mp3")}, 2000);
    play(1);
    finishTrack();
    EXPECT_EQ(list.PlayingNo(), 2);
    finishTrack();
    EXPECT_EQ(list.PlayingNo(), 3);
    EXPECT_TRUE(list.isSelected(3));
    finishTrack();
    EXPECT_EQ(list.PlayingNo(), 0);
    EXPECT_EQ(display.info, QStringLiteral("idle"));
    EXPECT_EQ(list.icon(3), 1);
    EXPECT_EQ(list.rowColor(3), Ordinary);
    EXPECT_FALSE(player.isTicking());
    EXPECT_EQ(audio.openCount(), 3);
}

TEST_F(PlayerTest, ModesOnNextAndAtTheEnd)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3")}, 2000);

    player.setPlayMode(Player::OneOff);
    play(1);
    player.AdvanceTrack();
    EXPECT_EQ(list.PlayingNo(), 0) << "OneOff: Next stops";

    player.setPlayMode(Player::Repeat);
    play(2);
    const int opens = audio.openCount();
    finishTrack();
    EXPECT_EQ(list.PlayingNo(), 2);
    EXPECT_EQ(audio.openCount(), opens) << "Repeat: the open stream starts again";
    EXPECT_TRUE(player.isPlaying());

    player.setPlayMode(Player::Endless);
    finishTrack();
    EXPECT_EQ(list.PlayingNo(), 1) << "Endless: after the last row comes the first";
}

TEST_F(PlayerTest, EndlessWithOneRowPlaysItAgain)
{
    addRows({QStringLiteral("/m/1.mp3")}, 2000);
    player.setPlayMode(Player::Endless);
    play(1);
    finishTrack();
    EXPECT_EQ(list.PlayingNo(), 1);
    EXPECT_TRUE(list.isSelected(1));
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(audio.openCount(), 1);
}

TEST_F(PlayerTest, RandomNeverRepeatsTheCurrentRow)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3")}, 2000);
    player.setPlayMode(Player::Random);
    play(1);
    for (int i = 0; i < 6; ++i) {
        const int before = list.PlayingNo();
        finishTrack();
        EXPECT_EQ(list.PlayingNo(), 3 - before) << "two rows alternate strictly";
    }

    list.ClearList();
    addRows({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3"), QStringLiteral("/m/c.mp3"),
             QStringLiteral("/m/d.mp3")}, 2000);
    play(1);
    int counts[5] = {};
    for (int i = 0; i < 400; ++i) {
        const int before = list.PlayingNo();
        finishTrack();
        ASSERT_NE(list.PlayingNo(), before);
        counts[list.PlayingNo()]++;
    }
    for (int pos = 1; pos <= 4; ++pos)
        EXPECT_GT(counts[pos], 60) << "draws are spread over every row";
}

TEST_F(PlayerTest, NextWhileIdle)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3")}, 2000);
    player.setPlayMode(Player::Normal);
    player.AdvanceTrack();
    EXPECT_EQ(list.PlayingNo(), 1);

    player.StopPlayback();
    player.setPlayMode(Player::Repeat);
    player.AdvanceTrack();
    EXPECT_EQ(list.PlayingNo(), 0) << "Repeat stays idle";
    EXPECT_FALSE(player.isPlaying());

    player.setPlayMode(Player::Random);
    player.AdvanceTrack();
    EXPECT_NE(list.PlayingNo(), 0);

    list.ClearList();
    player.StopPlayback();
    for (int mode = 0; mode <= 4; ++mode) {
        player.setPlayMode(mode);
        player.AdvanceTrack();
        EXPECT_EQ(list.PlayingNo(), 0) << "an empty list ends idle, mode " << mode;
    }
}

TEST_F(PlayerTest, PreviousGoesBackOneStepInHistory)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3"), QStringLiteral("/m/3.mp3")}, 2000);
    player.PreviousTrack();
    EXPECT_EQ(audio.openCount(), 0) << "nothing played yet";
    play(3);
    play(1);
    player.PreviousTrack();
    EXPECT_EQ(list.PlayingNo(), 3);
}

TEST_F(PlayerTest, DeleteAndSkipPlaysTheFollowingRow)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3"), QStringLiteral("/m/3.mp3")}, 2000);
    play(2);
    player.DeleteAndSkip();
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.PlayingNo(), 2);
    EXPECT_EQ(playingPath(), QStringLiteral("/m/3.mp3"));

    // Deleting the last rows closes the stream and ends idle.
    list.SelectAll();
    player.DeleteAndSkip();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(player.stream(), 0u);
    EXPECT_EQ(audio.openStreamCount(), 0);
}

TEST_F(PlayerTest, StopOnlyWhilePlaying)
{
    addRows({QStringLiteral("/m/1.mp3")}, 2000);
    player.stopIfPlaying();
    EXPECT_TRUE(display.log.isEmpty());
    play(1);
    player.stopIfPlaying();
    EXPECT_EQ(display.log.last(), QStringLiteral("idle"));
    EXPECT_TRUE(player.Stream_FileName().isEmpty());
    play(1);
    EXPECT_EQ(audio.openCount(), 2) << "after a stop the file is opened again";
}

TEST_F(PlayerTest, ArchiveMembersPlayFromTheirExtractedCopy)
{
    const QString member = QStringLiteral("\"/m/set.zip\"\\#ZIP#a/b.mp3");
    list.appendRow(list.makeRow(member));
    audio.addFile(QStringLiteral("/tmp/v/a/b.mp3"), 3000);
    QStringList asked;
    player.setZipItemExtract([&](const QString &item, const std::function<bool()> &) {
        asked << item;
        return QStringLiteral("/tmp/v/a/b.mp3");
    });
    play(1);
    EXPECT_EQ(asked, QStringList{member});
    EXPECT_EQ(list.path(1), member) << "the row shows its archive text again";
    EXPECT_EQ(player.Stream_FileName(), QStringLiteral("/tmp/v/a/b.mp3"));
    EXPECT_EQ(list.icon(1), 2);

    // A failed extraction marks the row.
    list.appendRow(list.makeRow(member));
    player.setZipItemExtract([](const QString &, const std::function<bool()> &) { return QString(); });
    play(2);
    EXPECT_EQ(list.icon(2), 9);
    EXPECT_EQ(list.path(2), member);
}

// Events run while a member extracts: whatever they do, the result lands on
// the row it belongs to, and a request that no longer stands plays and marks
// nothing.
TEST_F(PlayerTest, EventsDuringAnExtractionNeverMisplaceItsResult)
{
    const QString member = QStringLiteral("\"/m/set.zip\"\\#ZIP#a/b.mp3");
    const QString copy = QStringLiteral("/tmp/v/a/b.mp3");
    const QString broken = QStringLiteral("/m/x.ogg");
    const QString other = QStringLiteral("/m/c.mp3");
    struct Case {
        const char *label;
        std::function<void()> during;
        QString playing;   // the open file afterwards
        QStringList paths; // the rows afterwards
        QList<int> icons;
    };
    const Case cases[] = {
        {"nothing happens", [] {}, copy, {member, broken, other}, {2, 1, 1}},
        {"the program ends", [] { EventPump::setStopRequested(true); }, QString(), {member, broken, other},
         {1, 1, 1}},
        {"stop is pressed", [&] { player.StopPlayback(); }, QString(), {member, broken, other}, {1, 1, 1}},
        {"another row is played", [&] { play(3); }, other, {member, broken, other}, {1, 1, 2}},
        {"the main timer finds no track playing", [&] { player.endOfTrackCheck(); }, copy, {member, broken, other},
         {2, 1, 1}},
        {"the rows are sorted", [&] { list.swapRows(1, 3); }, copy, {other, broken, member}, {1, 1, 2}},
        {"the row is removed", [&] { list.removeRowsAt(1, 1); }, QString(), {broken, other}, {1, 1}},
    };
    audio.addFile(copy, 3000);
    audio.addFile(other, 3000);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        player.closeStream();
        list.ClearList();
        addRows({member, broken, other}, -1);
        int extractions = 0;
        player.setZipItemExtract([&](const QString &, const std::function<bool()> &stop) {
            if (++extractions == 1)
                c.during();
            return stop() ? QString() : copy; // as the real extractor: given up, nothing
        });
        play(1);
        EXPECT_EQ(player.Stream_FileName(), c.playing);
        QStringList paths;
        QList<int> icons;
        for (int pos = 1; pos <= list.count(); ++pos) {
            paths << list.path(pos);
            icons << list.icon(pos);
        }
        EXPECT_EQ(paths, c.paths);
        EXPECT_EQ(icons, c.icons);
        EXPECT_EQ(extractions, 1);
        EventPump::setStopRequested(false);
    }
}

// A list of members that all fail (an archive of empty members) is a long
// failure chain: a quit or a stop that arrives meanwhile ends it at once.
TEST_F(PlayerTest, ALongRunOfFailingMembersEndsWhenAskedTo)
{
    coreTestApp();
    const int rows = 20000;
    const struct {
        const char *label;
        std::function<void()> request;
    } cases[] = {
        {"the program ends", [] { EventPump::setStopRequested(true); }},
        {"stop is pressed", [this] { player.StopPlayback(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        player.closeStream();
        list.ClearList();
        QStringList members;
        for (int i = 0; i < rows; ++i)
            members << QStringLiteral("\"/m/big.zip\"\\#ZIP#%1.mp3").arg(i);
        addRows(members, -1);
        int extractions = 0;
        player.setZipItemExtract([&](const QString &, const std::function<bool()> &) {
            if (++extractions == 50)
                QTimer::singleShot(0, c.request); // arrives with the next events
            return QString();
        });
        play(1);
        EXPECT_GE(extractions, 50);
        EXPECT_LT(extractions, rows / 2) << "the chain went on after it was asked to end";
        EXPECT_TRUE(player.Stream_FileName().isEmpty());
        EventPump::setStopRequested(false);
    }
}

TEST_F(PlayerTest, VolumeFromTheKnob)
{
    EXPECT_EQ(Player::channelVolumeFor(100), 255);
    EXPECT_EQ(Player::channelVolumeFor(50), 128);
    EXPECT_EQ(Player::channelVolumeFor(0), 0);
    EXPECT_EQ(Player::channelVolumeFor(1), 3); // 2.55 -> 3
    addRows({QStringLiteral("/m/1.mp3")});
    player.setVolumePercent(50);
    play(1);
    EXPECT_EQ(audio.volume(player.channel()), 128);
    player.setVolumePercent(20);
    EXPECT_EQ(audio.volume(player.channel()), 51);
}

TEST(PlayerVolume, KnobRounding)
{
    struct Case { int percent; int channel; int shown; };
    // offset / 100 x 255, halves to the even neighbour; back to a percentage the same way.
    const Case cases[] = {{0, 0, 0}, {1, 3, 1}, {2, 5, 2}, {50, 128, 50}, {99, 252, 99},
                          {100, 255, 100}, {-5, 0, 0}, {140, 255, 100}};
    for (const Case &c : cases) {
        EXPECT_EQ(Player::channelVolumeFor(c.percent), c.channel) << c.percent;
        EXPECT_EQ(Player::percentForChannelVolume(Player::channelVolumeFor(c.percent)), c.shown) << c.percent;
    }
}

TEST_F(PlayerTest, MuteKeepsTheExactChannelVolumeAndTheKnobOnlyMovesItWhenDragged)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3")});
    QList<int> volumes;
    QList<bool> mutes;
    QObject::connect(&player, &Player::volumeChanged, [&](int v) { volumes << v; });
    QObject::connect(&player, &Player::mutedChanged, [&](bool m) { mutes << m; });
    play(1);
    audio.setVolume(player.channel(), 77); // set by another hand: muting must keep exactly this

    player.toggleMute();
    EXPECT_EQ(audio.volume(player.channel()), 0);
    player.setVolumePercent(30); // a layout step: the channel stays silent
    EXPECT_EQ(audio.volume(player.channel()), 0);
    player.toggleMute();
    EXPECT_EQ(audio.volume(player.channel()), 77);

    player.toggleMute();
    player.setVolumePercent(60, true); // a drag: audible, the switch stays muted
    EXPECT_EQ(audio.volume(player.channel()), Player::channelVolumeFor(60));
    EXPECT_TRUE(player.isMuted());
    play(2); // a track started while muted starts silent
    EXPECT_EQ(audio.volume(player.channel()), 0);
    player.toggleMute();
    EXPECT_EQ(volumes, (QList<int>{30, 60}));
    EXPECT_EQ(mutes, (QList<bool>{true, false, true, false}));
}

TEST_F(PlayerTest, MutedWithNothingPlayingUnmutesToTheKnobVolume)
{
    addRows({QStringLiteral("/m/1.mp3")});
    player.setVolumePercent(40);
    player.toggleMute();
    play(1);
    EXPECT_EQ(audio.volume(player.channel()), 0);
    player.toggleMute();
    EXPECT_EQ(audio.volume(player.channel()), Player::channelVolumeFor(40));
}

TEST_F(PlayerTest, SeekAndTheTickReportThePosition)
{
    addRows({QStringLiteral("/m/1.mp3")}, 60000);
    QList<PlaybackPosition> reported;
    QObject::connect(&player, &Player::positionChanged, [&](const PlaybackPosition &p) { reported << p; });

    player.seekToFraction(0.5); // nothing open: nothing moves, nothing ticks
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_FALSE(player.isTicking());

    play(1);
    EXPECT_TRUE(player.isTicking());
    const int bytes = audio.streamLength(player.stream());
    player.seekToFraction(0.5);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0].bytes, bytes / 2);
    EXPECT_EQ(reported[0].lengthBytes, bytes);
    EXPECT_EQ(reported[0].timeMs, 30000);
    EXPECT_TRUE(player.isTicking());

    audio.advance(1000);
    player.tick();
    ASSERT_EQ(reported.size(), 2);
    EXPECT_EQ(reported[1].timeMs, 31000);
    EXPECT_EQ(reported[1].lengthMs, 60000);

    // Paused: a seek moves the stream but the tick stays off until resumed.
    player.TogglePause();
    player.seekToFraction(0.25);
    EXPECT_EQ(reported.last().timeMs, 15000);
    EXPECT_FALSE(player.isTicking());
    player.TogglePause();
    EXPECT_TRUE(player.isTicking());

    // The tick that finds the channel stopped moves on (OneOff: to idle).
    player.setPlayMode(Player::OneOff);
    audio.advance(60000);
    player.tick();
    EXPECT_EQ(list.PlayingNo(), 0);
    EXPECT_FALSE(player.isTicking());
}

TEST(PlayMode, LabelClickSteps)
{
    struct Case { int stored; int expected; const char *name; };
    // Start-up loads the stored value minus one and runs the click once.
    const Case cases[] = {{-1, 0, "Normal"}, {0, 1, "OneOff"}, {1, 2, "Repeat"}, {2, 3, "Endless"},
                          {3, 4, "Random"}, {4, 0, "Normal"}, {7, 8, ""}};
    FakeAudioLibrary audio;
    TrackList list;
    RecordingDisplay display;
    Player player(audio, list, display);
    for (const Case &c : cases) {
        player.setPlayMode(c.stored);
        EXPECT_EQ(player.PlayModeLabelClick(), QString::fromUtf8(c.name));
        EXPECT_EQ(player.PlayMode(), c.expected);
    }
}

} // namespace

namespace {

TEST_F(PlayerTest, TracksStartedWhileMutedStaySilent)
{
    addRows({QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3")}, 2000);
    player.setPlayMode(Player::Normal);
    player.setMuted(true);
    play(1);
    EXPECT_EQ(audio.volume(player.channel()), 0);
    finishTrack();
    EXPECT_EQ(list.PlayingNo(), 2);
    EXPECT_EQ(audio.volume(player.channel()), 0) << "the next track is muted too";
    player.setVolumePercent(40);
    EXPECT_EQ(audio.volume(player.channel()), 0);
    player.setMuted(false);
    play(1);
    EXPECT_EQ(audio.volume(player.channel()), Player::channelVolumeFor(40));
}

} // namespace

namespace {

TEST_F(PlayerTest, TagsOfTheOthersKindFillTheCells)
{
    // APE, MP4 and RIFF INFO fields come with an empty kind name.
    audio.addFile(QStringLiteral("/m/chime.wav"), 7000, -1,
                  {AudioLibrary::TagField{6, "TITLE", "Little Chime"}, AudioLibrary::TagField{6, "ARTIST", "Velmora"}});
    list.appendRow(list.makeRow(QStringLiteral("/m/chime.wav")));
    play(1);
    EXPECT_EQ(list.cellText(1, 2), QStringLiteral("Little Chime"));
    EXPECT_EQ(list.cellText(1, 3), QStringLiteral("Velmora"));
}

} // namespace
