#include "playlist/ListJournal.h"

#include "core/AtomicFile.h"
#include "playlist/PlaylistFile.h"
#include "playlist/TrackList.h"

#include <QFile>
#include <QFileInfo>

ListJournal::ListJournal(TrackList &list, QString journalPath, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_path(std::move(journalPath))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DefaultDelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // Never a half-loaded or filtered list: try again later.
        if (m_list.isLoading() || !flush())
            m_timer.start();
    });
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::rowsMoved, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                static const QList<int> notKept = {TrackList::SelectedRole, TrackList::IconRole,
                                                   TrackList::ColorValueRole, Qt::ForegroundRole,
                                                   Qt::DecorationRole};
                for (int role : roles)
                    if (!notKept.contains(role))
                        return changed();
                if (roles.isEmpty())
                    changed();
            });
}

QString ListJournal::recover(const QString &autoPlaylistPath)
{
    QFile journal(m_path);
    if (!QFileInfo(m_path).isFile() || !journal.open(QIODevice::ReadOnly))
        return QString();
    if (journal.size() > MaxJournalBytes) {
        qWarning("velmora: %s is larger than %lld bytes: not recovered", qPrintable(m_path), MaxJournalBytes);
        return QString();
    }
    const QByteArray bytes = journal.readAll();
    journal.close();
    if (!WriteFileAtomically(autoPlaylistPath, bytes))
        return m_path;
    QFile::remove(m_path); // skipped on failure: the next start recovers the same list again
    return autoPlaylistPath;
}

void ListJournal::start()
{
    m_watching = true;
}

void ListJournal::changed()
{
    if (!m_watching)
        return;
    m_dirty = true;
    if (!m_timer.isActive())
        m_timer.start();
}

bool ListJournal::flush()
{
    if (!m_dirty)
        return true;
    if (m_hold && m_hold())
        return false;
    if (!WriteFileAtomically(m_path, [this](QIODevice &out) { return WriteM3ux(out, m_list.rows()); }))
        return false;
    m_dirty = false;
    return true;
}

void ListJournal::close(bool listSaved)
{
    m_timer.stop();
    if (m_watching && !listSaved)
        flush(); // skipped on failure
    m_watching = false;
    if (listSaved) {
        m_dirty = false;
        QFile::remove(m_path);
    }
}
