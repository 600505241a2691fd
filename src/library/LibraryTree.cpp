#include "library/LibraryTree.h"

#include "core/EventPump.h"

#include <QDir>

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

    m_nodes = std::move(b.nodes);
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
