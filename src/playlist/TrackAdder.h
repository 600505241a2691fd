#pragma once

#include "playlist/PlaylistTree.h"

#include <QString>
#include <QStringList>

#include <optional>

class FileDialogs;
class PlaylistStore;
class RememberedFolders;
class TrackArchives;
class TrackList;

// Adds tracks to the open list: single paths, dropped files, folders and the
// three add commands. UI thread only; the loops let events run.
class TrackAdder
{
public:
    // Keys of section "Option" holding the last-used folders.
    static inline const QString AudioFileFolderKey = QStringLiteral("SelectAudioFilePath");
    static inline const QString FolderKey = QStringLiteral("SelectFolder");
    static inline const QString ZipFileFolderKey = QStringLiteral("SelectZipFilePath");
    // Dialog filters and title.
    static const QString AudioFileFilter;
    static const QString ZipFileFilter;
    static const QString FolderDialogTitle;

    // `folders` keeps the dialogs' start folders, `archives` reads ZIP
    // archives, `tree` places the playlists that folders and archives name,
    // `dialogs` asks for the files and folders to add.
    TrackAdder(TrackList &list, PlaylistStore &store, RememberedFolders &folders, TrackArchives &archives,
               const PlaylistTree &tree, FileDialogs &dialogs);

    // Appends one row for `path` (icon 1, Title from the path, Date and
    // Extension from the file, or from the archive for a member). A playlist
    // file (".m3u", ".m3u8") is also imported after its row and becomes the
    // address; a directory replaces the list by its audio files (the open
    // list is kept in its file first, PlaylistStore::KeepOpenList, and
    // nothing is added when it cannot be) and names the address by the
    // folder naming rule. Then renumbers and recolours
    // the list and restores its sorting. An empty path adds nothing.
    void AddTrack(const QString &path, bool isArchiveMember);

    // Adds dropped files in order: names ending in ".zip" or ".ZIP" are
    // opened as archives (openArchive below), everything else goes through
    // AddTrack. Sorting, renumbering and colouring happen once at the end.
    void AddDroppedFiles(const QStringList &dropped);

    // The paths of the command line replace the list: it is kept in its
    // file (KeepOpenList), emptied and named "CommandLine" (" (2)", " (3)",
    // … when that playlist exists), then the paths are added as a drop of
    // the same files is (AddDroppedFiles): an archive by its members, a
    // folder by its audio files (replacing the list), a playlist with its
    // tracks. Relative paths count from the current folder. Nothing happens
    // without paths.
    void openCommandLinePaths(const QStringList &paths);

    // Appends one row per audio file of `folderpath` (GetFileInfo4
    // contents), in the order of FolderWalk: the folder's own files in
    // natural name order, then, when the option "AddSubfolders" is on, its
    // sub-folders' files depth-first. The status box shows the progress; a
    // stop request (or the list emptied meanwhile) ends the reading before
    // any row is added. Does nothing when folderpath is empty. Does not
    // renumber.
    void ListToListView();

    // Full paths of the ordinary, visible files of `folder` in natural name
    // order (FolderWalk), with `subfolders` also those of its sub-folders.
    // With filter 1 only files the decoders play (AudioFormats::isPlayable,
    // any letter case).
    static QStringList ListAudioFiles(const QString &folder, int filter, bool subfolders = false);

    // Where "ファイルを追加" starts when no folder is remembered: the
    // user's music folder, or the home folder without one; never the
    // working folder.
    static QString firstOpenFolder();

    // Switch the list's sorting off before rows are added, remembering its
    // sort key, order and whether it was sorted; and back on afterwards, so
    // that new rows take their sorted places (PlayingNo then follows the
    // playing row and No is rewritten).
    void SuspendSort();
    void RestoreSort();
    struct SortMemory {
        int key = 0;
        int order = 0;
        bool wasSorted = false;
    };

    // After a folder replaced the list: the address becomes the listed
    // folder's name, placed by the node selected in the tree; when a
    // playlist of that name exists, " (2)", " (3)", … is added, so the next
    // save overwrites nothing. Nothing changes when the list is empty.
    void applyFolderNamingRule();

    // "ファイルを追加": choose files (several at once), add them in the
    // order chosen as a drop of them is added, remember their folder.
    void addFileCommand();
    // "フォルダを開く": choose a folder; its audio files replace the list
    // (kept in its file first; left as it was when the reading is stopped)
    // and it names the address.
    void openFolderCommand();
    // "ZIP書庫を開く": choose an archive; its members replace the list (kept
    // in its file first).
    void openArchiveCommand();
    // The members of the archive at `archivePath` replace the list, which is
    // kept in its file first (nothing happens when it cannot be), named as
    // openArchive names them.
    void replaceByArchive(const QString &archivePath);
    // Appends the members of the archive at `archivePath` and makes the
    // address name the archive's playlist, a new one: when a playlist file of
    // that name exists, " (2)", " (3)", … is added, so the next save
    // overwrites nothing the user had. The address changes before the
    // members come in, so a save while events run goes to the new name; when
    // the list is emptied meanwhile (another playlist opened), the remaining
    // members are not added to it.
    void openArchive(const QString &archivePath);
    // Escape while a folder is read: the reading stops and the list stays
    // as it was. Does nothing when no folder is being read.
    void stopAdding();

    // "再構築": the list again from the folder (or archive) of its first row:
    // the current audio files of that one place (not its sub-folders)
    // replace whatever the list held; a stopped reading leaves the list. Nothing happens to an empty list.
    void RebuildList();

    // The folder listed by ListToListView.
    QString folderpath() const { return m_folderpath; }
    void setFolderpath(const QString &folder) { m_folderpath = folder; }
    // The folder dialog's start folder.
    QString strSelectFolder() const { return m_strSelectFolder; }

private:
    // Nesting suspension used by the adders themselves: only the outermost
    // pause and resume touch the list's sorting.
    void pauseSort();
    void resumeSort();
    void finishAdding();
    // The audio files of `folder` for a folder add, with progress in the
    // status box; nullopt when stopped.
    std::optional<QStringList> collectFolder(const QString &folder, bool subfolders);
    void appendFiles(const QStringList &files);
    // The files of `folder` replace the list, which is kept in its file first.
    void replaceByFolder(const QString &folder);
    void listArchive(const QString &archivePath);
    QString option(const QString &key) const;
    void storeOption(const QString &key, const QString &value);

    TrackList &m_list;
    PlaylistStore &m_store;
    RememberedFolders &m_folders;
    TrackArchives &m_archives;
    const PlaylistTree &m_tree;
    FileDialogs &m_dialogs;
    QString m_folderpath;
    QString m_strSelectFolder;
    SortMemory m_sortMemory;
    int m_pauseDepth = 0;
    int m_batchDepth = 0;
    bool m_walking = false;
    bool m_stopAdding = false;
};
