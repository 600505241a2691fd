#include "core/SafeName.h"

namespace {

// File systems allow 255 bytes; the extension takes four of them.
constexpr qsizetype MaxNameBytes = 251;

} // namespace

bool IsSafeName(const QString &name)
{
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return name.toUtf8().size() <= MaxNameBytes;
}

QString UnsafeNameMessage(const QString &name)
{
    return QStringLiteral("\"%1\" は名前に使えません。\r\n「/」「\\」「..」を含まない名前にしてください。").arg(name);
}
