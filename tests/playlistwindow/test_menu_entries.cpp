// Every entry of the playlist window's menus, triggered the way the user
// reaches it (the button, icon, row, tree or background that opens its
// menu), with the effect its command has on the list, the library, the
// player, the shell or the window.

#include "PlaylistWindowFixture.h"

#include "library/LibraryCommands.h"
#include "library/LibraryTree.h"
#include "library/ui/LibraryTreeView.h"
#include "playlist/ItemCommands.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/ui/TrackListView.h"
#include "playback/ui/TrackPropertiesDialog.h"
#include "playlistwindow/ui/PictureElement.h"
#include "WaitUntil.h"
#include "ZipFixtures.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <set>

namespace {

// How the user opens the menu an entry sits in.
enum class Opener {
    Button,     // a left press on picture button `button`
    SearchIcon, // a press on the search icon
    Background, // a right press on the window's background
    Row,        // a right press on row `row` of the track list
    Tree,       // a right press on the tree's blank space
};

struct MenuEntriesTest;

struct EntryCase {
    const char *objectName;
    Opener opener;
    int at; // the button (Opener::Button) or the row (Opener::Row)
    std::function<void(MenuEntriesTest &)> arrange;
    std::function<void(MenuEntriesTest &)> check;
};

// Picks `chosen` in the next file dialog (a folder dialog goes to it) and
// accepts; a dialog that will not accept is cancelled, so no case hangs.
class DialogAnswer
{
public:
    explicit DialogAnswer(QString chosen)
        : m_chosen(std::move(chosen))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start();
    }
    int shown() const { return m_shown; }

private:
    void answer()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            // A dialog that refused the answer says so in a box of its own.
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                box->done(0);
                continue;
            }
            auto *dialog = qobject_cast<QFileDialog *>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            if (dialog != m_dialog) {
                m_dialog = dialog;
                m_ticks = 0;
                ++m_shown;
                if (dialog->fileMode() == QFileDialog::Directory)
                    dialog->setDirectory(m_chosen);
                else {
                    // The dialog leaves the name box alone while it has the focus.
                    if (QWidget *focused = dialog->focusWidget())
                        focused->clearFocus();
                    dialog->selectFile(m_chosen);
                }
            }
            // The dialog takes the answer in once its folder has loaded.
            if (QDir::cleanPath(dialog->selectedFiles().value(0)) == QDir::cleanPath(m_chosen))
                static_cast<QDialog *>(dialog)->accept();
            else if (++m_ticks > 200) {
                qWarning() << "dialog answer not taken:" << dialog->selectedFiles() << m_chosen << dialog->directory().path();
                dialog->reject();
            }
        }
    }

    QString m_chosen;
    QTimer m_timer;
    QPointer<QFileDialog> m_dialog;
    int m_shown = 0;
    int m_ticks = 0;
};

struct MenuEntriesTest : PlaylistWindowTest, ::testing::WithParamInterface<EntryCase> {
    QString a, b, c;
    std::unique_ptr<DialogAnswer> dialog;
    std::unique_ptr<QSignalSpy> settingsWanted, trayWanted, exitWanted;

    void SetUp() override
    {
        withShellAndRandom = true;
        PlaylistWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        window().resize(640, 360);
        a = addTrack("a.mp3");
        b = addTrack("b.mp3");
        c = addTrack("c.mp3");
        list().setPlaylistAddress(QStringLiteral("Mix"));
        list().setSelected(2, true);
        settingsWanted = std::make_unique<QSignalSpy>(&window(), &PlaylistWindow::settingsRequested);
        trayWanted = std::make_unique<QSignalSpy>(&window(), &PlaylistWindow::trayRequested);
        exitWanted = std::make_unique<QSignalSpy>(&window(), &PlaylistWindow::exitRequested);
    }
    void TearDown() override
    {
        dialog.reset();
        PlaylistWindowTest::TearDown();
    }

    LibraryTree &tree() { return app->library(); }
    TrackListView *view() { return window().listView(); }
    QStringList paths()
    {
        QStringList out;
        for (int pos = 1; pos <= list().count(); ++pos)
            out << list().path(pos);
        return out;
    }
    QList<int> selectedRows()
    {
        QList<int> out;
        for (int pos = 1; pos <= list().count(); ++pos)
            if (list().isSelected(pos))
                out << pos;
        return out;
    }
    // The next file dialog picks `path`.
    void answerDialogWith(const QString &path) { dialog = std::make_unique<DialogAnswer>(path); }
    // A playlist file in the library, shown in the tree.
    void addPlaylistFile(const QString &name)
    {
        touchFile(playlistFolder() + name, (c + "\r\n").toUtf8());
        app->libraryCommands().Rebuild();
    }

    QMenu *open(const EntryCase &e)
    {
        switch (e.opener) {
        case Opener::Button:
            send(window().findChild<PictureElement *>(QStringLiteral("imgListButtonImage%1").arg(e.at)),
                 QEvent::MouseButtonPress, QPoint(5, 5));
            break;
        case Opener::SearchIcon:
            send(window().findChild<PictureElement *>(QStringLiteral("imgSearchBox")), QEvent::MouseButtonPress,
                 QPoint(4, 4));
            break;
        case Opener::Background:
            send(&window(), QEvent::MouseButtonPress, QPoint(300, 2), Qt::RightButton);
            break;
        case Opener::Row:
            send(view()->viewport(), QEvent::MouseButtonPress, QPoint(60, view()->rowViewportPosition(e.at - 1) + 3),
                 Qt::RightButton);
            break;
        case Opener::Tree: {
            QWidget *viewport = window().treeView()->viewport();
            send(viewport, QEvent::MouseButtonPress, QPoint(4, viewport->height() - 3), Qt::RightButton);
            break;
        }
        }
        return window().lastPopup();
    }
};

// Entries that add to or replace the list, in the add menu and the track
// menu's 追加 sub-menu alike.
void prepareAddedFile(MenuEntriesTest &t)
{
    const QString x = t.home.path() + "/other/x.mp3";
    touchFile(x);
    t.answerDialogWith(x);
}
void checkAddedFile(MenuEntriesTest &t)
{
    EXPECT_EQ(t.paths(), (QStringList{t.a, t.b, t.c, t.home.path() + "/other/x.mp3"}));
}
void prepareFolder(MenuEntriesTest &t)
{
    touchFile(t.home.path() + "/album/p.mp3");
    touchFile(t.home.path() + "/album/q.mp3");
    t.answerDialogWith(t.home.path() + "/album");
}
void checkFolder(MenuEntriesTest &t)
{
    QStringList rows = t.paths();
    rows.sort();
    EXPECT_EQ(rows, (QStringList{t.home.path() + "/album/p.mp3", t.home.path() + "/album/q.mp3"}));
    EXPECT_EQ(t.list().PlaylistAddress(), "album");
}
void prepareArchive(MenuEntriesTest &t)
{
    const QString zip = t.home.path() + "/in/live.zip";
    writeBytes(zip, buildZip({storedFile("1.mp3"), storedFile("2.mp3")}));
    t.answerDialogWith(zip);
}
void checkArchive(MenuEntriesTest &t)
{
    ASSERT_EQ(t.list().count(), 2);
    EXPECT_TRUE(t.list().path(1).endsWith("\\#ZIP#1.mp3")) << t.list().path(1).toStdString();
    EXPECT_EQ(t.list().PlaylistAddress(), "live");
}
// Entries that take the selected row (b) away.
void checkListDelete(MenuEntriesTest &t)
{
    EXPECT_EQ(t.paths(), (QStringList{t.a, t.c}));
    EXPECT_TRUE(t.shell.calls.isEmpty()) << "the file stays";
    EXPECT_TRUE(t.box.asked.isEmpty());
}
void checkFileDelete(MenuEntriesTest &t)
{
    EXPECT_EQ(t.paths(), (QStringList{t.a, t.c}));
    EXPECT_EQ(t.shell.calls, QStringList{"remove to trash " + t.b});
}
void checkMoveTrash(MenuEntriesTest &t)
{
    EXPECT_EQ(t.paths(), (QStringList{t.a, t.c}));
    EXPECT_EQ(t.shell.calls, QStringList{"move " + t.b + " -> " + t.playlistFolder() + "ごみ箱/b.mp3"});
}
void checkCleared(MenuEntriesTest &t)
{
    EXPECT_EQ(t.list().count(), 0);
    EXPECT_NE(t.list().PlaylistAddress(), "Mix");
    EXPECT_TRUE(t.shell.calls.isEmpty());
}
std::function<void(MenuEntriesTest &)> checkSearchMode(int mode)
{
    return [mode](MenuEntriesTest &t) {
        EXPECT_EQ(t.app->search().mode(), mode);
        QStringList checked;
        for (QAction *e : t.window().menu(PlaylistWindow::SearchMenu)->actions())
            if (e->isChecked())
                checked << e->text();
        EXPECT_EQ(checked, QStringList{PlaylistSearch::modeNames().at(mode)});
    };
}
std::function<void(MenuEntriesTest &)> startInOtherMode(int mode)
{
    return [mode](MenuEntriesTest &t) { t.app->search().setMode(mode == 0 ? 2 : 0); };
}
void nothing(MenuEntriesTest &) {}

const EntryCase entryCases[] = {
    // 1: the administration menu
    {"mnuNewPlaylist", Opener::Button, 1, nothing, checkCleared},
    {"mnuOpenPlaylist", Opener::Button, 1,
     [](MenuEntriesTest &t) {
         touchFile(t.home.path() + "/elsewhere/two.m3u", (t.c + "\r\n" + t.a + "\r\n").toUtf8());
         t.answerDialogWith(t.home.path() + "/elsewhere/two.m3u");
     },
     [](MenuEntriesTest &t) { EXPECT_EQ(t.paths(), (QStringList{t.c, t.a})); }},
    {"mnuSavePlaylist", Opener::Button, 1, nothing,
     [](MenuEntriesTest &t) { EXPECT_TRUE(readBytes(t.playlistFolder() + "Mix.m3u").contains("b.mp3")); }},
    {"mnuDeletePlaylist", Opener::Button, 1, [](MenuEntriesTest &t) { t.addPlaylistFile("Mix.m3u"); },
     [](MenuEntriesTest &t) {
         EXPECT_EQ(t.box.asked, QStringList{LibraryCommands::DeleteQuestion("Mix")});
         EXPECT_TRUE(t.shell.calls.contains("remove to trash " + t.playlistFolder() + "Mix.m3u")) << t.shell.calls.join(" | ").toStdString();
     }},
    {"mnuShufflePlaylist", Opener::Button, 1,
     [](MenuEntriesTest &t) {
         t.addTrack("d.mp3");
         t.addTrack("e.mp3");
     },
     [](MenuEntriesTest &t) {
         const QStringList before = {t.a, t.b, t.c, t.home.path() + "/music/d.mp3", t.home.path() + "/music/e.mp3"};
         QStringList after = t.paths();
         EXPECT_NE(after, before);
         after.sort();
         EXPECT_EQ(after, before) << "the same rows";
         EXPECT_TRUE(t.selectedRows().isEmpty());
     }},
    // 3: adding
    {"mnuAddFile", Opener::Button, 3, prepareAddedFile, checkAddedFile},
    {"mnuOpenFolder", Opener::Button, 3, prepareFolder, checkFolder},
    {"mnuOpenArchive", Opener::Button, 3, prepareArchive, checkArchive},
    // 4: deleting
    {"mnuListDelete", Opener::Button, 4, nothing, checkListDelete},
    {"mnuFileDelete", Opener::Button, 4, nothing, checkFileDelete},
    {"mnuMoveTrash", Opener::Button, 4, nothing, checkMoveTrash},
    {"mnuRemoveErrorTracks", Opener::Button, 4, [](MenuEntriesTest &t) { t.list().setIcon(3, TrackRow::FailedIcon); },
     [](MenuEntriesTest &t) { EXPECT_EQ(t.paths(), (QStringList{t.a, t.b})); }},
    {"mnuClearPlaylist", Opener::Button, 4, nothing, checkCleared},
    // 5: selecting
    {"mnuSelectAll", Opener::Button, 5, nothing,
     [](MenuEntriesTest &t) { EXPECT_EQ(t.selectedRows(), (QList<int>{1, 2, 3})); }},
    {"mnuUnselectAll", Opener::Button, 5, nothing, [](MenuEntriesTest &t) { EXPECT_TRUE(t.selectedRows().isEmpty()); }},
    {"mnuInvertSelection", Opener::Button, 5, nothing,
     [](MenuEntriesTest &t) { EXPECT_EQ(t.selectedRows(), (QList<int>{1, 3})); }},
    // 6: the rest
    {"mnuCopyToFolder", Opener::Button, 6,
     [](MenuEntriesTest &t) {
         QDir().mkpath(t.home.path() + "/copies");
         t.answerDialogWith(t.home.path() + "/copies");
     },
     [](MenuEntriesTest &t) {
         EXPECT_EQ(t.shell.calls, QStringList{"copy " + t.b + " -> " + t.home.path() + "/copies/b.mp3"});
     }},
    {"mnuCopyPath", Opener::Button, 6,
     [](MenuEntriesTest &t) {
         t.view()->setFocusedRow(3);
         t.list().UnselectAll();
         t.list().setSelected(1, true);
         t.list().setSelected(3, true);
     },
     [](MenuEntriesTest &t) { EXPECT_EQ(t.shell.calls, QStringList{"clipboard " + t.a + "\n" + t.c}); }},
    // the search's scope
    {"mnuSearchAll", Opener::SearchIcon, 0, startInOtherMode(0), checkSearchMode(0)},
    {"mnuSearchPath", Opener::SearchIcon, 0, startInOtherMode(1), checkSearchMode(1)},
    {"mnuSearchTitle", Opener::SearchIcon, 0, startInOtherMode(2), checkSearchMode(2)},
    {"mnuSearchArtist", Opener::SearchIcon, 0, startInOtherMode(3), checkSearchMode(3)},
    // the window menu
    {"mnuForemost", Opener::Background, 0, nothing,
     [](MenuEntriesTest &t) {
         EXPECT_TRUE(t.app->settings().isOn(SettingId::Foremost));
         EXPECT_TRUE(t.window().findChild<QAction *>("mnuForemost")->isChecked());
     }},
    {"mnuSetting", Opener::Background, 0, nothing, [](MenuEntriesTest &t) { EXPECT_EQ(t.settingsWanted->count(), 1); }},
    {"mnuTaskTray", Opener::Background, 0, [](MenuEntriesTest &t) { t.window().setTrayAvailable(true, QString()); },
     [](MenuEntriesTest &t) { EXPECT_EQ(t.trayWanted->count(), 1); }},
    {"mnuSizeChange", Opener::Background, 0, nothing,
     [](MenuEntriesTest &t) {
         EXPECT_TRUE(t.window().sizeWindow());
         EXPECT_FALSE(t.window().isVisible());
     }},
    {"mnuExit", Opener::Background, 0, nothing, [](MenuEntriesTest &t) { EXPECT_EQ(t.exitWanted->count(), 1); }},
    // the track menu, on row 2 unless said
    {"mnuAddToFavourites", Opener::Row, 2, nothing,
     [](MenuEntriesTest &t) {
         EXPECT_TRUE(readBytes(t.playlistFolder() + LibraryTree::FavouritesKey).contains("b.mp3"));
         EXPECT_EQ(t.list().count(), 3);
     }},
    {"mnuPlayNext", Opener::Row, 3, [](MenuEntriesTest &t) { t.play(1); },
     [](MenuEntriesTest &t) { EXPECT_EQ(t.paths(), (QStringList{t.a, t.c, t.b})); }},
    {"mnuTrackAddFile", Opener::Row, 2, prepareAddedFile, checkAddedFile},
    {"mnuTrackOpenFolder", Opener::Row, 2, prepareFolder, checkFolder},
    {"mnuTrackOpenArchive", Opener::Row, 2, prepareArchive, checkArchive},
    {"mnuTrackListDelete", Opener::Row, 2, nothing, checkListDelete},
    {"mnuTrackFileDelete", Opener::Row, 2, nothing, checkFileDelete},
    {"mnuTrackMoveTrash", Opener::Row, 2, nothing, checkMoveTrash},
    {"mnuTrackRebuild", Opener::Row, 2, [](MenuEntriesTest &t) { touchFile(t.home.path() + "/music/d.mp3"); },
     [](MenuEntriesTest &t) {
         QStringList rows = t.paths();
         rows.sort();
         EXPECT_EQ(rows, (QStringList{t.a, t.b, t.c, t.home.path() + "/music/d.mp3"})) << "the folder again";
     }},
    {"mnuTagEditor", Opener::Row, 2,
     [](MenuEntriesTest &t) { t.app->settings().setText(SettingId::TagEditorPath, QStringLiteral("/usr/bin/tagger")); },
     [](MenuEntriesTest &t) { EXPECT_EQ(t.shell.calls, QStringList{"start /usr/bin/tagger " + t.b}); }},
    {"mnuTrackProperties", Opener::Row, 2, nothing,
     [](MenuEntriesTest &t) {
         // The program's own window: nothing goes to the desktop until its button is pressed.
         EXPECT_TRUE(t.shell.calls.isEmpty()) << t.shell.calls.join(" | ").toStdString();
         QPointer<TrackPropertiesDialog> dialog = t.window().findChild<TrackPropertiesDialog *>();
         ASSERT_TRUE(dialog);
         ASSERT_TRUE(waitUntil([&] { return dialog->isVisible(); }));
         EXPECT_EQ(dialog->findChild<QLabel *>("ファイル/名前")->text(), "b.mp3");
         dialog->findChild<QPushButton *>("showOnDesktop")->click();
         EXPECT_EQ(t.shell.calls, QStringList{"properties " + t.b});
         dialog->close();
         EXPECT_TRUE(waitUntil([&] { return dialog.isNull(); })) << "the window goes when closed";
     }},
    {"mnuOpenContainingFolder", Opener::Row, 2, nothing,
     [](MenuEntriesTest &t) { EXPECT_EQ(t.shell.calls, QStringList{"reveal " + t.b}); }},
    // the tree menu
    {"mnuCreatePlaylist", Opener::Tree, 0, nothing,
     [](MenuEntriesTest &t) {
         EXPECT_TRUE(t.list().PlaylistAddress().startsWith("Playlist")) << t.list().PlaylistAddress().toStdString();
         EXPECT_TRUE(QFileInfo::exists(t.playlistFolder() + t.list().PlaylistAddress() + ".m3u"));
     }},
    {"mnuCreateCategory", Opener::Tree, 0, nothing,
     [](MenuEntriesTest &t) {
         const QStringList folders = QDir(t.playlistFolder()).entryList({"Category*"}, QDir::Dirs);
         EXPECT_EQ(folders.size(), 1) << folders.join(" ").toStdString();
         EXPECT_EQ(t.list().PlaylistAddress(), "Mix");
     }},
    {"mnuTreeDelete", Opener::Tree, 0,
     [](MenuEntriesTest &t) {
         t.addPlaylistFile("Doomed.m3u");
         t.tree().selectKey("Doomed.m3u");
     },
     [](MenuEntriesTest &t) {
         EXPECT_EQ(t.box.asked, QStringList{LibraryCommands::DeleteQuestion("Doomed")});
         EXPECT_TRUE(t.shell.calls.contains("remove to trash " + t.playlistFolder() + "Doomed.m3u")) << t.shell.calls.join(" | ").toStdString();
     }},
    {"mnuTreeRename", Opener::Tree, 0,
     [](MenuEntriesTest &t) {
         t.addPlaylistFile("Doomed.m3u");
         t.tree().selectKey("Doomed.m3u");
     },
     [](MenuEntriesTest &t) {
         auto *editor = t.window().treeView()->findChild<QLineEdit *>();
         ASSERT_TRUE(editor);
         EXPECT_EQ(editor->text(), "Doomed");
     }},
    {"mnuTreeRebuild", Opener::Tree, 0, [](MenuEntriesTest &t) { touchFile(t.playlistFolder() + "Fresh.m3u"); },
     [](MenuEntriesTest &t) { EXPECT_GE(t.tree().indexOfKey("Fresh.m3u"), 0); }},
    {"mnuTreeProperties", Opener::Tree, 0,
     [](MenuEntriesTest &t) {
         t.addPlaylistFile("Doomed.m3u");
         t.tree().selectKey("Doomed.m3u");
     },
     [](MenuEntriesTest &t) { EXPECT_EQ(t.shell.calls, QStringList{"properties " + t.playlistFolder() + "Doomed.m3u"}); }},
};

TEST_P(MenuEntriesTest, TriggeredFromItsMenuRunsItsCommand)
{
    const EntryCase &e = GetParam();
    e.arrange(*this);
    QMenu *menu = open(e);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(menu->isVisible());
    // The entry sits in the menu the user opened (or one of its sub-menus).
    QAction *action = menu->findChild<QAction *>(QString::fromLatin1(e.objectName));
    ASSERT_TRUE(action) << "not in " << menu->objectName().toStdString();
    ASSERT_TRUE(action->isVisible());
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    menu->hide();
    if (dialog) {
        EXPECT_EQ(dialog->shown(), 1) << "the command asks for its file or folder";
    }
    e.check(*this);
}

void PrintTo(const EntryCase &e, std::ostream *os)
{
    *os << e.objectName;
}

INSTANTIATE_TEST_SUITE_P(Menus, MenuEntriesTest, ::testing::ValuesIn(entryCases),
                         [](const ::testing::TestParamInfo<EntryCase> &info) {
                             return std::string(info.param.objectName);
                         });

TEST_F(PlaylistWindowTest, EveryMenuEntryHasAUniqueNameAndACase)
{
    std::set<std::string> named;
    for (int m = 0; m < PlaylistWindow::MenuCount; ++m) {
        for (QAction *a : window().menu(PlaylistWindow::Menu(m))->findChildren<QAction *>()) {
            if (a->isSeparator() || a->menu())
                continue;
            const std::string name = a->objectName().toStdString();
            EXPECT_FALSE(name.empty()) << a->text().toStdString();
            EXPECT_TRUE(named.insert(name).second) << name << " twice";
        }
    }
    std::set<std::string> cases;
    for (const EntryCase &e : entryCases)
        cases.insert(e.objectName);
    EXPECT_EQ(named, cases);
    EXPECT_EQ(named.size(), 45u);
}

// The rules the entries carry: the dust box's own list offers no move into
// it; the tag editor's entry waits for the editor; the tray entry says why
// it is off.
TEST_F(PlaylistWindowTest, EntriesFollowTheirRulesWhenTheirMenuOpens)
{
    struct Case {
        const char *name;
        std::function<void()> arrange;
        const char *entry;
        bool visible, enabled;
    };
    const Case cases[] = {
        {"move to the dust box, outside it", [] {}, "mnuTrackMoveTrash", true, true},
        {"no move to the dust box inside it", [&] { list().setPlaylistAddress(ItemCommands::DustBoxFolderName); },
         "mnuTrackMoveTrash", false, false},
        {"no tag editor without its path", [&] { app->settings().setText(SettingId::TagEditorPath, QString()); },
         "mnuTagEditor", true, false},
        {"the tag editor with its path", [&] { app->settings().setText(SettingId::TagEditorPath, "/usr/bin/tagger"); },
         "mnuTagEditor", true, true},
    };
    for (const Case &c : cases) {
        c.arrange();
        window().menu(PlaylistWindow::TrackMenu)->popup(QPoint(10, 10));
        QAction *a = window().findChild<QAction *>(QString::fromLatin1(c.entry));
        EXPECT_EQ(a->isVisible(), c.visible) << c.name;
        EXPECT_EQ(a->isEnabled(), c.enabled) << c.name;
        window().menu(PlaylistWindow::TrackMenu)->hide();
    }
    window().setTrayAvailable(false, QStringLiteral("no tray here"));
    QAction *tray = window().findChild<QAction *>(QStringLiteral("mnuTaskTray"));
    EXPECT_FALSE(tray->isEnabled());
    EXPECT_EQ(tray->toolTip(), "no tray here");
}

} // namespace
