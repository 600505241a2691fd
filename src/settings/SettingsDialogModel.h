#pragma once

#include "settings/ColorProfiles.h"
#include "settings/SettingsKeys.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <span>

class MessageService;
class SettingsStore;
class StyleEditorModel;
struct StyleBackgrounds;

// The kinds of control the settings dialog edits a key with.
enum class DialogControlKind : quint8 {
    Check,     // a check box: 0 / 1
    Options,   // a group of option buttons: the chosen index
    Slider,    // a slider: minimum .. maximum
    ScrollBar, // the corner scroll bar: minimum .. maximum
};

// One control of the settings dialog and the key it writes.
struct DialogControl
{
    const char *name; // the control's object name
    SettingId id;
    DialogControlKind kind;
    int minimum; // the range the control offers (options: 0 .. count - 1)
    int maximum;
};

// The three top-level windows, as far as their opacity goes.
enum class TopWindow : quint8 { Main, Playlist, SettingsDialog };

// The settings dialog's logic, without widgets: which key each control
// writes and within which range, the fonts, the tag editor, choosing a
// style, the colour profiles, and what opening, OK and Cancel do.
//
// Opening saves every setting first (so the file holds the state the dialog
// started from) and remembers every value the dialog can change; Cancel
// puts those values back, so whatever the dialog changed live (opacity,
// fonts, colours, style, options) returns to its value at opening. The
// master volume is not among them: a change of it stays. UI thread only.
class SettingsDialogModel
{
public:
    // `clock` names colour profiles saved without a name. `saveAll` saves
    // every setting (windows' positions included); it is run when the
    // dialog opens and on OK.
    SettingsDialogModel(SettingsStore &store, MessageService &messages, QString colorFolder, QString styleFolder,
                        const Clock &clock, std::function<void()> saveAll);

    SettingsStore &store() { return m_store; }
    ColorProfiles &colorProfiles() { return m_profiles; }

    // Every check box, option group, slider and the corner scroll bar.
    static std::span<const DialogControl> controls();
    static const DialogControl *control(SettingId id);

    // A control moved to `value`: its key takes it, kept in the control's range.
    void setControl(SettingId id, int value);

    // True for the keys the dialog edits, which Cancel restores.
    static bool isDialogSetting(SettingId id);

    // The font dialog of the mini face (main = true) or the playlist chose a
    // font: name, size in points (rounded to whole points) and bold.
    void setFont(bool main, const QString &family, double pointSize, bool bold);

    // The tag editor's file dialog returned `path` (empty: cancelled, nothing changes).
    void chooseTagEditor(const QString &path);

    // `StyleComboCreate`: the style folders.
    QStringList StyleComboCreate() const;
    // The user chose or typed the style `name`. An unsafe name is refused
    // with a message (false); otherwise it becomes the style, which loads
    // its pictures (a name without a folder loads the default style).
    bool chooseStyle(const QString &name);

    // "スタイル作成": the editor's logic on the current style, whose pictures
    // came from `sourceFolder` and whose backgrounds the windows show now.
    // While the editor is open the windows leave the always-on-top layer
    // (when that option is on), so that it is not hidden behind them.
    std::unique_ptr<StyleEditorModel> openStyleEditor(const QString &sourceFolder, const StyleBackgrounds &shown);
    void styleEditorClosed();
    // The editor created the style `name`: it becomes the style. True when
    // it was the style already, so that only reading it again shows it.
    bool styleCreated(const QString &name);

    // A colour box was clicked and the chooser returned `ref` (0x00BBGGRR;
    // -1: cancelled, nothing changes).
    void pickColor(int slot, int ref);
    // "初期値に戻す": every colour slot back to the settings file's default.
    void restoreDefaultColors();

    // The dialog is about to be shown. When it is already open, nothing is
    // saved and the values of the first opening stay the ones Cancel returns to.
    void opened();
    // OK: every setting is saved.
    void accepted();
    // Cancel: every dialog setting returns to its value at opening.
    void cancelled();
    bool isOpen() const { return m_open; }

    // The opacity (0..255) a window has: the opacity setting while
    // translucency is on, else opaque; the dialog stays opaque while
    // "設定は半透明にしない" is checked.
    static int windowOpacity(const SettingsStore &store, TopWindow window);

private:
    SettingsStore &m_store;
    MessageService &m_messages;
    ColorProfiles m_profiles;
    QString m_styleFolder;
    std::function<void()> m_saveAll;
    bool m_open = false;
    std::array<int, SettingCount> m_values{};
    std::array<QString, SettingCount> m_texts;
};
