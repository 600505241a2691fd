#include "core/TextDecoding.h"

#include <QStringDecoder>

QString DecodeText(const QByteArray &bytes, bool *wasUtf8)
{
    QString text;
    bool valid = false;
    // A UTF-16 or UTF-32 byte-order mark cannot begin UTF-8 or Shift-JIS text.
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    if (marked && *marked != QStringConverter::Utf8) {
        QStringDecoder decoder(*marked);
        text = decoder.decode(bytes);
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8.decode(bytes);
        valid = !utf8.hasError();
        if (!valid) {
            QStringDecoder cp932("CP932");
            text = cp932.isValid() ? QString(cp932.decode(bytes)) : QString::fromLatin1(bytes);
        }
    }
    if (wasUtf8)
        *wasUtf8 = valid;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}
