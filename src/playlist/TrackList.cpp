#include "playlist/TrackList.h"

#include "core/EventPump.h"
#include "playlist/PathNames.h"

#include <QColor>
#include <QSet>
#include <algorithm>

namespace {

QColor toQColor(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// The integer part of a number at the start of `text` (after blanks); 0 when
// there is none. Large values are capped so that sums of 100,000 rows stay exact.
qint64 integerPart(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value < 1'000'000'000)
            value = value * 10 + (text[i].unicode() - u'0');
    }
    return value;
}

QString twoDigits(qint64 v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// The text a column sorts by, with its letter case folded: No as its
// digits (so 10 comes before 2), the other cells and the path as they read.
QString sortText(const TrackRow &row, int column)
{
    switch (column) {
    case TrackRow::NoCell:
        return row.number() == 0 ? QString() : QString::number(row.number());
    case TrackRow::TitleCell:
        return row.title().toString().toCaseFolded();
    case TrackRow::ArtistCell:
        return row.artist().toString().toCaseFolded();
    case TrackRow::TimeCell:
        return row.time().toString().toCaseFolded();
    case TrackRow::BitRateCell:
        return row.bitRate().toString().toCaseFolded();
    case TrackRow::ExtensionCell:
        return row.extension().toString().toCaseFolded();
    default:
        return row.path().toString().toCaseFolded();
    }
}

} // namespace

QString TrackList::BitRateForDisplay(QStringView stored)
{
    if (!stored.endsWith(u"bps") || stored.endsWith(u"kbps"))
        return stored.toString();
    const QStringView number = stored.chopped(3);
    if (number.isEmpty() || !std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); }))
        return stored.toString();
    return number.toString() + QStringLiteral("kbps");
}

TrackList::TrackList(QObject *parent) : QAbstractTableModel(parent)
{
}

int TrackList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int TrackList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrackList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const TrackRow &r = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == TrackRow::BitRateCell)
            return BitRateForDisplay(r.bitRate());
        return index.column() == 0 ? r.path().toString() : r.cellText(index.column());
    case Qt::ForegroundRole:
        return toQColor(r.color());
    case Qt::TextAlignmentRole:
        switch (index.column()) {
        case TrackRow::NoCell:
        case TrackRow::TimeCell:
        case TrackRow::BitRateCell:
        case TrackRow::ExtensionCell:
            return int(Qt::AlignCenter);
        default:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
    case PathRole:
        return r.path().toString();
    case IconRole:
        return r.icon();
    case SelectedRole:
        return r.isSelected();
    case ColorValueRole:
        return r.color();
    default:
        return QVariant();
    }
}

QString TrackList::headerText(int column)
{
    static const char *const texts[ColumnCount] = {" ", "No", "Title", "Artist", "Time", "BitRate", "Date",
                                                   "Extension"};
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(texts[column]) : QString();
}

QVariant TrackList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return headerText(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

Qt::ItemFlags TrackList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TrackList::sort(int column, Qt::SortOrder order)
{
    sortRows(column, order);
}

// --- rows -------------------------------------------------------------------

QString TrackList::path(int pos) const
{
    return isValidPos(pos) ? row(pos).path().toString() : QString();
}

QString TrackList::cellText(int pos, int cell) const
{
    return isValidPos(pos) ? row(pos).cellText(cell) : QString();
}

void TrackList::emitRowChanged(int pos, const QList<int> &roles)
{
    Q_EMIT dataChanged(index(pos - 1, 0), index(pos - 1, ColumnCount - 1), roles);
}

void TrackList::emitAllChanged(int firstColumn, int lastColumn, const QList<int> &roles)
{
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, firstColumn), index(count() - 1, lastColumn), roles);
}

void TrackList::setPath(int pos, QStringView path)
{
    if (TrackRow *r = rowPtr(pos)) {
        r->setPath(path);
        emitRowChanged(pos);
    }
}

void TrackList::setCellText(int pos, int cell, QStringView text)
{
    if (TrackRow *r = rowPtr(pos)) {
        if (cell == TrackRow::NoCell)
            r->setNumber(text.toInt());
        else
            r->setCellText(cell, text);
        emitRowChanged(pos);
    }
}

void TrackList::setInfo(int pos, QStringView title, QStringView artist, QStringView time, QStringView bitRate)
{
    if (TrackRow *r = rowPtr(pos)) {
        r->setInfo(title, artist, time, bitRate);
        emitRowChanged(pos);
    }
}

void TrackList::setIcon(int pos, int icon)
{
    if (TrackRow *r = rowPtr(pos)) {
        r->setIcon(icon);
        emitRowChanged(pos, {IconRole, Qt::DecorationRole});
    }
}

int TrackList::icon(int pos) const
{
    return isValidPos(pos) ? row(pos).icon() : 0;
}

void TrackList::setSelected(int pos, bool selected)
{
    TrackRow *r = rowPtr(pos);
    if (r && r->isSelected() != selected) {
        r->setSelected(selected);
        emitRowChanged(pos, {SelectedRole});
    }
}

void TrackList::setSelectedRange(int first, int last, bool selected)
{
    first = std::max(first, 1);
    last = std::min(last, count());
    if (first > last)
        return;
    for (int i = first; i <= last; ++i)
        m_rows[size_t(i - 1)].setSelected(selected);
    Q_EMIT dataChanged(index(first - 1, 0), index(last - 1, ColumnCount - 1), {SelectedRole});
}

bool TrackList::isSelected(int pos) const
{
    return isValidPos(pos) && row(pos).isSelected();
}

quint32 TrackList::rowColor(int pos) const
{
    return isValidPos(pos) ? row(pos).color() : 0;
}

void TrackList::setRowColor(int pos, quint32 color)
{
    if (TrackRow *r = rowPtr(pos)) {
        r->setColor(color);
        emitRowChanged(pos, {Qt::ForegroundRole, ColorValueRole});
    }
}

void TrackList::appendRows(std::vector<TrackRow> &&rows)
{
    if (rows.empty())
        return;
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty() && m_rows.capacity() < rows.size())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
    rows.clear();
}

void TrackList::reserveRows(int additional)
{
    if (additional > 0)
        m_rows.reserve(m_rows.size() + size_t(additional));
}

void TrackList::appendRow(TrackRow row)
{
    const int n = count();
    beginInsertRows(QModelIndex(), n, n);
    m_rows.push_back(std::move(row));
    endInsertRows();
}

void TrackList::removeRowsAt(int pos, int n)
{
    if (!isValidPos(pos) || n <= 0)
        return;
    n = std::min(n, count() - pos + 1);
    beginRemoveRows(QModelIndex(), pos - 1, pos + n - 2);
    const auto first = m_rows.begin() + (pos - 1);
    m_rows.erase(first, first + n);
    endRemoveRows();
}

void TrackList::swapRows(int i, int k)
{
    TrackRow *a = rowPtr(i);
    TrackRow *b = rowPtr(k);
    if (!a || !b || a == b)
        return;
    const int na = a->number();
    const int nb = b->number();
    std::swap(*a, *b);
    a->setNumber(na);
    b->setNumber(nb);
    emitRowChanged(i);
    emitRowChanged(k);
}

// --- state ------------------------------------------------------------------

void TrackList::setPlaylistAddress(const QString &address)
{
    if (address == m_address)
        return;
    m_address = address;
    Q_EMIT playlistAddressChanged(m_address);
}

void TrackList::setStatusText(const QString &text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    Q_EMIT statusTextChanged(m_statusText);
}

void TrackList::setSortKey(int column)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortKey = column;
    if (m_sorted)
        sortRows(m_sortKey, m_sortOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TrackList::setSortOrder(int order)
{
    m_sortOrder = order ? 1 : 0;
    if (m_sorted)
        sortRows(m_sortKey, m_sortOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TrackList::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (m_sorted)
        sortRows(m_sortKey, m_sortOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TrackList::sortRows(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount || m_rows.size() < 2)
        return;
    std::vector<int> order_(m_rows.size());
    for (size_t i = 0; i < order_.size(); ++i)
        order_[i] = static_cast<int>(i);
    const bool descending = order == Qt::DescendingOrder;
    if (column == TrackRow::DateCell) {
        std::stable_sort(order_.begin(), order_.end(), [&](int x, int y) {
            const qint64 a = m_rows[size_t(x)].date();
            const qint64 b = m_rows[size_t(y)].date();
            return descending ? a > b : a < b;
        });
    } else {
        // Each row's text is folded once; folding both sides of every one of
        // the ~1.7 million comparisons of a 100,000-row sort cost twice as much.
        std::vector<QString> keys(m_rows.size());
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = sortText(m_rows[i], column);
        std::stable_sort(order_.begin(), order_.end(), [&](int x, int y) {
            const int c = QStringView(keys[size_t(x)]).compare(QStringView(keys[size_t(y)]));
            return descending ? c > 0 : c < 0;
        });
    }
    for (size_t i = 0; i < order_.size(); ++i) {
        if (order_[i] != static_cast<int>(i)) {
            applyPermutation(order_);
            return;
        }
    }
}

void TrackList::applyPermutation(const std::vector<int> &order)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<TrackRow> sorted;
    sorted.reserve(m_rows.size());
    for (int old : order)
        sorted.push_back(std::move(m_rows[size_t(old)]));
    m_rows.swap(sorted);

    std::vector<int> newRowOf(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        newRowOf[size_t(order[i])] = static_cast<int>(i);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &idx : from)
        to.append(index(newRowOf[size_t(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// --- routines -----------------------------------------------------------------

void TrackList::ClearList()
{
    beginResetModel();
    std::vector<TrackRow>().swap(m_rows); // gives the memory back, too
    endResetModel();
    m_playingNo = 0;
    ++m_generation;
    Q_EMIT cleared();
}

void TrackList::RenumberList()
{
    int first = -1;
    int last = -1;
    for (int i = 0; i < count(); ++i) {
        TrackRow &r = m_rows[size_t(i)];
        if (r.number() != i + 1) {
            r.setNumber(i + 1);
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first >= 0)
        Q_EMIT dataChanged(index(first, TrackRow::NoCell), index(last, TrackRow::NoCell), {Qt::DisplayRole});
    UpdateStatus();
}

void TrackList::UpdateStatus()
{
    const QString separator = QStringLiteral(" / ");
    if (m_statusMode) {
        const QString total = TotalTimeText();
        const QString playing = m_playingNo != 0 && isValidPos(m_playingNo) ? row(m_playingNo).time().toString()
                                                                            : QStringLiteral("00:00");
        setStatusText(playing + separator + total);
    } else {
        setStatusText(QString::number(m_playingNo) + separator + QString::number(count()));
    }
}

QString TrackList::TotalTimeText() const
{
    qint64 total = 0;
    for (const TrackRow &r : m_rows) {
        const QStringView t = r.time();
        if (t.isEmpty())
            continue;
        const qsizetype colon = t.indexOf(u':');
        const qint64 minutes = integerPart(colon >= 0 ? t.left(colon) : t);
        const qint64 seconds = colon >= 0 ? integerPart(t.mid(colon + 1)) : 0;
        total += minutes * 60 + seconds;
    }
    const qint64 hours = total / 3600;
    const qint64 minutes = (total / 60) % 60;
    const qint64 seconds = total - hours * 3600 - minutes * 60;
    if (hours != 0)
        return QString::number(hours) + u':' + twoDigits(minutes) + u':' + twoDigits(seconds);
    return twoDigits(minutes) + u':' + twoDigits(seconds);
}

void TrackList::SelectAll()
{
    for (TrackRow &r : m_rows)
        r.setSelected(true);
    emitAllChanged(0, ColumnCount - 1, {SelectedRole});
}

void TrackList::UnselectAll()
{
    for (TrackRow &r : m_rows)
        r.setSelected(false);
    emitAllChanged(0, ColumnCount - 1, {SelectedRole});
}

void TrackList::InvertSelection()
{
    for (TrackRow &r : m_rows)
        r.setSelected(!r.isSelected());
    emitAllChanged(0, ColumnCount - 1, {SelectedRole});
}

int TrackList::SelectItemCount()
{
    int n = 0;
    for (int i = 1; i <= count(); ++i) { // count() is read again after each yield
        if (row(i).isSelected())
            ++n;
        EventPump::yield();
    }
    return n;
}

void TrackList::ListItemForeColorChange(bool mode, int pos)
{
    setRowColor(pos, mode ? m_activeItemColor : m_playlistForeColor);
}

void TrackList::PlayingNoUpdate()
{
    for (int i = 1; i <= count(); ++i) {
        if (row(i).color() != m_playlistForeColor) {
            m_playingNo = i;
            UpdateStatus();
            m_playoldNo = m_playingNo;
            return;
        }
    }
}

QString TrackList::deleteQuestion(int n)
{
    return QStringLiteral("選択している%1件のファイルをゴミ箱に移動します。\r\nよろしいですか？").arg(n);
}

bool TrackList::ListItemDelete(int mode, RowDeletion &deletion)
{
    if (mode == 1) {
        const int n = SelectItemCount();
        if (!deletion.askYesNo(deleteQuestion(n)))
            return false;
    }
    setStatusText(QStringLiteral("Now Deleting..."));
    EventPump::flush();

    if (mode == 1) {
        // Each file once, however many rows name it.
        QStringList paths;
        QSet<QString> seen;
        for (const TrackRow &r : m_rows) {
            if (r.isSelected() && !seen.contains(r.path().toString())) {
                seen.insert(r.path().toString());
                paths.append(r.path().toString());
            }
        }
        QSet<QString> stayed;
        for (const QString &p : paths) {
            if (!deletion.recycle(p))
                stayed.insert(p);
            EventPump::yield();
        }
        // A row whose file is still there stays, selected: removing it
        // would hide a file the user believes gone.
        removeRowsWhere([&stayed](const TrackRow &r) {
            return r.isSelected() && (stayed.isEmpty() || !stayed.contains(r.path().toString()));
        });
    } else {
        removeRowsWhere([](const TrackRow &r) { return r.isSelected(); });
    }

    RenumberList();
    if (m_rows.empty())
        deletion.listEmptied();
    UpdateStatus();
    return true;
}

int TrackList::removeRowsWhere(const std::function<bool(const TrackRow &)> &remove)
{
    // PlayingNo moves down by the number of removed rows at or above it,
    // which also takes it to the row before when the playing row itself goes.
    struct Run {
        int pos;
        int n;
    };
    std::vector<Run> runs;
    int removed = 0;
    int removedAtOrAbovePlaying = 0;
    for (int i = 1; i <= count(); ++i) {
        if (!remove(row(i)))
            continue;
        ++removed;
        if (i <= m_playingNo)
            ++removedAtOrAbovePlaying;
        if (!runs.empty() && runs.back().pos + runs.back().n == i)
            ++runs.back().n;
        else
            runs.push_back({i, 1});
    }
    if (runs.size() <= 64) {
        for (auto it = runs.rbegin(); it != runs.rend(); ++it)
            removeRowsAt(it->pos, it->n);
    } else {
        beginResetModel();
        m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(), remove), m_rows.end());
        endResetModel();
    }
    m_playingNo -= removedAtOrAbovePlaying;
    return removed;
}

int TrackList::PlayingTrackRestore(const QString &playingFilePath)
{
    if (!playingFilePath.isEmpty()) {
        for (int i = 1; i <= count(); ++i) {
            if (row(i).path().compare(playingFilePath, Qt::CaseInsensitive) == 0) {
                m_playingNo = i;
                break;
            }
        }
    }
    UnselectAll();
    const int pos = m_playingNo;
    if (pos == 0 || !isValidPos(pos)) {
        m_playoldNo = 0;
        return 0;
    }
    UpdateStatus();
    m_playoldNo = pos;
    ListItemForeColorChange(true, pos);
    setIcon(pos, TrackRow::PlayingIcon);
    setSelected(pos, true);
    return pos;
}

bool TrackList::GetFileInfo(int pos)
{
    TrackRow *r = rowPtr(pos);
    if (!r)
        return false;
    const bool ok = fileInfoInto(*r, ProbeFile(r->path().toString()));
    emitRowChanged(pos);
    return ok;
}

void TrackList::GetFileInfo4(int pos)
{
    TrackRow *r = rowPtr(pos);
    if (!r)
        return;
    fileInfo4Into(*r, ProbeFile(r->path().toString()));
    emitRowChanged(pos);
}

bool TrackList::fileInfoInto(TrackRow &row, const FileProbe &probe)
{
    if (probe.exists)
        row.setDate(probe.modified);
    row.setExtension(ExtensionOf(row.path()));
    return probe.exists;
}

void TrackList::fileInfo4Into(TrackRow &row, const FileProbe &probe)
{
    const QString extension = ExtensionOf(row.path());
    const QString title = BaseNameOf(row.path());
    row.setExtension(extension);
    row.setInfo(title, QStringView(), QStringView(), QStringView());
    if (probe.exists)
        row.setDate(probe.modified);
}

void TrackList::ApplyRowColors()
{
    ApplyPlaylistForeColor();
    if (m_playingNo != 0)
        ListItemForeColorChange(true, m_playingNo);
}

void TrackList::ApplyPlaylistForeColor()
{
    for (int i = 1; i <= count(); ++i) {
        if (i != m_playingNo)
            m_rows[size_t(i - 1)].setColor(m_playlistForeColor);
    }
    emitAllChanged(0, ColumnCount - 1, {Qt::ForegroundRole, ColorValueRole});
}
