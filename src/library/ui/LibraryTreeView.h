#pragma once

#include "library/TreeColors.h"

#include <QImage>
#include <QTreeWidget>

#include <array>

class LibraryTree;

// The library tree `treTreeView`: shows the nodes of LibraryTree with the
// style's icons and keeps its current item equal to the tree's selected
// node. Left clicks on a node, right presses, label edits and dropped files
// are reported; what they do is LibraryCommands'.
//
// Drawing: every node in the tree colours, a selected node below the root
// in the selection colours (a selected root node keeps the tree colours and
// shows its selected icon); in single-click mode the node under the pointer
// is underlined (hot tracking).
class LibraryTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit LibraryTreeView(LibraryTree &tree, QWidget *parent = nullptr);

    // The style's icons (index 0 is icon 1).
    void setIcons(const std::array<QImage, 10> &icons);
    // Tree text and background, selected text and background.
    void setColors(const QColor &text, const QColor &back, const QColor &selectedText, const QColor &selectedBack);
    const TreeColors &colors() const { return m_colors; }

    // The item of node `index`, or nullptr.
    QTreeWidgetItem *itemOfNode(int index) const;
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
    // Label editing of node `index` ended with `text` (not when cancelled).
    // The label shows what the tree says afterwards.
    void labelEdited(int index, const QString &text);
    // Local files were dropped on the tree.
    void filesDropped(const QStringList &paths);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    class Delegate;
    // Builds the items again; with `keepExpanded` the nodes that were open stay open.
    void rebuild(bool keepExpanded);
    void showSelection();
    void setHotNode(int node);
    QIcon iconFor(int image, int selectedImage) const;

    LibraryTree &m_tree;
    std::array<QImage, 10> m_icons;
    std::vector<QTreeWidgetItem *> m_items;
    TreeColors m_colors;
    int m_hotNode = -1;
    bool m_syncing = false;
    bool m_singleClickExpand = false;
};
