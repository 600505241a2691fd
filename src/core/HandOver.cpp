#include "core/HandOver.h"

#include <QDir>
#include <QStringDecoder>
#include <QtEndian>

namespace {

constexpr QByteArrayView Header("velmora-open 1\n");

} // namespace

QByteArray HandOver::encode(const QStringList &paths)
{
    QByteArray payload(Header.data(), Header.size());
    for (const QString &path : paths) {
        payload += path.toUtf8();
        payload += '\0';
    }
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    return frame + payload;
}

HandOver::Decoded HandOver::decode(const QByteArray &buffer)
{
    Decoded result;
    if (buffer.size() < 4)
        return result;
    const qint64 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > MaxPayloadBytes || length < Header.size()) {
        result.status = Decoded::Bad;
        return result;
    }
    if (buffer.size() - 4 < length)
        return result;
    const QByteArrayView payload(buffer.constData() + 4, length);
    if (!payload.startsWith(Header) || (length > Header.size() && !payload.endsWith('\0'))) {
        result.status = Decoded::Bad;
        return result;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(payload.sliced(Header.size()));
    if (utf8.hasError()) {
        result.status = Decoded::Bad;
        return result;
    }
    QStringList paths = text.split(QChar(0));
    paths.removeLast(); // after the last NUL (or the whole of an empty list)
    for (const QString &path : paths) {
        if (path.isEmpty() || QDir::isRelativePath(path)) {
            result.status = Decoded::Bad;
            return result;
        }
    }
    result.status = Decoded::Complete;
    result.paths = paths;
    result.consumed = 4 + length;
    return result;
}
