#include "playlist/ui/TrackListView.h"

#include "core/NativePath.h"
#include "core/ui/SkinPainting.h"
#include "playlist/TrackList.h"
#include "playlist/ListViewCommands.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Column 0 shows the row's icon before its text.
class RowDelegate : public QStyledItemDelegate
{
public:
    RowDelegate(const std::array<QImage, 10> &icons, QObject *parent) : QStyledItemDelegate(parent), m_icons(icons) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() != 0)
            return;
        const int icon = index.data(TrackList::IconRole).toInt();
        if (icon >= 1 && icon <= int(m_icons.size()) && !m_icons[size_t(icon - 1)].isNull()) {
            option->icon = QIcon(QPixmap::fromImage(m_icons[size_t(icon - 1)]));
            option->decorationSize = m_icons[size_t(icon - 1)].size();
            option->features |= QStyleOptionViewItem::HasDecoration;
        }
    }

private:
    const std::array<QImage, 10> &m_icons;
};

} // namespace

TrackListView::TrackListView(TrackList &list, QWidget *parent) : QTableView(parent), m_list(list)
{
    setObjectName(QStringLiteral("lvwListView"));
    setModel(&m_list);
    setItemDelegate(new RowDelegate(m_icons, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    // Rows are moved by the move handler, never dragged; files may be dropped.
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // Every row has the same height, so the view never measures rows.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    viewport()->setAutoFillBackground(false);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TrackListView::headerClicked);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TrackListView::viewSelectionChanged);
    connect(&m_list, &QAbstractItemModel::dataChanged, this, &TrackListView::rowsChanged);
    // After a sort or a reset the flags are the truth; the view follows them.
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, [this] { selectionFromRows(0, m_list.count() - 1); });
    connect(&m_list, &QAbstractItemModel::modelReset, this, [this] { selectionFromRows(0, m_list.count() - 1); });
    connect(&m_list, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { selectionFromRows(first, last); });
}

void TrackListView::setIcons(const std::array<QImage, 10> &icons)
{
    m_icons = icons;
    viewport()->update();
}

void TrackListView::setBackgroundPicture(const QImage &picture)
{
    m_background = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
    viewport()->update();
}

void TrackListView::setBackgroundColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
    viewport()->update();
}

void TrackListView::setRowFont(const QFont &font)
{
    setFont(font);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
}

int TrackListView::rowAtPoint(const QPoint &viewportPos) const
{
    const int row = rowAt(viewportPos.y());
    return row < 0 ? 0 : row + 1;
}

int TrackListView::focusedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void TrackListView::setFocusedRow(int pos)
{
    if (m_list.isValidPos(pos))
        selectionModel()->setCurrentIndex(m_list.index(pos - 1, 0), QItemSelectionModel::NoUpdate);
}

void TrackListView::paintEvent(QPaintEvent *event)
{
    {
        QPainter p(viewport());
        p.fillRect(event->rect(), palette().color(QPalette::Base));
        if (!m_background.isNull())
            drawSkinTiles(p, event->rect(), m_background, event->rect().topLeft());
    }
    QTableView::paintEvent(event);
}

void TrackListView::headerClicked(int column)
{
    ListViewCommands::ColumnHeaderClick(m_list, column);
}

void TrackListView::viewSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_syncing)
        return;
    m_syncing = true;
    for (const QItemSelectionRange &r : deselected)
        m_list.setSelectedRange(r.top() + 1, r.bottom() + 1, false);
    for (const QItemSelectionRange &r : selected)
        m_list.setSelectedRange(r.top() + 1, r.bottom() + 1, true);
    m_syncing = false;
}

void TrackListView::rowsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // No roles means every role: a swap of two rows moves their flags, too.
    if (m_syncing || (!roles.isEmpty() && !roles.contains(TrackList::SelectedRole)))
        return;
    selectionFromRows(topLeft.row(), bottomRight.row());
}

void TrackListView::selectionFromRows(int first, int last)
{
    first = qMax(first, 0);
    last = qMin(last, m_list.count() - 1);
    if (first > last)
        return;
    const int lastColumn = TrackList::ColumnCount - 1;
    QItemSelection runs;
    int start = -1;
    for (int r = first; r <= last + 1; ++r) {
        const bool selected = r <= last && m_list.row(r + 1).isSelected();
        if (selected && start < 0)
            start = r;
        if (!selected && start >= 0) {
            runs.select(m_list.index(start, 0), m_list.index(r - 1, lastColumn));
            start = -1;
        }
    }
    m_syncing = true;
    QItemSelectionModel *model = selectionModel();
    model->select(QItemSelection(m_list.index(first, 0), m_list.index(last, lastColumn)), QItemSelectionModel::Deselect);
    if (!runs.isEmpty())
        model->select(runs, QItemSelectionModel::Select);
    m_syncing = false;
}

void TrackListView::mousePressEvent(QMouseEvent *event)
{
    m_movedRows = false;
    m_deferredRow = 0;
    const int row = rowAtPoint(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        ListViewCommands::RightButtonSelect(m_list, row);
        if (row)
            setFocusedRow(row);
        Q_EMIT contextMenuWanted(event->globalPosition().toPoint());
        viewport()->update();
        return;
    }
    // A press on a selected row keeps the selection, so that the rows can
    // be moved together; without a move it selects that row alone on release.
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && row &&
        m_list.isSelected(row)) {
        m_deferredRow = row;
        setFocusedRow(row);
        return;
    }
    QTableView::mousePressEvent(event);
}

void TrackListView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    // Moving with the left button held reorders rows; it never starts a
    // drag or extends the selection.
    const int focused = focusedRow();
    const int moved = ListViewCommands::MoveSelectedRows(m_list, rowAtPoint(event->position().toPoint()), focused);
    if (moved != focused) {
        m_movedRows = true;
        setFocusedRow(moved);
        scrollTo(m_list.index(moved - 1, 0));
    }
}

void TrackListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_movedRows) {
        m_movedRows = false;
        m_deferredRow = 0;
        setState(NoState);
        return;
    }
    if (m_deferredRow && event->button() == Qt::LeftButton) {
        const int row = m_deferredRow;
        m_deferredRow = 0;
        m_list.UnselectAll();
        m_list.setSelected(row, true);
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void TrackListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && rowAtPoint(event->position().toPoint()))
        Q_EMIT playRequested();
}

void TrackListView::keyPressEvent(QKeyEvent *event)
{
    // Enter plays the row the keyboard is on, as a double click plays the row under the pointer.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        const int pos = currentIndex().row() + 1;
        m_list.UnselectAll();
        m_list.setSelected(pos, true);
        Q_EMIT playRequested();
        return;
    }
    if (event->key() == Qt::Key_Delete && (event->modifiers() & ~Qt::KeypadModifier & ~Qt::ShiftModifier) == 0) {
        Q_EMIT deleteKeyPressed(event->modifiers() & Qt::ShiftModifier);
        return;
    }
    QTableView::keyPressEvent(event);
}

void TrackListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TrackListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TrackListView::dropEvent(QDropEvent *event)
{
    const QStringList paths = NativePath::localPathsOfUrls(event->mimeData()->urls());
    event->acceptProposedAction();
    if (!paths.isEmpty())
        Q_EMIT filesDropped(paths);
}
