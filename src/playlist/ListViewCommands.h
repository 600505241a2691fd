#pragma once

#include <QString>
#include <QStringList>

class TrackList;

// What the track list view does with the rows when the user sorts, drags
// and right-clicks. Positions are 1-based, 0 = none. User-interface thread.
namespace ListViewCommands {

// Column header click on `column` (0 = the path column, 1 = No, ... 7 =
// Extension): flips the sort order; the path column switches sorting off
// with the order ascending and leaves the rows as they are, every other
// column sorts by its text. Then finds the playing row again and renumbers.
// Sorts at most once.
void ColumnHeaderClick(TrackList &list, int column);

// `DragItemSwap`: exchanges rows i and k except their No cells; each row
// then carries the playing icon exactly when it has the playing colour,
// otherwise the idle icon (a "not found" mark does not move with the row).
// Row i ends unselected, row k selected.
void DragItemSwap(TrackList &list, int i, int k);

// One step of moving the selected rows towards row `pointerRow` (the row
// under the pointer) from the focused row `focusedRow`: every selected row
// moves one place down (pointer below) or up (pointer above), then the
// rows are renumbered and the playing row found again. Returns the new
// focused row (focusedRow +/- 1), or focusedRow when nothing moved (no row
// under the pointer, pointer on the focused row, or a selected row already
// at the end it moves towards).
int MoveSelectedRows(TrackList &list, int pointerRow, int focusedRow);

// The right button pressed on row `pos` (0: where there is no row): an
// unselected row becomes the only selected one; a selected row keeps the
// whole selection; no row clears the selection.
void RightButtonSelect(TrackList &list, int pos);

} // namespace ListViewCommands

// The open-file dialog's filter "label|patterns|label|patterns" (patterns
// separated by ";") as the toolkit's list of name filters: each entry shows
// its label with its patterns in parentheses; "*.*" matches every file.
QStringList DialogNameFilters(const QString &filter);
