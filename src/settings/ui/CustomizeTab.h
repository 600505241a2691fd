#pragma once

#include "settings/ui/SettingsTab.h"

class QLabel;
class QLineEdit;
class SettingsChooser;

// The tab "Customize": the tag editor's place, docking, tree clicks, the
// seek bar's look, corners, fades, translucency, speeds and the two fonts.
class CustomizeTab : public SettingsTab
{
public:
    CustomizeTab(SettingsDialogModel &model, SettingsChooser &chooser, QWidget *parent = nullptr);

    // Where the font and program dialogs come from.
    void setChooser(SettingsChooser &chooser) { m_chooser = &chooser; }

protected:
    void showSetting(SettingId id) override;

private:
    void chooseFont(bool main);
    QFont fontOf(bool main) const;

    SettingsChooser *m_chooser;
    QLineEdit *m_tagEditor = nullptr;
    QLabel *m_cornerLabel = nullptr;
    QLineEdit *m_mainSample = nullptr;
    QLineEdit *m_listSample = nullptr;
};
