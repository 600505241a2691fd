#pragma once

#include "core/EventPump.h"
#include "playlist/TrackList.h"

#include <QElapsedTimer>
#include <vector>

// Collects new rows of a long loop and moves them into the list in batches,
// one model insertion each time events are let run (every ~15 ms), so that
// the view shows progress without a signal per row. When the list is
// cleared while events run, the rows collected for it are dropped and the
// loop is told to stop.
class RowBatch
{
public:
    explicit RowBatch(TrackList &list) : m_list(list), m_generation(list.generation()) { m_clock.start(); }
    ~RowBatch() { flush(); }
    RowBatch(const RowBatch &) = delete;
    RowBatch &operator=(const RowBatch &) = delete;

    const TrackList &list() const { return m_list; }
    // Files the reader may take as present without looking (null: none).
    const KnownFiles *knownFiles() const { return m_known; }
    void setKnownFiles(const KnownFiles *known) { m_known = known; }
    void add(TrackRow &&row) { m_pending.push_back(std::move(row)); }

    // Moves the collected rows into the list and lets events run when ~15 ms
    // have passed. Returns false when the list was cleared meanwhile or the
    // program is ending: the loop must stop.
    bool pump()
    {
        if (m_clock.elapsed() < 15)
            return true;
        flush();
        EventPump::yield();
        m_clock.restart();
        return m_list.generation() == m_generation && !EventPump::stopRequested();
    }

    // Moves the collected rows into the list (unless it was cleared).
    void flush()
    {
        if (m_list.generation() == m_generation)
            m_list.appendRows(std::move(m_pending));
        m_pending.clear();
    }

private:
    TrackList &m_list;
    quint64 m_generation;
    std::vector<TrackRow> m_pending;
    QElapsedTimer m_clock;
    const KnownFiles *m_known = nullptr;
};
