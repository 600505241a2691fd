#include "playlist/ListViewCommands.h"

#include "playlist/TrackList.h"

namespace ListViewCommands {

void ColumnHeaderClick(TrackList &list, int column)
{
    if (column < 0 || column >= TrackList::ColumnCount)
        return;
    const int order = list.sortOrder() == 1 ? 0 : 1;
    // Sorting is switched off while key and order change, so that the rows
    // are sorted once, by the new key, not once per setter.
    list.setSorted(false);
    list.setSortKey(column);
    if (column != 0) {
        list.setSortOrder(order);
        list.setSorted(true);
    } else {
        list.setSortOrder(0);
    }
    list.PlayingNoUpdate();
    list.RenumberList();
}

void DragItemSwap(TrackList &list, int i, int k)
{
    if (!list.isValidPos(i) || !list.isValidPos(k) || i == k)
        return;
    list.swapRows(i, k);
    for (int pos : {i, k})
        list.setIcon(pos, list.rowColor(pos) == list.activeItemColor() ? TrackRow::PlayingIcon : TrackRow::IdleIcon);
    list.setSelected(i, false);
    list.setSelected(k, true);
}

int MoveSelectedRows(TrackList &list, int pointerRow, int focusedRow)
{
    const int n = list.count();
    if (!list.isValidPos(pointerRow) || !list.isValidPos(focusedRow) || pointerRow == focusedRow)
        return focusedRow;
    if (focusedRow < pointerRow) {
        // A selected last row has nowhere to go: the block stays together.
        if (list.isSelected(n))
            return focusedRow;
        for (int r = n - 1; r >= 1; --r) {
            if (list.isSelected(r))
                DragItemSwap(list, r, r + 1);
        }
        ++focusedRow;
    } else {
        if (list.isSelected(1))
            return focusedRow;
        for (int r = 2; r <= n; ++r) {
            if (list.isSelected(r))
                DragItemSwap(list, r, r - 1);
        }
        --focusedRow;
    }
    list.setSelected(focusedRow, true);
    list.RenumberList();
    list.PlayingNoUpdate();
    list.UpdateStatus();
    return focusedRow;
}

void RightButtonSelect(TrackList &list, int pos)
{
    if (!list.isValidPos(pos)) {
        list.UnselectAll();
        return;
    }
    if (!list.isSelected(pos)) {
        list.UnselectAll();
        list.setSelected(pos, true);
    }
}

} // namespace ListViewCommands

QStringList DialogNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i].trimmed();
        // A label that already shows its patterns keeps only its words; the
        // patterns are written again from the pattern field.
        const qsizetype open = label.lastIndexOf(u'(');
        if (open > 0 && label.endsWith(u')'))
            label = label.left(open).trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == u"*.*")
                p = QStringLiteral("*");
        }
        result << label + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}
