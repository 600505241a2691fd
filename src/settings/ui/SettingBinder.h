#pragma once

#include "settings/SettingsKeys.h"

#include <QList>
#include <QString>

#include <initializer_list>

class QAbstractSlider;
class QCheckBox;
class QObject;
class QSlider;
class QWidget;
class SettingsDialogModel;
class SettingsStore;

// Binds the settings dialog's on/off, choice and range controls to their
// keys, as SettingsDialogModel::controls() lists them (object name and
// range). A change by the user writes the key at once through the model,
// kept within the control's range; show() puts the store's value into the
// control without writing it back.
class SettingBinder
{
public:
    explicit SettingBinder(SettingsDialogModel &model);

    // A check box for an on/off key.
    QCheckBox *check(SettingId id, const QString &caption);
    // A row of option buttons, one per caption, for a key holding the chosen index.
    QWidget *options(SettingId id, std::initializer_list<const char *> captions);
    // A horizontal slider over the key's range.
    QSlider *slider(SettingId id);
    // Binds `control` (a slider or scroll bar) to the key, over its range.
    QAbstractSlider *range(SettingId id, QAbstractSlider *control);

    // Shows the store's value of `id` when one of these controls edits it.
    void show(SettingId id) const;
    // The control that edits `id` (an option group's first button), else null.
    QWidget *controlOf(SettingId id) const;

private:
    struct Bound
    {
        SettingId id;
        QObject *control; // a check box, slider or QButtonGroup
    };
    QObject *bound(SettingId id) const;
    void bind(SettingId id, QObject *control);

    SettingsDialogModel &m_model;
    const SettingsStore &m_store;
    QList<Bound> m_bound;
};
