#include "core/ui/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void installJapaneseFontSubstitutes()
{
    const QStringList proportional = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                                      QStringLiteral("IPAGothic"), QStringLiteral("TakaoPGothic"),
                                      QStringLiteral("DejaVu Sans")};
    const QStringList monospaced = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                                    QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic"),
                                    QStringLiteral("DejaVu Sans Mono")};
    const QStringList families = QFontDatabase::families();
    auto available = [&](const QStringList &wanted) {
        QStringList found;
        for (const QString &f : wanted)
            if (families.contains(f))
                found << f;
        return found.isEmpty() ? wanted : found;
    };
    const QStringList p = available(proportional);
    const QStringList m = available(monospaced);
    for (const QString &name : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("ＭＳ Ｐ明朝"),
                                QStringLiteral("MS UI Gothic"), QStringLiteral("メイリオ"), QStringLiteral("Meiryo"),
                                QStringLiteral("Meiryo UI"), QStringLiteral("Yu Gothic UI"), QStringLiteral("游ゴシック")})
        QFont::insertSubstitutions(name, p);
    for (const QString &name : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("ＭＳ 明朝")})
        QFont::insertSubstitutions(name, m);
}
