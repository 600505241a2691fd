#pragma once

#include <QString>

class ListJournal;
class PlaylistStore;
class TrackList;

// Where the open list lives between runs. At a clean end the open list is
// saved to the playlist file of its own name (the automatic playlist when it
// has none) and that name is remembered in a small file of the program
// folder; the next start opens the same list again. A start after an
// unclean end takes the list from the journal when the journal reads back
// whole. User-interface thread only.
class OpenListKeeper
{
public:
    // `namePath`: the file that remembers the open list's address.
    OpenListKeeper(TrackList &list, PlaylistStore &store, ListJournal &journal, QString namePath);

    struct Opened {
        QString address;  // the open list's address now
        QString notice;   // what the status box should say, or empty
        bool recovered = false;
    };
    // At start-up, into the empty list: with `mayWrite`, a journal left by
    // an unclean end is recovered first (ListJournal::recover); then the list
    // of the remembered address is loaded (the automatic playlist when none
    // is remembered or its file is gone) and takes that address. Without
    // `mayWrite` nothing on disk changes.
    Opened openAtStart(bool mayWrite);

    // The end of a run: the open list is saved under its own name (during a
    // load, only what it held before the load: PlaylistStore::SaveBeforeLoad),
    // the name is remembered, and the journal is closed: removed when the
    // list is safe in its file, kept otherwise. Returns true when the list
    // was saved.
    bool keepAtEnd();

    static QString recoveredNotice() { return QStringLiteral("一覧を復元"); }
    static QString setAsideNotice(const QString &path);

    // The address remembered in `namePath`; empty when none can be read.
    static QString rememberedAddress(const QString &namePath);

private:
    TrackList &m_list;
    PlaylistStore &m_store;
    ListJournal &m_journal;
    QString m_namePath;
};
