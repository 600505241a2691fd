#include "library/LibraryTree.h"

#include "core/EventPump.h"
#include "playlist/PathNames.h"

#include <QDir>

#include <algorithm>

namespace {

const QString DustBoxFolder = QStringLiteral("ごみ箱");

// Entries of `folder` in the order the file system gives them, hidden and
// system entries left out.
QStringList listFolder(const QString &folder, QDir::Filters kinds)
{
    return QDir(folder).entryList(kinds | QDir::NoDotAndDotDot, QDir::Unsorted);
}

} // namespace

// Collects the nodes of one build away from the live tree, so that events
// run during the listing see the old tree whole, never a half-built one.
struct LibraryTree::Builder {
    std::vector<TreeNode> nodes;

    int add(const QString &key, const QString &text, int image, int selectedImage, int parent)
    {
        nodes.push_back(TreeNode{key, text, image, selectedImage, parent});
        return int(nodes.size()) - 1;
    }

    // `PlaylistNodesAdd`: the playlists directly in `folder`, under `parent`.
    void PlaylistNodesAdd(const QString &folder, const QString &parentKey, int parent)
    {
        for (const QString &name : listFolder(folder, QDir::Files)) {
            if (isPlaylistName(name))
                add(parentKey + u'/' + name, playlistText(name), PlaylistImage, PlaylistOpenImage, parent);
            EventPump::yield();
        }
    }

    // `SubCategoryNodesAdd`: the sub-folders of a category with their
    // playlists; nothing deeper.
    void SubCategoryNodesAdd(const QString &folder, const QString &parentKey, int parent)
    {
        for (const QString &name : listFolder(folder, QDir::Dirs)) {
            const QString key = parentKey + u'/' + name;
            const int node = add(key, name, CategoryImage, CategoryOpenImage, parent);
            PlaylistNodesAdd(folder + name + u'/', key, node);
            EventPump::yield();
        }
    }

    // `CategoryNodesAdd`: every folder of the playlist folder but the dust
    // box's, each followed by its sub-categories, then its playlists.
    void CategoryNodesAdd(const QString &folder)
    {
        for (const QString &name : listFolder(folder, QDir::Dirs)) {
            if (name == DustBoxFolder)
                continue;
            const int node = add(name, name, CategoryImage, CategoryOpenImage, -1);
            SubCategoryNodesAdd(folder + name + u'/', name, node);
            PlaylistNodesAdd(folder + name + u'/', name, node);
            EventPump::yield();
        }
    }

    // `RootPlaylistNodesAdd`: the playlists of the playlist folder but the
    // two special lists, which TreeCreate adds itself.
    void RootPlaylistNodesAdd(const QString &folder)
    {
        for (const QString &name : listFolder(folder, QDir::Files)) {
            if (isPlaylistName(name) && name != FavouritesKey && name != DustBoxKey)
                add(name, playlistText(name), PlaylistImage, PlaylistOpenImage, -1);
            EventPump::yield();
        }
    }
};

LibraryTree::LibraryTree(QString playlistFolder, QObject *parent) : QObject(parent), m_folder(std::move(playlistFolder))
{
    if (!m_folder.isEmpty() && !m_folder.endsWith(u'/'))
        m_folder += u'/';
}

bool LibraryTree::isPlaylistName(const QString &fileName)
{
    return fileName.right(3).toLower() == u"m3u";
}

QString LibraryTree::playlistText(const QString &fileName)
{
    return fileName.left(qMax<qsizetype>(0, fileName.size() - 4));
}

void LibraryTree::TreeCreate()
{
    const QString remembered = selectedKey();

    Builder b;
    b.add(FavouritesKey, FavouritesText, FavouritesImage, FavouritesOpenImage, -1);
    if (!m_folder.isEmpty()) {
        // Categories show only once the folder holds some file; a folder of
        // bare category folders shows none of them.
        if (!listFolder(m_folder, QDir::Files).isEmpty())
            b.CategoryNodesAdd(m_folder);
        b.RootPlaylistNodesAdd(m_folder);
    }
    b.add(DustBoxKey, DustBoxText, DustBoxImage, DustBoxImage, -1);

    Q_EMIT aboutToRebuild();
    m_nodes = std::move(b.nodes);
    m_ids.resize(m_nodes.size());
    for (quintptr &id : m_ids)
        id = ++m_lastId;
    m_indexOfIdStale = true;
    m_selected = remembered.isEmpty() ? -1 : indexOfKey(remembered);
    Q_EMIT rebuilt();
}

int LibraryTree::indexOfKey(const QString &key) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_nodes[size_t(i)].key == key)
            return i;
    }
    return -1;
}

QString LibraryTree::fullPath(int index) const
{
    QStringList texts;
    // Parents always come before their children, so the walk ends.
    for (int i = index; i >= 0 && i < count(); i = m_nodes[size_t(i)].parent)
        texts.prepend(m_nodes[size_t(i)].text);
    return texts.join(u'/');
}

bool LibraryTree::isCategory(int index) const
{
    return index >= 0 && index < count() && m_nodes[size_t(index)].image == CategoryImage;
}

bool LibraryTree::isAtRoot(int index) const
{
    return index >= 0 && index < count() && m_nodes[size_t(index)].parent < 0;
}

QString LibraryTree::selectedKey() const
{
    return m_selected >= 0 && m_selected < count() ? m_nodes[size_t(m_selected)].key : QString();
}

bool LibraryTree::selectKey(const QString &key)
{
    return select(indexOfKey(key));
}

bool LibraryTree::select(int index)
{
    if (index < 0 || index >= count())
        return false;
    if (index != m_selected) {
        m_selected = index;
        Q_EMIT selectionChanged(index);
    }
    return true;
}

void LibraryTree::clearSelection()
{
    if (m_selected < 0)
        return;
    m_selected = -1;
    Q_EMIT selectionChanged(-1);
}

SelectedTreeNode LibraryTree::selectedNode() const
{
    SelectedTreeNode node;
    if (m_selected < 0 || m_selected >= count())
        return node;
    node.valid = true;
    node.text = m_nodes[size_t(m_selected)].text;
    node.fullPath = fullPath(m_selected);
    node.isCategory = isCategory(m_selected);
    return node;
}

QString LibraryTree::reselect(const QString &key)
{
    TreeCreate();
    return selectKey(key) ? fullPath(m_selected) : QString();
}

int LibraryTree::parentOf(int index) const
{
    return index >= 0 && index < count() ? m_nodes[size_t(index)].parent : -1;
}

std::vector<int> LibraryTree::childrenOf(int parent) const
{
    std::vector<int> children;
    for (int i = 0; i < count(); ++i) {
        if (m_nodes[size_t(i)].parent == parent)
            children.push_back(i);
    }
    return children;
}

int LibraryTree::positionOf(int index) const
{
    if (index < 0 || index >= count())
        return -1;
    const std::vector<int> siblings = childrenOf(m_nodes[size_t(index)].parent);
    return int(std::find(siblings.begin(), siblings.end(), index) - siblings.begin());
}

int LibraryTree::childCount(int parent) const
{
    if (parent < -1 || parent >= count())
        return 0;
    int n = 0;
    // The children of a node follow it, before the first node outside its subtree.
    for (int i = parent + 1; i < count() && m_nodes[size_t(i)].parent >= parent; ++i) {
        if (m_nodes[size_t(i)].parent == parent)
            ++n;
    }
    return n;
}

int LibraryTree::childAt(int parent, int position) const
{
    if (parent < -1 || parent >= count() || position < 0)
        return -1;
    for (int i = parent + 1; i < count() && m_nodes[size_t(i)].parent >= parent; ++i) {
        if (m_nodes[size_t(i)].parent == parent && position-- == 0)
            return i;
    }
    return -1;
}

quintptr LibraryTree::idOf(int index) const
{
    return index >= 0 && index < count() ? m_ids[size_t(index)] : 0;
}

int LibraryTree::indexOfId(quintptr id) const
{
    if (m_indexOfIdStale) {
        m_indexOfId.clear();
        m_indexOfId.reserve(qsizetype(m_ids.size()));
        for (size_t i = 0; i < m_ids.size(); ++i)
            m_indexOfId.insert(m_ids[i], int(i));
        m_indexOfIdStale = false;
    }
    return m_indexOfId.value(id, -1);
}

int LibraryTree::subtreeEnd(int index) const
{
    if (index < 0)
        return count();
    // Nodes are kept in display order, so a subtree is one run of nodes.
    int end = index + 1;
    while (end < count()) {
        int p = m_nodes[size_t(end)].parent;
        while (p > index)
            p = m_nodes[size_t(p)].parent;
        if (p != index)
            break;
        ++end;
    }
    return end;
}

int LibraryTree::insertNode(int parent, int position, TreeNode node)
{
    if (parent < -1 || parent >= count())
        parent = -1;
    const std::vector<int> siblings = childrenOf(parent);
    const bool before = position >= 0 && size_t(position) < siblings.size();
    const int at = before ? siblings[size_t(position)] : subtreeEnd(parent);
    Q_EMIT nodeAboutToBeInserted(parent, before ? position : int(siblings.size()));
    for (TreeNode &n : m_nodes) {
        if (n.parent >= at)
            ++n.parent;
    }
    node.parent = parent;
    m_nodes.insert(m_nodes.begin() + at, std::move(node));
    m_ids.insert(m_ids.begin() + at, ++m_lastId);
    m_indexOfIdStale = true;
    if (m_selected >= at)
        ++m_selected;
    Q_EMIT nodeInserted(at);
    return at;
}

void LibraryTree::removeNode(int index)
{
    if (index < 0 || index >= count())
        return;
    const int end = subtreeEnd(index);
    const int removed = end - index;
    int selected = m_selected;
    const bool selectionGoes = selected >= index && selected < end;
    if (selectionGoes) {
        const int parent = m_nodes[size_t(index)].parent;
        const std::vector<int> siblings = childrenOf(parent);
        const auto it = std::find(siblings.begin(), siblings.end(), index);
        if (it + 1 != siblings.end())
            selected = *(it + 1);
        else if (it != siblings.begin())
            selected = *(it - 1);
        else
            selected = parent;
    }
    Q_EMIT nodeAboutToBeRemoved(index);
    m_nodes.erase(m_nodes.begin() + index, m_nodes.begin() + end);
    m_ids.erase(m_ids.begin() + index, m_ids.begin() + end);
    m_indexOfIdStale = true;
    for (TreeNode &n : m_nodes) {
        if (n.parent >= end)
            n.parent -= removed;
    }
    m_selected = selected >= end ? selected - removed : selected;
    Q_EMIT nodeRemoved();
    if (selectionGoes)
        Q_EMIT selectionChanged(m_selected);
}

void LibraryTree::renameNode(int index, const QString &text)
{
    if (index < 0 || index >= count())
        return;
    TreeNode &node = m_nodes[size_t(index)];
    const QString oldKey = node.key;
    const QString fileName = FileNameOf(oldKey);
    // What follows the text in the entry's name: ".m3u" for a playlist, nothing for a folder.
    const QString suffix = fileName.mid(node.text.size());
    const QString parentKey = node.parent >= 0 ? m_nodes[size_t(node.parent)].key + u'/' : QString();
    node.text = text;
    node.key = parentKey + text + suffix;
    const QString oldPrefix = oldKey + u'/';
    const QString newPrefix = node.key + u'/';
    for (TreeNode &n : m_nodes) {
        if (n.key.startsWith(oldPrefix))
            n.key = newPrefix + n.key.mid(oldPrefix.size());
    }
    Q_EMIT nodeRenamed(index);
}

int LibraryTree::showPlaylist(const QString &address)
{
    const QString key = address + QStringLiteral(".m3u");
    const int existing = indexOfKey(key);
    if (existing >= 0 || address.isEmpty())
        return existing;
    const QStringList parts = address.split(u'/');
    // The tree shows playlists at the root, in categories and in their sub-categories.
    if (parts.size() > 3)
        return -1;
    const QString name = parts.last();
    TreeNode node{key, name, PlaylistImage, PlaylistOpenImage, -1};
    if (parts.size() == 1) {
        if (key == FavouritesKey || key == DustBoxKey)
            return -1;
        const int dustBox = indexOfKey(DustBoxKey);
        return insertNode(-1, dustBox >= 0 && parentOf(dustBox) < 0 ? positionOf(dustBox) : -1, std::move(node));
    }
    const int parent = indexOfKey(FolderOf(address));
    if (parent >= 0 && isCategory(parent))
        return insertNode(parent, -1, std::move(node));
    // A category the tree does not show yet (a folder made outside the
    // program): the rebuild shows it with the new playlist.
    TreeCreate();
    return indexOfKey(key);
}
