// The open list's journal: which changes it waits for, what it writes, and
// how an unclean end's journal comes back.

#include "playlist/ListJournal.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/PlaylistStore.h"
#include "CoreTestApp.h"
#include "LogicDoubles.h"
#include "PlaylistTestUtil.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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
        {"Address", [](TrackList &l) { l.setPlaylistAddress(QStringLiteral("Rock")); }, true},
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
    QByteArray written;
    QString address;
    ASSERT_TRUE(ListJournal::decode(readBytes(journal.path()), &written, &address)) << "the end line comes last";
    EXPECT_EQ(written, QByteArray("#M3UX\r\n/m/a.mp3\r\n#/m/a.mp3;;;\r\n/m/b.mp3\r\n#Title;Artist;0:05;128kbps\r\n"));
    EXPECT_EQ(address, list.PlaylistAddress());
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

TEST_F(JournalTest, WhileFilteringItHoldsEveryRowOfTheList)
{
    PlaylistStore store(list, dir.filePath(QStringLiteral("Playlist")));
    FakePlayingTrack playing;
    RecordingScroller scroller;
    PlaylistSearch search(list, store, playing, scroller);
    journal.setSearch(&search);
    journal.start();
    search.setText(QStringLiteral("a.mp3"));
    ASSERT_EQ(list.count(), 1);
    testutil::addRows(list, {QStringLiteral("/m/handed-over.mp3")}); // arrives while filtering
    ASSERT_TRUE(journal.flush());
    QByteArray written;
    QString address;
    ASSERT_TRUE(ListJournal::decode(readBytes(journal.path()), &written, &address));
    EXPECT_TRUE(written.contains("/m/a.mp3\r\n") && written.contains("/m/b.mp3\r\n") &&
                written.contains("/m/handed-over.mp3\r\n"))
        << written.toStdString();
}

TEST_F(JournalTest, NothingIsWrittenWhileAPlaylistIsBeingRead)
{
    journal.start();
    list.removeRowsAt(1, 1);
    {
        const TrackList::LoadingScope loading(list);
        EXPECT_FALSE(journal.flush());
        journal.close(false);
    }
    EXPECT_FALSE(QFileInfo::exists(journal.path())) << "a half-read list is never the journal";
}

// A link planted at the journal's name while the player runs is replaced,
// never written through.
TEST_F(JournalTest, APlantedLinkIsNeverWrittenThrough)
{
    const QString victim = dir.filePath(QStringLiteral("victim.txt"));
    writeBytes(victim, "precious");
    ASSERT_TRUE(QFile::link(victim, journal.path()));
    journal.start();
    list.removeRowsAt(1, 1);
    ASSERT_TRUE(journal.flush());
    EXPECT_EQ(readBytes(victim), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(journal.path()).isSymLink());
    QByteArray written;
    QString address;
    EXPECT_TRUE(ListJournal::decode(readBytes(journal.path()), &written, &address));
}

// What a start finds at the journal's name, beside a good five-row list.
TEST_F(JournalTest, OnlyAWholeJournalReplacesTheList)
{
    const QByteArray fiveRows = "#M3UX\r\n/m/1.mp3\r\n#1;;;\r\n/m/2.mp3\r\n#2;;;\r\n/m/3.mp3\r\n#3;;;\r\n"
                                "/m/4.mp3\r\n#4;;;\r\n/m/5.mp3\r\n#5;;;\r\n";
    const QByteArray twoRows = "#M3UX\r\n/m/new.mp3\r\n#new;;;\r\n/m/other.mp3\r\n#other;;;\r\n";
    const QByteArray whole = ListJournal::encode(twoRows, 2, AutoPlaylistName);
    enum Expect { Untouched, Replaced };
    const struct {
        const char *name;
        std::function<void(const QString &journalPath)> plant;
        Expect expect;
    } cases[] = {
        {"empty", [](const QString &p) { writeBytes(p, ""); }, Untouched},
        {"header only", [](const QString &p) { writeBytes(p, "#M3UX\r\n"); }, Untouched},
        {"half a record", [&](const QString &p) { writeBytes(p, whole.left(whole.indexOf("#new") + 3)); }, Untouched},
        {"end line cut short", [&](const QString &p) { writeBytes(p, whole.chopped(5)); }, Untouched},
        {"garbage", [](const QString &p) { writeBytes(p, QByteArray("\x00\xff\x13garbage\r\n", 12).repeated(40)); },
         Untouched},
        {"a record changed after the end line", [&](const QString &p) {
             QByteArray changed = whole;
             writeBytes(p, changed.replace("/m/new.mp3", "/m/NEW.mp3"));
         }, Untouched},
        {"the old format without an end line", [&](const QString &p) { writeBytes(p, twoRows); }, Untouched},
        {"unreadable (mode 000)", [&](const QString &p) {
             writeBytes(p, twoRows);
             QFile::setPermissions(p, QFileDevice::Permissions());
         }, Untouched},
        {"a symbolic link to a whole journal", [&](const QString &p) {
             const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.journal"));
             writeBytes(elsewhere, whole);
             QFile::link(elsewhere, p);
         }, Untouched},
        {"a folder", [](const QString &p) { QDir().mkpath(p); }, Untouched},
        {"larger than any list", [&](const QString &p) {
             QFile big(p);
             ASSERT_TRUE(big.open(QIODevice::WriteOnly));
             big.write(whole);
             ASSERT_TRUE(big.resize(ListJournal::maxJournalBytes() + 1)); // sparse
         }, Untouched},
        {"good", [&](const QString &p) { writeBytes(p, whole); }, Replaced},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        const QString playlistFolder = home.filePath(QStringLiteral("Playlist"));
        const QString autoPlaylist = playlistFolder + QStringLiteral("/AutoPlaylist.m3u");
        writeBytes(autoPlaylist, fiveRows);
        TrackList fresh;
        PlaylistStore store(fresh, playlistFolder);
        ListJournal found(fresh, home.filePath(QStringLiteral("AutoPlaylist.journal")));
        c.plant(found.path());
        const QFileInfo planted(found.path());
        const bool wasFile = planted.isFile() && !planted.isSymLink();
        const QByteArray plantedBytes = wasFile && planted.size() < 1 << 20 ? readBytes(found.path()) : QByteArray();

        const ListJournal::Recovery r = found.recover(store);
        if (c.expect == Untouched) {
            EXPECT_EQ(r.outcome, ListJournal::Recovery::SetAside);
            EXPECT_EQ(readBytes(autoPlaylist), fiveRows) << "the good list stays as it is";
            EXPECT_FALSE(QFileInfo::exists(playlistFolder + QStringLiteral("/AutoPlaylist.bak")));
            EXPECT_FALSE(QFileInfo(found.path()).exists() || QFileInfo(found.path()).isSymLink())
                << "the next start must not meet it again";
            ASSERT_FALSE(r.setAsidePath.isEmpty());
            EXPECT_TRUE(QFileInfo(r.setAsidePath).fileName().startsWith(QStringLiteral("AutoPlaylist.journal.damaged-")));
            EXPECT_EQ(QFileInfo(r.setAsidePath).absolutePath(), QFileInfo(found.path()).absolutePath())
                << "set aside in the program folder";
            if (wasFile && planted.size() < 1 << 20) {
                QFile::setPermissions(r.setAsidePath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
                EXPECT_EQ(readBytes(r.setAsidePath), plantedBytes) << "set aside whole, never deleted";
            }
        } else {
            EXPECT_EQ(r.outcome, ListJournal::Recovery::Recovered);
            EXPECT_EQ(r.listFile, autoPlaylist);
            EXPECT_EQ(readBytes(autoPlaylist), twoRows);
            EXPECT_EQ(readBytes(playlistFolder + QStringLiteral("/AutoPlaylist.bak")), fiveRows)
                << "the list it replaced is kept first";
            EXPECT_FALSE(QFileInfo::exists(found.path()));
        }
    }
}

TEST_F(JournalTest, AWholeJournalGoesBackToTheListItWasWrittenFor)
{
    const QString playlistFolder = dir.filePath(QStringLiteral("Playlist"));
    PlaylistStore store(list, playlistFolder);
    const QByteArray rock = "#M3UX\r\n/m/r.mp3\r\n#r;;;\r\n";
    const QByteArray autoList = "#M3UX\r\n/m/auto.mp3\r\n#auto;;;\r\n";
    writeBytes(playlistFolder + QStringLiteral("/AutoPlaylist.m3u"), autoList);
    const struct {
        const char *name;
        QString address;
        QString file;      // the file that holds the journal's list afterwards
        bool journalKept;
    } cases[] = {
        {"a named list", QStringLiteral("Live/Rock"), playlistFolder + QStringLiteral("/Live/Rock.m3u"), false},
        {"an address that names no file", QStringLiteral("../outside"), playlistFolder + QStringLiteral("/AutoPlaylist.m3u"), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(playlistFolder + QStringLiteral("/Live"));
        writeBytes(journal.path(), ListJournal::encode(rock, 1, c.address));
        const ListJournal::Recovery r = journal.recover(store);
        EXPECT_EQ(r.outcome, ListJournal::Recovery::Recovered);
        EXPECT_EQ(r.listFile, c.file);
        EXPECT_EQ(readBytes(c.file), rock);
        EXPECT_EQ(QFileInfo::exists(journal.path()), c.journalKept);
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("outside.m3u"))));
    }

    // A list file that cannot be replaced: the list comes from the journal
    // itself, which stays for the next start.
    PlaylistStore nowhere(list, dir.filePath(QStringLiteral("missing-folder")));
    writeBytes(journal.path(), ListJournal::encode(rock, 1, QStringLiteral("Rock")));
    const ListJournal::Recovery r = journal.recover(nowhere);
    EXPECT_EQ(r.outcome, ListJournal::Recovery::Recovered);
    EXPECT_TRUE(r.listFile.isEmpty());
    EXPECT_EQ(r.list, rock);
    EXPECT_TRUE(QFileInfo::exists(journal.path()));
}

} // namespace
