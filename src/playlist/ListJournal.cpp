#include "playlist/ListJournal.h"

#include "core/AtomicFile.h"
#include "core/NativePath.h"
#include "core/PrivateFile.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistSearch.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>

namespace {

constexpr QLatin1StringView TrailerMark("#VELMORA-JOURNAL;");

// What the last line checks: the list and the address it belongs to.
QByteArray digestOf(QByteArrayView list, QByteArrayView encodedAddress)
{
    QCryptographicHash digest(QCryptographicHash::Sha1);
    digest.addData(list);
    digest.addData(encodedAddress);
    return digest.result().toHex();
}

} // namespace

qint64 ListJournal::maxJournalBytes()
{
    return PlaylistStore::MaxPlaylistBytes + MaxTrailerBytes;
}

ListJournal::ListJournal(TrackList &list, QString journalPath, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_path(std::move(journalPath))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DefaultDelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!flush())
            m_timer.start(); // never a half-loaded list: try again later
    });
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::rowsMoved, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &ListJournal::changed);
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, &ListJournal::changed);
    connect(&m_list, &TrackList::playlistAddressChanged, this, &ListJournal::changed);
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

QByteArray ListJournal::trailer(const QByteArray &list, int rows, const QString &address)
{
    const QByteArray encodedAddress = NativePath::encode(address).toPercentEncoding();
    return TrailerMark.data() + QByteArray::number(rows) + ';' + digestOf(list, encodedAddress) + ';' +
           encodedAddress + "\r\n";
}

QByteArray ListJournal::encode(const QByteArray &list, int rows, const QString &address)
{
    return list + trailer(list, rows, address);
}

bool ListJournal::decode(const QByteArray &journal, QByteArray *list, QString *address)
{
    if (!journal.endsWith("\r\n"))
        return false;
    const QByteArrayView body(journal.constData(), journal.size() - 2);
    const qsizetype start = body.lastIndexOf("\r\n") + 2; // 0 when the trailer is the only line
    if (start < 2)
        return false; // the list's header line is missing
    const QByteArrayView trailer = body.sliced(start);
    if (!trailer.startsWith(QByteArrayView(TrailerMark.data(), TrailerMark.size())))
        return false;
    const QList<QByteArray> fields = trailer.sliced(TrailerMark.size()).toByteArray().split(';');
    if (fields.size() != 3)
        return false;
    const QByteArray content(journal.constData(), start);
    bool ok = false;
    const int rows = fields[0].toInt(&ok);
    if (!ok || rows < 0 || fields[0] != QByteArray::number(rows) || fields[1] != digestOf(content, fields[2]) ||
        !content.startsWith("#M3UX\r\n"))
        return false;
    // Two lines a row after the header.
    if (content.count("\r\n") != 1 + qsizetype(rows) * 2)
        return false;
    const QString decoded = NativePath::decode(QByteArray::fromPercentEncoding(fields[2]));
    if (NativePath::encode(decoded).toPercentEncoding() != fields[2])
        return false; // written by encode() alone
    *list = content;
    *address = decoded;
    return true;
}

QString ListJournal::setAside() const
{
    const QString base = m_path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; PrivateFile::kindOf(target) != PrivateFile::Kind::Missing && n < 100; ++n)
        target = base + QStringLiteral("-%1").arg(n);
    return PrivateFile::renameNoReplace(m_path, target) ? target : QString();
}

ListJournal::Recovery ListJournal::recover(const PlaylistStore &store)
{
    Recovery result;
    const PrivateFile::Kind kind = PrivateFile::kindOf(m_path);
    if (kind == PrivateFile::Kind::Missing)
        return result;
    QByteArray bytes;
    QByteArray list;
    QString address;
    if (kind != PrivateFile::Kind::File || !PrivateFile::read(m_path, maxJournalBytes(), &bytes) ||
        !decode(bytes, &list, &address)) {
        result.outcome = Recovery::SetAside;
        result.setAsidePath = setAside();
        return result;
    }

    result.outcome = Recovery::Recovered;
    if (store.playlistFilePath(address, QStringLiteral(".m3u")).isEmpty())
        address = AutoPlaylistName;
    result.address = address;
    const QString target = store.playlistFilePath(address, QStringLiteral(".m3u"));
    QByteArray previous;
    bool replaced = false;
    if (!PrivateFile::read(target, PlaylistStore::MaxPlaylistBytes, &previous)) {
        // No list there yet (or none that can be read, which is left alone).
        replaced = PrivateFile::kindOf(target) == PrivateFile::Kind::Missing && WriteFileAtomically(target, list);
    } else if (previous == list) {
        replaced = true;
    } else {
        replaced = WriteFileAtomically(store.playlistFilePath(address, QStringLiteral(".bak")), previous) &&
                   WriteFileAtomically(target, list);
    }
    if (replaced) {
        result.listFile = target;
        QFile::remove(m_path); // skipped on failure: the next start recovers the same list again
    } else {
        result.list = list;
    }
    return result;
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
    if (m_list.isLoading())
        return false;
    const std::vector<TrackRow> &rows =
        m_search && m_search->isFiltering() ? m_search->allRows() : m_list.rows();
    QByteArray list;
    QBuffer buffer(&list);
    buffer.open(QIODevice::WriteOnly);
    if (!WriteM3ux(buffer, rows))
        return false;
    const QByteArray last = trailer(list, int(rows.size()), m_list.PlaylistAddress());
    if (!PrivateFile::write(m_path, [&](QIODevice &out) {
            return out.write(list) == list.size() && out.write(last) == last.size();
        }))
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
