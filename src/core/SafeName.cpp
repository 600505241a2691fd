#include "core/SafeName.h"

namespace {

// File systems allow 255 bytes; the extension takes four of them.
constexpr qsizetype MaxNameBytes = 251;

// What is wrong with `name` for the user, or empty when nothing is.
QString nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("名前が空です。");
    if (name == QLatin1String(".") || name.contains(QLatin1String("..")))
        return QStringLiteral("「..」を含まない名前にしてください。");
    // A name starting with "." is a hidden file: saved, it would never be listed.
    if (name.startsWith(u'.'))
        return QStringLiteral("「.」で始まらない名前にしてください。");
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\')
            return QStringLiteral("「/」「\\」を含まない名前にしてください。");
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("制御文字を含まない名前にしてください。");
    }
    if (name.toUtf8().size() > MaxNameBytes)
        return QStringLiteral("名前が長すぎます（%1 バイトまで、全角文字は 1 文字 3 バイト）。").arg(MaxNameBytes);
    return QString();
}

} // namespace

QString TypedName(const QString &typed)
{
    return typed.trimmed();
}

bool IsSafeName(const QString &name)
{
    return nameProblem(name).isEmpty();
}

QString UnsafeNameMessage(const QString &name)
{
    // A long name is shown cut: the message must fit its box.
    const QString shown = name.size() > 40 ? name.left(40) + QStringLiteral("…") : name;
    return QStringLiteral("\"%1\" は名前に使えません。\r\n").arg(shown) + nameProblem(name);
}
