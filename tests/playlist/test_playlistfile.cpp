// Playlist files: the "#M3UX" pair layout, plain M3U, atomic saves, backups, appends.
#include "FileSizeLimit.h"
#include "LogicDoubles.h"
#include "PlaylistTestUtil.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"

#include "CoreTestApp.h"

#include <QCoreApplication>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testutil;

namespace {

class PlaylistFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        music = m_root.path() + "/music";
        playlists = m_root.path() + "/Playlist";
        QDir().mkpath(playlists);
        for (const char *name : {"a.mp3", "b.mp3", "c.mp3", ".hidden.mp3", "set.zip"})
            touch(music, QString::fromUtf8(name));
    }

    // Loads `text` ("@" stands for the music folder) into a fresh list.
    bool loadText(TrackList &list, QString text)
    {
        text.replace(u'@', music);
        const QString file = m_root.path() + "/in.m3u";
        writeBytes(file, text.toUtf8());
        PlaylistStore store(list, playlists);
        return store.LoadPlaylist(file);
    }

    // Rows as "name|Title|Artist|Time|BitRate", names relative to the music folder.
    QStringList rowsOf(const TrackList &list) const
    {
        QStringList out;
        for (int i = 1; i <= list.count(); ++i)
            out << QString(list.path(i)).replace(music + u'/', QString()) + u'|' + info(list, i);
        return out;
    }

    QTemporaryDir m_root;
    QString music;
    QString playlists;
};

TEST_F(PlaylistFiles, ReadingRules)
{
    struct Case {
        const char *name;
        QString text;
        QStringList rows;
        bool ok = true;
    };
    const QString h = QStringLiteral("#M3UX\r\n");
    const Case cases[] = {
        {"header only", h, {}},
        {"three fields leave BitRate empty", h + "@/a.mp3\r\n#a;b;c\r\n", {"a.mp3|a|b|c|"}},
        {"BitRate takes the rest of the line", h + "@/a.mp3\r\n#a;b;c;d;e\r\n", {"a.mp3|a|b|c|d;e"}},
        {"a deleted file takes its info line along",
         h + "@/gone.mp3\r\n@/b.mp3\r\n@/c.mp3\r\n#t;r;1:00;128\r\n",
         {"c.mp3|t|r|1:00|128"}},
        {"hidden files count as missing", h + "@/.hidden.mp3\r\n#h;;;\r\n@/a.mp3\r\n#t;;;\r\n", {"a.mp3|t|||"}},
        {"archive record checked by its archive only", h + "\"@/set.zip\"\\#ZIP#gone/x.mp3\r\n#x;;;\r\n",
         {"\"" + QStringLiteral("set.zip") + "\"\\#ZIP#gone/x.mp3|x|||"}},
        {"an archive member's title saved with the archive marker shows without it",
         h + "\"@/set.zip\"\\#ZIP#d/y.mp3\r\n##ZIP#d/y;art;0:30;\r\n",
         {"\"" + QStringLiteral("set.zip") + "\"\\#ZIP#d/y.mp3|d/y|art|0:30|"}},
        {"archive record of a missing archive", h + "\"@/gone.zip\"\\#ZIP#x.mp3\r\n#x;;;\r\n", {}},
        {"malformed archive record", h + "\"#ZIP#x.mp3\r\n#x;;;\r\n@/a.mp3\r\n#a;;;\r\n", {"a.mp3|a|||"}},
        {"a short info line keeps its track and the rest loads",
         h + "@/a.mp3\r\n#t;r;1:00;1\r\n@/b.mp3\r\n#only;one\r\n@/c.mp3\r\n#c;;;\r\n",
         {"a.mp3|t|r|1:00|1", "b.mp3|only|||", "c.mp3|c|||"},
         false},
        {"an info line without \";\" keeps its track with empty cells",
         h + "@/a.mp3\r\n#damaged\r\n@/b.mp3\r\n#b;;;\r\n@/c.mp3\r\n#c;;;\r\n",
         {"a.mp3||||", "b.mp3|b|||", "c.mp3|c|||"},
         false},
        {"relative paths are taken from the playlist's folder",
         h + "music/a.mp3\r\n#a;;;\r\n\"music/set.zip\"\\#ZIP#d/x.mp3\r\n#x;;;\r\n",
         {"a.mp3|a|||", "\"set.zip\"\\#ZIP#d/x.mp3|x|||"}},
        {"relative paths of a plain list, archive members too",
         "#EXTM3U\r\nmusic/b.mp3\r\n\"./music/set.zip\"\\#ZIP#y.mp3\r\n",
         {"b.mp3|b|||", "\"set.zip\"\\#ZIP#y.mp3|y|||"}},
        {"a NUL cannot cut a path short", h + "@/a.mp3" + QChar(0) + "x\r\n#x;;;\r\n@/b.mp3\r\n#b;;;\r\n", {"b.mp3|b|||"}},
        {"an empty path line skips its pair", h + "\r\n#x;;;\r\n@/a.mp3\r\n#a;;;\r\n", {"a.mp3|a|||"}},
        {"a lone LF does not end a line", h + "@/a.mp3\n@/b.mp3\r\n#t;;;\r\n@/c.mp3\r\n#c;;;\r\n", {"c.mp3|c|||"}},
        {"a lone CR ends a line", "#M3UX\r@/a.mp3\r#t;;;\r", {"a.mp3|t|||"}},
        {"a trailing path line adds nothing", h + "@/a.mp3\r\n#a;;;\r\n@/b.mp3\r\n", {"a.mp3|a|||"}},
        {"the last line may lack its line end", h + "@/a.mp3\r\n#a;b;c;d", {"a.mp3|a|b|c|d"}},
        {"the info line is positional", h + "@/a.mp3\r\nxa;b;c\r\n", {"a.mp3|a|b|c|"}},
        {"pairs with LF line ends", "#M3UX\n@/a.mp3\n#t;r;2:00;x\n", {"a.mp3|t|r|2:00|x"}},
        {"a lower-case header is a plain list", "#m3ux\r\n@/a.mp3\r\n#t;r;;\r\n", {"a.mp3|a|||"}},
    };
    for (const Case &c : cases) {
        TrackList list;
        EXPECT_EQ(loadText(list, c.text), c.ok) << c.name;
        EXPECT_EQ(rowsOf(list), c.rows) << c.name;
    }
}

TEST_F(PlaylistFiles, SourcesThatAreNotPlaylistFiles)
{
    const QString fifo = m_root.path() + "/pipe.m3u";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {fifo, music, m_root.path() + "/missing.m3u"}) {
        TrackList list;
        EXPECT_FALSE(PlaylistStore(list, playlists).LoadPlaylist(path)) << path.toStdString();
        EXPECT_EQ(list.count(), 0);
    }
}

TEST_F(PlaylistFiles, RoundTrip)
{
    const QString weird = touch(music, QStringLiteral("we\nird.mp3")); // LF is a legal name character
    const RawNamedFile sjis(music, Cp932Mp3Name);                       // not UTF-8
    TrackList list;
    addRows(list, {music + "/a.mp3", weird, ArchiveMemberPath(QString(music + "/set.zip"), u"d/1.mp3"), music + "/b.mp3",
                   sjis.path});
    list.setInfo(1, u"夜明け", u"Ｘ", u"4:05", u"128");
    list.setInfo(2, u"t", u"", u"", u"");
    list.setInfo(3, u"d/1", u"", u"0:30", u"");
    list.setInfo(4, u"A;B", u"line\r\nbreak", u"1:00", u"x;y");
    list.RenumberList();

    PlaylistStore store(list, playlists);
    ASSERT_TRUE(store.SavePlaylist(QStringLiteral("List"), QStringLiteral(".m3u"), false, false));
    const QByteArray bytes = readBytes(playlists + "/List.m3u");
    EXPECT_TRUE(bytes.startsWith("#M3UX\r\n"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r"), 1 + 2 * 5);
    EXPECT_TRUE(bytes.contains("#\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91;")); // UTF-8, no byte-order mark

    TrackList loaded;
    PlaylistStore reader(loaded, playlists);
    ASSERT_TRUE(reader.LoadPlaylist(playlists + "/List.m3u"));
    ASSERT_EQ(paths(loaded), paths(list));
    EXPECT_EQ(info(loaded, 1), info(list, 1));
    EXPECT_EQ(info(loaded, 2), info(list, 2));
    EXPECT_EQ(info(loaded, 3), info(list, 3));
    // A ";" or a line break inside a field cannot shift the later fields.
    EXPECT_EQ(info(loaded, 4), QStringLiteral("A；B|line  break|1:00|x;y"));
    // No, Date and Extension are recomputed, not stored: from the file, and
    // for an archive member from its archive, as when the rows were added.
    EXPECT_EQ(loaded.cellText(1, TrackRow::NoCell), QString());
    const QString archiveDate = QFileInfo(music + "/set.zip").lastModified().toString(QStringLiteral("yyyy/MM/dd"));
    const struct {
        const char *name;
        int row;
        QString extension;
        QString dateStart;
    } cases[] = {
        {"a file", 1, QStringLiteral("MP3"), QFileInfo(music + "/a.mp3").lastModified().toString(QStringLiteral("yyyy/MM/dd"))},
        {"a ZIP member", 3, QStringLiteral("ZIP"), archiveDate},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(loaded.cellText(c.row, TrackRow::ExtensionCell), c.extension) << c.name;
        EXPECT_TRUE(loaded.cellText(c.row, TrackRow::DateCell).startsWith(c.dateStart))
            << c.name << ": " << loaded.cellText(c.row, TrackRow::DateCell).toStdString();
    }
}

TEST_F(PlaylistFiles, BackupBeforeRewrite)
{
    struct Case {
        const char *name;
        QString saveAs;
        bool backup;
        bool categorySelected;
        QByteArray expectedBak;
    };
    const Case cases[] = {
        {"backup replaces an older .bak", "List", true, false, "OLD"},
        {"no backup while a category is selected", "List", true, true, "OLDER"},
        {"no backup requested", "List", false, false, "OLDER"},
        {"a new name backs up the current address", "Other", true, false, "OLD"},
    };
    for (const Case &c : cases) {
        writeBytes(playlists + "/List.m3u", "OLD");
        writeBytes(playlists + "/List.bak", "OLDER");
        TrackList list;
        list.setPlaylistAddress(QStringLiteral("List"));
        addRows(list, {music + "/a.mp3"});
        FixedTree tree;
        tree.node = {c.categorySelected, QStringLiteral("Rock"), QStringLiteral("Rock"), c.categorySelected};
        PlaylistStore store(list, playlists, tree);
        EXPECT_TRUE(store.SavePlaylist(c.saveAs, QStringLiteral(".m3u"), false, c.backup)) << c.name;
        EXPECT_EQ(readBytes(playlists + "/List.bak"), c.expectedBak) << c.name;
        EXPECT_TRUE(readBytes(playlists + "/" + c.saveAs + ".m3u").startsWith("#M3UX\r\n")) << c.name;
    }
}

TEST_F(PlaylistFiles, ASaveWithReselectTakesTheAddressTheTreeShows)
{
    struct Case {
        const char *name;
        bool reselect;
        QString found; // the node's path in the tree; empty: the tree has none
        QString expectedAddress;
        QStringList expectedAsked;
    };
    const Case cases[] = {
        {"the tree shows it in a category", true, "Rock/List", "Rock/List", {"List.m3u"}},
        {"the tree has no such node: the saved name", true, {}, "List", {"List.m3u"}},
        {"no reselect: the address stays and the tree is not asked", false, "Rock/List", "Old", {}},
    };
    for (const Case &c : cases) {
        TrackList list;
        list.setPlaylistAddress(QStringLiteral("Old"));
        addRows(list, {music + "/a.mp3"});
        FixedTree tree;
        tree.found = c.found;
        PlaylistStore store(list, playlists, tree);
        EXPECT_TRUE(store.SavePlaylist(QStringLiteral("List"), QStringLiteral(".m3u"), c.reselect, false)) << c.name;
        EXPECT_EQ(list.PlaylistAddress(), c.expectedAddress) << c.name;
        EXPECT_EQ(tree.reselected, c.expectedAsked) << c.name;
    }
}

TEST_F(PlaylistFiles, NamesStayInsideThePlaylistFolder)
{
    TrackList list;
    addRows(list, {music + "/a.mp3"});
    PlaylistStore store(list, playlists);
    for (const char *name : {"../escape", "Rock/../../escape", "/tmp/escape", ""})
        EXPECT_FALSE(store.SavePlaylist(QString::fromUtf8(name), QStringLiteral(".m3u"), false, false)) << name;
    EXPECT_FALSE(QFile::exists(m_root.path() + "/escape.m3u"));
    QDir().mkpath(playlists + "/Rock");
    EXPECT_TRUE(store.SavePlaylist(QStringLiteral("Rock/Live"), QStringLiteral(".m3u"), false, false));
    EXPECT_TRUE(QFile::exists(playlists + "/Rock/Live.m3u"));
}

TEST_F(PlaylistFiles, FailedWriteLeavesTheOldFileIntact)
{
    // A full disk, made by a file size limit: a long list fails while it is
    // written, a short one only when the buffered rest is flushed.
    struct Case {
        const char *name;
        int rows;
        rlim_t limit;
        bool append;
    };
    const Case cases[] = {
        {"a long list", 2000, 8192, false},
        {"a short list", 1, 0, false},
        {"appended records", 1, 0, true},
    };
    const QByteArray old = "#M3UX\r\n" + QFile::encodeName(music) + "/a.mp3\r\n#old;;;\r\n";
    for (const Case &c : cases) {
        writeBytes(playlists + "/List.m3u", old);
        TrackList list;
        addRows(list, QStringList(c.rows, music + "/b.mp3"));
        PlaylistStore store(list, playlists);
        bool written = true;
        {
            const FileSizeLimit full(c.limit);
            written = c.append ? AppendPlaylistRecords(playlists + "/List.m3u", {{music + "/b.mp3", "b", "", "", ""}})
                               : store.SavePlaylist(QStringLiteral("List"), QStringLiteral(".m3u"), false, false);
        }
        EXPECT_FALSE(written) << c.name;
        EXPECT_EQ(readBytes(playlists + "/List.m3u"), old) << c.name;
        EXPECT_EQ(QDir(playlists).entryList(QDir::Files | QDir::Hidden), QStringList{"List.m3u"}) << c.name;
    }
}

TEST_F(PlaylistFiles, TracksMissingAtLoadSurviveInTheBackup)
{
    // A drive not mounted yet: the list shows only the tracks that exist, and
    // the first save that drops the others keeps the old file as its backup.
    struct Case {
        const char *name;
        QStringList files;
        bool backup;
        bool expectBak;
    };
    const Case cases[] = {
        {"saved without a backup request", {"a.mp3", "gone.mp3", "b.mp3"}, false, true},
        {"saved with a backup request", {"a.mp3", "gone.mp3", "b.mp3"}, true, true},
        {"a missing archive", {"a.mp3", "\"@/gone.zip\"\\#ZIP#x.mp3"}, false, true},
        {"nothing missing", {"a.mp3", "b.mp3"}, false, false},
    };
    for (const Case &c : cases) {
        QByteArray file = "#M3UX\r\n";
        for (QString name : c.files)
            file += (name.startsWith(u'"') ? name.replace(u'@', music) : music + u'/' + name).toUtf8() + "\r\n#t;;;\r\n";
        writeBytes(playlists + "/List.m3u", file);
        QFile::remove(playlists + "/List.bak");
        TrackList list;
        PlaylistStore store(list, playlists);
        store.LoadPlaylist(playlists + "/List.m3u");
        list.setPlaylistAddress(QStringLiteral("List"));
        ASSERT_TRUE(store.SavePlaylist(QStringLiteral("List"), QStringLiteral(".m3u"), false, c.backup)) << c.name;
        ASSERT_TRUE(store.SavePlaylist(QStringLiteral("List"), QStringLiteral(".m3u"), false, false)) << c.name;
        EXPECT_EQ(readBytes(playlists + "/List.bak"), c.expectBak ? file : QByteArray("<missing>")) << c.name;
        EXPECT_EQ(readBytes(playlists + "/List.m3u").count("\r\n#t;;;"), list.count()) << c.name;
    }
}

TEST_F(PlaylistFiles, CloseListSavesThenClears)
{
    TrackList list;
    list.setPlaylistAddress(QStringLiteral("List"));
    addRows(list, {music + "/a.mp3", music + "/b.mp3"});
    list.setPlayingNo(2);
    PlaylistStore store(list, playlists);
    store.CloseList(false);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.PlayingNo(), 0);
    EXPECT_FALSE(QFile::exists(playlists + "/List.m3u"));

    addRows(list, {music + "/a.mp3"});
    store.CloseList(true);
    EXPECT_EQ(list.count(), 0);
    TrackList again;
    PlaylistStore(again, playlists).LoadPlaylist(playlists + "/List.m3u");
    EXPECT_EQ(paths(again), QStringList{music + "/a.mp3"});
}

// Before another list takes the open list's place, the open list goes to
// the file of its own name; when it cannot, it stays and the status box says so.
TEST_F(PlaylistFiles, KeepOpenListSavesTheListUnderItsOwnName)
{
    const QByteArray other = "#M3UX\r\n" + (music + "/c.mp3").toUtf8() + "\r\n#c;;;\r\n";
    const struct {
        const char *name;
        QString address;
        QStringList rows;
        bool kept;
        QString file;      // where the rows are afterwards ("" = nowhere)
        QString backup;    // a ".bak" that must hold `other` afterwards
    } cases[] = {
        {"a named list", "Rock", {"a.mp3", "b.mp3"}, true, "Rock.m3u", "Rock.bak"},
        {"the automatic playlist", "AutoPlaylist", {"a.mp3"}, true, "AutoPlaylist.m3u", "AutoPlaylist.bak"},
        {"an address that names no file", "/elsewhere/x.m3u", {"b.mp3"}, true, "AutoPlaylist.m3u", "AutoPlaylist.bak"},
        {"an empty list without a file", "New", {}, true, "", ""},
        {"a category that is gone", "Gone/List", {"a.mp3"}, false, "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(playlists).removeRecursively();
        QDir().mkpath(playlists);
        for (const char *f : {"Rock.m3u", "AutoPlaylist.m3u"})
            writeBytes(playlists + "/" + f, other);
        TrackList list;
        PlaylistStore store(list, playlists);
        list.setPlaylistAddress(c.address);
        QStringList full;
        for (const QString &r : c.rows)
            full << music + "/" + r;
        addRows(list, full);
        EXPECT_EQ(store.KeepOpenList(), c.kept);
        EXPECT_EQ(list.count(), c.rows.size()) << "the list itself stays until the caller replaces it";
        if (!c.file.isEmpty()) {
            TrackList saved;
            PlaylistStore(saved, playlists).LoadPlaylist(playlists + "/" + c.file);
            EXPECT_EQ(paths(saved), full);
        }
        if (!c.backup.isEmpty()) {
            EXPECT_EQ(readBytes(playlists + "/" + c.backup), other) << "what the file held before";
        }
        EXPECT_EQ(list.statusText() == PlaylistStore::keepFailedNotice(), !c.kept);
        if (c.rows.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(playlists + "/New.m3u"));
        }
    }
}

TEST_F(PlaylistFiles, ShiftJisPlaylist)
{
    touch(music, QStringLiteral("曲1.mp3"));
    touch(music, QStringLiteral("二曲目.mp3"));
    QByteArray bytes = readBytes(QStringLiteral(VELMORA_TEST_DATA "/playlist/legacy-sjis.m3u"));
    ASSERT_FALSE(bytes.startsWith("<missing>"));
    bytes.replace("@DIR@", QFile::encodeName(music));
    writeBytes(m_root.path() + "/old.m3u", bytes);
    TrackList list;
    ASSERT_TRUE(PlaylistStore(list, playlists).LoadPlaylist(m_root.path() + "/old.m3u"));
    EXPECT_EQ(rowsOf(list), (QStringList{"曲1.mp3|夜明けの歌|山田太郎|4:05|128kbps", "二曲目.mp3|桜|さくら|3:00|192"}));
}

TEST_F(PlaylistFiles, UnicodeEncodingsWithAByteOrderMark)
{
    const QString pairs = QStringLiteral("#M3UX\r\n") + music + QStringLiteral("/a.mp3\r\n#夜明け;山田;4:05;128\r\n");
    const QString plain = QStringLiteral("#EXTM3U\r\n#EXTINF:245,山田 - 夜明け\r\n") + music + QStringLiteral("/a.mp3\r\n");
    struct Case {
        const char *name;
        QStringConverter::Encoding encoding;
        QString text;
    };
    const Case cases[] = {
        {"UTF-16 LE", QStringConverter::Utf16LE, pairs},
        {"UTF-16 BE", QStringConverter::Utf16BE, pairs},
        {"UTF-8", QStringConverter::Utf8, pairs},
        {"plain list in UTF-16 LE", QStringConverter::Utf16LE, plain},
    };
    for (const Case &c : cases) {
        QStringEncoder encoder(c.encoding, QStringEncoder::Flag::WriteBom);
        writeBytes(m_root.path() + "/in.m3u", encoder.encode(c.text));
        TrackList list;
        EXPECT_TRUE(PlaylistStore(list, playlists).LoadPlaylist(m_root.path() + "/in.m3u")) << c.name;
        EXPECT_EQ(rowsOf(list), QStringList{"a.mp3|夜明け|山田|4:05|" + QString(c.text == pairs ? "128" : "")}) << c.name;
    }
}

TEST_F(PlaylistFiles, PlainM3uWithRelativePathsAndExtinf)
{
    touch(m_root.path(), QStringLiteral("lists/sub/d.mp3"));
    touch(music, QStringLiteral("with space.mp3"));
    const QString text = QStringLiteral("#EXTM3U\n"
                                        "#EXTINF:245,山田 - 夜明け\r\n"
                                        "../music/a.mp3\n"
                                        "#EXTINF:100,Gone - Missing\n"
                                        "../music/gone.mp3\n"
                                        "../music/b.mp3\r"
                                        "file://%1/with%20space.mp3\n"
                                        "sub\\d.mp3\n"
                                        "\n"
                                        "#EXTINF:-1,Only Title\n"
                                        "%1/c.mp3\n")
                             .arg(music);
    touch(m_root.path(), QStringLiteral("lists/mix.m3u8"), text.toUtf8());
    TrackList list;
    ASSERT_TRUE(PlaylistStore(list, playlists).LoadPlaylist(m_root.path() + "/lists/mix.m3u8"));
    EXPECT_EQ(rowsOf(list), (QStringList{"a.mp3|夜明け|山田|4:05|", "b.mp3|b|||", "with space.mp3|with space|||",
                                         m_root.path() + "/lists/sub/d.mp3|d|||", "c.mp3|Only Title|||"}));

    // Without any header the first line is a track, too.
    writeBytes(m_root.path() + "/bare.m3u", QFile::encodeName(music + "/a.mp3\n" + music + "/b.mp3\n"));
    TrackList bare;
    PlaylistStore(bare, playlists).LoadPlaylist(m_root.path() + "/bare.m3u");
    EXPECT_EQ(bare.count(), 2);
}

TEST_F(PlaylistFiles, AppendedRecordsLoad)
{
    struct Case {
        const char *name;
        QByteArray existing; // "<none>": no file
        QStringList expected;
    };
    QStringEncoder cp932("CP932");
    const QByteArray sjis = "#M3UX\r\n" + QFile::encodeName(music) + "/a.mp3\r\n" +
                            QByteArray(cp932.encode(QStringLiteral("#古い;歌手;;\r\n")));
    QStringEncoder utf16Encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray utf16 = utf16Encoder.encode(QStringLiteral("#M3UX\r\n") + music + QStringLiteral("/a.mp3\r\n#古い;歌手;;\r\n"));
    const Case cases[] = {
        {"a new file gets the header first", "<none>", {"b.mp3|new|r|1:00|", "c.mp3|c|||"}},
        {"a last line without its line end",
         "#M3UX\r\n" + QFile::encodeName(music) + "/a.mp3\r\n#old;;;",
         {"a.mp3|old|||", "b.mp3|new|r|1:00|", "c.mp3|c|||"}},
        {"a Shift-JIS file is rewritten as UTF-8", sjis, {"a.mp3|古い|歌手||", "b.mp3|new|r|1:00|", "c.mp3|c|||"}},
        {"a UTF-16 file is rewritten as UTF-8", utf16, {"a.mp3|古い|歌手||", "b.mp3|new|r|1:00|", "c.mp3|c|||"}},
    };
    for (const Case &c : cases) {
        const QString file = playlists + "/" + FavouritesFileName;
        QFile::remove(file);
        if (c.existing != "<none>")
            writeBytes(file, c.existing);
        ASSERT_TRUE(AppendPlaylistRecords(file, {{music + "/b.mp3", "new", "r", "1:00", ""}})) << c.name;
        ASSERT_TRUE(AppendPlaylistRecords(file, {{music + "/c.mp3", "c", "", "", ""}})) << c.name;
        TrackList list;
        EXPECT_TRUE(PlaylistStore(list, playlists).LoadPlaylist(file)) << c.name;
        EXPECT_EQ(rowsOf(list), c.expected) << c.name;
    }
}

QCoreApplication &app()
{
    return coreTestApp();
}

TEST_F(PlaylistFiles, EventsDuringALoadCannotSaveOrMixLists)
{
    app();
    QByteArray big = "#M3UX\r\n";
    const QByteArray record = QFile::encodeName(music) + "/a.mp3\r\n#t;;;\r\n";
    for (int i = 0; i < 60000; ++i)
        big += record;
    writeBytes(playlists + "/Big.m3u", big);
    writeBytes(playlists + "/AutoPlaylist.m3u", "#M3UX\r\n");

    TrackList list;
    PlaylistStore store(list, playlists);
    int rowsSeen = -1;
    bool saved = true;
    QTimer::singleShot(0, [&] {
        rowsSeen = list.count();
        // What shut-down or opening another list would do in the middle of the load.
        saved = store.SavePlaylist(QStringLiteral("AutoPlaylist"), QStringLiteral(".m3u"), false, false);
        list.ClearList();
    });
    store.LoadPlaylist(playlists + "/Big.m3u");
    ASSERT_GE(rowsSeen, 0) << "no events ran during the load";
    EXPECT_LT(rowsSeen, 60000);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readBytes(playlists + "/AutoPlaylist.m3u"), QByteArray("#M3UX\r\n"));
    EXPECT_EQ(list.count(), 0); // the rest of the old file did not flow into the cleared list
}

} // namespace
