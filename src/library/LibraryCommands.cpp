#include "library/LibraryCommands.h"

#include "core/AlwaysOnTop.h"
#include "core/Beeper.h"
#include "core/Clock.h"
#include "core/EventPump.h"
#include "core/FileDialogs.h"
#include "core/MessageService.h"
#include "core/NativePath.h"
#include "core/RandomSource.h"
#include "core/SafeName.h"
#include "core/ShellService.h"
#include "library/LibraryTree.h"
#include "library/TreeLabelEditor.h"
#include "playlist/CommandSettings.h"
#include "playlist/ItemCommands.h"
#include "playlist/ListScroller.h"
#include "playlist/PathNames.h"
#include "playlist/PlayingTrack.h"
#include "playlist/ListFilter.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackAdder.h"
#include "playlist/TrackList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString M3uExtension = QStringLiteral(".m3u");
const QString BakExtension = QStringLiteral(".bak");

QString stamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyyMMddHHmm"));
}

bool existsOrLink(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Renames `from` to `to` only when nothing is at `to`: a plain rename would
// replace a file, or an empty folder, of that name. On a file system that
// ignores letter case, `to` may be `from` itself under other capitals.
bool renameWithoutReplacing(const QString &from, const QString &to)
{
    if (!existsOrLink(from))
        return false;
    if (existsOrLink(to)) {
        const QString a = QFileInfo(from).canonicalFilePath();
        if (a.isEmpty() || a != QFileInfo(to).canonicalFilePath())
            return false;
    }
    return QFileInfo(from).isDir() ? QDir().rename(from, to) : QFile::rename(from, to);
}

// `name` in `folder`, or the first of "name (2)", "name (3)", … that no
// entry of `folder` has.
QString freeEntryName(const QString &folder, const QString &name)
{
    QString candidate = name;
    for (int n = 2; existsOrLink(folder + candidate); ++n)
        candidate = name + QStringLiteral(" (%1)").arg(n);
    return candidate;
}

// Why a rename to `name` + `suffix` inside `folder` failed: the name is
// taken, or the file system refused.
QString takenOrFailed(const QString &folder, const QString &name, const QString &suffix, bool category)
{
    return existsOrLink(folder + name + suffix) ? LibraryCommands::NameTakenMessage(name, category)
                                                : LibraryCommands::RenameFailed;
}

} // namespace

LibraryCommands::LibraryCommands(LibraryTree &tree, TrackList &list, PlaylistStore &store, TrackAdder &adder,
                                 MessageService &messages, ShellService *shell, const LibraryCommandServices &services)
    : m_tree(tree)
    , m_list(list)
    , m_store(store)
    , m_adder(adder)
    , m_messages(messages)
    , m_shell(shell)
    , m_services(services)
{
}

LibraryCommands::~LibraryCommands() = default;

QString LibraryCommands::DeleteQuestion(const QString &address)
{
    return QStringLiteral("選択しているプレイリスト\"") + address + QStringLiteral("\"を削除します。\r\nよろしいですか？");
}

QString LibraryCommands::TrashRefused(const QString &name)
{
    return QStringLiteral("\"%1\" をゴミ箱に移動できませんでした。削除していません。").arg(name);
}

QString LibraryCommands::CategoryName(const QDateTime &when)
{
    return QStringLiteral("Category") + stamp(when);
}

QString LibraryCommands::PlaylistName(const QDateTime &when)
{
    return QStringLiteral("Playlist") + stamp(when);
}

bool LibraryCommands::IsUsableName(const QString &name, bool atRoot)
{
    if (!IsSafeName(name) || name.startsWith(u'.'))
        return false;
    // At the root these names belong to the special lists and the dust-box folder.
    return !atRoot || (name != LibraryTree::FavouritesText && name != LibraryTree::DustBoxText);
}

bool LibraryCommands::IsZipArchive(const QString &path)
{
    QFile file;
    if (NativePath::openRegularFile(file, path) != NativePath::OpenResult::Opened)
        return false;
    const QByteArray head = file.read(4);
    // A local file header, an empty archive's end record, or a split archive's mark.
    return head == QByteArray("PK\x03\x04", 4) || head == QByteArray("PK\x05\x06", 4) ||
           head == QByteArray("PK\x07\x08", 4);
}

QDateTime LibraryCommands::now() const
{
    return m_services.clock.localNow();
}

bool LibraryCommands::saveWanted()
{
    if (!m_services.settings.askBeforeAutoSave())
        return true;
    return m_messages.ShowMessage(true, SaveQuestion, MessageService::YesNo) != MessageService::No;
}

void LibraryCommands::AutoSave()
{
    // SavePlaylist refuses an address that leaves the playlist folder, so
    // a hand-edited address box never makes us write elsewhere.
    const QString address = m_list.PlaylistAddress();
    if (m_store.SavePlaylist(address, M3uExtension, false, true))
        m_tree.showPlaylist(address);
}

void LibraryCommands::NodeClick(int index)
{
    if (!m_tree.select(index))
        return;
    if (m_tree.isCategory(index)) {
        if (saveWanted())
            AutoSave();
        return;
    }

    // The node's key is read before anything runs events or changes the tree.
    const QString key = m_tree.nodes()[size_t(index)].key;
    if (saveWanted()) {
        m_services.search.clear();
        AutoSave();
    }
    m_store.CloseList(false);
    openNode(m_tree.indexOfKey(key));
}

void LibraryCommands::openNode(int index)
{
    if (index < 0 || index >= m_tree.count() || m_tree.isCategory(index))
        return;
    const QString address = m_tree.fullPath(index);
    const quint64 generation = m_list.generation();
    const QString file = m_store.playlistFilePath(address, M3uExtension);
    if (!file.isEmpty())
        m_store.LoadPlaylist(file); // a missing list gives an empty track list
    // Another click emptied the list while this one was loading: the list
    // is that click's now, and taking our address would make the next save
    // write its tracks into our file.
    if (m_list.generation() != generation)
        return;
    m_list.setPlaylistAddress(address);
    m_list.ApplyRowColors();
    m_list.RenumberList();
    PlayingTrackRestore();
}

void LibraryCommands::TreeRightClick(int index)
{
    const bool onNode = index >= 0 && index < m_tree.count();
    if (onNode && index != m_tree.selectedIndex()) {
        m_list.UnselectAll();
        m_tree.select(index);
    }
    m_treeBlankClick = !onNode;
}

void LibraryCommands::PlayingTrackRestore()
{
    const int pos = m_list.PlayingTrackRestore(m_services.playing.PlayingFilePath());
    if (pos != 0)
        m_services.scroller.scrollToRow(pos);
}

// --- creating -------------------------------------------------------------------------

int LibraryCommands::CreatePlaylist()
{
    if (saveWanted())
        AutoSave();
    const QString name = PlaylistName(now());
    const int selected = m_tree.selectedIndex();
    int parent = -1;
    QString folderPart;
    if (!m_treeBlankClick && selected >= 0 && !(m_tree.isAtRoot(selected) && !m_tree.isCategory(selected))) {
        parent = m_tree.isCategory(selected) ? selected : m_tree.parentOf(selected);
        folderPart = m_tree.fullPath(parent) + u'/';
    }
    // A second playlist made in the same minute gets a name of its own.
    const QString address = m_store.unusedPlaylistAddress(folderPart + name);
    // The new playlist starts as a copy of the tracks on screen.
    if (!m_store.SavePlaylist(address, M3uExtension, false, false))
        return -1;
    const int node = m_tree.insertNode(
        parent, -1, TreeNode{address + M3uExtension, FileNameOf(address), LibraryTree::PlaylistImage,
                             LibraryTree::PlaylistOpenImage, parent});
    m_list.setPlaylistAddress(address);
    m_tree.select(node);
    m_services.labels.editLabel(node);
    return node;
}

int LibraryCommands::CreateCategory()
{
    const QString name = CategoryName(now());
    const int selected = m_tree.selectedIndex();
    int parent = -1;
    int position = -1; // last
    if (!m_treeBlankClick && selected >= 0 && !(m_tree.isAtRoot(selected) && !m_tree.isCategory(selected))) {
        if (m_tree.isAtRoot(selected)) {
            parent = selected; // a root category: its last child
        } else {
            parent = m_tree.parentOf(selected); // beside the selected entry, first among them
            position = 0;
        }
    }
    const QString base = m_tree.playlistFolder();
    if (base.isEmpty())
        return -1;
    const QString folder = parent >= 0 ? base + m_tree.fullPath(parent) + u'/' : base;
    const QString free = freeEntryName(folder, name);
    if (!QDir(folder).mkdir(free))
        return -1;
    const QString key = parent >= 0 ? m_tree.nodes()[size_t(parent)].key + u'/' + free : free;
    const int node = m_tree.insertNode(
        parent, position, TreeNode{key, free, LibraryTree::CategoryImage, LibraryTree::CategoryOpenImage, parent});
    m_tree.select(node);
    m_services.labels.editLabel(node);
    return node;
}

// --- renaming ---------------------------------------------------------------------------

void LibraryCommands::RenameSelected()
{
    const int selected = m_tree.selectedIndex();
    if (selected >= 0)
        m_services.labels.editLabel(selected);
}

void LibraryCommands::LabelEditBegin(int index)
{
    m_labelEditBefore = index >= 0 && index < m_tree.count() ? m_tree.nodes()[size_t(index)].text : QString();
}

QString LibraryCommands::NameTakenMessage(const QString &name, bool category)
{
    return (category ? QStringLiteral("カテゴリ\"%1\"は既にあります。") : QStringLiteral("プレイリスト\"%1\"は既にあります。"))
        .arg(name);
}

QString LibraryCommands::ReservedNameMessage(const QString &name)
{
    return QStringLiteral("\"%1\" は名前に使えません。\r\n「%2」「%3」は特殊なリストの名前です。")
        .arg(name, LibraryTree::FavouritesText, LibraryTree::DustBoxText);
}

void LibraryCommands::refuseRename(const QString &why)
{
    m_messages.ShowMessage(false, why, MessageService::Exclamation);
}

bool LibraryCommands::LabelEditEnd(int index, const QString &typed)
{
    if (index < 0 || index >= m_tree.count())
        return false;
    // "Mix.m3u" typed for a playlist or a category is the name "Mix": the
    // extension is the file's, never part of the name.
    QString text = TypedName(typed);
    if (text.endsWith(QLatin1String(".m3u"), Qt::CaseInsensitive))
        text.chop(4);
    const TreeNode node = m_tree.nodes()[size_t(index)];
    if (text == node.text)
        return true;
    const bool playlist = node.image == LibraryTree::PlaylistImage;
    const bool category = node.image == LibraryTree::CategoryImage;
    const bool atRoot = m_tree.isAtRoot(index);
    const QString base = m_tree.playlistFolder();
    if (!playlist && !category) {
        refuseRename(SpecialListNotRenamed);
        return false;
    }
    if (!IsSafeName(text)) {
        refuseRename(UnsafeNameMessage(text));
        return false;
    }
    if (!IsUsableName(text, atRoot)) {
        refuseRename(ReservedNameMessage(text));
        return false;
    }
    if (base.isEmpty()) {
        refuseRename(RenameFailed);
        return false;
    }

    const QString oldPath = m_tree.fullPath(index);
    const QString parentPath = atRoot ? QString() : m_tree.fullPath(node.parent) + u'/';
    const QString folder = base + parentPath;
    const QString newPath = parentPath + text;
    if (playlist) {
        // The file the node was made from: the text, then the rest of its name (".m3u").
        const QString fileName = FileNameOf(node.key);
        const QString suffix = fileName.mid(node.text.size());
        if (!renameWithoutReplacing(folder + fileName, folder + text + suffix)) {
            refuseRename(takenOrFailed(folder, text, suffix, false));
            return false;
        }
        // The backup follows when it can without replacing another.
        renameWithoutReplacing(folder + node.text + BakExtension, folder + text + BakExtension);
        if (m_list.PlaylistAddress() == oldPath)
            m_list.setPlaylistAddress(newPath);
    } else {
        if (!renameWithoutReplacing(folder + node.text, folder + text)) {
            refuseRename(takenOrFailed(folder, text, QString(), true));
            return false;
        }
        // The open playlist lives in the renamed folder: its next save goes
        // to the new place, not to a new folder of the old name.
        const QString address = m_list.PlaylistAddress();
        if (address.startsWith(oldPath + u'/'))
            m_list.setPlaylistAddress(newPath + address.mid(oldPath.size()));
    }
    m_tree.renameNode(index, text);
    return true;
}

// --- deleting ---------------------------------------------------------------------------

bool LibraryCommands::toTrash(const QString &path)
{
    return m_shell && m_shell->remove(path, true);
}

void LibraryCommands::DeleteSelected()
{
    const int selected = m_tree.selectedIndex();
    if (selected < 0)
        return;
    const TreeNode node = m_tree.nodes()[size_t(selected)];
    if (node.image == LibraryTree::PlaylistImage) {
        deletePlaylist(m_tree.fullPath(selected), node.key);
        return;
    }
    if (node.image != LibraryTree::CategoryImage)
        return; // the favourites and the dust box

    const QString folder = m_tree.playlistFolder() + node.key;
    if (m_tree.playlistFolder().isEmpty())
        return;
    if (!QFileInfo(folder).isDir()) {
        m_tree.TreeCreate(); // gone already
        return;
    }
    if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        m_messages.ShowMessage(false, CategoryNotEmpty, MessageService::Exclamation);
        return;
    }
    // An empty folder holds nothing to get back: where the trash refuses
    // it, it is simply removed.
    if (!toTrash(folder) && !QDir().rmdir(folder)) {
        m_messages.ShowMessage(false, TrashRefused(node.text), MessageService::Exclamation);
        return;
    }
    const int parent = m_tree.parentOf(selected);
    const QString parentKey = parent >= 0 ? m_tree.nodes()[size_t(parent)].key : QString();
    m_tree.removeNode(selected);
    if (!parentKey.isEmpty())
        m_tree.selectKey(parentKey);
    m_tree.TreeCreate();
}

void LibraryCommands::DeleteOpenPlaylist()
{
    DeletePlaylist(m_list.PlaylistAddress());
}

void LibraryCommands::DeletePlaylist(const QString &address)
{
    deletePlaylist(address, address + M3uExtension);
}

void LibraryCommands::deletePlaylist(const QString &address, const QString &key)
{
    if (address.isEmpty())
        return;
    if (address == LibraryTree::DustBoxText || address == LibraryTree::FavouritesText) {
        m_messages.ShowMessage(false, SpecialListNotDeleted, MessageService::Critical);
        return;
    }
    if (m_messages.ShowMessage(true, DeleteQuestion(address), MessageService::YesNo | MessageService::Question) ==
        MessageService::No)
        return;

    // The node's own file (its name may end in other capitals than ".m3u").
    const QString file = m_tree.indexOfKey(key) >= 0 && !m_tree.playlistFolder().isEmpty()
                             ? m_tree.playlistFolder() + key
                             : m_store.playlistFilePath(address, M3uExtension);
    if (!file.isEmpty() && existsOrLink(file) && !toTrash(file)) {
        m_messages.ShowMessage(false, TrashRefused(FileNameOf(address)), MessageService::Exclamation);
        return;
    }
    const QString backup = m_store.playlistFilePath(address, BakExtension);
    if (!backup.isEmpty() && existsOrLink(backup))
        toTrash(backup); // a backup the trash refuses stays

    const bool wasOpen = address == m_list.PlaylistAddress();
    if (wasOpen) {
        m_list.setPlaylistAddress(QString());
        m_store.CloseList(false);
    }
    const int gone = m_tree.indexOfKey(key);
    if (gone >= 0)
        m_tree.removeNode(gone);
    if (!wasOpen)
        return;
    openNode(m_tree.selectedIndex());
    // No playlist came in its place (a category is selected now): the empty
    // list is a new one, with a name a later save can use.
    if (m_list.PlaylistAddress().isEmpty())
        m_list.setPlaylistAddress(ItemCommands::ClearedAddress(now()));
}

// --- the rest of the tree menu -------------------------------------------------------------

void LibraryCommands::Rebuild()
{
    m_tree.TreeCreate();
}

void LibraryCommands::ShowProperties()
{
    const int selected = m_tree.selectedIndex();
    const QString target = selected >= 0 && !m_tree.playlistFolder().isEmpty()
                               ? m_tree.playlistFolder() + m_tree.nodes()[size_t(selected)].key
                               : m_store.playlistFilePath(m_list.PlaylistAddress(), M3uExtension);
    if (target.isEmpty() || !m_shell)
        return;
    m_services.topmost.leaveTopmost();
    m_shell->showProperties(target); // nothing to do when it cannot be shown
}

// --- the administration menu --------------------------------------------------------------

void LibraryCommands::OpenPlaylistFile()
{
    const QString chosen = m_services.dialogs.chooseFile(OpenPlaylistFilter, QString());
    if (chosen.isEmpty())
        return;
    {
        // A file that cannot be read must not cost the open list anything.
        QFile probe;
        if (NativePath::openRegularFile(probe, chosen) != NativePath::OpenResult::Opened)
            return;
    }
    // A playlist of the library keeps its own address, so that saves go back
    // to it; any other file is named after itself without taking a name in use.
    QString address;
    const QString folder = m_store.playlistFolder();
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonical = QFileInfo(chosen).canonicalFilePath();
    if (!canonicalFolder.isEmpty() && canonical.startsWith(canonicalFolder + u'/') &&
        canonical.endsWith(M3uExtension)) {
        address = canonical.mid(canonicalFolder.size() + 1).chopped(M3uExtension.size());
        if (m_store.playlistFilePath(address, M3uExtension).isEmpty())
            address.clear();
    }
    if (address.isEmpty())
        address = m_store.unusedPlaylistAddress(BaseNameOf(chosen));

    if (!m_store.KeepOpenList())
        return;
    m_store.CloseList(false);
    // The address changes before the load, so that the list never stands
    // emptied under the name of the playlist it was.
    m_list.setPlaylistAddress(address);
    const quint64 generation = m_list.generation();
    m_store.LoadPlaylist(chosen);
    if (m_list.generation() != generation)
        return;
    m_tree.selectKey(address + M3uExtension);
    m_list.ApplyRowColors();
    m_list.RenumberList();
    PlayingTrackRestore();
}

void LibraryCommands::SaveOpenPlaylist()
{
    const QString address = m_list.PlaylistAddress();
    if (address.isEmpty())
        return;
    const int selected = m_tree.selectedIndex();
    QString name = address;
    if (m_tree.isCategory(selected)) {
        name = m_tree.fullPath(selected) + u'/' + FileNameOf(address);
        // Saved into another category: a playlist there with that name is
        // not the open one, and is not written over.
        if (name != address)
            name = m_store.unusedPlaylistAddress(name);
    }
    if (m_store.SavePlaylist(name, M3uExtension, true, true))
        m_services.beeper.beep();
}

void LibraryCommands::Shuffle()
{
    const int n = m_list.count();
    if (n < 2)
        return;
    if (!m_random) {
        m_ownRandom = std::make_unique<StdRandomSource>();
        m_random = m_ownRandom.get();
    }
    for (int i = 1; i <= n; ++i) {
        int j = i;
        while (j == i)
            j = m_random->between(1, n);
        // Rows carry their icons and colours with them, so a failed or
        // playing track keeps its mark.
        m_list.swapRows(i, j);
    }
    m_list.UnselectAll();
    m_list.PlayingNoUpdate();
}

// --- drops ------------------------------------------------------------------------------

void LibraryCommands::DropFiles(const QStringList &paths)
{
    const QStringList files = paths; // the caller's list may change while events run
    for (const QString &file : files) {
        // Anything else would list nothing and save an empty playlist.
        if (!IsZipArchive(file))
            continue;
        m_adder.replaceByArchive(file);
        SaveOpenPlaylist();
        EventPump::yield();
        if (EventPump::stopRequested())
            break;
    }
}
