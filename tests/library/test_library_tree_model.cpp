#include "library/LibraryTree.h"
#include "library/LibraryTreeModel.h"
#include "CoreTestApp.h"
#include "QtPrinters.h"
#include "TestFiles.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Records what the model hands over; a label edit renames the node as the
// commands do when they accept the name.
struct RecordingActions : LibraryTreeActions {
    LibraryTree *tree = nullptr;
    bool accept = true;
    QStringList edits; // "key>text"
    QList<QStringList> drops;

    bool LabelEditEnd(int index, const QString &text) override
    {
        edits << tree->nodes()[size_t(index)].key + u'>' + text;
        if (accept)
            tree->renameNode(index, text);
        return accept;
    }
    void DropFiles(const QStringList &paths) override { drops << paths; }
};

// Collects the tester's complaints (its warnings) while it lives.
struct TesterWarnings {
    static inline QStringList messages;
    QtMessageHandler previous;
    TesterWarnings()
    {
        messages.clear();
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                messages << text;
        });
    }
    ~TesterWarnings() { qInstallMessageHandler(previous); }
};

const QStringList LibraryFiles = {"AutoPlaylist.m3u", "お気に入り.m3u",   "ごみ箱.m3u",      "Rock/Best.m3u",
                                  "Rock/Live/Tokyo.m3u", "Rock/Live/Osaka.m3u", "Jazz/Blue.m3u", "Jazz/Trio.m3u"};

struct TreeModelTest : ::testing::Test {
    QTemporaryDir dir;
    QString folder;
    std::unique_ptr<LibraryTree> tree;
    RecordingActions actions;
    std::unique_ptr<LibraryTreeModel> model;

    void SetUp() override
    {
        coreTestApp();
        folder = dir.path() + "/Playlist/";
        QDir().mkpath(folder);
        tree = std::make_unique<LibraryTree>(folder);
        actions.tree = tree.get();
        model = std::make_unique<LibraryTreeModel>(*tree, actions);
    }
    void addFiles(const QStringList &files)
    {
        for (const QString &f : files)
            touchFile(folder + f);
    }
    // Every row the model shows as "path [kind]" ("*" marks the selected
    // node), the path made of the texts of its parents as the model gives
    // them; sorted, as the file system lists entries in any order.
    QStringList shape() const
    {
        static const char *const kinds[] = {"category", "playlist", "favourites", "dust box"};
        QStringList out;
        std::function<void(const QModelIndex &, const QString &)> walk = [&](const QModelIndex &parent,
                                                                              const QString &prefix) {
            for (int r = 0; r < model->rowCount(parent); ++r) {
                const QModelIndex i = model->index(r, 0, parent);
                EXPECT_EQ(model->parent(i), parent);
                const QString path = prefix + i.data().toString();
                out << QStringLiteral("%1 [%2]%3")
                           .arg(path, QString::fromLatin1(kinds[i.data(LibraryTreeModel::KindRole).toInt()]),
                                i.data(LibraryTreeModel::SelectedRole).toBool() ? "*" : "");
                walk(i, path + u'/');
            }
        };
        walk(QModelIndex(), QString());
        out.sort();
        return out;
    }
    QModelIndex at(const QString &key) const { return model->indexOfKey(key); }
};

TEST_F(TreeModelTest, TheModelTesterFindsNoFaultThroughRebuildsEditsAndSelection)
{
    addFiles(LibraryFiles);
    TesterWarnings warnings;
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::Warning);

    tree->TreeCreate();
    tree->selectKey("Rock/Live/Tokyo.m3u");
    model->setColors(TreeColors{Qt::white, Qt::black, Qt::yellow, Qt::blue});
    tree->insertNode(tree->indexOfKey("Rock"), 0, TreeNode{"Rock/New", "New", LibraryTree::CategoryImage,
                                                           LibraryTree::CategoryOpenImage, -1});
    tree->insertNode(-1, tree->positionOf(tree->indexOfKey(LibraryTree::DustBoxKey)),
                     TreeNode{"Mix.m3u", "Mix", LibraryTree::PlaylistImage, LibraryTree::PlaylistOpenImage, -1});
    tree->renameNode(tree->indexOfKey("Rock/Live"), "Budokan");
    ASSERT_TRUE(model->setData(at("Jazz"), "Swing"));
    tree->removeNode(tree->indexOfKey("Rock/Budokan")); // holds the selected node
    tree->removeNode(tree->indexOfKey("Swing"));
    addFiles({"Folk/Road.m3u"});
    tree->TreeCreate();
    tree->clearSelection();

    EXPECT_EQ(warnings.messages, QStringList());
}

struct ShapeCase {
    const char *name;
    QStringList files;
    const char *selected; // key selected before the second build ("" = none)
    QStringList added;    // files made before the second build
    QStringList removed;
    QStringList expected; // after the second build
};

class ModelShape : public TreeModelTest, public ::testing::WithParamInterface<ShapeCase>
{
};

TEST_P(ModelShape, RowsParentsAndDataFollowEveryRebuild)
{
    const ShapeCase &c = GetParam();
    addFiles(c.files);
    tree->TreeCreate();
    if (*c.selected) {
        ASSERT_TRUE(tree->selectKey(QString::fromUtf8(c.selected)));
    }
    const QPersistentModelIndex old = model->index(0, 0);
    addFiles(c.added);
    for (const QString &f : c.removed)
        ASSERT_TRUE(QFile::remove(folder + f));
    tree->TreeCreate();

    EXPECT_EQ(shape(), c.expected);
    EXPECT_FALSE(old.isValid()) << "an index from before the rebuild still names a node";
    // The favourites open the tree and the dust box closes it.
    const int rows = model->rowCount();
    EXPECT_EQ(model->index(0, 0).data(LibraryTreeModel::KeyRole).toString(), LibraryTree::FavouritesKey);
    EXPECT_EQ(model->index(rows - 1, 0).data(LibraryTreeModel::KeyRole).toString(), LibraryTree::DustBoxKey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelShape,
    ::testing::Values(
        ShapeCase{"AnEmptyFolderShowsTheSpecialListsOnly", {}, "", {}, {}, {"お気に入り [favourites]", "ごみ箱 [dust box]"}},
        ShapeCase{"CategoriesHoldTheirSubCategoriesAndPlaylists",
                  LibraryFiles,
                  "",
                  {},
                  {},
                  {"AutoPlaylist [playlist]", "Jazz [category]", "Jazz/Blue [playlist]", "Jazz/Trio [playlist]",
                   "Rock [category]", "Rock/Best [playlist]", "Rock/Live [category]", "Rock/Live/Osaka [playlist]",
                   "Rock/Live/Tokyo [playlist]", "お気に入り [favourites]", "ごみ箱 [dust box]"}},
        ShapeCase{"TheSelectedKeySurvivesNewEntries",
                  {"AutoPlaylist.m3u", "Rock/Best.m3u"},
                  "Rock/Best.m3u",
                  {"Jazz/Blue.m3u", "Rock/Aaa.m3u"},
                  {},
                  {"AutoPlaylist [playlist]", "Jazz [category]", "Jazz/Blue [playlist]", "Rock [category]",
                   "Rock/Aaa [playlist]", "Rock/Best [playlist]*", "お気に入り [favourites]", "ごみ箱 [dust box]"}},
        ShapeCase{"ASelectedPlaylistThatWentIsNoLongerSelected",
                  {"AutoPlaylist.m3u", "Rock/Best.m3u", "Rock/Live.m3u"},
                  "Rock/Best.m3u",
                  {},
                  {"Rock/Best.m3u"},
                  {"AutoPlaylist [playlist]", "Rock [category]", "Rock/Live [playlist]", "お気に入り [favourites]",
                   "ごみ箱 [dust box]"}},
        ShapeCase{"TheSelectedDustBoxStaysSelected",
                  {"AutoPlaylist.m3u"},
                  "ごみ箱.m3u",
                  {},
                  {"AutoPlaylist.m3u"},
                  {"お気に入り [favourites]", "ごみ箱 [dust box]*"}}),
    [](const ::testing::TestParamInfo<ShapeCase> &info) { return std::string(info.param.name); });

struct EditCase {
    const char *name;
    std::function<void(LibraryTree &)> edit;
    QStringList expected;
    const char *selectedAfter;
};

class ModelEdits : public TreeModelTest, public ::testing::WithParamInterface<EditCase>
{
};

// Commands change the tree without a rebuild: the view's rows move with
// it, and indexes the view holds (its current node, its editor, what is
// expanded) keep naming their nodes.
TEST_P(ModelEdits, RowsComeAndGoInPlaceAndHeldIndexesKeepTheirNodes)
{
    const EditCase &c = GetParam();
    addFiles(LibraryFiles);
    tree->TreeCreate();
    tree->selectKey("Rock/Live/Tokyo.m3u");
    const QStringList watched = {"Jazz/Trio.m3u", "Rock/Live/Tokyo.m3u", "AutoPlaylist.m3u", LibraryTree::DustBoxKey};
    std::vector<QPersistentModelIndex> held;
    for (const QString &key : watched)
        held.emplace_back(at(key));
    int resets = 0;
    QObject::connect(model.get(), &QAbstractItemModel::modelReset, [&] { ++resets; });

    c.edit(*tree);

    EXPECT_EQ(shape(), c.expected);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(tree->selectedKey(), QString::fromUtf8(c.selectedAfter));
    for (size_t i = 0; i < held.size(); ++i) {
        const int node = model->nodeOf(held[i]);
        if (node < 0)
            continue; // removed with its parent
        EXPECT_EQ(held[i].data(LibraryTreeModel::NodeRole).toInt(), node);
        EXPECT_EQ(held[i], at(tree->nodes()[size_t(node)].key)) << watched[int(i)].toStdString();
        EXPECT_EQ(held[i].data().toString(), tree->nodes()[size_t(node)].text);
    }
}

const QStringList OtherNodes = {"AutoPlaylist [playlist]", "Jazz [category]", "Jazz/Blue [playlist]",
                                "Jazz/Trio [playlist]", "お気に入り [favourites]", "ごみ箱 [dust box]"};

QStringList with(QStringList rows)
{
    rows << OtherNodes;
    rows.sort();
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelEdits,
    ::testing::Values(
        EditCase{"APlaylistBeforeTheDustBox",
                 [](LibraryTree &t) {
                     t.insertNode(-1, t.positionOf(t.indexOfKey(LibraryTree::DustBoxKey)),
                                  TreeNode{"Mix.m3u", "Mix", LibraryTree::PlaylistImage, LibraryTree::PlaylistOpenImage, -1});
                 },
                 with({"Mix [playlist]", "Rock [category]", "Rock/Best [playlist]", "Rock/Live [category]",
                       "Rock/Live/Osaka [playlist]", "Rock/Live/Tokyo [playlist]*"}),
                 "Rock/Live/Tokyo.m3u"},
        EditCase{"ACategoryFirstInACategory",
                 [](LibraryTree &t) {
                     t.insertNode(t.indexOfKey("Rock"), 0,
                                  TreeNode{"Rock/New", "New", LibraryTree::CategoryImage, LibraryTree::CategoryOpenImage, -1});
                 },
                 with({"Rock [category]", "Rock/Best [playlist]", "Rock/Live [category]", "Rock/Live/Osaka [playlist]",
                       "Rock/Live/Tokyo [playlist]*", "Rock/New [category]"}),
                 "Rock/Live/Tokyo.m3u"},
        EditCase{"RemovingACategoryTakesItsSubCategoryAndMovesTheSelection",
                 [](LibraryTree &t) { t.removeNode(t.indexOfKey("Rock/Live")); },
                 // Sub-categories come before the playlists of a category.
                 with({"Rock [category]", "Rock/Best [playlist]*"}),
                 "Rock/Best.m3u"},
        EditCase{"RemovingTheSelectedPlaylistSelectsItsNextSibling",
                 [](LibraryTree &t) { t.removeNode(t.indexOfKey("Rock/Live/Tokyo.m3u")); },
                 // Osaka, listed before or after Tokyo, is its only sibling.
                 with({"Rock [category]", "Rock/Best [playlist]", "Rock/Live [category]",
                       "Rock/Live/Osaka [playlist]*"}),
                 "Rock/Live/Osaka.m3u"},
        EditCase{"RenamingACategoryRenamesTheKeysBelowIt",
                 [](LibraryTree &t) { t.renameNode(t.indexOfKey("Rock"), "Metal"); },
                 with({"Metal [category]", "Metal/Best [playlist]", "Metal/Live [category]",
                       "Metal/Live/Osaka [playlist]", "Metal/Live/Tokyo [playlist]*"}),
                 "Metal/Live/Tokyo.m3u"}),
    [](const ::testing::TestParamInfo<EditCase> &info) { return std::string(info.param.name); });

struct FlagsCase {
    const char *name;
    const char *key; // "" = blank tree space (the root)
    Qt::ItemFlags expected;
};

class ModelFlags : public TreeModelTest, public ::testing::WithParamInterface<FlagsCase>
{
};

TEST_P(ModelFlags, EveryNodeIsEditableAndTakesDrops)
{
    const FlagsCase &c = GetParam();
    addFiles(LibraryFiles);
    tree->TreeCreate();
    const QModelIndex index = *c.key ? at(QString::fromUtf8(c.key)) : QModelIndex();
    ASSERT_EQ(index.isValid(), *c.key != 0);
    EXPECT_EQ(model->flags(index), c.expected);
}

constexpr Qt::ItemFlags NodeFlags =
    Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDropEnabled;

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelFlags,
    ::testing::Values(FlagsCase{"BlankSpace", "", Qt::ItemIsDropEnabled},
                      FlagsCase{"ACategory", "Rock", NodeFlags},
                      FlagsCase{"ASubCategory", "Rock/Live", NodeFlags},
                      FlagsCase{"APlaylist", "Rock/Best.m3u", NodeFlags | Qt::ItemNeverHasChildren},
                      // Offered for editing; the commands refuse the new name with a message.
                      FlagsCase{"TheFavourites", "お気に入り.m3u", NodeFlags | Qt::ItemNeverHasChildren},
                      FlagsCase{"TheDustBox", "ごみ箱.m3u", NodeFlags | Qt::ItemNeverHasChildren}),
    [](const ::testing::TestParamInfo<FlagsCase> &info) { return std::string(info.param.name); });

struct ColourCase {
    const char *name;
    const char *selected;
    const char *drawn;
    bool inSelectionColours;
};

class ModelColours : public TreeModelTest, public ::testing::WithParamInterface<ColourCase>
{
};

TEST_P(ModelColours, OnlyASelectedNodeBelowTheRootTakesTheSelectionColours)
{
    const ColourCase &c = GetParam();
    addFiles(LibraryFiles);
    tree->TreeCreate();
    model->setColors(TreeColors{Qt::white, Qt::black, Qt::yellow, Qt::blue});
    tree->selectKey(QString::fromUtf8(c.selected));
    const QModelIndex drawn = at(QString::fromUtf8(c.drawn));
    EXPECT_EQ(drawn.data(Qt::ForegroundRole).value<QBrush>().color(),
              c.inSelectionColours ? QColor(Qt::yellow) : QColor(Qt::white));
    EXPECT_EQ(drawn.data(Qt::BackgroundRole).value<QBrush>().color(),
              c.inSelectionColours ? QColor(Qt::blue) : QColor(Qt::black));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelColours,
    ::testing::Values(ColourCase{"ASelectedPlaylistInACategory", "Rock/Best.m3u", "Rock/Best.m3u", true},
                      ColourCase{"ASelectedSubCategory", "Rock/Live", "Rock/Live", true},
                      ColourCase{"ASelectedRootPlaylist", "AutoPlaylist.m3u", "AutoPlaylist.m3u", false},
                      ColourCase{"ASelectedRootCategory", "Rock", "Rock", false},
                      ColourCase{"TheNodeSelectedBeforeAnother", "Jazz/Blue.m3u", "Rock/Best.m3u", false}),
    [](const ::testing::TestParamInfo<ColourCase> &info) { return std::string(info.param.name); });

TEST_F(TreeModelTest, ALabelEditGoesToTheActionsAndTheLabelShowsWhatTheTreeSays)
{
    addFiles(LibraryFiles);
    tree->TreeCreate();
    const QPersistentModelIndex best = at("Rock/Best.m3u");
    QList<QModelIndex> changed;
    QObject::connect(model.get(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &from, const QModelIndex &) { changed << from; });

    EXPECT_TRUE(model->setData(best, "Top"));
    EXPECT_EQ(best.data().toString(), "Top");
    EXPECT_EQ(best.data(LibraryTreeModel::KeyRole).toString(), "Rock/Top.m3u");
    EXPECT_TRUE(changed.contains(best));

    actions.accept = false;
    EXPECT_FALSE(model->setData(best, "Refused"));
    EXPECT_EQ(best.data().toString(), "Top");
    EXPECT_FALSE(model->setData(best, "Other", Qt::DisplayRole)) << "only the edit role renames";
    EXPECT_EQ(actions.edits, (QStringList{"Rock/Best.m3u>Top", "Rock/Top.m3u>Refused"}));
}

struct DropCase {
    const char *name;
    QStringList urls; // "~" stands for the test folder
    QString text;     // plain text in the drop, besides the URLs
    bool canDrop;
    QStringList dropped; // the paths handed over ("~" as above); none: nothing was
};

class ModelDrops : public TreeModelTest, public ::testing::WithParamInterface<DropCase>
{
};

TEST_P(ModelDrops, LocalFilesGoToTheActionsInOrder)
{
    const DropCase &c = GetParam();
    addFiles(LibraryFiles);
    tree->TreeCreate();
    auto real = [&](QString s) { return s.replace(u'~', dir.path()); };
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &u : c.urls)
        urls << QUrl(real(u));
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!c.text.isEmpty())
        data.setText(c.text);

    for (const QModelIndex &on : {QModelIndex(), at("Rock/Best.m3u")}) {
        actions.drops.clear();
        EXPECT_EQ(model->canDropMimeData(&data, Qt::CopyAction, -1, -1, on), c.canDrop);
        EXPECT_EQ(model->dropMimeData(&data, Qt::CopyAction, -1, -1, on), !c.dropped.isEmpty());
        QStringList expected;
        for (const QString &p : c.dropped)
            expected << real(p);
        EXPECT_EQ(actions.drops, c.dropped.isEmpty() ? QList<QStringList>() : QList<QStringList>{expected});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelDrops,
    ::testing::Values(DropCase{"LocalFiles", {"file://~/a.zip", "file://~/b.mp3"}, "", true, {"~/a.zip", "~/b.mp3"}},
                      DropCase{"RemoteAddressesAreLeftOut",
                               {"https://example.org/a.zip", "file://~/b.zip"},
                               "",
                               true,
                               {"~/b.zip"}},
                      DropCase{"OnlyRemoteAddresses", {"https://example.org/a.zip"}, "", true, {}},
                      DropCase{"PlainText", {}, "file:///tmp/a.zip", false, {}}),
    [](const ::testing::TestParamInfo<DropCase> &info) { return std::string(info.param.name); });

} // namespace
