#pragma once

#include "playlist/PlaylistTree.h"

#include <QString>
#include <functional>

// The ZIP archives as the adding of tracks reads them. The archiver's
// wiring implements it; tests script the members. User-interface thread
// only; events run while an archive is read.
class TrackArchives
{
public:
    virtual ~TrackArchives() = default;

    // Hands `add` each listed member of the archive at `archivePath` in
    // archive order, as (path, isArchiveMember); folders and ".txt" members
    // are left out. An archive that cannot be read hands over nothing.
    virtual void listMembers(const QString &archivePath,
                             const std::function<void(const QString &path, bool isArchiveMember)> &add) = 0;

    // Opens the archive at `archivePath` as a playlist: first hands
    // `setAddress` the address of the archive's playlist (named after the
    // archive, placed by the selected tree node `node` and the open list's
    // `currentAddress`), then hands `add` each member's entry in archive
    // order. The address is given even when the archive cannot be opened.
    virtual void openAsPlaylist(const QString &archivePath, const SelectedTreeNode &node,
                                const QString &currentAddress,
                                const std::function<void(const QString &address)> &setAddress,
                                const std::function<void(const QString &entry)> &add) = 0;
};
