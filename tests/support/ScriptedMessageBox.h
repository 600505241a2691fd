#pragma once

#include "core/MessageService.h"

#include <QList>
#include <QStringList>

// The message box of the tests: every box answers `answer`; what was shown
// and every change of the always-on-top layer are recorded in order.
struct ScriptedMessageBox : MessageBoxService, TopmostWindows {
    int answer = MessageService::Yes;
    QStringList asked;  // the texts shown
    QList<int> styles;  // their styles
    QStringList log;    // "box <text> <style> <title>", "top", "normal"

    int show(const QString &text, int style, const QString &title) override
    {
        asked << text;
        styles << style;
        log << QStringLiteral("box %1 %2 %3").arg(text).arg(style).arg(title);
        return answer;
    }
    void setTopmost(bool topmost) override { log << (topmost ? QStringLiteral("top") : QStringLiteral("normal")); }
};
