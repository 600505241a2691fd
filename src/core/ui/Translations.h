#pragma once

class QCoreApplication;

// Loads Qt's own Japanese translation into `app`, whatever the system's
// locale: the interface is Japanese, so the standard dialogs, buttons and
// context menus speak it too. Returns false when the translation is not
// installed (Debian package qt6-translations-l10n); Qt's English stays then.
bool installJapaneseQtTranslation(QCoreApplication &app);
