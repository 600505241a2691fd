#pragma once

#include "library/LibraryTreeActions.h"
#include "library/TreeColors.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QStringList>

#include <array>

class LibraryTree;

// The item model the tree view shows: the nodes of a LibraryTree, one
// column, categories holding their sub-categories and playlists. It holds
// no copy of the nodes; every answer is read from the tree, and the tree's
// changes arrive as the model's signals (a rebuild from disk as a reset,
// a node added or removed by a command as that row's insertion or removal,
// a rename or a new selection as changed data), so an index held across
// them still names its node or is invalid.
//
// Data: the node's text (display and edit), its icon (the selected image
// for the tree's selected node), the text and background brushes of
// TreeColors::itemColors, and the roles below. Every node is editable and
// takes drops; setData() on the edit role hands the text to
// LibraryTreeActions::LabelEditEnd, which decides what the label says.
// Dropped URLs of local files go to LibraryTreeActions::DropFiles.
//
// User-interface thread only.
class LibraryTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role {
        KeyRole = Qt::UserRole + 1, // QString: the node's key
        NodeRole,                   // int: the node's index in LibraryTree::nodes()
        KindRole,                   // int: Kind
        SelectedRole,               // bool: the tree's selected node
    };
    enum Kind { CategoryKind, PlaylistKind, FavouritesKind, DustBoxKind };

    LibraryTreeModel(LibraryTree &tree, LibraryTreeActions &actions, QObject *parent = nullptr);

    LibraryTree &tree() const { return m_tree; }

    // The index of node `node`, or an invalid index.
    QModelIndex indexOfNode(int node) const;
    QModelIndex indexOfKey(const QString &key) const;
    // The node of `index`, or -1 (an invalid index, or a node that is gone).
    int nodeOf(const QModelIndex &index) const;

    // The style's icons (index 0 is icon 1). Needs a GUI application.
    void setIcons(const std::array<QImage, 10> &icons);
    void setColors(const TreeColors &colors);
    const TreeColors &colors() const { return m_colors; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

private:
    // dataChanged() for `node` and everything below it.
    void subtreeChanged(int node, const QList<int> &roles);
    QIcon iconOf(int image) const;

    LibraryTree &m_tree;
    LibraryTreeActions &m_actions;
    TreeColors m_colors;
    std::array<QImage, 10> m_images;
    // One icon per image number, made when first drawn.
    mutable QHash<int, QIcon> m_icons;
};
