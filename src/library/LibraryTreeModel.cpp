#include "library/LibraryTreeModel.h"

#include "core/NativePath.h"
#include "library/LibraryTree.h"

#include <QBrush>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

namespace {

const QString UriList = QStringLiteral("text/uri-list");

} // namespace

LibraryTreeModel::LibraryTreeModel(LibraryTree &tree, LibraryTreeActions &actions, QObject *parent)
    : QAbstractItemModel(parent), m_tree(tree), m_actions(actions)
{
    connect(&m_tree, &LibraryTree::aboutToRebuild, this, [this] { beginResetModel(); });
    connect(&m_tree, &LibraryTree::rebuilt, this, [this] { endResetModel(); });
    connect(&m_tree, &LibraryTree::nodeAboutToBeInserted, this, [this](int parent, int position) {
        beginInsertRows(indexOfNode(parent), position, position);
    });
    connect(&m_tree, &LibraryTree::nodeInserted, this, [this] { endInsertRows(); });
    connect(&m_tree, &LibraryTree::nodeAboutToBeRemoved, this, [this](int node) {
        const int row = m_tree.positionOf(node);
        beginRemoveRows(indexOfNode(m_tree.parentOf(node)), row, row);
    });
    connect(&m_tree, &LibraryTree::nodeRemoved, this, [this] { endRemoveRows(); });
    connect(&m_tree, &LibraryTree::nodeRenamed, this,
            [this](int node) { subtreeChanged(node, {Qt::DisplayRole, Qt::EditRole, KeyRole}); });
    // The colours and the icon depend on which node is selected; the tree
    // does not say which one was selected before, so every node is redrawn.
    connect(&m_tree, &LibraryTree::selectionChanged, this, [this] {
        subtreeChanged(-1, {Qt::ForegroundRole, Qt::BackgroundRole, Qt::DecorationRole, SelectedRole});
    });
}

QModelIndex LibraryTreeModel::indexOfNode(int node) const
{
    const int row = m_tree.positionOf(node);
    return row >= 0 ? createIndex(row, 0, m_tree.idOf(node)) : QModelIndex();
}

QModelIndex LibraryTreeModel::indexOfKey(const QString &key) const
{
    return indexOfNode(m_tree.indexOfKey(key));
}

int LibraryTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this ? m_tree.indexOfId(index.internalId()) : -1;
}

QModelIndex LibraryTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    const int parentNode = nodeOf(parent);
    if (parent.isValid() && parentNode < 0)
        return QModelIndex();
    const int node = m_tree.childAt(parentNode, row);
    return node >= 0 ? createIndex(row, 0, m_tree.idOf(node)) : QModelIndex();
}

QModelIndex LibraryTreeModel::parent(const QModelIndex &child) const
{
    return indexOfNode(m_tree.parentOf(nodeOf(child)));
}

int LibraryTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_tree.childCount(-1);
    const int node = nodeOf(parent);
    return parent.column() == 0 && node >= 0 ? m_tree.childCount(node) : 0;
}

int LibraryTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QIcon LibraryTreeModel::iconOf(int image) const
{
    if (image < 1 || image > int(m_images.size()) || m_images[size_t(image - 1)].isNull())
        return QIcon();
    auto it = m_icons.constFind(image);
    if (it == m_icons.constEnd()) {
        // The same picture in both modes: a view that draws the node as
        // selected shows the style's picture, not a tinted one.
        QIcon icon;
        const QPixmap picture = QPixmap::fromImage(m_images[size_t(image - 1)]);
        icon.addPixmap(picture, QIcon::Normal);
        icon.addPixmap(picture, QIcon::Selected);
        it = m_icons.insert(image, icon);
    }
    return *it;
}

QVariant LibraryTreeModel::data(const QModelIndex &index, int role) const
{
    const int node = nodeOf(index);
    if (node < 0)
        return QVariant();
    const TreeNode &n = m_tree.nodes()[size_t(node)];
    const bool selected = node == m_tree.selectedIndex();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return n.text;
    case Qt::DecorationRole: {
        const QIcon icon = iconOf(selected ? n.selectedImage : n.image);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::ForegroundRole:
        return QBrush(m_colors.itemColors(m_tree.isAtRoot(node), selected).text);
    case Qt::BackgroundRole:
        return QBrush(m_colors.itemColors(m_tree.isAtRoot(node), selected).back);
    case KeyRole:
        return n.key;
    case NodeRole:
        return node;
    case KindRole:
        switch (n.image) {
        case LibraryTree::CategoryImage:
            return CategoryKind;
        case LibraryTree::FavouritesImage:
            return FavouritesKind;
        case LibraryTree::DustBoxImage:
            return DustBoxKind;
        default:
            return PlaylistKind;
        }
    case SelectedRole:
        return selected;
    default:
        return QVariant();
    }
}

bool LibraryTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int node = nodeOf(index);
    if (node < 0 || role != Qt::EditRole)
        return false;
    // The tree announces the new text itself (nodeRenamed) when the rename goes through.
    return m_actions.LabelEditEnd(node, value.toString());
}

Qt::ItemFlags LibraryTreeModel::flags(const QModelIndex &index) const
{
    const int node = nodeOf(index);
    if (node < 0)
        return Qt::ItemIsDropEnabled; // blank tree space takes drops too
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDropEnabled;
    if (!m_tree.isCategory(node))
        f |= Qt::ItemNeverHasChildren;
    return f;
}

QStringList LibraryTreeModel::mimeTypes() const
{
    return {UriList};
}

Qt::DropActions LibraryTreeModel::supportedDropActions() const
{
    // Whatever the source offers: the files are only read.
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

bool LibraryTreeModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int, const QModelIndex &) const
{
    return data && data->hasUrls();
}

bool LibraryTreeModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int, int, const QModelIndex &)
{
    if (!data || action == Qt::IgnoreAction)
        return false;
    const QStringList paths = NativePath::localPathsOfUrls(data->urls());
    if (paths.isEmpty())
        return false;
    m_actions.DropFiles(paths);
    return true;
}

void LibraryTreeModel::setIcons(const std::array<QImage, 10> &icons)
{
    m_images = icons;
    m_icons.clear();
    subtreeChanged(-1, {Qt::DecorationRole});
}

void LibraryTreeModel::setColors(const TreeColors &colors)
{
    m_colors = colors;
    subtreeChanged(-1, {Qt::ForegroundRole, Qt::BackgroundRole});
}

void LibraryTreeModel::subtreeChanged(int node, const QList<int> &roles)
{
    const QModelIndex top = indexOfNode(node);
    if (top.isValid())
        Q_EMIT dataChanged(top, top, roles);
    else if (node >= 0)
        return;
    // Each level as one range per parent.
    std::vector<QModelIndex> parents{top};
    while (!parents.empty()) {
        const QModelIndex parent = parents.back();
        parents.pop_back();
        const int rows = rowCount(parent);
        if (rows == 0)
            continue;
        Q_EMIT dataChanged(index(0, 0, parent), index(rows - 1, 0, parent), roles);
        for (int r = 0; r < rows; ++r) {
            const QModelIndex child = index(r, 0, parent);
            if (m_tree.isCategory(nodeOf(child)))
                parents.push_back(child);
        }
    }
}
