#include "playback/TagFiller.h"

#include "playlist/PathNames.h"
#include "playlist/TrackList.h"

#include <QMetaObject>
#include <QTimer>

TagFiller::TagFiller(TrackList &list, TrackInfoSource &source, QObject *parent)
    : QObject(parent), m_list(list), m_source(source)
{
    connect(&m_list, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { scheduleScan(first); });
    // Rows that moved may now sit before the scan position.
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, [this] { scheduleScan(0); });
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, [this] { scheduleScan(0); });
    connect(&m_list, &QAbstractItemModel::modelReset, this, [this] { scheduleScan(0); });
    connect(&m_list, &TrackList::cleared, this, &TagFiller::cancel);
    // One reader thread: file opening is mostly waiting for the disk, and on
    // a two-core machine a second reader would take the user-interface
    // thread's core. Reads must not run on that thread (a slow disk or a
    // network folder would freeze the window).
    m_reader = std::thread([this] { run(); });
}

TagFiller::~TagFiller()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    m_reader.join();
}

void TagFiller::scheduleScan(int fromRow)
{
    m_scanFrom = std::min(m_scanFrom, fromRow);
    if (m_scanPending)
        return;
    // Loads and adds append in batches: one scan after the batch, not one per batch.
    m_scanPending = true;
    QTimer::singleShot(0, this, [this] {
        m_scanPending = false;
        scan();
    });
}

void TagFiller::scan()
{
    std::vector<Job> jobs;
    const quint64 generation = m_generation.load();
    const std::vector<TrackRow> &rows = m_list.rows();
    const int room = QueueLimit - int(m_inFlight.size());
    while (m_scanFrom < int(rows.size()) && int(jobs.size()) < room) {
        const TrackRow &row = rows[size_t(m_scanFrom++)];
        if (!row.time().isEmpty() || IsArchiveMemberPath(row.path()))
            continue;
        const QString path = row.path().toString();
        if (m_inFlight.contains(path) || m_unreadable.contains(path))
            continue;
        m_inFlight.insert(path);
        jobs.push_back({generation, path, m_scanFrom});
    }
    if (jobs.empty())
        return;
    {
        std::lock_guard lock(m_mutex);
        for (Job &job : jobs)
            m_queue.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void TagFiller::cancel()
{
    ++m_generation;
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
    }
    m_inFlight.clear();
    m_unreadable.clear();
    m_scanFrom = 0;
}

void TagFiller::run()
{
    bool running = false; // a run of reads: the queue has not run dry since it began
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            if (running && m_queue.empty()) {
                lock.unlock();
                m_source.readingRun(false);
                running = false;
                lock.lock();
            }
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                break;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (!running) {
            m_source.readingRun(true);
            running = true;
        }
        if (job.generation != m_generation.load())
            continue; // the list it was for is gone
        TrackFacts facts;
        const bool read = m_source.readTrackInfo(job.path, facts);
        // Queued: the result is applied on the user-interface thread; it is
        // dropped when this object is gone by then.
        QMetaObject::invokeMethod(
            this, [this, job, read, facts] { apply(job.generation, job.path, job.hint, read, facts); },
            Qt::QueuedConnection);
    }
    if (running)
        m_source.readingRun(false);
}

void TagFiller::apply(quint64 generation, const QString &path, int hint, bool read, const TrackFacts &facts)
{
    if (generation != m_generation.load())
        return;
    m_inFlight.remove(path);
    TrackCells cells;
    if (!read || !CellsOfTrack(path, facts.tags, facts.lengthMs, facts.bytes, cells)) {
        m_unreadable.insert(path); // left for the player to report
        scan();
        return;
    }
    const auto fill = [&](int pos) {
        if (m_list.row(pos).path() != path || !m_list.row(pos).time().isEmpty())
            return false;
        m_list.setInfo(pos, cells.title, cells.artist, cells.time, cells.bitRate);
        return true;
    };
    bool filled = false;
    // Usually the row is still where it was; else it is looked for (a path
    // listed twice fills every copy).
    if (m_list.isValidPos(hint) && m_list.row(hint).path() == path) {
        filled = fill(hint);
    } else {
        for (int pos = 1; pos <= m_list.count(); ++pos)
            filled = fill(pos) || filled;
    }
    if (filled)
        Q_EMIT cellsFilled(path, cells);
    scan();
}
