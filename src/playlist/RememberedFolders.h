#pragma once

#include <QString>

// The folders the add commands remember between dialogs and runs (section
// "Option" of the settings: TrackAdder's folder keys). User-interface
// thread only.
class RememberedFolders
{
public:
    virtual ~RememberedFolders() = default;

    // The folder remembered under `key`; empty when none is.
    virtual QString folder(const QString &key) const = 0;

    // Remembers `folder` under `key` and writes it to the settings file.
    // A player that may not write into its program folder (another player
    // owns it) keeps it nowhere; a failed write is skipped.
    virtual void remember(const QString &key, const QString &folder) = 0;

    // True when a folder add also takes the files of its sub-folders (the
    // option "AddSubfolders").
    virtual bool includeSubfolders() const = 0;
};
