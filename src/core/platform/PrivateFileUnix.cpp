// The Unix implementation of PrivateFile: O_NOFOLLOW, O_EXCL, rename(2).
#include <QtGlobal>

#ifdef Q_OS_UNIX

#include "core/NativePath.h"
#include "core/PrivateFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFile {

Kind kindOf(const QString &path)
{
    const QByteArray name = NativePath::encode(path);
    struct stat st;
    if (name.isEmpty() || ::lstat(name.constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
}

bool read(const QString &path, qint64 maxBytes, QByteArray *bytes)
{
    const QByteArray name = NativePath::encode(path);
    if (name.isEmpty() || name.contains('\0'))
        return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes) {
        ::close(fd);
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    // One byte more than allowed shows a file that grew meanwhile.
    QByteArray content = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || content.size() > maxBytes)
        return false;
    *bytes = std::move(content);
    return true;
}

namespace {

class TempFile : public QFile
{
public:
    // A new file beside `target`, made with O_EXCL so that nothing already
    // there (a planted link included) is ever opened.
    bool create(const QString &target)
    {
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QString candidate = target + QStringLiteral(".tmp-%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            m_name = NativePath::encode(candidate);
            const int fd = ::open(m_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd >= 0) {
                if (open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
                    return true;
                ::close(fd);
                ::unlink(m_name.constData());
                return false;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }
    const QByteArray &name() const { return m_name; }

private:
    QByteArray m_name;
};

bool syncToDisk(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EINVAL || errno == ENOTSUP || errno == ENOSYS;
    }
    return true;
}

} // namespace

bool write(const QString &path, const std::function<bool(QIODevice &)> &writeContent)
{
    const QByteArray target = NativePath::encode(path);
    if (target.isEmpty() || target.contains('\0'))
        return false;
    TempFile temp;
    if (!temp.create(path))
        return false;
    const bool written = writeContent(temp) && temp.flush() && syncToDisk(temp.handle());
    temp.close();
    // rename(2) replaces the entry at `path`, a symbolic link included, and
    // never writes into what a link points at.
    if (!written || temp.error() != QFileDevice::NoError || ::rename(temp.name().constData(), target.constData()) != 0) {
        ::unlink(temp.name().constData());
        return false;
    }
    return true;
}

bool write(const QString &path, const QByteArray &bytes)
{
    return write(path, [&bytes](QIODevice &out) { return out.write(bytes) == bytes.size(); });
}

bool renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = NativePath::encode(from);
    const QByteArray target = NativePath::encode(to);
    if (source.isEmpty() || target.isEmpty())
        return false;
    // link(2) fails on an existing target, and makes no second name of a
    // folder; a link is then renamed by rename(2) after a check.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    struct stat st;
    if (::lstat(target.constData(), &st) == 0 || errno != ENOENT)
        return false;
    return ::rename(source.constData(), target.constData()) == 0;
}

} // namespace PrivateFile

#endif
