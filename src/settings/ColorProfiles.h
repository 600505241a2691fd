#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

class Clock;
class MessageService;
class SettingsStore;

// One colour box of the settings dialog: the slot it shows and its caption.
struct ColorBox
{
    int slot;
    const char *caption; // UTF-8
};

// The colour boxes of the group "ミニフェイス" and of the group "プレイリスト",
// in the order the dialog shows them.
std::span<const ColorBox> miniFaceColorBoxes();
std::span<const ColorBox> playlistColorBoxes();

// The named colour sets in the colour folder: one "<name>.ini" file each,
// section Color with the 20 colour keys ("AutoColor" is the colour file the
// settings are saved with). Reads and writes the store's colour slots; asks
// and refuses through the program's message box. UI thread only.
class ColorProfiles
{
public:
    // `clock` names a profile saved without a name.
    ColorProfiles(SettingsStore &store, MessageService &messages, QString colorFolder, const Clock &clock);

    // `ColorComboCreate`: every file of the colour folder (hidden ones
    // excluded), sorted by name, each without its last four characters.
    // Names that would not be safe to use again are left out.
    QStringList ColorComboCreate() const;

    // Choosing `name` in the list: when it is one of the listed profiles, its
    // colours are loaded into the slots (defaults for what it lacks) and
    // true is returned; otherwise nothing changes.
    bool select(const QString &name);

    // Saving the slots under `typed` (the name as typed, not trimmed; a blank
    // name becomes "Color" + date and time). An unsafe name is refused with a
    // message; an existing profile is overwritten only when the user agrees.
    // Returns the name saved under, or nothing when refused, declined or
    // not written.
    std::optional<QString> save(const QString &typed);

    // Deleting the profile `typed` after the user agrees. A blank name shows
    // the error message, an unsafe one is refused. True when a file was deleted.
    bool remove(const QString &typed);

    // The file of profile `name`.
    QString pathOf(const QString &name) const;

private:
    SettingsStore &m_store;
    MessageService &m_messages;
    QString m_folder; // ends with "/"
    const Clock &m_clock;
};
