#pragma once

#include "settings/SettingsKeys.h"
#include "settings/ui/SettingBinder.h"

#include <QWidget>

class QGroupBox;
class QLayout;
class SettingsDialogModel;
class SettingsStore;

// One page of the settings dialog. It builds its controls, shows its own
// keys' values from the settings store and follows every change of them
// (a Cancel, a colour profile), and writes a key at once when the user
// changes its control: the store is the one home of the live values, and
// SettingsDialogModel restores them on Cancel.
class SettingsTab : public QWidget
{
public:
    // Before the dialog shows: the page's lists read again and every control
    // from the store.
    virtual void load();
    // The check box, option group's first button, slider or scroll bar of
    // this page that edits `id`, else null.
    QWidget *controlOf(SettingId id) const { return m_binder.controlOf(id); }

protected:
    explicit SettingsTab(SettingsDialogModel &model, QWidget *parent = nullptr);

    // The value of `id` changed in the store: the page shows it when the key
    // is its own. The bound controls show themselves; pages add the rest.
    virtual void showSetting(SettingId id);

    // A group box captioned `caption` (UTF-8) around `layout`.
    static QGroupBox *group(const char *caption, QLayout *layout);
    // A row: `before` (when given), `low`, the slider, `high`.
    static QWidget *sliderRow(QWidget *slider, const char *low, const char *high, QWidget *before = nullptr);

    SettingsDialogModel &m_model;
    SettingsStore &m_store;
    SettingBinder m_binder;
};
