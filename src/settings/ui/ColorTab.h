#pragma once

#include "settings/ui/SettingsTab.h"

#include <array>

class ColorSwatch;
class QComboBox;
class SettingsChooser;

// The tab "Color": the colour profiles (choose, save, delete) and a box for
// each colour slot that opens the colour chooser.
class ColorTab : public SettingsTab
{
public:
    ColorTab(SettingsDialogModel &model, SettingsChooser &chooser, QWidget *parent = nullptr);

    void load() override;
    // Where the colour dialog comes from.
    void setChooser(SettingsChooser &chooser) { m_chooser = &chooser; }

protected:
    void showSetting(SettingId id) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshList();

    SettingsChooser *m_chooser;
    QComboBox *m_combo = nullptr;
    std::array<ColorSwatch *, ColorSlotCount> m_swatches{};
};
