#include "core/ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installJapaneseQtTranslation(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    // "qt_ja" gathers the module catalogues (qtbase_ja and the others installed).
    if (translator->load(QStringLiteral("qt_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}
