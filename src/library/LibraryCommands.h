#pragma once

#include "library/LibraryTreeActions.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

class AlwaysOnTop;
class Beeper;
class Clock;
class CommandSettings;
class FileDialogs;
class LibraryTree;
class ListFilter;
class ListScroller;
class MessageService;
class PlayingTrack;
class PlaylistStore;
class RandomSource;
class ShellService;
class TrackAdder;
class TrackList;
class TreeLabelEditor;

// What the library's commands need beyond the tree and the open list, each
// one required.
struct LibraryCommandServices {
    // The search, emptied before another playlist opens.
    ListFilter &search;
    // Found again in a newly opened list.
    const PlayingTrack &playing;
    // Whether to ask before the open list is saved.
    const CommandSettings &settings;
    // Shows the playing row.
    ListScroller &scroller;
    // Names a new node.
    TreeLabelEditor &labels;
    // The playlist file to open.
    FileDialogs &dialogs;
    // Left before a property window comes up.
    AlwaysOnTop &topmost;
    // Says that a playlist was saved.
    Beeper &beeper;
    // Stamps new playlist and category names.
    const Clock &clock;
};

// The commands of the library: the tree's clicks, its popup menu, label
// editing and drops, and the playlist administration menu. They work on the
// node selected in the tree and on the open playlist (its address).
//
// No command overwrites or loses a playlist the user did not choose to
// remove: new names are free names, renames never replace an entry, names
// typed by the user stay inside their folder, and deleting sends files to
// the desktop's trash. The favourites and the dust box are neither deleted
// nor renamed.
//
// User-interface thread only.
class LibraryCommands : public LibraryTreeActions
{
public:
    static inline const QString SaveQuestion = QStringLiteral("変更を保存しますか？");
    static inline const QString SpecialListNotRenamed = QStringLiteral("特殊なリストのため名前を変更できません");
    static inline const QString RenameFailed = QStringLiteral("名前を変更できませんでした。");
    // A rename refused because another playlist or category already has
    // the name: "プレイリスト"<name>"は既にあります。" (or "カテゴリ…").
    static QString NameTakenMessage(const QString &name, bool category);
    // A rename refused because the name belongs to the favourites or the
    // dust box at the root.
    static QString ReservedNameMessage(const QString &name);
    static inline const QString CategoryNotEmpty = QStringLiteral("削除するカテゴリにプレイリストが残っています");
    static inline const QString SpecialListNotDeleted = QStringLiteral("特殊なリストのため削除できません");
    static inline const QString OpenPlaylistFilter = QStringLiteral("プレイリストファイル (*.m3u)|*.m3u");
    // "選択しているプレイリスト"<address>"を削除します。" CR LF "よろしいですか？"
    static QString DeleteQuestion(const QString &address);
    // The notice when the desktop's trash refused `name`; nothing was deleted.
    static QString TrashRefused(const QString &name);
    // Default names: "Category" / "Playlist" + yyyymmdd + hhmm of `when`.
    static QString CategoryName(const QDateTime &when);
    static QString PlaylistName(const QDateTime &when);
    // Whether the user may give a node the name `name`: a safe file name
    // (IsSafeName) that is not hidden (no leading "."), and at the root not
    // the name of the favourites or the dust box.
    static bool IsUsableName(const QString &name, bool atRoot);
    // True when `path` is an ordinary file that starts like a ZIP archive.
    static bool IsZipArchive(const QString &path);

    // `shell` may be null: nothing can then be deleted or shown.
    LibraryCommands(LibraryTree &tree, TrackList &list, PlaylistStore &store, TrackAdder &adder,
                    MessageService &messages, ShellService *shell, const LibraryCommandServices &services);
    ~LibraryCommands() override;
    // The shuffle's source; without one (null) the system's entropy.
    void setRandomSource(RandomSource *random) { m_random = random; }

    // --- clicks -----------------------------------------------------------------------
    // A left click that selected node `index`. A category saves the open
    // list (unless the user answers No to the save question, when it is
    // asked) and opens nothing. Any other node empties the search box and
    // saves the open list (again unless the answer is No), empties the list,
    // loads the node's playlist, takes its address, recolours and renumbers
    // the rows and marks the playing track again. A click that arrives while
    // a playlist is loading (events run during the load) takes the list
    // over; the earlier click then stops without touching the address.
    void NodeClick(int index);

    // The right button pressed over node `index` (-1: empty tree space). An
    // unselected node is selected without opening it, and every track is
    // unselected. Records TreeBlankClick. The caller then shows the menu.
    void TreeRightClick(int index);
    bool TreeBlankClick() const { return m_treeBlankClick; }

    // To auto-save: the open list to the file of its address (with a backup,
    // no reselect). The save is skipped when the address would name a file
    // outside the playlist folder. A playlist file the save made shows in
    // the tree at once.
    void AutoSave();

    // `PlayingTrackRestore`: finds the playing file's row again (ignoring
    // letter case), unselects every row, then marks that row as playing,
    // selects it and scrolls it into view. PlayingNo stays as it is when the
    // file is not in the list.
    void PlayingTrackRestore();

    // --- the tree's popup menu ---------------------------------------------------------
    // "プレイリストを作成": asks or auto-saves as a node click does, then
    // writes the tracks on screen to a new playlist "Playlist<yyyymmddhhmm>"
    // (a free name) at the root (over blank space or a root node that is not
    // a category), in the selected category, or beside the selected
    // playlist; the list takes its address, and the new node is selected and
    // put into label editing. Returns the node, or -1 when nothing was
    // written.
    int CreatePlaylist();
    // "カテゴリを作成": a folder "Category<yyyymmddhhmm>" (a free name) at
    // the root (over blank space or a root node that is not a category), in
    // the selected root category, or beside the selected sub-category or
    // playlist (its node first among its siblings); selected and put into
    // label editing. Returns the node, or -1 when no folder was made.
    int CreateCategory();
    // "削除(&D)": the selected playlist (DeletePlaylist on it), or the
    // selected category when its folder is empty (otherwise the not-empty
    // notice and nothing changes): the folder goes to the trash, the node
    // goes (a sub-category's parent is selected) and the tree is rebuilt.
    // The favourites and the dust box: nothing.
    void DeleteSelected();
    // "名前の変更(&M)": label editing on the selected node.
    void RenameSelected();
    // "再構築(&U)".
    void Rebuild();
    // "プロパティ(&R)": the desktop's properties of the selected node's
    // folder or playlist file (of the open playlist's file when no node is
    // selected), after leaving the always-on-top layer.
    void ShowProperties();

    // --- label editing ------------------------------------------------------------------
    // Editing begins on node `index`: its text is kept as LabelEditBefore.
    void LabelEditBegin(int index);
    QString LabelEditBefore() const { return m_labelEditBefore; }
    // Editing ended with `text`: renames the node's playlist file (and its
    // backup) or its folder, keeps the open playlist's address in step and
    // shows the new text. Refused with a message saying why (the node keeps
    // its text): the name is not usable (UnsafeNameMessage), is reserved at
    // the root (ReservedNameMessage), is taken (NameTakenMessage; nothing is
    // replaced), the node is the favourites or the dust box
    // (SpecialListNotRenamed), or the rename fails (RenameFailed). Returns
    // true when the node has the new name (or kept the same one).
    bool LabelEditEnd(int index, const QString &typed) override;

    // --- the administration menu ------------------------------------------------------
    // "プレイリストを開く": a playlist file chosen in the dialog replaces the
    // list, which is kept in its file first (nothing changes when it cannot
    // be); the address becomes its name, a free one unless the
    // file is a playlist of the library itself. Cancelling the dialog, or a
    // file that cannot be read, changes nothing.
    void OpenPlaylistFile();
    // "プレイリストを保存": the open list under its address, or into the
    // selected category under its own name (a free name there when another
    // playlist has it); the tree is rebuilt, the saved node selected, and a
    // beep says it was written. Nothing happens without an address.
    void SaveOpenPlaylist();
    // "プレイリストの削除": DeletePlaylist on the open playlist.
    void DeleteOpenPlaylist();
    // "プレイリストをシャッフル": every row changes place with a random
    // other row, rows keep their icons and colours; the selection is
    // cleared and the playing row found again. Nothing is saved.
    void Shuffle();

    // Deletes the playlist with `address`: the special lists are refused
    // with a notice; otherwise, after the question, its file and backup go
    // to the desktop's trash (a refusal changes nothing and says so), its
    // node leaves the tree and, when it was the open playlist, the list is
    // emptied unsaved and the playlist of the node selected next is opened
    // (when that node is a category, the empty list is a new one named as
    // ItemCommands::ClearedAddress names it).
    void DeletePlaylist(const QString &address);

    // --- drops --------------------------------------------------------------------------
    // Files dropped on the tree, in order: each ZIP archive replaces the list
    // (kept in its file first) by its members under the archive's name (a free name) and is
    // saved as SaveOpenPlaylist saves. Anything else is skipped.
    void DropFiles(const QStringList &paths) override;

private:
    // Asks the save question when the option is on; false when the answer is No.
    bool saveWanted();
    QDateTime now() const;
    // Opens the playlist of node `index` into the emptied list: loads it,
    // takes its address, recolours, renumbers and marks the playing track.
    void openNode(int index);
    bool toTrash(const QString &path);
    // DeletePlaylist on the playlist with `address` whose node, if any, has `key`.
    void deletePlaylist(const QString &address, const QString &key);
    void refuseRename(const QString &why);

    LibraryTree &m_tree;
    TrackList &m_list;
    PlaylistStore &m_store;
    TrackAdder &m_adder;
    MessageService &m_messages;
    ShellService *m_shell;
    RandomSource *m_random = nullptr;
    std::unique_ptr<RandomSource> m_ownRandom;
    LibraryCommandServices m_services;
    QString m_labelEditBefore;
    bool m_treeBlankClick = false;
};
