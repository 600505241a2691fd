#include "library/LibraryCommands.h"

#include "core/MessageService.h"
#include "library/LibraryTree.h"
#include "playlist/PlaylistStore.h"
#include "playlist/TrackList.h"

namespace {

const QString M3uExtension = QStringLiteral(".m3u");

} // namespace

LibraryCommands::LibraryCommands(LibraryTree &tree, TrackList &list, PlaylistStore &store, MessageService &messages)
    : m_tree(tree), m_list(list), m_store(store), m_messages(messages)
{
}

bool LibraryCommands::saveWanted()
{
    if (!m_hooks.askBeforeAutoSave || !m_hooks.askBeforeAutoSave())
        return true;
    return m_messages.ShowMessage(true, SaveQuestion, MessageService::YesNo) != MessageService::No;
}

void LibraryCommands::AutoSave()
{
    // SavePlaylist refuses an address that leaves the playlist folder, so
    // a hand-edited address box never makes us write elsewhere.
    m_store.SavePlaylist(m_list.PlaylistAddress(), M3uExtension, false, true); // skipped on failure
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

    // The node's address is read before anything runs events.
    const QString address = m_tree.fullPath(index);
    if (saveWanted()) {
        if (m_hooks.clearSearch)
            m_hooks.clearSearch();
        AutoSave();
    }
    m_store.CloseList(false);
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
    const int pos = m_list.PlayingTrackRestore(m_hooks.playingFilePath ? m_hooks.playingFilePath() : QString());
    if (pos != 0 && m_hooks.scrollToRow)
        m_hooks.scrollToRow(pos);
}
