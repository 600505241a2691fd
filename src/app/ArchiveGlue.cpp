#include "app/ArchiveGlue.h"

#include "archive/ZipOperations.h"

std::function<void(const QString &)> makeArchiveLister(Archiver &archiver,
                                                       std::function<void(const QString &, bool)> addTrack)
{
    return [&archiver, addTrack = std::move(addTrack)](const QString &archivePath) {
        ZipListUp(archiver, archivePath, addTrack);
    };
}

std::function<QString(const QString &)> makeMemberExtractor(Archiver &archiver, std::function<QString()> tempFolder)
{
    return [&archiver, tempFolder = std::move(tempFolder)](const QString &itemText) {
        const QString folder = tempFolder();
        if (folder.isEmpty())
            return QString();
        return ZipItemExtract(archiver, itemText, folder);
    };
}
