#include "PlaylistWindowFixture.h"

#include "library/LibraryTree.h"
#include "library/ui/LibraryTreeView.h"
#include "playlist/ui/TrackListView.h"
#include "playlist/ListViewCommands.h"

#include <QCursor>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSet>
#include <QUrl>

namespace {

struct ListViewTest : PlaylistWindowTest {
    TrackListView *view() { return window().listView(); }

    // Rows named by title, in list order.
    void fill(const QStringList &titles)
    {
        for (const QString &t : titles) {
            addTrack(t + ".mp3");
            list().setCellText(list().count(), TrackRow::TitleCell, t);
        }
    }
    QStringList titles()
    {
        QStringList out;
        for (int i = 1; i <= list().count(); ++i)
            out << list().cellText(i, TrackRow::TitleCell);
        return out;
    }
    QStringList numbers()
    {
        QStringList out;
        for (int i = 1; i <= list().count(); ++i)
            out << list().cellText(i, TrackRow::NoCell);
        return out;
    }
    QList<int> selectedRows()
    {
        QList<int> out;
        for (int i = 1; i <= list().count(); ++i) {
            if (list().isSelected(i))
                out << i;
        }
        return out;
    }
    QList<int> viewSelectedRows()
    {
        QList<int> out;
        for (const QModelIndex &i : view()->selectionModel()->selectedRows())
            out << i.row() + 1;
        std::sort(out.begin(), out.end());
        return out;
    }
    QPoint rowPoint(int pos) { return QPoint(60, view()->rowViewportPosition(pos - 1) + 3); }
    void clickHeader(int column)
    {
        QHeaderView *h = view()->horizontalHeader();
        const QPoint p(h->sectionViewportPosition(column) + 4, 4);
        send(h->viewport(), QEvent::MouseButtonPress, p);
        send(h->viewport(), QEvent::MouseButtonRelease, p);
    }
    void select(const QList<int> &rows)
    {
        list().UnselectAll();
        for (int r : rows)
            list().setSelected(r, true);
    }
};

TEST_F(ListViewTest, ShowsTheEightColumnsWithTheSavedWidths)
{
    fill({"b", "a"});
    EXPECT_EQ(view()->model()->columnCount(), 8);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(view()->columnWidth(c), app->settings().value(columnWidthSetting(c))) << "column " << c;
    EXPECT_EQ(view()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(view()->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(ListViewTest, TitleTwiceSortsDescendingThenAscendingAndRenumbers)
{
    fill({"b", "c", "a"});
    clickHeader(2);
    EXPECT_EQ(titles(), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(numbers(), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(list().isSorted());
    clickHeader(2);
    EXPECT_EQ(titles(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(numbers(), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(list().sortKey(), 2);
    EXPECT_EQ(list().sortOrder(), 0);
}

TEST_F(ListViewTest, PathColumnSwitchesSortingOffWithoutReordering)
{
    fill({"b", "c", "a"});
    clickHeader(2);
    clickHeader(0);
    EXPECT_FALSE(list().isSorted());
    EXPECT_EQ(list().sortOrder(), 0);
    EXPECT_EQ(titles(), (QStringList{"c", "b", "a"}));
}

TEST_F(ListViewTest, NoColumnSortsAsTextSo10ComesBefore2)
{
    QStringList names;
    for (int i = 1; i <= 11; ++i)
        names << QStringLiteral("t%1").arg(i, 2, 10, QLatin1Char('0'));
    fill(names);
    list().setSortOrder(1); // stored descending: the first click sorts ascending
    clickHeader(1);
    EXPECT_EQ(titles().mid(0, 4), (QStringList{"t01", "t10", "t11", "t02"}));
    EXPECT_EQ(numbers().mid(0, 4), (QStringList{"1", "2", "3", "4"}));
}

TEST_F(ListViewTest, SortingWhilePlayingKeepsThePlayingRowMarked)
{
    fill({"b", "c", "a"});
    play(3); // "a"
    ASSERT_EQ(list().PlayingNo(), 3);
    clickHeader(2);
    clickHeader(2);
    EXPECT_EQ(titles(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(list().PlayingNo(), 1);
    EXPECT_EQ(list().rowColor(1), list().activeItemColor());
    EXPECT_EQ(window().statusBox()->text(), "1 / 3");
}

TEST_F(ListViewTest, DraggingThreeSelectedRowsMovesThemOneRowPerMove)
{
    fill({"r1", "r2", "r3", "r4", "r5", "r6"});
    view()->resize(view()->width(), 400);
    select({2, 3, 4});
    view()->setFocusedRow(2);
    send(view()->viewport(), QEvent::MouseButtonPress, rowPoint(2));
    send(view()->viewport(), QEvent::MouseMove, rowPoint(5), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(titles(), (QStringList{"r1", "r5", "r2", "r3", "r4", "r6"}));
    EXPECT_EQ(selectedRows(), (QList<int>{3, 4, 5}));
    EXPECT_EQ(viewSelectedRows(), (QList<int>{3, 4, 5}));
    EXPECT_EQ(view()->focusedRow(), 3);
    EXPECT_EQ(numbers(), (QStringList{"1", "2", "3", "4", "5", "6"}));
    // The release after a move keeps the moved selection.
    send(view()->viewport(), QEvent::MouseButtonRelease, rowPoint(5));
    EXPECT_EQ(selectedRows(), (QList<int>{3, 4, 5}));

    // Upwards again, one step.
    send(view()->viewport(), QEvent::MouseButtonPress, rowPoint(3));
    send(view()->viewport(), QEvent::MouseMove, rowPoint(1), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(titles(), (QStringList{"r1", "r2", "r3", "r4", "r5", "r6"}));
    EXPECT_EQ(selectedRows(), (QList<int>{2, 3, 4}));
}

TEST_F(ListViewTest, DragOutsideTheRowsOrAgainstTheEndMovesNothing)
{
    fill({"r1", "r2", "r3"});
    view()->resize(view()->width(), 400);
    select({2});
    view()->setFocusedRow(2);
    send(view()->viewport(), QEvent::MouseButtonPress, rowPoint(2));
    send(view()->viewport(), QEvent::MouseMove, QPoint(60, view()->viewport()->height() - 2), Qt::NoButton,
         Qt::LeftButton);
    EXPECT_EQ(titles(), (QStringList{"r1", "r2", "r3"}));

    // A block that already touches the last row stays together.
    select({2, 3});
    view()->setFocusedRow(2);
    EXPECT_EQ(ListViewCommands::MoveSelectedRows(list(), 3, 2), 2);
    EXPECT_EQ(titles(), (QStringList{"r1", "r2", "r3"}));
    EXPECT_EQ(selectedRows(), (QList<int>{2, 3}));
}

TEST_F(ListViewTest, DragItemSwapMovesThePlayingMarkWithItsRow)
{
    fill({"r1", "r2", "r3"});
    play(1);
    list().setIcon(3, TrackRow::FailedIcon);
    window().DragItemSwap(1, 3);
    EXPECT_EQ(titles(), (QStringList{"r3", "r2", "r1"}));
    EXPECT_EQ(list().icon(3), TrackRow::PlayingIcon);
    EXPECT_EQ(list().icon(1), TrackRow::IdleIcon) << "a not-found mark does not travel";
    EXPECT_EQ(list().cellText(1, TrackRow::NoCell), "1");
    EXPECT_FALSE(list().isSelected(1));
    EXPECT_TRUE(list().isSelected(3));
}

TEST_F(ListViewTest, RightButtonSelectionRules)
{
    fill({"r1", "r2", "r3", "r4"});
    view()->resize(view()->width(), 400);
    int menus = 0;
    QObject::connect(view(), &TrackListView::contextMenuWanted, [&] { ++menus; });

    select({1, 2});
    send(view()->viewport(), QEvent::MouseButtonPress, rowPoint(4), Qt::RightButton);
    EXPECT_EQ(selectedRows(), QList<int>{4}) << "an unselected row becomes the only one";
    EXPECT_EQ(window().lastPopup(), window().menu(PlaylistWindow::TrackMenu));
    window().menu(PlaylistWindow::TrackMenu)->hide();

    select({1, 2, 3});
    send(view()->viewport(), QEvent::MouseButtonPress, rowPoint(2), Qt::RightButton);
    EXPECT_EQ(selectedRows(), (QList<int>{1, 2, 3})) << "a selected row keeps the selection";
    window().menu(PlaylistWindow::TrackMenu)->hide();

    send(view()->viewport(), QEvent::MouseButtonPress, QPoint(60, view()->viewport()->height() - 2), Qt::RightButton);
    EXPECT_TRUE(selectedRows().isEmpty()) << "no row clears the selection";
    EXPECT_EQ(menus, 3);
}

TEST_F(ListViewTest, LeftClickOnASelectedRowSelectsItAloneOnRelease)
{
    fill({"r1", "r2", "r3"});
    view()->resize(view()->width(), 400);
    select({1, 2, 3});
    send(view()->viewport(), QEvent::MouseButtonPress, rowPoint(2));
    EXPECT_EQ(selectedRows(), (QList<int>{1, 2, 3}));
    send(view()->viewport(), QEvent::MouseButtonRelease, rowPoint(2));
    EXPECT_EQ(selectedRows(), QList<int>{2});
    EXPECT_EQ(viewSelectedRows(), QList<int>{2});
}

TEST_F(ListViewTest, SelectionCommandsAndTheViewAgree)
{
    fill({"r1", "r2", "r3", "r4", "r5"});
    QMenu *menu = window().menu(PlaylistWindow::SelectMenu);
    menu->actions().at(0)->trigger(); // 全て選択
    EXPECT_EQ(viewSelectedRows(), (QList<int>{1, 2, 3, 4, 5}));
    list().setSelected(2, false);
    list().setSelected(4, false);
    menu->actions().at(2)->trigger(); // 選択反転
    EXPECT_EQ(selectedRows(), (QList<int>{2, 4}));
    EXPECT_EQ(viewSelectedRows(), (QList<int>{2, 4}));
    menu->actions().at(1)->trigger(); // 選択解除
    EXPECT_TRUE(viewSelectedRows().isEmpty());

    // And the other way: a selection made in the view sets the flags.
    view()->selectRow(2);
    EXPECT_EQ(selectedRows(), QList<int>{3});
    view()->selectAll();
    EXPECT_EQ(selectedRows(), (QList<int>{1, 2, 3, 4, 5}));
}

TEST_F(ListViewTest, DoubleClickPlaysTheRow)
{
    fill({"r1", "r2", "r3"});
    view()->resize(view()->width(), 400);
    send(view()->viewport(), QEvent::MouseButtonPress, rowPoint(2));
    send(view()->viewport(), QEvent::MouseButtonRelease, rowPoint(2));
    send(view()->viewport(), QEvent::MouseButtonDblClick, rowPoint(2));
    send(view()->viewport(), QEvent::MouseButtonRelease, rowPoint(2));
    EXPECT_EQ(list().PlayingNo(), 2);
    EXPECT_TRUE(app->player().isPlaying());
}

TEST_F(ListViewTest, EnterPlaysTheCurrentRow)
{
    fill({"r1", "r2", "r3"});
    view()->selectRow(0);
    view()->setCurrentIndex(list().index(2, 0));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(view(), &enter);
    EXPECT_EQ(list().PlayingNo(), 3);
    EXPECT_EQ(selectedRows(), QList<int>{3});
}

TEST_F(ListViewTest, DroppedFilesAreAdded)
{
    const QString a = home.path() + "/drop/x.mp3";
    const QString b = home.path() + "/drop/y.wav";
    touchFile(a);
    touchFile(b);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    // As the window delivers a drop: enter, then drop on the accepting widget.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view()->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view()->viewport(), &drop);
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(list().path(1), a);
    EXPECT_EQ(list().path(2), b);
}

TEST_F(ListViewTest, SelectingAHundredThousandRowsIsOneChange)
{
    std::vector<TrackRow> rows;
    for (int i = 0; i < 100000; ++i)
        rows.push_back(list().makeRow(QStringLiteral("/music/%1.mp3").arg(i)));
    list().appendRows(std::move(rows));
    int changes = 0;
    QObject::connect(&list(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    view()->selectAll();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(list().isSelected(1) && list().isSelected(100000));
    list().UnselectAll();
    EXPECT_TRUE(view()->selectionModel()->selectedRows().isEmpty());
}

// --- the tree ----------------------------------------------------------------------

struct TreeViewTest : PlaylistWindowTest {
    QString music;
    void prepareHome() override
    {
        music = home.path() + "/music/";
        touchFile(music + "a.mp3");
        touchFile(music + "b.mp3");
        touchFile(playlistFolder() + "AutoPlaylist.m3u", (music + "a.mp3\r\n").toUtf8());
        touchFile(playlistFolder() + "Rock/Best.m3u", (music + "b.mp3\r\n" + music + "a.mp3\r\n").toUtf8());
    }
    LibraryTree &tree() { return app->library(); }
    QPoint nodePoint(const QString &key)
    {
        LibraryTreeView *view = window().treeView();
        const QModelIndex node = view->indexOfNode(tree().indexOfKey(key));
        for (QModelIndex p = node.parent(); p.isValid(); p = p.parent())
            view->expand(p);
        return view->visualRect(node).center();
    }
    // The label of the view's current node.
    QString currentLabel() { return window().treeView()->currentIndex().data().toString(); }
};

TEST_F(TreeViewTest, StartUpShowsTheLibraryWithTheAutomaticPlaylistSelected)
{
    EXPECT_EQ(tree().selectedKey(), "AutoPlaylist.m3u");
    LibraryTreeView *view = window().treeView();
    EXPECT_EQ(currentLabel(), "AutoPlaylist");
    const QAbstractItemModel *model = view->model();
    EXPECT_EQ(model->rowCount(), 4); // favourites, Rock, AutoPlaylist, dust box
    EXPECT_EQ(model->index(0, 0).data().toString(), "お気に入り");
    EXPECT_EQ(model->index(3, 0).data().toString(), "ごみ箱");
    EXPECT_FALSE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(window().addressBox()->text(), "AutoPlaylist");
}

TEST_F(TreeViewTest, ClickingAPlaylistSavesTheOpenOneThenLoadsIt)
{
    list().appendRow(list().makeRow(music + "b.mp3"));
    const QPoint p = nodePoint("Rock/Best.m3u");
    send(window().treeView()->viewport(), QEvent::MouseButtonPress, p);
    send(window().treeView()->viewport(), QEvent::MouseButtonRelease, p);

    EXPECT_EQ(list().PlaylistAddress(), "Rock/Best");
    EXPECT_EQ(window().addressBox()->text(), "Rock/Best");
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(list().path(1), music + "b.mp3");
    QFile saved(playlistFolder() + "AutoPlaylist.m3u");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("b.mp3"));
}

TEST_F(TreeViewTest, RightClickSelectsWithoutOpeningAndShowsTheTreeMenu)
{
    list().SelectAll();
    const QPoint p = nodePoint("Rock/Best.m3u");
    send(window().treeView()->viewport(), QEvent::MouseButtonPress, p, Qt::RightButton);
    EXPECT_EQ(tree().selectedKey(), "Rock/Best.m3u");
    EXPECT_EQ(currentLabel(), "Best");
    EXPECT_EQ(list().PlaylistAddress(), "AutoPlaylist");
    EXPECT_FALSE(list().isSelected(1));
    EXPECT_EQ(window().lastPopup(), window().menu(PlaylistWindow::TreeMenu));
}

TEST_F(TreeViewTest, RebuildFromTheTreeMenuKeepsTheSelectionAndShowsNewEntries)
{
    tree().selectKey("Rock/Best.m3u");
    touchFile(playlistFolder() + "Jazz/Blue.m3u");
    window().menu(PlaylistWindow::TreeMenu)->actions().at(6)->trigger(); // 再構築(&U)
    EXPECT_EQ(currentLabel(), "Best");
    EXPECT_TRUE(window().treeView()->indexOfNode(tree().indexOfKey("Jazz/Blue.m3u")).isValid());
}

TEST_F(TreeViewTest, SingleClickModeExpandsTheClickedNodeAndClosesTheOneBefore)
{
    touchFile(playlistFolder() + "Jazz/Blue.m3u");
    tree().TreeCreate();
    LibraryTreeView *view = window().treeView();
    ASSERT_TRUE(view->singleClickExpand()); // the default option
    const QPersistentModelIndex rock = view->indexOfNode(tree().indexOfKey("Rock"));
    const QPersistentModelIndex jazz = view->indexOfNode(tree().indexOfKey("Jazz"));
    auto click = [&](const QModelIndex &node) {
        const QPoint p = view->visualRect(node).center();
        send(view->viewport(), QEvent::MouseButtonPress, p);
        send(view->viewport(), QEvent::MouseButtonRelease, p);
    };
    click(rock);
    EXPECT_TRUE(view->isExpanded(rock));
    click(jazz);
    EXPECT_TRUE(view->isExpanded(jazz));
    EXPECT_FALSE(view->isExpanded(rock));
    click(view->indexOfNode(tree().indexOfKey("Jazz/Blue.m3u")));
    EXPECT_TRUE(view->isExpanded(jazz)) << "the node before holds the new one";

    app->settings().setValue(SettingId::TreeClick, 1);
    EXPECT_FALSE(view->singleClickExpand());
    view->collapse(rock);
    click(rock);
    EXPECT_FALSE(view->isExpanded(rock));
}

TEST_F(TreeViewTest, EveryMenuEntryWorksAndRenamingEditsTheLabel)
{
    for (PlaylistWindow::Menu m : {PlaylistWindow::TreeMenu, PlaylistWindow::AdminMenu}) {
        for (QAction *a : window().menu(m)->actions())
            EXPECT_TRUE(a->isSeparator() || a->isEnabled()) << a->text().toStdString();
    }
    LibraryTreeView *view = window().treeView();
    tree().selectKey("Rock/Best.m3u");
    window().menu(PlaylistWindow::TreeMenu)->actions().at(4)->trigger(); // 名前の変更(&M)
    auto *editor = view->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), "Best");
    editor->setText("Top");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    // The editor commits, then the edit is reported, each on its own turn.
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(playlistFolder() + "Rock/Top.m3u"));
    EXPECT_EQ(currentLabel(), "Top");

    // A refused name: the message, and the label as it was.
    touchFile(playlistFolder() + "Rock/Taken.m3u");
    view->editNode(tree().indexOfKey("Rock/Top.m3u"));
    editor = view->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    editor->setText("Taken");
    QApplication::sendEvent(editor, &enter);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(box.asked.value(0), LibraryCommands::NameTakenMessage("Taken", false));
    EXPECT_EQ(currentLabel(), "Top");
    EXPECT_EQ(readBytes(playlistFolder() + "Rock/Taken.m3u"), "x");
}

TEST_F(TreeViewTest, ALabelEditFollowsItsNodeWhenTheTreeChangesBeforeItIsReported)
{
    LibraryTreeView *view = window().treeView();
    view->editNode(tree().indexOfKey("Rock/Best.m3u"));
    auto *editor = view->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    editor->setText("Top");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    QApplication::processEvents(); // committed; the edit is not reported yet
    touchFile(playlistFolder() + "Alpha/A.m3u");
    touchFile(playlistFolder() + "Rock/Aaa.m3u");
    tree().TreeCreate(); // every node has another index now
    QApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(playlistFolder() + "Rock/Top.m3u"));
    EXPECT_TRUE(QFileInfo::exists(playlistFolder() + "Rock/Aaa.m3u"));
    EXPECT_TRUE(QFileInfo::exists(playlistFolder() + "Alpha/A.m3u"));
}

TEST_F(TreeViewTest, AnOpenLabelEditorOutlivesANodeShownElsewhere)
{
    LibraryTreeView *view = window().treeView();
    view->editNode(tree().indexOfKey("Rock/Best.m3u"));
    auto *editor = view->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    editor->setText("Top");
    touchFile(playlistFolder() + "Saved.m3u");
    ASSERT_GE(tree().showPlaylist("Saved"), 0); // as a save elsewhere shows its new playlist
    ASSERT_TRUE(view->findChild<QLineEdit *>()) << "the editor went with the new node";
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    // The editor commits, then the edit is handed over, each on its own turn.
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(playlistFolder() + "Rock/Top.m3u"));
    EXPECT_EQ(view->indexOfNode(tree().indexOfKey("Rock/Top.m3u")).data().toString(), "Top");
}

TEST_F(TreeViewTest, ASelectedRootNodeKeepsTheTreeColoursAndASelectedChildTakesTheSelectionColours)
{
    LibraryTreeView *view = window().treeView();
    view->setColors(Qt::white, Qt::black, Qt::yellow, Qt::blue);
    auto labelColours = [&](const QString &key) {
        tree().selectKey(key);
        const QRect r = view->visualRect(view->indexOfNode(tree().indexOfKey(key)));
        const QImage shot = view->viewport()->grab().toImage();
        QSet<QRgb> colours;
        for (int x = r.left() + 20; x < r.left() + 40; ++x)
            colours.insert(shot.pixel(x, r.top() + 1) & 0xFFFFFF);
        return colours;
    };
    EXPECT_EQ(labelColours("AutoPlaylist.m3u"), QSet<QRgb>{0x000000});
    EXPECT_EQ(labelColours("Rock/Best.m3u"), QSet<QRgb>{0x0000FF});
}

enum class AfterPointing { Nothing, PointerLeft, PointerTakenAway, NodeAddedAbove, Rebuilt };

struct HotCase {
    const char *name;
    bool singleClick;
    const char *pointedAt;
    AfterPointing then;
    const char *underlined; // "" = none
};

class TreeHotTracking : public TreeViewTest, public ::testing::WithParamInterface<HotCase>
{
};

TEST_P(TreeHotTracking, TheNodeUnderThePointerIsUnderlinedInSingleClickMode)
{
    const HotCase &c = GetParam();
    app->settings().setValue(SettingId::TreeClick, c.singleClick ? 0 : 1);
    LibraryTreeView *view = window().treeView();
    const QPoint p = nodePoint(QString::fromUtf8(c.pointedAt));
    QCursor::setPos(view->viewport()->mapToGlobal(p));
    send(view->viewport(), QEvent::MouseMove, p);
    switch (c.then) {
    case AfterPointing::Nothing:
        break;
    case AfterPointing::PointerLeft: {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(view->viewport(), &leave);
        break;
    }
    case AfterPointing::PointerTakenAway: // a menu came up elsewhere; the tree saw no leave
        QCursor::setPos(view->viewport()->mapToGlobal(QPoint(-50, -50)));
        break;
    case AfterPointing::NodeAddedAbove:
        tree().insertNode(-1, 0, TreeNode{"Aaa.m3u", "Aaa", LibraryTree::PlaylistImage, LibraryTree::PlaylistOpenImage, -1});
        break;
    case AfterPointing::Rebuilt:
        tree().TreeCreate();
        break;
    }
    const int hot = view->hotNode();
    EXPECT_EQ(hot >= 0 ? tree().nodes()[size_t(hot)].key : QString(), QString::fromUtf8(c.underlined));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TreeHotTracking,
    ::testing::Values(HotCase{"SingleClickMode", true, "Rock/Best.m3u", AfterPointing::Nothing, "Rock/Best.m3u"},
                      HotCase{"DoubleClickModeTracksNothing", false, "Rock/Best.m3u", AfterPointing::Nothing, ""},
                      HotCase{"LeavingTheTree", true, "Rock", AfterPointing::PointerLeft, ""},
                      HotCase{"AMenuTookThePointerAway", true, "Rock", AfterPointing::PointerTakenAway, ""},
                      HotCase{"ANodeAddedAboveLeavesItOnItsNode", true, "AutoPlaylist.m3u",
                              AfterPointing::NodeAddedAbove, "AutoPlaylist.m3u"},
                      HotCase{"ARebuildEndsIt", true, "AutoPlaylist.m3u", AfterPointing::Rebuilt, ""}),
    [](const ::testing::TestParamInfo<HotCase> &info) { return std::string(info.param.name); });

struct TreeDropCase {
    const char *name;
    bool asUrl;          // the archive as a file URL, else its path as plain text
    bool accepted;       // the drag is taken
    const char *address; // the open playlist afterwards
};

class TreeDrop : public TreeViewTest, public ::testing::WithParamInterface<TreeDropCase>
{
};

TEST_P(TreeDrop, ADroppedArchiveBecomesAPlaylistOfTheLibrary)
{
    const TreeDropCase &c = GetParam();
    const QString archive = home.path() + "/drops/Live.zip";
    touchFile(archive, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')); // an archive with no members
    QMimeData data;
    if (c.asUrl)
        data.setUrls({QUrl::fromLocalFile(archive)});
    else
        data.setText(archive);
    LibraryTreeView *view = window().treeView();
    const QPoint p = nodePoint("Rock/Best.m3u");
    QDragEnterEvent enter(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    EXPECT_EQ(enter.isAccepted(), c.accepted);
    if (c.accepted) {
        QDropEvent drop(QPointF(p), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
    }
    EXPECT_EQ(list().PlaylistAddress(), QString::fromUtf8(c.address));
    // Dropped on a node that is not the selected one: the archive goes where the selected node says.
    EXPECT_EQ(tree().indexOfKey("Live.m3u") >= 0, c.accepted);
}

INSTANTIATE_TEST_SUITE_P(Cases, TreeDrop,
                         ::testing::Values(TreeDropCase{"AFileUrl", true, true, "Live"},
                                           TreeDropCase{"PlainTextIsRefused", false, false, "AutoPlaylist"}),
                         [](const ::testing::TestParamInfo<TreeDropCase> &info) { return std::string(info.param.name); });

} // namespace
