#pragma once

#include "playback/TrackCells.h"
#include "playback/TrackInfoSource.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class FilteredList;
class TrackList;
class TrackRow;

// Fills the Title, Artist, Time and BitRate cells of rows nobody has read
// yet (an empty Time cell), reading the files on background threads, so a
// new folder shows its tags at once instead of as each track plays.
//
// Rows are found by scanning the list after rows arrive; at most QueueLimit
// paths wait for the readers or for their results to be applied at a time
// (the rest are picked up as results come in), so a list of 100,000 rows
// costs no more memory than one of 100. Results come back to the
// user-interface thread in batches, one queued call per turn of its event
// loop however many readers finish meanwhile, and land on every row that
// still holds the path and still has an empty Time cell: rows may have moved
// or gone meanwhile, and the playing row's cells, which the player fills
// from the open stream, are never overwritten. Archive members are left for
// when they play (reading them would mean extracting them). A file that
// could not be read is not tried again in this list, and a file listed more
// than once is read once.
//
// With a search (FilteredList), the rows it holds out of sight are read too
// and it is handed every result; the search refilling the list is not the
// list emptied, so no read is dropped or repeated then. Emptying the list
// otherwise (another playlist, a folder listed, the list cleared) drops
// every read still waiting; results of reads under way are dropped.
//
// The public operations are for the user-interface thread.
class TagFiller : public QObject
{
    Q_OBJECT
public:
    static constexpr int QueueLimit = 32;
    // Reads are header reads, mostly work for a core: two readers keep both
    // cores of a small machine busy while the user-interface thread, which
    // only applies results, stays responsive.
    static constexpr int ReaderCount = 2;
    // How long readers wait for more work before the source may let go of
    // what it keeps for a run of reads.
    static constexpr std::chrono::milliseconds RunLinger{200};

    TagFiller(TrackList &list, TrackInfoSource &source, QObject *parent = nullptr);
    // With the search that filters `list`.
    TagFiller(TrackList &list, FilteredList &filter, TrackInfoSource &source, QObject *parent = nullptr);
    // With `readers` reader threads (1 or more), for measurements.
    TagFiller(TrackList &list, TrackInfoSource &source, int readers);
    // Stops the reader threads (waiting for the files they read, if any).
    ~TagFiller() override;

    // True while reads are waiting or under way, or results wait to be applied.
    bool isBusy() const { return !m_inFlight.isEmpty(); }

Q_SIGNALS:
    // Rows of `path` (on show or held out of sight by a search) were filled
    // from a background read.
    void cellsFilled(const QString &path, const TrackCells &cells);

private:
    struct Job {
        quint64 generation = 0;
        QString path;
        int hint = 0; // the row's 0-based index in the scanned rows when queued
    };
    struct Result {
        Job job;
        bool read = false;
        TrackFacts facts;
    };

    TagFiller(TrackList &list, FilteredList *filter, TrackInfoSource &source, int readers, QObject *parent);
    const std::vector<TrackRow> &scannedRows() const;
    void scheduleScan(int fromRow);
    void scan();
    void listCleared();
    void cancel();
    void run();
    void applyResults();
    // Writes `cells` on rows of the list on show; true when any took them.
    bool fillShownRows(const std::vector<std::pair<Job, TrackCells>> &done);

    TrackList &m_list;
    FilteredList *m_filter = nullptr; // null: no search filters the list
    TrackInfoSource &m_source;

    // User-interface thread only.
    int m_scanFrom = 0;      // 0-based: rows before it were looked at
    bool m_scanPending = false;
    QSet<QString> m_inFlight;   // queued, being read or waiting to be applied
    QSet<QString> m_unreadable; // tried in this list and failed
    // A path listed more than once is read once: rows met while its read is
    // under way wait for it, rows met after it take its cells. Both are
    // dropped when the fill is done, so memory follows the fill, not the list.
    QMultiHash<QString, int> m_waiting;
    QHash<QString, TrackCells> m_read;

    // Shared with the reader threads.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_queue;
    std::vector<Result> m_results;
    bool m_resultsPosted = false; // a call to applyResults() is on its way
    bool m_stopping = false;
    int m_busy = 0;      // readers between taking a job and handing its result over
    bool m_inRun = false; // between the source's readingRun(true) and (false)
    std::atomic<quint64> m_generation{1};
    std::vector<std::thread> m_readers;
};
