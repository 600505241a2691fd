#pragma once

#include <QImage>
#include <QPixmap>
#include <QTableView>

#include <array>

class TrackList;

// The track list `lvwListView`: the rows of the open playlist in report
// view, several selectable at once.
//
// The selection lives in the rows' flags (TrackList), which the row
// routines read and write; this view keeps its own selection model equal
// to them in both directions, range by range, so that selecting or
// clearing 100,000 rows costs one notification.
//
// Header clicks sort, a double click asks to play, the right button
// adjusts the selection and asks for the popup menu, moving with the left
// button held moves the selected rows one step per move, and dropped files
// are handed on.
class TrackListView : public QTableView
{
    Q_OBJECT
public:
    explicit TrackListView(TrackList &list, QWidget *parent = nullptr);

    // Row and tree icons of the style (index 0 is icon 1).
    void setIcons(const std::array<QImage, 10> &icons);
    // The picture drawn behind the rows, and the colour around it.
    void setBackgroundPicture(const QImage &picture);
    void setBackgroundColor(const QColor &color);
    // The font of the rows; the row height follows it.
    void setRowFont(const QFont &font);

    // The 1-based row at `viewportPos`, 0 where there is no row.
    int rowAtPoint(const QPoint &viewportPos) const;
    // The focused row, 1-based (0 = none).
    int focusedRow() const;
    void setFocusedRow(int pos);

Q_SIGNALS:
    // A double click on a row, or Enter: play the focused row.
    void playRequested();
    // The right button was pressed; the selection is already adjusted.
    void contextMenuWanted(const QPoint &globalPos);
    // Local files were dropped onto the list, in the drop's order.
    void filesDropped(const QStringList &paths);
    // Delete (`withFiles` false) or Shift+Delete (true) was pressed.
    void deleteKeyPressed(bool withFiles);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void headerClicked(int column);
    void viewSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void rowsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    // Makes the view's selection of rows first..last (0-based) equal to the rows' flags.
    void selectionFromRows(int first, int last);

    TrackList &m_list;
    std::array<QImage, 10> m_icons;
    QPixmap m_background; // tiled, so that a list wider than the picture has no bare band
    bool m_syncing = false;      // a selection change that came from the rows
    bool m_movedRows = false;    // this press moved rows
    int m_deferredRow = 0;       // pressed on a selected row: select it alone on release
};
