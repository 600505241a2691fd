#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class AlwaysOnTop;
class Beeper;
class Clock;
class CommandSettings;
class FileDialogs;
class ListScroller;
class MessageService;
class PlayingTrack;
class PlaylistSearch;
class PlaylistStore;
class ShellService;
class TrackAdder;
class TrackList;

// What the item commands need beyond the open list, each one required.
struct ItemCommandServices {
    // Releases files before they move and closes the stream when the list empties.
    PlayingTrack &playing;
    // The tag editor's path.
    const CommandSettings &settings;
    // Left before a property window comes up.
    AlwaysOnTop &topmost;
    // Shows the playing row again after a rebuild.
    ListScroller &scroller;
    // The target folder of a copy.
    FileDialogs &dialogs;
    // Says that files were deleted or copied.
    Beeper &beeper;
    // Names a cleared list.
    const Clock &clock;
};

// The commands on the selected rows of the track list: the track popup
// menu, the delete button menu and the etc button menu. Each entry runs one
// of them. "The focused row" is the row the view's keyboard focus is on
// when it is selected, otherwise the first selected row (targetRow).
//
// Archive-member rows are not files: the commands that move, delete or copy
// files leave them in the list and say so in the status text. Files are
// never replaced: a name already taken in the target folder gets a free
// name ("name (2).ext"). A row whose file could not be moved or deleted
// stays in the list, selected, and the status text says how many.
//
// User-interface thread only. The loops let events run; they work on the
// paths they collected first, so rows changing meanwhile are never mistaken
// for one another.
class ItemCommands
{
public:
    static const QString TagEditorMissing;
    // The dust box: a folder, and the playlist of the files moved into it,
    // both directly in the playlist folder.
    static const QString DustBoxFolderName;

    // `shell` may be null: no file can then be moved, deleted or shown.
    ItemCommands(TrackList &list, PlaylistStore &store, TrackAdder &adder, PlaylistSearch &search,
                 MessageService &messages, ShellService *shell, const ItemCommandServices &services);

    // The row a command on the focused row acts on; 0 for none.
    int targetRow(int focused) const;

    // "リストから削除": the selected rows leave the list; files stay.
    void ListDelete();
    // "ファイルごと削除": asks, then sends each selected file to the
    // desktop's trash and removes its rows; then a beep.
    void FileDelete();
    // "ごみ箱に移動": moves each selected file into the dust-box folder
    // (made when missing), appends its record, as stored, to the dust-box
    // playlist, and removes its rows. A failed move writes no record.
    void MoveToDustBox();
    // "お気に入りに追加": appends the selected rows' records, in list order,
    // to the favourites playlist. The list does not change.
    void AddToFavourites();
    // "次に再生するように設定": moves row `focused` directly below the
    // playing row (to the top when nothing plays) and renumbers. Returns
    // the row's new position (0 when there was no such row).
    int PlayNext(int focused);
    // "エラートラックを削除": removes the rows whose file failed to open.
    void RemoveErrorTracks();
    // "プレイリストをクリア": a new empty list takes the open list's place;
    // the open list is kept in its file first (PlaylistStore::KeepOpenList;
    // nothing changes when it cannot be). The address becomes ClearedAddress(now).
    void ClearPlaylist();
    // "再構築": the list again from its first row's folder or archive, with
    // the playing track marked again.
    void Rebuild();
    // "タグを編集": starts the tag editor once per selected file, in list
    // order; stops with a message at the first start that fails.
    void OpenInTagEditor();
    // The desktop's own properties of the focused row's file (an archive
    // member's: its archive's); says so when the desktop shows nothing.
    void ShowProperties(int focused);
    // The same for the local file `file`.
    void ShowDesktopProperties(const QString &file);
    // "保存先のディレクトリを開く": the file manager on the focused row's
    // folder, with the file selected; says so (FolderNotShownMessage) when
    // the desktop has nothing to show it with.
    void OpenContainingFolder(int focused);
    // "フォルダにコピー": copies each selected file into a folder the user
    // chooses; "Now Copying..." meanwhile; then a beep.
    void CopyToFolder();
    // "パスをコピー": the path of every selected row on the clipboard, one per
    // line in list order; nothing when no row is selected.
    void CopyPath();

    // `folder`/`fileName` when no file has that path, otherwise the first of
    // "base (2).ext", "base (3).ext", ... that is free.
    static QString UniqueFilePath(const QString &folder, const QString &fileName);
    // "Playlist" + yyyymmdd + hhmmss of `when`.
    static QString ClearedAddress(const QDateTime &when);

private:
    struct Outcome {
        int archiveMembers = 0; // rows skipped because they are not files
        int failed = 0;         // files the operation could not handle
        int renamed = 0;        // files stored under another name
    };
    QStringList selectedPaths() const;
    QString fileOf(int pos) const;
    void release(const QString &path);
    // Renumbers, closes the stream when the list emptied, updates the status,
    // finds the playing row again, and reports `outcome` in the status text.
    void afterRemoval(const Outcome &outcome, const QString &failedText);
    void report(const Outcome &outcome, const QString &failedText);

    TrackList &m_list;
    PlaylistStore &m_store;
    TrackAdder &m_adder;
    PlaylistSearch &m_search;
    MessageService &m_messages;
    ShellService *m_shell;
    ItemCommandServices m_services;
};
