#pragma once

#include "settings/ui/SettingsTab.h"

// The tab "Option": the program's on/off options.
class OptionTab : public SettingsTab
{
public:
    explicit OptionTab(SettingsDialogModel &model, QWidget *parent = nullptr);
};
