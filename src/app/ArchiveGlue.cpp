#include "app/ArchiveGlue.h"

#include "archive/ZipOperations.h"

#include <memory>

std::function<void(const QString &)> makeArchiveLister(Archiver &archiver,
                                                       std::function<void(const QString &, bool)> addTrack)
{
    return [&archiver, addTrack = std::move(addTrack)](const QString &archivePath) {
        ZipListUp(archiver, archivePath, addTrack);
    };
}

decltype(AddHooks::openArchive) makeArchiveOpener(Archiver &archiver)
{
    return [&archiver](const QString &archivePath, const SelectedTreeNode &node, const QString &currentAddress,
                       const std::function<void(const QString &)> &setAddress,
                       const std::function<void(const QString &)> &add) {
        const std::optional<ZipTreeNode> zipNode =
            node.valid ? std::optional(ZipTreeNode{node.isCategory, node.text, node.fullPath}) : std::nullopt;
        ZipFileOpen(
            archiver, archivePath, [&add](const QString &entry, bool) { add(entry); }, zipNode, currentAddress,
            setAddress);
    };
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
