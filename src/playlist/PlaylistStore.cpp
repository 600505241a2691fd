#include "playlist/PlaylistStore.h"

#include "core/AtomicFile.h"
#include "core/EventPump.h"
#include "core/NativePath.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistFile.h"
#include "playlist/RowBatch.h"
#include "playlist/TrackList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>

namespace {

// Splits text into lines. With `crOnly` a line ends at CR LF or a lone CR
// and a lone LF stays inside the line; otherwise LF ends a line, too.
class LineReader
{
public:
    LineReader(QStringView text, bool crOnly) : m_text(text), m_crOnly(crOnly) {}

    bool next(QStringView *line)
    {
        if (m_pos >= m_text.size())
            return false;
        const qsizetype start = m_pos;
        qsizetype i = start;
        const qsizetype n = m_text.size();
        const QChar *d = m_text.data();
        while (i < n && d[i] != u'\r' && (m_crOnly || d[i] != u'\n'))
            ++i;
        *line = m_text.mid(start, i - start);
        if (i < n && d[i] == u'\r' && i + 1 < n && d[i + 1] == u'\n')
            m_pos = i + 2;
        else
            m_pos = i + 1;
        return true;
    }

private:
    QStringView m_text;
    bool m_crOnly;
    qsizetype m_pos = 0;
};

// Whether the file a record names is there: for an archive member its
// archive; for a file an ordinary, visible file, taken from `known` when it
// is listed there.
bool recordExists(QStringView path, FileProbe *probe, const KnownFiles *known)
{
    if (IsArchiveMemberPath(path)) {
        // A member row shows its archive's date, as when it was added.
        const QString archive = ArchivePathOfMember(path);
        if (archive.isEmpty())
            return false;
        *probe = ProbeFile(archive);
        return probe->isVisibleFile();
    }
    if (known) {
        const auto it = known->constFind(path.toString());
        if (it != known->cend()) {
            probe->exists = probe->isFile = true;
            probe->modified = it.value();
            return true;
        }
    }
    *probe = ProbeFile(path);
    return probe->isVisibleFile();
}

// `path` as a full path: a relative file path, or the relative archive part
// of an archive member (the rest keeps its form), is taken from
// `baseFolder`, the playlist's own folder, never from the working folder.
// With an empty `baseFolder` the path stays as written.
QString absoluteRecordPath(QStringView path, const QString &baseFolder)
{
    const bool member = IsArchiveMemberPath(path);
    const QString file = member ? ArchivePathOfMember(path) : path.toString();
    if (baseFolder.isEmpty() || file.isEmpty() || !QDir::isRelativePath(file))
        return path.toString();
    const QString absolute = QDir::cleanPath(baseFolder + u'/' + file);
    if (!member)
        return absolute;
    // The archive part lies between the opening quote and the quote before "\#ZIP#".
    return u'"' + absolute + path.mid(1 + file.size()).toString();
}

// What a read met besides the rows it added.
struct ReadOutcome {
    bool damaged = false; // an info line could not be split (its track was kept)
    int missing = 0;      // records left out because their file is not there
};

// "#EXTINF:seconds,Artist - Title" of a plain M3U.
struct ExtInf {
    QString title;
    QString artist;
    QString time;
};

ExtInf parseExtInf(QStringView rest)
{
    ExtInf info;
    const qsizetype comma = rest.indexOf(u',');
    const QStringView duration = (comma >= 0 ? rest.left(comma) : rest).trimmed();
    bool ok = false;
    qsizetype digits = 0;
    while (digits < duration.size() && duration[digits].isDigit())
        ++digits;
    const qint64 seconds = duration.left(digits).toLongLong(&ok);
    if (ok && seconds > 0)
        info.time = QString::number(seconds / 60) + u':' + QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (comma >= 0) {
        const QStringView text = rest.mid(comma + 1).trimmed();
        const qsizetype dash = text.indexOf(u" - ");
        if (dash >= 0) {
            info.artist = text.left(dash).trimmed().toString();
            info.title = text.mid(dash + 3).trimmed().toString();
        } else {
            info.title = text.toString();
        }
    }
    return info;
}

// Reads "#M3UX" pairs from `lines` (the header already consumed). A damaged
// info line (fewer than two ";") keeps its track with the cells it has, and
// reading goes on, so that no later track is lost.
ReadOutcome readPairs(LineReader &lines, RowBatch &sink, const QString &baseFolder)
{
    ReadOutcome outcome;
    bool expectPath = true;
    bool skip = false;
    QStringView held;
    QString heldResolved; // a relative path line made absolute, or the path of a "file://" line
    FileProbe heldProbe;
    QString extensionBuffer;
    QStringView line;
    while (lines.next(&line)) {
        if (expectPath) {
            expectPath = false;
            if (line.isEmpty()) {
                skip = true;
                continue;
            }
            QStringView path = line;
            if (line.startsWith(FileUrlPrefix)) {
                heldResolved = NativePath::localPathOfUrl(QUrl(line.toString()));
                path = heldResolved;
            } else if (!line.startsWith(u'/')) {
                heldResolved = absoluteRecordPath(line, baseFolder);
                path = heldResolved;
            }
            FileProbe probe;
            skip = path.isEmpty() || !recordExists(path, &probe, sink.knownFiles());
            if (skip) {
                ++outcome.missing;
            } else {
                held = path;
                heldProbe = probe;
            }
            continue;
        }
        expectPath = true;
        if (skip)
            continue;
        const bool member = IsArchiveMemberPath(held);
        // Date and Extension come from the file; an archive member's from
        // its archive, as when the member was added.
        const QStringView extension =
            member ? QStringView(extensionBuffer = ExtensionOf(ArchivePathOfMember(held))) : ExtensionOfInto(held, extensionBuffer);
        const qsizetype p1 = line.indexOf(u';');
        const qsizetype p2 = p1 >= 0 ? line.indexOf(u';', p1 + 1) : -1;
        QStringView title = p1 >= 1 ? line.mid(1, p1 - 1) : QStringView();
        // Lists saved before members were titled by their name alone hold the
        // archive marker in the title: it is shown without it.
        QString memberTitle;
        if (member && title.startsWith(u"#ZIP#")) {
            memberTitle = InitialTitleOf(held, true);
            title = memberTitle;
        }
        QStringView artist;
        QStringView time;
        QStringView bitRate;
        if (p2 >= 0) {
            qsizetype p3 = line.indexOf(u';', p2 + 1);
            if (p3 < 0)
                p3 = line.size();
            artist = line.mid(p1 + 1, p2 - p1 - 1);
            time = line.mid(p2 + 1, p3 - p2 - 1);
            bitRate = p3 < line.size() ? line.mid(p3 + 1) : QStringView();
        } else {
            outcome.damaged = true;
        }
        TrackRow row(held, title, artist, time, bitRate, extension, sink.list().playlistForeColor());
        if (heldProbe.exists)
            row.setDate(heldProbe.modified);
        sink.add(std::move(row));
        if (!sink.pump())
            break;
    }
    return outcome;
}

// The file a line of a plain M3U names, or empty.
QString resolveM3uPath(QStringView line, const QString &baseFolder)
{
    if (line.startsWith(u"file:", Qt::CaseInsensitive))
        return NativePath::localPathOfUrl(QUrl(line.toString()));
    return absoluteRecordPath(line, baseFolder);
}

// Reads a plain M3U/M3U8: one path per line, "#" lines are comments,
// "#EXTINF" fills the next track's Title, Artist and Time.
ReadOutcome readPlainM3u(LineReader &lines, RowBatch &sink, const QString &baseFolder)
{
    ReadOutcome outcome;
    ExtInf info;
    bool haveInfo = false;
    QStringView raw;
    while (lines.next(&raw)) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'#')) {
            if (line.startsWith(u"#EXTINF:", Qt::CaseInsensitive)) {
                info = parseExtInf(line.mid(8));
                haveInfo = true;
            }
            continue;
        }
        QString path = resolveM3uPath(line, baseFolder);
        FileProbe probe;
        bool exists = !path.isEmpty() && recordExists(path, &probe, sink.knownFiles());
        if (!exists && path.contains(u'\\') && !IsArchiveMemberPath(path) && !line.startsWith(u'/')) {
            // A relative path written on a system with "\" between folders.
            path = resolveM3uPath(line.toString().replace(u'\\', u'/'), baseFolder);
            exists = recordExists(path, &probe, sink.knownFiles());
        }
        if (exists) {
            TrackRow row = sink.list().makeRow(path);
            const bool member = IsArchiveMemberPath(path);
            const QString title = haveInfo && !info.title.isEmpty() ? info.title : InitialTitleOf(path, member);
            row.setInfo(title, haveInfo ? QStringView(info.artist) : QStringView(),
                        haveInfo ? QStringView(info.time) : QStringView(), QStringView());
            if (!member)
                TrackList::fileInfoInto(row, probe);
            sink.add(std::move(row));
        } else {
            ++outcome.missing;
        }
        haveInfo = false;
        if (!sink.pump())
            break;
    }
    return outcome;
}

} // namespace

namespace {

// The tree of a store no library shows: nothing selected, no node found.
class NoTree final : public PlaylistTree
{
public:
    SelectedTreeNode selectedNode() const override { return {}; }
    QString reselect(const QString &) override { return QString(); }
};

PlaylistTree &noTree()
{
    static NoTree tree;
    return tree;
}

} // namespace

PlaylistStore::PlaylistStore(TrackList &list, QString playlistFolder) : PlaylistStore(list, std::move(playlistFolder), noTree())
{
}

PlaylistStore::PlaylistStore(TrackList &list, QString playlistFolder, PlaylistTree &tree)
    : m_list(list), m_folder(std::move(playlistFolder)), m_tree(tree)
{
    if (!m_folder.isEmpty() && !m_folder.endsWith(u'/'))
        m_folder += u'/';
}

QString PlaylistStore::playlistFilePath(const QString &name, const QString &extension) const
{
    if (m_folder.isEmpty() || name.isEmpty() || name.startsWith(u'/') || name.contains(QChar(0)) ||
        extension.contains(u'/') || extension.contains(QChar(0)))
        return QString();
    const QStringList parts = name.split(u'/');
    // An empty or "." segment ("Rock//Live", "Rock/") is refused as well:
    // the address box is typed by hand, and such a name does not say which
    // file is meant.
    for (const QString &part : parts) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return QString();
    }
    return m_folder + name + extension;
}

QString PlaylistStore::fileKey(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString PlaylistStore::unusedPlaylistAddress(const QString &address) const
{
    const QString extension = QStringLiteral(".m3u");
    if (playlistFilePath(address, extension).isEmpty())
        return address;
    QString candidate = address;
    for (int n = 2; ProbeFile(playlistFilePath(candidate, extension)).exists; ++n)
        candidate = address + QStringLiteral(" (%1)").arg(n);
    return candidate;
}

bool PlaylistStore::copyFile(const QString &source, const QString &target)
{
    if (source.isEmpty() || target.isEmpty())
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return false;
    return WriteFileAtomically(target, bytes);
}

bool PlaylistStore::SavePlaylist(const QString &name, const QString &extension, bool reselect, bool backup)
{
    if (m_beforeSave)
        m_beforeSave();
    if (name.isEmpty() || m_list.isLoading())
        return false;
    const QString address = m_list.PlaylistAddress();
    const QString addressFile = playlistFilePath(address, QStringLiteral(".m3u"));
    bool backedUp = false;
    if (backup && !m_tree.selectedNode().isCategory)
        backedUp = copyFile(addressFile, playlistFilePath(address, QStringLiteral(".bak"))); // skipped on failure

    bool written = false;
    const QString target = playlistFilePath(name, extension);
    if (!target.isEmpty()) {
        // Records left out at the load because their files were missing (a
        // drive not mounted yet) are still in the file. It goes to its backup
        // before the shorter list replaces it, and stays when it cannot.
        const QString key = fileKey(target);
        bool kept = true;
        if (m_missingAtLoad.contains(key) && !(backedUp && target == addressFile) && QFileInfo::exists(target))
            kept = copyFile(target, playlistFilePath(name, QStringLiteral(".bak")));
        if (kept)
            written = writeRows(target, m_list.rows().size());
        if (written)
            m_missingAtLoad.remove(key);
    }

    if (reselect) {
        const QString shown = m_tree.reselect(name + extension);
        m_list.setPlaylistAddress(shown.isEmpty() ? name : shown);
    }
    return written;
}

bool PlaylistStore::writeRows(const QString &target, size_t rowCount)
{
    const std::vector<TrackRow> &all = m_list.rows();
    if (rowCount >= all.size())
        return WriteFileAtomically(target, [&all](QIODevice &out) { return WriteM3ux(out, all); });
    const std::vector<TrackRow> rows(all.begin(), all.begin() + qsizetype(rowCount));
    return WriteFileAtomically(target, [&rows](QIODevice &out) { return WriteM3ux(out, rows); });
}

QString PlaylistStore::keepingAddress() const
{
    const QString address = m_list.PlaylistAddress();
    return playlistFilePath(address, QStringLiteral(".m3u")).isEmpty() ? AutoPlaylistName : address;
}

bool PlaylistStore::KeepOpenList()
{
    if (!m_keepsOpenList)
        return true;
    if (m_beforeSave)
        m_beforeSave(); // the whole list, not what a filter shows
    const QString address = keepingAddress();
    if (m_list.count() == 0 && !ProbeFile(playlistFilePath(address, QStringLiteral(".m3u"))).exists)
        return true;
    backUpForUnnamedList();
    if (SavePlaylist(address, QStringLiteral(".m3u"), false, true))
        return true;
    m_list.setStatusText(keepFailedNotice());
    return false;
}

void PlaylistStore::backUpForUnnamedList()
{
    // The automatic playlist may hold another list than this unnamed one.
    if (keepingAddress() != m_list.PlaylistAddress())
        copyFile(playlistFilePath(AutoPlaylistName, QStringLiteral(".m3u")),
                 playlistFilePath(AutoPlaylistName, QStringLiteral(".bak"))); // skipped on failure
}

bool PlaylistStore::SaveBeforeLoad(const QString &name)
{
    backUpForUnnamedList();
    if (!m_list.isLoading())
        return SavePlaylist(name, QStringLiteral(".m3u"), false, false);
    const int rows = m_list.rowsBeforeLoad();
    if (rows == 0)
        return true;
    const QString target = playlistFilePath(name, QStringLiteral(".m3u"));
    return rows > 0 && !target.isEmpty() && writeRows(target, size_t(rows));
}

bool PlaylistStore::LoadPlaylist(const QString &path)
{
    // Only ordinary files of a sane size: a pipe or device named like a
    // playlist would block or never end, and 100,000 tracks take ~15 MB.
    QFile file;
    if (NativePath::openRegularFile(file, path) != NativePath::OpenResult::Opened || file.size() > MaxPlaylistBytes)
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();
    int missing = 0;
    const bool ok = readData(bytes, QDir::cleanPath(QFileInfo(path).absolutePath()), &missing);
    const QString key = fileKey(path);
    if (missing > 0)
        m_missingAtLoad.insert(key, missing);
    else
        m_missingAtLoad.remove(key);
    return ok;
}

bool PlaylistStore::loadPlaylistData(const QByteArray &bytes, const QString &baseFolder)
{
    int missing = 0;
    return readData(bytes, baseFolder, &missing);
}

bool PlaylistStore::readData(const QByteArray &bytes, const QString &baseFolder, int *missing)
{
    const TrackList::LoadingScope loading(m_list);
    const QString text = DecodePlaylistText(bytes);
    RowBatch sink(m_list);
    sink.setKnownFiles(m_known);
    ReadOutcome outcome;
    // Room for one track per line pair (or per line of a plain list),
    // capped so that a file of empty lines cannot claim much memory.
    const qsizetype lineEnds = std::max(text.count(u'\r'), text.count(u'\n'));
    const auto reserveFor = [&](qsizetype tracks) { m_list.reserveRows(int(std::min<qsizetype>(tracks, 1 << 17))); };

    LineReader pairLines(text, true);
    QStringView first;
    pairLines.next(&first);
    if (first == M3uxHeader) {
        reserveFor(lineEnds / 2);
        outcome = readPairs(pairLines, sink, baseFolder);
    } else {
        LineReader plainLines(text, false);
        QStringView plainFirst;
        if (plainLines.next(&plainFirst) && plainFirst == M3uxHeader) {
            // Pairs with LF line ends (edited on a system that writes LF).
            reserveFor(lineEnds / 2);
            outcome = readPairs(plainLines, sink, baseFolder);
        } else {
            reserveFor(lineEnds + 1);
            LineReader all(text, false);
            outcome = readPlainM3u(all, sink, baseFolder);
        }
    }
    sink.flush();

    if (m_list.isSorted()) {
        m_list.sortRows(m_list.sortKey(), m_list.sortOrder() ? Qt::DescendingOrder : Qt::AscendingOrder);
        m_list.PlayingNoUpdate();
    }
    m_list.UpdateStatus();
    *missing = outcome.missing;
    return !outcome.damaged;
}

void PlaylistStore::CloseList(bool save)
{
    if (save)
        SavePlaylist(m_list.PlaylistAddress(), QStringLiteral(".m3u"), false, true);
    m_list.ClearList();
}
