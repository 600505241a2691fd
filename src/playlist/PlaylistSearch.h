#pragma once

#include "playlist/ListFilter.h"
#include "playlist/PathNames.h"
#include "playlist/TrackRow.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class ListScroller;
class PlayingTrack;
class PlaylistStore;
class TrackList;
class WildcardPattern;

// The search box: filters the open playlist as the user types.
//
// Each change of the text rebuilds the list from the playlist's file and
// keeps the rows that match "*" + text + "*" (see WildcardPattern) in the
// fields the mode names, in file order, sorted afterwards when the list was
// sorted. The kept rows carry no icon and no playing mark; PlayingNo is 0
// while a filter is on. Emptying the text brings every row of the file back
// and marks the playing track again (selected, scrolled into view); sorting
// then stays off.
//
// The file is the source only when it holds what the list showed as typing
// began. A list with changes its file lacks (rows added, a folder or the
// command line listed, tags read while playing, or no file at all) is
// filtered from those rows as they were instead, so typing never loses a
// row. A filter ends, without a reload, when anything else empties the list
// (another playlist opened, a folder listed, the list cleared). Rows added
// while a filter is on (a hand-over, a drop) show at once and belong to the
// list: they stay when the filter ends, and every later keystroke searches
// them too.
//
// A keystroke does not look at every record's file on disk: files the list
// had already found are taken as present.
//
// User-interface thread only. Events run while the file is read; a newer
// keystroke arriving then takes over, and the older one stops.
class PlaylistSearch : public QObject, public ListFilter, public FilteredList
{
    Q_OBJECT
public:
    // The scope menu's entries, by mode number (SerchMode).
    enum Mode { AllFields = 0, PathOnly = 1, TitleOnly = 2, ArtistOnly = 3 };
    static QStringList modeNames();

    // `playing` and `scroller` mark and show the playing row again when a
    // filter ends.
    PlaylistSearch(TrackList &list, PlaylistStore &store, const PlayingTrack &playing, ListScroller &scroller,
                   QObject *parent = nullptr);
    ~PlaylistSearch() override;

    QString text() const { return m_text; }
    int mode() const { return m_mode; }
    // True while the list shows only the rows that match a text.
    bool isFiltering() const { return m_active; }
    // While filtering: every row of the list, those out of sight and those
    // added while the filter is on included (what a save writes once the
    // filter is off); otherwise the rows on show.
    const std::vector<TrackRow> &allRows() const override;
    // True while the search empties and refills the list itself.
    bool isRefilling() const override { return m_rebuilding; }

    // The search box's text changed to `text` (every keystroke): the list
    // is rebuilt. An empty text on an unfiltered list changes nothing.
    void setText(const QString &text);
    // A scope menu entry: a new mode is taken and the text searched again;
    // the mode already in force, or one outside 0..3, changes nothing.
    void setMode(int mode);
    // Empties the text: a filtered list gets all its rows back.
    void clear() override;

    // Cells read in the background for the rows of `path`: while a filter is
    // on, the rows it holds out of sight (and brings back when it ends) take
    // them too, where their Time cell is still empty; the list source is then
    // those rows, not the file. The rows on show are matched again once the
    // current turn of the event loop is over (one refresh for a batch of
    // reads): a row that now matches shows, one that no longer does goes,
    // the selection stays on the rows that stay. True when a row out of
    // sight took the cells.
    bool takeFilledCells(const QString &path, const QString &title, const QString &artist, const QString &time,
                         const QString &bitRate) override;

    // Files that item commands moved away or deleted while a filter is on:
    // they do not come back when the filter ends.
    void forgetFiles(const QStringList &paths);

    // True when `row` matches `pattern` in the fields of `mode`: 0 path,
    // title or artist; 1 path; 2 title; 3 artist; other modes nothing.
    static bool rowMatches(const TrackRow &row, const WildcardPattern &pattern, int mode);

Q_SIGNALS:
    // The text changed other than by setText (cleared, or the filter ended).
    void textChanged(const QString &text);
    void modeChanged(int mode);

private:
    void rebuild();
    // The rows of `source` that match the text replace the list.
    void show(const std::vector<TrackRow> &source, bool keepSelection);
    void refilter();
    void begin();
    void end();
    // The source's rows into `scratch`; false when the source is gone.
    bool readSource(TrackList &scratch);
    bool fileUnchanged() const;
    void listCleared();
    void rowsAdded(int first, int last);

    TrackList &m_list;
    PlaylistStore &m_store;
    const PlayingTrack &m_playing;
    ListScroller &m_scroller;
    QString m_text;
    int m_mode = AllFields;

    // The filter in force.
    bool m_active = false;
    bool m_fromFile = false;          // the file is the source, else m_rows
    bool m_checked = false;           // the file was found to hold m_rows
    QString m_file;                   // the playlist file searched
    qint64 m_fileSize = -1;
    QDateTime m_fileTime;
    std::vector<TrackRow> m_rows;     // the list as typing began
    KnownFiles m_known;               // its files, found present
    quint64 m_sequence = 0;           // rebuilds started; a newer one wins
    bool m_rebuilding = false;       // the list changes by our own hand
    bool m_deferred = false;
    bool m_refilterPending = false;
};
