#include "archive/ZipOperations.h"

#include "archive/MemberNames.h"
#include "core/EventPump.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace {

const QString Marker = QStringLiteral("\\#ZIP#");

QString withTrailingSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// The file name without folder and without its last extension.
QString baseNameOf(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

// Free bytes on the disk that holds `folder`, or on that of its nearest
// existing parent while it does not exist yet; -1 when unknown.
std::int64_t freeBytesFor(const QString &folder)
{
    QDir dir(folder);
    while (!dir.exists()) {
        const QString parent = QFileInfo(dir.absolutePath()).absolutePath();
        if (parent == dir.absolutePath())
            return -1;
        dir.setPath(parent);
    }
    const QStorageInfo storage(dir.absolutePath());
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

} // namespace

QString UnzipVersionGet(const Archiver &archiver)
{
    const int version = archiver.getVersion();
    return QStringLiteral("Ver %1.%2").arg(version / 100).arg(version % 100, 2, 10, QLatin1Char('0'));
}

QString makeArchiveMemberPath(const QString &archivePath, const QString &memberName)
{
    return u'"' + archivePath + u'"' + Marker + memberName;
}

std::optional<ArchiveEntryParts> splitArchiveMemberPath(const QString &itemText)
{
    if (!itemText.startsWith(u'"'))
        return std::nullopt;
    const qsizetype k = itemText.indexOf(QStringLiteral("#ZIP#"));
    // The quoted part ends two characters before the marker: the closing
    // quote and the backslash.
    if (k < 3 || itemText[k - 1] != u'\\' || itemText[k - 2] != u'"')
        return std::nullopt;
    ArchiveEntryParts parts;
    parts.quotedArchive = itemText.left(k - 1);
    parts.archivePath = itemText.mid(1, k - 3);
    parts.memberName = itemText.mid(k + 5);
    return parts;
}

int ZipListUp(Archiver &archiver, const QString &archivePath, const AddTrackFunction &addTrack, int maxEntries)
{
    const Archiver::Handle handle = archiver.openArchive(archivePath, 0);
    if (handle == 0)
        return 0;
    int added = 0;
    Archiver::MemberRecord record;
    for (int found = archiver.findFirst(handle, QStringLiteral("*.*"), record); found == 0 && added < maxEntries;
         found = archiver.findNext(handle, record)) {
        const QString &name = record.name;
        const bool skipped = name.endsWith(QStringLiteral(".txt")) || name.endsWith(u'/') || record.isFolder
            || !isSafeMemberName(name);
        if (!skipped) {
            addTrack(makeArchiveMemberPath(archivePath, name), true);
            ++added;
        }
        EventPump::yield();
        if (EventPump::stopRequested())
            break;
    }
    archiver.closeArchive(handle);
    return added;
}

QString ZipPatternEscape(const QString &memberName)
{
    QString pattern = memberName;
    pattern.replace(u'\\', u'*');
    pattern.replace(u' ', u'*');
    for (char16_t numeral = 0x2160; numeral <= 0x2169; ++numeral)
        pattern.replace(QChar(numeral), u'*');
    pattern.replace(QStringLiteral("["), QStringLiteral("\\["));
    pattern.replace(QStringLiteral("]"), QStringLiteral("\\]"));
    return pattern;
}

std::int64_t memberSizeLimit(std::int64_t freeBytes)
{
    if (freeBytes < 0)
        return MaxMemberBytes;
    return std::clamp<std::int64_t>(freeBytes - FreeSpaceMargin, 0, MaxMemberBytes);
}

QString ZipItemExtract(Archiver &archiver, const QString &itemText, const QString &tempFolderPath,
                       const ExtractOptions &options)
{
    const std::optional<ArchiveEntryParts> parts = splitArchiveMemberPath(itemText);
    if (!parts || parts->memberName.isEmpty() || !isSafeMemberName(parts->memberName) || tempFolderPath.isEmpty())
        return {};
    const QString folder = withTrailingSeparator(tempFolderPath);
    const QString target = folder + memberRelativePath(parts->memberName);
    const QString commandLine = QStringLiteral("-x --i -o ") + parts->quotedArchive + u' ' + u'"' + folder + u'"'
        + u' ' + u'"' + ZipPatternEscape(parts->memberName) + u'"';
    Archiver::CommandControl control;
    control.maxBytes = options.maxBytes >= 0 ? options.maxBytes : memberSizeLimit(freeBytesFor(folder));
    control.member = parts->memberName;
    control.stop = [&options] {
        EventPump::yield();
        return EventPump::stopRequested() || (options.stop && options.stop());
    };
    if (archiver.command(commandLine, control) != Archiver::Ok)
        return {};
    const QFileInfo extracted(target);
    if (!extracted.isFile() || extracted.isSymLink())
        return {};
    return target;
}

ExtractedMembers::~ExtractedMembers()
{
    for (const Held &held : std::as_const(m_held))
        remove(held);
}

void ExtractedMembers::add(const QString &file, const QString &tempFolderPath)
{
    m_held.removeIf([&file](const Held &held) { return held.file == file; });
    m_held.prepend(Held{file, QDir::cleanPath(tempFolderPath)});
    while (m_held.size() > qMax(m_keep, 0))
        remove(m_held.takeLast());
}

QStringList ExtractedMembers::files() const
{
    QStringList files;
    for (const Held &held : m_held)
        files << held.file;
    return files;
}

void ExtractedMembers::remove(const Held &held)
{
    QFile::remove(held.file); // skipped on failure: the temporary folder is cleared at the end when so set
    // The member's own sub-folders go when nothing else is left in them.
    QDir dir = QFileInfo(held.file).dir();
    while (QDir::cleanPath(dir.absolutePath()).startsWith(held.folder + u'/') && dir.rmdir(dir.absolutePath()))
        dir.setPath(QFileInfo(dir.absolutePath()).absolutePath());
}

QString zipPlaylistAddress(const QString &archivePath, const std::optional<ZipTreeNode> &node,
                           const QString &currentAddress)
{
    const QString name = baseNameOf(archivePath);
    if (!node)
        return name;
    const bool nested = node->fullPath.contains(u'/');
    if (!nested)
        return node->isCategory ? node->text + u'/' + name : name;
    if (node->isCategory)
        return node->fullPath + u'/' + name;
    const qsizetype slash = currentAddress.lastIndexOf(u'/');
    return slash <= 0 ? name : currentAddress.left(slash) + u'/' + name;
}

QString ZipFileOpen(Archiver &archiver, const QString &archivePath, const AddTrackFunction &addTrack,
                    const std::optional<ZipTreeNode> &node, const QString &currentAddress,
                    const std::function<void(const QString &address)> &addressFirst)
{
    const QString address = zipPlaylistAddress(archivePath, node, currentAddress);
    if (addressFirst)
        addressFirst(address);
    ZipListUp(archiver, archivePath, addTrack);
    return address;
}
