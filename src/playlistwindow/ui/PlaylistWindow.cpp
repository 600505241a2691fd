#include "playlistwindow/ui/PlaylistWindow.h"

#include "core/ui/SkinPainting.h"
#include "library/LibraryTree.h"
#include "library/ui/LibraryTreeView.h"
#include "playback/Player.h"
#include "playlist/ItemCommands.h"
#include "playlist/ListViewCommands.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"
#include "playlist/ui/TrackListView.h"
#include "playlistwindow/ui/PictureElement.h"
#include "playlistwindow/ui/SeekBar.h"
#include "settings/SettingsStore.h"
#include "window/ui/MenuBuilder.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QShortcut>

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
    , m_properties(models.properties)
    , m_shell(models.shell)
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

// --- the models, the controls and the keys ------------------------------------------

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
    // Escape in the list stops a folder that is being read.
    auto *stopAdding = new QShortcut(QKeySequence(Qt::Key_Escape), m_listView);
    stopAdding->setContext(Qt::WidgetShortcut);
    connect(stopAdding, &QShortcut::activated, this, [this] { m_adder.stopAdding(); });
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
        refreshMenu(m_menus[WindowMenu]);
        break;
    case SettingId::TagEditorPath:
        refreshMenu(m_menus[TrackMenu]);
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
    refreshMenu(m_menus[WindowMenu]);
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
        drawSkinImage(p, rect(), m_style.listBack);
    else
        drawSkinImage(p, QPoint(0, 0), m_style.listBack);
}

// --- what the player and the list report ----------------------------------------------------

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
