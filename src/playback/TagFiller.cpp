#include "playback/TagFiller.h"

#include "core/AudioFormats.h"

#include "playlist/ListFilter.h"
#include "playlist/PathNames.h"
#include "playlist/TrackList.h"

#include <QHash>
#include <QMetaObject>
#include <QTimer>

TagFiller::TagFiller(TrackList &list, TrackInfoSource &source, QObject *parent)
    : TagFiller(list, nullptr, source, ReaderCount, parent)
{
}

TagFiller::TagFiller(TrackList &list, FilteredList &filter, TrackInfoSource &source, QObject *parent)
    : TagFiller(list, &filter, source, ReaderCount, parent)
{
}

TagFiller::TagFiller(TrackList &list, TrackInfoSource &source, int readers)
    : TagFiller(list, nullptr, source, readers, nullptr)
{
}

TagFiller::TagFiller(TrackList &list, FilteredList *filter, TrackInfoSource &source, int readers, QObject *parent)
    : QObject(parent), m_list(list), m_filter(filter), m_source(source)
{
    connect(&m_list, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { scheduleScan(first); });
    // Rows that moved may now sit before the scan position.
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, [this] { scheduleScan(0); });
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, [this] { scheduleScan(0); });
    connect(&m_list, &QAbstractItemModel::modelReset, this, [this] { scheduleScan(0); });
    connect(&m_list, &TrackList::cleared, this, &TagFiller::listCleared);
    // Reads must not run on the user-interface thread (a slow disk or a
    // network folder would freeze the window).
    for (int i = 0; i < std::max(readers, 1); ++i)
        m_readers.emplace_back([this] { run(); });
}

TagFiller::~TagFiller()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread &reader : m_readers)
        reader.join();
}

const std::vector<TrackRow> &TagFiller::scannedRows() const
{
    return m_filter ? m_filter->allRows() : m_list.rows();
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
    std::vector<std::pair<Job, TrackCells>> known; // paths read already in this fill
    const quint64 generation = m_generation.load();
    const std::vector<TrackRow> &rows = scannedRows();
    m_scanFrom = std::min(m_scanFrom, int(rows.size()));
    const int room = QueueLimit - int(m_inFlight.size());
    while (m_scanFrom < int(rows.size()) && int(jobs.size()) < room) {
        const int index = m_scanFrom++;
        const TrackRow &row = rows[size_t(index)];
        // A playlist's own row, or any file the decoders do not take by its
        // name, shows its name: reading it could only load decoders to fail.
        if (!row.time().isEmpty() || IsArchiveMemberPath(row.path()) || !AudioFormats::isPlayable(row.path()))
            continue;
        const QString path = row.path().toString();
        if (const auto read = m_read.constFind(path); read != m_read.constEnd()) {
            known.emplace_back(Job{generation, path, index}, *read);
            continue;
        }
        if (m_inFlight.contains(path)) {
            m_waiting.insert(path, index); // filled when the read under way ends
            continue;
        }
        if (m_unreadable.contains(path))
            continue;
        m_inFlight.insert(path);
        jobs.push_back({generation, path, index});
    }
    if (!known.empty())
        fillShownRows(known);
    if (m_inFlight.isEmpty() && m_scanFrom >= int(rows.size()))
        m_read.clear(); // all read: rows added later are read afresh
    if (jobs.empty())
        return;
    {
        std::lock_guard lock(m_mutex);
        for (Job &job : jobs)
            m_queue.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void TagFiller::listCleared()
{
    if (m_filter && m_filter->isRefilling()) {
        // The search shows other rows of the same list: reads go on, and
        // the rows it now holds are looked at afresh.
        scheduleScan(0);
        return;
    }
    cancel();
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
    m_read.clear();
    m_waiting.clear();
    m_scanFrom = 0;
}

void TagFiller::run()
{
    for (;;) {
        Job job;
        bool beginRun = false;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                break;
            job = std::move(m_queue.front());
            m_queue.pop_front();
            beginRun = !m_inRun;
            m_inRun = true;
            ++m_busy;
        }
        // A run lasts while any reader has work: the source keeps what it
        // loaded between the reads of a run (the calls nest).
        if (beginRun)
            m_source.readingRun(true);
        Result result{job, false, {}};
        if (job.generation == m_generation.load()) // else the list it was for is gone
            result.read = m_source.readTrackInfo(job.path, result.facts);
        bool post = false;
        {
            std::lock_guard lock(m_mutex);
            m_results.push_back(std::move(result));
            post = !m_resultsPosted;
            m_resultsPosted = true;
            --m_busy;
        }
        // Queued: the results are applied on the user-interface thread, all
        // that arrived by then in one call; dropped when this object is gone.
        if (post)
            QMetaObject::invokeMethod(this, &TagFiller::applyResults, Qt::QueuedConnection);
        // The queue runs dry between the results applied and the next rows
        // queued: the run ends only when no work comes for a while, so the
        // source does not let go and load again what it keeps for a run.
        bool endRun = false;
        {
            std::unique_lock lock(m_mutex);
            const auto idle = [this] { return m_busy == 0 && m_queue.empty(); };
            if (m_inRun && idle()) {
                m_wake.wait_for(lock, RunLinger, [&] { return m_stopping || !idle(); });
                endRun = m_inRun && idle();
                if (endRun)
                    m_inRun = false;
            }
        }
        if (endRun)
            m_source.readingRun(false);
    }
}

void TagFiller::applyResults()
{
    std::vector<Result> results;
    {
        std::lock_guard lock(m_mutex);
        results.swap(m_results);
        m_resultsPosted = false;
    }
    const quint64 generation = m_generation.load();
    std::vector<std::pair<Job, TrackCells>> done;
    for (Result &r : results) {
        if (r.job.generation != generation)
            continue;
        m_inFlight.remove(r.job.path);
        const QList<int> copies = m_waiting.values(r.job.path);
        m_waiting.remove(r.job.path);
        TrackCells cells;
        if (!r.read || !CellsOfTrack(r.job.path, r.facts.tags, r.facts.lengthMs, r.facts.bytes, cells)) {
            m_unreadable.insert(r.job.path); // left for the player to report
            continue;
        }
        m_read.insert(r.job.path, cells);
        for (const int index : copies)
            done.emplace_back(Job{r.job.generation, r.job.path, index}, cells);
        done.emplace_back(std::move(r.job), std::move(cells));
    }
    if (!done.empty())
        fillShownRows(done);
    scan();
}

bool TagFiller::fillShownRows(const std::vector<std::pair<Job, TrackCells>> &done)
{
    std::vector<bool> filled(done.size(), false);
    const auto fill = [this](int pos, const QString &path, const TrackCells &cells) {
        const TrackRow &row = m_list.row(pos);
        if (row.path() != path || !row.time().isEmpty())
            return false;
        m_list.setInfo(pos, cells.title, cells.artist, cells.time, cells.bitRate);
        return true;
    };
    // Usually the row is still where it was; the others are looked for in
    // one pass over the list (a path listed twice fills every copy).
    QHash<QString, size_t> missed;
    for (size_t i = 0; i < done.size(); ++i) {
        const auto &[job, cells] = done[i];
        const int pos = job.hint + 1;
        if (m_list.isValidPos(pos) && m_list.row(pos).path() == job.path)
            filled[i] = fill(pos, job.path, cells);
        else
            missed.insert(job.path, i);
    }
    if (!missed.isEmpty()) {
        for (int pos = 1; pos <= m_list.count(); ++pos) {
            const TrackRow &row = m_list.row(pos);
            if (!row.time().isEmpty())
                continue;
            const auto it = missed.constFind(row.path().toString());
            if (it != missed.constEnd())
                filled[*it] = fill(pos, done[*it].first.path, done[*it].second) || filled[*it];
        }
    }
    bool any = false;
    for (size_t i = 0; i < done.size(); ++i) {
        const auto &[job, cells] = done[i];
        if (m_filter && m_filter->takeFilledCells(job.path, cells.title, cells.artist, cells.time, cells.bitRate))
            filled[i] = true;
        if (filled[i])
            Q_EMIT cellsFilled(job.path, cells);
        any = any || filled[i];
    }
    return any;
}
