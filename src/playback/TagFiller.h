#pragma once

#include "playback/TrackCells.h"
#include "playback/TrackInfoSource.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class TrackList;

// Fills the Title, Artist, Time and BitRate cells of rows nobody has read
// yet (an empty Time cell), reading the files on a background thread, so a
// new folder shows its tags at once instead of as each track plays.
//
// Rows are found by scanning the list after rows arrive; at most QueueLimit
// paths wait for the reader at a time (the rest are picked up as results
// come in), so a list of 100,000 rows costs no more memory than one of 100.
// Results come back to the user-interface thread as queued calls and land
// on every row that still holds the path and still has an empty Time cell:
// rows may have moved or gone meanwhile, and the playing row's cells, which
// the player fills from the open stream, are never overwritten. Archive
// members are left for when they play (reading them would mean extracting
// them). A file that could not be read is not tried again in this list.
// Emptying the list (another playlist, a folder listed, the list cleared)
// drops every read still waiting; results of reads under way are dropped.
//
// The public operations are for the user-interface thread.
class TagFiller : public QObject
{
    Q_OBJECT
public:
    static constexpr int QueueLimit = 32;

    TagFiller(TrackList &list, TrackInfoSource &source, QObject *parent = nullptr);
    // Stops the reader thread (waiting for the file it reads, if any).
    ~TagFiller() override;

    // True while reads are waiting or under way.
    bool isBusy() const { return !m_inFlight.isEmpty(); }

Q_SIGNALS:
    // A row's cells were filled from a background read.
    void cellsFilled(const QString &path, const TrackCells &cells);

private:
    struct Job {
        quint64 generation;
        QString path;
        int hint; // the row's 1-based position when queued
    };

    void scheduleScan(int fromRow);
    void scan();
    void cancel();
    void run();
    void apply(quint64 generation, const QString &path, int hint, bool read, const TrackFacts &facts);

    TrackList &m_list;
    TrackInfoSource &m_source;

    // User-interface thread only.
    int m_scanFrom = 0;      // 0-based: rows before it were looked at
    bool m_scanPending = false;
    QSet<QString> m_inFlight;   // queued or being read
    QSet<QString> m_unreadable; // tried in this list and failed

    // Shared with the reader thread.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_queue;
    bool m_stopping = false;
    std::atomic<quint64> m_generation{1};
    std::thread m_reader;
};
