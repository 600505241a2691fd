#include "playlist/PlaylistSearch.h"

#include "playlist/ListScroller.h"
#include "playlist/PlayingTrack.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"
#include "playlist/WildcardPattern.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTimer>
#include <algorithm>

namespace {

bool sameRecord(const TrackRow &x, const TrackRow &y)
{
    return x.path() == y.path() && x.title() == y.title() && x.artist() == y.artist() && x.time() == y.time() &&
           x.bitRate() == y.bitRate();
}

bool recordLess(const TrackRow &x, const TrackRow &y)
{
    if (const int c = x.path().compare(y.path()))
        return c < 0;
    if (const int c = x.title().compare(y.title()))
        return c < 0;
    if (const int c = x.artist().compare(y.artist()))
        return c < 0;
    if (const int c = x.time().compare(y.time()))
        return c < 0;
    return x.bitRate().compare(y.bitRate()) < 0;
}

// True when the two lists hold the same tracks as a playlist file stores
// them, in any order (a sorted list shows the file's tracks in its own).
bool sameRecords(const std::vector<TrackRow> &a, const std::vector<TrackRow> &b)
{
    if (a.size() != b.size())
        return false;
    if (std::equal(a.begin(), a.end(), b.begin(), sameRecord))
        return true;
    std::vector<const TrackRow *> x, y;
    x.reserve(a.size());
    y.reserve(b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        x.push_back(&a[i]);
        y.push_back(&b[i]);
    }
    const auto less = [](const TrackRow *l, const TrackRow *r) { return recordLess(*l, *r); };
    std::sort(x.begin(), x.end(), less);
    std::sort(y.begin(), y.end(), less);
    for (size_t i = 0; i < x.size(); ++i) {
        if (!sameRecord(*x[i], *y[i]))
            return false;
    }
    return true;
}

bool isHiddenName(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.size() > slash + 1 && path[slash + 1] == u'.';
}

} // namespace

QStringList PlaylistSearch::modeNames()
{
    return {QStringLiteral("すべて"), QStringLiteral("パス"), QStringLiteral("タイトル"), QStringLiteral("アーティスト")};
}

PlaylistSearch::PlaylistSearch(TrackList &list, PlaylistStore &store, const PlayingTrack &playing,
                               ListScroller &scroller, QObject *parent)
    : QObject(parent), m_list(list), m_store(store), m_playing(playing), m_scroller(scroller)
{
    connect(&m_list, &TrackList::cleared, this, &PlaylistSearch::listCleared);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rowsAdded(first, last); });
}

const std::vector<TrackRow> &PlaylistSearch::allRows() const
{
    return m_active ? m_rows : m_list.rows();
}

void PlaylistSearch::rowsAdded(int first, int last)
{
    if (m_rebuilding || !m_active)
        return;
    // Rows that arrive while the filter is on are the list's: the file no
    // longer holds the whole list, so m_rows is the source from now on.
    const std::vector<TrackRow> &rows = m_list.rows();
    for (int i = first; i <= last && i < int(rows.size()); ++i) {
        TrackRow row = rows[size_t(i)];
        row.setSelected(false);
        if (row.date() != TrackRow::NoDate && !IsArchiveMemberPath(row.path()) && !isHiddenName(row.path()))
            m_known.insert(row.path().toString(), row.date());
        m_rows.push_back(std::move(row));
    }
    m_fromFile = false;
}

PlaylistSearch::~PlaylistSearch() = default;

bool PlaylistSearch::rowMatches(const TrackRow &row, const WildcardPattern &pattern, int mode)
{
    switch (mode) {
    case AllFields:
        return pattern.matches(row.path()) || pattern.matches(row.title()) || pattern.matches(row.artist());
    case PathOnly:
        return pattern.matches(row.path());
    case TitleOnly:
        return pattern.matches(row.title());
    case ArtistOnly:
        return pattern.matches(row.artist());
    default:
        return false;
    }
}

void PlaylistSearch::setText(const QString &text)
{
    m_text = text;
    rebuild();
}

void PlaylistSearch::setMode(int mode)
{
    if (mode == m_mode || mode < AllFields || mode > ArtistOnly)
        return;
    m_mode = mode;
    Q_EMIT modeChanged(m_mode);
    rebuild();
}

void PlaylistSearch::clear()
{
    if (m_text.isEmpty() && !m_active)
        return;
    const bool changed = !m_text.isEmpty();
    m_text.clear();
    if (changed)
        Q_EMIT textChanged(m_text);
    rebuild();
}

void PlaylistSearch::forgetFiles(const QStringList &paths)
{
    if (!m_active || paths.isEmpty())
        return;
    const QSet<QString> gone(paths.begin(), paths.end());
    for (const QString &p : paths)
        m_known.remove(p);
    std::erase_if(m_rows, [&gone](const TrackRow &r) { return gone.contains(r.path().toString()); });
}

bool PlaylistSearch::takeFilledCells(const QString &path, const QString &title, const QString &artist,
                                     const QString &time, const QString &bitRate)
{
    if (!m_active)
        return false;
    bool changed = false;
    for (TrackRow &r : m_rows) {
        if (r.path() == path && r.time().isEmpty()) {
            r.setInfo(title, artist, time, bitRate);
            changed = true;
        }
    }
    if (changed) {
        m_fromFile = false;
        m_checked = true;
        if (!m_refilterPending) {
            m_refilterPending = true;
            QTimer::singleShot(0, this, [this] {
                m_refilterPending = false;
                refilter();
            });
        }
    }
    return changed;
}

void PlaylistSearch::refilter()
{
    if (!m_active || m_fromFile || m_text.isEmpty())
        return; // the filter ended, or a keystroke rebuilt it from the file meanwhile
    if (m_list.isLoading()) {
        rebuild(); // waits for the load
        return;
    }
    // Nothing to do when the same rows match: the rows on show took their
    // cells in place.
    const WildcardPattern pattern(QStringLiteral("*") + m_text + u'*');
    QHash<QString, int> shown;
    for (const TrackRow &r : m_list.rows())
        ++shown[r.path().toString()];
    bool same = true;
    qsizetype hits = 0;
    for (const TrackRow &r : m_rows) {
        if (!rowMatches(r, pattern, m_mode))
            continue;
        ++hits;
        auto it = shown.find(r.path().toString());
        if (it == shown.end() || (*it)-- == 0) {
            same = false;
            break;
        }
    }
    if (same && hits == qsizetype(m_list.count()))
        return;
    ++m_sequence; // a keystroke's rebuild still reading the file is outdated
    show(m_rows, true);
}

void PlaylistSearch::listCleared()
{
    if (m_rebuilding || !m_active)
        return;
    // Something else emptied the list: the filter is over, and the rows it
    // would bring back are not this list's any more.
    m_active = false;
    m_rows.clear();
    m_known.clear();
    ++m_sequence; // a rebuild still reading stops
    if (!m_text.isEmpty()) {
        m_text.clear();
        Q_EMIT textChanged(m_text);
    }
}

void PlaylistSearch::begin()
{
    m_active = true;
    m_checked = false;
    m_rows = m_list.rows();
    m_known.clear();
    m_known.reserve(qsizetype(m_rows.size()));
    for (const TrackRow &r : m_rows) {
        if (r.date() != TrackRow::NoDate && !IsArchiveMemberPath(r.path()) && !isHiddenName(r.path()))
            m_known.insert(r.path().toString(), r.date());
    }
    m_file = m_store.playlistFilePath(m_list.PlaylistAddress(), QStringLiteral(".m3u"));
    const QFileInfo info(m_file);
    m_fromFile = !m_file.isEmpty() && info.isFile();
    m_fileSize = info.size();
    m_fileTime = info.lastModified();
}

bool PlaylistSearch::fileUnchanged() const
{
    const QFileInfo info(m_file);
    return info.isFile() && info.size() == m_fileSize && info.lastModified() == m_fileTime;
}

bool PlaylistSearch::readSource(TrackList &scratch)
{
    scratch.setPlaylistForeColor(m_list.playlistForeColor());
    PlaylistStore reader(scratch, m_store.playlistFolder());
    reader.setKnownFiles(&m_known);
    reader.LoadPlaylist(m_file); // a damaged record keeps what was read before it
    return QFileInfo(m_file).isFile();
}

void PlaylistSearch::rebuild()
{
    if (m_text.isEmpty() && !m_active)
        return;
    if (m_list.isLoading()) {
        // A playlist is being read into the list: search it once it is whole.
        if (!m_deferred) {
            m_deferred = true;
            QTimer::singleShot(20, this, [this] {
                m_deferred = false;
                rebuild();
            });
        }
        return;
    }
    const quint64 sequence = ++m_sequence;
    if (m_text.isEmpty()) {
        end();
        return;
    }
    if (!m_active)
        begin();

    TrackList scratch;
    if (m_fromFile) {
        const bool read = readSource(scratch); // events run
        if (sequence != m_sequence || !m_active)
            return; // a newer keystroke took over, or the list went elsewhere
        if (!m_checked) {
            m_fromFile = read && sameRecords(scratch.rows(), m_rows);
            m_checked = true;
        }
    }
    show(m_fromFile ? scratch.rows() : m_rows, false);
}

void PlaylistSearch::show(const std::vector<TrackRow> &source, bool keepSelection)
{
    QSet<QString> selected;
    if (keepSelection) {
        for (const TrackRow &r : m_list.rows())
            if (r.isSelected())
                selected.insert(r.path().toString());
    }
    const WildcardPattern pattern(QStringLiteral("*") + m_text + u'*');
    std::vector<TrackRow> hits;
    const quint32 color = m_list.playlistForeColor();
    for (const TrackRow &r : source) {
        if (!rowMatches(r, pattern, m_mode))
            continue;
        TrackRow hit = r;
        hit.setIcon(TrackRow::NoIcon);
        hit.setColor(color);
        hit.setSelected(!selected.isEmpty() && selected.contains(r.path().toString()));
        hits.push_back(std::move(hit));
    }

    const int sortKey = m_list.sortKey();
    const int sortOrder = m_list.sortOrder();
    const bool sorted = m_list.isSorted();
    m_list.setSorted(false);
    m_rebuilding = true;
    m_list.ClearList();
    m_list.setPlayoldNo(0);
    m_list.appendRows(std::move(hits));
    if (sorted) {
        m_list.setSortKey(sortKey);
        m_list.setSortOrder(sortOrder);
        m_list.setSorted(true);
    }
    m_rebuilding = false;
    m_list.RenumberList();
    m_list.ApplyPlaylistForeColor();
}

void PlaylistSearch::end()
{
    // The file's order comes back; sorting stays off.
    m_list.setSorted(false);
    const bool fromFile = m_fromFile && m_checked && fileUnchanged();
    std::vector<TrackRow> rows = std::move(m_rows);
    KnownFiles known = std::move(m_known);
    m_rows.clear();
    m_known.clear();
    m_active = false;

    m_rebuilding = true;
    m_list.ClearList();
    m_rebuilding = false;
    const quint64 generation = m_list.generation();
    if (fromFile) {
        m_store.setKnownFiles(&known);
        m_store.LoadPlaylist(m_file); // events run
        m_store.setKnownFiles(nullptr);
        if (m_list.generation() != generation)
            return; // the list was emptied for something else meanwhile
    } else {
        for (TrackRow &r : rows) {
            if (r.icon() == TrackRow::PlayingIcon)
                r.setIcon(TrackRow::IdleIcon);
        }
        m_list.appendRows(std::move(rows));
    }
    const int pos = m_list.PlayingTrackRestore(m_playing.PlayingFilePath());
    if (pos != 0)
        m_scroller.scrollToRow(pos);
    m_list.RenumberList();
    m_list.ApplyPlaylistForeColor();
}
