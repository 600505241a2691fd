// The player's side of tracks that join without a gap, on the scripted audio
// library: which track is queued ahead in each play mode, when the rows and
// the display move to it, and how a queued track is given up.

#include "playback/PlaybackDisplay.h"
#include "playback/Player.h"
#include "playlist/TrackList.h"
#include "FakeAudioLibrary.h"
#include "CoreTestApp.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kLength = 10000;
constexpr int kBeforeEnd = kLength - Player::kPrimeAheadMs + 500; // inside the priming window
constexpr int FailedIcon = 9;
constexpr int PlayingIcon = 2;

struct Display : PlaybackDisplay {
    QString info;
    int advances = 0;
    void ShowTrackInfo(const QString &t, const QString &) override { info = t; }
    void showIdle() override { info = QStringLiteral("idle"); }
    void setScrollTimerEnabled(bool) override {}
    void setSeekMaximum(int) override {}
    void scrollToRow(int) override {}
    void trackAdvanced() override { ++advances; }
};

// Hands out the numbers a case lists, then the lowest allowed one.
struct ScriptedRandom : RandomSource {
    std::deque<int> next;
    int draws = 0;
    int between(int low, int high) override
    {
        ++draws;
        if (next.empty())
            return low;
        const int n = next.front();
        next.pop_front();
        return qBound(low, n, high);
    }
};

struct JoinTest : ::testing::Test {
    FakeAudioLibrary audio;
    TrackList list;
    Display display;
    ScriptedRandom random;
    Player player{audio, list, display};
    QStringList extracted; // members the extractor was asked for
    int stateChanges = 0;  // what the remote control and the tray refresh on

    JoinTest()
    {
        coreTestApp();
        QObject::connect(&player, &Player::stateChanged, [this] { ++stateChanges; });
        audio.init(44100, 32, 0);
        player.setRandomSource(&random);
        player.setZipItemExtract([this](const QString &item, const std::function<bool()> &) {
            extracted << item;
            return QStringLiteral("/tmp/v/") + item.section(u'#', -1);
        });
    }
    void addRows(const QStringList &paths)
    {
        for (const QString &p : paths) {
            if (!p.contains(u'#'))
                audio.addFile(p, kLength);
            else
                audio.addFile(QStringLiteral("/tmp/v/") + p.section(u'#', -1), kLength);
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
    // Runs the open track to `ms` with the position tick noticing it.
    void runTo(int ms)
    {
        audio.advance(ms - audio.streamTime(player.stream()));
        player.tick();
    }
};

const QString A = QStringLiteral("/m/a.wav"), B = QStringLiteral("/m/b.wav"), C = QStringLiteral("/m/c.wav");

// What follows the playing row without a gap in each mode, and what the user
// sees: nothing moves while the old track is still heard; once the queued one
// is heard, the rows and the display move to it on the same channel, with no
// new start of a channel.
TEST_F(JoinTest, EachModeQueuesTheRowItMovesToAndSwitchesWhenItIsHeard)
{
    struct Case {
        const char *label;
        int mode;
        int from;
        std::deque<int> draws;
        int queuedRow; // 0: nothing queued
        int after;     // the playing row after the end (0: idle)
    };
    const Case cases[] = {
        {"normal: the next row", Player::Normal, 1, {}, 2, 2},
        {"normal at the last row: the list ends as before", Player::Normal, 3, {}, 0, 0},
        {"one-off: stops as before", Player::OneOff, 1, {}, 0, 0},
        {"repeat: the same row again", Player::Repeat, 2, {}, 2, 2},
        {"endless at the last row: the first one", Player::Endless, 3, {}, 1, 1},
        {"random: the row drawn ahead is the one played", Player::Random, 1, {1, 3}, 3, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        player.closeStream();
        list.ClearList();
        addRows({A, B, C});
        player.changePlayMode(c.mode);
        random.next = c.draws;
        play(c.from);
        const int channel = player.channel();
        const int plays = audio.playCount();
        const QString before = display.info;
        const int advances = display.advances;
        const int states = stateChanges;

        runTo(kLength - 3000);
        EXPECT_EQ(player.queuedStream(), 0u) << "too early to queue";
        runTo(kBeforeEnd);
        EXPECT_EQ(audio.queuedStream(channel), player.queuedStream());
        EXPECT_EQ(player.queuedStream() != 0, c.queuedRow != 0);
        EXPECT_EQ(list.PlayingNo(), c.from) << "queued, not yet heard";
        EXPECT_EQ(display.info, before);
        EXPECT_EQ(stateChanges, states) << "nothing outside hears of a queued track";
        EXPECT_EQ(display.advances, advances);

        audio.advance(kLength); // the old track ends; a queued one is heard
        player.tick();
        EXPECT_EQ(list.PlayingNo(), c.after);
        if (c.queuedRow != 0) {
            EXPECT_EQ(audio.playCount(), plays) << "no channel started: the same output goes on";
            EXPECT_EQ(player.channel(), channel);
            EXPECT_EQ(audio.channelStream(channel), player.stream());
            EXPECT_EQ(list.icon(c.after), PlayingIcon);
            EXPECT_EQ(display.info, list.cellText(c.after, TrackRow::TitleCell));
            EXPECT_EQ(display.advances, advances + 1) << "the tray hears of the change once";
            EXPECT_EQ(stateChanges, states + 1) << "so does the remote control";
            EXPECT_EQ(audio.openStreamCount(), 1) << "the track before is closed";
        } else {
            EXPECT_EQ(display.info, QStringLiteral("idle"));
            EXPECT_FALSE(player.isPlaying());
        }
        EXPECT_TRUE(random.next.empty()) << "every draw was used once";
    }
}

// A stop, pause, seek, another play mode or changed rows between queueing and
// the join give the queued track up: it is closed, it never plays late, and
// the track after starts the usual way at the end.
TEST_F(JoinTest, ChangesBeforeTheJoinGiveTheQueuedTrackUp)
{
    struct Case {
        const char *label;
        std::function<void()> change;
        QString after; // the file playing after the end; empty: idle
    };
    const Case cases[] = {
        {"stop", [&] { player.StopPlayback(); }, QString()},
        {"pause and resume", [&] { player.TogglePause(); player.TogglePause(); }, B},
        {"seek within the last seconds", [&] { player.seekToTime(kBeforeEnd + 200); }, B},
        {"play mode to endless", [&] { player.changePlayMode(Player::Endless); }, B},
        {"play mode by the label", [&] { player.PlayModeLabelClick(); }, QString()}, // Normal -> OneOff
        {"the next row swapped with the last", [&] { list.swapRows(2, 3); }, C},
        {"the next row removed", [&] { list.removeRowsAt(2, 1); }, C},
        {"a row added", [&] { list.appendRow(list.makeRow(QStringLiteral("/m/d.wav"))); }, B},
        {"the file of the next row goes away", [&] { player.releaseFile(B); }, B},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        player.closeStream();
        list.ClearList();
        addRows({A, B, C});
        audio.addFile(QStringLiteral("/m/d.wav"), kLength);
        player.changePlayMode(Player::Normal);
        play(1);
        runTo(kLength - 3000);
        runTo(kBeforeEnd);
        const AudioLibrary::StreamHandle queued = player.queuedStream();
        ASSERT_NE(queued, 0u);
        const int plays = audio.playCount();

        c.change();
        EXPECT_EQ(player.queuedStream(), 0u);
        EXPECT_EQ(audio.streamLengthMs(queued), 0) << "the queued stream is closed";
        EXPECT_EQ(audio.queuedStream(player.channel()), 0u);

        if (player.isPlaying()) {
            audio.advance(kLength);
            player.tick();
        }
        EXPECT_EQ(player.Stream_FileName(), c.after);
        if (!c.after.isEmpty()) {
            EXPECT_EQ(audio.playCount(), plays + 1) << "started the usual way";
            EXPECT_EQ(audio.openStreamCount(), 1) << "nothing left open";
        }
    }
}

// The rows around a join behave as without it: a next row that does not open
// gets its failure mark at the end and the one after plays; an archive member
// is extracted ahead and shows its archive text.
TEST_F(JoinTest, FailingAndArchiveRowsAtAJoin)
{
    struct Case {
        const char *label;
        QStringList rows;
        QString after;         // the open file after the end
        QList<int> icons;      // of every row after the end
        QStringList extracted; // before the end
    };
    const QString member = QStringLiteral("\"/m/set.zip\"\\#ZIP#b.wav");
    const QString broken = QStringLiteral("/m/broken.wav");
    const Case cases[] = {
        {"a broken next row", {A, broken, C}, C, {1, FailedIcon, PlayingIcon}, {}},
        {"a member next", {A, member, C}, QStringLiteral("/tmp/v/b.wav"), {1, PlayingIcon, 1}, {member}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        player.closeStream();
        list.ClearList();
        extracted.clear();
        addRows(c.rows);
        audio.addBrokenFile(broken, AudioLibrary::ErrFileFormat);
        play(1);
        runTo(kLength - 3000);
        runTo(kBeforeEnd);
        EXPECT_EQ(extracted, c.extracted);
        audio.advance(kLength);
        player.tick();
        EXPECT_EQ(player.Stream_FileName(), c.after);
        QList<int> icons;
        for (int pos = 1; pos <= list.count(); ++pos)
            icons << list.icon(pos);
        EXPECT_EQ(icons, c.icons);
        EXPECT_EQ(list.path(2), c.rows.at(1)) << "the row keeps its text";
        EXPECT_EQ(extracted.size(), c.extracted.size()) << "extracted once";
    }
}

} // namespace

// Events run while the next row's archive member is extracted ahead: a pause,
// a seek or changed rows meanwhile leave nothing queued, and the track after
// starts the usual way at the end.
TEST_F(JoinTest, ChangesDuringAnExtractionAheadQueueNothing)
{
    struct Case {
        const char *label;
        std::function<void()> during;
        bool queued;
        QString after; // the open file after the end
    };
    const QString member = QStringLiteral("\"/m/set.zip\"\\#ZIP#b.wav");
    const QString copy = QStringLiteral("/tmp/v/b.wav");
    const Case cases[] = {
        {"nothing happens", [] {}, true, copy},
        {"pause and resume", [&] { player.TogglePause(); player.TogglePause(); }, false, copy},
        {"a seek", [&] { player.seekToTime(kBeforeEnd + 100); }, false, copy},
        {"the member's row removed", [&] { list.removeRowsAt(2, 1); }, false, C},
        {"the member's row swapped with the last", [&] { list.swapRows(2, 3); }, false, C},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        player.closeStream();
        list.ClearList();
        addRows({A, member, C});
        int calls = 0;
        player.setZipItemExtract([&](const QString &item, const std::function<bool()> &stop) {
            if (++calls == 1)
                c.during();
            return stop() ? QString() : QStringLiteral("/tmp/v/") + item.section(u'#', -1);
        });
        play(1);
        runTo(kLength - 3000);
        runTo(kBeforeEnd);
        EXPECT_EQ(player.queuedStream() != 0, c.queued);
        EXPECT_EQ(audio.queuedStream(player.channel()), player.queuedStream());
        audio.advance(kLength);
        player.tick();
        EXPECT_EQ(player.Stream_FileName(), c.after);
        EXPECT_EQ(audio.openStreamCount(), 1) << "nothing left open";
    }
}
