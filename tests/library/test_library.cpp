#include "archive/ZipOperations.h"
#include "core/MessageService.h"
#include "core/RandomSource.h"
#include "core/SafeName.h"
#include "library/LibraryCommands.h"
#include "library/LibraryTree.h"
#include "library/LibraryTreeModel.h"
#include "library/TreeColors.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "CoreTestApp.h"
#include "LogicDoubles.h"
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

// The program's one application object, shared with the other files of this test.
QCoreApplication &qtApp()
{
    return coreTestApp();
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
    CommandDoubles doubles;
    CountingFilter search;
    MapFolders folders;
    ScriptedArchives archives;
    bool &ask = doubles.settings.ask;
    int &searchCleared = search.cleared;
    QString &playing = doubles.playing.playing;

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
        tree = std::make_unique<LibraryTree>(folder);
        store = std::make_unique<PlaylistStore>(list, folder, *tree);
        adder = std::make_unique<TrackAdder>(list, *store, folders, archives, *tree, doubles.dialogs);
        commands = std::make_unique<LibraryCommands>(*tree, list, *store, *adder, messages, &shell,
                                                     doubles.libraryServices(search));
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


// --- the commands of the tree menu, label editing and the administration menu -----------

// A random source that gives the numbers it was handed, in order.
struct ScriptedRandom : RandomSource {
    QList<int> draws;
    int between(int, int) override { return draws.isEmpty() ? 1 : draws.takeFirst(); }
};

struct CommandTest : NodeClickTest {
    QList<int> &edited = doubles.labels.edited;
    int &beeps = doubles.beeper.beeps;
    QString &chosen = doubles.dialogs.answer; // what the open dialog answers
    ScriptedRandom random;

    void SetUp() override
    {
        NodeClickTest::SetUp();
        writePlaylist("Rock/Live/Tokyo.m3u", {"b.mp3"});
        touchFile(folder + "Rock/Best.bak", "old");
        touchFile(folder + "AutoPlaylist.bak", "old");
        commands->setRandomSource(&random);
        tree->TreeCreate();
    }

    int node(const QString &key) const { return tree->indexOfKey(key); }
    QString parentKey(int index) const
    {
        const int p = tree->parentOf(index);
        return p >= 0 ? tree->nodes()[size_t(p)].key : QStringLiteral("-");
    }
    // Every file and folder under the test folder, relative to it.
    QStringList entries() const
    {
        QStringList out;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(dir.path()).relativeFilePath(it.next());
        out.sort();
        return out;
    }
    // Right-clicks `key` ("" for blank space) as the menu's commands expect.
    void pointAt(const QString &key) { commands->TreeRightClick(key.isEmpty() ? -1 : node(key)); }
};

struct CreateCase {
    const char *name;
    bool category;
    const char *pointedAt; // "" = blank tree space
    const char *expectedKey;
    const char *expectedParent; // "-" = root
    int expectedPosition;       // among the parent's children; -1 = last
    const char *madeFirstAt = nullptr; // the same command ran there first, in the same minute
};

class Create : public CommandTest, public ::testing::WithParamInterface<CreateCase>
{
};

TEST_P(Create, MakesTheEntryAndTheNodeInItsPlaceThenEditsItsLabel)
{
    const CreateCase &c = GetParam();
    auto create = [&] { return c.category ? commands->CreateCategory() : commands->CreatePlaylist(); };
    if (c.madeFirstAt) {
        pointAt(QString::fromUtf8(c.madeFirstAt));
        ASSERT_GE(create(), 0);
        edited.clear();
    }
    list.appendRow(list.makeRow(music + "c.mp3")); // the tracks on screen, unsaved
    const QString openBefore = list.PlaylistAddress();
    pointAt(QString::fromUtf8(c.pointedAt));
    const int made = create();

    const QString key = QString::fromUtf8(c.expectedKey);
    ASSERT_GE(made, 0);
    EXPECT_EQ(tree->nodes()[size_t(made)].key, key);
    EXPECT_EQ(parentKey(made), QString::fromUtf8(c.expectedParent));
    const int siblings = int(std::count_if(tree->nodes().begin(), tree->nodes().end(),
                                           [&](const TreeNode &n) { return n.parent == tree->parentOf(made); }));
    EXPECT_EQ(tree->positionOf(made), c.expectedPosition < 0 ? siblings - 1 : c.expectedPosition);
    EXPECT_EQ(tree->selectedIndex(), made);
    EXPECT_EQ(edited, QList<int>{made});
    if (c.category) {
        EXPECT_TRUE(QFileInfo(folder + key).isDir());
        EXPECT_EQ(list.PlaylistAddress(), AutoPlaylistName);
    } else {
        // The new playlist is a copy of the tracks on screen, and is the open one now.
        EXPECT_EQ(list.PlaylistAddress(), key.chopped(4));
        EXPECT_EQ(names(), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
        EXPECT_EQ(readBytes(folder + key).count(".mp3"), 3);
        // The list that was open was saved first.
        EXPECT_TRUE(readBytes(folder + openBefore + ".m3u").contains("c.mp3"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Create,
    ::testing::Values(
        CreateCase{"PlaylistOverBlankSpace", false, "", "Playlist202401310930.m3u", "-", -1},
        CreateCase{"PlaylistOverARootPlaylist", false, "AutoPlaylist.m3u", "Playlist202401310930.m3u", "-", -1},
        CreateCase{"PlaylistOverTheFavourites", false, "お気に入り.m3u", "Playlist202401310930.m3u", "-", -1},
        CreateCase{"PlaylistInACategory", false, "Rock", "Rock/Playlist202401310930.m3u", "Rock", -1},
        CreateCase{"PlaylistInASubCategory", false, "Rock/Live", "Rock/Live/Playlist202401310930.m3u", "Rock/Live",
                   -1},
        CreateCase{"PlaylistBesideAPlaylistOfACategory", false, "Rock/Best.m3u", "Rock/Playlist202401310930.m3u",
                   "Rock", -1},
        CreateCase{"PlaylistBesideOneOfTheSameMinute", false, "Rock/Playlist202401310930.m3u",
                   "Rock/Playlist202401310930 (2).m3u", "Rock", -1, "Rock"},
        CreateCase{"CategoryOverBlankSpace", true, "", "Category202401310930", "-", -1},
        CreateCase{"CategoryOverTheDustBox", true, "ごみ箱.m3u", "Category202401310930", "-", -1},
        CreateCase{"CategoryInARootCategory", true, "Rock", "Rock/Category202401310930", "Rock", -1},
        CreateCase{"CategoryBesideAPlaylistOfACategoryComesFirst", true, "Rock/Best.m3u", "Rock/Category202401310930",
                   "Rock", 0},
        CreateCase{"CategoryInsideTheSelectedSubCategoryLevel", true, "Rock/Live/Tokyo.m3u",
                   "Rock/Live/Category202401310930", "Rock/Live", 0},
        CreateCase{"CategoryBesideOneOfTheSameMinute", true, "Rock/Category202401310930",
                   "Rock/Category202401310930 (2)", "Rock", 0, "Rock"}),
    [](const ::testing::TestParamInfo<CreateCase> &info) { return std::string(info.param.name); });

struct RenameCase {
    const char *name;
    const char *key;
    const char *text;
    bool renamed;
    QStringList present; // relative to the playlist folder, afterwards
    QStringList absent;
    const char *address = ""; // the address afterwards ("" = unchanged)
    const char *open = "";    // the address before ("" = AutoPlaylist)
    const char *shown = nullptr; // the node's text afterwards when not the typed text
};

class Rename : public CommandTest, public ::testing::WithParamInterface<RenameCase>
{
};

TEST_P(Rename, RenamesTheEntryOrRefusesWithoutReplacingAnything)
{
    const RenameCase &c = GetParam();
    touchFile(folder + "Taken.m3u", "taken");
    QDir().mkpath(folder + "Rock/Empty");
    tree->TreeCreate();
    if (*c.open)
        list.setPlaylistAddress(QString::fromUtf8(c.open));
    const QString before = list.PlaylistAddress();
    const int index = node(QString::fromUtf8(c.key));
    ASSERT_GE(index, 0);
    const QString oldText = tree->nodes()[size_t(index)].text;
    commands->LabelEditBegin(index);
    EXPECT_EQ(commands->LabelEditBefore(), oldText);

    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(commands->LabelEditEnd(index, text), c.renamed);
    EXPECT_EQ(tree->nodes()[size_t(index)].text, c.renamed ? (c.shown ? QString::fromUtf8(c.shown) : text) : oldText);
    EXPECT_EQ(box.asked.size(), c.renamed ? 0 : 1) << "one message for a refusal, none otherwise";
    for (const QString &p : c.present)
        EXPECT_TRUE(QFileInfo::exists(folder + p)) << p.toStdString();
    for (const QString &p : c.absent)
        EXPECT_FALSE(QFileInfo::exists(folder + p)) << p.toStdString();
    EXPECT_EQ(readBytes(folder + "Taken.m3u"), "taken");
    EXPECT_EQ(list.PlaylistAddress(), *c.address ? QString::fromUtf8(c.address) : before);
    // Nothing was made outside the playlist folder.
    for (const QString &e : entries())
        EXPECT_TRUE(e.startsWith("Playlist") || e.startsWith("music")) << e.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rename,
    ::testing::Values(
        RenameCase{"OpenRootPlaylistWithItsBackup", "AutoPlaylist.m3u", "Mix", true,
                   {"Mix.m3u", "Mix.bak"}, {"AutoPlaylist.m3u", "AutoPlaylist.bak"}, "Mix"},
        RenameCase{"PlaylistOfACategory", "Rock/Best.m3u", "Top", true, {"Rock/Top.m3u", "Rock/Top.bak"},
                   {"Rock/Best.m3u"}},
        RenameCase{"KeepingTheNameChangesNothing", "Rock/Best.m3u", "Best", true, {"Rock/Best.m3u"}, {}},
        RenameCase{"ToATakenPlaylistName", "AutoPlaylist.m3u", "Taken", false, {"AutoPlaylist.m3u"}, {}},
        RenameCase{"CategoryToAnEmptyFolderOfTheSameName", "Rock/Live", "Empty", false,
                   {"Rock/Live/Tokyo.m3u", "Rock/Empty"}, {}},
        RenameCase{"CategoryHoldingTheOpenPlaylist", "Rock", "Metal", true, {"Metal/Best.m3u", "Metal/Live/Tokyo.m3u"},
                   {"Rock"}, "Metal/Live/Tokyo", "Rock/Live/Tokyo"},
        RenameCase{"SubCategoryHoldingTheOpenPlaylist", "Rock/Live", "Budokan", true, {"Rock/Budokan/Tokyo.m3u"},
                   {"Rock/Live"}, "Rock/Budokan/Tokyo", "Rock/Live/Tokyo"},
        RenameCase{"APrefixOfTheAddressIsNotItsFolder", "Rock", "Metal", true, {"Metal/Best.m3u"}, {}, "Rocky/X",
                   "Rocky/X"},
        RenameCase{"Separator", "Rock/Best.m3u", "../Best", false, {"Rock/Best.m3u"}, {"Best.m3u"}},
        RenameCase{"ATypedExtensionIsNotDoubled", "Rock/Best.m3u", "Top.M3U", true, {"Rock/Top.m3u"},
                   {"Rock/Top.M3U.m3u", "Rock/Top.m3u.m3u", "Rock/Best.m3u"}, "", "", "Top"},
        RenameCase{"ACategoryTypedWithTheExtensionIsNamedWithout", "Rock/Live", "Budokan.m3u", true,
                   {"Rock/Budokan/Tokyo.m3u"}, {"Rock/Budokan.m3u"}, "", "", "Budokan"},
        RenameCase{"SpacesAtTheEndsAreDropped", "Rock/Best.m3u", "  Top  ", true, {"Rock/Top.m3u"},
                   {"Rock/  Top  .m3u"}, "", "", "Top"},
        RenameCase{"OnlyAnExtensionIsNoName", "Rock/Best.m3u", ".m3u", false, {"Rock/Best.m3u"}, {"Rock/.m3u"}},
        RenameCase{"SlashInside", "Rock", "A/B", false, {"Rock/Best.m3u"}, {"A"}},
        RenameCase{"Backslash", "Rock", "A\\B", false, {"Rock/Best.m3u"}, {}},
        RenameCase{"DotDot", "Rock", "..", false, {"Rock/Best.m3u"}, {}},
        RenameCase{"Empty", "Rock/Best.m3u", "", false, {"Rock/Best.m3u"}, {}},
        RenameCase{"Hidden", "Rock/Best.m3u", ".Best", false, {"Rock/Best.m3u"}, {"Rock/.Best.m3u"}},
        RenameCase{"ControlCharacter", "Rock/Best.m3u", "a\tb", false, {"Rock/Best.m3u"}, {}},
        RenameCase{"TheFavourites", "お気に入り.m3u", "Fav", false, {}, {"Fav.m3u"}},
        RenameCase{"TheDustBox", "ごみ箱.m3u", "Dust", false, {}, {"Dust.m3u"}},
        RenameCase{"ARootPlaylistToTheFavouritesName", "AutoPlaylist.m3u", "お気に入り", false,
                   {"AutoPlaylist.m3u"}, {"お気に入り.m3u"}},
        RenameCase{"ARootCategoryToTheDustBoxFolderName", "Rock", "ごみ箱", false, {"Rock/Best.m3u"}, {"ごみ箱"}},
        RenameCase{"TheDustBoxNameInsideACategoryIsFine", "Rock/Live", "ごみ箱", true, {"Rock/ごみ箱/Tokyo.m3u"},
                   {}}),
    [](const ::testing::TestParamInfo<RenameCase> &info) { return std::string(info.param.name); });

struct RefusalCase {
    const char *name;
    const char *key;
    const char *text;
    QString message;
};

class RenameRefusal : public CommandTest, public ::testing::WithParamInterface<RefusalCase>
{
};

// A refused rename says what is wrong, in the words the other typed names use.
TEST_P(RenameRefusal, SaysWhatIsWrongWithTheName)
{
    const RefusalCase &c = GetParam();
    touchFile(folder + "Taken.m3u", "taken");
    QDir().mkpath(folder + "Rock/Empty");
    tree->TreeCreate();
    const int index = node(QString::fromUtf8(c.key));
    ASSERT_GE(index, 0);
    EXPECT_FALSE(commands->LabelEditEnd(index, QString::fromUtf8(c.text)));
    EXPECT_EQ(box.asked, QStringList{c.message});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenameRefusal,
    ::testing::Values(
        RefusalCase{"ATakenPlaylistName", "AutoPlaylist.m3u", "Taken", "プレイリスト\"Taken\"は既にあります。"},
        RefusalCase{"ATakenCategoryName", "Rock/Live", "Empty", "カテゴリ\"Empty\"は既にあります。"},
        RefusalCase{"ASlash", "Rock", "A/B", UnsafeNameMessage("A/B")},
        RefusalCase{"AnEmptyName", "Rock/Best.m3u", "  ", UnsafeNameMessage("")},
        RefusalCase{"AHiddenName", "Rock/Best.m3u", ".Best", UnsafeNameMessage(".Best")},
        RefusalCase{"DotDot", "Rock", "..", UnsafeNameMessage("..")},
        RefusalCase{"TheFavouritesNameAtTheRoot", "AutoPlaylist.m3u", "お気に入り",
                    "\"お気に入り\" は名前に使えません。\r\n「お気に入り」「ごみ箱」は特殊なリストの名前です。"},
        RefusalCase{"TheDustBoxItself", "ごみ箱.m3u", "Dust", "特殊なリストのため名前を変更できません"}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

struct ModelRenameCase {
    const char *name;
    const char *key;
    const char *text;
    bool renamed;
    const char *label;      // what the node's row shows afterwards
    const char *childKey;   // a node below it, by its key afterwards ("" = none)
    const char *present;    // relative to the playlist folder, afterwards
};

class ModelRename : public CommandTest, public ::testing::WithParamInterface<ModelRenameCase>
{
};

// The tree view edits labels through its model: the text typed reaches the
// label-edit end of the commands, and the row shows what the tree says then.
TEST_P(ModelRename, SetDataRenamesThroughTheLabelEditEnd)
{
    const ModelRenameCase &c = GetParam();
    touchFile(folder + "Taken.m3u", "taken");
    tree->TreeCreate();
    LibraryTreeModel model(*tree, *commands);
    const QPersistentModelIndex row = model.indexOfKey(QString::fromUtf8(c.key));
    ASSERT_TRUE(row.isValid());

    EXPECT_EQ(model.setData(row, QString::fromUtf8(c.text)), c.renamed);
    EXPECT_EQ(row.data().toString(), QString::fromUtf8(c.label));
    EXPECT_EQ(box.asked.size(), c.renamed ? 0 : 1);
    EXPECT_TRUE(QFileInfo::exists(folder + QString::fromUtf8(c.present)));
    if (*c.childKey) {
        const QModelIndex child = model.indexOfKey(QString::fromUtf8(c.childKey));
        ASSERT_TRUE(child.isValid());
        EXPECT_EQ(child.parent(), QModelIndex(row));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelRename,
    ::testing::Values(
        ModelRenameCase{"APlaylistOfACategory", "Rock/Best.m3u", "Top", true, "Top", "", "Rock/Top.m3u"},
        ModelRenameCase{"ACategoryTakesItsPlaylistsAlong", "Rock", "Metal", true, "Metal", "Metal/Best.m3u",
                        "Metal/Live/Tokyo.m3u"},
        ModelRenameCase{"ATakenNameKeepsTheLabel", "AutoPlaylist.m3u", "Taken", false, "AutoPlaylist", "",
                        "AutoPlaylist.m3u"},
        ModelRenameCase{"TheDustBoxKeepsItsName", "ごみ箱.m3u", "Dust", false, "ごみ箱", "", "Taken.m3u"}),
    [](const ::testing::TestParamInfo<ModelRenameCase> &info) { return std::string(info.param.name); });

TEST_F(CommandTest, ARenamedCategoryTakesTheOpenPlaylistsNextSave)
{
    commands->NodeClick(node("Rock/Best.m3u"));
    ASSERT_TRUE(commands->LabelEditEnd(node("Rock"), "Metal"));
    list.appendRow(list.makeRow(music + "b.mp3"));
    commands->AutoSave();
    EXPECT_FALSE(QFileInfo::exists(folder + "Rock")) << "the old folder came back";
    EXPECT_TRUE(readBytes(folder + "Metal/Best.m3u").contains("b.mp3"));
    EXPECT_EQ(tree->selectedKey(), "Metal/Best.m3u");
}

struct DeleteCase {
    const char *name;
    const char *command; // "tree" (the selected node) or "admin" (the open playlist)
    const char *selected;
    const char *open;
    int answer;
    QStringList trashed; // relative to the playlist folder
    QStringList asked;
    QList<int> styles;
    const char *addressAfter;
    const char *selectedAfter;
    bool refuse = false; // the trash refuses
};

class Delete : public CommandTest, public ::testing::WithParamInterface<DeleteCase>
{
};

TEST_P(Delete, SendsWhatTheUserChoseToTheTrashAndNothingElse)
{
    const DeleteCase &c = GetParam();
    QDir().mkpath(folder + "Empty/Inner");
    QDir().mkpath(folder + "Hidden");
    touchFile(folder + "Hidden/.keep");
    touchFile(folder + "お気に入り.m3u");
    tree->TreeCreate();
    commands->NodeClick(node(QString::fromUtf8(c.open)));
    tree->select(node(QString::fromUtf8(c.selected)));
    box.answer = c.answer;
    shell.refuse = c.refuse;
    const QStringList before = entries();

    if (QByteArray(c.command) == "tree")
        commands->DeleteSelected();
    else
        commands->DeleteOpenPlaylist();

    EXPECT_EQ(box.asked, c.asked);
    EXPECT_EQ(box.styles, c.styles);
    QStringList gone;
    for (const QString &e : before) {
        if (!entries().contains(e))
            gone << e;
    }
    QStringList expectedGone;
    for (const QString &t : c.trashed)
        expectedGone << "Playlist/" + t;
    expectedGone.sort();
    EXPECT_EQ(gone, expectedGone);
    // What went, went to the trash.
    EXPECT_EQ(shell.moved, c.refuse ? 0 : int(c.trashed.size()));
    for (const QString &t : c.trashed)
        EXPECT_EQ(tree->indexOfKey(t), -1) << t.toStdString();
    EXPECT_EQ(list.PlaylistAddress(), QString::fromUtf8(c.addressAfter));
    EXPECT_EQ(tree->selectedKey(), QString::fromUtf8(c.selectedAfter));
}

const QString DeleteBest = QStringLiteral("選択しているプレイリスト\"Rock/Best\"を削除します。\r\nよろしいですか？");

INSTANTIATE_TEST_SUITE_P(
    Cases, Delete,
    ::testing::Values(
        // The tree deletes the node the user pointed at, not the open list.
        DeleteCase{"TreeDeletesThePointedPlaylistAndItsBackup", "tree", "Rock/Best.m3u", "AutoPlaylist.m3u",
                   MessageService::Yes, {"Rock/Best.m3u", "Rock/Best.bak"}, {DeleteBest}, {36}, "AutoPlaylist",
                   "Rock/Live"},
        DeleteCase{"AnsweringNoKeepsIt", "tree", "Rock/Best.m3u", "AutoPlaylist.m3u", MessageService::No, {},
                   {DeleteBest}, {36}, "AutoPlaylist", "Rock/Best.m3u"},
        // The open playlist goes; the node selected next is opened.
        DeleteCase{"AdminDeletesTheOpenPlaylistAndOpensTheNextNode", "admin", "AutoPlaylist.m3u", "AutoPlaylist.m3u",
                   MessageService::Yes, {"AutoPlaylist.m3u", "AutoPlaylist.bak"},
                   {"選択しているプレイリスト\"AutoPlaylist\"を削除します。\r\nよろしいですか？"}, {36}, "ごみ箱",
                   "ごみ箱.m3u"},
        // A category is selected next: the emptied list is a new one.
        DeleteCase{"AdminDeletesTheOpenPlaylistBesideACategory", "admin", "Rock/Best.m3u", "Rock/Best.m3u",
                   MessageService::Yes, {"Rock/Best.m3u", "Rock/Best.bak"}, {DeleteBest}, {36},
                   "Playlist20240131093005", "Rock/Live"},
        DeleteCase{"AdminDeletesTheOpenPlaylistNotTheSelectedOne", "admin", "Rock/Live/Tokyo.m3u", "Rock/Best.m3u",
                   MessageService::Yes, {"Rock/Best.m3u", "Rock/Best.bak"}, {DeleteBest}, {36},
                   "Rock/Live/Tokyo", "Rock/Live/Tokyo.m3u"},
        DeleteCase{"TheFavouritesAreRefused", "admin", "お気に入り.m3u", "お気に入り.m3u", MessageService::Yes, {},
                   {"特殊なリストのため削除できません"}, {16}, "お気に入り", "お気に入り.m3u"},
        DeleteCase{"TheDustBoxIsRefused", "admin", "ごみ箱.m3u", "ごみ箱.m3u", MessageService::Yes, {},
                   {"特殊なリストのため削除できません"}, {16}, "ごみ箱", "ごみ箱.m3u"},
        DeleteCase{"TheTreeDoesNothingOnASpecialList", "tree", "お気に入り.m3u", "AutoPlaylist.m3u",
                   MessageService::Yes, {}, {}, {}, "AutoPlaylist", "お気に入り.m3u"},
        DeleteCase{"ACategoryHoldingPlaylists", "tree", "Rock", "AutoPlaylist.m3u", MessageService::Yes, {},
                   {"削除するカテゴリにプレイリストが残っています"}, {48}, "AutoPlaylist", "Rock"},
        DeleteCase{"ACategoryHoldingAFolder", "tree", "Empty", "AutoPlaylist.m3u", MessageService::Yes, {},
                   {"削除するカテゴリにプレイリストが残っています"}, {48}, "AutoPlaylist", "Empty"},
        DeleteCase{"ACategoryHoldingAHiddenFile", "tree", "Hidden", "AutoPlaylist.m3u", MessageService::Yes, {},
                   {"削除するカテゴリにプレイリストが残っています"}, {48}, "AutoPlaylist", "Hidden"},
        DeleteCase{"AnEmptySubCategorySelectsItsParent", "tree", "Empty/Inner", "AutoPlaylist.m3u",
                   MessageService::Yes, {"Empty/Inner"}, {}, {}, "AutoPlaylist", "Empty"},
        DeleteCase{"ATrashThatRefusesChangesNothing", "admin", "Rock/Best.m3u", "Rock/Best.m3u", MessageService::Yes,
                   {}, {DeleteBest, "\"Best\" をゴミ箱に移動できませんでした。削除していません。"}, {36, 48},
                   "Rock/Best", "Rock/Best.m3u", true}),
    [](const ::testing::TestParamInfo<DeleteCase> &info) { return std::string(info.param.name); });

TEST_F(CommandTest, SaveWritesIntoTheSelectedCategoryWithoutOverwriting)
{
    struct Case {
        const char *name;
        const char *address;
        const char *selected;
        const char *savedAs;
    };
    touchFile(folder + "Jazz/Mix.m3u", "theirs");
    writePlaylist("Mix.m3u", {"a.mp3"});
    tree->TreeCreate();
    const Case cases[] = {
        {"its own place", "Rock/Best", "Rock/Best.m3u", "Rock/Best"},
        {"a root list into a category", "AutoPlaylist", "Rock", "Rock/AutoPlaylist"},
        {"a list of a category into another", "Rock/Best", "Rock/Live", "Rock/Live/Best"},
        {"a name the category has already", "Mix", "Jazz", "Jazz/Mix (2)"},
        {"its own category selected", "Rock/Best", "Rock", "Rock/Best"},
    };
    for (const Case &c : cases) {
        list.setPlaylistAddress(c.address);
        ASSERT_TRUE(tree->selectKey(c.selected)) << c.name;
        beeps = 0;
        commands->SaveOpenPlaylist();
        EXPECT_EQ(list.PlaylistAddress(), c.savedAs) << c.name;
        EXPECT_TRUE(readBytes(folder + c.savedAs + ".m3u").startsWith("#M3UX")) << c.name;
        EXPECT_EQ(beeps, 1) << c.name;
    }
    EXPECT_EQ(readBytes(folder + "Jazz/Mix.m3u"), "theirs");

    beeps = 0;
    list.setPlaylistAddress(QString());
    commands->SaveOpenPlaylist();
    EXPECT_EQ(beeps, 0);
}

TEST_F(CommandTest, ASavedNewPlaylistShowsInTheTreeAtOnce)
{
    struct Case {
        const char *address;
        const char *parent; // "-" = root
    };
    for (const Case &c : {Case{"Album", "-"}, Case{"Rock/Album", "Rock"}, Case{"Rock/Live/Album", "Rock/Live"}}) {
        list.setPlaylistAddress(c.address);
        commands->AutoSave();
        const int made = node(QString::fromUtf8(c.address) + ".m3u");
        ASSERT_GE(made, 0) << c.address;
        EXPECT_EQ(parentKey(made), c.parent);
    }
    // At the root it comes before the dust box, as a rebuild puts it.
    EXPECT_EQ(tree->nodes()[size_t(node("ごみ箱.m3u"))].parent, -1);
    EXPECT_EQ(tree->positionOf(node("Album.m3u")) + 1, tree->positionOf(node("ごみ箱.m3u")));
}

TEST_F(CommandTest, OpenPlaylistFile)
{
    struct Case {
        const char *name;
        QString chosen;
        const char *address; // "" = nothing changed
        QStringList tracks;
    };
    ask = true; // the clicks below never save the list
    box.answer = MessageService::No;
    touchFile(dir.path() + "/elsewhere/Rock.m3u", (music + "c.mp3\r\n").toUtf8());
    touchFile(dir.path() + "/elsewhere/AutoPlaylist.m3u", (music + "b.mp3\r\n").toUtf8());
    QDir().mkpath(dir.path() + "/elsewhere/folder.m3u");
    const Case cases[] = {
        {"cancelled", QString(), "", {}},
        {"a folder", dir.path() + "/elsewhere/folder.m3u", "", {}},
        {"a missing file", dir.path() + "/elsewhere/none.m3u", "", {}},
        {"an outside file", dir.path() + "/elsewhere/Rock.m3u", "Rock", {"c.mp3"}},
        {"an outside file named like a playlist", dir.path() + "/elsewhere/AutoPlaylist.m3u", "AutoPlaylist (2)",
         {"b.mp3"}},
        {"a playlist of the library", folder + "Rock/Live/Tokyo.m3u", "Rock/Live/Tokyo", {"b.mp3"}},
    };
    for (const Case &c : cases) {
        commands->NodeClick(node("AutoPlaylist.m3u"));
        const QByteArray saved = readBytes(folder + "AutoPlaylist.m3u");
        list.appendRow(list.makeRow(music + "c.mp3")); // unsaved
        chosen = c.chosen;
        commands->OpenPlaylistFile();
        if (*c.address) {
            EXPECT_EQ(list.PlaylistAddress(), c.address) << c.name;
            EXPECT_EQ(names(), c.tracks) << c.name;
            EXPECT_EQ(list.cellText(1, TrackRow::NoCell), "1") << c.name;
        } else {
            EXPECT_EQ(list.PlaylistAddress(), AutoPlaylistName) << c.name;
            EXPECT_EQ(names(), (QStringList{"a.mp3", "b.mp3", "c.mp3"})) << c.name;
        }
        if (*c.address) {
            EXPECT_TRUE(readBytes(folder + "AutoPlaylist.m3u").contains((music + "c.mp3").toUtf8()))
                << c.name << ": the replaced list is kept in its file first";
        } else {
            EXPECT_EQ(readBytes(folder + "AutoPlaylist.m3u"), saved) << c.name;
        }
    }
}

TEST_F(CommandTest, ShuffleDrawsAgainOnItsOwnPlaceAndKeepsEveryRowOnce)
{
    struct Case {
        const char *name;
        QStringList rows;
        QList<int> draws;
        QStringList expected;
    };
    const Case cases[] = {
        // i=1 draws 1 (again), 3: c b a; i=2 draws 2 (again), 1: b c a; i=3 draws 2: b a c.
        {"three rows", {"a", "b", "c"}, {1, 3, 2, 1, 2}, {"b", "a", "c"}},
        {"two rows swap twice", {"a", "b"}, {2, 1}, {"a", "b"}},
        {"one row stays", {"a"}, {}, {"a"}},
        {"no rows", {}, {}, {}},
    };
    for (const Case &c : cases) {
        list.ClearList();
        for (const QString &r : c.rows)
            list.appendRow(list.makeRow(music + r + ".mp3"));
        list.RenumberList();
        list.SelectAll();
        random.draws = c.draws;
        commands->Shuffle();
        QStringList got;
        for (int i = 1; i <= list.count(); ++i)
            got << QFileInfo(list.path(i)).completeBaseName();
        EXPECT_EQ(got, c.expected) << c.name;
        // Fewer than two rows stay as they were, selection and all.
        EXPECT_EQ(list.SelectItemCount(), c.rows.size() < 2 ? int(c.rows.size()) : 0) << c.name;
        EXPECT_TRUE(random.draws.isEmpty()) << c.name;
    }

    // Many rows: each is there once, the playing row is found again, a
    // failed row keeps its mark, and nothing is saved.
    StdRandomSource seeded(7);
    commands->setRandomSource(&seeded);
    list.ClearList();
    for (int i = 0; i < 200; ++i)
        list.appendRow(list.makeRow(music + QString::number(i) + ".mp3"));
    list.RenumberList();
    list.setIcon(50, 9);
    list.setPlayingNo(10);
    list.ListItemForeColorChange(true, 10);
    const QByteArray saved = readBytes(folder + "AutoPlaylist.m3u");
    commands->Shuffle();
    QStringList got;
    for (int i = 1; i <= list.count(); ++i)
        got << list.path(i);
    const int playing = int(got.indexOf(music + "9.mp3")) + 1;
    EXPECT_EQ(list.PlayingNo(), playing);
    EXPECT_EQ(list.icon(int(got.indexOf(music + "49.mp3")) + 1), 9);
    EXPECT_EQ(list.cellText(1, TrackRow::NoCell), "1");
    got.sort();
    EXPECT_EQ(got.removeDuplicates(), 0);
    EXPECT_EQ(got.size(), 200);
    EXPECT_NE(list.path(1), music + "0.mp3");
    EXPECT_EQ(readBytes(folder + "AutoPlaylist.m3u"), saved);
}

TEST_F(CommandTest, DroppedArchivesBecomePlaylistsAndOtherFilesAreSkipped)
{
    // The archive opening of the program, with two members listed for any archive.
    archives.onOpen = [](const QString &archive, const SelectedTreeNode &node, const QString &current,
                         const std::function<void(const QString &)> &setAddress,
                         const std::function<void(const QString &)> &add) {
        setAddress(zipPlaylistAddress(
            archive, node.valid ? std::optional(ZipTreeNode{node.isCategory, node.text, node.fullPath}) : std::nullopt,
            current));
        add(ArchiveMemberPath(archive, u"1.mp3"));
        add(ArchiveMemberPath(archive, u"2.mp3"));
    };
    const QString drops = dir.path() + "/drops/";
    touchFile(drops + "Live.zip", QByteArray("PK\x03\x04", 4) + "rest");
    touchFile(drops + "Best.zip", QByteArray("PK\x05\x06", 4) + "empty archive");
    touchFile(drops + "AutoPlaylist.mp3", "ID3 not an archive");
    touchFile(drops + "Fake.zip", "not an archive at all");
    QDir().mkpath(drops + "Folder.zip");
    const QStringList openRows = names();
    const QByteArray best = readBytes(folder + "Rock/Best.m3u");

    tree->selectKey("Rock");
    commands->DropFiles({drops + "AutoPlaylist.mp3", drops + "Live.zip", drops + "Fake.zip", drops + "Folder.zip",
                         drops + "Best.zip", drops + "missing.zip"});

    // Each archive is a playlist of the selected category, under a free name.
    EXPECT_TRUE(readBytes(folder + "Rock/Live.m3u").contains("Live.zip\"\\#ZIP#1.mp3"));
    EXPECT_TRUE(readBytes(folder + "Rock/Best (2).m3u").contains("Best.zip\"\\#ZIP#2.mp3"));
    EXPECT_EQ(readBytes(folder + "Rock/Best.m3u"), best);
    {
        // The list the first archive replaced was kept in its own file.
        TrackList kept;
        PlaylistStore(kept, folder).LoadPlaylist(folder + "AutoPlaylist.m3u");
        QStringList keptRows;
        for (int i = 1; i <= kept.count(); ++i)
            keptRows << QFileInfo(kept.path(i)).fileName();
        EXPECT_EQ(keptRows, openRows);
    }
    EXPECT_FALSE(QFileInfo::exists(folder + "Rock/Fake.m3u"));
    EXPECT_FALSE(QFileInfo::exists(folder + "Rock/Folder.m3u"));
    EXPECT_EQ(list.PlaylistAddress(), "Rock/Best (2)");
    EXPECT_EQ(list.count(), 2);
    EXPECT_GE(node("Rock/Live.m3u"), 0);
    EXPECT_EQ(beeps, 2);
}

TEST(TreeEditing, RemovingTheSelectedNodeSelectsTheNextSiblingThenThePreviousThenTheParent)
{
    qtApp();
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    for (const char *f : {"AutoPlaylist.m3u", "Rock/A.m3u", "Rock/B.m3u"})
        touchFile(folder + QString::fromUtf8(f));
    LibraryTree tree(folder);
    tree.TreeCreate();
    QStringList keys;
    for (const TreeNode &n : tree.nodes())
        keys << n.key;
    const QString first = keys.contains("Rock/A.m3u") && keys.indexOf("Rock/A.m3u") < keys.indexOf("Rock/B.m3u")
                              ? QStringLiteral("Rock/A.m3u")
                              : QStringLiteral("Rock/B.m3u");
    const QString second = first == "Rock/A.m3u" ? QStringLiteral("Rock/B.m3u") : QStringLiteral("Rock/A.m3u");

    tree.selectKey(first);
    tree.removeNode(tree.indexOfKey(first));
    EXPECT_EQ(tree.selectedKey(), second);
    tree.removeNode(tree.indexOfKey(second));
    EXPECT_EQ(tree.selectedKey(), "Rock");
    tree.removeNode(tree.indexOfKey("Rock")); // the next root node
    EXPECT_EQ(tree.selectedKey(), "AutoPlaylist.m3u");
    tree.selectKey("ごみ箱.m3u");
    tree.removeNode(tree.indexOfKey("ごみ箱.m3u")); // the last: the one before
    EXPECT_EQ(tree.selectedKey(), "AutoPlaylist.m3u");
    for (int i = 0; i < tree.count(); ++i)
        EXPECT_LT(tree.parentOf(i), i);
}

TEST(TreeColorsRule, RootNodesKeepTheTreeColoursWhenSelected)
{
    const TreeColors c{Qt::white, Qt::black, Qt::yellow, Qt::blue};
    struct Case {
        bool atRoot;
        bool selected;
        QColor text;
        QColor back;
    };
    for (const Case &k : {Case{true, true, Qt::white, Qt::black}, Case{true, false, Qt::white, Qt::black},
                          Case{false, true, Qt::yellow, Qt::blue}, Case{false, false, Qt::white, Qt::black}}) {
        EXPECT_EQ(c.itemColors(k.atRoot, k.selected).text, k.text);
        EXPECT_EQ(c.itemColors(k.atRoot, k.selected).back, k.back);
    }
}

} // namespace
