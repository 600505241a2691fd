// Adding tracks: single paths, drops, folders, the add commands and sorting around them.
#include "LogicDoubles.h"
#include "PlaylistTestUtil.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"

#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <gtest/gtest.h>

using namespace testutil;

namespace {

class Adding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        root = m_root.path();
        for (const char *name : {"music/a.mp3", "music/b.MP3", "music/c.flac", "music/d.txt", "music/.e.mp3",
                                 "music/sub.mp3/x.mp3", "Vol.1/1.mp3", "Vol.1/2.wav", "Vol.1/notes.txt",
                                 "Vol.1/inner/3.mp3", "README", "set.zip", "Playlist/.keep"})
            touch(root, QString::fromUtf8(name));
        touch(root, "list.m3u", QFile::encodeName("#M3UX\r\n" + root + "/music/a.mp3\r\n#A;;;\r\n"));
        QDir(root).mkdir(QStringLiteral("sjis"));
        sjisFile = std::make_unique<RawNamedFile>(root + QStringLiteral("/sjis"), Cp932Mp3Name);
        list.setPlaylistAddress(QStringLiteral("Start"));
    }

    QStringList relativePaths() const
    {
        QStringList out = paths(list);
        out.replaceInStrings(root + u'/', QString());
        return out;
    }

    QTemporaryDir m_root;
    QString root;
    std::unique_ptr<RawNamedFile> sjisFile;
    MapFolders folders;
    ScriptedArchives archives;
    FixedTree tree;
    ScriptedDialogs dialogs;
    TrackList list;
    PlaylistStore store{list, m_root.path() + "/Playlist", tree};
    TrackAdder adder{list, store, folders, archives, tree, dialogs};
};

TEST_F(Adding, FolderFilter)
{
    struct Case {
        const char *name;
        QString folder;
        int filter;
        QStringList expected; // in the order listed
    };
    const Case cases[] = {
        {"playable files, any letter case, in name order", "music", 1,
         {"music/a.mp3", "music/b.MP3", "music/c.flac"}},
        {"every visible file", "music", 0, {"music/a.mp3", "music/b.MP3", "music/c.flac", "music/d.txt"}},
        {"a missing folder", "none", 1, {}},
        {"names that are not UTF-8", "sjis", 1, {"sjis/" + NativePath::decode(Cp932Mp3Name)}},
    };
    for (const Case &c : cases) {
        QStringList got = TrackAdder::ListAudioFiles(root + u'/' + c.folder, c.filter);
        got.replaceInStrings(root + u'/', QString());
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST_F(Adding, AddTrackByKindOfPath)
{
    struct Case {
        const char *name;
        QString path;
        QStringList expected; // sorted
        QString address;      // "<path>": the added path itself
    };
    const Case cases[] = {
        {"a file without extension is a row", "README", {"README", "music/a.mp3"}, "Start"},
        {"a missing file is a row", "gone.mp3", {"gone.mp3", "music/a.mp3"}, "Start"},
        {"a folder named Vol.1 is listed with its sub-folder", "Vol.1",
         {"Vol.1/1.mp3", "Vol.1/2.wav", "Vol.1/inner/3.mp3"}, "Vol.1"},
        {"a playlist is imported after its own row", "list.m3u", {"list.m3u", "music/a.mp3", "music/a.mp3"},
         "<path>"},
        {"an empty path adds nothing", "", {"music/a.mp3"}, "Start"},
    };
    for (const Case &c : cases) {
        list.ClearList();
        list.setPlaylistAddress(QStringLiteral("Start"));
        addRows(list, {root + "/music/a.mp3"});
        list.RenumberList();
        adder.AddTrack(c.path.isEmpty() ? QString() : root + u'/' + c.path, false);
        QStringList got = relativePaths();
        got.sort();
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_EQ(list.PlaylistAddress(), c.address == "<path>" ? root + u'/' + c.path : c.address) << c.name;
        EXPECT_EQ(list.cellText(list.count(), TrackRow::NoCell), QString::number(list.count())) << c.name;
    }
}

TEST_F(Adding, RowContentsOfFilesAndArchiveMembers)
{
    adder.AddTrack(root + "/music/b.MP3", false);
    adder.AddTrack(root + "/gone.ogg", false);
    const QString member = ArchiveMemberPath(QString(root + "/set.zip"), u"d/1.mp3");
    adder.AddTrack(member, true);
    EXPECT_EQ(info(list, 1), QStringLiteral("b|||"));
    EXPECT_EQ(list.cellText(1, TrackRow::ExtensionCell), QStringLiteral("MP3"));
    EXPECT_FALSE(list.cellText(1, TrackRow::DateCell).isEmpty());
    EXPECT_EQ(list.cellText(2, TrackRow::DateCell), QString()); // cannot be examined, still a row
    EXPECT_EQ(list.cellText(2, TrackRow::ExtensionCell), QStringLiteral("OGG"));
    EXPECT_EQ(list.cellText(3, TrackRow::TitleCell), QStringLiteral("d/1"));
    EXPECT_EQ(list.cellText(3, TrackRow::ExtensionCell), QStringLiteral("ZIP"));
    EXPECT_EQ(list.cellText(3, TrackRow::DateCell), FormatFileDate(ProbeFile(root + "/set.zip").modified));
    EXPECT_EQ(list.icon(3), int(TrackRow::IdleIcon));
}

TEST_F(Adding, FileNamesThatAreNotUtf8KeepTheirBytes)
{
    adder.AddTrack(root + "/sjis", false);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(NativePath::encode(list.path(1)), QFile::encodeName(root) + "/sjis/" + Cp932Mp3Name);
    EXPECT_FALSE(list.cellText(1, TrackRow::DateCell).isEmpty()) << "the file was found on disk";
}

TEST_F(Adding, DroppedFiles)
{
    archives.members = {QStringLiteral("m.mp3")};
    addRows(list, {root + "/music/a.mp3"});
    adder.AddDroppedFiles({root + "/x.zip", root + "/y.Zip", root + "/X.ZIP", root + "/music/b.MP3"});
    EXPECT_EQ(archives.opened.replaceInStrings(root + u'/', QString()), (QStringList{"x.zip", "X.ZIP"}));
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("X")) << "the last archive names the list";
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.path(3), root + "/y.Zip");
    EXPECT_EQ(list.cellText(5, TrackRow::NoCell), QStringLiteral("5"));
    EXPECT_EQ(list.statusText(), QStringLiteral("0 / 5"));
}

TEST_F(Adding, AnOpenedArchiveNamesANewPlaylist)
{
    touch(root, "Playlist/live.m3u", "#M3UX\r\n");
    touch(root, "Playlist/live (2).m3u", "#M3UX\r\n");
    touch(root, "Playlist/Rock/best.m3u", "#M3UX\r\n");
    struct Case {
        const char *name;
        QString proposed; // the address the archive's name and the tree give
        QString expected;
    };
    const Case cases[] = {
        {"a name no playlist has", "set", "set"},
        {"the name of a playlist, and of its first alternative", "live", "live (3)"},
        {"the name of a playlist in a category", "Rock/best", "Rock/best (2)"},
        {"a name no file can have is never saved anyway", "../x", "../x"},
    };
    const Case *current = nullptr;
    SelectedTreeNode seen;
    tree.node = SelectedTreeNode{true, "Mine.m3u", "Mine.m3u", false};
    archives.onOpen = [&](const QString &a, const SelectedTreeNode &node, const QString &open,
                            const std::function<void(const QString &)> &setAddress,
                            const std::function<void(const QString &)> &add) {
        seen = node;
        EXPECT_EQ(open, QStringLiteral("Mine"));
        setAddress(current->proposed);
        // A save while the members come in goes to the new name.
        EXPECT_EQ(list.PlaylistAddress(), current->expected);
        add(ArchiveMemberPath(a, u"1.mp3"));
    };
    for (const Case &c : cases) {
        current = &c;
        list.setPlaylistAddress(QStringLiteral("Mine"));
        adder.openArchive(root + "/set.zip");
        EXPECT_EQ(list.PlaylistAddress(), c.expected) << c.name;
        EXPECT_EQ(seen.fullPath, QStringLiteral("Mine.m3u")) << c.name;
    }

    // Another playlist opened while the members come in keeps its rows.
    archives.onOpen = [&](const QString &a, const SelectedTreeNode &, const QString &,
                          const std::function<void(const QString &)> &setAddress,
                          const std::function<void(const QString &)> &add) {
        setAddress(QStringLiteral("set"));
        add(ArchiveMemberPath(a, u"1.mp3"));
        list.ClearList(); // what a click on the tree does between two members
        addRows(list, {root + "/music/a.mp3"});
        list.setPlaylistAddress(QStringLiteral("Clicked"));
        add(ArchiveMemberPath(a, u"2.mp3"));
    };
    adder.openArchive(root + "/set.zip");
    EXPECT_EQ(paths(list), QStringList{root + "/music/a.mp3"});
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("Clicked"));
}

TEST_F(Adding, NewRowsTakeTheirSortedPlaces)
{
    struct Case {
        const char *name;
        bool sorted;
        QString add;
        QStringList expected;
        int playingNo;
    };
    const Case cases[] = {
        {"sorted by title: the file goes to its place", true, "music/b.MP3", {"a", "b", "c"}, 3},
        {"sorted by title: a folder's files, too", true, "Vol.1", {"1", "2", "3"}, 0},
        {"unsorted: the file goes last", false, "music/b.MP3", {"a", "c", "b"}, 2},
    };
    for (const Case &c : cases) {
        list.ClearList();
        list.setSorted(false);
        addRows(list, {root + "/music/a.mp3", root + "/c.mp3"}, {"a", "c"});
        list.setPlayingNo(2);
        list.ListItemForeColorChange(true, 2);
        list.setSortKey(TrackRow::TitleCell);
        list.setSortOrder(c.sorted ? 0 : 1);
        list.setSorted(c.sorted);
        adder.AddTrack(root + u'/' + c.add, false);
        QStringList titles;
        for (int i = 1; i <= list.count(); ++i)
            titles << list.cellText(i, TrackRow::TitleCell);
        EXPECT_EQ(titles, c.expected) << c.name;
        EXPECT_EQ(list.isSorted(), c.sorted) << c.name;
        EXPECT_EQ(list.PlayingNo(), c.playingNo) << c.name;
        EXPECT_EQ(list.cellText(1, TrackRow::NoCell), QStringLiteral("1")) << c.name;
    }
}

TEST_F(Adding, FolderNamingRule)
{
    struct Case {
        const char *name;
        SelectedTreeNode node;
        QString address;
        QString expected;
        QStringList taken = {}; // playlist files there already
    };
    const Case cases[] = {
        {"nothing selected", {}, "Start", "Vol.1"},
        {"a top-level playlist", {true, "AutoPlaylist.m3u", "AutoPlaylist.m3u", false}, "AutoPlaylist", "Vol.1"},
        {"a top-level category", {true, "Rock", "Rock", true}, "Start", "Rock/Vol.1"},
        {"a playlist in a category", {true, "Live.m3u", "Rock/Live.m3u", false}, "Rock/Live", "Rock/Vol.1"},
        {"a nested category", {true, "Live", "Rock/Live", true}, "Start", "Rock/Live/Vol.1"},
        // The next save must not write over a playlist the user has.
        {"the name is taken", {}, "Start", "Vol.1 (2)", {"Vol.1.m3u"}},
        {"taken twice in a category",
         {true, "Rock", "Rock", true},
         "Start",
         "Rock/Vol.1 (3)",
         {"Rock/Vol.1.m3u", "Rock/Vol.1 (2).m3u"}},
        {"only a backup of that name", {}, "Start", "Vol.1", {"Vol.1.bak"}},
    };
    QDir().mkpath(root + "/Playlist/Rock"); // the category of "Rock/Live", where that list is kept
    for (const Case &c : cases) {
        for (const QString &f : c.taken)
            touch(root, "Playlist/" + f);
        tree.node = c.node;
        list.setPlaylistAddress(c.address);
        adder.AddTrack(root + "/Vol.1", false);
        EXPECT_EQ(list.PlaylistAddress(), c.expected) << c.name;
        for (const QString &f : c.taken)
            QFile::remove(root + "/Playlist/" + f);
    }
    // A folder without audio files leaves the list empty and the address as it was.
    touch(root, "empty/readme.txt");
    list.setPlaylistAddress(QStringLiteral("Start"));
    adder.AddTrack(root + "/empty", false);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("Start"));
}

TEST_F(Adding, AddCommands)
{
    QMap<QString, QString> &options = folders.folders;
    options = {{TrackAdder::FolderKey, "/start"}, {TrackAdder::AudioFileFolderKey, root}};
    QString &answer = dialogs.answer;
    addRows(list, {root + "/music/a.mp3"});

    answer.clear(); // cancelled dialogs change nothing
    adder.addFileCommand();
    adder.openFolderCommand();
    adder.openArchiveCommand();
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(options.size(), 2);

    answer = root + "/music/b.MP3";
    adder.addFileCommand();
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(options[TrackAdder::AudioFileFolderKey], root + "/music");

    answer = root + "/Vol.1";
    adder.openFolderCommand();
    EXPECT_EQ(list.count(), 3); // the folder's files, its sub-folder's too, replaced the list
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("Vol.1"));
    EXPECT_EQ(options[TrackAdder::FolderKey], root + "/Vol.1");
    EXPECT_EQ(list.cellText(2, TrackRow::NoCell), QStringLiteral("2"));
    // The list the folder replaced was kept in its own file first.
    {
        TrackList kept;
        PlaylistStore(kept, root + "/Playlist").LoadPlaylist(root + "/Playlist/Start.m3u");
        EXPECT_EQ(paths(kept), (QStringList{root + "/music/a.mp3", root + "/music/b.MP3"}));
    }

    answer = root + "/set.zip";
    adder.openArchiveCommand();
    EXPECT_EQ(paths(list), (QStringList{"\"" + root + "/set.zip\"\\#ZIP#1.mp3", "\"" + root + "/set.zip\"\\#ZIP#2.mp3"}));
    EXPECT_EQ(options[TrackAdder::ZipFileFolderKey], root);
    EXPECT_EQ(list.statusText(), QStringLiteral("0 / 2"));
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("set"));

    const QStringList asked = {TrackAdder::AudioFileFilter + "@" + root, TrackAdder::FolderDialogTitle + "@/start",
                               TrackAdder::ZipFileFilter + "@"};
    EXPECT_EQ(dialogs.asked, asked + asked);
}

} // namespace

namespace {

TEST_F(Adding, RebuildTakesTheFirstRowsFolderOrArchive)
{
    // A folder: the list becomes that folder's audio files, whatever it held.
    adder.AddTrack(root + "/Vol.1/2.wav", false);
    adder.AddTrack(root + "/music/a.mp3", false);
    adder.RebuildList();
    QStringList got = relativePaths();
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (QStringList{"Vol.1/1.mp3", "Vol.1/2.wav"}));
    EXPECT_EQ(list.cellText(2, 1), QStringLiteral("2"));

    // An archive: its members are listed again.
    const QStringList &listed = archives.listed;
    archives.members = {QStringLiteral("x/1.mp3")};
    list.ClearList();
    adder.AddTrack(ArchiveMemberPath(root + "/set.zip", u"old.mp3"), true);
    adder.RebuildList();
    EXPECT_EQ(listed, QStringList{root + "/set.zip"});
    EXPECT_EQ(paths(list), QStringList{ArchiveMemberPath(root + "/set.zip", u"x/1.mp3")});

    // An empty list stays empty.
    list.ClearList();
    adder.RebuildList();
    EXPECT_EQ(list.count(), 0);
}

} // namespace
