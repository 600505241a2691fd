#include "playlist/PlaylistFile.h"

#include "core/AtomicFile.h"
#include "core/NativePath.h"
#include "core/TextDecoding.h"

#include <QFile>

namespace {

const QString LineEnd = QStringLiteral("\r\n");
constexpr QChar FullWidthSemicolon = QChar(0xFF1B);

enum class FieldKind { Path, Info, LastInfo };

void appendField(QString &out, QStringView value, FieldKind kind)
{
    bool clean = true;
    for (QChar c : value) {
        if (c == u'\r' || (kind != FieldKind::Path && c == u'\n') || (kind == FieldKind::Info && c == u';')) {
            clean = false;
            break;
        }
    }
    if (clean) {
        out += value;
        return;
    }
    for (QChar c : value) {
        if (c == u'\r' || (kind != FieldKind::Path && c == u'\n'))
            out += u' ';
        else if (kind == FieldKind::Info && c == u';')
            out += FullWidthSemicolon;
        else
            out += c;
    }
}

void appendRecord(QString &out, QStringView path, QStringView title, QStringView artist, QStringView time,
                  QStringView bitRate)
{
    // Text cannot hold a file name's bytes that are not UTF-8; a URL can.
    if (NativePath::hasRawBytes(path))
        out += NativePath::fileUrlOf(path);
    else
        appendField(out, path, FieldKind::Path);
    out += LineEnd;
    out += u'#';
    appendField(out, title, FieldKind::Info);
    out += u';';
    appendField(out, artist, FieldKind::Info);
    out += u';';
    appendField(out, time, FieldKind::Info);
    out += u';';
    appendField(out, bitRate, FieldKind::LastInfo);
    out += LineEnd;
}

bool writeAll(QIODevice &out, const QByteArray &bytes)
{
    return out.write(bytes) == bytes.size();
}

} // namespace

QString DecodePlaylistText(const QByteArray &bytes, bool *wasUtf8)
{
    return DecodeText(bytes, wasUtf8);
}

bool WriteM3ux(QIODevice &out, const std::vector<TrackRow> &rows)
{
    constexpr qsizetype ChunkChars = 1 << 16;
    QString buf;
    buf.reserve(ChunkChars + 1024);
    buf += M3uxHeader;
    buf += LineEnd;
    for (const TrackRow &r : rows) {
        appendRecord(buf, r.path(), r.title(), r.artist(), r.time(), r.bitRate());
        if (buf.size() >= ChunkChars) {
            if (!writeAll(out, buf.toUtf8()))
                return false;
            buf.resize(0);
        }
    }
    return writeAll(out, buf.toUtf8());
}

bool AppendPlaylistRecords(const QString &filePath, const QList<PlaylistRecord> &records)
{
    QByteArray old;
    {
        QFile in(filePath);
        if (in.exists()) {
            if (!in.open(QIODevice::ReadOnly))
                return false; // an unreadable file is not replaced by the records alone
            old = in.readAll();
            if (in.error() != QFileDevice::NoError)
                return false;
        }
    }

    QByteArray head;
    if (old.isEmpty()) {
        head = QByteArray(M3uxHeader.data(), M3uxHeader.size()) + "\r\n";
    } else {
        bool utf8 = true;
        const QString text = DecodePlaylistText(old, &utf8);
        head = utf8 ? old : text.toUtf8();
        if (!head.endsWith('\r') && !head.endsWith("\r\n"))
            head += "\r\n";
    }

    QString tail;
    for (const PlaylistRecord &r : records)
        appendRecord(tail, r.path, r.title, r.artist, r.time, r.bitRate);

    return WriteFileAtomically(filePath,
                               [&](QIODevice &out) { return writeAll(out, head) && writeAll(out, tail.toUtf8()); });
}
