#include "playlist/FolderWalk.h"

#include "core/NativePath.h"

#include <QSet>
#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#else
#include <QDirIterator>
#include <QFileInfo>
#endif

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

int naturalOrderOnly(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            while (i < a.size() && a[i] == u'0')
                ++i;
            while (j < b.size() && b[j] == u'0')
                ++j;
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && isAsciiDigit(a[ei]))
                ++ei;
            while (ej < b.size() && isAsciiDigit(b[ej]))
                ++ej;
            if (ei - i != ej - j)
                return ei - i < ej - j ? -1 : 1; // fewer significant digits: smaller
            for (; i < ei; ++i, ++j) {
                if (a[i] != b[j])
                    return a[i] < b[j] ? -1 : 1;
            }
            continue;
        }
        const char16_t ca = a[i].toCaseFolded().unicode();
        const char16_t cb = b[j].toCaseFolded().unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    const qsizetype restA = a.size() - i;
    const qsizetype restB = b.size() - j;
    return restA == restB ? 0 : (restA < restB ? -1 : 1);
}

struct Entries
{
    QStringList files;   // names
    QStringList folders; // names
    bool readable = false;
    QPair<quint64, quint64> id; // device and inode
};

Entries readFolder(const QString &prefix)
{
    Entries out;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(NativePath::encode(prefix).constData());
    if (!dir)
        return out; // unreadable or gone: skipped
    const int fd = ::dirfd(dir);
    struct stat self;
    if (::fstat(fd, &self) != 0) {
        ::closedir(dir);
        return out;
    }
    out.readable = true;
    out.id = {quint64(self.st_dev), quint64(self.st_ino)};
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.')
            continue; // ".", ".." and hidden entries
        bool file = false;
        bool folder = false;
#ifdef DT_REG
        if (entry->d_type == DT_REG) {
            file = true;
        } else if (entry->d_type == DT_DIR) {
            folder = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
#endif
        {
            struct stat st;
            if (::fstatat(fd, name, &st, 0) == 0) {
                file = S_ISREG(st.st_mode);
                folder = S_ISDIR(st.st_mode);
            }
        }
        if (file)
            out.files.append(NativePath::decode(QByteArrayView(name)));
        else if (folder)
            out.folders.append(NativePath::decode(QByteArrayView(name)));
    }
    ::closedir(dir);
#else
    const QFileInfo self(prefix);
    if (!self.isDir() || !self.isReadable())
        return out;
    out.readable = true;
    const QString canonical = self.canonicalFilePath();
    out.id = {quint64(qHash(canonical)), quint64(canonical.size())};
    QDirIterator it(prefix, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().startsWith(u'.'))
            continue;
        (it.fileInfo().isDir() ? out.folders : out.files).append(it.fileName());
    }
#endif
    return out;
}

void sortNatural(QStringList &names)
{
    std::sort(names.begin(), names.end(),
              [](const QString &x, const QString &y) { return NaturalCompare(x, y) < 0; });
}

} // namespace

int NaturalCompare(QStringView a, QStringView b)
{
    const int natural = naturalOrderOnly(a, b);
    return natural != 0 ? natural : a.compare(b);
}

FolderWalk::Result FolderWalk::list(const QString &folder, bool subfolders, bool (*wanted)(QStringView),
                                    const Progress &progress)
{
    Result result;
    if (folder.isEmpty())
        return result;
    QSet<QPair<quint64, quint64>> visited;
    // Depth-first without recursion: a deep tree cannot exhaust the stack.
    QStringList pending{folder};
    while (!pending.isEmpty()) {
        QString prefix = pending.takeLast();
        if (!prefix.endsWith(u'/'))
            prefix += u'/';
        Entries entries = readFolder(prefix);
        if (!entries.readable || visited.contains(entries.id))
            continue;
        visited.insert(entries.id);
        sortNatural(entries.files);
        for (const QString &name : std::as_const(entries.files)) {
            if (!wanted || wanted(name))
                result.files.append(prefix + name);
        }
        if (subfolders) {
            sortNatural(entries.folders);
            for (auto it = entries.folders.crbegin(); it != entries.folders.crend(); ++it)
                pending.append(prefix + *it);
        }
        if (progress && !progress(int(result.files.size()))) {
            result.cancelled = true;
            break;
        }
    }
    return result;
}
