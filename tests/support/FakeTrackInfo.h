#pragma once

#include "playback/TrackInfoSource.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <condition_variable>
#include <mutex>

// Scripted tags and lengths for background reads. A read of a gated path
// waits until the test opens its gate, so results can be made to arrive in
// any order. Counts the reads of every path. Thread-safe.
class FakeTrackInfo : public TrackInfoSource
{
public:
    ~FakeTrackInfo() override { openAll(); }

    // Scripts a file with a title, artist, length and size.
    void addFile(const QString &path, const QString &title, const QString &artist, int lengthMs, qint64 bytes)
    {
        std::lock_guard lock(m_mutex);
        TrackFacts f;
        f.tags.TagType = QStringLiteral("ID3V2");
        f.tags.FieldsTaken = true;
        f.tags.Title = title;
        f.tags.Artist = artist;
        f.lengthMs = lengthMs;
        f.bytes = bytes;
        m_files.insert(path, f);
    }
    // Reads of `path` wait until open(path) or openAll().
    void gate(const QString &path)
    {
        std::lock_guard lock(m_mutex);
        m_gated.insert(path);
    }
    void open(const QString &path)
    {
        {
            std::lock_guard lock(m_mutex);
            m_gated.remove(path);
        }
        m_changed.notify_all();
    }
    void openAll()
    {
        {
            std::lock_guard lock(m_mutex);
            m_gated.clear();
        }
        m_changed.notify_all();
    }
    // Reads of `path` begun so far (waiting ones included).
    int readCount(const QString &path) const
    {
        std::lock_guard lock(m_mutex);
        return m_reads.value(path);
    }
    int totalReads() const
    {
        std::lock_guard lock(m_mutex);
        int n = 0;
        for (int c : m_reads)
            n += c;
        return n;
    }

    bool readTrackInfo(const QString &path, TrackFacts &facts) override
    {
        std::unique_lock lock(m_mutex);
        ++m_reads[path];
        // What the file holds when the read begins, whatever is scripted later.
        const auto it = m_files.constFind(path);
        const bool found = it != m_files.constEnd();
        const TrackFacts read = found ? *it : TrackFacts{};
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_gated.contains(path); });
        if (found)
            facts = read;
        return found;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QHash<QString, TrackFacts> m_files;
    QSet<QString> m_gated;
    QHash<QString, int> m_reads;
};
