// The remote control: play modes as loop and shuffle switches, the
// operations from each state, the metadata and the change reports.

#include "playback/PlaybackDisplay.h"
#include "playback/Player.h"
#include "playback/RemoteControl.h"
#include "playlist/TrackList.h"
#include "FakeAudioLibrary.h"
#include "NullPlaybackDisplay.h"
#include "QtPrinters.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using NullDisplay = NullPlaybackDisplay;

TEST(RemoteControlModes, EachModeReadsAsItsSwitches)
{
    struct Case {
        int mode;
        const char *loop;
        bool shuffle;
    };
    const Case cases[] = {{Player::Normal, "None", false},   {Player::OneOff, "None", false},
                          {Player::Repeat, "Track", false},  {Player::Endless, "Playlist", false},
                          {Player::Random, "Playlist", true}};
    for (const Case &c : cases) {
        EXPECT_EQ(RemoteControl::loopStatusFor(c.mode), QString::fromLatin1(c.loop)) << c.mode;
        EXPECT_EQ(RemoteControl::shuffleFor(c.mode), c.shuffle) << c.mode;
    }
}

TEST(RemoteControlModes, SettingASwitchChangesTheMode)
{
    struct Case {
        int from;
        const char *loop; // null: set shuffle instead
        bool shuffle;
        int to;
    };
    const Case cases[] = {
        {Player::OneOff, "None", false, Player::OneOff},   {Player::Repeat, "None", false, Player::Normal},
        {Player::Random, "None", false, Player::Normal},   {Player::Normal, "Track", false, Player::Repeat},
        {Player::Random, "Track", false, Player::Repeat},  {Player::OneOff, "Playlist", false, Player::Endless},
        {Player::Random, "Playlist", false, Player::Random}, {Player::Normal, "Sideways", false, -1},
        {Player::Repeat, nullptr, true, Player::Random},   {Player::Random, nullptr, false, Player::Endless},
        {Player::OneOff, nullptr, false, Player::OneOff},
    };
    for (const Case &c : cases) {
        const int to = c.loop ? RemoteControl::modeForLoopStatus(c.from, QString::fromLatin1(c.loop))
                              : RemoteControl::modeForShuffle(c.from, c.shuffle);
        EXPECT_EQ(to, c.to) << "from " << c.from << " " << (c.loop ? c.loop : c.shuffle ? "shuffle" : "no shuffle");
    }
}

TEST(RemoteControlModes, WritingBothSwitchesLandsOnTheModeTheyReadAs)
{
    // A remote that copies the switches of one mode (loop first, then
    // shuffle) reaches that mode from any other; OneOff reads as Normal.
    for (int from = Player::Normal; from <= Player::Random; ++from) {
        for (int target = Player::Normal; target <= Player::Random; ++target) {
            const int afterLoop = RemoteControl::modeForLoopStatus(from, RemoteControl::loopStatusFor(target));
            int reached = RemoteControl::modeForShuffle(afterLoop, RemoteControl::shuffleFor(target));
            if (reached == Player::OneOff)
                reached = Player::Normal;
            EXPECT_EQ(reached, target == Player::OneOff ? int(Player::Normal) : target) << from << " -> " << target;
        }
    }
}

struct RemoteControlTest : ::testing::Test {
    FakeAudioLibrary audio;
    TrackList list;
    NullDisplay display;
    Player player{audio, list, display};
    std::unique_ptr<RemoteControl> remote;

    RemoteControlTest()
    {
        audio.init(44100, 32, 0);
        audio.addFile(QStringLiteral("/m/a.mp3"), 10000, -1,
                      {AudioLibrary::TagField{2, "TIT2", "Song"}, AudioLibrary::TagField{2, "TPE1", "Singer"},
                       AudioLibrary::TagField{2, "TALB", "Album"}});
        audio.addFile(QStringLiteral("/m/b c.ogg"), 20000);
        for (const char *path : {"/m/a.mp3", "/m/b c.ogg"})
            list.appendRow(list.makeRow(QString::fromUtf8(path)));
        list.RenumberList();
        remote = std::make_unique<RemoteControl>(player, list, audio);
    }
    void playRow(int pos)
    {
        list.UnselectAll();
        list.setSelected(pos, true);
        player.PlaySelectedTrack();
    }
};

TEST_F(RemoteControlTest, OperationsFromEachState)
{
    enum Start { Idle, Playing, Paused };
    struct Case {
        const char *name;
        Start start;
        void (RemoteControl::*operation)();
        const char *status;
    };
    const Case cases[] = {
        {"PlayWhenIdle", Idle, &RemoteControl::play, "Playing"},
        {"PlayWhilePlaying", Playing, &RemoteControl::play, "Playing"},
        {"PlayResumes", Paused, &RemoteControl::play, "Playing"},
        {"PauseWhenIdle", Idle, &RemoteControl::pause, "Stopped"},
        {"Pause", Playing, &RemoteControl::pause, "Paused"},
        {"PauseWhilePaused", Paused, &RemoteControl::pause, "Paused"},
        {"PlayPausePauses", Playing, &RemoteControl::playPause, "Paused"},
        {"PlayPauseResumes", Paused, &RemoteControl::playPause, "Playing"},
        {"PlayPauseStarts", Idle, &RemoteControl::playPause, "Playing"},
        {"Stop", Playing, &RemoteControl::stop, "Stopped"},
        {"StopWhilePaused", Paused, &RemoteControl::stop, "Stopped"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        player.StopPlayback();
        list.UnselectAll();
        if (c.start != Idle) {
            playRow(2);
            audio.advance(1500);
            if (c.start == Paused)
                player.TogglePause();
        }
        (remote.get()->*c.operation)();
        EXPECT_EQ(remote->playbackStatus(), QString::fromLatin1(c.status));
        if (c.start == Idle && QString::fromLatin1(c.status) == u"Playing") {
            EXPECT_EQ(list.PlayingNo(), 1) << "with nothing selected the first row plays";
        }
        if (c.start == Paused && QString::fromLatin1(c.status) == u"Playing") {
            EXPECT_EQ(remote->positionUs(), 1500000) << "resumed where it paused";
        }
    }
}

TEST_F(RemoteControlTest, PlayWithAnEmptyListDoesNothing)
{
    list.ClearList();
    remote->play();
    EXPECT_EQ(remote->playbackStatus(), QStringLiteral("Stopped"));
    EXPECT_FALSE(remote->canPlay());
    EXPECT_FALSE(remote->canGoNext());
}

TEST_F(RemoteControlTest, MetadataOfThePlayingTrack)
{
    EXPECT_TRUE(remote->metadata().isEmpty());
    EXPECT_EQ(remote->trackId(), RemoteControl::NoTrack);

    playRow(1);
    QVariantMap m = remote->metadata();
    EXPECT_EQ(m.value("xesam:title").toString(), QStringLiteral("Song"));
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{QStringLiteral("Singer")});
    EXPECT_EQ(m.value("xesam:album").toString(), QStringLiteral("Album"));
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 10000000);
    EXPECT_EQ(m.value("xesam:url").toString(), QUrl::fromLocalFile("/m/a.mp3").toString());
    const QString first = m.value("mpris:trackid").toString();
    EXPECT_TRUE(first.startsWith(QStringLiteral("/org/velmora/Track/")));

    // Without tags: the title cell (the file's base name), no artist or album.
    playRow(2);
    m = remote->metadata();
    EXPECT_EQ(m.value("xesam:title").toString(), QStringLiteral("b c"));
    EXPECT_FALSE(m.contains("xesam:artist"));
    EXPECT_FALSE(m.contains("xesam:album"));
    const QString second = remote->trackId();
    EXPECT_NE(second, first);

    // Sorting moves the row, not the track.
    list.sortRows(2, Qt::DescendingOrder);
    EXPECT_EQ(remote->trackId(), second);

    player.StopPlayback();
    EXPECT_TRUE(remote->metadata().isEmpty());
}

TEST_F(RemoteControlTest, SeekAndSetPosition)
{
    struct Case {
        const char *name;
        qint64 offsetUs;    // Seek, unless setPositionUs >= 0
        qint64 setPositionUs;
        bool staleId;
        qint64 expectedUs;  // -1: the next track plays
    };
    const Case cases[] = {
        {"Forward", 2000000, -1, false, 6000000},
        {"BackBeforeTheStart", -9000000, -1, false, 0},
        {"PastTheEndMovesOn", 7000000, -1, false, -1},
        {"SetPosition", 0, 1000000, false, 1000000},
        {"SetPositionOfAnotherTrack", 0, 1000000, true, 4000000},
        {"SetPositionPastTheEnd", 0, 10000001, false, 4000000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        playRow(1);
        player.seekToTime(4000);
        QSignalSpy seeked(remote.get(), &RemoteControl::seeked);
        if (c.setPositionUs >= 0)
            remote->setPosition(c.staleId ? QStringLiteral("/org/velmora/Track/0") : remote->trackId(), c.setPositionUs);
        else
            remote->seek(c.offsetUs);
        if (c.expectedUs < 0) {
            EXPECT_EQ(list.PlayingNo(), 2);
            continue;
        }
        EXPECT_EQ(list.PlayingNo(), 1);
        EXPECT_EQ(remote->positionUs(), c.expectedUs);
        EXPECT_EQ(seeked.count(), c.expectedUs == 4000000 ? 0 : 1);
        if (!seeked.isEmpty()) {
            EXPECT_EQ(seeked.first().first().toLongLong(), c.expectedUs);
        }
    }
}

TEST_F(RemoteControlTest, VolumeGoesToThePlayer)
{
    const struct {
        double set;
        int percent;
    } cases[] = {{0.5, 50}, {0.333, 33}, {1.7, 100}, {-0.2, 0}, {std::nan(""), 0}};
    for (const auto &c : cases) {
        remote->setVolume(c.set);
        EXPECT_EQ(player.volumePercent(), c.percent) << c.set;
        EXPECT_DOUBLE_EQ(remote->volume(), c.percent / 100.0);
    }
}

TEST_F(RemoteControlTest, ChangesAreReportedOnceWithTheirNewValues)
{
    QSignalSpy spy(remote.get(), &RemoteControl::propertiesChanged);
    const auto changedNames = [&spy] {
        QStringList names;
        for (const QList<QVariant> &args : spy)
            names += args.first().toMap().keys();
        spy.clear();
        names.sort();
        return names;
    };

    playRow(1);
    EXPECT_EQ(changedNames(), (QStringList{"CanSeek", "Metadata", "PlaybackStatus"})) << "a track started";
    player.TogglePause();
    EXPECT_EQ(changedNames(), QStringList{"PlaybackStatus"});
    player.setVolumePercent(40);
    EXPECT_EQ(changedNames(), QStringList{"Volume"});
    player.PlayModeLabelClick(); // Normal -> OneOff reads the same
    EXPECT_TRUE(changedNames().isEmpty());
    remote->setShuffle(true);
    EXPECT_EQ(changedNames(), (QStringList{"LoopStatus", "Shuffle"}));
    EXPECT_EQ(player.PlayMode(), int(Player::Random));
    list.setSelected(2, true); // selection is nobody's business here
    EXPECT_TRUE(changedNames().isEmpty());
}

// An open request names one local file; anything longer than a path can be,
// or naming no file, opens nothing, and a huge text is refused before it is
// read.
TEST(RemoteControlOpen, OnlyLocalFilesWithinThePathLimitsAreOpened)
{
    const QString longest = QStringLiteral("/m/") + QString(4095 - 3, u'a');
    const struct {
        const char *name;
        QString uri;
        QStringList paths;
    } cases[] = {
        {"Ordinary", QStringLiteral("file:///m/new%20one.mp3"), {QStringLiteral("/m/new one.mp3")}},
        {"Japanese", QStringLiteral("file:///%E9%9F%B3/a.ogg"), {QStringLiteral("/音/a.ogg")}},
        {"OtherScheme", QStringLiteral("https://example.org/a.mp3"), {}},
        {"NulByte", QStringLiteral("file:///m/a%00b.mp3"), {}},
        {"LongestPath", QStringLiteral("file://") + longest, {longest}},
        {"PathOneByteTooLong", QStringLiteral("file://") + longest + u'a', {}},
        {"SixtyMillionCharacters", QStringLiteral("file:///") + QString(60'000'000, u'a'), {}},
    };
    for (const auto &c : cases) {
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(RemoteControl::pathsToOpen(c.uri), c.paths) << c.name;
        EXPECT_LT(t.elapsed(), 1000) << c.name << ": the window would hang meanwhile";
    }
}

} // namespace
