#pragma once

#include "core/ShellService.h"

#include <QStringList>

// A shell that only records what it was asked to do, and answers each
// request with `result`, or false when the request names a text of `failOn`.
class RecordingShell : public ShellService
{
public:
    QStringList calls;
    bool result = true;
    QStringList failOn;
    // What hasFileManager() answers.
    bool fileManager = true;

    bool move(const QString &s, const QString &t) override { return record(QStringLiteral("move %1 -> %2").arg(s, t)); }
    bool copy(const QString &s, const QString &t) override { return record(QStringLiteral("copy %1 -> %2").arg(s, t)); }
    bool remove(const QString &p, bool trash) override
    {
        return record(QStringLiteral("remove%1 %2").arg(trash ? QStringLiteral(" to trash") : QString(), p));
    }
    bool openWithAssociatedProgram(const QString &p) override { return record(QStringLiteral("open ") + p); }
    bool openUrl(const QString &u) override { return record(QStringLiteral("url ") + u); }
    bool revealInFileManager(const QString &p) override { return record(QStringLiteral("reveal ") + p); }
    bool showProperties(const QString &p) override { return record(QStringLiteral("properties ") + p); }
    bool startProgram(const QString &prog, const QString &arg) override
    {
        return record(QStringLiteral("start %1 %2").arg(prog, arg));
    }
    void setClipboardText(const QString &t) override { record(QStringLiteral("clipboard ") + t); }
    bool hasFileManager() const override { return fileManager; }

private:
    bool record(const QString &call)
    {
        calls << call;
        for (const QString &f : failOn)
            if (call.contains(f))
                return false;
        return result;
    }
};
