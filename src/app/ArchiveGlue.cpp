#include "app/ArchiveGlue.h"

#include "archive/ZipOperations.h"

#include <memory>

void ArchiveTracks::listMembers(const QString &archivePath,
                                const std::function<void(const QString &path, bool isArchiveMember)> &add)
{
    ZipListUp(m_archiver, archivePath, add);
}

void ArchiveTracks::openAsPlaylist(const QString &archivePath, const SelectedTreeNode &node,
                                   const QString &currentAddress,
                                   const std::function<void(const QString &address)> &setAddress,
                                   const std::function<void(const QString &entry)> &add)
{
    const std::optional<ZipTreeNode> zipNode =
        node.valid ? std::optional(ZipTreeNode{node.isCategory, node.text, node.fullPath}) : std::nullopt;
    ZipFileOpen(
        m_archiver, archivePath, [&add](const QString &entry, bool) { add(entry); }, zipNode, currentAddress,
        setAddress);
}

std::function<QString(const QString &, const std::function<bool()> &)>
makeMemberExtractor(Archiver &archiver, std::function<QString()> tempFolder)
{
    // Shared with the copies of the extractor; the last one to go removes
    // what is still extracted.
    auto extracted = std::make_shared<ExtractedMembers>();
    return [&archiver, tempFolder = std::move(tempFolder), extracted](const QString &itemText,
                                                                       const std::function<bool()> &stop) {
        const QString folder = tempFolder();
        if (folder.isEmpty())
            return QString();
        ExtractOptions options;
        options.stop = stop;
        const QString file = ZipItemExtract(archiver, itemText, folder, options);
        if (!file.isEmpty())
            extracted->add(file, folder);
        return file;
    };
}
