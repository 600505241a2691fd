#include "core/MessageService.h"
#include "core/RandomSource.h"
#include "library/LibraryCommands.h"
#include "library/LibraryTree.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "QtPrinters.h"
#include "RecordingShell.h"
#include "ScriptedMessageBox.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QCoreApplication &qtApp()
{
    static int argc = 1;
    static char name[] = "test_library";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Every node as "key|text|image/selected image|parent key", sorted, so that
// cases do not depend on the order the file system lists entries in.
QStringList shape(const LibraryTree &tree)
{
    QStringList out;
    for (const TreeNode &n : tree.nodes()) {
        const QString parent = n.parent >= 0 ? tree.nodes()[size_t(n.parent)].key : QStringLiteral("-");
        out << QStringLiteral("%1|%2|%3/%4|%5").arg(n.key, n.text).arg(n.image).arg(n.selectedImage).arg(parent);
    }
    out.sort();
    return out;
}

struct TreeCase {
    const char *name;
    QStringList files;   // files to create, relative to the playlist folder
    QStringList folders; // empty folders to create
    QStringList expected;
};

class TreeBuild : public ::testing::TestWithParam<TreeCase>
{
};

const QString Fav = QStringLiteral("お気に入り.m3u|お気に入り|7/8|-");
const QString Dust = QStringLiteral("ごみ箱.m3u|ごみ箱|10/10|-");

TEST_P(TreeBuild, NodesFromThePlaylistFolder)
{
    qtApp();
    const TreeCase &c = GetParam();
    QTemporaryDir dir;
    const QString folder = dir.path() + "/Playlist/";
    QDir().mkpath(folder);
    for (const QString &f : c.files)
        touchFile(folder + f);
    for (const QString &d : c.folders)
        QDir().mkpath(folder + d);

    LibraryTree tree(folder);
    tree.TreeCreate();
    QStringList expected = c.expected;
    expected << Fav << Dust;
    expected.sort();
    EXPECT_EQ(shape(tree), expected);
    // The favourites always open the tree and the dust box closes it.
    EXPECT_EQ(tree.nodes().front().key, LibraryTree::FavouritesKey);
    EXPECT_EQ(tree.nodes().back().key, LibraryTree::DustBoxKey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TreeBuild,
    ::testing::Values(
        TreeCase{"EmptyFolderHasOnlyTheSpecialLists", {}, {}, {}},
        TreeCase{"OnlyFoldersNoFilesShowsNoCategories", {}, {"Rock", "Jazz/Live"}, {}},
        TreeCase{"AnyFileMakesTheCategoriesAppear",
                 {"AutoPlaylist.m3u"},
                 {"Rock", "Jazz/Live"},
                 {"AutoPlaylist.m3u|AutoPlaylist|5/6|-", "Rock|Rock|3/4|-", "Jazz|Jazz|3/4|-",
                  "Jazz/Live|Live|3/4|Jazz"}},
        TreeCase{"AFileThatIsNoPlaylistAlsoCounts", {"notes.txt"}, {"Rock"}, {"Rock|Rock|3/4|-"}},
        TreeCase{"DustBoxFolderAtTheRootIsNeverACategory",
                 {"AutoPlaylist.m3u", "ごみ箱/song.mp3"},
                 {},
                 {"AutoPlaylist.m3u|AutoPlaylist|5/6|-"}},
        TreeCase{"DustBoxFolderInsideACategoryIsASubCategory",
                 {"AutoPlaylist.m3u"},
                 {"Rock/ごみ箱"},
                 {"AutoPlaylist.m3u|AutoPlaylist|5/6|-", "Rock|Rock|3/4|-", "Rock/ごみ箱|ごみ箱|3/4|Rock"}},
        TreeCase{"SpecialListFilesAreNotAddedTwice",
                 {"お気に入り.m3u", "ごみ箱.m3u", "Mix.m3u"},
                 {},
                 {"Mix.m3u|Mix|5/6|-"}},
        TreeCase{"PlaylistsByTheirLastThreeCharacters",
                 {"LIST.M3U", "abcm3u", "a.m3u8", "List.bak", "cover.jpg"},
                 {},
                 {"LIST.M3U|LIST|5/6|-", "abcm3u|ab|5/6|-"}},
        TreeCase{"CategoryPlaylistsAndSubCategoryPlaylists",
                 {"AutoPlaylist.m3u", "Rock/Best.m3u", "Rock/Best.bak", "Rock/Live/Tokyo.m3u"},
                 {},
                 {"AutoPlaylist.m3u|AutoPlaylist|5/6|-", "Rock|Rock|3/4|-", "Rock/Best.m3u|Best|5/6|Rock",
                  "Rock/Live|Live|3/4|Rock", "Rock/Live/Tokyo.m3u|Tokyo|5/6|Rock/Live"}},
        TreeCase{"NoThirdLevel",
                 {"AutoPlaylist.m3u", "Rock/Live/1990/Deep.m3u"},
                 {},
                 {"AutoPlaylist.m3u|AutoPlaylist|5/6|-", "Rock|Rock|3/4|-", "Rock/Live|Live|3/4|Rock"}},
        TreeCase{"HiddenEntriesAreNotListed",
                 {"AutoPlaylist.m3u", ".secret.m3u", ".Hidden/x.m3u"},
                 {},
                 {"AutoPlaylist.m3u|AutoPlaylist|5/6|-"}}),
    [](const ::testing::TestParamInfo<TreeCase> &info) { return std::string(info.param.name); });

TEST(TreeBuildOrder, CategoriesComeBeforeRootPlaylistsAndChildrenFollowTheirParent)
{
    qtApp();
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    touchFile(folder + "AutoPlaylist.m3u");
    touchFile(folder + "Rock/Best.m3u");
    touchFile(folder + "Rock/Live/Tokyo.m3u");
    LibraryTree tree(folder);
    tree.TreeCreate();

    QStringList keys;
    for (const TreeNode &n : tree.nodes())
        keys << n.key;
    // A category's sub-categories (with their playlists) come before its own playlists.
    EXPECT_EQ(keys, (QStringList{"お気に入り.m3u", "Rock", "Rock/Live", "Rock/Live/Tokyo.m3u", "Rock/Best.m3u",
                                 "AutoPlaylist.m3u", "ごみ箱.m3u"}));
    EXPECT_EQ(tree.fullPath(tree.indexOfKey("Rock/Live/Tokyo.m3u")), "Rock/Live/Tokyo");
    EXPECT_EQ(tree.fullPath(tree.indexOfKey("AutoPlaylist.m3u")), "AutoPlaylist");
    EXPECT_TRUE(tree.isCategory(tree.indexOfKey("Rock/Live")));
    EXPECT_FALSE(tree.isAtRoot(tree.indexOfKey("Rock/Live")));
}

TEST(TreeBuildOrder, MissingPlaylistFolderGivesTheSpecialListsOnly)
{
    qtApp();
    LibraryTree tree(QStringLiteral("/nonexistent/velmora/Playlist"));
    tree.TreeCreate();
    QStringList expected{Fav, Dust};
    expected.sort();
    EXPECT_EQ(shape(tree), expected);
}

TEST(TreeReselection, TheSelectedKeySurvivesARebuildOrIsDropped)
{
    qtApp();
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    touchFile(folder + "AutoPlaylist.m3u");
    touchFile(folder + "Rock/Best.m3u");
    LibraryTree tree(folder);
    tree.TreeCreate();

    ASSERT_TRUE(tree.selectKey("Rock/Best.m3u"));
    touchFile(folder + "Jazz/Blue.m3u"); // a new category lands before or after Rock
    tree.TreeCreate();
    EXPECT_EQ(tree.selectedKey(), "Rock/Best.m3u");
    EXPECT_EQ(tree.selectedNode().fullPath, "Rock/Best");

    QFile::remove(folder + "Rock/Best.m3u");
    tree.TreeCreate();
    EXPECT_EQ(tree.selectedIndex(), -1);
    EXPECT_FALSE(tree.selectKey("Rock/Best.m3u"));
    EXPECT_FALSE(tree.selectedNode().valid);
}

// --- node click and right click ----------------------------------------------------

// A desktop whose trash is a folder of the test, so that what went there can be looked at.
struct TrashShell : RecordingShell {
    QString trashFolder;
    bool refuse = false;
    int moved = 0;

    bool remove(const QString &path, bool toTrash) override
    {
        RecordingShell::remove(path, toTrash);
        if (!toTrash || refuse || trashFolder.isEmpty())
            return false;
        QDir().mkpath(trashFolder);
        return QDir().rename(path, trashFolder + QStringLiteral("/%1-").arg(++moved) + QFileInfo(path).fileName());
    }
};

struct NodeClickTest : ::testing::Test {
    QTemporaryDir dir;
    QString folder;
    QString music;
    TrackList list;
    std::unique_ptr<PlaylistStore> store;
    std::unique_ptr<LibraryTree> tree;
    ScriptedMessageBox box;
    MessageService messages{box, box, QStringLiteral("Velmora")};
    std::unique_ptr<TrackAdder> adder;
    TrashShell shell;
    std::unique_ptr<LibraryCommands> commands;
    bool ask = false;
    int searchCleared = 0;
    QString playing;

    void SetUp() override
    {
        qtApp();
        folder = dir.path() + "/Playlist/";
        music = dir.path() + "/music/";
        for (const char *name : {"a.mp3", "b.mp3", "c.mp3"})
            touchFile(music + name);
        writePlaylist("AutoPlaylist.m3u", {"a.mp3", "b.mp3"});
        writePlaylist("Rock/Best.m3u", {"c.mp3", "a.mp3"});
        shell.trashFolder = dir.path() + "/trash";
        store = std::make_unique<PlaylistStore>(list, folder);
        tree = std::make_unique<LibraryTree>(folder);
        PlaylistTreeHooks hooks;
        hooks.selectedNodeIsCategory = [this] { return tree->selectedIsCategory(); };
        store->setTreeHooks(hooks);
        adder = std::make_unique<TrackAdder>(list, *store);
        commands = std::make_unique<LibraryCommands>(*tree, list, *store, *adder, messages, &shell);
        LibraryCommandHooks h;
        h.askBeforeAutoSave = [this] { return ask; };
        h.clearSearch = [this] { ++searchCleared; };
        h.playingFilePath = [this] { return playing; };
        commands->setHooks(h);
        tree->TreeCreate();

        store->LoadPlaylist(folder + "AutoPlaylist.m3u");
        list.RenumberList();
        list.setPlaylistAddress(AutoPlaylistName);
        tree->selectKey("AutoPlaylist.m3u");
    }

    void writePlaylist(const QString &name, const QStringList &tracks)
    {
        QByteArray text;
        for (const QString &t : tracks)
            text += (music + t).toUtf8() + "\r\n";
        touchFile(folder + name, text);
    }

    QStringList names() const
    {
        QStringList out;
        for (int i = 1; i <= list.count(); ++i)
            out << QFileInfo(list.path(i)).fileName();
        return out;
    }
};

TEST_F(NodeClickTest, PlaylistNodeSavesTheOpenListThenLoadsTheNode)
{
    // An unsaved change to the open list reaches its file before the switch.
    list.appendRow(list.makeRow(music + "c.mp3"));
    commands->NodeClick(tree->indexOfKey("Rock/Best.m3u"));

    EXPECT_EQ(names(), (QStringList{"c.mp3", "a.mp3"}));
    EXPECT_EQ(list.PlaylistAddress(), "Rock/Best");
    EXPECT_EQ(list.cellText(2, TrackRow::NoCell), "2");
    EXPECT_EQ(list.statusText(), "0 / 2");
    EXPECT_EQ(searchCleared, 1);
    EXPECT_TRUE(readBytes(folder + "AutoPlaylist.m3u").contains("c.mp3"));
    // The file that was replaced keeps its backup.
    EXPECT_TRUE(QFileInfo::exists(folder + "AutoPlaylist.bak"));
    EXPECT_TRUE(box.asked.isEmpty());
}

TEST_F(NodeClickTest, AnsweringNoSkipsTheSaveButStillOpensTheNode)
{
    ask = true;
    box.answer = MessageService::No;
    const QByteArray before = readBytes(folder + "AutoPlaylist.m3u");
    list.appendRow(list.makeRow(music + "c.mp3"));

    commands->NodeClick(tree->indexOfKey("Rock/Best.m3u"));
    EXPECT_EQ(box.asked, QStringList{"変更を保存しますか？"});
    EXPECT_EQ(box.styles, QList<int>{4});
    EXPECT_EQ(readBytes(folder + "AutoPlaylist.m3u"), before);
    EXPECT_EQ(searchCleared, 0);
    EXPECT_EQ(names(), (QStringList{"c.mp3", "a.mp3"}));
}

TEST_F(NodeClickTest, CategoryNodeSavesAndOpensNothing)
{
    list.appendRow(list.makeRow(music + "c.mp3"));
    commands->NodeClick(tree->indexOfKey("Rock"));
    EXPECT_EQ(list.PlaylistAddress(), AutoPlaylistName);
    EXPECT_EQ(names(), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_TRUE(readBytes(folder + "AutoPlaylist.m3u").contains("c.mp3"));
    // A category is selected now, so no backup is taken.
    EXPECT_FALSE(QFileInfo::exists(folder + "AutoPlaylist.bak"));

    ask = true;
    box.answer = MessageService::No;
    list.appendRow(list.makeRow(music + "b.mp3"));
    commands->NodeClick(tree->indexOfKey("Rock"));
    EXPECT_EQ(readBytes(folder + "AutoPlaylist.m3u").count("b.mp3"), 1);
}

TEST_F(NodeClickTest, MissingSpecialListGivesAnEmptyList)
{
    commands->NodeClick(tree->indexOfKey(LibraryTree::DustBoxKey));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.PlaylistAddress(), "ごみ箱");
}

TEST_F(NodeClickTest, ThePlayingTrackIsMarkedAgainInTheNewList)
{
    playing = (music + "A.MP3"); // found again ignoring letter case
    commands->NodeClick(tree->indexOfKey("Rock/Best.m3u"));
    EXPECT_EQ(list.PlayingNo(), 2);
    EXPECT_EQ(list.PlayoldNo(), 2);
    EXPECT_EQ(list.icon(2), 2);
    EXPECT_TRUE(list.isSelected(2));
    EXPECT_FALSE(list.isSelected(1));
    EXPECT_EQ(list.rowColor(2), list.activeItemColor());
    EXPECT_EQ(list.statusText(), "2 / 2");

    playing = music + "b.mp3"; // not in this list
    commands->NodeClick(tree->indexOfKey("Rock/Best.m3u"));
    EXPECT_EQ(list.PlayingNo(), 0);
    EXPECT_EQ(list.PlayoldNo(), 0);
}

TEST_F(NodeClickTest, ASecondClickDuringALoadOwnsTheListAndTheAddress)
{
    // A list long enough that its load lets events run.
    QByteArray big;
    for (int i = 0; i < 40000; ++i)
        big += (music + "b.mp3\r\n").toUtf8();
    touchFile(folder + "Big.m3u", big);
    tree->TreeCreate();
    bool fired = false;
    QTimer::singleShot(0, [&] {
        fired = true;
        commands->NodeClick(tree->indexOfKey("Rock/Best.m3u"));
    });
    commands->NodeClick(tree->indexOfKey("Big.m3u"));
    ASSERT_TRUE(fired);
    EXPECT_EQ(list.PlaylistAddress(), "Rock/Best");
    EXPECT_EQ(names(), (QStringList{"c.mp3", "a.mp3"}));
    EXPECT_EQ(tree->selectedKey(), "Rock/Best.m3u");
}

// The address box is typed by hand and becomes a file name on save.
struct UnsafeAddress {
    const char *name;
    const char *address;
};

class UnsafeAddressSave : public NodeClickTest, public ::testing::WithParamInterface<UnsafeAddress>
{
};

TEST_P(UnsafeAddressSave, IsRefusedAndNothingIsWrittenOutsideThePlaylistFolder)
{
    const QString address = QString::fromUtf8(GetParam().address).replace("@", dir.path());
    list.setPlaylistAddress(address);
    commands->NodeClick(tree->indexOfKey("Rock/Best.m3u"));

    // The switch still happens; only the save was skipped.
    EXPECT_EQ(list.PlaylistAddress(), "Rock/Best");
    QStringList written;
    QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        written << QDir(dir.path()).relativeFilePath(it.next());
    written.sort();
    EXPECT_EQ(written, (QStringList{"Playlist/AutoPlaylist.m3u", "Playlist/Rock/Best.m3u", "music/a.mp3",
                                    "music/b.mp3", "music/c.mp3"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, UnsafeAddressSave,
                         ::testing::Values(UnsafeAddress{"ParentFolder", "../escaped"},
                                           UnsafeAddress{"ParentInTheMiddle", "Rock/../../escaped"},
                                           UnsafeAddress{"AbsolutePath", "@/escaped"},
                                           UnsafeAddress{"EmptySegment", "Rock//escaped"},
                                           UnsafeAddress{"TrailingSlash", "Rock/"},
                                           UnsafeAddress{"DotSegment", "./escaped"},
                                           UnsafeAddress{"Empty", ""}),
                         [](const ::testing::TestParamInfo<UnsafeAddress> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(NodeClickTest, RightClickSelectsWithoutOpeningAndClearsTheTracks)
{
    list.SelectAll();
    commands->TreeRightClick(tree->indexOfKey("Rock/Best.m3u"));
    EXPECT_EQ(tree->selectedKey(), "Rock/Best.m3u");
    EXPECT_FALSE(commands->TreeBlankClick());
    EXPECT_EQ(list.PlaylistAddress(), AutoPlaylistName);
    EXPECT_EQ(names(), (QStringList{"a.mp3", "b.mp3"}));
    EXPECT_FALSE(list.isSelected(1) || list.isSelected(2));

    // Empty space keeps the node and the tracks' selection.
    list.SelectAll();
    commands->TreeRightClick(-1);
    EXPECT_TRUE(commands->TreeBlankClick());
    EXPECT_EQ(tree->selectedKey(), "Rock/Best.m3u");
    EXPECT_TRUE(list.isSelected(1) && list.isSelected(2));

    // So does the node that is already selected.
    commands->TreeRightClick(tree->indexOfKey("Rock/Best.m3u"));
    EXPECT_TRUE(list.isSelected(1) && list.isSelected(2));
}

} // namespace
