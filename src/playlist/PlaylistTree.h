#pragma once

#include <QString>

// The node selected in the library tree, as the folder naming rule sees it.
struct SelectedTreeNode {
    bool valid = false;      // false: nothing is selected
    QString text;            // the node's own text
    QString fullPath;        // its path in the tree, "/" between levels
    bool isCategory = false; // a category (folder) node
};

// The library tree as adding and saving see it: where new playlists go and
// which node shows the playlist just saved. The library tree implements it.
// User-interface thread only.
class PlaylistTree
{
public:
    virtual ~PlaylistTree() = default;

    // The node selected now (valid false when none is).
    virtual SelectedTreeNode selectedNode() const = 0;

    // After a save of playlist file `key` (address + extension): rebuilds
    // the tree from disk and selects the node keyed `key`. Returns that
    // node's full path, the open list's new address; empty when no node has
    // that key (the selection then stays where it was).
    virtual QString reselect(const QString &key) = 0;
};
