#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class PlaylistSearch;
class PlaylistStore;
class TrackList;

// A copy of the open list on disk while the program runs, so that an end
// without the shut-down (a crash, SIGKILL, a power cut) loses at most the
// last few seconds of changes. The journal is written `delayMs` after the
// first change that is not yet in it (a burst of changes gives one write,
// steady editing one write per delay); changes of selection, icons and
// colours, which the playlist file does not hold, do not count. It is
// removed by a clean end, so finding it at start-up means the last run did
// not end cleanly. User-interface thread only.
//
// The file is the playlist format followed by one last line, written last:
// "#VELMORA-JOURNAL;<rows>;<SHA-1 of everything before this line and of the
// address>;<address, percent-encoded>". A journal whose last line is missing or does not match
// was not written whole and is never taken for the list. It is a private
// file: written as a new file renamed into place, so a symbolic link planted
// at its name is replaced, never written through, and never read.
class ListJournal : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultDelayMs = 3000;
    // No list is larger than a playlist may be (PlaylistStore::MaxPlaylistBytes);
    // the last line adds at most this much.
    static constexpr qint64 MaxTrailerBytes = 16 * 1024;
    static qint64 maxJournalBytes();

    ListJournal(TrackList &list, QString journalPath, QObject *parent = nullptr);

    QString path() const { return m_path; }
    void setDelay(int ms) { m_timer.setInterval(ms); }
    // While `search` filters the list, the journal holds every row of the
    // list (PlaylistSearch::allRows), not only the rows on show.
    void setSearch(const PlaylistSearch *search) { m_search = search; }

    // What the start-up found.
    struct Recovery {
        enum Outcome {
            NoJournal, // a clean end: nothing to do
            Recovered, // the journal's list is the list to open
            SetAside,  // a journal that does not read back whole, moved aside
        };
        Outcome outcome = NoJournal;
        // Recovered: the address of the journal's list, and the file that now
        // holds it. When that file could not be replaced (or its previous
        // contents kept first), `listFile` is empty, `list` holds the
        // journal's list to load from memory, and the journal stays for the
        // next start.
        QString address;
        QString listFile;
        QByteArray list;
        // SetAside: where the journal went; empty when it could not be moved
        // (it then stays where it is, never deleted).
        QString setAsidePath;
    };

    // At start-up, before any list is read. A journal that reads back whole
    // replaces the playlist file of its address (the automatic playlist when
    // the address names no file), whose previous contents are first copied
    // to its ".bak"; it is then removed. Anything else at the journal's name
    // (a damaged, half-written, empty or unreadable file, a symbolic link, a
    // folder, a file larger than any list) is renamed to
    // "<journal>.damaged-<yyyyMMdd-HHmmss>" beside it and no list changes.
    Recovery recover(const PlaylistStore &store);

    // The journal's bytes for `rows` of the list at `address`, and the list
    // (playlist format) such bytes hold; false when they are not whole.
    static QByteArray encode(const QByteArray &list, int rows, const QString &address);
    static bool decode(const QByteArray &journal, QByteArray *list, QString *address);

    // Watches the list from now on.
    void start();
    // Writes the journal now when a change is waiting. Returns false when
    // the write failed or must wait (a playlist is being read into the
    // list); the change then stays waiting.
    bool flush();
    // The end of the run: stops watching; with `listSaved` the journal is
    // removed, otherwise a waiting change is written (unless a load is
    // running) so that the next start still finds it.
    void close(bool listSaved);

    bool isWaiting() const { return m_dirty; }

private:
    // The last line of the journal of `list`.
    static QByteArray trailer(const QByteArray &list, int rows, const QString &address);
    void changed();
    QString setAside() const;

    TrackList &m_list;
    QString m_path;
    QTimer m_timer;
    const PlaylistSearch *m_search = nullptr;
    bool m_watching = false;
    bool m_dirty = false;
};
