#include "playlistwindow/ui/PlaylistWindow.h"

#include "library/LibraryTree.h"
#include "library/ui/LibraryTreeView.h"
#include "playback/Player.h"
#include "playlist/ItemCommands.h"
#include "playlist/ListViewCommands.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "playlist/ui/TrackListView.h"
#include "playlistwindow/ui/ListSizeChangeForm.h"
#include "playlistwindow/ui/PictureElement.h"
#include "playlistwindow/ui/SeekBar.h"
#include "settings/SettingsStore.h"
#include "window/ui/WindowGeometry.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

#include <cmath>

PlaylistWindow::PlaylistWindow(const PlaylistWindowModels &models, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_list(models.list)
    , m_library(models.library)
    , m_adder(models.adder)
    , m_settings(models.settings)
    , m_player(models.player)
    , m_search(models.search)
    , m_items(models.items)
    , m_commands(models.libraryCommands)
    , m_layout(PlaylistLayout::design(models.settings.isOn(SettingId::Flat)))
{
    setObjectName(QStringLiteral("list"));
    setWindowTitle(QStringLiteral("Velmora - Playlist"));
    setMouseTracking(true);
    buildControls();
    buildMenus();
    wireLogic();
    connect(&m_drag, &WindowDrag::moveFinished, this, [this] { Q_EMIT placed(this); });
    resize(m_layout.back.size());
    applyColors();
    applyFonts();
    applyFlat();
    runLayout();
}

PlaylistWindow::~PlaylistWindow()
{
    if (m_sizeWindow) {
        // Going away with the program: nothing is to be shown again.
        m_sizeWindow->disconnect(this);
        delete m_sizeWindow;
    }
}

// --- construction ---------------------------------------------------------------

void PlaylistWindow::buildControls()
{
    TrackList &list = m_list;
    m_treeView = new LibraryTreeView(m_library, m_commands, this);
    m_listView = new TrackListView(list, this);

    m_splitterGrip = new QWidget(this);
    m_splitterGrip->setObjectName(QStringLiteral("imgSplitter"));
    m_splitterGrip->setCursor(Qt::SplitHCursor);
    m_splitterGrip->installEventFilter(this);
    m_splitterBar = new QWidget(this);
    m_splitterBar->setObjectName(QStringLiteral("picSplitter"));
    m_splitterBar->setAutoFillBackground(true);
    QPalette barPalette = m_splitterBar->palette();
    barPalette.setColor(QPalette::Window, QColor(128, 128, 128));
    m_splitterBar->setPalette(barPalette);
    m_splitterBar->hide();

    m_addressBox = new QLineEdit(this);
    m_addressBox->setObjectName(QStringLiteral("txtAddressBox"));
    m_addressBox->setText(list.PlaylistAddress());
    m_searchBox = new QLineEdit(this);
    m_searchBox->setObjectName(QStringLiteral("txtSearchBox"));

    m_searchIcon = new PictureElement(this);
    m_searchIcon->setObjectName(QStringLiteral("imgSearchBox"));
    m_searchIcon->setToolTip(QStringLiteral("Search"));
    static const char *const tips[PlaylistLayout::ButtonCount] = {"Playlist Admin", "ClosePlaylist", "Add",
                                                                  "Delete",         "Select",        "ETC"};
    for (int i = 0; i < PlaylistLayout::ButtonCount; ++i) {
        auto *b = new PictureElement(this);
        b->setObjectName(QStringLiteral("imgListButtonImage%1").arg(i + 1));
        b->setToolTip(QString::fromLatin1(tips[i]));
        m_buttons[size_t(i)] = b;
    }
    m_seek = new SeekBar(this);
    m_seek->setObjectName(QStringLiteral("prgSeek"));
    m_statusBox = new QLabel(QStringLiteral("0000 / 0000"), this);
    m_statusBox->setObjectName(QStringLiteral("txtStatusBox"));
    m_statusBox->setAlignment(Qt::AlignCenter);
    m_statusBox->setText(list.statusText().isEmpty() ? QStringLiteral("0000 / 0000") : list.statusText());
    m_speaker = new PictureElement(this);
    m_speaker->setObjectName(QStringLiteral("imgSpeaker"));
    m_volumeBar = new PictureElement(this);
    m_volumeBar->setObjectName(QStringLiteral("imgVolumeBack"));
    m_knob = new PictureElement(this);
    m_knob->setObjectName(QStringLiteral("imgVolume"));

    for (QWidget *w : std::initializer_list<QWidget *>{m_searchIcon, m_statusBox, m_speaker, m_volumeBar, m_knob})
        w->installEventFilter(this);
    for (PictureElement *b : m_buttons)
        b->installEventFilter(this);
    m_statusBox->setMouseTracking(true);
    m_splitterBar->raise();
}

void PlaylistWindow::buildMenus()
{
    for (auto &m : m_menus)
        m = new QMenu(this);
    TrackList &list = m_list;
    TrackAdder &adder = m_adder;
    ItemCommands &items = m_items;

    QMenu *admin = m_menus[AdminMenu];
    admin->setObjectName(QStringLiteral("menuPlaylistAdminForm"));
    LibraryCommands &library = m_commands;
    admin->addAction(QStringLiteral("プレイリストの新規作成(クリア)"), this, [&items] { items.ClearPlaylist(); });
    admin->addAction(QStringLiteral("プレイリストを開く"), this, [&library] { library.OpenPlaylistFile(); });
    admin->addAction(QStringLiteral("プレイリストを保存"), this, [&library] { library.SaveOpenPlaylist(); });
    admin->addAction(QStringLiteral("プレイリストの削除"), this, [&library] { library.DeleteOpenPlaylist(); });
    admin->addSeparator();
    admin->addAction(QStringLiteral("プレイリストをシャッフル"), this, [&library] { library.Shuffle(); });

    QMenu *add = m_menus[AddMenu];
    add->setObjectName(QStringLiteral("menuAddForm"));
    add->addAction(QStringLiteral("ファイルを追加"), this, [&adder] { adder.addFileCommand(); });
    add->addAction(QStringLiteral("フォルダを開く"), this, [&adder] { adder.openFolderCommand(); });
    add->addAction(QStringLiteral("ZIP書庫を開く"), this, [&adder] { adder.openArchiveCommand(); });

    QMenu *del = m_menus[DeleteMenu];
    del->setObjectName(QStringLiteral("menuDeleteForm"));
    del->addAction(QStringLiteral("リストから削除"), this, [&items] { items.ListDelete(); });
    del->addAction(QStringLiteral("ファイルごと削除"), this, [&items] { items.FileDelete(); });
    m_moveTrashAction = del->addAction(QStringLiteral("ごみ箱に移動"), this, [&items] { items.MoveToDustBox(); });
    m_moveTrashAction->setObjectName(QStringLiteral("mnuMoveTrash"));
    del->addSeparator();
    del->addAction(QStringLiteral("エラートラックを削除"), this, [&items] { items.RemoveErrorTracks(); });
    del->addAction(QStringLiteral("プレイリストをクリア"), this, [&items] { items.ClearPlaylist(); });

    QMenu *select = m_menus[SelectMenu];
    select->setObjectName(QStringLiteral("menuSelectForm"));
    select->addAction(QStringLiteral("全て選択"), this, [&list] { list.SelectAll(); });
    select->addAction(QStringLiteral("選択解除"), this, [&list] { list.UnselectAll(); });
    select->addAction(QStringLiteral("選択反転"), this, [&list] { list.InvertSelection(); });

    QMenu *etc = m_menus[EtcMenu];
    etc->setObjectName(QStringLiteral("menuETCForm"));
    QMenu *copy = etc->addMenu(QStringLiteral("コピー"));
    copy->addAction(QStringLiteral("フォルダにコピー"), this, [&items] { items.CopyToFolder(); });
    copy->addAction(QStringLiteral("パスをコピー"), this, [this, &items] { items.CopyPath(m_listView->focusedRow()); });

    QMenu *scope = m_menus[SearchMenu];
    scope->setObjectName(QStringLiteral("menuForm4"));
    // Check marks, not radio buttons: the window keeps exactly one set.
    const QStringList modes = PlaylistSearch::modeNames();
    for (int mode = 0; mode < modes.size(); ++mode) {
        QAction *a = scope->addAction(modes[mode], this, [this, mode] {
            m_search.setMode(mode);
            showSearchMode();
        });
        a->setCheckable(true);
    }
    showSearchMode();

    QMenu *window = m_menus[WindowMenu];
    window->setObjectName(QStringLiteral("menuPlaylistForm"));
    m_foremostAction = window->addAction(QStringLiteral("常に手前に表示"));
    m_foremostAction->setObjectName(QStringLiteral("mnuForemost"));
    m_foremostAction->setCheckable(true);
    m_foremostAction->setChecked(m_settings.isOn(SettingId::Foremost));
    connect(m_foremostAction, &QAction::triggered, this,
            [this](bool checked) { m_settings.setValue(SettingId::Foremost, checked ? 1 : 0); });
    window->addAction(QStringLiteral("設定"), this, &PlaylistWindow::settingsRequested);
    m_trayAction = window->addAction(QStringLiteral("タスクトレイ"), this, &PlaylistWindow::trayRequested);
    m_trayAction->setObjectName(QStringLiteral("mnuTaskTray"));
    window->addAction(QStringLiteral("サイズ調整"), this, &PlaylistWindow::showSizeWindow);
    window->addAction(QStringLiteral("終了"), this, &PlaylistWindow::exitRequested);

    QMenu *track = m_menus[TrackMenu];
    track->setObjectName(QStringLiteral("menuForm2"));
    track->addAction(QStringLiteral("お気に入りに追加"), this, [&items] { items.AddToFavourites(); });
    track->addAction(QStringLiteral("次に再生するように設定"), this, [this, &items] {
        m_listView->setFocusedRow(items.PlayNext(m_listView->focusedRow()));
    });
    track->addSeparator();
    QMenu *trackAdd = track->addMenu(QStringLiteral("追加"));
    trackAdd->addAction(QStringLiteral("ファイルから追加"), this, [&adder] { adder.addFileCommand(); });
    trackAdd->addAction(QStringLiteral("フォルダから追加"), this, [&adder] { adder.openFolderCommand(); });
    trackAdd->addAction(QStringLiteral("ZIP書庫を追加"), this, [&adder] { adder.openArchiveCommand(); });
    QMenu *trackDelete = track->addMenu(QStringLiteral("削除"));
    trackDelete->addAction(QStringLiteral("リストから削除"), this, [&items] { items.ListDelete(); });
    trackDelete->addAction(QStringLiteral("ファイルごと削除"), this, [&items] { items.FileDelete(); });
    m_trackMoveTrashAction =
        trackDelete->addAction(QStringLiteral("ごみ箱に移動"), this, [&items] { items.MoveToDustBox(); });
    track->addSeparator();
    track->addAction(QStringLiteral("再構築(&U)"), this, [&items] { items.Rebuild(); });
    m_tagEditorAction = track->addAction(QStringLiteral("タグを編集(&T)"), this, [&items] { items.OpenInTagEditor(); });
    m_tagEditorAction->setEnabled(!m_settings.text(SettingId::TagEditorPath).isEmpty());
    track->addAction(QStringLiteral("プロパティ(&P)"), this,
                     [this, &items] { items.ShowProperties(m_listView->focusedRow()); });
    track->addSeparator();
    track->addAction(QStringLiteral("保存先のディレクトリを開く(&O)"), this,
                     [this, &items] { items.OpenContainingFolder(m_listView->focusedRow()); });

    QMenu *tree = m_menus[TreeMenu];
    tree->setObjectName(QStringLiteral("menuForm3"));
    tree->addAction(QStringLiteral("プレイリストを作成"), this, [&library] { library.CreatePlaylist(); });
    tree->addAction(QStringLiteral("カテゴリを作成"), this, [&library] { library.CreateCategory(); });
    tree->addSeparator();
    tree->addAction(QStringLiteral("削除(&D)"), this, [&library] { library.DeleteSelected(); });
    tree->addAction(QStringLiteral("名前の変更(&M)"), this, [&library] { library.RenameSelected(); });
    tree->addSeparator();
    tree->addAction(QStringLiteral("再構築(&U)"), this, [&library] { library.Rebuild(); });
    tree->addAction(QStringLiteral("プロパティ(&R)"), this, [&library] { library.ShowProperties(); });

    // The button whose menu closes gets its normal picture back.
    for (QMenu *m : m_menus) {
        connect(m, &QMenu::aboutToHide, this, [this] {
            if (m_popupButton)
                setButtonState(m_popupButton, Style::Normal);
            m_popupButton = 0;
        });
    }
}

QFileDialog *PlaylistWindow::makeOpenFileDialog(QWidget *parent, const QString &filter, const QString &startFolder)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
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

void PlaylistWindow::wireLogic()
{
    TrackList &list = m_list;
    Player &player = m_player;

    connect(m_listView, &TrackListView::playRequested, this, [&player] { player.PlaySelectedTrack(); });
    connect(m_listView, &TrackListView::contextMenuWanted, this,
            [this](const QPoint &global) { popup(TrackMenu, mapFromGlobal(global)); });
    connect(m_listView, &TrackListView::filesDropped, this,
            [this](const QStringList &paths) { m_adder.AddDroppedFiles(paths); });
    connect(m_treeView, &LibraryTreeView::nodeClicked, this, [this](int index) { m_commands.NodeClick(index); });
    connect(m_treeView, &LibraryTreeView::rightPressed, this, [this](int index, const QPoint &global) {
        m_commands.TreeRightClick(index);
        popup(TreeMenu, mapFromGlobal(global));
    });
    connect(m_seek, &SeekBar::pressed, this, &PlaylistWindow::seekPress);
    connect(&player, &Player::positionChanged, this, &PlaylistWindow::showPosition);
    connect(&player, &Player::volumeChanged, this, &PlaylistWindow::showVolume);
    connect(&player, &Player::mutedChanged, this, &PlaylistWindow::showSpeaker);

    connect(m_treeView, &LibraryTreeView::labelEditStarted, this, [this](int index) { m_commands.LabelEditBegin(index); });

    connect(&list, &TrackList::statusTextChanged, this, [this](const QString &text) {
        m_statusBox->setText(text);
        m_statusBox->setToolTip(text); // the box is narrow; the whole text on hover
    });
    connect(&list, &TrackList::playlistAddressChanged, this, [this](const QString &address) {
        if (m_addressBox->text() != address)
            m_addressBox->setText(address);
    });
    // The address box is typed by hand; whatever it holds is the address,
    // and the save refuses addresses that leave the playlist folder.
    connect(m_addressBox, &QLineEdit::textEdited, this,
            [&list](const QString &text) { list.setPlaylistAddress(text); });
    connect(&m_settings, &SettingsStore::valueChanged, this, &PlaylistWindow::applySetting);

    // The search box is the search's text: typing filters, and a filter
    // that ends elsewhere empties the box.
    connect(m_searchBox, &QLineEdit::textEdited, this, [this](const QString &text) { m_search.setText(text); });
    connect(&m_search, &PlaylistSearch::textChanged, this, [this](const QString &text) {
        if (m_searchBox->text() != text)
            m_searchBox->setText(text);
    });
    connect(&m_search, &PlaylistSearch::modeChanged, this, &PlaylistWindow::showSearchMode);
    auto *find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, [this] {
        m_searchBox->setFocus(Qt::ShortcutFocusReason);
        m_searchBox->selectAll();
    });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_searchBox);
    escape->setContext(Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, [this] { m_search.clear(); });
    connect(m_listView, &TrackListView::deleteKeyPressed, this, [this](bool withFiles) {
        if (withFiles)
            m_items.FileDelete();
        else
            m_items.ListDelete();
    });
}

// --- style and settings -----------------------------------------------------------

void PlaylistWindow::setStyle(const Style &style)
{
    m_style = style;
    for (int b = 1; b <= PlaylistLayout::ButtonCount; ++b)
        setButtonState(b, m_buttonState[size_t(b - 1)]);
    m_searchIcon->setImage(style.other[Style::SearchBox]);
    m_volumeBar->setImage(style.other[Style::VolumeBar]);
    m_knob->setImage(style.other[Style::VolumeKnob]);
    showSpeaker();
    m_listView->setIcons(style.icons);
    m_listView->setBackgroundPicture(style.viewBack);
    m_treeView->setIcons(style.icons);
    update();
}

QColor PlaylistWindow::slotColor(ColorSlot slot) const
{
    return m_settings.color(slot);
}

void PlaylistWindow::applyColors()
{
    m_seek->setColors(slotColor(ProgressSlot), slotColor(ProgressBackSlot));
    m_listView->setBackgroundColor(slotColor(PlaylistBackSlot));
    m_treeView->setColors(slotColor(TreeForeSlot), slotColor(TreeBackSlot), slotColor(SelectForeSlot), slotColor(SelectBackSlot));
    for (QLineEdit *box : {m_addressBox, m_searchBox}) {
        QPalette pal = box->palette();
        pal.setColor(QPalette::Base, slotColor(BoxBackSlot));
        pal.setColor(QPalette::Text, slotColor(BoxForeSlot));
        box->setPalette(pal);
    }
    // The status text stands on the background picture without a box of
    // its own; it takes the boxes' text colour so that it reads on any style.
    QPalette status = m_statusBox->palette();
    status.setColor(QPalette::WindowText, slotColor(BoxForeSlot));
    m_statusBox->setPalette(status);
    update();
}

void PlaylistWindow::applyFonts()
{
    const SettingsStore &s = m_settings;
    QFont font(s.text(SettingId::ListFontName));
    font.setPointSize(qMax(1, s.value(SettingId::ListFontSize)));
    font.setBold(s.isOn(SettingId::ListFontBold));
    m_listView->setRowFont(font);
}

void PlaylistWindow::applyFlat()
{
    const bool flat = m_settings.isOn(SettingId::Flat);
    const int boxHeight = flat ? 16 : 17;
    m_layout.addressBox.setHeight(boxHeight);
    m_layout.searchBox.setHeight(boxHeight);
    m_layout.seek.setHeight(flat ? 9 : 12);
    for (QLineEdit *box : {m_addressBox, m_searchBox})
        box->setFrame(!flat);
    m_seek->setFlat(flat);
    for (QFrame *f : std::initializer_list<QFrame *>{m_treeView, m_listView}) {
        f->setFrameShape(flat ? QFrame::Box : QFrame::StyledPanel);
        f->setFrameShadow(flat ? QFrame::Plain : QFrame::Sunken);
    }
    m_statusBox->setFrameShape(QFrame::NoFrame);
}

void PlaylistWindow::applySetting(SettingId id)
{
    const SettingsStore &s = m_settings;
    if (isColorSetting(id)) {
        applyColors();
        return;
    }
    switch (id) {
    case SettingId::ListFontName:
    case SettingId::ListFontSize:
    case SettingId::ListFontBold:
        applyFonts();
        break;
    case SettingId::GridDisplay:
        m_listView->setShowGrid(s.isOn(SettingId::GridDisplay));
        break;
    case SettingId::PGBStyle:
        m_seek->setSegmented(s.value(SettingId::PGBStyle) != 0);
        m_seek->setColors(slotColor(ProgressSlot), slotColor(ProgressBackSlot));
        break;
    case SettingId::Flat:
        applyFlat();
        runLayout();
        break;
    case SettingId::ListStretch:
        update();
        break;
    case SettingId::TreeClick:
        m_treeView->setSingleClickExpand(s.value(SettingId::TreeClick) == 0);
        break;
    case SettingId::Foremost:
        m_foremostAction->setChecked(s.isOn(SettingId::Foremost));
        break;
    case SettingId::TagEditorPath:
        m_tagEditorAction->setEnabled(!s.text(SettingId::TagEditorPath).isEmpty());
        break;
    case SettingId::Sort:
    case SettingId::SortKey:
    case SettingId::SortOrder:
        break;
    default:
        if (id >= SettingId::Header1Width && id <= SettingId::Header8Width)
            m_listView->setColumnWidth(int(id) - int(SettingId::Header1Width), s.value(id));
        break;
    }
}

void PlaylistWindow::applySettings()
{
    SettingsStore &s = m_settings;
    setGeometry(s.pixels(SettingId::PlaylistLeft), s.pixels(SettingId::PlaylistTop), s.pixels(SettingId::PlaylistWidth),
                s.pixels(SettingId::PlaylistHeight));
    const int separate = s.value(SettingId::PlaylistSeparate);
    m_layout = m_layout.withTreeWidth(separate);
    m_treeView->setVisible(separate > 0);
    for (int c = 0; c < ColumnCount; ++c)
        m_listView->setColumnWidth(c, s.value(columnWidthSetting(c)));
    m_listView->setShowGrid(s.isOn(SettingId::GridDisplay));
    m_treeView->setSingleClickExpand(s.value(SettingId::TreeClick) == 0);
    m_seek->setSegmented(s.value(SettingId::PGBStyle) != 0);
    m_foremostAction->setChecked(s.isOn(SettingId::Foremost));
    applyColors();
    applyFonts();
    applyFlat();
    runLayout();
}

void PlaylistWindow::storeState()
{
    SettingsStore &s = m_settings;
    const QRect g = geometry();
    s.setPixels(SettingId::PlaylistLeft, g.left());
    s.setPixels(SettingId::PlaylistTop, g.top());
    s.setPixels(SettingId::PlaylistWidth, g.width());
    s.setPixels(SettingId::PlaylistHeight, g.height());
    s.setValue(SettingId::PlaylistSeparate, m_layout.tree.width());
    for (int c = 0; c < ColumnCount; ++c)
        s.setValue(columnWidthSetting(c), m_listView->columnWidth(c));
    s.setValue(SettingId::Sort, m_list.isSorted() ? 1 : 0);
    s.setValue(SettingId::SortKey, m_list.sortKey());
    s.setValue(SettingId::SortOrder, m_list.sortOrder());
}

// --- layout -----------------------------------------------------------------------

void PlaylistWindow::runLayout()
{
    m_layout = PlaylistLayout::compute(m_layout, size(), m_player.volumePercent());
    applyLayout();
    volumeStep(false);
}

void PlaylistWindow::applyLayout()
{
    const PlaylistLayout &l = m_layout;
    m_treeView->setGeometry(l.tree);
    m_listView->setGeometry(l.list);
    m_splitterGrip->setGeometry(l.splitterGrip);
    m_splitterBar->setGeometry(l.splitterBar);
    m_addressBox->setGeometry(l.addressBox);
    m_searchIcon->setGeometry(l.searchIcon);
    m_searchBox->setGeometry(l.searchBox);
    for (int i = 0; i < PlaylistLayout::ButtonCount; ++i)
        m_buttons[size_t(i)]->setGeometry(l.buttons[size_t(i)]);
    m_seek->setGeometry(l.seek);
    m_statusBox->setGeometry(l.status);
    m_speaker->setGeometry(l.speaker);
    m_volumeBar->setGeometry(l.volumeBar);
    m_knob->setGeometry(l.knob);
    update();
}

void PlaylistWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    runLayout();
}

void PlaylistWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), slotColor(ListBackSlot));
    if (m_style.listBack.isNull())
        return;
    if (m_settings.isOn(SettingId::ListStretch))
        p.drawImage(rect(), m_style.listBack);
    else
        p.drawImage(0, 0, m_style.listBack);
}

void PlaylistWindow::splitterPress()
{
    m_splitterBar->setGeometry(m_layout.splitterBar);
    m_splitterBar->show();
    m_splitterBar->raise();
    m_splitterMoving = true;
}

void PlaylistWindow::splitterMove(int clientX)
{
    if (!m_splitterMoving)
        return;
    m_layout.splitterBar.moveLeft(Splitter::barLeft(clientX, width()));
    m_splitterBar->setGeometry(m_layout.splitterBar);
}

void PlaylistWindow::splitterRelease()
{
    if (!m_splitterMoving)
        return;
    m_layout = m_layout.withTreeWidth(Splitter::treeWidthFor(m_layout.splitterBar.left()));
    runLayout();
    m_treeView->setVisible(m_layout.tree.width() != 0);
    m_splitterBar->hide();
    m_splitterMoving = false;
}

// --- buttons and menus --------------------------------------------------------------

void PlaylistWindow::setButtonState(int b, int state)
{
    if (b < 1 || b > PlaylistLayout::ButtonCount)
        return;
    m_buttonState[size_t(b - 1)] = state;
    m_buttons[size_t(b - 1)]->setImage(m_style.listButtons[size_t(state)][size_t(b - 1)]);
}

void PlaylistWindow::backgroundMove()
{
    if (m_hoverButton == 0)
        return;
    setButtonState(m_hoverButton, Style::Normal);
    m_hoverButton = 0;
}

void PlaylistWindow::popup(Menu m, const QPoint &clientPoint)
{
    // The dust box's own list has nothing to move into the dust box.
    const bool inDustBox = m_list.PlaylistAddress() == ItemCommands::DustBoxFolderName;
    m_moveTrashAction->setVisible(!inDustBox);
    m_trackMoveTrashAction->setVisible(!inDustBox);
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
    const QList<QAction *> entries = m_menus[SearchMenu]->actions();
    for (int i = 0; i < entries.size(); ++i)
        entries[i]->setChecked(i == m_search.mode());
}

void PlaylistWindow::searchIconClick()
{
    const QRect r = m_layout.searchIcon;
    popup(SearchMenu, QPoint(r.left(), r.top() + r.height()));
}

void PlaylistWindow::statusClick()
{
    setFocus();
    m_list.setStatusMode(!m_list.StatusMode());
    m_list.UpdateStatus();
}

void PlaylistWindow::setTrayAvailable(bool available, const QString &whyNot)
{
    m_trayAction->setEnabled(available);
    m_trayAction->setToolTip(available ? QString() : whyNot);
    m_menus[WindowMenu]->setToolTipsVisible(!available);
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

// --- volume, mute and seek ----------------------------------------------------------

void PlaylistWindow::volumeStep(bool leftButtonHeld)
{
    const VolumeStep step = VolumeStep::forOffset(m_layout.knob.left() - m_layout.volumeBar.left());
    m_knob->setToolTip(step.tooltip);
    // Steps without a button (a layout, the pointer passing over the knob)
    // leave a muted channel muted; a drag sets the volume even while muted.
    m_player.setVolumePercent(step.percent, leftButtonHeld);
}

void PlaylistWindow::showVolume(int percent)
{
    // The knob's own steps are already in place (a drag may hold it past 100).
    if (VolumeStep::forOffset(m_layout.knob.left() - m_layout.volumeBar.left()).percent == percent)
        return;
    m_layout.knob.moveLeft(m_layout.volumeBar.left() + percent);
    m_knob->setGeometry(m_layout.knob);
    m_knob->setToolTip(VolumeStep::forOffset(percent).tooltip);
}

void PlaylistWindow::knobMove(int knobLeft, bool leftButtonHeld)
{
    if (leftButtonHeld) {
        // The pointer is held between the bar's left edge and the window's
        // right edge while the knob is dragged.
        knobLeft = qBound(m_layout.volumeBar.left(), knobLeft, qMax(m_layout.volumeBar.left(), width() - m_layout.knob.width()));
        m_layout.knob.moveLeft(knobLeft);
        m_knob->setGeometry(m_layout.knob);
    }
    volumeStep(leftButtonHeld);
}

void PlaylistWindow::knobRelease()
{
    const int released = VolumeStep::releasedOffset(m_layout.knob.left() - m_layout.volumeBar.left());
    m_layout.knob.moveLeft(m_layout.volumeBar.left() + released);
    m_knob->setGeometry(m_layout.knob);
}

void PlaylistWindow::volumeBarPress(int clientX)
{
    m_layout.knob.moveLeft(clientX);
    m_knob->setGeometry(m_layout.knob);
    volumeStep(true);
    knobRelease();
}

void PlaylistWindow::showSpeaker()
{
    m_speaker->setImage(m_style.other[m_player.isMuted() ? Style::Mute : Style::Speaker]);
}

void PlaylistWindow::speakerClick()
{
    m_player.toggleMute();
}

void PlaylistWindow::seekPress(int x)
{
    const int barWidth = m_seek->width();
    if (barWidth > 0)
        m_player.seekToFraction(double(x) / barWidth);
}

void PlaylistWindow::showPosition(const PlaybackPosition &position)
{
    m_seek->setMaximum(position.lengthBytes);
    m_seek->setValue(position.bytes);
}

void PlaylistWindow::setSeekMaximum(int bytes)
{
    m_seek->setMaximum(bytes);
}

void PlaylistWindow::setSeekValue(int bytes)
{
    m_seek->setValue(bytes);
}

void PlaylistWindow::scrollToRow(int pos)
{
    if (m_list.isValidPos(pos))
        m_listView->scrollTo(m_list.index(pos - 1, 0));
}

void PlaylistWindow::DragItemSwap(int i, int k)
{
    ListViewCommands::DragItemSwap(m_list, i, k);
}

// --- mouse ------------------------------------------------------------------------------

int PlaylistWindow::buttonOf(QObject *watched) const
{
    for (int i = 0; i < PlaylistLayout::ButtonCount; ++i) {
        if (m_buttons[size_t(i)] == watched)
            return i + 1;
    }
    return 0;
}

bool PlaylistWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    auto *widget = static_cast<QWidget *>(watched);
    const QPoint client = widget->mapTo(this, mouse->position().toPoint());

    if (const int b = buttonOf(watched)) {
        if (type == QEvent::MouseMove) {
            backgroundMove();
            if (m_buttonState[size_t(b - 1)] != Style::Pressed)
                setButtonState(b, Style::Hover);
            m_hoverButton = b;
        } else if (press) {
            buttonPress(b, mouse->button(), mouse->globalPosition().toPoint());
        } else if (m_popupButton != b) {
            setButtonState(b, Style::Normal);
        }
        return true;
    }
    if (watched == m_splitterGrip) {
        if (press && mouse->button() == Qt::LeftButton)
            splitterPress();
        else if (type == QEvent::MouseMove)
            splitterMove(client.x());
        else if (type == QEvent::MouseButtonRelease)
            splitterRelease();
        return true;
    }
    if (watched == m_knob) {
        if (type == QEvent::MouseMove)
            knobMove(client.x(), mouse->buttons() & Qt::LeftButton);
        else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
            knobRelease();
        return true;
    }
    if (watched == m_volumeBar) {
        if (press && mouse->button() == Qt::LeftButton)
            volumeBarPress(client.x());
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    if (watched == m_speaker) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            speakerClick();
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    if (watched == m_searchIcon) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            searchIconClick();
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    if (watched == m_statusBox) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            statusClick();
        else if (type == QEvent::MouseMove)
            backgroundMove();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PlaylistWindow::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
    if (event->button() == Qt::RightButton)
        popup(WindowMenu, event->position().toPoint());
}

void PlaylistWindow::mouseMoveEvent(QMouseEvent *event)
{
    backgroundMove();
    m_drag.move(event);
}

void PlaylistWindow::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release(event);
}

void PlaylistWindow::leaveEvent(QEvent *event)
{
    backgroundMove();
    QWidget::leaveEvent(event);
}
