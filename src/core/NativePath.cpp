#include "core/NativePath.h"

#include <QUrl>

#ifdef Q_OS_UNIX
#include <dirent.h>
#else
#include <QDirIterator>
#endif

QStringList NativePath::visibleFilesIn(const QString &folder)
{
    QString prefix = folder;
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    QStringList files;
#ifdef Q_OS_UNIX
    // Qt's own listing drops every name that is not UTF-8; read the folder here.
    const QByteArray native = encode(prefix);
    DIR *dir = ::opendir(native.constData());
    if (!dir)
        return files;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.')
            continue; // ".", ".." and hidden files
        bool regular = false;
#ifdef DT_REG
        if (entry->d_type == DT_REG) {
            regular = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            regular = ::fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
#else
        struct stat st;
        regular = ::fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
#endif
        if (regular)
            files.append(prefix + decode(QByteArrayView(name)));
    }
    ::closedir(dir);
#else
    QDirIterator it(prefix, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        files.append(prefix + it.fileName());
    }
#endif
    return files;
}

QString NativePath::localPathOfUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return QString();
#ifdef Q_OS_WIN
    return url.toLocalFile();
#else
    if (!url.host().isEmpty() && url.host() != QLatin1String("localhost"))
        return url.toLocalFile(); // another machine's file: as Qt names it
    return decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
#endif
}

QStringList NativePath::localPathsOfUrls(const QList<QUrl> &urls)
{
    QStringList paths;
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths << localPathOfUrl(url);
    }
    return paths;
}

QString NativePath::fileUrlOf(QStringView path)
{
    return QStringLiteral("file://") + QString::fromLatin1(encode(path).toPercentEncoding("/"));
}
