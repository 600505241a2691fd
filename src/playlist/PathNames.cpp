#include "playlist/PathNames.h"

#include "core/NativePath.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

constexpr QChar Sep = u'/';
constexpr QStringView ZipTag = u"#ZIP#";

QStringView lastComponent(QStringView path, bool *hasSep)
{
    const qsizetype i = path.lastIndexOf(Sep);
    *hasSep = i >= 0;
    return i >= 0 ? path.mid(i + 1) : path;
}

} // namespace

QString BaseNameOf(QStringView path)
{
    bool hasSep = false;
    const QStringView name = lastComponent(path, &hasSep);
    if (!hasSep)
        return QString();
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot >= 0 ? name.left(dot) : name).toString();
}

QString FileNameOf(QStringView path)
{
    bool hasSep = false;
    return lastComponent(path, &hasSep).toString();
}

QString ParentFolderNameOf(QStringView path)
{
    const qsizetype last = path.lastIndexOf(Sep);
    if (last <= 0)
        return QString();
    const qsizetype before = path.left(last).lastIndexOf(Sep);
    if (before < 0)
        return QString();
    return path.mid(before + 1, last - before - 1).toString();
}

QString FolderOf(QStringView path)
{
    const qsizetype i = path.lastIndexOf(Sep);
    return i >= 0 ? path.left(i).toString() : QString();
}

QString ExtensionOf(QStringView path)
{
    bool hasSep = false;
    const QStringView name = lastComponent(path, &hasSep);
    if (!hasSep)
        return QString();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 ? name.mid(dot + 1).toString().toUpper() : QString();
}

QStringView ExtensionOfInto(QStringView path, QString &out)
{
    bool hasSep = false;
    const QStringView name = lastComponent(path, &hasSep);
    const qsizetype dot = hasSep ? name.lastIndexOf(u'.') : -1;
    if (dot < 0) {
        out.resize(0);
        return QStringView();
    }
    const QStringView ext = name.mid(dot + 1);
    for (QChar c : ext) {
        if (c.unicode() >= 0x80) {
            out = ext.toString().toUpper();
            return out;
        }
    }
    out.resize(ext.size());
    QChar *d = out.data();
    for (qsizetype i = 0; i < ext.size(); ++i) {
        const QChar c = ext[i];
        d[i] = QChar(c.unicode() >= 'a' && c.unicode() <= 'z' ? c.unicode() - 32 : c.unicode());
    }
    return out;
}

QString ArchiveMemberPath(QStringView archivePath, QStringView memberName)
{
    QString s;
    s.reserve(archivePath.size() + memberName.size() + 8);
    s += u'"';
    s += archivePath;
    s += u'"';
    s += ArchiveMarker;
    s += memberName;
    return s;
}

bool IsArchiveMemberPath(QStringView path)
{
    return path.startsWith(u'"');
}

QString ArchivePathOfMember(QStringView memberPath)
{
    const qsizetype tag = memberPath.indexOf(ZipTag);
    if (tag < 3) // needs at least the opening quote, closing quote and backslash
        return QString();
    return memberPath.left(tag - 2).mid(1).toString();
}

QString MemberNameOf(QStringView memberPath)
{
    const qsizetype tag = memberPath.indexOf(ZipTag);
    return tag >= 0 ? memberPath.mid(tag + ZipTag.size()).toString() : QString();
}

QString InitialTitleOf(QStringView path, bool isArchiveMember)
{
    if (!isArchiveMember)
        return BaseNameOf(path);
    const qsizetype tag = path.indexOf(ZipTag);
    if (tag < 0)
        return BaseNameOf(path);
    const QStringView name = path.mid(tag + ZipTag.size());
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot >= 0 ? name.left(dot) : name).toString();
}

QString FormatFileDate(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::LocalTime)
        .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

FileProbe ProbeFile(QStringView path)
{
    FileProbe p;
    if (path.isEmpty() || path.contains(QChar(0))) // a NUL would cut the name short
        return p;
    const qsizetype sep = path.lastIndexOf(Sep);
    p.hidden = path.size() > sep + 1 && path.at(sep + 1) == u'.';
#ifdef Q_OS_UNIX
    // One buffer serves every call of the thread; a name with bytes that are
    // not UTF-8 takes the slower exact way.
    thread_local QByteArray name;
    if (NativePath::hasRawBytes(path)) {
        name = NativePath::encode(path);
    } else {
        name.resize(path.size() * 3 + 1);
        QStringEncoder encoder(QStringEncoder::Utf8);
        char *end = encoder.appendToBuffer(name.data(), path);
        *end = 0;
    }
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return p;
    p.exists = true;
    p.isFile = S_ISREG(st.st_mode);
    p.isDir = S_ISDIR(st.st_mode);
    p.modified = st.st_mtime;
#else
    const QFileInfo fi(path.toString());
    if (!fi.exists())
        return p;
    p.exists = true;
    p.isFile = fi.isFile();
    p.isDir = fi.isDir();
    p.hidden = p.hidden || fi.isHidden();
    p.modified = fi.lastModified().toSecsSinceEpoch();
#endif
    return p;
}
