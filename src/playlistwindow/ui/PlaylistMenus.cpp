// The playlist window's popup menus: one table per menu, and the buttons and
// places that open them.

#include "playlistwindow/ui/PlaylistWindow.h"

#include "library/LibraryCommands.h"
#include "playlist/ItemCommands.h"
#include "playlist/ListViewCommands.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "core/ShellService.h"
#include "playback/TrackProperties.h"
#include "playlist/ui/TrackListView.h"
#include "playback/ui/TrackPropertiesDialog.h"
#include "playlistwindow/ui/ListSizeChangeForm.h"
#include "playlistwindow/ui/PictureElement.h"
#include "window/ui/WindowGeometry.h"
#include "settings/SettingsStore.h"
#include "window/ui/MenuBuilder.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>

namespace {

// The object names of the scope menu's entries, in PlaylistSearch's mode order.
const char *const SearchModeNames[] = {"mnuSearchAll", "mnuSearchPath", "mnuSearchTitle", "mnuSearchArtist"};

} // namespace

void PlaylistWindow::buildMenus()
{
    TrackList &list = m_list;
    TrackAdder &adder = m_adder;
    ItemCommands &items = m_items;
    LibraryCommands &library = m_commands;
    SettingsStore &settings = m_settings;
    // The dust box's own list has nothing to move into the dust box.
    const auto outsideDustBox = [&list] { return list.PlaylistAddress() != ItemCommands::DustBoxFolderName; };

    const MenuTable admin = {
        {QStringLiteral("プレイリストの新規作成(クリア)"), QStringLiteral("mnuNewPlaylist"), [&items] { items.ClearPlaylist(); }},
        {QStringLiteral("プレイリストを開く"), QStringLiteral("mnuOpenPlaylist"), [&library] { library.OpenPlaylistFile(); }},
        {QStringLiteral("プレイリストを保存"), QStringLiteral("mnuSavePlaylist"), [&library] { library.SaveOpenPlaylist(); }},
        {QStringLiteral("プレイリストの削除"), QStringLiteral("mnuDeletePlaylist"), [&library] { library.DeleteOpenPlaylist(); }},
        menuSeparator(),
        {QStringLiteral("プレイリストをシャッフル"), QStringLiteral("mnuShufflePlaylist"), [&library] { library.Shuffle(); }},
    };
    const MenuTable add = {
        {QStringLiteral("ファイルを追加"), QStringLiteral("mnuAddFile"), [&adder] { adder.addFileCommand(); }},
        {QStringLiteral("フォルダを開く"), QStringLiteral("mnuOpenFolder"), [&adder] { adder.openFolderCommand(); }},
        {QStringLiteral("ZIP書庫を開く"), QStringLiteral("mnuOpenArchive"), [&adder] { adder.openArchiveCommand(); }},
    };
    const MenuTable del = {
        {QStringLiteral("リストから削除"), QStringLiteral("mnuListDelete"), [&items] { items.ListDelete(); }},
        {QStringLiteral("ファイルごと削除"), QStringLiteral("mnuFileDelete"), [&items] { items.FileDelete(); }},
        {QStringLiteral("ごみ箱に移動"), QStringLiteral("mnuMoveTrash"), [&items] { items.MoveToDustBox(); }, {}, {},
         outsideDustBox},
        menuSeparator(),
        {QStringLiteral("エラートラックを削除"), QStringLiteral("mnuRemoveErrorTracks"), [&items] { items.RemoveErrorTracks(); }},
        {QStringLiteral("プレイリストをクリア"), QStringLiteral("mnuClearPlaylist"), [&items] { items.ClearPlaylist(); }},
    };
    const MenuTable select = {
        {QStringLiteral("全て選択"), QStringLiteral("mnuSelectAll"), [&list] { list.SelectAll(); }},
        {QStringLiteral("選択解除"), QStringLiteral("mnuUnselectAll"), [&list] { list.UnselectAll(); }},
        {QStringLiteral("選択反転"), QStringLiteral("mnuInvertSelection"), [&list] { list.InvertSelection(); }},
    };
    const MenuTable etc = inSubMenu(
        QStringLiteral("コピー"),
        {
            {QStringLiteral("フォルダにコピー"), QStringLiteral("mnuCopyToFolder"), [&items] { items.CopyToFolder(); }},
            {QStringLiteral("パスをコピー"), QStringLiteral("mnuCopyPath"), [&items] { items.CopyPath(); }},
        });
    // Check marks, not radio buttons: the window keeps exactly one set.
    MenuTable scope;
    const QStringList modes = PlaylistSearch::modeNames();
    for (int mode = 0; mode < modes.size() && mode < int(std::size(SearchModeNames)); ++mode) {
        scope.push_back({modes[mode], QString::fromLatin1(SearchModeNames[mode]), [this, mode] { m_search.setMode(mode); },
                         {}, [this, mode] { return m_search.mode() == mode; }});
    }
    const MenuTable window = {
        {QStringLiteral("常に手前に表示"), QStringLiteral("mnuForemost"),
         [&settings] { settings.setValue(SettingId::Foremost, settings.isOn(SettingId::Foremost) ? 0 : 1); }, {},
         [&settings] { return settings.isOn(SettingId::Foremost); }},
        {QStringLiteral("設定"), QStringLiteral("mnuSetting"), [this] { Q_EMIT settingsRequested(); }},
        {QStringLiteral("タスクトレイ"), QStringLiteral("mnuTaskTray"), [this] { Q_EMIT trayRequested(); },
         [this] { return m_trayAvailable; }},
        {QStringLiteral("サイズ調整"), QStringLiteral("mnuSizeChange"), [this] { showSizeWindow(); }},
        {QStringLiteral("終了"), QStringLiteral("mnuExit"), [this] { Q_EMIT exitRequested(); }},
    };
    const MenuTable track =
        MenuTable{
            {QStringLiteral("お気に入りに追加"), QStringLiteral("mnuAddToFavourites"), [&items] { items.AddToFavourites(); }},
            {QStringLiteral("次に再生するように設定"), QStringLiteral("mnuPlayNext"),
             [this, &items] { m_listView->setFocusedRow(items.PlayNext(m_listView->focusedRow())); }},
            menuSeparator(),
        } +
        inSubMenu(QStringLiteral("追加"),
                  {
                      {QStringLiteral("ファイルから追加"), QStringLiteral("mnuTrackAddFile"), [&adder] { adder.addFileCommand(); }},
                      {QStringLiteral("フォルダから追加"), QStringLiteral("mnuTrackOpenFolder"),
                       [&adder] { adder.openFolderCommand(); }},
                      {QStringLiteral("ZIP書庫を追加"), QStringLiteral("mnuTrackOpenArchive"),
                       [&adder] { adder.openArchiveCommand(); }},
                  }) +
        inSubMenu(QStringLiteral("削除"),
                  {
                      {QStringLiteral("リストから削除"), QStringLiteral("mnuTrackListDelete"), [&items] { items.ListDelete(); }},
                      {QStringLiteral("ファイルごと削除"), QStringLiteral("mnuTrackFileDelete"), [&items] { items.FileDelete(); }},
                      {QStringLiteral("ごみ箱に移動"), QStringLiteral("mnuTrackMoveTrash"), [&items] { items.MoveToDustBox(); },
                       {}, {}, outsideDustBox},
                  }) +
        MenuTable{
            menuSeparator(),
            {QStringLiteral("再構築(&U)"), QStringLiteral("mnuTrackRebuild"), [&items] { items.Rebuild(); }},
            {QStringLiteral("タグを編集(&T)"), QStringLiteral("mnuTagEditor"), [&items] { items.OpenInTagEditor(); },
             [&settings] { return !settings.text(SettingId::TagEditorPath).isEmpty(); }},
            {QStringLiteral("プロパティ(&P)"), QStringLiteral("mnuTrackProperties"),
             [this] { showTrackProperties(m_listView->focusedRow()); }},
            menuSeparator(),
            {QStringLiteral("保存先のディレクトリを開く(&O)"), QStringLiteral("mnuOpenContainingFolder"),
             [this, &items] { items.OpenContainingFolder(m_listView->focusedRow()); }},
        };
    const MenuTable tree = {
        {QStringLiteral("プレイリストを作成"), QStringLiteral("mnuCreatePlaylist"), [&library] { library.CreatePlaylist(); }},
        {QStringLiteral("カテゴリを作成"), QStringLiteral("mnuCreateCategory"), [&library] { library.CreateCategory(); }},
        menuSeparator(),
        {QStringLiteral("削除(&D)"), QStringLiteral("mnuTreeDelete"), [&library] { library.DeleteSelected(); }},
        {QStringLiteral("名前の変更(&M)"), QStringLiteral("mnuTreeRename"), [&library] { library.RenameSelected(); }},
        menuSeparator(),
        {QStringLiteral("再構築(&U)"), QStringLiteral("mnuTreeRebuild"), [&library] { library.Rebuild(); }},
        {QStringLiteral("プロパティ(&R)"), QStringLiteral("mnuTreeProperties"), [&library] { library.ShowProperties(); }},
    };

    const struct {
        Menu menu;
        const char *form;
        const MenuTable &table;
    } menus[] = {
        {AdminMenu, "adminMenu", admin}, {AddMenu, "addMenu", add},
        {DeleteMenu, "deleteMenu", del},         {SelectMenu, "selectMenu", select},
        {EtcMenu, "etcMenu", etc},               {SearchMenu, "searchScopeMenu", scope},
        {WindowMenu, "windowMenu", window},    {TrackMenu, "trackMenu", track},
        {TreeMenu, "treeMenu", tree},
    };
    for (const auto &m : menus) {
        QMenu *menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(m.form));
        fillMenu(menu, m.table);
        // The button whose menu closes gets its normal picture back.
        connect(menu, &QMenu::aboutToHide, this, [this] {
            if (m_popupButton)
                setButtonState(m_popupButton, Style::Normal);
            m_popupButton = 0;
        });
        m_menus[size_t(m.menu)] = menu;
    }
}

QFileDialog *PlaylistWindow::makeOpenFileDialog(QWidget *parent, const QString &filter, const QString &startFolder,
                                                bool several)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setNameFilters(DialogNameFilters(filter));
    if (!startFolder.isEmpty())
        dialog->setDirectory(startFolder);
    return dialog;
}

QFileDialog *PlaylistWindow::makeFolderDialog(QWidget *parent, const QString &title, const QString &startFolder)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setWindowTitle(title);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    if (!startFolder.isEmpty())
        dialog->setDirectory(startFolder);
    return dialog;
}

void PlaylistWindow::showTrackProperties(int focused)
{
    const int pos = m_items.targetRow(focused);
    if (pos == 0)
        return;
    const TrackPropertySheet sheet = m_properties.read(m_list.path(pos));
    // The desktop's own view only where it has one to show.
    std::function<void()> onDesktop;
    if (m_shell && m_shell->hasFileManager())
        onDesktop = [this, file = sheet.localFile] { m_items.ShowDesktopProperties(file); };
    auto *dialog = new TrackPropertiesDialog(sheet, onDesktop, this);
    dialog->showOnScreen();
}

void PlaylistWindow::showSizeWindow()
{
    if (m_sizeWindow)
        return;
    m_sizeWindow = new ListSizeChangeForm(geometry());
    connect(m_sizeWindow, &ListSizeChangeForm::sizeChosen, this, [this](const QRect &g) {
        showWithGeometry(this, g);
        m_listView->viewport()->update();
    });
    connect(m_sizeWindow, &ListSizeChangeForm::dragged, this, [this] { Q_EMIT placed(m_sizeWindow); });
    // However the sizing window goes (a click, or its own close button), the
    // playlist window comes back.
    connect(m_sizeWindow, &QObject::destroyed, this, [this] {
        if (!isVisible())
            show();
    });
    m_sizeWindow->show();
    hide();
}

void PlaylistWindow::popup(Menu m, const QPoint &clientPoint)
{
    m_lastPopup = m_menus[size_t(m)];
    m_lastPopupPoint = clientPoint;
    m_lastPopup->popup(mapToGlobal(clientPoint));
}

void PlaylistWindow::buttonPress(int b, Qt::MouseButton button, const QPoint &globalPos)
{
    if (b < 1 || b > PlaylistLayout::ButtonCount)
        return;
    setButtonState(b, Style::Pressed);
    m_popupButton = b;
    if (button != Qt::LeftButton) {
        popup(WindowMenu, mapFromGlobal(globalPos));
        return;
    }
    const QRect r = m_layout.buttons[size_t(b - 1)];
    switch (b) {
    case 1:
        popup(AdminMenu, QPoint(r.left(), r.top() + r.height()));
        break;
    case 2:
        m_popupButton = 0;
        Q_EMIT closeClicked();
        setButtonState(2, Style::Normal);
        break;
    case 3:
        popup(AddMenu, QPoint(r.left(), r.top() - 55));
        break;
    case 4: {
        // One entry fewer in the dust box: the menu stands 16 pixels lower.
        const bool inDustBox = m_list.PlaylistAddress() == ItemCommands::DustBoxFolderName;
        popup(DeleteMenu, QPoint(r.left(), r.top() - (inDustBox ? 55 : 71)));
        break;
    }
    case 5:
        popup(SelectMenu, QPoint(r.left(), r.top() - 55));
        break;
    case 6:
        popup(EtcMenu, QPoint(r.left(), r.top() - 23));
        break;
    }
}

void PlaylistWindow::showSearchMode()
{
    refreshMenu(m_menus[SearchMenu]);
}

void PlaylistWindow::searchIconClick()
{
    const QRect r = m_layout.searchIcon;
    popup(SearchMenu, QPoint(r.left(), r.top() + r.height()));
}

void PlaylistWindow::setTrayAvailable(bool available, const QString &whyNot)
{
    m_trayAvailable = available;
    if (QAction *tray = m_menus[WindowMenu]->findChild<QAction *>(QStringLiteral("mnuTaskTray")))
        tray->setToolTip(available ? QString() : whyNot);
    m_menus[WindowMenu]->setToolTipsVisible(!available);
    refreshMenu(m_menus[WindowMenu]);
}
