#pragma once

#include <QString>

// The settings the list and library commands read, each at the moment it
// is used. The settings store's wiring implements it; tests pass fixed
// values. User-interface thread only.
class CommandSettings
{
public:
    virtual ~CommandSettings() = default;

    // The "TagEditorPath" setting: the program that edits tags; empty when
    // none is set.
    virtual QString tagEditorPath() const = 0;

    // True when the option "オートセーブ時に問い合わせる" is on: the open
    // list is saved only after the user agrees.
    virtual bool askBeforeAutoSave() const = 0;
};
