#pragma once

#include "playlist/TrackArchives.h"

#include <QString>
#include <functional>

class Archiver;

// The archive operations in the shapes the track adder and the player take.

// The archives as the track adder reads them: ZipListUp and ZipFileOpen on
// the program's archiver.
class ArchiveTracks final : public TrackArchives
{
public:
    explicit ArchiveTracks(Archiver &archiver) : m_archiver(archiver) {}

    void listMembers(const QString &archivePath,
                     const std::function<void(const QString &path, bool isArchiveMember)> &add) override;
    void openAsPlaylist(const QString &archivePath, const SelectedTreeNode &node, const QString &currentAddress,
                        const std::function<void(const QString &address)> &setAddress,
                        const std::function<void(const QString &entry)> &add) override;

private:
    Archiver &m_archiver;
};

// Extracts the member an archive entry names into the folder `tempFolder()`
// gives, letting events run meanwhile and giving up once `stop()` turns
// true; returns the extracted file, or empty on failure or when given up
// (also when there is no usable temporary folder). Only the newest two
// extracted members stay in the folder (ExtractedMembers); the rest go when
// the extractor is destroyed.
std::function<QString(const QString &itemText, const std::function<bool()> &stop)>
makeMemberExtractor(Archiver &archiver, std::function<QString()> tempFolder);
