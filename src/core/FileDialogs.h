#pragma once

#include <QString>
#include <QStringList>

// The desktop's file and folder choosers, as the commands that ask for a
// place use them. The real ones are modal dialogs over the playlist window;
// tests answer from a script. User-interface thread only; events run while
// a dialog is open.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // Lets the user choose one existing file. `filter` is
    // "label|patterns|label|patterns" (patterns separated by ";"); the
    // dialog starts in `startFolder` (anywhere when empty or missing).
    // Returns the chosen file, or an empty text when cancelled.
    virtual QString chooseFile(const QString &filter, const QString &startFolder) = 0;

    // Lets the user choose one or more existing files, as chooseFile does.
    // Returns them in the order the dialog gives, or an empty list when
    // cancelled.
    virtual QStringList chooseFiles(const QString &filter, const QString &startFolder) = 0;

    // Lets the user choose one file-system folder in a dialog titled
    // `title`, starting at `startFolder`. Returns the folder, or an empty
    // text when cancelled.
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;
};
