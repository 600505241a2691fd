#include "core/TextDecoding.h"

#include <QStringDecoder>

QString DecodeText(const QByteArray &bytes, bool *wasUtf8)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    const bool valid = !utf8.hasError();
    if (wasUtf8)
        *wasUtf8 = valid;
    if (!valid) {
        QStringDecoder cp932("CP932");
        text = cp932.isValid() ? QString(cp932.decode(bytes)) : QString::fromLatin1(bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}
