#pragma once

#include <QString>

// The desktop shell: file operations and handing files or links to other
// programs. Implemented with Qt's desktop services in the program and by a
// recording double in tests. All methods run on the user-interface thread and
// never show a progress window or ask for confirmation.
class ShellService
{
public:
    virtual ~ShellService() = default;

    // Moves `source` to `target` (a file path, or a folder path ending in "/"
    // to keep the name), creating missing folders. Never replaces a file
    // already at the target: that is a failure. Returns false on failure;
    // nothing is half-moved.
    virtual bool move(const QString &source, const QString &target) = 0;

    // Copies `source` to `target`, creating missing folders and replacing an
    // existing file. Returns false on failure.
    virtual bool copy(const QString &source, const QString &target) = 0;

    // Deletes `path` (a file or a folder with its contents): with `toTrash`
    // into the desktop's trash, and when the trash refuses it the path
    // stays where it is; without, for good. Returns false on failure.
    virtual bool remove(const QString &path, bool toTrash) = 0;

    // Opens `path` (a local file) with the program the desktop associates
    // with it. Never starts `path` itself: executables, scripts, desktop
    // entries and other launchers are refused (see IsLauncherFile). Returns
    // false when refused or when nothing could open it.
    virtual bool openWithAssociatedProgram(const QString &path) = 0;

    // Opens a web or mail address (http:, https:, mailto:) in the desktop's
    // handler. Other schemes are refused.
    virtual bool openUrl(const QString &url) = 0;

    // Shows the folder holding `path` in the file manager, with the file
    // selected where the file manager can; otherwise just the folder.
    // Returns false when nothing could be asked to show it.
    virtual bool revealInFileManager(const QString &path) = 0;

    // Shows the file manager's properties of `path` where the desktop has
    // such a view; otherwise its folder, as revealInFileManager.
    virtual bool showProperties(const QString &path) = 0;

    // Starts `program` with one argument (the external tag editor). Returns
    // false when it could not be started.
    virtual bool startProgram(const QString &program, const QString &argument) = 0;

    // Puts `text` on the clipboard.
    virtual void setClipboardText(const QString &text) = 0;

    // Whether the desktop has a file manager that revealInFileManager() and
    // showProperties() can ask (true in doubt: the caller then says so when
    // the request fails).
    virtual bool hasFileManager() const { return true; }
};

// What the user is told when the desktop had nothing to hand a request to:
// the folder `folder` could not be shown, or the document `path` (the
// manual) could not be opened.
QString FolderNotShownMessage(const QString &folder);
QString DocumentNotOpenedMessage(const QString &path);

// True when handing `path` to the desktop could run code instead of opening a
// document: files with execute permission, scripts (a "#!" first line),
// desktop entries, and the usual launcher and executable suffixes of any
// platform. Missing files count as launchers (nothing to open safely).
bool IsLauncherFile(const QString &path);
