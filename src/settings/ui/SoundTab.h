#pragma once

#include "settings/ui/SettingsTab.h"

// The tab "Sound": the master volume.
class SoundTab : public SettingsTab
{
public:
    explicit SoundTab(SettingsDialogModel &model, QWidget *parent = nullptr);
};
