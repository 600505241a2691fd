#include "core/AtomicFile.h"

#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace {

// Forces the written data to the disk, so that a disk that fails late (a
// quota, a network file system) fails the save instead of the rename.
bool syncToDisk(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    if (fd < 0)
        return false;
    while (::fsync(fd) != 0) {
        if (errno == EINTR)
            continue;
        // A file system that cannot sync at all has nothing to report.
        return errno == EINVAL || errno == ENOTSUP || errno == ENOSYS;
    }
    return true;
#else
    // QSaveFile::commit() syncs here on its own, as far as the system lets it.
    Q_UNUSED(file);
    return true;
#endif
}

} // namespace

bool WriteFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &writeContent)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() would rename a temporary file whose buffered tail failed to
    // reach the disk: the flush and the sync are checked here first.
    if (!writeContent(file) || !file.flush() || !syncToDisk(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    return WriteFileAtomically(path, [&bytes](QIODevice &out) { return out.write(bytes) == bytes.size(); });
}
