#pragma once

#include "settings/ui/SettingsTab.h"

#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;

// The tab "Sound": the master volume, loudness levelling from the tags
// (ReplayGain: off, track or album, a pre-amp, clipping prevention) and the
// output device. The levelling changes the playing track at once; a device
// change is taken when the next track starts.
class SoundTab : public SettingsTab
{
public:
    explicit SoundTab(SettingsDialogModel &model, QWidget *parent = nullptr);

    // Where the device list comes from (the audio library's); asked each
    // time the dialog is about to show. No devices until set.
    void setDeviceSource(std::function<QStringList()> source);
    QComboBox *deviceCombo() const { return m_devices; }

    void load() override;

protected:
    void showSetting(SettingId id) override;

private:
    void fillDevices();
    void showDevice();
    void showLevelling();

    std::function<QStringList()> m_deviceSource;
    QComboBox *m_devices = nullptr;
    QLabel *m_preampValue = nullptr;
};
