#pragma once

#include "settings/SettingsKeys.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

class IniDocument;

// One key written by a save, in the order of the save.
struct ProfileWrite
{
    QString section;
    QString key;
    SettingWriter writer; // Int16, Long32 or Text
    int number = 0;       // for Int16 (already within 16 bits) and Long32
    QString text;         // for Text

    bool operator==(const ProfileWrite &) const = default;
};

// What LoadSoundSettings asks of the audio side, in this order: the player's
// channel volume, then the wave-out word from the stored level, then the
// wave-out word from the master-volume slider (its handler's effect).
struct SoundSettings
{
    int playerVolume = 255;          // stored PlayerVolume, 0..255
    quint32 storedWaveOutWord = 0;   // both channels at the stored WaveOutVolume
    quint32 sliderWaveOutWord = 0;   // both channels at the slider value
};

// The resume point read by LoadResume.
struct ResumePoint
{
    int no = 1;           // 1-based row of the track that was playing
    qint32 positionMs = 0; // playback position in milliseconds
};

// The live value of every setting, and the loading and saving of the
// settings file and the colour file.
//
// Values are held in the unit the program works with ("live" values):
// window positions and sizes in twips as stored (pixels() converts), check
// boxes 0 / 1, booleans 0 / 1, option groups as the chosen index (-1: none),
// colours as 0x00BBGGRR, PlayMode as the play mode 0..4, PlayerVolume as the
// volume knob's offset 0..100 pixels, WaveOutVolume as the master-volume
// slider value 0..65535. Loading keeps every value inside its range.
//
// The windows and the settings dialog read values here and change them with
// setValue() / setText(); whoever shows or uses a value observes
// valueChanged(). All calls on the user-interface thread.
class SettingsStore : public QObject
{
    Q_OBJECT
public:
    // The live value of an option group in which no option is chosen.
    static constexpr int NoChoice = -1;
    // Twips per pixel on the 96-dpi screen the stored positions assume.
    static constexpr int TwipsPerPixel = 15;

    // Every value at its default (the values of a first start).
    explicit SettingsStore(QObject *parent = nullptr);

    // The live value of a number setting (every kind but Text).
    int value(SettingId id) const;
    // Sets a number setting, kept inside its live range (a Check or Flag
    // becomes 0 / 1). Emits valueChanged when the value changes.
    void setValue(SettingId id, int value);
    // True when a Check or Flag setting is on.
    bool isOn(SettingId id) const { return value(id) != 0; }

    // The live value of a Text setting.
    QString text(SettingId id) const;
    // Sets a Text setting. Emits valueChanged when the text changes.
    void setText(SettingId id, const QString &text);

    // Colour slot `slot` (0..19) as 0x00BBGGRR.
    int colorRef(ColorSlot slot) const { return value(colorSlotSetting(slot)); }
    void setColorRef(ColorSlot slot, int ref) { setValue(colorSlotSetting(slot), ref); }
    // Colour slot `slot` as a QColor (the low 24 bits of the value).
    QColor color(ColorSlot slot) const { return colorFromRef(colorRef(slot)); }
    static QColor colorFromRef(int ref);
    static int refFromColor(const QColor &color);

    // A twips setting (window position or size) in pixels, rounded.
    int pixels(SettingId id) const;
    // Sets a twips setting from pixels. A window that stands where its stored
    // twips put it keeps them unchanged, so an unmoved window saves the value
    // it was loaded with.
    void setPixels(SettingId id, int pixels);

    // The screens' available areas in pixels. LoadSettings moves a window
    // that would lie on none of them onto the first. Empty (the default): no
    // screen check.
    void setScreenAreas(const QList<QRect> &areas) { m_screenAreas = areas; }

    // `LoadSettings`: reads the colour file, then the main settings file, in
    // the fixed load order, keeping every value in range and every window
    // on a screen; then emits settingsLoaded(). Missing or unreadable files
    // and keys give the defaults.
    void LoadSettings(const QString &iniPath, const QString &colorIniPath);

    // `SaveSettings`: writes the colour file, then the main settings file, in
    // the fixed save order, one atomic save per file. Creates the colour
    // file's folder when it is missing. Failures are silent for the user;
    // returns true when both files were written.
    bool SaveSettings(const QString &iniPath, const QString &colorIniPath) const;

    // Reads the 20 colour keys of a colour file or profile into the slots
    // (defaults for what is missing). Does not apply them.
    void LoadColorFile(const QString &path);
    // Writes the 20 colour slots to a colour file or profile. True when written.
    bool SaveColorFile(const QString &path) const;

    // `LoadSoundSettings`: reads [Sound]; sets the knob offset and the
    // master-volume slider; returns what the audio side must set.
    SoundSettings LoadSoundSettings(const QString &iniPath);
    // `SaveSoundSettings`: writes [Sound]. The caller then puts the wave-out
    // volume found at start-up back onto the device.
    bool SaveSoundSettings(const QString &iniPath) const;

    // `LoadColumnSettings`: reads [ColumnHeader] (widths and sort state).
    void LoadColumnSettings(const QString &iniPath);

    // `LoadResume`: reads [Resume]; the caller selects and plays the row and
    // seeks to the position.
    ResumePoint LoadResume(const QString &iniPath);
    // `SaveResume`: writes [Resume] from ResumeNo and ResumePosition.
    bool SaveResume(const QString &iniPath) const;

    // Remembers the folder of an add or open command (SelectFolder,
    // SelectAudioFilePath or SelectZipFilePath) and writes it to the settings
    // file at once.
    void rememberFolder(SettingId id, const QString &folder, const QString &iniPath);

    // The keys SaveSettings writes, in order, with the text they get.
    QList<ProfileWrite> mainFileWrites() const;
    QList<ProfileWrite> colorFileWrites() const;

    // The wave-out volume word for a 16-bit level: the same level on the left
    // (low word) and right channel.
    static quint32 waveOutWord(int level);

Q_SIGNALS:
    // A live value changed (by a setter or a load). During a load the
    // signals come in the load order.
    void valueChanged(SettingId id);
    // LoadSettings has finished: every value of both files is in place, so
    // the settings are applied as a whole (always-on-top, colours, fonts,
    // opacity).
    void settingsLoaded();

private:
    void loadKey(const IniDocument &doc, SettingId id);
    void loadKeys(const IniDocument &doc, std::initializer_list<SettingId> ids);
    void keepOnScreen(SettingId leftId, SettingId topId, int widthPixels, int heightPixels);
    std::optional<ProfileWrite> writeOf(SettingId id) const;
    QList<ProfileWrite> writesOf(std::initializer_list<SettingId> ids) const;
    static bool saveWrites(const QString &path, const QList<ProfileWrite> &writes);

    std::array<int, SettingCount> m_values{};
    std::array<QString, SettingCount> m_texts;
    QList<QRect> m_screenAreas;
};

// Applies one write to a document, as the matching primitive would.
void applyProfileWrite(IniDocument &doc, const ProfileWrite &write);
