#include "core/HandOver.h"

#include "core/InputBounds.h"

#include <QDir>
#include <QStringDecoder>
#include <QtEndian>

namespace {

constexpr QByteArrayView BatchHeader("velmora-open 2\n");
constexpr QByteArrayView EndPayload("velmora-end 2\n");

void appendFrame(QByteArray &message, QByteArrayView payload)
{
    char length[4];
    qToBigEndian(quint32(payload.size()), length);
    message.append(length, 4);
    message.append(payload);
}

} // namespace

QByteArray HandOver::encode(const QStringList &paths)
{
    QByteArray message;
    QByteArray batch(BatchHeader.data(), BatchHeader.size());
    for (const QString &path : paths) {
        const QByteArray bytes = path.toUtf8();
        if (batch.size() > BatchHeader.size() && batch.size() + bytes.size() + 1 > MaxFrameBytes) {
            appendFrame(message, batch);
            batch.truncate(BatchHeader.size());
        }
        batch += bytes;
        batch += '\0';
    }
    if (batch.size() > BatchHeader.size())
        appendFrame(message, batch);
    appendFrame(message, EndPayload);
    return message;
}

HandOver::Reader::State HandOver::Reader::refuse(const QString &why)
{
    m_state = State::Refused;
    m_error = why;
    m_buffer = QByteArray();
    m_paths.clear();
    m_pathBytes = 0;
    return m_state;
}

HandOver::Reader::State HandOver::Reader::feed(QByteArrayView bytes)
{
    if (m_state == State::Refused)
        return m_state;
    if (m_state == State::Complete) {
        if (!bytes.isEmpty())
            return refuse(QStringLiteral("bytes after the end of the message"));
        return m_state;
    }
    // Taken a frame at a time, so the buffer never holds more than one frame
    // and the next piece of input.
    while (!bytes.isEmpty() && m_state == State::Reading) {
        qint64 wanted = 4 - m_buffer.size();
        if (m_buffer.size() >= 4)
            wanted = 4 + qint64(qFromBigEndian<quint32>(m_buffer.constData())) - m_buffer.size();
        const qint64 n = qMin<qint64>(wanted, bytes.size());
        m_buffer.append(bytes.first(n));
        bytes = bytes.sliced(n);
        if (m_buffer.size() == 4 && qFromBigEndian<quint32>(m_buffer.constData()) > MaxFrameBytes)
            return refuse(QStringLiteral("a frame larger than %1 bytes").arg(MaxFrameBytes));
        if (m_buffer.size() >= 4 && !takeFrame() && m_state == State::Refused)
            return m_state;
    }
    if (m_state == State::Complete && !bytes.isEmpty())
        return refuse(QStringLiteral("bytes after the end of the message"));
    return m_state;
}

bool HandOver::Reader::takeFrame()
{
    const qint64 length = qFromBigEndian<quint32>(m_buffer.constData());
    if (m_buffer.size() < 4 + length)
        return false;
    const QByteArrayView payload = QByteArrayView(m_buffer).sliced(4);
    if (payload == EndPayload) {
        m_buffer.clear();
        m_state = State::Complete;
        return true;
    }
    if (!payload.startsWith(BatchHeader) || payload.size() == BatchHeader.size() || !payload.endsWith('\0')) {
        refuse(QStringLiteral("a malformed frame"));
        return false;
    }
    if (m_pathBytes + payload.size() > MaxMessageBytes) {
        refuse(QStringLiteral("more than %1 bytes of paths").arg(MaxMessageBytes));
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(payload.sliced(BatchHeader.size()));
    if (utf8.hasError()) {
        refuse(QStringLiteral("a path that is not UTF-8"));
        return false;
    }
    QStringList paths = text.split(QChar(0));
    paths.removeLast(); // after the last NUL
    for (const QString &path : paths) {
        const QString problem = InputBounds::pathProblem(path);
        if (!problem.isEmpty()) {
            refuse(problem);
            return false;
        }
        if (QDir::isRelativePath(path)) {
            refuse(QStringLiteral("a relative path"));
            return false;
        }
    }
    m_pathBytes += payload.size();
    m_paths += paths;
    m_buffer.clear();
    return true;
}
