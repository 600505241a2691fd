#pragma once

#include "playlist/PlaylistTree.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <vector>

// One node of the library tree.
struct TreeNode {
    // The entry's path relative to the playlist folder, "/" between levels;
    // a playlist's key keeps the file's extension ("Rock/Live.m3u").
    QString key;
    // The folder name, or the playlist file's name less its last four characters.
    QString text;
    // Normal and selected image, 1-based indexes into the style's icons.
    int image = 0;
    int selectedImage = 0;
    // Index of the parent node in LibraryTree::nodes(); -1 at the root.
    int parent = -1;
};

// The library of playlists as a tree of categories and playlists, built
// from the playlist folder on disk (TreeCreate) and thrown away on every
// rebuild. The only state it carries across a rebuild is the selected node,
// found again by its key. Node kinds are told apart by the normal image.
//
// User-interface thread only.
class LibraryTree : public QObject, public PlaylistTree
{
    Q_OBJECT
public:
    enum Image {
        CategoryImage = 3,
        CategoryOpenImage = 4,
        PlaylistImage = 5,
        PlaylistOpenImage = 6,
        FavouritesImage = 7,
        FavouritesOpenImage = 8,
        DustBoxImage = 10,
    };
    static inline const QString FavouritesKey = QStringLiteral("お気に入り.m3u");
    static inline const QString FavouritesText = QStringLiteral("お気に入り");
    static inline const QString DustBoxKey = QStringLiteral("ごみ箱.m3u");
    static inline const QString DustBoxText = QStringLiteral("ごみ箱");

    // `playlistFolder`: the folder of all playlists (ending in "/" or not).
    explicit LibraryTree(QString playlistFolder, QObject *parent = nullptr);

    QString playlistFolder() const { return m_folder; }

    // `TreeCreate`: rebuilds every node from the playlist folder, then selects
    // the node that was selected before, when its key still exists. The
    // favourites and dust-box nodes are always there, even when the folder
    // is missing or cannot be read. Lets events run while listing; the
    // nodes others see change only once, when the new tree is complete.
    void TreeCreate();

    // Nodes in display order: each parent before its children, siblings in
    // the order they were added.
    const std::vector<TreeNode> &nodes() const { return m_nodes; }
    int count() const { return int(m_nodes.size()); }
    // The node's index, or -1.
    int indexOfKey(const QString &key) const;
    // The parent of node `index`, or -1 (a root node, an invalid index).
    int parentOf(int index) const;
    // The texts from the root down to node `index`, joined by "/"; for a
    // playlist this is its address (empty for an invalid index).
    QString fullPath(int index) const;
    bool isCategory(int index) const;
    bool isAtRoot(int index) const;

    // Selection (the tree's one selected node). Selecting never opens a playlist.
    int selectedIndex() const { return m_selected; }
    QString selectedKey() const;
    // Selects the node keyed `key`; false (selection unchanged) when there is none.
    bool selectKey(const QString &key);
    bool select(int index);
    void clearSelection();
    // The selected node as the folder naming rule of the add commands sees it.
    SelectedTreeNode selectedNode() const override;
    // TreeCreate, then selects the node keyed `key`; returns its full path,
    // or empty (selection unchanged) when there is none.
    QString reselect(const QString &key) override;
    bool selectedIsCategory() const { return isCategory(m_selected); }

    // --- changes made by the commands, without a rebuild --------------------------
    // Adds `node` as a child of `parent` (-1: the root) at position `position`
    // among its children (-1, or past the end: as the last). The node's
    // `parent` field is set here. Returns the new node's index; indexes of
    // the nodes after it move up by one. Emits nodeAboutToBeInserted() and
    // nodeInserted() around the change.
    int insertNode(int parent, int position, TreeNode node);
    // Removes node `index` with everything below it. When the selected node
    // goes, the selection moves as a tree control moves it: to the next
    // sibling, else the previous one, else the parent (none at all when the
    // tree is left empty). Emits nodeAboutToBeRemoved() and nodeRemoved()
    // around the change, then selectionChanged() when the selection moved.
    void removeNode(int index);
    // Gives node `index` the text `text`; the keys of the node and of every
    // node below it follow the new name (a playlist keeps the end of its file
    // name after the text, normally ".m3u"). Emits nodeRenamed().
    void renameNode(int index, const QString &text);
    // The node of the playlist with address `address` (key address + ".m3u")
    // after a save: added when the tree lacks it and shows that level (before
    // the dust box at the root, as the last child of its category). A
    // category the tree lacks as well is shown by a rebuild. Returns the
    // node's index, or -1 when the tree does not show such a playlist.
    int showPlaylist(const QString &address);
    // The position of node `index` among its parent's children, or -1.
    int positionOf(int index) const;
    // The number of children of `parent` (-1: the root); 0 for an invalid index.
    int childCount(int parent) const;
    // The child at `position` among the children of `parent` (-1: the root), or -1.
    int childAt(int parent, int position) const;

    // A number that names node `index` for as long as the node exists: it
    // stays the same when other nodes come and go or the node is renamed,
    // and is never given to another node (a rebuild gives new numbers to
    // every node). 0 for an invalid index.
    quintptr idOf(int index) const;
    // The node named `id`, or -1 when it is gone.
    int indexOfId(quintptr id) const;

    // The playlist test of the tree: the last three characters of the file
    // name, lower-cased, are "m3u"; and its node text.
    static bool isPlaylistName(const QString &fileName);
    static QString playlistText(const QString &fileName);

Q_SIGNALS:
    // TreeCreate is about to replace every node; the old ones are still there.
    void aboutToRebuild();
    // The nodes were replaced (the selection may have changed with them).
    void rebuilt();
    // The selected node changed without a rebuild.
    void selectionChanged(int index);
    // A node is about to become child `position` of `parent` (-1: the root);
    // the tree is still as it was.
    void nodeAboutToBeInserted(int parent, int position);
    // The node announced by nodeAboutToBeInserted() is node `index` now.
    void nodeInserted(int index);
    // Node `index` and everything below it are about to go; they are still there.
    void nodeAboutToBeRemoved(int index);
    // The nodes announced by nodeAboutToBeRemoved() are gone.
    void nodeRemoved();
    // Node `index` got a new text.
    void nodeRenamed(int index);

private:
    struct Builder;
    // Index in m_nodes after the last node below `index` (the whole subtree).
    int subtreeEnd(int index) const;
    // The children of `parent` (-1: the root) in order.
    std::vector<int> childrenOf(int parent) const;

    QString m_folder;
    std::vector<TreeNode> m_nodes;
    // idOf() of each node, in step with m_nodes.
    std::vector<quintptr> m_ids;
    quintptr m_lastId = 0;
    // indexOfId()'s answers, made again on the first question after a change
    // (views ask for every row they draw).
    mutable QHash<quintptr, int> m_indexOfId;
    mutable bool m_indexOfIdStale = true;
    int m_selected = -1;
};
