// PrivateFile on systems without the Unix calls: Qt's own file classes.
#include <QtGlobal>

#ifndef Q_OS_UNIX

#include "core/AtomicFile.h"
#include "core/PrivateFile.h"

#include <QFile>
#include <QFileInfo>

namespace PrivateFile {

Kind kindOf(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return Kind::Link;
    if (!info.exists())
        return Kind::Missing;
    return info.isFile() ? Kind::File : Kind::Other;
}

bool read(const QString &path, qint64 maxBytes, QByteArray *bytes)
{
    if (kindOf(path) != Kind::File)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
        return false;
    QByteArray content = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || content.size() > maxBytes)
        return false;
    *bytes = std::move(content);
    return true;
}

bool write(const QString &path, const std::function<bool(QIODevice &)> &writeContent)
{
    // A link in the way goes first: the save must not follow it.
    if (kindOf(path) == Kind::Link && !QFile::remove(path))
        return false;
    return WriteFileAtomically(path, writeContent);
}

bool write(const QString &path, const QByteArray &bytes)
{
    return write(path, [&bytes](QIODevice &out) { return out.write(bytes) == bytes.size(); });
}

bool renameNoReplace(const QString &from, const QString &to)
{
    return QFile::rename(from, to); // Qt never replaces an existing target
}

} // namespace PrivateFile

#endif
