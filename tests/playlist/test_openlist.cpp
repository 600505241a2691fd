// The open list between runs: which list a start opens, and where the end
// of a run keeps it.
#include "playlist/ListJournal.h"
#include "playlist/OpenListKeeper.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStore.h"
#include "CoreTestApp.h"
#include "PlaylistTestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct OpenList : ::testing::Test {
    QTemporaryDir home;
    QString playlists = home.filePath(QStringLiteral("Playlist"));
    QString namePath = home.filePath(QStringLiteral("OpenPlaylist.txt"));
    QString music = home.filePath(QStringLiteral("music"));

    OpenList()
    {
        coreTestApp();
        for (const char *name : {"AutoPlaylist.m3u", "Rock/Live.m3u"}) {
            const QString track = testutil::touch(music, QString::fromUtf8(name).replace(".m3u", ".mp3").replace('/', '-'));
            writeBytes(playlists + "/" + QString::fromUtf8(name), "#M3UX\r\n" + track.toUtf8() + "\r\n#t;;;\r\n");
        }
    }
};

TEST_F(OpenList, AStartOpensTheListRememberedAtTheLastEnd)
{
    const struct {
        const char *name;
        std::function<void(const QString &)> remember;
        const char *address;
    } cases[] = {
        {"nothing remembered (an earlier version's folder)", [](const QString &) {}, "AutoPlaylist"},
        {"a list in a category", [](const QString &p) { writeBytes(p, "Rock/Live\n"); }, "Rock/Live"},
        {"a list whose file went", [](const QString &p) { writeBytes(p, "Gone\n"); }, "AutoPlaylist"},
        {"a name leaving the playlist folder", [](const QString &p) { writeBytes(p, "../Velmora\n"); }, "AutoPlaylist"},
        {"a link in its place", [&](const QString &p) {
             writeBytes(home.filePath("elsewhere"), "Rock/Live\n");
             QFile::link(home.filePath("elsewhere"), p);
         }, "AutoPlaylist"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(namePath);
        c.remember(namePath);
        TrackList list;
        PlaylistStore store(list, playlists);
        ListJournal journal(list, home.filePath(QStringLiteral("AutoPlaylist.journal")));
        OpenListKeeper keeper(list, store, journal, namePath);
        const OpenListKeeper::Opened opened = keeper.openAtStart(true);
        EXPECT_EQ(opened.address, QString::fromUtf8(c.address));
        EXPECT_EQ(list.PlaylistAddress(), QString::fromUtf8(c.address));
        EXPECT_EQ(list.count(), 1);
        EXPECT_FALSE(opened.recovered);
        EXPECT_TRUE(opened.notice.isEmpty());
    }
}

TEST_F(OpenList, TheEndKeepsTheListInItsOwnFileAndRemembersIt)
{
    TrackList list;
    PlaylistStore store(list, playlists);
    ListJournal journal(list, home.filePath(QStringLiteral("AutoPlaylist.journal")));
    OpenListKeeper keeper(list, store, journal, namePath);
    keeper.openAtStart(true);
    journal.start();
    list.ClearList();
    store.LoadPlaylist(playlists + "/Rock/Live.m3u");
    list.setPlaylistAddress(QStringLiteral("Rock/Live"));
    const QString added = testutil::touch(music, QStringLiteral("new.mp3"));
    testutil::addRows(list, {added});
    ASSERT_TRUE(journal.flush());
    const QByteArray autoPlaylist = readBytes(playlists + "/AutoPlaylist.m3u");

    EXPECT_TRUE(keeper.keepAtEnd());
    EXPECT_TRUE(readBytes(playlists + "/Rock/Live.m3u").contains(added.toUtf8()));
    EXPECT_EQ(readBytes(playlists + "/AutoPlaylist.m3u"), autoPlaylist) << "another list's file is not touched";
    EXPECT_EQ(OpenListKeeper::rememberedAddress(namePath), QStringLiteral("Rock/Live"));
    EXPECT_FALSE(QFileInfo::exists(journal.path()));
}

} // namespace
