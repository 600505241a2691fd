#include "playlist/TrackAdder.h"

#include "core/AudioFormats.h"
#include "core/EventPump.h"
#include "core/FileDialogs.h"
#include "core/NativePath.h"
#include "playlist/FolderWalk.h"
#include "playlist/PathNames.h"
#include "playlist/PlaylistStore.h"
#include "playlist/RememberedFolders.h"
#include "playlist/RowBatch.h"
#include "playlist/TrackArchives.h"
#include "playlist/TrackList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>


const QString TrackAdder::AudioFileFilter = AudioFormats::dialogFilter();
const QString TrackAdder::ZipFileFilter = QStringLiteral("ZIPファイル (*.zip)|*.zip");
const QString TrackAdder::FolderDialogTitle = QStringLiteral("フォルダを選択してください。");

TrackAdder::TrackAdder(TrackList &list, PlaylistStore &store, RememberedFolders &folders, TrackArchives &archives,
                       const PlaylistTree &tree, FileDialogs &dialogs)
    : m_list(list)
    , m_store(store)
    , m_folders(folders)
    , m_archives(archives)
    , m_tree(tree)
    , m_dialogs(dialogs)
{
}

QString TrackAdder::option(const QString &key) const
{
    return m_folders.folder(key);
}

void TrackAdder::storeOption(const QString &key, const QString &value)
{
    m_folders.remember(key, value);
}

void TrackAdder::listArchive(const QString &archivePath)
{
    m_archives.listMembers(archivePath, [this](const QString &path, bool isMember) { AddTrack(path, isMember); });
}

void TrackAdder::openArchive(const QString &archivePath)
{
    const quint64 generation = m_list.generation();
    m_archives.openAsPlaylist(
        archivePath, m_tree.selectedNode(), m_list.PlaylistAddress(),
        [this](const QString &address) { m_list.setPlaylistAddress(m_store.unusedPlaylistAddress(address)); },
        [this, generation](const QString &entry) {
            if (m_list.generation() == generation)
                AddTrack(entry, true);
        });
}

void TrackAdder::SuspendSort()
{
    m_sortMemory = {m_list.sortKey(), m_list.sortOrder(), m_list.isSorted()};
    m_list.setSorted(false);
}

void TrackAdder::RestoreSort()
{
    if (!m_sortMemory.wasSorted)
        return;
    m_list.setSortKey(m_sortMemory.key);
    m_list.setSortOrder(m_sortMemory.order);
    m_list.setSorted(true);
    // The sort moved the rows: find the playing row again and number the new order.
    m_list.PlayingNoUpdate();
    m_list.RenumberList();
}

void TrackAdder::pauseSort()
{
    if (m_pauseDepth++ == 0)
        SuspendSort();
}

void TrackAdder::resumeSort()
{
    if (m_pauseDepth > 0 && --m_pauseDepth == 0)
        RestoreSort();
}

void TrackAdder::finishAdding()
{
    m_list.RenumberList();
    m_list.ApplyRowColors();
}

void TrackAdder::AddTrack(const QString &path, bool isArchiveMember)
{
    if (path.isEmpty())
        return;
    const FileProbe target = isArchiveMember ? FileProbe() : ProbeFile(path);
    if (target.isDir) {
        replaceByFolder(path);
        return;
    }
    pauseSort();

    TrackRow row = m_list.makeRow(path);
    row.setTitle(InitialTitleOf(path, isArchiveMember));
    FileProbe probe;
    if (isArchiveMember) {
        const QString archive = ArchivePathOfMember(path);
        const FileProbe archiveProbe = archive.isEmpty() ? FileProbe() : ProbeFile(archive);
        if (archiveProbe.exists)
            row.setDate(archiveProbe.modified);
        row.setExtension(ExtensionOf(archive));
    } else {
        probe = target;
        TrackList::fileInfoInto(row, probe); // a path that cannot be examined keeps an empty Date
    }
    const QString extension = row.extension().toString();
    m_list.appendRow(std::move(row));

    if (!isArchiveMember && (extension == u"M3U" || extension == u"M3U8")) {
        m_store.LoadPlaylist(path);
        m_list.setPlaylistAddress(path);
    }

    if (m_batchDepth == 0)
        finishAdding();
    resumeSort();
}

void TrackAdder::AddDroppedFiles(const QStringList &dropped)
{
    const QStringList files = dropped; // the caller's list may change while events run
    pauseSort();
    ++m_batchDepth;
    for (const QString &file : files) {
        if (file.endsWith(QLatin1String(".zip")) || file.endsWith(QLatin1String(".ZIP")))
            openArchive(file);
        else
            AddTrack(file, false);
        EventPump::yield();
        if (EventPump::stopRequested())
            break;
    }
    --m_batchDepth;
    finishAdding();
    resumeSort();
    m_list.UpdateStatus();
}

void TrackAdder::openCommandLinePaths(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // The open list is kept in its file before the paths replace it; when it
    // cannot be, they are added to it instead.
    if (m_store.KeepOpenList()) {
        m_store.CloseList(false);
        m_list.setPlaylistAddress(m_store.unusedPlaylistAddress(QStringLiteral("CommandLine")));
    }
    QStringList absolute;
    for (const QString &path : paths)
        absolute.append(path.isEmpty() ? path : QDir::cleanPath(QDir::current().absoluteFilePath(path)));
    AddDroppedFiles(absolute);
}

QStringList TrackAdder::ListAudioFiles(const QString &folder, int filter, bool subfolders)
{
    return FolderWalk::list(folder, subfolders, filter == 1 ? &AudioFormats::isPlayable : nullptr).files;
}

std::optional<QStringList> TrackAdder::collectFolder(const QString &folder, bool subfolders)
{
    const quint64 generation = m_list.generation();
    const QString before = m_list.statusText();
    QElapsedTimer shown;
    shown.start();
    m_list.setStatusText(QStringLiteral("Now Loading..."));
    m_stopAdding = false;
    m_walking = true;
    bool first = true;
    const auto progress = [&](int found) {
        if (shown.elapsed() >= 100) {
            m_list.setStatusText(QStringLiteral("Now Loading... %1").arg(found));
            shown.restart();
        }
        // Events run once at once (the status shows, a waiting Escape is
        // seen), then at the pump's pace.
        EventPump::yield(first ? 0 : 15);
        first = false;
        return !m_stopAdding && !EventPump::stopRequested() && m_list.generation() == generation;
    };
    FolderWalk::Result found =
        FolderWalk::list(folder, subfolders, &AudioFormats::isPlayable, progress);
    m_walking = false;
    if (found.cancelled) {
        if (m_list.generation() == generation)
            m_list.setStatusText(before);
        return std::nullopt;
    }
    return std::move(found.files);
}

void TrackAdder::stopAdding()
{
    if (m_walking)
        m_stopAdding = true;
}

void TrackAdder::appendFiles(const QStringList &files)
{
    pauseSort();
    m_list.reserveRows(int(files.size()));
    {
        RowBatch batch(m_list);
        for (const QString &file : files) {
            TrackRow row = m_list.makeRow(file);
            TrackList::fileInfo4Into(row, ProbeFile(file));
            batch.add(std::move(row));
            if (!batch.pump())
                break; // the list was cleared meanwhile
        }
    }
    resumeSort();
}

void TrackAdder::ListToListView()
{
    if (m_folderpath.isEmpty())
        return;
    if (const std::optional<QStringList> files = collectFolder(m_folderpath, m_folders.includeSubfolders()))
        appendFiles(*files);
}

void TrackAdder::replaceByFolder(const QString &folder)
{
    // The open list is kept in its file first, and stays when it cannot be.
    if (!m_store.KeepOpenList())
        return;
    const std::optional<QStringList> files = collectFolder(folder, m_folders.includeSubfolders());
    if (!files)
        return; // cancelled: the list keeps what it held
    pauseSort();
    m_folderpath = folder;
    m_store.CloseList(false);
    appendFiles(*files);
    applyFolderNamingRule();
    if (m_batchDepth == 0)
        finishAdding();
    resumeSort();
}

void TrackAdder::applyFolderNamingRule()
{
    if (m_list.count() == 0)
        return;
    // The listed folder names the list, even when its own files are none
    // and the first row comes from a sub-folder.
    const QString folderName = m_folderpath.isEmpty() ? ParentFolderNameOf(m_list.path(1))
                                                      : ParentFolderNameOf(QDir::cleanPath(m_folderpath) + QStringLiteral("/x"));
    const SelectedTreeNode node = m_tree.selectedNode();
    const bool nested = node.valid && node.fullPath.contains(u'/');
    QString address;
    if (!nested && !node.isCategory) {
        address = folderName;
    } else if (!nested) {
        address = node.text + u'/' + folderName;
    } else if (!node.isCategory) {
        const QString category = FolderOf(m_list.PlaylistAddress());
        address = category.isEmpty() ? folderName : category + u'/' + folderName;
    } else {
        address = node.fullPath + u'/' + folderName;
    }
    // A playlist may have the folder's name already; the next save must not
    // write over it.
    m_list.setPlaylistAddress(m_store.unusedPlaylistAddress(address));
}

QString TrackAdder::firstOpenFolder()
{
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return music;
    return QDir::homePath();
}

void TrackAdder::addFileCommand()
{
    QString start = option(AudioFileFolderKey);
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = firstOpenFolder();
    const QStringList files = m_dialogs.chooseFiles(AudioFileFilter, start);
    if (files.isEmpty())
        return;
    AddDroppedFiles(files);
    storeOption(AudioFileFolderKey, FolderOf(files.constLast()));
}

void TrackAdder::openFolderCommand()
{
    m_strSelectFolder = option(FolderKey);
    const QString chosen = m_dialogs.chooseFolder(FolderDialogTitle, m_strSelectFolder);
    if (chosen.isEmpty())
        return;
    replaceByFolder(chosen);
    storeOption(FolderKey, chosen);
}

void TrackAdder::RebuildList()
{
    if (m_list.count() == 0)
        return;
    const QString first = m_list.path(1);
    pauseSort();
    if (IsArchiveMemberPath(first)) {
        const QString archive = ArchivePathOfMember(first);
        m_list.ClearList();
        listArchive(archive);
    } else {
        // The first row's own folder, without sub-folders: the rebuilt list
        // is that one place, however the rows came in.
        m_folderpath = FolderOf(first);
        const std::optional<QStringList> files = collectFolder(m_folderpath, false);
        if (files) {
            m_list.ClearList();
            appendFiles(*files);
        }
    }
    finishAdding();
    resumeSort();
}

void TrackAdder::openArchiveCommand()
{
    const QString archive = m_dialogs.chooseFile(ZipFileFilter, option(ZipFileFolderKey));
    if (archive.isEmpty())
        return;
    replaceByArchive(archive);
    storeOption(ZipFileFolderKey, FolderOf(archive));
}

void TrackAdder::replaceByArchive(const QString &archivePath)
{
    if (!m_store.KeepOpenList())
        return;
    m_store.CloseList(false);
    pauseSort();
    ++m_batchDepth;
    openArchive(archivePath);
    --m_batchDepth;
    finishAdding();
    resumeSort();
    m_list.UpdateStatus();
}
