// The open list's journal: which changes it waits for, what it writes, and
// how an unclean end's journal comes back.

#include "playlist/ListJournal.h"
#include "playlist/PlaylistFile.h"
#include "CoreTestApp.h"
#include "PlaylistTestUtil.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct JournalTest : ::testing::Test {
    QTemporaryDir dir;
    TrackList list;
    ListJournal journal{list, dir.filePath(QStringLiteral("AutoPlaylist.journal"))};

    JournalTest()
    {
        coreTestApp(); // the delay is a timer
        testutil::addRows(list, {QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3")});
    }
};

TEST_F(JournalTest, WaitsOnlyForChangesThePlaylistFileHolds)
{
    const struct {
        const char *name;
        std::function<void(TrackList &)> change;
        bool counts;
    } cases[] = {
        {"Selection", [](TrackList &l) { l.setSelected(1, true); }, false},
        {"SelectAll", [](TrackList &l) { l.SelectAll(); }, false},
        {"Icon", [](TrackList &l) { l.setIcon(1, 2); }, false},
        {"PlayingColour", [](TrackList &l) { l.ListItemForeColorChange(true, 1); }, false},
        {"TrackInfo", [](TrackList &l) { l.setInfo(1, u"T", u"A", u"1:00", u"128kbps"); }, true},
        {"Append", [](TrackList &l) { testutil::addRows(l, {QStringLiteral("/m/c.mp3")}); }, true},
        {"Remove", [](TrackList &l) { l.removeRowsAt(1, 1); }, true},
        {"Sort", [](TrackList &l) { l.sortRows(0, Qt::DescendingOrder); }, true},
        {"Clear", [](TrackList &l) { l.ClearList(); }, true},
    };
    list.setSelected(1, true);
    testutil::addRows(list, {QStringLiteral("/m/d.mp3")});
    EXPECT_FALSE(journal.isWaiting()) << "nothing counts before start()";
    journal.start();
    for (const auto &c : cases) {
        ASSERT_TRUE(journal.flush());
        c.change(list);
        EXPECT_EQ(journal.isWaiting(), c.counts) << c.name;
    }
}

TEST_F(JournalTest, WritesTheListInThePlaylistFormatAfterTheDelay)
{
    journal.setDelay(50);
    journal.start();
    list.setInfo(2, u"Title", u"Artist", u"0:05", u"128kbps");
    EXPECT_FALSE(QFileInfo::exists(journal.path())) << "never at once";
    EXPECT_TRUE(waitUntil([&] { return !journal.isWaiting(); })) << "never written";
    EXPECT_EQ(readBytes(journal.path()),
              QByteArray("#M3UX\r\n/m/a.mp3\r\n#/m/a.mp3;;;\r\n/m/b.mp3\r\n#Title;Artist;0:05;128kbps\r\n"));
}

TEST_F(JournalTest, CloseRemovesItOnlyWhenTheListWasSaved)
{
    for (const bool saved : {true, false}) {
        journal.start();
        testutil::addRows(list, {QStringLiteral("/m/e.mp3")});
        journal.close(saved);
        EXPECT_EQ(QFileInfo::exists(journal.path()), !saved) << "saved " << saved;
        EXPECT_FALSE(journal.isWaiting());
    }
}

TEST_F(JournalTest, AHeldListIsNotWritten)
{
    bool filtered = true;
    journal.setHold([&] { return filtered; });
    journal.start();
    list.removeRowsAt(1, 1);
    EXPECT_FALSE(journal.flush());
    EXPECT_FALSE(QFileInfo::exists(journal.path()));
    filtered = false;
    EXPECT_TRUE(journal.flush());
    EXPECT_TRUE(QFileInfo::exists(journal.path()));
}

TEST_F(JournalTest, RecoverReplacesTheAutomaticPlaylist)
{
    const QString autoPlaylist = dir.filePath(QStringLiteral("Playlist/AutoPlaylist.m3u"));
    writeBytes(autoPlaylist, "#M3UX\r\n/m/old.mp3\r\n#old;;;\r\n");
    EXPECT_TRUE(journal.recover(autoPlaylist).isEmpty()) << "no journal: a clean end";
    EXPECT_EQ(readBytes(autoPlaylist), QByteArray("#M3UX\r\n/m/old.mp3\r\n#old;;;\r\n"));

    const QByteArray kept = "#M3UX\r\n/m/new.mp3\r\n#new;;;\r\n";
    writeBytes(journal.path(), kept);
    EXPECT_EQ(journal.recover(autoPlaylist), autoPlaylist);
    EXPECT_EQ(readBytes(autoPlaylist), kept);
    EXPECT_FALSE(QFileInfo::exists(journal.path()));

    // An automatic playlist that cannot be replaced: the journal itself is read, and kept.
    writeBytes(journal.path(), kept);
    const QString blocked = dir.filePath(QStringLiteral("missing-folder/AutoPlaylist.m3u"));
    EXPECT_EQ(journal.recover(blocked), journal.path());
    EXPECT_TRUE(QFileInfo::exists(journal.path()));
}

} // namespace
