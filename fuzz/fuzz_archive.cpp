// Member listing and extraction on arbitrary bytes: must not crash, hang,
// report a name that leads outside the extraction folder, or write anywhere
// but the extraction folder.
#include "archive/LibArchiveArchiver.h"
#include "archive/MemberNames.h"
#include "archive/ZipOperations.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTemporaryDir root;
    if (!root.isValid())
        return 0;
    const QString archivePath = root.filePath(QStringLiteral("input.zip"));
    {
        QFile f(archivePath);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const QString extractFolder = root.filePath(QStringLiteral("extract")) + u'/';

    LibArchiveArchiver archiver;
    LibArchiveArchiver::Limits limits;
    limits.maxBytes = 4 << 20;
    archiver.setLimits(limits);

    QStringList entries;
    ZipListUp(archiver, archivePath, [&](const QString &path, bool) { entries << path; }, 2000);
    for (const QString &entry : entries) {
        const auto parts = splitArchiveMemberPath(entry);
        if (!parts || !isSafeMemberName(parts->memberName))
            std::abort();
    }
    // Extract the first few entries the way playback does, then everything.
    for (qsizetype i = 0; i < entries.size() && i < 8; ++i)
        ZipItemExtract(archiver, entries[i], extractFolder);
    archiver.command(QStringLiteral(R"(-x --i -o "%1" "%2" "*")").arg(archivePath, extractFolder));

    // Only the input and the extraction folder may exist in the root.
    QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path != archivePath && path + u'/' != extractFolder)
            std::abort();
    }
    return 0;
}
