#pragma once

#include "playlist/PathNames.h"
#include "playlist/PlaylistTree.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>

class TrackList;

// Moves the open list between the track list and the playlist files under
// the playlist folder. UI thread only.
class PlaylistStore
{
public:
    // `playlistFolder` is the folder of all playlists (ending in "/" or not).
    // `tree` is the library tree that shows them: a save takes no backup
    // while a category is selected there, and a save with reselect takes
    // the address of the node the tree selects.
    PlaylistStore(TrackList &list, QString playlistFolder, PlaylistTree &tree);
    // A store no library tree shows (reading a file, tools): nothing is
    // selected, and a save with reselect makes the saved name the address.
    PlaylistStore(TrackList &list, QString playlistFolder);

    // Runs first in every save: a filtered list puts its full rows back
    // here, so that a save never writes only the rows a search kept.
    void setBeforeSave(std::function<void()> beforeSave) { m_beforeSave = std::move(beforeSave); }
    // While set, loads take the files listed in `known` as present with
    // their stored modification time instead of looking at each on disk.
    void setKnownFiles(const KnownFiles *known) { m_known = known; }
    // The playlist folder, ending in "/".
    QString playlistFolder() const { return m_folder; }

    // The file of playlist `name` (an address such as "Rock/Live") with
    // `extension`, or empty when that file would lie outside the playlist
    // folder or names no file plainly (an absolute name, a ".." or "."
    // component, an empty component, a NUL).
    QString playlistFilePath(const QString &name, const QString &extension) const;

    // `address` when no playlist file of that name exists yet; otherwise the
    // first of "address (2)", "address (3)", … that names none, so that a
    // save under it overwrites nothing. An address that names no file
    // (playlistFilePath() is empty) comes back unchanged: nothing is ever
    // saved under it.
    QString unusedPlaylistAddress(const QString &address) const;

    // Writes every row to the playlist file of `name` + `extension`,
    // atomically: on any failure the previous file stays as it was. With
    // `backup`, unless a category is selected in the tree, the file of the
    // current address is first copied to its ".bak". When the last load of
    // the target file left tracks out because their files were missing, the
    // file is copied to its ".bak" (name + ".bak") before the first save
    // that drops them, and is not replaced when that copy fails. With
    // `reselect` the tree is rebuilt and the address follows the saved name.
    // Nothing is written while a load into the list is running (it would be
    // partial) or when `name` is empty. Returns true when the file was
    // written.
    bool SavePlaylist(const QString &name, const QString &extension, bool reselect, bool backup);

    // Appends the tracks of the playlist file at `path` to the rows, neither
    // clearing the list nor renumbering it. Records whose file is missing or
    // hidden are left out (and remembered for the next save of that file).
    // Relative paths, and relative archive parts of archive members, are
    // taken from the playlist's folder and held as full paths. "#M3UX" files
    // are read pair by pair; other files as plain M3U/M3U8. A damaged info
    // line (fewer than two ";") keeps its track with the cells it has and
    // reading goes on; the result is false then, and when the file cannot be
    // read. A path that is not an ordinary file or is larger than
    // MaxPlaylistBytes is not read at all. Lets events run; stops early when
    // the list is cleared meanwhile.
    bool LoadPlaylist(const QString &path);
    static constexpr qint64 MaxPlaylistBytes = qint64(256) << 20;

    // The name the open list is kept under: its address when that names a
    // playlist file, otherwise (no address, or one typed by hand that names
    // no file) the automatic playlist.
    QString keepingAddress() const;

    // Before the open list is replaced by another (a folder or an archive
    // opened, a start with paths, a new empty list, a playlist file opened):
    // saves it under keepingAddress() with a backup, as a click on another
    // playlist does, so that its rows can be opened again (an unnamed list
    // first copies the automatic playlist it replaces to its ".bak"). An empty list
    // without a file needs nothing. Returns false, and says so in the status
    // box, when the list could not be saved; the caller then leaves it in place.
    bool KeepOpenList();
    // A player that may write nothing into the program folder keeps nothing:
    // KeepOpenList() then only says yes.
    void setKeepsOpenList(bool keeps) { m_keepsOpenList = keeps; }
    static QString keepFailedNotice() { return QStringLiteral("一覧を保存できないため置き換えませんでした"); }

    // SavePlaylist for the end of a run that comes while a playlist is being
    // read into the list: only the rows the list held before that load began
    // are written (nothing when the load had emptied the list first: its
    // file is whole). Returns true when the file holds what it should.
    bool SaveBeforeLoad(const QString &name);

    // LoadPlaylist on file contents already read; relative paths are
    // resolved against `baseFolder` (left as written when it is empty).
    bool loadPlaylistData(const QByteArray &bytes, const QString &baseFolder);

    // With `save`, saves the list under its address (with backup, without
    // reselect); then empties it (ClearList).
    void CloseList(bool save);

private:
    // The contents read into the list; `missing` receives the number of
    // records left out because their files are not there.
    bool readData(const QByteArray &bytes, const QString &baseFolder, int *missing);
    static bool copyFile(const QString &source, const QString &target);
    bool writeRows(const QString &target, size_t rowCount);
    // Before an unnamed list is kept as the automatic playlist: that file
    // goes to its ".bak" first.
    void backUpForUnnamedList();
    // A playlist file's path in one spelling, for m_missingAtLoad.
    static QString fileKey(const QString &path);

    TrackList &m_list;
    QString m_folder;
    PlaylistTree &m_tree;
    // Files whose last load left out records with missing files, and how
    // many; an entry goes when the file is rewritten.
    QHash<QString, int> m_missingAtLoad;
    std::function<void()> m_beforeSave;
    const KnownFiles *m_known = nullptr;
    bool m_keepsOpenList = true;
};
