#pragma once

#include "library/TreeColors.h"

#include <QImage>
#include <QPersistentModelIndex>
#include <QTreeView>

#include <array>

class LibraryTree;
class LibraryTreeActions;
class LibraryTreeModel;

// The library tree: shows a LibraryTreeModel over the tree
// with the style's icons, and keeps its current index on the tree's
// selected node. The view holds no node of its own: label edits and drops
// go to the model (and so to LibraryTreeActions), keyboard moves and
// clicks select in the tree. Left clicks on a node and right presses are
// reported; what they do is LibraryCommands'.
//
// Drawing: every node in the brushes the model gives it (a selected node
// below the root in the selection colours, a selected root node in the
// tree colours with its selected icon); in single-click mode the node
// under the pointer is underlined (hot tracking).
class LibraryTreeView : public QTreeView
{
    Q_OBJECT
public:
    // Makes the model over `tree`, owned by the view.
    LibraryTreeView(LibraryTree &tree, LibraryTreeActions &actions, QWidget *parent = nullptr);

    LibraryTreeModel *treeModel() const { return m_model; }

    // The style's icons (index 0 is icon 1).
    void setIcons(const std::array<QImage, 10> &icons);
    // Tree text and background, selected text and background.
    void setColors(const QColor &text, const QColor &back, const QColor &selectedText, const QColor &selectedBack);
    const TreeColors &colors() const;

    // The index of node `index`, or an invalid index.
    QModelIndex indexOfNode(int index) const;
    // The node under `viewportPos`, or -1.
    int nodeAt(const QPoint &viewportPos) const;

    // Single-click mode: clicking a node expands it and collapses the node
    // selected before (unless that one holds the new node), and the node
    // under the pointer is hot-tracked; otherwise nodes expand on a double
    // click and nothing is tracked.
    void setSingleClickExpand(bool on);
    bool singleClickExpand() const { return m_singleClickExpand; }
    // The hot-tracked node, or -1 (also while the pointer is elsewhere,
    // as after a menu or a dialog took it away).
    int hotNode() const;

    // Opens the label editor on node `index` (its parents expanded).
    void editNode(int index);

Q_SIGNALS:
    // A left click selected node `index` (the node click).
    void nodeClicked(int index);
    // The right button went down over node `index` (-1: empty space).
    void rightPressed(int index, const QPoint &globalPos);
    // Label editing began on node `index`.
    void labelEditStarted(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    class Delegate;
    // Moves the current index to the tree's selected node.
    void showSelection();
    // Selects the current index's node in the tree (after the user moved it).
    void selectCurrent();
    void setHot(const QModelIndex &index);

    LibraryTree &m_tree;
    LibraryTreeModel *m_model;
    // Follows its node while others come and go; invalid once the node is gone.
    QPersistentModelIndex m_hot;
    bool m_singleClickExpand = false;
};
