// The commands on selected rows: removing, the dust box, favourites, play
// next, copies, the tag editor and the shell's views.
#include "LogicDoubles.h"
#include "PlaylistTestUtil.h"
#include "RecordingShell.h"
#include "core/MessageService.h"
#include "core/ShellService.h"
#include "playlist/ItemCommands.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace testutil;

namespace {

// One track as a playlist file holds it (fields without ";" or line ends).
QString record(QStringView path, QStringView title, QStringView artist, QStringView time, QStringView bitRate)
{
    return QStringLiteral("%1\r\n#%2;%3;%4;%5\r\n")
        .arg(path.toString(), title.toString(), artist.toString(), time.toString(), bitRate.toString());
}

struct AnsweringBox : MessageBoxService {
    int answer = MessageService::Yes;
    QStringList shown;
    int show(const QString &text, int, const QString &) override
    {
        shown << text;
        return answer;
    }
};

struct NoWindows : TopmostWindows {
    void setTopmost(bool) override {}
};

// A list of five real files in a music folder, row 3 playing, beside an
// empty playlist folder.
class ItemCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        music = root.path() + "/music";
        playlistFolder = root.path() + "/Playlist/";
        QDir().mkpath(playlistFolder);
        reset();
    }

    // The five rows again, row 3 playing; nothing recorded.
    void reset()
    {
        list.ClearList();
        shell.calls.clear();
        shell.failOn.clear();
        box.shown.clear();
        released.clear();
        QStringList files;
        for (const char *name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"})
            files << touch(music, QString::fromUtf8(name));
        addRows(list, files, {"A", "B", "C", "D", "E"});
        list.RenumberList();
        list.setPlayingNo(3);
        list.ListItemForeColorChange(true, 3);
        list.UpdateStatus();
    }

    QString file(const char *name) const { return music + u'/' + QString::fromUtf8(name); }
    void select(std::initializer_list<int> rows)
    {
        list.UnselectAll();
        for (int r : rows)
            list.setSelected(r, true);
    }
    QStringList names() const
    {
        QStringList out = paths(list);
        out.replaceInStrings(music + u'/', QString());
        return out;
    }

    QTemporaryDir root;
    QString music;
    QString playlistFolder;
    CommandDoubles doubles;
    MapFolders folders;
    ScriptedArchives archives;
    FixedTree tree;
    TrackList list;
    PlaylistStore store{list, root.path() + "/Playlist", tree};
    TrackAdder adder{list, store, folders, archives, tree, doubles.dialogs};
    PlaylistSearch search{list, store, doubles.playing, doubles.scroller};
    AnsweringBox box;
    NoWindows windows;
    MessageService messages{box, windows, QStringLiteral("Velmora")};
    RecordingShell shell;
    ItemCommands items{list, store, adder, search, messages, &shell, doubles.itemServices()};
    QStringList &released = doubles.playing.released;
    int &emptied = doubles.playing.closed;
    int &leftTopmost = doubles.topmost.left;
    int &beeps = doubles.beeper.beeps;
    QString &editor = doubles.settings.editor;
    QString &chosenFolder = doubles.dialogs.answer;
};

TEST_F(ItemCommandsTest, RemovingKeepsThePlayingMarkOnItsRow)
{
    struct Case {
        const char *name;
        std::function<void(ItemCommands &)> command;
        std::initializer_list<int> selected;
        int answer;
        QStringList failOn;
        QStringList expectedRows;
        int expectedPlayingNo;
        QStringList expectedCalls; // "@" is the music folder, "#" the dust-box folder
        QString expectedStatus;    // empty: the usual "PlayingNo / count"
        QStringList expectedSelected;
    };
    const Case cases[] = {
        {"from the list: files stay", &ItemCommands::ListDelete, {1, 2}, 6, {},
         {"c.mp3", "d.mp3", "e.mp3"}, 1, {}, {}, {}},
        {"from the list: the playing row goes", &ItemCommands::ListDelete, {3}, 6, {},
         {"a.mp3", "b.mp3", "d.mp3", "e.mp3"}, 2, {}, {}, {}},
        {"with the file, answered No", &ItemCommands::FileDelete, {1}, 7, {},
         {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}, 3, {}, {}, {"a.mp3"}},
        {"with the file, to the trash", &ItemCommands::FileDelete, {1, 5}, 6, {},
         {"b.mp3", "c.mp3", "d.mp3"}, 2, {"remove to trash @/a.mp3", "remove to trash @/e.mp3"}, {}, {}},
        {"with the file, the trash refuses one", &ItemCommands::FileDelete, {1, 2}, 6, {"b.mp3"},
         {"b.mp3", "c.mp3", "d.mp3", "e.mp3"}, 2, {"remove to trash @/a.mp3", "remove to trash @/b.mp3"},
         "削除失敗1件", {"b.mp3"}},
        {"into the dust box", &ItemCommands::MoveToDustBox, {2, 4}, 6, {},
         {"a.mp3", "c.mp3", "e.mp3"}, 2, {"move @/b.mp3 -> #/b.mp3", "move @/d.mp3 -> #/d.mp3"}, {}, {}},
        {"into the dust box, one move fails", &ItemCommands::MoveToDustBox, {4, 5}, 6, {"e.mp3"},
         {"a.mp3", "b.mp3", "c.mp3", "e.mp3"}, 3, {"move @/d.mp3 -> #/d.mp3", "move @/e.mp3 -> #/e.mp3"},
         "移動失敗1件", {"e.mp3"}},
    };
    for (const Case &c : cases) {
        reset();
        select(c.selected);
        box.answer = c.answer;
        shell.failOn = c.failOn;
        c.command(items);
        EXPECT_EQ(names(), c.expectedRows) << c.name;
        EXPECT_EQ(list.PlayingNo(), c.expectedPlayingNo) << c.name;
        if (names().contains(QStringLiteral("c.mp3"))) {
            EXPECT_EQ(list.path(list.PlayingNo()), file("c.mp3")) << c.name;
            EXPECT_EQ(list.rowColor(list.PlayingNo()), list.activeItemColor()) << c.name;
        }
        QStringList calls = c.expectedCalls;
        calls.replaceInStrings(QStringLiteral("@"), music).replaceInStrings(QStringLiteral("#"), playlistFolder + "ごみ箱");
        EXPECT_EQ(shell.calls, calls) << c.name;
        EXPECT_EQ(list.statusText(), c.expectedStatus.isEmpty()
                                         ? QStringLiteral("%1 / %2").arg(c.expectedPlayingNo).arg(list.count())
                                         : c.expectedStatus)
            << c.name;
        // Rows whose file stayed stay selected; no other row is.
        QStringList selected;
        for (int i = 1; i <= list.count(); ++i)
            if (list.isSelected(i))
                selected << names()[i - 1];
        EXPECT_EQ(selected, c.expectedSelected) << c.name;
    }
}

TEST_F(ItemCommandsTest, ArchiveMembersAreNeverHandledAsFiles)
{
    const QString member = ArchiveMemberPath(music + "/set.zip", u"disc/01.mp3");
    list.appendRow(list.makeRow(member));
    chosenFolder = root.path() + "/copies";
    for (auto command : {&ItemCommands::FileDelete, &ItemCommands::MoveToDustBox, &ItemCommands::CopyToFolder}) {
        select({6});
        (items.*command)();
        EXPECT_TRUE(shell.calls.isEmpty()) << shell.calls.join(u'\n').toStdString();
        EXPECT_EQ(list.path(6), member);
        EXPECT_EQ(list.statusText(), QStringLiteral("書庫内1件除外"));
    }
}

TEST_F(ItemCommandsTest, DustBoxFolderIsMadeAndTakenNamesAreNeverOverwritten)
{
    const QString dust = playlistFolder + "ごみ箱";
    select({1, 2});
    items.MoveToDustBox(); // the folder did not exist
    EXPECT_TRUE(QFileInfo(dust).isDir());

    reset();
    touch(dust, "a.mp3");
    touch(dust, "a (2).mp3");
    list.setInfo(1, u"Title A", u"Artist", u"3:05", u"128kbps");
    shell.failOn = {"b.mp3"};
    select({1, 2});
    shell.calls.clear();
    items.MoveToDustBox();
    EXPECT_EQ(shell.calls, (QStringList{QStringLiteral("move %1 -> %2/a (3).mp3").arg(file("a.mp3"), dust),
                                        QStringLiteral("move %1 -> %2/b.mp3").arg(file("b.mp3"), dust)}));
    // One record per move that worked, naming the file as it was stored;
    // the failed move wrote none and kept its row.
    const QByteArray records = readBytes(playlistFolder + DustBoxFileName);
    const QString expected = QStringLiteral("#M3UX\r\n") +
                             record(dust + "/a.mp3", u"A", u"", u"", u"") +
                             record(dust + "/b.mp3", u"B", u"", u"", u"") +
                             record(dust + "/a (3).mp3", u"Title A", u"Artist", u"3:05", u"128kbps");
    EXPECT_EQ(QString::fromUtf8(records), expected);
    EXPECT_EQ(names().first(), QStringLiteral("b.mp3"));
}

TEST_F(ItemCommandsTest, RemovingThePlayingFileLetsThePlayerGoFirst)
{
    select({3, 4});
    items.FileDelete();
    EXPECT_EQ(released, (QStringList{file("c.mp3"), file("d.mp3")}));
    select({1, 2, 3});
    items.MoveToDustBox();
    EXPECT_EQ(emptied, 1); // the list is empty: the stream closes
}

TEST_F(ItemCommandsTest, FavouritesAppendTheSelectedRowsInListOrder)
{
    touch(playlistFolder, FavouritesFileName, "#M3UX\r\n" + record(u"/old.mp3", u"Old", u"", u"", u"").toUtf8());
    list.setInfo(4, u"D", u"Someone", u"4:00", u"256kbps");
    select({5, 4});
    items.AddToFavourites();
    EXPECT_EQ(QString::fromUtf8(readBytes(playlistFolder + FavouritesFileName)),
              QStringLiteral("#M3UX\r\n") + record(u"/old.mp3", u"Old", u"", u"", u"") +
                  record(file("d.mp3"), u"D", u"Someone", u"4:00", u"256kbps") +
                  record(file("e.mp3"), u"E", u"", u"", u""));
    EXPECT_EQ(list.count(), 5);
}

TEST_F(ItemCommandsTest, PlayNextPutsTheRowBelowThePlayingOne)
{
    struct Case {
        const char *name;
        int playing;
        int focused;
        QStringList expectedRows;
        int expectedPlayingNo;
        int expectedPosition;
    };
    const Case cases[] = {
        {"above the playing row", 3, 1, {"b.mp3", "c.mp3", "a.mp3", "d.mp3", "e.mp3"}, 2, 3},
        {"far below it", 2, 5, {"a.mp3", "b.mp3", "e.mp3", "c.mp3", "d.mp3"}, 2, 3},
        {"right below it already", 2, 3, {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}, 2, 3},
        {"the playing row itself", 3, 3, {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}, 3, 3},
        {"nothing playing: to the top", 0, 4, {"d.mp3", "a.mp3", "b.mp3", "c.mp3", "e.mp3"}, 0, 1},
    };
    for (const Case &c : cases) {
        reset();
        list.ListItemForeColorChange(false, 3);
        list.setPlayingNo(c.playing);
        if (c.playing)
            list.ListItemForeColorChange(true, c.playing);
        select({c.focused});
        EXPECT_EQ(items.PlayNext(c.focused), c.expectedPosition) << c.name;
        EXPECT_EQ(names(), c.expectedRows) << c.name;
        EXPECT_EQ(list.PlayingNo(), c.expectedPlayingNo) << c.name;
        for (int i = 1; i <= list.count(); ++i)
            EXPECT_EQ(list.cellText(i, TrackRow::NoCell), QString::number(i)) << c.name;
    }
}

TEST_F(ItemCommandsTest, ClearingNamesANewDatedListAndTouchesNoFile)
{
    items.ClearPlaylist();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.PlaylistAddress(), QStringLiteral("Playlist20240131093005"));
    EXPECT_TRUE(shell.calls.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(file("a.mp3")));
}

TEST_F(ItemCommandsTest, ErrorTracksGoAndNothingElse)
{
    list.setIcon(2, TrackRow::FailedIcon);
    list.setIcon(5, TrackRow::FailedIcon);
    items.RemoveErrorTracks();
    EXPECT_EQ(names(), (QStringList{"a.mp3", "c.mp3", "d.mp3"}));
    EXPECT_EQ(list.PlayingNo(), 2);
    items.RemoveErrorTracks();
    EXPECT_EQ(list.count(), 3);
    EXPECT_TRUE(shell.calls.isEmpty());
}

TEST_F(ItemCommandsTest, TagEditorGetsEachPathWholeAndItsFailureIsToldOnce)
{
    struct Case {
        const char *name;
        QString editor;
        QStringList failOn;
        QStringList expectedCalls;
        QStringList expectedMessages;
    };
    const QString tool = QStringLiteral("/opt/tag tool/edit");
    const Case cases[] = {
        {"every selected file, in list order", tool, {},
         {"start " + tool + " @/a b.mp3", "start " + tool + " @/c.mp3"}, {}},
        {"no editor set", QString(), {}, {}, {ItemCommands::TagEditorMissing}},
        {"the first start fails: the rest are not sent", tool, {"a b.mp3"},
         {"start " + tool + " @/a b.mp3"}, {ItemCommands::TagEditorMissing}},
    };
    for (const Case &c : cases) {
        reset();
        list.setPath(1, music + "/a b.mp3");
        editor = c.editor;
        shell.failOn = c.failOn;
        select({3, 1});
        items.OpenInTagEditor();
        EXPECT_EQ(shell.calls, QStringList(c.expectedCalls).replaceInStrings(QStringLiteral("@"), music)) << c.name;
        EXPECT_EQ(box.shown, c.expectedMessages) << c.name;
    }
}

TEST_F(ItemCommandsTest, FocusedRowCommandsGoToTheShell)
{
    const QString member = ArchiveMemberPath(music + "/set.zip", u"01.mp3");
    list.setPath(2, member);
    select({2, 4});
    items.ShowProperties(4);
    items.OpenContainingFolder(1); // not selected: the first selected row
    EXPECT_EQ(shell.calls, (QStringList{"properties " + file("d.mp3"), "reveal " + music + "/set.zip"}));
    EXPECT_EQ(leftTopmost, 1);
    list.UnselectAll();
    shell.calls.clear();
    items.ShowProperties(1);
    EXPECT_TRUE(shell.calls.isEmpty());
}

// A desktop that cannot show the folder is not met with silence.
TEST_F(ItemCommandsTest, AShellThatShowsNothingIsReported)
{
    const QString member = ArchiveMemberPath(music + "/set.zip", u"01.mp3");
    const struct {
        const char *name;
        std::function<void()> run;
        QStringList failOn;
        QStringList expectedMessages;
    } cases[] = {
        {"the folder is shown", [&] { items.OpenContainingFolder(1); }, {}, {}},
        {"no file manager for the folder", [&] { items.OpenContainingFolder(1); }, {"reveal"},
         {FolderNotShownMessage(music)}},
        {"an archive member: its archive's folder", [&] { items.OpenContainingFolder(2); }, {"reveal"},
         {FolderNotShownMessage(music)}},
        {"the desktop's properties shown", [&] { items.ShowProperties(1); }, {}, {}},
        {"no view for the desktop's properties", [&] { items.ShowProperties(1); }, {"properties"},
         {FolderNotShownMessage(music)}},
    };
    for (const auto &c : cases) {
        reset();
        list.setPath(2, member);
        shell.failOn = c.failOn;
        select({1, 2});
        c.run();
        EXPECT_EQ(shell.calls.size(), 1) << c.name;
        EXPECT_EQ(box.shown, c.expectedMessages) << c.name;
    }
}

TEST_F(ItemCommandsTest, CopyPathCopiesEverySelectedRowInListOrder)
{
    const QString member = ArchiveMemberPath(music + "/set.zip", u"01.mp3");
    list.setPath(2, member);
    const struct {
        const char *name;
        QList<int> selected; // in the order the user picked them
        QStringList clipboard; // empty: nothing copied
    } cases[] = {
        {"one row", {3}, {file("c.mp3")}},
        {"picked bottom up, copied top down", {4, 1, 3}, {file("a.mp3") + "\n" + file("c.mp3") + "\n" + file("d.mp3")}},
        {"an archive member by its marked path", {2, 4}, {member + "\n" + file("d.mp3")}},
        {"nothing selected", {}, {}},
    };
    for (const auto &c : cases) {
        shell.calls.clear();
        list.UnselectAll();
        for (int row : c.selected)
            list.setSelected(row, true);
        items.CopyPath();
        QStringList expected;
        for (const QString &text : c.clipboard)
            expected << "clipboard " + text;
        EXPECT_EQ(shell.calls, expected) << c.name;
    }
}

TEST_F(ItemCommandsTest, CopiesNeverReplaceAFile)
{
    chosenFolder = root.path() + "/copies";
    touch(chosenFolder, "b.mp3");
    select({1, 2});
    items.CopyToFolder();
    EXPECT_EQ(shell.calls, (QStringList{"copy " + file("a.mp3") + " -> " + chosenFolder + "/a.mp3",
                                        "copy " + file("b.mp3") + " -> " + chosenFolder + "/b (2).mp3"}));
    EXPECT_EQ(list.statusText(), QStringLiteral("別名1件"));
    EXPECT_EQ(beeps, 1);

    chosenFolder.clear(); // the dialog was cancelled
    shell.calls.clear();
    items.CopyToFolder();
    EXPECT_TRUE(shell.calls.isEmpty());
}

TEST(ItemCommandNames, UniqueFilePathFindsTheFirstFreeName)
{
    QTemporaryDir dir;
    for (const char *name : {"song.mp3", "song (2).mp3", "README", ".hidden", "v1.2.ogg"})
        touch(dir.path(), QString::fromUtf8(name));
    struct Case {
        const char *name;
        const char *expected;
    };
    const Case cases[] = {
        {"new.mp3", "new.mp3"},       {"song.mp3", "song (3).mp3"}, {"README", "README (2)"},
        {".hidden", ".hidden (2)"},   {"v1.2.ogg", "v1.2 (2).ogg"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ItemCommands::UniqueFilePath(dir.path(), QString::fromUtf8(c.name)),
                  dir.path() + u'/' + QString::fromUtf8(c.expected))
            << c.name;
}

} // namespace
