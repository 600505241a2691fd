#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QStringView>

class QUrl;

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

// File names exactly as the system stores them.
//
// On Unix a file name is a string of bytes. It is usually UTF-8 but need not
// be: names copied from older Japanese systems are often Shift-JIS bytes. Qt
// reads every name as UTF-8, turns each byte it cannot read into U+FFFD (a
// name no file has) and leaves such files out of folder listings, and its
// file classes cannot open them. The functions here keep these names: decode()
// turns each byte that is not part of valid UTF-8 into the lone surrogate
// U+DC00 + byte, encode() turns it back into that byte, so bytes -> text ->
// bytes is exact. Names that are valid UTF-8 give the same text as Qt gives.
// A path holding such a byte must reach the system through encode() (C
// libraries) or openRegularFile() (Qt file classes); QFile(path) cannot open it.
//
// Inline, because the decoder module, which links only Qt Core, uses it too.
// Any thread.
namespace NativePath {

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView path);
// True when `path` holds a byte that is not UTF-8 (see decode()).
bool hasRawBytes(QStringView path);

enum class OpenResult { Opened, Missing, Failed };
// Opens `path` read-only into `file` (which must be closed) when it names a
// regular file. Missing: no such file, or not a regular file (a folder, a
// pipe or a device is never opened, so nothing blocks). Failed: it is there
// but cannot be read.
OpenResult openRegularFile(QFile &file, const QString &path);

// The size in bytes of the regular file `path` names, when it opens as
// openRegularFile() opens it; -1 otherwise.
qint64 regularFileSize(const QString &path);

// The ordinary, visible files directly in `folder` (a full path, with or
// without a final "/"), as full paths in the order the file system gives
// them; symbolic links count as what they point at, names starting with "."
// are left out. Every name is listed, whatever bytes it holds.
QStringList visibleFilesIn(const QString &folder);

// The local file a "file:" URL names, its bytes kept (Qt's
// QUrl::toLocalFile() reads them as UTF-8); empty when the URL names no
// local file.
QString localPathOfUrl(const QUrl &url);
// The local files of `urls` (a drop, a remote's open request), in order;
// URLs that name no local file are left out.
QStringList localPathsOfUrls(const QList<QUrl> &urls);
// A "file://" URL for the absolute `path` with every byte outside letters, digits and
// "-._~/" percent-encoded: plain ASCII text that localPathOfUrl() reads back
// to the same path.
QString fileUrlOf(QStringView path);

namespace detail {
constexpr char16_t EscapeBase = 0xDC00;
inline bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// Length of the valid UTF-8 sequence at `s` (at most `n` bytes), or 0.
inline int validSequence(const unsigned char *s, qsizetype n)
{
    const unsigned char c = s[0];
    if (c < 0x80)
        return 1;
    int len;
    char32_t min;
    char32_t cp;
    if ((c & 0xE0) == 0xC0) {
        len = 2; min = 0x80; cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3; min = 0x800; cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4; min = 0x10000; cp = c & 0x07;
    } else {
        return 0;
    }
    if (n < len)
        return 0;
    for (int i = 1; i < len; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and values beyond Unicode are not UTF-8.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return len;
}
} // namespace detail

inline QString decode(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString out;
    out.reserve(bytes.size());
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int len = detail::validSequence(s + i, bytes.size() - i);
        if (len == 0) {
            out += QChar(char16_t(detail::EscapeBase + s[i]));
            ++i;
        } else {
            out += QString::fromUtf8(reinterpret_cast<const char *>(s + i), len);
            i += len;
        }
    }
    return out;
}

inline bool hasRawBytes(QStringView path)
{
    for (QChar c : path)
        if (detail::isEscape(c.unicode()))
            return true;
    return false;
}

inline QByteArray encode(QStringView path)
{
    if (!hasRawBytes(path))
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (!detail::isEscape(c))
            continue;
        out += path.mid(start, i - start).toUtf8();
        out += char(c - detail::EscapeBase);
        start = i + 1;
    }
    out += path.mid(start).toUtf8();
    return out;
}

inline OpenResult openRegularFile(QFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray name = encode(path);
    if (name.isEmpty() || name.contains('\0'))
        return OpenResult::Missing;
    // Non-blocking, so that a pipe named like a track cannot hold us up.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? OpenResult::Missing : OpenResult::Failed;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenResult::Missing;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return OpenResult::Failed;
    }
    return OpenResult::Opened;
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return OpenResult::Missing;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? OpenResult::Opened : OpenResult::Failed;
#endif
}

inline qint64 regularFileSize(const QString &path)
{
    QFile file;
    return openRegularFile(file, path) == OpenResult::Opened ? file.size() : -1;
}

} // namespace NativePath
