#pragma once

#include <QImage>
#include <QTreeWidget>

#include <array>

class LibraryTree;

// The library tree `treTreeView`: shows the nodes of LibraryTree with the
// style's icons and keeps its current item equal to the tree's selected
// node. Left clicks on a node and right presses are reported; what they do
// is LibraryCommands'.
class LibraryTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit LibraryTreeView(LibraryTree &tree, QWidget *parent = nullptr);

    // The style's icons (index 0 is icon 1).
    void setIcons(const std::array<QImage, 10> &icons);
    // Tree text and background, selected text and background.
    void setColors(const QColor &text, const QColor &back, const QColor &selectedText, const QColor &selectedBack);

    // The item of node `index`, or nullptr.
    QTreeWidgetItem *itemOfNode(int index) const;
    // The node under `viewportPos`, or -1.
    int nodeAt(const QPoint &viewportPos) const;

    // Single-click mode: clicking a node expands it and collapses the node
    // selected before (unless that one holds the new node); otherwise nodes
    // expand on a double click.
    void setSingleClickExpand(bool on);
    bool singleClickExpand() const { return m_singleClickExpand; }

Q_SIGNALS:
    // A left click selected node `index` (the node click).
    void nodeClicked(int index);
    // The right button went down over node `index` (-1: empty space).
    void rightPressed(int index, const QPoint &globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void rebuild();
    void showSelection();
    QIcon iconFor(int image, int selectedImage) const;

    LibraryTree &m_tree;
    std::array<QImage, 10> m_icons;
    std::vector<QTreeWidgetItem *> m_items;
    bool m_syncing = false;
    bool m_singleClickExpand = false;
};
