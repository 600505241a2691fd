#pragma once

#include "core/ShellService.h"

// The shell of the desktop the player runs on, through Qt's desktop services
// and the file manager's session-bus interface where there is one.
class DesktopShell : public ShellService
{
public:
    bool move(const QString &source, const QString &target) override;
    bool copy(const QString &source, const QString &target) override;
    bool remove(const QString &path, bool toTrash) override;
    bool openWithAssociatedProgram(const QString &path) override;
    bool openUrl(const QString &url) override;
    bool revealInFileManager(const QString &path) override;
    bool showProperties(const QString &path) override;
    bool startProgram(const QString &program, const QString &argument) override;
    void setClipboardText(const QString &text) override;
    // A file manager on the session bus, or the desktop's opener of folders.
    bool hasFileManager() const override;

private:
    // The file manager on the folder of `path` (or on `path`, a folder).
    static bool openFolderOf(const QString &path);
};
