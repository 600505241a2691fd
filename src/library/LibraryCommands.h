#pragma once

#include <QString>
#include <functional>

class LibraryTree;
class MessageService;
class PlaylistStore;
class TrackList;

// What the tree's commands need from the windows and the player. Every hook
// may be left unset; its step is then skipped.
struct LibraryCommandHooks {
    // True when the option "オートセーブ時に問い合わせる" is on.
    std::function<bool()> askBeforeAutoSave;
    // Empties the search box (which reloads the full list when a search was active).
    std::function<void()> clearSearch;
    // The path of the file that plays now (empty when none).
    std::function<QString()> playingFilePath;
    // Scrolls the track list so that row `pos` (1-based) shows.
    std::function<void(int pos)> scrollToRow;
};

// The commands of the library tree that switch the open playlist: the node
// click and the right click. User-interface thread only.
class LibraryCommands
{
public:
    static inline const QString SaveQuestion = QStringLiteral("変更を保存しますか？");

    LibraryCommands(LibraryTree &tree, TrackList &list, PlaylistStore &store, MessageService &messages);

    void setHooks(LibraryCommandHooks hooks) { m_hooks = std::move(hooks); }

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
    // outside the playlist folder.
    void AutoSave();

    // `PlayingTrackRestore`: finds the playing file's row again (ignoring
    // letter case), unselects every row, then marks that row as playing,
    // selects it and scrolls it into view. PlayingNo stays as it is when the
    // file is not in the list.
    void PlayingTrackRestore();

private:
    // Asks the save question when the option is on; false when the answer is No.
    bool saveWanted();

    LibraryTree &m_tree;
    TrackList &m_list;
    PlaylistStore &m_store;
    MessageService &m_messages;
    LibraryCommandHooks m_hooks;
    bool m_treeBlankClick = false;
};
