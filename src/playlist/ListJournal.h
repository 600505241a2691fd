#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class TrackList;

// A copy of the open list on disk while the program runs, so that an end
// without the shut-down (a crash, SIGKILL, a power cut) loses at most the
// last few seconds of changes. The journal is written in the playlist format,
// atomically, `delayMs` after the first change that is not yet in it (a burst
// of changes gives one write, steady editing one write per delay); changes of
// selection, icons and colours, which the playlist file does not hold, do not
// count. It is removed by a clean end, so finding it at start-up means the
// last run did not end cleanly. User-interface thread only.
class ListJournal : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultDelayMs = 3000;

    ListJournal(TrackList &list, QString journalPath, QObject *parent = nullptr);

    QString path() const { return m_path; }
    void setDelay(int ms) { m_timer.setInterval(ms); }
    // While `hold` returns true the rows are not the list to keep (a search
    // shows only some of them): writes wait until it returns false.
    void setHold(std::function<bool()> hold) { m_hold = std::move(hold); }

    // At start-up, before the automatic playlist is read: a journal left by
    // an unclean end replaces `autoPlaylistPath` and is removed. Returns the
    // file that now holds the list to load: empty when there was no journal,
    // the journal itself when the automatic playlist could not be replaced
    // (it then stays for the next start).
    // A journal larger than MaxJournalBytes (far more than any list this
    // program writes) is not recovered.
    QString recover(const QString &autoPlaylistPath);
    static constexpr qint64 MaxJournalBytes = qint64(64) << 20;

    // Watches the list from now on.
    void start();
    // Writes the journal now when a change is waiting. Returns false when
    // the write failed or is held (the change stays waiting).
    bool flush();
    // The end of the run: stops watching; with `listSaved` the journal is
    // removed, otherwise a waiting change is written so that the next start
    // still finds it.
    void close(bool listSaved);

    bool isWaiting() const { return m_dirty; }

private:
    void changed();

    TrackList &m_list;
    QString m_path;
    QTimer m_timer;
    std::function<bool()> m_hold;
    bool m_watching = false;
    bool m_dirty = false;
};
