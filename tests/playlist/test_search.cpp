// The search box: the wildcard pattern, and filtering the open list from its file.
#include "LogicDoubles.h"
#include "PlaylistTestUtil.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "playlist/WildcardPattern.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testutil;

namespace {

// One track as a playlist file holds it (fields without ";" or line ends).
QString record(QStringView path, QStringView title, QStringView artist, QStringView time, QStringView bitRate)
{
    return QStringLiteral("%1\r\n#%2;%3;%4;%5\r\n")
        .arg(path.toString(), title.toString(), artist.toString(), time.toString(), bitRate.toString());
}

TEST(WildcardPattern, EveryClassCaseAndInvalidPatterns)
{
    struct Case {
        const char *pattern;
        const char *text;
        bool matches;
    };
    const Case cases[] = {
        {"abc", "abc", true},
        {"abc", "abcd", false},
        {"*", "", true},
        {"*beat*", "Heartbeat City", true},
        {"*beat*", "HEARTBEAT", true},
        {"*BEAT*", "heartbeat", true},
        {"*beat*", "bea t", false},
        {"a*c", "abbbc", true},
        {"a*c", "abbbd", false},
        {"*a*b*c*", "xaybzc", true},
        {"*aab", "aaaab", true},        // the "*" gives back what it took
        {"?", "", false},
        {"?", "x", true},
        {"*?*", "", false},
        {"*?*", "z", true},
        {"#", "7", true},
        {"#", "x", false},
        {"track ##", "Track 07", true},
        {"track ##", "Track 7a", false},
        {"[abc]", "B", true},
        {"[abc]", "d", false},
        {"[a-f]x", "Ex", true},
        {"[a-f]x", "gx", false},
        {"[!a-f]x", "gx", true},
        {"[!a-f]x", "cx", false},
        {"[-a]", "-", true},            // "-" first in a list is itself
        {"[a-]", "-", true},
        {"[*?#]", "?", true},            // wildcards inside a list are themselves
        {"[*?#]", "x", false},
        {"a[]b", "ab", true},            // "[]" matches the empty run
        {"[!]", "q", true},
        {"[abc", "[abc", true},          // unclosed: "[" is itself
        {"*[live*", "Song [Live 2001]", true},
        {"*[live*", "Song Live", false},
        {"[z-a]", "[z-a]", true},        // descending range: "[" is itself
        {"[z-a]", "m", false},
        {"*ÄRA*", "Neue Ära", true},     // letters beyond ASCII fold too
        {"*ｂｅａｔ*", "ＢＥＡＴ", true},
    };
    for (const Case &c : cases) {
        const WildcardPattern pattern(QString::fromUtf8(c.pattern));
        EXPECT_EQ(pattern.matches(QString::fromUtf8(c.text)), c.matches) << c.pattern << " ~ " << c.text;
    }
}

TEST(WildcardPattern, LongTextsWithManyStarsStayFast)
{
    // Backtracking over one "*" at a time keeps this linear per star.
    const WildcardPattern pattern(QStringLiteral("*a*a*a*a*a*a*a*a*b"));
    EXPECT_FALSE(pattern.matches(QString(20000, u'a')));
}

// A playlist folder with music files and a playlist "Mix" of them, open in a list.
class Search : public ::testing::Test
{
protected:
    void SetUp() override
    {
        music = root.path() + "/music";
        playlistFolder = root.path() + "/Playlist/";
        QDir().mkpath(playlistFolder);
        struct Track {
            const char *file, *title, *artist;
        } tracks[] = {
            {"01 Heartbeat.mp3", "Heartbeat", "Zed"},
            {"02 Rain.mp3", "Rain", "The Beat Club"},
            {"03 beat it.ogg", "Other", "Someone"},
            {"04 Track 12.mp3", "Night", "Ann"},
            {"05 Silence.mp3", "", ""},
        };
        QString text = QStringLiteral("#M3UX\r\n");
        for (const Track &t : tracks) {
            const QString path = touch(music, QString::fromUtf8(t.file));
            text += record(path, QString::fromUtf8(t.title), QString::fromUtf8(t.artist), u"3:00", u"128kbps");
        }
        writeBytes(playlistFolder + "Mix.m3u", text.toUtf8());
        list.setPlaylistAddress(QStringLiteral("Mix"));
        store.LoadPlaylist(playlistFolder + "Mix.m3u");
        list.RenumberList();
    }

    // The row file names, without the music folder.
    QStringList names() const
    {
        QStringList out;
        for (const QString &p : paths(list))
            out << QString(p).remove(music + u'/');
        return out;
    }

    QTemporaryDir root;
    QString music;
    QString playlistFolder;
    FakePlayingTrack player;
    RecordingScroller scroller;
    TrackList list;
    PlaylistStore store{list, root.path() + "/Playlist/"};
    PlaylistSearch search{list, store, player, scroller};
    QString &playing = player.playing;
    int &scrolledTo = scroller.scrolledTo;
};

TEST_F(Search, KeepsTheMatchingRowsInFileOrderByScope)
{
    struct Case {
        const char *text;
        int mode;
        QStringList expected;
    };
    const Case cases[] = {
        {"beat", PlaylistSearch::AllFields, {"01 Heartbeat.mp3", "02 Rain.mp3", "03 beat it.ogg"}},
        {"beat", PlaylistSearch::PathOnly, {"01 Heartbeat.mp3", "03 beat it.ogg"}},
        {"beat", PlaylistSearch::TitleOnly, {"01 Heartbeat.mp3"}},
        {"beat", PlaylistSearch::ArtistOnly, {"02 Rain.mp3"}},
        {"?", PlaylistSearch::TitleOnly, {"01 Heartbeat.mp3", "02 Rain.mp3", "03 beat it.ogg", "04 Track 12.mp3"}},
        {"track ##", PlaylistSearch::PathOnly, {"04 Track 12.mp3"}},
        {"[rn]ight", PlaylistSearch::TitleOnly, {"04 Track 12.mp3"}},
        {"[unclosed", PlaylistSearch::AllFields, {}},
        {"zqzq", PlaylistSearch::AllFields, {}},
    };
    for (const Case &c : cases) {
        search.setMode(c.mode);
        search.setText(QString::fromUtf8(c.text));
        EXPECT_EQ(names(), c.expected) << c.text << " mode " << c.mode;
        EXPECT_TRUE(search.isFiltering());
        EXPECT_EQ(list.PlayingNo(), 0);
        for (int i = 1; i <= list.count(); ++i) {
            EXPECT_EQ(list.icon(i), TrackRow::NoIcon) << c.text;
            EXPECT_EQ(list.cellText(i, TrackRow::NoCell), QString::number(i)) << c.text;
        }
    }
}

TEST_F(Search, ChangingTheScopeSearchesAgainOnlyOnAChange)
{
    QSignalSpy modes(&search, &PlaylistSearch::modeChanged);
    search.setText(QStringLiteral("beat"));
    search.setMode(PlaylistSearch::AllFields); // already in force
    search.setMode(7);                         // no such entry
    EXPECT_EQ(modes.count(), 0);
    search.setMode(PlaylistSearch::ArtistOnly);
    EXPECT_EQ(modes.count(), 1);
    EXPECT_EQ(names(), QStringList{"02 Rain.mp3"});
}

TEST_F(Search, EmptyingTheBoxBringsEveryRowBackWithThePlayingTrackMarked)
{
    playing = music + "/04 TRACK 12.MP3"; // found ignoring letter case
    list.setSortKey(TrackRow::TitleCell);
    list.setSorted(true);
    search.setText(QStringLiteral("a"));
    EXPECT_TRUE(list.isSorted());
    search.setText(QString());
    EXPECT_FALSE(search.isFiltering());
    EXPECT_EQ(names(), (QStringList{"01 Heartbeat.mp3", "02 Rain.mp3", "03 beat it.ogg", "04 Track 12.mp3",
                                    "05 Silence.mp3"}));
    EXPECT_FALSE(list.isSorted()); // the file's order, sorting stays off
    EXPECT_EQ(list.PlayingNo(), 4);
    EXPECT_EQ(list.PlayoldNo(), 4);
    EXPECT_EQ(list.icon(4), TrackRow::PlayingIcon);
    EXPECT_EQ(list.rowColor(4), list.activeItemColor());
    EXPECT_TRUE(list.isSelected(4));
    EXPECT_EQ(list.SelectItemCount(), 1);
    EXPECT_EQ(scrolledTo, 4);
    EXPECT_EQ(list.statusText(), QStringLiteral("4 / 5"));
}

TEST_F(Search, AFilteredListSortedByAColumnStaysSorted)
{
    list.setSortKey(TrackRow::TitleCell);
    list.setSortOrder(1);
    list.setSorted(true);
    search.setMode(PlaylistSearch::TitleOnly);
    search.setText(QStringLiteral("?"));
    QStringList titles;
    for (int i = 1; i <= list.count(); ++i)
        titles << list.cellText(i, TrackRow::TitleCell);
    EXPECT_EQ(titles, (QStringList{"Rain", "Other", "Night", "Heartbeat"}));
    EXPECT_TRUE(list.isSorted());
}

TEST_F(Search, RowsTheFileLacksAreNeverLostByTyping)
{
    // A row added and not saved: the list is searched as it was shown.
    const QString added = touch(music, "06 Beat Extra.mp3");
    list.appendRow(list.makeRow(added));
    list.RenumberList();
    search.setText(QStringLiteral("extra"));
    EXPECT_EQ(names(), QStringList{"06 Beat Extra.mp3"});
    search.clear();
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(list.path(6), added);
}

TEST_F(Search, CellsFilledInTheBackgroundWhileFilteredAreSearchedAndKept)
{
    // Two rows not yet read; the one out of sight is filled while the filter is on.
    const QString quiet = touch(music, "06 Quiet.mp3");
    const QString loud = touch(music, "07 Loud.mp3");
    list.appendRow(list.makeRow(quiet));
    list.appendRow(list.makeRow(loud));
    list.RenumberList();
    search.setText(QStringLiteral("quiet"));
    ASSERT_EQ(names(), QStringList{"06 Quiet.mp3"});
    search.takeFilledCells(loud, u"Loud"_qs, u"Nova"_qs, u"3:00"_qs, u"128bps"_qs);
    search.setText(QStringLiteral("nova"));
    EXPECT_EQ(names(), QStringList{"07 Loud.mp3"});
    search.clear();
    ASSERT_EQ(list.count(), 7);
    EXPECT_EQ(list.cellText(7, TrackRow::ArtistCell), "Nova");
    EXPECT_EQ(list.cellText(7, TrackRow::TimeCell), "3:00");
}

TEST_F(Search, AListWithoutAFileIsSearchedFromItsRows)
{
    list.setPlaylistAddress(QStringLiteral("CommandLine"));
    search.setText(QStringLiteral("rain"));
    EXPECT_EQ(names(), QStringList{"02 Rain.mp3"});
    search.setText(QString());
    EXPECT_EQ(list.count(), 5);
}

TEST_F(Search, ASaveWhileFilteredWritesTheWholeList)
{
    search.setText(QStringLiteral("rain"));
    ASSERT_EQ(list.count(), 1);
    QSignalSpy texts(&search, &PlaylistSearch::textChanged);
    store.setBeforeSave([this] { search.clear(); });
    ASSERT_TRUE(store.SavePlaylist(AutoPlaylistName, QStringLiteral(".m3u"), false, false));
    EXPECT_EQ(texts.count(), 1); // the box is emptied
    TrackList saved;
    PlaylistStore reader(saved, playlistFolder);
    reader.LoadPlaylist(playlistFolder + "AutoPlaylist.m3u");
    EXPECT_EQ(saved.count(), 5);
    EXPECT_EQ(list.count(), 5);
}

TEST_F(Search, AFilterEndsWhenSomethingElseEmptiesTheList)
{
    search.setText(QStringLiteral("rain"));
    QSignalSpy texts(&search, &PlaylistSearch::textChanged);
    store.CloseList(false); // another playlist opened, a folder listed...
    list.appendRow(list.makeRow(music + "/01 Heartbeat.mp3"));
    EXPECT_FALSE(search.isFiltering());
    ASSERT_EQ(texts.count(), 1);
    EXPECT_EQ(texts.at(0).at(0).toString(), QString());
    search.clear(); // nothing to bring back: the new list stays
    EXPECT_EQ(list.count(), 1);
}

TEST_F(Search, FilesRemovedWhileFilteredDoNotComeBack)
{
    search.setText(QStringLiteral("beat"));
    QFile::remove(music + "/02 Rain.mp3");
    search.forgetFiles({music + "/02 Rain.mp3"});
    search.clear();
    EXPECT_EQ(list.count(), 4);
    EXPECT_FALSE(paths(list).contains(music + "/02 Rain.mp3"));
}

// Tracks handed over (or dropped) while a filter is on show at once and
// belong to the list: whatever ends the filter keeps them.
TEST_F(Search, RowsAddedWhileFilteredStayInTheList)
{
    const struct {
        const char *name;
        const char *filter;
        std::function<void()> end; // how the filter ends
        bool viaSave;
    } cases[] = {
        {"the box is emptied", "rain", [this] { search.clear(); }, false},
        {"a save while filtering", "rain",
         [this] { ASSERT_TRUE(store.SavePlaylist(QStringLiteral("Mix"), QStringLiteral(".m3u"), false, false)); }, true},
        {"another keystroke, then emptied", "rain", [this] {
             search.setText(QStringLiteral("beat"));
             EXPECT_TRUE(names().contains(QStringLiteral("07 Beat Handed.mp3"))) << "later keystrokes search it too";
             search.clear();
         }, false},
    };
    store.setBeforeSave([this] { search.clear(); });
    MapFolders folders;
    ScriptedArchives archives;
    FixedTree tree;
    ScriptedDialogs dialogs;
    TrackAdder adder(list, store, folders, archives, tree, dialogs);
    const QByteArray original = readBytes(playlistFolder + "Mix.m3u");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(playlistFolder + "Mix.m3u", original);
        list.ClearList();
        store.LoadPlaylist(playlistFolder + "Mix.m3u");
        list.setPlaylistAddress(QStringLiteral("Mix"));
        search.setText(QString::fromUtf8(c.filter));
        ASSERT_EQ(list.count(), 1);
        const QString handed = touch(music, "07 Beat Handed.mp3");
        adder.AddDroppedFiles({handed});
        EXPECT_EQ(list.count(), 2) << "shown at once";
        c.end();
        EXPECT_FALSE(search.isFiltering());
        EXPECT_EQ(list.count(), 6);
        EXPECT_TRUE(paths(list).contains(handed));
        if (c.viaSave) {
            TrackList saved;
            PlaylistStore reader(saved, playlistFolder);
            reader.LoadPlaylist(playlistFolder + "Mix.m3u");
            EXPECT_EQ(paths(saved), paths(list));
        }
    }
}

} // namespace
