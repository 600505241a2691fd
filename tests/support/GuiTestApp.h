#pragma once

#include "core/ui/Fonts.h"
#include "core/ui/Translations.h"

#include <QApplication>

// The one QApplication of a widget test program, made on first use with the
// program's font substitutions and Qt's Japanese translation (tests run with
// the offscreen platform).
inline QApplication &guiTestApp()
{
    static int argc = 1;
    static char name[] = "velmora-test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        auto *a = new QApplication(argc, argv);
        installJapaneseFontSubstitutes();
        installJapaneseQtTranslation(*a);
        return a;
    }();
    return *app;
}
