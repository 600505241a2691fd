#pragma once

#include "playlist/PathNames.h"
#include "playlist/PlayingTrack.h"
#include "playlist/TrackRow.h"

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

// What ListItemDelete needs from the rest of the program. UI thread only.
class RowDeletion
{
public:
    virtual ~RowDeletion() = default;
    // Mode 1: asks `question` with Yes/No buttons and the question icon;
    // true = Yes. No: nothing is deleted.
    virtual bool askYesNo(const QString &question) = 0;
    // Mode 1: sends one file to the recycle bin; false when it could not.
    // The rows of a file that did not go stay in the list, selected.
    virtual bool recycle(const QString &path) = 0;
    // The deletion left the list empty: the open audio stream is closed.
    virtual void listEmptied() = 0;
};

// Mode 0: rows leave the list, files stay; an emptied list closes the
// playing track's stream.
class RowsOnlyDeletion final : public RowDeletion
{
public:
    explicit RowsOnlyDeletion(PlayingTrack &playing) : m_playing(playing) {}
    bool askYesNo(const QString &) override { return true; }
    bool recycle(const QString &) override { return false; }
    void listEmptied() override { m_playing.closeStream(); }

private:
    PlayingTrack &m_playing;
};

// The open playlist: the one home of its rows, of PlayingNo, PlayoldNo,
// StatusMode, the sort state and the status text, with the row routines the
// whole program uses. It is also the item model the track list view shows:
// eight columns (the path, then No, Title, Artist, Time, BitRate, Date,
// Extension), one row per track, no children.
//
// Positions in the row routines are 1-based (0 = none) and counted in 32
// bits; Qt model indexes are 0-based. The text colour of a row is the
// authoritative playing mark: PlayingNoUpdate() finds the playing row by it.
// Colours are colour values 0x00BBGGRR.
//
// User-interface thread only. Routines that let events run (SelectItemCount,
// ListItemDelete) re-read the row count after each yield.
class TrackList : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1, // QString: the row path (also column 0's text)
        IconRole,                    // int: TrackRow::Icon index; 0 = no icon
        SelectedRole,                // bool: the row's selection flag
        ColorValueRole,              // uint: the row's text colour as 0x00BBGGRR
    };
    static constexpr int ColumnCount = 8;

    explicit TrackList(QObject *parent = nullptr);

    // --- item model --------------------------------------------------------
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Sorts the rows by the column's text (sortRows); does not change the sort state.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The header text of column 0..7.
    static QString headerText(int column);
    // The BitRate cell as the list shows it. The playlist file keeps the
    // text it always held ("128bps", meaning kilobits per second), so files
    // written by any version read alike; the list says "128kbps". Other
    // text is shown as it stands.
    static QString BitRateForDisplay(QStringView stored);

    // --- rows (positions 1..count) -----------------------------------------
    int count() const { return static_cast<int>(m_rows.size()); }
    bool isValidPos(int pos) const { return pos >= 1 && pos <= count(); }
    // The row at `pos`; pos must be valid.
    const TrackRow &row(int pos) const { return m_rows[static_cast<size_t>(pos - 1)]; }
    const std::vector<TrackRow> &rows() const { return m_rows; }
    // Path and cell texts; empty for an invalid position.
    QString path(int pos) const;
    QString cellText(int pos, int cell) const;

    // Setters on one row; an invalid position is ignored.
    void setPath(int pos, QStringView path);
    void setCellText(int pos, int cell, QStringView text);
    void setInfo(int pos, QStringView title, QStringView artist, QStringView time, QStringView bitRate);
    void setIcon(int pos, int icon);
    int icon(int pos) const;
    void setSelected(int pos, bool selected);
    // Sets the flag of rows first..last (clamped to the list) with one change
    // notification, for views that select many rows at once.
    void setSelectedRange(int first, int last, bool selected);
    bool isSelected(int pos) const;
    quint32 rowColor(int pos) const;
    // Sets the text colour of one row without the playing-mark rules.
    void setRowColor(int pos, quint32 color);

    // Appends rows at the end as one insertion (no sorting, no renumbering).
    void appendRows(std::vector<TrackRow> &&rows);
    void appendRow(TrackRow row);
    // Makes room for `additional` more rows, so that a long load grows the
    // row storage once and leaves no slack.
    void reserveRows(int additional);
    // A new row for `path` with icon 1 and the ordinary text colour.
    TrackRow makeRow(QStringView path) const { return TrackRow(path, m_playlistForeColor); }
    // Removes `n` rows from `pos` on; PlayingNo is not touched.
    void removeRowsAt(int pos, int n);
    // Exchanges everything of rows i and k except their No cells.
    void swapRows(int i, int k);

    // --- list state ---------------------------------------------------------
    int PlayingNo() const { return m_playingNo; }
    void setPlayingNo(int pos) { m_playingNo = pos; }
    int PlayoldNo() const { return m_playoldNo; }
    void setPlayoldNo(int pos) { m_playoldNo = pos; }
    // false: the status shows positions; true: times.
    bool StatusMode() const { return m_statusMode; }
    void setStatusMode(bool showTimes) { m_statusMode = showTimes; }
    // The open playlist's address: its path under the playlist folder
    // without ".m3u" ("AutoPlaylist", "Rock/Live").
    QString PlaylistAddress() const { return m_address; }
    void setPlaylistAddress(const QString &address);
    // The status box text.
    QString statusText() const { return m_statusText; }
    void setStatusText(const QString &text);

    quint32 playlistForeColor() const { return m_playlistForeColor; }
    // The ordinary row text colour (colour slot 0). Rows are not recoloured here.
    void setPlaylistForeColor(quint32 color) { m_playlistForeColor = color; }
    quint32 activeItemColor() const { return m_activeItemColor; }
    // The playing row's text colour (colour slot 2). Rows are not recoloured here.
    void setActiveItemColor(quint32 color) { m_activeItemColor = color; }

    // --- sort state ---------------------------------------------------------
    // Sort key: column 0..7; order: 0 ascending, 1 descending. While sorted,
    // changing the key or order sorts the rows again at once.
    int sortKey() const { return m_sortKey; }
    int sortOrder() const { return m_sortOrder; }
    bool isSorted() const { return m_sorted; }
    void setSortKey(int column);
    void setSortOrder(int order);
    // Switching sorting on sorts the rows now; switching it off keeps their order.
    void setSorted(bool sorted);
    // Stable sort of all rows by the text of `column` ignoring letter case
    // (No sorts as text, so 10 comes before 2). Rows keep every cell, their
    // colour and selection; PlayingNo is not touched. One layout change.
    void sortRows(int column, Qt::SortOrder order);

    // --- row routines -------------------------------------------------------
    // Removes all rows; PlayingNo = 0. Any load running into this list stops.
    void ClearList();
    // No of row i = i for every row; then UpdateStatus.
    void RenumberList();
    // Rewrites the status text: "PlayingNo / count", or with StatusMode the
    // playing row's Time (or "00:00") and " / " TotalTimeText.
    void UpdateStatus();
    // The sum of all Time cells: "h:mm:ss" from one hour on, else "mm:ss".
    QString TotalTimeText() const;
    void SelectAll();
    void UnselectAll();
    void InvertSelection();
    // Number of selected rows; lets events run while counting.
    int SelectItemCount();
    // mode true: row `pos` gets the active-item colour; false: the ordinary one.
    void ListItemForeColorChange(bool mode, int pos);
    // PlayingNo = the first row whose colour is not the ordinary one (then
    // UpdateStatus and PlayoldNo = PlayingNo); unchanged when there is none.
    void PlayingNoUpdate();
    // Removes the selected rows, moving PlayingNo with its row (to the row
    // before when the playing row goes). Mode 1 first asks, then sends the
    // files to the recycle bin; rows whose file stayed are kept. Then
    // RenumberList and UpdateStatus. Returns false when the question was
    // answered No (nothing changed).
    bool ListItemDelete(int mode, RowDeletion &deletion);
    // Removes every row for which `remove` is true, moving PlayingNo with
    // its row as ListItemDelete does. Does not renumber. Returns how many went.
    int removeRowsWhere(const std::function<bool(const TrackRow &)> &remove);
    // `PlayingTrackRestore`: PlayingNo = the first row whose path is
    // `playingFilePath` ignoring letter case (unchanged when none is); every
    // row unselected; then the row PlayingNo gets the playing colour and
    // icon and is selected, or PlayoldNo = 0 when there is none. Returns the
    // row to scroll into view, 0 for none.
    int PlayingTrackRestore(const QString &playingFilePath);
    // Date = the file's modification time, Extension = ExtensionOf the path.
    // Returns false (Date untouched) when the file cannot be examined.
    bool GetFileInfo(int pos);
    bool GetFileInfo2(int pos) { return GetFileInfo(pos); }
    // Resets a row from its path: Extension, Title = BaseNameOf, Artist,
    // BitRate and Time empty, Date from the file (left empty when unreadable).
    void GetFileInfo4(int pos);
    // GetFileInfo and GetFileInfo4 on a row not yet in a list, from a probe
    // of its path (filling rows in bulk without a signal per row).
    static bool fileInfoInto(TrackRow &row, const FileProbe &probe);
    static void fileInfo4Into(TrackRow &row, const FileProbe &probe);
    // The rows' part of applying colour slot 0: every row except row
    // PlayingNo gets the ordinary text colour.
    void ApplyPlaylistForeColor();
    // Every row its text colour: the ordinary one, and the active-item
    // colour for row PlayingNo.
    void ApplyRowColors();

    // The question ListItemDelete mode 1 asks before `n` selected rows' files
    // go to the desktop's trash; it says so, with the count.
    static QString deleteQuestion(int n);

    // --- loads in progress ----------------------------------------------------
    // Changes whenever ClearList empties the list; a loop that let events run
    // compares it to know whether its list is still the one it was filling.
    quint64 generation() const { return m_generation; }
    // True while a playlist file is being read into the list; a save then
    // would write a partial list.
    bool isLoading() const { return m_loading > 0; }
    // While a load runs: the number of rows the list held when the outermost
    // load began (the first so many rows are a whole list); 0 when the list
    // was emptied since (what it held before is not this list any more); -1
    // when rows were taken out meanwhile or no load runs.
    int rowsBeforeLoad() const
    {
        if (m_loading == 0)
            return -1;
        if (m_generation != m_loadGeneration)
            return 0;
        return count() >= m_rowsBeforeLoad ? m_rowsBeforeLoad : -1;
    }
    class LoadingScope
    {
    public:
        explicit LoadingScope(TrackList &list) : m_list(list)
        {
            if (m_list.m_loading++ == 0) {
                m_list.m_rowsBeforeLoad = m_list.count();
                m_list.m_loadGeneration = m_list.m_generation;
            }
        }
        ~LoadingScope() { --m_list.m_loading; }
        LoadingScope(const LoadingScope &) = delete;
        LoadingScope &operator=(const LoadingScope &) = delete;

    private:
        TrackList &m_list;
    };

Q_SIGNALS:
    void statusTextChanged(const QString &text);
    // ClearList emptied the list: whatever it showed is gone.
    void cleared();
    void playlistAddressChanged(const QString &address);

private:
    TrackRow *rowPtr(int pos) { return isValidPos(pos) ? &m_rows[static_cast<size_t>(pos - 1)] : nullptr; }
    void emitRowChanged(int pos, const QList<int> &roles = {});
    void emitAllChanged(int firstColumn, int lastColumn, const QList<int> &roles);
    void applyPermutation(const std::vector<int> &order);

    std::vector<TrackRow> m_rows;
    int m_playingNo = 0;
    int m_playoldNo = 0;
    bool m_statusMode = false;
    QString m_address;
    QString m_statusText;
    quint32 m_playlistForeColor = 0x5F5F5F;
    quint32 m_activeItemColor = 0xFFFFFF;
    int m_sortKey = 0;
    int m_sortOrder = 0;
    bool m_sorted = false;
    quint64 m_generation = 0;
    int m_loading = 0;
    int m_rowsBeforeLoad = 0;
    quint64 m_loadGeneration = 0;
};
